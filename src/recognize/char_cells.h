// Character boxes of a line from its ink. The engine reads a line's characters right but places
// them only roughly (its boxes run up to a character early or late, and in columns read as a
// block they are lost). The line's pieces of ink are laid out along the line; runs of them that
// overlap along it are the smallest parts a character may take, and the parts are grouped into
// the characters read so that each character fits its size, the cuts fall in the widest white
// gaps, and each character stays near where the engine placed it.
#pragma once

#include <string>
#include <vector>

#include "recognize/layout.h"

namespace vellary::recognize {

// A character as the engine read it: its text and where it put it along the line, [begin, end)
// in page pixels.
struct ReadCharacter {
  std::u16string text;
  int32_t begin = 0, end = 0;
  // A doubtful reading may be one the engine made up in white space: leaving it without ink
  // costs little.
  bool doubtful = false;
};

// One box per character, in page pixels: the union of the pieces it got; an empty rectangle for
// a character the ink gave nothing to (the engine read more characters than the ink holds, or
// two touching glyphs as one piece). `line` lists the line's pieces in `pieces`; `vertical` says
// the line runs down.
std::vector<PictRect> characterCells(const std::vector<InkComponent>& pieces,
                                     const std::vector<int>& line,
                                     const std::vector<ReadCharacter>& read, bool vertical);

}  // namespace vellary::recognize
