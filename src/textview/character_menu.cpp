// Menu records turned into QMenu actions, and the page menu.
#include "textview/character_menu.h"

#include <QAction>
#include <QMenu>

#include "document/document.h"

namespace vellary::textview {

int menuItemId(const QAction* action) { return action != nullptr ? action->data().toInt() : 0; }

QString menuItemText(const editing::CharMenuItem& item) {
  QString text = QString::fromStdU16String(item.text);
  const bool candidate =
      item.id >= editing::CmdFirstCandidate && item.id <= editing::CmdLastCandidate;
  if (candidate) text.replace(u'&', QStringLiteral("&&"));
  return text;
}

void addMenuItems(QMenu& target, const editing::ContextMenu& menu,
                  const std::function<void(int id)>& run,
                  const std::function<bool(int id)>& handles) {
  for (const editing::CharMenuItem& item : menu.items) {
    if (item.isSeparator()) {
      target.addSeparator();
      continue;
    }
    QAction* action = target.addAction(menuItemText(item));
    action->setData(item.id);
    if (item.checked) {
      action->setCheckable(true);
      action->setChecked(true);
    }
    const bool available = !handles || handles(item.id);
    action->setEnabled(item.enabled && available && run);
    const int id = item.id;
    QObject::connect(action, &QAction::triggered, &target, [run, id] {
      if (run) run(id);
    });
  }
}

void addPageMenuItems(QMenu& menu, document::CScrivlaDoc& doc) {
  const editing::ContextMenu pages = editing::buildPageMenu(doc);
  if (pages.kind != editing::ContextMenu::Kind::Page) return;
  document::CScrivlaDoc* d = &doc;
  addMenuItems(menu, pages, [d](int id) {
    if (id == appcore::IdNextPage)
      d->nextPage();
    else if (id == appcore::IdPreviousPage)
      d->previousPage();
  });
}

}  // namespace vellary::textview
