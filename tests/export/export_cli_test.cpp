// vellary-cli export: kinds, page ranges and failures as a script sees them.
#include <gtest/gtest.h>

#include <filesystem>

#include "export/pdf/pdf_file.h"
#include "office_log.h"
#include "pdf_helpers.h"
#include "support/cli_runner.h"

namespace {

namespace vt = vellary::testing;

class ExportCli : public ::testing::Test {
 protected:
  vt::CliResult run(const std::string& args) { return vt::runCli(args, dir_); }
  vt::TempDir dir_;
  const std::string sample_ = std::string(VELLARY_SOURCE_DIR) + "/samples/sample.xml";
};

TEST_F(ExportCli, WritesTextOfThePagesAsked) {
  auto r = run("export " + sample_ + " " + (dir_ / "p2.txt") + " --kind txt --pages 2-2");
  ASSERT_EQ(r.exit, 0) << r.err;
  const std::string bytes = vt::TempDir::read(dir_ / "p2.txt");
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  // Page 2 holds the table: price, a tab, twelve yen, a line break, then the page number.
  EXPECT_EQ(bytes.substr(2, 8), std::string("\xA1\x4F\x3C\x68\x09\x00\x11\xFF", 8));
}

TEST_F(ExportCli, WritesPdfWithTheDocumentInformation) {
  auto r = run("export " + sample_ + " " + (dir_ / "a.pdf") + " --kind pdf --title テスト");
  ASSERT_EQ(r.exit, 0) << r.err;
  const std::string pdf = vt::TempDir::read(dir_ / "a.pdf");
  EXPECT_NE(pdf.find("/Title <FEFF30C630B930C8>"), std::string::npos);
  EXPECT_NE(pdf.find("/Count 2\r\n"), std::string::npos);
  // Without a title of its own, the document is called by its file's name.
  r = run("export " + sample_ + " " + (dir_ / "c.pdf") + " --kind pdf --fonts named --jobs 1");
  ASSERT_EQ(r.exit, 0) << r.err;
  const std::string named = vt::TempDir::read(dir_ / "c.pdf");
  EXPECT_NE(named.find("/Title <FEFF" + vellary::exporting::pdf::hexUtf16(u"sample") + ">"),
            std::string::npos);
  EXPECT_NE(named.find("/BaseFont /MS-Mincho"), std::string::npos);
  EXPECT_EQ(named.find("/FontFile2"), std::string::npos);
  r = run("export " + sample_ + " " + (dir_ / "d.pdf") + " --kind pdf --pdfa");
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_NE(vt::TempDir::read(dir_ / "d.pdf").find("<pdfaid:part>2</pdfaid:part>"),
            std::string::npos);
  r = run("export " + sample_ + " " + (dir_ / "b.pdf") + " --kind pdf-mrc --pages 1 --quality 2");
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_NE(vt::TempDir::read(dir_ / "b.pdf").find("/Count 1\r\n"), std::string::npos);
}

TEST_F(ExportCli, DrivesTheOfficeWriterLibrary) {
  const std::string log = dir_ / "log";
  auto r = vt::runCli("export " + sample_ + " " + (dir_ / "a.pptx") +
                          " --kind pptx --word-columns 2 --office-library " + FAKE_OXMLGEN,
                      dir_, "env OXMLGEN_FAKE_LOG=" + log);
  ASSERT_EQ(r.exit, 0) << r.err;
  const auto calls = vt::readOfficeLog(log);
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front().name, "initDocxData");
  EXPECT_EQ(calls.back().name, "createPPTX");
  EXPECT_EQ(calls.back().num("columns"), 2);
  EXPECT_EQ(calls.back().num("more"), 0);
}

TEST_F(ExportCli, RefusesWhatItCannotDo) {
  auto r = run("export " + sample_ + " " + (dir_ / "a.docx") + " --kind docx --office-library " +
               (dir_ / "missing.so"));
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.err.find("ファイル " + (dir_ / "a.docx") + " が保存できません。"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "a.docx"));
  EXPECT_EQ(run("export " + sample_ + " " + (dir_ / "a.docx") + " --kind docx --word-columns 3").exit,
            1);
  EXPECT_EQ(run("export " + sample_ + " " + (dir_ / "a.txt") + " --kind txt --pages 3-2").exit, 1);
  EXPECT_EQ(run("export " + sample_ + " " + (dir_ / "a.txt") + " --kind txt --pages 1-9").exit, 1);
  EXPECT_EQ(run("export " + sample_ + " " + (dir_ / "a.txt") + " --kind rtf").exit, 1);
  EXPECT_EQ(
      run("export " + sample_ + " " + (dir_ / "a.pdf") + " --kind pdf-image --quality 3").exit, 1);
  EXPECT_EQ(run("export " + sample_ + " " + (dir_ / "a.pdf") + " --kind pdf --jobs -1").exit, 1);
  EXPECT_EQ(run("export " + sample_ + " " + (dir_ / "a.pdf") + " --kind pdf --fonts none").exit, 1);
  EXPECT_EQ(run("export " + sample_ + " " + (dir_ / "a.txt") + " --kind txt --ruby kana").exit, 1);
  EXPECT_EQ(run("export " + sample_ + " " + (dir_ / "no/a.pdf") + " --kind pdf").exit, 1);
  EXPECT_EQ(run("export " + (dir_ / "none.xml") + " " + (dir_ / "a.pdf") + " --kind pdf").exit, 1);
  const std::string bad = dir_.write("bad.xml", "<paper><page");
  EXPECT_EQ(run("export " + bad + " " + (dir_ / "a.pdf") + " --kind pdf").exit, 2);
}

}  // namespace
