// The text view's pixels: rejects, modified characters, control marks, colour modes, vertical
// forms, tate-chu-yoko, the redraw of one line, block frames and numbers, zoom by wheel.
#include <QApplication>
#include <QTest>
#include <QWheelEvent>

#include "app/fonts.h"
#include "model/paper.h"
#include "text_view_harness.h"

using namespace vellary;
using testing::Ink;
using testing::inkIn;
using testing::makeBlock;
using testing::makeLine;
using testing::makePage;
using testing::TextViewHarness;

namespace {

// A horizontal block of two lines on a 600 × 400 page.
model::PageData horizontalPage(std::u16string_view first,
                               std::u16string_view second = u"かきくけこ") {
  auto page = makePage(600, 400);
  auto block = makeBlock(40, 40, 500, 120, false);
  block.lines.push_back(makeLine(40, 40, 300, 40, first, false));
  block.lines.push_back(makeLine(40, 100, 300, 40, second, false));
  model::computeBlockAverages(block);
  page.blocks.push_back(std::move(block));
  return page;
}

// A vertical block of two columns on a 600 × 600 page.
model::PageData verticalPage(std::u16string_view first,
                             std::u16string_view second = u"かきくけこ") {
  auto page = makePage(600, 600);
  auto block = makeBlock(300, 40, 140, 500, true);
  block.lines.push_back(makeLine(380, 40, 50, 450, first, true));
  block.lines.push_back(makeLine(310, 40, 50, 450, second, true));
  model::computeBlockAverages(block);
  page.blocks.push_back(std::move(block));
  return page;
}

model::CharData& charAt(model::LineData& line, int i) { return *std::next(line.chars.begin(), i); }

}  // namespace

class TextViewTest : public QObject {
  Q_OBJECT

 private slots:
  void rejectIsRedAndShownAsGeta() {
    TextViewHarness h;
    auto page = horizontalPage(u"あいう");
    charAt(page.blocks.front().lines.front(), 1).cc = 1;  // below the reject level 2
    QVERIFY(h.open(page));
    const QRect cell = h.cellOf(0, 0, 1);
    const Ink shown = inkIn(h.view->pageImage(), cell);
    QVERIFY(shown.red > 20);
    QVERIFY(inkIn(h.view->pageImage(), h.cellOf(0, 0, 0)).red == 0);
    const QImage geta = testing::inkMask(h.view->pageImage(), cell);

    // The same place with a real "〓" of good confidence has the same shape, in black.
    TextViewHarness ref;
    auto refPage = horizontalPage(u"あ〓う");
    QVERIFY(ref.open(refPage));
    QCOMPARE(testing::inkMask(ref.view->pageImage(), cell), geta);
    QCOMPARE(inkIn(ref.view->pageImage(), cell).red, 0);

    // Without "〓" the character itself shows, still red; without recolouring it is black.
    h.frame.rejectShowChar = 0;
    h.redisplay();
    QVERIFY(testing::inkMask(h.view->pageImage(), cell) != geta);
    QVERIFY(inkIn(h.view->pageImage(), cell).red > 20);
    h.frame.rejectRecolour = 0;
    h.redisplay();
    QCOMPARE(inkIn(h.view->pageImage(), cell).red, 0);

    // A confidence at the level is no reject; 0xFFFF always is.
    h.frame.rejectRecolour = 1;
    charAt(h.line(0, 0), 1).cc = 2;
    charAt(h.line(0, 0), 2).cc = 0xFFFF;
    h.redisplay();
    QCOMPARE(inkIn(h.view->pageImage(), cell).red, 0);
    QVERIFY(inkIn(h.view->pageImage(), h.cellOf(0, 0, 2)).red > 20);
  }

  void rubyLineNeverShowsGetaInNormalModes() {
    TextViewHarness h;
    auto page = verticalPage(u"新聞記事");
    auto& block = page.blocks.front();
    block.lines.push_front(makeLine(432, 90, 20, 100, u"しん", true, model::AttrRuby));
    block.lines.front().rcs = 1;
    block.lines.front().rce = 1;
    block.lines.front().baseLine = &*std::next(block.lines.begin());
    for (auto& ch : block.lines.front().chars) ch.cc = 1;
    QVERIFY(h.open(page));
    const auto& ruby = h.place(0, 0);
    QCOMPARE(ruby.line->attr, int16_t(model::AttrRuby));
    QRect glyphs;
    for (const auto& g : ruby.glyphs) glyphs = glyphs.united(textview::toQRect(g.box));
    QCOMPARE(inkIn(h.view->pageImage(), glyphs.adjusted(2, 2, -2, -2)).red, 0);
    // In the class colour mode side lines count as rejects like any other.
    h.frame.textColourMode = 2;
    h.frame.classColours.fill(0);
    h.redisplay();
    const Ink classMode = inkIn(h.view->pageImage(), glyphs.adjusted(2, 2, -2, -2));
    QVERIFY(classMode.total > 0);
  }

  void modifiedCharacterTakesTheModifiedColour() {
    TextViewHarness h;
    auto page = horizontalPage(u"あいう");
    charAt(page.blocks.front().lines.front(), 2).changed = 1;
    QVERIFY(h.open(page));
    QVERIFY(inkIn(h.view->pageImage(), h.cellOf(0, 0, 2)).blue > 20);  // 0xFF0000 is blue
    QCOMPARE(inkIn(h.view->pageImage(), h.cellOf(0, 0, 0)).blue, 0);
    h.frame.showChanged = 0;
    h.redisplay();
    QCOMPARE(inkIn(h.view->pageImage(), h.cellOf(0, 0, 2)).blue, 0);
  }

  void controlCharactersHaveTheirMarks() {
    TextViewHarness h;
    QVERIFY(h.open(horizontalPage(u"あい\r", u"か\nき")));
    const Ink ret = inkIn(h.view->pageImage(), h.cellOf(0, 0, 2));
    QVERIFY(ret.green > 10);
    QCOMPARE(ret.red + ret.blue, 0);
    const Ink feed = inkIn(h.view->pageImage(), h.cellOf(0, 1, 1));
    QVERIFY(feed.blue > 10);
    QCOMPARE(feed.green, 0);
  }

  void registeredWordsInColourModeThree() {
    TextViewHarness h;
    h.registered.pairs.push_back({u"港区", u"港区"});
    auto page = horizontalPage(u"東京都港", u"区役所");
    charAt(page.blocks.front().lines.front(), 0).cc = 1;  // a reject outside the word
    QVERIFY(h.open(page));
    h.frame.textColourMode = 3;
    h.redisplay();
    const QImage& img = h.view->pageImage();
    QVERIFY(inkIn(img, h.cellOf(0, 0, 3)).red > 20);
    QVERIFY(inkIn(img, h.cellOf(0, 1, 0)).red > 20);
    QCOMPARE(inkIn(img, h.cellOf(0, 1, 1)).red, 0);
    // Rejects are neither red nor "〓" in this mode.
    QCOMPARE(inkIn(img, h.cellOf(0, 0, 0)).red, 0);
    TextViewHarness ref;
    QVERIFY(ref.open(horizontalPage(u"東京都港", u"区役所")));
    const QRect first = h.cellOf(0, 0, 0);
    QCOMPARE(testing::inkMask(img, first), testing::inkMask(ref.view->pageImage(), first));
  }

  void tateChuYokoGroupDrawnUprightInOneCell() {
    TextViewHarness h;
    auto page = verticalPage(u"第12頁");
    auto& line = page.blocks.front().lines.front();
    charAt(line, 1).modRotTcy = model::kTateChuYoko;
    charAt(line, 2).modRotTcy = model::kTateChuYoko;
    QVERIFY(h.open(page));
    const auto& place = h.place(0, 0);
    QCOMPARE(place.glyphs.size(), size_t(3));
    const QRect cell = textview::toQRect(place.glyphs[1].box);
    const Ink group = inkIn(h.view->pageImage(), cell.adjusted(-4, 0, 4, 0));
    QVERIFY(group.total > 0);
    // Side by side and upright: wider than a single digit, and no taller than one cell.
    QVERIFY(group.bounds.width() > place.fontPx / 3);
    QVERIFY(group.bounds.height() < place.fontPx);
    QVERIFY(cell.adjusted(-2, 0, 2, 0).contains(group.bounds));
  }

  void verticalPunctuationTakesVerticalForms() {
    TextViewHarness h;
    QVERIFY(h.open(verticalPage(u"あ。ー「")));
    const QImage& img = h.view->pageImage();
    // "。" sits in the top-right quarter of its cell.
    const QRect stop = h.cellOf(0, 0, 1);
    const Ink ink = inkIn(img, stop);
    QVERIFY(ink.total > 0);
    QVERIFY(ink.bounds.center().x() > stop.center().x());
    QVERIFY(ink.bounds.center().y() < stop.center().y());
    // "ー" runs along the column.
    const Ink bar = inkIn(img, h.cellOf(0, 0, 2));
    QVERIFY(bar.bounds.height() > 2 * bar.bounds.width());
    // "「" opens at the top right: its ink's top row reaches further right than its bottom row.
    const Ink bracket = inkIn(img, h.cellOf(0, 0, 3));
    QVERIFY(bracket.total > 0);
    QVERIFY(bracket.bounds.width() > bracket.bounds.height() / 2);
  }

  void redrawOfOneLineEqualsAFullUpdate() {
    TextViewHarness h;
    QVERIFY(h.open(verticalPage(u"あいうえ", u"かきくけ")));
    const QImage before = h.view->pageImage();
    charAt(h.line(0, 0), 1).text = model::makeCharText(u'漢');
    charAt(h.line(0, 0), 1).changed = 1;
    h.view->redrawLine(&h.line(0, 0));
    const QImage redrawn = h.view->pageImage();
    QVERIFY(redrawn != before);
    // The neighbouring column is untouched.
    const QRect other = textview::toQRect(h.place(0, 1).box);
    QCOMPARE(redrawn.copy(other), before.copy(other));
    h.redrawAll();
    QCOMPARE(redrawn, h.view->pageImage());
  }

  void editLineModeFollowsTheCaret() {
    TextViewHarness h;
    QVERIFY(h.open(horizontalPage(u"あいう", u"かきく")));
    h.frame.textColourMode = 1;
    h.frame.editLineColour = 0x0000FF;  // red
    h.redisplay();
    editing::CaretState caret;
    caret.entry = 0;
    caret.caret.block = &h.page().blocks.front();
    caret.caret.line = &h.line(0, 1);
    caret.caret.ch = h.line(0, 1).chars.begin();
    h.setCaret(caret);
    const QImage& img = h.view->pageImage();
    QVERIFY(inkIn(img, h.cellOf(0, 1, 0)).red > 20);
    QCOMPARE(inkIn(img, h.cellOf(0, 0, 0)).red, 0);
    caret.caret.line = &h.line(0, 0);
    caret.caret.ch = h.line(0, 0).chars.begin();
    h.setCaret(caret);
    QVERIFY(inkIn(h.view->pageImage(), h.cellOf(0, 0, 0)).red > 20);
    QCOMPARE(inkIn(h.view->pageImage(), h.cellOf(0, 1, 0)).red, 0);
  }

  void blockFramesAndNumbersInEditModes() {
    TextViewHarness h;
    auto page = horizontalPage(u"あいう");
    auto title = makeBlock(40, 250, 300, 60, false);
    title.sec = model::SecTitle;
    title.lines.push_back(makeLine(40, 250, 200, 40, u"題名", false));
    page.blocks.push_back(std::move(title));
    QVERIFY(h.open(page));
    h.view->show();
    QVERIFY(QTest::qWaitForWindowExposed(h.view.get()));
    h.edit = appcore::EditMode::Block;
    h.frame.showBlockNumbers = 1;
    h.redisplay();
    QImage shot = h.view->viewport()->grab().toImage();
    // The text block's frame in green, its number "1" in 0x00BE00 at its top-left.
    QVERIFY(inkIn(shot, QRect(38, 60, 4, 60)).green > 10);
    int numberPixels = 0;
    for (int y = 40; y < 60; ++y)
      for (int x = 40; x < 60; ++x)
        if (shot.pixelColor(x, y) == QColor(0, 190, 0)) ++numberPixels;
    QVERIFY(numberPixels > 5);
    // The title's frame is a 2-pixel rectangle in 0x0000D5.
    int titleFrame = 0;
    for (int y = 245; y < 320; ++y)
      if (shot.pixelColor(40, y) == QColor(0xD5, 0, 0)) ++titleFrame;
    QVERIFY(titleFrame > 40);

    // Character editing shows the frames but no numbers.
    h.edit = appcore::EditMode::Character;
    h.redisplay();
    shot = h.view->viewport()->grab().toImage();
    QVERIFY(inkIn(shot, QRect(38, 60, 4, 60)).green > 10);
    numberPixels = 0;
    for (int y = 40; y < 60; ++y)
      for (int x = 40; x < 60; ++x)
        if (shot.pixelColor(x, y) == QColor(0, 190, 0)) ++numberPixels;
    QCOMPARE(numberPixels, 0);

    // The text-flow displays put the lines in rows of their own: frames at the blocks' page
    // places would cross unrelated text, so none is drawn, nor the current entry's tracker.
    editing::CaretState state;
    state.entry = 1;
    h.setCaret(state);
    for (const auto display :
         {appcore::TextDisplay::FlowHorizontal, appcore::TextDisplay::FlowVertical}) {
      h.display = display;
      h.redisplay();
      shot = h.view->viewport()->grab().toImage();
      int framePixels = 0;
      for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
          const QColor c = shot.pixelColor(x, y);
          if (c == QColor(0xD5, 0, 0) || (c.green() > 200 && c.red() < 60 && c.blue() < 60))
            ++framePixels;
        }
      QCOMPARE(framePixels, 0);
    }
  }

  void selectionIsShownInverted() {
    TextViewHarness h;
    QVERIFY(h.open(horizontalPage(u"あいうえ")));
    h.view->show();
    QVERIFY(QTest::qWaitForWindowExposed(h.view.get()));
    editing::CaretState state;
    state.entry = 0;
    auto& block = h.page().blocks.front();
    auto& line = h.line(0, 0);
    state.caret = {&block, nullptr, &line, std::next(line.chars.begin(), 2)};
    state.selection.anchor = {&block, nullptr, &line, line.chars.begin()};
    state.selection.active = state.caret;
    h.setCaret(state);
    const QImage shot = h.view->viewport()->grab().toImage();
    // Selected cells turn dark where the page is white; the third character is not selected.
    const QRect first = h.cellOf(0, 0, 0), third = h.cellOf(0, 0, 2);
    QCOMPARE(shot.pixelColor(first.right() - 1, first.bottom() - 1), QColor(Qt::black));
    QCOMPARE(shot.pixelColor(third.right() - 1, third.bottom() - 1), QColor(Qt::white));
  }

  void ctrlWheelZoomsByOneStep() {
    TextViewHarness h;
    QVERIFY(h.open(horizontalPage(u"あいう"), 0.5));
    QCOMPARE(h.view->pageImage().width(), 300);
    QWheelEvent up(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, 120), Qt::NoButton,
                   Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(h.view->viewport(), &up);
    QCOMPARE(h.doc->zoom(), 0.6);
    QCOMPARE(h.view->pageImage().width(), 360);
    QWheelEvent small(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, -60), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(h.view->viewport(), &small);
    QCOMPARE(h.doc->zoom(), 0.6);
    // At 10 % the canvas is a tenth of the page.
    h.doc->zoomCommand(appcore::IdZoom10);
    QCOMPARE(h.view->pageImage().size(), QSize(60, 40));
  }

  void textFlowCanvasFillsTheWindow() {
    TextViewHarness h;
    h.display = appcore::TextDisplay::FlowVertical;
    QVERIFY(h.open(verticalPage(u"あいう")));
    const QImage& img = h.view->pageImage();
    QVERIFY(img.width() >= h.view->viewport()->width());
    const auto& first = h.place(0, 0);
    QCOMPARE(first.rowBackground.right, h.view->layout().textWindow.width - 10);
    QVERIFY(inkIn(img, textview::toQRect(first.glyphs[0].box)).total > 0);
  }
};

int runTextViewTests(int argc, char** argv) {
  TextViewTest t;
  return QTest::qExec(&t, argc, argv);
}

int runFrameTextViewTests(int argc, char** argv);

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  app::installFontSubstitutions();
  int failed = runTextViewTests(argc, argv);
  failed |= runFrameTextViewTests(argc, argv);
  return failed;
}

#include "text_view_test.moc"
