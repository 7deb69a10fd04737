// The caret's walk through lines, blocks and pages, the arrow keys, the mouse on layout boxes,
// undo's caret triple and the selection's spans and text.
#include <gtest/gtest.h>

#include "editing/hit_test.h"
#include "editor_fixture.h"

namespace vellary::editing::testing {
namespace {

// The boxes a layout would give the page: bands of `pitch` from each block's top (horizontal)
// or right edge (vertical), one cell per character at the character's own box.
PageBoxes boxesOf(PageData& page, int pitch) {
  PageBoxes boxes;
  for (BlockData& b : page.blocks) {
    BlockBoxes& bb = boxes.blocks.emplace_back();
    bb.block = &b;
    bb.box = {b.x, b.y, b.width, b.height};
    int k = 0;
    for (LineData& l : b.lines) {
      if (l.attr != AttrNone) continue;
      LineBoxes& lb = bb.lines.emplace_back();
      lb.line = &l;
      lb.band = b.direction == Vertical
                    ? Box{b.x + b.width - (k + 1) * pitch, b.y, pitch, b.height}
                    : Box{b.x, b.y + k * pitch, b.width, pitch};
      int i = 0;
      for (CharData& c : l.chars) lb.cells.push_back({i++, 1, {c.x, c.y, c.width, c.height}});
      ++k;
    }
  }
  return boxes;
}

using Caret = EditorTest;

TEST_F(Caret, APageIsEnteredBeforeItsFirstCharacter) {
  auto paper = bookPages();
  open(*paper);
  EXPECT_EQ(caret().line, &line(0, 0));
  EXPECT_EQ(caret().index(), 0);
  EXPECT_EQ(ed->state().entry, 0);
}

TEST_F(Caret, ClickingBeyondTheTextLandsOnTheLastCharacter) {
  auto paper = bookPages();
  open(*paper);
  PageBoxes boxes = boxesOf(page(), 50);
  // Line 0 ends with a carriage return: the click lands before it, not after it.
  ed->mouseDown(boxes, 690, 110, false);
  ed->mouseUp(boxes, 690, 110, false);
  EXPECT_EQ(caret().line, &line(0, 0));
  EXPECT_EQ(caret().index(), 12);
  EXPECT_TRUE(isCarriageReturn(*caret().ch));
  // Line 2 has no return: before its last character.
  ed->mouseDown(boxes, 690, 210, false);
  EXPECT_EQ(caret().line, &line(0, 2));
  EXPECT_EQ(caret().index(), 8);
  // Inside the text the caret goes before the first cell whose midpoint lies beyond the point.
  ed->mouseDown(boxes, 100 + 3 * 32 + 10, 160, false);
  EXPECT_EQ(caret().line, &line(0, 1));
  EXPECT_EQ(caret().index(), 3);
  ed->mouseDown(boxes, 100 + 3 * 32 + 16, 160, false);
  EXPECT_EQ(caret().index(), 4);
  // The second block is found by its box; a point outside every block moves nothing.
  ed->mouseDown(boxes, 101, 455, false);
  EXPECT_EQ(caret().line, &line(1, 1));
  EXPECT_EQ(ed->state().entry, 1);
  views.clear();
  ed->mouseDown(boxes, 10, 10, false);
  EXPECT_FALSE(told().has(document::Change::Caret));
  EXPECT_EQ(caret().line, &line(1, 1));
}

TEST_F(Caret, DraggingSelectsWithinTheBlockOnly) {
  auto paper = bookPages();
  open(*paper);
  PageBoxes boxes = boxesOf(page(), 50);
  ed->mouseDown(boxes, 100 + 2 * 32 + 5, 160, false);  // before "で"
  ed->mouseMove(boxes, 690, 210);                       // beyond line 2: its end position
  EXPECT_TRUE(ed->state().dragging);
  ed->mouseMove(boxes, 300, 450);  // into the next block: not extended
  ed->mouseUp(boxes, 300, 450, false);
  EXPECT_FALSE(ed->state().dragging);
  EXPECT_EQ(ed->copyText(), u"で生れたか" u"とんと見当がつかぬ");
  EXPECT_EQ(caret().line, &line(0, 1));  // the caret stays where the drag began
  // Selecting changes no text: the views only move the highlight.
  EXPECT_FALSE(told().has(document::Change::Text));
}

TEST_F(Caret, ARightClickKeepsASelectionItHits) {
  auto paper = bookPages();
  open(*paper);
  PageBoxes boxes = boxesOf(page(), 50);
  caretTo(0, 1, 1);
  selectTo(0, 1, 4);  // こで生, cells from x 132 to 230
  // Half a line's height above the highlight still counts as on it.
  ed->rightButtonDown(boxes, 200, 140);
  EXPECT_EQ(ed->copyText(), u"こで生");
  views.clear();
  ed->rightButtonDown(boxes, 400, 160);  // beside it on the same line
  const document::ChangeSet r = told();
  EXPECT_TRUE(r.has(document::Change::Caret));
  EXPECT_TRUE(ed->state().selection.empty());
  EXPECT_EQ(caret().line, &line(0, 1));
  ed->rightButtonDown(boxes, 101, 455);  // another block: it and its line become current
  EXPECT_EQ(ed->state().entry, 1);
  EXPECT_EQ(caret().line, &line(1, 1));
}

TEST_F(Caret, ShiftStopsAtTheBlockEndWhileArrowsCrossBlocksAndPages) {
  auto paper = bookPages();
  open(*paper);
  caretTo(0, 2, 8);
  press(Key::Right, true);
  EXPECT_TRUE(caret().atLineEnd());
  EXPECT_FALSE(press(Key::Right, true).has(document::Change::Caret));  // out of a selection's reach
  EXPECT_EQ(caret().line, &line(0, 2));
  EXPECT_EQ(ed->copyText(), u"ぬ");

  press(Key::Right);
  EXPECT_EQ(caret().line, &line(1, 0));
  EXPECT_EQ(caret().index(), 0);
  EXPECT_TRUE(ed->state().selection.empty());
  EXPECT_EQ(ed->state().entry, 1);

  caretTo(1, 1, 8);  // the end of the page's last line
  const document::ChangeSet r = press(Key::Right);
  EXPECT_TRUE(r.has(document::Change::Page));
  EXPECT_EQ(doc->currentPage(), 1);
  EXPECT_EQ(caret().line, &line(0, 0));
  EXPECT_EQ(caret().index(), 0);
  // And back: Left from the first character returns to the previous page's last line end.
  press(Key::Left);
  EXPECT_EQ(doc->currentPage(), 0);
  EXPECT_EQ(caret().line, &line(1, 1));
  EXPECT_TRUE(caret().atLineEnd());
  // Left at the start of a line after a final return stops before that return.
  caretTo(0, 1, 0);
  press(Key::Left);
  EXPECT_EQ(caret().line, &line(0, 0));
  EXPECT_EQ(caret().index(), 12);
  // Right on a final return goes to the next line.
  press(Key::Right);
  EXPECT_EQ(caret().line, &line(0, 1));
  EXPECT_EQ(caret().index(), 0);
}

TEST_F(Caret, NoLineInTheDirectionLeavesTheCaret) {
  auto paper = bookPages();
  open(*paper);
  caretTo(0, 0, 0);
  EXPECT_FALSE(press(Key::Left).has(document::Change::Caret));
  EXPECT_FALSE(press(Key::Up).has(document::Change::Caret));
  EXPECT_EQ(doc->currentPage(), 0);
  EXPECT_EQ(caret().index(), 0);
}

TEST_F(Caret, AHeldVerticalKeyKeepsTheColumnOfItsPress) {
  PaperData paper;
  BlockData& b = addBlock(addPage(paper), Horizontal, 100, 100, 500, 200);
  addLine(b, u"一二三四五六七八九十", 100, 100, 30, 32);
  addLine(b, u"あい", 100, 150, 30, 32);
  addLine(b, u"かきくけこさしすせそ", 100, 200, 30, 32);
  open(paper);
  caretTo(0, 0, 5);
  ed->keyDown(Key::Down, false);
  EXPECT_EQ(caret().line, &line(0, 1));
  EXPECT_EQ(caret().index(), 1);
  ed->keyDown(Key::Down, false);  // auto-repeat
  EXPECT_EQ(caret().line, &line(0, 2));
  EXPECT_EQ(caret().index(), 5);
  views.clear();
  ed->keyUp();
  const document::ChangeSet up = told();
  // Releasing moves the edit line's colour to the new caret line.
  EXPECT_TRUE(up.has(document::Change::Caret));

  caretTo(0, 0, 5);
  press(Key::Down);
  EXPECT_EQ(caret().index(), 1);
  press(Key::Down);  // a new press starts from the short line's column
  EXPECT_EQ(caret().line, &line(0, 2));
  EXPECT_EQ(caret().index(), 1);
}

TEST_F(Caret, VerticalWritingTurnsTheArrows) {
  EXPECT_EQ(arrowMovement(Key::Left, true), Movement::NextLine);
  EXPECT_EQ(arrowMovement(Key::Right, true), Movement::PreviousLine);
  EXPECT_EQ(arrowMovement(Key::Down, true), Movement::NextCharacter);
  EXPECT_EQ(arrowMovement(Key::Left, false), Movement::PreviousCharacter);
  EXPECT_EQ(arrowMovement(Key::Up, false), Movement::PreviousLine);
  PaperData paper;
  BlockData& b = addBlock(addPage(paper), Vertical, 500, 100, 100, 600);
  addLine(b, u"春はあけぼの", 560, 100, 30, 32);
  addLine(b, u"やうやう白く", 510, 100, 30, 32);
  open(paper);
  caretTo(0, 0, 2);
  press(Key::Down);
  EXPECT_EQ(caret().index(), 3);
  press(Key::Left);
  EXPECT_EQ(caret().line, &line(0, 1));
  EXPECT_EQ(caret().index(), 3);
  press(Key::Right);
  EXPECT_EQ(caret().line, &line(0, 0));
  // In the text-flow display the frame's writing mode decides, not the block.
  ed->setDisplay(Display::TextFlowHorizontal);
  press(Key::Down);
  EXPECT_EQ(caret().line, &line(0, 1));
}

// The text-flow display writes no table: arrows and Enter take the caret past one, to the next
// line the display shows, on this page or a later one, and stay put where nothing follows.
TEST_F(Caret, TheTextFlowDisplayPassesTablesItDoesNotShow) {
  PaperData paper;
  auto table = [](PageData& p, int y) {
    BlockData& t = addBlock(p, Horizontal, 100, y, 400, 100, SecText, BlockTable);
    CellData& cell = t.cells.emplace_back();
    cell.x = 100;
    cell.y = y;
    cell.width = 400;
    cell.height = 100;
    cell.lineCount = 1;
    BlockData tmp;
    tmp.direction = Horizontal;
    addLine(tmp, u"表の中", 100, y, 30, 32);
    cell.lines.splice(cell.lines.end(), tmp.lines);
    computeCellAverages(cell, Horizontal);
  };
  PageData& p1 = addPage(paper);
  addLine(addBlock(p1, Horizontal, 100, 100, 500, 40), u"一行目", 100, 100, 30, 32);
  table(p1, 200);
  addLine(addBlock(p1, Horizontal, 100, 400, 500, 40), u"後の文", 100, 400, 30, 32);
  table(addPage(paper), 100);  // a page of a table alone
  PageData& p3 = addPage(paper);
  addLine(addBlock(p3, Horizontal, 100, 100, 500, 40), u"三頁目", 100, 100, 30, 32);
  open(paper);
  ed->setDisplay(Display::TextFlowHorizontal);

  caretTo(0, 0, 3);
  press(Key::Right);
  EXPECT_EQ(caret().line, &line(2, 0));
  EXPECT_EQ(caret().index(), 0);
  press(Key::Left);
  EXPECT_EQ(caret().line, &line(0, 0));
  press(Key::Down);
  EXPECT_EQ(caret().line, &line(2, 0));
  press(Key::Up);
  EXPECT_EQ(caret().line, &line(0, 0));
  // Down from the page's last shown line passes the page that holds only a table.
  caretTo(2, 0, 1);
  press(Key::Down);
  EXPECT_EQ(doc->currentPage(), 2);
  EXPECT_EQ(caret().line, &line(0, 0));
  press(Key::Up);
  EXPECT_EQ(doc->currentPage(), 0);
  EXPECT_EQ(caret().line, &line(2, 0));

  // Enter at the end of a line before the table: the caret goes on to the line after it.
  caretTo(0, 0, 3);
  ed->typeChar(13);
  EXPECT_EQ(text(0, 0), u"一行目\r");
  EXPECT_EQ(caret().line, &line(2, 0));
  // The layout display shows the table: there the caret goes into it.
  ed->setDisplay(Display::Layout);
  caretTo(0, 0, 3);
  press(Key::Right);
  EXPECT_EQ(caret().block, &block(1));
}

TEST_F(Caret, ARubyLineReturnsToItsBase) {
  PaperData paper;
  BlockData& b = addBlock(addPage(paper), Horizontal, 100, 100, 500, 200);
  addSideLine(b, u"ねこ", 196, 80, 14, {0, 16});
  LineData& base = addLine(b, u"吾輩は猫である", 100, 100, 30, 32);
  b.lines.front().baseLine = &base;
  b.lines.front().rcs = b.lines.front().rce = 4;
  open(paper);
  caretTo(0, 0, 1);  // on the ruby line
  ASSERT_EQ(line(0, 0).baseLine, &line(0, 1));
  press(Key::Left);
  EXPECT_EQ(caret().line, &line(0, 1));
  EXPECT_EQ(caret().index(), 3);  // before 猫
}

TEST_F(Caret, TheTripleNamesBlockLineAndCharacterAcrossCells) {
  PaperData paper;
  PageData& p = addPage(paper);
  BlockData& image = addBlock(p, Horizontal, 0, 0, 50, 50, SecText, BlockImage);
  (void)image;
  BlockData& t = addBlock(p, Horizontal, 100, 100, 400, 200, SecText, BlockTable);
  for (int c = 0; c < 2; ++c) {
    CellData& cell = t.cells.emplace_back();
    cell.col = c;
    cell.x = 100 + c * 200;
    cell.y = 100;
    cell.width = 200;
    cell.height = 200;
    cell.lineCount = 2;
    for (int l = 0; l < 2; ++l) {
      BlockData tmp;
      tmp.direction = Horizontal;
      addLine(tmp, c == 0 ? u"表の中" : u"第二欄の文字", cell.x, 100 + l * 40, 30, 32);
      cell.lines.splice(cell.lines.end(), tmp.lines);
    }
    computeCellAverages(cell, Horizontal);
  }
  open(paper);
  // The page's first text or table block is the table: its first cell's first line.
  EXPECT_EQ(caret().block, &block(1));
  ASSERT_NE(caret().cell, nullptr);
  CellData& second = *std::next(block(1).cells.begin());
  LineData& target = *std::next(second.lines.begin());
  caret() = caretAt({&block(1), &second, &target}, 2);
  EXPECT_EQ(context->caretMemo().caret, (document::CaretState{1, 3, 2}));
  ed->reset();
  EXPECT_FALSE(caret().valid());
  context->restoreCaretMemo({{1, 3, 2}, -1, -1});
  EXPECT_EQ(caret().line, &target);
  EXPECT_EQ(caret().cell, &second);
  EXPECT_EQ(caret().index(), 2);
  EXPECT_EQ(ed->state().entry, 1);
  EXPECT_FALSE(caretFromTriple(page(), {1, 3, 7}));  // beyond the line's end position
  EXPECT_FALSE(caretFromTriple(page(), {2, 0, 0}));
  // Moving with Shift stays within the cell; without, it crosses into the next cell.
  caret() = caretAt({&block(1), &*block(1).cells.begin(), &block(1).cells.begin()->lines.back()},
                    3);
  ed->state().selection.collapseTo(caret());
  EXPECT_FALSE(press(Key::Right, true).has(document::Change::Caret));
  press(Key::Right);
  EXPECT_EQ(caret().cell, &second);
}

TEST_F(Caret, SelectionSpansAndTextFollowDocumentOrder) {
  auto paper = bookPages();
  open(*paper);
  caretTo(0, 1, 3);
  selectTo(0, 0, 10);  // selected backwards
  std::vector<LineSpan> spans = selectionSpans(page(), ed->state().selection);
  ASSERT_EQ(spans.size(), 2u);
  EXPECT_EQ(spans[0].line, &line(0, 0));
  EXPECT_EQ(spans[0].first, 10);
  EXPECT_EQ(spans[0].last, 12);
  EXPECT_EQ(spans[1].line, &line(0, 1));
  EXPECT_EQ(spans[1].first, 0);
  EXPECT_EQ(spans[1].last, 2);
  // Carriage returns are copied as they stand and nothing is put between lines.
  EXPECT_EQ(ed->copyText(), u"まだ\rどこで");
  // Undo's numbers: characters over the page's non-table blocks.
  const document::CaretMemo memo = context->caretMemo();
  EXPECT_EQ(std::pair(memo.selStart, memo.selEnd), std::pair(10, 15));
  ed->state().selection.clear();
  EXPECT_EQ(ed->copyText(), u"");
  context->restoreCaretMemo(memo);
  EXPECT_EQ(ed->copyText(), u"まだ\rどこで");
}

TEST(HitTest, CellsOfATateChuYokoGroupCountOnce) {
  LineData l;
  for (int i = 0; i < 5; ++i) l.chars.emplace_back();
  LineBoxes lb;
  lb.line = &l;
  lb.band = {100, 0, 40, 200};
  lb.cells = {{0, 1, {105, 0, 30, 30}}, {1, 3, {105, 32, 30, 30}}, {4, 1, {105, 64, 30, 30}}};
  EXPECT_EQ(caretIndexAlong(lb, 40, true, HitRule::Place), 1);
  EXPECT_EQ(caretIndexAlong(lb, 50, true, HitRule::Place), 4);
  EXPECT_EQ(caretIndexAlong(lb, 500, true, HitRule::Place), 4);  // beyond: the last cell
  // A drag's boundary lies two thirds into a cell; beyond the text it reaches the end.
  EXPECT_EQ(caretIndexAlong(lb, 18, true, HitRule::Extend), 0);
  EXPECT_EQ(caretIndexAlong(lb, 22, true, HitRule::Extend), 1);
  EXPECT_EQ(caretIndexAlong(lb, 500, true, HitRule::Extend), 5);
  // The text-flow display counts a point on the midpoint as before it.
  EXPECT_EQ(caretIndexAlong(lb, 15, true, HitRule::TextFlow), 0);
  EXPECT_EQ(caretIndexAlong(lb, 15, true, HitRule::Place), 1);
  // The bar: at the start of the caret's cell, and after the last cell at the end position.
  l.width = 30;
  Box bar = caretBar(lb, 2, true);
  EXPECT_EQ(bar.y, 30);
  EXPECT_EQ(bar.height, 2);
  EXPECT_EQ(bar.x + bar.width, 135);  // the drawn cells, not the band
  EXPECT_EQ(caretBar(lb, 5, true).y, 92);
  LineData empty;
  LineBoxes none;
  none.line = &empty;
  EXPECT_EQ(caretIndexAlong(none, 10, false, HitRule::Place), -1);
}

TEST(HitTest, ImageBlocksTakeClicksAndTableCellsFindTheirLines) {
  BlockData image, table;
  image.type = BlockImage;
  table.type = BlockTable;
  CellData& c1 = table.cells.emplace_back();
  CellData& c2 = table.cells.emplace_back();
  LineData& l1 = c1.lines.emplace_back();
  LineData& l2 = c2.lines.emplace_back();
  l1.chars.emplace_back();
  l2.chars.emplace_back();
  PageBoxes boxes;
  boxes.blocks.push_back({&image, {0, 0, 100, 100}, {}, {}});
  BlockBoxes tb{&table, {50, 50, 400, 100}, {}, {}};
  tb.lines.push_back({&l1, &c1, {50, 60, 200, 30}, {50, 50, 200, 100}, {{0, 1, {50, 60, 30, 30}}}});
  tb.lines.push_back({&l2, &c2, {250, 60, 200, 30}, {250, 50, 200, 100}, {{0, 1, {250, 60, 30, 30}}}});
  boxes.blocks.push_back(tb);
  EXPECT_FALSE(hitTest(boxes, 60, 60, HitRule::Place));  // the image block lies first
  auto band = hitTest(boxes, 300, 70, HitRule::Place);
  ASSERT_TRUE(band);
  EXPECT_EQ(band->line, &l2);
  EXPECT_EQ(band->cell, &c2);
  EXPECT_EQ(band->blockIndex, 1);
  auto cell = hitTest(boxes, 300, 140, HitRule::Place);  // below the bands, inside cell 2
  ASSERT_TRUE(cell);
  EXPECT_EQ(cell->line, &l2);
  // A drag is held to its block.
  EXPECT_FALSE(hitTest(boxes, 300, 140, HitRule::Extend, &image));
}

}  // namespace
}  // namespace vellary::editing::testing
