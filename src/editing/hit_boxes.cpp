// The hit-test boxes of a laid-out page: bands, cells and block boxes in canvas pixels.
#include <algorithm>
#include <unordered_map>

#include "hit_test.h"

namespace vellary::editing {

namespace {

using model::BlockData;
using model::CellData;
using model::LineData;

int tr(double v) { return static_cast<int>(v); }

Box toBox(const CanvasRect& r) { return {r.left, r.top, r.width(), r.height()}; }

// A rectangle of page pixels on the canvas, truncated as the layout truncates.
Box scaled(int32_t x, int32_t y, int32_t w, int32_t h, double z) {
  const int left = tr(x * z), top = tr(y * z);
  return {left, top, tr((x + w) * z) - left, tr((y + h) * z) - top};
}

Box intersected(const Box& a, const Box& b) {
  const int32_t l = std::max(a.x, b.x), t = std::max(a.y, b.y);
  const int32_t r = std::min(a.x + a.width, b.x + b.width);
  const int32_t bt = std::min(a.y + a.height, b.y + b.height);
  return r > l && bt > t ? Box{l, t, r - l, bt - t} : Box{};
}

Box united(const Box& a, const Box& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  const int32_t l = std::min(a.x, b.x), t = std::min(a.y, b.y);
  const int32_t r = std::max(a.x + a.width, b.x + b.width);
  const int32_t bt = std::max(a.y + a.height, b.y + b.height);
  return {l, t, r - l, bt - t};
}

class BoxBuilder {
 public:
  BoxBuilder(model::PageData& page, const PageLayout& layout)
      : page_(page), layout_(layout), z_(layout.params.zoom) {
    for (const LinePlace& lp : layout.lines) places_.emplace(lp.line, &lp);
  }

  PageBoxes build() {
    PageBoxes out;
    out.blocks.reserve(page_.blocks.size());
    const bool textFlow = layout_.params.display != appcore::TextDisplay::Layout;
    if (textFlow)
      out.flow = layout_.params.display == appcore::TextDisplay::FlowVertical
                     ? FlowDirection::Vertical
                     : FlowDirection::Horizontal;
    for (BlockData& b : page_.blocks) {
      BlockBoxes& bb = out.blocks.emplace_back();
      bb.block = &b;
      if (textFlow)
        textFlowBlock(bb);
      else if (b.type == model::BlockTable)
        table(bb);
      else
        textBlock(bb);
    }
    return out;
  }

 private:
  void addCells(LineBoxes& lb) const {
    auto it = places_.find(lb.line);
    if (it == places_.end()) return;
    lb.cells.reserve(it->second->glyphs.size());
    for (const GlyphPlace& g : it->second->glyphs)
      lb.cells.push_back({g.index, g.count, toBox(g.box)});
  }

  void textBlock(BlockBoxes& bb) const {
    BlockData& b = *bb.block;
    bb.box = scaled(b.x, b.y, b.width, b.height, z_);
    if (b.type != model::BlockText) return;  // image and ruled-line blocks only take the click
    const bool vertical = b.direction == model::Vertical;
    const int P = blockLinePitch(b);
    int k = 0;
    for (LineData& l : b.lines) {
      if (!isNormalLine(l)) continue;
      LineBoxes& lb = bb.lines.emplace_back();
      lb.line = &l;
      lb.band = vertical ? scaled(b.x + b.width - (k + 1) * P, b.y, P, b.height, z_)
                         : scaled(b.x, b.y + k * P, b.width, P, z_);
      addCells(lb);
      ++k;
    }
  }

  // The box a cell answers for: the union of its joined group, or the cell alone.
  Box cellArea(const BlockData& b, const CellData& c) const {
    Box area = scaled(c.x, c.y, c.width, c.height, z_);
    if (c.connectGroup <= 0) return area;
    for (const CellData& o : b.cells)
      if (o.connectGroup == c.connectGroup)
        area = united(area, scaled(o.x, o.y, o.width, o.height, z_));
    return area;
  }

  static bool hasNormalLine(const CellData& c) {
    return std::any_of(c.lines.begin(), c.lines.end(),
                       [](const LineData& l) { return isNormalLine(l); });
  }
  // Whether a cell or another cell of its joined group holds a normal line.
  static bool groupHasLine(const BlockData& b, const CellData& c) {
    if (hasNormalLine(c)) return true;
    if (c.connectGroup <= 0) return false;
    return std::any_of(b.cells.begin(), b.cells.end(), [&](const CellData& o) {
      return o.connectGroup == c.connectGroup && hasNormalLine(o);
    });
  }

  void table(BlockBoxes& bb) const {
    BlockData& b = *bb.block;
    bb.box = scaled(b.x, b.y, b.width, b.height, z_);
    const bool vertical = b.direction == model::Vertical;
    for (CellData& c : b.cells) {
      if (!groupHasLine(b, c)) {
        // Only the cell that opens its group stands for it (the first in list order).
        bool first = true;
        for (const EmptyCell& e : bb.emptyCells)
          if (c.connectGroup > 0 && e.cell->connectGroup == c.connectGroup) first = false;
        if (first) bb.emptyCells.push_back({&c, cellArea(b, c)});
      }
      const int cp = cellLinePitch(c, vertical);
      const Box own = scaled(c.x, c.y, c.width, c.height, z_);
      const Box area = cellArea(b, c);
      int k = 0;
      for (LineData& l : c.lines) {
        if (!isNormalLine(l)) continue;
        LineBoxes& lb = bb.lines.emplace_back();
        lb.line = &l;
        lb.cell = &c;
        lb.cellBox = area;
        // The cell is found first: a band never reaches into the next cell.
        lb.band =
            intersected(own, vertical ? scaled(c.x + c.width - (k + 1) * cp, c.y, cp, c.height, z_)
                                      : scaled(c.x, c.y + k * cp, c.width, cp, z_));
        addCells(lb);
        ++k;
      }
    }
  }

  void textFlowBlock(BlockBoxes& bb) const {
    BlockData& b = *bb.block;
    if (b.type != model::BlockText) return;  // not shown in the text-flow display
    for (LineData& l : b.lines) {
      auto it = places_.find(&l);
      if (it == places_.end()) continue;
      LineBoxes& lb = bb.lines.emplace_back();
      lb.line = &l;
      // The row (column) of the line: its redraw box runs to the canvas edge along the line.
      lb.band = toBox(it->second->box);
      addCells(lb);
      bb.box = united(bb.box, lb.band);
    }
  }

  model::PageData& page_;
  const PageLayout& layout_;
  double z_;
  std::unordered_map<const LineData*, const LinePlace*> places_;
};

}  // namespace

PageBoxes boxesFromLayout(model::PageData& page, const PageLayout& layout) {
  return BoxBuilder(page, layout).build();
}

}  // namespace vellary::editing
