// Pages built in code for the re-composition tests: blocks and lines of square characters set
// at a fixed pitch along the writing direction, as a recogniser reports them.
#pragma once

#include <iterator>
#include <string>
#include <string_view>

#include "model/paper.h"
#include "model/records.h"

namespace vellary::recompose::testing {

using namespace model;

inline BlockData& addBlock(PageData& page, int8_t direction, int x, int y, int width, int height,
                           int32_t sec = SecText, int32_t type = BlockText) {
  BlockData& b = page.blocks.emplace_back();
  b.direction = direction;
  b.x = x;
  b.y = y;
  b.width = width;
  b.height = height;
  b.sec = sec;
  b.type = type;
  b.langId = kLangJapanese;
  b.bid = -1;
  return b;
}

// The characters of `text`, each size × size, the first at (x, y), each next one `pitch` further
// down (vertical block) or to the right (horizontal block). The line's box holds them exactly.
inline LineData& addLine(BlockData& block, std::u16string_view text, int x, int y, int size,
                         int pitch, int16_t attr = AttrNone) {
  LineData& l = block.lines.emplace_back();
  l.attr = attr;
  l.x = x;
  l.y = y;
  const int n = static_cast<int>(text.size());
  const int along = n == 0 ? 0 : (n - 1) * pitch + size;
  l.width = block.direction == Vertical ? size : along;
  l.height = block.direction == Vertical ? along : size;
  l.widthOrg = l.width;
  l.heightOrg = l.height;
  for (int i = 0; i < n; ++i) {
    CharData& c = l.chars.emplace_back();
    c.text = makeCharText(text[i]);
    c.x = block.direction == Vertical ? x : x + i * pitch;
    c.y = block.direction == Vertical ? y + i * pitch : y;
    c.width = c.height = size;
    c.resetCandidates(1);
    c.candText(0) = c.text;
    c.candCC(0) = 9;
  }
  l.charCount = n;
  return l;
}

// A side line whose characters stand at the given offsets along the writing direction.
inline LineData& addSideLine(BlockData& block, std::u16string_view text, int x, int y, int size,
                             std::initializer_list<int> offsets, int16_t attr = AttrRuby) {
  LineData& l = addLine(block, text, x, y, size, size, attr);
  auto it = l.chars.begin();
  int last = 0;
  for (int off : offsets) {
    (block.direction == Vertical ? it->y : it->x) = (block.direction == Vertical ? y : x) + off;
    last = off;
    ++it;
  }
  (block.direction == Vertical ? l.height : l.width) = last + size;
  return l;
}

inline std::u16string textOf(const LineData& line) {
  std::u16string s;
  for (const CharData& c : line.chars) s.append(c.text.data(), charTextLength(c.text));
  return s;
}

inline LineData& lineAt(BlockData& block, int index) {
  return *std::next(block.lines.begin(), index);
}
inline BlockData& blockAt(PageData& page, int index) {
  return *std::next(page.blocks.begin(), index);
}
inline CharData& charAt(LineData& line, int index) { return *std::next(line.chars.begin(), index); }

}  // namespace vellary::recompose::testing
