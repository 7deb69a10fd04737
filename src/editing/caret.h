// Where the caret stands and what is selected, in terms of the page's records. The text view
// holds one CaretState; every editing operation reads and moves it. Nothing here knows about
// windows or painting.
#pragma once

#include <cstdint>

#include "model/block_entries.h"
#include "model/records.h"

namespace vellary::editing {

using CharIt = model::List<model::CharData>::iterator;

// The caret stands before `ch`; `ch == line->chars.end()` is the line's end position, after its
// last character. A position without a line is no position at all.
struct CaretPos {
  model::BlockData* block = nullptr;
  model::LineData* line = nullptr;
  CharIt ch{};

  bool valid() const { return line != nullptr; }
  bool atLineEnd() const { return valid() && ch == line->chars.end(); }
  // The caret's index in its line, counting characters (list nodes) from 0; −1 without a caret.
  int index() const;
  friend bool operator==(const CaretPos& a, const CaretPos& b) {
    return a.block == b.block && a.line == b.line && (a.line == nullptr || a.ch == b.ch);
  }
};

// A run of characters within one block, between anchor and active in either order.
struct Selection {
  CaretPos anchor;
  CaretPos active;

  bool empty() const { return !anchor.valid() || !active.valid() || anchor == active; }
  void clear() { anchor = active = CaretPos{}; }
};

struct CaretState {
  int entry = -1;  // index of the current block entry in the page's block entries; −1 none
  CaretPos caret;
  int32_t lastMouseX = 0, lastMouseY = 0;  // page pixels
  int rememberedColumn = -1;               // caret index when the current key press began
  model::LineData* lineAtKeyDown = nullptr;
  bool dragging = false;
  bool keyHeld = false;
  Selection selection;

  void clear() { *this = CaretState{}; }
};

// A position by numbers rather than nodes: the block's index in the page's block list (every
// kind counted), the line's index in the block (in a table, over the lines of all cells in cell
// order) and the caret's index in the line. This is what undo stores and restores.
struct CaretTriple {
  int32_t block = -1, line = -1, ch = -1;
};

}  // namespace vellary::editing
