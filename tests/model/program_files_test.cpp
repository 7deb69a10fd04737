// Finding the program's own files from the program's folder, in the build tree and in an
// installed tree.
#include "model/program_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace vellary::model {
namespace {

namespace fs = std::filesystem;

TEST(ProgramFiles, TheFoldersLieBesideTheProgramsFolder) {
  EXPECT_EQ(dataFolder("/usr/bin"), "/usr/share/vellary");
  EXPECT_EQ(privateLibraryFolder("/usr/bin"), "/usr/lib/vellary");
  EXPECT_EQ(shareFolder("/opt/vellary/bin/"), "/opt/vellary/share");
  EXPECT_EQ(dataFolder(""), "");
  EXPECT_EQ(dataFile(kManualIndex, ""), "");
}

TEST(ProgramFiles, TheBuildTreeIsLaidOutAsAnInstalledOne) {
  // The tests run from build/bin, as the programs do.
  EXPECT_TRUE(fs::equivalent(programFolder(), VELLARY_BIN_DIR));
  const std::string manual = dataFile(kManualIndex);
  ASSERT_FALSE(manual.empty());
  EXPECT_TRUE(fs::equivalent(manual, std::string(VELLARY_BIN_DIR) +
                                         "/../share/vellary/manual/index.html"));
  EXPECT_FALSE(dataFile("CandidateExplain.txt").empty());
}

TEST(ProgramFiles, AnInstalledTreeIsFoundFromItsOwnProgramFolder) {
  testing::TempDir root;
  const fs::path prefix = fs::path(root.path()) / "usr";
  fs::create_directories(prefix / "bin");
  fs::create_directories(prefix / "share/vellary/manual");
  const std::string bin = (prefix / "bin").string();
  EXPECT_EQ(dataFile(kManualIndex, bin), "");  // not there yet
  root.write("usr/share/vellary/manual/index.html", "<html></html>");
  EXPECT_EQ(dataFile(kManualIndex, bin), (prefix / "share/vellary/manual/index.html").string());
  // Only a file will do: a folder of that name is not the manual.
  fs::create_directories(prefix / "share/vellary/CandidateExplain.txt");
  EXPECT_EQ(dataFile("CandidateExplain.txt", bin), "");
}

}  // namespace
}  // namespace vellary::model
