// Exported PDFs as independent readers see them: qpdf checks the structure, poppler extracts the
// text (with poppler-data's CJK character maps), lists the images and renders every page.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "export/export.h"
#include "export/pdf/pdf_export.h"
#include "model/text.h"
#include "pagegen.h"
#include "pdf_helpers.h"
#include "support/temp_dir.h"

namespace {

using namespace vellary;
namespace vt = vellary::testing;
using vt::shell;

struct ImageLine {
  std::string type, encoding;
  int width = 0, height = 0, bpc = 0, ppi = 0;
  std::string colour;
};

// `pdfimages -list`, one entry per image.
std::vector<ImageLine> listImages(const std::string& pdf) {
  std::vector<ImageLine> out;
  std::istringstream in(shell("pdfimages -list '" + pdf + "'"));
  std::string line;
  int n = 0;
  while (std::getline(in, line)) {
    if (++n <= 2) continue;
    std::istringstream f(line);
    ImageLine im;
    std::string page, num, comp, interp, object, id, xppi, yppi;
    f >> page >> num >> im.type >> im.width >> im.height >> im.colour >> comp >> im.bpc >>
        im.encoding >> interp >> object >> id >> xppi >> yppi;
    im.ppi = std::atoi(xppi.c_str());
    out.push_back(im);
  }
  return out;
}

class PdfTools : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"qpdf", "pdftotext", "pdfimages", "pdftoppm"})
      if (!vt::haveTool(tool)) GTEST_SKIP() << tool << " is not installed (scripts/deps)";
  }

  std::unique_ptr<model::PaperData> document(bool colour, int pages = 1, int dpi = 100) {
    pagegen::PageSpec spec;
    spec.dpi = dpi;
    spec.colour = colour;
    spec.bodyLines = 6;
    return pagegen::generateDocument(spec, pages, dir_.path());
  }

  std::string exportAs(model::PaperData& paper, int kind, int quality = 0,
                       const std::string& name = "out.pdf") {
    exporting::ExportOptions options;
    options.imageQuality = quality;
    options.info.title = u"テスト";
    const std::string path = dir_ / name;
    const auto out = exporting::ExportDocument(
        paper, {path, kind, 0, static_cast<int>(paper.pages.size()) - 1}, options);
    EXPECT_TRUE(out.written) << out.error;
    return path;
  }

  void expectSound(const std::string& pdf, int pages) {
    int status = -1;
    const std::string check = shell("qpdf --check '" + pdf + "'", &status);
    EXPECT_EQ(status, 0) << check;
    EXPECT_NE(check.find("No syntax or stream encoding errors"), std::string::npos) << check;
    const std::string prefix = dir_ / "render";
    shell("pdftoppm -r 30 -png '" + pdf + "' '" + prefix + "'", &status);
    EXPECT_EQ(status, 0);
    int rendered = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir_.path()))
      if (e.path().filename().string().rfind("render", 0) == 0) {
        ++rendered;
        EXPECT_GT(std::filesystem::file_size(e.path()), 100u);
        std::filesystem::remove(e.path());
      }
    EXPECT_EQ(rendered, pages);
  }

  // The text pdftotext finds on each page in the order the file holds it, without white space,
  // against the document's text.
  void expectText(const std::string& pdf, const model::PaperData& paper) {
    int page = 1;
    for (const model::PageData& p : paper.pages) {
      const std::string text = shell("pdftotext -raw -f " + std::to_string(page) + " -l " +
                                     std::to_string(page) + " '" + pdf + "' -");
      const std::u16string found = vt::withoutSpace(model::fromUtf8(text));
      const std::u16string expected = pagegen::pageText(p);
      size_t at = 0;
      while (at < found.size() && at < expected.size() && found[at] == expected[at]) ++at;
      EXPECT_TRUE(at == found.size() && at == expected.size())
          << "page " << page << ": " << found.size() << " characters found, " << expected.size()
          << " expected, the first difference at " << at << ": \""
          << model::toUtf8(found.substr(at, 12)) << "\" for \""
          << model::toUtf8(expected.substr(at, 12)) << "\"";
      ++page;
    }
  }


  vt::TempDir dir_;
};

TEST_F(PdfTools, TextPdfIsSoundAndGivesBackTheText) {
  auto paper = document(true, 2);
  const std::string pdf = exportAs(*paper, exporting::KindPdfText);
  expectSound(pdf, 2);
  expectText(pdf, *paper);
  // The figure block is cut from the page image at 72 dpi as a JPEG.
  const auto images = listImages(pdf);
  ASSERT_EQ(images.size(), 2u);
  EXPECT_EQ(images[0].encoding, "jpeg");
  EXPECT_NEAR(images[0].ppi, 72, 2);
  EXPECT_EQ(images[0].colour, "rgb");
}

TEST_F(PdfTools, ImagePdfHidesTheTextUnderThePage) {
  auto paper = document(true, 2);
  const std::string pdf = exportAs(*paper, exporting::KindPdfImage, 0);
  expectSound(pdf, 2);
  expectText(pdf, *paper);
  for (const auto& im : listImages(pdf)) {
    EXPECT_EQ(im.encoding, "jpeg");
    EXPECT_EQ(im.colour, "rgb");
  }
}

TEST_F(PdfTools, ImageResolutionFollowsTheQualitySetting) {
  struct Case {
    bool colour;
    int dpi, quality;
    const char* encoding;
    int ppi;
  } cases[] = {
      {true, 400, 0, "jpeg", 192},   {true, 400, 2, "jpeg", 400},   {true, 400, 1, "jpeg", 400},
      {false, 400, 0, "ccitt", 160}, {false, 400, 1, "ccitt", 280}, {false, 400, 2, "ccitt", 400},
      {false, 600, 0, "ccitt", 240},
  };
  for (const Case& c : cases) {
    pagegen::PageSpec spec;
    spec.dpi = c.dpi;
    spec.colour = c.colour;
    spec.bodyLines = 2;
    spec.pageScale = 0.3;
    spec.figure = spec.table = spec.vertical = spec.darkBand = false;
    auto paper = pagegen::generateDocument(spec, 1, dir_.path());
    const std::string pdf = exportAs(*paper, exporting::KindPdfImage, c.quality);
    const auto images = listImages(pdf);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].encoding, c.encoding) << c.dpi << " dpi, quality " << c.quality;
    EXPECT_NEAR(images[0].ppi, c.ppi, 2) << c.dpi << " dpi, quality " << c.quality;
  }
}

TEST_F(PdfTools, HighCompressionPageIsABackgroundUnderColouredMasks) {
  auto paper = document(true, 1, 200);
  const std::string pdf = exportAs(*paper, exporting::KindPdfCompressed, 0);
  expectSound(pdf, 1);
  expectText(pdf, *paper);
  const auto images = listImages(pdf);
  ASSERT_GE(images.size(), 3u);
  EXPECT_EQ(images[0].encoding, "jpeg");
  EXPECT_NEAR(images[0].ppi, 100, 2);  // half the page's resolution
  for (size_t i = 1; i < images.size(); ++i) {
    EXPECT_EQ(images[i].type, "stencil");
    EXPECT_EQ(images[i].encoding, "ccitt");
  }
}

TEST_F(PdfTools, HighCompressionOfABilevelPageIsANormalImagePage) {
  auto paper = document(false, 1, 200);
  const std::string pdf = exportAs(*paper, exporting::KindPdfCompressed, 0);
  expectSound(pdf, 1);
  const auto images = listImages(pdf);
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0].type, "image");
  EXPECT_EQ(images[0].encoding, "ccitt");
  EXPECT_NEAR(images[0].ppi, 80, 2);
}

}  // namespace
