// CScrivlaApp: start-up and exit in their order.
#include "app/scrivla_app.h"

#include <clocale>
#include <filesystem>

#include "app/fonts.h"
#include "app/main_frame.h"
#include "appcore/user_data.h"
#include "views/preview_cache.h"

namespace vellary::app {

namespace {

bool samePath(const std::string& a, const std::string& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

}  // namespace

CScrivlaApp::CScrivlaApp() : instance_(instanceName()), store_(appcore::openUserSettings()) {}

CScrivlaApp::~CScrivlaApp() = default;

std::optional<int> CScrivlaApp::claimInstance() {
  const SingleInstance::Claim claim = instance_.claim([this] {
    if (!frame_) return;
    if (frame_->isMinimized()) frame_->showNormal();
    frame_->raise();
    frame_->activateWindow();
  });
  if (claim == SingleInstance::Claim::AnotherEditor) {
    prompter_.message(std::string(appcore::kAppTitle) + " は既に起動しています。",
                      appcore::kAppTitle, appcore::Icon::Information);
    return 0;
  }
  if (claim == SingleInstance::Claim::Unguarded)
    prompter_.message("ほかに起動している" + std::string(appcore::kAppTitle) +
                          " を確かめられないまま起動します。\n" + instance_.why().toStdString(),
                      appcore::kAppTitle, appcore::Icon::Warning);
  return std::nullopt;
}

std::string CScrivlaApp::claimBackup() {
  std::string error;
  std::string backup = appcore::backupFilePath(error);
  if (backup.empty()) {
    prompter_.message("バックアップファイルを置くフォルダが使えないため、バックアップを取りません。\n" +
                          error,
                      appcore::kAppTitle, appcore::Icon::Warning);
    return {};
  }
  int lockError = 0;
  backupLock_ = model::FileLock::tryAcquire(appcore::backupLockPath(backup), lockError);
  if (!backupLock_) {
    // Another editor of this user runs (its guard could not tell): its backup is left alone.
    prompter_.message("バックアップファイルはほかの" + std::string(appcore::kAppTitle) +
                          " が使っているため、バックアップを取りません。",
                      appcore::kAppTitle, appcore::Icon::Warning);
    return {};
  }
  return backup;
}

std::optional<int> CScrivlaApp::start(const std::vector<std::string>& arguments) {
  if (auto status = claimInstance()) return status;
  // Before any window makes a font from a stored name.
  installFontSubstitutions();
  // Text is UTF-8 throughout; the codecs convert at the file's edge, so the C locale only needs
  // to know that.
  std::setlocale(LC_ALL, "C.UTF-8");

  std::string error;
  if (!store_.load(error)) prompter_.message(error, "エラー");
  if (!appcore::startApplication(store_, prompter_, appcore::documentsFolder(),
                                 appcore::shippedExplainTable(), app_))
    return 1;
  appcore::readFrameSettings(store_, frameSettings_);
  frameSettings_.reAnalyze = 0;

  progress_ = std::make_unique<DialogProgress>(nullptr);
  frame_ = std::make_unique<CMainFrame>(FrameContext{
      app_.settings, frameSettings_, store_, prompter_, progress_.get(), clock_, claimBackup(),
      views::PreviewCache(views::defaultPreviewFolder()), &app_.registered, &app_.explanations});
  prompter_.setParent(frame_.get());
  progress_->dialog().setMainWindow(frame_.get());

  appcore::WindowSettings window;
  appcore::readWindowSettings(store_, window);
  if (window.zoomed == 1)
    frame_->showMaximized();
  else
    frame_->show();
  frame_->applyStoredArrangement();
  // The backup of a run that ended abnormally is offered before anything is opened: opening a
  // file writes a backup of its own, which would put the unedited file in place of the work the
  // backup holds.
  const bool recovered = frame_->doc().offerRecovery();
  if (arguments.size() > 1) {
    const std::string& path = arguments.at(1);
    // The recovered document stands for the file it was taken from: opening that file again
    // would only ask whether to save the recovery over it.
    if (!recovered || !samePath(path, frame_->doc().pathName())) frame_->openFile(path);
  }
  appcore::applyFontDefaults(app_.settings);
  return std::nullopt;
}

void CScrivlaApp::exit() {
  if (frame_) frame_->doc().deleteBackup();
  appcore::exitApplication(app_, prompter_);
  std::string error;
  store_.flush(error);
}

}  // namespace vellary::app
