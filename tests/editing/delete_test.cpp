// Delete and Backspace: characters, carriage returns and the join with a line on the same row,
// emptied lines, selections, and side lines that lose their base characters.
#include <gtest/gtest.h>

#include "editor_fixture.h"

namespace vellary::editing::testing {
namespace {

using Deleting = EditorTest;

// A ruby over 猫 (the fourth of seven characters) and a line after it.
std::unique_ptr<PaperData> rubyBlock() {
  auto paper = std::make_unique<PaperData>();
  BlockData& b = addBlock(addPage(*paper), Horizontal, 100, 200, 500, 200);
  addSideLine(b, u"ねこ", 196, 180, 14, {0, 16});
  LineData& base = addLine(b, u"吾輩は猫である", 100, 200, 30, 32);
  b.lines.front().baseLine = &base;
  b.lines.front().rcs = b.lines.front().rce = 4;
  addLine(b, u"名前はまだ無い", 100, 250, 30, 32);
  return paper;
}

TEST_F(Deleting, BackspaceAtALineStartWithoutReturnRemovesTheLastCharacterBefore) {
  auto paper = bookPages();
  open(*paper);
  caretTo(0, 2, 0);
  ed->backspace();
  const document::ChangeSet r = told();
  EXPECT_EQ(text(0, 1), u"どこで生れた");
  EXPECT_EQ(text(0, 2), u"とんと見当がつかぬ");
  EXPECT_EQ(caret().line, &line(0, 1));
  EXPECT_TRUE(caret().atLineEnd());
  EXPECT_EQ(doc->history().nextUndo()->kind, document::UndoDeleting);
  EXPECT_EQ(doc->docModified(), 1);
  ASSERT_EQ(r.lines.size(), 1u);
  EXPECT_EQ(r.lines[0], &line(0, 1));
}

TEST_F(Deleting, BackspaceAfterAReturnRemovesIt) {
  auto paper = bookPages();
  open(*paper);
  caretTo(0, 1, 0);
  ed->backspace();
  // The next line lies on another row, so nothing is joined.
  EXPECT_EQ(text(0, 0), u"吾輩は猫である名前はまだ");
  EXPECT_EQ(lineCount(0), 3);
  EXPECT_EQ(caret().line, &line(0, 0));
  EXPECT_TRUE(caret().atLineEnd());
}

TEST_F(Deleting, BackspaceStopsAtTheBlockStart) {
  auto paper = bookPages();
  open(*paper);
  caretTo(1, 0, 0);
  ed->backspace();
  EXPECT_TRUE(told().empty());
  EXPECT_EQ(text(0, 2), u"とんと見当がつかぬ");
  EXPECT_FALSE(doc->undoEnabled());
}

TEST_F(Deleting, DeleteAtALinesLastCharacterMovesToTheNextLine) {
  auto paper = bookPages();
  open(*paper);
  caretTo(0, 1, 6);
  ed->deleteForward();
  EXPECT_EQ(text(0, 1), u"どこで生れた");
  EXPECT_EQ(caret().line, &line(0, 2));
  EXPECT_EQ(caret().index(), 0);
  // At the end position Delete does nothing.
  caretTo(0, 1, 6);
  ed->deleteForward();
  EXPECT_EQ(text(0, 1), u"どこで生れた");
}

TEST_F(Deleting, AnEmptiedLineIsRemovedButNeverABlocksLast) {
  auto paper = bookPages();
  open(*paper);
  caretTo(1, 1, 0);
  for (int i = 0; i < 8; ++i) ed->deleteForward();
  // The block's last line went; Delete leaves the caret at the end of the line before it.
  ASSERT_EQ(lineCount(1), 1);
  EXPECT_EQ(caret().line, &line(1, 0));
  EXPECT_TRUE(caret().atLineEnd());
  EXPECT_EQ(block(1).charCount, 6);
  // With Backspace an emptied line that is not the first sends the caret back to the end of
  // the nearest earlier line with characters.
  caretTo(0, 2, 9);
  for (int i = 0; i < 9; ++i) ed->backspace();
  EXPECT_EQ(lineCount(0), 2);
  EXPECT_EQ(caret().line, &line(0, 1));
  EXPECT_TRUE(caret().atLineEnd());
  caretTo(1, 0, 6);
  for (int i = 0; i < 6; ++i) ed->backspace();
  EXPECT_EQ(lineCount(1), 1);
  EXPECT_TRUE(line(1, 0).chars.empty());
  EXPECT_EQ(block(1).charCount, 0);
}

TEST_F(Deleting, TheOnlyBaseCharacterTakesItsRubyWithIt) {
  auto paper = rubyBlock();
  open(*paper);
  ASSERT_EQ(lineCount(0), 3);
  const int32_t count = block(0).charCount;
  caretTo(0, 1, 3);  // before 猫
  ed->deleteForward();
  const document::ChangeSet r = told();
  EXPECT_TRUE(r.has(document::Change::Layout));
  ASSERT_EQ(lineCount(0), 2);
  EXPECT_EQ(text(0, 0), u"吾輩はである");
  EXPECT_EQ(line(0, 0).attr, AttrNone);
  EXPECT_EQ(block(0).charCount, count - 3);  // the base character and the ruby's two
}

TEST_F(Deleting, RangesMoveWithCharactersRemovedBeforeThem) {
  auto paper = rubyBlock();
  open(*paper);
  LineData& ruby = line(0, 0);
  caretTo(0, 1, 1);
  ed->backspace();
  EXPECT_EQ(ruby.rcs, 3);
  EXPECT_EQ(ruby.rce, 3);
  // Removing the line's last character moves nothing before it.
  caretTo(0, 1, 6);
  ed->backspace();
  EXPECT_EQ(textOf(line(0, 1)), u"輩は猫であ");
  EXPECT_EQ(ruby.rcs, 3);
}

TEST_F(Deleting, ASelectionOverAReturnIsRemovedAndTheRowJoined) {
  PaperData paper;
  BlockData& b = addBlock(addPage(paper), Horizontal, 100, 100, 500, 100);
  addLine(b, u"一二三四五六七八九十", 100, 100, 20, 20);
  addLine(b, u"次の行", 100, 150, 20, 20);
  open(paper);
  caretTo(0, 0, 4);
  ed->typeChar(13);  // 一二三四⏎ | 五六七八九十, both on one row
  ASSERT_EQ(lineCount(0), 3);
  caretTo(0, 0, 2);
  selectTo(0, 1, 1);  // 三四⏎ and 五
  ed->deleteForward();
  const document::ChangeSet r = told();
  EXPECT_TRUE(r.has(document::Change::Layout));
  ASSERT_EQ(lineCount(0), 2);
  EXPECT_EQ(text(0, 0), u"一二六七八九十");
  EXPECT_EQ(text(0, 1), u"次の行");
  EXPECT_EQ(line(0, 0).charCount, 7);
  EXPECT_EQ(caret().line, &line(0, 0));
  EXPECT_EQ(caret().index(), 2);  // the active end: before 六
  EXPECT_TRUE(ed->state().selection.empty());
}

TEST_F(Deleting, ASelectionThatEmptiesItsLinesRemovesThem) {
  auto paper = bookPages();
  open(*paper);
  caretTo(0, 1, 0);
  selectTo(0, 2, 9);
  ed->backspace();  // with a selection Backspace removes it as Delete does
  ASSERT_EQ(lineCount(0), 1);
  EXPECT_EQ(text(0, 0), u"吾輩は猫である名前はまだ\r");
  // The caret goes on to the next line with characters, in the next block.
  EXPECT_EQ(caret().line, &line(1, 0));
  EXPECT_EQ(caret().index(), 0);
  EXPECT_EQ(ed->state().entry, 1);
  EXPECT_EQ(block(0).charCount, 13);
}

TEST_F(Deleting, ARubyOnALinesLastCharacterGoesWithIt) {
  PaperData paper;
  BlockData& b = addBlock(addPage(paper), Horizontal, 100, 200, 500, 200);
  addSideLine(b, u"る", 292, 180, 14, {0});
  LineData& base = addLine(b, u"吾輩は猫である", 100, 200, 30, 32);
  b.lines.front().baseLine = &base;
  b.lines.front().rcs = b.lines.front().rce = 7;
  open(paper);
  ASSERT_EQ(line(0, 0).attr, AttrRuby);
  ASSERT_EQ(line(0, 0).rcs, 7);
  caretTo(0, 1, 6);
  ed->deleteForward();
  // No side line may stay behind on a character that is gone.
  ASSERT_EQ(lineCount(0), 1);
  EXPECT_EQ(text(0, 0), u"吾輩は猫であ");
}

TEST_F(Deleting, RubiesInTableCellsFollowTheirBase) {
  PaperData paper;
  BlockData& t = addBlock(addPage(paper), Horizontal, 100, 100, 400, 100, SecText, BlockTable);
  CellData& cell = t.cells.emplace_back();
  cell.x = 100;
  cell.y = 100;
  cell.width = 400;
  cell.height = 100;
  cell.lineCount = 2;
  BlockData tmp;
  addSideLine(tmp, u"ねこ", 196, 130, 14, {0, 16});
  LineData& base = addLine(tmp, u"吾輩は猫である", 100, 150, 30, 32);
  tmp.lines.front().baseLine = &base;
  tmp.lines.front().rcs = tmp.lines.front().rce = 4;
  cell.lines.splice(cell.lines.end(), tmp.lines);
  computeCellAverages(cell, Horizontal);
  open(paper);
  List<LineData>& lines = block(0).cells.front().lines;
  ASSERT_EQ(lines.front().attr, AttrRuby);
  ASSERT_EQ(lines.front().rcs, 4);
  caret() = caretAt({&block(0), &block(0).cells.front(), &lines.back()}, 0);
  ed->state().selection.collapseTo(caret());
  ed->typeChar(u'「');
  EXPECT_EQ(lines.front().rcs, 5);
  ed->deleteForward();  // removes 吾
  ed->deleteForward();  // 輩
  EXPECT_EQ(lines.front().rcs, 3);
  caret() = caretAt({&block(0), &block(0).cells.front(), &lines.back()}, 2);
  ed->deleteForward();  // 猫, the ruby's only base character
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(textOf(lines.front()), u"「はである");
  EXPECT_EQ(block(0).cells.front().charCount, 5);
}

TEST_F(Deleting, ASelectionRunsOverBaseTextOnly) {
  PaperData paper;
  BlockData& b = addBlock(addPage(paper), Horizontal, 100, 100, 500, 200);
  addLine(b, u"一二三", 100, 100, 30, 32);
  addSideLine(b, u"ねこ", 132, 130, 14, {0, 16});
  LineData& base = addLine(b, u"吾輩は猫", 100, 150, 30, 32);
  std::next(b.lines.begin())->baseLine = &base;
  std::next(b.lines.begin())->rcs = std::next(b.lines.begin())->rce = 2;
  open(paper);
  ASSERT_EQ(line(0, 1).attr, AttrRuby);
  caretTo(0, 0, 1);
  selectTo(0, 2, 2);
  // The ruby between the two lines is neither copied nor highlighted.
  EXPECT_EQ(ed->copyText(), u"二三吾輩");
  EXPECT_EQ(selectionSpans(page(), ed->state().selection).size(), 2u);
  ed->deleteForward();
  // Its base character went, and the ruby with it.
  ASSERT_EQ(lineCount(0), 2);
  EXPECT_EQ(text(0, 0), u"一");
  EXPECT_EQ(text(0, 1), u"は猫");
  EXPECT_EQ(caret().line, &line(0, 1));
  EXPECT_EQ(caret().index(), 0);
}

}  // namespace
}  // namespace vellary::editing::testing
