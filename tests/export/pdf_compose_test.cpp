// Page composition for the text PDF: text runs with their line joining, fonts, sizes and places,
// the single-line follow-up, tables with cells and rules; and the TIFF strip locator.
#include <gtest/gtest.h>

#include "export/pdf/pdf_content.h"
#include "export/pdf/pdf_data.h"
#include "pdf_helpers.h"

namespace {

using namespace vellary;
using namespace vellary::exporting::pdf;
using vellary::testing::hline;
using vellary::testing::textBlock;
using vellary::testing::vline;

// A 400-dpi page: T = 16 pixels, 1 pixel = 0.18 point, H = 842.
model::PageData page400(std::vector<model::BlockData> blocks) {
  model::PageData p;
  p.width = 3307;
  p.height = 4677;
  p.dpi = 400;
  for (auto& b : blocks) p.blocks.push_back(std::move(b));
  return p;
}

std::vector<PdfText> runsOf(const model::PageData& page) {
  CPDFdata data(page.width, page.height, page.dpi);
  data.composeTextRuns(page);
  return data.page().texts;
}

TEST(TextRuns, LinesOfOneSizeFormOneRunWithLineFeeds) {
  auto page = page400({textBlock(
      {hline(100, 100, 40, u"あい"), hline(100, 200, 40, u"うえ"), hline(100, 300, 40, u"おか")})});
  const auto runs = runsOf(page);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].text, u"あい\nうえ\nおか");
  EXPECT_EQ(runs[0].lineAdvance, 18);  // (340 - 140) / 2 pixels
  EXPECT_EQ(runs[0].x, 18);
  EXPECT_EQ(runs[0].y, 842 - 25);  // bottom of the first character, 140 pixels
  EXPECT_EQ(runs[0].fontType, FontMincho);
  EXPECT_EQ(runs[0].fontSize, 7);  // (200 + 40 × 72) / 400
  EXPECT_EQ(runs[0].renderMode, RenderVisible);
  EXPECT_EQ(runs[0].colours.size(), runs[0].text.size());
}

TEST(TextRuns, ARubyLineBetweenLinesSplitsTheBlockIntoThreeRuns) {
  model::LineData ruby = hline(100, 175, 20, u"るび");
  ruby.attr = model::AttrRuby;
  auto page = page400({textBlock({hline(100, 100, 40, u"あい"), hline(100, 200, 40, u"うえ"), ruby,
                                  hline(100, 300, 40, u"おか")})});
  const auto runs = runsOf(page);
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0].text, u"あい\nうえ\n");
  EXPECT_EQ(runs[1].text, u"るび\n");
  EXPECT_EQ(runs[2].text, u"おか");
  // A one-line run advances by its own height.
  EXPECT_EQ(runs[2].lineAdvance, 7);
}

TEST(TextRuns, FontFollowsDirectionAndLanguage) {
  EXPECT_EQ(fontTypeFor(model::Horizontal, 0), FontTimes);
  EXPECT_EQ(fontTypeFor(model::Vertical, 0), FontMinchoV);
  EXPECT_EQ(fontTypeFor(model::Horizontal, 128), FontMincho);
  EXPECT_EQ(fontTypeFor(model::Horizontal, 134), FontSimSun);
  EXPECT_EQ(fontTypeFor(model::Vertical, 136), FontMingLiUV);
  EXPECT_EQ(fontTypeFor(model::Vertical, 129), FontGulimV);
  EXPECT_EQ(fontTypeFor(model::Horizontal, 161), FontMincho);

  auto latin = page400({textBlock({hline(100, 100, 40, u"Ab")}, model::Horizontal, 0)});
  const auto runs = runsOf(latin);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].fontType, FontTimes);
  EXPECT_NE(textOps(runs[0], 0).find("rg<4162>"), std::string::npos);
}

TEST(TextRuns, VerticalRunStandsAtTheCentreOfItsFirstCharacter) {
  auto page = page400({textBlock({vline(2000, 500, 60, u"縦書き"), vline(1900, 500, 60, u"二行")},
                                 model::Vertical)});
  const auto runs = runsOf(page);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].fontType, FontMinchoV);
  EXPECT_EQ(runs[0].x, 365);           // (2000 + 30) × 72 / 400
  EXPECT_EQ(runs[0].y, 842 - 90);      // top 500
  EXPECT_EQ(runs[0].lineAdvance, 18);  // columns 100 pixels apart
  EXPECT_NE(textOps(runs[0], 0).find("> Tj\r-18 0 TD\r<"), std::string::npos);
}

TEST(TextRuns, SizeDependsOnWhetherTheLastCharacterIsHalfWidth) {
  // Characters 40 high and 20 wide: s(A) = 7, s(B) = 4.
  model::LineData full = hline(100, 100, 40, u"あい", 20);
  for (auto& c : full.chars) c.width = 20;
  model::LineData half = full;
  half.chars.back().text = model::makeCharText(u'a');
  EXPECT_EQ(runsOf(page400({textBlock({full})}))[0].fontSize, 5);
  EXPECT_EQ(runsOf(page400({textBlock({half})}))[0].fontSize, 7);
}

TEST(TextRuns, TypedCharactersGiveNoPlace) {
  model::LineData l = hline(1000, 1000, 40, u"あい");
  l.chars.push_front(vellary::testing::typed(u'挿'));
  const auto runs = runsOf(page400({textBlock({l})}));
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].text, u"挿あい");
  EXPECT_EQ(runs[0].x, 180);  // the left edge of あ, not of the typed character
}

TEST(TextRuns, ASingleLineBeforeABlockThatStartsLeftAndAboveGetsABlankLine) {
  auto right = textBlock({hline(2000, 1000, 40, u"右")});
  auto left = textBlock({hline(100, 500, 40, u"左"), hline(100, 1100, 40, u"下")});
  auto runs = runsOf(page400({right, left}));
  ASSERT_GE(runs.size(), 2u);
  EXPECT_EQ(runs[0].text, u"右\n \n");
  EXPECT_EQ(runs[0].colours.size(), runs[0].text.size());
  // A block that starts below the single line leaves it alone.
  auto below = textBlock({hline(100, 1500, 40, u"下")});
  EXPECT_EQ(runsOf(page400({right, below}))[0].text, u"右");
}

TEST(TextRuns, TabsAndParagraphBreaksAreNotDrawnAndRepeatedSpacesGoInGreek) {
  model::LineData l = hline(100, 100, 40, u"a\t\rb  c");
  const auto runs = runsOf(page400({textBlock({l})}));
  EXPECT_EQ(runs[0].text, u"ab  c");
  const auto greek = runsOf(page400({textBlock({l}, model::Horizontal, 161)}));
  EXPECT_EQ(greek[0].text, u"ab c");
}

model::CellData cell(int row, int col, int x, int y, std::vector<model::LineData> lines) {
  model::CellData c;
  c.row = row;
  c.col = col;
  c.x = x;
  c.y = y;
  c.width = 400;
  c.height = 200;
  c.border = {model::BorderSolid, model::BorderDotted, model::BorderDouble, model::BorderNone};
  for (auto& l : lines) {
    c.charCount += static_cast<int>(l.chars.size());
    c.lines.push_back(std::move(l));
  }
  return c;
}

model::BlockData table(std::vector<model::CellData> cells) {
  model::BlockData b;
  b.type = model::BlockTable;
  b.langId = model::kLangJapanese;
  for (auto& c : cells) {
    b.charCount += c.charCount;
    b.cells.push_back(std::move(c));
  }
  return b;
}

std::vector<PdfTable> tablesOf(const model::PageData& page) {
  CPDFdata data(page.width, page.height, page.dpi);
  data.composeTables(page);
  return data.page().tables;
}

TEST(Tables, CellsFillTheGridRowByRowAndRulesFollowTheBorders) {
  auto page = page400(
      {table({cell(1, 1, 100, 100, {hline(120, 120, 40, u"一")}),
              cell(1, 2, 500, 100, {hline(520, 120, 40, u"二")}),
              cell(2, 2, 500, 300, {hline(520, 320, 40, u"三"), hline(520, 420, 40, u"四")})})});
  const auto tables = tablesOf(page);
  ASSERT_EQ(tables.size(), 1u);
  const PdfTable& t = tables[0];
  EXPECT_EQ(t.rows, 2);
  EXPECT_EQ(t.columns, 2);
  ASSERT_EQ(t.cells.size(), 4u);
  EXPECT_EQ(t.cells[0].text, u"一");
  EXPECT_EQ(t.cells[1].text, u"二");
  EXPECT_EQ(t.cells[2].text, u"");  // no cell at row 2, column 1
  EXPECT_EQ(t.cells[3].text, u"三\n四");
  EXPECT_EQ(t.cells[3].lineAdvance, 1800);  // 100 pixels in hundredths of a point
  EXPECT_EQ(t.cells[0].lineAdvance, 0);
  EXPECT_EQ(t.cells[0].x, 22);        // 120 × 72 / 400 rounded
  EXPECT_EQ(t.cells[0].y, 842 - 29);  // bottom 160 → 28.8 points
  EXPECT_EQ(t.cells[0].fontSize, 7);  // 40 × 72 / 400 = 7.2
  // Three lines of two segments across, three lines of two segments down.
  ASSERT_EQ(t.horizontalRules.size(), 6u);
  ASSERT_EQ(t.verticalRules.size(), 6u);
  EXPECT_EQ(t.horizontalRules[0].style, model::BorderDotted);  // top of (1,1)
  EXPECT_EQ(t.horizontalRules[0].x1, 1800);
  EXPECT_EQ(t.horizontalRules[0].y1, 84200 - 1800);
  EXPECT_EQ(t.horizontalRules[0].x2, 9000);
  EXPECT_EQ(t.horizontalRules[2].style, 0);                  // the missing cell draws nothing
  EXPECT_EQ(t.horizontalRules[5].style, model::BorderNone);  // bottom of (2,2)
  EXPECT_EQ(t.verticalRules[0].style, model::BorderSolid);   // left of (1,1)
  EXPECT_EQ(t.verticalRules[5].style, model::BorderDouble);  // right of (2,2)
  EXPECT_EQ(t.verticalRules[5].x1, 16200);
}

TEST(Tables, NumbersFromZeroAndDamagedNumbersAreSafe) {
  auto zero = page400({table({cell(0, 0, 100, 100, {hline(120, 120, 40, u"零")}),
                              cell(0, 1, 500, 100, {hline(520, 120, 40, u"一")})})});
  const auto t = tablesOf(zero);
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0].rows, 1);
  EXPECT_EQ(t[0].columns, 2);
  EXPECT_EQ(t[0].cells[0].text, u"零");

  auto damaged = page400({table({cell(-3, 1, 100, 100, {}), cell(1, 2000000000, 500, 100, {})})});
  EXPECT_TRUE(tablesOf(damaged).empty());
}

std::vector<uint8_t> tiff(std::vector<std::pair<uint32_t, uint32_t>> strips, size_t size = 200) {
  std::vector<uint8_t> b(size, 0);
  auto put = [&](size_t at, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  b[0] = b[1] = 'I';
  put(2, 42, 2);
  put(4, 8, 4);
  put(8, 2, 2);
  const uint32_t count = static_cast<uint32_t>(strips.size());
  put(10, 273, 2);
  put(12, 4, 2);
  put(14, count, 4);
  put(22, 279, 2);
  put(24, 4, 2);
  put(26, count, 4);
  if (count == 1) {
    put(18, strips[0].first, 4);
    put(30, strips[0].second, 4);
  } else {
    put(18, 100, 4);
    put(30, 150, 4);
    for (uint32_t i = 0; i < count; ++i) {
      put(100 + 4 * i, strips[i].first, 4);
      put(150 + 4 * i, strips[i].second, 4);
    }
  }
  return b;
}

TEST(TiffStrip, FindsTheDataOfOneOrOfContiguousStrips) {
  auto one = tiff({{60, 20}});
  auto s = locateTiffStrip(one);
  EXPECT_EQ(s.data(), one.data() + 60);
  EXPECT_EQ(s.size(), 20u);
  auto two = tiff({{40, 10}, {50, 15}});
  EXPECT_EQ(locateTiffStrip(two).size(), 25u);

  EXPECT_TRUE(locateTiffStrip(tiff({{40, 10}, {70, 15}})).empty());  // not one range
  EXPECT_TRUE(locateTiffStrip(tiff({{190, 20}})).empty());           // beyond the bytes
  auto bigEndian = one;
  bigEndian[0] = bigEndian[1] = 'M';
  EXPECT_TRUE(locateTiffStrip(bigEndian).empty());
  EXPECT_TRUE(locateTiffStrip(std::span<const uint8_t>(one.data(), 12)).empty());
  EXPECT_TRUE(locateTiffStrip({}).empty());
}

}  // namespace
