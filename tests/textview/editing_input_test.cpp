// Character editing through the text view's real events: keys and input-method results typed at
// the caret, arrows in vertical and horizontal blocks, a mouse drag that selects, the clipboard,
// the right button before the context menu, cursor shapes, page crossing and undo by the frame's
// command.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QScrollBar>
#include <QTest>

#include "app/commands.h"
#include "app/fonts.h"
#include "editing/editor.h"
#include "model/paper.h"
#include "support/gui_harness.h"
#include "text_view_harness.h"

using namespace vellary;
using testing::makeBlock;
using testing::makeLine;
using testing::makePage;

namespace {

// The text view on a page built in memory, shown, with the editing context's editor.
class EditingHarness : public testing::TextViewHarness {
 public:
  EditingHarness() : editor(&editContext->editor()) {
    view->show();
    (void)QTest::qWaitForWindowExposed(view.get());
  }

  const editing::CaretPos& caret() const { return editor->state().caret; }
  std::u16string text(int block, int lineIndex) {
    std::u16string s;
    for (const auto& c : line(block, lineIndex).chars)
      s += std::u16string_view(c.text.data(), static_cast<size_t>(model::charTextLength(c.text)));
    return s;
  }
  // A point of the viewport a fraction of the way along character `index` of a line, in the
  // middle across it.
  QPoint along(int block, int lineIndex, int index, double fraction) {
    const QRect cell = cellOf(block, lineIndex, index);
    const bool vertical = place(block, lineIndex).vertical;
    const QPoint p =
        vertical
            ? QPoint(cell.center().x(), cell.top() + static_cast<int>(cell.height() * fraction))
            : QPoint(cell.left() + static_cast<int>(cell.width() * fraction), cell.center().y());
    return p - view->scrollPosition();
  }
  void moveWithButton(QPoint at) {
    QMouseEvent e(QEvent::MouseMove, at, view->viewport()->mapToGlobal(at), Qt::NoButton,
                  Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &e);
  }
  void commit(const QString& text) {
    QInputMethodEvent e;
    e.setCommitString(text);
    QApplication::sendEvent(view.get(), &e);
  }
  void hover(QPoint at) {
    QHoverEvent e(QEvent::HoverMove, at, view->viewport()->mapToGlobal(at), at);
    QApplication::sendEvent(view->viewport(), &e);
  }

  editing::Editor* editor;
};

model::PageData horizontalPage() {
  auto page = makePage(600, 400);
  auto block = makeBlock(40, 40, 500, 120, false);
  block.lines.push_back(makeLine(40, 40, 300, 40, u"あいうえお", false));
  block.lines.push_back(makeLine(40, 100, 300, 40, u"かきくけこ", false));
  model::computeBlockAverages(block);
  page.blocks.push_back(std::move(block));
  return page;
}

model::PageData verticalPage() {
  auto page = makePage(600, 600);
  auto block = makeBlock(300, 40, 140, 500, true);
  block.lines.push_back(makeLine(380, 40, 50, 450, u"あいうえお", true));
  block.lines.push_back(makeLine(310, 40, 50, 450, u"かきくけこ", true));
  model::computeBlockAverages(block);
  page.blocks.push_back(std::move(block));
  return page;
}

// Both pages side by side: a vertical block on the right, a horizontal one below it on the left.
model::PageData mixedPage() {
  auto page = makePage(650, 450);
  auto v = makeBlock(480, 20, 140, 400, true);
  v.lines.push_back(makeLine(560, 20, 50, 400, u"縦書きの行", true));
  model::computeBlockAverages(v);
  page.blocks.push_back(std::move(v));
  auto h = makeBlock(20, 300, 400, 60, false);
  h.lines.push_back(makeLine(20, 300, 300, 40, u"横書き", false));
  model::computeBlockAverages(h);
  page.blocks.push_back(std::move(h));
  return page;
}

QString fromU16(std::u16string_view s) {
  return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

class EditingInputTest : public QObject {
  Q_OBJECT

 private slots:
  void keysAndInputMethodResultsTypeAtTheCaret() {
    EditingHarness h;
    QVERIFY(h.open(horizontalPage()));
    // Opening the page put the caret before its first character.
    QCOMPARE(h.caret().line, &h.line(0, 0));
    QCOMPARE(h.caret().index(), 0);
    QTest::keyClicks(h.view.get(), QStringLiteral("ab"));
    // A composition shows at the caret before it is committed, and changes nothing yet.
    const QRect where = h.cellOf(0, 0, 2).translated(-h.view->scrollPosition());
    const QImage plain = testing::inkMask(h.view->viewport()->grab().toImage(), where);
    QInputMethodEvent composing(QStringLiteral("かんじ"), {});
    QApplication::sendEvent(h.view.get(), &composing);
    QVERIFY(testing::inkMask(h.view->viewport()->grab().toImage(), where) != plain);
    QCOMPARE(h.text(0, 0), std::u16string(u"abあいうえお"));
    h.commit(QStringLiteral("漢字"));
    h.commit(QString::fromUcs4(U"\U00020BB7"));  // a character outside the BMP: a pair
    QCOMPARE(h.text(0, 0), std::u16string(u"ab漢字\U00020BB7あいうえお"));
    QCOMPARE(h.line(0, 0).chars.size(), 10u);  // the pair is one character
    QCOMPARE(h.caret().index(), 5);
    // The line was drawn again with the new characters, and the page is marked.
    QVERIFY(testing::inkIn(h.view->pageImage(), h.cellOf(0, 0, 2)).total > 20);
    QCOMPARE(h.doc->docModified(), 1);
    // The input method composes at the caret, in the line's Japanese font.
    const QRect cursor = h.view->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    QCOMPARE(cursor.left(), h.cellOf(0, 0, 5).left() - h.view->scrollPosition().x());
    QVERIFY(h.view->inputMethodQuery(Qt::ImEnabled).toBool());
    QVERIFY(h.view->testAttribute(Qt::WA_InputMethodEnabled));
    // Backspace takes the whole pair; Enter splits the line at the caret.
    QTest::keyClick(h.view.get(), Qt::Key_Backspace);
    QCOMPARE(h.text(0, 0), std::u16string(u"ab漢字あいうえお"));
    QTest::keyClick(h.view.get(), Qt::Key_Return);
    QCOMPARE(h.page().blocks.front().lines.size(), 3u);
    QCOMPARE(h.text(0, 0), std::u16string(u"ab漢字\r"));
    QCOMPARE(h.text(0, 1), std::u16string(u"あいうえお"));
    QCOMPARE(h.caret().line, &h.line(0, 1));
    QCOMPARE(h.caret().index(), 0);
    // Delete removes the character after the caret.
    QTest::keyClick(h.view.get(), Qt::Key_Delete);
    QCOMPARE(h.text(0, 1), std::u16string(u"いうえお"));
    // With Ctrl held a key types nothing.
    QTest::keyClick(h.view.get(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(h.text(0, 1), std::u16string(u"いうえお"));
  }

  // While the input method composes in a vertical line, the characters after the caret move
  // on down the column by the composition's length instead of being drawn over; once it is
  // committed (or abandoned) the line is drawn as the text now stands.
  void aCompositionPushesTheFollowingCharactersOn() {
    EditingHarness v;
    QVERIFY(v.open(verticalPage()));
    QTest::keyClick(v.view.get(), Qt::Key_Down);
    QCOMPARE(v.caret().index(), 1);
    const QPoint scroll = v.view->scrollPosition();
    const QImage before = v.view->viewport()->grab().toImage();
    QInputMethodEvent composing(QStringLiteral("かんじ"), {});
    QApplication::sendEvent(v.view.get(), &composing);
    const QRect area = v.view->preeditArea();
    const QRect rest = v.view->restOfCaretLine();
    QVERIFY(!area.isEmpty());
    QVERIFY(!rest.isEmpty());
    QCOMPARE(area.height(), 3 * area.width());
    QVERIFY(rest.top() <= area.top() + 1);
    const QImage during = v.view->viewport()->grab().toImage();
    // The rest of the line stands one composition further down, pixel for pixel.
    const QRect was = rest.translated(-scroll);
    const QRect now = was.translated(0, area.height());
    QRect shown = now.intersected(during.rect());
    shown.setTop(std::max(shown.top(), area.translated(-scroll).bottom() + 1));
    // The column of glyphs only: the block's frame is drawn over everything at its own place.
    const QRect glyphs = v.cellOf(0, 0, 1).translated(-scroll);
    shown.setLeft(glyphs.left());
    shown.setRight(glyphs.right());
    QVERIFY(shown.height() > area.width());
    const QImage page = v.view->pageImage().convertToFormat(during.format());
    QCOMPARE(during.copy(shown), page.copy(shown.translated(scroll).translated(0, -area.height())));
    // The composition itself is drawn where the following characters stood.
    QVERIFY(testing::inkMask(during, area.translated(-scroll)) !=
            testing::inkMask(before, area.translated(-scroll)));
    // Abandoned: the line stands as before.
    QInputMethodEvent cancelled(QString(), {});
    QApplication::sendEvent(v.view.get(), &cancelled);
    QVERIFY(v.view->preeditArea().isEmpty());
    QCOMPARE(v.view->viewport()->grab().toImage(), before);
    QCOMPARE(v.text(0, 0), std::u16string(u"あいうえお"));
  }

  void arrowsFollowTheWritingDirection() {
    EditingHarness v;
    QVERIFY(v.open(verticalPage()));
    QTest::keyClick(v.view.get(), Qt::Key_Down);  // along the column
    QCOMPARE(v.caret().index(), 1);
    QTest::keyClick(v.view.get(), Qt::Key_Left);  // the next column lies to the left
    QCOMPARE(v.caret().line, &v.line(0, 1));
    QCOMPARE(v.caret().index(), 1);
    QTest::keyClick(v.view.get(), Qt::Key_Up);
    QCOMPARE(v.caret().index(), 0);
    QTest::keyClick(v.view.get(), Qt::Key_Right);
    QCOMPARE(v.caret().line, &v.line(0, 0));
    // Shift extends a selection, which the clipboard then receives.
    QTest::keyClick(v.view.get(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(v.view.get(), Qt::Key_Down, Qt::ShiftModifier);
    QVERIFY(!v.editor->state().selection.empty());
    QApplication::clipboard()->clear();
    QTest::keyClick(v.view.get(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("あい"));
    // The caret bar stands across the column at the top of the caret's cell.
    const QRect bar = v.view->caretRect();
    const QRect cell = v.cellOf(0, 0, 2);
    QCOMPARE(bar.height(), 2);
    QCOMPARE(bar.bottom() + 1, cell.top());
    QCOMPARE(bar.right(), cell.right());

    EditingHarness h;
    QVERIFY(h.open(horizontalPage()));
    QTest::keyClick(h.view.get(), Qt::Key_Right);
    QTest::keyClick(h.view.get(), Qt::Key_Right);
    QCOMPARE(h.caret().index(), 2);
    QTest::keyClick(h.view.get(), Qt::Key_Down);
    QCOMPARE(h.caret().line, &h.line(0, 1));
    QCOMPARE(h.caret().index(), 2);
    QTest::keyClick(h.view.get(), Qt::Key_Left);
    QCOMPARE(h.caret().index(), 1);
    const QRect hbar = h.view->caretRect();
    QCOMPARE(hbar.width(), 2);
    QCOMPARE(hbar.right() + 1, h.cellOf(0, 1, 1).left());
  }

  // In the edit-line colours the caret line changes colour when the key is released, as the
  // old line is drawn again as an ordinary line and the new one as the caret line.
  void releasingAKeyRedrawsTheOldAndNewCaretLines() {
    EditingHarness h;
    h.frame.textColourMode = 1;
    QVERIFY(h.open(horizontalPage()));
    auto dark = [&](int lineIndex) {
      const QImage& img = h.view->pageImage();
      const QRect cell = h.cellOf(0, lineIndex, 0);
      int n = 0;
      for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x) n += qGray(img.pixel(x, y)) < 100;
      return n;
    };
    QVERIFY(dark(0) > 20);
    QCOMPARE(dark(1), 0);  // light grey: not the edit line
    QTest::keyPress(h.view.get(), Qt::Key_Down);
    QCOMPARE(h.caret().line, &h.line(0, 1));
    QVERIFY(dark(0) > 20);  // nothing redrawn while the key is held
    QTest::keyRelease(h.view.get(), Qt::Key_Down);
    QCOMPARE(dark(0), 0);
    QVERIFY(dark(1) > 20);
  }

  void aMouseDragSelectsAndIsHighlighted() {
    EditingHarness h;
    QVERIFY(h.open(horizontalPage()));
    QWidget* vp = h.view->viewport();
    // A click left of a cell's middle puts the caret before it.
    QTest::mouseClick(vp, Qt::LeftButton, Qt::NoModifier, h.along(0, 1, 3, 0.25));
    QCOMPARE(h.caret().line, &h.line(0, 1));
    QCOMPARE(h.caret().index(), 3);
    QVERIFY(h.editor->state().selection.empty());
    // Press before い, drag past two thirds of え, release: いうえ.
    QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, h.along(0, 0, 1, 0.25));
    QCOMPARE(h.caret().line, &h.line(0, 0));
    h.moveWithButton(h.along(0, 0, 2, 0.5));
    QVERIFY(h.editor->state().dragging);
    h.moveWithButton(h.along(0, 0, 3, 0.8));
    QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, h.along(0, 0, 3, 0.8));
    QVERIFY(!h.editor->state().dragging);
    QCOMPARE(h.editor->copyText(), std::u16string(u"いうえ"));
    QCOMPARE(h.caret().index(), 1);
    // The selected cells are shown inverted, the others not.
    const QImage shot = vp->grab().toImage();
    auto darkShare = [&](const QRect& canvas) {
      const QRect r = canvas.translated(-h.view->scrollPosition());
      int dark = 0;
      for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) dark += qGray(shot.pixel(x, y)) < 128 ? 1 : 0;
      return static_cast<double>(dark) / (r.width() * r.height());
    };
    QVERIFY(darkShare(h.cellOf(0, 0, 2)) > 0.5);
    QVERIFY(darkShare(h.cellOf(0, 0, 4)) < 0.5);
    // Shift and a click extend the selection from its anchor.
    QTest::mouseClick(vp, Qt::LeftButton, Qt::ShiftModifier, h.along(0, 0, 4, 0.9));
    QCOMPARE(h.editor->copyText(), std::u16string(u"いうえお"));
    // A plain click drops it.
    QTest::mouseClick(vp, Qt::LeftButton, Qt::NoModifier, h.along(0, 0, 0, 0.1));
    QVERIFY(h.editor->state().selection.empty());
  }

  // Dragging below the view scrolls the page on its own while the button is held, and the
  // selection follows into the lines that come into view; the release stops it.
  void aDragBeyondTheViewScrollsAndKeepsSelecting() {
    EditingHarness h;
    auto page = makePage(600, 2000);
    auto block = makeBlock(40, 40, 500, 1900, false);
    for (int i = 0; i < 30; ++i)
      block.lines.push_back(makeLine(40, 40 + 60 * i, 300, 40, u"あいうえお", false));
    model::computeBlockAverages(block);
    page.blocks.push_back(std::move(block));
    QVERIFY(h.open(std::move(page)));
    QWidget* vp = h.view->viewport();
    QCOMPARE(h.view->verticalScrollBar()->value(), 0);
    QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, h.along(0, 0, 1, 0.25));
    const QPoint below(h.along(0, 0, 3, 0.5).x(), vp->height() + 30);
    h.moveWithButton(below);
    QTRY_VERIFY_WITH_TIMEOUT(h.view->verticalScrollBar()->value() > 200, 5000);
    // The selection's end is on a line that was out of sight when the drag began.
    const model::LineData* end = h.editor->state().selection.active.line;
    int endLine = 0;
    while (endLine < 30 && &h.line(0, endLine) != end) ++endLine;
    QVERIFY2(endLine * 60 + 40 > 500, qPrintable(QString::number(endLine)));
    QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, below);
    const int stopped = h.view->verticalScrollBar()->value();
    QTest::qWait(200);
    QCOMPARE(h.view->verticalScrollBar()->value(), stopped);
    QVERIFY(h.editor->copyText().size() > 5 * 5);
  }

  void pasteInsertsTheClipboardsTextAtTheCaret() {
    EditingHarness h;
    QVERIFY(h.open(horizontalPage()));
    QTest::mouseClick(h.view->viewport(), Qt::LeftButton, Qt::NoModifier, h.along(0, 1, 2, 0.2));
    QApplication::clipboard()->setText(fromU16(u"貼付\U00020BB7"));
    QTest::keyClick(h.view.get(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(h.text(0, 1), std::u16string(u"かき貼付\U00020BB7くけこ"));
    QCOMPARE(h.caret().index(), 5);
    // Copy without a selection leaves the clipboard as it was.
    QTest::keyClick(h.view.get(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), fromU16(u"貼付\U00020BB7"));
    // Text of 20000 units is refused.
    QApplication::clipboard()->setText(QString(20000, u'あ'));
    QTest::keyClick(h.view.get(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(h.line(0, 1).chars.size(), 8u);
  }

  void rightPressMovesTheCaretAndLeavesTheMenuToOthers() {
    EditingHarness h;
    QVERIFY(h.open(horizontalPage()));
    QWidget* vp = h.view->viewport();
    QTest::mousePress(vp, Qt::RightButton, Qt::NoModifier, h.along(0, 1, 2, 0.2));
    QCOMPARE(h.caret().line, &h.line(0, 1));
    QCOMPARE(h.caret().index(), 2);
    const QPoint at = h.along(0, 1, 2, 0.2);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, at, vp->mapToGlobal(at));
    QApplication::sendEvent(vp, &menu);
    QVERIFY(!menu.isAccepted());
    // In block editing presses belong to block editing: the caret stays.
    h.edit = appcore::EditMode::Block;
    QTest::mouseClick(vp, Qt::LeftButton, Qt::NoModifier, h.along(0, 0, 0, 0.2));
    QCOMPARE(h.caret().line, &h.line(0, 1));
  }

  void cursorShapesFollowTheBlockUnderThePointer() {
    EditingHarness h;
    QVERIFY(h.open(mixedPage()));
    h.hover(h.along(0, 0, 1, 0.5));
    QCOMPARE(h.view->viewport()->cursor().shape(), Qt::BitmapCursor);  // the vertical I-beam
    h.hover(h.along(1, 0, 1, 0.5));
    QCOMPARE(h.view->viewport()->cursor().shape(), Qt::IBeamCursor);
    h.hover(QPoint(660, 10) - h.view->scrollPosition());  // beside the page
    QCOMPARE(h.view->viewport()->cursor().shape(), Qt::ArrowCursor);
    h.edit = appcore::EditMode::Block;
    h.hover(h.along(1, 0, 1, 0.5));
    QCOMPARE(h.view->viewport()->cursor().shape(), Qt::CrossCursor);
  }

  // The frame on the bundled sample: the caret crosses into the next page, which opens scrolled
  // to the caret, and the undo command restores the text and the caret typing changed.
  void theFrameCrossesPagesAndUndoesTyping() {
    testing::FrameHarness fh;
    auto& f = fh.make();
    QVERIFY(f.openFile(testing::copySample(fh.dir)));
    auto& tv = f.textView();
    editing::Editor& ed = f.editor();
    QVERIFY(ed.state().caret.valid());
    QCOMPARE(&tv.caretState(), &ed.state());

    // Type at the caret, then undo by the command: text and caret come back.
    model::LineData* line = ed.state().caret.line;
    const std::u16string before = [&] {
      std::u16string s;
      for (const auto& c : line->chars)
        s += std::u16string_view(c.text.data(), static_cast<size_t>(model::charTextLength(c.text)));
      return s;
    }();
    QTest::keyClick(&tv, Qt::Key_Down);
    QTest::keyClick(&tv, Qt::Key_Down);
    const document::CaretState at = f.editingContext().caretMemo().caret;
    QTest::keyClicks(&tv, QStringLiteral("xyz"));
    tv.setFocus();
    QCOMPARE(ed.state().caret.index(), at[2] + 3);
    QVERIFY(f.commands().isEnabled(app::IdUndo));
    QVERIFY(f.commands().dispatch(app::IdUndo));
    QCOMPARE(f.editingContext().caretMemo().caret, at);
    model::LineData* restored = ed.state().caret.line;
    std::u16string after;
    for (const auto& c : restored->chars)
      after +=
          std::u16string_view(c.text.data(), static_cast<size_t>(model::charTextLength(c.text)));
    QCOMPARE(after, before);
    // Redo brings the typing back.
    QVERIFY(f.commands().dispatch(app::IdRedo));
    QCOMPARE(ed.state().caret.line->chars.size(), before.size() + 3);

    // Past the page's last line the caret goes on to the next page.
    model::PageData& first = *f.doc().page(0);
    auto last = editing::lastLineWithChars(first);
    QVERIFY(last.has_value());
    editing::CaretState s = ed.state();
    s.caret = editing::caretAt(*last, static_cast<int>(last->line->chars.size()));
    s.selection.collapseTo(s.caret);
    fh.setCaret(s);
    const bool vertical = last->block->direction == model::Vertical;
    QTest::keyClick(&tv, vertical ? Qt::Key_Down : Qt::Key_Right);
    QCOMPARE(f.doc().currentPage(), 1);
    QCOMPARE(ed.state().caret.line, editing::firstLineWithChars(*f.doc().page(1))->line);
    QCOMPARE(ed.state().caret.index(), 0);
    // The caret's cell is in view.
    const QRect bar = tv.caretRect().translated(-tv.scrollPosition());
    QVERIFY(QRect(QPoint(0, 0), tv.viewport()->size()).contains(bar.center()));
    QCOMPARE(f.imageView().scrollPosition(), tv.scrollPosition());
    // A page opens at its top left, or at its top right when it is written in columns.
    tv.horizontalScrollBar()->setValue(tv.horizontalScrollBar()->maximum() / 2);
    tv.verticalScrollBar()->setValue(tv.verticalScrollBar()->maximum() / 2);
    QVERIFY(f.commands().dispatch(app::IdNextPage));
    model::PageData& third = *f.doc().page(2);
    QVERIFY(tv.horizontalScrollBar()->maximum() > 0);
    const bool columns = editing::firstNormalLine(third)->block->direction == model::Vertical;
    QCOMPARE(tv.horizontalScrollBar()->value(), columns ? tv.horizontalScrollBar()->maximum() : 0);
    QCOMPARE(tv.verticalScrollBar()->value(), 0);
    QCOMPARE(ed.state().caret.line, editing::firstNormalLine(third)->line);
    f.doc().setCurrentPage(0);
    QVERIFY(editing::firstNormalLine(*f.doc().page(0))->block->direction == model::Vertical);
    QCOMPARE(tv.horizontalScrollBar()->value(), tv.horizontalScrollBar()->maximum());
    QCOMPARE(tv.verticalScrollBar()->value(), 0);
  }

  // In the text-flow display the keys follow the display's direction, not the block's, and a
  // click lands on the row drawn there.
  void theTextFlowDisplayWritesInItsOwnDirection() {
    testing::FrameHarness fh;
    auto& f = fh.make();
    QVERIFY(f.openFile(testing::copySample(fh.dir)));
    auto& tv = f.textView();
    editing::Editor& ed = f.editor();
    QVERIFY(f.commands().dispatch(app::IdForceHorizontal));
    QCOMPARE(ed.display(), editing::Display::TextFlowHorizontal);
    const editing::LinePlace* row = nullptr;
    for (const auto& lp : tv.layout().lines)
      if (lp.glyphs.size() > 4 && lp.line != ed.state().caret.line) {
        row = &lp;
        break;
      }
    QVERIFY(row != nullptr);
    // The layout is made again by the click: keep what is needed of it.
    const model::LineData* line = row->line;
    const QRect cell = textview::toQRect(row->glyphs[3].box);
    const QPoint at = QPoint(cell.left() + 2, cell.center().y()) - tv.scrollPosition();
    QTest::mouseClick(tv.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(ed.state().caret.line, line);
    QCOMPARE(ed.state().caret.index(), 3);
    QTest::keyClick(&tv, Qt::Key_Right);  // along the row, whatever the block's direction
    QCOMPARE(ed.state().caret.index(), 4);
    QVERIFY(f.commands().dispatch(app::IdTextOnly));
    QCOMPARE(ed.display(), editing::Display::Layout);
  }

  // Opening a document again replaces every record the caret named: the caret is placed afresh
  // on the new page instead of walking freed lines.
  void openingAgainPlacesTheCaretOnTheNewRecords() {
    testing::FrameHarness fh;
    auto& f = fh.make();
    const std::string path = testing::copySample(fh.dir);
    QVERIFY(f.openFile(path));
    auto& tv = f.textView();
    QTest::keyClick(&tv, Qt::Key_Down);
    QTest::keyClick(&tv, Qt::Key_Down, Qt::ShiftModifier);
    QVERIFY(!f.editor().state().selection.empty());
    QVERIFY(f.openFile(path));
    const editing::CaretState& s = f.editor().state();
    QVERIFY(s.caret.valid());
    QVERIFY(editing::findLine(*f.doc().page(f.doc().currentPage()), s.caret.line).has_value());
    QCOMPARE(s.caret.index(), 0);
    QVERIFY(s.selection.empty());
    QVERIFY(!tv.caretRect().isNull());
  }

  // Back from block editing the caret starts in the block whose entry block editing chose.
  void characterEditingStartsInTheChosenBlock() {
    testing::FrameHarness fh;
    auto& f = fh.make();
    QVERIFY(f.openFile(testing::copySample(fh.dir)));
    QVERIFY(f.commands().dispatch(app::IdBlockEdit));
    model::PageData& page = *f.doc().page(f.doc().currentPage());
    int chosen = -1, i = 0;
    for (auto& b : page.blocks) {
      if (i > 0 && b.type == model::BlockText && editing::firstNormalLineOfBlock(b)) {
        chosen = i;
        break;
      }
      ++i;
    }
    QVERIFY(chosen > 0);
    f.editor().state().entry = chosen;
    QVERIFY(f.commands().dispatch(app::IdCharEdit));
    const auto& s = f.editor().state();
    QCOMPARE(s.entry, chosen);
    QCOMPARE(s.caret.block, &*std::next(page.blocks.begin(), chosen));
    QCOMPARE(s.caret.index(), 0);
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  app::installFontSubstitutions();
  EditingInputTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "editing_input_test.moc"
