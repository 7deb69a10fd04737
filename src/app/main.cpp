// vellary: the editor.
#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/scrivla_app.h"
#include "model/program_files.h"

namespace {

constexpr char kHelp[] =
    "usage: vellary [FILE]\n"
    "       vellary --help | --version\n\n"
    "Opens FILE in the Vellary editor: a RovOrirUD document, or hOCR, PAGE XML, ALTO, NDLOCR\n"
    "XML or Tesseract TSV. One editor runs per user: a later start hands FILE to the editor\n"
    "that runs and brings it to the front.\n\n"
    "Qt's own options (-platform NAME, -display DISPLAY, ...) are taken as well. With\n"
    "VELLARY_UNATTENDED=1 messages go to standard error and questions take their default answer.\n"
    "The manual page vellary(1) and the user's manual (ヘルプ ▸ ユーザーズマニュアル) describe\n"
    "the editor; vellary-cli works on documents from a terminal.\n";

// The application's name on the desktop: its entry, icons and metainfo are named by it.
constexpr char kDesktopId[] = "example.vellary.Vellary";

// --help and --version are answered before Qt starts, so that they need no display.
int answeredBeforeQt(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const bool help = std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0;
    if (!help && std::strcmp(argv[i], "--version") != 0) continue;
    if (help)
      std::fputs(kHelp, stdout);
    else
      std::printf("vellary %s\n", vellary::model::programVersion());
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  return -1;
}

// The window's icon from the PNGs in the hicolor folders beside the program (an installed tree
// and the build tree both have them).
QIcon programIcon() {
  QIcon icon;
  const QString base = QString::fromStdString(vellary::model::shareFolder());
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    const QString file = QStringLiteral("%1/icons/hicolor/%2x%2/apps/%3.png")
                             .arg(base)
                             .arg(size)
                             .arg(QLatin1String(kDesktopId));
    if (QFileInfo::exists(file)) icon.addFile(file);
  }
  return icon;
}

}  // namespace

int main(int argc, char** argv) {
  if (const int status = answeredBeforeQt(argc, argv); status >= 0) return status;
  QApplication qt(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vellary"));
  QApplication::setApplicationVersion(QString::fromLatin1(vellary::model::programVersion()));
  QApplication::setDesktopFileName(QLatin1String(kDesktopId));
  QApplication::setWindowIcon(programIcon());
  vellary::app::CScrivlaApp app;
  // The command line as bytes: Qt's own list would turn a file name that is not UTF-8 (a folder
  // named in Shift_JIS) into another name. QApplication has taken its own options out of argv.
  const std::vector<std::string> arguments(argv, argv + argc);
  if (const auto status = app.start(arguments)) return *status;
  const int status = QApplication::exec();
  app.exit();
  return status;
}
