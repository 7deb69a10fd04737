// The pages to recognise: listing picture files and PDFs, loading a page, and the runs that must
// stop before writing anything (unreadable input, a PDF without pages, a missing model, page
// pictures that would overwrite an input).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "recognize/scans.h"
#include "recognize/sources.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace vellary::recognize;
using vellary::testing::TempDir;

const std::string kData = std::string(VELLARY_SOURCE_DIR) + "/tests/recognize/data/recognition";

// A PDF with the given page contents (content streams), each page 72 × 36 points, its cross
// reference table at the right offsets.
std::string pdfWithPages(const std::vector<std::string>& contents) {
  std::vector<std::string> objects;
  std::string kids;
  const int n = static_cast<int>(contents.size());
  for (int i = 0; i < n; ++i) kids += std::to_string(3 + 2 * i) + " 0 R ";
  objects.push_back("<< /Type /Catalog /Pages 2 0 R >>");
  objects.push_back("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(n) + " >>");
  for (int i = 0; i < n; ++i) {
    objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 72 36] /Contents " +
                      std::to_string(4 + 2 * i) + " 0 R >>");
    objects.push_back("<< /Length " + std::to_string(contents[i].size()) + " >>\nstream\n" +
                      contents[i] + "\nendstream");
  }
  std::string pdf = "%PDF-1.4\n";
  std::vector<size_t> offsets;
  for (size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  for (size_t o : offsets) {
    char line[24];
    std::snprintf(line, sizeof line, "%010zu 00000 n \n", o);
    pdf += line;
  }
  pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) +
         " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  return pdf;
}

TEST(Sources, PicturesAndPdfPagesAreListedInOrderAndBadInputNamesTheFile) {
  TempDir dir;
  const std::string pdf = dir.write("two.pdf", pdfWithPages({"0 0 36 36 re f", "0 g 36 0 36 36 re f"}));
  std::vector<PageSource> pages;
  std::string error;
  ASSERT_TRUE(listPages({kData + "/vertical.tif", pdf, kData + "/horizontal.png"}, pages, error))
      << error;
  ASSERT_EQ(pages.size(), 4u);
  EXPECT_FALSE(pages[0].pdf);
  EXPECT_TRUE(pages[1].pdf && pages[2].pdf);
  EXPECT_EQ(pages[2].page, 1);
  EXPECT_EQ(pages[3].path, kData + "/horizontal.png");

  // Any bad file fails the whole list, naming that file.
  const std::string notes = dir.write("notes.png", "these are notes, not a picture");
  const std::string empty = dir.write("empty.pdf", pdfWithPages({}));
  const std::string broken = dir.write("broken.pdf", "%PDF-1.4\nnothing else");
  for (const std::string& bad : {dir / "missing.tif", notes, empty, broken}) {
    ASSERT_FALSE(listPages({kData + "/vertical.tif", bad}, pages, error)) << bad;
    EXPECT_TRUE(pages.empty());
    EXPECT_NE(error.find(bad), std::string::npos) << error;
  }
  listPages({empty}, pages, error);
  EXPECT_NE(error.find("no pages"), std::string::npos) << error;
}

TEST(Sources, APdfPageIsRenderedAtTheResolutionAskedAndBlackAndWhiteStaysBilevel) {
  TempDir dir;
  // Left half black on the first page; a grey square on the second.
  const std::string pdf = dir.write("p.pdf", pdfWithPages({"0 0 36 36 re f", "0.5 g 0 0 36 36 re f"}));
  std::vector<PageSource> pages;
  std::string error;
  ASSERT_TRUE(listPages({pdf}, pages, error)) << error;
  vellary::imaging::CPictInfo picture;
  ASSERT_TRUE(loadPage(pages[0], 200, picture, error)) << error;
  EXPECT_EQ(picture.width(), 200);  // 72 points = one inch
  EXPECT_EQ(picture.height(), 100);
  EXPECT_EQ(picture.xResolution(), 200);
  EXPECT_EQ(picture.bitsPerPixel(), 1);
  vellary::imaging::CPictInfo grey;
  ASSERT_TRUE(loadPage(pages[1], 100, grey, error)) << error;
  EXPECT_EQ(grey.bitsPerPixel(), 8);
}

// Counts what a run leaves in a folder.
size_t entries(const std::string& folder) {
  std::error_code ec;
  if (!fs::exists(folder, ec)) return 0;
  return static_cast<size_t>(std::distance(fs::directory_iterator(folder), {}));
}

TEST(Scans, RunsThatCannotSucceedWriteNothing) {
  TempDir dir;
  const std::string doc = dir / "book.xml";
  RecogniseOptions options;
  options.threads = 1;

  // A missing model: found before any page is read.
  fs::create_directories(dir / "no-models");
  options.modelFolder = dir / "no-models";
  ScansOutcome r = newDocumentFromScans({kData + "/vertical.tif"}, doc, options, nullptr);
  EXPECT_EQ(r.end, vellary::jobs::RunEnd::Failed);
  EXPECT_EQ(r.paper, nullptr);
  EXPECT_NE(r.error.find("jpn"), std::string::npos) << r.error;
  EXPECT_FALSE(fs::exists(dir / "book"));
  options.modelFolder.clear();

  // An unreadable second file: nothing of the first is written either.
  r = newDocumentFromScans({kData + "/vertical.tif", dir.write("x.tif", "garbage")}, doc, options,
                           nullptr);
  EXPECT_EQ(r.paper, nullptr);
  EXPECT_NE(r.error.find("x.tif"), std::string::npos) << r.error;
  EXPECT_FALSE(fs::exists(dir / "book"));

  // The page pictures would replace an input that is still to be read.
  fs::create_directories(dir / "book");
  fs::copy_file(kData + "/columns.tif", dir / "book/p0001.tif");
  r = newDocumentFromScans({dir / "book/p0001.tif"}, doc, options, nullptr);
  EXPECT_EQ(r.paper, nullptr);
  EXPECT_NE(r.error.find("overwrite"), std::string::npos) << r.error;
  EXPECT_EQ(entries(dir / "book"), 1u);
}

}  // namespace
