#include "editing/ruby_edit.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "editing/ruby_edit_modify.h"
#include "structure_fixture.h"

namespace vellary::editing::testing {
namespace {

// A vertical text block whose one body line "漢字を123" has characters 40 pixels square at a
// pitch of 40, from (510, 100): W 40, H 240, six characters.
class RubyEdit : public StructureTest {
 protected:
  void verticalPage() {
    PageData& p = newPage();
    BlockData& b = addBlock(p, Vertical, 500, 100, 100, 600);
    addLine(b, u"漢字を123", 510, 100, 40, 40);
    open();
  }
  LineData& base() { return page().blocks.front().lines.back(); }
  LineData& line(int i) { return lineAt(page().blocks.front(), i); }
  size_t lineCount() { return page().blocks.front().lines.size(); }
  std::vector<int> ids() {
    std::vector<int> out;
    for (const MenuItem& m : sideLineMenuItems(caret)) out.push_back(m.separator ? 0 : m.id);
    return out;
  }
  bool offers(int id) {
    const std::vector<int> all = ids();
    return std::find(all.begin(), all.end(), id) != all.end();
  }
  std::vector<int32_t> baseKeys() {
    std::vector<int32_t> k;
    for (const CharData& c : base().chars) k.push_back(c.modRubyEmp);
    return k;
  }
  // A ruby over base characters first … last − 1.
  void rubyOver(int first, int last, std::u16string_view text) {
    select(0, static_cast<int>(lineCount()) - 1, first, last);
    ASSERT_TRUE(edit([&](EditScope& s) { addRuby(s, text); }).has(document::Change::Layout));
  }
};

TEST_F(RubyEdit, ThreeDigitsOfferTateChuYokoAndFourDoNot) {
  PageData& p = newPage();
  addLine(addBlock(p, Vertical, 500, 100, 100, 600), u"年1234", 510, 100, 40, 40);
  addLine(addBlock(p, Horizontal, 100, 800, 400, 50), u"123", 100, 800, 40, 40);
  open();
  select(0, 0, 1, 4);
  EXPECT_TRUE(offers(CmdTateChuYoko));
  EXPECT_TRUE(offers(CmdSideways));
  EXPECT_FALSE(offers(CmdRubySet));  // digits take no ruby
  EXPECT_TRUE(offers(CmdEmphasisSet));
  select(0, 0, 1, 5);
  EXPECT_FALSE(offers(CmdTateChuYoko));
  EXPECT_TRUE(offers(CmdSideways));
  select(0, 0, 0, 1);  // a kanji is neither Latin nor a digit
  EXPECT_FALSE(offers(CmdSideways));
  EXPECT_FALSE(offers(CmdTateChuYoko));
  EXPECT_TRUE(offers(CmdRubySet));
  select(1, 0, 0, 3);  // horizontal writing turns nothing
  EXPECT_FALSE(offers(CmdTateChuYoko));
  EXPECT_FALSE(offers(CmdSideways));
}

TEST_F(RubyEdit, TateChuYokoThenResettingOneCharacterResetsTheGroup) {
  verticalPage();
  select(0, 0, 3, 6);
  document::ChangeSet r =
      edit([](EditScope& s) { setOrientation(s, model::kTateChuYoko); });
  EXPECT_TRUE(r.has(document::Change::Caret));
  EXPECT_EQ(r.lines, std::vector<const LineData*>{&base()});
  EXPECT_EQ(doc->history().nextUndo()->kind, document::UndoOrientation);
  for (int i = 3; i < 6; ++i) {
    EXPECT_EQ(charAt(base(), i).modRotTcy, model::kTateChuYoko);
    EXPECT_EQ(charAt(base(), i).changed, 1);
  }
  EXPECT_EQ(charAt(base(), 2).modRotTcy, 0);
  expectReadsBack();

  // The turned flags now block a second turn and offer the reset.
  unsigned f = selectionFlags(selectedRun(caret)).flags;
  EXPECT_EQ(f & (FlagTateChuYokoAllowed | FlagSidewaysAllowed), 0u);
  EXPECT_TRUE(f & FlagHasTateChuYoko);

  caretAt(0, 0, 4);
  EXPECT_TRUE(offers(CmdNormalOrientation));
  r = edit([](EditScope& s) { resetOrientation(s); });
  EXPECT_TRUE(r.has(document::Change::Layout));
  EXPECT_EQ(doc->history().nextUndo()->kind, document::UndoOrientationReset);
  for (const CharData& c : base().chars) EXPECT_EQ(c.modRotTcy, 0);
  expectReadsBack();

  // A caret at the line's end does nothing, and nothing is snapshotted for it.
  caret.caret.ch = base().chars.end();
  EXPECT_TRUE(edit([](EditScope& s) { resetOrientation(s); }).empty());
}

TEST_F(RubyEdit, SidewaysUnderASideLineRepaintsTheWindow) {
  PageData& p = newPage();
  BlockData& b = addBlock(p, Vertical, 500, 100, 100, 600);
  addLine(b, u"ab", 560, 100, 10, 10, AttrRuby);
  addLine(b, u"xyz", 510, 100, 40, 40);
  open();
  select(0, 1, 0, 3);
  const document::ChangeSet r =
      edit([](EditScope& s) { setOrientation(s, model::kSideways); });
  EXPECT_TRUE(r.has(document::Change::Layout));  // the whole page: the run reaches the side line
  EXPECT_EQ(charAt(line(1), 2).modRotTcy, model::kSideways);
  expectReadsBack();
}

TEST_F(RubyEdit, AThreeCharacterRubyOverTwoKanji) {
  verticalPage();
  select(0, 0, 0, 2);
  ASSERT_TRUE(selectionFlags(selectedRun(caret)).flags & FlagRubyAllowed);
  auto dialog = openRubySetDialog(caret);
  ASSERT_TRUE(dialog);
  EXPECT_EQ(dialog->base, u"漢字");
  EXPECT_FALSE(dialog->okEnabled());
  dialog->ruby = u"かんじ";
  EXPECT_TRUE(dialog->okEnabled());

  const document::ChangeSet r = edit([&](EditScope& s) { addRuby(s, dialog->ruby); });
  EXPECT_TRUE(r.has(document::Change::Layout));
  EXPECT_EQ(r.lines, std::vector<const LineData*>{&base()});
  EXPECT_EQ(doc->history().nextUndo()->kind, document::UndoRuby);
  ASSERT_EQ(lineCount(), 2u);
  LineData& ruby = line(0);
  EXPECT_EQ(ruby.attr, AttrRuby);
  EXPECT_EQ(ruby.baseLine, &base());
  EXPECT_EQ(ruby.rcs, 1);
  EXPECT_EQ(ruby.rce, 2);
  EXPECT_EQ(ruby.charCount, 3);
  EXPECT_EQ(textOf(ruby), u"かんじ");
  // Beside the base line in a column of a third of its width; as long as the two kanji.
  EXPECT_EQ(ruby.x, 510 + 40 + 13);
  EXPECT_EQ(ruby.width, 13);
  EXPECT_EQ(ruby.y, 100);
  EXPECT_EQ(ruby.height, 80);  // 2 × 240 / 6 is more than 3 glyphs of 13
  EXPECT_EQ(charAt(ruby, 1).y, 100 + 80 / 3);
  EXPECT_EQ(charAt(ruby, 2).x, ruby.x);
  for (const CharData& c : ruby.chars) EXPECT_EQ(c.modRubyEmp, 1);
  EXPECT_EQ(baseKeys(), (std::vector<int32_t>{-1, -1, 0, 0, 0, 0}));
  EXPECT_EQ(caret.selection.anchor.index(), 0);  // the selection stays
  expectReadsBack();

  // The ruby now shows in the flags, and the next ruby takes the next key.
  unsigned f = selectionFlags(selectedRun(caret)).flags;
  EXPECT_TRUE(f & FlagRubyPresent);
  EXPECT_FALSE(f & (FlagRubyAllowed | FlagEmphasisAllowed));
  // Characters under a ruby take no second ruby and no marks, also when asked directly.
  select(0, 1, 1, 3);
  EXPECT_FALSE(openRubySetDialog(caret));
  EXPECT_TRUE(edit([&](EditScope& s) { addRuby(s, u"じを"); }).empty());
  EXPECT_TRUE(edit([&](EditScope& s) { addEmphasis(s, u'、'); }).empty());
  EXPECT_EQ(lineCount(), 2u);
  caretAt(0, 1, 2);
  ASSERT_TRUE(edit([&](EditScope& s) { addRuby(s, u"を"); }).has(document::Change::Layout));
  EXPECT_EQ(baseKeys(), (std::vector<int32_t>{-1, -1, -2, 0, 0, 0}));
  expectReadsBack();
}

TEST_F(RubyEdit, ThreeEmphasisLinesWithConsecutiveKeys) {
  verticalPage();
  select(0, 0, 0, 3);
  const document::ChangeSet r =
      edit([](EditScope& s) { addEmphasis(s, emphasisMark(appcore::FrameSettings{})); });
  EXPECT_TRUE(r.has(document::Change::Layout));
  EXPECT_EQ(doc->history().nextUndo()->kind, document::UndoEmphasis);
  ASSERT_EQ(lineCount(), 4u);
  for (int i = 0; i < 3; ++i) {
    LineData& e = line(i);
    EXPECT_EQ(e.attr, AttrEmph);
    EXPECT_EQ(e.baseLine, &base());
    EXPECT_EQ(e.rcs, i + 1);
    EXPECT_EQ(e.rce, i + 1);
    EXPECT_EQ(textOf(e), u"、");
    EXPECT_EQ(e.chars.front().modRubyEmp, 25001 + i);
    EXPECT_EQ(e.y, 100 + 40 * i);  // beside its own character
  }
  EXPECT_EQ(baseKeys(), (std::vector<int32_t>{-25001, -25002, -25003, 0, 0, 0}));
  expectReadsBack();

  // "・" marks continue the numbering; a character that has a mark keeps it.
  appcore::FrameSettings dots;
  dots.emphasisChar = "・";
  select(0, 3, 2, 4);
  edit([&](EditScope& s) { addEmphasis(s, emphasisMark(dots)); });
  EXPECT_EQ(baseKeys(), (std::vector<int32_t>{-25001, -25002, -25003, -21004, 0, 0}));
  EXPECT_EQ(lineCount(), 5u);
  EXPECT_TRUE(selectionFlags(selectedRun(caret)).flags & FlagEmphasisPresent);
  expectReadsBack();

  // A selection over two marked characters deletes both their lines.
  caretAt(0, 4, 1);
  EXPECT_EQ(ids(), std::vector<int>{CmdEmphasisDelete});
  select(0, 4, 0, 2);
  edit([](EditScope& s) { deleteSideLines(s); });
  EXPECT_EQ(doc->history().nextUndo()->kind, document::UndoSideLineDelete);
  EXPECT_EQ(lineCount(), 3u);
  EXPECT_EQ(baseKeys(), (std::vector<int32_t>{0, 0, -25003, -21004, 0, 0}));
  EXPECT_EQ(line(0).chars.front().modRubyEmp, 25003);
  expectReadsBack();
}

TEST_F(RubyEdit, NoEmphasisInAnImageBlock) {
  verticalPage();
  // Files keep no lines in image blocks; in memory a block can still become one.
  page().blocks.front().type = BlockImage;
  select(0, 0, 0, 2);
  EXPECT_TRUE(edit([&](EditScope& s) { addEmphasis(s, u'、'); }).empty());
  EXPECT_EQ(lineCount(), 1u);
  EXPECT_FALSE(doc->undoEnabled());
}

TEST_F(RubyEdit, DeletingARubyFromOneBaseCharacterFreesAllOfThem) {
  verticalPage();
  rubyOver(0, 2, u"かんじ");
  caretAt(0, 1, 1);
  EXPECT_TRUE(offers(CmdRubyDelete));
  EXPECT_TRUE(offers(CmdRubyModify));
  const document::ChangeSet r = edit([](EditScope& s) { deleteSideLines(s); });
  EXPECT_TRUE(r.has(document::Change::Layout));
  EXPECT_EQ(doc->history().nextUndo()->kind, document::UndoSideLineDelete);
  EXPECT_EQ(lineCount(), 1u);
  EXPECT_EQ(baseKeys(), (std::vector<int32_t>{0, 0, 0, 0, 0, 0}));
  expectReadsBack();
  ASSERT_TRUE(context->undo());
  EXPECT_EQ(page().blocks.front().lines.size(), 2u);
}

TEST_F(RubyEdit, DeletingTheLineTheCaretStandsInMovesTheCaretToTheBase) {
  verticalPage();
  rubyOver(1, 3, u"じを");
  select(0, 1, 0, 6);
  caret.caret = posAt(0, 0, 1);  // the caret in the ruby line, the selection over the base
  edit([](EditScope& s) { deleteSideLines(s); });
  EXPECT_EQ(lineCount(), 1u);
  EXPECT_EQ(caret.caret.line, &base());
  EXPECT_EQ(caret.caret.index(), 1);
}

class RubyModify : public RubyEdit {
 protected:
  void SetUp() override {
    verticalPage();
    rubyOver(0, 2, u"かんじ");
    caretAt(0, 1, 0);  // on 漢
  }
  std::optional<RubyModifyDialog> openDialog() {
    auto d = RubyModifyDialog::open(caret);
    EXPECT_TRUE(d);
    return d;
  }
};

TEST_F(RubyModify, OpensOnTheRubyOfTheBaseCharacter) {
  auto d = openDialog();
  EXPECT_EQ(caret.caret.line, &line(0));
  EXPECT_EQ(d->rubyText(), u"かんじ");
  EXPECT_EQ(d->baseText(), u"漢字");
  EXPECT_TRUE(d->enabled(RubyModifyDialog::SplitMark));
  EXPECT_FALSE(d->enabled(RubyModifyDialog::Split));
  EXPECT_FALSE(d->enabled(RubyModifyDialog::IdOk));
  EXPECT_EQ(d->focus(), RubyModifyDialog::RubyEdit);
  caretAt(0, 1, 3);
  EXPECT_FALSE(RubyModifyDialog::open(caret));
  EXPECT_FALSE(rubyModifyEnabled(caret));
}

TEST_F(RubyModify, SplitMarkAtEitherEndIsRefused) {
  auto d = openDialog();
  EXPECT_FALSE(d->setSplitMark(0, prompter));
  ASSERT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(prompter.shown[0].text, "文字列の最初または最後を分割位置に指定できません");
  EXPECT_FALSE(d->setSplitMark(3, prompter));
  EXPECT_EQ(prompter.shown.size(), 2u);
  EXPECT_EQ(d->rubyText(), u"かんじ");
  EXPECT_TRUE(d->enabled(RubyModifyDialog::RubyEdit));
  EXPECT_TRUE(d->enabled(RubyModifyDialog::SplitMark));
  EXPECT_FALSE(d->enabled(RubyModifyDialog::IdOk));
  EXPECT_EQ(d->prompt(), "");
  EXPECT_EQ(line(0).rcs, 1);
  EXPECT_EQ(line(0).rce, 2);
}

TEST_F(RubyModify, RangeButtonsMoveTheRangeAndCancelMovesItBack) {
  auto d = openDialog();
  EXPECT_FALSE(d->addPrevious(prompter));  // already at the line's start
  EXPECT_TRUE(d->addNext(prompter));
  EXPECT_EQ(d->rce(), 3);
  EXPECT_EQ(d->baseText(), u"漢字を");
  EXPECT_TRUE(d->enabled(RubyModifyDialog::IdOk));
  EXPECT_TRUE(d->dropFirst());
  EXPECT_TRUE(d->dropLast());
  EXPECT_EQ(d->baseText(), u"字");
  EXPECT_FALSE(d->dropLast());  // one character stays
  EXPECT_FALSE(d->dropFirst());
  const document::ChangeSet r = edit([&](EditScope& s) { d->cancel(s); });
  EXPECT_TRUE(r.has(document::Change::Caret));
  EXPECT_EQ(line(0).rcs, 1);
  EXPECT_EQ(line(0).rce, 2);
  EXPECT_EQ(caret.caret, posAt(0, 1, 0));
  EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(RubyModify, RangeStopsAtTheNeighbouringRuby) {
  rubyOver(2, 3, u"を");
  caretAt(0, 2, 1);
  auto d = openDialog();
  EXPECT_FALSE(d->addNext(prompter));
  ASSERT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(prompter.shown[0].text, "次の文字は他のルビの被ルビ文字となっているため追加できません");
  EXPECT_EQ(d->rce(), 2);
  edit([&](EditScope& s) { d->cancel(s); });

  caretAt(0, 2, 2);  // on を
  auto second = openDialog();
  EXPECT_FALSE(second->addPrevious(prompter));
  ASSERT_EQ(prompter.shown.size(), 2u);
  EXPECT_EQ(prompter.shown[1].text, "前の文字は他のルビの被ルビ文字となっているため追加できません");
  EXPECT_EQ(second->rcs(), 3);
}

TEST_F(RubyModify, NewTextKeepsTheKeyAndUndoRestoresTheOldRange) {
  auto d = openDialog();
  d->setRubyText(u"かん");
  EXPECT_TRUE(d->enabled(RubyModifyDialog::IdOk));
  d->setRubyText(u"かんじ");
  EXPECT_FALSE(d->enabled(RubyModifyDialog::IdOk));  // nothing differs from the start
  d->setRubyText(u"よみ*");
  EXPECT_FALSE(d->enabled(RubyModifyDialog::IdOk));
  d->setRubyText(u"よみ");
  ASSERT_TRUE(d->addNext(prompter));
  const document::ChangeSet r = edit([&](EditScope& s) { d->accept(s); });
  EXPECT_TRUE(r.has(document::Change::Layout));
  EXPECT_EQ(doc->history().nextUndo()->kind, document::UndoRuby);
  EXPECT_EQ(caret.caret, posAt(0, 1, 0));  // back where the caret was
  LineData& ruby = line(0);
  EXPECT_EQ(textOf(ruby), u"よみ");
  EXPECT_EQ(ruby.charCount, 2);
  // Spread over the line's 80 pixels: a step of 40, each character 32 long.
  EXPECT_EQ(charAt(ruby, 1).y, ruby.y + 40);
  EXPECT_EQ(charAt(ruby, 1).height, 32);
  EXPECT_EQ(charAt(ruby, 1).width, ruby.width);
  EXPECT_EQ(charAt(ruby, 1).modRubyEmp, 1);
  EXPECT_EQ(charAt(ruby, 1).changed, 1);
  EXPECT_EQ(baseKeys(), (std::vector<int32_t>{-1, -1, -1, 0, 0, 0}));
  expectReadsBack();

  ASSERT_TRUE(context->undo());
  EXPECT_EQ(line(0).rce, 2);
  EXPECT_EQ(textOf(line(0)), u"かんじ");
}

TEST_F(RubyModify, SplitMakesTwoRubiesWithTheirOwnKeys) {
  auto d = openDialog();
  ASSERT_TRUE(d->setSplitMark(2, prompter));
  EXPECT_EQ(d->rubyText(), u"かん*じ");
  EXPECT_FALSE(d->enabled(RubyModifyDialog::IdOk));
  EXPECT_FALSE(d->enabled(RubyModifyDialog::RubyEdit));
  EXPECT_FALSE(d->enabled(RubyModifyDialog::SplitMark));
  EXPECT_TRUE(d->enabled(RubyModifyDialog::Split));
  EXPECT_EQ(d->prompt(), "本文の分割位置をクリックしてください");
  EXPECT_FALSE(d->split(0));  // the start of the base text is no split
  ASSERT_TRUE(d->split(1));
  EXPECT_EQ(d->rubyText(), u"かん");
  EXPECT_EQ(d->secondRubyText(), u"じ");
  EXPECT_EQ(d->baseText(), u"漢");
  EXPECT_EQ(d->secondBaseText(), u"字");
  EXPECT_TRUE(d->enabled(RubyModifyDialog::IdOk));
  EXPECT_FALSE(d->enabled(RubyModifyDialog::AddNext));

  edit([&](EditScope& s) { d->accept(s); });
  ASSERT_EQ(lineCount(), 3u);
  LineData& first = line(0);
  LineData& second = line(1);
  EXPECT_EQ(textOf(first), u"かん");
  EXPECT_EQ(textOf(second), u"じ");
  EXPECT_EQ(first.rcs, 1);
  EXPECT_EQ(first.rce, 1);
  EXPECT_EQ(second.rcs, 2);
  EXPECT_EQ(second.rce, 2);
  EXPECT_EQ(first.baseLine, &base());
  EXPECT_EQ(first.charCount, 2);
  EXPECT_EQ(second.charCount, 1);
  // The first part spans its own characters; the second keeps the rest of the old box.
  EXPECT_EQ(first.y, 100);
  EXPECT_EQ(first.height, 26 + 13);
  EXPECT_EQ(second.y, 139);
  EXPECT_EQ(second.y + second.height, 180);
  EXPECT_EQ(first.chars.front().modRubyEmp, 2);
  EXPECT_EQ(second.chars.front().modRubyEmp, 1);
  EXPECT_EQ(baseKeys(), (std::vector<int32_t>{-2, -1, 0, 0, 0, 0}));
  EXPECT_EQ(doc->history().nextUndo()->kind, document::UndoRuby);
  expectReadsBack();

  // Deleting one of the two leaves the other whole.
  caretAt(0, 2, 0);
  edit([](EditScope& s) { deleteSideLines(s); });
  ASSERT_EQ(lineCount(), 2u);
  EXPECT_EQ(textOf(line(0)), u"じ");
  EXPECT_EQ(baseKeys(), (std::vector<int32_t>{0, -1, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace vellary::editing::testing
