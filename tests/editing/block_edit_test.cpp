#include "editing/block_edit.h"

#include <gtest/gtest.h>

#include "structure_fixture.h"

namespace vellary::editing::testing {
namespace {

class BlockEdit : public StructureTest {
 protected:
  // Three horizontal text blocks one under another; each has a body line "Abc" ("Bbc", "Cbc")
  // with a ruby over its first character, keyed 1, 2, 3.
  void threeBlocks(int32_t sec1 = SecText, int32_t sec2 = SecText) {
    PageData& p = newPage();
    for (int i = 0; i < 3; ++i) {
      const int32_t sec = i == 1 ? sec1 : i == 2 ? sec2 : SecText;
      const int y = 100 + i * 100;
      BlockData& b = addBlock(p, Horizontal, 100, y, 400, 40, sec);
      LineData& ruby = addLine(b, u"る", 100, y, 10, 10, AttrRuby);
      LineData& body = addLine(b, std::u16string(1, static_cast<char16_t>(u'A' + i)) + u"bc", 100,
                               y + 10, 30, 30);
      ruby.baseLine = &body;
      ruby.rcs = ruby.rce = 1;
      ruby.chars.front().modRubyEmp = i + 1;
      body.chars.front().modRubyEmp = -(i + 1);
    }
    open();
  }
  char16_t firstCharOfBlock(int i) { return blockAt(page(), i).lines.back().chars.front().text[0]; }
  ClickResult leftClick(int32_t x, int32_t y, int32_t margin = 0) {
    ClickResult result = ClickResult::Nothing;
    edit([&](EditScope& s) { result = blockLeftClick(s, x, y, margin); });
    return result;
  }
  recompose::JoiningOptions noExtras() {
    recompose::JoiningOptions o;
    o.breaksBetweenBlocks = o.leadingSpace = o.naturalBreaks = o.noBreakAtBlockEnd = false;
    return o;
  }
};

TEST_F(BlockEdit, ClickSelectsTheEntryUnderThePointAndOnlyIt) {
  threeBlocks();
  entries().entries[2].selected = 1;
  ClickResult result = ClickResult::Nothing;
  const document::ChangeSet c =
      edit([&](EditScope& s) { result = blockLeftClick(s, 150, 210); });
  EXPECT_EQ(result, ClickResult::EntrySelected);
  EXPECT_EQ(caret.entry, 1);
  EXPECT_EQ(entries().entries[1].selected, 1);
  EXPECT_EQ(entries().entries[2].selected, 0);
  EXPECT_EQ(caret.caret.block, &blockAt(page(), 1));
  // The frames are drawn again, and the commands follow the entry that became current.
  EXPECT_TRUE(c.has(document::Change::Structure));
  EXPECT_TRUE(c.has(document::Change::Caret));

  // On the current entry's handles nothing changes; on an empty spot a rubber band starts.
  EXPECT_EQ(leftClick(98, 198, 4), ClickResult::OnCurrentEntry);
  EXPECT_EQ(leftClick(900, 900), ClickResult::StartRubberBand);
  EXPECT_EQ(caret.entry, 1);
}

TEST_F(BlockEdit, YearChangesOnlyTheEntryUntilTheEntriesAreRebuilt) {
  threeBlocks();
  leftClick(150, 110);
  const document::ChangeSet r = edit([](EditScope& s) { blockCommand(s, CmdBlockYear); });
  EXPECT_EQ(entries().entries[0].sec, SecYear);
  EXPECT_EQ(blockAt(page(), 0).sec, SecText);
  EXPECT_TRUE(r.has(document::Change::Structure));
  EXPECT_EQ(entries().changed, 1);
  EXPECT_TRUE(pageMarked());
  EXPECT_EQ(doc->docModified(), 1);
  expectReadsBack();
  entries().rebuild(page(), doc->zoom());
  EXPECT_EQ(entries().entries[0].sec, SecText);
}

TEST_F(BlockEdit, RolesReachEverySelectedEntryAndBlockButVolumeOnlyTheCurrent) {
  threeBlocks();
  leftClick(150, 110);
  entries().entries[2].selected = 1;
  edit([&](EditScope& s) { blockCommand(s, CmdBlockTitle); });
  EXPECT_EQ(blockAt(page(), 0).sec, SecTitle);
  EXPECT_EQ(blockAt(page(), 1).sec, SecText);
  EXPECT_EQ(blockAt(page(), 2).sec, SecTitle);
  EXPECT_EQ(entries().entries[2].sec, SecTitle);

  edit([&](EditScope& s) { blockCommand(s, CmdBlockPageNumber); });
  EXPECT_EQ(blockAt(page(), 0).sec, SecVol);
  EXPECT_EQ(entries().entries[0].sec, SecVol);
  EXPECT_EQ(blockAt(page(), 2).sec, SecTitle);

  edit([&](EditScope& s) { blockCommand(s, CmdBlockVertical); });
  EXPECT_EQ(entries().entries[0].direction, Vertical);
  EXPECT_EQ(blockAt(page(), 0).direction, Horizontal);
  expectReadsBack();
}

TEST_F(BlockEdit, PillarSideFollowsTheBlocksHorizontalPlace) {
  PageData& p = newPage(1000, 1400);
  addBlock(p, Vertical, 20, 700, 40, 300);  // left edge, low on the page
  addBlock(p, Vertical, 940, 20, 40, 300);  // right edge, high on the page
  open();
  leftClick(30, 800);
  edit([&](EditScope& s) { blockCommand(s, CmdBlockPillar); });
  leftClick(950, 100);
  edit([&](EditScope& s) { blockCommand(s, CmdBlockPillar); });
  EXPECT_EQ(blockAt(page(), 0).sec, SecLeftPillar);
  EXPECT_EQ(blockAt(page(), 1).sec, SecRightPillar);
}

TEST_F(BlockEdit, ContextMenuChecksTheRoleDirectionAndPlace) {
  PageData& p = newPage();
  for (int i = 0; i < 12; ++i)
    addBlock(p, Vertical, 900 - i * 60, 100, 50, 500, i == 11 ? SecLowerPageNum : SecText);
  open();
  EXPECT_FALSE(blockContextMenu(*doc, caret, 905, 150));  // no current entry yet
  leftClick(905 - 11 * 60, 150);
  ASSERT_EQ(caret.entry, 11);
  auto menu = blockContextMenu(*doc, caret, 905 - 11 * 60, 160);
  ASSERT_TRUE(menu);
  EXPECT_EQ(caret.lastMouseY, 160);
  ASSERT_EQ(menu->size(), 5u);
  const MenuItem& attrs = (*menu)[0];
  EXPECT_EQ(attrs.caption, "属性変更");
  std::vector<int> checked;
  for (const MenuItem& m : attrs.items)
    if (m.checked) checked.push_back(m.id);
  EXPECT_EQ(checked, (std::vector<int>{CmdBlockVol, CmdBlockVertical}));
  EXPECT_TRUE(attrs.items[12].separator);
  EXPECT_EQ(attrs.items[13].caption, "縦書き");
  EXPECT_EQ((*menu)[1].caption, "最終番号に変更");
  EXPECT_EQ((*menu)[2].id, CmdBlockDelete);
  const MenuItem& order = (*menu)[4];
  EXPECT_EQ(order.caption, "領域の順番変更(&O)");
  ASSERT_EQ(order.items.size(), 12u);
  EXPECT_EQ(order.items[10].caption, "11");
  EXPECT_EQ(order.items[10].id, 33011);
  EXPECT_TRUE(order.items[10].newColumn);
  EXPECT_FALSE(order.items[9].newColumn);
  EXPECT_TRUE(order.items[11].checked);

  // Outside the current entry the page menu applies; with two entries selected there are
  // no marks and no order pop-up.
  EXPECT_FALSE(blockContextMenu(*doc, caret, 905, 150));
  entries().entries[0].selected = 1;
  menu = blockContextMenu(*doc, caret, 905 - 11 * 60, 160);
  ASSERT_TRUE(menu);
  EXPECT_EQ(menu->size(), 3u);
  for (const MenuItem& m : (*menu)[0].items) EXPECT_FALSE(m.checked) << m.caption;
}

TEST_F(BlockEdit, RubberBandMergesTextBlocksUpToTheFirstVerticalOne) {
  PageData& p = newPage();
  addLine(addBlock(p, Horizontal, 100, 100, 400, 40), u"あい", 100, 100, 30, 30);
  BlockData& second = addBlock(p, Horizontal, 100, 160, 400, 40);
  LineData& ruby = addLine(second, u"う", 130, 160, 10, 10, AttrRuby);
  LineData& body = addLine(second, u"うえ", 100, 170, 30, 30);
  ruby.baseLine = &body;
  ruby.rcs = ruby.rce = 2;
  ruby.chars.front().modRubyEmp = 1;
  body.chars.back().modRubyEmp = -1;
  addLine(addBlock(p, Vertical, 100, 220, 40, 300), u"おか", 100, 220, 30, 30);
  addLine(addBlock(p, Horizontal, 100, 540, 400, 40), u"きく", 100, 540, 30, 30);
  open();
  caretAt(1, 1, 1);
  const document::ChangeSet r =
      edit([&](EditScope& s) { finishRubberBand(s, PageRect{600, 700, 50, 50}, noExtras()); });
  ASSERT_EQ(page().blocks.size(), 3u);
  EXPECT_EQ(textOf(lineAt(blockAt(page(), 0), 0)), u"あい");
  EXPECT_EQ(textOf(lineAt(blockAt(page(), 0), 2)), u"うえ");
  EXPECT_EQ(lineAt(blockAt(page(), 0), 1).baseLine, &lineAt(blockAt(page(), 0), 2));
  EXPECT_EQ(blockAt(page(), 0).height, 100);
  EXPECT_EQ(blockAt(page(), 2).lines.size(), 1u);  // past the vertical block: not merged
  ASSERT_EQ(entries().entries.size(), 3u);
  EXPECT_EQ(entries().entries[0].selected, 1);
  EXPECT_EQ(entries().entries[0].height, 100);
  EXPECT_EQ(caret.entry, -1);
  EXPECT_EQ(caret.caret.block, &blockAt(page(), 0));  // the caret's line moved with its block
  EXPECT_TRUE(r.has(document::Change::Layout));
  EXPECT_EQ(doc->docModified(), 1);
  EXPECT_EQ(entries().changed, 1);
  expectReadsBack();
}

TEST_F(BlockEdit, RubberBandStopsAtATableAndSkipsOtherRoles) {
  PageData& p = newPage();
  addLine(addBlock(p, Horizontal, 100, 100, 400, 40), u"あ", 100, 100, 30, 30);
  addLine(addBlock(p, Horizontal, 100, 160, 400, 40, SecTitle), u"い", 100, 160, 30, 30);
  addLine(addBlock(p, Horizontal, 100, 220, 400, 40), u"う", 100, 220, 30, 30);
  addBlock(p, Horizontal, 100, 280, 400, 40, SecText, BlockTable).cells.emplace_back();
  addLine(addBlock(p, Horizontal, 100, 340, 400, 40), u"え", 100, 340, 30, 30);
  open();
  recompose::JoiningOptions o = noExtras();
  o.naturalBreaks = true;
  EXPECT_EQ(mergeBlocksInRect(page(), entries(), 0.5, PageRect{0, 0, 600, 600}, o), 0);
  ASSERT_EQ(page().blocks.size(), 4u);
  EXPECT_EQ(blockAt(page(), 0).lines.size(), 2u);  // あ and う
  EXPECT_EQ(blockAt(page(), 1).sec, SecTitle);
  EXPECT_EQ(blockAt(page(), 3).lines.size(), 1u);
}

TEST_F(BlockEdit, MergeRunsTheLineHeadPassWhenLeadingSpaceIsOn) {
  PageData& p = newPage();
  addLine(addBlock(p, Horizontal, 100, 100, 400, 40), u"あい", 100, 100, 30, 30);
  addLine(addBlock(p, Horizontal, 100, 160, 400, 40), u"うえ", 160, 160, 30, 30);
  open();
  recompose::JoiningOptions o = noExtras();
  o.leadingSpace = true;
  o.fullWidthSpace = true;
  ASSERT_EQ(mergeBlocksInRect(page(), entries(), 0.5, PageRect{50, 50, 600, 300}, o), 0);
  ASSERT_EQ(page().blocks.size(), 1u);
  EXPECT_EQ(textOf(lineAt(blockAt(page(), 0), 1)), u"\u3000\u3000うえ");
  EXPECT_EQ(blockAt(page(), 0).charCount, 6);
  // Without the option the indentation stays as it is.
  newPage();
  addLine(addBlock(paper->pages.front(), Horizontal, 100, 100, 400, 40), u"あい", 100, 100, 30, 30);
  addLine(addBlock(paper->pages.front(), Horizontal, 100, 160, 400, 40), u"うえ", 160, 160, 30, 30);
  open();
  mergeBlocksInRect(page(), entries(), 0.5, PageRect{50, 50, 600, 300}, noExtras());
  EXPECT_EQ(textOf(lineAt(blockAt(page(), 0), 1)), u"うえ");
}

TEST_F(BlockEdit, RubberBandPartlyOverAnEntryChoosesIt) {
  threeBlocks();
  document::ChangeSet r =
      edit([&](EditScope& s) { finishRubberBand(s, PageRect{450, 190, 600, 260}, noExtras()); });
  EXPECT_EQ(page().blocks.size(), 3u);
  EXPECT_EQ(caret.entry, 1);
  EXPECT_EQ(entries().entries[1].selected, 1);
  EXPECT_EQ(doc->docModified(), 0);
  // Touching nothing changes nothing, the selection included.
  r = edit([&](EditScope& s) { finishRubberBand(s, PageRect{700, 700, 800, 800}, noExtras()); });
  EXPECT_TRUE(r.empty());
  EXPECT_EQ(entries().entries[1].selected, 1);
}

TEST_F(BlockEdit, DeletingTheCurrentEntryRemovesItsBlockAndClearsTheCaret) {
  threeBlocks();
  leftClick(150, 210);
  caretAt(1, 1, 1);
  const document::ChangeSet r = edit([](EditScope& s) { deleteSelectedBlocks(s); });
  ASSERT_EQ(page().blocks.size(), 2u);
  EXPECT_EQ(firstCharOfBlock(1), u'C');
  EXPECT_EQ(entries().entries.size(), 2u);
  EXPECT_EQ(caret.entry, -1);
  EXPECT_FALSE(caret.caret.valid());
  EXPECT_EQ(caret.caret.block, nullptr);
  EXPECT_TRUE(r.has(document::Change::Layout));
  EXPECT_EQ(doc->history().nextUndo()->kind, document::UndoBlockDelete);
  EXPECT_EQ(doc->docModified(), 1);
  expectReadsBack();
  ASSERT_TRUE(context->undo());
  EXPECT_EQ(page().blocks.size(), 3u);
  EXPECT_EQ(firstCharOfBlock(1), u'B');
}

TEST_F(BlockEdit, TheCaretsBlockBecomesSelectedWhenClickedAndThenDeletes) {
  threeBlocks();
  // Coming from character editing the current entry is the caret's block, not selected: a
  // delete then has nothing to delete and takes no undo step.
  caret.entry = 1;
  EXPECT_TRUE(edit([](EditScope& s) { deleteSelectedBlocks(s); }).empty());
  EXPECT_FALSE(doc->undoEnabled());

  EXPECT_EQ(leftClick(150, 210), ClickResult::OnCurrentEntry);
  EXPECT_EQ(entries().entries[1].selected, 1);
  // A right click on it selects it too (it already is) and leaves the others.
  edit([](EditScope& s) { blockRightClick(s, 150, 210, 0); });
  edit([](EditScope& s) { deleteSelectedBlocks(s); });
  ASSERT_EQ(page().blocks.size(), 2u);
  EXPECT_EQ(firstCharOfBlock(1), u'C');
  EXPECT_EQ(doc->history().nextUndo()->kind, document::UndoBlockDelete);
}

TEST_F(BlockEdit, DeletingARefEntryKeepsItsBlockAndRenumbers) {
  threeBlocks(SecRef, SecRef);
  ASSERT_EQ(entries().refCount, 2);
  leftClick(150, 210);
  edit([](EditScope& s) { deleteSelectedBlocks(s); });
  EXPECT_EQ(page().blocks.size(), 3u);
  ASSERT_EQ(entries().entries.size(), 2u);
  EXPECT_EQ(entries().refCount, 1);
  EXPECT_EQ(entries().entries[1].refNumber, 1);
  EXPECT_EQ(caret.entry, -1);
  EXPECT_EQ(doc->history().nextUndo()->kind, document::UndoBlockDelete);

  // The entries no longer stand at their blocks' positions; a role still reaches the right block.
  leftClick(150, 310);
  ASSERT_EQ(caret.entry, 1);
  edit([&](EditScope& s) { blockCommand(s, CmdBlockTitle); });
  EXPECT_EQ(blockAt(page(), 2).sec, SecTitle);
  EXPECT_EQ(blockAt(page(), 1).sec, SecRef);
  expectReadsBack();
}

TEST_F(BlockEdit, OrderChangeMovesEntryAndBlockBothWays) {
  threeBlocks();
  leftClick(150, 110);
  const document::ChangeSet r =
      edit([](EditScope& s) { blockCommand(s, CmdBlockOrderFirst + 2); });
  EXPECT_TRUE(r.has(document::Change::Layout));
  EXPECT_EQ(firstCharOfBlock(0), u'B');
  EXPECT_EQ(firstCharOfBlock(1), u'C');
  EXPECT_EQ(firstCharOfBlock(2), u'A');
  EXPECT_EQ(entries().entries[2].y, 100);
  EXPECT_EQ(caret.entry, 2);
  EXPECT_EQ(doc->docModified(), 1);
  expectReadsBack();

  edit([&](EditScope& s) { blockCommand(s, CmdBlockOrderFirst + 0); });
  EXPECT_EQ(firstCharOfBlock(0), u'A');
  EXPECT_EQ(firstCharOfBlock(1), u'B');
  EXPECT_EQ(entries().entries[0].y, 100);
  EXPECT_EQ(caret.entry, 0);
  EXPECT_TRUE(edit([&](EditScope& s) { blockCommand(s, CmdBlockOrderFirst + 0); }).empty());
  // Each order change is a step of the history: undo takes them back one by one.
  ASSERT_TRUE(context->undo());
  EXPECT_EQ(firstCharOfBlock(2), u'A');
  ASSERT_TRUE(context->undo());
  EXPECT_EQ(firstCharOfBlock(0), u'A');
  EXPECT_EQ(firstCharOfBlock(2), u'C');
}

TEST_F(BlockEdit, LastNumberMovesTheReferenceToTheEnd) {
  threeBlocks(SecRef, SecRef);
  leftClick(150, 210);  // the first reference
  edit([&](EditScope& s) { blockCommand(s, CmdBlockLastNumber); });
  ASSERT_EQ(entries().entries.size(), 3u);
  EXPECT_EQ(entries().entries[2].refNumber, 2);
  EXPECT_EQ(entries().entries[2].y, 200);
  EXPECT_EQ(entries().entries[1].refNumber, 1);
  EXPECT_EQ(caret.entry, 2);
  EXPECT_EQ(firstCharOfBlock(2), u'B');
  // The numbers survive the next rebuild because the block moved with its entry.
  entries().rebuild(page(), doc->zoom());
  EXPECT_EQ(entries().entries[2].refNumber, 2);
  EXPECT_EQ(entries().entries[2].y, 200);
  expectReadsBack();

  // A body-text entry has no reference number to move.
  leftClick(150, 110);
  EXPECT_FALSE(blockCommandEnabled(*doc, caret, CmdBlockLastNumber));
  EXPECT_TRUE(blockCommandEnabled(*doc, caret, CmdBlockTitle));
  EXPECT_TRUE(edit([&](EditScope& s) { blockCommand(s, CmdBlockLastNumber); }).empty());
}

TEST_F(BlockEdit, CommandsWithoutACurrentEntryDoNothing) {
  threeBlocks();
  EXPECT_FALSE(blockCommandEnabled(*doc, caret, CmdBlockTitle));
  EXPECT_TRUE(edit([&](EditScope& s) { blockCommand(s, CmdBlockTitle); }).empty());
  EXPECT_TRUE(edit([](EditScope& s) { deleteSelectedBlocks(s); }).empty());
  EXPECT_EQ(page().blocks.size(), 3u);
  EXPECT_FALSE(doc->undoEnabled());
  EXPECT_EQ(doc->docModified(), 0);
}

}  // namespace
}  // namespace vellary::editing::testing
