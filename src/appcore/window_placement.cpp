// The main window's size and place on its screen.
#include "appcore/window_placement.h"

#include <algorithm>

namespace vellary::appcore {

namespace {

bool overlaps(const ScreenRect& a, const ScreenRect& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
         b.y < a.y + a.height;
}

}  // namespace

ScreenRect fitWindow(const WindowSettings& window, bool stored, const ScreenRect& available,
                     const FrameMargins& frame) {
  // The area the window's own part may take: the available area less the frame around it.
  const ScreenRect area{available.x + frame.left, available.y + frame.top,
                        std::max(1, available.width - frame.left - frame.right),
                        std::max(1, available.height - frame.top - frame.bottom)};
  ScreenRect r;
  if (!stored || window.width <= 0 || window.height <= 0) {
    r.width = std::max(1, available.width * kFirstStartShare / 100 - frame.left - frame.right);
    r.height = std::max(1, available.height * kFirstStartShare / 100 - frame.top - frame.bottom);
    r.width = std::min(r.width, area.width);
    r.height = std::min(r.height, area.height);
    r.x = area.x + (area.width - r.width) / 2;
    r.y = area.y + (area.height - r.height) / 2;
    return r;
  }
  r.width = std::clamp(window.width, std::min(kSmallestWidth, area.width), area.width);
  r.height = std::clamp(window.height, std::min(kSmallestHeight, area.height), area.height);
  if (!overlaps({window.x, window.y, window.width, window.height}, area)) {
    r.x = area.x + (area.width - r.width) / 2;
    r.y = area.y + (area.height - r.height) / 2;
    return r;
  }
  r.x = std::clamp(window.x, area.x, area.x + area.width - r.width);
  r.y = std::clamp(window.y, area.y, area.y + area.height - r.height);
  return r;
}

int pageListWidth(int stored, int preferred, int windowWidth) {
  const int width = stored > 0 ? stored : preferred;
  return std::max(0, std::min(width, windowWidth / 3));
}

}  // namespace vellary::appcore
