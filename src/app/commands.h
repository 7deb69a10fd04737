// The command table: every user command as a numeric id with its caption, shortcut and handler.
// Whether a command is enabled or checked is the pure rule of appcore/command_rules.h applied to
// the facts the frame gathers; menus, the toolbar and the accelerators are built from the table,
// and refresh() brings every action in line with the rules in one place.
#pragma once

#include <QKeySequence>
#include <QString>
#include <functional>
#include <map>

#include "appcore/command_rules.h"

class QAction;
class QObject;

namespace vellary::app {

using namespace appcore;  // the command ids

struct Command {
  int id = 0;
  QString caption;  // with its "&" mnemonic; the accelerator's text follows a tab
  QKeySequence shortcut;
  std::function<void()> run;
};

class CommandTable {
 public:
  // The actions are children of `owner`, which also receives their shortcuts. `facts` gathers
  // what the rules look at.
  CommandTable(QObject* owner, std::function<CommandFacts()> facts)
      : owner_(owner), facts_(std::move(facts)) {}

  void add(Command command);
  bool contains(int id) const { return commands_.count(id) != 0; }
  // Runs the command when it exists and its enabling rule allows it; false otherwise. Actions are
  // refreshed afterwards, as a menu would be when next shown.
  bool dispatch(int id);
  bool isEnabled(int id) const;
  bool isChecked(int id) const;
  QString caption(int id) const;
  // Sets a command's caption (the undo and redo items say what they undo).
  void setCaption(int id, const QString& caption);
  // The action for a command, made on first use.
  QAction* action(int id);
  void refresh();

 private:
  QObject* owner_;
  std::function<CommandFacts()> facts_;
  std::map<int, Command> commands_;
  std::map<int, QAction*> actions_;
};

}  // namespace vellary::app
