// Settings file export and import.
#include "settings_ui/settings_file.h"

#include "appcore/settings_store.h"

namespace vellary::settings_ui {

namespace {

void cannotOpen(const std::string& path, appcore::Prompter& prompter) {
  prompter.message("ファイル(" + path + ")が開けません", "ファイルオープンエラー");
}

}  // namespace

FileRequest settingsFileRequest(bool save) {
  return {save ? QStringLiteral("設定のエクスポート") : QStringLiteral("設定のインポート"),
          QString::fromUtf8(kSettingsFileFilter), QStringLiteral("sew")};
}

bool exportSettingsFile(const std::string& path, const appcore::AppSettings& app,
                        const appcore::FrameSettings& frame, appcore::Prompter& prompter) {
  appcore::IniSettingsStore file = appcore::openSettingsFile(path);
  std::string error;
  // An unreadable file is written anew; a readable one keeps its other sections and keys.
  (void)file.load(error);
  appcore::exportSettings(file, app, frame);
  if (!file.flush(error)) {
    cannotOpen(path, prompter);
    return false;
  }
  return true;
}

bool importSettingsFile(const std::string& path, appcore::AppSettings& app,
                        appcore::FrameSettings& frame, appcore::Prompter& prompter) {
  std::string error;
  switch (appcore::importSettingsFile(path, app, frame, error)) {
    case appcore::ImportOutcome::Imported:
      return true;
    case appcore::ImportOutcome::CannotRead:
      cannotOpen(path, prompter);
      return false;
    case appcore::ImportOutcome::Undecodable:
      prompter.message(error, "ファイル読み込みエラー");
      return false;
  }
  return false;
}

}  // namespace vellary::settings_ui
