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
  if (commands_.count(id) == 0) return false;
  return commandEnabled(id, facts_());
}

bool CommandTable::isChecked(int id) const {
  if (commands_.count(id) == 0) return false;
  return commandChecked(id, facts_()).value_or(false);
}

QString CommandTable::caption(int id) const {
  auto it = commands_.find(id);
  return it == commands_.end() ? QString() : it->second.caption;
}

namespace {

// The caption's tab part is the accelerator as the menu shows it; the key itself is the action's
// shortcut.
QString menuText(QString caption) {
  if (const int tab = caption.indexOf('\t'); tab >= 0) caption.truncate(tab);
  return caption;
}

}  // namespace

void CommandTable::setCaption(int id, const QString& caption) {
  auto it = commands_.find(id);
  if (it == commands_.end() || it->second.caption == caption) return;
  it->second.caption = caption;
  if (auto a = actions_.find(id); a != actions_.end()) a->second->setText(menuText(caption));
}

QAction* CommandTable::action(int id) {
  if (auto it = actions_.find(id); it != actions_.end()) return it->second;
  auto cmd = commands_.find(id);
  if (cmd == commands_.end()) return nullptr;
  auto* action = new QAction(menuText(cmd->second.caption), owner_);
  action->setObjectName(QStringLiteral("command%1").arg(id));
  action->setData(id);
  if (!cmd->second.shortcut.isEmpty()) action->setShortcut(cmd->second.shortcut);
  if (const QIcon icon = commandIcon(id); !icon.isNull()) action->setIcon(icon);
  action->setCheckable(commandChecked(id, facts_()).has_value());
  QObject::connect(action, &QAction::triggered, owner_, [this, id] { dispatch(id); });
  actions_[id] = action;
  action->setEnabled(isEnabled(id));
  action->setChecked(isChecked(id));
  return action;
}

void CommandTable::refresh() {
  const CommandFacts facts = facts_();
  for (auto& [id, action] : actions_) {
    const bool enabled = commandEnabled(id, facts);
    if (action->isEnabled() != enabled) action->setEnabled(enabled);
    if (action->isCheckable()) {
      const bool checked = commandChecked(id, facts).value_or(false);
      if (action->isChecked() != checked) action->setChecked(checked);
    }
  }
}

}  // namespace vellary::app
