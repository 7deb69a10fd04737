// CScrivlaApp: start-up and exit in their order.
#include "app/scrivla_app.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>
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

// The path as the running editor, in a folder of its own, finds the same file.
std::string wholePath(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path whole = std::filesystem::absolute(path, ec);
  return ec ? path : whole.lexically_normal().string();
}

// How long a handed-over file waits before the editor looks again whether it is free.
constexpr int kBusyRetryMs = 200;

}  // namespace

bool installQtTranslations() {
  const QLocale japanese(QLocale::Japanese, QLocale::Japan);
  QLocale::setDefault(japanese);
  // The application owns the translator; it serves every window of the run.
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (!translator->load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

CScrivlaApp::CScrivlaApp() : instance_(instanceName()), store_(appcore::openUserSettings()) {}

CScrivlaApp::~CScrivlaApp() = default;

std::optional<int> CScrivlaApp::claimInstance(const std::vector<std::string>& arguments) {
  // A later start hands its file over by its whole path: the running editor has a folder of its
  // own.
  if (arguments.size() > 1) instance_.setRequest({wholePath(arguments.at(1))});
  instance_.onOpen([this](const std::string& path) { handOver(path); });
  const SingleInstance::Claim claim = instance_.claim([this] { raiseFrame(); });
  if (claim == SingleInstance::Claim::AnotherEditor) {
    // With a file the running editor takes it over; without one the user is told that it runs.
    if (arguments.size() <= 1)
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
  // Before the first message box, so that even the ones about the instance have Japanese buttons.
  installQtTranslations();
  if (auto status = claimInstance(arguments)) return status;
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
      views::PreviewCache(views::defaultPreviewFolder()), &app_.registered, &app_.explanations,
      appcore::scanPicturesRoot()});
  prompter_.setParent(frame_.get());
  progress_->dialog().setMainWindow(frame_.get());

  frame_->showAsStored();
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
  started_ = true;
  if (!handedOver_.empty()) QTimer::singleShot(0, frame_.get(), [this] { openHandedOver(); });
  return std::nullopt;
}

void CScrivlaApp::raiseFrame() {
  if (!frame_) return;
  if (frame_->isMinimized()) frame_->showNormal();
  frame_->raise();
  frame_->activateWindow();
}

void CScrivlaApp::handOver(const std::string& path) {
  handedOver_.push_back(path);
  // Not from inside the socket's signal: the open asks questions and pumps the progress dialog.
  if (started_) QTimer::singleShot(0, frame_.get(), [this] { openHandedOver(); });
}

void CScrivlaApp::openHandedOver() {
  if (!frame_ || handedOver_.empty()) return;
  // A long operation disables the window and pumps events; a question or a menu runs an event
  // loop of its own. Replacing the document under any of them would pull the records from under
  // the operation, so the file waits until the editor is free.
  const bool busy = !frame_->isEnabled() || QApplication::activeModalWidget() != nullptr ||
                    QApplication::activePopupWidget() != nullptr;
  if (busy) {
    QTimer::singleShot(kBusyRetryMs, frame_.get(), [this] { openHandedOver(); });
    return;
  }
  const std::string path = handedOver_.front();
  handedOver_.pop_front();
  // The document already open is only brought to the front: opening it again would offer to
  // throw its edits away.
  if (!samePath(path, frame_->doc().pathName())) {
    // As File ▸ Open would: a missing file is named, then the save question for a modified
    // document, then the file alone.
    if (const auto refusal = document::CScrivlaDoc::openDialogRefusal(path))
      prompter_.message(*refusal, appcore::kAppTitle);
    else
      frame_->openFile(path);
  }
  raiseFrame();
  if (!handedOver_.empty()) QTimer::singleShot(0, frame_.get(), [this] { openHandedOver(); });
}

void CScrivlaApp::exit() {
  if (frame_) frame_->doc().deleteBackup();
  appcore::exitApplication(app_, prompter_);
  std::string error;
  store_.flush(error);
}

}  // namespace vellary::app
