// Editor: typing and input-method results, Enter, Delete and Backspace, copy and paste.
#include <algorithm>
#include <iterator>

#include "appcore/settings.h"
#include "editor.h"

namespace vellary::editing {

using model::CharData;
using model::LineData;
using model::PageData;

namespace {

bool isHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
bool isLoneHigh(const CharData& c) { return isHighSurrogate(c.text[0]) && c.text[1] == 0; }

// A typed character takes the size of the character it is put before; at the end of a line,
// that of the line's last character; in an empty line it has none.
std::pair<int32_t, int32_t> typedSize(const LineData& line, CharIt before) {
  if (line.chars.empty()) return {0, 0};
  const CharData& c = before != line.chars.end() ? *before : line.chars.back();
  return {c.width, c.height};
}

LineData* lastNormal(const LineGroup& g) {
  auto& ls = g.lines();
  for (auto it = ls.rbegin(); it != ls.rend(); ++it)
    if (it->attr == model::AttrNone) return &*it;
  return nullptr;
}

CaretPos endOf(const LineGroup& g, LineData* line) {
  return CaretPos{g.block, g.cell, line, line->chars.end()};
}
CaretPos startOf(const LineGroup& g, LineData* line) {
  return CaretPos{g.block, g.cell, line, line->chars.begin()};
}

}  // namespace

void Editor::afterEdit(EditScope& scope) {
  scope.caretMoved();
  state().selection.collapseTo(state().caret);
  updateEntry();
}

bool Editor::refuse(EditScope& scope) {
  scope.refuse();
  return false;
}

void Editor::removeEmptiedLine(const LineGroup& group, LineData* line) {
  for (LineData& l : group.lines())
    if (l.baseLine == line) forget(&l);
  forget(line);
  removeLine(group, line);
}

// --- Typing -------------------------------------------------------------------------------------

bool Editor::commitText(std::u16string_view text) {
  EditScope scope(context_);
  for (char16_t u : text) typeUnit(scope, u, 1);
  return !scope.refused();
}

bool Editor::typeChar(char16_t ch, int repeat) {
  EditScope scope(context_);
  return typeUnit(scope, ch, repeat);
}

bool Editor::typeUnit(EditScope& scope, char16_t ch, int repeat) {
  if (ch == 8) return true;  // Backspace arrives as a key
  PageData* p = page();
  if (p == nullptr || !state().caret.valid()) return true;
  if (!state().selection.empty()) return typeOverSelection(scope, ch, repeat);
  if (ch == 13) return typeReturn(scope);
  return typeAtCaret(scope, ch);
}

void Editor::finishTyped(EditScope& scope, bool wantsPage) {
  if (wantsPage)
    scope.layout();
  else
    scope.line(state().caret.line);
  afterEdit(scope);
}

bool Editor::typeOverSelection(EditScope& scope, char16_t ch, int repeat) {
  PageData& p = *page();
  auto [s, e] = ordered(p, state().selection);
  if (s.line != e.line) return refuse(scope);
  scope.willChange(document::UndoTyping);
  LineData& line = *s.line;
  const LineGroup g{s.block, cellOf(*s.block, s.line)};
  const model::CharText text = model::makeCharText(ch);
  const int n = std::max(repeat, 1);
  const int i = s.index();
  CharIt it = s.ch;
  int written = 0;
  bool ranges = false;
  // The selected characters are overwritten in place: each keeps its box and candidates.
  for (; written < n && it != e.ch; ++written, ++it) {
    g.addUnits(line, model::charTextLength(text) - model::charTextLength(it->text));
    it->text = text;
    it->cc = model::kDefaultConfidence;
    it->changed = 1;
  }
  if (written < n) {
    const bool atEnd = it == line.chars.end();
    auto [w, h] = typedSize(line, it);
    for (int k = written; k < n; ++k) insertCharacter(g, line, it, typedCharacter(text, w, h));
    ranges = followInsertion(g, line, i + written, n - written, atEnd);
  } else {
    while (it != e.ch) {
      ranges = followRemoval(g, line, i + written) || ranges;
      it = removeCharacter(g, line, it);
    }
  }
  state().caret = CaretPos{s.block, g.cell, &line, it};
  state().selection.collapseTo(state().caret);
  finishTyped(scope, ch == 13 || ranges || (hasSideLines(g, line) && it != line.chars.end()));
  return true;
}

bool Editor::typeAtCaret(EditScope& scope, char16_t ch) {
  CaretPos& c = state().caret;
  LineData& line = *c.line;
  const LineGroup g = groupOf(c);
  if (isLowSurrogate(ch)) {
    // Completes the pair whose high unit was typed just before: the caret stands on it.
    CharData* target = nullptr;
    if (!c.atLineEnd() && isLoneHigh(*c.ch)) {
      target = &*c.ch;
      ++c.ch;
    } else if (c.ch != line.chars.begin() && isLoneHigh(*std::prev(c.ch))) {
      target = &*std::prev(c.ch);
    }
    if (target == nullptr) return refuse(scope);  // a stray low unit would break a character
    scope.willChange(document::UndoTyping);
    target->text[1] = ch;
    g.addUnits(line, 1);
    finishTyped(scope, hasSideLines(g, line) && !c.atLineEnd());
    return true;
  }
  if (ch < 20) return true;
  scope.willChange(document::UndoTyping);
  const int i = c.index();
  const bool atEnd = c.atLineEnd();
  auto [w, h] = typedSize(line, c.ch);
  CharIt added = insertCharacter(g, line, c.ch, typedCharacter(model::makeCharText(ch), w, h));
  const bool ranges = followInsertion(g, line, i, 1, atEnd);
  const bool wantsPage = ranges || (hasSideLines(g, line) && !atEnd);
  if (isHighSurrogate(ch)) {
    // The low unit follows: the caret waits on the new character.
    c.ch = added;
    if (wantsPage)
      scope.layout();
    else
      scope.line(&line);
    scope.caretMoved();
    return true;
  }
  finishTyped(scope, wantsPage);
  return true;
}

bool Editor::typeReturn(EditScope& scope) {
  CaretPos& c = state().caret;
  LineData& line = *c.line;
  const LineGroup g = groupOf(c);
  if (c.block->type == model::BlockTable) return refuse(scope);
  const int i = c.index();
  // A break inside a ruby's (or emphasis's) base would leave its side line covering two lines.
  if (line.attr == model::AttrRuby || cutsRange(g, line, i)) {
    context_.prompter().message(kRubyBreakMessage, appcore::kAppTitle);
    return refuse(scope);
  }
  // A line break is a step of its own: undo takes it back alone, not with the typing before it.
  doc().endUndoRun();
  scope.willChange(document::UndoLineBreak);
  doc().endUndoRun();
  const bool atEnd = c.atLineEnd();
  const bool afterReturn = i > 0 && isCarriageReturn(*std::prev(c.ch));
  auto [w, h] = typedSize(line, c.ch);
  insertCharacter(g, line, c.ch, typedCharacter(model::makeCharText(13), w, h));
  if (atEnd && !afterReturn) {
    // The return only ends the line; the caret goes on to the next one on this page (the page
    // that was edited must stay current to be marked).
    const CaretPos kept = c;
    editing::moveNextCharacter(*page(), c, false);
    // In the text-flow display the caret must stay in sight: past a table, or on this line.
    if (display_ != Display::Layout && !passUnshownLines(true, -1, false)) c = kept;
    finishTyped(scope, true);
    return true;
  }
  int b = i + 1;
  if (atEnd) {
    b = i;  // behind an existing return the new one stays alone in the current line
  } else {
    shiftRangesAfter(g, line, i, 1);
  }
  splitLine(g, line, b);
  c = startOf(g, &line);
  finishTyped(scope, true);
  return true;
}

// --- Deleting -----------------------------------------------------------------------------------

bool Editor::deleteForward() {
  EditScope scope(context_);
  PageData* p = page();
  if (p == nullptr || !state().caret.valid()) return true;
  if (!state().selection.empty()) return deleteSelection(scope);
  return deleteAtCaret(scope, false);
}

bool Editor::backspace() {
  EditScope scope(context_);
  PageData* p = page();
  if (p == nullptr || !state().caret.valid()) return true;
  if (!state().selection.empty()) return deleteSelection(scope);
  CaretPos& c = state().caret;
  if (c.line->chars.empty()) return true;
  if (c.ch == c.line->chars.begin() && c.line->attr == model::AttrNone) {
    // Backspace never reaches into another block.
    auto prev = previousLineWithChars(*p, refOf(c), Reach::Page);
    if (!prev || prev->block != c.block) return true;
  }
  editing::movePreviousCharacter(*p, c, false);
  // A line without a final return loses its last character.
  if (c.atLineEnd() && !c.line->chars.empty()) --c.ch;
  return deleteAtCaret(scope, true);
}

bool Editor::deleteAtCaret(EditScope& scope, bool backspace) {
  PageData& p = *page();
  CaretPos& c = state().caret;
  LineData* line = c.line;
  const LineGroup g = groupOf(c);
  if (line->chars.empty() || c.atLineEnd()) return true;
  scope.willChange(document::UndoDeleting);
  if (isCarriageReturn(*c.ch)) return deleteReturn(scope, backspace);
  const int i = c.index();
  const bool wasLast = std::next(c.ch) == line->chars.end();
  const bool ranges = followRemoval(g, *line, i);
  c.ch = removeCharacter(g, *line, c.ch);
  if (!line->chars.empty()) {
    if (wasLast && !backspace)
      if (LineData* next = g.nextNormal(line)) c = startOf(g, next);
    if (ranges)
      scope.layout();
    else
      scope.line(line);
  } else if (line->attr != model::AttrNone) {
    // An emptied side line goes; the caret returns to its base line.
    LineData* base = line->baseLine;
    removeEmptiedLine(g, line);
    if (base != nullptr && g.find(base) != g.lines().end())
      c = startOf(g, base);
    else
      placeCaretOnPage();
    scope.layout();
  } else if (g.normalLineCount() > 1) {
    LineData* next = g.nextNormal(line);
    LineData* prev = g.previousNormal(line);
    auto earlier = previousLineWithChars(p, {g.block, g.cell, line}, Reach::Page);
    removeEmptiedLine(g, line);
    if (!backspace)
      c = next != nullptr ? startOf(g, next) : endOf(g, prev);
    else if (prev == nullptr)
      c = startOf(g, next);
    else if (earlier)
      c = caretAt(*earlier, static_cast<int>(earlier->line->chars.size()));
    else
      c = endOf(g, prev);
    scope.layout();
  } else {
    // A block or cell keeps its last line, empty.
    if (ranges)
      scope.layout();
    else
      scope.line(line);
  }
  afterEdit(scope);
  return true;
}

bool Editor::deleteReturn(EditScope& scope, bool backspace) {
  CaretPos& c = state().caret;
  LineData* line = c.line;
  const LineGroup g = groupOf(c);
  // A return before a range moves it like any character.
  const bool ranges = followRemoval(g, *line, c.index());
  c.ch = removeCharacter(g, *line, c.ch);
  if (!line->chars.empty()) {
    LineData* next = g.nextNormal(line);
    if (next != nullptr && line->attr == model::AttrNone &&
        continuesOnSameRow(*line, *next, g.block->direction)) {
      const bool nextEmpty = next->chars.empty();
      const CharIt first = next->chars.begin();  // stays valid when spliced over
      forget(next);
      joinLines(g, *line, *next);
      c = CaretPos{g.block, g.cell, line, nextEmpty ? line->chars.end() : first};
      scope.layout();
    } else {
      if (ranges)
        scope.layout();
      else
        scope.line(line);
      if (!backspace && c.atLineEnd() && next != nullptr) c = startOf(g, next);
    }
  } else if (line->attr == model::AttrNone && g.normalLineCount() > 1) {
    LineData* next = g.nextNormal(line);
    removeEmptiedLine(g, line);
    c = next != nullptr ? startOf(g, next) : endOf(g, lastNormal(g));
    scope.layout();
  } else {
    if (ranges)
      scope.layout();
    else
      scope.line(line);
  }
  afterEdit(scope);
  return true;
}

bool Editor::deleteSelection(EditScope& scope) {
  PageData& p = *page();
  scope.willChange(document::UndoDeleting);
  auto [s, e] = ordered(p, state().selection);
  struct Run {
    LineData* line;
    LineGroup group;
    int from, to;
  };
  std::vector<Run> runs;
  std::vector<LineData*> after;  // lines after the selection, where the caret may go
  {
    const std::vector<LineRef> lines = pageLines(p);
    bool in = false, done = false;
    for (const LineRef& ref : lines) {
      if (done) {
        after.push_back(ref.line);
        continue;
      }
      if (ref.line == s.line) in = true;
      if (!in) continue;
      if (ref.line->attr != model::AttrNone && ref.line != s.line && ref.line != e.line) continue;
      const int n = static_cast<int>(ref.line->chars.size());
      runs.push_back({ref.line, LineGroup{ref.block, ref.cell}, ref.line == s.line ? s.index() : 0,
                      ref.line == e.line ? e.index() : n});
      if (ref.line == e.line) done = true;
    }
  }
  auto alive = [](const Run& run) { return run.group.find(run.line) != run.group.lines().end(); };
  bool removedReturn = false;
  for (const Run& run : runs) {
    if (!alive(run)) continue;  // a side line that went with its base characters
    CharIt it = std::next(run.line->chars.begin(), run.from);
    for (int k = run.from; k < run.to && it != run.line->chars.end(); ++k) {
      if (isCarriageReturn(*it)) removedReturn = true;
      followRemoval(run.group, *run.line, run.from);
      it = removeCharacter(run.group, *run.line, it);
    }
  }
  for (const Run& run : runs) {
    if (!alive(run) || !run.line->chars.empty()) continue;
    if (run.line->attr != model::AttrNone || run.group.normalLineCount() > 1)
      removeEmptiedLine(run.group, run.line);
  }

  // The caret: at the active end while its line has characters, else on the next line that has.
  CaretPos& c = state().caret;
  const LineGroup eg{e.block, cellOf(*e.block, e.line)};
  const LineGroup sg{s.block, cellOf(*s.block, s.line)};
  if (eg.find(e.line) != eg.lines().end() && !e.line->chars.empty()) {
    c = CaretPos{e.block, eg.cell, e.line, e.ch};
  } else {
    std::optional<LineRef> target;
    const std::vector<LineRef> now = pageLines(p);
    for (LineData* l : after) {
      auto it = std::find_if(now.begin(), now.end(), [l](const LineRef& r) { return r.line == l; });
      if (it != now.end() && isNormalLineWithChars(*l)) {
        target = *it;
        break;
      }
    }
    if (target)
      c = caretAt(*target, 0);
    else if (sg.find(s.line) != sg.lines().end())
      c = endOf(sg, s.line);
    else if (LineData* last = lastNormal(sg))
      c = endOf(sg, last);
    else
      placeCaretOnPage();
  }

  if (removedReturn) {
    for (LineData& l : sg.lines()) {
      if (l.attr != model::AttrNone || l.chars.size() < 2 || isCarriageReturn(l.chars.back()))
        continue;
      LineData* next = sg.nextNormal(&l);
      if (next == nullptr || !continuesOnSameRow(l, *next, sg.block->direction)) continue;
      // Character iterators survive the splice; only the end positions must be re-aimed.
      const bool nextEmpty = next->chars.empty();
      const CharIt first = next->chars.begin();
      if (c.line == next)
        c = CaretPos{sg.block, sg.cell, &l, c.atLineEnd() ? l.chars.end() : c.ch};
      else if (c.line == &l && c.atLineEnd() && !nextEmpty)
        c.ch = first;
      forget(next);
      joinLines(sg, l, *next);
      break;
    }
  }
  state().selection.clear();
  scope.layout();
  afterEdit(scope);
  return true;
}

// --- Clipboard ----------------------------------------------------------------------------------

std::u16string Editor::copyText() {
  PageData* p = page();
  return p != nullptr ? selectedText(*p, state().selection) : std::u16string{};
}

bool Editor::paste(std::u16string_view text) {
  EditScope scope(context_);
  PageData* p = page();
  if (p == nullptr || !state().caret.valid() || text.empty()) return true;
  if (text.size() >= kPasteLimit) return refuse(scope);
  scope.willChange(document::UndoPaste);
  CaretPos& c = state().caret;
  LineData& line = *c.line;
  const LineGroup g = groupOf(c);
  const int i = c.index();
  const bool atEnd = c.atLineEnd();
  auto [w, h] = line.chars.empty() ? std::pair{line.width, line.height} : typedSize(line, c.ch);
  int count = 0;
  for (size_t k = 0; k < text.size(); ++k) {
    model::CharText t = model::makeCharText(text[k]);
    if (isHighSurrogate(text[k]) && k + 1 < text.size() && isLowSurrogate(text[k + 1])) {
      t = model::makeCharText(text[k], text[k + 1]);
      ++k;
    }
    insertCharacter(g, line, c.ch, typedCharacter(t, w, h));
    ++count;
  }
  // Ranges count characters, so a pasted surrogate pair moves them by one.
  const bool ranges = followInsertion(g, line, i, count, atEnd);
  if (ranges || (hasSideLines(g, line) && !atEnd))
    scope.layout();
  else
    scope.line(&line);
  scope.caretMoved();
  updateEntry();
  return true;
}

}  // namespace vellary::editing
