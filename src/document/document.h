// CScrivlaDoc: the one open document. It owns the loaded PaperData and everything that belongs
// to the open file: path, current page, modified state, backup timing, block entries, paper list
// and the one-page undo store. It shows nothing itself: questions and messages go through the
// Prompter, progress through Progress, and what the views must do through DocumentViews.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "appcore/prompter.h"
#include "appcore/settings.h"
#include "appcore/settings_store.h"
#include "model/block_entries.h"
#include "model/progress.h"
#include "model/records.h"
#include "recompose/options.h"
#include "recompose/paper_list.h"
#include "seams.h"

namespace vellary::document {

// Command identifiers handled here.
enum Command : int {
  CmdZoom10 = 32874,  // … CmdZoom100 = 32883: scale (id − 32873) ÷ 10
  CmdZoom100 = 32883,
  CmdNextPage = 32785,
  CmdPreviousPage = 32786,
  CmdUndo = 32774,
  CmdBlockEdit = 32771,
  CmdReComposeAll = 32761,
  CmdReComposePage = 32762,
};

// Undo kinds: which editing operation took the snapshot.
enum UndoKind : int {
  UndoTyping = 1,
  UndoDeleting = 2,
  UndoBlockDelete = 3,
  UndoReplace = 7,
  UndoRuby = 8,
  UndoOrientation = 9,
  UndoOrientationReset = 10,
  UndoEmphasis = 11,
  UndoSideLineDelete = 12,
  UndoByUndo = 13,
};

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
  DocumentViews* views = nullptr;
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
};

// The loading and joining options as the frame's settings hold them.
recompose::ReComposeOptions reComposeOptionsFrom(const appcore::FrameSettings& frame);

class CScrivlaDoc {
 public:
  explicit CScrivlaDoc(const DocumentSetup& setup);
  ~CScrivlaDoc();

  // --- Reading ---------------------------------------------------------------------------
  // Reads a file into the document, alone or appended to the open one. Failures are shown.
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
  bool save();
  bool saveTo(const std::string& path);
  SaveAsResult saveAs(const std::string& path, SaveChoice choice, int firstPage, int lastPage);
  SaveChoice lastSaveChoice() const { return lastSaveChoice_; }
  // Writes the backup when due (or forced); `path` is the document it stands for.
  void backupCheck(bool force, const std::string& path = {});
  // At start-up: offers to restore the backup of a run that ended abnormally.
  void offerRecovery();
  // At normal exit.
  void deleteBackup();
  // Before the window closes: the save question for a modified document. false when the user
  // cancelled (the window stays open) or the save failed.
  bool saveModifiedBeforeClosing() { return askToSaveIfModified(); }

  // --- Pages, scale, marks -----------------------------------------------------------------
  void markPage(int pageNumber);  // 1-based; 0 or less: the current page
  int nextPage();
  int previousPage();
  // Selects a page from the page list (0-based).
  void setCurrentPage(int pageIndex);
  bool zoomCommand(int commandId);
  bool isZoomChecked(int commandId) const;
  // The dialog's initial folders: the first page's image folder (or the previous use) and the
  // previous new folder.
  std::pair<std::string, std::string> imageFolderDefaults() const;
  // Moves every page image path that begins with oldFolder to newFolder.
  void changeImageFolder(const std::string& oldFolder, const std::string& newFolder);

  // --- Undo and change marks ---------------------------------------------------------------
  void snapshot(int kind, int pageIndex = -1);
  bool undo();
  bool undoEnabled() const { return paper_ && undoAvailable_ == 1; }
  bool clearChangeMarks();

  // --- Re-composition ------------------------------------------------------------------------
  // Every page in order: joining (when join), side lines, small kana; marks the pages that
  // changed, greys undo, then forces a backup that names `path` (the document's path when empty).
  void ReComposeDocument(bool join, const std::string& path);
  // 32761: all pages with joining, then the paper list, the current page and the block entries.
  bool reComposeAllPages();
  // 32762: the current page, with a backup taken before it changes.
  bool reComposeCurrentPage();
  // Runs after a successful open, append or reload: side lines only, with the opened path.
  std::function<void(CScrivlaDoc&, const std::string& path)> reComposeAfterLoad;

  // --- State the frame and the views read ---------------------------------------------------
  model::PaperData* paper() { return paper_.get(); }
  const model::PaperData* paper() const { return paper_.get(); }
  model::PageData* page(int index);
  const std::string& pathName() const { return pathName_; }
  void setPathName(const std::string& path) { pathName_ = path; }
  int currentPage() const { return currentPage_; }
  int firstPaperPage() const { return firstPaperPage_; }
  int docModified() const { return docModified_; }
  uint32_t lastBackupTick() const { return lastBackupTick_; }
  double zoom() const { return zoom_; }
  const EditState& editState() const { return editState_; }
  model::BlockEntryTable& blockEntries() { return blockEntries_; }
  const std::vector<recompose::PaperEntry>& paperList() const { return paperList_; }
  int undoKind() const { return undoKind_; }
  int undoPage() const { return undoPage_; }

 private:
  bool loadInto(const std::string& path, bool append);
  void afterSuccessfulOpen(const std::string& path);
  void rebuildAfterLoad();
  bool writePages(const std::string& path, int first, int last,
                  const std::optional<std::string>& documentPath);
  bool askToSaveIfModified();
  void clearAllPageMarks();
  void pageChanged();
  recompose::ReComposeOptions reComposeOptions() const;
  void forcedBackupWithCaption(const std::string& path);
  void message(const std::string& text, const char* caption);

  appcore::Prompter& prompter_;
  DocumentViews& views_;
  appcore::AppSettings& app_;
  appcore::SettingsStore& settings_;
  const appcore::FrameSettings* frame_;
  const Clock& clock_;
  model::Progress* progress_;
  std::string backupPath_;

  std::unique_ptr<model::PaperData> paper_;
  std::string pathName_;
  int currentPage_ = -1;
  int firstPaperPage_ = -1;
  int docModified_ = 0;
  uint32_t lastBackupTick_ = 0;
  double zoom_ = 0.5;
  EditState editState_;
  model::BlockEntryTable blockEntries_;
  std::vector<recompose::PaperEntry> paperList_;
  SaveChoice lastSaveChoice_ = SaveChoice::AllPages;
  std::string lastOldImageFolder_, lastNewImageFolder_;

  // The one-page undo store: at most one page, whose node later snapshots reuse.
  std::list<model::PageData> undoStore_;
  int undoAvailable_ = 0;
  int undoKind_ = 0;
  int undoPage_ = -1;
  CaretState undoCaret_{};
  int undoSelStart_ = -1, undoSelEnd_ = -1;
};

}  // namespace vellary::document
