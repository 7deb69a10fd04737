// Where the main window opens: a size and place that fit the screen it opens on, from what an
// earlier run stored. Numbers only, in screen pixels; the window measures the screen's available
// area (without panels) and its own frame, and applies the result.
#pragma once

#include "appcore/settings.h"

namespace vellary::appcore {

struct ScreenRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const ScreenRect&) const = default;
};

// What the window manager's frame adds around the window's own area.
struct FrameMargins {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// A first start takes this share of the screen's available area, in percent.
inline constexpr int kFirstStartShare = 90;
// A stored size is never made smaller than this (when the screen allows it).
inline constexpr int kSmallestWidth = 480, kSmallestHeight = 360;

// The window's own area (frame excluded, as "x", "y", "width" and "height" are stored) on a screen
// whose available area is `available`. Nothing stored (`stored` false): kFirstStartShare of the
// area, centred. Stored: the stored size, cut to what fits with the frame; a window that lies
// partly off the area slides onto it, one wholly off it (its screen gone) is centred.
ScreenRect fitWindow(const WindowSettings& window, bool stored, const ScreenRect& available,
                     const FrameMargins& frame);

// The page list's width in a window `windowWidth` wide: the stored width (0 or less: the list's
// `preferred` width), never more than a third of the window, so that the text and image panes
// share the rest.
int pageListWidth(int stored, int preferred, int windowWidth);

}  // namespace vellary::appcore
