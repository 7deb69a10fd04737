// The pages to recognise: listing picture files and PDFs, loading a page, and the runs that must
// stop before writing anything (unreadable input, a PDF without pages, a missing model, page
// pictures that would overwrite an input).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <leptonica/allheaders.h>

#include "recognize/scans.h"
#include "recognize/sources.h"
#include "support/pdf_pages.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace vellary::recognize;
using vellary::testing::pdfWithPages;
using vellary::testing::TempDir;

const std::string kData = std::string(VELLARY_SOURCE_DIR) + "/tests/recognize/data/recognition";

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

TEST(Sources, EveryPageOfAMultiPageTiffIsAPageOfItsOwn) {
  TempDir dir;
  const std::string tiff = dir / "two.tif";
  // Two pages of different sizes, written as a scanner writes them: one G4 TIFF, page after page.
  PIX* first = pixRead((kData + "/vertical.tif").c_str());
  PIX* second = pixRead((kData + "/columns.tif").c_str());
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  ASSERT_EQ(pixWriteTiff(tiff.c_str(), first, IFF_TIFF_G4, "w"), 0);
  ASSERT_EQ(pixWriteTiff(tiff.c_str(), second, IFF_TIFF_G4, "a"), 0);
  const int widths[] = {pixGetWidth(first), pixGetWidth(second)};
  const int heights[] = {pixGetHeight(first), pixGetHeight(second)};
  pixDestroy(&first);
  pixDestroy(&second);
  ASSERT_TRUE(widths[0] != widths[1] || heights[0] != heights[1]);

  std::vector<PageSource> pages;
  std::string error;
  ASSERT_TRUE(listPages({tiff, kData + "/horizontal.png"}, pages, error)) << error;
  ASSERT_EQ(pages.size(), 3u);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(pages[static_cast<size_t>(i)].path, tiff);
    EXPECT_EQ(pages[static_cast<size_t>(i)].page, i);
    EXPECT_FALSE(pages[static_cast<size_t>(i)].pdf);
    vellary::imaging::CPictInfo picture;
    ASSERT_TRUE(loadPage(pages[static_cast<size_t>(i)], kScanDpi, picture, error)) << error;
    EXPECT_EQ(picture.width(), widths[i]);
    EXPECT_EQ(picture.height(), heights[i]);
    EXPECT_EQ(picture.bitsPerPixel(), 1);
  }
  // A page the file does not have is a failure that names the file, not a crash.
  ScanProblem problem;
  vellary::imaging::CPictInfo none;
  EXPECT_FALSE(loadPage(PageSource{tiff, 2, false}, kScanDpi, none, error, &problem));
  EXPECT_EQ(problem.path, tiff);
}

TEST(Sources, ProblemsSayWhatFailedInTheUsersWords) {
  TempDir dir;
  std::vector<PageSource> pages;
  std::string error;
  ScanProblem problem;
  const std::string notes = dir.write("notes.png", "these are notes, not a picture");
  const std::string empty = dir.write("empty.pdf", pdfWithPages({}));
  struct Case {
    std::string file;
    ScanFault fault;
    const char* words;
  } cases[] = {
      {dir / "missing.tif", ScanFault::NoFile, "見つかりません"},
      {notes, ScanFault::NotReadable, "読み込める画像"},
      {empty, ScanFault::PdfNoPages, "ページがありません"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(listPages({kData + "/vertical.tif", c.file}, pages, error, &problem)) << c.file;
    EXPECT_EQ(problem.fault, c.fault) << c.file;
    EXPECT_EQ(problem.path, c.file);
    const std::string text = scanProblemText(problem);
    EXPECT_EQ(text.rfind(c.file, 0), 0u) << text;
    EXPECT_NE(text.find(c.words), std::string::npos) << text;
  }
  EXPECT_NE(scanProblemText({ScanFault::Model, "jpn_vert"}).find("tesseract-ocr-jpn-vert"),
            std::string::npos);
  EXPECT_TRUE(hasScanExtension("/a/b.TIFF") && hasScanExtension("p.jpeg") &&
              hasScanExtension("x.Pdf"));
  EXPECT_FALSE(hasScanExtension("/a/b.xml") || hasScanExtension("/a.tif/b") ||
               hasScanExtension("tif"));
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
  EXPECT_EQ(r.problem.fault, ScanFault::Model);
  EXPECT_FALSE(fs::exists(dir / "book"));

  // Only one of the two models `auto` may need: the other is found missing before any page is
  // read too, though only the first is loaded then.
  const fs::path installed = "/usr/share/tesseract-ocr/5/tessdata/jpn.traineddata";
  if (fs::exists(installed)) {
    fs::create_directories(dir / "half-models");
    fs::create_symlink(installed, dir / "half-models/jpn.traineddata");
    options.modelFolder = dir / "half-models";
    r = newDocumentFromScans({kData + "/vertical.tif"}, doc, options, nullptr);
    EXPECT_EQ(r.end, vellary::jobs::RunEnd::Failed);
    EXPECT_EQ(r.paper, nullptr);
    EXPECT_EQ(r.problem.fault, ScanFault::Model);
    EXPECT_EQ(r.problem.path, "jpn_vert");
    EXPECT_NE(r.error.find("jpn_vert"), std::string::npos) << r.error;
    EXPECT_FALSE(fs::exists(dir / "book"));
  }
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
