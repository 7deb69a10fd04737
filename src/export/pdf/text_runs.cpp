// Text PDF: visible text runs of text blocks, and tables with their cell texts and rules.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "export/pdf/pdf_data.h"

namespace vellary::exporting::pdf {

namespace {

// x + width without overflow, for boxes a damaged file may make absurd.
int edge(int32_t at, int32_t extent) {
  return static_cast<int>(std::clamp<int64_t>(int64_t{at} + extent, INT_MIN, INT_MAX));
}

// A block's or cell's average line thickness as whole pixels, within what a page can hold.
int thickness(float average) {
  return average > 0 && average < (1 << 20) ? static_cast<int>(average) : 0;
}

// Extents of the positioned characters of a run, a line or a cell, in pixels.
struct Extent {
  int count = 0;
  int minLeft = INT_MAX, minTop = INT_MAX, maxRight = INT_MIN, maxBottom = INT_MIN;
  int firstLeft = 0, firstBottom = 0, firstCentre = 0;
  int maxHeight = 0;
  int64_t sumWidth = 0, sumHeight = 0;

  void add(const model::CharData& c) {
    if (count == 0) {
      firstLeft = c.x;
      firstBottom = edge(c.y, c.height);
      firstCentre = edge(c.x, c.width / 2);
    }
    ++count;
    minLeft = std::min(minLeft, c.x);
    minTop = std::min(minTop, c.y);
    maxRight = std::max(maxRight, edge(c.x, c.width));
    maxBottom = std::max(maxBottom, edge(c.y, c.height));
    maxHeight = std::max(maxHeight, c.height);
    sumWidth += c.width;
    sumHeight += c.height;
  }
  void add(const Extent& e) {
    if (e.count == 0) return;
    if (count == 0) {
      firstLeft = e.firstLeft;
      firstBottom = e.firstBottom;
      firstCentre = e.firstCentre;
    }
    count += e.count;
    minLeft = std::min(minLeft, e.minLeft);
    minTop = std::min(minTop, e.minTop);
    maxRight = std::max(maxRight, e.maxRight);
    maxBottom = std::max(maxBottom, e.maxBottom);
    maxHeight = std::max(maxHeight, e.maxHeight);
    sumWidth += e.sumWidth;
    sumHeight += e.sumHeight;
  }
  int averageWidth() const { return count ? static_cast<int>(sumWidth / count) : 0; }
  int averageHeight() const { return count ? static_cast<int>(sumHeight / count) : 0; }
  // Stands in for the characters of a run or cell that has no positioned one: its box.
  static Extent ofBox(int x, int y, int width, int height, int thickness) {
    Extent e;
    e.count = 1;
    e.minLeft = e.firstLeft = x;
    e.minTop = y;
    e.maxRight = edge(x, width);
    e.maxBottom = edge(y, height);
    e.firstBottom = edge(y, std::max(thickness, 1));
    e.firstCentre = edge(x, width / 2);
    e.maxHeight = thickness;
    e.sumWidth = e.sumHeight = thickness;
    return e;
  }
};

bool taken(const model::CharData& c) {
  const char16_t u = c.text[0];
  return u != 0 && !(c.text[1] == 0 && (u == u'\t' || u == u'\r'));
}

void appendChar(std::u16string& text, const model::CharData& c) {
  text += c.text[0];
  if (c.text[1] != 0) text += c.text[1];
}

struct Run {
  std::u16string text;
  Extent extent;
  int lines = 0;
  int previousHeight = 0;  // largest character height of the run's last positioned line
};

class TextRunComposer {
 public:
  TextRunComposer(CPDFdata& data) : data_(data), page_(data.page()) {}

  void block(const model::BlockData& block) {
    font_ = fontTypeFor(block.direction, block.langId);
    vertical_ = isVerticalFont(font_);
    block_ = &block;
    const int threshold = data_.dpi() * 3 / 72;
    const bool dropRepeatedSpace = block.langId == 161 || block.langId == 204;
    Run run;
    size_t index = 0;
    for (const model::LineData& line : block.lines) {
      const bool lastLine = ++index == block.lines.size();
      std::u16string text;
      Extent extent;
      for (const model::CharData& c : line.chars) {
        if (!taken(c)) continue;
        if (dropRepeatedSpace && c.text[0] == u' ' && c.text[1] == 0 && lastTaken_ == u' ')
          continue;
        appendChar(text, c);
        lastTaken_ = c.text[0];
        if (isPositioned(c)) extent.add(c);
      }
      const bool stays = run.extent.count == 0 || extent.count == 0 ||
                         (line.attr == model::AttrNone &&
                          std::abs(extent.maxHeight - run.previousHeight) <= threshold);
      if (!stays) {
        close(run);
        run = Run{};
      }
      run.text += text;
      run.extent.add(extent);
      ++run.lines;
      if (extent.count > 0) run.previousHeight = extent.maxHeight;
      if (!lastLine && run.extent.count > 0) run.text += u'\n';
    }
    const size_t before = page_.texts.size();
    close(run);
    followUp(before, run);
  }

 private:
  void close(const Run& run) {
    if (run.text.empty()) return;
    const Extent e = run.extent.count > 0
                         ? run.extent
                         : Extent::ofBox(block_->x, block_->y, block_->width, block_->height,
                                         thickness(block_->avgLineSize));
    const int dpi = data_.dpi();
    const int H = data_.heightPoints();
    auto size = [&](int v) {
      return static_cast<int>(std::clamp<int64_t>((dpi / 2 + int64_t{v} * 72) / dpi, 0, 1 << 16));
    };
    PdfText t;
    t.text = run.text;
    t.fontType = font_;
    const int sA = size(e.averageHeight()), sB = size(e.averageWidth());
    t.fontSize = isHalfWidth(lastTaken_) ? sA : (sA + sB) / 2;
    const int lines = std::max(run.lines, 1);
    if (!vertical_) {
      t.x = data_.points(e.minLeft);
      t.y = H - data_.points(e.firstBottom);
      const double advance = lines > 1
                                 ? (static_cast<double>(e.maxBottom) - e.firstBottom) / (lines - 1)
                                 : static_cast<double>(e.maxBottom) - e.minTop;
      t.lineAdvance = wholePoints(data_.pointsExact(advance));
    } else {
      t.x = data_.points(e.firstCentre);
      t.y = H - data_.points(e.minTop);
      const double advance = lines > 1
                                 ? (static_cast<double>(e.firstLeft) - e.minLeft) / (lines - 1)
                                 : static_cast<double>(e.maxRight) - e.minLeft;
      t.lineAdvance = wholePoints(data_.pointsExact(advance));
    }
    t.renderMode = RenderVisible;
    // Room for the three characters a single-line follow-up may add.
    t.colours.reserve(t.text.size() + 3);
    t.colours.assign(t.text.size(), Rgb{});
    page_.texts.push_back(std::move(t));
    lastExtent_ = e;
  }

  // A one-line run that ends a block is followed by a blank line when the next text block's last
  // run starts left of it and above its bottom, so that the two do not run together.
  void followUp(size_t firstRecord, const Run& lastRun) {
    if (page_.texts.size() == firstRecord) return;  // the block made no record
    const Extent& e = lastExtent_;
    if (remembered_ >= 0 && e.minLeft < rememberedExtent_.minLeft &&
        e.minTop < rememberedExtent_.maxBottom) {
      PdfText& r = page_.texts[static_cast<size_t>(remembered_)];
      r.text += u"\n \n";
      r.colours.resize(r.text.size(), Rgb{});
    }
    remembered_ = -1;
    if (lastRun.lines == 1 && lastRun.text.find(u'\n') == std::u16string::npos) {
      remembered_ = static_cast<int>(page_.texts.size()) - 1;
      rememberedExtent_ = e;
    }
  }

  CPDFdata& data_;
  PdfPage& page_;
  const model::BlockData* block_ = nullptr;
  int font_ = FontMincho;
  bool vertical_ = false;
  char16_t lastTaken_ = 0;
  Extent lastExtent_;
  int remembered_ = -1;
  Extent rememberedExtent_;
};

bool hasCharacters(const model::BlockData& block) {
  for (const model::LineData& line : block.lines)
    if (!line.chars.empty()) return true;
  return false;
}

// Grids beyond this many positions are not tables a page can hold; a damaged row or column
// number must not make us allocate for them.
constexpr int64_t kMaxTableGrid = 1 << 16;

}  // namespace

void CPDFdata::composeTextRuns(const model::PageData& page) {
  TextRunComposer composer(*this);
  for (const model::BlockData& block : page.blocks)
    if (block.type == model::BlockText && hasCharacters(block)) composer.block(block);
}

void CPDFdata::composeTables(const model::PageData& page) {
  const int H = heightPoints();
  const int dpi = page_.dpi;
  auto hx = [&](int x) { return wholePoints(static_cast<int64_t>(x) * 72 * 100 / dpi); };
  auto hy = [&](int y) { return wholePoints((H - y * 72.0 / dpi) * 100); };
  for (const model::BlockData& block : page.blocks) {
    if (block.type != model::BlockTable) continue;
    // Rows and columns count from 1; a table whose numbers start at 0 is shifted by one, so
    // that its first row and column keep their place in the grid.
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
    if (rows == 0 || columns == 0 || static_cast<int64_t>(rows) * columns > kMaxTableGrid) continue;
    std::vector<const model::CellData*> grid(static_cast<size_t>(rows) * columns, nullptr);
    for (const model::CellData& cell : block.cells) {
      if (cell.row < 0 || cell.col < 0) continue;
      auto& slot =
          grid[static_cast<size_t>(cell.row + rowShift - 1) * columns + (cell.col + colShift - 1)];
      if (slot == nullptr) slot = &cell;
    }
    const int font = fontTypeFor(block.direction, block.langId);
    const bool vertical = isVerticalFont(font);
    PdfTable table;
    table.rows = rows;
    table.columns = columns;
    for (const model::CellData* cell : grid) {
      PdfText t;
      t.fontType = font;
      if (cell != nullptr) {
        Extent e;
        size_t lineIndex = 0;
        for (const model::LineData& line : cell->lines) {
          if (lineIndex++ > 0) t.text += u'\n';
          for (const model::CharData& c : line.chars) {
            if (!taken(c)) continue;
            appendChar(t.text, c);
            if (isPositioned(c)) e.add(c);
          }
        }
        if (e.count == 0)
          e = Extent::ofBox(cell->x, cell->y, cell->width, cell->height,
                            thickness(cell->avgLineSize));
        t.fontSize =
            roundedPoints((pointsExact(e.averageWidth()) + pointsExact(e.averageHeight())) / 2);
        const int lines = static_cast<int>(cell->lines.size());
        if (!vertical) {
          t.x = roundedPoints(pointsExact(e.minLeft));
          t.y = roundedPoints(H - pointsExact(e.firstBottom));
          if (lines > 1)
            t.lineAdvance = wholePoints((static_cast<double>(e.maxBottom) - e.firstBottom) /
                                        (lines - 1) * 7200 / dpi);
        } else {
          t.x = roundedPoints(pointsExact(e.firstCentre));
          t.y = roundedPoints(H - pointsExact(e.minTop));
          if (lines > 1)
            t.lineAdvance = wholePoints((static_cast<double>(e.firstLeft) - e.minLeft) /
                                        (lines - 1) * 7200 / dpi);
        }
        if (t.lineAdvance == 0) std::erase(t.text, u'\n');
        t.colours.assign(t.text.size(), Rgb{});
      }
      table.cells.push_back(std::move(t));
    }
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
    page_.tables.push_back(std::move(table));
  }
}

}  // namespace vellary::exporting::pdf
