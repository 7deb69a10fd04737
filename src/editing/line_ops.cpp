// Character insertion and removal with their counts, side lines that follow the text, and the
// line split and join.
#include "line_ops.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <vector>

namespace vellary::editing {

using model::CharData;
using model::LineData;

namespace {

bool isRangedSideLine(const LineData& l) {
  return (l.attr == model::AttrRuby || l.attr == model::AttrEmph) && l.rcs > 0;
}

// The side lines standing on `base` that cover a range of it.
std::vector<LineData*> rangedSideLinesOf(const LineGroup& group, const LineData& base) {
  std::vector<LineData*> out;
  for (LineData& l : group.lines())
    if (l.baseLine == &base && isRangedSideLine(l)) out.push_back(&l);
  return out;
}

int unitsOf(const CharData& c) { return model::charTextLength(c.text); }

}  // namespace

void LineGroup::addUnits(LineData& line, int delta) const {
  line.charCount += delta;
  if (cell != nullptr) cell->charCount += delta;
  block->charCount += delta;
}

LineIt LineGroup::find(const LineData* line) const {
  auto& ls = lines();
  for (auto it = ls.begin(); it != ls.end(); ++it)
    if (&*it == line) return it;
  return ls.end();
}

LineData* LineGroup::nextNormal(const LineData* line) const {
  auto& ls = lines();
  auto it = find(line);
  if (it == ls.end()) return nullptr;
  for (++it; it != ls.end(); ++it)
    if (it->attr == model::AttrNone) return &*it;
  return nullptr;
}

LineData* LineGroup::previousNormal(const LineData* line) const {
  auto& ls = lines();
  auto it = find(line);
  while (it != ls.begin()) {
    --it;
    if (it->attr == model::AttrNone) return &*it;
  }
  return nullptr;
}

int LineGroup::normalLineCount() const {
  auto& ls = lines();
  return static_cast<int>(std::count_if(
      ls.begin(), ls.end(), [](const LineData& l) { return l.attr == model::AttrNone; }));
}

CharData typedCharacter(const model::CharText& text, int32_t width, int32_t height) {
  CharData c;
  c.x = c.y = -1;
  c.width = width;
  c.height = height;
  c.text = text;
  c.cc = model::kDefaultConfidence;
  c.changed = 1;
  return c;
}

CharIt insertCharacter(const LineGroup& group, LineData& line, CharIt before, CharData c) {
  const int units = unitsOf(c);
  CharIt it = line.chars.insert(before, std::move(c));
  group.addUnits(line, units);
  return it;
}

CharIt removeCharacter(const LineGroup& group, LineData& line, CharIt at) {
  group.addUnits(line, -unitsOf(*at));
  return line.chars.erase(at);
}

bool followInsertion(const LineGroup& group, const LineData& base, int at, int count,
                     bool atLineEnd) {
  if (atLineEnd || count <= 0) return false;
  bool changed = false;
  for (LineData* s : rangedSideLinesOf(group, base)) {
    if (at < s->rcs) {
      s->rcs += count;
      s->rce += count;
      changed = true;
    } else if (at <= s->rce) {
      s->rce += count;
      changed = true;
    }
  }
  return changed;
}

void shiftRangesAfter(const LineGroup& group, const LineData& base, int at, int count) {
  for (LineData* s : rangedSideLinesOf(group, base))
    if (s->rcs > at) {
      s->rcs += count;
      s->rce += count;
    }
}

bool cutsRange(const LineGroup& group, const LineData& base, int at) {
  for (LineData* s : rangedSideLinesOf(group, base))
    if (s->rcs <= at && at < s->rce) return true;
  return false;
}

bool followRemoval(const LineGroup& group, const LineData& base, int at) {
  const int position = at + 1;  // ranges count from 1
  bool changed = false;
  for (LineData* s : rangedSideLinesOf(group, base)) {
    if (position < s->rcs) {
      --s->rcs;
      --s->rce;
      changed = true;
    } else if (position <= s->rce) {
      changed = true;
      if (s->rce <= s->rcs)
        removeLine(group, s);  // its only base character is gone
      else
        --s->rce;
    }
  }
  return changed;
}

bool hasSideLines(const LineGroup& group, const LineData& base) {
  for (const LineData& l : group.lines())
    if (l.baseLine == &base && l.attr != model::AttrNone) return true;
  return false;
}

void removeLine(const LineGroup& group, LineData* line) {
  auto& ls = group.lines();
  // Side lines standing on the line go with it: nothing else could hold their base characters,
  // and a side line must never refer to a line that no longer exists.
  for (auto it = ls.begin(); it != ls.end();) {
    if (it->baseLine == line && &*it != line) {
      if (group.cell != nullptr) group.cell->charCount -= it->charCount;
      group.block->charCount -= it->charCount;
      it = ls.erase(it);
    } else {
      ++it;
    }
  }
  auto it = group.find(line);
  if (it == ls.end()) return;
  if (group.cell != nullptr) group.cell->charCount -= it->charCount;
  group.block->charCount -= it->charCount;
  ls.erase(it);
}

LineData& splitLine(const LineGroup& group, LineData& line, int b) {
  auto& ls = group.lines();
  const int n = static_cast<int>(line.chars.size());
  b = std::clamp(b, 0, n);
  LineData& nl = *ls.emplace(group.find(&line));
  nl.chars.splice(nl.chars.begin(), line.chars, line.chars.begin(),
                  std::next(line.chars.begin(), b));
  int units = 0;
  for (CharData& c : nl.chars) {
    c.changed = 1;
    units += unitsOf(c);
  }
  const int32_t oldCount = line.charCount > 0 ? line.charCount : 1;
  if (group.block->direction == model::Vertical) {
    nl.height = static_cast<int32_t>(static_cast<int64_t>(units) * line.height / oldCount);
    line.height -= nl.height;
  } else {
    nl.width = static_cast<int32_t>(static_cast<int64_t>(units) * line.width / oldCount);
    line.width -= nl.width;
  }
  // The new line takes the start of the box, the line keeps the rest; each then takes the box
  // of its own placed characters, so that the second half does not start where the first does.
  nl.x = line.x;
  nl.y = line.y;
  if (group.block->direction == model::Vertical) {
    nl.width = line.width;
    line.y += nl.height;
  } else {
    nl.height = line.height;
    line.x += nl.width;
  }
  recomputeLineBox(nl);
  recomputeLineBox(line);
  // Both halves come from one recognised line: the one-line image shows that line for either.
  nl.widthOrg = line.widthOrg;
  nl.heightOrg = line.heightOrg;
  nl.lid = line.lid;
  nl.attr = line.attr;
  nl.baseLine = line.baseLine;
  nl.rlid = line.rlid;
  nl.rcs = line.rcs;
  line.lid += 1;
  nl.charCount = units;
  line.charCount -= units;
  if (line.attr == model::AttrRuby || line.attr == model::AttrEmph) {
    line.rcs = nl.rcs + b + 1;
    nl.rce = nl.rcs + b;
  } else {
    nl.rce = line.rce;
  }
  for (LineData* s : rangedSideLinesOf(group, line)) {
    if (s->rce <= b) {
      s->baseLine = &nl;
    } else if (s->rcs > b) {
      s->rcs -= b;
      s->rce -= b;
    } else {
      // A range cut in two (callers refuse that) keeps the part that stays with the line.
      s->rcs = 1;
      s->rce -= b;
    }
  }
  return nl;
}

bool continuesOnSameRow(const LineData& line, const LineData& next, int8_t direction) {
  if (direction == model::Vertical) {
    const double limit = 0.2 * line.width;
    return std::abs(line.x - next.x) < limit && std::abs(line.width - next.width) < limit;
  }
  const double limit = 0.2 * line.height;
  return std::abs(line.y - next.y) < limit && std::abs(line.height - next.height) < limit;
}

void joinLines(const LineGroup& group, LineData& line, LineData& next) {
  const int k = static_cast<int>(line.chars.size());
  line.chars.splice(line.chars.end(), next.chars);
  line.charCount += next.charCount;
  next.charCount = 0;
  for (LineData& s : group.lines()) {
    if (s.baseLine != &next) continue;
    s.baseLine = &line;
    if (s.rcs > 0) {
      s.rcs += k;
      s.rce += k;
    }
  }
  removeLine(group, &next);
  recomputeLineBox(line);
}

void recomputeLineBox(LineData& line) {
  bool any = false;
  int64_t left = 0, top = 0, right = 0, bottom = 0;
  for (const CharData& c : line.chars) {
    if (isCarriageReturn(c) || c.width <= 0 || c.height <= 0 || c.x < 0 || c.y < 0) continue;
    const int64_t r = int64_t{c.x} + c.width - 1, btm = int64_t{c.y} + c.height - 1;
    if (!any) {
      left = c.x;
      top = c.y;
      right = r;
      bottom = btm;
      any = true;
      continue;
    }
    left = std::min<int64_t>(left, c.x);
    top = std::min<int64_t>(top, c.y);
    right = std::max(right, r);
    bottom = std::max(bottom, btm);
  }
  if (!any) return;
  line.x = static_cast<int32_t>(left);
  line.y = static_cast<int32_t>(top);
  line.width = static_cast<int32_t>(right - left + 1);
  line.height = static_cast<int32_t>(bottom - top + 1);
}

}  // namespace vellary::editing
