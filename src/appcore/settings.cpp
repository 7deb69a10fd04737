// Settings: the key tables, reading with checks, writing back, export and import.
#include "settings.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "model/file_access.h"

namespace vellary::appcore {

namespace {

constexpr char kOutput[] = "Output";
constexpr char kBackup[] = "Backup";
constexpr char kParameter[] = "Parameter";
constexpr char kSettings[] = "Settings";
constexpr char kWindow[] = "Window";

constexpr char kClassColoursKey[] = "文字種別色";
constexpr char kUserColoursKey[] = "文字種別色定義";
constexpr char kNotDefined[] = "not define";

// Keys whose value is one field. `atClose` marks the values the main window writes back when it
// closes; the others are written by the command that changes them, or never.
template <class S, class T>
struct Key {
  const char* section;
  const char* key;
  T S::*field;
  bool atClose;
};

using AppInt = Key<AppSettings, int>;
using AppText = Key<AppSettings, std::string>;
using FrameInt = Key<FrameSettings, int>;
using FrameText = Key<FrameSettings, std::string>;
using WindowInt = Key<WindowSettings, int>;

const AppInt kAppInts[] = {
    {kOutput, "Encoding", &AppSettings::encoding, true},
    {kBackup, "DoBackup", &AppSettings::doBackup, true},
    {kBackup, "BackupInterval", &AppSettings::backupInterval, true},
    {kSettings, "nMaxMRU", &AppSettings::maxMru, false},
    {kSettings, "表示縮尺", &AppSettings::displayScale, false},
    {kSettings, "簡体字フォントサイズ", &AppSettings::simplifiedChineseHeight, false},
    {kSettings, "繁体字フォントサイズ", &AppSettings::traditionalChineseHeight, false},
    {kSettings, "ハングルフォントサイズ", &AppSettings::hangulHeight, false},
    {kSettings, "認識スレッド数", &AppSettings::recognitionThreads, true},
};

const AppText kAppTexts[] = {
    {kBackup, "BackupOrgFileName", &AppSettings::backupOrgFileName, true},
    {kSettings, "XmlFolder", &AppSettings::xmlFolder, false},
    {kSettings, "登録テーブル名", &AppSettings::registTableName, true},
    {kSettings, "候補説明テーブル名", &AppSettings::explainTableName, true},
    {kSettings, "日本語フォント", &AppSettings::japaneseFont, true},
    {kSettings, "日本語縦フォント", &AppSettings::japaneseVerticalFont, true},
    {kSettings, "欧文フォント", &AppSettings::latinFont, true},
    {kSettings, "簡体字フォント名", &AppSettings::simplifiedChineseFont, true},
    {kSettings, "繁体字フォント名", &AppSettings::traditionalChineseFont, true},
    {kSettings, "ハングルフォント名", &AppSettings::hangulFont, true},
};

const FrameInt kFrameInts[] = {
    {kSettings, "文字表示モード", &FrameSettings::textColourMode, true},
    {kSettings, "再構成", &FrameSettings::reAnalyze, true},
    {kSettings, "行間改行挿入", &FrameSettings::blockBreak, true},
    {kSettings, "行頭空白挿入", &FrameSettings::leadingSpace, true},
    {kSettings, "空白タイプ", &FrameSettings::spaceType, true},
    {kSettings, "自然改行", &FrameSettings::naturalBreak, true},
    {kSettings, "ブロック終端の改行", &FrameSettings::blockEndBreak, true},
    {kSettings, "モノルビ", &FrameSettings::monoRuby, true},
    {kSettings, "ルビ拗音促音処理", &FrameSettings::rubySmallKana, true},
    {kSettings, "置換文字文字テーブル登録", &FrameSettings::registerReplacement, true},
    {kSettings, "Word段組み出力", &FrameSettings::wordColumns, true},
    {kSettings, "ルビ挿入", &FrameSettings::rubyInsert, true},
    {kSettings, "ブロック番号表示", &FrameSettings::showBlockNumbers, true},
    {kSettings, "外部ファイル", &FrameSettings::exportKind, true},
    {kSettings, "View表示", &FrameSettings::viewDisplay, true},
    {kSettings, "View画像表示", &FrameSettings::viewImage, true},
    {kSettings, "View配置", &FrameSettings::viewArrangement, true},
    {kSettings, "View前配置", &FrameSettings::viewPrevArrangement, true},
    {kSettings, "表示縮尺合わせ", &FrameSettings::zoomFit, true},
    {kSettings, "編集行文字色", &FrameSettings::editLineColour, true},
    {kSettings, "非編集行文字色", &FrameSettings::nonEditLineColour, true},
    {kSettings, "テキスト背景色", &FrameSettings::textBackground, true},
    {kSettings, "修正された文字色", &FrameSettings::changedColour, true},
    {kSettings, "修正文字の色表示", &FrameSettings::showChanged, true},
    {kSettings, "横書き画像表示位置", &FrameSettings::horizontalLineImagePos, true},
    {kSettings, "縦書き画像表示位置", &FrameSettings::verticalLineImagePos, true},
    {kSettings, "1行画像オフセット", &FrameSettings::lineImageOffset, true},
    {kSettings, "リジェクト値", &FrameSettings::rejectLevel, true},
    {kSettings, "リジェクト表示文字", &FrameSettings::rejectShowChar, true},
    {kSettings, "リジェクト色換え", &FrameSettings::rejectRecolour, true},
    {kSettings, "PDFImageQuality", &FrameSettings::pdfImageQuality, true},
    {kSettings, "PDFAuthorCheck", &FrameSettings::pdfAuthorCheck, true},
    {kSettings, "PDFEmbedFonts", &FrameSettings::pdfEmbedFonts, true},
    {kSettings, "PDFArchive", &FrameSettings::pdfArchive, true},
    {kSettings, "TextRubyNotation", &FrameSettings::textRubyNotation, true},
};

const FrameText kFrameTexts[] = {
    {kSettings, "圏点文字", &FrameSettings::emphasisChar, true},
    {kSettings, "ルビ対象文字", &FrameSettings::rubyTarget, true},
    {kSettings, "ルビ開始文字", &FrameSettings::rubyOpen, true},
    {kSettings, "ルビ終了文字", &FrameSettings::rubyClose, true},
    {kSettings, "PDFAuthor", &FrameSettings::pdfAuthor, true},
    {kSettings, "PDFKeywords", &FrameSettings::pdfKeywords, true},
    {kSettings, "PDFFileTitle", &FrameSettings::pdfFileTitle, true},
    {kSettings, "PDFFileSubtitle", &FrameSettings::pdfFileSubtitle, true},
};

const WindowInt kWindowInts[] = {
    {kWindow, "x", &WindowSettings::x, true},
    {kWindow, "y", &WindowSettings::y, true},
    {kWindow, "width", &WindowSettings::width, true},
    {kWindow, "height", &WindowSettings::height, true},
    {kWindow, "zoomed", &WindowSettings::zoomed, true},
    {kWindow, "ImagePaneHeight", &WindowSettings::imagePaneHeight, true},
    {kWindow, "ImagePaneWidth", &WindowSettings::imagePaneWidth, true},
    {kWindow, "SelViewWidth", &WindowSettings::selViewWidth, true},
};

template <class S, size_t N>
void readInts(const SettingsStore& store, const Key<S, int> (&keys)[N], S& s) {
  for (const auto& k : keys) s.*k.field = store.getInt(k.section, k.key, s.*k.field);
}
template <class S, size_t N>
void readTexts(const SettingsStore& store, const Key<S, std::string> (&keys)[N], S& s) {
  for (const auto& k : keys) s.*k.field = store.getString(k.section, k.key, s.*k.field);
}
template <class S, size_t N>
void writeInts(SettingsStore& store, const Key<S, int> (&keys)[N], const S& s) {
  for (const auto& k : keys)
    if (k.atClose) store.setInt(k.section, k.key, s.*k.field);
}
template <class S, size_t N>
void writeTexts(SettingsStore& store, const Key<S, std::string> (&keys)[N], const S& s) {
  for (const auto& k : keys)
    if (k.atClose) store.setString(k.section, k.key, s.*k.field);
}

std::string join(const std::vector<std::string>& items, char separator) {
  std::string out;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i) out += separator;
    out += items[i];
  }
  return out;
}

std::vector<std::string> split(std::string_view text, char separator) {
  std::vector<std::string> out;
  if (text.empty()) return out;
  size_t pos = 0;
  while (true) {
    size_t next = text.find(separator, pos);
    out.emplace_back(text.substr(pos, next == std::string_view::npos ? text.npos : next - pos));
    if (next == std::string_view::npos) break;
    pos = next + 1;
  }
  return out;
}

// A real parameter: the stored text, or the current value with six decimals.
bool readReal(const SettingsStore& store, const char* key, Prompter& prompter, double& value) {
  std::string text = store.getString(kParameter, key, formatReal(value));
  double v = std::strtod(text.c_str(), nullptr);
  if (!(v > 0)) {
    std::string message = std::string(key) + " を正値に設定してください";
    prompter.message(message, kParameterErrorCaption, Icon::Error);
    return false;
  }
  value = v;
  return true;
}

bool readEraList(const SettingsStore& store, const char* key, Prompter& prompter,
                 std::vector<std::string>& list) {
  std::string text = store.getString(kParameter, key, join(list, '|'));
  if (!text.empty() && (text.front() == '|' || text.back() == '|')) {
    prompter.message("キーワードが不正です", kParameterErrorCaption, Icon::Error);
    return false;
  }
  list = split(text, '|');
  return true;
}

std::string classColoursText(const FrameSettings& f) {
  std::vector<std::string> parts;
  for (int c : f.classColours) parts.push_back(std::to_string(c));
  return join(parts, ',');
}

std::string userColoursText(const FrameSettings& f) {
  std::vector<std::string> parts;
  for (uint32_t c : f.userColours) parts.push_back(std::to_string(c));
  return join(parts, ',');
}

// Entries that are missing or not numbers keep the value they had.
template <class T, size_t N>
void parseList(std::string_view text, std::array<T, N>& out) {
  std::vector<std::string> parts = split(text, ',');
  for (size_t i = 0; i < N && i < parts.size(); ++i) {
    char* end = nullptr;
    long long v = std::strtoll(parts[i].c_str(), &end, 10);
    if (end != parts[i].c_str()) out[i] = static_cast<T>(v);
  }
}

std::string classFontKey(int i) { return "文字種フォント" + std::to_string(i); }
std::string classColourKey(int i) { return std::string(kClassColoursKey) + std::to_string(i); }

// The keys of the settings file, in the order the file holds them.
struct ExportKey {
  const char* key;
  int FrameSettings::*frameInt = nullptr;
  std::string FrameSettings::*frameText = nullptr;
  std::string AppSettings::*appText = nullptr;
};

const ExportKey kExportKeys[] = {
    {"bReAnalize", &FrameSettings::reAnalyze},
    {"行間改行挿入", &FrameSettings::blockBreak},
    {"行頭空白挿入", &FrameSettings::leadingSpace},
    {"空白タイプ", &FrameSettings::spaceType},
    {"自然改行", &FrameSettings::naturalBreak},
    {"ブロック終端の改行", &FrameSettings::blockEndBreak},
    {"モノルビ", &FrameSettings::monoRuby},
    {"ルビ拗音促音処理", &FrameSettings::rubySmallKana},
    {"圏点文字", nullptr, &FrameSettings::emphasisChar},
    {"置換文字文字テーブル登録", &FrameSettings::registerReplacement},
    {"Word段組み出力", &FrameSettings::wordColumns},
    {"ルビ対象文字", nullptr, &FrameSettings::rubyTarget},
    {"ルビ開始文字", nullptr, &FrameSettings::rubyOpen},
    {"ルビ終了文字", nullptr, &FrameSettings::rubyClose},
    {"ルビ挿入", &FrameSettings::rubyInsert},
    {"PDFImageQuality", &FrameSettings::pdfImageQuality},
    {"PDFAuthorCheck", &FrameSettings::pdfAuthorCheck},
    {"PDFEmbedFonts", &FrameSettings::pdfEmbedFonts},
    {"PDFArchive", &FrameSettings::pdfArchive},
    {"TextRubyNotation", &FrameSettings::textRubyNotation},
    {"日本語フォント", nullptr, nullptr, &AppSettings::japaneseFont},
    {"日本語縦フォント", nullptr, nullptr, &AppSettings::japaneseVerticalFont},
    {"欧文フォント", nullptr, nullptr, &AppSettings::latinFont},
    {"簡体字フォント", nullptr, nullptr, &AppSettings::simplifiedChineseFont},
    {"繁体字フォント", nullptr, nullptr, &AppSettings::traditionalChineseFont},
    {"ハングルフォント", nullptr, nullptr, &AppSettings::hangulFont},
    {"編集行文字色", &FrameSettings::editLineColour},
    {"非編集行文字色", &FrameSettings::nonEditLineColour},
    {"横書き画像表示位置", &FrameSettings::horizontalLineImagePos},
    {"縦書き画像表示位置", &FrameSettings::verticalLineImagePos},
    {"テキスト背景色", &FrameSettings::textBackground},
    {"リジェクト表示文字", &FrameSettings::rejectShowChar},
    {"リジェクト値", &FrameSettings::rejectLevel},
    {"リジェクト色換え", &FrameSettings::rejectRecolour},
    {"修正された文字色", &FrameSettings::changedColour},
    {"修正文字の色表示", &FrameSettings::showChanged},
    {"PDFFileSubtitle", nullptr, &FrameSettings::pdfFileSubtitle},
    {"PDFAuthor", nullptr, &FrameSettings::pdfAuthor},
    {"PDFKeywords", nullptr, &FrameSettings::pdfKeywords},
    {"PDFCreator", nullptr, &FrameSettings::pdfCreator},
    {"PDFProducer", nullptr, &FrameSettings::pdfProducer},
    {"PDFFileTitle", nullptr, &FrameSettings::pdfFileTitle},
    {"1行画像オフセット", &FrameSettings::lineImageOffset},
};

}  // namespace

std::string formatReal(double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%f", value);
  return buf;
}

bool readAppSettings(const SettingsStore& store, Prompter& prompter, AppSettings& app) {
  readInts(store, kAppInts, app);
  readTexts(store, kAppTexts, app);
  if (app.backupInterval > kMaxBackupInterval) app.backupInterval = kMaxBackupInterval;
  if (app.maxMru > 15 || app.maxMru < 0) app.maxMru = 16;
  app.recognitionThreads = std::clamp(app.recognitionThreads, 0, kMaxRecognitionThreads);
  return readReal(store, "MAX_FONT", prompter, app.maxFont) &&
         readReal(store, "MIN_FONT", prompter, app.minFont) &&
         readEraList(store, "WAREKI", prompter, app.wareki) &&
         readEraList(store, "R_WAREKI", prompter, app.rWareki);
}

void writeAppSettings(SettingsStore& store, const AppSettings& app) {
  writeInts(store, kAppInts, app);
  store.setString(kParameter, "MAX_FONT", formatReal(app.maxFont));
  store.setString(kParameter, "MIN_FONT", formatReal(app.minFont));
  store.setString(kParameter, "WAREKI", join(app.wareki, '|'));
  store.setString(kParameter, "R_WAREKI", join(app.rWareki, '|'));
  writeTexts(store, kAppTexts, app);
}

void applyFontDefaults(AppSettings& app) {
  if (app.japaneseFont.empty()) app.japaneseFont = "ＭＳ 明朝";
  if (app.japaneseVerticalFont.empty()) app.japaneseVerticalFont = "@ＭＳ 明朝";
}

void readFrameSettings(const SettingsStore& store, FrameSettings& frame) {
  readInts(store, kFrameInts, frame);
  readTexts(store, kFrameTexts, frame);
  frame.reAnalyze = 0;
  parseList(store.getString(kSettings, kClassColoursKey, classColoursText(frame)),
            frame.classColours);
  std::string defs = store.getString(kSettings, kUserColoursKey, kNotDefined);
  if (defs == kNotDefined)
    frame.userColours = FrameSettings::filledUserColours();
  else
    parseList(defs, frame.userColours);
  for (int i = 0; i < kCharClassCount; ++i)
    frame.classFonts[i] = store.getString(kSettings, classFontKey(i), frame.classFonts[i]);
}

void writeFrameSettings(SettingsStore& store, const FrameSettings& frame) {
  writeInts(store, kFrameInts, frame);
  writeTexts(store, kFrameTexts, frame);
  store.setString(kSettings, kClassColoursKey, classColoursText(frame));
  store.setString(kSettings, kUserColoursKey, userColoursText(frame));
  for (int i = 0; i < kCharClassCount; ++i)
    store.setString(kSettings, classFontKey(i), frame.classFonts[i]);
}

void readWindowSettings(const SettingsStore& store, WindowSettings& window) {
  readInts(store, kWindowInts, window);
}

void writeWindowSettings(SettingsStore& store, const WindowSettings& window) {
  writeInts(store, kWindowInts, window);
}

bool windowSizeStored(const SettingsStore& store) {
  return store.read(kWindow, "width").has_value() && store.read(kWindow, "height").has_value();
}

void writeAllSettings(SettingsStore& store, const AppSettings& app, const FrameSettings& frame,
                      const WindowSettings& window) {
  writeAppSettings(store, app);
  writeFrameSettings(store, frame);
  writeWindowSettings(store, window);
}

void exportSettings(SettingsStore& file, const AppSettings& app, const FrameSettings& frame) {
  for (int i = 0; i < kCharClassCount; ++i) file.setInt(kSettings, classColourKey(i), frame.classColours[i]);
  for (int i = 0; i < kCharClassCount; ++i) file.setString(kSettings, classFontKey(i), frame.classFonts[i]);
  for (const ExportKey& k : kExportKeys) {
    if (k.frameInt)
      file.setInt(kSettings, k.key, frame.*k.frameInt);
    else if (k.frameText)
      file.setString(kSettings, k.key, frame.*k.frameText);
    else
      file.setString(kSettings, k.key, app.*k.appText);
  }
}

void importSettings(const SettingsStore& file, AppSettings& app, FrameSettings& frame) {
  // A key the file lacks gets the store's default, except where the frame starts otherwise.
  const FrameSettings defaults;
  FrameSettings importDefaults;
  importDefaults.reAnalyze = 1;
  importDefaults.registerReplacement = 1;
  importDefaults.pdfImageQuality = 1;
  importDefaults.pdfAuthorCheck = 1;
  const AppSettings appDefaults;
  for (int i = 0; i < kCharClassCount; ++i) {
    frame.classColours[i] = file.getInt(kSettings, classColourKey(i), defaults.classColours[i]);
    frame.classFonts[i] = file.getString(kSettings, classFontKey(i), defaults.classFonts[i]);
  }
  for (const ExportKey& k : kExportKeys) {
    if (k.frameInt)
      frame.*k.frameInt = file.getInt(kSettings, k.key, importDefaults.*k.frameInt);
    else if (k.frameText)
      frame.*k.frameText = file.getString(kSettings, k.key, importDefaults.*k.frameText);
    else
      app.*k.appText = file.getString(kSettings, k.key, appDefaults.*k.appText);
  }
}

std::optional<std::string> undecodableImportedKey(const IniSettingsStore& file) {
  // The keys importSettings reads: a value that lost bytes in decoding would replace a setting
  // with text the user never wrote, and every later save would keep it.
  for (int i = 0; i < kCharClassCount; ++i) {
    if (file.undecodable(kSettings, classColourKey(i))) return classColourKey(i);
    if (file.undecodable(kSettings, classFontKey(i))) return classFontKey(i);
  }
  for (const ExportKey& k : kExportKeys)
    if (file.undecodable(kSettings, k.key)) return std::string(k.key);
  return std::nullopt;
}

ImportOutcome importSettingsFile(const std::string& path, AppSettings& app, FrameSettings& frame,
                                 std::string& error) {
  // A missing file would load as an empty store; an import needs the file itself.
  model::UniqueFd probe;
  if (int err = model::openInputFile(path, probe)) {
    error = "cannot read " + path + ": " + model::inputErrorText(err);
    return ImportOutcome::CannotRead;
  }
  probe.reset();
  IniSettingsStore file = openSettingsFile(path);
  if (!file.load(error)) return ImportOutcome::CannotRead;
  if (std::optional<std::string> key = undecodableImportedKey(file)) {
    error = "設定ファイル " + path + " の " + *key +
            " の値に読めない文字があるため、設定をインポートしませんでした。";
    return ImportOutcome::Undecodable;
  }
  importSettings(file, app, frame);
  return ImportOutcome::Imported;
}

std::vector<std::string> describeSettings(const SettingsStore& store) {
  std::vector<std::string> lines;
  auto line = [&](const char* section, const std::string& key, const std::string& def) {
    lines.push_back(std::string(section) + "/" + key + "=" + store.getString(section, key, def));
  };
  const AppSettings app;
  const FrameSettings frame;
  const WindowSettings window;
  for (const auto& k : kAppInts) line(k.section, k.key, std::to_string(app.*k.field));
  for (const auto& k : kAppTexts) line(k.section, k.key, app.*k.field);
  line(kParameter, "MAX_FONT", formatReal(app.maxFont));
  line(kParameter, "MIN_FONT", formatReal(app.minFont));
  line(kParameter, "WAREKI", join(app.wareki, '|'));
  line(kParameter, "R_WAREKI", join(app.rWareki, '|'));
  for (const auto& k : kFrameInts) line(k.section, k.key, std::to_string(frame.*k.field));
  for (const auto& k : kFrameTexts) line(k.section, k.key, frame.*k.field);
  line(kSettings, kClassColoursKey, classColoursText(frame));
  line(kSettings, kUserColoursKey, kNotDefined);
  for (int i = 0; i < kCharClassCount; ++i) line(kSettings, classFontKey(i), frame.classFonts[i]);
  for (const auto& k : kWindowInts) line(k.section, k.key, std::to_string(window.*k.field));
  line("FolderPath", "UserDataFolder", "");
  return lines;
}

}  // namespace vellary::appcore
