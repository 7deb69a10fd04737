// The bundled sample exported by vellary-cli through the real library, read back by readers that
// know nothing of either: python-docx, a package and XML check of the presentation, and xpstopdf
// with pdftotext.
#include <gtest/gtest.h>

#include <string>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace {

namespace vt = vellary::testing;

const std::string kSample = std::string(VELLARY_SOURCE_DIR) + "/samples/minato/minato.xml";
const std::string kProbe = std::string(VELLARY_SOURCE_DIR) + "/tests/oxmlgen/office_probe.py";

struct Output {
  int exit = -1;
  std::string out;
};

Output run(const std::string& command) {
  Output r;
  std::FILE* p = popen((command + " 2>&1").c_str(), "r");
  if (p == nullptr) return r;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int status = pclose(p);
  r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

class SampleExport : public ::testing::Test {
 protected:
  std::string exportAs(const char* kind) {
    // The Word and PowerPoint files take different names, so that their conversions do not meet.
    const std::string out =
        dir_ / (std::string(kind) == "pptx" ? "minato-slides.pptx" : std::string("minato.") + kind);
    const auto r = vt::runCli("export " + kSample + " " + out + " --kind " + kind, dir_);
    EXPECT_EQ(r.exit, 0) << r.err;
    return out;
  }
  vt::TempDir dir_;
};

// Text from each of the three pages (vertical, horizontal with a table, vertical with a
// footnote), away from ruby bases, which python-docx leaves out of a paragraph's text.
const char* const kPageTexts[] = {"夜明け前の港は、まだ深い眠りの底にある。",
                                  "漁業を中心に発展してきた。",
                                  "こうして静かに始まり"};

TEST_F(SampleExport, WordDocumentHoldsTheTextOfEveryPageAndEveryTableCell) {
  if (run("/usr/bin/python3 -c 'import docx'").exit != 0) GTEST_SKIP() << "python3-docx missing";
  const std::string path = exportAs("docx");
  const Output r = run("/usr/bin/python3 " + kProbe + " docx " + path);
  ASSERT_EQ(r.exit, 0) << r.out;
  for (const char* text : kPageTexts) EXPECT_NE(r.out.find(text), std::string::npos) << text;
  for (const char* cell : {"cell:いわし", "cell:1,240", "cell:あじ", "cell:611", "cell:かつお"})
    EXPECT_NE(r.out.find(cell), std::string::npos) << cell << "\n" << r.out;
  EXPECT_NE(r.out.find("sections:3"), std::string::npos);
  // The readings over 岸壁 are real rubies with their bases and readings.
  const std::string xml =
      run("/usr/bin/python3 " + kProbe + " part " + path + " word/document.xml").out;
  EXPECT_NE(xml.find("<w:ruby>"), std::string::npos);
  EXPECT_NE(xml.find(">ぺき</w:t>"), std::string::npos);
  EXPECT_NE(xml.find(">壁</w:t>"), std::string::npos);
}

TEST_F(SampleExport, PresentationHasOneSlidePerPageWithItsText) {
  const std::string path = exportAs("pptx");
  const Output r = run("/usr/bin/python3 " + kProbe + " pptx " + path);
  ASSERT_EQ(r.exit, 0) << r.out;
  for (int slide = 1; slide <= 3; ++slide) {
    const std::string head = "slide " + std::to_string(slide) + ": ";
    const size_t at = r.out.find(head);
    ASSERT_NE(at, std::string::npos) << r.out;
    const std::string line = r.out.substr(at, r.out.find('\n', at) - at);
    // Lines of a text box are joined by "|" in the probe's report.
    std::string joined;
    for (char c : line)
      if (c != '|') joined += c;
    EXPECT_NE(joined.find(kPageTexts[slide - 1]), std::string::npos) << line;
  }
  EXPECT_EQ(r.out.find("slide 4:"), std::string::npos);
}

// LibreOffice, the word processor and presentation program of a Linux desktop, shows every
// character of every page of the Word and PowerPoint files, each on its own page. Both files are
// converted to PDF in one run of LibreOffice, which takes seconds to start; the Word file then
// to text in another.
TEST_F(SampleExport, LibreOfficeShowsEveryCharacterOfEveryPage) {
  if (run("command -v soffice").exit != 0) GTEST_SKIP() << "LibreOffice missing (scripts/deps)";
  const std::string word = exportAs("docx");
  const std::string slides = exportAs("pptx");
  // The document as the exports see it: opened as the editor opens it (side lines attached, the
  // small kana of ruby made full size).
  const std::string cli = std::string(VELLARY_BIN_DIR) + "/vellary-cli ";
  const std::string opened = dir_ / "opened.xml", dump = dir_ / "minato.json";
  ASSERT_EQ(run(cli + "recompose " + kSample + " " + opened).exit, 0);
  ASSERT_EQ(run(cli + "dump " + opened + " > " + dump).exit, 0);
  // A private profile: a running LibreOffice of the user's would take the conversion over.
  const Output converted =
      run("cd " + dir_.path() + " && soffice -env:UserInstallation=file://" + dir_.path() +
          "/lo-profile --headless --convert-to pdf --outdir " + dir_.path() + "/lo " + word + " " +
          slides);
  ASSERT_EQ(converted.exit, 0) << converted.out;
  for (const char* name : {"minato.pdf", "minato-slides.pdf"}) {
    const std::string pdf = dir_ / (std::string("lo/") + name);
    const std::string info = run("pdfinfo " + pdf).out;
    EXPECT_NE(info.find("Pages:           3\n"), std::string::npos) << name << "\n" << info;
    const Output pages = run("/usr/bin/python3 " + kProbe + " pages " + pdf + " " + dump);
    EXPECT_EQ(pages.exit, 0) << name << "\n" << pages.out;
  }
  // Its text export holds every character of the Word file's lines and cells: the text is in
  // the body, not in frames, which the text export leaves out.
  const Output text =
      run("cd " + dir_.path() + " && soffice -env:UserInstallation=file://" + dir_.path() +
          "/lo-profile --headless --convert-to txt:Text --outdir " + dir_.path() + "/lo " + word);
  ASSERT_EQ(text.exit, 0) << text.out;
  const Output found =
      run("/usr/bin/python3 " + kProbe + " text " + (dir_ / "lo/minato.txt") + " " + dump);
  EXPECT_EQ(found.exit, 0) << found.out;
}

TEST_F(SampleExport, XpsConvertsToPdfWithTheText) {
  if (run("command -v xpstopdf").exit != 0) GTEST_SKIP() << "xpstopdf missing";
  const std::string path = exportAs("xps");
  const std::string pdf = dir_ / "minato.pdf";
  const Output converted = run("xpstopdf " + path + " " + pdf);
  ASSERT_EQ(converted.exit, 0) << converted.out;
  const std::string info = run("pdfinfo " + pdf).out;
  const size_t pages = info.find("Pages:");
  ASSERT_NE(pages, std::string::npos) << info;
  EXPECT_EQ(std::stoi(info.substr(pages + 6)), 3);
  // The horizontal page reads back line by line; vertical pages come out in columns.
  const std::string text = run("pdftotext -f 2 -l 2 " + pdf + " -").out;
  EXPECT_NE(text.find("この町の水産業は、古くから沿岸漁業を中心に発展してきた。"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("いわし"), std::string::npos);
}

}  // namespace
