// vellary-cli with the open formats, as a script would run it: import, dump of any format, and
// export --kind page|alto|hocr.
#include <gtest/gtest.h>

#include <filesystem>

#include "formats_helpers.h"
#include "support/cli_runner.h"

namespace vellary::formats {
namespace {

namespace fs = std::filesystem;
using vellary::testing::CliResult;

class FormatsCli : public ::testing::Test {
 protected:
  CliResult run(const std::string& args) { return vellary::testing::runCli(args, scratch_); }
  vellary::testing::TempDir scratch_;
  const std::string dir_ = scratch_.path();
  const std::string data_ = vellary::testing::kFormatData;
};

TEST_F(FormatsCli, ImportWritesRovOrirUDThatReadsBackAsTheSameDocument) {
  const std::string hocr = data_ + "/tesseract/vertical.hocr";
  const std::string out = dir_ + "/vertical.xml";
  CliResult r = run("import " + hocr + " " + out);
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_TRUE(r.out.empty());
  // The written file is native, and holds what dump shows of the hOCR.
  CliResult native = run("dump " + out);
  CliResult direct = run("dump " + hocr);
  ASSERT_EQ(native.exit, 0);
  ASSERT_EQ(direct.exit, 0);
  EXPECT_EQ(native.out, direct.out);
  EXPECT_EQ(run("dump --summary " + hocr).out,
            "{\"pages\": 1, \"blocks\": 2, \"lines\": 3, \"chars\": 23, \"candidates\": 116}\n");

  // A file neither its content nor its extension tells: the format must be named.
  std::string rows = vellary::testing::TempDir::read(data_ + "/tesseract/horizontal.tsv");
  scratch_.write("words.txt", rows.substr(rows.find('\n') + 1));  // without the header row
  EXPECT_EQ(run("import " + dir_ + "/words.txt " + dir_ + "/w.xml").exit, 2);
  ASSERT_EQ(run("import " + dir_ + "/words.txt " + dir_ + "/w.xml --format tsv").exit, 0);
  EXPECT_NE(run("dump " + dir_ + "/w.xml").out.find("\"direction\": \"horizontal\""),
            std::string::npos);
}

TEST_F(FormatsCli, AnUnreadableInputExitsTwoWithTheErrorOfDump) {
  const std::string bad =
      scratch_.write("bad.xml", "<?xml version=\"1.0\"?>\n<alto>\n<Layout>\n<Page ID=\"p\">\n");
  CliResult r = run("import " + bad + " " + dir_ + "/out.xml");
  EXPECT_EQ(r.exit, 2);
  EXPECT_FALSE(fs::exists(dir_ + "/out.xml"));
  CliResult dump = run("dump " + bad);
  EXPECT_EQ(dump.exit, 2);
  EXPECT_EQ(r.out, dump.out);
  EXPECT_EQ(
      dump.out.rfind(
          "{\"error\": -12, \"line\": 4, \"message\": \"XMLの書式が間違っています。[4行目]", 0),
      0u)
      << dump.out;
  EXPECT_NE(dump.out.find("\"element\": \"/alto/Layout/Page\""), std::string::npos);

  CliResult wrong = run("import " + data_ + "/ndlocr.xml " + dir_ + "/out.xml --format page");
  EXPECT_EQ(wrong.exit, 2);
  EXPECT_EQ(wrong.out,
            "{\"error\": -4, \"line\": 2, \"message\": \"PAGE XMLの文書ではありません。[2行目]\", "
            "\"element\": \"/OCRDATASET\"}\n");
  CliResult unknown = run("import " + data_ + "/ndlocr.xml " + dir_ + "/out.xml --format pdf");
  EXPECT_EQ(unknown.exit, 1);
  EXPECT_NE(unknown.err.find("--format takes rovorirud|hocr|page|alto|ndl|tsv"), std::string::npos);
  EXPECT_EQ(run("import " + dir_ + "/none.hocr " + dir_ + "/out.xml").exit, 1);

  // Bytes the declared encoding cannot hold: the parser's complaints stay out of the output.
  const std::string euc = scratch_.write(
      "bad.hocr", "<html><head><meta charset=\"EUC-JP\"></head><body>\x93\xC2'o</body></html>");
  CliResult quiet = run("dump " + euc);
  EXPECT_EQ(quiet.exit, 2);
  EXPECT_EQ(quiet.err, "");
}

TEST_F(FormatsCli, ExportWritesEachKindAsTheSchemasWantIt) {
  const std::string sample = vellary::testing::kSampleDocument;
  ASSERT_EQ(run("export " + sample + " " + dir_ + "/book.xml --kind page").exit, 0);
  for (const char* page : {"0001.xml", "0002.xml", "0003.xml"})
    EXPECT_TRUE(fs::exists(dir_ + "/book/" + page)) << page;
  EXPECT_FALSE(fs::exists(dir_ + "/book.xml"));  // more than one page: the folder instead
  ASSERT_EQ(run("export " + sample + " " + dir_ + "/two.xml --kind page --pages 2").exit, 0);
  ASSERT_EQ(run("export " + sample + " " + dir_ + "/alto.xml --kind alto --pages 1-2").exit, 0);
  ASSERT_EQ(run("export " + sample + " " + dir_ + "/book.hocr --kind hocr").exit, 0);
  // The image named in each file is the one the sample's folder holds.
  const std::string page2 = vellary::testing::TempDir::read(dir_ + "/two.xml");
  EXPECT_NE(page2.find("imageFilename=\"" + std::string(VELLARY_SOURCE_DIR) +
                       "/samples/minato/minato/page2.jpg\""),
            std::string::npos);
  EXPECT_EQ(run("dump --summary " + dir_ + "/alto.xml").out.rfind("{\"pages\": 2,", 0), 0u);
  // Every character of the sample (its lines differ: the editor splits ruby per base character
  // as it opens the sample).
  auto chars = [](const std::string& summary) { return summary.substr(summary.find("\"chars\"")); };
  EXPECT_EQ(chars(run("dump --summary " + dir_ + "/book.hocr").out),
            chars(run("dump --summary " + sample).out));

  CliResult refused = run("export " + sample + " " + dir_ + "/no/such/dir/x.hocr --kind hocr");
  EXPECT_EQ(refused.exit, 1);
  EXPECT_NE(refused.err.find("が保存できません。"), std::string::npos);

  VELLARY_SKIP_WITHOUT_SCHEMAS();
  for (const char* page : {"book/0001.xml", "book/0002.xml", "book/0003.xml", "two.xml"})
    EXPECT_EQ(vellary::testing::validate(dir_ + "/" + page, "pagecontent-2019-07-15.xsd"), "");
  EXPECT_EQ(vellary::testing::validate(dir_ + "/alto.xml", "alto-4-4.xsd"), "");
}

}  // namespace
}  // namespace vellary::formats
