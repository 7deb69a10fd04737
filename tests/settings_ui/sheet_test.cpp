// The settings sheet: its pages, the reject preview and Cancel, the class colours and fonts, the
// option pages and what OK copies back and asks of the frame.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include "settings_ui/palette.h"
#include "sheet_harness.h"

using namespace vellary;
using settings_ui::CSetting;
using testing::child;
using testing::SheetHarness;

namespace {

std::string storedClassColours(const appcore::FrameSettings& frame) {
  appcore::MemorySettingsStore store;
  appcore::writeFrameSettings(store, frame);
  return store.getString("Settings", "文字種別色", "");
}

}  // namespace

class SheetTest : public QObject {
  Q_OBJECT

 private slots:
  void eightPagesInOrder() {
    SheetHarness h;
    CSetting& s = h.make();
    QCOMPARE(s.windowTitle(), QStringLiteral("環境設定"));
    const QStringList expected{"条件設定",         "文字種別表示色/フォント設定",
                               "検索・置換",       "登録文字テーブル",
                               "保存・外部出力",   "フォント",
                               "表示テキスト情報", "候補文字の読みテーブル"};
    QCOMPARE(s.tabs().count(), expected.size());
    for (int i = 0; i < expected.size(); ++i) QCOMPARE(s.tabs().tabText(i), expected[i]);
  }

  // --- Reject level and its preview --------------------------------------------------------

  void levelBoxIgnoresValuesOutsideOneToNine() {
    SheetHarness h;
    h.frame.rejectLevel = 3;
    CSetting& s = h.make();
    auto& slider = child<QSlider>(s.textInfo(), "rejectLevel");
    auto& edit = child<QLineEdit>(s.textInfo(), "rejectLevelEdit");
    QCOMPARE(slider.value(), 3);
    QCOMPARE(edit.text(), QStringLiteral("3"));
    for (const char* typed : {"0", "10", "x", ""}) {
      edit.setText(QString::fromLatin1(typed));
      QCOMPARE(slider.value(), 3);
    }
    QCOMPARE(h.frame.rejectLevel, 3);
    QCOMPARE(h.redraws, 0);
    edit.setText(QStringLiteral("5"));
    QCOMPARE(slider.value(), 5);
    QCOMPARE(h.frame.rejectLevel, 5);  // in force while the sheet is open
    QCOMPARE(h.redraws, 1);
  }

  void sliderWritesTheLevelIntoTheBox() {
    SheetHarness h;
    CSetting& s = h.make();
    auto& slider = child<QSlider>(s.textInfo(), "rejectLevel");
    slider.setValue(8);
    QCOMPARE(child<QLineEdit>(s.textInfo(), "rejectLevelEdit").text(), QStringLiteral("8"));
    QCOMPARE(h.frame.rejectLevel, 8);
    QCOMPARE(h.redraws, 1);
  }

  void cancelRestoresThePreviewedRejectSettings() {
    SheetHarness h;
    h.frame.rejectLevel = 2;
    CSetting& s = h.make();
    child<QSlider>(s.textInfo(), "rejectLevel").setValue(7);
    child<QCheckBox>(s.textInfo(), "rejectShowChar").setChecked(false);
    child<QCheckBox>(s.textInfo(), "rejectRecolour").setChecked(false);
    QCOMPARE(h.frame.rejectLevel, 7);
    QCOMPARE(h.frame.rejectShowChar, 0);
    QCOMPARE(h.frame.rejectRecolour, 0);
    const int before = h.redraws;
    s.reject();
    QCOMPARE(h.frame.rejectLevel, 2);
    QCOMPARE(h.frame.rejectShowChar, 1);
    QCOMPARE(h.frame.rejectRecolour, 1);
    QCOMPARE(h.redraws, before + 1);
    QCOMPARE(h.placements, 0);
  }

  void cancelWithoutPreviewDrawsNothing() {
    SheetHarness h;
    CSetting& s = h.make();
    child<QCheckBox>(s.textInfo(), "showChanged").setChecked(false);
    s.reject();
    QCOMPARE(h.redraws, 0);
    QCOMPARE(h.frame.showChanged, 1);
  }

  void storedLevelOutsideTheRangeShowsAsTwo() {
    SheetHarness h;
    h.frame.rejectLevel = 12;
    {
      CSetting& s = h.make();
      QCOMPARE(child<QSlider>(s.textInfo(), "rejectLevel").value(), 2);
      s.reject();
      QCOMPARE(h.frame.rejectLevel, 12);  // nothing was previewed: the stored value stays
    }
    CSetting& s = h.make();
    s.accept();
    QCOMPARE(h.frame.rejectLevel, 2);
  }

  // --- Class colours and fonts ------------------------------------------------------------

  void classListOrderAndHiddenControlCodes() {
    SheetHarness h;
    CSetting& s = h.make();
    auto& list = child<QListWidget>(s.classColours(), "classes");
    const int order[] = {0, 1, 6, 7, 8, 2, 9, 10, 11, 3, 12, 4, 5};
    QCOMPARE(list.count(), 13);
    for (int row = 0; row < 13; ++row)
      QCOMPARE(list.item(row)->data(Qt::UserRole).toInt(), order[row]);
    QCOMPARE(list.item(1)->text(), QStringLiteral("ひらがな"));
    QCOMPARE(list.item(12)->text(), QStringLiteral("記号"));
    QVERIFY(!list.isHidden());
    QVERIFY(child<QListWidget>(s.classColours(), "controlCodes").isHidden());
  }

  void swatchChoosesTheSelectedClassColour() {
    SheetHarness h;
    CSetting& s = h.make();
    auto& page = s.classColours();
    page.selectClass(3);
    QVERIFY(page.swatch(4)->isChecked());  // default index of class 3
    QTest::mouseClick(page.swatch(5), Qt::LeftButton);
    QVERIFY(page.swatch(5)->isChecked());
    QVERIFY(!page.swatch(4)->isChecked());
    QCOMPARE(page.sample().textColour(), QColor(255, 255, 0));  // 0x00FFFF
    QCOMPARE(page.sample().text(), QStringLiteral("--選択された文字種の現在の色とフォント--"));
    page.selectClass(2);
    QVERIFY(page.swatch(11)->isChecked());
    QCOMPARE(h.frame.classColours[3], 4);  // nothing is stored before OK
    s.accept();
    QCOMPARE(h.frame.classColours[3], 5);
    QCOMPARE(h.frame.classColours[2], 11);
  }

  void resetToBasicColoursThenOkStoresTheDefaults() {
    SheetHarness h;
    h.frame.classColours = {3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3};
    CSetting& s = h.make();
    auto& page = s.classColours();
    page.selectClass(12);
    QTest::mouseClick(page.swatch(20), Qt::LeftButton);
    QTest::mouseClick(&child<QPushButton>(page, "resetColours"), Qt::LeftButton);
    QVERIFY(page.swatch(4)->isChecked());  // class 12 shows its default again
    s.accept();
    QCOMPARE(storedClassColours(h.frame), std::string("0,0,11,4,0,0,0,0,0,11,11,11,4,2,9"));
  }

  void userColourFromTheColourDialog() {
    SheetHarness h;
    h.frame.classColours[5] = 16;  // another class holds the first user colour
    h.frame.userColours[0] = 0x123456;
    CSetting& s = h.make();
    auto& page = s.classColours();
    page.selectClass(1);
    h.dialogs.colours.push_back(QColor(10, 20, 30));
    QTest::mouseClick(&child<QPushButton>(page, "defineColour"), Qt::LeftButton);
    // The dialog opened on the class's colour with the user colours as its custom colours.
    QCOMPARE(h.dialogs.colourInitials.back(), QColor(Qt::black));
    QCOMPARE(h.dialogs.customSeen[0], settings_ui::colourFromRef(0x123456));
    QVERIFY(page.swatch(17)->isChecked());
    QCOMPARE(page.swatch(17)->colour(), QColor(10, 20, 30));
    // A colour the palette has already is chosen by its entry.
    page.selectClass(4);
    h.dialogs.colours.push_back(QColor(0, 0, 255));
    QTest::mouseClick(&child<QPushButton>(page, "defineColour"), Qt::LeftButton);
    QVERIFY(page.swatch(4)->isChecked());
    // Cancelled: nothing changes.
    QTest::mouseClick(&child<QPushButton>(page, "defineColour"), Qt::LeftButton);
    QVERIFY(page.swatch(4)->isChecked());
    s.accept();
    QCOMPARE(h.frame.classColours[1], 17);
    QCOMPARE(h.frame.userColours[1], 0x1E140Au);
    QCOMPARE(h.frame.userColours[0], 0x123456u);
    QCOMPARE(h.frame.classColours[4], 4);
  }

  void classFontFromTheFontDialog() {
    SheetHarness h;
    CSetting& s = h.make();
    auto& page = s.classColours();
    page.selectClass(7);
    h.dialogs.fonts.push_back(QFont(QStringLiteral("DejaVu Sans")));
    QTest::mouseClick(&child<QPushButton>(page, "classFont"), Qt::LeftButton);
    QCOMPARE(page.sample().sampleFont().family(), QStringLiteral("DejaVu Sans"));
    page.selectClass(0);
    QTest::mouseClick(&child<QPushButton>(page, "classFont"), Qt::LeftButton);  // cancelled
    s.accept();
    QCOMPARE(h.frame.classFonts[7], std::string("DejaVu Sans"));
    QCOMPARE(h.frame.classFonts[0], std::string("ＭＳ 明朝"));
  }

  // --- Option pages ------------------------------------------------------------------------

  void emphasisEntriesStoreTheirCharacters() {
    SheetHarness h;
    {
      CSetting& s = h.make();
      auto& combo = child<QComboBox>(s.loadConv(), "emphasis");
      QCOMPARE(combo.currentIndex(), 0);
      combo.setCurrentIndex(1);
      s.accept();
      QCOMPARE(h.frame.emphasisChar, std::string("\u30FB"));
    }
    h.frame.emphasisChar = "*";  // anything but 、 shows the second entry
    {
      CSetting& s = h.make();
      auto& combo = child<QComboBox>(s.loadConv(), "emphasis");
      QCOMPARE(combo.currentIndex(), 1);
      combo.setCurrentIndex(0);
      s.accept();
      QCOMPARE(h.frame.emphasisChar, std::string("\u3001"));
    }
  }

  void loadingAndJoiningOptionsAreCopiedBack() {
    SheetHarness h;
    h.frame.spaceType = 1;
    h.frame.reAnalyze = 1;
    CSetting& s = h.make();
    auto& page = s.loadConv();
    s.show();
    QVERIFY(!child<QCheckBox>(page, "reAnalyze").isVisible());
    QVERIFY(child<QRadioButton>(page, "fullWidth").isChecked());
    child<QRadioButton>(page, "halfWidth").setChecked(true);
    child<QCheckBox>(page, "monoRuby").setChecked(false);
    child<QCheckBox>(page, "blockEnd").setChecked(false);
    child<QCheckBox>(s.search(), "registerReplacement").setChecked(true);
    // The recognition threads: 0 shows as every core.
    auto& threads = child<QSpinBox>(page, "recognitionThreads");
    QCOMPARE(threads.text(), QStringLiteral("すべてのコア"));
    threads.setValue(3);
    s.accept();
    QCOMPARE(h.app.recognitionThreads, 3);
    QCOMPARE(h.frame.spaceType, 0);
    QCOMPARE(h.frame.monoRuby, 0);
    QCOMPARE(h.frame.blockEndBreak, 0);
    QCOMPARE(h.frame.rubySmallKana, 1);
    QCOMPARE(h.frame.reAnalyze, 1);
    QCOMPARE(h.frame.registerReplacement, 1);
  }

  void outputOptionsKeepTheirStoredForms() {
    SheetHarness h;
    h.frame.wordColumns = 2;
    h.frame.pdfImageQuality = 1;
    CSetting& s = h.make();
    auto& page = s.output();
    QVERIFY(child<QCheckBox>(page, "columns").isChecked());
    QCOMPARE(child<QSlider>(page, "imageQuality").value(), 1);
    child<QSlider>(page, "imageQuality").setValue(2);
    child<QCheckBox>(page, "authorCheck").setChecked(true);
    child<QCheckBox>(page, "rubyInline").setChecked(true);
    // Fonts are embedded unless the user asks for the smallest files.
    QVERIFY(child<QCheckBox>(page, "embedFonts").isChecked());
    QVERIFY(!child<QCheckBox>(page, "archive").isChecked());
    child<QCheckBox>(page, "embedFonts").setChecked(false);
    child<QCheckBox>(page, "archive").setChecked(true);
    child<QCheckBox>(page, "textRuby").setChecked(true);
    s.accept();
    QCOMPARE(h.frame.wordColumns, 2);
    QCOMPARE(h.frame.pdfImageQuality, 2);
    QCOMPARE(h.frame.pdfAuthorCheck, 1);
    QCOMPARE(h.frame.rubyInsert, 1);
    QCOMPARE(h.frame.pdfEmbedFonts, 0);
    QCOMPARE(h.frame.pdfArchive, 1);
    QCOMPARE(h.frame.textRubyNotation, 1);
    h.make();
    child<QCheckBox>(h.sheet->output(), "columns").setChecked(false);
    h.sheet->accept();
    QCOMPARE(h.frame.wordColumns, 1);
  }

  // --- Display text page and OK ------------------------------------------------------------

  void okStoresColoursAndPlacesTheLineImageAgain() {
    SheetHarness h;
    CSetting& s = h.make();
    auto& page = s.textInfo();
    h.dialogs.colours.push_back(QColor(0x20, 0x40, 0x60));
    QTest::mouseClick(&child<QPushButton>(page, "backgroundColour"), Qt::LeftButton);
    QCOMPARE(h.dialogs.colourInitials.back(), settings_ui::colourFromRef(0xFFFFA0));
    auto& sample = child<settings_ui::SampleFrame>(page, "backgroundColourSample");
    QCOMPARE(sample.background(), QColor(0x20, 0x40, 0x60));
    QCOMPARE(sample.text(), QStringLiteral("--設定されている背景色--"));
    h.dialogs.colours.push_back(QColor(0, 0, 0xFF));
    QTest::mouseClick(&child<QPushButton>(page, "changedColour"), Qt::LeftButton);
    QCOMPARE(child<settings_ui::SampleFrame>(page, "changedColourSample").textColour(),
             QColor(0, 0, 0xFF));
    child<QComboBox>(page, "lineImageOffset").setCurrentIndex(4);
    s.accept();
    QCOMPARE(h.frame.textBackground, 0x604020);
    QCOMPARE(h.frame.changedColour, 0xFF0000);
    QCOMPARE(h.frame.editLineColour, 0);
    QCOMPARE(h.frame.lineImageOffset, 4);
    QVERIFY(!page.positionsChanged());
    QCOMPARE(h.placements, 1);  // for the offset, always
    QCOMPARE(h.redraws, 1);
  }

  void linePositionsAndOffsetOutsideTheList() {
    SheetHarness h;
    h.frame.lineImageOffset = 9;  // stands for 10 pixels
    h.frame.verticalLineImagePos = 1;
    CSetting& s = h.make();
    auto& page = s.textInfo();
    QCOMPARE(child<QComboBox>(page, "lineImageOffset").currentText(), QStringLiteral("10"));
    QVERIFY(child<QRadioButton>(page, "right").isChecked());
    QVERIFY(child<QRadioButton>(page, "below").isChecked());
    child<QRadioButton>(page, "above").setChecked(true);
    s.accept();
    QVERIFY(page.positionsChanged());
    QCOMPARE(h.frame.horizontalLineImagePos, 1);
    QCOMPARE(h.frame.verticalLineImagePos, 1);
    QCOMPARE(h.frame.lineImageOffset, 2);
  }

  void fontPageStoresTheApplicationFonts() {
    SheetHarness h;
    h.app.japaneseVerticalFont = "@ＭＳ 明朝";
    CSetting& s = h.make();
    auto& page = s.fonts();
    QCOMPARE(page.sample(settings_ui::CPropPageFont::Japanese).text(),
             QStringLiteral("あいうえおアイウ安以宇"));
    QCOMPARE(page.sample(settings_ui::CPropPageFont::SimplifiedChinese).text(),
             QStringLiteral("ABCDEabcd12345"));
    h.dialogs.fonts.push_back(QFont(QStringLiteral("DejaVu Serif")));
    QTest::mouseClick(&child<QPushButton>(page, "japaneseVerticalFont"), Qt::LeftButton);
    h.dialogs.fonts.push_back(QFont(QStringLiteral("DejaVu Sans")));
    QTest::mouseClick(&child<QPushButton>(page, "hangulFont"), Qt::LeftButton);
    QCOMPARE(page.face(settings_ui::CPropPageFont::JapaneseVertical), std::string("@DejaVu Serif"));
    QCOMPARE(h.app.hangulFont, std::string());  // only OK stores
    s.accept();
    QCOMPARE(h.app.japaneseVerticalFont, std::string("@DejaVu Serif"));
    QCOMPARE(h.app.hangulFont, std::string("DejaVu Sans"));
    QCOMPARE(h.dialogs.fontInitials.size(), size_t(2));
    // The dialog is never seeded with the vertical mark.
    QVERIFY(!h.dialogs.fontInitials.front().family().startsWith(u'@'));
  }
};

int runSheetTests(int argc, char** argv) {
  SheetTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "sheet_test.moc"
