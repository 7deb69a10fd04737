// vellary-cli recognise as a user runs it: scans in, a document and its page pictures out, or a
// message and nothing written.
#include <gtest/gtest.h>

#include <filesystem>

#include "model/text.h"
#include "rovorirud/reader.h"
#include "support/cli_runner.h"

namespace {

namespace fs = std::filesystem;
using vellary::testing::CliResult;
using vellary::testing::TempDir;

const std::string kPages = std::string(VELLARY_SOURCE_DIR) + "/tests/recognize/data/recognition/";

TEST(RecogniseCli, WritesTheDocumentWithItsPagePicturesReComposed) {
  TempDir dir;
  const CliResult r = vellary::testing::runCli(
      "recognise " + (dir / "scan.xml") + " " + kPages + "vertical.tif " + kPages +
          "horizontal.png --lang auto --jobs 2",
      dir);
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_TRUE(r.out.empty());
  EXPECT_EQ(r.err, "");  // no bar when standard error is not a terminal

  vellary::rovorirud::ReadResult doc = vellary::rovorirud::readDocumentFile(dir / "scan.xml");
  ASSERT_NE(doc.paper, nullptr) << doc.code;
  ASSERT_EQ(doc.paper->pages.size(), 2u);
  EXPECT_EQ(vellary::model::toUtf8(doc.paper->pages.front().file.value_or(u"")), "p0001.tif");
  EXPECT_EQ(vellary::model::toUtf8(std::next(doc.paper->pages.begin())->file.value_or(u"")), "p0002.jpg");  // a grey page
  EXPECT_TRUE(fs::exists(dir / "scan/p0001.tif"));
  EXPECT_TRUE(fs::exists(dir / "scan/p0002.jpg"));
  // Re-composed: the ruby lines name the base characters they belong to.
  int ruby = 0;
  for (const auto& block : doc.paper->pages.front().blocks)
    for (const auto& line : block.lines)
      if (line.attr == vellary::model::AttrRuby) {
        ++ruby;
        EXPECT_NE(line.baseLine, nullptr);
        EXPECT_GT(line.rcs, 0);
      }
  EXPECT_GT(ruby, 0);
}

TEST(RecogniseCli, BadInputAndAMissingModelGiveAMessageExitOneAndWriteNothing) {
  TempDir dir;
  const std::string out = dir / "scan.xml";
  const std::string notes = dir.write("notes.jpg", "not a picture");
  fs::create_directories(dir / "models");
  struct Case {
    std::string args, env, message;
  } cases[] = {
      {kPages + "vertical.tif " + notes, "", "notes.jpg"},
      {dir / "missing.png", "", "missing.png"},
      {kPages + "vertical.tif --lang jpn_vert", "env TESSDATA_PREFIX=" + (dir / "models"),
       "jpn_vert"},
      {kPages + "vertical.tif --lang vertical", "", "--lang"},
      {kPages + "vertical.tif --jobs -1", "", "--jobs"},
      {kPages + "vertical.tif --dpi 7", "", "--dpi"},
      {"", "", "usage"},
  };
  for (const Case& c : cases) {
    const CliResult r = vellary::testing::runCli("recognise " + out + " " + c.args, dir, c.env);
    EXPECT_EQ(r.exit, 1) << c.args;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << ": " << r.err;
    EXPECT_FALSE(fs::exists(out)) << c.args;
    EXPECT_FALSE(fs::exists(dir / "scan")) << c.args;
  }
}

}  // namespace
