// The settings file commands and the sheet command on the main frame.
#include "settings_ui/settings_file.h"

#include <QSlider>
#include <QTest>
#include <filesystem>

#include "app/main_frame.h"
#include "appcore/settings_store.h"
#include "sheet_harness.h"

using namespace vellary;
using testing::TempDir;

namespace {

class FixedClock : public document::Clock {
 public:
  uint32_t tickCount() const override { return 0; }
};

// The main frame on settings in memory, with the application's tables.
struct FrameWithTables {
  TempDir dir;
  appcore::MemorySettingsStore store;
  testing::RecordingPrompter prompter;
  appcore::AppSettings app;
  appcore::FrameSettings frame;
  appcore::CharTable registered{appcore::CharTable::Kind::Registered};
  appcore::CharTable explanations{appcore::CharTable::Kind::Explanation};
  FixedClock clock;
  std::shared_ptr<testing::ScriptedDialogs> common = std::make_shared<testing::ScriptedDialogs>();
  std::unique_ptr<app::CMainFrame> window;
  std::vector<bool> saves;
  QStringList filters;

  app::CMainFrame& make(bool withTables = true) {
    window = std::make_unique<app::CMainFrame>(
        app::FrameContext{app, frame, store, prompter, nullptr, clock, dir / "_$backup.xml",
                          views::PreviewCache(dir / "previews"), withTables ? &registered : nullptr,
                          withTables ? &explanations : nullptr});
    window->dialogs().common = common;
    return *window;
  }

  // The settings file dialogs answer with `path` (nothing when empty).
  void answerFileDialogs(const std::string& path) {
    window->dialogs().settingsFile = [this, path](const QString&, const QString& filter,
                                                  bool save) -> std::optional<std::string> {
      filters.push_back(filter);
      saves.push_back(save);
      if (path.empty()) return std::nullopt;
      return path;
    };
  }
};

}  // namespace

class SettingsFileTest : public QObject {
  Q_OBJECT

 private slots:
  void exportChangeImportRestoresTheValues() {
    FrameWithTables h;
    auto& f = h.make();
    const std::string file = h.dir / "mine.sew";
    h.answerFileDialogs(file);
    h.frame.classColours = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    h.frame.classFonts[4] = "IPAGothic";
    h.frame.emphasisChar = "\u30FB";
    h.frame.rejectLevel = 6;
    h.frame.lineImageOffset = 5;
    h.frame.pdfKeywords = "鍵 語";
    h.frame.rubyOpen = "《";
    h.app.latinFont = "Century";
    QVERIFY(f.commands().dispatch(app::IdSettingsExport));
    const appcore::FrameSettings exported = h.frame;

    h.frame = appcore::FrameSettings();
    h.frame.rejectLevel = 1;
    h.app.latinFont = "Arial";
    QVERIFY(f.commands().dispatch(app::IdSettingsImport));
    QCOMPARE(h.saves, (std::vector<bool>{true, false}));
    QCOMPARE(h.filters.front(), QString::fromUtf8(settings_ui::kSettingsFileFilter));
    QVERIFY(h.frame.classColours == exported.classColours);
    QCOMPARE(h.frame.classFonts[4], std::string("IPAGothic"));
    QCOMPARE(h.frame.emphasisChar, std::string("\u30FB"));
    QCOMPARE(h.frame.rejectLevel, 6);
    QCOMPARE(h.frame.lineImageOffset, 5);
    QCOMPARE(h.frame.pdfKeywords, std::string("鍵 語"));
    QCOMPARE(h.frame.rubyOpen, std::string("《"));
    QCOMPARE(h.app.latinFont, std::string("Century"));
    // The file holds one key per class colour, written as code page 932 text.
    appcore::IniSettingsStore read = appcore::openSettingsFile(file);
    std::string error;
    QVERIFY(read.load(error));
    QCOMPARE(read.getInt("Settings", "文字種別色14", -1), 15);
    QVERIFY(TempDir::read(file).find("\x95\xB6\x8E\x9A") != std::string::npos);  // 文字 in CP932
  }

  void exportKeepsTheFilesOtherSections() {
    FrameWithTables h;
    auto& f = h.make();
    const std::string file =
        h.dir.write("old.sew", "[Other]\r\nkeep=1\r\n[Settings]\r\nリジェクト値=9\r\n");
    h.answerFileDialogs(file);
    QVERIFY(f.commands().dispatch(app::IdSettingsExport));
    appcore::IniSettingsStore read = appcore::openSettingsFile(file);
    std::string error;
    QVERIFY(read.load(error));
    QCOMPARE(read.getInt("Other", "keep", 0), 1);
    QCOMPARE(read.getInt("Settings", "リジェクト値", 0), 2);
  }

  void aFileThatCannotBeWrittenIsReported() {
    FrameWithTables h;
    auto& f = h.make();
    // A folder stands where the file should go.
    const std::string target = h.dir / "taken.sew";
    std::filesystem::create_directory(target);
    h.answerFileDialogs(target);
    QVERIFY(f.commands().dispatch(app::IdSettingsExport));
    QCOMPARE(h.prompter.shown.size(), size_t(1));
    QCOMPARE(h.prompter.shown[0].text, "ファイル(" + target + ")が開けません");
    QCOMPARE(h.prompter.shown[0].caption, std::string("ファイルオープンエラー"));
  }

  void cancelledDialogsChangeNothing() {
    FrameWithTables h;
    auto& f = h.make();
    h.answerFileDialogs("");
    h.frame.rejectLevel = 4;
    QVERIFY(f.commands().dispatch(app::IdSettingsImport));
    QCOMPARE(h.frame.rejectLevel, 4);
    QVERIFY(h.prompter.shown.empty());
  }

  void settingsSheetCommandNeedsTheTables() {
    FrameWithTables without;
    QVERIFY(!without.make(false).commands().isEnabled(app::IdSettingsSheet));
    FrameWithTables h;
    auto& f = h.make();
    QVERIFY(f.commands().isEnabled(app::IdSettingsSheet));
    QString caption;
    testing::whenModalOpens<settings_ui::CSetting>([&caption](settings_ui::CSetting& sheet) {
      caption = sheet.windowTitle();
      sheet.textInfo().findChild<QSlider*>("rejectLevel")->setValue(9);
      sheet.accept();
    });
    QVERIFY(f.commands().dispatch(app::IdSettingsSheet));
    QCOMPARE(caption, QStringLiteral("環境設定"));
    QCOMPARE(h.frame.rejectLevel, 9);
  }
};

int runSettingsFileTests(int argc, char** argv) {
  SettingsFileTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "settings_file_test.moc"
