// What vellary-cli does to the files it writes and reads, through the real binary: links, hard
// links, special files, modes, owners, read-only files, size limits, inputs that are not regular
// files, long image paths and folder names that are not UTF-8. Every command that writes a file
// is tried.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "rovorirud/codec.h"
#include "support/cli_runner.h"
#include "support/spare_user.h"

namespace {

namespace fs = std::filesystem;
namespace vt = vellary::testing;

const std::string kSample = std::string(VELLARY_SOURCE_DIR) + "/samples/sample.xml";

struct stat statOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st;
}

// One command that writes OUT; `env` is put before it.
struct Writer {
  const char* name;
  std::string args;  // with IN and OUT standing for the paths
};

std::string expand(std::string args, const std::string& in, const std::string& out) {
  if (size_t at = args.find(" IN "); at != std::string::npos) args.replace(at + 1, 2, in);
  args.replace(args.find("OUT"), 3, out);
  return args;
}

class EveryWriter : public ::testing::TestWithParam<Writer> {
 protected:
  vt::CliResult run(const std::string& out) {
    fs::create_directories(dir_ / "home");
    return vt::runCli(expand(GetParam().args, kSample, out), dir_,
                      "env HOME=" + (dir_ / "home") + " XDG_CONFIG_HOME=" + (dir_ / "home/config") +
                          " XDG_CACHE_HOME=" + (dir_ / "home/cache"));
  }
  vt::TempDir dir_;
};

// Through a link the link stays and its target gets the content; through one of two hard links
// both names see it; a private file stays private; a full device is reported with its reason.
TEST_P(EveryWriter, KeepsLinksHardLinksAndModesAndTellsWhyItFailed) {
  fs::create_directory(dir_ / "real");
  fs::create_symlink("real/out.bin", dir_ / "link.bin");
  vt::CliResult r = run(dir_ / "link.bin");
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.bin"));
  const std::string written = vt::TempDir::read(dir_ / "real/out.bin");
  EXPECT_GT(written.size(), 40u);

  const std::string a = dir_.write("a.bin", "old");
  fs::create_hard_link(a, dir_ / "b.bin");
  ::chmod(a.c_str(), 0600);
  ASSERT_EQ(run(a).exit, 0);
  EXPECT_EQ(vt::TempDir::read(dir_ / "b.bin"), vt::TempDir::read(a));
  EXPECT_NE(vt::TempDir::read(a), "old");
  EXPECT_EQ(statOf(a).st_mode & 07777, 0600u);

  r = run("/dev/full");
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.err.find("No space left on device"), std::string::npos) << r.err;
  EXPECT_TRUE(S_ISCHR(statOf("/dev/full").st_mode));
}

INSTANTIATE_TEST_SUITE_P(
    Cli, EveryWriter,
    ::testing::Values(Writer{"save", "save IN OUT"}, Writer{"recompose", "recompose IN OUT"},
                      Writer{"text", "export IN OUT --kind txt"},
                      Writer{"pdf", "export IN OUT --kind pdf"},
                      Writer{"docx", "export IN OUT --kind docx"},
                      Writer{"pptx", "export IN OUT --kind pptx"},
                      Writer{"xps", "export IN OUT --kind xps"},
                      Writer{"settings", "settings export OUT"}),
    [](const ::testing::TestParamInfo<Writer>& info) { return std::string(info.param.name); });

class FileSafety : public ::testing::Test {
 protected:
  vt::CliResult run(const std::string& args, const std::string& env = "") {
    return vt::runCli(args, dir_, env);
  }
  vt::TempDir dir_;
};

TEST_F(FileSafety, SaveWritesSpecialFilesAndNeverReplacesThem) {
  vt::CliResult r = run("save " + kSample + " /dev/stdout");
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.out.rfind("<?xml version=\"1.0\" encoding=\"Shift_JIS\" ?>\r\n", 0), 0u);

  const std::string fifo = dir_ / "pipe.xml";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = vt::TempDir::read(fifo); });
  r = run("save " + kSample + " " + fifo);
  reader.join();
  EXPECT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(received.rfind("<?xml", 0), 0u);
  EXPECT_TRUE(S_ISFIFO(statOf(fifo).st_mode));

  fs::create_symlink(dir_.path(), dir_ / "folder-link");
  r = run("save " + kSample + " " + (dir_ / "folder-link"));
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.err.find("Is a directory"), std::string::npos) << r.err;
  EXPECT_TRUE(fs::is_symlink(dir_ / "folder-link"));

  fs::create_symlink("made-by-save.xml", dir_ / "dangling.xml");
  ASSERT_EQ(run("save " + kSample + " " + (dir_ / "dangling.xml")).exit, 0);
  EXPECT_TRUE(fs::is_symlink(dir_ / "dangling.xml"));
  EXPECT_TRUE(fs::is_regular_file(dir_ / "made-by-save.xml"));
}

TEST_F(FileSafety, ReadOnlyFilesSetIdBitsAndOwnersAreRespected) {
  const std::string ro = dir_.write("ro.xml", "read only");
  ::chmod(ro.c_str(), 0444);
  vt::CliResult r = run("save " + kSample + " " + ro);
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.err.find("Permission denied"), std::string::npos) << r.err;
  EXPECT_EQ(vt::TempDir::read(ro), "read only");

  const std::string setId = dir_.write("setid.xml", "x");
  ::chmod(setId.c_str(), 04755);
  ASSERT_EQ(run("save " + kSample + " " + setId).exit, 0);
  EXPECT_EQ(statOf(setId).st_mode & 07777, 0755u);

  if (!vt::runningAsRoot()) GTEST_SKIP() << "owners need root";
  const std::string theirs = dir_.write("theirs.xml", "x");
  ASSERT_EQ(::chown(theirs.c_str(), vt::kSpareUid, vt::kSpareGid), 0);
  ::chmod(theirs.c_str(), 0660);
  ASSERT_EQ(run("save " + kSample + " " + theirs).exit, 0);
  EXPECT_EQ(statOf(theirs).st_uid, vt::kSpareUid);
  EXPECT_EQ(statOf(theirs).st_gid, vt::kSpareGid);
  EXPECT_EQ(statOf(theirs).st_mode & 07777, 0660u);
}

TEST_F(FileSafety, AFileSizeLimitIsAnErrorWithAMessageAndNoDebris) {
  const std::string out = dir_.write("out.xml", "previous");
  // 2 blocks of 1024 bytes (bash) or 512 (dash): below the sample's 7 KB either way.
  vt::CliResult r = run("save " + kSample + " " + out, "ulimit -f 2;");
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.err.find("File too large"), std::string::npos) << r.err;
  EXPECT_EQ(vt::TempDir::read(out), "previous");
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir_.path())) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"out.xml", "stderr.txt"}));
}

// Inputs that are not regular files are refused at once with what they are; a pipe never hangs.
TEST_F(FileSafety, InputsMustBeRegularFiles) {
  const std::string fifo = dir_ / "pipe.xml";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& args :
       {"dump " + fifo, "save " + fifo + " " + (dir_ / "o.xml"),
        "recompose " + fifo + " " + (dir_ / "o.xml"),
        "export " + fifo + " " + (dir_ / "o.txt") + " --kind txt"}) {
    vt::CliResult r = run(args);
    EXPECT_EQ(r.exit, 1) << args;
    EXPECT_NE(r.err.find("not a regular file"), std::string::npos) << r.err;
  }
  vt::CliResult r = run("dump " + dir_.path());
  EXPECT_EQ(r.exit, 1);
  EXPECT_EQ(r.err, "vellary-cli: cannot open " + dir_.path() + ": Is a directory\n");
  EXPECT_TRUE(r.out.empty());
  r = run("settings import " + fifo, "env HOME=" + dir_.path() + " XDG_CONFIG_HOME=" + (dir_ / "c"));
  EXPECT_EQ(r.exit, 1);
  EXPECT_FALSE(fs::exists(dir_ / "c"));
  r = run("dump /dev/zero");
  EXPECT_EQ(r.exit, 1);
}

// A folder name in Shift_JIS, as an archive from another system brings it.
TEST_F(FileSafety, FolderNamesThatAreNotUtf8Work) {
  const std::string folder = dir_ / "\x93\xFA\x96\x7B";  // 日本 in Shift_JIS
  fs::create_directory(folder);
  fs::copy_file(kSample, folder + "/s.xml");
  vt::CliResult r = run("dump --summary " + folder + "/s.xml");
  EXPECT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(run("save " + folder + "/s.xml " + folder + "/t.xml").exit, 0);
  EXPECT_EQ(run("export " + folder + "/s.xml " + folder + "/t.txt --kind txt").exit, 0);
  EXPECT_TRUE(fs::exists(folder + "/t.xml"));
  EXPECT_TRUE(fs::exists(folder + "/t.txt"));
}

// A page line of 991 to 1023 units in the input (a long image path, no size) grows past the
// reader's piece of 1023 when the writer adds the page's size: the saved file must still read.
TEST_F(FileSafety, LongImagePathsSaveIntoFilesThatRead) {
  for (size_t length : {938u, 955u, 970u}) {  // page lines of 991, 1008 and 1023 units
    const std::string path = "/scan/" + std::string(length, 'p') + ".tif";
    const std::string in = dir_.write("long.xml", "<?xml version=\"1.0\" encoding=\"Shift_JIS\" ?>\n"
                                                  "<paper>\n<page number=\"1\" file=\"p.tif\" "
                                                  "fullpath=\"" + path + "\">\n</page>\n</paper>\n");
    ASSERT_EQ(run("dump --summary " + in).exit, 0);
    const std::string out = dir_ / "saved.xml";
    vt::CliResult r = run("save " + in + " " + out);
    ASSERT_EQ(r.exit, 0) << r.err;
    r = run("dump " + out);
    EXPECT_EQ(r.exit, 0) << length << ": " << r.out;
    EXPECT_NE(r.out.find(path), std::string::npos);
  }
}

}  // namespace
