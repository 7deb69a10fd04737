// Laying out marked-up Japanese text on a page and recording it as recognition would: every
// character with its real ink box, a confidence and candidates, ruby and emphasis marks as side
// lines beside their base (not yet attached), blocks of lines.
//
// Markup in the text: 漢字《かんじ》 ruby over the run of ideographs just before it;
// ｛…｝ emphasis marks beside every character inside; ＾ a note mark (＊) beside the character
// before it; ／ ends a paragraph (the next line starts indented by one character).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/records.h"
#include "render.h"

namespace vellary::sample {

// Decides what "recognition" reports for a character: mostly the truth with a high confidence,
// sometimes a low confidence, sometimes a look-alike with the truth as second candidate. An exact
// recogniser reports the truth alone with confidence 10: the known text of a test page.
class Recogniser {
 public:
  explicit Recogniser(uint32_t seed, bool exact = false) : state_(seed), exact_(exact) {}
  void recognise(model::CharData& c, char16_t truth, bool sideLine);
  int lowConfidenceCount() const { return low_; }
  int misreadCount() const { return misread_; }

 private:
  uint32_t next();
  uint32_t state_;
  bool exact_;
  int low_ = 0, misread_ = 0;
};

struct TextStyle {
  Font* font = nullptr;
  int size = 0;     // em size in pixels
  int pitch = 0;    // distance between lines (columns) in pixels
  int perLine = 0;  // characters per line
  Rgb colour{0, 0, 0};
  bool vertical = false;
};

class PageWriter {
 public:
  PageWriter(Canvas& canvas, model::PageData& page, Recogniser& recogniser, int& nextBid)
      : canvas_(canvas), page_(page), recogniser_(recogniser), nextBid_(nextBid) {}

  // A text block. Vertical text fills columns right to left from the column whose left edge is
  // `x` (the rightmost) and whose top is `y`; horizontal text fills lines downwards from (x, y).
  // Returns the block, its box the union of its lines grown by `margin`.
  model::BlockData& textBlock(std::u16string_view markup, const TextStyle& style, int x, int y,
                              int32_t sec, int margin = 12);
  // Lines of text into a table cell (horizontal), centred in the cell's box.
  void cellText(model::CellData& cell, std::u16string_view text, const TextStyle& style,
                bool centre);
  // A block of the given type with a box and no lines (a figure or a rule).
  model::BlockData& plainBlock(int32_t type, int left, int top, int right, int bottom);
  model::BlockData& newBlock(int32_t type, int8_t direction, int32_t sec);

 private:
  struct Token {
    char16_t ch;
    int ruby = -1;  // index into rubies of the run this character belongs to
    bool emphasis = false;
    bool note = false;
    bool paragraphStart = false;
  };
  struct Placed {
    Token token;
    InkBox cell;  // the character's em square
    InkBox ink;
  };
  std::vector<Token> parse(std::u16string_view markup, std::vector<std::u16string>& rubies) const;
  // Draws one line of tokens starting at the em square (x, y) and appends it to `lines`, with the
  // side lines that belong to it before it.
  void placeLine(model::List<model::LineData>& lines, const std::vector<Token>& tokens,
                 const std::vector<std::u16string>& rubies, const TextStyle& style, int x, int y);
  void sideLine(model::List<model::LineData>& lines, int16_t attr, const std::u16string& text,
                const TextStyle& style, const InkBox& baseSpan, bool vertical, int size,
                char32_t drawn = 0);
  model::CharData& addChar(model::LineData& line, char16_t truth, const InkBox& ink, bool side);

  Canvas& canvas_;
  model::PageData& page_;
  Recogniser& recogniser_;
  int& nextBid_;
};

// The box of a line, block or cell from what it holds.
void fitLine(model::LineData& line);
void fitBlock(model::BlockData& block, int margin);

}  // namespace vellary::sample
