// Turning the program's records into positions in points (the units are described in
// placement.h).
#include "oxmlgen/placement.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace oxmlgen {

std::vector<PageSetup> resolveSetups(const std::vector<Page>& pages, bool pixels) {
  std::vector<PageSetup> out(pages.size());
  std::optional<PageSetup> last;
  for (size_t i = 0; i < pages.size(); ++i) {
    if (pages[i].setup) last = pages[i].setup;
    if (last) out[i] = *last;
  }
  std::optional<PageSetup> next;
  for (size_t i = pages.size(); i-- > 0;) {
    if (pages[i].setup) next = pages[i].setup;
    if (out[i].dpi == 0) {
      if (next) {
        out[i] = *next;
      } else {
        out[i].dpi = 400;
        out[i].width = pixels ? 3307 : 11905;
        out[i].height = pixels ? 4677 : 16837;
      }
    }
  }
  return out;
}

namespace {

struct Frame {
  Units units;
  double dpi;
  int offPtX, offPtY;  // content offsets in whole points, as the program converted them
  int offPxX, offPxY;  // and in whole pixels
  double px(double v) const { return v * 72.0 / dpi; }
};

Box boxOf(const Rect& r) {
  return {double(r.left), double(r.top), double(r.width()), double(r.height())};
}

Box pixelBox(const Frame& f, const Rect& r, int offX, int offY) {
  return {f.px(r.left) + offX, f.px(r.top) + offY, f.px(r.width()), f.px(r.height())};
}

PlacedText placeText(const Frame& f, const TextArea& t) {
  PlacedText p;
  p.area = &t;
  bool office = f.units == Units::Office;
  p.box = office ? boxOf(t.area) : pixelBox(f, t.area, 0, 0);
  for (const LineRecord& l : t.lines) {
    Rect r = l.rect;
    if (office) {
      r.left -= f.offPtX, r.right -= f.offPtX, r.top -= f.offPtY, r.bottom -= f.offPtY;
      p.lines.push_back(pixelBox(f, r, f.offPtX, f.offPtY));
    } else {
      p.lines.push_back(pixelBox(f, r, 0, 0));
    }
  }
  // Without a font size, the average normal line decides it.
  double sum = 0;
  int n = 0;
  for (size_t i = office ? 0 : 1; i < t.lines.size(); ++i) {
    if (!t.lines[i].normal) continue;
    sum += t.area.empty() ? 0 : (t.vertical ? p.lines[i].w : p.lines[i].h);
    ++n;
  }
  if (t.fontPt > 0) {
    p.fontPt = t.fontPt;
  } else if (n > 0 && sum > 0) {
    p.fontPt = std::max(4.0, std::round(sum / n));
  }
  p.pitchPt = t.pitchPt > 0 ? t.pitchPt : p.fontPt * 1.2;

  if (!office && !p.lines.empty()) {
    // The first record holds the area: rebuild the first line from the area and its neighbour.
    double a = p.fontPt, g = std::max(0.0, p.pitchPt - a);
    Box& first = p.lines[0];
    const Box& area = p.box;
    // The next normal line (ruby lines sit between them) gives the first line's place across.
    size_t next = 1;
    while (next < t.lines.size() && !t.lines[next].normal) ++next;
    bool single = next >= t.lines.size();
    if (!t.vertical) {
      first.h = a;
      if (single) {
        first.x = area.x + a / 2;
        first.w = std::max(a, area.w - a);
        first.y = area.bottom() - g / 2 - a;
      } else {
        first.x = area.x;
        first.w = area.w;
        first.y = p.lines[next].y - p.pitchPt;
      }
    } else {
      first.w = a;
      first.x = single ? area.right() - a : p.lines[next].x + p.pitchPt;
      first.y = single ? std::min(area.y + g, area.bottom() - a) : p.lines[next].y;
      first.h = area.bottom() - first.y;
    }
  }
  return p;
}

// Boundaries of the columns (or rows) from the cells' edges; edges no cell gives are spread
// evenly between the known ones.
std::vector<double> boundaries(int count, const std::vector<double>& starts, double end) {
  std::vector<double> b(starts);
  b.push_back(end);
  int last = -1;
  for (int i = 0; i <= count; ++i) {
    if (std::isnan(b[i])) continue;
    if (last >= 0 && i - last > 1) {
      for (int k = last + 1; k < i; ++k)
        b[k] = b[last] + (b[i] - b[last]) * (k - last) / (i - last);
    }
    last = i;
  }
  return b;
}

PlacedTable placeTable(const Frame& f, const Table& t) {
  PlacedTable p;
  p.table = &t;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::vector<double> colStart(t.columns, nan), rowStart(t.rows, nan);
  double right = nan, bottom = nan;
  int offX = f.units == Units::Office ? f.offPtX : 0,
      offY = f.units == Units::Office ? f.offPtY : 0;
  for (int r = 0; r < t.rows; ++r) {
    for (int c = 0; c < t.columns; ++c) {
      const Cell& cell = t.at(r, c);
      if (!cell.filled || cell.rect.empty()) continue;
      Box b = pixelBox(f, cell.rect, offX, offY);
      colStart[c] = std::isnan(colStart[c]) ? b.x : std::min(colStart[c], b.x);
      rowStart[r] = std::isnan(rowStart[r]) ? b.y : std::min(rowStart[r], b.y);
      right = std::isnan(right) ? b.right() : std::max(right, b.right());
      bottom = std::isnan(bottom) ? b.bottom() : std::max(bottom, b.bottom());
    }
  }
  Box area = boxOf(t.area);
  if (std::isnan(colStart[0])) colStart[0] = area.x;
  if (std::isnan(rowStart[0])) rowStart[0] = area.y;
  if (std::isnan(right)) right = std::max(colStart[0] + 20, area.right());
  if (std::isnan(bottom)) bottom = std::max(rowStart[0] + 10, area.bottom());
  p.colX = boundaries(t.columns, colStart, right);
  p.rowY = boundaries(t.rows, rowStart, bottom);
  // Keep every column and row at least a point wide, in order.
  for (size_t i = 1; i < p.colX.size(); ++i) p.colX[i] = std::max(p.colX[i], p.colX[i - 1] + 1);
  for (size_t i = 1; i < p.rowY.size(); ++i) p.rowY[i] = std::max(p.rowY[i], p.rowY[i - 1] + 1);
  p.box = {p.colX.front(), p.rowY.front(), p.colX.back() - p.colX.front(),
           p.rowY.back() - p.rowY.front()};
  return p;
}

PlacedPicture placePicture(const Frame& f, const Picture& pic) {
  PlacedPicture p;
  p.picture = &pic;
  if (f.units == Units::Office) {
    p.box = boxOf(pic.rect);
    // The program moves pictures 15 points to the left of their text; undo it unless it had to
    // stop at the page edge.
    if (pic.rect.left > 0) p.box.x += 15;
  } else {
    p.box = pixelBox(f, pic.rect, 0, 0);
  }
  return p;
}

PlacedRule placeRule(const Frame& f, const Rule& r) {
  Rect block = r.rect;
  int dx = 80 - f.offPxX, dy = 20 - f.offPxY;
  block.left += dx, block.right += dx, block.top += dy, block.bottom += dy;
  bool office = f.units == Units::Office;
  Box b = pixelBox(f, block, office ? f.offPtX : 0, office ? f.offPtY : 0);
  PlacedRule p;
  p.horizontal = r.horizontal;
  if (r.horizontal) {
    p.box = {b.x, b.y + b.h / 2, b.w, 0};
  } else {
    p.box = {b.x + b.w / 2, b.y, 0, b.h};
  }
  return p;
}

}  // namespace

std::vector<PlacedPage> placeDocument(const Document& doc, Units units) {
  std::vector<PageSetup> setups = resolveSetups(doc.pages, units == Units::Fixed);
  std::vector<PlacedPage> out;
  for (size_t i = 0; i < doc.pages.size(); ++i) {
    const Page& page = doc.pages[i];
    const PageSetup& s = setups[i];
    Frame f{units,
            double(s.dpi),
            s.offsetX * 72 / 1440,
            s.offsetY * 72 / 1440,
            static_cast<int>(int64_t(s.offsetX) * s.dpi / 1440),
            static_cast<int>(int64_t(s.offsetY) * s.dpi / 1440)};
    PlacedPage p;
    p.setup = s;
    p.width = units == Units::Office ? s.width / 20.0 : f.px(s.width);
    p.height = units == Units::Office ? s.height / 20.0 : f.px(s.height);
    for (const TextArea& t : page.texts) p.texts.push_back(placeText(f, t));
    for (const Table& t : page.tables) p.tables.push_back(placeTable(f, t));
    for (const Picture& pic : page.pictures) p.pictures.push_back(placePicture(f, pic));
    for (const Rule& r : page.rules) p.rules.push_back(placeRule(f, r));
    out.push_back(std::move(p));
  }
  return out;
}

std::vector<Span> tableSpans(const Table& t) {
  std::vector<Span> spans(t.cells.size());
  for (int r = 0; r < t.rows; ++r) {
    for (int c = 0; c < t.columns; ++c) {
      const Cell& cell = t.at(r, c);
      if (cell.mergeTop <= 0 || cell.mergeCol != cell.mergeTop) continue;
      Span& s = spans[r * t.columns + c];
      if (s.covered) continue;
      while (c + s.columns < t.columns && !t.at(r, c + s.columns).filled &&
             !spans[r * t.columns + c + s.columns].covered)
        ++s.columns;
      while (r + s.rows < t.rows && t.at(r + s.rows, c).mergeCol == -cell.mergeTop &&
             !spans[(r + s.rows) * t.columns + c].covered)
        ++s.rows;
      for (int rr = r; rr < r + s.rows; ++rr)
        for (int cc = c; cc < c + s.columns; ++cc)
          if (rr != r || cc != c) spans[rr * t.columns + cc].covered = true;
    }
  }
  return spans;
}

}  // namespace oxmlgen
