// Font subsets for the XPS output, checked by reading the subset back with HarfBuzz.
#include "export/font_subset.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "office_helpers.h"
#include "support/temp_dir.h"

namespace vellary::exporting::word {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

TEST(FontSubset, KeepsTheUsedCharactersOfAnInstalledMinchoFace) {
  TempDir dir;
  const std::vector<char32_t> chars{U'認', U'識', U'か', U'Ａ'};
  auto source = findSubsetSource(128, chars);
  ASSERT_TRUE(source.has_value());
  const std::string out = dir / "SubFont0.ttf";
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(makeFontSubset(128, chars, out), kSubsetOk);
  const std::string report = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(report.rfind("Subset: '" + source->path + "' ", 0), 0u) << report;
  EXPECT_NE(
      report.find(" bytes -> subset size: " + std::to_string(fs::file_size(out)) + " bytes\n"),
      std::string::npos)
      << report;
  EXPECT_TRUE(testing::fontCovers(out, U"認識かＡ"));
  EXPECT_FALSE(testing::fontCovers(out, U"漢"));  // only what was asked for
  EXPECT_LT(fs::file_size(out), fs::file_size(source->path) / 10);
}

TEST(FontSubset, FailuresHaveTheirCodes) {
  TempDir dir;
  const std::vector<char32_t> chars{U'あ'};
  EXPECT_EQ(subsetFont({dir / "missing.ttf", 0}, chars, dir / "out.ttf"), kSubsetCannotOpen);
  EXPECT_FALSE(fs::exists(dir / "out.ttf"));
  EXPECT_EQ(subsetFont({dir.write("text.ttf", "not a font at all"), 0}, chars, dir / "out.ttf"),
            kSubsetNotAFont);
  auto source = findSubsetSource(128, chars);
  ASSERT_TRUE(source.has_value());
  EXPECT_EQ(subsetFont(*source, chars, dir / "no/such/folder/out.ttf"), kSubsetCannotOpen);
}

}  // namespace
}  // namespace vellary::exporting::word
