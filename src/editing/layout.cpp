// Layout measures: base sizes, canvas sizes, line and character pitches, font sizes, the
// one-line image window's place.
#include "editing/layout.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <cstdlib>

#include "editing/caret.h"

namespace vellary::editing {

int mulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const long long p = static_cast<long long>(a) * b;
  const long long half = std::llabs(c) / 2;
  const bool negative = (p < 0) != (c < 0);
  const long long q = (std::llabs(p) + half) / std::llabs(c);
  return static_cast<int>(negative ? -q : q);
}

BaseSizes baseSizes(int dpi) {
  BaseSizes s;
  s.F = mulDiv(16, dpi, 72);
  s.A = static_cast<int>(1.5 * s.F);
  s.B = static_cast<int>(1.5 * s.A);
  s.P = s.A + s.B;
  s.C = 2 * s.F;
  s.glyph = mulDiv(19, dpi, 72);
  return s;
}

CanvasRect CanvasRect::united(const CanvasRect& o) const {
  if (o.empty()) return *this;
  if (empty()) return o;
  return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right),
          std::max(bottom, o.bottom)};
}

Size layoutCanvasSize(const model::PageData& page, double zoom) {
  return {static_cast<int>(page.width * zoom), static_cast<int>(page.height * zoom)};
}

namespace {

// Blocks whose lines the text-flow display writes: everything but tables and images.
bool flowsText(const model::BlockData& block) {
  return block.type != model::BlockTable && block.type != model::BlockImage;
}

}  // namespace

Size textWindowSize(const model::PageData* page, bool vertical, const BaseSizes& sizes) {
  if (page == nullptr) return {0, 0};
  int lines = 0, longest = 0;
  for (const auto& block : page->blocks) {
    if (!flowsText(block)) continue;
    for (const auto& line : block.lines) {
      ++lines;
      longest = std::max(longest, static_cast<int>(line.chars.size()) * sizes.C);
    }
  }
  const int across = lines * sizes.P;
  return vertical ? Size{across + 20, longest + 20} : Size{longest + 20, across + 20};
}

Size textFlowCanvasSize(Size textWindow, Size client) {
  return {std::max(textWindow.width, client.width), std::max(textWindow.height, client.height)};
}

namespace {

struct NormalSpan {
  int n = 0;    // normal lines
  int sum = 0;  // their thickness across the writing direction
  const model::LineData* first = nullptr;
  const model::LineData* last = nullptr;
};

NormalSpan normalSpan(const model::List<model::LineData>& lines, bool vertical) {
  NormalSpan s;
  for (const auto& line : lines) {
    if (!isNormalLine(line)) continue;
    ++s.n;
    s.sum += vertical ? line.width : line.height;
    if (s.first == nullptr) s.first = &line;
    s.last = &line;
  }
  return s;
}

}  // namespace

int blockLinePitch(const model::BlockData& block) {
  const bool vertical = block.direction == model::Vertical;
  const int extent = vertical ? block.width : block.height;
  if (block.lines.empty()) return extent;
  const NormalSpan s = normalSpan(block.lines, vertical);
  if (s.n <= 1) return static_cast<int>(extent * 1.2 * 0.5);
  return ((extent - s.sum) / s.n + extent) / s.n;
}

int cellLinePitch(const model::CellData& cell, bool vertical, bool asTheyStand) {
  const NormalSpan s = normalSpan(cell.lines, vertical);
  int extent = vertical ? cell.width : cell.height;
  if (asTheyStand && s.first != nullptr) {
    extent = vertical ? s.first->x + s.first->width - s.last->x
                      : s.last->y + s.last->height - s.first->y;
    if (s.n > 1) return extent / s.n;
    return static_cast<int>(0.8 * extent);
  }
  if (s.n > 1) return (extent + (extent - s.sum) / (s.n - 1)) / s.n;
  return static_cast<int>(0.8 * extent);
}

std::vector<CellRun> lineCells(const model::LineData& line) {
  std::vector<CellRun> cells;
  cells.reserve(line.chars.size());
  int i = 0;
  bool inGroup = false;
  for (const auto& ch : line.chars) {
    const bool tcy = ch.modRotTcy == model::kTateChuYoko;
    if (tcy && inGroup) {
      ++cells.back().count;
    } else {
      cells.push_back({i, 1});
    }
    inGroup = tcy;
    ++i;
  }
  return cells;
}

int cellsBefore(const model::LineData& line, int index) {
  int cells = 0, i = 0;
  bool inGroup = false;
  for (const auto& ch : line.chars) {
    if (i >= index) break;
    const bool tcy = ch.modRotTcy == model::kTateChuYoko;
    if (!(tcy && inGroup)) ++cells;
    inGroup = tcy;
    ++i;
  }
  return cells;
}

int charPitch(const model::LineData& line, bool vertical) {
  if (line.chars.empty()) return 0;
  const int cells = static_cast<int>(lineCells(line).size());
  const bool endsWithReturn = line.chars.back().text[0] == u'\r' && line.chars.back().text[1] == 0;
  const double along = vertical ? line.height : line.width;
  const double across = vertical ? line.width : line.height;
  if (cells > 1 && endsWithReturn) return static_cast<int>((along + 0.2 * across) / (cells - 1));
  if (cells > 2) return static_cast<int>((along + 0.2 * across) / cells);
  return static_cast<int>((along + (vertical ? 0.4 : 0.2) * across) * 0.5);
}

namespace {

bool isNarrow(const model::CharText& text) {
  UChar32 c = text[0];
  if (U16_IS_LEAD(text[0]) && U16_IS_TRAIL(text[1])) c = U16_GET_SUPPLEMENTARY(text[0], text[1]);
  switch (u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH)) {
    case U_EA_NARROW:
    case U_EA_HALFWIDTH:
    case U_EA_NEUTRAL:
      return true;
    default:
      return false;
  }
}

}  // namespace

int fittingFontSize(const model::LineData& line, int fontPx, int pitchPx) {
  bool allNarrow = true;
  auto it = line.chars.begin();
  int i = 0;
  for (const CellRun& run : lineCells(line)) {
    std::advance(it, run.index - i);
    i = run.index;
    if (run.count > 1 || isCarriageReturn(*it)) continue;  // tate-chu-yoko fits its cell
    if (!isNarrow(it->text)) {
      allNarrow = false;
      break;
    }
  }
  const int room = allNarrow ? 2 * pitchPx : pitchPx;
  return std::max(2, std::min(fontPx, room));
}

int lineFontSize(const model::BlockData& block, const model::LineData& line, double zoom,
                 appcore::ImagePane pane) {
  const bool vertical = block.direction == model::Vertical;
  const model::LineData* base = line.baseLine;
  const bool emphasis = line.attr == model::AttrEmph && base != nullptr;
  double size;
  if (vertical) {
    if (emphasis) {
      size = 0.8 * base->width;
    } else {
      size = line.width;
      if (line.width > 19) size *= 0.7;
    }
  } else if (block.avgLineSize > 0 && isNormalLine(line)) {
    size = block.avgLineSize * (block.langId != 0 ? 0.95 : 0.8);
  } else {
    size = emphasis ? 0.8 * base->height : 0.9 * line.height;
  }
  if (pane == appcore::ImagePane::ImageBeside) size *= vertical ? 0.9 : 0.7;
  return std::max(2, static_cast<int>(size * zoom));
}

CanvasRect oneLineImageRect(const model::List<model::LineData>& group,
                            const model::LineData& line) {
  CanvasRect r{line.x - 1, line.y - 1, line.x + line.widthOrg + 1, line.y + line.heightOrg + 1};
  const model::LineData* first = nullptr;
  for (const auto& l : group)
    if (isNormalLine(l)) {
      first = &l;
      break;
    }
  // A line split off the first one keeps the first one's origin until it is re-recognised; its
  // image starts where its own characters do.
  if (first != nullptr && first != &line && isNormalLine(line) && line.x == first->x &&
      line.y == first->y && !line.chars.empty() && line.chars.front().x >= 0) {
    r.left = line.chars.front().x - 1;
    r.top = line.chars.front().y - 1;
  }
  return r;
}

std::optional<CanvasRect> oneLineWindowRect(const OneLineWindowParams& p) {
  const double z = p.zoom;
  const int O = p.offset;
  const int w = p.rect.width(), h = p.rect.height();
  const int L = static_cast<int>(p.rect.left * z) - p.scrollX;
  const int T = static_cast<int>(p.rect.top * z) - p.scrollY;
  int left, top, width, height;
  if (!p.vertical) {
    left = std::max(L, 0) - p.frameWidth;
    const int distance = static_cast<int>((O + h) * z) + (p.table ? 10 : 0);
    top = p.position == 0 ? T + distance : T - distance - 2 * p.frameHeight;
    width = std::min(O + static_cast<int>(w * z) + p.frameWidth, p.client.width - left);
    height = static_cast<int>(h * z) + 2 * p.frameHeight;
  } else {
    top = std::max(T, 0);
    if (p.position == 1)
      left = L + static_cast<int>((O + w) * z) + 2;
    else
      left = L - (static_cast<int>(((p.table ? 2 * O : O) + w) * z) + 2) - p.frameWidth;
    width = static_cast<int>(w * z) + 2 * p.frameWidth;
    height = std::min(O + static_cast<int>(h * z), p.client.height - top) + 2 * p.frameHeight;
  }
  if (width <= 0 || height <= 0) return std::nullopt;
  const CanvasRect r{left, top, left + width, top + height};
  if (r.right <= 0 || r.bottom <= 0 || r.left >= p.client.width || r.top >= p.client.height)
    return std::nullopt;
  return r;
}

int oneLineImageOffset(int storedIndex) {
  switch (storedIndex) {
    case 0:
      return 0;
    case 1:
      return 5;
    case 3:
      return 15;
    case 4:
      return 20;
    case 5:
      return 30;
    default:
      return 10;
  }
}

}  // namespace vellary::editing
