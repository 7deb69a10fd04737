// The hit-test boxes made from a page's layout: a click on a drawn glyph finds that glyph in
// horizontal and vertical blocks, in table cells and in the text-flow display, at several zooms.
#include <gtest/gtest.h>

#include "editing/hit_test.h"
#include "layout_pages.h"
#include "model/paper.h"

namespace vellary::editing {
namespace {

using vellary::testing::makeBlock;
using vellary::testing::makeLine;
using vellary::testing::makePage;

model::PageData mixedPage() {
  auto page = makePage(1400, 1200);
  auto v = makeBlock(900, 50, 300, 600, true);
  v.lines.push_back(makeLine(1130, 60, 50, 560, u"吾輩は猫である。名前はまだ無い。", true));
  v.lines.push_back(makeLine(1040, 60, 50, 480, u"どこで生れたかとんと", true));
  v.lines.push_back(makeLine(950, 60, 50, 320, u"見当がつかぬ", true));
  model::computeBlockAverages(v);
  page.blocks.push_back(std::move(v));
  auto h = makeBlock(50, 700, 700, 180, false);
  h.lines.push_back(makeLine(60, 710, 600, 40, u"何でも薄暗いじめじめした所で", false));
  h.lines.push_back(makeLine(60, 770, 400, 40, u"ニャーニャー泣いていた", false));
  model::computeBlockAverages(h);
  page.blocks.push_back(std::move(h));
  // A table of two cells side by side with two lines each, and the second row's cells joined.
  auto t = makeBlock(50, 900, 800, 260, false, model::BlockTable);
  for (int col = 0; col < 2; ++col) {
    model::CellData& c = t.cells.emplace_back();
    c.x = 50 + col * 400;
    c.y = 900;
    c.width = 400;
    c.height = 120;
    c.lines.push_back(makeLine(c.x + 10, 910, 300, 40, col == 0 ? u"品名" : u"数量", false));
    c.lines.push_back(makeLine(c.x + 10, 970, 300, 40, col == 0 ? u"りんご" : u"三個", false));
  }
  for (int col = 0; col < 2; ++col) {
    model::CellData& c = t.cells.emplace_back();
    c.x = 50 + col * 400;
    c.y = 1020;
    c.width = 400;
    c.height = 120;
    c.connectGroup = 1;
    if (col == 0) c.lines.push_back(makeLine(60, 1040, 600, 40, u"合計", false));
  }
  page.blocks.push_back(std::move(t));
  return page;
}

// Every glyph of every normal line: a click a quarter into the cell lands before it, three
// quarters into it after it, and the caret's bar stands at the cell's leading edge.
void expectGlyphsHit(model::PageData& page, const PageLayout& layout) {
  const PageBoxes boxes = boxesFromLayout(page, layout);
  ASSERT_EQ(boxes.blocks.size(), page.blocks.size());
  int checked = 0;
  for (const LinePlace& lp : layout.lines) {
    if (!isNormalLine(*lp.line)) continue;
    const LineBoxes* lb = findLineBoxes(boxes, lp.line);
    ASSERT_NE(lb, nullptr);
    for (const GlyphPlace& g : lp.glyphs) {
      const CanvasRect& b = g.box;
      const int midAcross = lp.vertical ? (b.left + b.right) / 2 : (b.top + b.bottom) / 2;
      const int early = lp.vertical ? b.top + b.height() / 4 : b.left + b.width() / 4;
      const int late = lp.vertical ? b.bottom - b.height() / 4 : b.right - b.width() / 4;
      auto at = [&](int along) {
        return lp.vertical ? hitTest(boxes, midAcross, along, HitRule::Place)
                           : hitTest(boxes, along, midAcross, HitRule::Place);
      };
      auto before = at(early);
      ASSERT_TRUE(before) << "glyph " << g.index;
      EXPECT_EQ(before->line, lp.line);
      EXPECT_EQ(before->block, lp.block);
      EXPECT_EQ(before->cell, lp.cell);
      EXPECT_EQ(before->index, g.index);
      auto after = at(late);
      ASSERT_TRUE(after);
      EXPECT_EQ(after->line, lp.line);
      const bool last = &g == &lp.glyphs.back();
      // Beyond the midpoint of the last cell a click still lands before the last character.
      EXPECT_EQ(after->index, last ? g.index : g.index + g.count);
      const Box bar = caretBar(*lb, g.index, lp.vertical);
      if (lp.vertical) {
        EXPECT_EQ(bar.y + 2, b.top);
        EXPECT_EQ(bar.x, b.left);
      } else {
        EXPECT_EQ(bar.x + 2, b.left);
        EXPECT_EQ(bar.y, b.top);
      }
      ++checked;
    }
  }
  EXPECT_GT(checked, 40);
}

TEST(HitBoxes, ClicksOnDrawnGlyphsHitThemInEveryKindOfBlock) {
  auto page = mixedPage();
  for (double zoom : {1.0, 0.5, 0.3}) {
    SCOPED_TRACE(zoom);
    LayoutParams params;
    params.zoom = zoom;
    expectGlyphsHit(page, layoutPage(page, params));
  }
}

TEST(HitBoxes, TextFlowRowsAndColumns) {
  auto page = mixedPage();
  for (appcore::TextDisplay mode :
       {appcore::TextDisplay::FlowHorizontal, appcore::TextDisplay::FlowVertical}) {
    SCOPED_TRACE(appcore::code(mode));
    LayoutParams params;
    params.display = mode;
    const PageLayout layout = layoutPage(page, params);
    expectGlyphsHit(page, layout);
    // Tables are not shown in the text flow, so they take no click there.
    const PageBoxes boxes = boxesFromLayout(page, layout);
    EXPECT_TRUE(boxes.blocks[2].lines.empty());
  }
}

TEST(HitBoxes, BandsFollowTheBlockPitchAndJoinedCellsAnswerForTheirGroup) {
  auto page = mixedPage();
  LayoutParams params;
  params.zoom = 0.5;
  const PageLayout layout = layoutPage(page, params);
  const PageBoxes boxes = boxesFromLayout(page, layout);
  // The vertical block's columns step left from its right edge by one pitch each.
  const model::BlockData& v = page.blocks.front();
  const int P = blockLinePitch(v);
  const BlockBoxes& vb = boxes.blocks[0];
  ASSERT_EQ(vb.lines.size(), 3u);
  EXPECT_EQ(vb.box.x, 450);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(vb.lines[k].band.x, static_cast<int>((v.x + v.width - (k + 1) * P) * 0.5));
    EXPECT_EQ(vb.lines[k].band.height, 300);
  }
  // Below the text of a short column, inside its band: before its last character.
  const auto& third = vb.lines[2];
  auto low = hitTest(boxes, third.band.x + third.band.width / 2, 600 / 2 + 20, HitRule::Place);
  ASSERT_TRUE(low);
  EXPECT_EQ(low->line, third.line);
  EXPECT_EQ(low->index, 5);
  // Inside the joined second row of the table but below every band: the group's only line.
  const BlockBoxes& tb = boxes.blocks[2];
  auto joined = hitTest(boxes, 700 / 2, 1130 / 2, HitRule::Place);
  ASSERT_TRUE(joined);
  EXPECT_EQ(joined->line, tb.lines.back().line);
  EXPECT_EQ(joined->blockIndex, 2);
  // A drag that leaves the block for another block does not find a line.
  EXPECT_FALSE(hitTest(boxes, 700 / 2, 1130 / 2, HitRule::Extend, &page.blocks.front()));
}

}  // namespace
}  // namespace vellary::editing
