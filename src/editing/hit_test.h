// From a point to a block, line and caret index, and from a caret index to the caret's bar. Both
// work on boxes that the layout computes (the band of each normal line, the cell of each
// character), so that hit-testing agrees with what is drawn. The boxes and the points share one
// unit: the text view uses canvas pixels (boxesFromLayout).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "caret.h"
#include "layout.h"

namespace vellary::editing {

// A box covering x … x + width − 1 and y … y + height − 1 (canvas pixels in the text view).
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

// A table cell without a line to type into: neither it nor its joined group holds a normal line.
struct EmptyCell {
  model::CellData* cell = nullptr;
  Box area;  // the cell, or its joined group
};

struct BlockBoxes {
  model::BlockData* block = nullptr;
  Box box;
  std::vector<LineBoxes> lines;       // normal lines only, in list order
  std::vector<EmptyCell> emptyCells;  // tables only
};

// The page as laid out: its blocks in list order. The text-flow display writes every line in
// one direction whatever its block's; `flow` says which (none: each block's own direction).
enum class FlowDirection { FromBlock, Horizontal, Vertical };
struct PageBoxes {
  std::vector<BlockBoxes> blocks;
  FlowDirection flow = FlowDirection::FromBlock;
  bool vertical(const model::BlockData& block) const {
    return flow == FlowDirection::FromBlock ? block.direction == model::Vertical
                                            : flow == FlowDirection::Vertical;
  }
};

enum class HitRule {
  Place,     // a click: before the first cell whose midpoint lies beyond the point; beyond the
             // last cell, before the line's last character
  Extend,    // a drag: the boundary at two thirds of each cell; beyond the last, the end position
  TextFlow,  // the text-flow display: midpoint at or beyond the point; beyond, the end position
  Under,     // a right click: before the cell that holds the point, whichever half; beyond the
             // last cell, before the line's last character
};

// A line, or an empty table cell (line null, cell set): the caret goes into a line the editor
// makes for it.
struct Hit {
  model::BlockData* block = nullptr;
  model::CellData* cell = nullptr;
  model::LineData* line = nullptr;
  int index = -1;  // the caret's index in the line; −1: the line has no characters (or no line)
  int blockIndex = -1;  // position of the block in PageBoxes (and so of its block entry)
};

// The block under the point (the first in list order; nothing when that is an image block or has
// no normal line), the line whose band holds it (a table's cell first; an empty cell of a table
// itself; else the block's or cell's first line) and the caret index.
// `onlyBlock` restricts the search to one block (a drag never leaves its block).
std::optional<Hit> hitTest(const PageBoxes& page, int32_t x, int32_t y, HitRule rule,
                           const model::BlockData* onlyBlock = nullptr);
// The caret index along one line for the coordinate `along` (x in horizontal, y in vertical).
int caretIndexAlong(const LineBoxes& line, int32_t along, bool vertical, HitRule rule);

// The boxes of a line, when the layout gave them.
const LineBoxes* findLineBoxes(const PageBoxes& page, const model::LineData* line);
// The box covering the cells of characters first … last of a line (a highlight's span).
Box spanBox(const LineBoxes& line, int first, int last);

// The caret's bar: 2 wide at the start of the index's cell of a horizontal line (the end of the
// last cell at the end position), 2 high along a vertical line. Across the line it covers the
// drawn cells (the band's side for a line without characters).
Box caretBar(const LineBoxes& line, int index, bool vertical);

// The boxes of a laid-out page in canvas pixels, one BlockBoxes per block of the page in list
// order (so that a hit's block index is its block entry's). Layout display: every block at its
// rectangle × zoom; the band of the k-th normal line of a text block is one block line pitch thick
// from the block's top (horizontal) or right edge (vertical); a table's lines are banded with the
// cell line pitch from their cell's edge, and a cell of a joined group answers for the whole
// group. Text-flow display: each text line's row or column is its band and its block is the
// union of them; tables and image blocks take no clicks there. The cells are the glyph cells the
// painter draws.
PageBoxes boxesFromLayout(model::PageData& page, const PageLayout& layout);

}  // namespace vellary::editing
