// The per-user data folder that holds the character tables, and the user's documents folder.
#pragma once

#include <optional>
#include <string>

#include "settings_store.h"

namespace vellary::appcore {

inline constexpr char kFolderPathSection[] = "FolderPath";
inline constexpr char kUserDataFolderKey[] = "UserDataFolder";

// The XDG documents folder ($XDG_DOCUMENTS_DIR, the user-dirs file, else ~/Documents), created
// when missing. Empty when there is no home folder to put it in.
std::string documentsFolder();

// The stored folder when it exists; else "<documents>/<product> User Data" when that exists; else
// "<documents>/tolvane/<product> User Data", created. A stored value that named no folder is
// replaced in the store by the new result. Nothing when no folder could be made.
std::optional<std::string> userDataFolder(SettingsStore& store, const std::string& documents);

// The table files of the settings (an empty name means the default file in the data folder).
// The shipped explanation table is copied into the data folder when the file there is missing;
// an existing file is never overwritten.
struct TableFiles {
  std::string registTable;
  std::string explainTable;
};
TableFiles resolveTableFiles(const std::string& registSetting, const std::string& explainSetting,
                             const std::string& dataFolder, const std::string& shippedExplain);

// The editor's backup file: "_$backup.xml" in the program's private state folder
// ($XDG_STATE_HOME/vellary, made 0700), where no other user can read the document's text. Empty
// with `error` set when no private folder can be had.
std::string backupFilePath(std::string& error);
// Where documents recognised from scans keep their page pictures until they are saved: "scans"
// in the same private state folder as the backup, so that a document recovered after a crash
// still finds them. Made private when first used.
std::string scanPicturesRoot();
// The lock that keeps the backup to one editor at a time: a file beside it.
inline std::string backupLockPath(const std::string& backup) { return backup + ".lock"; }

// The explanation table shipped with the program, in its data folder (model::dataFile); empty
// when it is not there.
std::string shippedExplainTable();

}  // namespace vellary::appcore
