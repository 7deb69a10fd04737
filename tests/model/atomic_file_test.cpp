// Replacing files as the user's files need it: links, hard links, special files, modes, owners,
// read-only files and folders, size limits and the debris of saves that died.
#include "model/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "model/file_access.h"
#include "model/user_dirs.h"
#include "support/spare_user.h"
#include "support/temp_dir.h"

namespace vellary::model {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

bool save(const std::string& path, const std::string& bytes, std::string* why = nullptr,
          FileMode mode = FileMode::Ordinary) {
  std::string error;
  bool ok = replaceFileContents(path, bytes, error, mode);
  if (why) *why = error;
  return ok;
}

struct stat statOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st;
}

std::vector<std::string> entries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ReplaceFile, LinksStayAndTheirTargetsGetTheContent) {
  TempDir dir;
  fs::create_directory(dir / "real");
  dir.write("real/doc.xml", "old");
  fs::create_symlink("real/doc.xml", dir / "link.xml");
  fs::create_symlink("link.xml", dir / "chain.xml");
  ASSERT_TRUE(save(dir / "chain.xml", "new"));
  EXPECT_TRUE(fs::is_symlink(dir / "chain.xml"));
  EXPECT_TRUE(fs::is_symlink(dir / "link.xml"));
  EXPECT_EQ(TempDir::read(dir / "real/doc.xml"), "new");

  // A dangling link: the file it names is made, the link stays.
  fs::create_symlink("real/later.xml", dir / "dangling.xml");
  ASSERT_TRUE(save(dir / "dangling.xml", "made"));
  EXPECT_TRUE(fs::is_symlink(dir / "dangling.xml"));
  EXPECT_EQ(TempDir::read(dir / "real/later.xml"), "made");
  // … unless the folder it names is missing.
  fs::create_symlink("gone/x.xml", dir / "nowhere.xml");
  std::string why;
  EXPECT_FALSE(save(dir / "nowhere.xml", "x", &why));
  EXPECT_NE(why.find("No such file or directory"), std::string::npos) << why;
  EXPECT_TRUE(fs::is_symlink(dir / "nowhere.xml"));

  // A link to a folder, or a folder, is refused and stays as it was.
  fs::create_directory_symlink("real", dir / "folder-link");
  EXPECT_FALSE(save(dir / "folder-link", "x", &why));
  EXPECT_NE(why.find("Is a directory"), std::string::npos) << why;
  EXPECT_TRUE(fs::is_symlink(dir / "folder-link"));
  EXPECT_FALSE(save(dir / "real", "x", &why));
  EXPECT_TRUE(fs::is_directory(dir / "real"));
  EXPECT_EQ(entries(dir / "real"), (std::vector<std::string>{"doc.xml", "later.xml"}));

  // A loop of links is an error, not a hang.
  fs::create_symlink("loop-b", dir / "loop-a");
  fs::create_symlink("loop-a", dir / "loop-b");
  EXPECT_FALSE(save(dir / "loop-a", "x", &why));
  EXPECT_TRUE(fs::is_symlink(dir / "loop-a"));
}

TEST(ReplaceFile, HardLinkedNamesAllSeeTheNewContent) {
  TempDir dir;
  dir.write("a.xml", "the old content, longer than the new");
  fs::create_hard_link(dir / "a.xml", dir / "b.xml");
  const ino_t inode = statOf(dir / "a.xml").st_ino;
  ASSERT_TRUE(save(dir / "a.xml", "new"));
  EXPECT_EQ(TempDir::read(dir / "b.xml"), "new");
  EXPECT_EQ(statOf(dir / "a.xml").st_ino, inode);
  EXPECT_EQ(statOf(dir / "a.xml").st_nlink, 2u);
  EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"a.xml", "b.xml"}));  // no copy left

  // A failed write puts the old content back.
  std::string error;
  EXPECT_FALSE(replaceFile(
      dir / "b.xml",
      [](std::FILE* f) {
        std::fputs("half of a document", f);
        return false;
      },
      error));
  EXPECT_EQ(TempDir::read(dir / "a.xml"), "new");
  EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"a.xml", "b.xml"}));
}

TEST(ReplaceFile, SpecialFilesAreWrittenNeverReplaced) {
  TempDir dir;
  const std::string fifo = dir / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = TempDir::read(fifo); });
  ASSERT_TRUE(save(fifo, "through the pipe"));
  reader.join();
  EXPECT_EQ(received, "through the pipe");
  EXPECT_TRUE(S_ISFIFO(statOf(fifo).st_mode));

  std::string why;
  EXPECT_FALSE(save("/dev/full", "x", &why));
  EXPECT_NE(why.find("No space left on device"), std::string::npos) << why;
  EXPECT_TRUE(S_ISCHR(statOf("/dev/full").st_mode));
  EXPECT_TRUE(save("/dev/null", "x"));
  EXPECT_TRUE(S_ISCHR(statOf("/dev/null").st_mode));
  EXPECT_EQ(major(statOf("/dev/null").st_rdev), 1u);
}

TEST(ReplaceFile, ModesAreKeptWithoutSetIdBitsAndPrivateFilesStayPrivate) {
  TempDir dir;
  ::chmod(dir.path().c_str(), 0755);
  const std::string doc = dir.write("doc.xml", "old");
  ::chmod(doc.c_str(), 0640);
  ASSERT_TRUE(save(doc, "new"));
  EXPECT_EQ(statOf(doc).st_mode & 07777, 0640u);

  ::chmod(doc.c_str(), 06755);
  ASSERT_TRUE(save(doc, "newer"));
  EXPECT_EQ(statOf(doc).st_mode & 07777, 0755u);

  const mode_t mask = ::umask(022);
  ASSERT_TRUE(save(dir / "fresh.xml", "x"));
  EXPECT_EQ(statOf(dir / "fresh.xml").st_mode & 07777, 0644u);
  ::chmod(doc.c_str(), 0644);
  ASSERT_TRUE(save(doc, "private now", nullptr, FileMode::Private));
  EXPECT_EQ(statOf(doc).st_mode & 07777, 0600u);
  // A new file in a folder closed to others is closed to them too.
  fs::create_directory(dir / "mine");
  ::chmod((dir / "mine").c_str(), 0700);
  ASSERT_TRUE(save(dir / "mine/preview.prv", "x"));
  EXPECT_EQ(statOf(dir / "mine/preview.prv").st_mode & 07777, 0600u);
  ::umask(mask);
}

TEST(ReplaceFile, ReadOnlyFilesAndFoldersAreRefusedWithTheReason) {
  TempDir dir;
  const std::string doc = dir.write("doc.xml", "keep me");
  ::chmod(doc.c_str(), 0444);
  std::string why;
  EXPECT_FALSE(save(doc, "lost", &why));
  EXPECT_NE(why.find("Permission denied"), std::string::npos) << why;
  EXPECT_EQ(TempDir::read(doc), "keep me");

  fs::create_directory(dir / "shelf");
  const std::string shelved = dir.write("shelf/doc.xml", "keep me too");
  ::chmod((dir / "shelf").c_str(), 0555);
  EXPECT_FALSE(save(shelved, "lost", &why));
  EXPECT_NE(why.find("folder"), std::string::npos) << why;
  EXPECT_EQ(TempDir::read(shelved), "keep me too");
  EXPECT_FALSE(save(dir / "shelf/new.xml", "x"));
  ::chmod((dir / "shelf").c_str(), 0755);
  EXPECT_EQ(entries(dir / "shelf"), std::vector<std::string>{"doc.xml"});
}

TEST(ReplaceFile, OwnerAndGroupStayWithTheFile) {
  if (!testing::runningAsRoot()) GTEST_SKIP() << "needs root to act as other users";
  TempDir dir;
  ::chmod(dir.path().c_str(), 0755);
  // The owner's file, shared with the group in a folder the group may write.
  const std::string shared = dir / "shared";
  fs::create_directory(shared);
  ASSERT_EQ(::chown(shared.c_str(), testing::kSpareUid, testing::kSpareGid), 0);
  ::chmod(shared.c_str(), 02775);
  const std::string doc = shared + "/doc.xml";
  dir.write("shared/doc.xml", "the owner's text");
  ASSERT_EQ(::chown(doc.c_str(), testing::kSpareUid, testing::kSpareGid), 0);
  ::chmod(doc.c_str(), 0660);

  // A colleague in the group saves it: it stays the owner's, readable by the owner.
  const int colleague = testing::runAsUser(testing::kOtherSpareUid, testing::kSpareGid, [&] {
    std::string error;
    return replaceFileContents(doc, "the colleague's text", error) ? 0 : 1;
  });
  EXPECT_EQ(colleague, 0);
  EXPECT_EQ(TempDir::read(doc), "the colleague's text");
  EXPECT_EQ(statOf(doc).st_uid, testing::kSpareUid);
  EXPECT_EQ(statOf(doc).st_gid, testing::kSpareGid);
  EXPECT_EQ(statOf(doc).st_mode & 07777, 0660u);
  EXPECT_EQ(entries(shared), std::vector<std::string>{"doc.xml"});

  // Root saving another user's file gives it back to that user.
  ASSERT_TRUE(save(doc, "root's text"));
  EXPECT_EQ(statOf(doc).st_uid, testing::kSpareUid);
  EXPECT_EQ(statOf(doc).st_gid, testing::kSpareGid);
  EXPECT_EQ(statOf(doc).st_mode & 07777, 0660u);

  // Someone outside the group may not write it at all.
  const int stranger = testing::runAsUser(testing::kOtherSpareUid, testing::kOtherSpareUid, [&] {
    std::string error;
    if (replaceFileContents(doc, "x", error)) return 1;
    return error.find("Permission denied") != std::string::npos ? 0 : 2;
  });
  EXPECT_EQ(stranger, 0);
  EXPECT_EQ(TempDir::read(doc), "root's text");
}

TEST(ReplaceFile, AFileSizeLimitIsAWriteErrorAndLeavesNothingBehind) {
  TempDir dir;
  const std::string doc = dir.write("doc.xml", "the previous document");
  const std::string big(100000, 'x');
  const int status = testing::runWithFileSizeLimit(4096, [&] {
    std::string error;
    if (replaceFileContents(doc, big, error)) return 1;
    return error.find("File too large") != std::string::npos ? 0 : 2;
  });
  EXPECT_EQ(status, 0) << "1000 + n: killed by signal n";
  EXPECT_EQ(TempDir::read(doc), "the previous document");
  EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"doc.xml"});
}

TEST(ReplaceFile, ASaveKilledMidwayLeavesThePreviousFileAndNoDebris) {
  TempDir dir;
  const std::string doc = dir.write("doc.xml", "the previous document");
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    std::string error;
    replaceFile(
        doc,
        [&](std::FILE* f) {
          std::fputs("part of a new document", f);
          std::fflush(f);
          ::write(ready[1], "x", 1);
          ::pause();
          return true;
        },
        error);
    ::_exit(0);
  }
  char c;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);
  EXPECT_EQ(TempDir::read(doc), "the previous document");
  // The file system of the test folder has O_TMPFILE: nothing with a name was ever made. Where
  // one is made, the next save removes it once stale (below).
  EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"doc.xml"});
}

TEST(ReplaceFile, StaleTemporariesOfDeadSavesAreRemovedByTheNextSave) {
  TempDir dir;
  const std::string stale = dir.write(".doc.xml.vellary-Ab12Cd.tmp", "debris");
  const std::string fresh = dir.write(".doc.xml.vellary-Ef34Gh.tmp", "a save under way");
  const std::string locked = dir.write(".other.xml.vellary-Ij56Kl.tmp", "a slow save");
  const std::string userFile = dir.write(".notes.tmp", "not ours");
  const std::string kept = dir.write(".doc.xml.vellary-Mn78Op.old", "a safe copy");
  const struct timespec old[2] = {{std::time(nullptr) - 3600, 0}, {std::time(nullptr) - 3600, 0}};
  for (const std::string& p : {stale, locked, userFile, kept}) ::utimensat(AT_FDCWD, p.c_str(), old, 0);
  UniqueFd lock(::open(locked.c_str(), O_RDONLY));
  ASSERT_EQ(::flock(lock.get(), LOCK_EX), 0);

  ASSERT_TRUE(save(dir / "doc.xml", "saved"));
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(fresh));
  EXPECT_TRUE(fs::exists(locked));
  EXPECT_TRUE(fs::exists(userFile));
  EXPECT_TRUE(fs::exists(kept));

  EXPECT_TRUE(isTemporaryFileName(".doc.xml.vellary-Ab12Cd.tmp"));
  EXPECT_FALSE(isTemporaryFileName(".vellary-Ab12Cd.tmp2"));
  EXPECT_FALSE(isTemporaryFileName("doc.xml"));
}

TEST(ReplaceFile, LongFileNames) {
  TempDir dir;
  const std::string name = std::string(240, 'n') + ".xml";  // a temporary name would exceed 255
  ASSERT_TRUE(save(dir / name, "long name"));
  EXPECT_EQ(TempDir::read(dir / name), "long name");
  EXPECT_EQ(entries(dir.path()), std::vector<std::string>{name});
}

TEST(InputFiles, OnlyRegularFilesAreOpened) {
  TempDir dir;
  const std::string fifo = dir / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  UniqueFd fd;
  EXPECT_EQ(openInputFile(fifo, fd), kNotRegularFile);  // at once, although no writer is there
  EXPECT_EQ(openInputFile(dir.path(), fd), EISDIR);
  EXPECT_EQ(openInputFile("/dev/zero", fd), kNotRegularFile);
  EXPECT_EQ(openInputFile(dir / "absent", fd), ENOENT);
  EXPECT_EQ(inputErrorText(EISDIR), "Is a directory");
  std::string bytes;
  dir.write("f", "0123456789");
  EXPECT_EQ(readInputFile(dir / "f", bytes, 9), EFBIG);
  EXPECT_EQ(readInputFile(dir / "f", bytes), 0);
  EXPECT_EQ(bytes, "0123456789");
}

TEST(PrivateFolders, AreMadeClosedAndRefusedWhenNotTheUsers) {
  TempDir dir;
  std::string error;
  const std::string folder = dir / "state/vellary";
  ASSERT_TRUE(makePrivateFolder(folder, error)) << error;
  EXPECT_EQ(statOf(folder).st_mode & 0777, 0700u);
  EXPECT_EQ(statOf(dir / "state").st_mode & 0777, 0700u);
  ::chmod(folder.c_str(), 0755);
  ASSERT_TRUE(makePrivateFolder(folder, error));
  EXPECT_EQ(statOf(folder).st_mode & 0777, 0700u);

  fs::create_directory_symlink(folder, dir / "link");
  EXPECT_FALSE(makePrivateFolder(dir / "link", error));
  dir.write("plain", "");
  EXPECT_FALSE(makePrivateFolder(dir / "plain", error));
  if (testing::runningAsRoot()) {
    fs::create_directory(dir / "theirs");
    ASSERT_EQ(::chown((dir / "theirs").c_str(), testing::kSpareUid, testing::kSpareGid), 0);
    EXPECT_FALSE(makePrivateFolder(dir / "theirs", error));
    EXPECT_NE(error.find("not a folder of this user's own"), std::string::npos) << error;
  }
}

TEST(FileLocks, OneHolderAtATime) {
  TempDir dir;
  int error = 0;
  std::optional<FileLock> first = FileLock::tryAcquire(dir / "lock", error);
  ASSERT_TRUE(first.has_value());
  EXPECT_FALSE(FileLock::tryAcquire(dir / "lock", error).has_value());
  EXPECT_EQ(error, EWOULDBLOCK);
  first.reset();
  EXPECT_TRUE(FileLock::tryAcquire(dir / "lock", error).has_value());
  EXPECT_EQ(statOf(dir / "lock").st_mode & 0777, 0600u);
}

}  // namespace
}  // namespace vellary::model
