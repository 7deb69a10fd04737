#include "editing/reject_nav.h"

#include "correction_fixture.h"
#include "editing/find_replace.h"

namespace vellary::editing {
namespace {

using appcore::Answer;
namespace texts = find_texts;

class RejectNav : public CorrectionTest {
 protected:
  RejectNav() { frame.rejectLevel = 5; }

  // Pages of one line each; a '?' in the text marks a reject (confidence 1).
  void openPages(std::initializer_list<std::u16string_view> pages) {
    PaperBuilder b;
    for (std::u16string_view text : pages) {
      model::LineData& l = PaperBuilder::line(b.block(b.page()), text);
      for (model::CharData& c : l.chars)
        if (c.text[0] == u'?') c.cc = 1;
    }
    open(b);
  }
  // F3 (next) or Shift+F3 (previous), the highlight state following the selection as the view's
  // does.
  document::ChangeSet press(bool next = true) {
    views.clear();
    gotoReject(ctx(), next, highlighted);
    highlighted = !caret.selection.empty();
    return told();
  }
  int caretIndex() { return caret.caret.index(); }

  bool highlighted = false;
};

TEST_F(RejectNav, FirstPressSelectsTheRejectUnderTheCaretThenMovesOn) {
  openPages({u"?ab?c?"});
  document::ChangeSet r = press();
  EXPECT_EQ(caretIndex(), 0);
  EXPECT_EQ(selectedUnits(), std::make_pair(0, 1));
  EXPECT_TRUE(r.has(document::Change::Reveal));
  EXPECT_EQ(caret.caret.line, &line(0, 0));
  r = press();
  EXPECT_EQ(caretIndex(), 3);
  EXPECT_TRUE(r.has(document::Change::Caret));
  press();
  EXPECT_EQ(caretIndex(), 5);
  EXPECT_TRUE(caret.selection.active.atLineEnd());
  EXPECT_TRUE(prompter.shown.empty());
  // Backwards from there: the rejects before the caret character.
  press(false);
  EXPECT_EQ(caretIndex(), 3);
  press(false);
  EXPECT_EQ(caretIndex(), 0);
}

TEST_F(RejectNav, LastPageWithoutFurtherRejectsAsksToStartThisPageAgain) {
  openPages({u"?x", u"a?b"});
  doc->nextPage();
  placeCaretAtPageStart(page(), caret);
  press();
  EXPECT_EQ(caretIndex(), 1);
  prompter.answers = {Answer::No};
  press();
  EXPECT_EQ(shownTexts(), std::vector<std::string>{texts::kFromStart});
  EXPECT_EQ(caretIndex(), 1);  // on No the caret stays, without its highlight
  EXPECT_TRUE(caret.selection.empty());
  EXPECT_EQ(doc->currentPage(), 1);
  // Nothing highlighted: the reject under the caret is selected again without a question.
  press();
  EXPECT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(selectedUnits(), std::make_pair(1, 2));
  // Yes searches the page from its first character: the same reject again.
  prompter.answers = {Answer::Yes};
  press();
  EXPECT_EQ(caretIndex(), 1);
  EXPECT_TRUE(caret.selection.anchor == at(0, 0, 1));
  EXPECT_EQ(prompter.shown.size(), 2u);
}

TEST_F(RejectNav, APageWithoutRejectsAsksOnceOnly) {
  openPages({u"clean"});
  prompter.answers = {Answer::Yes, Answer::Yes};
  press();
  EXPECT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(caretIndex(), 0);
}

TEST_F(RejectNav, CrossesToTheNextAndPreviousPagesAfterAsking) {
  openPages({u"a?", u"bc", u"d?e"});
  press();
  ASSERT_EQ(caretIndex(), 1);
  prompter.answers = {Answer::Yes, Answer::Yes};
  const document::ChangeSet r = press();
  EXPECT_EQ(shownTexts(), (std::vector<std::string>{texts::kNextPage, texts::kNextPage}));
  EXPECT_EQ(doc->currentPage(), 2);
  EXPECT_TRUE(r.has(document::Change::Page));
  EXPECT_EQ(caretIndex(), 1);
  EXPECT_EQ(caret.caret.line, &line(0, 0));
  // Backwards: the previous pages are searched from their ends.
  prompter.answers = {Answer::Yes, Answer::Yes};
  press(false);
  EXPECT_EQ(doc->currentPage(), 0);
  EXPECT_EQ(caretIndex(), 1);
  EXPECT_EQ(prompter.shown.back().text, texts::kPreviousPage);
  prompter.answers = {Answer::No};
  press(false);
  EXPECT_EQ(prompter.shown.back().text, texts::kFromEnd);
  EXPECT_EQ(caretIndex(), 1);
}

TEST_F(RejectNav, NothingHappensInBlockEditing) {
  openPages({u"?"});
  {
    Scoped c = ctx();
    c.ctx.editMode = appcore::EditMode::Block;
    gotoReject(c, true, false);
  }
  EXPECT_TRUE(caret.selection.empty());
  EXPECT_TRUE(told().empty());
  EXPECT_FALSE(rejectCommandsEnabled(appcore::EditMode::Block));
  EXPECT_TRUE(rejectCommandsEnabled(appcore::EditMode::Character));
}

TEST_F(RejectNav, SideLinesAreSkippedAndTableCellsVisited) {
  PaperBuilder b;
  model::PageData& p = b.page();
  model::BlockData& text = b.block(p);
  model::LineData& base = PaperBuilder::line(text, u"ab");
  model::LineData& ruby = PaperBuilder::line(text.lines, u"?", model::AttrRuby);
  ruby.baseLine = &base;
  ruby.rcs = ruby.rce = 1;
  ruby.chars.front().cc = 1;
  model::BlockData& table = b.block(p, model::Horizontal, model::BlockTable);
  model::CellData& cell = table.cells.emplace_back();
  model::LineData& inCell = PaperBuilder::line(cell.lines, u"x?");
  inCell.chars.back().cc = 1;
  open(b);
  press();
  EXPECT_EQ(caret.entry, 1);
  EXPECT_EQ(caretIndex(), 1);
  EXPECT_EQ(caret.caret.line, &block(1).cells.front().lines.front());
}

TEST_F(RejectNav, RejectTest) {
  model::CharData c;
  c.cc = 4;
  EXPECT_TRUE(isReject(c, 5));
  EXPECT_FALSE(isReject(c, 4));
  c.cc = 0x8009;  // the top bit marks a reject whatever the level
  EXPECT_TRUE(isReject(c, 1));
  c.cc = 8;
  EXPECT_TRUE(isReject(c, 40));  // a stored level above 9 counts as 9
  c.cc = 9;
  EXPECT_FALSE(isReject(c, 40));
  c.cc = 0;
  EXPECT_TRUE(isReject(c, -3));
}

}  // namespace
}  // namespace vellary::editing
