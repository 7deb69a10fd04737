// Atomic file replacement through a temporary file and a rename.
#include "atomic_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace vellary::model {

namespace {
mode_t currentUmask() {
  mode_t mask = umask(0);
  umask(mask);
  return mask;
}
}  // namespace

bool replaceFile(const std::string& path, const std::function<bool(std::FILE*)>& write,
                 std::string& error) {
  namespace fs = std::filesystem;
  fs::path target(path);
  fs::path dir = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  std::string pattern = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
  int fd = mkstemp(pattern.data());
  if (fd < 0) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  std::FILE* file = fdopen(fd, "wb");
  if (file == nullptr) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    close(fd);
    unlink(pattern.c_str());
    return false;
  }
  bool ok = write(file);
  ok = std::fflush(file) == 0 && ok;
  ok = fsync(fileno(file)) == 0 && ok;
  ok = std::fclose(file) == 0 && ok;
  if (!ok) {
    error = "cannot write " + path + ": the data could not be written (disk full?)";
    unlink(pattern.c_str());
    return false;
  }
  // The replacement keeps the permissions of the file it replaces; a new file gets the usual ones.
  struct stat st {};
  if (stat(path.c_str(), &st) == 0)
    chmod(pattern.c_str(), st.st_mode & 07777);
  else
    chmod(pattern.c_str(), 0666 & ~currentUmask());
  if (std::rename(pattern.c_str(), path.c_str()) != 0) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    unlink(pattern.c_str());
    return false;
  }
  return true;
}

bool replaceFileContents(const std::string& path, std::string_view bytes, std::string& error) {
  return replaceFile(
      path,
      [bytes](std::FILE* f) { return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size(); },
      error);
}

}  // namespace vellary::model
