// Paste and its limit, undo of each kind of edit with the caret and selection it restores, redo
// by a second undo, and the saved file after a session of edits.
#include <gtest/gtest.h>

#include "editor_fixture.h"
#include "model/json_dump.h"
#include "rovorirud/reader.h"

namespace vellary::editing::testing {
namespace {

using Clipboard = EditorTest;
using Undo = EditorTest;

TEST_F(Clipboard, PastingUpTo19999UnitsSucceedsAnd20000AreRefused) {
  auto paper = bookPages();
  open(*paper);
  caretTo(0, 2, 3);
  const int32_t count = line(0, 2).charCount;
  EXPECT_FALSE(ed->paste(std::u16string(20000, u'字')));
  EXPECT_EQ(line(0, 2).charCount, count);
  EXPECT_FALSE(doc->undoEnabled());  // nothing was recorded either

  EXPECT_TRUE(ed->paste(std::u16string(19999, u'字')));
  EXPECT_EQ(line(0, 2).charCount, count + 19999);
  EXPECT_EQ(line(0, 2).chars.size(), static_cast<size_t>(count + 19999));
  EXPECT_EQ(caret().index(), 3 + 19999);
  EXPECT_EQ(doc->history().nextUndo()->kind, document::UndoPaste);
  EXPECT_EQ(doc->docModified(), 1);
}

TEST_F(Clipboard, PastedPairsAreOneCharacterAndRangesCountCharacters) {
  PaperData paper;
  BlockData& b = addBlock(addPage(paper), Horizontal, 100, 200, 500, 200);
  addSideLine(b, u"ねこ", 196, 180, 14, {0, 16});
  LineData& base = addLine(b, u"吾輩は猫である", 100, 200, 30, 32);
  b.lines.front().baseLine = &base;
  b.lines.front().rcs = b.lines.front().rce = 4;
  open(paper);
  caretTo(0, 1, 1);
  ed->paste(u"\U00020BB7\r\U00020BB7");
  const document::ChangeSet r = told();
  EXPECT_TRUE(r.has(document::Change::Layout));  // the line carries a ruby that moved
  EXPECT_EQ(line(0, 1).chars.size(), 10u);
  EXPECT_EQ(line(0, 1).charCount, 12);
  EXPECT_EQ(charTextLength(charAt(line(0, 1), 1).text), 2);
  EXPECT_EQ(charAt(line(0, 1), 2).text[0], 13);  // a pasted return does not split the line
  EXPECT_EQ(line(0, 0).rcs, 7);                   // still on 猫
  EXPECT_EQ(textOf(line(0, 1)).substr(8, 1), u"猫");
  EXPECT_EQ(lineCount(0), 2);
}

TEST_F(Clipboard, PastingIntoAnEmptyLineTakesTheLinesSize) {
  auto paper = bookPages();
  open(*paper);
  caretTo(1, 0, 6);
  for (int i = 0; i < 6; ++i) ed->backspace();
  ASSERT_EQ(lineCount(1), 1);
  caretTo(1, 0, 0);
  for (int i = 0; i < 8; ++i) ed->deleteForward();
  ASSERT_TRUE(line(1, 0).chars.empty());
  const int32_t h = line(1, 0).height;
  ed->paste(u"吾輩");
  EXPECT_EQ(text(1, 0), u"吾輩");
  EXPECT_EQ(charAt(line(1, 0), 0).height, h);
  EXPECT_EQ(charAt(line(1, 0), 0).x, -1);
}

TEST_F(Undo, ATypingRunIsOneStepAndRedoBringsItBack) {
  auto paper = bookPages();
  open(*paper);
  caretTo(0, 1, 3);
  for (char16_t c : std::u16string(u"ねこです")) ed->typeChar(c);
  EXPECT_EQ(text(0, 1), u"どこでねこです生れたか");
  EXPECT_EQ(doc->history().nextUndo()->kind, document::UndoTyping);
  caretTo(0, 2, 1);
  views.clear();
  ASSERT_TRUE(context->undo());
  const document::ChangeSet r = told();
  // Only characters changed: the views draw the one line again.
  EXPECT_FALSE(r.has(document::Change::Layout));
  EXPECT_EQ(r.lines, std::vector<const model::LineData*>{&line(0, 1)});
  EXPECT_EQ(text(0, 1), u"どこで生れたか");
  // The caret stands where it stood before the first character was typed.
  EXPECT_EQ(caret().line, &line(0, 1));
  EXPECT_EQ(caret().index(), 3);

  // A second undo has nothing more to take back; redo brings the typing and its caret back.
  EXPECT_FALSE(context->undo());
  ASSERT_TRUE(context->redo());
  EXPECT_EQ(text(0, 1), u"どこでねこです生れたか");
  EXPECT_EQ(caret().line, &line(0, 2));
  EXPECT_EQ(caret().index(), 1);
  // An edit after an undo drops what could be redone.
  ASSERT_TRUE(context->undo());
  caretTo(0, 1, 0);
  ed->typeChar(u'、');
  EXPECT_FALSE(doc->redoEnabled());
  context->undo();
  EXPECT_EQ(text(0, 1), u"どこで生れたか");
}

TEST_F(Undo, MovingTheCaretAndBreakingALineEndTheTypingRun) {
  auto paper = bookPages();
  open(*paper);
  caretTo(0, 1, 3);
  ed->typeChar(u'ね');
  ed->typeChar(u'こ');
  press(Key::Right);  // the caret moves: what follows is a step of its own
  ed->typeChar(u'が');
  ed->typeChar(13);  // a line break: its own step
  ed->typeChar(u'。');
  ASSERT_EQ(doc->history().size(), 4u);
  EXPECT_EQ(text(0, 1), u"どこでねこ生が\r");
  EXPECT_EQ(text(0, 2), u"。れたか");
  context->undo();
  EXPECT_EQ(text(0, 2), u"れたか");
  context->undo();
  EXPECT_EQ(text(0, 1), u"どこでねこ生がれたか");
  context->undo();
  EXPECT_EQ(text(0, 1), u"どこでねこ生れたか");
  context->undo();
  EXPECT_EQ(text(0, 1), u"どこで生れたか");
  EXPECT_FALSE(doc->undoEnabled());
}

TEST_F(Undo, DeletingAfterTypingIsItsOwnStep) {
  auto paper = bookPages();
  open(*paper);
  caretTo(0, 2, 0);
  ed->typeChar(u'「');
  ed->typeChar(u'」');
  ed->deleteForward();
  ed->deleteForward();
  EXPECT_EQ(text(0, 2), u"「」と見当がつかぬ");
  context->undo();
  EXPECT_EQ(text(0, 2), u"「」とんと見当がつかぬ");
  EXPECT_EQ(caret().index(), 2);
}

TEST_F(Undo, TheSelectionTypedOverComesBack) {
  auto paper = bookPages();
  open(*paper);
  caretTo(0, 0, 3);
  selectTo(0, 0, 6);
  ed->typeChar(u'犬');
  EXPECT_EQ(text(0, 0), u"吾輩は犬る名前はまだ\r");
  context->undo();
  EXPECT_EQ(text(0, 0), u"吾輩は猫である名前はまだ\r");
  EXPECT_EQ(ed->copyText(), u"猫であ");
}

TEST_F(Undo, ALineSplitAndItsSideLinesComeBack) {
  PaperData paper;
  BlockData& b = addBlock(addPage(paper), Horizontal, 100, 200, 500, 200);
  addSideLine(b, u"ねこ", 196, 180, 14, {0, 16});
  LineData& base = addLine(b, u"吾輩は猫である", 100, 200, 30, 32);
  b.lines.front().baseLine = &base;
  b.lines.front().rcs = b.lines.front().rce = 4;
  open(paper);
  caretTo(0, 1, 5);
  ed->typeChar(13);
  ASSERT_EQ(lineCount(0), 3);
  context->undo();
  ASSERT_EQ(lineCount(0), 2);
  EXPECT_EQ(text(0, 1), u"吾輩は猫である");
  EXPECT_EQ(line(0, 0).baseLine, &line(0, 1));  // the restored ruby names the restored base
  EXPECT_EQ(caret().line, &line(0, 1));
  EXPECT_EQ(caret().index(), 5);
}

// Typed characters have no box; the writer estimates one inside their line. Takes those from the
// read-back copy so that the rest of the two models can be compared whole.
void adoptTypedBoxes(PageData& edited, const PageData& readBack) {
  auto rb = readBack.blocks.begin();
  for (BlockData& b : edited.blocks) {
    ASSERT_EQ(b.lines.size(), rb->lines.size());
    auto rl = rb->lines.begin();
    for (LineData& l : b.lines) {
      ASSERT_EQ(l.chars.size(), rl->chars.size());
      auto rc = rl->chars.begin();
      for (CharData& c : l.chars) {
        if (c.x < 0 || c.y < 0) {
          EXPECT_GE(rc->x, l.x);
          EXPECT_LE(rc->x + rc->width, l.x + l.width);
          c.x = rc->x;
          c.y = rc->y;
          c.width = rc->width;
          c.height = rc->height;
        }
        ++rc;
      }
      ++rl;
    }
    computeBlockAverages(b);
    ++rb;
  }
}

TEST_F(Undo, TheSavedFileReadsBackAsEdited) {
  auto paper = bookPages();
  {
    BlockData& b = blockAt(paper->pages.front(), 0);
    addSideLine(b, u"ねこ", 196, 80, 14, {0, 16});
    b.lines.back().baseLine = &b.lines.front();
    b.lines.back().rcs = b.lines.back().rce = 4;
    b.lines.splice(b.lines.begin(), b.lines, std::prev(b.lines.end()));
  }
  open(*paper);
  ASSERT_EQ(line(0, 0).attr, AttrRuby);
  caretTo(0, 1, 0);
  ed->typeChar(u'「');        // before the ruby's base: its range moves on
  caretTo(0, 1, 9);
  ed->typeChar(13);            // a line split after the ruby's base: the ruby goes along
  caretTo(0, 3, 2);
  ed->commitText(u"\U00020BB7");
  ed->deleteForward();
  caretTo(1, 1, 8);
  ed->paste(u"のだ。");
  ASSERT_TRUE(doc->saveTo(dir / "saved.xml"));

  rovorirud::ReadResult back = rovorirud::readDocumentFile(dir / "saved.xml");
  ASSERT_TRUE(back.paper);
  PageData& edited = page();
  PageData& read = back.paper->pages.front();
  adoptTypedBoxes(edited, read);
  PaperData a, b;
  a.pages.push_back(copyPage(edited));
  b.pages.push_back(copyPage(read));
  EXPECT_EQ(dumpJson(b), dumpJson(a));
  EXPECT_EQ(textOf(lineAt(blockAt(read, 0), 1)), u"「吾輩は猫である名\r");
  EXPECT_EQ(textOf(lineAt(blockAt(read, 0), 3)), u"どこ\U00020BB7生れたか");
  EXPECT_EQ(lineAt(blockAt(read, 0), 0).rcs, 5);
  EXPECT_EQ(lineAt(blockAt(read, 0), 0).baseLine, &lineAt(blockAt(read, 0), 1));
  EXPECT_EQ(textOf(lineAt(blockAt(read, 1), 1)), u"じめじめした所でのだ。");
}

}  // namespace
}  // namespace vellary::editing::testing
