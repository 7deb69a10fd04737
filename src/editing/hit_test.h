// From a point in page pixels to a block, line and caret index, and from a caret index to the
// caret's bar. Both work on boxes that the layout computes (the band of each normal line, the
// cell of each character), so that hit-testing agrees with what is drawn.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "caret.h"

namespace vellary::editing {

// A box in page pixels covering x … x + width − 1 and y … y + height − 1.
struct Box {
  int32_t x = 0, y = 0, width = 0, height = 0;
  bool contains(int32_t px, int32_t py) const {
    return px >= x && px < x + width && py >= y && py < y + height;
  }
  bool empty() const { return width <= 0 || height <= 0; }
};

// One character cell as drawn: a tate-chu-yoko group is one cell of several characters.
struct CharCell {
  int first = 0;  // index of the cell's first character in its line
  int count = 1;  // characters in the cell
  Box box;
};

// One normal line: its band across the block (one line pitch thick) and its character cells in
// line order. `cellBox` is the box of the table cell holding the line (empty in text blocks).
struct LineBoxes {
  model::LineData* line = nullptr;
  model::CellData* cell = nullptr;
  Box band;
  Box cellBox;
  std::vector<CharCell> cells;
};

struct BlockBoxes {
  model::BlockData* block = nullptr;
  Box box;
  std::vector<LineBoxes> lines;  // normal lines only, in list order
};

// The page as laid out: its blocks in list order.
struct PageBoxes {
  std::vector<BlockBoxes> blocks;
};

enum class HitRule {
  Place,     // a click: before the first cell whose midpoint lies beyond the point; beyond the
             // last cell, before the line's last character
  Extend,    // a drag: the boundary at two thirds of each cell; beyond the last, the end position
  TextFlow,  // the text-flow display: midpoint at or beyond the point; beyond, the end position
};

struct Hit {
  model::BlockData* block = nullptr;
  model::CellData* cell = nullptr;
  model::LineData* line = nullptr;
  int index = -1;  // the caret's index in the line; −1: the line has no characters
  int blockIndex = -1;  // position of the block in PageBoxes (and so of its block entry)
};

// The block under the point (the first in list order; nothing when that is an image block or has
// no normal line), the line whose band holds
// it (a table's cell first; else the block's or cell's first line) and the caret index.
// `onlyBlock` restricts the search to one block (a drag never leaves its block).
std::optional<Hit> hitTest(const PageBoxes& page, int32_t x, int32_t y, HitRule rule,
                           const model::BlockData* onlyBlock = nullptr);
// The caret index along one line for the coordinate `along` (x in horizontal, y in vertical).
int caretIndexAlong(const LineBoxes& line, int32_t along, bool vertical, HitRule rule);

// The boxes of a line, when the layout gave them.
const LineBoxes* findLineBoxes(const PageBoxes& page, const model::LineData* line);
// The box covering the cells of characters first … last of a line (a highlight's span).
Box spanBox(const LineBoxes& line, int first, int last);

// The caret's bar in page pixels: 2 wide across a horizontal line's band at the start of the
// index's cell (the end of the last cell at the end position), 2 high along a vertical line.
Box caretBar(const LineBoxes& line, int index, bool vertical);

}  // namespace vellary::editing
