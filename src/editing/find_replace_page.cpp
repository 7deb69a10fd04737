// The page as one run of text, positions in it, and replacing the text of a selection.
#include "find_replace_page.h"

#include <algorithm>
#include <iterator>

namespace vellary::editing {

using model::BlockData;
using model::CellData;
using model::CharData;
using model::CharText;
using model::LineData;
using model::List;

namespace {

bool isHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// The list that holds a line: the block's lines, or the lines of the table cell that holds it.
List<LineData>* groupOf(BlockData& block, const LineData* line, CellData** cellOut) {
  *cellOut = nullptr;
  auto holds = [line](List<LineData>& lines) {
    return std::any_of(lines.begin(), lines.end(),
                       [line](const LineData& l) { return &l == line; });
  };
  if (block.type == model::BlockTable) {
    for (CellData& cell : block.cells)
      if (holds(cell.lines)) {
        *cellOut = &cell;
        return &cell.lines;
      }
    return nullptr;
  }
  return holds(block.lines) ? &block.lines : nullptr;
}

bool isRangedSideLine(const LineData& l, const LineData* base) {
  return l.baseLine == base && (l.attr == model::AttrRuby || l.attr == model::AttrEmph) &&
         l.rcs > 0;
}

// `count` characters were inserted before character index i of `base` (i counted before the
// insertion, `size` the line's length before it). Ranges count base characters from 1.
bool shiftSideLinesForInsert(List<LineData>& group, const LineData* base, int i, int size,
                             int count) {
  if (i >= size) return false;  // appended at the line's end: no range moves
  bool changed = false;
  for (LineData& l : group) {
    if (!isRangedSideLine(l, base)) continue;
    if (i < l.rcs) {
      l.rcs += count;
      l.rce += count;
      changed = true;
    } else if (i <= l.rce) {
      l.rce += count;
      changed = true;
    }
  }
  return changed;
}

// Character index k of `base` is about to be removed; a side line left without a base
// character is removed with it.
bool shiftSideLinesForRemoval(List<LineData>& group, const LineData* base, int k) {
  bool changed = false;
  for (auto it = group.begin(); it != group.end();) {
    if (isRangedSideLine(*it, base)) {
      if (k < it->rcs - 1) {
        --it->rcs;
        --it->rce;
        changed = true;
      } else if (k <= it->rce - 1) {
        changed = true;
        if (it->rcs == it->rce) {
          it = group.erase(it);
          continue;
        }
        --it->rce;
      }
    }
    ++it;
  }
  return changed;
}

CharData typedCharacter(const CharText& text, const CharData* sizeFrom) {
  CharData c;
  c.x = -1;
  c.y = -1;
  if (sizeFrom != nullptr) {
    c.width = sizeFrom->width;
    c.height = sizeFrom->height;
  }
  c.text = text;
  c.cc = model::kDefaultConfidence;
  c.changed = 1;
  return c;
}

}  // namespace

PageWalk::PageWalk(model::PageData& page) {
  auto addLine = [this](BlockData& block, CellData* cell, LineData& line, int blockIndex) {
    const int lineIndex = static_cast<int>(lines_.size());
    lines_.push_back(Line{&block, cell, &line, blockIndex, static_cast<int>(chars_.size()),
                          static_cast<int>(text_.size())});
    for (CharIt it = line.chars.begin(); it != line.chars.end(); ++it) {
      chars_.push_back(Char{lineIndex, it, static_cast<int>(text_.size())});
      text_.append(it->text.data(), static_cast<size_t>(model::charTextLength(it->text)));
    }
  };
  int blockIndex = 0;
  for (BlockData& block : page.blocks) {
    if (block.type == model::BlockTable) {
      for (CellData& cell : block.cells)
        for (LineData& line : cell.lines) addLine(block, &cell, line, blockIndex);
    } else if (block.type != model::BlockImage) {
      for (LineData& line : block.lines) addLine(block, nullptr, line, blockIndex);
    }
    ++blockIndex;
  }
}

int PageWalk::lineIndexOf(const LineData* line) const {
  if (line == nullptr) return -1;
  for (size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].line == line) return static_cast<int>(i);
  return -1;
}

int PageWalk::charIndexOf(const CaretPos& pos) const {
  const int li = lineIndexOf(pos.line);
  if (li < 0) return -1;
  return lines_[li].firstChar + pos.index();
}

int PageWalk::unitIndexOf(const CaretPos& pos) const {
  const int ci = charIndexOf(pos);
  if (ci < 0) return -1;
  return ci < static_cast<int>(chars_.size()) ? chars_[ci].firstUnit
                                              : static_cast<int>(text_.size());
}

int PageWalk::charAtUnit(int unit) const {
  auto it = std::upper_bound(chars_.begin(), chars_.end(), unit,
                             [](int u, const Char& c) { return u < c.firstUnit; });
  return static_cast<int>(std::distance(chars_.begin(), it)) - 1;
}

CaretPos PageWalk::before(int charIndex) const {
  const Char& c = chars_[charIndex];
  const Line& l = lines_[c.lineIndex];
  return CaretPos{l.block, cellOf(*l.block, l.line), l.line, c.ch};
}

CaretPos PageWalk::after(int charIndex) const {
  const Char& c = chars_[charIndex];
  const Line& l = lines_[c.lineIndex];
  return CaretPos{l.block, cellOf(*l.block, l.line), l.line, std::next(c.ch)};
}

bool lineOnPage(const model::PageData& page, const LineData* line) {
  if (line == nullptr) return false;
  auto in = [line](const List<LineData>& lines) {
    return std::any_of(lines.begin(), lines.end(),
                       [line](const LineData& l) { return &l == line; });
  };
  for (const BlockData& block : page.blocks) {
    if (block.type == model::BlockTable) {
      for (const CellData& cell : block.cells)
        if (in(cell.lines)) return true;
    } else if (block.type != model::BlockImage && in(block.lines)) {
      return true;
    }
  }
  return false;
}

std::optional<std::u16string> selectionLineText(const Selection& selection) {
  if (selection.empty() || selection.anchor.line != selection.active.line) return std::nullopt;
  int a = selection.anchor.index(), b = selection.active.index();
  CharIt from = a <= b ? selection.anchor.ch : selection.active.ch;
  CharIt to = a <= b ? selection.active.ch : selection.anchor.ch;
  std::u16string text;
  for (CharIt it = from; it != to; ++it)
    text.append(it->text.data(), static_cast<size_t>(model::charTextLength(it->text)));
  return text;
}

std::vector<CharText> splitCharacters(std::u16string_view text) {
  std::vector<CharText> out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
      out.push_back(model::makeCharText(text[i], text[i + 1]));
      ++i;
    } else {
      out.push_back(model::makeCharText(text[i]));
    }
  }
  return out;
}

TextReplacement replaceSelectionText(CaretState& caret, std::u16string_view text) {
  TextReplacement out;
  Selection& sel = caret.selection;
  if (sel.empty() || sel.anchor.line != sel.active.line || sel.anchor.block == nullptr) return out;
  BlockData& block = *sel.anchor.block;
  LineData& line = *sel.anchor.line;
  CellData* cell = nullptr;
  List<LineData>* group = groupOf(block, &line, &cell);
  if (group == nullptr) return out;

  const int a = std::min(sel.anchor.index(), sel.active.index());
  const int b = std::max(sel.anchor.index(), sel.active.index());
  const std::vector<CharText> fresh = splitCharacters(text);
  CharIt it = std::next(line.chars.begin(), a);
  int selected = b - a;
  int unitDelta = 0;
  size_t n = 0;

  // Overwritten characters keep their place on the image, their size and their candidates.
  for (; selected > 0 && n < fresh.size(); ++it, --selected, ++n) {
    unitDelta += model::charTextLength(fresh[n]) - model::charTextLength(it->text);
    it->text = fresh[n];
    it->cc = model::kDefaultConfidence;
    it->changed = 1;
  }
  if (n < fresh.size()) {
    const int size = static_cast<int>(line.chars.size());
    const CharData* sizeFrom = it != line.chars.end() ? &*it : nullptr;
    if (sizeFrom == nullptr && it != line.chars.begin()) sizeFrom = &*std::prev(it);
    const int insertAt = a + static_cast<int>(n);
    const int count = static_cast<int>(fresh.size() - n);
    for (; n < fresh.size(); ++n) {
      line.chars.insert(it, typedCharacter(fresh[n], sizeFrom));
      unitDelta += model::charTextLength(fresh[n]);
    }
    out.sideLinesChanged |= shiftSideLinesForInsert(*group, &line, insertAt, size, count);
  }
  const int removeAt = a + static_cast<int>(fresh.size());
  for (; selected > 0; --selected) {
    out.sideLinesChanged |= shiftSideLinesForRemoval(*group, &line, removeAt);
    unitDelta -= model::charTextLength(it->text);
    it = line.chars.erase(it);
  }
  line.charCount += unitDelta;
  block.charCount += unitDelta;
  if (cell != nullptr) cell->charCount += unitDelta;
  out.replaced = true;

  CaretPos at{&block, cell, &line,
              std::next(line.chars.begin(), std::min(a, static_cast<int>(line.chars.size())))};
  if (line.chars.empty() && group->size() > 1) {
    // An emptied line goes, and with it any side line still tied to it; a block or cell keeps
    // at least one line.
    for (auto s = group->begin(); s != group->end();) {
      if (s->baseLine == &line)
        s = group->erase(s);
      else
        ++s;
    }
    auto self = std::find_if(group->begin(), group->end(),
                             [&line](const LineData& l) { return &l == &line; });
    auto next = group->erase(self);
    if (next != group->end())
      at = CaretPos{&block, cellOf(block, &*next), &*next, next->chars.begin()};
    else
      at = CaretPos{&block, cellOf(block, &group->back()), &group->back(), group->back().chars.end()};
    out.linesRemoved = true;
    out.sideLinesChanged = true;
  }
  caret.caret = at;
  sel.anchor = sel.active = at;
  return out;
}

void addUnitsToCounts(BlockData& block, LineData& line, int delta) {
  CellData* cell = nullptr;
  groupOf(block, &line, &cell);
  line.charCount += delta;
  block.charCount += delta;
  if (cell != nullptr) cell->charCount += delta;
}

void setCaretAt(CaretState& caret, const PageWalk& walk, const CaretPos& pos) {
  caret.caret = pos;
  const int li = walk.lineIndexOf(pos.line);
  if (li >= 0) caret.entry = walk.lines()[li].blockIndex;
}

bool placeCaretAtPageStart(model::PageData& page, CaretState& caret) {
  int blockIndex = 0;
  for (BlockData& block : page.blocks) {
    LineData* line = nullptr;
    if (block.type == model::BlockTable) {
      if (!block.cells.empty() && !block.cells.front().lines.empty())
        line = &block.cells.front().lines.front();
    } else if (block.type != model::BlockImage) {
      for (LineData& l : block.lines)
        if (l.attr == model::AttrNone) {
          line = &l;
          break;
        }
    }
    if (line != nullptr) {
      caret.entry = blockIndex;
      caret.caret = CaretPos{&block, cellOf(block, line), line, line->chars.begin()};
      caret.selection.anchor = caret.selection.active = caret.caret;
      caret.lineAtKeyDown = nullptr;
      return true;
    }
    ++blockIndex;
  }
  caret.entry = -1;
  caret.caret = CaretPos{};
  caret.selection.clear();
  return false;
}

}  // namespace vellary::editing
