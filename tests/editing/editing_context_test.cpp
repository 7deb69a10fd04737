// The editing context: one change set per command, the backup check after every command, the
// caret placed on pages the document turns to, undo and redo steps as the user makes them, and a
// click into an empty table cell.
#include <gtest/gtest.h>

#include <filesystem>

#include "editing/candidates.h"
#include "editing/find_replace.h"
#include "editing/layout.h"
#include "editor_fixture.h"
#include "rovorirud/reader.h"

namespace vellary::editing::testing {
namespace {

using document::Change;

class Context : public EditorTest {
 protected:
  // The page's hit boxes as the text view makes them, at full scale.
  PageBoxes boxes() {
    LayoutParams params;
    params.zoom = 1.0;
    layout = layoutPage(page(), params);
    return boxesFromLayout(page(), layout);
  }
  PageLayout layout;
};

// A table of two cells side by side: the left one holds "項目", the right one nothing.
std::unique_ptr<PaperData> tableWithAnEmptyCell() {
  auto paper = std::make_unique<PaperData>();
  PageData& p = addPage(*paper);
  addLine(addBlock(p, Horizontal, 100, 60, 400, 30), u"表の前", 100, 60, 30, 32);
  BlockData& t = addBlock(p, Horizontal, 100, 100, 400, 100, SecText, BlockTable);
  for (int k = 0; k < 2; ++k) {
    CellData& cell = t.cells.emplace_back();
    cell.row = 1;
    cell.col = k + 1;
    cell.x = 100 + 200 * k;
    cell.y = 100;
    cell.width = 200;
    cell.height = 100;
  }
  CellData& full = t.cells.front();
  BlockData tmp;
  addLine(tmp, u"項目", 110, 130, 30, 32);
  full.lines.splice(full.lines.end(), tmp.lines);
  full.lineCount = 1;
  computeCellAverages(full, Horizontal);
  computeTableAverage(t);
  t.charCount = full.charCount;
  return paper;
}

std::u16string cellText(const CellData& cell) {
  std::u16string s;
  for (const LineData& l : cell.lines) s += textOf(l);
  return s;
}

TEST_F(Context, ACommandTellsTheViewsOnceWhateverItChanges) {
  auto paper = bookPages();
  open(*paper);
  caretTo(0, 1, 2);
  ed->commitText(u"である");  // three units, one command
  ASSERT_EQ(views.sets.size(), 1u);
  EXPECT_EQ(views.sets[0].lines, std::vector<const LineData*>{&line(0, 1)});
  EXPECT_TRUE(views.sets[0].has(Change::Marks));
  EXPECT_TRUE(views.sets[0].has(Change::History));
  // The caret crossing to the next page: the page change and the caret come as one set, with the
  // caret already on the new page (not put back to its start).
  views.clear();
  caretTo(1, 1, 8);
  ed->keyDown(Key::Right, false);
  ASSERT_EQ(views.sets.size(), 1u);
  EXPECT_TRUE(views.sets[0].has(Change::Page));
  EXPECT_TRUE(views.sets[0].has(Change::Caret));
  EXPECT_EQ(doc->currentPage(), 1);
  EXPECT_EQ(caret().line, &line(0, 0));
}

TEST_F(Context, AnotherPageGetsTheCaretAtItsStartAndALoadLetsGoOfIt) {
  auto paper = bookPages();
  open(*paper);
  caretTo(1, 1, 3);
  doc->setCurrentPage(1);  // the page list
  EXPECT_EQ(caret().line, &line(0, 0));
  EXPECT_EQ(caret().index(), 0);
  EXPECT_EQ(ed->state().entry, 0);
  // A load replaces every record: the caret is dropped before, and placed on the new page after.
  ASSERT_TRUE(doc->reload());
  EXPECT_GE(views.resets, 1);
  ASSERT_TRUE(caret().valid());
  EXPECT_TRUE(findLine(page(), caret().line).has_value());
}

TEST_F(Context, EveryCommandRunsTheBackupCheckReplaceAllIncluded) {
  auto paper = bookPages();
  app.doBackup = 1;
  app.backupInterval = 1;
  open(*paper);
  const std::string backup = setup.backupPath;
  std::filesystem::remove(backup);

  // Navigation alone, once the interval has passed.
  clock.now += 61000;
  press(Key::Right);
  EXPECT_TRUE(std::filesystem::exists(backup));
  std::filesystem::remove(backup);

  // Replace all through the find dialog's request.
  FindReplaceState find;
  FindBuffers buffers;
  appcore::FrameSettings frame;
  {
    EditScope scope(*context);
    CorrectionContext ctx{scope, *doc, context->state(), frame, prompter};
    ASSERT_TRUE(openFindDialog(ctx, find, buffers, FindDialogKind::Replace));
  }
  buffers.setFind(u"猫");
  buffers.setReplace(u"犬");
  prompter.answers = {appcore::Answer::No};
  clock.now += 61000;
  {
    EditScope scope(*context);
    CorrectionContext ctx{scope, *doc, context->state(), frame, prompter};
    handleFindMessage(ctx, find, buffers, {FindMessage::Action::ReplaceAll, true, true});
  }
  EXPECT_EQ(text(0, 0), u"吾輩は犬である名前はまだ\r");
  EXPECT_TRUE(std::filesystem::exists(backup));
  const auto back = rovorirud::readDocumentFile(backup);
  ASSERT_TRUE(back.paper);
  EXPECT_EQ(textOf(lineAt(blockAt(back.paper->pages.front(), 0), 0)),
            u"吾輩は犬である名前はまだ\r");
}

TEST_F(Context, UndoTakesBackTheLineBreakThenTheTypingThenTheCandidate) {
  auto paper = bookPages();
  lineAt(blockAt(paper->pages.front(), 0), 1).chars.front().resetCandidates(2);
  {
    CharData& c = lineAt(blockAt(paper->pages.front(), 0), 1).chars.front();
    c.candText(0) = c.text;
    c.candText(1) = makeCharText(u'ど');
  }
  open(*paper);
  caretTo(0, 1, 0);
  {
    EditScope scope(*context);
    appcore::FrameSettings frame;
    CorrectionContext ctx{scope, *doc, context->state(), frame, prompter};
    ASSERT_TRUE(chooseCandidate(ctx, 1));
  }
  EXPECT_EQ(text(0, 1), u"どこで生れたか");
  caretTo(0, 1, 3);
  ed->commitText(u"ねこ");
  ed->typeChar(13);
  EXPECT_EQ(text(0, 1), u"どこでねこ\r");
  // The undo item names each step before it is taken back.
  EXPECT_EQ(doc->history().nextUndo()->kind, document::UndoLineBreak);
  ASSERT_TRUE(context->undo());
  EXPECT_EQ(text(0, 1), u"どこでねこ生れたか");
  EXPECT_EQ(doc->history().nextUndo()->kind, document::UndoTyping);
  ASSERT_TRUE(context->undo());
  EXPECT_EQ(text(0, 1), u"どこで生れたか");
  ASSERT_TRUE(context->undo());
  EXPECT_EQ(text(0, 1), u"どこで生れたか");
  EXPECT_EQ(charAt(line(0, 1), 0).text, makeCharText(u'ど'));
  EXPECT_FALSE(doc->undoEnabled());
  // And all the way forward again.
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(context->redo());
  EXPECT_EQ(text(0, 1), u"どこでねこ\r");
  EXPECT_FALSE(doc->redoEnabled());
}

TEST_F(Context, TypingIntoAnEmptyTableCellWritesIntoThatCell) {
  auto paper = tableWithAnEmptyCell();
  open(*paper);
  BlockData& table = block(1);
  CellData& full = table.cells.front();
  CellData& empty = table.cells.back();
  ASSERT_TRUE(empty.lines.empty());

  // A click into the empty cell puts the caret there, on a line of its own, and changes nothing
  // the user would have to save.
  ed->mouseDown(boxes(), 450, 150, false);
  ed->mouseUp(boxes(), 450, 150, false);
  ASSERT_EQ(empty.lines.size(), 1u);
  EXPECT_EQ(caret().cell, &empty);
  EXPECT_EQ(caret().line, &empty.lines.front());
  EXPECT_EQ(doc->docModified(), 0);
  EXPECT_FALSE(doc->undoEnabled());
  const LineData& made = empty.lines.front();
  EXPECT_GE(made.x, empty.x);
  EXPECT_LE(made.x + made.width, empty.x + empty.width);
  EXPECT_GE(made.y, empty.y);
  EXPECT_LE(made.y + made.height, empty.y + empty.height);

  ed->commitText(u"電気");
  EXPECT_EQ(cellText(empty), u"電気");
  EXPECT_EQ(cellText(full), u"項目");
  EXPECT_EQ(empty.charCount, 2);
  EXPECT_EQ(table.charCount, 4);
  EXPECT_EQ(doc->docModified(), 1);

  // Saved and read back, the text stands in the cell it was typed into.
  ASSERT_TRUE(doc->saveTo(dir / "typed.xml"));
  const auto back = rovorirud::readDocumentFile(dir / "typed.xml");
  ASSERT_TRUE(back.paper);
  const BlockData& readTable = blockAt(back.paper->pages.front(), 1);
  EXPECT_EQ(cellText(readTable.cells.front()), u"項目");
  EXPECT_EQ(cellText(readTable.cells.back()), u"電気");

  // Undo gives the cell its emptiness back (the page's records are others now).
  ASSERT_TRUE(context->undo());
  EXPECT_EQ(cellText(block(1).cells.back()), u"");
  EXPECT_EQ(cellText(block(1).cells.front()), u"項目");
}

TEST_F(Context, ACellLineLeftUnusedGoesAgain) {
  auto paper = tableWithAnEmptyCell();
  open(*paper);
  CellData& empty = block(1).cells.back();
  ed->mouseDown(boxes(), 450, 150, false);
  ASSERT_EQ(empty.lines.size(), 1u);
  // Clicking elsewhere leaves the cell as it was read, and the document unmodified.
  ed->mouseDown(boxes(), 150, 70, false);
  EXPECT_TRUE(empty.lines.empty());
  EXPECT_EQ(caret().line, &line(0, 0));
  EXPECT_EQ(doc->docModified(), 0);
  // The same with a key that moves the caret.
  ed->mouseDown(boxes(), 450, 150, false);
  ASSERT_EQ(empty.lines.size(), 1u);
  press(Key::Left);
  press(Key::Left);
  EXPECT_TRUE(empty.lines.empty());
  EXPECT_NE(caret().line, nullptr);
  ASSERT_TRUE(doc->saveTo(dir / "untouched.xml"));
  const auto back = rovorirud::readDocumentFile(dir / "untouched.xml");
  ASSERT_TRUE(back.paper);
  EXPECT_TRUE(blockAt(back.paper->pages.front(), 1).cells.back().lines.empty());
}

}  // namespace
}  // namespace vellary::editing::testing
