// vellary-settings-shots OUTDIR: the settings sheet on default settings, with the bundled candidate
// explanations and a few registered words, saved as one picture per page and one per dialog.
#include <QApplication>
#include <QPixmap>
#include <QTabWidget>
#include <cstdio>

#include "app/fonts.h"
#include "app/qt_prompter.h"
#include "settings_ui/info_dialogs.h"
#include "settings_ui/setting_sheet.h"

using namespace vellary;

namespace {

void settle() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

bool save(QWidget& w, const QString& path) {
  settle();
  if (!w.grab().save(path)) return false;
  std::printf("%s\n", qPrintable(path));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: vellary-settings-shots OUTDIR\n");
    return 2;
  }
  app::installFontSubstitutions();
  const QString out = QString::fromLocal8Bit(argv[1]);
  // Nobody answers on the virtual display: messages go to standard error, questions take their
  // default answer.
  qputenv("VELLARY_UNATTENDED", "1");
  app::MessageBoxPrompter prompter;
  appcore::AppSettings app;
  appcore::applyFontDefaults(app);
  app.latinFont = "Century";
  appcore::FrameSettings frame;
  appcore::CharTable registered(appcore::CharTable::Kind::Registered);
  registered.fileName = "/home/user/Documents/tolvane/Vellary User Data/registTable.csv";
  registered.pairs = {{u"齊藤", u"斉藤"}, {u"髙橋", u"高橋"}, {u"ｶﾀｶﾅ", u"カタカナ"}};
  appcore::CharTable explanations(appcore::CharTable::Kind::Explanation);
  explanations.load(std::string(VELLARY_SOURCE_DIR) + "/data/CandidateExplain.txt", prompter);
  explanations.fileName = "/home/user/Documents/tolvane/Vellary User Data/CandidateExplain.txt";
  settings_ui::QtStandardDialogs dialogs;

  settings_ui::CSetting sheet(
      settings_ui::SheetHost{app, frame, registered, explanations, prompter, dialogs, {}, {}});
  sheet.show();
  for (int i = 0; i < sheet.tabs().count(); ++i) {
    sheet.tabs().setCurrentIndex(i);
    if (!save(sheet, out + QStringLiteral("/page%1.png").arg(i + 1))) return 1;
  }
  settings_ui::CFileInfoDlg info({"表題", "", "", ""}, QString::fromUtf8(frame.pdfCreator.c_str()),
                                 QString::fromUtf8(frame.pdfProducer.c_str()), &sheet);
  info.show();
  if (!save(info, out + QStringLiteral("/document-info.png"))) return 1;
  info.hide();
  settings_ui::CRubyStringsDlg ruby({frame.rubyTarget, frame.rubyOpen, frame.rubyClose}, &sheet);
  ruby.show();
  if (!save(ruby, out + QStringLiteral("/ruby-strings.png"))) return 1;
  return 0;
}
