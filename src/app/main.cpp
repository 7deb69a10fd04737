// vellary: the editor.
#include <QApplication>

#include "app/scrivla_app.h"

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vellary"));
  vellary::app::CScrivlaApp app;
  if (const auto status = app.start(QApplication::arguments())) return *status;
  const int status = QApplication::exec();
  app.exit();
  return status;
}
