// vellary: the editor.
#include <QApplication>
#include <string>
#include <vector>

#include "app/scrivla_app.h"

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vellary"));
  vellary::app::CScrivlaApp app;
  // The command line as bytes: Qt's own list would turn a file name that is not UTF-8 (a folder
  // named in Shift_JIS) into another name. QApplication has taken its own options out of argv.
  const std::vector<std::string> arguments(argv, argv + argc);
  if (const auto status = app.start(arguments)) return *status;
  const int status = QApplication::exec();
  app.exit();
  return status;
}
