// Typing at the caret and over a selection, input-method results, Enter with its refusals and the
// line split, and side lines that follow the text.
#include <gtest/gtest.h>

#include "editor_fixture.h"

namespace vellary::editing::testing {
namespace {

using Typing = EditorTest;

// One line of ten characters, 200 wide, and a ruby over its fourth character (猫) in a second
// block whose base line has a neighbour.
std::unique_ptr<PaperData> rubyPage() {
  auto paper = std::make_unique<PaperData>();
  PageData& p = addPage(*paper);
  BlockData& a = addBlock(p, Horizontal, 100, 100, 300, 40);
  addLine(a, u"一二三四五六七八九十", 100, 100, 20, 20);
  BlockData& b = addBlock(p, Horizontal, 100, 200, 500, 200);
  addSideLine(b, u"ねこ", 196, 180, 14, {0, 16});
  LineData& base = addLine(b, u"吾輩は猫である", 100, 200, 30, 32);
  b.lines.front().baseLine = &base;
  b.lines.front().rcs = b.lines.front().rce = 4;
  addLine(b, u"名前はまだ無い", 100, 250, 30, 32);
  return paper;
}

std::unique_ptr<PaperData> tablePage() {
  auto paper = std::make_unique<PaperData>();
  BlockData& t = addBlock(addPage(*paper), Horizontal, 100, 100, 400, 100, SecText, BlockTable);
  CellData& cell = t.cells.emplace_back();
  cell.x = 100;
  cell.y = 100;
  cell.width = 400;
  cell.height = 100;
  cell.lineCount = 1;
  BlockData tmp;
  addLine(tmp, u"表の文字", 100, 110, 30, 32);
  cell.lines.splice(cell.lines.end(), tmp.lines);
  computeCellAverages(cell, Horizontal);
  return paper;
}

TEST_F(Typing, ATypedCharacterHasNoPlaceOnTheImage) {
  auto paper = bookPages();
  open(*paper);
  caretTo(0, 1, 2);
  const int32_t blockCount = block(0).charCount;
  ed->typeChar(u'ア');
  const document::ChangeSet r = told();
  EXPECT_EQ(text(0, 1), u"どこアで生れたか");
  const CharData& c = charAt(line(0, 1), 2);
  EXPECT_EQ(c.x, -1);
  EXPECT_EQ(c.y, -1);
  EXPECT_EQ(c.width, 30);  // the size of the character it was put before
  EXPECT_EQ(c.height, 30);
  EXPECT_EQ(c.cc, 10);
  EXPECT_EQ(c.numCand(), 0);
  EXPECT_EQ(c.changed, 1);
  EXPECT_EQ(line(0, 1).charCount, 8);
  EXPECT_EQ(block(0).charCount, blockCount + 1);
  EXPECT_EQ(caret().index(), 3);  // still before で
  ASSERT_EQ(r.lines.size(), 1u);
  EXPECT_EQ(r.lines[0], &line(0, 1));
  EXPECT_FALSE(r.has(document::Change::Layout));
  EXPECT_EQ(doc->docModified(), 1);
  EXPECT_TRUE(doc->pageMarked(0));
  // The undo item can take the typing back at once.
  EXPECT_TRUE(doc->undoEnabled());
  EXPECT_TRUE(r.has(document::Change::History));
  // Control codes below 20 and a lone Backspace change nothing.
  ed->typeChar(7);
  ed->typeChar(8);
  EXPECT_TRUE(told().empty());
  EXPECT_EQ(line(0, 1).charCount, 8);
}

TEST_F(Typing, AnInputMethodResultIsDrawnOnceAfterItsLastUnit) {
  auto paper = bookPages();
  open(*paper);
  caretTo(0, 2, 9);
  ed->commitText(u"である");
  const document::ChangeSet r = told();
  EXPECT_EQ(text(0, 2), u"とんと見当がつかぬである");
  EXPECT_TRUE(caret().atLineEnd());
  ASSERT_EQ(r.lines.size(), 1u);
  // Typed at the end of a line, the characters take the size of its last one.
  EXPECT_EQ(charAt(line(0, 2), 11).width, 30);
}

TEST_F(Typing, ASurrogatePairIsOneCharacterAndOneBackspaceRemovesIt) {
  auto paper = bookPages();
  open(*paper);
  caretTo(0, 1, 3);
  const int32_t count = line(0, 1).charCount;
  ed->commitText(u"\U00020BB7");
  const document::ChangeSet r = told();  // 𠮷, beyond the Basic Multilingual Plane
  EXPECT_TRUE(r.has(document::Change::Caret));
  ASSERT_EQ(line(0, 1).chars.size(), 8u);
  const CharData& c = charAt(line(0, 1), 3);
  EXPECT_EQ(charTextLength(c.text), 2);
  EXPECT_EQ(c.text[0], 0xD842);
  EXPECT_EQ(c.text[1], 0xDFB7);
  EXPECT_EQ(line(0, 1).charCount, count + 2);
  EXPECT_EQ(caret().index(), 4);
  ed->backspace();
  EXPECT_EQ(text(0, 1), u"どこで生れたか");
  EXPECT_EQ(line(0, 1).charCount, count);
  EXPECT_EQ(caret().index(), 3);
  // A stray low unit does not break the character before the caret.
  EXPECT_FALSE(ed->typeChar(0xDC00));
  EXPECT_EQ(text(0, 1), u"どこで生れたか");
}

TEST_F(Typing, OverASelectionCharactersAreOverwrittenInPlace) {
  auto paper = bookPages();
  open(*paper);
  caretTo(0, 1, 3);
  selectTo(0, 1, 6);  // 生れた
  const int32_t x = charAt(line(0, 1), 3).x;
  ed->typeChar(u'Ｘ');
  EXPECT_EQ(text(0, 1), u"どこでＸか");
  EXPECT_EQ(charAt(line(0, 1), 3).x, x);  // kept its box
  EXPECT_EQ(charAt(line(0, 1), 3).changed, 1);
  EXPECT_EQ(line(0, 1).charCount, 5);
  EXPECT_EQ(caret().index(), 4);
  EXPECT_TRUE(ed->state().selection.empty());
  // A repeat count longer than the selection inserts the rest after it.
  caretTo(0, 1, 0);
  selectTo(0, 1, 2);
  ed->typeChar(u'Ｙ', 4);
  EXPECT_EQ(text(0, 1), u"ＹＹＹＹでＸか");
  EXPECT_EQ(charAt(line(0, 1), 1).x, 132);
  EXPECT_EQ(charAt(line(0, 1), 2).x, -1);
  EXPECT_EQ(line(0, 1).charCount, 7);
  EXPECT_EQ(caret().index(), 4);
}

TEST_F(Typing, NothingIsTypedOverASelectionOfTwoLines) {
  auto paper = bookPages();
  open(*paper);
  caretTo(0, 1, 3);
  selectTo(0, 2, 2);
  views.clear();
  EXPECT_FALSE(ed->typeChar(u'Ｘ'));
  EXPECT_TRUE(told().empty());
  EXPECT_EQ(text(0, 1), u"どこで生れたか");
  EXPECT_EQ(text(0, 2), u"とんと見当がつかぬ");
  EXPECT_FALSE(ed->state().selection.empty());
}

TEST_F(Typing, EnterSplitsTheLineInProportionToItsCharacters) {
  auto paper = rubyPage();
  open(*paper);
  ASSERT_EQ(line(0, 0).width, 200);
  caretTo(0, 0, 4);
  ed->typeChar(13);
  const document::ChangeSet r = told();
  EXPECT_TRUE(r.has(document::Change::Layout));
  ASSERT_EQ(lineCount(0), 2);
  EXPECT_EQ(text(0, 0), u"一二三四\r");
  EXPECT_EQ(line(0, 0).charCount, 5);
  EXPECT_EQ(text(0, 1), u"五六七八九十");
  EXPECT_EQ(line(0, 1).charCount, 6);
  // Each half has the box of its own characters: the second starts where its first character
  // does, on the same row.
  const CharData& first = charAt(line(0, 0), 0);
  const CharData& fourth = charAt(line(0, 0), 3);
  const CharData& fifth = charAt(line(0, 1), 0);
  const CharData& last = charAt(line(0, 1), 5);
  EXPECT_EQ(line(0, 0).x, first.x);
  EXPECT_EQ(line(0, 0).width, fourth.x + fourth.width - first.x);
  EXPECT_EQ(line(0, 1).x, fifth.x);
  EXPECT_EQ(line(0, 1).width, last.x + last.width - fifth.x);
  EXPECT_EQ(line(0, 0).y, line(0, 1).y);
  EXPECT_EQ(line(0, 0).height, line(0, 1).height);
  EXPECT_EQ(charAt(line(0, 0), 0).changed, 1);
  EXPECT_EQ(caret().line, &line(0, 1));
  EXPECT_EQ(caret().index(), 0);
  // The two halves lie on one row: Backspace removes the return and joins them again.
  ed->backspace();
  ASSERT_EQ(lineCount(0), 1);
  EXPECT_EQ(text(0, 0), u"一二三四五六七八九十");
  EXPECT_EQ(line(0, 0).width, 200);  // the box comes from the characters again
  EXPECT_EQ(caret().index(), 4);
}

TEST_F(Typing, EnterAtALineEnd) {
  auto paper = bookPages();
  open(*paper);
  // Without a final return: the return ends the line and the caret goes on to the next.
  caretTo(0, 1, 7);
  ed->typeChar(13);
  EXPECT_EQ(lineCount(0), 3);
  EXPECT_EQ(text(0, 1), u"どこで生れたか\r");
  EXPECT_EQ(caret().line, &line(0, 2));
  EXPECT_EQ(caret().index(), 0);
  // Behind a final return: the new return stays alone in the current line.
  caretTo(0, 0, 13);
  ed->typeChar(13);
  ASSERT_EQ(lineCount(0), 4);
  EXPECT_EQ(text(0, 0), u"吾輩は猫である名前はまだ\r");
  EXPECT_EQ(text(0, 1), u"\r");
  EXPECT_EQ(caret().line, &line(0, 1));
  EXPECT_EQ(caret().index(), 0);
}

TEST_F(Typing, EnterIsRefusedInTablesAndInsideARubyBase) {
  auto table = tablePage();
  open(*table);
  ASSERT_NE(caret().cell, nullptr);
  caret() = caretAt({&block(0), caret().cell, caret().line}, 2);
  EXPECT_FALSE(ed->typeChar(13));
  EXPECT_EQ(textOf(block(0).cells.front().lines.front()), u"表の文字");
  EXPECT_TRUE(prompter.shown.empty());

  auto ruby = rubyPage();
  open(*ruby);
  // The ruby covers 猫 alone; a range of two characters is cut by a break between them.
  line(1, 0).rce = 5;
  caretTo(1, 1, 4);
  ed->typeChar(13);
  ASSERT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(prompter.shown[0].text, "ルビに改行は挿入できません");
  EXPECT_EQ(text(1, 1), u"吾輩は猫である");
  caretTo(1, 0, 1);  // on the ruby line itself
  ed->typeChar(13);
  EXPECT_EQ(prompter.shown.size(), 2u);
  EXPECT_EQ(lineCount(1), 3);
}

TEST_F(Typing, SideLinesFollowASplit) {
  auto paper = rubyPage();
  open(*paper);
  LineData* ruby = &line(1, 0);
  LineData* base = &line(1, 1);
  ASSERT_EQ(ruby->baseLine, base);
  ASSERT_EQ(ruby->rcs, 4);
  // A break before the base characters: the ruby stays with the part that holds them.
  caretTo(1, 1, 2);
  ed->typeChar(13);
  EXPECT_EQ(ruby->baseLine, base);
  EXPECT_EQ(textOf(*base), u"は猫である");
  EXPECT_EQ(ruby->rcs, 2);
  EXPECT_EQ(ruby->rce, 2);
  // A break after them: the ruby goes with the new line and keeps its numbers.
  caret() = caretAt({&block(1), nullptr, base}, 2);
  ed->typeChar(13);
  EXPECT_EQ(textOf(*ruby->baseLine), u"は猫\r");
  EXPECT_EQ(ruby->rcs, 2);
}

TEST_F(Typing, RubyRangesFollowTypedCharacters) {
  auto paper = rubyPage();
  open(*paper);
  LineData& ruby = line(1, 0);
  caretTo(1, 1, 0);
  ed->typeChar(u'我');
  const document::ChangeSet r = told();          // before the range
  EXPECT_TRUE(r.has(document::Change::Layout));  // the ruby moves with its base
  EXPECT_EQ(ruby.rcs, 5);
  EXPECT_EQ(ruby.rce, 5);
  caretTo(1, 1, 5);  // right after the base character
  ed->typeChar(u'々');
  EXPECT_EQ(ruby.rcs, 5);
  EXPECT_EQ(ruby.rce, 6);
  caretTo(1, 1, 9);  // at the line's end nothing moves
  ed->typeChar(u'。');
  EXPECT_EQ(ruby.rce, 6);
  EXPECT_EQ(textOf(line(1, 1)), u"我吾輩は猫々である。");
}

TEST_F(Typing, TypingIntoAnEmptyLineGivesSizeZero) {
  auto paper = bookPages();
  open(*paper);
  caretTo(1, 0, 0);
  for (int i = 0; i < 6; ++i) ed->deleteForward();
  ASSERT_EQ(lineCount(1), 1);  // the emptied line went; the caret is on the next line
  caretTo(1, 0, 0);
  for (int i = 0; i < 8; ++i) ed->deleteForward();
  ASSERT_EQ(lineCount(1), 1);  // the block keeps its last line, empty
  EXPECT_TRUE(line(1, 0).chars.empty());
  ed->typeChar(u'あ');
  EXPECT_EQ(text(1, 0), u"あ");
  EXPECT_EQ(charAt(line(1, 0), 0).width, 0);
  EXPECT_TRUE(caret().atLineEnd());
  EXPECT_EQ(block(1).charCount, 1);
}

}  // namespace
}  // namespace vellary::editing::testing
