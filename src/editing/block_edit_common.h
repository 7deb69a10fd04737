// What the structure edits (block roles and order, ruby, emphasis, orientation) share: menu items
// as data, and small lookups on the current page.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "caret.h"
#include "document/document.h"
#include "model/block_entries.h"
#include "model/records.h"

namespace vellary::editing {

// One item of a context menu. A separator has id 0 and no caption; a sub-menu has id 0, a
// caption and items.
struct MenuItem {
  int id = 0;
  std::string caption;  // UTF-8, exactly as shown
  bool checked = false;
  bool enabled = true;
  bool separator = false;
  bool newColumn = false;  // starts a new column of the menu
  std::vector<MenuItem> items;

  static MenuItem command(int id, std::string caption) {
    MenuItem m;
    m.id = id;
    m.caption = std::move(caption);
    return m;
  }
  static MenuItem makeSeparator() {
    MenuItem m;
    m.separator = true;
    return m;
  }
};

// A rectangle in page pixels; right and bottom are one past the last pixel.
struct PageRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;

  PageRect normalized() const;
  bool empty() const { return right <= left || bottom <= top; }
  bool contains(int32_t x, int32_t y) const {
    return x >= left && x < right && y >= top && y < bottom;
  }
};

// A window coordinate (after scrolling is added) in page pixels: trunc((point + scroll) / zoom).
int32_t windowToPage(int32_t point, int32_t scroll, double zoom);

namespace detail {

// The current page of the document and its block entries; null without a document or page.
model::PageData* currentPage(document::CScrivlaDoc& doc);
model::PageBlockEntries* currentEntries(document::CScrivlaDoc& doc);

// The block an entry stands for. Entries and blocks correspond by position until an entry is
// removed or moved by itself, so a block whose box and type no longer match the entry at that
// position is looked up by box and type.
model::BlockData* blockOfEntry(model::PageData& page, const model::PageBlockEntries& entries,
                               int entry);
int blockIndex(const model::PageData& page, const model::BlockData* block);
// The list that holds the line: the block's lines or one of its cells' lines.
model::List<model::LineData>* lineListOf(model::BlockData& block, const model::LineData* line);

// A measure computed in 64 bits, kept within the 32 bits of the records.
int32_t clampToInt32(int64_t v);
// charCount of a line from its characters, and of a block (and its cells) from their lines.
void recountLine(model::LineData& line);
void recountBlock(model::BlockData& block);

CharIt charAt(model::LineData& line, int index);
// Whether the node belongs to the line (an iterator into another list must not be compared).
bool lineHolds(const model::LineData& line, const model::CharData* ch);

// When the page's changed flag is clear, set it and show the page's mark.
void markPageChanged(document::CScrivlaDoc& doc);

}  // namespace detail

}  // namespace vellary::editing
