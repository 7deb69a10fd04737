// Block entries: rebuilding from the blocks and display boxes at a zoom.
#include "block_entries.h"

#include <iterator>

namespace vellary::model {

DisplayBox displayBoxFor(int32_t x, int32_t y, int32_t width, int32_t height, double zoom) {
  auto scale = [zoom](int64_t v) { return static_cast<int32_t>(static_cast<double>(v) * zoom); };
  return DisplayBox{scale(x), scale(y), scale(int64_t{x} + width), scale(int64_t{y} + height)};
}

void PageBlockEntries::rebuild(const PageData& page, double zoom) {
  entries.clear();
  entries.reserve(page.blocks.size());
  changed = 0;
  refCount = 0;
  for (const BlockData& b : page.blocks) {
    BlockEntry e;
    e.x = b.x;
    e.y = b.y;
    e.width = b.width;
    e.height = b.height;
    e.sec = b.sec;
    e.type = b.type;
    e.direction = b.direction;
    e.refNumber = b.sec == SecRef ? ++refCount : 0;
    e.display = displayBoxFor(b.x, b.y, b.width, b.height, zoom);
    entries.push_back(e);
  }
}

void PageBlockEntries::rezoom(double zoom) {
  for (BlockEntry& e : entries) e.display = displayBoxFor(e.x, e.y, e.width, e.height, zoom);
}

void BlockEntryTable::rebuildAll(const PaperData& paper, double zoom) {
  pages_.assign(paper.pages.size(), PageBlockEntries{});
  size_t i = 0;
  for (const PageData& p : paper.pages) pages_[i++].rebuild(p, zoom);
}

void BlockEntryTable::rebuildPage(const PaperData& paper, size_t pageIndex, double zoom) {
  if (pageIndex >= paper.pages.size()) return;
  if (pages_.size() != paper.pages.size()) pages_.resize(paper.pages.size());
  pages_[pageIndex].rebuild(*std::next(paper.pages.begin(), static_cast<long>(pageIndex)), zoom);
}

void BlockEntryTable::rezoom(double zoom) {
  for (PageBlockEntries& p : pages_) p.rezoom(zoom);
}

}  // namespace vellary::model
