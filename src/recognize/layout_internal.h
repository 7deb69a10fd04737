// Inside the layout: rectangle arithmetic and the steps that the two layout files share.
#pragma once

#include <algorithm>
#include <vector>

#include "recognize/layout.h"

namespace vellary::recognize::detail {

inline int32_t widthOf(const PictRect& r) { return r.right - r.left; }
inline int32_t heightOf(const PictRect& r) { return r.bottom - r.top; }
inline bool isEmpty(const PictRect& r) { return r.right <= r.left || r.bottom <= r.top; }
inline int32_t longSide(const PictRect& r) { return std::max(widthOf(r), heightOf(r)); }
inline int32_t centreX(const PictRect& r) { return (r.left + r.right) / 2; }
inline int32_t centreY(const PictRect& r) { return (r.top + r.bottom) / 2; }

inline PictRect unite(const PictRect& a, const PictRect& b) {
  if (isEmpty(a)) return b;
  if (isEmpty(b)) return a;
  return PictRect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                  std::max(a.bottom, b.bottom)};
}

inline PictRect grown(const PictRect& r, int32_t by) {
  return PictRect{r.left - by, r.top - by, r.right + by, r.bottom + by};
}

// A run of positions along one axis where ink stands, [begin, end).
struct Run {
  int32_t begin = 0, end = 0;
};

// The runs covered by the boxes of `which` along x (alongX) or y, with gaps shorter than
// `bridge` closed.
std::vector<Run> coveredRuns(const std::vector<InkComponent>& pieces, const std::vector<int>& which,
                             bool alongX, int32_t bridge);

// The step of ruby beside text of ink size `charSize`: ruby is set at half the base's em, and the
// base's ink fills some 5/6 of its em. Each ruby glyph takes one step along the band and at most
// one across it.
inline int32_t rubyStep(int charSize) { return std::max(1, charSize * 3 / 5); }

// The ruby band of `lines` that a small piece `b` lying at its edge belongs to (a stroke or voicing
// mark at the far side of a ruby glyph), or none.
SideBand* bandTouching(std::vector<LayoutLine>& lines, const PictRect& b, bool vertical,
                       int size);
void joinBand(SideBand& band, const std::vector<InkComponent>& pieces, int piece);

// The text analysis of one region (a block or a table cell): direction, lines, side bands.
TextRegion analyseText(const std::vector<InkComponent>& pieces, std::vector<int> which,
                       Writing expected);

}  // namespace vellary::recognize::detail
