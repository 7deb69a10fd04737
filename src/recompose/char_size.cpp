// The typical character size of a page, from a smoothed histogram of body line thicknesses.
#include <array>
#include <cstdint>

#include "model/paper.h"
#include "recompose.h"

namespace vellary::recompose {

namespace {

using namespace model;

constexpr int kBins = 200;
constexpr int kReach = 3;  // bins either side that the smoothing takes in
// Only lines longer than this vote: short lines (headings, page numbers) are often set larger or
// smaller than the body.
constexpr int kMinVotingChars = 20;
constexpr int kDefaultSize = 21;

}  // namespace

int PageTypicalCharSize(const PageData& page) {
  std::array<int64_t, kBins> raw{};
  for (const BlockData& b : page.blocks)
    for (const LineData& l : b.lines) {
      if (l.attr != AttrNone || l.charCount <= kMinVotingChars) continue;
      int32_t t = lineThickness(l, b.direction);
      if (t < 0) continue;  // a box turned inside out says nothing about size
      ++raw[t >= kBins - 1 ? kBins - 1 : t];
    }

  // Each bin with its six neighbours at weight 0.8, in integers: (5 × own + 4 × neighbours) / 5.
  std::array<int64_t, kBins> smooth{};
  for (int i = kReach; i < kBins - kReach; ++i) {
    int64_t neighbours = 0;
    for (int d = 1; d <= kReach; ++d) neighbours += raw[i - d] + raw[i + d];
    smooth[i] = (5 * raw[i] + 4 * neighbours) / 5;
  }
  int best = 0;
  for (int i = 1; i < kBins; ++i)
    if (smooth[i] > smooth[best]) best = i;
  if (best > 0) return best + 1;

  // No long lines: the mean thickness of the body lines that are not absurdly thick.
  int64_t sum = 0, count = 0;
  for (const BlockData& b : page.blocks)
    for (const LineData& l : b.lines) {
      if (l.attr != AttrNone) continue;
      int32_t t = lineThickness(l, b.direction);
      if (t < 0 || t >= kBins) continue;
      sum += t;
      ++count;
    }
  if (sum > 0 && count > 0) return static_cast<int>(sum / count) + 1;
  return kDefaultSize;
}

}  // namespace vellary::recompose
