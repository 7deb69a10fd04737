// Changes to the lines of one block or cell that typing and deleting are built from: inserting
// and removing characters with their counts, keeping side lines on their base characters,
// splitting a line at the caret, joining a line with the line that continues it on its row.
#pragma once

#include <cstdint>

#include "caret.h"

namespace vellary::editing {

// The lines a line belongs to: a text block's lines, or one cell's lines in a table. Side lines
// and their base lines always share one group.
struct LineGroup {
  model::BlockData* block = nullptr;
  model::CellData* cell = nullptr;  // null outside tables

  model::List<model::LineData>& lines() const { return groupLines(*block, cell); }
  // Adds to the character counts (UTF-16 units) of the line, its cell and its block.
  void addUnits(model::LineData& line, int delta) const;
  LineIt find(const model::LineData* line) const;
  // The next (previous) normal line of the group after (before) `line`; null when none.
  model::LineData* nextNormal(const model::LineData* line) const;
  model::LineData* previousNormal(const model::LineData* line) const;
  bool isFirstNormal(const model::LineData* line) const { return previousNormal(line) == nullptr; }
  int normalLineCount() const;
};
inline LineGroup groupOf(const CaretPos& p) { return {p.block, p.cell}; }

// A character as typing or pasting creates it: no place on the image (x and y −1), the given
// size, confidence 10, no candidates, marked changed.
model::CharData typedCharacter(const model::CharText& text, int32_t width, int32_t height);

// Inserts `c` before `before` in `line` and adds its units to the counts.
CharIt insertCharacter(const LineGroup& group, model::LineData& line, CharIt before,
                       model::CharData c);
// Removes the character and its units from the counts; returns the character after it.
CharIt removeCharacter(const LineGroup& group, model::LineData& line, CharIt at);

// Side lines follow an insertion of `count` characters at index `at` (characters before the
// insertion point) of `base`. `atLineEnd`: the insertion was appended to the line, which moves
// no range. Returns whether a side line's range changed.
bool followInsertion(const LineGroup& group, const model::LineData& base, int at, int count,
                     bool atLineEnd);
// Ranges that start after `at` characters of `base` move on by `count`; ranges ending at or
// before it stay. A carriage return put in before a split moves ranges this way, so that a range
// ending just before it does not take the return in.
void shiftRangesAfter(const LineGroup& group, const model::LineData& base, int at, int count);
// Whether a ruby or emphasis range on `base` covers characters on both sides of the point after
// `at` characters: a line break there would cut it in two.
bool cutsRange(const LineGroup& group, const model::LineData& base, int at);
// Side lines follow the removal of the character at index `at` of `base` (a carriage return is
// not a base character and moves nothing): a side line whose only base character it was is
// removed. Returns whether a side line changed or went.
bool followRemoval(const LineGroup& group, const model::LineData& base, int at);
// True when `base` is the base line of a side line of its group.
bool hasSideLines(const LineGroup& group, const model::LineData& base);

// Removes a line with the side lines that stand on it, taking their units off the counts.
void removeLine(const LineGroup& group, model::LineData* line);

// Splits `line` before its character at index b: the first b characters move to a new line put
// before it (their changed mark set), and the line's box is shared in proportion to the units
// moved. Side lines on the moved characters move to the new line; those after the split are
// renumbered. Returns the new line.
model::LineData& splitLine(const LineGroup& group, model::LineData& line, int b);

// Whether `next` continues `line` on the same row: across the writing direction their position
// and thickness differ by less than a fifth of the line's thickness.
bool continuesOnSameRow(const model::LineData& line, const model::LineData& next,
                        int8_t direction);
// Appends every character of `next` to `line`, moves next's side lines onto `line`, removes
// `next` and recomputes the line's box from its characters.
void joinLines(const LineGroup& group, model::LineData& line, model::LineData& next);
// The line's box from its placed characters (not carriage returns, positive size, non-negative
// position); a line without such characters keeps its box.
void recomputeLineBox(model::LineData& line);

}  // namespace vellary::editing
