// Whole-file reads and atomic replacement, opening folders piece by piece so that a path longer
// than PATH_MAX still resolves (the kernel refuses such a path in a single call).
#include "imaging/file_access.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <random>
#include <string_view>
#include <utility>

#include "imaging/picture.h"

namespace vellary::imaging::detail {

namespace {

class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      if (fd_ >= 0) ::close(fd_);
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_ = -1;
};

// Pieces handed to one openat call stay well below PATH_MAX.
constexpr size_t kPieceLimit = PATH_MAX / 2;

// The folder that holds the path's last component, and that component. Returns 0, or an errno
// value. `dir` is the folder's descriptor, or AT_FDCWD when the path has no folder part (then
// `owned` stays empty).
int openParent(const std::string& path, Fd& owned, int& dir, std::string& name) {
  if (path.empty()) return ENOENT;
  if (path.find('\0') != std::string::npos) return EINVAL;
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) {
    dir = AT_FDCWD;
    name = path;
    return 0;
  }
  name = path.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") return EISDIR;
  std::string_view folder(path.data(), slash);
  int current = AT_FDCWD;
  Fd currentFd;
  if (path[0] == '/') {
    currentFd = Fd(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (currentFd.get() < 0) return errno;
    current = currentFd.get();
  }
  std::string piece;
  auto openPiece = [&]() -> int {
    if (piece.empty()) return 0;
    Fd next(::openat(current, piece.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (next.get() < 0) return errno;
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

int readResultFor(int err) {
  // A name longer than the file system allows cannot name an existing file.
  if (err == ENOENT || err == ENOTDIR || err == ENAMETOOLONG) return kImageNoSuchFile;
  return kImageCannotOpen;
}

std::string temporaryName() {
  static std::atomic<uint32_t> counter{0};
  static const uint32_t seed = std::random_device{}();
  uint32_t n = seed ^ (counter.fetch_add(1) * 2654435761u) ^ static_cast<uint32_t>(::getpid());
  char buf[32];
  std::snprintf(buf, sizeof buf, ".vellary-%08x.tmp", n);
  return buf;
}

bool writeAll(int fd, std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

int readWholeFile(const std::string& path, std::vector<uint8_t>& bytes) {
  bytes.clear();
  Fd owned;
  int dir = AT_FDCWD;
  std::string name;
  if (int err = openParent(path, owned, dir, name)) return readResultFor(err);
  // Non-blocking, so that a named pipe cannot hang the caller before it is refused below.
  Fd fd(::openat(dir, name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (fd.get() < 0) return readResultFor(errno);
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return kImageCannotOpen;
  if (static_cast<uint64_t>(st.st_size) > kMaxPictureFileBytes) return kImageTooLarge;
  bytes.resize(static_cast<size_t>(st.st_size));
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      bytes.clear();
      return kImageCannotOpen;
    }
    if (n == 0) break;  // the file shrank meanwhile: take what is there
    done += static_cast<size_t>(n);
  }
  bytes.resize(done);
  return kImageOk;
}

int replaceWholeFile(const std::string& path, std::span<const uint8_t> bytes) {
  Fd owned;
  int dir = AT_FDCWD;
  std::string name;
  if (openParent(path, owned, dir, name) != 0) return kImageWriteFailed;
  std::string temp;
  Fd fd;
  for (int attempt = 0; attempt < 16 && fd.get() < 0; ++attempt) {
    temp = temporaryName();
    fd = Fd(::openat(dir, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.get() < 0 && errno != EEXIST) return kImageWriteFailed;
  }
  if (fd.get() < 0) return kImageWriteFailed;
  // A replaced file keeps its permissions; a new one gets the usual ones (0666 less the umask).
  struct stat st {};
  if (::fstatat(dir, name.c_str(), &st, 0) == 0 && S_ISREG(st.st_mode))
    ::fchmod(fd.get(), st.st_mode & 07777);
  bool ok = writeAll(fd.get(), bytes);
  ok = ::close(fd.release()) == 0 && ok;
  ok = ok && ::renameat(dir, temp.c_str(), dir, name.c_str()) == 0;
  if (!ok) {
    ::unlinkat(dir, temp.c_str(), 0);
    return kImageWriteFailed;
  }
  return kImageOk;
}

}  // namespace vellary::imaging::detail
