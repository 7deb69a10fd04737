// The placement of the text view and the image view in the inner 2 × 2 grid: which arrangement is
// in force, which view is in front, and the pane sizes each arrangement asks for. Plain integers,
// so the rules are testable without windows.
#pragma once

#include <optional>

#include "appcore/modes.h"

namespace vellary::app {

using appcore::Arrangement;
using appcore::FullSize;
using appcore::SideBySide;
using appcore::Stacked;

struct Cell {
  int row = 0, col = 0;
  bool operator==(const Cell&) const = default;
};

// Sizes in pixels of column 0, column 1, row 0 and row 1; the second of each pair takes the rest
// of the area.
struct PaneSizes {
  int col0 = 0, col1 = 0, row0 = 0, row1 = 0;
  bool operator==(const PaneSizes&) const = default;
};

struct ArrangementState {
  appcore::TextDisplay textDisplay = appcore::TextDisplay::Layout;
  int arrangement = SideBySide;
  int previous = SideBySide;  // the arrangement before full size was chosen
  int textPane = 0;           // position along the arrangement's axis
  int imagePane = 1;

  // The views lie in column 0 when stacked (or full size after stacked), else in row 0.
  bool alongColumn() const {
    return arrangement == Stacked || (arrangement == FullSize && previous == Stacked);
  }
  Cell textCell() const { return alongColumn() ? Cell{textPane, 0} : Cell{0, textPane}; }
  Cell imageCell() const { return alongColumn() ? Cell{imagePane, 0} : Cell{0, imagePane}; }

  // An arrangement command (32901 side by side, 32902 stacked, 32903 full size). Ignored (false)
  // while the text display mode is forced; choosing the arrangement in force swaps the views.
  bool choose(int arrangementWanted);
};

// The pane sizes for the state in an area of width w and height h (the page list and the splitter
// handles already taken off) with handles `handle` pixels wide. Nothing when the area is too
// small: the panes then keep their sizes.
std::optional<PaneSizes> layoutSizes(const ArrangementState& state, int w, int h, int handle);

}  // namespace vellary::app
