// Lookups on the current page and the marks every structure edit sets.
#include "block_edit_common.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace vellary::editing {

PageRect PageRect::normalized() const {
  return PageRect{std::min(left, right), std::min(top, bottom), std::max(left, right),
                  std::max(top, bottom)};
}

int32_t windowToPage(int32_t point, int32_t scroll, double zoom) {
  if (!(zoom > 0)) return 0;
  return static_cast<int32_t>(std::trunc((static_cast<double>(point) + scroll) / zoom));
}

namespace detail {

using namespace model;

PageData* currentPage(document::CScrivlaDoc& doc) { return doc.page(doc.currentPage()); }

PageBlockEntries* currentEntries(document::CScrivlaDoc& doc) {
  PaperData* paper = doc.paper();
  if (paper == nullptr || currentPage(doc) == nullptr) return nullptr;
  BlockEntryTable& table = doc.blockEntries();
  if (table.pageCount() != paper->pages.size()) table.rebuildAll(*paper, doc.zoom());
  return &table.page(static_cast<size_t>(doc.currentPage()));
}

namespace {

bool matches(const BlockData& b, const BlockEntry& e) {
  return b.x == e.x && b.y == e.y && b.width == e.width && b.height == e.height && b.type == e.type;
}

}  // namespace

BlockData* blockOfEntry(PageData& page, const PageBlockEntries& entries, int entry) {
  if (entry < 0 || entry >= static_cast<int>(entries.entries.size())) return nullptr;
  const BlockEntry& e = entries.entries[static_cast<size_t>(entry)];
  if (static_cast<size_t>(entry) < page.blocks.size()) {
    BlockData& same = *std::next(page.blocks.begin(), entry);
    if (matches(same, e)) return &same;
  }
  for (BlockData& b : page.blocks)
    if (matches(b, e)) return &b;
  return nullptr;
}

int blockIndex(const PageData& page, const BlockData* block) {
  int i = 0;
  for (const BlockData& b : page.blocks) {
    if (&b == block) return i;
    ++i;
  }
  return -1;
}

List<LineData>* lineListOf(BlockData& block, const LineData* line) {
  auto holds = [line](const List<LineData>& lines) {
    return std::any_of(lines.begin(), lines.end(),
                       [line](const LineData& l) { return &l == line; });
  };
  if (holds(block.lines)) return &block.lines;
  for (CellData& c : block.cells)
    if (holds(c.lines)) return &c.lines;
  return nullptr;
}

int32_t clampToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

void recountLine(LineData& line) {
  int64_t n = 0;
  for (const CharData& c : line.chars) n += charTextLength(c.text);
  line.charCount = clampToInt32(n);
}

void recountBlock(BlockData& block) {
  int64_t n = 0;
  for (const LineData& l : block.lines) n += l.charCount;
  for (CellData& c : block.cells) {
    int64_t m = 0;
    for (const LineData& l : c.lines) m += l.charCount;
    c.charCount = clampToInt32(m);
    n += m;
  }
  block.charCount = clampToInt32(n);
}

CharIt charAt(LineData& line, int index) {
  if (index < 0 || index >= static_cast<int>(line.chars.size())) return line.chars.end();
  return std::next(line.chars.begin(), index);
}

bool lineHolds(const LineData& line, const CharData* ch) {
  return std::any_of(line.chars.begin(), line.chars.end(),
                     [ch](const CharData& c) { return &c == ch; });
}

void markPageChanged(document::CScrivlaDoc& doc) {
  PageBlockEntries* entries = currentEntries(doc);
  if (entries == nullptr || entries->changed != 0) return;
  entries->changed = 1;
  doc.markPage(0);
}

}  // namespace detail

}  // namespace vellary::editing
