// CScrivlaDoc: documents recognised from scans, their private picture folder and its move beside
// the document at the first save, and pages recognised again.
#include <filesystem>
#include <iterator>
#include <map>
#include <set>

#include "document.h"
#include "model/atomic_file.h"
#include "model/image_folder.h"
#include "model/paper.h"
#include "model/text.h"
#include "recompose/recompose.h"

namespace vellary::document {

namespace fs = std::filesystem;

std::optional<imaging::PrivateTempDir> CScrivlaDoc::makeScanFolder() const {
  if (scansRoot_.empty()) return std::nullopt;
  return imaging::PrivateTempDir::create("scan-", scansRoot_);
}

void CScrivlaDoc::openScans(std::unique_ptr<model::PaperData> paper,
                            imaging::PrivateTempDir folder) {
  if (!paper) return;
  beginChanges();
  resetObservers();
  paper_ = std::move(paper);
  // The pictures of a document this one replaces go with it.
  scanFolder_ = std::move(folder);
  origin_ = nullptr;
  setPathName({});
  pageMarks_.assign(paper_->pages.size(), 0);
  rebuildAfterLoad();
  editState_ = EditState{true, false, 3};
  lastBackupTick_ = clock_.tickCount();
  history_.clear();
  // Re-composed as an opened file is; then every page is the user's unsaved work.
  if (reComposeAfterLoad) reComposeAfterLoad(*this, {});
  history_.clear();
  for (size_t i = 0; i < paper_->pages.size(); ++i) markPage(static_cast<int>(i) + 1);
  notify(ChangeSet::everything());
  endChanges();
}

bool CScrivlaDoc::replaceRecognisedPage(int index, model::PageData&& recognised, bool joinStep,
                                        const CaretMemo& caret) {
  model::PageData* target = page(index);
  if (target == nullptr) return false;
  beginChanges();
  // The step belongs to the current page, where undo comes back to; the pages the command
  // replaces join it as they were.
  if (!joinStep || !history_.joinNewest(index, model::copyPage(*target))) {
    snapshot(UndoRecognise, currentPage_, caret);
    if (index != currentPage_) history_.joinNewest(index, model::copyPage(*target));
  }
  // The caret and the views let go of the page's records before they are replaced.
  resetObservers();
  const int32_t number = target->number;
  std::optional<std::u16string> file = std::move(target->file);
  std::optional<std::u16string> fullpath = std::move(target->fullpath);
  *target = std::move(recognised);
  target->number = number;
  target->file = std::move(file);
  target->fullpath = std::move(fullpath);
  recompose::ReComposeSideLines(*target, reComposeOptions().loading);
  model::computeMaxPageSize(*paper_);
  if (blockEntries_.pageCount() != paper_->pages.size())
    blockEntries_.rebuildAll(*paper_, zoom_);
  else
    blockEntries_.rebuildPage(*paper_, static_cast<size_t>(index), zoom_);
  markPage(index + 1);
  ChangeSet changes;
  changes.kinds = Change::Layout | Change::Structure | Change::Page | Change::History;
  notify(changes);
  endChanges();
  return true;
}

bool CScrivlaDoc::inScansRoot(const std::u16string& path) const {
  if (scansRoot_.empty()) return false;
  const std::string p = model::toUtf8(path);
  return p.size() > scansRoot_.size() + 1 && p.compare(0, scansRoot_.size(), scansRoot_) == 0 &&
         p[scansRoot_.size()] == '/';
}

void CScrivlaDoc::adoptScanFolder() {
  if (!paper_) return;
  for (const model::PageData& p : paper_->pages)
    if (p.fullpath && inScansRoot(*p.fullpath)) {
      scanFolder_ = imaging::PrivateTempDir::adopt(
          fs::path(model::toUtf8(*p.fullpath)).parent_path().string());
      return;
    }
}

CScrivlaDoc::MoveResult CScrivlaDoc::movePicturesFor(const std::string& path, PictureMove& move) {
  std::vector<model::PageData*> pages;
  std::error_code ec;
  for (model::PageData& p : paper_->pages)
    // A picture that is gone cannot move; the page keeps the path it had.
    if (p.fullpath && inScansRoot(*p.fullpath) &&
        fs::is_regular_file(model::toUtf8(*p.fullpath), ec))
      pages.push_back(&p);
  if (pages.empty()) return MoveResult::Moved;
  const std::string document = fs::absolute(path, ec).lexically_normal().string();
  const std::string folder = model::documentImageFolder(document);
  if (folder.empty()) {
    message(path + "\nにはページ画像のフォルダを作れません。", appcore::kAppTitle);
    return MoveResult::Refused;
  }
  // Nothing already there is overwritten: a picture of the same name belongs to something else.
  if (fs::exists(folder, ec) && !fs::is_directory(folder, ec)) {
    message(
        folder + "\nがフォルダではないため、ページ画像を置けません。\n別の名前を指定してください。",
        appcore::kAppTitle);
    return MoveResult::Refused;
  }
  for (model::PageData* p : pages) {
    const std::string to = model::pictureInDocumentFolder(document, model::toUtf8(*p->fullpath));
    if (fs::exists(to, ec)) {
      message(to + "\nが既にあるため、ページ画像を置けません。\n別の名前を指定するか、フォルダ " +
                  folder + " を移してください。",
              appcore::kAppTitle);
      return MoveResult::Refused;
    }
  }
  if (!fs::exists(folder, ec)) {
    if (!fs::create_directory(folder, ec)) {
      message(folder + "\nのフォルダを作れません。\n" + ec.message(), "エラー");
      return MoveResult::Failed;
    }
    move.madeFolder = folder;
  }
  for (model::PageData* p : pages) {
    const std::string from = model::toUtf8(*p->fullpath);
    const std::string to = model::pictureInDocumentFolder(document, from);
    // Written as any file of the program is, with the mode a new file there gets.
    std::string why;
    if (!model::copyFileContents(from, to, why)) {
      message("ページ画像を " + to + " に保存できません。\n" + why, "エラー");
      finishPictureMove(move, false);
      return MoveResult::Failed;
    }
    move.copies.push_back(to);
    move.pages.emplace_back(p, *p->fullpath);
    p->fullpath = model::fromUtf8(to);
  }
  return MoveResult::Moved;
}

void CScrivlaDoc::finishPictureMove(PictureMove& move, bool written) {
  std::error_code ec;
  if (!written) {
    for (auto& [page, old] : move.pages) page->fullpath = old;
    for (const std::string& copy : move.copies) fs::remove(copy, ec);
    if (!move.madeFolder.empty()) fs::remove(move.madeFolder, ec);
    move = PictureMove{};
    return;
  }
  if (move.pages.empty()) return;
  std::map<std::u16string, std::u16string> moved;
  std::set<std::string> folders;
  for (auto& [page, old] : move.pages) {
    moved[old] = *page->fullpath;
    const std::string from = model::toUtf8(old);
    fs::remove(from, ec);
    folders.insert(fs::path(from).parent_path().string());
  }
  // Undo must not bring back a path to where the picture no longer is.
  history_.forEachCopy([&](model::PageData& copy) {
    if (!copy.fullpath) return;
    if (auto it = moved.find(*copy.fullpath); it != moved.end()) copy.fullpath = it->second;
  });
  // A private folder left empty goes; the document's own goes with its lock.
  for (const std::string& folder : folders) {
    if (!fs::is_empty(folder, ec)) continue;
    if (scanFolder_ && scanFolder_->path() == folder)
      scanFolder_.reset();
    else
      fs::remove(folder, ec);
  }
  move = PictureMove{};
  notify(ChangeSet::of(Change::Image));
}

}  // namespace vellary::document
