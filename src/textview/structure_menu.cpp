// The side-line and orientation commands of character editing and their menu items.
#include "textview/structure_menu.h"

#include <QAction>
#include <QMenu>

#include "appcore/settings.h"
#include "editing/ruby_edit.h"
#include "editing/ruby_edit_modify.h"
#include "textview/image_view.h"
#include "textview/ruby_dialogs.h"

namespace vellary::textview {

namespace {

using editing::EditScope;

bool addRubyByDialog(const StructureContext& c) {
  std::optional<editing::RubySetDialog> state = editing::openRubySetDialog(c.view->caretState());
  if (!state) return false;
  RubySetDialogWidget dialog(*state, c.view);
  if (runDialog(c, dialog) != QDialog::Accepted || !state->okEnabled()) return false;
  runEdit(c, [&](EditScope& scope) { editing::addRuby(scope, state->ruby); });
  return true;
}

bool modifyRubyByDialog(const StructureContext& c) {
  if (c.prompter == nullptr || c.editing() == nullptr) return false;
  std::optional<editing::RubyModifyDialog> state =
      editing::RubyModifyDialog::open(c.editing()->state());
  if (!state) return false;
  RubyModifyDialogWidget dialog(*state, *c.prompter, c.view);
  const bool accepted = runDialog(c, dialog) == QDialog::Accepted;
  // Cancel matters as much as OK: the range buttons changed the records already.
  runEdit(c, [&](EditScope& scope) {
    if (accepted)
      state->accept(scope);
    else
      state->cancel(scope);
  });
  return accepted;
}

}  // namespace

int addSelectionItems(QMenu& menu, const StructureContext& context) {
  if (context.view == nullptr || context.document() == nullptr) return 0;
  const std::vector<editing::MenuItem> items =
      editing::sideLineMenuItems(context.view->caretState());
  int added = 0;
  for (const editing::MenuItem& item : items) {
    if (item.separator) {
      menu.addSeparator();
      continue;
    }
    QAction* a = menu.addAction(QString::fromStdString(item.caption));
    a->setData(item.id);
    const int id = item.id;
    QObject::connect(a, &QAction::triggered, &menu,
                     [context, id] { runSideLineCommand(context, id); });
    ++added;
  }
  return added;
}

bool runSideLineCommand(const StructureContext& c, int commandId) {
  if (c.view == nullptr || c.document() == nullptr) return false;
  switch (commandId) {
    case editing::CmdSideways:
    case editing::CmdTateChuYoko: {
      const int32_t code =
          commandId == editing::CmdSideways ? model::kSideways : model::kTateChuYoko;
      runEdit(c, [&](EditScope& scope) { editing::setOrientation(scope, code); });
      return true;
    }
    case editing::CmdNormalOrientation:
      runEdit(c, [&](EditScope& scope) { editing::resetOrientation(scope); });
      return true;
    case editing::CmdRubySet:
      return addRubyByDialog(c);
    case editing::CmdEmphasisSet: {
      const char16_t mark =
          editing::emphasisMark(c.frame != nullptr ? *c.frame : appcore::FrameSettings{});
      runEdit(c, [&](EditScope& scope) { editing::addEmphasis(scope, mark); });
      return true;
    }
    case editing::CmdRubyDelete:
    case editing::CmdEmphasisDelete:
      runEdit(c, [&](EditScope& scope) { editing::deleteSideLines(scope); });
      return true;
    case editing::CmdRubyModify:
      return modifyRubyByDialog(c);
    default:
      return false;
  }
}

}  // namespace vellary::textview
