// CCorrectionView: the character menu, candidates, dialog 140, find and replace, rejects.
#include "textview/correction_view.h"

#include <QContextMenuEvent>
#include <QMenu>

#include "appcore/settings.h"
#include "document/document.h"
#include "editing/find_replace_page.h"
#include "editing/reject_nav.h"
#include "textview/char_replace_dialog.h"
#include "textview/character_menu.h"
#include "textview/find_dialogs.h"
#include "textview/image_view.h"
#include "views/view_host.h"

namespace vellary::textview {

using editing::CorrectionContext;

namespace {

const model::BlockEntry* currentEntry(document::CScrivlaDoc& doc, const editing::CaretState& c) {
  const int page = doc.currentPage();
  if (page < 0 || static_cast<size_t>(page) >= doc.blockEntries().pageCount()) return nullptr;
  const auto& entries = doc.blockEntries().page(static_cast<size_t>(page)).entries;
  if (c.entry < 0 || static_cast<size_t>(c.entry) >= entries.size()) return nullptr;
  return &entries[static_cast<size_t>(c.entry)];
}

bool isCandidateItem(int id) {
  return id >= editing::CmdFirstCandidate && id <= editing::CmdLastCandidate;
}

}  // namespace

CCorrectionView::CCorrectionView(const CorrectionSetup& setup, QObject* parent)
    : QObject(parent), setup_(setup) {
  setObjectName("correction");
  popupMenu = [](QMenu& menu, const QPoint& globalPos) { menu.exec(globalPos); };
  runReplaceDialog = [](CCharReplaceDlg& dialog) { return dialog.exec(); };
  if (setup_.view != nullptr) {
    setup_.view->viewport()->installEventFilter(this);
    setup_.view->installEventFilter(this);
  }
}

CCorrectionView::~CCorrectionView() {
  // The dialog outlives nothing it reports to.
  if (findDialog_ != nullptr) {
    findDialog_->onMessage = nullptr;
    delete findDialog_.data();
  }
}

void CCorrectionView::run(const std::function<void(const CorrectionContext&)>& command) {
  document::CScrivlaDoc* doc = setup_.host != nullptr ? setup_.host->document() : nullptr;
  editing::EditingContext* editing = setup_.host != nullptr ? setup_.host->editing() : nullptr;
  if (doc == nullptr || doc->paper() == nullptr || editing == nullptr) return;
  editing::EditScope scope(*editing);
  const CorrectionContext ctx{scope,
                              *doc,
                              editing->state(),
                              *setup_.frame,
                              *setup_.prompter,
                              setup_.registered,
                              &lastPair_,
                              setup_.host->editMode()};
  command(ctx);
}

// --- Candidates and dialog 140 -----------------------------------------------------------------

void CCorrectionView::chooseCandidate(int index) {
  run([index](const CorrectionContext& ctx) { editing::chooseCandidate(ctx, index); });
}

void CCorrectionView::replaceCharacter() {
  run([this](const CorrectionContext& ctx) {
    const auto record = editing::openReplaceCharDialog(ctx);
    if (!record) return;
    CCharReplaceDlg dialog(*record, setup_.view);
    // Its top-left corner at the middle of the text view's client area.
    QWidget* client = setup_.view->viewport();
    dialog.move(client->mapToGlobal(client->rect().center()));
    if (runReplaceDialog(dialog) != QDialog::Accepted) return;
    editing::acceptReplaceCharDialog(ctx, dialog.result());
  });
}

// --- The character menu --------------------------------------------------------------------

bool CCorrectionView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::ContextMenu || setup_.view == nullptr)
    return QObject::eventFilter(watched, event);
  auto& request = *static_cast<QContextMenuEvent*>(event);
  // A click reaches the viewport; the menu key goes to the view, which holds the focus.
  const bool fromKeyboard = request.reason() == QContextMenuEvent::Keyboard;
  if (watched != setup_.view->viewport() && !(watched == setup_.view && fromKeyboard)) return false;
  // Block editing has menus of its own.
  if (setup_.host == nullptr || setup_.host->editMode() != appcore::EditMode::Character)
    return false;
  showContextMenu(request);
  return true;
}

bool CCorrectionView::characterMenuAppliesAt(const editing::CaretState& caret,
                                             const QPoint& viewportPos, bool fromKeyboard) const {
  document::CScrivlaDoc& doc = *setup_.host->document();
  const CImageView& view = *setup_.view;
  const editing::PageLayout& layout = view.layout();
  const QPoint canvas = viewportPos + view.scrollPosition();
  if (!fromKeyboard && layout.params.display == appcore::TextDisplay::Layout) {
    // The layout display shows the page scaled by the zoom: back to page pixels.
    const double zoom = layout.params.zoom > 0 ? layout.params.zoom : 1.0;
    return editing::characterMenuApplies(doc, caret, static_cast<int32_t>(canvas.x() / zoom),
                                         static_cast<int32_t>(canvas.y() / zoom));
  }
  // The text-flow display places lines away from their page boxes, and a menu key has no point:
  // the click counts as inside the current entry when it is on one of its lines, or comes from
  // the keyboard.
  const model::BlockEntry* entry = currentEntry(doc, caret);
  if (entry == nullptr) return false;
  if (!fromKeyboard) {
    const editing::PageLayout::Hit hit = layout.hit(canvas.x(), canvas.y());
    if (hit.line == nullptr || hit.line->block != caret.caret.block) return false;
  }
  return editing::characterMenuApplies(doc, caret, entry->x + entry->width / 2,
                                       entry->y + entry->height / 2);
}

void CCorrectionView::runMenuItem(int id) {
  if (isCandidateItem(id))
    chooseCandidate(id - editing::CmdFirstCandidate);
  else if (id == editing::CmdReplaceCharacter)
    replaceCharacter();
  else if (runCharacterItem)
    runCharacterItem(id);
}

void CCorrectionView::showContextMenu(const QContextMenuEvent& event) {
  document::CScrivlaDoc* doc = setup_.host->document();
  if (doc == nullptr || doc->paper() == nullptr) return;
  CImageView& view = *setup_.view;
  const editing::CaretState caret = view.caretState();

  const bool fromKeyboard = event.reason() == QContextMenuEvent::Keyboard;
  QPoint at = event.globalPos();
  QMenu menu(&view);
  menu.setObjectName("characterMenu");
  if (characterMenuAppliesAt(caret, event.pos(), fromKeyboard)) {
    const editing::ContextMenu items = editing::buildCharacterMenu(caret, setup_.explanations);
    // A selection across lines gets no menu at all.
    if (items.kind != editing::ContextMenu::Kind::Character) return;
    addMenuItems(
        menu, items, [this](int id) { runMenuItem(id); },
        [this](int id) {
          return isCandidateItem(id) || id == editing::CmdReplaceCharacter ||
                 static_cast<bool>(runCharacterItem);
        });
    if (items.selectionItemsFollow && addSelectionItems) addSelectionItems(menu);
    if (fromKeyboard) {
      const QRect box = view.selectionRect();
      if (!box.isNull()) at = view.viewport()->mapToGlobal(box.center() - view.scrollPosition());
    }
  } else {
    addPageMenuItems(menu, *doc);
  }
  if (menu.isEmpty()) return;
  popupMenu(menu, at);
}

// --- Find and replace ----------------------------------------------------------------------

bool CCorrectionView::findCommandsEnabled() const {
  const document::CScrivlaDoc* doc = setup_.host != nullptr ? setup_.host->document() : nullptr;
  return doc != nullptr && doc->paper() != nullptr;
}

void CCorrectionView::openFindDialog(editing::FindDialogKind kind) {
  if (findDialog_ != nullptr || !findCommandsEnabled()) return;
  bool opened = false;
  run([this, kind, &opened](const CorrectionContext& ctx) {
    opened = editing::openFindDialog(ctx, find_, editing::programFindBuffers(), kind);
    findPage_ = ctx.doc.page(ctx.doc.currentPage());
  });
  if (!opened) return;
  auto* dialog =
      new CFindReplaceDlg(kind, editing::programFindBuffers(), find_.matchCase, setup_.view);
  dialog->onMessage = [this](const editing::FindMessage& m) { findMessage(m); };
  findDialog_ = dialog;
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
  keepFindDialogClearOfSelection();
}

void CCorrectionView::keepFindDialogClearOfSelection() {
  CImageView* view = setup_.view;
  if (findDialog_ == nullptr || view == nullptr || view->caretState().selection.empty()) return;
  const QRect hit = view->selectionRect().translated(-view->scrollPosition());
  findDialog_->keepClearOf(QRect(view->viewport()->mapToGlobal(hit.topLeft()), hit.size()));
}

void CCorrectionView::findMessage(const editing::FindMessage& message) {
  run([this, &message](const CorrectionContext& ctx) {
    // The page changed (or an undo replaced it) since the text was taken.
    if (ctx.doc.page(ctx.doc.currentPage()) != findPage_) editing::findPageChanged(ctx, find_);
    editing::handleFindMessage(ctx, find_, editing::programFindBuffers(), message);
    findPage_ = ctx.doc.page(ctx.doc.currentPage());
  });
  // A hit the dialog covers is out of the reader's sight: the dialog makes way.
  if (message.action != editing::FindMessage::Action::Close) keepFindDialogClearOfSelection();
  if (message.action == editing::FindMessage::Action::Close) {
    // Also when the document went away while the dialog was open.
    find_.open = editing::FindDialogKind::None;
    find_.matchCase = message.matchCase;
    findPage_ = nullptr;
    findDialog_ = nullptr;
  }
}

// --- Rejects -------------------------------------------------------------------------------

void CCorrectionView::gotoReject(bool next) {
  if (setup_.view == nullptr) return;
  // A first press selects a reject under the caret; with its highlight shown, the next press
  // moves on.
  const bool highlighted = !setup_.view->caretState().selection.empty();
  run([next, highlighted](const CorrectionContext& ctx) {
    editing::gotoReject(ctx, next, highlighted);
  });
}

}  // namespace vellary::textview
