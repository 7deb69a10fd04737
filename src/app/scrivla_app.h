// CScrivlaApp: the editor's start-up and exit around the main frame.
#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/prog_show.h"
#include "app/qt_prompter.h"
#include "app/single_instance.h"
#include "appcore/application.h"
#include "appcore/settings_store.h"
#include "document/seams.h"
#include "model/file_access.h"

namespace vellary::app {

class CMainFrame;

// Qt's own texts in Japanese: the standard buttons (OK, キャンセル, はい, いいえ), the file, colour
// and font dialogs and the edit fields' menus, from the translations Qt installs beside itself.
// false when they are not installed (the texts then stay English). Start-up calls it first.
bool installQtTranslations();

class CScrivlaApp {
 public:
  CScrivlaApp();
  ~CScrivlaApp();

  // Start-up up to the shown window. `arguments` are the command line's own bytes (a file name
  // need not be UTF-8). An exit status when the program must end now (a second instance, a bad
  // parameter), nothing when the event loop should run.
  std::optional<int> start(const std::vector<std::string>& arguments);
  // Exit's steps after the window closed.
  void exit();
  CMainFrame* frame() { return frame_.get(); }

 private:
  // A later `vellary FILE` asked this one to open its file (it has come to the front).
  void handOver(const std::string& path);
  // Opens the files handed over, one after the other, once the editor is free to: not during
  // start-up, a long operation, a question or a menu.
  void openHandedOver();
  void raiseFrame();
  // Claims the single instance; the exit status when this process must end.
  std::optional<int> claimInstance(const std::vector<std::string>& arguments);
  // The backup file when this editor may use it: it keeps the backup's lock for its whole run.
  std::string claimBackup();

  SingleInstance instance_;
  std::optional<model::FileLock> backupLock_;
  appcore::IniSettingsStore store_;
  MessageBoxPrompter prompter_;
  document::SteadyClock clock_;
  appcore::Application app_;
  appcore::FrameSettings frameSettings_;
  std::unique_ptr<DialogProgress> progress_;
  std::unique_ptr<CMainFrame> frame_;
  std::deque<std::string> handedOver_;
  bool started_ = false;
};

}  // namespace vellary::app
