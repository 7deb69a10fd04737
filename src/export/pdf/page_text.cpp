// The text of a page as PDF records: every line of the text blocks and table cells with the box
// of each of its characters, in points, drawn visibly (text PDF) or invisibly under the page
// picture (image PDF); tables with the rules of their cells' borders (text PDF).
#include <algorithm>
#include <climits>
#include <cmath>
#include <map>

#include "export/pdf/pdf_data.h"

namespace vellary::exporting::pdf {

namespace {

// x + width without overflow, for boxes a damaged file may make absurd.
int edge(int32_t at, int32_t extent) {
  return static_cast<int>(std::clamp<int64_t>(int64_t{at} + extent, INT_MIN, INT_MAX));
}

bool taken(const model::CharData& c) {
  const char16_t u = c.text[0];
  return u != 0 && !(c.text[1] == 0 && (u == u'\t' || u == u'\r'));
}

char32_t codeOf(const model::CharData& c) {
  const char16_t u = c.text[0], low = c.text[1];
  if (u >= 0xD800 && u <= 0xDBFF && low >= 0xDC00 && low <= 0xDFFF)
    return 0x10000 + ((char32_t{u} - 0xD800) << 10) + (char32_t{low} - 0xDC00);
  return u >= 0xD800 && u <= 0xDFFF ? char32_t{0xFFFD} : char32_t{u};
}

// Grids beyond this many positions are not tables a page can hold; a damaged row or column
// number must not make us allocate for them.
constexpr int64_t kMaxTableGrid = 1 << 16;

class PageText {
 public:
  PageText(CPDFdata& data, int renderMode) : data_(data), page_(data.page()), mode_(renderMode) {}

  void block(const model::BlockData& block, int order);
  void table(const model::BlockData& block, int order);

 private:
  // A pixel box as points, y growing upwards; coordinates are kept far inside what a double
  // holds exactly.
  PdfBox box(int x, int y, int width, int height) const {
    auto clampPx = [](int64_t v) { return static_cast<double>(std::clamp<int64_t>(v, -(1 << 24), 1 << 24)); };
    const double k = 72.0 / data_.dpi();
    return {clampPx(x) * k, (data_.height() - clampPx(int64_t{y} + height)) * k,
            clampPx(int64_t{x} + width) * k, (data_.height() - clampPx(y)) * k};
  }
  PdfLine line(const model::LineData& l, int fontType) const;

  CPDFdata& data_;
  PdfPage& page_;
  int mode_;
};

PdfLine PageText::line(const model::LineData& l, int fontType) const {
  PdfLine out;
  out.fontType = fontType;
  if (l.width > 0 || l.height > 0) {
    out.box = box(l.x, l.y, l.width, l.height);
    out.hasBox = true;
  }
  for (const model::CharData& c : l.chars) {
    if (!taken(c)) continue;
    PdfChar pc;
    pc.code = codeOf(c);
    pc.placed = isPositioned(c);
    if (pc.placed) pc.box = box(c.x, c.y, c.width, c.height);
    out.chars.push_back(pc);
  }
  return out;
}

PdfRole roleOf(const model::BlockData& block) {
  switch (block.sec) {
    case model::SecTitle:
    case model::SecExTitle:
      return PdfRole::Heading;
    case model::SecUpperPageNum:
    case model::SecLowerPageNum:
    case model::SecHeader:
    case model::SecFooter:
    case model::SecLeftPillar:
    case model::SecRightPillar:
      return PdfRole::Artifact;
    default:
      return PdfRole::Paragraph;
  }
}

void PageText::block(const model::BlockData& block, int order) {
  PdfTextBlock out;
  out.renderMode = mode_;
  out.role = roleOf(block);
  out.lang = languageOf(block.langId);
  out.order = order;
  const int font = fontTypeFor(block.direction, block.langId);
  for (const model::LineData& l : block.lines) {
    PdfLine pl = line(l, font);
    if (!pl.chars.empty()) out.lines.push_back(std::move(pl));
  }
  if (!out.lines.empty()) page_.blocks.push_back(std::move(out));
}

void PageText::table(const model::BlockData& block, int order) {
  const int H = data_.heightPoints();
  const int dpi = data_.dpi();
  auto hx = [&](int x) { return wholePoints(static_cast<int64_t>(x) * 72 * 100 / dpi); };
  auto hy = [&](int y) { return wholePoints((H - y * 72.0 / dpi) * 100); };
  // Rows and columns count from 1; a table whose numbers start at 0 is shifted by one, so that
  // its first row and column keep their place in the grid.
  int minRow = INT_MAX, minCol = INT_MAX;
  for (const model::CellData& cell : block.cells) {
    if (cell.row < 0 || cell.col < 0) continue;
    minRow = std::min(minRow, cell.row);
    minCol = std::min(minCol, cell.col);
  }
  const int rowShift = minRow == 0 ? 1 : 0, colShift = minCol == 0 ? 1 : 0;
  int rows = 0, columns = 0;
  for (const model::CellData& cell : block.cells) {
    if (cell.row < 0 || cell.col < 0) continue;
    rows = std::max(rows, cell.row + rowShift);
    columns = std::max(columns, cell.col + colShift);
  }
  if (rows == 0 || columns == 0 || static_cast<int64_t>(rows) * columns > kMaxTableGrid) return;
  std::vector<const model::CellData*> grid(static_cast<size_t>(rows) * columns, nullptr);
  for (const model::CellData& cell : block.cells) {
    if (cell.row < 0 || cell.col < 0) continue;
    auto& slot =
        grid[static_cast<size_t>(cell.row + rowShift - 1) * columns + (cell.col + colShift - 1)];
    if (slot == nullptr) slot = &cell;
  }
  // Joined cells: the group's first cell spans the group, the others are covered by it.
  struct Span {
    int top = INT_MAX, left = INT_MAX, bottom = -1, right = -1;
  };
  std::map<int, Span> groups;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c)
      if (const model::CellData* cell = grid[static_cast<size_t>(r) * columns + c];
          cell != nullptr && cell->connectGroup > 0) {
        Span& s = groups[cell->connectGroup];
        s.top = std::min(s.top, r), s.bottom = std::max(s.bottom, r);
        s.left = std::min(s.left, c), s.right = std::max(s.right, c);
      }

  const int font = fontTypeFor(block.direction, block.langId);
  PdfTable table;
  table.rows = rows;
  table.columns = columns;
  table.renderMode = mode_;
  table.lang = languageOf(block.langId);
  table.order = order;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c) {
      const model::CellData* cell = grid[static_cast<size_t>(r) * columns + c];
      if (cell == nullptr) continue;
      PdfCell pc{r, c, 1, 1, {}};
      if (cell->connectGroup > 0) {
        const Span& s = groups[cell->connectGroup];
        if (r != s.top || c != s.left) continue;  // covered by the group's first cell
        pc.rowSpan = s.bottom - s.top + 1;
        pc.columnSpan = s.right - s.left + 1;
      }
      for (const model::LineData& l : cell->lines) {
        PdfLine pl = line(l, font);
        if (!pl.chars.empty()) pc.lines.push_back(std::move(pl));
      }
      table.cells.push_back(std::move(pc));
    }

  if (mode_ == RenderVisible) {
    auto at = [&](int r, int c) { return grid[static_cast<size_t>(r) * columns + c]; };
    auto rule = [&](const model::CellData* cell, int x1, int y1, int x2, int y2, int side) {
      PdfRule r;
      if (cell != nullptr) r = PdfRule{hx(x1), hy(y1), hx(x2), hy(y2), cell->border[side]};
      return r;
    };
    for (int r = 0; r <= rows; ++r)
      for (int c = 0; c < columns; ++c) {
        const model::CellData* cell = at(std::min(r, rows - 1), c);
        const int y = cell == nullptr ? 0 : r < rows ? cell->y : edge(cell->y, cell->height);
        table.horizontalRules.push_back(
            cell == nullptr
                ? PdfRule{}
                : rule(cell, cell->x, y, edge(cell->x, cell->width), y, r < rows ? 1 : 3));
      }
    for (int c = 0; c <= columns; ++c)
      for (int r = 0; r < rows; ++r) {
        const model::CellData* cell = at(r, std::min(c, columns - 1));
        const int x = cell == nullptr ? 0 : c < columns ? cell->x : edge(cell->x, cell->width);
        table.verticalRules.push_back(
            cell == nullptr
                ? PdfRule{}
                : rule(cell, x, cell->y, x, edge(cell->y, cell->height), c < columns ? 0 : 2));
      }
  }
  page_.tables.push_back(std::move(table));
}

}  // namespace

std::string languageOf(int langId) {
  switch (langId) {
    case 0:
      return "en";
    case 134:
      return "zh-CN";
    case 136:
      return "zh-TW";
    case 129:
      return "ko";
    default:
      return {};
  }
}

void CPDFdata::composeText(const model::PageData& page, int renderMode) {
  PageText text(*this, renderMode);
  int order = 0;
  for (const model::BlockData& block : page.blocks) {
    if (block.type == model::BlockText)
      text.block(block, order);
    else if (block.type == model::BlockTable)
      text.table(block, order);
    ++order;
  }
}

}  // namespace vellary::exporting::pdf
