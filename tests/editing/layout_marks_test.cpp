// Reject test, character classes and registered-character marks.
#include "editing/layout_marks.h"

#include <gtest/gtest.h>

#include "layout_pages.h"

namespace vellary::editing {
namespace {

TEST(Reject, BelowTheLevelOrTopBitSet) {
  EXPECT_TRUE(isReject(1, 2));
  EXPECT_FALSE(isReject(2, 2));
  EXPECT_TRUE(isReject(0xFFFF, 2));
  EXPECT_TRUE(isReject(0x8009, 1));
  EXPECT_FALSE(isReject(10, 9));
}

TEST(CharClass, OrderOfTheTable) {
  EXPECT_EQ(charClass(u'!'), 5);
  EXPECT_EQ(charClass(u'\r'), 14);
  EXPECT_EQ(charClass(u' '), 14);
  EXPECT_EQ(charClass(u'7'), 4);
  EXPECT_EQ(charClass(u'７'), 4);
  EXPECT_EQ(charClass(u'Q'), 3);
  EXPECT_EQ(charClass(u'Ω'), 3);
  EXPECT_EQ(charClass(u'ж'), 12);
  EXPECT_EQ(charClass(u'ｑ'), 12);
  EXPECT_EQ(charClass(u'¥'), 5);
  EXPECT_EQ(charClass(u'あ'), 1);
  EXPECT_EQ(charClass(u'が'), 6);
  EXPECT_EQ(charClass(u'ぽ'), 7);
  EXPECT_EQ(charClass(u'ゃ'), 8);
  EXPECT_EQ(charClass(u'ゔ'), 0);
  EXPECT_EQ(charClass(u'ア'), 2);
  EXPECT_EQ(charClass(u'ヴ'), 10);
  EXPECT_EQ(charClass(u'ヶ'), 11);
  EXPECT_EQ(charClass(u'ｯ'), 11);
  EXPECT_EQ(charClass(u'ｱ'), 2);
  // Everything else: a symbol when its Shift-JIS lead byte is 0x81, else a kanji.
  EXPECT_EQ(charClass(u'、'), 5);
  EXPECT_EQ(charClass(u'〓'), 5);
  EXPECT_EQ(charClass(u'漢'), 0);
  EXPECT_EQ(charClass(u'①'), 0);
}

TEST(RegisteredMarks, AcrossLinesAndCellsWithoutOverlap) {
  auto page = testing::makePage(1000, 1000);
  auto block = testing::makeBlock(0, 0, 500, 500, false);
  block.lines.push_back(testing::makeLine(0, 0, 300, 30, u"東京都", false));
  block.lines.push_back(testing::makeLine(0, 40, 300, 30, u"港区あああ", false));
  page.blocks.push_back(std::move(block));
  auto table = testing::makeBlock(0, 600, 500, 200, false, model::BlockTable);
  table.cells.emplace_back().lines.push_back(testing::makeLine(0, 600, 300, 30, u"都港", false));
  page.blocks.push_back(std::move(table));
  // A stale mark from an earlier update is cleared.
  page.blocks.front().lines.front().chars.front().registeredMark = 1;

  markRegistered(page, {u"都港", u"ああ", u""});
  auto marks = [](const model::LineData& line) {
    std::string s;
    for (const auto& ch : line.chars) s += ch.registeredMark ? '1' : '0';
    return s;
  };
  const auto& lines = page.blocks.front().lines;
  EXPECT_EQ(marks(lines.front()), "001");
  EXPECT_EQ(marks(lines.back()), "10110");
  EXPECT_EQ(marks(page.blocks.back().cells.front().lines.front()), "11");
}

}  // namespace
}  // namespace vellary::editing
