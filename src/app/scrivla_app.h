// CScrivlaApp: the editor's start-up and exit around the main frame.
#pragma once

#include <QStringList>
#include <memory>
#include <optional>

#include "app/prog_show.h"
#include "app/qt_prompter.h"
#include "app/single_instance.h"
#include "appcore/application.h"
#include "appcore/settings_store.h"
#include "document/seams.h"

namespace vellary::app {

class CMainFrame;

class CScrivlaApp {
 public:
  CScrivlaApp();
  ~CScrivlaApp();

  // Start-up up to the shown window. An exit status when the program must end now (a second
  // instance, a bad parameter), nothing when the event loop should run.
  std::optional<int> start(const QStringList& arguments);
  // Exit's steps after the window closed.
  void exit();
  CMainFrame* frame() { return frame_.get(); }

 private:
  SingleInstance instance_;
  appcore::IniSettingsStore store_;
  MessageBoxPrompter prompter_;
  document::SteadyClock clock_;
  appcore::Application app_;
  appcore::FrameSettings frameSettings_;
  std::unique_ptr<DialogProgress> progress_;
  std::unique_ptr<CMainFrame> frame_;
};

}  // namespace vellary::app
