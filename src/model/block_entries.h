// Block entries: per page, one small record per block that block editing selects and the text
// view draws as frames. Rebuilt from the blocks whenever they change wholesale.
#pragma once

#include <cstdint>
#include <vector>

#include "records.h"

namespace vellary::model {

struct DisplayBox {
  int32_t left = 0, top = 0, right = 0, bottom = 0;  // screen pixels at the document's zoom
};

struct BlockEntry {
  int32_t x = 0, y = 0, width = 0, height = 0;  // page pixels
  int32_t sec = SecText;
  int32_t type = BlockText;
  int32_t direction = Horizontal;
  int32_t refNumber = 0;  // 1, 2, 3 … over the page's ref blocks; 0 for other roles
  int32_t selected = 0;
  DisplayBox display;
};

// The page pixels of a box, multiplied by zoom and truncated toward zero.
DisplayBox displayBoxFor(int32_t x, int32_t y, int32_t width, int32_t height, double zoom);

struct PageBlockEntries {
  std::vector<BlockEntry> entries;  // in block order
  int32_t refCount = 0;
  int32_t changed = 0;  // 1 when block editing changed the page

  void rebuild(const PageData& page, double zoom);
  // Recomputes every display box, after a zoom change.
  void rezoom(double zoom);
};

// One list per page, in page order.
class BlockEntryTable {
 public:
  void rebuildAll(const PaperData& paper, double zoom);
  // Rebuilds the list of the page at the 0-based index; pages are taken from paper.
  void rebuildPage(const PaperData& paper, size_t pageIndex, double zoom);
  void rezoom(double zoom);
  void clear() { pages_.clear(); }

  size_t pageCount() const { return pages_.size(); }
  PageBlockEntries& page(size_t index) { return pages_.at(index); }
  const PageBlockEntries& page(size_t index) const { return pages_.at(index); }

 private:
  std::vector<PageBlockEntries> pages_;
};

}  // namespace vellary::model
