#include <gtest/gtest.h>

#include "pages.h"
#include "recompose/recompose.h"

namespace vellary::recompose {
namespace {

using namespace testing;

JoiningOptions only(bool breaks, bool leading, bool natural, bool blockEnd, bool fullWidth = true) {
  JoiningOptions o;
  o.breaksBetweenBlocks = breaks;
  o.leadingSpace = leading;
  o.naturalBreaks = natural;
  o.noBreakAtBlockEnd = blockEnd;
  o.fullWidthSpace = fullWidth;
  return o;
}

// A vertical block of three ten-character columns (characters 50 pixels, columns 70 apart),
// whose rightmost column stands at x = right − 50.
BlockData& verticalParagraph(PageData& page, int right, std::u16string_view text) {
  BlockData& b = addBlock(page, Vertical, right - 190, 100, 190, 536);
  for (int i = 0; i < 3; ++i)
    addLine(b, text.substr(static_cast<size_t>(i) * 10, 10), right - 50 - 70 * i, 100, 50, 54);
  computeBlockAverages(b);
  return b;
}

TEST(JoinBlocks, TwoColumnsOfOneParagraphWithBlankLinesForTheGap) {
  for (bool breaks : {true, false}) {
    SCOPED_TRACE(breaks);
    PageData page;
    const std::u16string first = u"吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつ";
    const std::u16string second = u"かぬ。何でも薄暗いじめじめした所でニャーニャー泣いていた事は";
    BlockData& a = verticalParagraph(page, 1180, first);
    // Line spacing 20 and thickness 50: a gap of 150 is two pitches and a bit.
    verticalParagraph(page, 840, second);
    bool joined = false;
    EXPECT_TRUE(JoinPageBlocks(page, only(breaks, false, false, false), &joined));
    EXPECT_TRUE(joined);
    ASSERT_EQ(page.blocks.size(), 1u);
    ASSERT_EQ(a.lines.size(), breaks ? 8u : 6u);
    EXPECT_EQ(textOf(lineAt(a, 2)), first.substr(20));
    EXPECT_EQ(textOf(lineAt(a, breaks ? 5 : 3)), second.substr(0, 10));
    if (breaks) {
      for (int i : {3, 4}) {
        LineData& blank = lineAt(a, i);
        EXPECT_EQ(textOf(blank), u"\r");
        EXPECT_EQ(blank.charCount, 1);
        EXPECT_EQ(std::tuple(blank.x, blank.y, blank.width, blank.height),
                  std::tuple(650, 100, 50, 50));
        EXPECT_EQ(charAt(blank, 0).cc, 100);
        EXPECT_EQ(charAt(blank, 0).width, 50);
      }
    }
    EXPECT_EQ(std::tuple(a.x, a.y, a.width, a.height), std::tuple(650, 100, 530, 536));
    EXPECT_FLOAT_EQ(a.avgLineSize, 50);
    EXPECT_EQ(a.charCount, breaks ? 62 : 60);
  }
}

TEST(JoinBlocks, OnlyNeighboursOfOneRoleAndDirectionThatMeetAlongTheLinesJoin) {
  PageData page;
  auto block = [&](int x, int32_t sec = SecText, int32_t type = BlockText) -> BlockData& {
    BlockData& b = addBlock(page, Horizontal, x, 100 + 200 * static_cast<int>(page.blocks.size()),
                            500, 100, sec, type);
    addLine(b, u"本文", x, b.y, 50, 54);
    computeBlockAverages(b);
    return b;
  };
  block(100);                         // 0: its neighbour is an image
  block(100, SecText, BlockImage);    // 1
  block(100);                         // 2: anchor after the image
  block(300);                         // 3: overlaps 2 along the lines: joins
  block(100, SecHeader);              // 4: another role
  block(2000);                        // 5
  block(2500);                        // 6: touches 5: joins
  block(3001);                        // 7: one pixel apart from 5 and 6: stays
  block(3001);                        // 8: joins 7
  BlockData& vertical = block(3001);  // 9: another direction
  vertical.direction = Vertical;
  ASSERT_TRUE(JoinPageBlocks(page, only(false, false, false, false)));
  std::vector<int> xs;
  for (const BlockData& b : page.blocks) xs.push_back(b.x);
  EXPECT_EQ(xs, (std::vector<int>{100, 100, 100, 100, 2000, 3001, 3001}));
  EXPECT_EQ(blockAt(page, 2).width, 700);
  EXPECT_EQ(blockAt(page, 4).width, 1000);
  EXPECT_EQ(blockAt(page, 4).lines.size(), 2u);
}

TEST(JoinBlocks, AveragesAndTheBlankLineSizeUseTheAveragesAsRead) {
  PageData page;
  BlockData& a = addBlock(page, Horizontal, 100, 100, 1000, 40);
  addLine(a, u"一行だけの段落", 100, 100, 40, 44);
  a.avgLineSize = 0;  // as a block without a usable average is read
  BlockData& b = addBlock(page, Horizontal, 100, 400, 1000, 220);
  for (int i = 0; i < 3; ++i) addLine(b, u"三行の段落", 100, 400 + 80 * i, 60, 64);
  computeBlockAverages(b);
  ASSERT_TRUE(JoinPageBlocks(page, only(true, false, false, false)));
  // m = (0 + 60) / 2 = 30; spacings 20 (one line: half of its repaired 40) and 20: gap 260 / 50.
  ASSERT_EQ(a.lines.size(), 9u);
  EXPECT_EQ(std::pair(lineAt(a, 1).width, lineAt(a, 1).height), std::pair(30, 30));
  EXPECT_FLOAT_EQ(a.avgLineSize, (40.0f + 3 * 60.0f) / 4);
}

TEST(JoinBlocks, IndentationBecomesSpacesAndRubyFollowsItsBase) {
  struct Case {
    bool leading, fullWidth;
    std::u16string head;
  };
  for (const Case& c :
       {Case{true, true, u"\u3000\u3000"}, Case{true, false, u"  "}, Case{false, true, u""}}) {
    SCOPED_TRACE(c.leading * 2 + c.fullWidth);
    PageData page;
    BlockData& b = addBlock(page, Vertical, 760, 100, 200, 1500);
    addLine(b, u"第一章", 900, 100, 60, 64);
    LineData& indented = addLine(b, u"春は曙。やうやう白く", 830, 220, 60, 64);  // two cells in
    LineData& ruby = addLine(b, u"あけぼの", 892, 220 + 64 * 2, 28, 30, AttrRuby);
    ruby.baseLine = &indented;
    ruby.rcs = ruby.rce = 3;
    computeBlockAverages(b);
    const bool changed = JoinPageBlocks(page, only(false, c.leading, false, false, c.fullWidth));
    EXPECT_EQ(changed, c.leading);
    EXPECT_EQ(textOf(indented), c.head + u"春は曙。やうやう白く");
    EXPECT_EQ(textOf(lineAt(b, 0)), u"第一章");
    if (!c.leading) {
      EXPECT_EQ(indented.y, 220);
      EXPECT_EQ(ruby.rcs, 3);
      continue;
    }
    EXPECT_EQ(std::pair(ruby.rcs, ruby.rce), std::pair(5, 5));
    EXPECT_EQ(std::pair(indented.y, indented.height), std::pair(100, 120 + 636));
    EXPECT_EQ(indented.charCount, 12);
    EXPECT_EQ(b.charCount, 3 + 12 + 4);
    EXPECT_EQ(std::tuple(charAt(indented, 0).x, charAt(indented, 0).y), std::tuple(830, 100));
    EXPECT_EQ(charAt(indented, 1).y, 172);  // 1.2 cells further
    EXPECT_EQ(charAt(indented, 1).height, 60);
    EXPECT_EQ(charAt(indented, 1).cc, 100);
    EXPECT_EQ(charAt(indented, 1).numCand(), 0);
  }

  // Small characters in a thick line: the cell is the line's thickness.
  PageData page;
  BlockData& h = addBlock(page, Horizontal, 100, 100, 1500, 200);
  LineData& small = addLine(h, u"注記", 220, 100, 20, 24);
  small.height = 60;
  ASSERT_TRUE(JoinPageBlocks(page, only(false, true, false, false)));
  EXPECT_EQ(textOf(small), u"\u3000\u3000注記");
  EXPECT_EQ(std::pair(small.x, small.width), std::pair(100, 120 + 44));
  EXPECT_EQ(charAt(small, 1).x, 172);
}

TEST(JoinBlocks, SentenceEndsGetLineBreaksButNotTheLastLine) {
  PageData page;
  BlockData& b = addBlock(page, Horizontal, 100, 100, 1500, 400);
  LineData& l1 = addLine(b, u"今日は晴れ。", 100, 100, 60, 64);
  LineData& l2 = addLine(b, u"母が言った「雨」", 100, 180, 60, 64);
  LineData& l3 = addLine(b, u"だろうか", 100, 260, 60, 64);
  LineData& l4 = addLine(b, u"終わり。", 100, 340, 60, 64);
  computeBlockAverages(b);
  ASSERT_TRUE(JoinPageBlocks(page, only(false, false, true, false)));
  EXPECT_EQ(textOf(l1), u"今日は晴れ。\r");
  EXPECT_EQ(textOf(l2), u"母が言った「雨」\r");
  EXPECT_EQ(textOf(l3), u"だろうか");
  EXPECT_EQ(textOf(l4), u"終わり。");
  const CharData& br = l1.chars.back();
  EXPECT_EQ(std::tuple(br.x, br.y, br.width, br.height, br.cc), std::tuple(0, 0, 60, 60, 100));
  EXPECT_EQ(l1.charCount, 7);
  EXPECT_EQ(b.charCount, 7 + 9 + 4 + 4);
  EXPECT_FALSE(JoinPageBlocks(page, only(false, false, true, false)));  // nothing more to do
}

TEST(JoinBlocks, TheBreakThatEndsABlockIsDroppedUnlessItIsTheWholeLine) {
  auto lastLine = [](std::u16string_view text, bool option, bool rubyAfter) {
    PageData page;
    BlockData& b = addBlock(page, Horizontal, 100, 100, 1500, 400);
    addLine(b, u"本文の行", 100, 100, 60, 64);
    LineData& last = addLine(b, text, 100, 180, 60, 64);
    if (rubyAfter) addLine(b, u"ほん", 100, 150, 28, 30, AttrRuby).baseLine = &b.lines.front();
    computeBlockAverages(b);
    JoinPageBlocks(page, only(false, false, false, option));
    return std::pair(textOf(last), last.charCount);
  };
  EXPECT_EQ(lastLine(u"。\r", true, false), std::pair(std::u16string(u"。"), 1));
  EXPECT_EQ(lastLine(u"。\r", true, true), std::pair(std::u16string(u"。"), 1));
  EXPECT_EQ(lastLine(u"\r", true, false), std::pair(std::u16string(u"\r"), 1));
  EXPECT_EQ(lastLine(u"。\r", false, false), std::pair(std::u16string(u"。\r"), 2));
}

TEST(JoinBlocks, NothingToDoReportsNoChange) {
  PageData page;
  BlockData& b = addBlock(page, Vertical, 600, 100, 360, 1000);
  addLine(b, u"一つだけの段落。", 900, 100, 60, 64);
  addBlock(page, Vertical, 100, 100, 300, 1000, SecText, BlockTable);
  bool joined = true;
  EXPECT_FALSE(JoinPageBlocks(page, JoiningOptions{}, &joined));
  EXPECT_FALSE(joined);
  PageData empty;
  EXPECT_FALSE(JoinPageBlocks(empty, JoiningOptions{}));
}

}  // namespace
}  // namespace vellary::recompose

namespace vellary::recompose {
namespace {

using namespace testing;

// Boxes from a damaged file: far apart, turned inside out, ranges past the line's end.
TEST(ReComposeRobustness, AbsurdBoxesNeitherCrashNorFloodMemory) {
  PageData page;
  BlockData& a = addBlock(page, Horizontal, 0, 0, 100, 2);
  addLine(a, u"上", 0, 0, 2, 2);
  computeBlockAverages(a);
  BlockData& b = addBlock(page, Horizontal, 0, 2'000'000'000, 100, 2);
  LineData& far = addLine(b, u"下の行", 2'000'000'000, 2'000'000'000, 1, 1);
  computeBlockAverages(b);
  LineData& ruby = addLine(b, u"るびるび", 2'147'483'000, 1'999'999'990, 3, 3, AttrRuby);
  ruby.baseLine = &far;
  ruby.rcs = 2;
  ruby.rce = 99;
  charAt(ruby, 1).width = -50;
  charAt(ruby, 2).x = -1;
  charAt(ruby, 2).y = -1;  // typed: no place on the image
  BlockData& c = addBlock(page, Vertical, -2'000'000'000, -2'000'000'000, 2'000'000'000, 5);
  addLine(c, u"・＊あ", 2'000'000'000, 2'000'000'000, 0, 0, AttrEmph);

  JoinPageBlocks(page, JoiningOptions{});
  ReComposePage(page, PageTypicalCharSize(page), true);
  NormaliseSmallKana(page);
  size_t lines = 0, chars = 0;
  for (const BlockData& block : page.blocks)
    for (const LineData& l : block.lines) {
      ++lines;
      chars += l.chars.size();
    }
  EXPECT_LE(lines, 1100u);
  EXPECT_LE(chars, 2200u);
}

}  // namespace
}  // namespace vellary::recompose
