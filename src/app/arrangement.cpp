// Arrangement rules of the inner grid.
#include "app/arrangement.h"

#include <utility>

namespace vellary::app {

namespace {
constexpr int kSmallest = 10;  // pixels; a smaller pane leaves the layout as it was
}

bool ArrangementState::choose(int wanted) {
  if (textDisplay != appcore::TextDisplay::Layout) return false;
  if (wanted == arrangement) {
    std::swap(textPane, imagePane);
    return true;
  }
  if (wanted == FullSize) {
    previous = arrangement;
    arrangement = FullSize;
    return true;
  }
  // Side by side or stacked, from the other one or from full size: the cells follow from the
  // pane indexes, so moving a view is only the change of arrangement.
  arrangement = wanted;
  return true;
}

std::optional<PaneSizes> layoutSizes(const ArrangementState& s, int w, int h, int handle) {
  PaneSizes p;
  if (s.textDisplay != appcore::TextDisplay::Layout) {
    // Only the text view shows: its cell takes the whole area, the image view lies behind.
    const Cell text = s.textCell();
    if (w - handle < kSmallest || h - handle < kSmallest) return std::nullopt;
    p.col0 = text.col == 0 ? w - handle : 0;
    p.col1 = text.col == 0 ? 0 : w - handle;
    p.row0 = text.row == 0 ? h - handle : 0;
    p.row1 = text.row == 0 ? 0 : h - handle;
    return p;
  }
  switch (s.arrangement) {
    case SideBySide:
      if (w / 2 - handle < kSmallest || h - handle < kSmallest) return std::nullopt;
      p.col0 = w / 2 - handle;
      p.col1 = w - p.col0 - handle;
      p.row0 = h - handle;
      p.row1 = 0;
      return p;
    case Stacked:
      if (h / 2 - handle < kSmallest || w - handle < kSmallest) return std::nullopt;
      p.col0 = w - handle;
      p.col1 = 0;
      p.row0 = h / 2 - handle;
      p.row1 = h - p.row0 - handle;
      return p;
    default:
      if (w - handle < kSmallest || h - handle < kSmallest) return std::nullopt;
      p.col0 = w - handle;
      p.row0 = h - handle;
      return p;
  }
}

}  // namespace vellary::app
