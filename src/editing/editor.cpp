// Editor: the caret state the document asks about, arrow keys with page crossing, the mouse in
// character editing, and undo. Typing, deleting and the clipboard are in editor_typing.cpp.
#include "editor.h"

#include <algorithm>

namespace vellary::editing {

using model::BlockData;
using model::LineData;
using model::PageData;

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

Editor::Editor(EditingContext& context) : context_(context) {}

void Editor::reset() {
  state().clear();
  lineAtMouseDown_ = nullptr;
  // The records may be going: the made line is no longer followed, only forgotten.
  cellLine_ = nullptr;
  cellLineCell_ = nullptr;
}

CaretPos Editor::enterEmptyCell(EditScope& scope, BlockData& block, model::CellData& cell) {
  const bool vertical = block.direction == model::Vertical;
  // As thick as the table's lines are on average, else as a line filling most of the cell.
  const int32_t extent = vertical ? cell.width : cell.height;
  int32_t thick = block.avgLineSize > 0 ? static_cast<int32_t>(block.avgLineSize) : extent * 6 / 10;
  thick = std::clamp(thick, int32_t{1}, std::max(extent, int32_t{1}));
  const int32_t margin = (vertical ? cell.height : cell.width) / 20;
  LineData line;
  if (vertical) {
    line.x = cell.x + (cell.width - thick) / 2;
    line.width = thick;
    line.y = cell.y + margin;
    line.height = std::max(cell.height - 2 * margin, int32_t{1});
  } else {
    line.x = cell.x + margin;
    line.width = std::max(cell.width - 2 * margin, int32_t{1});
    line.y = cell.y + (cell.height - thick) / 2;
    line.height = thick;
  }
  line.widthOrg = line.width;
  line.heightOrg = line.height;
  cell.lines.push_back(std::move(line));
  cell.lineCount = static_cast<int32_t>(cell.lines.size());
  cellLine_ = &cell.lines.back();
  cellLineCell_ = &cell;
  scope.layout();
  return CaretPos{&block, &cell, cellLine_, cellLine_->chars.end()};
}

void Editor::dropUnusedCellLine(EditScope& scope) {
  if (cellLine_ == nullptr || state().caret.line == cellLine_) return;
  model::CellData& cell = *cellLineCell_;
  if (cellLine_->chars.empty()) {
    forget(cellLine_);
    for (auto it = cell.lines.begin(); it != cell.lines.end(); ++it)
      if (&*it == cellLine_) {
        cell.lines.erase(it);
        break;
      }
    cell.lineCount = static_cast<int32_t>(cell.lines.size());
    scope.layout();
  }
  cellLine_ = nullptr;
  cellLineCell_ = nullptr;
}

void Editor::placeCaretOnPage() {
  state().caret = CaretPos{};
  state().selection.clear();
  state().entry = -1;
  PageData* p = page();
  if (p == nullptr) return;
  if (auto line = firstNormalLine(*p)) {
    state().caret = caretAt(*line, 0);
    state().entry = blockIndex(*p, line->block);
    state().selection.collapseTo(state().caret);
  }
}

void Editor::enterCharacterEditing() {
  PageData* p = page();
  if (p == nullptr) return;
  BlockData* block = state().caret.block;
  if (block == nullptr && state().entry >= 0 && state().entry < static_cast<int>(p->blocks.size()))
    block = &*std::next(p->blocks.begin(), state().entry);
  std::optional<LineRef> line;
  if (block != nullptr) line = firstNormalLineOfBlock(*block);
  if (!line) {
    placeCaretOnPage();
    return;
  }
  state().caret = caretAt(*line, 0);
  state().entry = blockIndex(*p, line->block);
  state().selection.collapseTo(state().caret);
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
  return state().caret.block == nullptr || state().caret.block->direction == model::Vertical;
}

void Editor::forget(const LineData* line) {
  if (state().lineAtKeyDown == line) state().lineAtKeyDown = nullptr;
  if (lineAtMouseDown_ == line) lineAtMouseDown_ = nullptr;
  if (state().selection.anchor.line == line || state().selection.active.line == line)
    state().selection.clear();
}

void Editor::updateEntry() {
  PageData* p = page();
  if (p != nullptr && state().caret.block != nullptr)
    state().entry = blockIndex(*p, state().caret.block);
}

// --- Keys ---------------------------------------------------------------------------------------

bool Editor::keyDown(Key key, bool shift) {
  EditScope scope(context_);
  dropUnusedCellLine(scope);
  CaretState& st = state();
  if (!st.keyHeld) {
    st.keyHeld = true;
    st.lineAtKeyDown = st.caret.line;
  }
  if (st.rememberedColumn < 0 && st.caret.valid()) st.rememberedColumn = st.caret.index();
  switch (key) {
    case Key::Left:
    case Key::Right:
    case Key::Up:
    case Key::Down:
      return arrow(scope, key, shift);
    case Key::Delete:
      return deleteForward();
    case Key::Backspace:
      return backspace();
    case Key::Enter:
      scope.line(st.caret.line);
      return true;
    case Key::Other:
      break;
  }
  return true;
}

void Editor::keyUp() {
  EditScope scope(context_);
  CaretState& st = state();
  st.keyHeld = false;
  st.rememberedColumn = -1;
  // The edit line's colour follows the caret once the key is let go.
  if (st.caret.line != st.lineAtKeyDown && st.selection.empty()) scope.caretMoved();
  st.lineAtKeyDown = nullptr;
}

bool Editor::arrow(EditScope& scope, Key key, bool shift) {
  CaretState& st = state();
  if (!st.caret.valid()) return true;
  const CaretPos before = st.caret;
  const int pageBefore = doc().currentPage();
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
  if (moved && display_ != Display::Layout) {
    const Movement m = arrowMovement(key, verticalWriting());
    const bool forward = m == Movement::NextCharacter || m == Movement::NextLine;
    const bool byLine = m == Movement::NextLine || m == Movement::PreviousLine;
    const int column = byLine ? (st.rememberedColumn >= 0 ? st.rememberedColumn : before.index())
                              : -1;
    if (!passUnshownLines(forward, column, true)) {
      if (doc().currentPage() != pageBefore) doc().setCurrentPage(pageBefore);
      st.caret = before;
      updateEntry();
      moved = false;
    }
  }
  if (!moved) return true;
  // Typing after the caret moved is an edit of its own.
  doc().endUndoRun();
  scope.caretMoved();
  const bool pageChanged = doc().currentPage() != pageBefore;
  if (shift && !pageChanged) {
    if (!st.selection.anchor.valid()) st.selection.anchor = before;
    st.selection.active = st.caret;
  } else {
    st.selection.collapseTo(st.caret);
  }
  return true;
}

bool Editor::moveNextCharacter(bool shift) {
  PageData* p = page();
  if (p == nullptr) return false;
  bool needsPage = false;
  if (editing::moveNextCharacter(*p, state().caret, shift, &needsPage)) {
    updateEntry();
    return true;
  }
  return needsPage && crossPage(true, -1);
}

bool Editor::movePreviousCharacter(bool shift) {
  PageData* p = page();
  if (p == nullptr) return false;
  bool needsPage = false;
  if (editing::movePreviousCharacter(*p, state().caret, shift, &needsPage)) {
    updateEntry();
    return true;
  }
  return needsPage && crossPage(false, -1);
}

bool Editor::moveNextLine(bool shift) {
  PageData* p = page();
  if (p == nullptr || !state().caret.valid()) return false;
  const int column =
      state().rememberedColumn >= 0 ? state().rememberedColumn : state().caret.index();
  bool needsPage = false;
  if (editing::moveNextLine(*p, state().caret, column, shift, &needsPage)) {
    updateEntry();
    return true;
  }
  return needsPage && crossPage(true, column);
}

bool Editor::movePreviousLine(bool shift) {
  PageData* p = page();
  if (p == nullptr || !state().caret.valid()) return false;
  const int column =
      state().rememberedColumn >= 0 ? state().rememberedColumn : state().caret.index();
  bool needsPage = false;
  if (editing::movePreviousLine(*p, state().caret, column, shift, &needsPage)) {
    updateEntry();
    return true;
  }
  return needsPage && crossPage(false, column);
}

bool Editor::crossPage(bool forward, int column) {
  if (doc().paper() == nullptr) return false;
  const int current = doc().currentPage();
  const int count = static_cast<int>(doc().paper()->pages.size());
  const int step = forward ? 1 : -1;
  for (int i = current + step; i >= 0 && i < count; i += step) {
    PageData* target = doc().page(i);
    auto line = forward ? firstLineWithChars(*target) : lastLineWithChars(*target);
    if (!line) continue;  // a page without text is passed over
    // The page change resets the view's editing state; a held key keeps its column.
    const int remembered = state().rememberedColumn;
    const bool held = state().keyHeld;
    if (i == current + 1)
      doc().nextPage();
    else if (i == current - 1)
      doc().previousPage();
    else
      doc().setCurrentPage(i);
    state().rememberedColumn = remembered;
    state().keyHeld = held;
    state().lineAtKeyDown = nullptr;
    lineAtMouseDown_ = nullptr;
    if (column >= 0)
      placeInLine(state().caret, *line, column);
    else if (forward)
      state().caret = caretAt(*line, 0);
    else
      placeAtLineEndForBackwardMove(state().caret, *line);
    state().entry = blockIndex(*target, line->block);
    state().selection.collapseTo(state().caret);
    return true;
  }
  return false;
}

bool Editor::passUnshownLines(bool forward, int column, bool acrossPages) {
  const auto shown = [](const model::BlockData* b) { return b->type != model::BlockTable; };
  // Every page at most once: a book of tables alone ends the walk.
  const int pages = doc().paper() ? static_cast<int>(doc().paper()->pages.size()) : 0;
  for (int turn = 0; turn <= pages; ++turn) {
    CaretPos& c = state().caret;
    if (!c.valid() || shown(c.block)) return c.valid();
    PageData& p = *page();
    std::optional<LineRef> line = refOf(c);
    do {
      line = forward ? nextLineWithChars(p, *line, Reach::Page)
                     : previousLineWithChars(p, *line, Reach::Page);
    } while (line && !shown(line->block));
    if (line) {
      if (column >= 0)
        placeInLine(c, *line, column);
      else if (forward)
        c = caretAt(*line, 0);
      else
        placeAtLineEndForBackwardMove(c, *line);
      updateEntry();
      return true;
    }
    if (!acrossPages || !crossPage(forward, column)) return false;
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

void Editor::mouseDown(const PageBoxes& boxes, int32_t x, int32_t y, bool shift) {
  EditScope scope(context_);
  CaretState& st = state();
  st.lastMouseX = x;
  st.lastMouseY = y;
  PageData* p = page();
  if (p == nullptr) return;
  auto hit = hitTest(boxes, x, y, placeRule(display_));
  if (!hit) return;
  lineAtMouseDown_ = st.caret.line;
  // A line without characters has no caret character: the caret stands at its end position.
  // An empty table cell gets a line of its own for the caret.
  st.caret = hit->line != nullptr ? positionOf(*hit) : CaretPos{};
  dropUnusedCellLine(scope);
  if (hit->line == nullptr) st.caret = enterEmptyCell(scope, *hit->block, *hit->cell);
  st.entry = blockIndex(*p, hit->block);
  if (!shift)
    st.selection.collapseTo(st.caret);
  else if (!st.selection.anchor.valid())
    st.selection.collapseTo(st.caret);
  doc().endUndoRun();
  scope.caretMoved();
}

CaretPos Editor::placeSelection(const PageBoxes& boxes, int32_t x, int32_t y) {
  const Selection& s = state().selection;
  if (!s.anchor.valid()) return {};
  const HitRule rule = display_ == Display::Layout ? HitRule::Extend : HitRule::TextFlow;
  // A selection never leaves its block.
  auto hit = hitTest(boxes, x, y, rule, s.anchor.block);
  if (!hit || hit->index < 0) return {};
  return positionOf(*hit);
}

void Editor::mouseMove(const PageBoxes& boxes, int32_t x, int32_t y) {
  EditScope scope(context_);
  CaretState& st = state();
  st.lastMouseX = x;
  st.lastMouseY = y;
  CaretPos to = placeSelection(boxes, x, y);
  if (!to.valid() || to == st.selection.active) return;
  if (display_ != Display::Layout) st.caret = to;
  st.selection.active = to;
  st.dragging = true;
  // The view keeps the caret where it is while a drag extends the selection: it may be scrolling
  // the page towards the pointer.
  scope.add(document::Change::Selection);
}

void Editor::mouseUp(const PageBoxes& boxes, int32_t x, int32_t y, bool shift) {
  EditScope scope(context_);
  CaretState& st = state();
  PageData* p = page();
  if (p == nullptr) return;
  if (shift) {
    CaretPos to = placeSelection(boxes, x, y);
    if (to.valid() && !(to == st.selection.active)) st.selection.active = to;
  }
  if (display_ != Display::Layout && shift && st.selection.active.valid())
    st.caret = st.selection.active;
  if (!st.selection.empty()) {
    auto [start, end] = ordered(*p, st.selection);
    start.cell = cellOf(*start.block, start.line);
    end.cell = cellOf(*end.block, end.line);
    st.selection = Selection{start, end};
  }
  scope.add(document::Change::Selection);
  if (st.caret.line != lineAtMouseDown_ && st.selection.empty()) scope.caretMoved();
  st.dragging = false;
  lineAtMouseDown_ = nullptr;
}

void Editor::rightButtonDown(const PageBoxes& boxes, int32_t x, int32_t y) {
  EditScope scope(context_);
  CaretState& st = state();
  st.lastMouseX = x;
  st.lastMouseY = y;
  PageData* p = page();
  if (p == nullptr) return;
  // The menu is for the character under the pointer, whichever half of it was clicked.
  auto hit = hitTest(boxes, x, y, HitRule::Under);
  if (!hit) return;
  st.entry = blockIndex(*p, hit->block);
  scope.caretMoved();
  if (hit->line == nullptr) {
    // An empty cell: the caret goes in as for a left click; the menu has no character to show.
    st.selection.clear();
    st.caret = CaretPos{};
    dropUnusedCellLine(scope);
    st.caret = enterEmptyCell(scope, *hit->block, *hit->cell);
    st.selection.collapseTo(st.caret);
    doc().endUndoRun();
    return;
  }
  if (!st.selection.empty()) {
    const std::vector<LineSpan> spans = selectionSpans(*p, st.selection);
    const LineBoxes* lb = spans.empty() ? nullptr : findLineBoxes(boxes, spans.back().line);
    Box span = lb != nullptr ? spanBox(*lb, spans.back().first, spans.back().last) : Box{};
    const bool vertical = boxes.vertical(*st.selection.anchor.block);
    if (vertical) {
      span.x -= span.width / 2;
      span.width *= 2;
    } else {
      span.y -= span.height / 2;
      span.height *= 2;
    }
    if (span.contains(x, y)) return;  // the menu acts on the selection
    st.selection.clear();
  }
  st.caret = positionOf(*hit);
  st.selection.collapseTo(st.caret);
  dropUnusedCellLine(scope);
  doc().endUndoRun();
}

}  // namespace vellary::editing
