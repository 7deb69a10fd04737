// CCorrectionView: the correcting commands of the text view in character editing. It shows the
// character menu on a right click (an event filter on the view's viewport), chooses candidates,
// runs the replacement dialog, owns the find and replace dialogs and steps through rejects. The
// logic lives in editing/; this object gathers what a command needs and runs it in an edit scope
// of the editing context, whose change set tells the views what to draw again.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <functional>

#include "editing/candidates.h"
#include "editing/editing_context.h"
#include "editing/find_replace.h"
#include "textview/find_dialogs.h"
#include "views/view_host.h"

class QMenu;
class QContextMenuEvent;

namespace vellary::appcore {
struct FrameSettings;
class CharTable;
class Prompter;
}  // namespace vellary::appcore

namespace vellary::textview {

class CImageView;
class CCharReplaceDlg;

// What the commands reach; every pointer outlives the object. `registered` and `explanations`
// may be null: then nothing is registered, no explanation is shown.
struct CorrectionSetup {
  CImageView* view = nullptr;
  views::ViewHost* host = nullptr;  // the document and the modes
  appcore::FrameSettings* frame = nullptr;
  appcore::Prompter* prompter = nullptr;
  appcore::CharTable* registered = nullptr;
  const appcore::CharTable* explanations = nullptr;
};

class CCorrectionView : public QObject {
  Q_OBJECT

 public:
  // Installs the character menu on the view's viewport (clicks) and the view (the menu key).
  explicit CCorrectionView(const CorrectionSetup& setup, QObject* parent = nullptr);
  ~CCorrectionView() override;

  // --- Commands ------------------------------------------------------------------------------
  // 32846 and 32847: enabled while a document is open.
  bool findCommandsEnabled() const;
  // Opens the find or replace dialog; nothing while one of them is open.
  void openFindDialog(editing::FindDialogKind kind);
  // 32952 and 32958, in character editing only.
  void gotoReject(bool next);
  // 34001 + index and 34000, for the caret character the menu was opened on.
  void chooseCandidate(int index);
  void replaceCharacter();

  // The open find or replace dialog, or null.
  CFindReplaceDlg* findDialog() const { return findDialog_; }
  const editing::FindReplaceState& findState() const { return find_; }
  const editing::LastRegisteredPair& lastRegisteredPair() const { return lastPair_; }

  // --- Where the menu and the dialog are shown (tests answer in their place) ------------------
  // Shows the menu at a screen point; choosing an item triggers its action.
  std::function<void(QMenu& menu, const QPoint& globalPos)> popupMenu;
  // Runs dialog 140 and returns QDialog::Accepted or Rejected.
  std::function<int(CCharReplaceDlg& dialog)> runReplaceDialog;

  // --- Items other parts of the view carry out ------------------------------------------------
  // Appends the items for a selection within one line (ruby, emphasis, orientation).
  std::function<void(QMenu& menu)> addSelectionItems;
  // Runs the caret character's own items (ruby edit and delete, emphasis delete, normal
  // character); without it those items are shown disabled.
  std::function<void(int id)> runCharacterItem;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Runs a command in an edit scope of the editing context. Nothing without a document.
  void run(const std::function<void(const editing::CorrectionContext&)>& command);
  void showContextMenu(const QContextMenuEvent& event);
  // Whether the right click at a viewport point gets the character menu.
  bool characterMenuAppliesAt(const editing::CaretState& caret, const QPoint& viewportPos,
                              bool fromKeyboard) const;
  void findMessage(const editing::FindMessage& message);
  // Moves an open find or replace dialog off the selected hit.
  void keepFindDialogClearOfSelection();
  void runMenuItem(int id);

  CorrectionSetup setup_;
  editing::LastRegisteredPair lastPair_;
  editing::FindReplaceState find_;
  QPointer<CFindReplaceDlg> findDialog_;
  // The page the search text was taken from: another page (or the page replaced by an undo)
  // means the text and the search position are taken again. Only compared, never followed.
  const model::PageData* findPage_ = nullptr;
};

}  // namespace vellary::textview
