// CScrivlaDoc: the one open document. It owns the loaded PaperData and everything that belongs
// to the open file: path, current page, modified state and page marks, backup timing, block
// entries, paper list and the undo history. It shows nothing itself: questions and messages go
// through the Prompter, progress through Progress, and what changed goes to its observers as one
// change set per operation.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "appcore/command_rules.h"
#include "appcore/prompter.h"
#include "appcore/settings.h"
#include "appcore/settings_store.h"
#include "changes.h"
#include "formats/format.h"
#include "imaging/temp_dir.h"
#include "model/block_entries.h"
#include "model/progress.h"
#include "model/records.h"
#include "recompose/options.h"
#include "recompose/paper_list.h"
#include "seams.h"
#include "undo_history.h"

namespace vellary::document {

// The edit state the frame reads after a load: whether block editing (32771) is enabled and
// checked, and the edit mode (0 nothing editable, 1 block editing, 3 character editing).
struct EditState {
  bool blockEditEnabled = false;
  bool blockEditChecked = false;
  int editMode = 0;
};

enum class SaveChoice { AllPages, CurrentPage, Range };

// What the save-as dialog does after the document has judged the user's choice.
enum class SaveAsResult {
  Saved,         // written; the document now has the new name
  StayInDialog,  // the range was refused or the user declined the long save: ask again
  Failed,        // the file could not be written (the user has been told)
};

struct DocumentSetup {
  appcore::Prompter* prompter = nullptr;
  // The application settings in memory (backup, output encoding, open folder, scale) and the
  // store where the values that must survive a crash are written at once.
  appcore::AppSettings* app = nullptr;
  appcore::SettingsStore* settings = nullptr;
  // The frame's settings, which hold the loading and joining options; null: their defaults.
  const appcore::FrameSettings* frame = nullptr;
  const Clock* clock = nullptr;
  model::Progress* progress = nullptr;  // optional
  // The backup file (appcore::backupFilePath), written 0600. Empty: this run keeps no backup and
  // offers no recovery (another editor holds the backup).
  std::string backupPath;
  // The private folder under which documents recognised from scans keep their page pictures
  // until they are saved (appcore::scanPicturesRoot). Empty: no document can be made from scans.
  std::string scansRoot;
};

// The loading and joining options as the frame's settings hold them.
recompose::ReComposeOptions reComposeOptionsFrom(const appcore::FrameSettings& frame);

class CScrivlaDoc {
 public:
  explicit CScrivlaDoc(const DocumentSetup& setup);
  ~CScrivlaDoc();
  CScrivlaDoc(const CScrivlaDoc&) = delete;
  CScrivlaDoc& operator=(const CScrivlaDoc&) = delete;

  // --- Observers -------------------------------------------------------------------------
  // Model observers (the editing context) hear every notice before the views, so that the caret
  // the views draw is already in place. An observer removes itself before it goes.
  enum class ObserverRank { Model, View };
  void addObserver(DocumentObserver* observer, ObserverRank rank = ObserverRank::View);
  void removeObserver(DocumentObserver* observer);
  // Sends a change set, or adds it to the one being gathered.
  void notify(const ChangeSet& changes);
  // Between these, change sets are gathered and sent as one when the outermost batch ends: an
  // edit tells its observers once, at its end.
  void beginChanges();
  void endChanges();
  // Sends what was gathered so far without ending the batch.
  void flushChanges();

  // --- Reading ---------------------------------------------------------------------------
  // Reads a file into the document, alone or appended to the open one. The file is read into
  // records of its own; only a successful read replaces (or extends) the document, so a failure
  // leaves the open document as it was. Failures are shown.
  bool load(const std::string& path, bool append);
  // The open command after its dialog: the save question, load, the path name and "XmlFolder".
  bool open(const std::string& path, bool append);
  // Opening by recent file, command line or drop: the save question, then load alone.
  bool openDocument(const std::string& path);
  // The message of the open dialog for a name it must refuse, or nothing.
  static std::optional<std::string> openDialogRefusal(const std::string& path);
  bool reload();
  // The three messages for dropped files; otherwise the one file is opened.
  bool dropFiles(const std::vector<std::string>& paths);

  // --- Writing ---------------------------------------------------------------------------
  // Saves under the document's name. A document read from another format than RovOrirUD is
  // never written over its file: Save asks for a new name through `saveAsRequest` instead.
  bool save();
  // Asks for a RovOrirUD name and saves there (the frame's save-as); true when saved.
  std::function<bool()> saveAsRequest;
  // The format the document was read from; null before anything is open.
  const formats::Format* origin() const { return origin_; }
  // Whether Save may write the document's own file: it is a RovOrirUD file, or has no name yet.
  bool savesInPlace() const { return origin_ == nullptr || origin_->native; }
  bool saveTo(const std::string& path);
  SaveAsResult saveAs(const std::string& path, SaveChoice choice, int firstPage, int lastPage);
  SaveChoice lastSaveChoice() const { return lastSaveChoice_; }
  // Writes the backup when due (or forced); `path` is the document it stands for.
  void backupCheck(bool force, const std::string& path = {});
  // Whether a backup of an earlier run waits to be offered.
  bool hasBackup() const;
  // At start-up, before any file is opened: offers to restore the backup of a run that ended
  // abnormally. true when it was restored.
  bool offerRecovery();
  // At normal exit.
  void deleteBackup();
  // Before the window closes: the save question for a modified document. false when the user
  // cancelled (the window stays open) or the save failed.
  bool saveModifiedBeforeClosing() { return askToSaveIfModified(); }

  // --- Documents recognised from scans -----------------------------------------------------
  // A document recognised from scans has no name until it is saved, and its page pictures live
  // in a private folder of their own under the scans root, beside the backup (so that a document
  // recovered after a crash still has them). Saving it under a name (Save asks for one) moves the
  // pictures into the folder named like the document, where the page image look-up finds them
  // then and after the file is opened again; the private folder then goes. It also goes when the
  // document is replaced or closed without being saved.
  //
  // A new private folder for the pictures of scans about to be recognised; it goes with
  // everything in it when the object does, unless openScans takes it. Nothing when none can be
  // made.
  std::optional<imaging::PrivateTempDir> makeScanFolder() const;
  // Takes a document recognised from scans as the open document, in place of the one open (the
  // caller asked the save question before recognising): no name, re-composed as after an open,
  // every page unsaved, so that the save question guards it. `folder` holds its pictures.
  void openScans(std::unique_ptr<model::PaperData> paper, imaging::PrivateTempDir folder);
  // The private folder holding the open document's pictures; empty when it has none.
  std::string scanFolder() const { return scanFolder_ ? scanFolder_->path() : std::string(); }
  // Page `index` recognised again: it takes the blocks, size and resolution of `recognised` while
  // its number and picture names stay, and its side lines are re-composed. The pages as they were
  // go into the undo history: the first page of a command takes a step (the current page's), and
  // with `joinStep` the further pages of the same command join that step, so that one undo
  // brings back every page the command replaced.
  bool replaceRecognisedPage(int index, model::PageData&& recognised, bool joinStep,
                             const CaretMemo& caret);

  // --- Pages, scale, marks -----------------------------------------------------------------
  void markPage(int pageNumber);  // 1-based; 0 or less: the current page
  // Whether the page (0-based) has changes not yet saved: its "*" in the page list.
  bool pageMarked(int pageIndex) const;
  int nextPage();
  int previousPage();
  // Selects a page from the page list (0-based).
  void setCurrentPage(int pageIndex);
  bool zoomCommand(int commandId);
  // Any scale within the steps' bounds (one that fits the page to the view); false for one
  // outside them, which changes nothing.
  bool setZoom(double scale);
  bool isZoomChecked(int commandId) const;
  // The dialog's initial folders: the first page's image folder (or the previous use) and the
  // previous new folder.
  std::pair<std::string, std::string> imageFolderDefaults() const;
  // Moves every page image path that begins with oldFolder to newFolder.
  void changeImageFolder(const std::string& oldFolder, const std::string& newFolder);

  // --- Undo history and change marks -------------------------------------------------------
  // Before an edit changes a page (−1: the current one): keeps the page as it is, unless the
  // edit continues the open run of typing or deleting. `caret` is where the caret stands now.
  void snapshot(int kind, int pageIndex, const CaretMemo& caret);
  // The next edit starts a step of its own.
  void endUndoRun() { history_.endRun(); }
  // Undo and redo go to the step's page and swap it with the kept copy. `caretNow` is where the
  // caret stands before the swap (kept for the way back). Return the step's page and the caret
  // and selection to restore there; nothing when there is nothing to undo or redo.
  struct Restored {
    int page = -1;
    int kind = 0;
    CaretMemo caret;
  };
  std::optional<Restored> undo(const CaretMemo& caretNow);
  std::optional<Restored> redo(const CaretMemo& caretNow);
  bool undoEnabled() const { return paper_ && history_.canUndo(); }
  bool redoEnabled() const { return paper_ && history_.canRedo(); }
  const UndoHistory& history() const { return history_; }
  UndoHistory& history() { return history_; }
  bool clearChangeMarks();

  // --- Re-composition ------------------------------------------------------------------------
  // Every page in order: joining (when join), side lines, small kana; marks the pages that
  // changed, clears the undo history, then forces a backup that names `path` (the document's
  // path when empty).
  void ReComposeDocument(bool join, const std::string& path);
  // 32761: all pages with joining, then the paper list, the current page and the block entries.
  bool reComposeAllPages();
  // 32762: the current page, with a backup taken before it changes; undone as one step.
  bool reComposeCurrentPage(const CaretMemo& caret = {});
  // Runs after a successful open, append or reload: side lines only, with the opened path.
  std::function<void(CScrivlaDoc&, const std::string& path)> reComposeAfterLoad;

  // --- State the frame and the views read ---------------------------------------------------
  model::PaperData* paper() { return paper_.get(); }
  const model::PaperData* paper() const { return paper_.get(); }
  model::PageData* page(int index);
  const model::PageData* page(int index) const;
  int pageCount() const { return paper_ ? static_cast<int>(paper_->pages.size()) : 0; }
  const std::string& pathName() const { return pathName_; }
  void setPathName(const std::string& path);
  int currentPage() const { return currentPage_; }
  int firstPaperPage() const { return firstPaperPage_; }
  int docModified() const { return docModified_; }
  uint32_t lastBackupTick() const { return lastBackupTick_; }
  double zoom() const { return zoom_; }
  const EditState& editState() const { return editState_; }
  model::BlockEntryTable& blockEntries() { return blockEntries_; }
  const std::vector<recompose::PaperEntry>& paperList() const { return paperList_; }

 private:
  bool loadInto(const std::string& path, bool append);
  void afterSuccessfulOpen(const std::string& path);
  void rebuildAfterLoad();
  bool writePages(const std::string& path, int first, int last,
                  const std::optional<std::string>& documentPath);
  bool askToSaveIfModified();
  void clearAllPageMarks();
  void setPageMark(int pageIndex, bool marked);
  void goToPage(int pageIndex);
  std::optional<Restored> swapStep(UndoStep* step, bool undoing, const CaretMemo& caretNow);
  recompose::ReComposeOptions reComposeOptions() const;
  void forcedBackupWithCaption(const std::string& path);
  void message(const std::string& text, const char* caption);
  void resetObservers();
  // Pictures kept in a private scans folder move into the folder named like `path` before the
  // document is written there: copied first (nothing is overwritten), the pages pointed at the
  // copies, and the originals removed only once the document is written.
  struct PictureMove {
    std::vector<std::pair<model::PageData*, std::u16string>> pages;  // with the old fullpath
    std::vector<std::string> copies;
    std::string madeFolder;  // the folder the move made, removed again when the save fails
  };
  enum class MoveResult { Moved, Refused, Failed };
  MoveResult movePicturesFor(const std::string& path, PictureMove& move);
  void finishPictureMove(PictureMove& move, bool written);
  bool inScansRoot(const std::u16string& path) const;
  // After a recovery: the private folder the recovered pages' pictures are in becomes the
  // document's again.
  void adoptScanFolder();

  appcore::Prompter& prompter_;
  appcore::AppSettings& app_;
  appcore::SettingsStore& settings_;
  const appcore::FrameSettings* frame_;
  const Clock& clock_;
  model::Progress* progress_;
  std::string backupPath_;
  std::string scansRoot_;

  std::vector<DocumentObserver*> modelObservers_;
  std::vector<DocumentObserver*> viewObservers_;
  int batchDepth_ = 0;
  ChangeSet pending_;

  std::unique_ptr<model::PaperData> paper_;
  std::string pathName_;
  const formats::Format* origin_ = nullptr;
  int currentPage_ = -1;
  int firstPaperPage_ = -1;
  int docModified_ = 0;
  std::vector<uint8_t> pageMarks_;  // one per page: 1 while the page has unsaved changes
  uint32_t lastBackupTick_ = 0;
  double zoom_ = 0.5;
  EditState editState_;
  model::BlockEntryTable blockEntries_;
  std::vector<recompose::PaperEntry> paperList_;
  SaveChoice lastSaveChoice_ = SaveChoice::AllPages;
  std::string lastOldImageFolder_, lastNewImageFolder_;
  UndoHistory history_;
  std::optional<imaging::PrivateTempDir> scanFolder_;
  bool nameless_ = false;  // recovered without a name: the shown name is no file
};

}  // namespace vellary::document
