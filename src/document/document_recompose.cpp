// CScrivlaDoc: re-composing pages after a load and on the two re-composition commands.
#include <iterator>

#include "document.h"
#include "recompose/recompose.h"

namespace vellary::document {

namespace {

constexpr char kBackupCaption[] = "バックアップ中　";

}  // namespace

recompose::ReComposeOptions reComposeOptionsFrom(const appcore::FrameSettings& frame) {
  recompose::ReComposeOptions o;
  o.loading.monoRuby = frame.monoRuby != 0;
  o.loading.smallKana = frame.rubySmallKana != 0;
  o.joining.breaksBetweenBlocks = frame.blockBreak != 0;
  o.joining.leadingSpace = frame.leadingSpace != 0;
  o.joining.fullWidthSpace = frame.spaceType != 0;
  o.joining.naturalBreaks = frame.naturalBreak != 0;
  o.joining.noBreakAtBlockEnd = frame.blockEndBreak != 0;
  return o;
}

recompose::ReComposeOptions CScrivlaDoc::reComposeOptions() const {
  // Read at the moment an operation runs: a change in the settings applies to the next one.
  return frame_ != nullptr ? reComposeOptionsFrom(*frame_) : reComposeOptionsFrom({});
}

void CScrivlaDoc::forcedBackupWithCaption(const std::string& path) {
  if (progress_) {
    progress_->setCaption(kBackupCaption);
    progress_->show();
    progress_->pump();
  }
  backupCheck(true, path);
  if (progress_) progress_->hide();
}

void CScrivlaDoc::ReComposeDocument(bool join, const std::string& path) {
  if (!paper_) return;
  // Blocks and lines are joined, moved and freed page by page while the progress lets the window
  // paint: no view may hold a pointer into them meanwhile.
  resetObservers();
  beginChanges();
  const recompose::ReComposeOptions options = reComposeOptions();
  const int pages = static_cast<int>(paper_->pages.size());
  if (progress_) {
    progress_->setRange(0, pages);
    progress_->setPosition(0);
    progress_->show();
  }
  int number = 0;
  bool lastChanged = false;
  for (model::PageData& page : paper_->pages) {
    ++number;
    bool changed = join && recompose::JoinPageBlocks(page, options.joining);
    const int a = recompose::PageTypicalCharSize(page);
    changed = recompose::ReComposePage(page, a, options.loading.monoRuby) || changed;
    if (options.loading.smallKana) changed = recompose::NormaliseSmallKana(page) || changed;
    if (changed) markPage(number);
    lastChanged = changed;
    if (progress_) {
      progress_->step();
      progress_->pump();
    }
  }
  if (lastChanged) markPage(0);
  // Every page was reworked: the history's copies would bring back blocks and side lines in a
  // form the rest of the document no longer has.
  history_.clear();
  forcedBackupWithCaption(path);
  notify(ChangeSet::everything());
  endChanges();
}

bool CScrivlaDoc::reComposeAllPages() {
  if (!paper_) return false;
  beginChanges();
  ReComposeDocument(true, {});
  rebuildAfterLoad();
  notify(ChangeSet::everything());
  endChanges();
  return true;
}

bool CScrivlaDoc::reComposeCurrentPage(const CaretMemo& caret) {
  model::PageData* current = page(currentPage_);
  if (current == nullptr) return false;
  if (blockEntries_.pageCount() != paper_->pages.size()) blockEntries_.rebuildAll(*paper_, zoom_);
  model::PageBlockEntries& entries = blockEntries_.page(static_cast<size_t>(currentPage_));
  beginChanges();
  if (entries.changed == 0) {
    entries.changed = 1;
    setPageMark(currentPage_, true);
  }
  forcedBackupWithCaption({});
  snapshot(UndoReCompose, currentPage_, caret);
  // Blocks may be joined and side lines rebuilt: the caret and the views let go of the page.
  resetObservers();

  const recompose::ReComposeOptions options = reComposeOptions();
  bool joined = false;
  bool changed = recompose::JoinPageBlocks(*current, options.joining, &joined);
  if (joined) blockEntries_.rebuildPage(*paper_, static_cast<size_t>(currentPage_), zoom_);
  const int a = recompose::PageTypicalCharSize(*current);
  changed = recompose::ReComposePage(*current, a, options.loading.monoRuby) || changed;
  if (options.loading.smallKana) changed = recompose::NormaliseSmallKana(*current) || changed;
  if (changed) markPage(0);
  ChangeSet changes;
  changes.kinds = Change::Layout | Change::Structure | Change::Page;
  notify(changes);
  endChanges();
  return true;
}

}  // namespace vellary::document
