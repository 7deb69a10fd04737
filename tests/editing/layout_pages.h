// Small pages for the layout tests: blocks, lines and characters built from text and boxes.
#pragma once

#include <string>

#include "model/records.h"

namespace vellary::testing {

// A line of `text` (one character per UTF-16 unit) whose characters share the line's box evenly
// along the writing direction.
inline model::LineData makeLine(int x, int y, int w, int h, std::u16string_view text,
                                bool vertical, int16_t attr = model::AttrNone) {
  model::LineData line;
  line.x = x;
  line.y = y;
  line.width = line.widthOrg = w;
  line.height = line.heightOrg = h;
  line.attr = attr;
  const int n = static_cast<int>(text.size());
  for (int i = 0; i < n; ++i) {
    model::CharData ch;
    ch.text = model::makeCharText(text[i]);
    if (vertical) {
      ch.x = x;
      ch.width = w;
      ch.height = n ? h / n : h;
      ch.y = y + i * ch.height;
    } else {
      ch.y = y;
      ch.height = h;
      ch.width = n ? w / n : w;
      ch.x = x + i * ch.width;
    }
    line.chars.push_back(std::move(ch));
  }
  line.charCount = n;
  return line;
}

inline model::BlockData makeBlock(int x, int y, int w, int h, bool vertical,
                                  int32_t type = model::BlockText) {
  model::BlockData b;
  b.x = x;
  b.y = y;
  b.width = w;
  b.height = h;
  b.direction = vertical ? model::Vertical : model::Horizontal;
  b.type = type;
  b.langId = model::kLangJapanese;
  return b;
}

inline model::PageData makePage(int w, int h) {
  model::PageData p;
  p.width = w;
  p.height = h;
  p.number = 1;
  return p;
}

}  // namespace vellary::testing
