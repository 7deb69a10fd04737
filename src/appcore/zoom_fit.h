// The display scale at which a page fits the text view: its width, or the whole page. Numbers
// only; the window measures the view.
#pragma once

#include <optional>

#include "appcore/modes.h"

namespace vellary::appcore {

// The scale's bounds: those of the zoom steps (10 % … 100 %).
inline constexpr double kSmallestZoom = 0.1, kLargestZoom = 1.0;

// The scale for `fit` of a page of pageWidth × pageHeight image pixels in a view whose area is
// viewWidth × viewHeight screen pixels without scroll bars. Fitting the width leaves room for a
// vertical scroll bar `scrollBar` pixels wide when the page is then taller than the view. The
// page at that scale (each side multiplied and truncated) never exceeds the room; the result
// lies within the bounds. Nothing for ZoomFit::None or a page or view without area.
std::optional<double> fitZoom(ZoomFit fit, int pageWidth, int pageHeight, int viewWidth,
                              int viewHeight, int scrollBar);

}  // namespace vellary::appcore
