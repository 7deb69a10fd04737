// The one way this program replaces a file. Every writer goes through it: documents, the backup,
// the settings store and settings files, the character tables, previews, the exports and the
// Office writer library.
//
// A regular file is replaced through a temporary file in the folder that really holds it
// (symbolic links are followed, so a link stays a link and its target gets the content). The
// temporary file gets the old file's owner and group where the process may give them and the old
// file's mode without the set-id and sticky bits; it is flushed to disk, renamed over the file,
// and the folder is flushed too. A failure at any point leaves the previous file as it was.
//
// Where a rename would break what the user relies on, the file is written in place instead,
// after a copy of its content has been made safe beside it (".NAME.vellary-XXXXXX.old", removed
// again once the new content is on disk, or used to put the old content back after a failure):
// a file with more than one hard link (the other names would keep the old content), and a file
// whose owner or group the process cannot give to a new file (a colleague's save of a shared file
// would take it away from its owner).
//
// Anything that is not a regular file (a FIFO, a device, a socket, or a magic link such as
// /dev/stdout) is written directly and never replaced. A folder is refused, and so is a file or a
// folder the user may not write, each with the system's reason. A process running as root is
// held to the mode bits as far as "no write bit at all" goes: a read-only file or folder is
// refused for it too.
//
// Temporary files leave nothing behind after a crash: they are made with O_TMPFILE where the file
// system has it and only get a name for the instant before the rename; elsewhere they are named
// ".NAME.vellary-XXXXXX.tmp", locked while in use, and removed by the next save in that folder
// once stale. SIGXFSZ is ignored from the first call on, so a file size limit is a write error
// ("File too large") instead of a silent death.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace vellary::model {

enum class FileMode {
  // A new file gets 0666 less the umask, or 0600 when its folder is private to the user (owned
  // by the user and closed to everyone else); a replaced file keeps its mode.
  Ordinary,
  // The file is the user's private copy (the backup, previews): always 0600.
  Private,
};

// `write` gets the open output and returns success. On failure `error` says why (UTF-8, the
// system's reason where there is one), errno holds that reason, and the previous file is as it
// was.
bool replaceFile(const std::string& path, const std::function<bool(std::FILE*)>& write,
                 std::string& error, FileMode mode = FileMode::Ordinary);
bool replaceFileContents(const std::string& path, std::string_view bytes, std::string& error,
                         FileMode mode = FileMode::Ordinary);

// Puts a copy of the file `from` at `path` the same way (a page picture taken into a document's
// folder). A `from` that cannot be read is a failure that names it.
bool copyFileContents(const std::string& from, const std::string& path, std::string& error,
                      FileMode mode = FileMode::Ordinary);

// Whether a folder entry is one of the named temporary files above.
bool isTemporaryFileName(std::string_view name);

}  // namespace vellary::model
