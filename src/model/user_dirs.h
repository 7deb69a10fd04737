// The user's base folders (the XDG base directories) and private folders in them: what this
// program keeps for one user alone (the backup, previews, temporary folders, the single-instance
// socket) lives in folders of the user's own that nobody else may enter.
#pragma once

#include <string>

namespace vellary::model {

// $XDG_CONFIG_HOME, $XDG_CACHE_HOME and $XDG_STATE_HOME when they hold an absolute path, else
// ~/.config, ~/.cache and ~/.local/state; empty when neither is known.
std::string configHome();
std::string cacheHome();
std::string stateHome();
// $XDG_RUNTIME_DIR when it is an absolute path naming a folder of the user's own that nobody
// else may enter; empty otherwise.
std::string runtimeDir();

// This program's private folders: <state>/vellary (the backup and its lock), <cache>/vellary
// (previews, temporary folders). Where the base folder is unknown, privateTemporaryFolder().
std::string privateStateFolder();
std::string privateCacheFolder();
// A folder for the user in the shared temporary folder: $TMPDIR (or /tmp) + "/vellary-<uid>". Its
// name is predictable, so it is only usable after makePrivateFolder has accepted it.
std::string privateTemporaryFolder();

// Makes `path` a private folder: missing levels are created 0700; the last one must then be a
// folder (not a link) owned by the effective user, and its mode is narrowed to 0700 when others
// may enter it. false with `error` set (UTF-8) when it is anything else, so that nothing private
// goes where another user could reach it.
bool makePrivateFolder(const std::string& path, std::string& error);

}  // namespace vellary::model
