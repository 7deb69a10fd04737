// The invariants every document keeps however it was read, for the fuzzers: character counts,
// candidate counts, line numbers cleared, side lines linked only within their group, no lines in
// a table and no cells elsewhere.
#pragma once

#include <cstdlib>

#include "model/records.h"

namespace vellary::fuzzing {

inline void require(bool ok) {
  if (!ok) std::abort();
}

inline void checkGroup(const model::List<model::LineData>& lines) {
  for (const model::LineData& line : lines) {
    int32_t units = 0;
    for (const model::CharData& c : line.chars) {
      units += model::charTextLength(c.text);
      require(c.numCand() >= 0);
    }
    require(units == line.charCount);
    require(line.lid == 0 && line.rlid == 0);
    if (line.baseLine != nullptr) {
      bool inGroup = false;
      for (const model::LineData& other : lines) inGroup |= &other == line.baseLine;
      require(inGroup);
    }
  }
}

inline void checkPaper(const model::PaperData& paper) {
  for (const model::PageData& page : paper.pages) {
    require(page.file.has_value());
    require(page.width <= paper.maxPageWidth && page.height <= paper.maxPageHeight);
    for (const model::BlockData& block : page.blocks) {
      if (block.type == model::BlockTable)
        require(block.lines.empty());
      else
        require(block.cells.empty());
      checkGroup(block.lines);
      for (const model::CellData& cell : block.cells) checkGroup(cell.lines);
    }
  }
}

}  // namespace vellary::fuzzing
