#include <gtest/gtest.h>

#include "docgen.h"
#include "model/json_dump.h"
#include "pages.h"
#include "recompose/recompose.h"
#include "ruby_book.h"

namespace vellary::recompose {
namespace {

using namespace testing;

constexpr int kA = 61;  // the typical size of pages whose body characters are 60 pixels

// A vertical page: body columns of 60-pixel characters at a pitch of 64, right to left from
// x = 900; side lines stand right of their column.
struct VerticalPage {
  PageData page;
  BlockData& block = addBlock(page, Vertical, 600, 100, 360, 1700);
  LineData& base;
  explicit VerticalPage(std::u16string_view text) : base(addLine(block, text, 900, 100, 60, 64)) {
    addLine(block, u"吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。", 830, 100,
            60, 64);
  }
};

TEST(SideLines, VerticalRubyCoversTheKanjiNotTheOkurigana) {
  for (bool mono : {false, true}) {
    SCOPED_TRACE(mono);
    VerticalPage p(u"漢字を読むことは楽しい。毎日少しずつ読んでいる。");
    // か and ん beside 漢, じ beside 字; the recognised box reaches the top of を.
    addSideLine(p.block, u"かんじ", 962, 100, 28, {0, 30, 100});
    ASSERT_EQ(PageTypicalCharSize(p.page), kA);
    EXPECT_TRUE(ReComposePage(p.page, kA, mono));

    if (!mono) {
      ASSERT_EQ(p.block.lines.size(), 3u);
      LineData& ruby = lineAt(p.block, 2);
      EXPECT_EQ(ruby.baseLine, &p.base);
      EXPECT_EQ(ruby.rcs, 1);
      EXPECT_EQ(ruby.rce, 2);
      for (const CharData& c : ruby.chars) EXPECT_EQ(c.modRubyEmp, 1);
      EXPECT_EQ(charAt(p.base, 0).modRubyEmp, -1);
      EXPECT_EQ(charAt(p.base, 1).modRubyEmp, 0);
      continue;
    }
    ASSERT_EQ(p.block.lines.size(), 4u);
    LineData& first = lineAt(p.block, 2);
    LineData& second = lineAt(p.block, 3);
    EXPECT_EQ(textOf(first), u"かん");
    EXPECT_EQ(textOf(second), u"じ");
    EXPECT_EQ(first.baseLine, &p.base);
    EXPECT_EQ(second.baseLine, &p.base);
    EXPECT_EQ(std::pair(first.rcs, first.rce), std::pair(1, 1));
    EXPECT_EQ(std::pair(second.rcs, second.rce), std::pair(2, 2));
    EXPECT_EQ(first.attr, AttrRuby);
    EXPECT_EQ(first.charCount, 2);
    EXPECT_EQ(second.charCount, 1);
    // Each part's box runs from where it starts to its last character.
    EXPECT_EQ(std::tuple(first.x, first.y, first.width, first.height),
              std::tuple(962, 100, 28, 58));
    EXPECT_EQ(std::tuple(second.y, second.height), std::tuple(200, 28));
    EXPECT_EQ(charAt(first, 0).modRubyEmp, 1);
    EXPECT_EQ(charAt(second, 0).modRubyEmp, 2);
    EXPECT_EQ(charAt(p.base, 0).modRubyEmp, -1);
    EXPECT_EQ(charAt(p.base, 1).modRubyEmp, -2);
  }
}

TEST(SideLines, HorizontalRubyStandsAboveItsBaseAndSplitsWhereItsCharactersFall) {
  PageData page;
  BlockData& block = addBlock(page, Horizontal, 100, 300, 1700, 200);
  LineData& base = addLine(block, u"東京都に住む人は多い。", 100, 340, 60, 64);
  addLine(block, u"次の行", 100, 420, 60, 64);  // below: farther from the ruby
  // とう over 東, きょう over 京.
  LineData& ruby = addSideLine(block, u"とうきょう", 100, 310, 28, {0, 28, 64, 84, 96});
  ASSERT_TRUE(ReComposePage(page, kA, true));
  ASSERT_EQ(block.lines.size(), 4u);
  LineData& part = lineAt(block, 2);
  EXPECT_EQ(textOf(part), u"とう");
  EXPECT_EQ(std::pair(part.rcs, part.rce), std::pair(1, 1));
  EXPECT_EQ(std::tuple(part.x, part.width), std::tuple(100, 56));
  EXPECT_EQ(textOf(ruby), u"きょう");
  EXPECT_EQ(ruby.baseLine, &base);
  EXPECT_EQ(std::pair(ruby.rcs, ruby.rce), std::pair(2, 2));
  EXPECT_EQ(std::tuple(ruby.x, ruby.width), std::tuple(164, 60));

  EXPECT_TRUE(NormaliseSmallKana(page));
  EXPECT_EQ(textOf(ruby), u"きよう");
  EXPECT_EQ(textOf(base), u"東京都に住む人は多い。");
}

TEST(SideLines, EmphasisDotsBecomeLinesOfTheirOwnAndRubyStaysTogether) {
  VerticalPage p(u"大切な言葉を忘れないように書き留めておく。");
  // One recognised side line: dots beside 大 and 切, then ことば beside 言葉.
  LineData& side = addSideLine(p.block, u"・・ことば", 962, 116, 28, {0, 64, 184, 224, 264});
  ASSERT_TRUE(ReComposePage(p.page, kA, false));
  ASSERT_EQ(p.block.lines.size(), 5u);
  LineData& dot1 = lineAt(p.block, 2);
  LineData& dot2 = lineAt(p.block, 3);
  EXPECT_EQ(&lineAt(p.block, 4), &side);
  EXPECT_EQ(textOf(dot1), u"・");
  EXPECT_EQ(textOf(dot2), u"・");
  EXPECT_EQ(dot1.attr, AttrEmph);
  EXPECT_EQ(dot2.attr, AttrEmph);
  EXPECT_EQ(textOf(side), u"ことば");
  EXPECT_EQ(side.attr, AttrRuby);
  EXPECT_EQ(std::tuple(side.y, side.height, side.charCount), std::tuple(300, 108, 3));
  EXPECT_EQ(std::tuple(dot1.y, dot1.height, dot1.widthOrg), std::tuple(116, 28, 28));

  EXPECT_EQ(std::pair(dot1.rcs, dot1.rce), std::pair(1, 1));
  EXPECT_EQ(std::pair(dot2.rcs, dot2.rce), std::pair(2, 2));
  EXPECT_EQ(std::pair(side.rcs, side.rce), std::pair(4, 5));
  EXPECT_EQ(charAt(dot1, 0).modRubyEmp, 21001);
  EXPECT_EQ(charAt(dot2, 0).modRubyEmp, 21002);
  EXPECT_EQ(charAt(side, 2).modRubyEmp, 3);
  EXPECT_EQ(charAt(p.base, 0).modRubyEmp, -21001);
  EXPECT_EQ(charAt(p.base, 1).modRubyEmp, -21002);
  EXPECT_EQ(charAt(p.base, 3).modRubyEmp, -3);
}

TEST(SideLines, KeysCountTheAttachedSideLinesOfThePage) {
  for (char16_t mark : {u'・', u'、'}) {
    SCOPED_TRACE(static_cast<int>(mark));
    VerticalPage p(u"漢字の大切さを知る人は少ない。けれども読む人は多い。");
    addSideLine(p.block, u"かんじ", 962, 100, 28, {0, 30, 64});
    addSideLine(p.block, std::u16string(1, mark), 962, 308, 28, {0}, AttrEmph);  // beside 大
    addSideLine(p.block, std::u16string(1, mark), 962, 372, 28, {0}, AttrEmph);  // beside 切
    addSideLine(p.block, u"＊", 962, 436, 28, {0}, AttrFootnote);                // beside さ
    ASSERT_TRUE(ReComposePage(p.page, kA, false));
    const int32_t emphasis = mark == u'、' ? 25000 : 21000;
    std::vector<int32_t> side, base;
    for (LineData& l : p.block.lines)
      if (l.attr != AttrNone) side.push_back(charAt(l, 0).modRubyEmp);
    for (int i : {0, 3, 4, 5}) base.push_back(charAt(p.base, i).modRubyEmp);
    EXPECT_EQ(side, (std::vector<int32_t>{1, emphasis + 2, emphasis + 3, emphasis + 3}));
    EXPECT_EQ(base, (std::vector<int32_t>{-1, -(emphasis + 2), -(emphasis + 3), -(emphasis + 3)}));
  }

  // A footnote mark with no side line before it on the page refers to nothing.
  VerticalPage q(u"注のある文章です。これは二十文字を超える長さの行です。");
  addSideLine(q.block, u"＊", 962, 100, 28, {0}, AttrFootnote);
  ASSERT_TRUE(ReComposePage(q.page, kA, false));
  EXPECT_EQ(lineAt(q.block, 2).baseLine, &q.base);
  EXPECT_EQ(charAt(lineAt(q.block, 2), 0).modRubyEmp, 0);
}

TEST(SideLines, RunsEndAtGapsMeasuredInTheTypicalSize) {
  // Ruby runs go on while gaps are at most 0.9 a (54.9 here), footnote runs while at most a.
  struct Case {
    std::u16string text;
    int16_t attr;
    int gap;
    size_t parts;
  };
  for (const Case& c : {Case{u"よみ", AttrRuby, 54, 1}, Case{u"よみ", AttrRuby, 55, 2},
                        Case{u"＊＊", AttrFootnote, 61, 1}, Case{u"＊＊", AttrFootnote, 62, 2}}) {
    SCOPED_TRACE(c.gap);
    VerticalPage p(u"読書は心の糧であり、知識の泉である。良い本を読もう。");
    addSideLine(p.block, c.text, 962, 100, 28, {0, 28 + c.gap}, AttrFootnote);
    ReComposePage(p.page, kA, false);
    ASSERT_EQ(p.block.lines.size(), 2 + c.parts);
    for (size_t i = 2; i < p.block.lines.size(); ++i) {
      EXPECT_EQ(lineAt(p.block, static_cast<int>(i)).attr, c.attr);
      EXPECT_EQ(lineAt(p.block, static_cast<int>(i)).charCount, c.parts == 1 ? 2 : 1);
    }
  }
}

TEST(SideLines, ASideLineTooFarFromAnyBaseStaysUnattached) {
  for (int gap : {60, 61}) {
    VerticalPage p(u"漢字を読むことは楽しい。毎日少しずつ読んでいる。");
    LineData& ruby = addSideLine(p.block, u"かん", 960 + gap, 100, 28, {0, 30});
    charAt(ruby, 0).modRubyEmp = 7;
    EXPECT_TRUE(ReComposePage(p.page, kA, false));  // still a side line of the page
    EXPECT_EQ(ruby.baseLine, gap < kA ? &p.base : nullptr);
    EXPECT_EQ(charAt(ruby, 0).modRubyEmp, gap < kA ? 1 : 7);
  }
  VerticalPage plain(u"本文だけの頁です。");
  EXPECT_FALSE(ReComposePage(plain.page, kA, true));
}

TEST(SideLines, RangesStopAtLineBreaksAndSkipLeadingSpacesAndKana) {
  auto horizontal = [](std::u16string_view base, std::initializer_list<int> at, int x) {
    auto page = std::make_unique<PageData>();
    BlockData& b = addBlock(*page, Horizontal, 100, 300, 1700, 200);
    LineData& l = addLine(b, base, 100, 340, 60, 64);
    for (CharData& c : l.chars)
      if (c.text[0] == 0x000D) c.x = c.y = 0;  // a break inserted later stands nowhere
    addSideLine(b, u"るび", x, 310, 28, at);
    ReComposePage(*page, kA, false);
    return page;
  };
  // A break before the first character beside the ruby: no range.
  auto p1 = horizontal(u"あ\r漢字", {0, 40}, 228);
  EXPECT_EQ(lineAt(blockAt(*p1, 0), 1).baseLine, nullptr);
  // A break after the covered characters ends the range and belongs to it.
  auto p2 = horizontal(u"漢字\r次", {0, 60}, 100);
  EXPECT_EQ(lineAt(blockAt(*p2, 0), 1).rce, 3);

  auto vertical = [](std::u16string_view base, std::u16string_view ruby,
                     std::initializer_list<int> at) {
    auto p = std::make_unique<VerticalPage>(base);
    for (CharData& c : p->base.chars)
      if (c.text[0] == 0x000D) c.x = c.y = 0;
    addSideLine(p->block, ruby, 962, 100, 28, at);
    ReComposePage(p->page, kA, false);
    LineData& r = lineAt(p->block, 2);
    return std::pair(r.rcs, r.rce);
  };
  EXPECT_EQ(vertical(u" 漢字", u"かんじ", {0, 64, 100}),
            std::pair(2, 3));  // the space is not ruby's
  EXPECT_EQ(vertical(u"漢\r字", u"かんじ", {0, 64, 100}), std::pair(1, 1));
  EXPECT_EQ(vertical(u"お茶を", u"おちゃ", {0, 64, 100}), std::pair(2, 2));
  EXPECT_EQ(vertical(u"ひらがな", u"かな", {0, 50}), std::pair(1, 1));  // kana only: kept
}

TEST(SideLines, MonoRubyNeedsAsManyRubyCharactersAsBaseCharacters) {
  // One ruby character over two base characters stays one ruby.
  VerticalPage p(u"蒲公英の咲く野原を歩く。春の日差しが暖かい。");
  addSideLine(p.block, u"ぽ", 962, 130, 28, {0});
  lineAt(p.block, 2).height = 90;  // recognised as standing beside both
  ReComposePage(p.page, kA, true);
  ASSERT_EQ(p.block.lines.size(), 3u);
  EXPECT_EQ(std::pair(lineAt(p.block, 2).rcs, lineAt(p.block, 2).rce), std::pair(1, 2));

  // A trailing break in the range is not a base character: two ruby characters suffice.
  PageData page;
  BlockData& block = addBlock(page, Horizontal, 100, 300, 1700, 200);
  LineData& base = addLine(block, u"漢字\r", 100, 340, 60, 64);
  charAt(base, 2).x = charAt(base, 2).y = 0;
  addSideLine(block, u"かじ", 100, 310, 28, {0, 64});
  ReComposePage(page, kA, true);
  ASSERT_EQ(block.lines.size(), 3u);
  EXPECT_EQ(textOf(lineAt(block, 1)), u"か");
  EXPECT_EQ(std::pair(lineAt(block, 1).rcs, lineAt(block, 1).rce), std::pair(1, 1));
  EXPECT_EQ(std::pair(lineAt(block, 2).rcs, lineAt(block, 2).rce), std::pair(2, 3));
}

TEST(SideLines, MonoRubySkipsABaseCharacterWithoutRubyOfItsOwn) {
  // 話し合う in small type on a page of larger text: はな beside 話 and あ beside 合 are close
  // enough to be one ruby over 話し合, yet し has no ruby.
  PageData page;
  BlockData& block = addBlock(page, Horizontal, 100, 300, 1700, 200);
  LineData& base = addLine(block, u"話し合う", 100, 340, 40, 44);
  LineData& ruby = addSideLine(block, u"はなあ", 100, 320, 18, {0, 20, 88});
  ReComposePage(page, kA, true);
  ASSERT_EQ(block.lines.size(), 3u);
  LineData& first = lineAt(block, 1);
  EXPECT_EQ(textOf(first), u"はな");
  EXPECT_EQ(std::pair(first.rcs, first.rce), std::pair(1, 1));
  EXPECT_EQ(textOf(ruby), u"あ");
  EXPECT_EQ(std::pair(ruby.rcs, ruby.rce), std::pair(3, 3));  // beside 合, not し
  EXPECT_EQ(charAt(base, 1).modRubyEmp, 0);
  EXPECT_EQ(charAt(base, 2).modRubyEmp, -2);
}

TEST(SideLines, KanaTestFollowsCodePage932) {
  for (char16_t c : {u'ぁ', u'あ', u'ん', u'ァ', u'ア', u'ヴ'})
    EXPECT_TRUE(isKana(makeCharText(c)));
  for (char16_t c : {u'ー', u'ゝ', u'ヵ', u'漢', u'A', u'ｱ', char16_t{0x000D}})
    EXPECT_FALSE(isKana(makeCharText(c))) << static_cast<int>(c);
  EXPECT_FALSE(isKana(makeCharText(0xD842, 0xDF9F)));
}

TEST(SideLines, SmallKanaBecomeFullSizeInSideLinesOnly) {
  VerticalPage p(u"しゃっきん");
  LineData& ruby = addSideLine(p.block, u"ぁぃぅぇぉゃゅょっァィゥェォャュョッ", 962, 100, 28,
                               {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17});
  EXPECT_TRUE(NormaliseSmallKana(p.page));
  EXPECT_EQ(textOf(ruby), u"あいうえおやゆよつアイウエオヤユヨツ");
  EXPECT_EQ(textOf(p.base), u"しゃっきん");
  EXPECT_FALSE(NormaliseSmallKana(p.page));
}

TEST(SideLines, ReComposingAgainChangesNothing) {
  for (uint32_t seed : {1u, 2u, 3u}) {
    for (bool mono : {false, true}) {
      SCOPED_TRACE(seed * 2 + mono);
      auto paper = RubyBook(seed).make(12);
      auto run = [&] {
        for (PageData& page : paper->pages) {
          ReComposePage(page, PageTypicalCharSize(page), mono);
          NormaliseSmallKana(page);
        }
        return dumpJson(*paper);
      };
      const std::string first = run();
      EXPECT_NE(first, dumpJson(*RubyBook(seed).make(12)));
      EXPECT_EQ(run(), first);
    }
  }
}

// Side lines that stand nowhere near their characters (as in a document rich in every kind of
// record) may have their ranges moved by a second run, but they are split no further, keep their
// base lines and their keys.
TEST(SideLines, ReComposingAgainKeepsTheSideLinesOfAnyDocument) {
  docgen::Params params;
  params.pages = 30;
  params.charsPerPage = 400;
  params.rich = true;
  params.seed = 7;
  auto paper = docgen::generate(params);
  auto run = [&] {
    std::vector<std::tuple<int16_t, const LineData*, std::u16string, int32_t>> sides;
    for (PageData& page : paper->pages) {
      ReComposePage(page, PageTypicalCharSize(page), true);
      NormaliseSmallKana(page);
      for (BlockData& b : page.blocks)
        for (LineData& l : b.lines)
          if (l.attr != AttrNone)
            sides.emplace_back(l.attr, l.baseLine, textOf(l),
                               l.chars.empty() ? 0 : l.chars.front().modRubyEmp);
    }
    return sides;
  };
  const auto first = run();
  EXPECT_EQ(run(), first);
}

}  // namespace
}  // namespace vellary::recompose
