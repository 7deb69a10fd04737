// The caret's walk through a page's lines, undo's caret triple and the selection's spans.
#include "caret.h"

#include "model/paper.h"

#include <algorithm>
#include <iterator>

namespace vellary::editing {

using model::BlockData;
using model::CellData;
using model::CharData;
using model::LineData;
using model::List;
using model::PageData;

int CaretPos::index() const {
  if (!valid()) return -1;
  return static_cast<int>(std::distance(line->chars.begin(), ch));
}

bool holdsText(const BlockData& block) {
  return block.type != model::BlockImage && block.type != model::BlockLine;
}

bool isNormalLineWithChars(const LineData& line) {
  return line.attr == model::AttrNone && !line.chars.empty();
}

bool isCarriageReturn(const CharData& c) { return c.text[0] == 13 && c.text[1] == 0; }

List<LineData>& groupLines(BlockData& block, CellData* cell) {
  return cell != nullptr ? cell->lines : block.lines;
}

std::vector<LineRef> pageLines(PageData& page) {
  std::vector<LineRef> out;
  for (BlockData& b : page.blocks) {
    if (!holdsText(b)) continue;
    if (b.type == model::BlockTable) {
      for (CellData& c : b.cells)
        for (LineData& l : c.lines) out.push_back({&b, &c, &l});
    } else {
      for (LineData& l : b.lines) out.push_back({&b, nullptr, &l});
    }
  }
  return out;
}

CellData* cellOf(BlockData& block, const LineData* line) {
  if (block.type != model::BlockTable) return nullptr;
  for (CellData& c : block.cells)
    for (const LineData& l : c.lines)
      if (&l == line) return &c;
  return nullptr;
}

std::optional<LineRef> findLine(PageData& page, const LineData* line) {
  if (line == nullptr) return std::nullopt;
  for (const LineRef& r : pageLines(page))
    if (r.line == line) return r;
  return std::nullopt;
}

namespace {

long indexIn(const std::vector<LineRef>& lines, const LineData* line) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].line == line) return static_cast<long>(i);
  return -1;
}

bool sameGroup(const LineRef& a, const LineRef& b) { return a.block == b.block && a.cell == b.cell; }

std::optional<LineRef> stepLines(PageData& page, const LineRef& from, Reach reach, int step) {
  const std::vector<LineRef> lines = pageLines(page);
  long i = indexIn(lines, from.line);
  if (i < 0) return std::nullopt;
  for (i += step; i >= 0 && i < static_cast<long>(lines.size()); i += step) {
    const LineRef& r = lines[static_cast<size_t>(i)];
    if (reach == Reach::Group && !sameGroup(r, from)) return std::nullopt;
    if (isNormalLineWithChars(*r.line)) return r;
  }
  return std::nullopt;
}

}  // namespace

std::optional<LineRef> nextLineWithChars(PageData& page, const LineRef& from, Reach reach) {
  return stepLines(page, from, reach, 1);
}

std::optional<LineRef> previousLineWithChars(PageData& page, const LineRef& from, Reach reach) {
  return stepLines(page, from, reach, -1);
}

std::optional<LineRef> firstLineWithChars(PageData& page) {
  for (const LineRef& r : pageLines(page))
    if (isNormalLineWithChars(*r.line)) return r;
  return std::nullopt;
}

std::optional<LineRef> lastLineWithChars(PageData& page) {
  const std::vector<LineRef> lines = pageLines(page);
  for (auto it = lines.rbegin(); it != lines.rend(); ++it)
    if (isNormalLineWithChars(*it->line)) return *it;
  return std::nullopt;
}

std::optional<LineRef> firstNormalLineOfBlock(BlockData& block) {
  if (!holdsText(block)) return std::nullopt;
  if (block.type == model::BlockTable) {
    if (block.cells.empty()) return std::nullopt;
    CellData& cell = block.cells.front();
    if (cell.lines.empty()) return std::nullopt;
    return LineRef{&block, &cell, &cell.lines.front()};
  }
  for (LineData& l : block.lines)
    if (l.attr == model::AttrNone) return LineRef{&block, nullptr, &l};
  return std::nullopt;
}

std::optional<LineRef> firstNormalLine(PageData& page) {
  for (BlockData& b : page.blocks)
    if (auto r = firstNormalLineOfBlock(b)) return r;
  return std::nullopt;
}

CaretPos caretAt(const LineRef& ref, int index) {
  CaretPos p{ref.block, ref.cell, ref.line, {}};
  if (ref.line == nullptr) return p;
  const int n = static_cast<int>(ref.line->chars.size());
  p.ch = std::next(ref.line->chars.begin(), std::clamp(index, 0, n));
  return p;
}

void placeInLine(CaretPos& caret, const LineRef& line, int column) {
  const int n = static_cast<int>(line.line->chars.size());
  caret = caretAt(line, std::min(std::max(column, 0), std::max(n - 1, 0)));
}

void placeAtLineEndForBackwardMove(CaretPos& caret, const LineRef& line) {
  caret = caretAt(line, static_cast<int>(line.line->chars.size()));
  if (!line.line->chars.empty() && isCarriageReturn(line.line->chars.back())) --caret.ch;
}

bool moveNextCharacter(PageData& page, CaretPos& caret, bool shift, bool* needsPage) {
  if (!caret.valid()) return false;
  // A carriage return ends its line: stepping over it leads to the next line. One that stands
  // inside a line (typed over a selection) is stepped over like any other character, so the
  // characters after it stay reachable.
  const bool onFinalReturn = !caret.atLineEnd() && isCarriageReturn(*caret.ch) &&
                             std::next(caret.ch) == caret.line->chars.end();
  if (!caret.atLineEnd() && !onFinalReturn) {
    ++caret.ch;
    return true;
  }
  auto next = nextLineWithChars(page, refOf(caret), shift ? Reach::Group : Reach::Page);
  if (!next) {
    if (needsPage != nullptr) *needsPage = !shift;
    return false;
  }
  caret = caretAt(*next, 0);
  return true;
}

bool movePreviousCharacter(PageData& page, CaretPos& caret, bool shift, bool* needsPage) {
  if (!caret.valid()) return false;
  LineData* base = caret.line->baseLine;
  if (caret.line->attr != model::AttrNone && base != nullptr) {
    // A side line is left for the base characters it stands beside.
    caret = caretAt({caret.block, caret.cell, base}, std::max(caret.line->rcs - 1, 0));
    return true;
  }
  if (caret.ch != caret.line->chars.begin()) {
    --caret.ch;
    return true;
  }
  auto prev = previousLineWithChars(page, refOf(caret), shift ? Reach::Group : Reach::Page);
  if (!prev) {
    if (needsPage != nullptr) *needsPage = !shift;
    return false;
  }
  placeAtLineEndForBackwardMove(caret, *prev);
  return true;
}

namespace {

bool moveLine(PageData& page, CaretPos& caret, int column, bool shift, bool* needsPage,
              int step) {
  if (!caret.valid()) return false;
  const int col = column >= 0 ? column : caret.index();
  const Reach reach = shift ? Reach::Group : Reach::Page;
  auto target = step > 0 ? nextLineWithChars(page, refOf(caret), reach)
                         : previousLineWithChars(page, refOf(caret), reach);
  if (!target) {
    if (needsPage != nullptr) *needsPage = !shift;
    return false;
  }
  placeInLine(caret, *target, col);
  return true;
}

}  // namespace

bool moveNextLine(PageData& page, CaretPos& caret, int column, bool shift, bool* needsPage) {
  return moveLine(page, caret, column, shift, needsPage, 1);
}

bool movePreviousLine(PageData& page, CaretPos& caret, int column, bool shift, bool* needsPage) {
  return moveLine(page, caret, column, shift, needsPage, -1);
}

// --- Undo's numbers ---------------------------------------------------------------------------

std::optional<CaretTriple> reportCaret(PageData& page, const CaretPos& caret) {
  if (!caret.valid() || caret.block == nullptr) return std::nullopt;
  CaretTriple t;
  int32_t b = 0;
  for (BlockData& block : page.blocks) {
    if (&block == caret.block) {
      t.block = b;
      break;
    }
    ++b;
  }
  if (t.block < 0) return std::nullopt;
  int32_t l = 0;
  auto look = [&](List<LineData>& lines) {
    for (LineData& line : lines) {
      if (&line == caret.line) {
        t.line = l;
        return true;
      }
      ++l;
    }
    return false;
  };
  bool found = look(caret.block->lines);
  for (CellData& c : caret.block->cells)
    if (!found) found = look(c.lines);
  if (!found) return std::nullopt;
  t.ch = caret.index();
  return t;
}

std::optional<CaretPos> caretFromTriple(PageData& page, const CaretTriple& t) {
  if (t.block < 0 || t.line < 0 || t.ch < 0 ||
      t.block >= static_cast<int32_t>(page.blocks.size()))
    return std::nullopt;
  BlockData& block = *std::next(page.blocks.begin(), t.block);
  int32_t l = 0;
  auto pick = [&](List<LineData>& lines, CellData* cell) -> std::optional<CaretPos> {
    for (LineData& line : lines) {
      if (l++ != t.line) continue;
      if (t.ch > static_cast<int32_t>(line.chars.size())) return std::nullopt;
      return caretAt({&block, cell, &line}, t.ch);
    }
    return std::nullopt;
  };
  if (auto p = pick(block.lines, nullptr)) return p;
  for (CellData& c : block.cells)
    if (auto p = pick(c.lines, &c)) return p;
  return std::nullopt;
}

// --- Selection --------------------------------------------------------------------------------

std::pair<CaretPos, CaretPos> ordered(PageData& page, const Selection& s) {
  const CaretPos& a = s.anchor;
  const CaretPos& b = s.active;
  if (a.line == b.line) return a.index() <= b.index() ? std::pair{a, b} : std::pair{b, a};
  const std::vector<LineRef> lines = pageLines(page);
  return indexIn(lines, a.line) <= indexIn(lines, b.line) ? std::pair{a, b} : std::pair{b, a};
}

namespace {

// Calls f(line, from, to) for each line of the selection with the half-open index range of its
// selected characters (which may be empty).
template <class F>
void forEachSelectedRun(PageData& page, const Selection& selection, F f) {
  if (selection.empty()) return;
  auto [start, end] = ordered(page, selection);
  if (start.line == end.line) {
    f(start.line, start.index(), end.index());
    return;
  }
  const std::vector<LineRef> lines = pageLines(page);
  long i = indexIn(lines, start.line);
  const long last = indexIn(lines, end.line);
  if (i < 0 || last < 0) return;
  for (; i <= last; ++i) {
    LineData* l = lines[static_cast<size_t>(i)].line;
    // A selection runs over base text: the side lines standing between its ends are not part
    // of it (their base characters take them along when they are deleted).
    if (l->attr != model::AttrNone && l != start.line && l != end.line) continue;
    const int n = static_cast<int>(l->chars.size());
    f(l, l == start.line ? start.index() : 0, l == end.line ? end.index() : n);
  }
}

}  // namespace

std::vector<LineSpan> selectionSpans(PageData& page, const Selection& selection) {
  std::vector<LineSpan> spans;
  forEachSelectedRun(page, selection, [&](LineData* l, int from, int to) {
    if (to > from) spans.push_back({l, from, to - 1});
  });
  return spans;
}

std::u16string selectedText(PageData& page, const Selection& selection) {
  std::u16string text;
  forEachSelectedRun(page, selection, [&](LineData* l, int from, int to) {
    auto it = std::next(l->chars.begin(), from);
    for (int i = from; i < to; ++i, ++it)
      text.append(it->text.data(), static_cast<size_t>(model::charTextLength(it->text)));
  });
  return text;
}

std::pair<int, int> selectionPositions(PageData& page, const Selection& selection) {
  const std::vector<LineSpan> spans = selectionSpans(page, selection);
  if (spans.empty()) return {-1, -1};
  int first = -1, last = -1, n = 0;
  for (BlockData& b : page.blocks) {
    if (b.type == model::BlockTable) continue;
    for (LineData& l : b.lines) {
      if (&l == spans.front().line) first = n + spans.front().first;
      if (&l == spans.back().line) last = n + spans.back().last;
      n += static_cast<int>(l.chars.size());
    }
  }
  if (first < 0 || last < 0) return {-1, -1};
  return {first, last};
}

Selection selectionFromPositions(PageData& page, int first, int last) {
  Selection s;
  model::CharPosition a = model::characterAt(page, first);
  model::CharPosition b = model::characterAt(page, last);
  if (a.character == nullptr || b.character == nullptr || a.block != b.block) return s;
  auto iteratorOf = [](LineData* line, CharData* c) {
    for (auto it = line->chars.begin(); it != line->chars.end(); ++it)
      if (&*it == c) return it;
    return line->chars.end();
  };
  s.anchor = CaretPos{a.block, nullptr, a.line, iteratorOf(a.line, a.character)};
  s.active = CaretPos{b.block, nullptr, b.line, std::next(iteratorOf(b.line, b.character))};
  return s;
}

}  // namespace vellary::editing
