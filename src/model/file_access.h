// File access below every reader and writer of files: descriptors that close themselves, folders
// opened piece by piece (so that a path longer than PATH_MAX still works), inputs that must be
// regular files, and advisory locks that die with their process. Uses nothing but the C library,
// so that the Office writer library can build it in as well.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vellary::model {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release() { return std::exchange(fd_, -1); }
  void reset(int fd = -1);

 private:
  int fd_ = -1;
};

// Opens the folder that holds the last component of `path` (for searching only: O_PATH) and
// names that component. A relative path starts at `base` (AT_FDCWD or a folder descriptor).
// `dir` is the folder's descriptor, which `owned` keeps open, or `base` itself when the path has
// no folder part. Returns 0 or an errno value (EISDIR when the path ends in "/", "." or "..").
int openFolderOf(const std::string& path, int base, UniqueFd& owned, int& dir, std::string& name);

// Input files. Only a regular file is read: a folder, a pipe, a device or a socket is refused
// before anything waits on it (the open does not block on a FIFO).
inline constexpr int kNotRegularFile = -1;  // besides the errno values
// Opens `path` for reading. 0, or kNotRegularFile or an errno value (EISDIR for a folder); `st`
// (optional) receives the file's status.
int openInputFile(const std::string& path, UniqueFd& fd, struct stat* st = nullptr);
// The same as a stdio stream, which owns the descriptor; nullptr with `error` set otherwise.
std::FILE* openInputStream(const std::string& path, int& error);
// Reads a whole input file of at most `limit` bytes: 0, an open error, or EFBIG when it is larger.
int readInputFile(const std::string& path, std::string& bytes, uint64_t limit = uint64_t{1} << 30);
int readInputFile(const std::string& path, std::vector<uint8_t>& bytes,
                  uint64_t limit = uint64_t{1} << 30);
// Why an input could not be opened, for a terminal: "Is a directory", "not a regular file (a
// pipe, a device or a socket)", or the system's text for the errno value.
std::string inputErrorText(int error);
// The same for the editor's messages, in Japanese where the case is common.
std::string inputErrorTextJa(int error);

// An exclusive advisory lock (flock) on a file, held while the object lives and released by the
// system when the process ends, however it ends.
class FileLock {
 public:
  // Opens `path` (made 0600 when missing) and locks it without waiting. nullopt with `error` set
  // (EWOULDBLOCK: another process holds it) otherwise.
  static std::optional<FileLock> tryAcquire(const std::string& path, int& error);

 private:
  explicit FileLock(UniqueFd fd) : fd_(std::move(fd)) {}
  UniqueFd fd_;
};

}  // namespace vellary::model
