// Selection flags, the side-line menu items, orientation, adding ruby and emphasis marks, and
// deleting side lines.
#include "ruby_edit.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <set>

namespace vellary::editing {

using namespace model;

namespace {

char16_t unitOf(const CharData& c) { return c.text[0]; }

bool isDecimalDigit(char16_t u) {
  return (u >= u'0' && u <= u'9') || (u >= u'\uFF10' && u <= u'\uFF19');
}

bool isLineBreak(const CharData& c) { return c.text[0] == 0x000D && c.text[1] == 0; }

CharIt at(LineData& line, int i) { return detail::charAt(line, i); }

// The first side line of the page whose first character carries the key.
struct SideLinePlace {
  BlockData* block = nullptr;
  List<LineData>* lines = nullptr;
  List<LineData>::iterator pos;
};
SideLinePlace findSideLine(PageData& page, int32_t key) {
  auto search = [key](BlockData& b, List<LineData>& lines, SideLinePlace& out) {
    for (auto it = lines.begin(); it != lines.end(); ++it)
      if (it->attr != AttrNone && !it->chars.empty() && it->chars.front().modRubyEmp == key) {
        out = SideLinePlace{&b, &lines, it};
        return true;
      }
    return false;
  };
  SideLinePlace out;
  for (BlockData& b : page.blocks) {
    if (search(b, b.lines, out)) return out;
    for (CellData& c : b.cells)
      if (search(b, c.lines, out)) return out;
  }
  return out;
}

template <class F>
void forEachChar(const PageData& page, F f) {
  auto lines = [&f](const List<LineData>& ls) {
    for (const LineData& l : ls)
      for (const CharData& c : l.chars) f(c);
  };
  for (const BlockData& b : page.blocks) {
    lines(b.lines);
    for (const CellData& c : b.cells) lines(c.lines);
  }
}

// A caret that stood in a line that is removed goes to the line's base, before the first
// character the line covered; a selection that reached into it is dropped.
void leaveLine(CaretState& caret, LineData& gone) {
  if (caret.caret.line == &gone) {
    LineData* base = gone.baseLine;
    if (base != nullptr) {
      caret.caret.line = base;
      caret.caret.ch = at(*base, std::max(gone.rcs, 1) - 1);
    } else {
      caret.caret = CaretPos{caret.caret.block, nullptr, nullptr, {}};
    }
  }
  if (caret.selection.anchor.line == &gone || caret.selection.active.line == &gone)
    caret.selection.clear();
  if (caret.lineAtKeyDown == &gone) caret.lineAtKeyDown = nullptr;
}

// Where new side lines of `base` go: just before it, in the list (block or cell) that holds it.
struct BasePlace {
  List<LineData>* lines = nullptr;
  List<LineData>::iterator pos;
};
BasePlace placeOf(BlockData& block, LineData& base) {
  BasePlace p;
  p.lines = detail::lineListOf(block, &base);
  if (p.lines == nullptr) return p;
  for (auto it = p.lines->begin(); it != p.lines->end(); ++it)
    if (&*it == &base) p.pos = it;
  return p;
}

// The position along the line of the run's first character: its own, or for a character the user
// typed (no place on the image) its share of the line.
int64_t alongStart(const LineData& base, int8_t direction, const CharData& anchor, int index) {
  const int64_t n = std::max<int64_t>(static_cast<int64_t>(base.chars.size()), 1);
  if (direction == Vertical)
    return anchor.y >= 0 ? anchor.y : base.y + int64_t{index} * base.height / n;
  return anchor.x >= 0 ? anchor.x : base.x + int64_t{index} * base.width / n;
}

// A run that may carry a new ruby: characters of a body line that no ruby or emphasis line
// covers yet, since a second side line over them would take their keys.
bool canTakeRuby(const LineRun& run) {
  if (!run.valid() || run.block == nullptr || run.line->attr != AttrNone) return false;
  const SelectionInfo info = selectionFlags(run);
  return info.rubyOverlap == 0 && info.emphasisOverlap == 0;
}

// After a side line came or went: the page is laid out again with its base line.
void sideLinesChanged(EditScope& scope, LineData* base) {
  scope.layout().line(base).caretMoved();
}

}  // namespace

namespace detail {

int32_t largestRubyKey(const PageData& page) {
  int32_t largest = 0;
  forEachChar(page, [&largest](const CharData& c) {
    const int64_t k = c.modRubyEmp < 0 ? -int64_t{c.modRubyEmp} : c.modRubyEmp;
    if (k >= 1 && k <= model::kLargestRubyKey) largest = std::max(largest, static_cast<int32_t>(k));
  });
  return largest;
}

int32_t largestEmphasisNumber(const PageData& page) {
  int32_t largest = 0;
  forEachChar(page, [&largest](const CharData& c) {
    const int64_t k = c.modRubyEmp < 0 ? -int64_t{c.modRubyEmp} : c.modRubyEmp;
    if (k < model::kEmphasisKeyBase) return;
    const int64_t n =
        k >= model::kCommaEmphasisKeyBase ? k - model::kCommaEmphasisKeyBase : k - model::kEmphasisKeyBase;
    largest = std::max(largest, detail::clampToInt32(n));
  });
  return largest;
}

std::vector<CharText> splitCharacters(std::u16string_view text) {
  std::vector<CharText> out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t u = text[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      out.push_back(makeCharText(u, text[i + 1]));
      ++i;
    } else {
      out.push_back(makeCharText(u));
    }
  }
  return out;
}

std::u16string textOf(const LineData& line, int first, int last) {
  std::u16string s;
  int i = 0;
  for (const CharData& c : line.chars) {
    if (i >= first && (last < 0 || i < last)) s.append(c.text.data(), charTextLength(c.text));
    ++i;
  }
  return s;
}

void rekeyBase(LineData& base, int32_t key, int32_t rcs, int32_t rce) {
  int32_t i = 1;
  for (CharData& c : base.chars) {
    if (c.modRubyEmp == -key) c.modRubyEmp = 0;
    if (i >= rcs && i <= rce) c.modRubyEmp = -key;
    ++i;
  }
}

}  // namespace detail

LineRun selectedRun(const CaretState& caret) {
  const Selection& s = caret.selection;
  if (s.empty() || s.anchor.line != s.active.line) return {};
  const int a = s.anchor.index(), b = s.active.index();
  return LineRun{s.anchor.block, s.anchor.line, std::min(a, b), std::max(a, b)};
}

LineRun selectionOrCaretChar(const CaretState& caret) {
  if (!caret.selection.empty()) return selectedRun(caret);
  const CaretPos& c = caret.caret;
  if (!c.valid() || c.atLineEnd()) return {};
  const int i = c.index();
  return LineRun{c.block, c.line, i, i + 1};
}

SelectionInfo selectionFlags(const LineRun& run) {
  SelectionInfo info;
  if (!run.valid()) return info;
  const int e = run.count();
  bool sidewaysOk = true, tcyOk = e <= 3, rubyOk = true;
  int sideways = 0;
  auto it = at(*run.line, run.first);
  for (int i = run.first; i < run.last && it != run.line->chars.end(); ++i, ++it) {
    const CharData& c = *it;
    const char16_t u = unitOf(c);
    if (!(u > 0x321F && u < 0xFF01)) rubyOk = false;
    if (model::isRubyBase(c)) continue;  // a ruby base keeps its orientation out of the count
    if (!(u < 0x0450 || (u >= 0xFF01 && u <= 0xFF5E))) sidewaysOk = false;
    if (!isDecimalDigit(u)) tcyOk = false;
    if (c.modRotTcy == model::kSideways) {
      ++sideways;
      tcyOk = false;
      info.flags |= FlagHasSideways;
    }
    if (c.modRotTcy == model::kTateChuYoko) {
      sidewaysOk = tcyOk = false;
      info.flags |= FlagHasTateChuYoko;
    }
  }
  if (sidewaysOk && sideways < e) info.flags |= FlagSidewaysAllowed;
  if (tcyOk) info.flags |= FlagTateChuYokoAllowed;

  if (run.block != nullptr)
    if (const List<LineData>* lines = detail::lineListOf(*run.block, run.line))
      for (const LineData& side : *lines) {
        if (side.baseLine != run.line || side.chars.empty()) continue;
        const int lo = std::max(run.first + 1, side.rcs), hi = std::min(run.last, side.rce);
        const int covered = side.rcs > 0 && hi >= lo ? hi - lo + 1 : 0;
        if (side.chars.front().modRubyEmp < model::kEmphasisKeyBase)
          info.rubyOverlap += covered;
        else
          info.emphasisOverlap += covered;
      }
  if (rubyOk && info.rubyOverlap == 0 && info.emphasisOverlap == 0) info.flags |= FlagRubyAllowed;
  if (info.rubyOverlap > 0) info.flags |= FlagRubyPresent;
  if (info.emphasisOverlap < e && info.rubyOverlap == 0) info.flags |= FlagEmphasisAllowed;
  if (info.emphasisOverlap > 0) info.flags |= FlagEmphasisPresent;
  return info;
}

std::vector<MenuItem> sideLineMenuItems(const CaretState& caret) {
  std::vector<MenuItem> items;
  if (!caret.selection.empty()) {
    const LineRun run = selectedRun(caret);
    if (!run.valid()) return items;
    const unsigned f = selectionFlags(run).flags;
    const bool vertical = run.block != nullptr && run.block->direction == Vertical;
    if (vertical && (f & FlagSidewaysAllowed))
      items.push_back(MenuItem::command(CmdSideways, "横向英数字(&E)"));
    if (vertical && (f & FlagTateChuYokoAllowed))
      items.push_back(MenuItem::command(CmdTateChuYoko, "縦中横(&T)"));
    if (vertical && (f & (FlagHasSideways | FlagHasTateChuYoko)))
      items.push_back(MenuItem::command(CmdNormalOrientation, "通常文字(&N)"));
    if (f & FlagRubyAllowed) items.push_back(MenuItem::command(CmdRubySet, "ルビ設定...(&S)"));
    if (f & FlagRubyPresent) {
      items.push_back(MenuItem::command(CmdRubyModify, "ルビ修正(&M)..."));
      items.push_back(MenuItem::command(CmdRubyDelete, "ルビ削除(&D)"));
    }
    if (f & FlagEmphasisAllowed) items.push_back(MenuItem::command(CmdEmphasisSet, "圏点設定(&K)"));
    if (f & FlagEmphasisPresent)
      items.push_back(MenuItem::command(CmdEmphasisDelete, "圏点削除(&P)"));
    return items;
  }
  const CaretPos& c = caret.caret;
  if (!c.valid() || c.atLineEnd()) return items;
  if (model::isRubyBase(*c.ch)) {
    items.push_back(MenuItem::makeSeparator());
    items.push_back(MenuItem::command(CmdRubyModify, "ルビ修正(&M)..."));
    items.push_back(MenuItem::command(CmdRubyDelete, "ルビ削除(&D)"));
  }
  if (model::isEmphasised(*c.ch)) items.push_back(MenuItem::command(CmdEmphasisDelete, "圏点削除(&P)"));
  if (model::isTurned(*c.ch)) items.push_back(MenuItem::command(CmdNormalOrientation, "通常文字(&N)"));
  return items;
}

bool rubyModifyEnabled(const CaretState& caret) {
  const CaretPos& c = caret.caret;
  if (!c.valid()) return false;
  if (c.line->attr == AttrRuby && c.line->rcs > 0 && c.line->baseLine != nullptr) return true;
  if (c.block == nullptr || c.atLineEnd()) return false;
  const List<LineData>* lines = detail::lineListOf(*c.block, c.line);
  if (lines == nullptr) return false;
  const int pos = c.index() + 1;
  return std::any_of(lines->begin(), lines->end(), [&](const LineData& l) {
    return l.attr == AttrRuby && l.baseLine == c.line && l.rcs > 0 && l.rcs <= pos && pos <= l.rce;
  });
}

void setOrientation(EditScope& scope, int32_t code) {
  CaretState& caret = scope.caret();
  const LineRun run = selectedRun(caret);
  if (!run.valid() || (code != model::kSideways && code != model::kTateChuYoko)) return;
  scope.willChange(document::UndoOrientation);
  auto it = at(*run.line, run.first);
  for (int i = run.first; i < run.last && it != run.line->chars.end(); ++i, ++it) {
    it->modRotTcy = code;
    it->changed = 1;
  }
  scope.caretMoved();
  bool page = false;
  if (code == model::kSideways) {
    // A sideways run reaches into the column of the side line above it.
    if (const List<LineData>* lines =
            run.block ? detail::lineListOf(*run.block, run.line) : nullptr) {
      const LineData* above = nullptr;
      for (const LineData& l : *lines) {
        if (&l == run.line) break;
        above = &l;
      }
      page = above != nullptr && above->attr != AttrNone;
    }
  }
  if (page)
    scope.layout();
  else
    scope.line(run.line);
}

void resetOrientation(EditScope& scope) {
  CaretState& caret = scope.caret();
  LineRun run = selectionOrCaretChar(caret);
  if (!run.valid()) return;
  LineData& line = *run.line;
  // A group is reset whole: the run grows over the turned characters on either side.
  while (run.first > 0 && model::isTurned(*at(line, run.first - 1))) --run.first;
  while (run.last < static_cast<int>(line.chars.size()) && model::isTurned(*at(line, run.last)))
    ++run.last;
  auto it = at(line, run.first);
  bool any = false;
  for (int i = run.first; i < run.last; ++i, ++it) any |= model::isTurned(*it);
  if (!any) return;
  scope.willChange(document::UndoOrientationReset);
  it = at(line, run.first);
  for (int i = run.first; i < run.last; ++i, ++it)
    if (model::isTurned(*it)) {
      it->modRotTcy = 0;
      it->changed = 1;
    }
  scope.layout().line(&line).caretMoved();
}

std::optional<RubySetDialog> openRubySetDialog(const CaretState& caret) {
  const LineRun run = selectionOrCaretChar(caret);
  if (!canTakeRuby(run)) return std::nullopt;
  RubySetDialog d;
  // The base text shows each character's first unit.
  auto it = at(*run.line, run.first);
  for (int i = run.first; i < run.last; ++i, ++it) d.base += it->text[0];
  return d;
}

void addRuby(EditScope& scope, std::u16string_view rubyText) {
  const LineRun run = selectionOrCaretChar(scope.caret());
  PageData* page = detail::currentPage(scope.doc());
  if (!canTakeRuby(run) || page == nullptr || rubyText.empty()) return;
  LineData& base = *run.line;
  BasePlace place = placeOf(*run.block, base);
  if (place.lines == nullptr) return;
  const std::vector<CharText> chars = detail::splitCharacters(rubyText);

  scope.willChange(document::UndoRuby);
  const int32_t key = detail::largestRubyKey(*page) + 1;
  const bool vertical = run.block->direction == Vertical;
  const int64_t W = base.width, H = base.height;
  const int64_t n = std::max<int64_t>(static_cast<int64_t>(base.chars.size()), 1);
  const int64_t m = run.count();
  const int64_t r64 = static_cast<int64_t>(chars.size());
  const int64_t extent = vertical ? m * H / n : m * W / n;
  const int64_t glyph = vertical ? W / 3 : H / 3;
  const int64_t start = alongStart(base, run.block->direction, *at(base, run.first), run.first);

  LineData ruby;
  ruby.attr = AttrRuby;
  ruby.baseLine = &base;
  ruby.rcs = run.first + 1;
  ruby.rce = run.last;
  if (vertical) {
    // The ruby stands in its own column right of the base line, a third of a line away.
    ruby.x = detail::clampToInt32(base.x + W + W / 3);
    ruby.y = detail::clampToInt32(start);
    ruby.width = detail::clampToInt32(W / 3);
    ruby.height = detail::clampToInt32(std::max(glyph * r64, extent));
  } else {
    ruby.x = detail::clampToInt32(start);
    ruby.y = detail::clampToInt32(base.y - H / 3);
    ruby.width = detail::clampToInt32(std::max(glyph * r64, extent));
    ruby.height = detail::clampToInt32(H / 3);
  }
  ruby.widthOrg = ruby.width;
  ruby.heightOrg = ruby.height;
  for (int64_t i = 0; i < r64; ++i) {
    CharData& c = ruby.chars.emplace_back();
    c.text = chars[static_cast<size_t>(i)];
    const int64_t along = start + i * extent / r64;
    c.x = vertical ? ruby.x : detail::clampToInt32(along);
    c.y = vertical ? detail::clampToInt32(along) : ruby.y;
    c.width = c.height = detail::clampToInt32(glyph);
    c.modRubyEmp = key;
    c.changed = 1;
  }
  detail::recountLine(ruby);
  ruby.lid = ruby.rlid = base.lid;
  ++base.lid;
  place.lines->insert(place.pos, std::move(ruby));
  auto it = at(base, run.first);
  for (int i = run.first; i < run.last; ++i, ++it) it->modRubyEmp = -key;
  detail::recountBlock(*run.block);
  sideLinesChanged(scope, &base);
}

char16_t emphasisMark(const appcore::FrameSettings& frame) {
  return frame.emphasisChar == "・" ? u'\u30FB' : u'\u3001';
}

void addEmphasis(EditScope& scope, char16_t mark) {
  const LineRun run = selectionOrCaretChar(scope.caret());
  PageData* page = detail::currentPage(scope.doc());
  if (!run.valid() || run.block == nullptr || page == nullptr) return;
  if (run.block->type == BlockImage) return;
  LineData& base = *run.line;
  // A side line has no side lines of its own, and a ruby base takes no marks.
  if (base.attr != AttrNone || selectionFlags(run).rubyOverlap > 0) return;
  BasePlace place = placeOf(*run.block, base);
  if (place.lines == nullptr) return;
  // A line break carries no mark, and a character keeps the mark it has.
  std::vector<int> marked;
  auto it = at(base, run.first);
  for (int i = run.first; i < run.last; ++i, ++it)
    if (!isLineBreak(*it) && !model::isEmphasised(*it)) marked.push_back(i);
  if (marked.empty()) return;

  scope.willChange(document::UndoEmphasis);
  const int32_t first = detail::largestEmphasisNumber(*page) +
                        (mark == u'\u3001' ? model::kCommaEmphasisKeyBase : model::kEmphasisKeyBase);
  const bool vertical = run.block->direction == Vertical;
  const int64_t W = base.width, H = base.height;
  const int64_t n = std::max<int64_t>(static_cast<int64_t>(base.chars.size()), 1);
  const int32_t glyph = detail::clampToInt32(vertical ? W / 3 : H / 3);
  int32_t k = 0;
  for (int i : marked) {
    const int32_t key = detail::clampToInt32(int64_t{first} + ++k);
    CharData& c = *at(base, i);
    // Each mark stands beside its own character.
    const int64_t along = alongStart(base, run.block->direction, c, i);
    LineData line;
    line.attr = AttrEmph;
    line.baseLine = &base;
    line.rcs = line.rce = i + 1;
    if (vertical) {
      line.x = detail::clampToInt32(base.x + W + W / 3);
      line.y = detail::clampToInt32(along);
      line.width = detail::clampToInt32(W / 3);
      line.height = detail::clampToInt32(H / n / 3);
    } else {
      line.x = detail::clampToInt32(along);
      line.y = detail::clampToInt32(base.y - H / 3);
      line.width = detail::clampToInt32(W / n);
      line.height = detail::clampToInt32(H / 3);
    }
    line.widthOrg = line.width;
    line.heightOrg = line.height;
    CharData& m = line.chars.emplace_back();
    m.text = makeCharText(mark);
    m.width = m.height = glyph;
    // Placed along the line by the layout; across it the mark keeps to its line.
    m.x = vertical ? line.x : -1;
    m.y = vertical ? -1 : line.y;
    m.modRubyEmp = key;
    m.changed = 1;
    line.charCount = 1;
    place.lines->insert(place.pos, std::move(line));
    c.modRubyEmp = -key;
    c.changed = 1;
  }
  detail::recountBlock(*run.block);
  sideLinesChanged(scope, &base);
}

void deleteSideLines(EditScope& scope) {
  CaretState& caret = scope.caret();
  const LineRun run = selectionOrCaretChar(caret);
  PageData* page = detail::currentPage(scope.doc());
  if (!run.valid() || page == nullptr) return;
  std::vector<CharData*> bases;
  auto it = at(*run.line, run.first);
  for (int i = run.first; i < run.last; ++i, ++it)
    if (it->modRubyEmp < 0) bases.push_back(&*it);
  if (bases.empty()) return;

  scope.willChange(document::UndoSideLineDelete);
  std::set<int32_t> done;
  for (CharData* c : bases) {
    const int32_t key = -c->modRubyEmp;
    c->modRubyEmp = 0;
    if (!done.insert(key).second) continue;
    SideLinePlace found = findSideLine(*page, key);
    if (found.lines == nullptr) continue;
    LineData& l = *found.pos;
    // Every character the line stood beside loses its key, not only the one chosen: a key left
    // behind would point at a side line that no longer exists.
    if (l.baseLine != nullptr)
      for (CharData& b : l.baseLine->chars)
        if (b.modRubyEmp == -key) b.modRubyEmp = 0;
    leaveLine(caret, l);
    found.lines->erase(found.pos);
    detail::recountBlock(*found.block);
  }
  sideLinesChanged(scope, caret.caret.line != nullptr ? caret.caret.line : run.line);
}

}  // namespace vellary::editing
