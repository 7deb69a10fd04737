#include "editing/find_replace.h"

#include "correction_fixture.h"

namespace vellary::editing {
namespace {

using appcore::Answer;
using appcore::Buttons;
using Action = FindMessage::Action;
namespace texts = find_texts;

class FindReplace : public CorrectionTest {
 protected:
  void openDialog(FindDialogKind kind, std::u16string_view find,
                  std::u16string_view replace = u"") {
    ASSERT_TRUE(openFindDialog(ctx(), state, buffers, kind));
    buffers.setFind(find);
    buffers.setReplace(replace);
  }
  // A message from the dialog; what the views were told.
  document::ChangeSet send(Action action, bool down = true, bool matchCase = true) {
    views.clear();
    handleFindMessage(ctx(), state, buffers, FindMessage{action, down, matchCase});
    return told();
  }
  // Find next; the offset of the hit's first unit, or −1 when nothing was selected.
  int findNext(bool down = true, bool matchCase = true) {
    send(Action::FindNext, down, matchCase);
    return caret.selection.empty() ? -1 : selectedUnits().first;
  }

  FindReplaceState state;
  FindBuffers buffers;
};

TEST_F(FindReplace, DownFindsEachHitThenOffersToStartAgain) {
  PaperBuilder b;
  b.textPage({u"ABAB"});
  open(b);
  openDialog(FindDialogKind::Find, u"AB");
  EXPECT_EQ(findNext(), 0);
  EXPECT_EQ(selectedUnits(), std::make_pair(0, 2));
  EXPECT_EQ(caret.caret, caret.selection.anchor);
  EXPECT_EQ(findNext(), 2);
  // The second hit reaches the line's end: the selection ends at the end position.
  EXPECT_TRUE(caret.selection.active.atLineEnd());
  prompter.answers = {Answer::No};
  send(Action::FindNext);
  ASSERT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(prompter.shown[0].text, texts::kFromStart);
  EXPECT_EQ(prompter.shown[0].buttons, Buttons::YesNo);
  // The search ended: the hit stays selected.
  EXPECT_EQ(selectedUnits(), std::make_pair(2, 4));
}

TEST_F(FindReplace, StartingAgainFromTheTopFindsTheFirstHit) {
  PaperBuilder b;
  b.textPage({u"xAB", u"yy"});
  open(b);
  caretAt(0, 1, 0);
  openDialog(FindDialogKind::Find, u"AB");
  EXPECT_EQ(state.searchPosition, 3);
  prompter.answers = {Answer::Yes};
  EXPECT_EQ(findNext(), 1);
  // A page without the text at all is searched once more after the question, not forever.
  buffers.setFind(u"zz");
  prompter.answers = {Answer::Yes};
  send(Action::FindNext);
  EXPECT_EQ(prompter.shown.size(), 2u);
}

TEST_F(FindReplace, UpFindsHitsWhollyBeforeThePosition) {
  PaperBuilder b;
  b.textPage({u"ABAB"});
  open(b);
  caret.caret = CaretPos{&block(0), nullptr, &line(0, 0), line(0, 0).chars.end()};
  openDialog(FindDialogKind::Find, u"AB");
  EXPECT_EQ(state.searchPosition, 4);
  EXPECT_EQ(findNext(false), 2);
  EXPECT_EQ(findNext(false), 0);
  prompter.answers = {Answer::No};
  send(Action::FindNext, false);
  ASSERT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(prompter.shown[0].text, texts::kFromEnd);
}

TEST_F(FindReplace, HitsMayOverlap) {
  PaperBuilder b;
  b.textPage({u"aaa"});
  open(b);
  openDialog(FindDialogKind::Find, u"aa");
  EXPECT_EQ(findNext(), 0);
  EXPECT_EQ(findNext(), 1);
}

TEST_F(FindReplace, MatchCaseOffFoldsAsciiAndFullWidthLetters) {
  PaperBuilder b;
  b.textPage({u"xxABC", u"ＡＢＣ"});
  open(b);
  openDialog(FindDialogKind::Find, u"abc");
  EXPECT_EQ(findNext(true, false), 2);
  buffers.setFind(u"ａｂｃ");
  EXPECT_EQ(findNext(true, false), 5);
  EXPECT_FALSE(state.matchCase);
  // With match case the lower-case text is not on the page.
  caretAt(0, 0, 0);
  findPageChanged(ctx(), state);
  buffers.setFind(u"abc");
  prompter.answers = {Answer::No};
  send(Action::FindNext, true, true);
  EXPECT_EQ(shownTexts(), std::vector<std::string>{texts::kFromStart});
}

TEST_F(FindReplace, UpperCasingKeepsEveryOffset) {
  EXPECT_EQ(upperCasedSameLength(u"aｂß\U0001D41Aé"), u"AＢß\U0001D41AÉ");
  EXPECT_EQ(upperCasedSameLength(u"\U00010428x"), u"\U00010400X");  // Deseret: a pair either way
  std::u16string lone = u"a";
  lone += char16_t{0xD800};
  EXPECT_EQ(upperCasedSameLength(lone), std::u16string(u"A") + char16_t{0xD800});
}

TEST_F(FindReplace, SelectionWithinOneLineBecomesTheFindText) {
  PaperBuilder b;
  b.textPage({u"漢字かな", u"second"});
  open(b);
  caret.selection = Selection{at(0, 0, 3), at(0, 0, 1)};
  ASSERT_TRUE(openFindDialog(ctx(), state, buffers, FindDialogKind::Replace));
  EXPECT_EQ(buffers.find, u"字か");
  // While a dialog is open a second one is not opened.
  EXPECT_FALSE(openFindDialog(ctx(), state, buffers, FindDialogKind::Find));
  EXPECT_EQ(state.open, FindDialogKind::Replace);
  const document::ChangeSet r = send(Action::Close);
  EXPECT_EQ(state.open, FindDialogKind::None);
  EXPECT_TRUE(r.has(document::Change::Caret));
  // Closing keeps what is selected, so that typing replaces it.
  EXPECT_EQ(caret.selection.anchor, at(0, 0, 3));
  EXPECT_EQ(caret.selection.active, at(0, 0, 1));
  // A selection across lines leaves the find text as it was.
  caret.selection = Selection{at(0, 0, 1), at(0, 1, 2)};
  ASSERT_TRUE(openFindDialog(ctx(), state, buffers, FindDialogKind::Find));
  EXPECT_EQ(buffers.find, u"字か");
}

TEST_F(FindReplace, BuffersKeepSeventyNineUnitsWithoutSplittingAPair) {
  std::u16string long_(100, u'x');
  EXPECT_EQ(FindBuffers::fitted(long_).size(), 79u);
  std::u16string pairs = std::u16string(78, u'x') + u"\U00020B9F";
  EXPECT_EQ(FindBuffers::fitted(pairs), std::u16string(78, u'x'));
  EXPECT_EQ(&programFindBuffers(), &programFindBuffers());
}

TEST_F(FindReplace, FindCrossesPagesAfterAskingAndStopsAtTheLastPage) {
  PaperBuilder b;
  b.textPage({u"nothing"});
  b.textPage({u"a needle"});
  open(b);
  openDialog(FindDialogKind::Find, u"needle");
  prompter.answers = {Answer::Yes};
  const document::ChangeSet r = send(Action::FindNext);
  EXPECT_EQ(shownTexts(), std::vector<std::string>{texts::kNextPage});
  EXPECT_EQ(doc->currentPage(), 1);
  EXPECT_TRUE(r.has(document::Change::Page));
  EXPECT_TRUE(r.has(document::Change::Reveal));
  EXPECT_EQ(selectedUnits(), std::make_pair(2, 8));
  EXPECT_EQ(caret.caret.line, &line(0, 0));
  send(Action::FindNext);
  ASSERT_EQ(prompter.shown.size(), 2u);
  EXPECT_EQ(prompter.shown[1].text, texts::kLastPage);
  EXPECT_EQ(prompter.shown[1].buttons, Buttons::Ok);
  // Upwards the search goes back to the first page and ends there.
  prompter.answers = {Answer::Yes};
  send(Action::FindNext, false);
  EXPECT_EQ(doc->currentPage(), 0);
  EXPECT_EQ(prompter.shown[2].text, texts::kPreviousPage);
  EXPECT_EQ(prompter.shown[3].text, texts::kFirstPage);
}

TEST_F(FindReplace, ReplaceAllReplacesEveryHitThenAsksAboutTheNextPage) {
  PaperBuilder b;
  b.textPage({u"cat dog", u"a cat", u"cat"});
  b.textPage({u"cat"});
  open(b);
  openDialog(FindDialogKind::Replace, u"cat", u"lion");
  prompter.answers = {Answer::No};
  const document::ChangeSet r = send(Action::ReplaceAll);
  EXPECT_EQ(pageText(), "lion doga lionlion");
  EXPECT_EQ(shownTexts(), std::vector<std::string>{texts::kReplaceNextPage});
  // Replace all on a page is one step of the history.
  EXPECT_EQ(doc->history().size(), 1u);
  EXPECT_EQ(doc->history().nextUndo()->kind, document::UndoReplace);
  EXPECT_EQ(doc->docModified(), 1);
  EXPECT_TRUE(doc->pageMarked(0));
  EXPECT_EQ(line(0, 1).charCount, 6);
  EXPECT_EQ(block(0).charCount, 18);
  EXPECT_EQ(doc->page(1)->blocks.front().lines.front().chars.size(), 3u);
  // Inserted characters are typed ones: no place on the image.
  const model::CharData& inserted = *std::next(line(0, 0).chars.begin(), 3);
  EXPECT_EQ(inserted.x, -1);
  EXPECT_EQ(inserted.changed, 1);
  EXPECT_TRUE(r.has(document::Change::Caret));
  // Going on replaces the next page too, and the last page ends it.
  prompter.answers = {Answer::Yes};
  send(Action::ReplaceAll);
  EXPECT_EQ(doc->currentPage(), 1);
  EXPECT_EQ(pageText(), "lion");
  EXPECT_EQ(prompter.shown.back().text, texts::kReplaceDone);
}

TEST_F(FindReplace, ReplaceAllIncludesHitsBeforeTheOneSelected) {
  PaperBuilder b;
  b.textPage({u"ab ab ab"});
  open(b);
  openDialog(FindDialogKind::Replace, u"ab", u"X");
  findNext();
  findNext();
  EXPECT_EQ(selectedUnits().first, 3);
  send(Action::ReplaceAll);
  EXPECT_EQ(pageText(), "X X X");
  EXPECT_TRUE(prompter.shown.empty());  // one page: replace all ends without a message
}

TEST_F(FindReplace, ReplaceAllUpwardsEndsWhenTheReplacementContainsTheFindText) {
  PaperBuilder b;
  b.textPage({u"a-a-a"});
  open(b);
  openDialog(FindDialogKind::Replace, u"a", u"aa");
  send(Action::ReplaceAll, false);
  EXPECT_EQ(pageText(), "aa-aa-aa");
  send(Action::ReplaceAll, true);
  EXPECT_EQ(pageText(), "aaaa-aaaa-aaaa");
}

TEST_F(FindReplace, ReplaceReplacesTheSelectedHitAndSelectsTheNext) {
  PaperBuilder b;
  b.textPage({u"Cat cat"});
  open(b);
  openDialog(FindDialogKind::Replace, u"cat", u"dog");
  // Nothing matching is selected yet: the first press only finds.
  send(Action::Replace, true, false);
  EXPECT_EQ(pageText(), "Cat cat");
  EXPECT_EQ(selectedUnits(), std::make_pair(0, 3));
  send(Action::Replace, true, false);
  EXPECT_EQ(pageText(), "dog cat");
  EXPECT_EQ(selectedUnits(), std::make_pair(4, 7));
  // The replaced character keeps its place on the image but counts as corrected.
  const model::CharData& first = line(0, 0).chars.front();
  EXPECT_EQ(first.x, 100);
  EXPECT_EQ(first.cc, 10);
  EXPECT_EQ(first.changed, 1);
}

TEST_F(FindReplace, EqualTextsAreRefused) {
  PaperBuilder b;
  b.textPage({u"abc"});
  open(b);
  openDialog(FindDialogKind::Replace, u"b", u"b");
  send(Action::Replace);
  send(Action::ReplaceAll);
  EXPECT_EQ(shownTexts(), (std::vector<std::string>{texts::kSameTexts, texts::kSameTexts}));
  EXPECT_EQ(pageText(), "abc");
  EXPECT_FALSE(doc->undoEnabled());
}

TEST_F(FindReplace, AHitAcrossLinesIsSelectedButNeverReplaced) {
  PaperBuilder b;
  b.textPage({u"xA", u"By AB"});
  open(b);
  openDialog(FindDialogKind::Replace, u"AB", u"C");
  EXPECT_EQ(findNext(), 1);
  EXPECT_NE(caret.selection.anchor.line, caret.selection.active.line);
  send(Action::Replace);
  EXPECT_EQ(pageText(), "xABy AB");
  EXPECT_EQ(selectedUnits().first, 5);
  send(Action::Replace);
  EXPECT_EQ(pageText(), "xABy C");
}

TEST_F(FindReplace, RegistrationFollowsTheSettingAndAddsAPairOnce) {
  PaperBuilder b;
  b.textPage({u"ab ab"});
  open(b);
  openDialog(FindDialogKind::Replace, u"ab", u"cd");
  frame.registerReplacement = 0;
  findNext();
  send(Action::Replace);
  EXPECT_TRUE(registered.pairs.empty());
  frame.registerReplacement = 1;
  send(Action::Replace);
  ASSERT_EQ(registered.pairs.size(), 1u);
  EXPECT_EQ(registered.pairs[0].first, u"ab");
  EXPECT_EQ(registered.pairs[0].second, u"cd");
  EXPECT_EQ(last.recognised, u"ab");
}

TEST_F(FindReplace, RubyRangesFollowTheReplacedText) {
  PaperBuilder b;
  model::PageData& p = b.page();
  model::BlockData& blk = b.block(p);
  model::LineData& base = PaperBuilder::line(blk, u"ab漢字");
  model::LineData& ruby = PaperBuilder::line(blk.lines, u"かんじ", model::AttrRuby);
  ruby.baseLine = &base;
  ruby.rcs = 3;
  ruby.rce = 4;
  open(b);
  ASSERT_EQ(line(0, 1).baseLine, &line(0, 0));
  openDialog(FindDialogKind::Replace, u"b", u"bbb");
  send(Action::ReplaceAll);
  EXPECT_EQ(utf8(std::u16string(line(0, 1).chars.front().text.data(), 1)), "か");
  EXPECT_EQ(line(0, 1).rcs, 5);
  EXPECT_EQ(line(0, 1).rce, 6);
  // Deleting every base character takes the ruby away with it.
  buffers.setFind(u"漢字");
  buffers.setReplace(u"");
  send(Action::ReplaceAll);
  EXPECT_EQ(block(0).lines.size(), 1u);
  EXPECT_EQ(pageText(), "abbb");
}

TEST_F(FindReplace, ReplacingAWholeLineByNothingRemovesTheLine) {
  PaperBuilder b;
  b.textPage({u"keep", u"gone", u"tail"});
  open(b);
  openDialog(FindDialogKind::Replace, u"gone", u"");
  send(Action::ReplaceAll);
  EXPECT_EQ(block(0).lines.size(), 2u);
  EXPECT_EQ(pageText(), "keeptail");
  EXPECT_EQ(caret.caret.line, &line(0, 1));
}

TEST_F(FindReplace, TableCellsAreSearchedAndImageBlocksSkipped) {
  PaperBuilder b;
  model::PageData& p = b.page();
  b.block(p, model::Horizontal, model::BlockImage);
  model::BlockData& table = b.block(p, model::Horizontal, model::BlockTable);
  model::CellData& cell = table.cells.emplace_back();
  cell.width = cell.height = 100;
  PaperBuilder::line(cell.lines, u"in cell");
  cell.charCount = 7;
  table.charCount = 7;
  open(b);
  openDialog(FindDialogKind::Replace, u"cell", u"box");
  send(Action::FindNext);
  EXPECT_EQ(caret.entry, 1);
  send(Action::Replace);
  EXPECT_EQ(block(1).cells.front().charCount, 6);
  EXPECT_EQ(utf8(PageWalk(page()).text()), "in box");
}

TEST_F(FindReplace, ReplacementSurvivesWritingAndReading) {
  PaperBuilder b;
  b.textPage({u"誤字のある行"});
  open(b);
  openDialog(FindDialogKind::Replace, u"誤字", u"正字\U00020B9F");
  send(Action::ReplaceAll);
  const std::string path = dir / "saved.xml";
  ASSERT_TRUE(doc->saveTo(path));
  rovorirud::ReadResult back = rovorirud::readDocumentFile(path);
  ASSERT_TRUE(back.paper);
  const model::LineData& l = back.paper->pages.front().blocks.front().lines.front();
  std::u16string text;
  for (const model::CharData& c : l.chars)
    text.append(c.text.data(), static_cast<size_t>(model::charTextLength(c.text)));
  EXPECT_EQ(text, u"正字\U00020B9Fのある行");
  EXPECT_EQ(l.chars.size(), 7u);
  EXPECT_EQ(l.chars.front().changed, 1);
}

}  // namespace
}  // namespace vellary::editing
