// Private temporary folders, and the removal of those whose process died.
#include "imaging/temp_dir.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <vector>

#include "model/user_dirs.h"

namespace vellary::imaging {

namespace {

// A folder younger than this may belong to a process that has not locked it yet.
constexpr time_t kStaleSeconds = 60;

// Folders named prefix + six characters in root, of this user, whose process no longer holds them.
void removeAbandoned(const std::string& root, const std::string& prefix) {
  std::vector<std::string> abandoned;
  DIR* folder = ::opendir(root.c_str());
  if (folder == nullptr) return;
  const time_t now = std::time(nullptr);
  while (const dirent* entry = ::readdir(folder)) {
    const std::string name = entry->d_name;
    if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string path = root + "/" + name;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() ||
        now - st.st_mtime < kStaleSeconds)
      continue;
    model::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.valid() && ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) abandoned.push_back(path);
  }
  ::closedir(folder);
  for (const std::string& path : abandoned) {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
}

}  // namespace

std::optional<PrivateTempDir> PrivateTempDir::create(const std::string& prefix) {
  return create(prefix, model::privateCacheFolder() + "/tmp");
}

std::optional<PrivateTempDir> PrivateTempDir::adopt(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
      st.st_uid != ::geteuid())
    return std::nullopt;
  model::UniqueFd lock(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!lock.valid() || ::flock(lock.get(), LOCK_EX | LOCK_NB) != 0) return std::nullopt;
  return PrivateTempDir(path, std::move(lock));
}

std::optional<PrivateTempDir> PrivateTempDir::create(const std::string& prefix,
                                                     const std::string& root) {
  if (prefix.find('/') != std::string::npos || root.empty()) return std::nullopt;
  std::string error;
  if (!model::makePrivateFolder(root, error)) return std::nullopt;
  removeAbandoned(root, prefix);
  std::string pattern = root + "/" + prefix + "XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) return std::nullopt;
  model::UniqueFd lock(::open(pattern.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!lock.valid() || ::flock(lock.get(), LOCK_EX | LOCK_NB) != 0) {
    std::error_code ec;
    std::filesystem::remove_all(pattern, ec);
    return std::nullopt;
  }
  return PrivateTempDir(pattern, std::move(lock));
}

PrivateTempDir::PrivateTempDir(PrivateTempDir&& other) noexcept
    : path_(std::move(other.path_)), lock_(std::move(other.lock_)) {
  other.path_.clear();
}

PrivateTempDir& PrivateTempDir::operator=(PrivateTempDir&& other) noexcept {
  if (this != &other) {
    remove();
    path_ = std::move(other.path_);
    lock_ = std::move(other.lock_);
    other.path_.clear();
  }
  return *this;
}

PrivateTempDir::~PrivateTempDir() { remove(); }

std::string PrivateTempDir::file(const std::string& name) const { return path_ + "/" + name; }

void PrivateTempDir::remove() {
  if (path_.empty()) return;
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
  path_.clear();
  lock_.reset();
}

}  // namespace vellary::imaging
