// The settings file commands' work after their file dialog: writing the exported keys to a
// settings file and reading them back into the settings in memory.
#pragma once

#include <string>

#include "appcore/prompter.h"
#include "appcore/settings.h"
#include "settings_ui/standard_dialogs.h"

namespace vellary::settings_ui {

inline constexpr char kSettingsFileFilter[] = "環境設定ファイル (*.sew)|*.sew||";

// The dialog request of the export (save) or import (open) command.
FileRequest settingsFileRequest(bool save);

// Writes the exported keys into the file, keeping whatever else the file holds. false after
// telling the user when the file cannot be written.
bool exportSettingsFile(const std::string& path, const appcore::AppSettings& app,
                        const appcore::FrameSettings& frame, appcore::Prompter& prompter);
// Reads the exported keys into memory; keys the file lacks take the import defaults. false after
// telling the user when the file cannot be read or a value holds bytes that decode to no
// character; nothing has changed then.
bool importSettingsFile(const std::string& path, appcore::AppSettings& app,
                        appcore::FrameSettings& frame, appcore::Prompter& prompter);

}  // namespace vellary::settings_ui
