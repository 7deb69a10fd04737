// Block joining: consecutive text blocks of one flow become one block, with blank lines for the
// gap between them; then indentation becomes spaces, sentence ends get line breaks, and a
// block's final line break can be dropped.
#include <algorithm>
#include <iterator>

#include "geometry.h"
#include "model/paper.h"
#include "recompose.h"

namespace vellary::recompose {

namespace {

using namespace model;
using detail::bottomEdge;
using detail::clampToInt32;
using detail::isLineBreak;
using detail::rightEdge;

constexpr uint16_t kInsertedConfidence = 100;
// Blank lines and indentation are counted in line pitches and character cells of real pages;
// a count above this only comes from absurd boxes and would only fill memory.
constexpr int64_t kMaxInsertedRun = 1000;

bool joinable(const BlockData& a, const BlockData& b) {
  if (a.sec != b.sec || a.type != b.type || a.direction != b.direction) return false;
  if (a.direction == Vertical) return a.y <= bottomEdge(b) && b.y <= bottomEdge(a);
  return a.x <= rightEdge(b) && b.x <= rightEdge(a);
}

// A block without a usable average takes the mean thickness of all its lines.
void repairAverage(BlockData& block) {
  if (block.avgLineSize > 0) return;
  if (block.lines.empty()) return;
  int64_t sum = 0;
  for (const LineData& l : block.lines) sum += lineThickness(l, block.direction);
  block.avgLineSize = static_cast<float>(static_cast<double>(sum) / block.lines.size());
}

// The space between neighbouring lines; a block of one line counts half a line.
double lineSpacing(const BlockData& block) {
  const int64_t n = static_cast<int64_t>(block.lines.size());
  if (n <= 1) return block.avgLineSize / 2.0;
  const int64_t extent = block.direction == Vertical ? block.width : block.height;
  return (static_cast<double>(extent) - static_cast<double>(n) * block.avgLineSize) /
         static_cast<double>(n - 1);
}

CharData insertedChar(char16_t unit, int32_t x, int32_t y, int32_t size) {
  CharData c;
  c.text = makeCharText(unit);
  c.x = x;
  c.y = y;
  c.width = c.height = size;
  c.cc = kInsertedConfidence;
  return c;
}

// Joins b into a; b is left without lines and is removed by the caller.
void joinInto(BlockData& a, BlockData& b, bool breaksBetweenBlocks) {
  const double m = (static_cast<double>(a.avgLineSize) + b.avgLineSize) / 2.0;
  repairAverage(a);
  repairAverage(b);
  const double s = (lineSpacing(a) + lineSpacing(b)) / 2.0;
  // b follows a: to its left in vertical writing, below it in horizontal writing.
  const int64_t gap = a.direction == Vertical ? a.x - rightEdge(b) : b.y - bottomEdge(a);
  int64_t blank = 0;
  if (s + m > 0 && gap > 0)
    blank = std::min<int64_t>(detail::truncToInt32(static_cast<double>(gap) / (s + m)),
                              kMaxInsertedRun);

  const int64_t left = std::min<int64_t>(a.x, b.x), top = std::min<int64_t>(a.y, b.y);
  const int64_t right = std::max(rightEdge(a), rightEdge(b));
  const int64_t bottom = std::max(bottomEdge(a), bottomEdge(b));
  const size_t na = a.lines.size(), nb = b.lines.size();

  if (blank > 0 && breaksBetweenBlocks) {
    const int32_t size = detail::truncToInt32(m);
    for (int64_t i = 0; i < blank; ++i) {
      LineData& l = a.lines.emplace_back();
      l.x = clampToInt32(left);
      l.y = clampToInt32(top);
      l.width = l.height = l.widthOrg = l.heightOrg = size;
      l.chars.push_back(insertedChar(0x000D, l.x, l.y, size));
      l.charCount = 1;
    }
  }
  a.lines.splice(a.lines.end(), b.lines);  // side lines keep their base lines: nodes move whole
  a.x = clampToInt32(left);
  a.y = clampToInt32(top);
  a.width = clampToInt32(right - left);
  a.height = clampToInt32(bottom - top);
  if (na + nb > 0)
    a.avgLineSize = static_cast<float>(
        (static_cast<double>(a.avgLineSize) * na + static_cast<double>(b.avgLineSize) * nb) /
        static_cast<double>(na + nb));
  detail::recountBlock(a);
}

// The largest character size along the line, leaving out line breaks; 0 when the line holds
// nothing else.
int32_t largestCharSize(const LineData& line, int8_t direction, bool& any) {
  int32_t size = 0;
  any = false;
  for (const CharData& c : line.chars) {
    if (isLineBreak(c) || (c.text[0] == 0x000A && c.text[1] == 0)) continue;
    const int32_t v = direction == Vertical ? c.height : c.width;
    if (!any || v > size) size = v;
    any = true;
  }
  return size;
}

bool endsSentence(const LineData& line) {
  if (line.chars.empty()) return false;
  const CharText& t = line.chars.back().text;
  return t[1] == 0 && (t[0] == u'。' || t[0] == u'」');
}

// Indentation becomes spaces and sentence ends get line breaks. spaceUnit 0: no spaces.
bool lineHeadPass(BlockData& block, char16_t spaceUnit, bool naturalBreaks) {
  bool changed = false;
  const bool vertical = block.direction == Vertical;
  LineData* before = nullptr;  // the body line before the current one
  for (LineData& l : block.lines) {
    if (l.attr != AttrNone) continue;
    LineData* previous = before;
    before = &l;
    bool any = false;
    const int32_t c = largestCharSize(l, block.direction, any);
    if (!any) continue;
    const int32_t thickness = lineThickness(l, block.direction);
    const int64_t cell = int64_t{c} * 2 > thickness ? c : thickness;
    const int64_t offset = vertical ? int64_t{l.y} - block.y : int64_t{l.x} - block.x;
    int64_t n = cell > 0 && offset > 0 ? offset / cell : 0;
    if (n > kMaxInsertedRun) n = kMaxInsertedRun;

    if (naturalBreaks && previous != nullptr && endsSentence(*previous)) {
      bool ignored = false;
      const int32_t size = largestCharSize(*previous, block.direction, ignored);
      previous->chars.push_back(insertedChar(0x000D, 0, 0, size));
      previous->charCount = clampToInt32(int64_t{previous->charCount} + 1);
      changed = true;
    }

    if (spaceUnit == 0) continue;
    if (offset > 0) {
      if (vertical) {
        l.height = clampToInt32(bottomEdge(l) - block.y);
        l.y = block.y;
      } else {
        l.width = clampToInt32(rightEdge(l) - block.x);
        l.x = block.x;
      }
      changed = true;
    }
    if (n == 0) continue;
    const int32_t size = clampToInt32(cell);
    auto at = l.chars.begin();
    for (int64_t j = 0; j < n; ++j) {
      const int64_t step =
          detail::truncToInt32(static_cast<double>(j) * 1.2 * static_cast<double>(cell));
      const int32_t x = vertical ? l.x : clampToInt32(l.x + step);
      const int32_t y = vertical ? clampToInt32(l.y + step) : l.y;
      l.chars.insert(at, insertedChar(spaceUnit, x, y, size));
    }
    l.charCount = clampToInt32(l.charCount + n);
    // The ruby and marks of the line keep standing beside the same characters.
    for (LineData& side : block.lines)
      if (side.baseLine == &l) {
        if (side.rcs > 0) side.rcs = clampToInt32(side.rcs + n);
        if (side.rce > 0) side.rce = clampToInt32(side.rce + n);
      }
  }
  return changed;
}

// The space that stands for indentation; 0 when indentation stays as it is.
char16_t spaceUnitOf(const JoiningOptions& options) {
  return !options.leadingSpace ? 0 : options.fullWidthSpace ? u'\u3000' : u' ';
}

bool dropBlockEndBreak(BlockData& block) {
  LineData* last = nullptr;
  for (LineData& l : block.lines)
    if (l.attr == AttrNone) last = &l;
  // A line that is nothing but a break is a blank line of its own and stays.
  if (last == nullptr || last->chars.size() <= 1 || !isLineBreak(last->chars.back())) return false;
  last->chars.pop_back();
  last->charCount = clampToInt32(int64_t{last->charCount} - 1);
  return true;
}

}  // namespace

void JoinBlockInto(BlockData& a, BlockData& b, const JoiningOptions& options) {
  joinInto(a, b, options.breaksBetweenBlocks);
}

bool LineHeadPass(BlockData& block, const JoiningOptions& options) {
  if (!options.leadingSpace && !options.naturalBreaks) return false;
  const char16_t space = spaceUnitOf(options);
  const bool changed = lineHeadPass(block, space, options.naturalBreaks);
  if (changed) detail::recountBlock(block);
  return changed;
}

bool JoinPageBlocks(PageData& page, const JoiningOptions& options, bool* blocksJoined) {
  bool joined = false;
  auto& blocks = page.blocks;
  auto isText = [](const BlockData& b) { return b.type == BlockText; };
  auto a = std::find_if(blocks.begin(), blocks.end(), isText);
  while (a != blocks.end()) {
    auto b = std::next(a);
    if (b == blocks.end()) break;
    if (joinable(*a, *b)) {
      joinInto(*a, *b, options.breaksBetweenBlocks);
      blocks.erase(b);
      joined = true;
      continue;
    }
    a = isText(*b) ? b : std::find_if(std::next(b), blocks.end(), isText);
  }

  bool changed = joined;
  const char16_t space = spaceUnitOf(options);
  for (BlockData& block : blocks) {
    if (!isText(block)) continue;
    bool touched = false;
    if (options.leadingSpace || options.naturalBreaks)
      touched |= lineHeadPass(block, space, options.naturalBreaks);
    if (options.noBreakAtBlockEnd) touched |= dropBlockEndBreak(block);
    if (touched) detail::recountBlock(block);
    changed |= touched;
  }
  if (blocksJoined != nullptr) *blocksJoined = joined;
  return changed;
}

}  // namespace vellary::recompose
