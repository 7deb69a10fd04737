#include "appcore/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "appcore/application.h"
#include "appcore/recent_files.h"
#include "appcore/user_data.h"
#include "model/atomic_file.h"
#include "rovorirud/codec.h"
#include "support/recording_prompter.h"
#include "support/temp_dir.h"

namespace vellary::appcore {
namespace {

using vellary::testing::RecordingPrompter;
using vellary::testing::TempDir;

TEST(AppSettingsRead, DefaultsWhenNothingIsStored) {
  MemorySettingsStore store;
  RecordingPrompter prompter;
  AppSettings app;
  ASSERT_TRUE(readAppSettings(store, prompter, app));
  EXPECT_EQ(app.backupInterval, 5);
  EXPECT_EQ(app.maxMru, 5);
  EXPECT_DOUBLE_EQ(app.maxFont, 1.5);
  EXPECT_DOUBLE_EQ(app.minFont, 0.35);
  EXPECT_EQ(app.wareki, (std::vector<std::string>{"明治", "大正", "昭和", "平成"}));
  EXPECT_EQ(app.rWareki, (std::vector<std::string>{"治明", "正大", "和昭"}));
  EXPECT_EQ(app.displayScale, 50);
  EXPECT_TRUE(prompter.shown.empty());
  applyFontDefaults(app);
  EXPECT_EQ(app.japaneseFont, "ＭＳ 明朝");
  EXPECT_EQ(app.japaneseVerticalFont, "@ＭＳ 明朝");
}

TEST(AppSettingsRead, OutOfRangeValuesAreBroughtBack) {
  MemorySettingsStore store;
  RecordingPrompter prompter;
  store.setInt("Backup", "BackupInterval", 20000);
  store.setInt("Settings", "nMaxMRU", 20);
  AppSettings app;
  ASSERT_TRUE(readAppSettings(store, prompter, app));
  EXPECT_EQ(app.backupInterval, 14400);
  EXPECT_EQ(app.maxMru, 16);
  store.setInt("Settings", "nMaxMRU", 7);
  ASSERT_TRUE(readAppSettings(store, prompter, app));
  EXPECT_EQ(app.maxMru, 7);
  store.setInt("Settings", "nMaxMRU", -1);
  ASSERT_TRUE(readAppSettings(store, prompter, app));
  EXPECT_EQ(app.maxMru, 16);
  // Recognition threads: 0 (every core) by default, a negative count is every core too, an
  // absurd one is capped.
  EXPECT_EQ(app.recognitionThreads, 0);
  store.setInt("Settings", "認識スレッド数", -3);
  ASSERT_TRUE(readAppSettings(store, prompter, app));
  EXPECT_EQ(app.recognitionThreads, 0);
  store.setInt("Settings", "認識スレッド数", 100000);
  ASSERT_TRUE(readAppSettings(store, prompter, app));
  EXPECT_EQ(app.recognitionThreads, kMaxRecognitionThreads);
  store.setInt("Settings", "認識スレッド数", 1);
  ASSERT_TRUE(readAppSettings(store, prompter, app));
  EXPECT_EQ(app.recognitionThreads, 1);
}

TEST(AppSettingsRead, BadParametersStopTheProgramWithTheirMessage) {
  struct Case {
    const char* key;
    const char* value;
    const char* message;
  } cases[] = {
      {"MIN_FONT", "0", "MIN_FONT を正値に設定してください"},
      {"MAX_FONT", "abc", "MAX_FONT を正値に設定してください"},
      {"MAX_FONT", "-1.5", "MAX_FONT を正値に設定してください"},
      {"WAREKI", "|明治|大正", "キーワードが不正です"},
      {"R_WAREKI", "治明|", "キーワードが不正です"},
  };
  for (const Case& c : cases) {
    MemorySettingsStore store;
    store.setString("Parameter", c.key, c.value);
    RecordingPrompter prompter;
    AppSettings app;
    EXPECT_FALSE(readAppSettings(store, prompter, app)) << c.key;
    ASSERT_EQ(prompter.shown.size(), 1u) << c.key;
    EXPECT_EQ(prompter.shown[0].text, c.message);
    EXPECT_EQ(prompter.shown[0].caption, "パラメータエラー");
  }
  MemorySettingsStore store;
  store.setString("Parameter", "WAREKI", "明治|大正|昭和|平成|令和");
  store.setString("Parameter", "MIN_FONT", "0.500000");
  RecordingPrompter prompter;
  AppSettings app;
  ASSERT_TRUE(readAppSettings(store, prompter, app));
  EXPECT_EQ(app.wareki.size(), 5u);
  EXPECT_DOUBLE_EQ(app.minFont, 0.5);
}

TEST(FrameSettingsRead, ColoursFontsAndTheReanalysisSwitch) {
  MemorySettingsStore store;
  FrameSettings frame;
  readFrameSettings(store, frame);
  EXPECT_EQ(frame.classColours[2], 11);
  EXPECT_EQ(frame.userColours[15], 0xFFFFFFu);
  EXPECT_EQ(frame.classFonts[14], "ＭＳ 明朝");
  EXPECT_EQ(frame.nonEditLineColour, 0xC0C0C0);
  EXPECT_EQ(frame.textBackground, 0xFFFFA0);
  EXPECT_EQ(frame.emphasisChar, "、");

  store.setString("Settings", "文字種別色", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15");
  store.setString("Settings", "文字種別色定義", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16777215");
  store.setInt("Settings", "再構成", 1);
  store.setString("Settings", "文字種フォント3", "IPAゴシック");
  readFrameSettings(store, frame);
  EXPECT_EQ(frame.classColours[14], 15);
  EXPECT_EQ(frame.userColours[0], 1u);
  EXPECT_EQ(frame.reAnalyze, 0);  // reset at every start
  EXPECT_EQ(frame.classFonts[3], "IPAゴシック");
}

TEST(SettingsWrite, ClosingWritesTheStoreForms) {
  MemorySettingsStore store;
  AppSettings app;
  FrameSettings frame;
  WindowSettings window;
  app.simplifiedChineseHeight = -20;
  frame.reAnalyze = 1;
  window.zoomed = 1;
  writeAllSettings(store, app, frame, window);
  EXPECT_EQ(store.read("Parameter", "MAX_FONT"), "1.500000");
  EXPECT_EQ(store.read("Parameter", "MIN_FONT"), "0.350000");
  EXPECT_EQ(store.read("Parameter", "R_WAREKI"), "治明|正大|和昭");
  EXPECT_EQ(store.read("Settings", "文字種別色"), "0,0,11,4,0,0,0,0,0,11,11,11,4,2,9");
  EXPECT_EQ(store.read("Settings", "文字種別色定義"),
            "16777215,16777215,16777215,16777215,16777215,16777215,16777215,16777215,"
            "16777215,16777215,16777215,16777215,16777215,16777215,16777215,16777215");
  EXPECT_EQ(store.read("Settings", "再構成"), "1");
  EXPECT_EQ(store.read("Window", "zoomed"), "1");
  EXPECT_FALSE(store.read("Settings", "簡体字フォントサイズ"));  // heights are never written
  EXPECT_FALSE(store.read("Settings", "XmlFolder"));
}

TEST(SettingsFile, ExportThenImportRestoresTheValues) {
  TempDir dir;
  AppSettings app;
  FrameSettings frame;
  frame.classColours = {3, 1, 4, 1, 5, 9, 2, 6, 5, 3, 5, 8, 9, 7, 9};
  frame.classFonts[7] = "IPA明朝";
  frame.rejectLevel = 7;
  frame.pdfAuthor = "夏目 漱石";
  frame.reAnalyze = 1;
  app.latinFont = "Century";
  std::string path = dir / "mine.sew";
  IniSettingsStore out = openSettingsFile(path);
  exportSettings(out, app, frame);
  std::string error;
  ASSERT_TRUE(out.flush(error)) << error;

  // The file is code page 932 with one key per class, as the Windows program reads it.
  std::u16string text = rovorirud::Codec::cp932().decode(TempDir::read(path));
  EXPECT_NE(text.find(u"[Settings]\r\n文字種別色0=3\r\n文字種別色1=1\r\n"), std::u16string::npos);
  EXPECT_NE(text.find(u"PDFAuthor=夏目 漱石\r\n"), std::u16string::npos);
  EXPECT_NE(text.find(u"bReAnalize=1\r\n"), std::u16string::npos);

  IniSettingsStore in = openSettingsFile(path);
  ASSERT_TRUE(in.load(error));
  AppSettings app2;
  FrameSettings frame2;
  importSettings(in, app2, frame2);
  EXPECT_EQ(frame2.classColours, frame.classColours);
  EXPECT_EQ(frame2.classFonts[7], "IPA明朝");
  EXPECT_EQ(frame2.rejectLevel, 7);
  EXPECT_EQ(frame2.pdfAuthor, "夏目 漱石");
  EXPECT_EQ(app2.latinFont, "Century");

  // The store keeps the colours as one string; after import they reach it in that form.
  MemorySettingsStore store;
  writeFrameSettings(store, frame2);
  EXPECT_EQ(store.read("Settings", "文字種別色"), "3,1,4,1,5,9,2,6,5,3,5,8,9,7,9");
}

TEST(SettingsFile, MissingKeysTakeTheImportDefaults) {
  MemorySettingsStore empty;
  AppSettings app;
  FrameSettings frame;
  frame.pdfCreator = "changed";
  importSettings(empty, app, frame);
  EXPECT_EQ(frame.reAnalyze, 1);
  EXPECT_EQ(frame.registerReplacement, 1);
  EXPECT_EQ(frame.pdfImageQuality, 1);
  EXPECT_EQ(frame.pdfAuthorCheck, 1);
  EXPECT_EQ(frame.pdfCreator, "Vellary PRO v.15.0 訂正プログラム");
  EXPECT_EQ(frame.pdfProducer, "Vellary PRO v.15.0 訂正プログラム");
  EXPECT_EQ(frame.rejectLevel, 2);
  EXPECT_EQ(frame.classColours[2], 11);
}

TEST(Ini, ReadsEveryEncodingTheFileMayHave) {
  std::string utf16 = "\xFF\xFE";
  for (char16_t u : std::u16string(u"[settings]\r\nKey = \"値 \"\r\n"))
    utf16 += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
  for (const std::string& bytes :
       {utf16, std::string("[Settings]\nkey=\xE5\x80\xA4 \n"),
        std::string("\xEF\xBB\xBF[Settings]\r\nKEY=\xE5\x80\xA4 \r\n"),
        std::string("; comment\r\n[Settings]\r\nKey=\x92\x6C \r\n")}) {
    IniDocument doc = IniDocument::parse(bytes);
    EXPECT_EQ(doc.get("Settings", "key").value_or("?").substr(0, 3), "値");
  }
  IniDocument doc;
  doc.set("S", "k", "é");  // code page 932 cannot hold it: the file becomes UTF-16
  TextEncoding used;
  std::string bytes = doc.serialize(TextEncoding::Cp932, false, &used);
  EXPECT_EQ(used, TextEncoding::Utf16);
  EXPECT_EQ(IniDocument::parse(bytes).get("S", "K"), "é");
  doc.set("S", "path", "a\\b\nc");
  EXPECT_EQ(IniDocument::parse(doc.serialize(TextEncoding::Utf8, true), true).get("S", "path"),
            "a\\b\nc");
  // Blanks at either end and enclosing quotes survive both forms of the file.
  for (const char* value : {" (", ") ", "\"quoted\"", "\"", "\t"}) {
    doc.set("S", "v", value);
    EXPECT_EQ(IniDocument::parse(doc.serialize(TextEncoding::Utf8, true), true).get("S", "v"),
              value);
    EXPECT_EQ(IniDocument::parse(doc.serialize(TextEncoding::Cp932)).get("S", "v"), value);
  }
}

// One byte that code page 932 lacks in a settings file refuses the import with the key's name, and
// nothing changes; the store itself is UTF-8 always, so a replacement character written into it
// earlier neither turns it into code page 932 nor makes it grow.
TEST(SettingsFile, AnUndecodableValueRefusesTheImport) {
  TempDir dir;
  AppSettings app;
  FrameSettings frame;
  frame.emphasisChar = "・";
  std::string error;
  auto cp932 = [](const std::u16string& text) {
    std::string bytes;
    EXPECT_TRUE(rovorirud::Codec::cp932().encode(text, bytes));
    return bytes;
  };
  // 圏点文字 whose value has a second byte that code page 932 does not map.
  const std::string head = cp932(u"[Settings]\r\nモノルビ=0\r\n圏点文字=");
  dir.write("bad.sew", head + "\x81\xFF\r\n");
  EXPECT_EQ(importSettingsFile(dir / "bad.sew", app, frame, error), ImportOutcome::Undecodable);
  EXPECT_NE(error.find("圏点文字"), std::string::npos) << error;
  EXPECT_EQ(frame.monoRuby, 1);  // nothing was taken, not even the good values
  EXPECT_EQ(frame.emphasisChar, "・");
  dir.write("good.sew", head + cp932(u"、\r\n"));
  EXPECT_EQ(importSettingsFile(dir / "good.sew", app, frame, error), ImportOutcome::Imported)
      << error;
  EXPECT_EQ(frame.monoRuby, 0);
  EXPECT_EQ(frame.emphasisChar, "、");
  // A bad byte in a key the import does not read is no reason to refuse.
  dir.write("other.sew", head + cp932(u"、\r\n[Other]\r\nx=") + "\xFF\r\n");
  EXPECT_EQ(importSettingsFile(dir / "other.sew", app, frame, error), ImportOutcome::Imported);
  EXPECT_EQ(importSettingsFile(dir / "none.sew", app, frame, error), ImportOutcome::CannotRead);
  EXPECT_EQ(importSettingsFile(dir.path(), app, frame, error), ImportOutcome::CannotRead);

  const std::string path = dir / "config/Tolvane/store.ini";
  IniSettingsStore store(path, TextEncoding::Utf8, true, model::FileMode::Private);
  store.setString("Settings", "圏点文字", "\xEF\xBF\xBD");  // U+FFFD, well formed
  store.setString("Settings", "日本語フォント", "ＭＳ 明朝");
  ASSERT_TRUE(store.flush(error)) << error;
  const size_t size = TempDir::read(path).size();
  for (int i = 0; i < 3; ++i) {
    IniSettingsStore again(path, TextEncoding::Utf8, true, model::FileMode::Private);
    ASSERT_TRUE(again.load(error));
    EXPECT_EQ(again.getString("Settings", "日本語フォント", ""), "ＭＳ 明朝");
    EXPECT_EQ(again.getString("Settings", "圏点文字", ""), "\xEF\xBF\xBD");
    ASSERT_TRUE(again.flush(error));
  }
  EXPECT_EQ(TempDir::read(path).size(), size);
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(::stat((dir / "config/Tolvane").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(UserStore, AnInterruptedWriteLeavesThePreviousFile) {
  TempDir dir;
  std::string path = dir / "Tolvane/settings.ini";
  IniSettingsStore store(path, TextEncoding::Utf8, true);
  store.setInt("Backup", "DoBackup", 0);
  std::string error;
  ASSERT_TRUE(store.flush(error)) << error;
  std::string before = TempDir::read(path);

  bool wrote = model::replaceFile(
      path, [](std::FILE* f) { return std::fputs("[Backup]\r\nDoB", f) >= 0 && false; }, error);
  EXPECT_FALSE(wrote);
  EXPECT_EQ(TempDir::read(path), before);
  int files = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir / "Tolvane")) ++files;
  EXPECT_EQ(files, 1);

  IniSettingsStore again(path, TextEncoding::Utf8, true);
  ASSERT_TRUE(again.load(error));
  EXPECT_EQ(again.getInt("Backup", "DoBackup", 1), 0);
}

TEST(UserDataFolder, StoredValidStaleOrAbsent) {
  TempDir dir;
  std::string documents = dir / "Documents";
  std::filesystem::create_directories(documents);
  const std::string name = "Vellary PRO 訂正プログラム User Data";

  MemorySettingsStore absent;
  EXPECT_EQ(userDataFolder(absent, documents), documents + "/tolvane/" + name);
  EXPECT_TRUE(std::filesystem::is_directory(documents + "/tolvane/" + name));
  EXPECT_FALSE(absent.read("FolderPath", "UserDataFolder"));  // only a stale value is rewritten

  MemorySettingsStore valid;
  valid.setString("FolderPath", "UserDataFolder", dir.path());
  EXPECT_EQ(userDataFolder(valid, documents), dir.path());

  std::filesystem::create_directories(documents + "/" + name);
  MemorySettingsStore stale;
  stale.setString("FolderPath", "UserDataFolder", dir / "gone");
  EXPECT_EQ(userDataFolder(stale, documents), documents + "/" + name);
  EXPECT_EQ(stale.read("FolderPath", "UserDataFolder"), documents + "/" + name);
}

TEST(UserDataFolder, TheShippedExplanationsAreCopiedButNeverOverwritten) {
  TempDir dir;
  std::string shipped = dir.write("shipped.txt", "shipped");
  TableFiles t = resolveTableFiles("", "", dir.path(), shipped);
  EXPECT_EQ(t.registTable, dir / "registTable.csv");
  EXPECT_EQ(t.explainTable, dir / "CandidateExplain.txt");
  EXPECT_EQ(TempDir::read(t.explainTable), "shipped");
  dir.write("CandidateExplain.txt", "mine");
  resolveTableFiles("", "", dir.path(), shipped);
  EXPECT_EQ(TempDir::read(dir / "CandidateExplain.txt"), "mine");
  EXPECT_EQ(resolveTableFiles("/x/r.csv", "/x/e.txt", dir.path(), shipped).explainTable, "/x/e.txt");
}

TEST(Describe, EveryKeyWithItsDefaultOrStoredValue) {
  MemorySettingsStore store;
  store.setInt("Settings", "リジェクト値", 5);
  std::vector<std::string> lines = describeSettings(store);
  auto has = [&](const std::string& l) {
    return std::find(lines.begin(), lines.end(), l) != lines.end();
  };
  EXPECT_TRUE(has("Backup/BackupInterval=5"));
  EXPECT_TRUE(has("Parameter/MAX_FONT=1.500000"));
  EXPECT_TRUE(has("Settings/リジェクト値=5"));
  EXPECT_TRUE(has("Settings/文字種別色定義=not define"));
  EXPECT_TRUE(has("Settings/文字種フォント14=ＭＳ 明朝"));
  EXPECT_TRUE(has("Window/ImagePaneHeight=-1"));
  EXPECT_TRUE(has("Settings/テキスト背景色=16777120"));
  EXPECT_GT(lines.size(), 80u);
}

}  // namespace
}  // namespace vellary::appcore

namespace vellary::appcore {
namespace {

TEST(Application, StartLoadsTheTablesAndExitSavesTheChangedOnes) {
  TempDir dir;
  std::string documents = dir / "Documents";
  std::filesystem::create_directories(documents);
  std::string shipped = dir.write("shipped.txt", std::string("\xFF\xFE", 2) + std::string("W\0\t\0d\0\r\0\n\0", 10));
  MemorySettingsStore store;
  RecordingPrompter prompter;
  Application app;
  ASSERT_TRUE(startApplication(store, prompter, documents, shipped, app));
  EXPECT_EQ(app.dataFolder, documents + "/tolvane/Vellary PRO 訂正プログラム User Data");
  EXPECT_EQ(app.explanations.explanationOf(u"W"), u"d");
  EXPECT_TRUE(app.registered.pairs.empty());  // no file yet: empty, no message
  EXPECT_TRUE(prompter.shown.empty());

  app.registered.addRegistered(u"旧", u"新");
  ASSERT_TRUE(exitApplication(app, prompter));
  Application again;
  ASSERT_TRUE(startApplication(store, prompter, documents, shipped, again));
  ASSERT_EQ(again.registered.pairs.size(), 1u);
  EXPECT_EQ(again.registered.pairs[0].second, u"新");

  store.setString("Parameter", "MAX_FONT", "0");
  Application bad;
  EXPECT_FALSE(startApplication(store, prompter, documents, shipped, bad));
}

}  // namespace
}  // namespace vellary::appcore

TEST(RecentFiles, ShorterListClearsStaleSlotsAndCaptionsCountPastNine) {
  vellary::appcore::MemorySettingsStore store;
  vellary::appcore::RecentFileList list(3);
  for (const char* p : {"/a.xml", "/b.xml", "/c.xml", "/d.xml"}) list.add(p);
  EXPECT_EQ(list.paths(), (std::vector<std::string>{"/d.xml", "/c.xml", "/b.xml"}));
  list.save(store);
  list.remove(0);
  list.remove(0);
  list.save(store);
  vellary::appcore::RecentFileList again(3);
  again.load(store);
  EXPECT_EQ(again.paths(), std::vector<std::string>{"/b.xml"});
  EXPECT_EQ(vellary::appcore::recentFileCaption(0, "/x&y.xml"), "&1 /x&&y.xml");
  EXPECT_EQ(vellary::appcore::recentFileCaption(9, "/z.xml"), "1&0 /z.xml");
}
