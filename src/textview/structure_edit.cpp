// The caret rule and the redraw of the structure edits, and context menus from menu items.
#include "textview/structure_edit.h"

#include <QAction>
#include <QDialog>
#include <QMenu>
#include <algorithm>

#include "editing/caret.h"
#include "textview/image_view.h"
#include "views/view_host.h"

namespace vellary::textview {

document::CScrivlaDoc* StructureContext::document() const {
  return host != nullptr ? host->document() : nullptr;
}

int runDialog(const StructureContext& c, QDialog& dialog) {
  return c.runDialog ? c.runDialog(dialog) : dialog.exec();
}

QAction* runMenu(const StructureContext& c, QMenu& menu, const QPoint& globalPos) {
  return c.runMenu ? c.runMenu(menu, globalPos) : menu.exec(globalPos);
}

void editOnCaretCopy(const StructureContext& c,
                     const std::function<editing::StructureRedraw(editing::CaretState&)>& edit) {
  if (c.view == nullptr || c.document() == nullptr) return;
  editing::CaretState copy = c.view->caretState();
  const editing::StructureRedraw r = edit(copy);
  // The old caret line may have left the page with its block (deleted or merged); the view
  // redraws only lines its new layout holds.
  c.view->setCaretState(copy);
  applyStructureRedraw(c, r);
}

void applyStructureRedraw(const StructureContext& c, const editing::StructureRedraw& r) {
  CImageView& view = *c.view;
  // Frames, the highlight and the caret are painted over the page image at every paint; the page
  // image itself changes only with a line or the whole page.
  bool repaint = !r.frames.empty() || r.highlight || r.repaint;
  if (r.rebuildPage) {
    view.onUpdate(document::HintAll);
  } else if (r.line != nullptr) {
    view.redrawLine(r.line, true);
  }
  if (r.caret && c.host != nullptr) {
    c.host->reestablishCaret();
    repaint = true;
  }
  if (repaint) view.viewport()->update();
  if (r.allViewsHint >= 0 && c.host != nullptr) c.host->updateViews(r.allViewsHint);
  if ((r.enableCharEditing || r.allViewsHint >= 0 || !r.frames.empty()) && c.commandsChanged)
    c.commandsChanged();
}

namespace {

QAction* addCommand(QMenu& menu, const editing::MenuItem& item) {
  QAction* a = menu.addAction(QString::fromStdString(item.caption));
  a->setData(item.id);
  a->setEnabled(item.enabled);
  if (item.checked) {
    a->setCheckable(true);
    a->setChecked(true);
  }
  return a;
}

void addItem(QMenu& menu, const editing::MenuItem& item);

// A long list shown as sub-menus of one column each: the platform's menus cannot be asked to
// start a column at a given item.
void addColumns(QMenu& menu, const std::vector<editing::MenuItem>& items) {
  size_t start = 0;
  while (start < items.size()) {
    size_t end = start + 1;
    while (end < items.size() && !items[end].newColumn) ++end;
    QMenu* column =
        menu.addMenu(QString::fromStdString(items[start].caption) + QStringLiteral(" - ") +
                     QString::fromStdString(items[end - 1].caption));
    for (size_t i = start; i < end; ++i) addItem(*column, items[i]);
    start = end;
  }
}

void addItem(QMenu& menu, const editing::MenuItem& item) {
  if (item.separator) {
    menu.addSeparator();
  } else if (item.id == 0 && !item.caption.empty()) {
    QMenu* sub = menu.addMenu(QString::fromStdString(item.caption));
    sub->setEnabled(item.enabled);
    fillMenu(*sub, item.items);
  } else {
    addCommand(menu, item);
  }
}

}  // namespace

void fillMenu(QMenu& menu, const std::vector<editing::MenuItem>& items) {
  const bool columns = std::any_of(items.begin(), items.end(),
                                   [](const editing::MenuItem& m) { return m.newColumn; });
  if (columns) {
    addColumns(menu, items);
    return;
  }
  for (const editing::MenuItem& item : items) addItem(menu, item);
}

int commandOf(const QAction* action) {
  return action != nullptr && action->data().isValid() ? action->data().toInt() : 0;
}

}  // namespace vellary::textview
