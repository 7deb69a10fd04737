// CScrivlaDoc: page change, scale, page marks, image folders, undo and change marks.
#include <cmath>
#include <iterator>

#include "appcore/zoom_fit.h"
#include "document.h"
#include "model/paper.h"
#include "model/text.h"

namespace vellary::document {

using appcore::Answer;
using appcore::Buttons;
using appcore::Icon;

namespace {

bool isSeparator(char16_t c) { return c == u'/' || c == u'\\'; }

// The scale the view shows, as the tenth that its command stands for.
int scaleTenths(double scale) { return static_cast<int>(std::trunc(scale * 10 + 0.1)); }

}  // namespace

void CScrivlaDoc::markPage(int pageNumber) {
  if (!paper_) return;
  int index = pageNumber > 0 ? pageNumber - 1 : currentPage_;
  if (index < 0 || index >= static_cast<int>(paper_->pages.size())) return;
  setPageMark(index, true);
  if (docModified_ != 1) {
    docModified_ = 1;
    notify(ChangeSet::of(Change::Marks));
  }
}

void CScrivlaDoc::goToPage(int pageIndex) {
  currentPage_ = pageIndex;
  // Typing on the new page is an edit of its own.
  history_.endRun();
  notify(ChangeSet::of(Change::Page));
}

int CScrivlaDoc::nextPage() {
  if (!paper_ || currentPage_ >= static_cast<int>(paper_->pages.size()) - 1) return -1;
  goToPage(currentPage_ + 1);
  return currentPage_;
}

int CScrivlaDoc::previousPage() {
  if (!paper_ || currentPage_ <= 0) return -1;
  goToPage(currentPage_ - 1);
  return currentPage_;
}

void CScrivlaDoc::setCurrentPage(int pageIndex) {
  if (!paper_ || pageIndex < 0 || pageIndex >= static_cast<int>(paper_->pages.size()) ||
      pageIndex == currentPage_)
    return;
  goToPage(pageIndex);
}

bool CScrivlaDoc::isZoomChecked(int commandId) const {
  return commandId - (appcore::IdZoom10 - 1) == scaleTenths(zoom_);
}

bool CScrivlaDoc::zoomCommand(int commandId) {
  if (commandId < appcore::IdZoom10 || commandId > appcore::IdZoom100) return false;
  const int tenths = commandId - (appcore::IdZoom10 - 1);
  // A scale between the steps (fitted to the view) goes to the step even when it rounds to it.
  if (tenths == scaleTenths(zoom_) && zoom_ == tenths / 10.0) return true;
  setZoom(tenths / 10.0);
  return true;
}

bool CScrivlaDoc::setZoom(double scale) {
  if (!(scale >= appcore::kSmallestZoom && scale <= appcore::kLargestZoom)) return false;
  if (scale == zoom_) return true;
  zoom_ = scale;
  blockEntries_.rezoom(zoom_);
  notify(ChangeSet::of(Change::Zoom));
  return true;
}

std::pair<std::string, std::string> CScrivlaDoc::imageFolderDefaults() const {
  std::string oldFolder = lastOldImageFolder_;
  if (paper_ && !paper_->pages.empty() && paper_->pages.front().fullpath) {
    std::u16string full = *paper_->pages.front().fullpath;
    size_t sep = full.find_last_of(u"/\\");
    if (sep != std::u16string::npos) oldFolder = model::toUtf8(full.substr(0, sep));
  }
  return {oldFolder, lastNewImageFolder_};
}

void CScrivlaDoc::changeImageFolder(const std::string& oldFolder, const std::string& newFolder) {
  if (oldFolder.empty() || newFolder.empty()) return;
  lastOldImageFolder_ = oldFolder;
  lastNewImageFolder_ = newFolder;
  if (!paper_) return;
  const std::u16string from = model::fromUtf8(oldFolder);
  std::u16string to = model::fromUtf8(newFolder);
  // A folder typed without its final separator must not glue itself to the file name.
  if (!isSeparator(to.back())) to += newFolder.find('\\') != std::string::npos ? u'\\' : u'/';
  for (model::PageData& p : paper_->pages) {
    if (!p.fullpath) continue;
    const std::u16string& full = *p.fullpath;
    // Only paths inside the old folder: "/scan" does not take "/scans/p1.tif" along.
    if (full.compare(0, from.size(), from) != 0) continue;
    if (full.size() > from.size() && !isSeparator(from.back()) && !isSeparator(full[from.size()]))
      continue;
    size_t sep = full.find_last_of(u"/\\");
    p.fullpath = to + (sep == std::u16string::npos ? full : full.substr(sep + 1));
  }
  notify(ChangeSet::of(Change::Image));
}

void CScrivlaDoc::snapshot(int kind, int pageIndex, const CaretMemo& caret) {
  if (!paper_) return;
  if (pageIndex == -1) pageIndex = currentPage_;
  const model::PageData* source = page(pageIndex);
  if (source == nullptr) return;
  if (history_.continuesRun(kind, pageIndex)) return;
  const bool before = history_.canUndo(), redoBefore = history_.canRedo();
  history_.push(kind, pageIndex, model::copyPage(*source), caret);
  if (before != history_.canUndo() || redoBefore != history_.canRedo())
    notify(ChangeSet::of(Change::History));
}

std::optional<CScrivlaDoc::Restored> CScrivlaDoc::swapStep(UndoStep* step, bool undoing,
                                                           const CaretMemo& caretNow) {
  if (step == nullptr) return std::nullopt;
  model::PageData* current = page(step->page);
  if (current == nullptr)
    return std::nullopt;  // cannot happen while the history is cleared on load
  if (step->page != currentPage_) {
    currentPage_ = step->page;
    notify(ChangeSet::of(Change::Page));
  }
  // The caret of the state being left is kept for the way back.
  if (undoing)
    step->after = caretNow;
  else
    step->before = caretNow;
  // Swap by moving the records: the page's nodes go to the step and the step's come back, so no
  // node is copied and lines keep their addresses across undo and redo.
  auto swapPage = [&](int index, model::PageData& copy) {
    auto page = std::next(paper_->pages.begin(), index);
    const int32_t number = page->number;
    std::swap(*page, copy);
    page->number = number;
    blockEntries_.rebuildPage(*paper_, static_cast<size_t>(index), zoom_);
    markPage(index + 1);
  };
  // A step over several pages replaces records the views may hold beyond the current page.
  if (!step->others.empty()) resetObservers();
  swapPage(step->page, step->copy);
  for (auto& [index, copy] : step->others)
    if (page(index) != nullptr) swapPage(index, copy);
  // A page recognised again may have taken another size from its picture.
  if (!step->others.empty() || step->kind == UndoRecognise) model::computeMaxPageSize(*paper_);
  history_.recount(*step);
  auto at = std::next(paper_->pages.begin(), step->page);
  // Most steps change characters of a line or two: only those lines are drawn again. A step that
  // changed blocks or lines themselves has the page laid out anew.
  ChangeSet changes;
  changes.kinds = Change::Caret | Change::History;
  if (!step->others.empty()) {
    changes.add(Change::Layout).add(Change::Structure).add(Change::Page);
  } else if (auto lines = model::linesThatDiffer(step->copy, *at)) {
    changes.add(Change::Text);
    for (const model::LineData* l : *lines) changes.addLine(l);
  } else {
    changes.add(Change::Layout).add(Change::Structure);
  }
  notify(changes);
  return Restored{step->page, step->kind, undoing ? step->before : step->after};
}

std::optional<CScrivlaDoc::Restored> CScrivlaDoc::undo(const CaretMemo& caretNow) {
  if (!paper_) return std::nullopt;
  return swapStep(history_.takeUndo(), true, caretNow);
}

std::optional<CScrivlaDoc::Restored> CScrivlaDoc::redo(const CaretMemo& caretNow) {
  if (!paper_) return std::nullopt;
  return swapStep(history_.takeRedo(), false, caretNow);
}

bool CScrivlaDoc::clearChangeMarks() {
  if (!paper_) return false;
  if (prompter_.ask("すべてのページの修正マークをクリアし元の文字色で表示します。",
                    appcore::kAppTitle, Buttons::OkCancel, Answer::Ok,
                    Icon::Question) != Answer::Ok)
    return false;
  auto clear = [](model::List<model::LineData>& lines) {
    for (model::LineData& l : lines)
      for (model::CharData& c : l.chars) c.changed = 0;
  };
  for (model::PageData& p : paper_->pages)
    for (model::BlockData& b : p.blocks) {
      clear(b.lines);
      for (model::CellData& c : b.cells) clear(c.lines);
    }
  ChangeSet changes;
  changes.kinds = Change::Display | Change::Layout;
  notify(changes);
  return true;
}

}  // namespace vellary::document
