// What the structure edits of the text view share: what they reach besides the view, running an
// editing call in an edit scope of the editing context, and context menus built from menu items as
// data.
#pragma once

#include <QPoint>
#include <functional>
#include <vector>

#include "editing/block_edit_common.h"
#include "editing/editing_context.h"

class QAction;
class QDialog;
class QMenu;

namespace vellary::appcore {
struct FrameSettings;
class Prompter;
}  // namespace vellary::appcore

namespace vellary::views {
class ViewHost;
}

namespace vellary::textview {

class CImageView;

// Every pointer outlives the objects given the context. The functions are optional: without them
// dialogs and menus run modally, and nothing is told of changed command states.
struct StructureContext {
  CImageView* view = nullptr;
  views::ViewHost* host = nullptr;                // the edit mode and the document
  const appcore::FrameSettings* frame = nullptr;  // joining options, emphasis mark; null: defaults
  appcore::Prompter* prompter = nullptr;          // the dialogs' refusals
  // Shows a dialog and returns its result (QDialog::Accepted or Rejected).
  std::function<int(QDialog&)> runDialog;
  // Shows a menu at a global position and returns the action chosen, or null.
  std::function<QAction*(QMenu&, const QPoint&)> runMenu;

  document::CScrivlaDoc* document() const;
  editing::EditingContext* editing() const;
};

int runDialog(const StructureContext& c, QDialog& dialog);
QAction* runMenu(const StructureContext& c, QMenu& menu, const QPoint& globalPos);

// Runs `edit` as one command in an edit scope of the editing context; nothing without a document.
void runEdit(const StructureContext& c, const std::function<void(editing::EditScope&)>& edit);

// The items as actions of `menu`: each action's data is its command id, a checked item is
// checkable and checked, a sub-menu becomes a sub-menu. Items that start a new column split their
// sub-menu into groups of sub-menus captioned by their first and last items ("1 - 10", …).
void fillMenu(QMenu& menu, const std::vector<editing::MenuItem>& items);
// The command id of an action filled in by fillMenu; 0 for none.
int commandOf(const QAction* action);

}  // namespace vellary::textview
