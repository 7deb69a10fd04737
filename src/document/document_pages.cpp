// CScrivlaDoc: page change, scale, page marks, image folders, undo and change marks.
#include <cmath>
#include <iterator>
#include <tuple>

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
  views_.setPageMark(index, true);
  docModified_ = 1;
}

void CScrivlaDoc::pageChanged() {
  views_.resetTextView();
  views_.placeCaretOnPage();
  views_.selectPageRow(currentPage_);
  views_.updateAllViews(HintPage);
  views_.focusTextView();
}

int CScrivlaDoc::nextPage() {
  if (!paper_ || currentPage_ >= static_cast<int>(paper_->pages.size()) - 1) return -1;
  ++currentPage_;
  pageChanged();
  return currentPage_;
}

int CScrivlaDoc::previousPage() {
  if (!paper_ || currentPage_ <= 0) return -1;
  --currentPage_;
  pageChanged();
  return currentPage_;
}

void CScrivlaDoc::setCurrentPage(int pageIndex) {
  if (!paper_ || pageIndex < 0 || pageIndex >= static_cast<int>(paper_->pages.size()) ||
      pageIndex == currentPage_)
    return;
  currentPage_ = pageIndex;
  pageChanged();
}

bool CScrivlaDoc::isZoomChecked(int commandId) const {
  return commandId - (CmdZoom10 - 1) == scaleTenths(views_.viewScale());
}

bool CScrivlaDoc::zoomCommand(int commandId) {
  if (commandId < CmdZoom10 || commandId > CmdZoom100) return false;
  const int tenths = commandId - (CmdZoom10 - 1);
  if (tenths == scaleTenths(views_.viewScale())) return true;
  zoom_ = tenths / 10.0;
  views_.setViewScale(zoom_);
  views_.setZoomSelection(commandId - CmdZoom10);
  blockEntries_.rezoom(zoom_);
  if (editState_.editMode == 3) views_.reestablishCaret();
  views_.updateAllViews(HintPage);
  views_.focusTextView();
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
  views_.updateAllViews(HintAll);
}

void CScrivlaDoc::snapshot(int kind, int pageIndex) {
  if (!paper_) return;
  if (pageIndex == -1) pageIndex = currentPage_;
  model::PageData* source = page(pageIndex);
  if (source == nullptr) return;
  // A run of typing, or of deleting, on one page is undone as one step.
  if ((kind == UndoTyping || kind == UndoDeleting) && kind == undoKind_ && pageIndex == undoPage_)
    return;
  if (undoStore_.empty())
    undoStore_.push_back(model::copyPage(*source));
  else
    undoStore_.front() = model::copyPage(*source);
  undoPage_ = pageIndex;
  undoKind_ = kind;
  undoAvailable_ = 1;
  undoCaret_ = views_.caretState();
  std::tie(undoSelStart_, undoSelEnd_) = views_.selectionPositions();
}

bool CScrivlaDoc::undo() {
  if (!undoEnabled() || currentPage_ != undoPage_ || undoStore_.empty()) return false;
  auto current = std::next(paper_->pages.begin(), currentPage_);
  // Swap by moving the records, so a second undo swaps them back and so redoes the edit.
  paper_->pages.splice(current, undoStore_, undoStore_.begin());
  undoStore_.splice(undoStore_.begin(), paper_->pages, current);
  blockEntries_.rebuildPage(*paper_, static_cast<size_t>(currentPage_), zoom_);
  views_.resetTextView();
  views_.restoreCaret(undoCaret_);
  undoKind_ = UndoByUndo;
  views_.setSelectionPositions(undoSelStart_, undoSelEnd_);
  views_.updateAllViews(HintPage);
  return true;
}

bool CScrivlaDoc::clearChangeMarks() {
  if (!paper_) return false;
  if (prompter_.ask("すべてのページの修正マークをクリアし元の文字色で表示します。", appcore::kAppTitle,
                    Buttons::OkCancel, Answer::Ok, Icon::Question) != Answer::Ok)
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
  views_.updateAllViews(HintColours);
  return true;
}

}  // namespace vellary::document
