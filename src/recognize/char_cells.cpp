// Grouping a line's ink into its characters by dynamic programming.
#include "recognize/char_cells.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "recognize/layout_internal.h"

namespace vellary::recognize {

using namespace detail;

namespace {

// Costs, in units of the line's thickness. A character longer than kLongest along the line is
// heavily penalised; one differing from its expected size less so; each cut is rewarded with the
// white gap it falls in; a character far from where the engine put it, and a character left
// without ink, cost a little: the engine's places are rough, and its extra readings rare.
constexpr double kLongest = 1.25;
constexpr double kOverflow = 10.0;
constexpr double kSizeWeight = 0.5;
constexpr double kGapWeight = 1.0;
constexpr double kPlaceWeight = 0.4;
constexpr double kEmpty = 1.5;
constexpr double kEmptyDoubtful = 0.8;

// Expected length of a character along the line, in line thicknesses.
double expectedLength(const std::u16string& text) {
  if (text.empty()) return 0.85;
  const char16_t c = text[0];
  static constexpr std::u16string_view kMarks =
      u"、。，．・：；！？「」『』（）〔〕［］｛｝〈〉《》【】\"'()[]{}.,:;!?";
  static constexpr std::u16string_view kSmallKana =
      u"ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶ";
  if (kMarks.find(c) != std::u16string_view::npos) return 0.45;
  if (kSmallKana.find(c) != std::u16string_view::npos) return 0.65;
  if (c < 0x80) return 0.55;
  return 0.85;
}

struct Part {
  int32_t begin, end;
  std::vector<int> pieces;
};

}  // namespace

std::vector<PictRect> characterCells(const std::vector<InkComponent>& pieces,
                                     const std::vector<int>& line,
                                     const std::vector<ReadCharacter>& read, bool vertical) {
  const size_t n = read.size();
  std::vector<PictRect> boxes(n);
  if (n == 0 || line.empty()) return boxes;

  // The parts: pieces whose extents along the line overlap.
  std::vector<int> order = line;
  auto lo = [&](int i) {
    const PictRect& b = pieces[static_cast<size_t>(i)].box;
    return vertical ? b.top : b.left;
  };
  auto hi = [&](int i) {
    const PictRect& b = pieces[static_cast<size_t>(i)].box;
    return vertical ? b.bottom : b.right;
  };
  std::sort(order.begin(), order.end(), [&](int a, int b) { return lo(a) < lo(b); });
  std::vector<Part> parts;
  for (int i : order) {
    if (!parts.empty() && lo(i) < parts.back().end) {
      parts.back().end = std::max(parts.back().end, hi(i));
      parts.back().pieces.push_back(i);
    } else {
      parts.push_back(Part{lo(i), hi(i), {i}});
    }
  }
  const PictRect all = unionOf(pieces, line);
  const double thickness = std::max(1, vertical ? widthOf(all) : heightOf(all));
  const size_t m = parts.size();

  // best[i][k]: least cost of giving the first i characters the first k parts.
  constexpr double kNone = std::numeric_limits<double>::infinity();
  std::vector<std::vector<double>> best(n + 1, std::vector<double>(m + 1, kNone));
  std::vector<std::vector<size_t>> from(n + 1, std::vector<size_t>(m + 1, 0));
  best[0][0] = 0;
  for (size_t i = 1; i <= n; ++i) {
    const ReadCharacter& c = read[i - 1];
    const double expected = expectedLength(c.text);
    // The engine's place of a character runs from about its middle, or a little past it, to the
    // next one's: its start less a quarter of the line's thickness is taken as its middle.
    const double place = c.begin - 0.25 * thickness;
    for (size_t k = 0; k <= m; ++k) {
      // No ink for this character.
      const double empty = c.doubtful ? kEmptyDoubtful : kEmpty;
      if (best[i - 1][k] + empty < best[i][k]) {
        best[i][k] = best[i - 1][k] + empty;
        from[i][k] = k;
      }
      // Parts j … k − 1, as long as they could still be one character.
      for (size_t j = k; j-- > 0;) {
        const double length = (parts[k - 1].end - parts[j].begin) / thickness;
        if (length > 3 * kLongest) break;
        if (best[i - 1][j] == kNone) continue;
        double cost = kOverflow * std::max(0.0, length - kLongest) +
                      kSizeWeight * std::abs(length - expected) +
                      kPlaceWeight * std::abs((parts[j].begin + parts[k - 1].end) / 2.0 - place) /
                          thickness;
        if (j > 0) cost -= kGapWeight * (parts[j].begin - parts[j - 1].end) / thickness;
        if (best[i - 1][j] + cost < best[i][k]) {
          best[i][k] = best[i - 1][j] + cost;
          from[i][k] = j;
        }
      }
    }
  }
  if (best[n][m] == kNone) return boxes;
  for (size_t i = n, k = m; i > 0; --i) {
    const size_t j = from[i][k];
    for (size_t p = j; p < k; ++p)
      for (int piece : parts[p].pieces)
        boxes[i - 1] = unite(boxes[i - 1], pieces[static_cast<size_t>(piece)].box);
    k = j;
  }
  return boxes;
}

}  // namespace vellary::recognize
