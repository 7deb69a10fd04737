// Every setting of the application and the main frame: keys, types, defaults, the checks made
// when they are read, writing them back at exit, and the settings file export and import.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "prompter.h"
#include "settings_store.h"

namespace vellary::appcore {

inline constexpr char kAppTitle[] = "Vellary PRO 訂正プログラム";
// What the frame starts with for the PDF creator and producer; not kept in the store.
inline constexpr char kCreatorName[] = "Vellary PRO v.15.0 訂正プログラム";
inline constexpr char kParameterErrorCaption[] = "パラメータエラー";
inline constexpr int kCharClassCount = 15;
inline constexpr int kUserColourCount = 16;
inline constexpr int kMaxBackupInterval = 14400;  // minutes: ten days
inline constexpr int kMaxRecognitionThreads = 256;

// Sections "Output", "Backup", "Parameter" and the application values of "Settings".
struct AppSettings {
  int encoding = 0;  // saved XML: 0 as read, 1 Shift_JIS, 2 EUC-JP
  int doBackup = 1;
  int backupInterval = 5;  // minutes
  std::string backupOrgFileName;
  double maxFont = 1.5;
  double minFont = 0.35;
  std::vector<std::string> wareki{"明治", "大正", "昭和", "平成"};
  std::vector<std::string> rWareki{"治明", "正大", "和昭"};
  int maxMru = 5;
  std::string xmlFolder;
  int displayScale = 50;  // percent
  std::string registTableName;
  std::string explainTableName;
  std::string japaneseFont, japaneseVerticalFont, latinFont;
  std::string simplifiedChineseFont, traditionalChineseFont, hangulFont;
  int simplifiedChineseHeight = -13, traditionalChineseHeight = -13, hangulHeight = -13;
  // Worker threads that recognise scans: 0 is one per core; a lower number leaves cores free.
  int recognitionThreads = 0;
};

// The values of "Settings" that the main frame holds for the views, the document and exporters.
// Colours are 0x00BBGGRR.
struct FrameSettings {
  std::array<int, kCharClassCount> classColours{0, 0, 11, 4, 0, 0, 0, 0, 0, 11, 11, 11, 4, 2, 9};
  std::array<uint32_t, kUserColourCount> userColours = filledUserColours();
  std::array<std::string, kCharClassCount> classFonts = filledClassFonts();
  int textColourMode = 0;  // 文字表示モード
  int reAnalyze = 0;       // 再構成: reset at start-up, written at exit, read by nothing
  int blockBreak = 1;      // 行間改行挿入
  int leadingSpace = 1;    // 行頭空白挿入
  int spaceType = 1;       // 空白タイプ: 0 half width, 1 full width
  int naturalBreak = 1;    // 自然改行
  int blockEndBreak = 1;   // ブロック終端の改行
  int monoRuby = 1;        // モノルビ
  int rubySmallKana = 1;   // ルビ拗音促音処理
  std::string emphasisChar = "、";
  int registerReplacement = 0;  // 置換文字文字テーブル登録
  int wordColumns = 1;          // Word段組み出力: 1 off, 2 on
  int rubyInsert = 0;
  std::string rubyTarget, rubyOpen = "(", rubyClose = ")";
  int showBlockNumbers = 1;
  int exportKind = 1;  // 外部ファイル
  int viewDisplay = 2, viewImage = 0, viewArrangement = 0, viewPrevArrangement = 0;
  int zoomFit = 0;  // 表示縮尺合わせ: the scale follows the view (ZoomFit)
  int editLineColour = 0x000000, nonEditLineColour = 0xC0C0C0;
  int textBackground = 0xFFFFA0;
  int changedColour = 0xFF0000, showChanged = 1;
  int horizontalLineImagePos = 0, verticalLineImagePos = 0, lineImageOffset = 0;
  int rejectLevel = 2, rejectShowChar = 1, rejectRecolour = 1;
  int pdfImageQuality = 0, pdfAuthorCheck = 0;
  int pdfEmbedFonts = 1;     // PDFEmbedFonts: 1 subsets of the fonts drawn, 0 fonts only named
  int pdfArchive = 0;        // PDFArchive: 1 PDF/A-2u
  int textRubyNotation = 0;  // TextRubyNotation: 0 no ruby in text export, 1 ｜漢字《かんじ》
  int exportJobs = 0;        // not stored: pages the PDF exports compose at once, 0 every core
  std::string pdfAuthor, pdfKeywords, pdfFileTitle, pdfFileSubtitle;
  std::string pdfCreator = kCreatorName, pdfProducer = kCreatorName;

  static std::array<uint32_t, kUserColourCount> filledUserColours() {
    std::array<uint32_t, kUserColourCount> a;
    a.fill(0xFFFFFF);
    return a;
  }
  static std::array<std::string, kCharClassCount> filledClassFonts() {
    std::array<std::string, kCharClassCount> a;
    a.fill("ＭＳ 明朝");
    return a;
  }
};

// Section "Window".
struct WindowSettings {
  int x = 0, y = 0, width = 800, height = 800;
  int zoomed = 0;
  int imagePaneHeight = -1, imagePaneWidth = -1, selViewWidth = -1;
};

// Reads the application settings with their checks. A bad "MAX_FONT"/"MIN_FONT" or era list is
// shown through the prompter and gives false: the program must then end.
bool readAppSettings(const SettingsStore& store, Prompter& prompter, AppSettings& app);
void writeAppSettings(SettingsStore& store, const AppSettings& app);
// The fonts left without a face get the defaults the program starts with.
void applyFontDefaults(AppSettings& app);

void readFrameSettings(const SettingsStore& store, FrameSettings& frame);
void writeFrameSettings(SettingsStore& store, const FrameSettings& frame);
void readWindowSettings(const SettingsStore& store, WindowSettings& window);
void writeWindowSettings(SettingsStore& store, const WindowSettings& window);
// Whether an earlier run stored the window's size (a first start has none).
bool windowSizeStored(const SettingsStore& store);

// Everything the main window writes when it closes, in its order.
void writeAllSettings(SettingsStore& store, const AppSettings& app, const FrameSettings& frame,
                      const WindowSettings& window);

// The settings file: section "Settings" with the exported keys, integers as decimal text.
void exportSettings(SettingsStore& file, const AppSettings& app, const FrameSettings& frame);
// Keys the file lacks take the import defaults, which differ from the store's in a few places.
void importSettings(const SettingsStore& file, AppSettings& app, FrameSettings& frame);
// Reads a settings file (.sew: code page 932, UTF-8 or UTF-16) and imports it. Nothing in memory
// changes when the file cannot be read (a folder, a pipe and a device are not read), or when a
// value of an imported key holds bytes that decode to no character: `error` then names the file
// or the key (UTF-8).
enum class ImportOutcome { Imported, CannotRead, Undecodable };
// The first key importSettings reads whose value held bytes that decode to no character.
std::optional<std::string> undecodableImportedKey(const IniSettingsStore& file);
ImportOutcome importSettingsFile(const std::string& path, AppSettings& app, FrameSettings& frame,
                                 std::string& error);

// One line per setting, "section/key=value", with the stored value or the default, for every key
// the store may hold.
std::vector<std::string> describeSettings(const SettingsStore& store);

// "1.500000": the real parameters are kept as text with six decimals.
std::string formatReal(double value);

}  // namespace vellary::appcore
