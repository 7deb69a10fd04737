// CScrivlaDoc: loading, opening, saving, reloading, backup and recovery.
#include "document.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iterator>

#include "formats/format.h"
#include "model/file_access.h"
#include "model/paper.h"
#include "rovorirud/reader.h"
#include "rovorirud/writer.h"

namespace vellary::document {

namespace fs = std::filesystem;
using appcore::Answer;
using appcore::Buttons;
using appcore::Icon;

namespace {

constexpr char kErrorCaption[] = "エラー";
constexpr char kOpenError[] = "ファイルオープンエラー";
constexpr char kSaveQuestion[] = "文書は変更されています。保存しますか?";
constexpr char kRecoveredName[] = "回復した文書";

// The folder part of a path, for "XmlFolder".
std::string folderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

CScrivlaDoc::CScrivlaDoc(const DocumentSetup& setup)
    : prompter_(*setup.prompter),
      app_(*setup.app),
      settings_(*setup.settings),
      frame_(setup.frame),
      clock_(*setup.clock),
      progress_(setup.progress),
      backupPath_(setup.backupPath),
      scansRoot_(setup.scansRoot) {
  int scale = app_.displayScale;
  if (scale < 10) scale = 10;
  if (scale > 100) scale = 100;
  zoom_ = scale / 100.0;
  reComposeAfterLoad = [](CScrivlaDoc& doc, const std::string& path) {
    doc.ReComposeDocument(false, path);
  };
}

CScrivlaDoc::~CScrivlaDoc() = default;

void CScrivlaDoc::addObserver(DocumentObserver* observer, ObserverRank rank) {
  auto& list = rank == ObserverRank::Model ? modelObservers_ : viewObservers_;
  if (std::find(list.begin(), list.end(), observer) == list.end()) list.push_back(observer);
}

void CScrivlaDoc::removeObserver(DocumentObserver* observer) {
  for (auto* list : {&modelObservers_, &viewObservers_})
    list->erase(std::remove(list->begin(), list->end(), observer), list->end());
}

void CScrivlaDoc::notify(const ChangeSet& changes) {
  if (changes.empty()) return;
  if (batchDepth_ > 0) {
    pending_.merge(changes);
    return;
  }
  // Copies: an observer may add or remove observers while it is told.
  const auto models = modelObservers_;
  const auto views = viewObservers_;
  for (DocumentObserver* o : models) o->documentChanged(changes);
  for (DocumentObserver* o : views) o->documentChanged(changes);
}

void CScrivlaDoc::beginChanges() { ++batchDepth_; }

void CScrivlaDoc::endChanges() {
  if (batchDepth_ == 0 || --batchDepth_ > 0) return;
  ChangeSet gathered = std::move(pending_);
  pending_ = ChangeSet{};
  notify(gathered);
}

void CScrivlaDoc::flushChanges() {
  if (batchDepth_ == 0) return;
  ChangeSet gathered = std::move(pending_);
  pending_ = ChangeSet{};
  const int depth = batchDepth_;
  batchDepth_ = 0;
  notify(gathered);
  batchDepth_ = depth;
}

void CScrivlaDoc::resetObservers() {
  // The records go now: what was gathered about them must not be sent afterwards either.
  pending_.lines.clear();
  const auto models = modelObservers_;
  const auto views = viewObservers_;
  for (DocumentObserver* o : models) o->aboutToReset();
  for (DocumentObserver* o : views) o->aboutToReset();
}

void CScrivlaDoc::setPathName(const std::string& path) {
  nameless_ = false;
  if (path == pathName_) return;
  pathName_ = path;
  notify(ChangeSet::of(Change::Path));
}

void CScrivlaDoc::message(const std::string& text, const char* caption) {
  prompter_.message(text, caption, Icon::Warning);
}

model::PageData* CScrivlaDoc::page(int index) {
  if (!paper_ || index < 0 || index >= static_cast<int>(paper_->pages.size())) return nullptr;
  return &*std::next(paper_->pages.begin(), index);
}

const model::PageData* CScrivlaDoc::page(int index) const {
  return const_cast<CScrivlaDoc*>(this)->page(index);
}

void CScrivlaDoc::rebuildAfterLoad() {
  paperList_ = recompose::buildPaperList(*paper_);
  firstPaperPage_ = recompose::firstPaperPage(paperList_);
  currentPage_ = firstPaperPage_ < 0 ? 0 : firstPaperPage_;
  blockEntries_.rebuildAll(*paper_, zoom_);
}

bool CScrivlaDoc::load(const std::string& path, bool append) { return loadInto(path, append); }

bool CScrivlaDoc::loadInto(const std::string& path, bool append) {
  // Regular files only: a folder, a pipe or a device is refused at once, with the reason.
  int openError = 0;
  if (std::FILE* probe = model::openInputStream(path, openError)) {
    std::fclose(probe);
  } else {
    message(std::string(kOpenError) + "\n" + path + "\n" + model::inputErrorTextJa(openError),
            kErrorCaption);
    return false;
  }
  if (progress_) {
    progress_->setRange(0, 100);
    progress_->setPosition(0);
    progress_->show();
  }
  // The file is read into records of its own while the open document stays whole: the progress
  // lets the window paint between the pieces, and the views still draw the open document. A
  // reload reads the file as the format it came from.
  formats::ReadOptions options;
  options.progress = progress_;
  const bool reloading = !append && path == pathName_ && origin_ != nullptr;
  if (reloading) options.format = origin_;
  formats::ReadOutcome result = formats::readDocument(path, options);

  if (!result.paper) {
    if (progress_) progress_->hide();
    message(
        result.error.code == formats::ErrorOpen ? std::string(kOpenError) : result.error.message,
        kErrorCaption);
    if (!paper_) {
      currentPage_ = -1;
      editState_ = EditState{false, false, 0};
    }
    return false;
  }
  if (!append || !paper_) origin_ = result.format;
  if (progress_) {
    progress_->setPosition(30);
    progress_->setCaption("ファイル後処理中");
    progress_->setPosition(70);
  }
  // From here the old records are replaced or extended: every observer lets go of them first,
  // and nothing is drawn until the change set below.
  resetObservers();
  if (append && paper_) {
    model::appendPaper(*paper_, *result.paper);
  } else {
    paper_ = std::move(result.paper);
    pageMarks_.clear();
    // The pictures of an unsaved document from scans go with it.
    scanFolder_.reset();
  }
  pageMarks_.resize(paper_->pages.size(), 0);
  rebuildAfterLoad();
  if (progress_) progress_->setPosition(100);
  editState_ = EditState{true, false, 3};
  lastBackupTick_ = clock_.tickCount();
  docModified_ = 0;
  history_.clear();
  if (progress_) progress_->hide();
  notify(ChangeSet::everything());
  return true;
}

void CScrivlaDoc::afterSuccessfulOpen(const std::string& path) {
  beginChanges();
  if (reComposeAfterLoad) reComposeAfterLoad(*this, path);
  // What the opening re-composition changed counts as the file's own: nothing is unsaved yet.
  clearAllPageMarks();
  docModified_ = 0;
  history_.clear();
  notify(ChangeSet::everything());
  endChanges();
}

bool CScrivlaDoc::askToSaveIfModified() {
  if (docModified_ != 1) return true;
  Answer a = prompter_.ask(kSaveQuestion, appcore::kAppTitle, Buttons::YesNoCancel, Answer::Yes,
                           Icon::Question);
  if (a == Answer::Cancel) return false;
  if (a == Answer::Yes) return save();
  return true;
}

bool CScrivlaDoc::open(const std::string& path, bool append) {
  if (!append && !askToSaveIfModified()) return false;
  const bool hadPath = !pathName_.empty();
  // One change set for the whole opening, sent once the document has its name: the views look
  // for page images beside the document.
  beginChanges();
  bool ok = load(path, append);
  if (ok) {
    if (!append || !hadPath) setPathName(path);
    afterSuccessfulOpen(path);
  }
  endChanges();
  app_.xmlFolder = folderOf(path);
  settings_.setString("Settings", "XmlFolder", app_.xmlFolder);
  return ok;
}

bool CScrivlaDoc::openDocument(const std::string& path) {
  if (!askToSaveIfModified()) return false;
  beginChanges();
  const bool ok = load(path, false);
  if (ok) {
    setPathName(path);
    afterSuccessfulOpen(path);
  }
  endChanges();
  return ok;
}

std::optional<std::string> CScrivlaDoc::openDialogRefusal(const std::string& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec))
    return path + "\nこのファイルが見つかりません。\nファイル名を確認してください。";
  return std::nullopt;
}

bool CScrivlaDoc::reload() {
  if (pathName_.empty()) return false;
  std::error_code ec;
  if (!fs::exists(pathName_, ec)) {
    message("ファイルが読み込めません", appcore::kAppTitle);
    return false;
  }
  if (prompter_.ask("編集中のデータは最初の状態に戻りますが、よろしいですか？", appcore::kAppTitle,
                    Buttons::OkCancel, Answer::Ok, Icon::Question) != Answer::Ok)
    return false;
  // A reload that fails keeps the document as it is, edits included.
  const std::string path = pathName_;
  beginChanges();
  bool ok = load(path, false);
  if (ok) afterSuccessfulOpen(path);
  endChanges();
  return ok;
}

bool CScrivlaDoc::dropFiles(const std::vector<std::string>& paths) {
  if (paths.empty()) return false;
  if (paths.size() > 1) {
    message(
        "複数のファイルがドラッグ/ドロップされました！\r\n1つのファイルをドラッグ/"
        "ドロップしてください。",
        appcore::kAppTitle);
    return false;
  }
  const std::string& path = paths.front();
  std::error_code ec;
  if (fs::is_directory(path, ec)) {
    message("フォルダがドラッグ/ドロップされました！\r\nファイルをドラッグ/ドロップしてください。",
            appcore::kAppTitle);
    return false;
  }
  if (!formats::hasReadableExtension(path)) {
    message(
        "拡張子が違うファイルがドラッグ/ドロップされました！\r\nXML、hOCR、PAGE、ALTO、NDLOCR、"
        "TSV のいずれかのファイルか、認識する画像（TIFF、PNG、JPEG、BMP）・PDF をドラッグ/"
        "ドロップしてください。",
        appcore::kAppTitle);
    return false;
  }
  return openDocument(path);
}

bool CScrivlaDoc::writePages(const std::string& path, int first, int last,
                             const std::optional<std::string>& documentPath) {
  rovorirud::WriteOptions options;
  options.encoding = static_cast<uint32_t>(app_.encoding);
  options.firstPage = first;
  options.lastPage = last;
  options.documentPath = documentPath;
  std::string why;
  int result = rovorirud::writeDocumentFile(*paper_, path, options, &why);
  if (result == rovorirud::WriteOpenFailed) {
    message(std::string(kOpenError) + "\n" + why, kErrorCaption);
    return false;
  }
  if (result != rovorirud::WriteOk) {
    message("ファイル " + path + " が保存できません。\n" + why, kErrorCaption);
    return false;
  }
  return true;
}

void CScrivlaDoc::setPageMark(int pageIndex, bool marked) {
  if (pageIndex < 0) return;
  if (static_cast<size_t>(pageIndex) >= pageMarks_.size()) pageMarks_.resize(pageIndex + 1, 0);
  if ((pageMarks_[pageIndex] != 0) == marked) return;
  pageMarks_[pageIndex] = marked ? 1 : 0;
  notify(ChangeSet::of(Change::Marks));
}

bool CScrivlaDoc::pageMarked(int pageIndex) const {
  return pageIndex >= 0 && static_cast<size_t>(pageIndex) < pageMarks_.size() &&
         pageMarks_[pageIndex] != 0;
}

void CScrivlaDoc::clearAllPageMarks() {
  for (size_t i = 0; i < pageMarks_.size(); ++i) setPageMark(static_cast<int>(i), false);
}

bool CScrivlaDoc::save() {
  if (!paper_) return false;
  // A recovered document that had no name (a document from scans never saved) is shown as
  // "回復した文書" but names no file to write: it asks for one.
  if (pathName_.empty() || nameless_ || !savesInPlace())
    return saveAsRequest ? saveAsRequest() : false;
  return saveTo(pathName_);
}

bool CScrivlaDoc::saveTo(const std::string& path) {
  if (!paper_) return false;
  PictureMove move;
  if (movePicturesFor(path, move) != MoveResult::Moved) return false;
  const bool written = writePages(path, -1, -1, std::nullopt);
  finishPictureMove(move, written);
  if (!written) return false;
  beginChanges();
  clearAllPageMarks();
  docModified_ = 0;
  notify(ChangeSet::of(Change::Marks));
  endChanges();
  return true;
}

SaveAsResult CScrivlaDoc::saveAs(const std::string& path, SaveChoice choice, int firstPage,
                                 int lastPage) {
  if (!paper_) return SaveAsResult::Failed;
  // The file of another format stays as it was read.
  std::error_code ec;
  if (!savesInPlace() && (path == pathName_ || (fs::equivalent(path, pathName_, ec) && !ec))) {
    message(pathName_ + "\nは" + std::string(origin_->label) +
                "のファイルです。上書きせずに、別の名前を指定してください。",
            appcore::kAppTitle);
    return SaveAsResult::StayInDialog;
  }
  const int count = static_cast<int>(paper_->pages.size());
  if (choice == SaveChoice::Range && (firstPage < 1 || lastPage < 1 || firstPage > count ||
                                      lastPage > count || firstPage > lastPage)) {
    message("保存範囲が指定されていない、あるいは保存範囲のページが正しくありません",
            appcore::kAppTitle);
    return SaveAsResult::StayInDialog;
  }
  int first = 0, last = count - 1;
  if (choice == SaveChoice::CurrentPage) {
    first = last = currentPage_;
  } else if (choice == SaveChoice::Range) {
    first = firstPage - 1;
    last = std::min(lastPage - 1, count - 1);
  }
  const int pages = last - first + 1;
  if (pages > 99) {
    std::string question = "保存ページが" + std::to_string(pages) +
                           "ページ選択されています。\n"
                           "認識結果の内容によっては、保存に時間がかかる場合があります。\n"
                           "保存を実行しますか？";
    if (prompter_.ask(question, appcore::kAppTitle, Buttons::YesNo, Answer::No, Icon::Question) !=
        Answer::Yes)
      return SaveAsResult::StayInDialog;
  }
  // The pictures of a document from scans go beside it (all of them: the document takes the
  // name even when a part is saved).
  PictureMove move;
  switch (movePicturesFor(path, move)) {
    case MoveResult::Refused:
      return SaveAsResult::StayInDialog;
    case MoveResult::Failed:
      return SaveAsResult::Failed;
    case MoveResult::Moved:
      break;
  }
  std::optional<std::string> documentPath;
  if (!pathName_.empty()) documentPath = pathName_;
  const bool written = writePages(path, first, last, documentPath);
  finishPictureMove(move, written);
  if (!written) return SaveAsResult::Failed;

  // Only what was written is saved. A part saved under a new name leaves the corrections on the
  // other pages unsaved, so the document still counts as modified if it was: closing must ask.
  const bool whole = first == 0 && last == count - 1;
  beginChanges();
  for (int i = first; i <= last; ++i) setPageMark(i, false);
  if (whole) {
    clearAllPageMarks();
    docModified_ = 0;
  }
  notify(ChangeSet::of(Change::Marks));
  // From now on the document is the RovOrirUD file it was saved as.
  origin_ = &formats::nativeFormat();
  setPathName(path);
  notify(ChangeSet::of(Change::Path));
  endChanges();
  lastSaveChoice_ = choice;
  return SaveAsResult::Saved;
}

void CScrivlaDoc::backupCheck(bool force, const std::string& path) {
  int interval = std::min(app_.backupInterval, appcore::kMaxBackupInterval);
  if (app_.doBackup == 0 || interval <= 0) return;
  const uint32_t now = clock_.tickCount();
  const bool due = force || now < lastBackupTick_ ||
                   now - lastBackupTick_ > static_cast<uint32_t>(interval) * 60000u;
  if (!due || !paper_ || backupPath_.empty()) return;
  rovorirud::WriteOptions options;
  options.encoding = static_cast<uint32_t>(app_.encoding);
  options.privateFile = true;  // the text of a private document must stay private
  // A failed backup is silent: it must never interrupt the user's work.
  if (rovorirud::writeDocumentFile(*paper_, backupPath_, options) != rovorirud::WriteOk) return;
  lastBackupTick_ = now;
  // Stored absolute: the next start may run in another folder.
  const std::string original = !path.empty() ? path : nameless_ ? std::string() : pathName_;
  std::error_code ec;
  const fs::path absolute =
      original.empty() ? fs::path() : fs::absolute(original, ec).lexically_normal();
  app_.backupOrgFileName = ec ? original : absolute.string();
  settings_.setString("Backup", "BackupOrgFileName", app_.backupOrgFileName);
  // Recovery after a crash reads the name from the store, so it must reach the disk now.
  std::string ignored;
  settings_.flush(ignored);
}

bool CScrivlaDoc::hasBackup() const {
  std::error_code ec;
  return !backupPath_.empty() && fs::exists(backupPath_, ec);
}

bool CScrivlaDoc::offerRecovery() {
  if (!hasBackup()) return false;
  Answer a = prompter_.ask(
      "プログラムの異常終了などが原因で、前回作業時のデータが残っています。\n可能な限り復元を試みま"
      "すか？",
      appcore::kAppTitle, Buttons::OkCancel, Answer::Ok, Icon::Question);
  if (a != Answer::Ok) {
    deleteBackup();
    return false;
  }
  beginChanges();
  if (!load(backupPath_, false)) {
    endChanges();
    deleteBackup();
    return false;
  }
  setPathName(app_.backupOrgFileName.empty() ? std::string(kRecoveredName)
                                             : app_.backupOrgFileName);
  nameless_ = app_.backupOrgFileName.empty();
  // The backup is RovOrirUD; the document it stands for may have come from another format, whose
  // file Save must not write over.
  if (!app_.backupOrgFileName.empty()) {
    const formats::Format* original = formats::formatOfFile(app_.backupOrgFileName);
    origin_ = original != nullptr ? original : &formats::nativeFormat();
  }
  adoptScanFolder();
  markPage(0);
  endChanges();
  return true;
}

void CScrivlaDoc::deleteBackup() {
  if (backupPath_.empty()) return;
  std::error_code ec;
  fs::remove(backupPath_, ec);
}

}  // namespace vellary::document
