#include "editing/candidates.h"

#include "correction_fixture.h"

namespace vellary::editing {
namespace {

class Candidates : public CorrectionTest {
 protected:
  // One page: a horizontal block "犬大太" and a vertical block "↑矢", with candidates on the
  // first character of each.
  void openTwoBlocks() {
    PaperBuilder b;
    model::PageData& p = b.page();
    model::LineData& h = PaperBuilder::line(b.block(p), u"犬大太");
    setCandidates(h.chars.front(), {u"大", u"犬", u"A"});
    model::LineData& v = PaperBuilder::line(b.block(p, model::Vertical), u"↑矢");
    setCandidates(v.chars.front(), {u"↑", u"↓", u"←", u"→", u"\U00020B9F"});
    open(b);
  }
  static void setCandidates(model::CharData& c, std::initializer_list<std::u16string_view> texts) {
    c.resetCandidates(static_cast<int16_t>(texts.size()));
    int i = 0;
    for (std::u16string_view t : texts) {
      c.candText(i) = splitCharacters(t).front();
      c.candCC(i++) = 5;
    }
  }
  static std::vector<std::u16string> texts(const ContextMenu& m) {
    std::vector<std::u16string> out;
    for (const CharMenuItem& i : m.items) out.push_back(i.isSeparator() ? u"-" : i.text);
    return out;
  }
  static std::vector<int> ids(const ContextMenu& m) {
    std::vector<int> out;
    for (const CharMenuItem& i : m.items) out.push_back(i.id);
    return out;
  }
  model::CharData& charAt(int b, int c) { return *std::next(line(b, 0).chars.begin(), c); }
};

TEST_F(Candidates, ACharacterWithoutCandidatesOffersOnlyTheReplacement) {
  openTwoBlocks();
  caretAt(0, 0, 1);
  ContextMenu m = buildCharacterMenu(caret, nullptr);
  EXPECT_EQ(m.kind, ContextMenu::Kind::Character);
  EXPECT_EQ(texts(m), (std::vector<std::u16string>{u"-", u"置換(&R)..."}));
  EXPECT_EQ(ids(m), (std::vector<int>{0, CmdReplaceCharacter}));
  EXPECT_EQ(m.context, caret.caret);
}

TEST_F(Candidates, ItemsCarryExplanationsAndTheCurrentReadingIsChecked) {
  openTwoBlocks();
  appcore::CharTable explain(appcore::CharTable::Kind::Explanation);
  explain.pairs = {{u"大", u"ダイ、おおきい"}, {u"A", u"英大文字"}};
  ContextMenu m = buildCharacterMenu(caret, &explain);
  ASSERT_EQ(m.items.size(), 5u);
  EXPECT_EQ(m.items[0].text, u"大\u3000ダイ、おおきい");
  EXPECT_EQ(m.items[1].text, u"犬");  // no explanation: no spaces
  EXPECT_EQ(m.items[2].text, u"A \u3000英大文字");
  EXPECT_EQ(ids(m), (std::vector<int>{34001, 34002, 34003, 0, 34000}));
  EXPECT_FALSE(m.items[0].checked);
  EXPECT_TRUE(m.items[1].checked);
  EXPECT_FALSE(m.items[2].checked);
  EXPECT_EQ(candidateItemText(model::makeCharText(0xFE), u"x"), u"\u00FE \u3000x");
  EXPECT_EQ(candidateItemText(model::makeCharText(0xFF), u"x"), u"\u00FF\u3000x");
}

TEST_F(Candidates, SelectionsDecideBetweenReplacementSelectionItemsAndNoMenu) {
  openTwoBlocks();
  caret.selection = Selection{at(0, 0, 0), at(0, 0, 2)};
  ContextMenu m = buildCharacterMenu(caret, nullptr);
  EXPECT_EQ(m.kind, ContextMenu::Kind::Character);
  EXPECT_TRUE(m.selectionItemsFollow);
  EXPECT_EQ(m.items.back().id, 0);  // the separator; the selection items come after it
  for (const CharMenuItem& i : m.items) EXPECT_NE(i.id, CmdReplaceCharacter);

  PaperBuilder b;
  b.textPage({u"one", u"two"});
  open(b);
  caret.selection = Selection{at(0, 0, 1), at(0, 1, 1)};
  EXPECT_EQ(buildCharacterMenu(caret, nullptr).kind, ContextMenu::Kind::None);
}

TEST_F(Candidates, RubyEmphasisAndOrientationItemsForTheCaretCharacter) {
  openTwoBlocks();
  charAt(0, 1).modRubyEmp = -7;
  charAt(0, 1).modRotTcy = 20100;
  caretAt(0, 0, 1);
  EXPECT_EQ(ids(buildCharacterMenu(caret, nullptr)),
            (std::vector<int>{0, CmdReplaceCharacter, 0, CmdRubyModify, CmdRubyDelete,
                              CmdNormalOrientation}));
  charAt(0, 1).modRubyEmp = 21000;
  charAt(0, 1).modRotTcy = 20091;
  EXPECT_EQ(ids(buildCharacterMenu(caret, nullptr)),
            (std::vector<int>{0, CmdReplaceCharacter, CmdEmphasisDelete}));
  charAt(0, 1).modRubyEmp = 20000;  // between the ruby and emphasis ranges
  EXPECT_EQ(ids(buildCharacterMenu(caret, nullptr)), (std::vector<int>{0, CmdReplaceCharacter}));
}

TEST_F(Candidates, CharacterMenuOnlyInsideATextOrTableEntry) {
  openTwoBlocks();
  EXPECT_TRUE(characterMenuApplies(*doc, caret, 100, 100));
  EXPECT_TRUE(characterMenuApplies(*doc, caret, 1599, 499));
  EXPECT_FALSE(characterMenuApplies(*doc, caret, 1600, 200));
  EXPECT_FALSE(characterMenuApplies(*doc, caret, 99, 200));
  caret.entry = -1;
  EXPECT_FALSE(characterMenuApplies(*doc, caret, 200, 200));

  PaperBuilder b;
  model::PageData& p = b.page();
  b.block(p, model::Horizontal, model::BlockImage).lines.emplace_back();
  open(b);  // the image block has no caret line; put one there by hand
  caret.entry = 0;
  caret.caret = CaretPos{&block(0), nullptr, &line(0, 0), line(0, 0).chars.end()};
  EXPECT_FALSE(characterMenuApplies(*doc, caret, 200, 200));
}

TEST_F(Candidates, PageMenuEnablesTheDirectionsThatExist) {
  EXPECT_EQ(buildPageMenu(*doc).kind, ContextMenu::Kind::None);
  PaperBuilder b;
  b.textPage({u"1"});
  b.textPage({u"2"});
  b.textPage({u"3"});
  open(b);
  ContextMenu m = buildPageMenu(*doc);
  EXPECT_EQ(m.kind, ContextMenu::Kind::Page);
  ASSERT_EQ(m.items.size(), 2u);
  EXPECT_EQ(m.items[0].text, u"次のページへ");
  EXPECT_EQ(m.items[0].id, appcore::IdNextPage);
  EXPECT_EQ(m.items[1].text, u"前のページへ");
  EXPECT_TRUE(m.items[0].enabled);
  EXPECT_FALSE(m.items[1].enabled);
  doc->nextPage();
  m = buildPageMenu(*doc);
  EXPECT_TRUE(m.items[0].enabled && m.items[1].enabled);
  doc->nextPage();
  m = buildPageMenu(*doc);
  EXPECT_FALSE(m.items[0].enabled);
  EXPECT_TRUE(m.items[1].enabled);
}

TEST_F(Candidates, ChoosingACandidateConfirmsItWithAnUndoStep) {
  openTwoBlocks();
  charAt(0, 0).cc = 3;
  EXPECT_TRUE(chooseCandidate(ctx(), 0));
  const document::ChangeSet r = told();
  EXPECT_EQ(charAt(0, 0).text, model::makeCharText(u'大'));
  EXPECT_EQ(charAt(0, 0).cc, 10);
  EXPECT_EQ(charAt(0, 0).changed, 1);
  EXPECT_EQ(doc->history().nextUndo()->kind, document::UndoCandidate);
  // Only the character's line is drawn again, as after typing.
  EXPECT_FALSE(r.has(document::Change::Layout));
  ASSERT_EQ(r.lines.size(), 1u);
  EXPECT_EQ(r.lines[0], &line(0, 0));
  EXPECT_EQ(doc->docModified(), 1);
  EXPECT_TRUE(doc->pageMarked(0));
  // Undo gives the recognised reading back.
  ASSERT_TRUE(context->undo());
  EXPECT_EQ(line(0, 0).chars.front().text, model::makeCharText(u'犬'));
  // Out of range, or at a line's end, nothing happens.
  caretAt(0, 0, 0);
  chooseCandidate(ctx(), 3);
  caret.caret = CaretPos{&block(0), nullptr, &line(0, 0), line(0, 0).chars.end()};
  chooseCandidate(ctx(), 0);
  EXPECT_TRUE(doc->redoEnabled());  // no edit took place to drop it
}

TEST_F(Candidates, ArrowsTurnAQuarterInVerticalBlocksOnly) {
  openTwoBlocks();
  const std::pair<int, char16_t> turned[] = {{0, u'←'}, {1, u'→'}, {2, u'↓'}, {3, u'↑'}};
  for (auto [candidate, expected] : turned) {
    caretAt(1, 0, 0);
    chooseCandidate(ctx(), candidate);
    EXPECT_EQ(charAt(1, 0).text, model::makeCharText(expected)) << candidate;
  }
  chooseCandidate(ctx(), 4);
  EXPECT_EQ(charAt(1, 0).text, model::makeCharText(0xD842, 0xDF9F));
  EXPECT_EQ(line(1, 0).charCount, 3);
  EXPECT_EQ(block(1).charCount, 3);
  // From a surrogate pair to a turned arrow: one unit, the pair's second half gone.
  chooseCandidate(ctx(), 1);
  EXPECT_EQ(charAt(1, 0).text, model::makeCharText(u'→'));
  EXPECT_EQ(line(1, 0).charCount, 2);

  model::CharData& h = charAt(0, 1);
  h.resetCandidates(1);
  h.candText(0) = model::makeCharText(u'↓');
  caretAt(0, 0, 1);
  chooseCandidate(ctx(), 0);
  EXPECT_EQ(h.text, model::makeCharText(u'↓'));
}

TEST_F(Candidates, ReplacementDialogAcceptsOneCharacterOnly) {
  openTwoBlocks();
  frame.registerReplacement = 1;
  caretAt(0, 0, 2);
  std::optional<ReplaceCharDialog> d = openReplaceCharDialog(ctx());
  ASSERT_TRUE(d);
  EXPECT_EQ(d->recognised, u"太");
  EXPECT_TRUE(d->addToTable);
  EXPECT_FALSE(d->okEnabled());
  d->setReplacement(u"犬太郎");
  EXPECT_EQ(d->replacement, u"犬太");
  EXPECT_TRUE(d->okEnabled());
  // Two separate characters: ignored, the setting untouched.
  d->addToTable = false;
  EXPECT_FALSE(acceptReplaceCharDialog(ctx(), *d));
  EXPECT_TRUE(told().lines.empty());
  EXPECT_EQ(charAt(0, 2).text, model::makeCharText(u'太'));
  EXPECT_EQ(frame.registerReplacement, 1);

  charAt(0, 2).cc = 4;
  d->setReplacement(u"\U00020B9F");
  EXPECT_TRUE(acceptReplaceCharDialog(ctx(), *d));
  EXPECT_EQ(told().lines.size(), 1u);
  EXPECT_EQ(charAt(0, 2).text, model::makeCharText(0xD842, 0xDF9F));
  EXPECT_EQ(charAt(0, 2).cc, 4);  // the dialog keeps the confidence
  EXPECT_EQ(charAt(0, 2).changed, 1);
  EXPECT_EQ(line(0, 0).charCount, 4);
  EXPECT_EQ(frame.registerReplacement, 0);  // the box's state became the setting
  // Like every other correction the replacement is a step of the history.
  ASSERT_TRUE(doc->undoEnabled());
  EXPECT_EQ(doc->history().nextUndo()->kind, document::UndoReplace);
  EXPECT_TRUE(registered.pairs.empty());
  EXPECT_TRUE(isSingleCharacter(u"a"));
  EXPECT_FALSE(isSingleCharacter(std::u16string(1, char16_t{0xD842})));
  EXPECT_FALSE(isSingleCharacter(u""));
  // Without a caret character there is no dialog.
  caret.caret = CaretPos{&block(0), nullptr, &line(0, 0), line(0, 0).chars.end()};
  EXPECT_FALSE(openReplaceCharDialog(ctx()));
}

TEST_F(Candidates, TheSameReplacementIsRegisteredOnce) {
  openTwoBlocks();
  ReplaceCharDialog d;
  d.addToTable = true;
  d.setReplacement(u"太");
  caretAt(0, 0, 1);
  acceptReplaceCharDialog(ctx(), d);
  caretAt(0, 0, 1);
  charAt(0, 1).text = model::makeCharText(u'大');
  acceptReplaceCharDialog(ctx(), d);
  ASSERT_EQ(registered.pairs.size(), 1u);
  EXPECT_EQ(registered.pairs[0].first, u"大");
  EXPECT_EQ(registered.pairs[0].second, u"太");
  EXPECT_EQ(registered.modified, 1);
  EXPECT_EQ(frame.registerReplacement, 1);
  // A different pair, then the first again: the last pair is what is compared.
  d.setReplacement(u"犬");
  charAt(0, 1).text = model::makeCharText(u'大');
  acceptReplaceCharDialog(ctx(), d);
  EXPECT_EQ(last.replacement, u"犬");
  EXPECT_EQ(registered.pairs.size(), 2u);
}

TEST_F(Candidates, ChosenCandidateAndReplacementSurviveWritingAndReading) {
  openTwoBlocks();
  chooseCandidate(ctx(), 0);
  ReplaceCharDialog d;
  d.setReplacement(u"丈");
  caretAt(0, 0, 2);
  acceptReplaceCharDialog(ctx(), d);
  const std::string path = dir / "saved.xml";
  ASSERT_TRUE(doc->saveTo(path));
  rovorirud::ReadResult back = rovorirud::readDocumentFile(path);
  ASSERT_TRUE(back.paper);
  const model::LineData& l = back.paper->pages.front().blocks.front().lines.front();
  ASSERT_EQ(l.chars.size(), 3u);
  EXPECT_EQ(l.chars.front().text, model::makeCharText(u'大'));
  EXPECT_EQ(l.chars.front().cc, 10);
  EXPECT_EQ(l.chars.front().numCand(), 3);
  EXPECT_EQ(l.chars.back().text, model::makeCharText(u'丈'));
  EXPECT_EQ(l.chars.back().changed, 1);
}

}  // namespace
}  // namespace vellary::editing
