// The text view's geometry: sizes, pitches, font sizes, glyph places, line images, the redraw box
// and the one-line image window.
#include "editing/layout.h"

#include <gtest/gtest.h>

#include "layout_pages.h"
#include "model/paper.h"

namespace vellary::editing {
namespace {

using appcore::ImagePane;
using appcore::TextDisplay;

using testing::makeBlock;
using testing::makeLine;
using testing::makePage;

TEST(BaseSizes, SixteenPointsAndTheirMultiplesAtScreenResolutions) {
  const BaseSizes s = baseSizes(96);
  EXPECT_EQ(s.F, 21);
  EXPECT_EQ(s.A, 31);
  EXPECT_EQ(s.B, 46);
  EXPECT_EQ(s.P, 77);
  EXPECT_EQ(s.C, 42);
  EXPECT_EQ(s.glyph, 25);
  const BaseSizes h = baseSizes(144);
  EXPECT_EQ(h.F, 32);
  EXPECT_EQ(h.A, 48);
  EXPECT_EQ(h.B, 72);
  EXPECT_EQ(h.P, 120);
  // MulDiv rounds halves away from zero.
  EXPECT_EQ(mulDiv(3, 1, 2), 2);
  EXPECT_EQ(mulDiv(-3, 1, 2), -2);
  EXPECT_EQ(mulDiv(1, 1, 0), -1);
}

TEST(LinePitch, TextBlocksCountOnlyNormalLines) {
  auto one = makeBlock(0, 0, 200, 30, false);
  one.lines.push_back(makeLine(0, 5, 100, 20, u"あいう", false));
  one.lines.push_back(makeLine(0, 0, 50, 5, u"るび", false, model::AttrRuby));
  EXPECT_EQ(blockLinePitch(one), 18);

  auto three = makeBlock(0, 0, 200, 100, false);
  for (int i = 0; i < 3; ++i) three.lines.push_back(makeLine(0, i * 30, 100, 20, u"あ", false));
  EXPECT_EQ(blockLinePitch(three), 37);

  // Vertical blocks measure widths across their columns.
  auto vertical = makeBlock(0, 0, 100, 400, true);
  for (int i = 0; i < 3; ++i)
    vertical.lines.push_back(makeLine(70 - i * 30, 0, 20, 300, u"あ", true));
  EXPECT_EQ(blockLinePitch(vertical), 37);

  auto empty = makeBlock(0, 0, 100, 55, false);
  EXPECT_EQ(blockLinePitch(empty), 55);
}

TEST(LinePitch, TableCellsFromTheirExtentOrFromTheSpanTheLinesTake) {
  model::CellData cell;
  cell.height = 100;
  cell.width = 300;
  for (int y : {10, 40, 70}) cell.lines.push_back(makeLine(0, y, 200, 20, u"あ", false));
  EXPECT_EQ(cellLinePitch(cell, false), (100 + 40 / 2) / 3);
  EXPECT_EQ(cellLinePitch(cell, false, true), 80 / 3);

  model::CellData single;
  single.height = 45;
  single.lines.push_back(makeLine(0, 0, 20, 20, u"あ", false));
  EXPECT_EQ(cellLinePitch(single, false), 36);
  EXPECT_EQ(cellLinePitch(single, false, true), 16);
}

TEST(CharPitch, CarriageReturnTateChuYokoAndShortLines) {
  auto withReturn = makeLine(0, 0, 100, 20, u"あいうえ\r", false);
  EXPECT_EQ(charPitch(withReturn, false), 26);
  auto plain = makeLine(0, 0, 100, 20, u"あいうえお", false);
  EXPECT_EQ(charPitch(plain, false), 20);
  auto two = makeLine(0, 0, 100, 20, u"あい", false);
  EXPECT_EQ(charPitch(two, false), 52);
  auto verticalTwo = makeLine(0, 0, 20, 100, u"あい", true);
  EXPECT_EQ(charPitch(verticalTwo, true), 54);
  EXPECT_EQ(charPitch(makeLine(0, 0, 20, 100, u"", true), true), 0);

  // Three digits marked as one tate-chu-yoko group make one cell: four cells in all.
  auto tcy = makeLine(0, 0, 20, 200, u"第123頁", true);
  int i = 0;
  for (auto& ch : tcy.chars) {
    if (i >= 1 && i <= 3) ch.modRotTcy = model::kTateChuYoko;
    ++i;
  }
  const auto cells = lineCells(tcy);
  ASSERT_EQ(cells.size(), 3u);
  EXPECT_EQ(cells[1].index, 1);
  EXPECT_EQ(cells[1].count, 3);
  EXPECT_EQ(charPitch(tcy, true), (200 + 4) / 3);
  EXPECT_EQ(cellsBefore(tcy, 4), 2);
  EXPECT_EQ(cellsBefore(tcy, 2), 2);
}

TEST(FontSize, VerticalHorizontalEmphasisImageModeAndMinimum) {
  auto v = makeBlock(0, 0, 100, 400, true);
  auto wide = makeLine(0, 0, 30, 300, u"あ", true);
  EXPECT_EQ(lineFontSize(v, wide, 1.0, ImagePane::TextOnly), 21);
  EXPECT_EQ(lineFontSize(v, wide, 0.5, ImagePane::TextOnly), 10);
  EXPECT_EQ(lineFontSize(v, wide, 1.0, ImagePane::ImageBeside), 18);
  auto thin = makeLine(0, 0, 15, 300, u"あ", true);
  EXPECT_EQ(lineFontSize(v, thin, 1.0, ImagePane::TextOnly), 15);
  auto emph = makeLine(0, 0, 8, 300, u"、", true, model::AttrEmph);
  emph.baseLine = &wide;
  EXPECT_EQ(lineFontSize(v, emph, 1.0, ImagePane::TextOnly), 24);

  auto h = makeBlock(0, 0, 400, 100, false);
  h.avgLineSize = 40;
  auto line = makeLine(0, 0, 300, 30, u"あ", false);
  EXPECT_EQ(lineFontSize(h, line, 1.0, ImagePane::TextOnly), 38);
  h.langId = 0;
  EXPECT_EQ(lineFontSize(h, line, 1.0, ImagePane::TextOnly), 32);
  EXPECT_EQ(lineFontSize(h, line, 1.0, ImagePane::ImageBeside), 22);
  h.avgLineSize = 0;
  EXPECT_EQ(lineFontSize(h, line, 1.0, ImagePane::TextOnly), 27);
  auto tiny = makeLine(0, 0, 10, 5, u"a", false);
  EXPECT_EQ(lineFontSize(h, tiny, 0.1, ImagePane::TextOnly), 2);
}

TEST(CanvasSize, LayoutAndTextFlow) {
  auto page = makePage(3307, 4677);
  EXPECT_EQ(layoutCanvasSize(page, 0.1), (Size{330, 467}));
  EXPECT_EQ(layoutCanvasSize(page, 1.0), (Size{3307, 4677}));

  const BaseSizes s = baseSizes(96);
  EXPECT_EQ(textWindowSize(nullptr, false, s), (Size{0, 0}));
  EXPECT_EQ(textWindowSize(&page, false, s), (Size{20, 20}));
  EXPECT_EQ(textFlowCanvasSize({20, 20}, {600, 400}), (Size{600, 400}));

  auto block = makeBlock(0, 0, 1000, 200, false);
  block.lines.push_back(makeLine(0, 0, 300, 30, u"あいう", false));
  block.lines.push_back(makeLine(0, 40, 500, 30, u"あいうえお", false));
  page.blocks.push_back(std::move(block));
  // Tables and images are not written in the text flow.
  auto table = makeBlock(0, 300, 500, 200, false, model::BlockTable);
  table.cells.emplace_back().lines.push_back(makeLine(0, 300, 500, 30, u"表表表表表表表", false));
  page.blocks.push_back(std::move(table));
  EXPECT_EQ(textWindowSize(&page, false, s), (Size{5 * 42 + 20, 2 * 77 + 20}));
  EXPECT_EQ(textWindowSize(&page, true, s), (Size{2 * 77 + 20, 5 * 42 + 20}));
  EXPECT_EQ(textFlowCanvasSize({230, 174}, {100, 400}), (Size{230, 400}));
}

// A vertical block with two base columns and a ruby over the first column's second and third
// characters.
model::PageData rubyPage() {
  auto page = makePage(1000, 1000);
  auto block = makeBlock(500, 100, 200, 400, true);
  block.lines.push_back(makeLine(640, 100, 20, 300, u"しんぶん", true, model::AttrRuby));
  block.lines.push_back(makeLine(600, 100, 40, 400, u"新聞記事", true));
  block.lines.push_back(makeLine(540, 100, 40, 400, u"を読む", true));
  auto& ruby = block.lines.front();
  ruby.baseLine = &*std::next(block.lines.begin());
  ruby.rcs = 2;
  ruby.rce = 3;
  page.blocks.push_back(std::move(block));
  return page;
}

TEST(LayoutDisplay, VerticalColumnsFromTheRightEdgeAtTheBlockPitch) {
  auto page = rubyPage();
  const PageLayout layout = layoutPage(page, {.zoom = 0.5, .display = TextDisplay::Layout});
  ASSERT_EQ(layout.lines.size(), 3u);
  EXPECT_EQ(layout.canvas, (Size{500, 500}));
  const model::BlockData& block = page.blocks.front();
  const int P = blockLinePitch(block);  // ((200 − 80) / 2 + 200) / 2 = 130
  EXPECT_EQ(P, 130);
  const LinePlace& first = layout.lines[1];
  const LinePlace& second = layout.lines[2];
  EXPECT_EQ(first.originX, 350);  // (500 + 200) × 0.5
  EXPECT_EQ(second.originX, static_cast<int>((700 - P) * 0.5));
  // Characters step down by the line's own pitch, (400 + 8) / 4 = 102 page pixels.
  ASSERT_EQ(first.glyphs.size(), 4u);
  EXPECT_EQ(first.glyphs[0].y, 50);
  EXPECT_EQ(first.glyphs[1].y, 101);
  EXPECT_EQ(first.fontPx, 14);  // 40 × 0.7 × 0.5
  EXPECT_EQ(first.glyphs[0].box, (CanvasRect{336, 50, 350, 101}));

  // The ruby sits right of the column it belongs to, starting at its first base character.
  const LinePlace& ruby = layout.lines[0];
  EXPECT_EQ(ruby.originX, (700 + 20 + 2) / 2);
  EXPECT_EQ(ruby.glyphs[0].y, (100 + 1 * 102) / 2);
  EXPECT_EQ(ruby.baseFrame, first.glyphs[1].box.united(first.glyphs[2].box));
  EXPECT_FALSE(ruby.rubyFrame.empty());
  // The redraw box of the base column covers its glyphs but not the next column.
  EXPECT_TRUE(first.box.left <= first.glyphs[0].box.left);
  EXPECT_GE(first.box.bottom, first.glyphs[3].box.bottom);
  EXPECT_GE(first.box.left, second.glyphs[0].box.right);
}

// The same ruby listed after its base, or after both columns, stands where it stood before its
// base; a ruby whose box lies left of its column goes left of it.
TEST(LayoutDisplay, SideLinesStandBesideTheirBaseWhereverTheListHoldsThem) {
  const model::PageData before = rubyPage();
  const PageLayout reference = layoutPage(before, {.zoom = 0.5});
  const LinePlace& refRuby = reference.lines[0];
  for (int position : {1, 2}) {
    model::PageData page = model::copyPage(before);
    auto& lines = page.blocks.front().lines;
    lines.splice(std::next(lines.begin(), position + 1), lines, lines.begin());
    const PageLayout layout = layoutPage(page, {.zoom = 0.5});
    const LinePlace* ruby = nullptr;
    for (const LinePlace& lp : layout.lines)
      if (lp.line->attr == model::AttrRuby) ruby = &lp;
    ASSERT_NE(ruby, nullptr);
    EXPECT_EQ(ruby->originX, refRuby.originX) << "listed at " << position;
    EXPECT_EQ(ruby->glyphs[0].box, refRuby.glyphs[0].box);
    EXPECT_EQ(ruby->baseFrame, refRuby.baseFrame);
  }

  // Left of its column: its glyphs end left of the column's glyphs.
  model::PageData left = model::copyPage(before);
  left.blocks.front().lines.front().x = 580;
  const PageLayout l = layoutPage(left, {.zoom = 0.5});
  EXPECT_LE(l.lines[0].glyphs[0].box.right, l.lines[1].glyphs[1].box.left);
  EXPECT_GT(l.lines[0].glyphs[0].box.left, l.lines[2].glyphs[0].box.right);
}

TEST(LayoutDisplay, HorizontalSideLinesAboveOrUnderTheirBase) {
  auto page = makePage(1000, 1000);
  auto block = makeBlock(100, 100, 600, 200, false);
  block.lines.push_back(makeLine(100, 110, 200, 30, u"新聞記事", false));
  block.lines.push_back(makeLine(150, 95, 100, 12, u"しんぶん", false, model::AttrRuby));
  block.lines.push_back(makeLine(100, 180, 200, 30, u"を読む", false));
  block.lines.push_back(makeLine(100, 211, 60, 12, u"よ", false, model::AttrRuby));
  auto first = block.lines.begin();
  auto ruby = std::next(first);
  ruby->baseLine = &*first;
  ruby->rcs = 2;
  ruby->rce = 3;
  auto second = std::next(first, 2);
  auto under = std::next(first, 3);
  under->baseLine = &*second;
  under->rcs = under->rce = 2;
  page.blocks.push_back(std::move(block));
  const PageLayout layout = layoutPage(page, {.zoom = 1.0});
  ASSERT_EQ(layout.lines.size(), 4u);
  const LinePlace& base1 = *layout.find(&*first);
  const LinePlace& base2 = *layout.find(&*second);
  EXPECT_LE(layout.find(&*ruby)->glyphs[0].box.bottom, base1.glyphs[0].box.top);
  EXPECT_GE(layout.find(&*under)->glyphs[0].box.top, base2.glyphs[0].box.bottom);
  EXPECT_LT(layout.find(&*under)->glyphs[0].box.top, base2.glyphs[0].box.bottom + 20);
}

TEST(LayoutDisplay, HorizontalLinesStepDownAndCharactersAlong) {
  auto page = makePage(1000, 1000);
  auto block = makeBlock(100, 100, 600, 100, false);
  block.avgLineSize = 20;
  block.lines.push_back(makeLine(100, 100, 100, 20, u"あいうえ\r", false));
  block.lines.push_back(makeLine(100, 140, 100, 20, u"かきくけこ", false));
  page.blocks.push_back(std::move(block));
  const PageLayout layout = layoutPage(page, {.zoom = 1.0});
  ASSERT_EQ(layout.lines.size(), 2u);
  const LinePlace& a = layout.lines[0];
  const LinePlace& b = layout.lines[1];
  EXPECT_EQ(a.originY, 100);
  EXPECT_EQ(b.originY, 100 + 65);  // ((100 − 40) / 2 + 100) / 2
  EXPECT_EQ(a.glyphs[1].x, 126);
  EXPECT_EQ(b.glyphs[1].x, 120);
  EXPECT_EQ(a.fontPx, 19);
  // A line ending with a carriage return reaches one more glyph height beyond its end.
  EXPECT_EQ(a.box.right, 100 + 100 + 2 * 20);
  EXPECT_EQ(b.box.right, 100 + 100 + 20);
  // Hit-testing finds the glyph under a point, or the line beyond its last glyph.
  const auto hit = layout.hit(130, 105);
  ASSERT_NE(hit.line, nullptr);
  EXPECT_EQ(hit.line, &a);
  EXPECT_EQ(hit.glyph, 1);
  EXPECT_EQ(charBox(b, 5), b.glyphs[4].box.adjusted(20, 0, 20, 0));
}

TEST(LayoutDisplay, TateChuYokoGroupIsOneGlyphAndImageBlocksAreFramed) {
  auto page = makePage(1000, 1000);
  auto block = makeBlock(100, 100, 60, 400, true);
  block.lines.push_back(makeLine(110, 100, 40, 300, u"第12頁", true));
  int i = 0;
  for (auto& ch : block.lines.front().chars)
    ch.modRotTcy = (i == 1 || i == 2) ? model::kTateChuYoko : 0, ++i;
  page.blocks.push_back(std::move(block));
  page.blocks.push_back(makeBlock(300, 300, 200, 100, false, model::BlockImage));
  const PageLayout layout = layoutPage(page, {.zoom = 1.0});
  ASSERT_EQ(layout.lines.size(), 1u);
  const auto& g = layout.lines[0].glyphs;
  ASSERT_EQ(g.size(), 3u);
  EXPECT_EQ(g[1].count, 2);
  EXPECT_EQ(g[2].y - g[1].y, g[1].y - g[0].y);
  EXPECT_EQ(charBox(layout.lines[0], 2), g[1].box);
  ASSERT_EQ(layout.images.size(), 1u);
  EXPECT_EQ(layout.images[0].dest, (CanvasRect{300, 300, 500, 400}));
}

TEST(LayoutDisplay, LineImagesBesideTheText) {
  auto page = makePage(1000, 1000);
  auto block = makeBlock(100, 100, 600, 100, false);
  block.lines.push_back(makeLine(100, 100, 300, 20, u"あいう", false));
  block.lines.push_back(makeLine(100, 140, 300, 20, u"かきく", false));
  page.blocks.push_back(std::move(block));
  const PageLayout layout = layoutPage(page, {.zoom = 0.5, .pane = ImagePane::ImageBeside});
  ASSERT_EQ(layout.textBlockFills.size(), 1u);
  const LinePlace& a = layout.lines[0];
  ASSERT_TRUE(a.hasImage);
  EXPECT_EQ(a.imageSource, (CanvasRect{100, 100, 420, 120}));
  // The lower half of the pitch band: P = 65, from (P / 2 + Y) × Z + 2, P × 0.5 × Z − 2 high.
  EXPECT_EQ(a.imageDest, (CanvasRect{50, 68, 50 + 160, 68 + 14}));
  // The text's redraw box stays off the image.
  EXPECT_LE(a.box.bottom, a.imageDest.top);
  const auto caret =
      charBoxInLineImage(a, *std::next(page.blocks.front().lines.front().chars.begin()));
  ASSERT_TRUE(caret.has_value());
  EXPECT_EQ(caret->left, 50 + 100 * 160 / 320);
}

TEST(TextFlow, VerticalColumnsFromTheTextWindowNotTheClient) {
  auto page = makePage(1000, 1000);
  auto block = makeBlock(0, 0, 500, 500, true);
  block.lines.push_back(makeLine(400, 0, 40, 300, u"あいう", true));
  block.lines.push_back(makeLine(340, 0, 40, 300, u"えお\r", true));
  page.blocks.push_back(std::move(block));
  const PageLayout layout = layoutPage(page, {.display = TextDisplay::FlowVertical});
  EXPECT_EQ(layout.textWindow, (Size{2 * 77 + 20, 3 * 42 + 20}));
  const LinePlace& a = layout.lines[0];
  const LinePlace& b = layout.lines[1];
  const int right = layout.textWindow.width - 10;
  EXPECT_EQ(a.rowBackground.right, right);
  EXPECT_EQ(b.rowBackground.right, right - 77);
  EXPECT_EQ(a.glyphs[2].y, 10 + 2 * 42);
  // The image band lies left of the text column; a trailing carriage return has no image.
  EXPECT_EQ(a.imageDest.left, right - 31 - 46 + 9);
  EXPECT_EQ(a.imageDest.bottom, 10 + 3 * 42);
  EXPECT_EQ(b.imageDest.bottom, 10 + 2 * 42);

  const PageLayout h = layoutPage(page, {.display = TextDisplay::FlowHorizontal});
  EXPECT_EQ(h.lines[1].rowBackground.top, 10 + 77 - 10);
  EXPECT_EQ(h.lines[0].glyphs[1].x, 10 - 3 + 42);
}

TEST(OneLineWindow, PlacedBesideTheCaretLineAndHiddenOutsideTheView) {
  auto block = makeBlock(0, 0, 800, 400, false);
  block.lines.push_back(makeLine(100, 100, 500, 40, u"あいう", false));
  block.lines.push_back(makeLine(100, 100, 500, 40, u"えお", false));
  auto& split = block.lines.back();
  split.chars.front().x = 300;
  split.chars.front().y = 150;
  EXPECT_EQ(oneLineImageRect(block.lines, block.lines.front()), (CanvasRect{99, 99, 601, 141}));
  EXPECT_EQ(oneLineImageRect(block.lines, split), (CanvasRect{299, 149, 601, 141}));

  OneLineWindowParams p;
  p.rect = {99, 99, 601, 141};
  p.zoom = 0.5;
  p.offset = 10;
  p.client = {400, 300};
  p.frameWidth = 2;
  p.frameHeight = 3;
  auto below = oneLineWindowRect(p);
  ASSERT_TRUE(below.has_value());
  // Left at the line (49) minus the frame; top moved down by (O + height) × Z = 26; the width
  // O + width × Z + frame.
  EXPECT_EQ(*below, (CanvasRect{47, 49 + 26, 47 + 263, 49 + 26 + 21 + 6}));
  p.client = {200, 300};
  EXPECT_EQ(oneLineWindowRect(p)->right, 200);
  p.client = {400, 300};
  p.position = 1;
  EXPECT_EQ(oneLineWindowRect(p)->top, 49 - 26 - 6);
  p.table = true;
  EXPECT_EQ(oneLineWindowRect(p)->top, 49 - 36 - 6);

  OneLineWindowParams v = p;
  v.rect = {399, 99, 441, 601};
  v.vertical = true;
  v.table = false;
  v.position = 0;
  auto left = oneLineWindowRect(v);
  ASSERT_TRUE(left.has_value());
  EXPECT_EQ(left->left, 199 - (26 + 2) - 2);
  EXPECT_EQ(left->height(), std::min(10 + 251, 300 - 49) + 6);
  v.table = true;
  EXPECT_EQ(oneLineWindowRect(v)->left, 199 - (31 + 2) - 2);
  v.scrollY = 2000;  // the line is far above the visible part
  v.scrollX = 5000;
  EXPECT_FALSE(oneLineWindowRect(v).has_value());

  EXPECT_EQ(oneLineImageOffset(0), 0);
  EXPECT_EQ(oneLineImageOffset(1), 5);
  EXPECT_EQ(oneLineImageOffset(2), 10);
  EXPECT_EQ(oneLineImageOffset(5), 30);
  EXPECT_EQ(oneLineImageOffset(7), 10);
}

// Characters typed into a line already full draw smaller instead of over each other; narrow
// characters may stand closer than full-width ones.
TEST(LayoutDisplay, MoreCharactersThanTheBoxHeldNeverOverlap) {
  for (const bool vertical : {true, false}) {
    auto page = makePage(1000, 1000);
    auto block =
        vertical ? makeBlock(400, 100, 100, 500, true) : makeBlock(100, 400, 500, 100, false);
    block.lines.push_back(vertical ? makeLine(420, 100, 60, 300, u"一二三四五", true)
                                   : makeLine(100, 420, 300, 60, u"一二三四五", false));
    model::computeBlockAverages(block);
    page.blocks.push_back(std::move(block));
    const int before = layoutPage(page, {.zoom = 1.0}).lines[0].fontPx;
    auto& line = page.blocks.front().lines.front();
    for (char16_t c : std::u16string_view(u"六七八九十")) {
      model::CharData typed;
      typed.text = model::makeCharText(c);
      typed.x = typed.y = -1;
      line.chars.push_back(typed);
      ++line.charCount;
    }
    const PageLayout layout = layoutPage(page, {.zoom = 1.0});
    const LinePlace& lp = layout.lines[0];
    ASSERT_EQ(lp.glyphs.size(), 10u);
    EXPECT_LT(lp.fontPx, before) << "vertical " << vertical;
    // Each glyph ends before the next begins.
    for (size_t i = 1; i < lp.glyphs.size(); ++i) {
      const CanvasRect& a = lp.glyphs[i - 1].box;
      const CanvasRect& b = lp.glyphs[i].box;
      if (vertical)
        EXPECT_LE(a.top + lp.fontPx, b.top) << i;
      else
        EXPECT_LE(a.left + lp.fontPx, b.left) << i;
    }
  }
  // Latin letters are half as wide as they are tall: a full line of them keeps its size.
  model::LineData latin = makeLine(100, 420, 300, 60, u"abcdefghij", false);
  EXPECT_EQ(fittingFontSize(latin, 40, 30), 40);
  EXPECT_EQ(fittingFontSize(latin, 40, 15), 30);
  model::LineData kana = makeLine(100, 420, 300, 60, u"abcあ", false);
  EXPECT_EQ(fittingFontSize(kana, 40, 30), 30);
}

}  // namespace
}  // namespace vellary::editing
