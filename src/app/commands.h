// The command table: every user command as a numeric id with its handler, a pure enabling rule
// and a check rule. Menus, the toolbar and the accelerators are built from it, and refresh()
// brings every action in line with the rules in one place.
#pragma once

#include <QKeySequence>
#include <QString>
#include <functional>
#include <map>

class QAction;
class QObject;

namespace vellary::app {

enum CommandId : int {
  // File
  IdFileOpen = 57601,
  IdFileSave = 57603,
  IdFileSaveAs = 35001,
  IdReload = 32827,
  IdImageFolder = 32829,
  IdExport = 32889,
  IdSettingsExport = 32972,
  IdSettingsImport = 32974,
  IdRecentFirst = 57616,
  IdRecentLast = 57631,
  IdAppExit = 57665,
  // Edit
  IdUndo = 32774,
  IdBlockEdit = 32771,
  IdCharEdit = 32813,
  IdFind = 32846,
  IdReplace = 32847,
  IdNextReject = 32952,
  IdPreviousReject = 32958,
  IdRubyModify = 32851,
  IdClearMarks = 32975,
  // View
  IdForceHorizontal = 32838,
  IdForceVertical = 32839,
  IdTextOnly = 32840,
  IdLineImage = 32841,
  IdImageBeside = 32842,
  IdSideBySide = 32901,
  IdStacked = 32902,
  IdFullSize = 32903,
  IdBlockNumbers = 32791,
  IdColourNormal = 32857,  // … IdColourRegistered: text colour mode id − 32857
  IdColourEditLine = 32858,
  IdColourClass = 32859,
  IdColourRegistered = 32860,
  IdZoom10 = 32874,
  IdZoom100 = 32883,
  IdNextPage = 32785,
  IdPreviousPage = 32786,
  // Analysis and tools
  IdReComposeAll = 32761,
  IdReComposePage = 32762,
  IdSettingsSheet = 32784,
  // Help
  IdReadme = 32934,
  IdHomePage = 32935,
  IdSupport = 32936,
  IdFaqFirst = 32937,
  IdFaqLast = 32943,
  IdAppAbout = 57664,
};

struct Command {
  int id = 0;
  QString caption;  // with its "&" mnemonic; the accelerator's text follows a tab
  QKeySequence shortcut;
  std::function<void()> run;
  std::function<bool()> enabled;  // null: always enabled
  std::function<bool()> checked;  // null: not a checkable item
};

class CommandTable {
 public:
  // The actions are children of `owner`, which also receives their shortcuts.
  explicit CommandTable(QObject* owner) : owner_(owner) {}

  void add(Command command);
  bool contains(int id) const { return commands_.count(id) != 0; }
  // Runs the command when it exists and its enabling rule allows it; false otherwise. Actions are
  // refreshed afterwards, as a menu would be when next shown.
  bool dispatch(int id);
  bool isEnabled(int id) const;
  bool isChecked(int id) const;
  QString caption(int id) const;
  // The action for a command, made on first use.
  QAction* action(int id);
  void refresh();

 private:
  QObject* owner_;
  std::map<int, Command> commands_;
  std::map<int, QAction*> actions_;
};

}  // namespace vellary::app
