// Descriptors, folders opened piece by piece, regular-file inputs and advisory locks.
#include "model/file_access.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <string_view>

namespace vellary::model {

void UniqueFd::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

namespace {

// Pieces handed to one openat call stay well below PATH_MAX.
constexpr size_t kPieceLimit = PATH_MAX / 2;

}  // namespace

int openFolderOf(const std::string& path, int base, UniqueFd& owned, int& dir, std::string& name) {
  if (path.empty()) return ENOENT;
  if (path.find('\0') != std::string::npos) return EINVAL;
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) {
    if (path == "." || path == "..") return EISDIR;
    dir = base;
    name = path;
    return 0;
  }
  name = path.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") return EISDIR;
  std::string_view folder(path.data(), slash);
  int current = base;
  UniqueFd currentFd;
  if (path[0] == '/') {
    currentFd = UniqueFd(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!currentFd.valid()) return errno;
    current = currentFd.get();
  }
  std::string piece;
  auto openPiece = [&]() -> int {
    if (piece.empty()) return 0;
    UniqueFd next(::openat(current, piece.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!next.valid()) return errno;
    currentFd = std::move(next);
    current = currentFd.get();
    piece.clear();
    return 0;
  };
  size_t pos = 0;
  while (pos <= folder.size()) {
    size_t end = folder.find('/', pos);
    if (end == std::string_view::npos) end = folder.size();
    std::string_view component = folder.substr(pos, end - pos);
    pos = end + 1;
    if (component.empty()) continue;
    if (!piece.empty() && piece.size() + 1 + component.size() > kPieceLimit) {
      if (int err = openPiece()) return err;
    }
    if (component.size() > kPieceLimit) return ENAMETOOLONG;
    if (!piece.empty()) piece += '/';
    piece.append(component);
  }
  if (int err = openPiece()) return err;
  dir = current;
  owned = std::move(currentFd);
  return 0;
}

int openInputFile(const std::string& path, UniqueFd& fd, struct stat* st) {
  UniqueFd owned;
  int dir = AT_FDCWD;
  std::string name;
  if (int err = openFolderOf(path, AT_FDCWD, owned, dir, name)) return err;
  // Non-blocking, so that a named pipe cannot hang the caller before it is refused below.
  UniqueFd file(::openat(dir, name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!file.valid()) return errno;
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) return errno;
  if (S_ISDIR(status.st_mode)) return EISDIR;
  if (!S_ISREG(status.st_mode)) return kNotRegularFile;
  // Regular files never block; reads from here on are ordinary ones.
  const int flags = ::fcntl(file.get(), F_GETFL);
  if (flags >= 0) ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK);
  if (st != nullptr) *st = status;
  fd = std::move(file);
  return 0;
}

std::FILE* openInputStream(const std::string& path, int& error) {
  UniqueFd fd;
  error = openInputFile(path, fd);
  if (error != 0) return nullptr;
  std::FILE* stream = ::fdopen(fd.get(), "rb");
  if (stream == nullptr) {
    error = errno;
    return nullptr;
  }
  fd.release();
  return stream;
}

namespace {

template <class Bytes>
int readWhole(const std::string& path, Bytes& bytes, uint64_t limit) {
  bytes.clear();
  UniqueFd fd;
  struct stat st {};
  if (int err = openInputFile(path, fd, &st)) return err;
  if (static_cast<uint64_t>(st.st_size) > limit) return EFBIG;
  bytes.resize(static_cast<size_t>(st.st_size));
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      bytes.clear();
      return err;
    }
    if (n == 0) break;  // the file shrank meanwhile: take what is there
    done += static_cast<size_t>(n);
  }
  bytes.resize(done);
  return 0;
}

}  // namespace

int readInputFile(const std::string& path, std::string& bytes, uint64_t limit) {
  return readWhole(path, bytes, limit);
}

int readInputFile(const std::string& path, std::vector<uint8_t>& bytes, uint64_t limit) {
  return readWhole(path, bytes, limit);
}

std::string inputErrorText(int error) {
  if (error == kNotRegularFile) return "not a regular file (a pipe, a device or a socket)";
  return std::strerror(error);
}

std::string inputErrorTextJa(int error) {
  switch (error) {
    case kNotRegularFile:
      return "通常のファイルではありません（パイプ、デバイスまたはソケット）。";
    case EISDIR:
      return "フォルダです。ファイルを指定してください。";
    case ENOENT:
    case ENOTDIR:
      return "ファイルが見つかりません。";
    case EACCES:
    case EPERM:
      return "ファイルを読む権限がありません。";
    case ENAMETOOLONG:
      return "ファイル名が長すぎます。";
    case EFBIG:
      return "ファイルが大きすぎます。";
    default:
      return std::strerror(error);
  }
}

std::optional<FileLock> FileLock::tryAcquire(const std::string& path, int& error) {
  UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600));
  if (!fd.valid()) {
    error = errno;
    return std::nullopt;
  }
  if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
    error = errno;
    return std::nullopt;
  }
  error = 0;
  return FileLock(std::move(fd));
}

}  // namespace vellary::model
