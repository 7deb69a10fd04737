// The XDG base folders and private folders.
#include "model/user_dirs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vellary::model {

namespace {

std::string absoluteEnv(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr && v[0] == '/' ? std::string(v) : std::string();
}

std::string homeBased(const char* variable, const char* underHome) {
  std::string dir = absoluteEnv(variable);
  if (!dir.empty()) return dir;
  std::string home = absoluteEnv("HOME");
  return home.empty() ? std::string() : home + underHome;
}

bool isPrivateFolder(const struct stat& st) {
  return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

}  // namespace

std::string configHome() { return homeBased("XDG_CONFIG_HOME", "/.config"); }
std::string cacheHome() { return homeBased("XDG_CACHE_HOME", "/.cache"); }
std::string stateHome() { return homeBased("XDG_STATE_HOME", "/.local/state"); }

std::string runtimeDir() {
  std::string dir = absoluteEnv("XDG_RUNTIME_DIR");
  struct stat st {};
  if (dir.empty() || ::lstat(dir.c_str(), &st) != 0 || !isPrivateFolder(st)) return {};
  return dir;
}

std::string privateTemporaryFolder() {
  std::string tmp = absoluteEnv("TMPDIR");
  if (tmp.empty()) tmp = "/tmp";
  return tmp + "/vellary-" + std::to_string(::geteuid());
}

std::string privateStateFolder() {
  std::string base = stateHome();
  return base.empty() ? privateTemporaryFolder() : base + "/vellary";
}

std::string privateCacheFolder() {
  std::string base = cacheHome();
  return base.empty() ? privateTemporaryFolder() : base + "/vellary";
}

bool makePrivateFolder(const std::string& path, std::string& error) {
  if (path.empty() || path[0] != '/') {
    error = "no private folder: the path \"" + path + "\" is not absolute";
    return false;
  }
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string level = path.substr(0, slash);
    if (::mkdir(level.c_str(), 0700) != 0 && errno != EEXIST) {
      error = "cannot make the folder " + level + ": " + std::strerror(errno);
      return false;
    }
    if (slash == std::string::npos) break;
  }
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) {
    error = "cannot use the folder " + path + ": " + std::strerror(errno);
    return false;
  }
  if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
    error = "cannot use the folder " + path + ": it is not a folder of this user's own";
    return false;
  }
  if ((st.st_mode & 077) != 0 && ::chmod(path.c_str(), 0700) != 0) {
    error = "cannot close the folder " + path + " to other users: " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace vellary::model
