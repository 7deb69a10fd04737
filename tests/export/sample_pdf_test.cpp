// The bundled sample exported as text, image and high-compression PDF by vellary-cli, read back
// by programs that know nothing of ours: poppler (pdftotext, pdffonts, pdfinfo, pdfimages) and
// Ghostscript. What comes back must be the document's own characters, where they are printed.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "document/headless.h"
#include "model/text.h"
#include "pagegen.h"
#include "pdf_helpers.h"
#include "support/cli_runner.h"

namespace {

using namespace vellary;
namespace vt = vellary::testing;
using vt::shell;

const std::string kSample = std::string(VELLARY_SOURCE_DIR) + "/samples/minato/minato.xml";
const char* const kKinds[] = {"pdf", "pdf-image", "pdf-mrc"};

class SamplePdf : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"pdftotext", "pdffonts", "pdfinfo", "pdfimages"})
      if (!vt::haveTool(tool)) GTEST_SKIP() << tool << " is not installed (scripts/deps)";
    ASSERT_TRUE(sample_.doc().openDocument(kSample));
  }

  std::string exportAs(const std::string& kind, const std::string& more = "",
                       const std::string& env = "") {
    const std::string out = dir_ / (kind + std::to_string(++count_) + ".pdf");
    const auto r = vt::runCli("export " + kSample + " " + out + " --kind " + kind + " " + more, dir_,
                              env);
    EXPECT_EQ(r.exit, 0) << r.err;
    return out;
  }

  static std::u16string text(const std::string& command) {
    return vt::withoutSpace(model::fromUtf8(shell(command)));
  }

  const model::PageData& page(int index) {
    auto it = sample_.doc().paper()->pages.begin();
    std::advance(it, index);
    return *it;
  }

  document::HeadlessDocument sample_;
  vt::TempDir dir_;
  int count_ = 0;
};

// Vertical and horizontal pages, a table, ruby and emphasis, half-width digits: pdftotext gives
// exactly the document's characters, in its order, in all three kinds, with no vertical
// presentation forms standing in for 、 and 。 and no digit made full width.
TEST_F(SamplePdf, EveryPageGivesBackExactlyTheDocumentsCharacters) {
  for (const char* kind : kKinds) {
    const std::string pdf = exportAs(kind);
    for (int p = 0; p < 3; ++p) {
      const std::string n = std::to_string(p + 1);
      const std::u16string found = text("pdftotext -raw -f " + n + " -l " + n + " '" + pdf + "' -");
      EXPECT_EQ(model::toUtf8(found), model::toUtf8(pagegen::pageText(page(p))))
          << kind << " page " << n;
    }
  }
}

// Selecting the band of one printed line of the horizontal page (from halfway to the line above
// to halfway to the line below; pdftotext takes what lies wholly inside) gives that line and
// nothing of its neighbours.
TEST_F(SamplePdf, TheAreaOfAHorizontalLineGivesThatLine) {
  const model::PageData& report = page(1);
  const model::LineData *above = nullptr, *line = nullptr, *below = nullptr;
  for (const model::BlockData& b : report.blocks)
    if (b.type == model::BlockText && b.lines.size() >= 3 && line == nullptr) {
      auto it = b.lines.begin();
      above = &*it++;
      line = &*it++;
      below = &*it;
    }
  ASSERT_NE(line, nullptr);
  std::u16string expected;
  for (const model::CharData& c : line->chars)
    for (int i = 0; i < model::charTextLength(c.text); ++i) expected += c.text[i];
  const double k = 72.0 / report.dpi;
  const double top = (above->y + above->height + line->y) / 2.0 * k;
  const double bottom = (line->y + line->height + below->y) / 2.0 * k;
  const double margin = (bottom - top) / 2 - line->height * k / 2;
  const int x = static_cast<int>(line->x * k - margin), y = static_cast<int>(top);
  const int w = static_cast<int>((line->x + line->width) * k + margin) - x;
  const int h = static_cast<int>(bottom) - y;
  for (const char* kind : kKinds) {
    const std::string pdf = exportAs(kind);
    const std::u16string found =
        text("pdftotext -f 2 -l 2 -x " + std::to_string(x) + " -y " + std::to_string(y) + " -W " +
             std::to_string(w) + " -H " + std::to_string(h) + " '" + pdf + "' -");
    EXPECT_EQ(model::toUtf8(found), model::toUtf8(vt::withoutSpace(expected))) << kind;
  }
}

TEST_F(SamplePdf, FontsAreEmbeddedSubsetsThatCarryTheirUnicode) {
  for (const char* kind : {"pdf", "pdf-image"}) {
    std::istringstream rows(shell("pdffonts '" + exportAs(kind) + "'"));
    std::string row;
    int fonts = 0;
    while (std::getline(rows, row)) {
      if (row.find("CID TrueType") == std::string::npos) continue;
      ++fonts;
      EXPECT_NE(row.find("+IPA"), std::string::npos) << row;  // a subset of the installed face
      EXPECT_NE(row.find(" yes yes yes "), std::string::npos) << row;
    }
    EXPECT_GE(fonts, 2) << kind;  // horizontal and vertical
  }
  // The named fonts, for the smallest files, embed nothing but still give the text back.
  const std::string named = exportAs("pdf", "--fonts named");
  const std::string list = shell("pdffonts '" + named + "'");
  EXPECT_NE(list.find("MS-Mincho"), std::string::npos) << list;
  EXPECT_EQ(model::toUtf8(text("pdftotext -raw -f 1 -l 1 '" + named + "' -")),
            model::toUtf8(pagegen::pageText(page(0))));
}

TEST_F(SamplePdf, GhostscriptKeepsTheText) {
  if (!vt::haveTool("gs")) GTEST_SKIP() << "gs is not installed (scripts/deps)";
  for (const char* kind : {"pdf", "pdf-image"}) {
    const std::string pdf = exportAs(kind);
    const std::string out = dir_ / (std::string("gs-") + kind + ".pdf");
    int status = -1;
    shell("gs -q -dBATCH -dNOPAUSE -dSAFER -sDEVICE=pdfwrite -o '" + out + "' '" + pdf + "'",
          &status);
    ASSERT_EQ(status, 0) << kind;
    for (int p = 0; p < 3; ++p) {
      const std::string n = std::to_string(p + 1);
      EXPECT_EQ(model::toUtf8(text("pdftotext -raw -f " + n + " -l " + n + " '" + out + "' -")),
                model::toUtf8(pagegen::pageText(page(p))))
          << kind << " page " << n;
    }
  }
}

TEST_F(SamplePdf, TheInformationShowsAJapaneseTitleAndTheCatalogTheLanguage) {
  std::string info = shell("pdfinfo '" + exportAs("pdf", "--title 港町の朝 --author 水島遥") + "'");
  EXPECT_NE(info.find("Title:           港町の朝\n"), std::string::npos) << info;
  EXPECT_NE(info.find("Author:          水島遥\n"), std::string::npos) << info;
  info = shell("pdfinfo '" + exportAs("pdf-image") + "'");
  EXPECT_NE(info.find("Title:           minato\n"), std::string::npos) << info;
  EXPECT_NE(info.find("Tagged:          yes"), std::string::npos);
}

// The colour scan is a JPEG at 400 dpi: at quality 1 and 2 it goes into the file as it is.
TEST_F(SamplePdf, AJpegScanIsEmbeddedByteForByte) {
  const std::string pdf = exportAs("pdf-image", "--quality 1 --pages 2");
  int status = -1;
  shell("pdfimages -j '" + pdf + "' '" + (dir_ / "scan") + "'", &status);
  ASSERT_EQ(status, 0);
  const std::string scan = std::string(VELLARY_SOURCE_DIR) + "/samples/minato/minato/page2.jpg";
  EXPECT_EQ(vt::TempDir::read(dir_ / "scan-000.jpg"), vt::TempDir::read(scan));
}

// Masks keep the page's resolution in both directions: none is stretched or squeezed.
TEST_F(SamplePdf, HighCompressionMasksArePlacedAtThePagesResolution) {
  std::istringstream rows(shell("pdfimages -list '" + exportAs("pdf-mrc", "--pages 2") + "'"));
  std::string row;
  int masks = 0;
  while (std::getline(rows, row)) {
    std::istringstream f(row);
    std::string page, num, type, width, height, colour, comp, bpc, enc, interp, object, id, xppi,
        yppi;
    f >> page >> num >> type >> width >> height >> colour >> comp >> bpc >> enc >> interp >>
        object >> id >> xppi >> yppi;
    if (type != "stencil") continue;
    ++masks;
    EXPECT_EQ(xppi, "400") << row;
    EXPECT_EQ(yppi, "400") << row;
  }
  EXPECT_GT(masks, 0);
}

// tools/pdfa-check: structure, metadata matching the information, the output intent, fonts
// embedded with ToUnicode maps, nothing the archive format forbids.
TEST_F(SamplePdf, ThePdfaFilesPassTheArchiveChecks) {
  if (!vt::haveTool("qpdf")) GTEST_SKIP() << "qpdf is not installed (scripts/deps)";
  const std::string check = std::string(VELLARY_SOURCE_DIR) + "/tools/pdfa-check ";
  for (const char* kind : kKinds) {
    int status = -1;
    const std::string pdf = exportAs(kind, "--pdfa --title 港町の朝 --author 水島遥");
    const std::string out = shell(check + "'" + pdf + "'", &status);
    EXPECT_EQ(status, 0) << kind << "\n" << out;
  }
  int status = -1;
  shell(check + "'" + exportAs("pdf") + "'", &status);
  EXPECT_EQ(status, 1);  // an ordinary file has no metadata or output intent
}

TEST_F(SamplePdf, TheFileIsTheSameWithOneJobAndWithMany) {
  const std::string env = "env SOURCE_DATE_EPOCH=1700000000";
  const std::string one = vt::TempDir::read(exportAs("pdf-mrc", "--quality 1 --jobs 1", env));
  const std::string many = vt::TempDir::read(exportAs("pdf-mrc", "--quality 1 --jobs 3", env));
  EXPECT_FALSE(one.empty());
  EXPECT_TRUE(one == many);
}

}  // namespace
