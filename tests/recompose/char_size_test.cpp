#include <gtest/gtest.h>

#include "pages.h"
#include "recompose/recompose.h"

namespace vellary::recompose {
namespace {

using namespace testing;

// n body lines of `chars` characters with the given thickness.
void addLines(BlockData& b, int n, int chars, int thickness) {
  for (int i = 0; i < n; ++i)
    addLine(b, std::u16string(static_cast<size_t>(chars), u'字'), 100, 100 + i * 100, thickness,
            thickness + 4);
}

TEST(TypicalCharSize, TheMostFrequentThicknessOfLongLinesPlusOne) {
  PageData page;
  BlockData& body = addBlock(page, Horizontal, 100, 100, 2000, 3000);
  addLines(body, 5, 25, 48);
  addLines(body, 2, 25, 60);  // a heading or two, set larger
  addLines(body, 9, 12, 90);  // short lines do not vote
  addLine(body, std::u16string(30, u'る'), 100, 50, 20, 22, AttrRuby);  // nor do side lines
  EXPECT_EQ(PageTypicalCharSize(page), 49);

  // In a vertical block the width of a line is its thickness.
  PageData vertical;
  BlockData& v = addBlock(vertical, Vertical, 100, 100, 2000, 3000);
  addLine(v, std::u16string(22, u'縦'), 900, 100, 36, 40);
  EXPECT_EQ(PageTypicalCharSize(vertical), 37);
}

TEST(TypicalCharSize, WithoutLongLinesTheMeanThicknessOrTwentyOne) {
  PageData page;
  BlockData& b = addBlock(page, Horizontal, 100, 100, 2000, 3000);
  addLines(b, 1, 20, 28);
  addLines(b, 1, 8, 32);
  EXPECT_EQ(PageTypicalCharSize(page), 31);

  PageData empty;
  EXPECT_EQ(PageTypicalCharSize(empty), 21);
  addBlock(empty, Vertical, 0, 0, 10, 10);
  EXPECT_EQ(PageTypicalCharSize(empty), 21);

  // Absurdly thick lines (a figure caught as text) stay out of the mean.
  PageData thick;
  BlockData& t = addBlock(thick, Horizontal, 0, 0, 3000, 3000);
  addLines(t, 3, 5, 250);
  EXPECT_EQ(PageTypicalCharSize(thick), 21);
  addLines(t, 1, 5, 40);
  EXPECT_EQ(PageTypicalCharSize(thick), 41);
}

}  // namespace
}  // namespace vellary::recompose
