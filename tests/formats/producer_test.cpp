// Files real producers write: Tesseract 5's hOCR, ALTO and TSV of a vertical and a horizontal
// page (copies committed under tests/data/formats/tesseract, and made anew from the bundled sample
// when the tesseract command is installed), read with the right direction, characters and
// candidates.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "formats_helpers.h"
#include "imaging/picture_file.h"
#include "imaging/picture_ops.h"
#include "model/text.h"

namespace vellary::formats {
namespace {

using namespace model;
using testing::TempDir;

const std::string kTesseract = testing::kFormatData + "/tesseract/";

std::unique_ptr<PaperData> read(const std::string& path) {
  ReadOutcome r = readDocument(path);
  EXPECT_TRUE(r.paper) << path << ": " << r.error.message << " " << r.error.elementPath;
  return std::move(r.paper);
}

// The text of the page's body lines, blanks left out.
std::u16string bodyText(const PageData& page) {
  std::u16string s;
  for (const BlockData& b : page.blocks)
    for (const LineData& l : b.lines)
      if (l.attr == AttrNone)
        for (const CharData& c : l.chars)
          if (c.text[0] != u' ')
            s.append(c.text.data(), static_cast<size_t>(charTextLength(c.text)));
  return s;
}

// The share of `truth` found in `text` in order (longest common subsequence).
double recall(const std::u16string& truth, const std::u16string& text) {
  std::vector<size_t> row(text.size() + 1, 0), prev(text.size() + 1, 0);
  for (char16_t t : truth) {
    for (size_t j = 1; j <= text.size(); ++j)
      row[j] = t == text[j - 1] ? prev[j - 1] + 1 : std::max(prev[j], row[j - 1]);
    std::swap(row, prev);
  }
  return truth.empty() ? 1.0
                       : static_cast<double>(prev[text.size()]) / static_cast<double>(truth.size());
}

const BlockData& firstTextBlock(const PageData& page) {
  for (const BlockData& b : page.blocks)
    if (b.type == BlockText && !b.lines.empty()) return b;
  return page.blocks.front();
}

TEST(TesseractFiles, AVerticalPageComesInVerticalWithCandidatesAndBoxesRebuilt) {
  std::unique_ptr<PaperData> hocr = read(kTesseract + "vertical.hocr");
  std::unique_ptr<PaperData> alto = read(kTesseract + "vertical.xml");
  std::unique_ptr<PaperData> tsv = read(kTesseract + "vertical.tsv");
  ASSERT_TRUE(hocr && alto && tsv);
  const PageData& page = hocr->pages.front();
  EXPECT_EQ(*page.file, u"vertical.png");
  EXPECT_EQ(page.width, 400);
  EXPECT_EQ(page.dpi, 400);
  for (const PaperData* p : {hocr.get(), alto.get(), tsv.get()}) {
    const BlockData& block = firstTextBlock(p->pages.front());
    EXPECT_EQ(block.direction, Vertical);
    std::u16string first;
    for (const CharData& c : block.lines.front().chars) first += c.text[0];
    EXPECT_EQ(first.substr(0, 7), u"夜明け前の港は");
    EXPECT_EQ(bodyText(p->pages.front()), bodyText(page));
  }
  // Tesseract's character boxes of vertical text are x 0 and no width: each character gets its
  // word's box, cut along the column for words of several characters, as the TSV's words give.
  auto tsvLine = firstTextBlock(tsv->pages.front()).lines.begin();
  for (const LineData& line : firstTextBlock(page).lines) {
    ASSERT_EQ(line.chars.size(), tsvLine->chars.size());
    auto t = tsvLine->chars.begin();
    for (const CharData& c : line.chars) {
      EXPECT_GT(c.width, 0);
      EXPECT_GT(c.height, 0);
      EXPECT_EQ(std::tie(c.x, c.y, c.width, c.height), std::tie(t->x, t->y, t->width, t->height));
      ++t;
    }
    ++tsvLine;
  }
  // The candidates of lstm_choice_mode 2: the recognised character first, with its x_conf.
  const CharData& night = firstTextBlock(page).lines.front().chars.front();
  EXPECT_EQ(night.cc, 10);
  ASSERT_EQ(night.numCand(), 2);
  EXPECT_EQ(night.candText(0), makeCharText(u'夜'));
  EXPECT_EQ(night.candCC(0), 10);
  EXPECT_EQ(night.candText(1), makeCharText(u'プ'));
  EXPECT_EQ(night.candCC(1), 0);
}

TEST(TesseractFiles, AHorizontalPageKeepsTesseractsCharacterBoxesAndConfidences) {
  std::unique_ptr<PaperData> hocr = read(kTesseract + "horizontal.hocr");
  std::unique_ptr<PaperData> alto = read(kTesseract + "horizontal.xml");
  std::unique_ptr<PaperData> tsv = read(kTesseract + "horizontal.tsv");
  ASSERT_TRUE(hocr && alto && tsv);
  const BlockData& block = firstTextBlock(hocr->pages.front());
  EXPECT_EQ(block.direction, Horizontal);
  EXPECT_EQ(firstTextBlock(alto->pages.front()).direction, Horizontal);
  EXPECT_EQ(firstTextBlock(tsv->pages.front()).direction, Horizontal);
  std::u16string first;
  for (const CharData& c : block.lines.front().chars) first += c.text[0];
  EXPECT_EQ(first.substr(0, 8), u"この町の水産業は");
  EXPECT_EQ(bodyText(alto->pages.front()), bodyText(hocr->pages.front()));
  // Horizontal boxes are Tesseract's own: inside the line and of the glyphs' widths, not cells.
  std::vector<int32_t> widths;
  for (const CharData& c : block.lines.front().chars) {
    EXPECT_GE(c.x, block.lines.front().x);
    EXPECT_LE(c.x + c.width, block.lines.front().x + block.lines.front().width);
    widths.push_back(c.width);
  }
  EXPECT_GT(std::set<int32_t>(widths.begin(), widths.end()).size(), 5u);
  // The ALTO has word confidences only; the hOCR has the characters' own.
  int differing = 0;
  auto a = firstTextBlock(alto->pages.front()).lines.front().chars.begin();
  for (const CharData& c : block.lines.front().chars) differing += (a++)->cc != c.cc;
  EXPECT_GT(differing, 0);
}

TEST(TesseractFiles, AltoConfidencesOfTesseractAreRepaired) {
  auto alto = [](const char* software, const char* wc) {
    return std::string(
               "<alto><Description><OCRProcessing ID=\"o\"><ocrProcessingStep><processingSoftware>"
               "<softwareName>") +
           software +
           "</softwareName></processingSoftware></ocrProcessingStep>"
           "</OCRProcessing></Description><Layout><Page ID=\"p\" PHYSICAL_IMG_NR=\"1\" "
           "WIDTH=\"100\" "
           "HEIGHT=\"100\"><PrintSpace><TextBlock ID=\"b\"><TextLine><String CONTENT=\"字\" "
           "HPOS=\"1\" "
           "VPOS=\"1\" WIDTH=\"9\" HEIGHT=\"9\" WC=\"" +
           wc +
           "\"/></TextLine></TextBlock></PrintSpace>"
           "</Page></Layout></alto>";
  };
  auto cc = [](const std::string& bytes) {
    ReadOutcome r = readDocumentBytes(bytes, "a.xml");
    EXPECT_TRUE(r.paper) << r.error.message;
    return r.paper ? r.paper->pages.front().blocks.front().lines.front().chars.front().cc : -1;
  };
  // Tesseract 5 writes "0." and the percent: 9 % as 0.9, 100 % as 0.100.
  EXPECT_EQ(cc(alto("tesseract 5.3.0", "0.9")), 1);
  EXPECT_EQ(cc(alto("tesseract 5.3.0", "0.100")), 10);
  EXPECT_EQ(cc(alto("tesseract 5.3.0", "0.65")), 7);
  EXPECT_EQ(cc(alto("another engine", "0.9")), 9);
}

// The text of the sample's page inside a rectangle: what recognition of that piece should give.
std::u16string truthInside(const PageData& page, int left, int top, int right, int bottom) {
  std::u16string s;
  for (const BlockData& b : page.blocks)
    for (const LineData& l : b.lines)
      if (l.attr == AttrNone)
        for (const CharData& c : l.chars) {
          const int cx = c.x + c.width / 2, cy = c.y + c.height / 2;
          if (cx >= left && cx < right && cy >= top && cy < bottom && c.text[0] != u' ')
            s += c.text[0];
        }
  return s;
}

bool tesseractReads(const char* language) {
  std::FILE* p = popen("tesseract --list-langs 2>/dev/null", "r");
  if (p == nullptr) return false;
  std::string out;
  char buf[512];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out.find(std::string("\n") + language + "\n") != std::string::npos;
}

struct Piece {
  const char* name;
  int page;  // 0-based page of the sample
  int left, top, right, bottom;
  const char* language;
  const char* mode;  // page segmentation
  int8_t direction;
};
void PrintTo(const Piece& p, std::ostream* os) { *os << p.name; }

class TesseractNow : public ::testing::TestWithParam<Piece> {};

TEST_P(TesseractNow, ItsFilesOfAPieceOfTheSampleReadBack) {
  const Piece& piece = GetParam();
  if (!tesseractReads(piece.language))
    GTEST_SKIP() << "tesseract with the " << piece.language
                 << " model is not installed (packages tesseract-ocr, tesseract-ocr-jpn, "
                    "tesseract-ocr-jpn-vert)";
  rovorirud::ReadResult sample = rovorirud::readDocumentFile(testing::kSampleDocument);
  ASSERT_TRUE(sample.paper);
  const PageData& truthPage = *std::next(sample.paper->pages.begin(), piece.page);
  TempDir dir;
  imaging::CPictInfo whole, cut;
  whole.fileName =
      std::string(VELLARY_SOURCE_DIR) + "/samples/minato/minato/" + toUtf8(*truthPage.file);
  ASSERT_EQ(imaging::LoadImageFileProc(whole), 1);
  ASSERT_EQ(imaging::MakeSubPictImageFromPict(
                whole, {piece.left, piece.top, piece.right, piece.bottom}, cut),
            1);
  cut.fileName = dir / (std::string(piece.name) + ".png");
  cut.saveFormat = imaging::kFormatPng;
  ASSERT_EQ(imaging::SaveImageFileProc(cut), 1);
  const std::string command =
      "cd '" + dir.path() + "' && tesseract " + piece.name + ".png " + piece.name + " -l " +
      piece.language + " --psm " + piece.mode +
      " -c lstm_choice_mode=2 -c hocr_char_boxes=1 hocr alto tsv >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);

  const std::u16string truth =
      truthInside(truthPage, piece.left, piece.top, piece.right, piece.bottom);
  ASSERT_GT(truth.size(), 20u);
  std::u16string tesseractsText;
  for (const char* ext : {".tsv", ".hocr", ".xml"}) {
    SCOPED_TRACE(ext);
    std::unique_ptr<PaperData> paper = read(dir / (std::string(piece.name) + ext));
    ASSERT_TRUE(paper);
    const PageData& page = paper->pages.front();
    EXPECT_EQ(*page.file, fromUtf8(std::string(piece.name) + ".png"));
    EXPECT_EQ(firstTextBlock(page).direction, piece.direction);
    // The three files of one run hold the same words; read in the right order they follow the
    // page's text as far as Tesseract read it right (columns in the wrong order would not).
    if (tesseractsText.empty()) tesseractsText = bodyText(page);
    EXPECT_EQ(bodyText(page), tesseractsText);
    EXPECT_GE(recall(truth, bodyText(page)), 0.6) << toUtf8(bodyText(page));
    if (std::string(ext) == ".hocr") {
      int withCandidates = 0;
      for (const LineData& l : firstTextBlock(page).lines)
        for (const CharData& c : l.chars) withCandidates += c.numCand() > 1;
      EXPECT_GT(withCandidates, 10);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    SamplePieces, TesseractNow,
    ::testing::Values(Piece{"vertical", 0, 2180, 600, 2580, 1750, "jpn_vert", "3", Vertical},
                      Piece{"horizontal", 1, 280, 660, 3000, 880, "jpn", "6", Horizontal}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vellary::formats
