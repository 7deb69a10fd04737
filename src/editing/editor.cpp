// Editor: the caret state the document asks about, arrow keys with page crossing, the mouse in
// character editing, and undo. Typing, deleting and the clipboard are in editor_typing.cpp.
#include "editor.h"

#include <algorithm>

namespace vellary::editing {

using model::BlockData;
using model::LineData;
using model::PageData;

void Redraw::addLine(LineData* line) {
  if (line != nullptr && std::find(lines.begin(), lines.end(), line) == lines.end())
    lines.push_back(line);
}

void Redraw::merge(const Redraw& o) {
  page = page || o.page;
  for (LineData* l : o.lines) addLine(l);
  highlight = highlight || o.highlight;
  caret = caret || o.caret;
  pageChanged = pageChanged || o.pageChanged;
  refused = refused || o.refused;
}

Movement arrowMovement(Key key, bool vertical) {
  switch (key) {
    case Key::Left:
      return vertical ? Movement::NextLine : Movement::PreviousCharacter;
    case Key::Right:
      return vertical ? Movement::PreviousLine : Movement::NextCharacter;
    case Key::Up:
      return vertical ? Movement::PreviousCharacter : Movement::PreviousLine;
    case Key::Down:
      return vertical ? Movement::NextCharacter : Movement::NextLine;
    default:
      return Movement::None;
  }
}

namespace {

int blockIndex(PageData& page, const BlockData* block) {
  int i = 0;
  for (BlockData& b : page.blocks) {
    if (&b == block) return i;
    ++i;
  }
  return -1;
}

}  // namespace

Editor::Editor(document::CScrivlaDoc& doc, appcore::Prompter& prompter)
    : doc_(doc), prompter_(prompter) {}

PageData* Editor::page() {
  if (doc_.paper() == nullptr) return nullptr;
  return doc_.page(doc_.currentPage());
}

void Editor::reset() {
  ++resets_;
  state_.clear();
  lineAtMouseDown_ = nullptr;
  pending_ = 0;
  pendingPage_ = false;
}

void Editor::placeCaretOnPage() {
  state_.caret = CaretPos{};
  state_.selection.clear();
  state_.entry = -1;
  PageData* p = page();
  if (p == nullptr) return;
  if (auto line = firstNormalLine(*p)) {
    state_.caret = caretAt(*line, 0);
    state_.entry = blockIndex(*p, line->block);
    state_.selection.collapseTo(state_.caret);
  }
}

void Editor::enterCharacterEditing() {
  PageData* p = page();
  if (p == nullptr) return;
  BlockData* block = state_.caret.block;
  if (block == nullptr && state_.entry >= 0 && state_.entry < static_cast<int>(p->blocks.size()))
    block = &*std::next(p->blocks.begin(), state_.entry);
  std::optional<LineRef> line;
  if (block != nullptr) line = firstNormalLineOfBlock(*block);
  if (!line) {
    placeCaretOnPage();
    return;
  }
  state_.caret = caretAt(*line, 0);
  state_.entry = blockIndex(*p, line->block);
  state_.selection.collapseTo(state_.caret);
}

document::CaretState Editor::reportCaret() {
  PageData* p = page();
  if (p == nullptr) return {-1, -1, -1};
  auto t = editing::reportCaret(*p, state_.caret);
  if (!t) return {-1, -1, -1};
  return {t->block, t->line, t->ch};
}

void Editor::restoreCaret(const document::CaretState& triple) {
  PageData* p = page();
  if (p == nullptr) return;
  auto caret = caretFromTriple(*p, CaretTriple{triple[0], triple[1], triple[2]});
  if (!caret) {
    placeCaretOnPage();
    return;
  }
  state_.caret = *caret;
  state_.entry = triple[0];
  state_.selection.collapseTo(state_.caret);
}

std::pair<int, int> Editor::selectionPositions() {
  PageData* p = page();
  return p != nullptr ? editing::selectionPositions(*p, state_.selection) : std::pair{-1, -1};
}

void Editor::setSelectionPositions(int first, int last) {
  PageData* p = page();
  if (p == nullptr) return;
  Selection s = selectionFromPositions(*p, first, last);
  if (!s.empty()) state_.selection = s;
}

bool Editor::verticalWriting() const {
  switch (display_) {
    case Display::TextFlowHorizontal:
      return false;
    case Display::TextFlowVertical:
      return true;
    case Display::Layout:
      break;
  }
  // Without a current block the keys act as in vertical writing.
  return state_.caret.block == nullptr || state_.caret.block->direction == model::Vertical;
}

void Editor::forget(const LineData* line) {
  if (state_.lineAtKeyDown == line) state_.lineAtKeyDown = nullptr;
  if (lineAtMouseDown_ == line) lineAtMouseDown_ = nullptr;
  if (state_.selection.anchor.line == line || state_.selection.active.line == line)
    state_.selection.clear();
}

void Editor::updateEntry() {
  PageData* p = page();
  if (p != nullptr && state_.caret.block != nullptr)
    state_.entry = blockIndex(*p, state_.caret.block);
}

// --- Keys ---------------------------------------------------------------------------------------

Redraw Editor::keyDown(Key key, bool shift) {
  if (!state_.keyHeld) {
    state_.keyHeld = true;
    state_.lineAtKeyDown = state_.caret.line;
  }
  if (state_.rememberedColumn < 0 && state_.caret.valid())
    state_.rememberedColumn = state_.caret.index();
  switch (key) {
    case Key::Left:
    case Key::Right:
    case Key::Up:
    case Key::Down:
      return arrow(key, shift);
    case Key::Delete:
      return deleteForward();
    case Key::Backspace:
      return backspace();
    case Key::Enter: {
      Redraw r;
      r.addLine(state_.caret.line);
      return r;
    }
    case Key::Other:
      break;
  }
  return {};
}

Redraw Editor::keyUp() {
  Redraw r;
  state_.keyHeld = false;
  state_.rememberedColumn = -1;
  if (state_.caret.line != state_.lineAtKeyDown && state_.selection.empty()) {
    r.addLine(state_.lineAtKeyDown);
    r.addLine(state_.caret.line);
    r.caret = true;
  }
  state_.lineAtKeyDown = nullptr;
  return r;
}

Redraw Editor::arrow(Key key, bool shift) {
  Redraw r;
  if (!state_.caret.valid()) return r;
  const bool hadSelection = !state_.selection.empty();
  const CaretPos before = state_.caret;
  const int pageBefore = doc_.currentPage();
  bool moved = false;
  switch (arrowMovement(key, verticalWriting())) {
    case Movement::NextCharacter:
      moved = moveNextCharacter(shift);
      break;
    case Movement::PreviousCharacter:
      moved = movePreviousCharacter(shift);
      break;
    case Movement::NextLine:
      moved = moveNextLine(shift);
      break;
    case Movement::PreviousLine:
      moved = movePreviousLine(shift);
      break;
    case Movement::None:
      break;
  }
  if (!moved) return r;
  r.caret = true;
  r.pageChanged = doc_.currentPage() != pageBefore;
  r.highlight = hadSelection;
  if (shift && !r.pageChanged) {
    if (!state_.selection.anchor.valid()) state_.selection.anchor = before;
    state_.selection.active = state_.caret;
    r.highlight = true;
    r.addLine(state_.lineAtKeyDown);
  } else {
    state_.selection.collapseTo(state_.caret);
  }
  doc_.backupCheck(false);
  return r;
}

bool Editor::moveNextCharacter(bool shift) {
  PageData* p = page();
  if (p == nullptr) return false;
  bool needsPage = false;
  if (editing::moveNextCharacter(*p, state_.caret, shift, &needsPage)) {
    updateEntry();
    return true;
  }
  return needsPage && crossPage(true, -1);
}

bool Editor::movePreviousCharacter(bool shift) {
  PageData* p = page();
  if (p == nullptr) return false;
  bool needsPage = false;
  if (editing::movePreviousCharacter(*p, state_.caret, shift, &needsPage)) {
    updateEntry();
    return true;
  }
  return needsPage && crossPage(false, -1);
}

bool Editor::moveNextLine(bool shift) {
  PageData* p = page();
  if (p == nullptr || !state_.caret.valid()) return false;
  const int column =
      state_.rememberedColumn >= 0 ? state_.rememberedColumn : state_.caret.index();
  bool needsPage = false;
  if (editing::moveNextLine(*p, state_.caret, column, shift, &needsPage)) {
    updateEntry();
    return true;
  }
  return needsPage && crossPage(true, column);
}

bool Editor::movePreviousLine(bool shift) {
  PageData* p = page();
  if (p == nullptr || !state_.caret.valid()) return false;
  const int column =
      state_.rememberedColumn >= 0 ? state_.rememberedColumn : state_.caret.index();
  bool needsPage = false;
  if (editing::movePreviousLine(*p, state_.caret, column, shift, &needsPage)) {
    updateEntry();
    return true;
  }
  return needsPage && crossPage(false, column);
}

bool Editor::crossPage(bool forward, int column) {
  if (doc_.paper() == nullptr) return false;
  const int current = doc_.currentPage();
  const int count = static_cast<int>(doc_.paper()->pages.size());
  const int step = forward ? 1 : -1;
  for (int i = current + step; i >= 0 && i < count; i += step) {
    PageData* target = doc_.page(i);
    auto line = forward ? firstLineWithChars(*target) : lastLineWithChars(*target);
    if (!line) continue;  // a page without text is passed over
    // The page change resets the view's editing state; a held key keeps its column.
    const int remembered = state_.rememberedColumn;
    const bool held = state_.keyHeld;
    if (i == current + 1)
      doc_.nextPage();
    else if (i == current - 1)
      doc_.previousPage();
    else
      doc_.setCurrentPage(i);
    state_.rememberedColumn = remembered;
    state_.keyHeld = held;
    state_.lineAtKeyDown = nullptr;
    lineAtMouseDown_ = nullptr;
    if (column >= 0)
      placeInLine(state_.caret, *line, column);
    else if (forward)
      state_.caret = caretAt(*line, 0);
    else
      placeAtLineEndForBackwardMove(state_.caret, *line);
    state_.entry = blockIndex(*target, line->block);
    state_.selection.collapseTo(state_.caret);
    return true;
  }
  return false;
}

// --- Mouse --------------------------------------------------------------------------------------

namespace {

HitRule placeRule(Display d) { return d == Display::Layout ? HitRule::Place : HitRule::TextFlow; }

CaretPos positionOf(const Hit& hit) {
  return caretAt({hit.block, hit.cell, hit.line}, std::max(hit.index, 0));
}

}  // namespace

Redraw Editor::mouseDown(const PageBoxes& boxes, int32_t x, int32_t y, bool shift) {
  Redraw r;
  state_.lastMouseX = x;
  state_.lastMouseY = y;
  PageData* p = page();
  if (p == nullptr) return r;
  auto hit = hitTest(boxes, x, y, placeRule(display_));
  if (!hit) return r;
  lineAtMouseDown_ = state_.caret.line;
  if (hit->line != state_.caret.line && state_.selection.empty())
    r.addLine(state_.caret.line);  // no longer the caret line
  // A line without characters has no caret character: the caret stands at its end position.
  state_.caret = positionOf(*hit);
  state_.entry = blockIndex(*p, hit->block);
  if (!shift) {
    if (!state_.selection.empty()) r.highlight = true;
    state_.selection.collapseTo(state_.caret);
  } else if (!state_.selection.anchor.valid()) {
    state_.selection.collapseTo(state_.caret);
  }
  r.caret = true;
  return r;
}

CaretPos Editor::placeSelection(const PageBoxes& boxes, int32_t x, int32_t y) {
  const Selection& s = state_.selection;
  if (!s.anchor.valid()) return {};
  const HitRule rule = display_ == Display::Layout ? HitRule::Extend : HitRule::TextFlow;
  // A selection never leaves its block.
  auto hit = hitTest(boxes, x, y, rule, s.anchor.block);
  if (!hit || hit->index < 0) return {};
  return positionOf(*hit);
}

Redraw Editor::mouseMove(const PageBoxes& boxes, int32_t x, int32_t y) {
  Redraw r;
  state_.lastMouseX = x;
  state_.lastMouseY = y;
  CaretPos to = placeSelection(boxes, x, y);
  if (!to.valid() || to == state_.selection.active) return r;
  if (display_ != Display::Layout) state_.caret = to;
  state_.selection.active = to;
  if (!state_.dragging) r.addLine(state_.caret.line);  // drawn as a non-caret line while dragging
  r.highlight = true;
  state_.dragging = true;
  return r;
}

Redraw Editor::mouseUp(const PageBoxes& boxes, int32_t x, int32_t y, bool shift) {
  Redraw r;
  PageData* p = page();
  if (p == nullptr) return r;
  if (shift) {
    CaretPos to = placeSelection(boxes, x, y);
    if (to.valid() && !(to == state_.selection.active)) {
      state_.selection.active = to;
      r.highlight = true;
    }
  }
  if (display_ != Display::Layout && shift && state_.selection.active.valid())
    state_.caret = state_.selection.active;
  if (!state_.selection.empty()) {
    auto [start, end] = ordered(*p, state_.selection);
    start.cell = cellOf(*start.block, start.line);
    end.cell = cellOf(*end.block, end.line);
    state_.selection = Selection{start, end};
    if (!state_.dragging) r.highlight = true;
  }
  if (state_.caret.line != lineAtMouseDown_ && state_.selection.empty()) {
    r.addLine(state_.caret.line);
    r.caret = true;
  }
  state_.dragging = false;
  lineAtMouseDown_ = nullptr;
  doc_.backupCheck(false);
  return r;
}

Redraw Editor::rightButtonDown(const PageBoxes& boxes, int32_t x, int32_t y) {
  Redraw r;
  state_.lastMouseX = x;
  state_.lastMouseY = y;
  PageData* p = page();
  if (p == nullptr) return r;
  auto hit = hitTest(boxes, x, y, HitRule::Place);
  if (!hit) return r;
  state_.entry = blockIndex(*p, hit->block);
  if (!state_.selection.empty()) {
    const std::vector<LineSpan> spans = selectionSpans(*p, state_.selection);
    const LineBoxes* lb = spans.empty() ? nullptr : findLineBoxes(boxes, spans.back().line);
    Box span = lb != nullptr ? spanBox(*lb, spans.back().first, spans.back().last) : Box{};
    const bool vertical = boxes.vertical(*state_.selection.anchor.block);
    if (vertical) {
      span.x -= span.width / 2;
      span.width *= 2;
    } else {
      span.y -= span.height / 2;
      span.height *= 2;
    }
    if (span.contains(x, y)) return r;  // the menu acts on the selection
    state_.selection.clear();
    r.highlight = true;
  }
  if (hit->line != state_.caret.line) {
    r.addLine(state_.caret.line);
    r.addLine(hit->line);
  }
  state_.caret = positionOf(*hit);
  state_.selection.collapseTo(state_.caret);
  r.caret = true;
  return r;
}

// --- Undo ---------------------------------------------------------------------------------------

Redraw Editor::undo() {
  const int resetsBefore = resets_;
  if (!doc_.undo()) return {};
  // The page the caret stood in has gone to the undo store. Views that forward the document's
  // requests have restored the caret; otherwise none of the old positions may be kept.
  if (resets_ == resetsBefore) {
    reset();
    placeCaretOnPage();
  }
  Redraw r;
  r.page = r.caret = r.highlight = true;
  return r;
}

}  // namespace vellary::editing
