// Hit-testing and the caret bar over the layout's boxes.
#include "hit_test.h"

#include <algorithm>

namespace vellary::editing {

namespace {

int32_t startAlong(const Box& b, bool vertical) { return vertical ? b.y : b.x; }
int32_t extentAlong(const Box& b, bool vertical) { return vertical ? b.height : b.width; }

}  // namespace

int caretIndexAlong(const LineBoxes& line, int32_t along, bool vertical, HitRule rule) {
  if (line.line == nullptr || line.line->chars.empty()) return -1;
  const int n = static_cast<int>(line.line->chars.size());
  for (const CharCell& c : line.cells) {
    const int32_t s = startAlong(c.box, vertical);
    const int32_t e = extentAlong(c.box, vertical);
    switch (rule) {
      case HitRule::Place:
        if (s + e / 2 > along) return c.first;
        break;
      case HitRule::Extend:
        if (s + e - e / 3 > along) return c.first;
        break;
      case HitRule::TextFlow:
        if (s + e / 2 >= along) return c.first;
        break;
      case HitRule::Under:
        if (s + e > along) return c.first;
        break;
    }
  }
  if (rule != HitRule::Place && rule != HitRule::Under) return n;
  // A click beyond the text lands on the last character (a final carriage return included), so
  // that a click never leaves the caret behind a paragraph break.
  return line.cells.empty() ? n - 1 : line.cells.back().first;
}

std::optional<Hit> hitTest(const PageBoxes& page, int32_t x, int32_t y, HitRule rule,
                           const model::BlockData* onlyBlock) {
  for (size_t bi = 0; bi < page.blocks.size(); ++bi) {
    const BlockBoxes& b = page.blocks[bi];
    if (b.block == nullptr || (onlyBlock != nullptr && b.block != onlyBlock)) continue;
    if (!b.box.contains(x, y)) continue;
    // The first block under the point decides: an image block there takes the click.
    if (!holdsText(*b.block) || (b.lines.empty() && b.emptyCells.empty())) return std::nullopt;
    const LineBoxes* chosen = nullptr;
    for (const LineBoxes& l : b.lines)
      if (l.band.contains(x, y)) {
        chosen = &l;
        break;
      }
    if (chosen == nullptr && b.block->type == model::BlockTable) {
      for (const LineBoxes& l : b.lines)
        if (l.cellBox.contains(x, y)) {
          chosen = &l;
          break;
        }
      // A cell without text is a place of its own: typing there must not land in another cell.
      if (chosen == nullptr)
        for (const EmptyCell& e : b.emptyCells)
          if (e.area.contains(x, y)) return Hit{b.block, e.cell, nullptr, -1, static_cast<int>(bi)};
    }
    if (chosen == nullptr) {
      if (b.lines.empty()) return std::nullopt;
      chosen = &b.lines.front();
    }
    const bool vertical = page.vertical(*b.block);
    Hit hit{b.block, chosen->cell, chosen->line, 0, static_cast<int>(bi)};
    hit.index = caretIndexAlong(*chosen, vertical ? y : x, vertical, rule);
    return hit;
  }
  return std::nullopt;
}

const LineBoxes* findLineBoxes(const PageBoxes& page, const model::LineData* line) {
  for (const BlockBoxes& b : page.blocks)
    for (const LineBoxes& l : b.lines)
      if (l.line == line) return &l;
  return nullptr;
}

Box spanBox(const LineBoxes& line, int first, int last) {
  bool any = false;
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  for (const CharCell& c : line.cells) {
    if (c.first + c.count <= first || c.first > last) continue;
    const int32_t r = c.box.x + c.box.width, btm = c.box.y + c.box.height;
    if (!any) {
      left = c.box.x;
      top = c.box.y;
      right = r;
      bottom = btm;
      any = true;
      continue;
    }
    left = std::min(left, c.box.x);
    top = std::min(top, c.box.y);
    right = std::max(right, r);
    bottom = std::max(bottom, btm);
  }
  return any ? Box{left, top, right - left, bottom - top} : Box{};
}

Box caretBar(const LineBoxes& line, int index, bool vertical) {
  const Box& band = line.band;
  if (line.cells.empty()) {
    if (vertical) {
      const int32_t w = band.width * 7 / 10;
      return Box{band.x + band.width - w, band.y - 2, w, 2};
    }
    return Box{band.x - 2, band.y, 2, band.height};
  }
  const CharCell* at = nullptr;
  for (const CharCell& c : line.cells)
    if (index < c.first + c.count) {
      at = &c;
      break;
    }
  const Box& last = line.cells.back().box;
  const Box& across = at != nullptr ? at->box : last;
  const int32_t along = at != nullptr ? startAlong(at->box, vertical)
                                      : startAlong(last, vertical) + extentAlong(last, vertical);
  if (vertical) return Box{across.x, along - 2, across.width, 2};
  return Box{along - 2, across.y, 2, across.height};
}

}  // namespace vellary::editing
