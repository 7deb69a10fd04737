// CMainFrame: the editor's main window. It owns the document, the editing context, the three views
// and the inner 2 × 2 grid they are arranged in, the display and edit modes, the user's settings
// between start-up and exit, and the command table from which menus and toolbar are built. It
// listens to the document's change sets like the views do: after each it brings every command's
// state, the title and the page counter up to date.
#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/arrangement.h"
#include "app/commands.h"
#include "appcore/char_tables.h"
#include "appcore/recent_files.h"
#include "appcore/settings.h"
#include "appcore/settings_store.h"
#include "appcore/window_placement.h"
#include "document/document.h"
#include "settings_ui/standard_dialogs.h"
#include "views/preview_cache.h"
#include "views/view_host.h"

class QLabel;
class QSplitter;

namespace vellary::views {
class CDrawView;
class CPSelectView;
}  // namespace vellary::views

namespace vellary::textview {
class CImageView;
class CCorrectionView;
class BlockEditController;
}  // namespace vellary::textview

namespace vellary::editing {
class Editor;
class EditingContext;
}  // namespace vellary::editing

namespace vellary::app {

using textview::CImageView;
class LockKeyPanes;

// What the frame is given by the application object; all references outlive the frame.
struct FrameContext {
  appcore::AppSettings& app;
  appcore::FrameSettings& frame;
  appcore::SettingsStore& store;
  appcore::Prompter& prompter;
  model::Progress* progress = nullptr;
  const document::Clock& clock;
  std::string backupPath;
  views::PreviewCache previews;
  // The application's character tables, which the settings sheet edits; without them the sheet
  // is not offered.
  appcore::CharTable* registered = nullptr;
  appcore::CharTable* explanations = nullptr;
  // Where documents recognised from scans keep their page pictures until they are saved
  // (appcore::scanPicturesRoot); empty: File ▸ 画像から認識 says it cannot.
  std::string scansRoot{};
};

// The file dialogs' answers. The frame asks through these so that tests can answer instead.
struct OpenChoice {
  std::string path;
  bool append = false;
};
struct SaveAsChoice {
  std::string path;
  document::SaveChoice range = document::SaveChoice::AllPages;
  int first = 0, last = 0;  // 1-based page numbers of a range
};
// The export dialog's answer: the file, the file-type entry (1-based) and the range as typed.
struct ExportChoice {
  std::string path;
  int filterEntry = 1;
  document::SaveChoice range = document::SaveChoice::AllPages;
  int first = 0, last = 0;  // 1-based page numbers of a range
};
struct FrameDialogs {
  std::function<std::optional<OpenChoice>(const QString& folder)> open;
  // `previous` preselects the range choice and numbers; a refused range shows the dialog again.
  std::function<std::optional<SaveAsChoice>(const SaveAsChoice& previous)> saveAs;
  // The old and new image folders, from the old and new folders offered.
  std::function<std::optional<std::pair<std::string, std::string>>(const std::string& oldFolder,
                                                                   const std::string& newFolder)>
      imageFolder;
  std::function<std::optional<std::string>(const QString& caption, const QString& filter,
                                           bool save)>
      settingsFile;
  // `previous` preselects the file-type entry, range choice and numbers.
  std::function<std::optional<ExportChoice>(const ExportChoice& previous)> exportFile;
  // The pictures and PDFs to recognise (none when cancelled), from the folder offered.
  std::function<std::vector<std::string>(const QString& folder)> scans;
  // The file, colour and font dialogs the settings sheet's pages open.
  std::shared_ptr<settings_ui::StandardDialogs> common;
};

class CMainFrame : public QMainWindow, public document::DocumentObserver, public views::ViewHost {
  Q_OBJECT

 public:
  explicit CMainFrame(FrameContext context);
  ~CMainFrame() override;

  CommandTable& commands() { return commands_; }
  document::CScrivlaDoc& doc() { return *doc_; }
  FrameDialogs& dialogs() { return dialogs_; }
  const appcore::RecentFileList& recentFiles() const { return recent_; }
  views::CPSelectView& pageList() { return *pageList_; }
  views::CDrawView& imageView() { return *imageView_; }
  CImageView& textView() { return *textView_; }
  textview::CCorrectionView& correction() { return *correction_; }
  // The caret and selection of the document and the commands that edit it.
  editing::EditingContext& editingContext() { return *editing_; }
  // Character editing on the document: the caret state the text view shows.
  editing::Editor& editor();
  const ArrangementState& arrangementState() const { return state_; }
  appcore::ImagePane imagePaneValue() const { return imagePane_; }
  bool blockNumbersShown() const { return context_.frame.showBlockNumbers != 0; }
  QString pageCounterText() const;
  // The caret's character and place as the status bar shows them; empty without a caret.
  QString caretStatusText() const;
  LockKeyPanes& lockKeyPanes() { return *lockPanes_; }
  // The grid cell a view is in.
  Cell cellOf(const QWidget* view) const;
  // The pane sizes as the splitters hold them.
  PaneSizes paneSizes() const;

  // Start-up: shows the window as it was left, maximised or not; a window always fits the screen
  // it opens on (the constructor placed it there).
  void showAsStored();
  // A shown window whose frame reaches past its screen's available area is moved and cut to fit.
  void keepOnScreen();
  // Start-up's last steps: the stored modes and arrangement.
  void applyStoredArrangement();
  // Opens a file alone (command line, recent file, dropped file).
  bool openFile(const std::string& path);
  // Files dropped on the window (local paths): pictures and PDFs are recognised into a new
  // document, a document file is opened.
  void dropFiles(const std::vector<std::string>& paths);
  // File ▸ 画像から認識 after its dialog: the save question for the open document, then the
  // pages recognised in the background with the progress dialog (Cancel keeps the pages done),
  // and the result opened as a new document without a name.
  void recogniseScans(const std::vector<std::string>& files);
  // Re-lays out the grid for the modes and the window's size.
  void relayout();
  // The window placement and pane sizes as they would be saved now.
  appcore::WindowSettings windowPlacement() const;
  // The one-line image's side or offset changed: the window is placed again beside the caret line.
  void placeLineImageAgain();

  // document::DocumentObserver
  void documentChanged(const document::ChangeSet& changes) override;

  // views::ViewHost
  document::CScrivlaDoc* document() override { return doc_.get(); }
  editing::EditingContext* editing() override { return editing_.get(); }
  appcore::EditMode editMode() const override { return editMode_; }
  appcore::TextDisplay textDisplay() const override { return state_.textDisplay; }
  appcore::ImagePane imagePane() const override { return imagePane_; }
  void focusTextView() override;
  const views::PackedPicture* pagePicture() const override;
  void syncScroll(int which, int x, int y) override;
  appcore::ZoomFit zoomFit() const override { return zoomFit_; }
  void chooseZoomFit(appcore::ZoomFit fit) override;
  void chooseZoomStep(int commandId) override;

  // What the command rules look at, as things stand now.
  appcore::CommandFacts commandFacts() const;
  // Tells the views that the display changed (modes, colours, settings): they draw again.
  void displayChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void buildClient();
  // The window's own area on the screen it opens on, fitted to that screen from the stored
  // placement (`stored` false on a first start); the window takes it.
  QRect placeOnScreen(const appcore::WindowSettings& window, bool stored);
  // What the window manager's frame adds around the window: measured once shown, estimated
  // before.
  appcore::FrameMargins frameAllowance() const;
  void buildCommands();  // frame_commands.cpp
  void buildMenus();     // frame_commands.cpp
  void buildToolBar();   // frame_commands.cpp
  void placeViews();
  void lockHandles();
  bool hasPages() const;
  void chooseArrangement(int arrangement);
  void setDisplayMode(appcore::TextDisplay display, appcore::ImagePane pane);
  void setEditMode(appcore::EditMode mode);
  // After a load: the edit mode the document asks for.
  void afterDocumentChange();
  // The caption names the document's file.
  void updateTitle();
  void showPageCounter();
  void showCaretStatus();
  // The scale that fits the page to the text view as it is now, when the scale follows the view.
  void applyZoomFit();
  // PageDown with the view at the end of its page turns to the next page, PageUp at its start to
  // the previous one, shown from its end. true when the key turned the page.
  bool turnPageByKey(int key);
  // The undo and redo items say what they would undo and redo.
  void updateUndoCaptions();
  // Command handlers with dialogs.
  void onOpen();
  void onSave();
  // true when the document was saved.
  bool onSaveAs();
  void onExport();
  void onReload();
  void onImageFolder();
  void onSettingsExport();
  void onSettingsImport();
  void onSettingsSheet();
  void onManual();
  void onAbout();
  void onRecogniseScans();  // frame_recognise.cpp
  // 認識 ▸ このページを再認識 / すべてのページを再認識.
  void onRecognisePages(bool all);  // frame_recognise.cpp
  // Opens entry `index` of the recent-file list; an entry that no longer opens leaves the list.
  void onRecentFile(int index);

  FrameContext context_;
  FrameDialogs dialogs_;
  CommandTable commands_;
  std::unique_ptr<document::CScrivlaDoc> doc_;
  std::unique_ptr<editing::EditingContext> editing_;
  ArrangementState state_;
  appcore::ImagePane imagePane_ = appcore::ImagePane::TextOnly;
  appcore::EditMode editMode_ = appcore::EditMode::Character;
  SaveAsChoice lastSaveAs_;
  // The folder the scans dialog last chose, and the name Save As offers a document from scans:
  // beside its first picture, named after it.
  std::string scansFolder_;
  std::string scansSaveName_;
  ExportChoice lastExport_;
  appcore::RecentFileList recent_{0};
  // Shows the recent files as the File menu's numbered entries.
  void refreshRecentFiles();
  void addRecentFile(const std::string& path);
  bool clientReady_ = false;

  QSplitter* outer_ = nullptr;
  QSplitter* rows_ = nullptr;
  std::array<QSplitter*, 2> rowSplit_{};
  std::array<std::array<QWidget*, 2>, 2> cells_{};
  views::CPSelectView* pageList_ = nullptr;
  CImageView* textView_ = nullptr;
  views::CDrawView* imageView_ = nullptr;
  std::array<QWidget*, 2> dummies_{};
  QLabel* counter_ = nullptr;
  QLabel* caretStatus_ = nullptr;
  appcore::ZoomFit zoomFit_ = appcore::ZoomFit::None;
  // The scale the fit last gave: a different one came from a step (wheel, list), which ends the
  // fit.
  double fittedZoom_ = 0;
  bool fitPending_ = false;
  LockKeyPanes* lockPanes_ = nullptr;
  // The character menu, candidates, character replacement, find and replace, rejects.
  std::unique_ptr<textview::CCorrectionView> correction_;
  // Block editing's mouse, menus and Delete key; owned by the text view.
  textview::BlockEditController* blockEditing_ = nullptr;
};

}  // namespace vellary::app
