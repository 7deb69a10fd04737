// Real menus from the menu records of character editing: the character menu's items (the
// recogniser's candidates, the replacement, the caret character's own items) and the page menu.
#pragma once

#include <QString>
#include <functional>

#include "editing/candidates.h"

class QMenu;
class QAction;

namespace vellary::document {
class CScrivlaDoc;
}

namespace vellary::textview {

// An item's command id is kept in its action's data.
int menuItemId(const QAction* action);

// The text a menu item shows. Candidate texts are shown as they are, so an "&" among them is
// doubled rather than taken as a mnemonic.
QString menuItemText(const editing::CharMenuItem& item);

// Appends the items of `menu` to `target`: separators, checked and disabled items as the records
// say. Triggering an item calls `run` with its id; an item whose id `handles` refuses is shown
// disabled (its command is not available here).
void addMenuItems(QMenu& target, const editing::ContextMenu& menu,
                  const std::function<void(int id)>& run,
                  const std::function<bool(int id)>& handles = {});

// "次のページへ" and "前のページへ", each enabled when there is a page to go to; they open that
// page (which gives the focus back to the text view). Nothing is added without pages. Used
// wherever a right click in the text view finds no other menu.
void addPageMenuItems(QMenu& menu, document::CScrivlaDoc& doc);

}  // namespace vellary::textview
