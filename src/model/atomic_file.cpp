// Replacing files: following links, keeping owner and mode, temporary files that leave nothing
// behind, in-place writes where a rename would break links or ownership, direct writes to
// special files.
#include "model/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <ctime>
#include <mutex>
#include <random>

#include "model/file_access.h"

namespace vellary::model {

namespace {

constexpr char kTempMark[] = ".vellary-";
constexpr size_t kRandomChars = 6;
// A named temporary file of a save that died is removed once it is this old (and unlocked).
constexpr time_t kStaleSeconds = 60;
// The part of the file name kept in a temporary name: NAME_MAX is 255 bytes.
constexpr size_t kNameKept = 160;
constexpr int kMaxLinkHops = 40;

// The message of a failure; errno is left at its reason for callers that want the number.
std::string failure(const std::string& path, int err) {
  std::string text = "cannot write " + path + ": " + std::strerror(err);
  errno = err;
  return text;
}

void ignoreFileSizeSignal() {
  static std::once_flag once;
  std::call_once(once, [] { std::signal(SIGXFSZ, SIG_IGN); });
}

// The umask without changing it where the system tells it (changing it is racy in a program
// with threads).
mode_t currentUmask() {
  if (std::FILE* status = std::fopen("/proc/self/status", "re")) {
    char line[256];
    unsigned mask = 0;
    bool found = false;
    while (!found && std::fgets(line, sizeof line, status) != nullptr)
      found = std::sscanf(line, "Umask: %o", &mask) == 1;
    std::fclose(status);
    if (found) return static_cast<mode_t>(mask);
  }
  static std::mutex m;
  std::lock_guard<std::mutex> lock(m);
  mode_t mask = ::umask(077);
  ::umask(mask);
  return mask;
}

std::string randomChars() {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  static std::atomic<uint64_t> counter{0};
  static const uint64_t seed = (uint64_t{std::random_device{}()} << 32) ^ std::random_device{}();
  uint64_t n = seed ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull) ^ uint64_t(::getpid());
  std::string out;
  for (size_t i = 0; i < kRandomChars; ++i) {
    out += kAlphabet[n % (sizeof kAlphabet - 1)];
    n = n / (sizeof kAlphabet - 1) * 0x9E3779B97F4A7C15ull + i + 1;
  }
  return out;
}

// The leading part of a file name, cut at a UTF-8 character boundary.
std::string namePart(const std::string& name) {
  if (name.size() <= kNameKept) return name;
  size_t cut = kNameKept;
  while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
  return name.substr(0, cut);
}

std::string siblingName(const std::string& name, std::string_view suffix) {
  return "." + namePart(name) + kTempMark + randomChars() + std::string(suffix);
}

bool isRootLike() { return ::geteuid() == 0; }

// The folder and name that hold a file's content, after its symbolic links.
struct Target {
  UniqueFd owned;
  int dir = AT_FDCWD;
  std::string name;
  bool exists = false;
  struct stat st {};
};

int readLink(int dir, const std::string& name, std::string& out) {
  for (size_t size = 256; size <= 65536; size *= 4) {
    out.resize(size);
    ssize_t n = ::readlinkat(dir, name.c_str(), out.data(), out.size());
    if (n < 0) return errno;
    if (static_cast<size_t>(n) < out.size()) {
      out.resize(static_cast<size_t>(n));
      return 0;
    }
  }
  return ENAMETOOLONG;
}

int resolve(Target& t) {
  for (int hops = 0;; ++hops) {
    if (::fstatat(t.dir, t.name.c_str(), &t.st, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno != ENOENT) return errno;
      t.exists = false;
      return 0;
    }
    if (!S_ISLNK(t.st.st_mode)) {
      t.exists = true;
      return 0;
    }
    if (hops >= kMaxLinkHops) return ELOOP;
    std::string link;
    if (int err = readLink(t.dir, t.name, link)) return err;
    UniqueFd next;
    int nextDir = t.dir;
    std::string nextName;
    if (int err = openFolderOf(link, t.dir, next, nextDir, nextName)) return err;
    if (next.valid()) t.owned = std::move(next);
    t.dir = nextDir;
    t.name = std::move(nextName);
  }
}

int folderStatus(int dir, struct stat& st) {
  return ::fstatat(dir, dir == AT_FDCWD ? "." : "", &st,
                   dir == AT_FDCWD ? 0 : AT_EMPTY_PATH) == 0
             ? 0
             : errno;
}

// 0 when the process may change the entries of the folder, else the reason.
int folderWritable(int dir) {
  if (isRootLike()) {
    struct stat st {};
    if (int err = folderStatus(dir, st)) return err;
    return (st.st_mode & 0222) == 0 ? EACCES : 0;
  }
  return ::faccessat(dir, ".", W_OK | X_OK, AT_EACCESS) == 0 ? 0 : errno;
}

// 0 when the process may write the file's content, else the reason.
int fileWritable(const Target& t) {
  if (isRootLike()) return (t.st.st_mode & 0222) == 0 ? EACCES : 0;
  return ::faccessat(t.dir, t.name.c_str(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

void syncFolder(int dir) {
  UniqueFd fd(::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.valid()) ::fsync(fd.get());
}

mode_t newFileMode(int dir, FileMode mode) {
  if (mode == FileMode::Private) return 0600;
  struct stat st {};
  if (folderStatus(dir, st) == 0 && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0)
    return 0600;
  return 0666 & ~currentUmask();
}

// Named temporary files of saves that died: unlocked, the user's own, and older than a minute.
void removeStaleTemporaries(int dir) {
  UniqueFd fd(::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.valid()) return;
  DIR* folder = ::fdopendir(fd.get());
  if (folder == nullptr) return;
  const int dfd = fd.release();
  const time_t now = std::time(nullptr);
  while (const dirent* entry = ::readdir(folder)) {
    const std::string_view name(entry->d_name);
    if (!isTemporaryFileName(name)) continue;
    struct stat st {};
    if (::fstatat(dfd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
        st.st_uid != ::geteuid() || now - st.st_mtime < kStaleSeconds)
      continue;
    UniqueFd file(::openat(dfd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    // A live save holds its lock until its file has been renamed.
    if (file.valid() && ::flock(file.get(), LOCK_EX | LOCK_NB) == 0)
      ::unlinkat(dfd, entry->d_name, 0);
  }
  ::closedir(folder);
}

// The output as a stream over a descriptor the stream does not own, so that the descriptor
// outlives the stream's close for the steps after it.
class Stream {
 public:
  explicit Stream(int fd) {
    int copy = ::dup(fd);
    if (copy >= 0) {
      file_ = ::fdopen(copy, "wb");
      if (file_ == nullptr) ::close(copy);
    }
  }
  ~Stream() { close(); }
  std::FILE* get() const { return file_; }
  // 0 or the reason of the first failure: the writer's, the flush's or the close's.
  int finish(bool written) {
    int err = 0;
    if (!written) err = errno != 0 ? errno : EIO;
    if (std::fflush(file_) != 0 && err == 0) err = errno != 0 ? errno : EIO;
    if (std::ferror(file_) && err == 0) err = EIO;
    if (close() != 0 && err == 0) err = errno != 0 ? errno : EIO;
    return err;
  }

 private:
  int close() {
    if (file_ == nullptr) return 0;
    int r = std::fclose(file_);
    file_ = nullptr;
    return r;
  }
  std::FILE* file_ = nullptr;
};

int runWriter(int fd, const std::function<bool(std::FILE*)>& write) {
  Stream stream(fd);
  if (stream.get() == nullptr) return errno != 0 ? errno : EMFILE;
  errno = 0;
  const bool written = write(stream.get());
  return stream.finish(written);
}

int syncFile(int fd) {
  if (::fsync(fd) == 0) return 0;
  // Pipes, terminals and some devices cannot be synced: nothing is lost by that.
  return errno == EINVAL || errno == EROFS || errno == ENOTSUP ? 0 : errno;
}

// A FIFO, a device, a socket or a magic link: written as it is, never replaced.
bool writeDirect(int dir, const std::string& name, bool regular, const std::string& path,
                 const std::function<bool(std::FILE*)>& write, std::string& error) {
  UniqueFd fd(::openat(dir, name.c_str(),
                       O_WRONLY | O_NOCTTY | O_CLOEXEC | (regular ? O_TRUNC : 0)));
  if (!fd.valid()) {
    error = failure(path, errno);
    return false;
  }
  int err = runWriter(fd.get(), write);
  if (err == 0) err = syncFile(fd.get());
  if (err == 0 && ::close(fd.release()) != 0) err = errno;
  if (err != 0) error = failure(path, err);
  return err == 0;
}

int copyContent(int from, int to, off_t& size) {
  char buffer[1 << 16];
  size = 0;
  for (;;) {
    ssize_t n = ::pread(from, buffer, sizeof buffer, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return 0;
    for (ssize_t done = 0; done < n;) {
      ssize_t w = ::pwrite(to, buffer + done, static_cast<size_t>(n - done), size + done);
      if (w < 0) {
        if (errno == EINTR) continue;
        return errno;
      }
      done += w;
    }
    size += n;
  }
}

// Hard links, or an owner the process cannot give back: the file keeps its inode, and its old
// content waits in a safe copy beside it until the new content is on disk.
bool writeInPlace(const Target& t, const std::string& path,
                  const std::function<bool(std::FILE*)>& write, std::string& error) {
  UniqueFd fd(::openat(t.dir, t.name.c_str(), O_RDWR | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC));
  if (!fd.valid()) {
    error = failure(path, errno);
    return false;
  }
  std::string copyName;
  UniqueFd copy;
  for (int attempt = 0; attempt < 32 && !copy.valid(); ++attempt) {
    copyName = siblingName(t.name, ".old");
    copy = UniqueFd(::openat(t.dir, copyName.c_str(),
                             O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!copy.valid() && errno != EEXIST) break;
  }
  if (!copy.valid()) {
    const int err = errno;
    error = "cannot write " + path + ": no copy of its content can be kept beside it (" +
            std::strerror(err) + ")";
    errno = err;
    return false;
  }
  off_t oldSize = 0;
  int err = copyContent(fd.get(), copy.get(), oldSize);
  if (err == 0) err = ::fsync(copy.get()) == 0 ? 0 : errno;
  if (err != 0) {
    ::unlinkat(t.dir, copyName.c_str(), 0);
    error = "cannot write " + path + ": no copy of its content can be kept beside it (" +
            std::strerror(err) + ")";
    errno = err;
    return false;
  }
  syncFolder(t.dir);

  err = runWriter(fd.get(), write);
  if (err == 0) {
    // The stream wrote from the start through a descriptor sharing this one's offset; whatever
    // lies beyond where it stopped is the old content's tail.
    const off_t end = ::lseek(fd.get(), 0, SEEK_CUR);
    if (end < 0 || ::ftruncate(fd.get(), end) != 0) err = errno;
  }
  if (err == 0) err = syncFile(fd.get());
  if (err == 0) {
    ::unlinkat(t.dir, copyName.c_str(), 0);
    syncFolder(t.dir);
    return true;
  }
  // Put the old content back from the copy.
  off_t restored = 0;
  int back = copyContent(copy.get(), fd.get(), restored);
  if (back == 0 && ::ftruncate(fd.get(), oldSize) != 0) back = errno;
  if (back == 0) back = syncFile(fd.get());
  if (back == 0) {
    ::unlinkat(t.dir, copyName.c_str(), 0);
    error = failure(path, err);
  } else {
    error = failure(path, err) + "; its previous content is kept in " + copyName;
    errno = err;
  }
  return false;
}

}  // namespace

bool isTemporaryFileName(std::string_view name) {
  constexpr std::string_view kSuffix = ".tmp";
  constexpr std::string_view kMark = kTempMark;
  if (name.size() < 1 + kMark.size() + kRandomChars + kSuffix.size() || name[0] != '.' ||
      !name.ends_with(kSuffix))
    return false;
  const size_t mark = name.size() - kSuffix.size() - kRandomChars - kMark.size();
  return name.substr(mark, kMark.size()) == kMark;
}

bool replaceFile(const std::string& path, const std::function<bool(std::FILE*)>& write,
                 std::string& error, FileMode mode) {
  ignoreFileSizeSignal();
  Target t;
  if (int err = openFolderOf(path, AT_FDCWD, t.owned, t.dir, t.name)) {
    error = failure(path, err);
    return false;
  }
  // What is there as the system sees it, links followed (magic links included).
  struct stat followed {};
  const bool there = ::fstatat(t.dir, t.name.c_str(), &followed, 0) == 0;
  if (!there && errno != ENOENT) {
    error = failure(path, errno);
    return false;
  }
  if (there && S_ISDIR(followed.st_mode)) {
    error = failure(path, EISDIR);
    return false;
  }
  if (there && !S_ISREG(followed.st_mode)) return writeDirect(t.dir, t.name, false, path, write, error);

  const int linkDir = t.dir;
  const std::string linkName = t.name;
  UniqueFd linkOwned(::dup(t.owned.get()));
  if (t.owned.valid() && !linkOwned.valid()) {
    error = failure(path, errno);
    return false;
  }
  if (int err = resolve(t)) {
    error = failure(path, err);
    return false;
  }
  if (there && (!t.exists || t.st.st_dev != followed.st_dev || t.st.st_ino != followed.st_ino)) {
    // A link the system resolves by itself (/dev/stdout to a redirected file, a deleted file).
    return writeDirect(linkOwned.valid() ? linkOwned.get() : linkDir, linkName, true, path, write,
                       error);
  }
  linkOwned.reset();
  if (t.exists) {
    if (int err = fileWritable(t)) {
      error = failure(path, err);
      return false;
    }
  }
  if (int err = folderWritable(t.dir)) {
    error = "cannot write " + path + ": its folder cannot be written (" + std::strerror(err) + ")";
    errno = err;
    return false;
  }
  if (t.exists && t.st.st_nlink > 1) return writeInPlace(t, path, write, error);

  removeStaleTemporaries(t.dir);
  const mode_t fileMode = !t.exists                  ? newFileMode(t.dir, mode)
                          : mode == FileMode::Private ? mode_t{0600}
                                                      : (t.st.st_mode & 0777);
  // O_TMPFILE needs /proc to give the file its name at the end.
  static const bool procFds = ::access("/proc/self/fd", X_OK) == 0;
  UniqueFd fd;
  bool anonymous = false;
  std::string tempName;
  if (procFds) {
    fd = UniqueFd(::openat(t.dir, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    anonymous = fd.valid();
    if (!fd.valid() && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
      error = failure(path, errno);
      return false;
    }
  }
  for (int attempt = 0; attempt < 32 && !fd.valid(); ++attempt) {
    tempName = siblingName(t.name, ".tmp");
    fd = UniqueFd(::openat(t.dir, tempName.c_str(),
                           O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd.valid() && errno != EEXIST) {
      error = failure(path, errno);
      return false;
    }
  }
  if (!fd.valid()) {
    error = failure(path, EEXIST);
    return false;
  }
  // Held until the rename: a later save in this folder leaves a locked temporary file alone.
  ::flock(fd.get(), LOCK_EX | LOCK_NB);
  auto discard = [&] {
    if (!anonymous) ::unlinkat(t.dir, tempName.c_str(), 0);
  };

  struct stat made {};
  if (t.exists && ::fstat(fd.get(), &made) == 0 &&
      (made.st_uid != t.st.st_uid || made.st_gid != t.st.st_gid) &&
      ::fchown(fd.get(), t.st.st_uid, t.st.st_gid) != 0) {
    // The new file could not belong to the old one's owner and group: keep the file instead.
    discard();
    fd.reset();
    return writeInPlace(t, path, write, error);
  }
  if (::fchmod(fd.get(), fileMode) != 0) {
    const int err = errno;
    discard();
    error = failure(path, err);
    return false;
  }
  int err = runWriter(fd.get(), write);
  if (err == 0) err = ::fsync(fd.get()) == 0 ? 0 : errno;
  if (err == 0 && anonymous) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd.get());
    for (int attempt = 0; attempt < 32; ++attempt) {
      tempName = siblingName(t.name, ".tmp");
      if (::linkat(AT_FDCWD, self.c_str(), t.dir, tempName.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        anonymous = false;
        break;
      }
      if (errno != EEXIST) break;
    }
    if (anonymous) err = errno != 0 ? errno : EEXIST;
  }
  if (err == 0 && ::renameat(t.dir, tempName.c_str(), t.dir, t.name.c_str()) != 0) err = errno;
  if (err != 0) {
    discard();
    error = failure(path, err);
    return false;
  }
  syncFolder(t.dir);
  return true;
}

bool replaceFileContents(const std::string& path, std::string_view bytes, std::string& error,
                         FileMode mode) {
  return replaceFile(
      path,
      [bytes](std::FILE* f) {
        return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
      },
      error, mode);
}

bool copyFileContents(const std::string& from, const std::string& path, std::string& error,
                      FileMode mode) {
  std::FILE* in = std::fopen(from.c_str(), "rb");
  if (in == nullptr) {
    error = "cannot read " + from + " (" + std::strerror(errno) + ")";
    return false;
  }
  const bool ok = replaceFile(
      path,
      [&](std::FILE* out) {
        char buffer[1 << 16];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
          if (std::fwrite(buffer, 1, n, out) != n) return false;
        return std::ferror(in) == 0;
      },
      error, mode);
  std::fclose(in);
  return ok;
}

}  // namespace vellary::model
