// The current page seen as one run of text: its lines and characters in page order with their
// UTF-16 offsets, positions in it, the text of a selection, and replacing a selection's text.
// Find, replace and reject navigation all walk the page this way.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "caret.h"
#include "model/records.h"

namespace vellary::editing {

// Every line of every text block and every line of every cell of every table block, in page
// order; image blocks contribute nothing and nothing separates the lines.
class PageWalk {
 public:
  struct Line {
    model::BlockData* block = nullptr;
    model::CellData* cell = nullptr;  // the cell of a table line
    model::LineData* line = nullptr;
    int blockIndex = 0;  // in the page's block list, every kind counted: the block entry's index
    int firstChar = 0;   // index of its first character in chars()
    int firstUnit = 0;   // offset of its first character in text()
  };
  struct Char {
    int lineIndex = 0;
    CharIt ch{};
    int firstUnit = 0;
  };

  explicit PageWalk(model::PageData& page);

  const std::vector<Line>& lines() const { return lines_; }
  const std::vector<Char>& chars() const { return chars_; }
  const std::u16string& text() const { return text_; }

  int lineIndexOf(const model::LineData* line) const;  // −1 when the line is not on the page
  // The index in chars() of the character a position stands before; for a line's end position
  // the index after the line's last character. −1 for a position that is not on the page.
  int charIndexOf(const CaretPos& pos) const;
  // The number of UTF-16 units before the position; −1 when it is not on the page.
  int unitIndexOf(const CaretPos& pos) const;
  // The character that holds the unit at `unit` (0 ≤ unit < text().size()).
  int charAtUnit(int unit) const;
  CaretPos before(int charIndex) const;
  // The position after character i within its line: the next character or the line's end.
  CaretPos after(int charIndex) const;

 private:
  std::vector<Line> lines_;
  std::vector<Char> chars_;
  std::u16string text_;
};

// Whether the line is one of the page's text or table lines (a pointer kept across an undo or a
// page change may name a line that is not).
bool lineOnPage(const model::PageData& page, const model::LineData* line);

// The text of a selection that lies within one line, in document order; nothing for a selection
// that is empty or spans lines.
std::optional<std::u16string> selectionLineText(const Selection& selection);

// One UTF-16 string cut into characters: a surrogate pair is one character.
std::vector<model::CharText> splitCharacters(std::u16string_view text);

struct TextReplacement {
  bool replaced = false;
  bool sideLinesChanged = false;  // a ruby or emphasis range moved or a side line went away
  bool linesRemoved = false;      // the page's line structure changed
};

// Replaces the characters of a one-line selection by `text`: the selected characters are
// overwritten in order as far as both reach (keeping their place, size and candidates), surplus
// new characters are inserted after the last overwritten one and surplus selected characters are
// deleted, with the ruby and emphasis ranges of the line's side lines kept on their characters.
// Afterwards the caret stands at the start of the replacement and the selection is collapsed to
// it. A selection across lines is refused.
TextReplacement replaceSelectionText(CaretState& caret, std::u16string_view text);

// Keeps the UTF-16 unit counts of a line, its cell (in a table) and its block in step with a
// change of `delta` units in the line's text.
void addUnitsToCounts(model::BlockData& block, model::LineData& line, int delta);

// Makes a position current: its block (and block entry) and line, the caret before it.
void setCaretAt(CaretState& caret, const PageWalk& walk, const CaretPos& pos);

// The caret a newly opened page starts with: before the first character of the first normal
// line of the first text or table block (the first line of the first cell of a table). The
// selection is collapsed to it. false, and no caret, when the page has no such line.
bool placeCaretAtPageStart(model::PageData& page, CaretState& caret);

}  // namespace vellary::editing
