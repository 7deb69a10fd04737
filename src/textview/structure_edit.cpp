// Running the structure edits, and context menus from menu items.
#include "textview/structure_edit.h"

#include <QAction>
#include <QDialog>
#include <QMenu>
#include <algorithm>

#include "editing/caret.h"
#include "views/view_host.h"

namespace vellary::textview {

document::CScrivlaDoc* StructureContext::document() const {
  return host != nullptr ? host->document() : nullptr;
}

editing::EditingContext* StructureContext::editing() const {
  return host != nullptr ? host->editing() : nullptr;
}

int runDialog(const StructureContext& c, QDialog& dialog) {
  return c.runDialog ? c.runDialog(dialog) : dialog.exec();
}

QAction* runMenu(const StructureContext& c, QMenu& menu, const QPoint& globalPos) {
  return c.runMenu ? c.runMenu(menu, globalPos) : menu.exec(globalPos);
}

void runEdit(const StructureContext& c, const std::function<void(editing::EditScope&)>& edit) {
  editing::EditingContext* context = c.editing();
  if (context == nullptr || c.document() == nullptr || c.document()->paper() == nullptr) return;
  editing::EditScope scope(*context);
  edit(scope);
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
