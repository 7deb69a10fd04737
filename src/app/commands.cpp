// The command table and the actions made from it.
#include "app/commands.h"

#include <QAction>
#include <QIcon>

#include "app/icons.h"

namespace vellary::app {

void CommandTable::add(Command command) {
  const int id = command.id;
  commands_[id] = std::move(command);
}

bool CommandTable::dispatch(int id) {
  auto it = commands_.find(id);
  if (it == commands_.end() || !isEnabled(id) || !it->second.run) return false;
  // The handler may replace the table's entries; run a copy.
  const auto run = it->second.run;
  run();
  refresh();
  return true;
}

bool CommandTable::isEnabled(int id) const {
  auto it = commands_.find(id);
  if (it == commands_.end()) return false;
  return !it->second.enabled || it->second.enabled();
}

bool CommandTable::isChecked(int id) const {
  auto it = commands_.find(id);
  return it != commands_.end() && it->second.checked && it->second.checked();
}

QString CommandTable::caption(int id) const {
  auto it = commands_.find(id);
  return it == commands_.end() ? QString() : it->second.caption;
}

QAction* CommandTable::action(int id) {
  if (auto it = actions_.find(id); it != actions_.end()) return it->second;
  auto cmd = commands_.find(id);
  if (cmd == commands_.end()) return nullptr;
  // The caption's tab part is the accelerator as the menu shows it; the key itself is the
  // action's shortcut.
  QString text = cmd->second.caption;
  if (const int tab = text.indexOf('\t'); tab >= 0) text.truncate(tab);
  auto* action = new QAction(text, owner_);
  action->setObjectName(QStringLiteral("command%1").arg(id));
  action->setData(id);
  if (!cmd->second.shortcut.isEmpty()) action->setShortcut(cmd->second.shortcut);
  if (const QIcon icon = commandIcon(id); !icon.isNull()) action->setIcon(icon);
  action->setCheckable(static_cast<bool>(cmd->second.checked));
  QObject::connect(action, &QAction::triggered, owner_, [this, id] { dispatch(id); });
  actions_[id] = action;
  action->setEnabled(isEnabled(id));
  action->setChecked(isChecked(id));
  return action;
}

void CommandTable::refresh() {
  for (auto& [id, action] : actions_) {
    action->setEnabled(isEnabled(id));
    if (action->isCheckable()) action->setChecked(isChecked(id));
  }
}

}  // namespace vellary::app
