// Page layout before recognition: the page's ink is taken apart into rules, pictures, ruled
// tables and blocks of text in reading order; each text block gets its writing direction, its
// lines (columns of vertical text, rows of horizontal text) and the bands of small glyphs beside
// them (ruby, emphasis marks), which are read apart from their base.
//
// Everything is computed from the ink's connected pieces and page pixels; the only picture work
// is finding the pieces and the cells of tables (imaging/page_analysis.h).
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/page_analysis.h"
#include "model/records.h"

namespace vellary::recognize {

using imaging::InkComponent;
using imaging::PictRect;

enum class Writing : int8_t { Horizontal, Vertical, Unknown };

// Ruby or emphasis marks beside one line: right of a column, above a row.
struct SideBand {
  PictRect box;
  std::vector<int> pieces;  // indexes into PageLayout::pieces
  bool emphasis = false;    // a run of dots, one beside each base character
  // For emphasis: the pieces of each dot, one entry per mark, in reading order.
  std::vector<std::vector<int>> marks;
};

// A column (vertical writing) or row (horizontal writing) as the ink shows it.
struct LayoutLine {
  PictRect box;
  std::vector<int> pieces;
  std::vector<SideBand> sides;
};

// A region of text: a text block of the page or a cell of a table.
struct TextRegion {
  PictRect box;
  Writing writing = Writing::Unknown;
  bool writingClear = false;  // the ink shows the direction; otherwise it is a guess
  int charSize = 0;           // typical character size in pixels
  std::vector<int> pieces;    // the base text's ink (side bands excluded)
  std::vector<LayoutLine> lines;  // in reading order
};

struct LayoutCell {
  int32_t row = 0, col = 0;  // 1-based grid position
  PictRect box;              // the white area the rules enclose
  TextRegion text;
};

struct LayoutBlock {
  int32_t type = model::BlockText;  // model::BlockType
  PictRect box;
  TextRegion text;               // text blocks
  std::vector<LayoutCell> cells;  // table blocks
};

struct PageLayout {
  int width = 0, height = 0, dpi = 0;
  std::vector<InkComponent> pieces;  // every piece of ink of the page
  std::vector<LayoutBlock> blocks;   // in reading order
  Writing writing = Writing::Horizontal;  // of most of the page's text
  int charSize = 0;                       // of the page's main text
};

struct LayoutOptions {
  // What the page is expected to hold where the ink leaves the direction open.
  Writing expected = Writing::Unknown;
};

// Takes a bilevel page apart. A picture that is not bilevel gives an empty layout.
PageLayout analysePage(const imaging::CPictInfo& bilevel, const LayoutOptions& options = {});

// The typical character size of a set of pieces: the usual extent of the larger ones (pieces of
// one character are smaller than the character; punctuation and small kana are ignored).
int typicalCharSize(const std::vector<InkComponent>& pieces, const std::vector<int>& which);

// Union of boxes; an empty rectangle for none.
PictRect unionOf(const std::vector<InkComponent>& pieces, const std::vector<int>& which);

}  // namespace vellary::recognize
