// What the status bar tells about the caret: the character after it (code point, confidence,
// whether it is a reject, its place on the page image) and where the caret stands in the page's
// blocks, lines and characters, as a proofreader finds the place again.
#pragma once

#include <optional>
#include <string>

#include "caret.h"

namespace vellary::editing {

struct CaretReport {
  int block = 0;                // 1-based, over the page's blocks of every kind, in list order
  int cellRow = -1, cellCol = -1;  // the cell's row and column (0-based, as stored) in a table
  int line = 0;                 // 1-based over the normal lines of the block or cell; a side
                                // line reports its base line's number
  model::LineAttr sideLine = model::AttrNone;  // the caret's line when it is a side line
  int column = 0;               // 1-based: the character after the caret; its count + 1 at the end
  bool atLineEnd = false;
  // The character after the caret, none at the end of a line.
  std::optional<char32_t> codePoint;
  int confidence = 0;  // as stored, read as a signed 16-bit number
  bool reject = false;
  int x = -1, y = -1;  // its box's top-left in page pixels; −1 for a typed character
};

// Nothing without a caret on `page`.
std::optional<CaretReport> describeCaret(model::PageData& page, const CaretPos& caret,
                                         int rejectLevel);

// One status-bar line, for example "U+8A8D 認　確信度 7　ブロック 2 行 3 字 5　(1234, 567)".
std::string caretStatusText(const CaretReport& report);

}  // namespace vellary::editing
