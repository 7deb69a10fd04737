// Page composition of the text: lines with the boxes of their characters, fonts and languages,
// structure roles, tables with their cells, spans and rules; and the TIFF strip locator.
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

const PdfPage& composed(CPDFdata& data, const model::PageData& page, int mode = RenderVisible) {
  data.composeText(page, mode);
  return data.page();
}

TEST(PageText, EveryLineKeepsTheBoxOfEachCharacterInPoints) {
  model::LineData ruby = hline(100, 175, 20, u"るび");
  ruby.attr = model::AttrRuby;
  model::LineData body = hline(100, 200, 40, u"あい");
  body.chars.insert(std::next(body.chars.begin()), vellary::testing::typed(u'\r'));
  body.chars.push_back(vellary::testing::typed(u'う'));
  auto page = page400({textBlock({hline(100, 100, 40, u"一\t二"), ruby, body})});
  CPDFdata data(page.width, page.height, page.dpi);
  const PdfPage& p = composed(data, page);
  ASSERT_EQ(p.blocks.size(), 1u);
  const PdfTextBlock& b = p.blocks[0];
  EXPECT_EQ(b.role, PdfRole::Paragraph);
  EXPECT_EQ(b.renderMode, RenderVisible);
  ASSERT_EQ(b.lines.size(), 3u);  // a ruby line is a line of its own, drawn where it stands
  ASSERT_EQ(b.lines[0].chars.size(), 2u);  // the tab is not drawn
  const PdfChar& first = b.lines[0].chars[0];
  EXPECT_EQ(first.code, U'一');
  EXPECT_TRUE(first.placed);
  EXPECT_DOUBLE_EQ(first.box.left, 18.0);             // 100 × 72 / 400
  EXPECT_DOUBLE_EQ(first.box.top, (4677 - 100) * 0.18);
  EXPECT_DOUBLE_EQ(first.box.bottom, (4677 - 140) * 0.18);
  EXPECT_EQ(b.lines[1].chars[0].code, U'る');
  // The paragraph break is not drawn; the typed character has no place.
  ASSERT_EQ(b.lines[2].chars.size(), 3u);
  EXPECT_FALSE(b.lines[2].chars[2].placed);
  EXPECT_TRUE(b.lines[2].hasBox);

  CPDFdata invisible(page.width, page.height, page.dpi);
  EXPECT_EQ(composed(invisible, page, RenderInvisible).blocks[0].renderMode, RenderInvisible);
}

TEST(PageText, FontFollowsDirectionAndLanguage) {
  EXPECT_EQ(fontTypeFor(model::Horizontal, 0), FontTimes);
  EXPECT_EQ(fontTypeFor(model::Vertical, 0), FontMinchoV);
  EXPECT_EQ(fontTypeFor(model::Horizontal, 128), FontMincho);
  EXPECT_EQ(fontTypeFor(model::Horizontal, 134), FontSimSun);
  EXPECT_EQ(fontTypeFor(model::Vertical, 136), FontMingLiUV);
  EXPECT_EQ(fontTypeFor(model::Vertical, 129), FontGulimV);
  EXPECT_EQ(fontTypeFor(model::Horizontal, 161), FontMincho);
  EXPECT_EQ(languageOf(0), "en");
  EXPECT_EQ(languageOf(134), "zh-CN");
  EXPECT_EQ(languageOf(128), "");

  auto page = page400({textBlock({vline(2000, 500, 60, u"縦書き")}, model::Vertical),
                       textBlock({hline(100, 100, 40, u"Ab")}, model::Horizontal, 0)});
  CPDFdata data(page.width, page.height, page.dpi);
  const PdfPage& p = composed(data, page);
  ASSERT_EQ(p.blocks.size(), 2u);
  EXPECT_EQ(p.blocks[0].lines[0].fontType, FontMinchoV);
  EXPECT_EQ(p.blocks[1].lines[0].fontType, FontTimes);
  EXPECT_EQ(p.blocks[1].lang, "en");
  EXPECT_EQ(p.blocks[1].order, 1);
}

TEST(PageText, TitlesAreHeadingsAndRunningHeadsAndFoliosArtifacts) {
  auto title = textBlock({hline(100, 100, 80, u"題")});
  title.sec = model::SecTitle;
  auto folio = textBlock({hline(100, 4000, 40, u"1")});
  folio.sec = model::SecLowerPageNum;
  auto head = textBlock({hline(100, 50, 40, u"柱")});
  head.sec = model::SecHeader;
  auto author = textBlock({hline(100, 300, 40, u"著者")});
  author.sec = model::SecAuthor;
  auto page = page400({title, folio, head, author});
  CPDFdata data(page.width, page.height, page.dpi);
  const PdfPage& p = composed(data, page);
  ASSERT_EQ(p.blocks.size(), 4u);
  EXPECT_EQ(p.blocks[0].role, PdfRole::Heading);
  EXPECT_EQ(p.blocks[1].role, PdfRole::Artifact);
  EXPECT_EQ(p.blocks[2].role, PdfRole::Artifact);
  EXPECT_EQ(p.blocks[3].role, PdfRole::Paragraph);
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

std::vector<PdfTable> tablesOf(const model::PageData& page, int mode = RenderVisible) {
  CPDFdata data(page.width, page.height, page.dpi);
  data.composeText(page, mode);
  return data.page().tables;
}

TEST(Tables, CellsComeRowByRowAndRulesFollowTheBorders) {
  auto page = page400(
      {table({cell(1, 1, 100, 100, {hline(120, 120, 40, u"一")}),
              cell(1, 2, 500, 100, {hline(520, 120, 40, u"二")}),
              cell(2, 2, 500, 300, {hline(520, 320, 40, u"三"), hline(520, 420, 40, u"四")})})});
  const auto tables = tablesOf(page);
  ASSERT_EQ(tables.size(), 1u);
  const PdfTable& t = tables[0];
  EXPECT_EQ(t.rows, 2);
  EXPECT_EQ(t.columns, 2);
  ASSERT_EQ(t.cells.size(), 3u);  // no cell at row 2, column 1
  EXPECT_EQ(t.cells[0].lines[0].chars[0].code, U'一');
  EXPECT_EQ(t.cells[2].row, 1);
  EXPECT_EQ(t.cells[2].column, 1);
  ASSERT_EQ(t.cells[2].lines.size(), 2u);
  EXPECT_EQ(t.cells[2].lines[1].chars[0].code, U'四');
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
  // Under a page picture the rules are in the picture already.
  const auto invisible = tablesOf(page, RenderInvisible);
  EXPECT_TRUE(invisible[0].horizontalRules.empty());
  EXPECT_EQ(invisible[0].renderMode, RenderInvisible);
}

TEST(Tables, JoinedCellsSpanTheirGroup) {
  auto head = cell(1, 1, 100, 100, {hline(120, 120, 40, u"魚")});
  head.connectGroup = 1;
  auto below = cell(2, 1, 100, 300, {});
  below.connectGroup = 1;
  auto page = page400({table({head, cell(1, 2, 500, 100, {}), below, cell(2, 2, 500, 300, {})})});
  const auto t = tablesOf(page);
  ASSERT_EQ(t[0].cells.size(), 3u);
  EXPECT_EQ(t[0].cells[0].rowSpan, 2);
  EXPECT_EQ(t[0].cells[0].columnSpan, 1);
  EXPECT_EQ(t[0].cells[2].row, 1);
  EXPECT_EQ(t[0].cells[2].column, 1);
}

TEST(Tables, NumbersFromZeroAndDamagedNumbersAreSafe) {
  auto zero = page400({table({cell(0, 0, 100, 100, {hline(120, 120, 40, u"零")}),
                              cell(0, 1, 500, 100, {hline(520, 120, 40, u"一")})})});
  const auto t = tablesOf(zero);
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0].rows, 1);
  EXPECT_EQ(t[0].columns, 2);
  EXPECT_EQ(t[0].cells[0].lines[0].chars[0].code, U'零');

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
