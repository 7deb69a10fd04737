// Round trips: a document opened as the editor opens it, written as PAGE XML, ALTO or hOCR and
// read back, is the same document as far as the format carries it; every file written validates
// against its schema.
#include <gtest/gtest.h>

#include "formats/writers.h"
#include "formats_helpers.h"
#include "model/codes.h"
#include "model/text.h"

namespace vellary::formats {
namespace {

using namespace model;
using testing::TempDir;

std::unique_ptr<PaperData> readBack(const std::string& bytes, const std::string& path,
                                    const char* format) {
  ReadOptions options;
  options.format = formatNamed(format);
  ReadOutcome r = readDocumentBytes(bytes, path, options);
  EXPECT_TRUE(r.paper) << format << ": " << r.error.message << " " << r.error.elementPath;
  return std::move(r.paper);
}

// A document holding one page of another (its number becomes 1).
PaperData onePage(const PaperData& paper, const PageData& page) {
  PaperData one;
  one.encoding = paper.encoding;
  one.userSections = paper.userSections;
  one.pages.push_back(copyPage(page));
  renumberPages(one);
  computeMaxPageSize(one);
  return one;
}

void expectSameDocument(PaperData& original, PaperData& readBack) {
  testing::keepWhatFormatsCarry(original);
  testing::keepWhatFormatsCarry(readBack);
  const std::string want = dumpJson(original), got = dumpJson(readBack);
  if (want == got) return;
  // Whole dumps are too long to read in a failure: where they part, with some context.
  size_t at = 0;
  while (at < want.size() && at < got.size() && want[at] == got[at]) ++at;
  const size_t from = at > 400 ? at - 400 : 0;
  ADD_FAILURE() << "the documents part at byte " << at << "\nexpected: " << want.substr(from, 600)
                << "\nread back: " << got.substr(from, 600);
}

TEST(FormatRoundTrip, PageXmlKeepsEveryPageOfTheSample) {
  std::unique_ptr<PaperData> original = testing::openSample();
  ASSERT_TRUE(original);
  TempDir dir;
  for (const PageData& page : original->pages) {
    SCOPED_TRACE("page " + std::to_string(page.number));
    const std::string path = dir / ("p" + std::to_string(page.number) + ".xml");
    const std::string bytes = pageXmlBytes(page, *original, path);
    std::unique_ptr<PaperData> back = readBack(bytes, path, "page");
    ASSERT_TRUE(back);
    PaperData expected = onePage(*original, page);
    expectSameDocument(expected, *back);
  }
}

// What ALTO has no place for: the scan's resolution (pixels are its unit), which lines side lines
// belong to (the editor finds them again by where they stand), groups of joined cells.
void keepWhatAltoCarries(PaperData& paper) {
  auto unlink = [](List<LineData>& lines) {
    for (LineData& l : lines) {
      l.baseLine = nullptr;
      l.rcs = l.rce = 0;
    }
  };
  for (PageData& p : paper.pages) {
    p.dpi = -1;
    for (BlockData& b : p.blocks) {
      unlink(b.lines);
      for (CellData& c : b.cells) {
        c.connectGroup = 0;
        unlink(c.lines);
      }
    }
  }
}

TEST(FormatRoundTrip, AltoKeepsTheSampleButWhatItHasNoPlaceFor) {
  std::unique_ptr<PaperData> original = testing::openSample();
  ASSERT_TRUE(original);
  TempDir dir;
  const std::string path = dir / "sample.xml";
  std::unique_ptr<PaperData> back = readBack(altoBytes(*original, {}, path), path, "alto");
  ASSERT_TRUE(back);
  keepWhatAltoCarries(*original);
  expectSameDocument(*original, *back);

  // Opened by the editor, the side lines find their base lines again.
  testing::recomposeAsTheEditorDoes(*back);
  int attached = 0;
  for (const BlockData& b : back->pages.front().blocks)
    for (const LineData& l : b.lines) attached += l.attr != AttrNone && l.baseLine != nullptr;
  EXPECT_GT(attached, 5);
}

TEST(FormatRoundTrip, HocrKeepsTheSample) {
  std::unique_ptr<PaperData> original = testing::openSample();
  ASSERT_TRUE(original);
  TempDir dir;
  const std::string path = dir / "sample.hocr";
  std::unique_ptr<PaperData> back = readBack(hocrBytes(*original, {}, path), path, "hocr");
  ASSERT_TRUE(back);
  expectSameDocument(*original, *back);
}

TEST(FormatRoundTrip, ImagePathsAreWrittenRelativeToTheFileAndReadBackAbsolute) {
  std::unique_ptr<PaperData> paper = testing::openSample();
  ASSERT_TRUE(paper);
  TempDir dir;
  PageData& page = paper->pages.front();
  page.fullpath = fromUtf8(dir / "scans/page1.tif");
  const std::string path = dir / "out.xml";
  const std::string bytes = pageXmlBytes(page, *paper, path);
  EXPECT_NE(bytes.find("imageFilename=\"scans/page1.tif\""), std::string::npos);
  ReadOutcome r = readDocumentBytes(bytes, path);
  ASSERT_TRUE(r.paper);
  EXPECT_EQ(*r.paper->pages.front().file, u"page1.tif");
  EXPECT_EQ(toUtf8(*r.paper->pages.front().fullpath), dir / "scans/page1.tif");

  page.fullpath = u"/elsewhere/scan; 1/page1.tif";  // outside the output's folder: as it is
  const std::string hocr = hocrBytes(*paper, {0, 0}, path);
  EXPECT_NE(hocr.find("image &quot;/elsewhere/scan; 1/page1.tif&quot;"), std::string::npos);
  r = readDocumentBytes(hocr, path);
  ASSERT_TRUE(r.paper);
  EXPECT_EQ(*r.paper->pages.front().fullpath, u"/elsewhere/scan; 1/page1.tif");
}

// A page with what the sample lacks: Latin words, corrections, a typed character, a paragraph
// break, a character beyond the basic plane, a user section word, joined table cells.
std::unique_ptr<PaperData> featurePage() {
  auto paper = std::make_unique<PaperData>();
  paper->encoding = 1;
  PageData& page = paper->pages.emplace_back();
  page.file = u"f.png";
  page.width = 2000;
  page.height = 3000;
  page.dpi = 300;
  BlockData& text = page.blocks.emplace_back();
  text.x = 100;
  text.y = 100;
  text.width = 1500;
  text.height = 200;
  text.sec = sectionCode(*paper, u"colophon");
  LineData& line = text.lines.emplace_back();
  line.x = 100;
  line.y = 100;
  line.width = 1500;
  line.height = 60;
  const std::u16string content = u"OCR results 𠮟\r";
  int x = 100;
  for (size_t i = 0; i < content.size(); ++i) {
    CharData& c = line.chars.emplace_back();
    const bool pair = content[i] >= 0xD800 && content[i] <= 0xDBFF;
    c.text = pair ? makeCharText(content[i], content[i + 1]) : makeCharText(content[i]);
    if (pair) ++i;
    c.x = x;
    c.y = 100;
    c.width = 40;
    c.height = 60;
    x += 50;
    c.cc = 6;
    c.resetCandidates(2);
    c.candText(0) = c.text;
    c.candCC(0) = 6;
    c.candText(1) = makeCharText(u'#');
    c.candCC(1) = 2;
    line.charCount += charTextLength(c.text);
  }
  // "results": the user chose the second candidate of 'r' and typed the 's' at the end.
  CharData& corrected = *std::next(line.chars.begin(), 4);
  corrected.text = makeCharText(u'#');
  corrected.changed = 1;
  CharData& typed = *std::next(line.chars.begin(), 10);
  typed.x = typed.y = -1;
  typed.changed = 1;
  computeBlockAverages(text);

  BlockData& table = page.blocks.emplace_back();
  table.type = BlockTable;
  table.x = 100;
  table.y = 400;
  table.width = 800;
  table.height = 200;
  for (int r = 1; r <= 2; ++r)
    for (int col = 1; col <= 2; ++col) {
      CellData& cell = table.cells.emplace_back();
      cell.row = r;
      cell.col = col;
      cell.x = 100 + (col - 1) * 400;
      cell.y = 400 + (r - 1) * 100;
      cell.width = col == 1 && r == 1 ? 800 : 400;
      cell.height = 100;
      cell.connectGroup = r == 1 ? 1 : 0;
      LineData& l = cell.lines.emplace_back();
      l.x = cell.x + 10;
      l.y = cell.y + 20;
      l.width = 200;
      l.height = 50;
      if (r == 1 && col == 2) continue;  // the joined cell's hidden half is empty
      CharData& c = l.chars.emplace_back();
      c.text = makeCharText(static_cast<char16_t>(u'0' + r * 2 + col));
      c.x = l.x;
      c.y = l.y;
      c.width = 40;
      c.height = 50;
      l.charCount = 1;
      cell.lineCount = 1;
      computeCellAverages(cell, table.direction);
    }
  computeTableAverage(table);
  BlockData& figure = page.blocks.emplace_back();
  figure.type = BlockImage;
  figure.x = 1000;
  figure.y = 1000;
  figure.width = 500;
  figure.height = 500;
  renumberPages(*paper);
  computeMaxPageSize(*paper);
  return paper;
}

std::u16string lineText(const LineData& line) {
  std::u16string s;
  for (const CharData& c : line.chars)
    s.append(c.text.data(), static_cast<size_t>(charTextLength(c.text)));
  return s;
}

struct Carried {
  const char* format;
  const char* schema;  // null: no schema to validate against
  bool changedMarks;   // the user's corrections stay marked
  bool cellGroups;     // joined table cells keep their group
};
void PrintTo(const Carried& c, std::ostream* os) { *os << c.format; }

class FeatureRoundTrip : public ::testing::TestWithParam<Carried> {};

TEST_P(FeatureRoundTrip, KeepsWhatTheFormatCarries) {
  const Carried& f = GetParam();
  std::unique_ptr<PaperData> original = featurePage();
  TempDir dir;
  const std::string path = dir / "feature.xml";
  const std::string bytes = std::string(f.format) == "page"
                                ? pageXmlBytes(original->pages.front(), *original, path)
                            : std::string(f.format) == "alto" ? altoBytes(*original, {}, path)
                                                              : hocrBytes(*original, {}, path);
  if (f.schema) {
    const std::string file = dir.write("check.xml", bytes);
    if (std::filesystem::exists(testing::schemaFolder() + "/" + f.schema) &&
        std::system("command -v xmllint >/dev/null 2>&1") == 0) {
      EXPECT_EQ(testing::validate(file, f.schema), "");
    }
  }
  std::unique_ptr<PaperData> back = readBack(bytes, path, f.format);
  ASSERT_TRUE(back);
  const PageData& page = back->pages.front();
  ASSERT_EQ(page.blocks.size(), 3u);
  const BlockData& text = page.blocks.front();
  EXPECT_EQ(sectionWord(*back, text.sec), u"colophon");
  ASSERT_EQ(text.lines.size(), 1u);
  const LineData& line = text.lines.front();
  EXPECT_EQ(lineText(line), u"OCR #esults 𠮟\r");
  EXPECT_EQ(line.charCount, 15);

  // Corrections go out with full confidence; the chosen candidate leads the list.
  const CharData& corrected = *std::next(line.chars.begin(), 4);
  EXPECT_EQ(corrected.cc, 10);
  ASSERT_EQ(corrected.numCand(), 2);
  EXPECT_EQ(corrected.candText(0), makeCharText(u'#'));
  EXPECT_EQ(corrected.candText(1), makeCharText(u'r'));
  EXPECT_EQ(corrected.candCC(1), 6);
  EXPECT_EQ(corrected.changed, f.changedMarks ? 1 : 0);
  const CharData& plain = *std::next(line.chars.begin(), 5);
  EXPECT_EQ(plain.cc, 6);
  ASSERT_EQ(plain.numCand(), 2);
  EXPECT_EQ(plain.candCC(1), 2);

  // A typed character gets a box inside its line; the others keep theirs.
  const CharData& typed = *std::next(line.chars.begin(), 10);
  EXPECT_GE(typed.x, line.x);
  EXPECT_LE(typed.x + typed.width, line.x + line.width);
  EXPECT_EQ(typed.changed, f.changedMarks ? 1 : 0);
  EXPECT_EQ(plain.x, 350);
  EXPECT_EQ(plain.width, 40);

  const BlockData& table = *std::next(page.blocks.begin());
  ASSERT_EQ(table.type, BlockTable);
  ASSERT_EQ(table.cells.size(), 4u);
  auto cell = table.cells.begin();
  for (int r = 1; r <= 2; ++r)
    for (int c = 1; c <= 2; ++c, ++cell) {
      EXPECT_EQ(cell->row, r);
      EXPECT_EQ(cell->col, c);
      EXPECT_EQ(cell->connectGroup, f.cellGroups && r == 1 ? 1 : 0);
    }
  EXPECT_EQ(lineText(table.cells.back().lines.front()), u"6");
  EXPECT_EQ(page.blocks.back().type, BlockImage);
}

INSTANTIATE_TEST_SUITE_P(Formats, FeatureRoundTrip,
                         ::testing::Values(Carried{"page", "pagecontent-2019-07-15.xsd", false,
                                                   true},
                                           Carried{"alto", "alto-4-4.xsd", true, false},
                                           Carried{"hocr", nullptr, false, true}),
                         [](const auto& info) { return std::string(info.param.format); });

TEST(FormatRoundTrip, ExportedFilesOfTheSampleValidate) {
  VELLARY_SKIP_WITHOUT_SCHEMAS();
  std::unique_ptr<PaperData> paper = testing::openSample();
  ASSERT_TRUE(paper);
  TempDir dir;
  std::string error;
  ASSERT_TRUE(writePageXml(*paper, dir / "book.xml", {}, error)) << error;
  for (const char* name : {"0001.xml", "0002.xml", "0003.xml"})
    EXPECT_EQ(testing::validate(dir / ("book/" + std::string(name)), "pagecontent-2019-07-15.xsd"),
              "");
  ASSERT_TRUE(writePageXml(*paper, dir / "one.xml", {1, 1}, error)) << error;
  EXPECT_EQ(testing::validate(dir / "one.xml", "pagecontent-2019-07-15.xsd"), "");
  ASSERT_TRUE(writeAlto(*paper, dir / "alto.xml", {}, error)) << error;
  EXPECT_EQ(testing::validate(dir / "alto.xml", "alto-4-4.xsd"), "");
}

}  // namespace
}  // namespace vellary::formats
