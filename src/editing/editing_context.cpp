// EditingContext and EditScope: the caret of the open document and the frame of every edit.
#include "editing/editing_context.h"

#include <algorithm>
#include <iterator>

#include "editing/editor.h"

namespace vellary::editing {

using document::Change;
using document::ChangeSet;

EditingContext::EditingContext(document::CScrivlaDoc& doc, appcore::Prompter& prompter)
    : doc_(doc), prompter_(prompter), editor_(std::make_unique<Editor>(*this)) {
  doc_.addObserver(this, document::CScrivlaDoc::ObserverRank::Model);
}

EditingContext::~EditingContext() { doc_.removeObserver(this); }

model::PageData* EditingContext::page() {
  if (doc_.paper() == nullptr) return nullptr;
  return doc_.page(doc_.currentPage());
}

document::CaretMemo EditingContext::caretMemo() {
  document::CaretMemo m;
  model::PageData* p = page();
  if (p == nullptr) return m;
  if (auto t = editing::reportCaret(*p, state_.caret)) m.caret = {t->block, t->line, t->ch};
  std::tie(m.selStart, m.selEnd) = editing::selectionPositions(*p, state_.selection);
  return m;
}

void EditingContext::restoreCaretMemo(const document::CaretMemo& memo) {
  model::PageData* p = page();
  editor_->reset();
  if (p == nullptr) return;
  auto caret = caretFromTriple(*p, CaretTriple{memo.caret[0], memo.caret[1], memo.caret[2]});
  if (!caret) {
    placeCaretOnPage();
  } else {
    state_.caret = *caret;
    state_.entry = memo.caret[0];
    state_.selection.collapseTo(state_.caret);
  }
  const Selection s = selectionFromPositions(*p, memo.selStart, memo.selEnd);
  if (!s.empty()) state_.selection = s;
}

bool EditingContext::undo() {
  EditScope scope(*this);
  const auto restored = doc_.undo(caretMemo());
  if (!restored) return false;
  restoreCaretMemo(restored->caret);
  scope.reveal();
  return true;
}

bool EditingContext::redo() {
  EditScope scope(*this);
  const auto restored = doc_.redo(caretMemo());
  if (!restored) return false;
  restoreCaretMemo(restored->caret);
  scope.reveal();
  return true;
}

bool EditingContext::reComposeCurrentPage() {
  EditScope scope(*this);
  const bool done = doc_.reComposeCurrentPage(caretMemo());
  if (done) placeCaretOnPage();
  return done;
}

bool EditingContext::putRecognisedPage(int index, model::PageData&& page, bool joinStep) {
  EditScope scope(*this);
  const document::CaretMemo memo = caretMemo();
  if (!doc_.replaceRecognisedPage(index, std::move(page), joinStep, memo)) return false;
  // The document let go of the caret with the records.
  if (index == doc_.currentPage())
    placeCaretOnPage();
  else
    restoreCaretMemo(memo);
  scope.caretMoved();
  return true;
}

void EditingContext::resetCaret() { editor_->reset(); }

void EditingContext::placeCaretOnPage() { editor_->placeCaretOnPage(); }

void EditingContext::aboutToReset() { editor_->reset(); }

bool EditingContext::caretOnCurrentPage() {
  model::PageData* p = page();
  if (p == nullptr || !state_.caret.valid()) return false;
  // Only addresses are compared until the line is known to be the page's.
  const auto ref = findLine(*p, state_.caret.line);
  return ref && ref->block == state_.caret.block;
}

void EditingContext::documentChanged(const ChangeSet& changes) {
  // A new page or document gets its caret at the start, unless the command that brought it
  // placed the caret on it already (a search hit, a step of undo, the caret crossing pages).
  if (!changes.any(Change::Page | Change::Document)) return;
  if (caretOnCurrentPage()) return;
  const int held = state_.rememberedColumn;
  const bool keyHeld = state_.keyHeld;
  editor_->reset();
  state_.rememberedColumn = held;
  state_.keyHeld = keyHeld;
  placeCaretOnPage();
}

// --- EditScope -----------------------------------------------------------------------------------

EditScope::EditScope(EditingContext& context) : context_(context), outer_(context.scope_) {
  context_.scope_ = this;
  context_.doc().beginChanges();
}

EditScope::~EditScope() {
  document::CScrivlaDoc& doc = context_.doc();
  if (outer_ != nullptr) {
    // The outermost scope ends the command.
    outer_->changes_.merge(changes_);
    for (int page : modifiedPages_) outer_->modified(page);
    outer_->refused_ = outer_->refused_ || refused_;
  } else {
    for (int page : modifiedPages_) doc.markPage(page + 1);
    // Editing and navigation commands alike let the periodic backup run when it is due.
    doc.backupCheck(false);
    doc.notify(changes_);
  }
  context_.scope_ = outer_;
  doc.endChanges();
}

void EditScope::willChange(int kind, int pageIndex) {
  document::CScrivlaDoc& doc = context_.doc();
  if (pageIndex < 0) pageIndex = doc.currentPage();
  // One command is one step per page, however many changes it makes there (replace all).
  for (const EditScope* s = this; s != nullptr; s = s->outer_)
    if (std::find(s->modifiedPages_.begin(), s->modifiedPages_.end(), pageIndex) !=
        s->modifiedPages_.end())
      return;
  doc.snapshot(kind, pageIndex, context_.caretMemo());
  modified(pageIndex);
}

void EditScope::modified(int pageIndex) {
  if (pageIndex < 0) pageIndex = context_.doc().currentPage();
  if (pageIndex < 0) return;
  if (std::find(modifiedPages_.begin(), modifiedPages_.end(), pageIndex) == modifiedPages_.end())
    modifiedPages_.push_back(pageIndex);
}

void EditScope::flush() {
  for (EditScope* s = this; s != nullptr; s = s->outer_) {
    context_.doc().notify(s->changes_);
    s->changes_ = document::ChangeSet{};
  }
  context_.doc().flushChanges();
}

EditScope& EditScope::line(const model::LineData* l) {
  changes_.addLine(l);
  return *this;
}

EditScope& EditScope::add(Change c) {
  changes_.add(c);
  return *this;
}

}  // namespace vellary::editing
