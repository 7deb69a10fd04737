// The text of one region: its writing direction, its lines, and the ruby and emphasis bands
// beside them.
#include <algorithm>
#include <cmath>

#include "recognize/layout_internal.h"

namespace vellary::recognize {

using namespace detail;

int typicalCharSize(const std::vector<InkComponent>& pieces, const std::vector<int>& which) {
  std::vector<int32_t> sides;
  sides.reserve(which.size());
  for (int i : which) {
    const int32_t side = longSide(pieces[static_cast<size_t>(i)].box);
    if (side > 2) sides.push_back(side);
  }
  if (sides.empty()) return 0;
  std::sort(sides.begin(), sides.end());
  // The pieces of a character are smaller than it, and punctuation and small kana smaller still:
  // the larger pieces tell the size.
  const int32_t large = sides[(sides.size() - 1) * 9 / 10];
  auto first = std::lower_bound(sides.begin(), sides.end(), (large + 1) / 2);
  const size_t n = static_cast<size_t>(sides.end() - first);
  return n > 0 ? *(first + static_cast<long>(n / 2)) : large;
}

PictRect unionOf(const std::vector<InkComponent>& pieces, const std::vector<int>& which) {
  PictRect box;
  for (int i : which) box = unite(box, pieces[static_cast<size_t>(i)].box);
  return box;
}

namespace detail {

std::vector<Run> coveredRuns(const std::vector<InkComponent>& pieces, const std::vector<int>& which,
                             bool alongX, int32_t bridge) {
  std::vector<Run> spans;
  spans.reserve(which.size());
  for (int i : which) {
    const PictRect& b = pieces[static_cast<size_t>(i)].box;
    spans.push_back(alongX ? Run{b.left, b.right} : Run{b.top, b.bottom});
  }
  std::sort(spans.begin(), spans.end(), [](const Run& a, const Run& b) { return a.begin < b.begin; });
  std::vector<Run> runs;
  for (const Run& s : spans) {
    if (!runs.empty() && s.begin - runs.back().end < bridge)
      runs.back().end = std::max(runs.back().end, s.end);
    else
      runs.push_back(s);
  }
  return runs;
}

namespace {

// How much the ink looks like lines across `runs`: the median length of a line in characters
// (measured over the pieces whose centre lies in it), 0 when the lines are thicker than one
// character (runs of a block read the other way merge into one wide run).
double lineShape(const std::vector<InkComponent>& pieces, const std::vector<int>& which,
                 const std::vector<Run>& runs, bool columns, int size) {
  if (runs.empty() || size <= 0) return 0;
  std::vector<double> lengths, thicknesses;
  for (const Run& run : runs) {
    int32_t lo = INT32_MAX, hi = INT32_MIN;
    for (int i : which) {
      const PictRect& b = pieces[static_cast<size_t>(i)].box;
      const int32_t c = columns ? centreX(b) : centreY(b);
      if (c < run.begin || c >= run.end) continue;
      lo = std::min(lo, columns ? b.top : b.left);
      hi = std::max(hi, columns ? b.bottom : b.right);
    }
    if (hi <= lo) continue;
    lengths.push_back(static_cast<double>(hi - lo) / size);
    thicknesses.push_back(static_cast<double>(run.end - run.begin) / size);
  }
  if (lengths.empty()) return 0;
  std::sort(lengths.begin(), lengths.end());
  std::sort(thicknesses.begin(), thicknesses.end());
  if (thicknesses[thicknesses.size() / 2] > 1.8) return 0;
  return lengths[lengths.size() / 2];
}

double medianGap(const std::vector<Run>& runs) {
  if (runs.size() < 2) return 0;
  std::vector<int32_t> gaps;
  for (size_t i = 1; i < runs.size(); ++i) gaps.push_back(runs[i].begin - runs[i - 1].end);
  std::sort(gaps.begin(), gaps.end());
  return gaps[gaps.size() / 2];
}

// A mark of emphasis: one small, compact piece of ink.
bool isDot(const InkComponent& piece, int size) {
  const int32_t w = widthOf(piece.box), h = heightOf(piece.box);
  if (std::max(w, h) > std::max(3, size * 3 / 10)) return false;
  if (std::max(w, h) > 2 * std::min(w, h) + 1) return false;
  return piece.pixels * 10 >= 3 * w * h;
}

// Groups the side pieces of one line into bands: dots one beside each character are emphasis,
// runs of small glyphs are ruby. `along` measures positions along the line.
std::vector<SideBand> sideBands(const std::vector<InkComponent>& pieces, std::vector<int> side,
                                bool vertical, int size) {
  auto begin = [&](int i) {
    const PictRect& b = pieces[static_cast<size_t>(i)].box;
    return vertical ? b.top : b.left;
  };
  auto end = [&](int i) {
    const PictRect& b = pieces[static_cast<size_t>(i)].box;
    return vertical ? b.bottom : b.right;
  };
  std::sort(side.begin(), side.end(), [&](int a, int b) { return begin(a) < begin(b); });

  // Glyphs first: pieces closer than a quarter of a character belong to one small glyph (the
  // voicing marks of ruby kana are dots of their own).
  struct Cluster {
    std::vector<int> pieces;
    int32_t begin, end;
    bool dot;
  };
  std::vector<Cluster> clusters;
  for (int i : side) {
    if (!clusters.empty() && begin(i) - clusters.back().end <= size / 4) {
      clusters.back().pieces.push_back(i);
      clusters.back().end = std::max(clusters.back().end, end(i));
      clusters.back().dot = false;
    } else {
      clusters.push_back(Cluster{{i}, begin(i), end(i), isDot(pieces[static_cast<size_t>(i)], size)});
    }
  }
  std::vector<SideBand> bands;
  const Cluster* previous = nullptr;
  for (const Cluster& c : clusters) {
    const bool joins = previous != nullptr && previous->dot == c.dot &&
                       c.begin - previous->end <= (c.dot ? size * 3 / 2 : size * 9 / 20);
    if (!joins) bands.push_back(SideBand{{}, {}, c.dot, {}});
    SideBand& band = bands.back();
    band.pieces.insert(band.pieces.end(), c.pieces.begin(), c.pieces.end());
    if (c.dot) band.marks.push_back(c.pieces);
    band.box = unite(band.box, unionOf(pieces, c.pieces));
    previous = &c;
  }
  return bands;
}

}  // namespace

SideBand* bandTouching(std::vector<LayoutLine>& lines, const PictRect& b, bool vertical,
                       int size) {
  const int32_t reach = std::max(2, size / 8), step = rubyStep(size);
  for (LayoutLine& line : lines)
    for (SideBand& band : line.sides) {
      if (band.emphasis) continue;
      const PictRect& r = band.box;
      // Along the line within the band (and a little past its ends); across it within one step
      // of the band's base side (the ink of flat kana such as つ is half a step thick, and a
      // voicing mark stands above it).
      const bool along = vertical ? b.top >= r.top - reach && b.bottom <= r.bottom + reach
                                  : b.left >= r.left - reach && b.right <= r.right + reach;
      const bool across = vertical ? b.left >= r.left && b.right <= r.left + step
                                   : b.bottom <= r.bottom && b.top >= r.bottom - step;
      if (along && across && longSide(b) * 2 <= (vertical ? widthOf(r) : heightOf(r)))
        return &band;
    }
  return nullptr;
}

void joinBand(SideBand& band, const std::vector<InkComponent>& pieces, int piece) {
  band.pieces.push_back(piece);
  band.box = unite(band.box, pieces[static_cast<size_t>(piece)].box);
}

TextRegion analyseText(const std::vector<InkComponent>& pieces, std::vector<int> which,
                       Writing expected) {
  TextRegion region;
  region.box = unionOf(pieces, which);
  region.charSize = std::max(1, typicalCharSize(pieces, which));
  const int s = region.charSize;

  // Lines are found from the pieces of full-size characters: small ones (ruby, emphasis marks,
  // punctuation, small kana) would bridge the gaps between lines.
  std::vector<int> large;
  for (int i : which)
    if (longSide(pieces[static_cast<size_t>(i)].box) * 10 >= s * 6) large.push_back(i);
  if (large.empty()) large = which;
  const int32_t bridge = std::max(2, s / 4);
  const std::vector<Run> columns = coveredRuns(pieces, large, true, bridge);
  const std::vector<Run> rows = coveredRuns(pieces, large, false, bridge);

  // Columns of two characters or more make vertical writing, such rows horizontal.
  const double columnShape = lineShape(pieces, large, columns, true, s);
  const double rowShape = lineShape(pieces, large, rows, false, s);
  const bool columnsLikely = columnShape >= 1.5, rowsLikely = rowShape >= 1.5;
  if (columnsLikely && !rowsLikely) {
    region.writing = Writing::Vertical;
    region.writingClear = true;
  } else if (rowsLikely && !columnsLikely) {
    region.writing = Writing::Horizontal;
    region.writingClear = true;
  } else if (columnsLikely && rowsLikely) {
    // A grid of characters: the gaps between lines are the wider ones.
    const double gx = medianGap(columns), gy = medianGap(rows);
    if (gx >= 1.5 * gy && gy > 0) {
      region.writing = Writing::Vertical;
      region.writingClear = true;
    } else if (gy >= 1.5 * gx && gx > 0) {
      region.writing = Writing::Horizontal;
      region.writingClear = true;
    }
  }
  if (!region.writingClear)
    region.writing = expected == Writing::Unknown ? Writing::Horizontal : expected;
  const bool vertical = region.writing == Writing::Vertical;
  std::vector<Run> bands = vertical ? columns : rows;
  // A line of few characters may have its band from part of a glyph only (the tall stroke of た):
  // small pieces that reach well into a band belong to its line and widen it (the rest of the
  // glyph, a voicing mark, the 。 in the corner of a cell). Ruby and emphasis marks stand clear
  // of the line's ink and stay outside.
  for (int pass = 0; pass < 3; ++pass) {
    bool grew = false;
    for (Run& band : bands)
      for (int i : which) {
        const PictRect& b = pieces[static_cast<size_t>(i)].box;
        const int32_t lo = vertical ? b.left : b.top, hi = vertical ? b.right : b.bottom;
        const int32_t overlap = std::min(hi, band.end) - std::max(lo, band.begin);
        if (overlap <= 0 || (lo >= band.begin && hi <= band.end) || overlap * 10 < (hi - lo) * 3)
          continue;
        band.begin = std::min(band.begin, lo);
        band.end = std::max(band.end, hi);
        grew = true;
      }
    if (!grew) break;
  }

  // Every piece joins the line whose band holds its centre. A small piece outside every band
  // stands beside a line: right of a column, above a row.
  std::vector<LayoutLine> lines(bands.size());
  std::vector<std::vector<int>> sides(bands.size());
  std::vector<std::pair<int, int>> strays;  // small pieces beside no line, with the nearest line
  for (int i : which) {
    const PictRect& b = pieces[static_cast<size_t>(i)].box;
    const int32_t c = vertical ? centreX(b) : centreY(b);
    int inside = -1, nearest = -1;
    int32_t nearestDistance = INT32_MAX;
    int beside = -1;
    int32_t besideGap = INT32_MAX;
    for (size_t k = 0; k < bands.size(); ++k) {
      const Run& r = bands[k];
      if (c >= r.begin && c < r.end) inside = static_cast<int>(k);
      const int32_t d = c < r.begin ? r.begin - c : (c >= r.end ? c - r.end + 1 : 0);
      if (d < nearestDistance) nearestDistance = d, nearest = static_cast<int>(k);
      // Vertical: the column left of the piece; horizontal: the row below it.
      const int32_t gap = vertical ? b.left - r.end : r.begin - b.bottom;
      if (gap >= -s / 2 && gap < besideGap) besideGap = gap, beside = static_cast<int>(k);
    }
    // Beside means wholly outside the line: the dots and strokes of the line's own characters
    // reach past their neighbours' ink but not past the line's edge.
    const bool small = longSide(b) * 10 <= s * 7;
    const bool outside = beside >= 0 && besideGap >= -s / 10;
    if (inside < 0 && small && outside && besideGap <= s * 3 / 5)
      sides[static_cast<size_t>(beside)].push_back(i);
    else if (inside < 0 && small && nearest >= 0)
      strays.push_back({i, nearest});
    else if (inside >= 0 || nearest >= 0)
      lines[static_cast<size_t>(inside >= 0 ? inside : nearest)].pieces.push_back(i);
  }
  for (size_t k = 0; k < lines.size(); ++k)
    lines[k].sides = sideBands(pieces, sides[k], vertical, s);
  // A stroke at the far edge of a ruby glyph (the tick of ら, a voicing mark above a row) lies
  // further from the base than the rest of the band: it joins the band it touches.
  for (const auto& [i, nearest] : strays) {
    SideBand* band = bandTouching(lines, pieces[static_cast<size_t>(i)].box, vertical, s);
    if (band != nullptr)
      joinBand(*band, pieces, i);
    else
      lines[static_cast<size_t>(nearest)].pieces.push_back(i);
  }
  for (LayoutLine& line : lines) line.box = unionOf(pieces, line.pieces);
  std::erase_if(lines, [](const LayoutLine& l) { return l.pieces.empty(); });
  // Reading order: columns from right to left, rows from top to bottom.
  if (vertical) std::reverse(lines.begin(), lines.end());
  for (const LayoutLine& l : lines) region.pieces.insert(region.pieces.end(), l.pieces.begin(),
                                                        l.pieces.end());
  region.lines = std::move(lines);
  return region;
}

}  // namespace detail

}  // namespace vellary::recognize
