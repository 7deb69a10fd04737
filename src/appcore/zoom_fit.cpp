// The scale that fits a page to the text view.
#include "appcore/zoom_fit.h"

#include <algorithm>
#include <cmath>

namespace vellary::appcore {

namespace {

// The largest scale at which `page` pixels, multiplied and truncated, take at most `room`.
double scaleFor(int room, int page) {
  double s = static_cast<double>(room) / page;
  // The quotient may come out a hair above the exact value; the canvas must not grow past the
  // room by that hair.
  while (s > 0 && static_cast<int>(page * s) > room) s = std::nextafter(s, 0.0);
  return s;
}

}  // namespace

std::optional<double> fitZoom(ZoomFit fit, int pageWidth, int pageHeight, int viewWidth,
                              int viewHeight, int scrollBar) {
  if (fit == ZoomFit::None || pageWidth <= 0 || pageHeight <= 0 || viewWidth <= 0 ||
      viewHeight <= 0)
    return std::nullopt;
  double s = 0;
  if (fit == ZoomFit::Width) {
    s = scaleFor(viewWidth, pageWidth);
    // Taller than the view: the vertical scroll bar takes its part of the width.
    if (static_cast<int>(pageHeight * s) > viewHeight)
      s = scaleFor(std::max(1, viewWidth - scrollBar), pageWidth);
  } else {
    s = std::min(scaleFor(viewWidth, pageWidth), scaleFor(viewHeight, pageHeight));
  }
  return std::clamp(s, kSmallestZoom, kLargestZoom);
}

}  // namespace vellary::appcore
