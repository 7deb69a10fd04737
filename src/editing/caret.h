// Where the caret stands and what is selected, in terms of the page's records, and how the caret
// walks through lines, cells and blocks. The text view holds one CaretState; every editing
// operation reads and moves it. Nothing here knows about windows or painting.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/block_entries.h"
#include "model/records.h"

namespace vellary::editing {

using CharIt = model::List<model::CharData>::iterator;
using LineIt = model::List<model::LineData>::iterator;

// The caret stands before `ch`; `ch == line->chars.end()` is the line's end position, after its
// last character. A position without a line is no position at all. `cell` is the cell holding
// the line in a table block, null elsewhere.
struct CaretPos {
  model::BlockData* block = nullptr;
  model::CellData* cell = nullptr;
  model::LineData* line = nullptr;
  CharIt ch{};

  bool valid() const { return line != nullptr; }
  bool atLineEnd() const { return valid() && ch == line->chars.end(); }
  // The character the caret stands before; null at the end position or without a caret.
  model::CharData* character() const { return valid() && !atLineEnd() ? &*ch : nullptr; }
  // The caret's index in its line, counting characters (list nodes) from 0; −1 without a caret.
  int index() const;
  friend bool operator==(const CaretPos& a, const CaretPos& b) {
    return a.block == b.block && a.line == b.line && (a.line == nullptr || a.ch == b.ch);
  }
};

// A run of characters within one block, between anchor and active in either order. The
// characters selected are those from the earlier position up to, not including, the later one.
struct Selection {
  CaretPos anchor;
  CaretPos active;

  bool empty() const { return !anchor.valid() || !active.valid() || anchor == active; }
  void clear() { anchor = active = CaretPos{}; }
  void collapseTo(const CaretPos& p) { anchor = active = p; }
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

// --- Lines in document order ----------------------------------------------------------------

// Blocks that hold editable text: text and table blocks (image and ruled-line blocks do not).
bool holdsText(const model::BlockData& block);
// A normal line (attr none) holding at least one character: the only kind the caret walks to.
bool isNormalLineWithChars(const model::LineData& line);
bool isCarriageReturn(const model::CharData& c);

// One line of a page with the block and, in a table, the cell that hold it.
struct LineRef {
  model::BlockData* block = nullptr;
  model::CellData* cell = nullptr;
  model::LineData* line = nullptr;
};
// The list that holds a line: the block's lines, or its cell's lines in a table.
model::List<model::LineData>& groupLines(model::BlockData& block, model::CellData* cell);
// Every line of the page's text and table blocks, in document order (cells in list order).
std::vector<LineRef> pageLines(model::PageData& page);
// The cell of a table block that holds `line`; null when none does (or not a table).
model::CellData* cellOf(model::BlockData& block, const model::LineData* line);
// The block (and cell) of the page that holds `line`.
std::optional<LineRef> findLine(model::PageData& page, const model::LineData* line);

enum class Reach {
  Group,  // stay within the block's lines, or within one cell of a table (Shift held)
  Page,   // cross cells and blocks of the page
};
// The next (previous) normal line with characters after (before) `from` in document order;
// nothing when none lies within reach.
std::optional<LineRef> nextLineWithChars(model::PageData& page, const LineRef& from, Reach reach);
std::optional<LineRef> previousLineWithChars(model::PageData& page, const LineRef& from,
                                             Reach reach);
std::optional<LineRef> firstLineWithChars(model::PageData& page);
std::optional<LineRef> lastLineWithChars(model::PageData& page);
// The first normal line of the first text or table block (first line of its first cell for a
// table): where a caret goes on a page it enters; nothing when the page has no such line.
std::optional<LineRef> firstNormalLine(model::PageData& page);
std::optional<LineRef> firstNormalLineOfBlock(model::BlockData& block);

CaretPos caretAt(const LineRef& ref, int index);  // index clamped to 0 … character count
inline LineRef refOf(const CaretPos& p) { return {p.block, p.cell, p.line}; }

// --- Caret movement within one page ---------------------------------------------------------
// Each returns whether the caret moved. When the page holds no line to move to in that
// direction, `needsPage` (when given) is set: the caller may look on the next or previous page.
bool moveNextCharacter(model::PageData& page, CaretPos& caret, bool shift,
                       bool* needsPage = nullptr);
bool movePreviousCharacter(model::PageData& page, CaretPos& caret, bool shift,
                           bool* needsPage = nullptr);
// column: the remembered column, or −1 for the caret's own index.
bool moveNextLine(model::PageData& page, CaretPos& caret, int column, bool shift,
                  bool* needsPage = nullptr);
bool movePreviousLine(model::PageData& page, CaretPos& caret, int column, bool shift,
                      bool* needsPage = nullptr);
// On a line entered from another page: before the first character, or at the remembered column.
void placeInLine(CaretPos& caret, const LineRef& line, int column);
// The line entered backwards: before its final carriage return when it has one, else at its
// end position.
void placeAtLineEndForBackwardMove(CaretPos& caret, const LineRef& line);

// --- Undo's caret triple and selection positions --------------------------------------------
// Succeeds only when block, line and character were all found.
std::optional<CaretTriple> reportCaret(model::PageData& page, const CaretPos& caret);
std::optional<CaretPos> caretFromTriple(model::PageData& page, const CaretTriple& triple);
// Positions of the first and last selected character counted over the characters of the page's
// non-table blocks (blocks, then lines, then characters); {−1, −1} when nothing is selected or
// the selection lies in a table.
std::pair<int, int> selectionPositions(model::PageData& page, const Selection& selection);
// The selection that covers the characters at those positions, both included; empty when either
// position names no character or they lie in different blocks.
Selection selectionFromPositions(model::PageData& page, int first, int last);

// --- Selection ------------------------------------------------------------------------------
// The selection's two ends in document order (start first); the same when already ordered.
std::pair<CaretPos, CaretPos> ordered(model::PageData& page, const Selection& selection);
// The selected characters of one line: indexes first … last, both included.
struct LineSpan {
  model::LineData* line = nullptr;
  int first = 0, last = 0;
};
// One span per line that holds selected characters, in document order, for highlighting.
std::vector<LineSpan> selectionSpans(model::PageData& page, const Selection& selection);
// The selected characters' UTF-16 units, line by line in document order, nothing between lines.
std::u16string selectedText(model::PageData& page, const Selection& selection);

}  // namespace vellary::editing
