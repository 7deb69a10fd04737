// Box edges and line bookkeeping shared by the re-composition steps (module-internal).
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

#include "model/records.h"

namespace vellary::recompose::detail {

// Edges one past the box, in 64 bits: boxes read from a file may lie anywhere in 32 bits.
template <class Box>
int64_t rightEdge(const Box& b) {
  return int64_t{b.x} + b.width;
}
template <class Box>
int64_t bottomEdge(const Box& b) {
  return int64_t{b.y} + b.height;
}

inline int32_t clampToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// A measure computed in floating point, truncated toward zero into 32 bits (NaN gives 0).
inline int32_t truncToInt32(double v) {
  if (!(v == v)) return 0;
  return static_cast<int32_t>(std::clamp(v,
                                         static_cast<double>(std::numeric_limits<int32_t>::min()),
                                         static_cast<double>(std::numeric_limits<int32_t>::max())));
}

inline bool isLineBreak(const model::CharData& c) { return c.text[0] == 0x000D && c.text[1] == 0; }

inline int32_t unitsOf(const model::LineData& line) {
  int64_t n = 0;
  for (const model::CharData& c : line.chars) n += model::charTextLength(c.text);
  return clampToInt32(n);
}

// The line's box becomes the union of its characters' boxes; characters the user typed (x and y
// −1) have no place on the image and are left out. charCount follows the characters.
inline void fitLineToChars(model::LineData& line) {
  line.charCount = unitsOf(line);
  int64_t left = std::numeric_limits<int64_t>::max(), top = left;
  int64_t right = std::numeric_limits<int64_t>::min(), bottom = right;
  for (const model::CharData& c : line.chars) {
    if (c.x < 0 || c.y < 0) continue;
    left = std::min<int64_t>(left, c.x);
    top = std::min<int64_t>(top, c.y);
    right = std::max(right, rightEdge(c));
    bottom = std::max(bottom, bottomEdge(c));
  }
  if (left > right) return;  // nothing placed: the box stays as it was
  line.x = clampToInt32(left);
  line.y = clampToInt32(top);
  line.width = clampToInt32(right - left);
  line.height = clampToInt32(bottom - top);
}

inline void recountBlock(model::BlockData& block) {
  int64_t n = 0;
  for (const model::LineData& l : block.lines) n += l.charCount;
  block.charCount = clampToInt32(n);
}

}  // namespace vellary::recompose::detail
