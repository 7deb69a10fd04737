// The PDF object writer: numbering, the fixed objects byte for byte, images, the cross-reference
// table and trailer, the structure tree, and writing the file.
#include "export/pdf/pdf_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "pdf_helpers.h"
#include "support/temp_dir.h"

namespace {

using namespace vellary::exporting::pdf;
using vellary::testing::objectText;
using vellary::testing::readXref;

constexpr char kDate[] = "20240102030405+09'00'";

std::string onePage(PdfPage page = {}) {
  CPDFfile f;
  f.setCreationDate(kDate);
  f.AddPage(page);
  return f.render();
}

PdfImage jpeg(int bits, std::string bytes = "JPEGDATA") {
  PdfImage im;
  im.bytes.assign(bytes.begin(), bytes.end());
  im.bitsPerPixel = bits;
  im.pixelWidth = 100;
  im.pixelHeight = 50;
  im.x = 10.7;
  im.y = 20.2;
  im.width = 72.9;
  im.height = 36.5;
  return im;
}

TEST(PdfFile, OnePageWithoutImagesHasTheFixedLayout) {
  const std::string pdf = onePage();
  // The second line marks the file as binary for programs that guess.
  EXPECT_EQ(pdf.rfind("%PDF-1.4\r\n%\xE2\xE3\xCF\xD3\r\n", 0), 0u);
  // Empty information strings are left out.
  EXPECT_EQ(objectText(pdf, 1),
            "1 0 obj\r\n<<\n/CreationDate (D:20240102030405+09'00')\r\n>>\nendobj\r\n");
  EXPECT_EQ(objectText(pdf, 2), "2 0 obj\r\n[ /PDF /Text ]\r\nendobj\r\n");
  EXPECT_EQ(objectText(pdf, 4),
            "4 0 obj\r\n<<\r\n/Type /Pages\r\n/Kids [ 34 0 R ]\r\n/Count 1\r\n>>\r\nendobj\r\n");
  EXPECT_EQ(objectText(pdf, 34),
            "34 0 obj\r\n<<\r\n/Type /Page\r\n/Parent 4 0 R\r\n/Resources <<\r\n/Font <<\r\n"
            "/F0 5 0 R\r\n/F4 8 0 R\r\n/F1 11 0 R\r\n/F2 14 0 R\r\n/F3 15 0 R\r\n/F6 16 0 R\r\n"
            "/F7 19 0 R\r\n/F8 22 0 R\r\n/F9 25 0 R\r\n/F10 28 0 R\r\n/F11 31 0 R\r\n>>\r\n"
            "/XObject <<\r\n>>\r\n/ProcSet 2 0 R\r\n>>\r\n/Contents [ 35 0 R ]\r\n"
            "/MediaBox [ 0 0 595 842 ]\r\n/StructParents 0\r\n>>\r\nendobj\r\n");
  EXPECT_EQ(objectText(pdf, 35),
            "35 0 obj\r\n<<\r\n/Length 0\r\n>>\rstream\r\n\rendstream\r\nendobj\r\n");
  // 33 fixed objects, the page and its contents, then the structure tree: a root and the
  // Document element (the page has no marked content).
  const auto xref = readXref(pdf);
  EXPECT_EQ(xref.size, 38);
  EXPECT_NE(objectText(pdf, 36).find("/Type /StructTreeRoot"), std::string::npos);
  EXPECT_NE(objectText(pdf, 37).find("/S /Document"), std::string::npos);
  EXPECT_EQ(objectText(pdf, 38), "");
  EXPECT_TRUE(pdf.ends_with("%%EOF\r\n"));
  // The file's identifier is made from its bytes: the same file has the same one.
  EXPECT_NE(pdf.find("/ID [ <"), std::string::npos);
  EXPECT_EQ(pdf, onePage());
}

TEST(PdfFile, CatalogNamesTheStructureTreeAndTheCalibratedSpaces) {
  const std::string catalog = objectText(onePage(), 3);
  const std::string head =
      "3 0 obj\r\n<<\r\n/Type /Catalog\r\n/Pages 4 0 R\r\n/StructTreeRoot 36 0 R\r\n"
      "/MarkInfo << /Marked true >>\r\n/OpenAction [ 34 0 R /Fit ]\r\n/Lang (ja-JP)\r\n";
  ASSERT_EQ(catalog.rfind(head, 0), 0u);
  const std::string tail = catalog.substr(head.size());
  EXPECT_EQ(tail.size(), 260u);
  EXPECT_EQ(tail.rfind("/DefaultGray [/CalGray\r\n<<\r\n/WhitePoint [0.9643 1 0.8251 ]\r\n", 0),
            0u);
  EXPECT_TRUE(tail.ends_with("0.129 0.055 0.6812 ]\r\n>>\r\n]\r\n>>\r\nendobj\r\n"));
}

TEST(PdfFile, NamedFontsAreTheElevenFontsWithRealWidthsAndEmbedNothing) {
  const std::string pdf = onePage();
  EXPECT_EQ(objectText(pdf, 5),
            "5 0 obj\r\n<<\r\n/Type /Font\r\n/Subtype /Type0\r\n/Name /F0\r\n"
            "/BaseFont /MS-Mincho\r\n/DescendantFonts [ 6 0 R ]\r\n"
            "/Encoding /UniJIS-UTF16-H\r\n>>\r\nendobj\r\n");
  // The Latin characters of the Unicode maps (CIDs 1 to 95) are half width like the half-width
  // forms: digits are not set an em apart.
  EXPECT_EQ(objectText(pdf, 6),
            "6 0 obj\r\n<<\r\n/Type /Font\r\n/Subtype /CIDFontType2\r\n"
            "/BaseFont /MS-Mincho\r\n/WinCharSet 128 /FontDescriptor 7 0 R\r\n"
            "/CIDSystemInfo << /Registry(Adobe) /Ordering(Japan1) /Supplement 2 >>\r\n"
            "/DW 1000\r\n/W [\r\n1 95 500\r\n231 389 500\r\n631 631 500\r\n]\r\n>>\r\n"
            "endobj\r\n");
  EXPECT_EQ(objectText(pdf, 7),
            "7 0 obj\r\n<<\r\n/Type /FontDescriptor\r\n/FontName /MS-Mincho\r\n"
            "/Flags 7\r\n/FontBBox [ -250 -140 600 860 ]\r\n/MissingWidth 500\r\n/StemV 91\r\n"
            "/StemH 91\r\n/ItalicAngle 0\r\n/CapHeight 860\r\n/XHeight 602\r\n/Ascent 860\r\n"
            "/Descent -140\r\n/Leading 0\r\n/MaxWidth 1000\r\n/AvgWidth 500\r\n"
            "/Style << /Panose <010502020609000000000000> >>\r\n>>\r\nendobj\r\n");
  EXPECT_NE(objectText(pdf, 8).find("/BaseFont /MS-Mincho\r\n"), std::string::npos);
  EXPECT_NE(objectText(pdf, 8).find("/Encoding /UniJIS-UTF16-V"), std::string::npos);
  EXPECT_NE(objectText(pdf, 10).find("/FontBBox [ -250 -136 600 864 ]"), std::string::npos);
  EXPECT_NE(objectText(pdf, 13).find("<0805020B0609000000000000>"), std::string::npos);
  EXPECT_EQ(objectText(pdf, 14),
            "14 0 obj\r\n<<\r\n/Type /Font\r\n/Subtype /TrueType\r\n/Name /F2\r\n"
            "/BaseFont /TimesNewRoman\r\n/Encoding /WinAnsiEncoding\r\n>>\r\nendobj\r\n");
  EXPECT_NE(objectText(pdf, 15).find("/BaseFont /Arial"), std::string::npos);
  EXPECT_NE(objectText(pdf, 17).find("/Ordering(GB1) /Supplement 2"), std::string::npos);
  EXPECT_NE(objectText(pdf, 18).find("/FontBBox [ 0 -141 996 855]"), std::string::npos);
  EXPECT_NE(objectText(pdf, 20).find("/WinCharSet 136 /FontDescriptor 21 0 R"), std::string::npos);
  EXPECT_NE(objectText(pdf, 23).find("/Ordering(Korea1) /Supplement 1"), std::string::npos);
  EXPECT_NE(objectText(pdf, 25).find("/Name /F9\r\n/BaseFont /SimSun"), std::string::npos);
  EXPECT_NE(objectText(pdf, 31).find("/Encoding /UniKS-UTF16-V"), std::string::npos);
  EXPECT_EQ(pdf.find("FontFile"), std::string::npos);

  // Chinese and Korean triples are written Type0, descriptor, descendant.
  const auto xref = readXref(pdf);
  EXPECT_LT(xref.offsets.at(16), xref.offsets.at(18));
  EXPECT_LT(xref.offsets.at(18), xref.offsets.at(17));
  EXPECT_LT(xref.offsets.at(6), xref.offsets.at(7));
}

TEST(PdfFile, CrossReferenceOffsetsPointAtEachObject) {
  PdfPage page;
  page.images = {jpeg(24), jpeg(8)};
  CPDFfile f;
  f.setCreationDate(kDate);
  f.AddPage(page);
  f.AddPage(page);
  const std::string pdf = f.render();
  const auto xref = readXref(pdf);
  ASSERT_GT(xref.size, 0);
  EXPECT_EQ(static_cast<int>(xref.offsets.size()), xref.size - 1);
  for (const auto& [n, offset] : xref.offsets)
    EXPECT_EQ(pdf.compare(offset, std::to_string(n).size() + 8, std::to_string(n) + " 0 obj\r\n"),
              0)
        << "object " << n;
  EXPECT_EQ(pdf.compare(xref.startxref, 6, "xref\r\n"), 0);
  const size_t table = static_cast<size_t>(xref.startxref);
  const size_t firstEntry = pdf.find("0000000000 65535 f\r\n", table);
  const size_t trailer = pdf.find("trailer\r\n", table);
  EXPECT_EQ(trailer - firstEntry, 20u * static_cast<size_t>(xref.size));
  EXPECT_NE(pdf.find("/Root 3 0 R\r\n/Info 1 0 R\r\n"), std::string::npos);
}

TEST(PdfFile, ImagesAreNumberedAfterTheirPageAndNamedAcrossTheFile) {
  PdfPage first;
  first.images = {jpeg(24), jpeg(8)};
  PdfPage second;
  second.images = {jpeg(24)};
  CPDFfile f;
  f.setCreationDate(kDate);
  EXPECT_EQ(f.AddPage(first), 1);
  EXPECT_EQ(f.AddPage(second), 2);
  const std::string pdf = f.render();
  EXPECT_NE(objectText(pdf, 36).find("/Name /im0\r\n"), std::string::npos);
  EXPECT_NE(objectText(pdf, 37).find("/Name /im1\r\n"), std::string::npos);
  EXPECT_NE(objectText(pdf, 38).find("/Type /Page\r\n"), std::string::npos);
  EXPECT_NE(objectText(pdf, 40).find("/Name /im2\r\n"), std::string::npos);
  EXPECT_NE(objectText(pdf, 34).find("/XObject <<\r\n/im0 36 0 R\r\n/im1 37 0 R\r\n>>"),
            std::string::npos);
  EXPECT_NE(objectText(pdf, 38).find("/XObject <<\r\n/im2 40 0 R\r\n>>"), std::string::npos);
  EXPECT_NE(objectText(pdf, 38).find("/StructParents 1\r\n"), std::string::npos);
  EXPECT_EQ(objectText(pdf, 2), "2 0 obj\r\n[ /PDF /Text /ImageB /ImageC ]\r\nendobj\r\n");
  // Figures get the first marked-content identifiers, in the order added.
  // Placed exactly, not in whole points.
  EXPECT_NE(objectText(pdf, 35).find(
                "/Figure << /MCID 1 >>\rBDC\rq\r72.9000 0 0 36.5000 10.7000 20.2000 cm\r/im1 Do"),
            std::string::npos);
}

TEST(PdfFile, ImageObjectsByKind) {
  PdfImage colour = jpeg(24, "ABC");
  PdfImage grey = jpeg(8, "ABC");
  PdfImage bilevel = jpeg(1, "G4");
  PdfImage mask = jpeg(1, "G4");
  mask.imageMask = true;
  PdfImage empty = jpeg(24, "");
  PdfPage page;
  page.images = {colour, grey, bilevel, empty, mask};
  CPDFfile f;
  f.setCreationDate(kDate);
  f.AddPage(page);
  const std::string pdf = f.render();
  EXPECT_EQ(objectText(pdf, 36),
            "36 0 obj\r\n<<\r\n/Type /XObject\r\n/Subtype /Image\r\n/Name /im0\r\n"
            "/Filter /DCTDecode\r\n/Width 100\r\n/Height 50\r\n/BitsPerComponent 8\r\n"
            "/ColorSpace /DeviceRGB\r\n/Length 3\r\n>>\r\nstream\r\nABC\rendstream\r\nendobj\r\n");
  EXPECT_NE(objectText(pdf, 37).find("/ColorSpace /DeviceGray\r\n/Length 3\r\n"),
            std::string::npos);
  EXPECT_EQ(objectText(pdf, 38),
            "38 0 obj\r\n<<\r\n/Type /XObject\r\n/Subtype /Image\r\n/Name /im2\r\n/Width 100\r\n"
            "/Height 50\r\n/BitsPerComponent 1\r\n/ColorSpace /DeviceGray\r\n/Length 2\r\n"
            "/Filter /CCITTFaxDecode\r\n/DecodeParms\r\n<<\r\n/K -1\r\n/EndOfLine false\r\n"
            "/EncodeByteAlign false\r\n/Columns 100\r\n/Rows 50\r\n/EndOfBlock false\r\n"
            "/BlackIs1 false\r\n/DamagedRowsBeforeError -1\r\n>>\r\n>>\r\nstream\r\nG4\r"
            "endstream\r\nendobj\r\n");
  // The image without bytes is left out: the mask is the next object and im3.
  EXPECT_EQ(objectText(pdf, 39),
            "39 0 obj\r\n<<\r\n/Type /XObject\r\n/Subtype /Image\r\n/Name /im3\r\n/Width 100\r\n"
            "/Height 50\r\n/BitsPerComponent 1\r\n/ImageMask true\r\n/Length 2\r\n"
            "/Filter /CCITTFaxDecode\r\n/DecodeParms\r\n<<\r\n/K -1\r\n/EndOfLine false\r\n"
            "/EncodeByteAlign false\r\n/Columns 100\r\n/Rows 50\r\n/EndOfBlock false\r\n\r\n"
            "/DamagedRowsBeforeError -1\r\n>>\r\n>>\r\nstream\r\nG4\rendstream\r\nendobj\r\n");
  EXPECT_EQ(objectText(pdf, 34).find("/im4"), std::string::npos);
}

TEST(PdfFile, MediaBoxIsRoundedAndClamped) {
  EXPECT_EQ(mediaBoxSide(3307, 400), 595);
  EXPECT_EQ(mediaBoxSide(4677, 400), 842);
  EXPECT_EQ(mediaBoxSide(3305, 400), 595);  // 594.9 rounds up
  EXPECT_EQ(mediaBoxSide(300, 400), 72);    // narrower than an inch
  EXPECT_EQ(mediaBoxSide(20000, 400), 3240);
  EXPECT_NE(onePage(PdfPage{100, 20000, 400, {}, {}, {}}).find("/MediaBox [ 0 0 72 3240 ]"),
            std::string::npos);
}

TEST(PdfFile, InformationStringsAreUtf16WithoutALanguageEscape) {
  // An escape sequence before the text is shown by readers as a character of its own.
  EXPECT_EQ(infoString(u"テスト"), "FEFF30C630B930C8");
  EXPECT_EQ(hexUtf16(u"A\U00020B9F"), "0041D842DF9F");
  CPDFfile f;
  f.setCreationDate(kDate);
  f.setTitle(u"テスト");
  f.setAuthor(u"著者");
  f.AddPage({});
  const std::string info = objectText(f.render(), 1);
  EXPECT_NE(info.find("/Title <FEFF30C630B930C8>\r\n"), std::string::npos);
  EXPECT_NE(info.find("/Author <FEFF84578005>\r\n"), std::string::npos);
  EXPECT_EQ(info.find("/Subject"), std::string::npos);
}

TEST(PdfFile, CreationDateCarriesTheTimeZoneOffsetInWholeHours) {
  std::tm t{};
  t.tm_year = 2024 - 1900;
  t.tm_mon = 11;
  t.tm_mday = 9;
  t.tm_hour = 7;
  t.tm_min = 5;
  t.tm_sec = 3;
  EXPECT_EQ(formatCreationDate(t, 9 * 3600), "20241209070503+09'00'");
  EXPECT_EQ(formatCreationDate(t, -5 * 3600), "20241209070503-05'00'");
  EXPECT_EQ(formatCreationDate(t, 0), "20241209070503+00'00'");
  EXPECT_EQ(formatCreationDate(t, 5 * 3600 + 1800), "20241209070503+05'00'");
  EXPECT_EQ(formatCreationDate(t, -(3 * 3600 + 1800)), "20241209070503-03'00'");
  EXPECT_EQ(formatCreationDate(t, 0).size(), 21u);
}

PdfLine lineOf(std::u32string_view text, double x, double y, int font = FontMincho) {
  PdfLine l;
  l.fontType = font;
  for (char32_t c : text) {
    l.chars.push_back({c, {x, y, x + 9, y + 9}, true, {}});
    x += 10;
  }
  return l;
}

TEST(PdfFile, StructureTreeTagsHeadingsParagraphsTablesAndFiguresInReadingOrder) {
  PdfPage page;
  PdfImage figure = jpeg(24);
  figure.alt = u"図１";
  figure.order = 3;
  PdfImage background = jpeg(24);
  background.artifact = true;
  page.images = {background, figure};
  PdfTextBlock heading{{lineOf(U"題", 10, 700)}, RenderVisible, PdfRole::Heading, {}, 0};
  PdfTextBlock folio{{lineOf(U"1", 300, 20)}, RenderVisible, PdfRole::Artifact, {}, 1};
  PdfTextBlock english{{lineOf(U"Hi", 10, 600, FontTimes)}, RenderVisible, PdfRole::Paragraph, "en", 4};
  page.blocks = {heading, folio, english};
  PdfTable table;
  table.rows = 2;
  table.columns = 2;
  table.order = 2;
  table.cells = {{0, 0, 2, 1, {lineOf(U"魚", 10, 500)}}, {0, 1, 1, 1, {}}, {1, 1, 1, 1, {}}};
  page.tables = {table};
  CPDFfile f;
  f.setCreationDate(kDate);
  f.AddPage(page);
  const std::string pdf = f.render();
  // The background, the page number and the rules are artifacts, outside the structure.
  const std::string stream = objectText(pdf, 35);
  EXPECT_NE(stream.find("/Artifact BMC\rq\r"), std::string::npos);
  EXPECT_NE(stream.find("/Artifact BMC\rBT\r"), std::string::npos);
  // Sequences: figure 0, heading 1, cells 2-4, paragraph 5. Elements in reading order: H1,
  // Table (TR, TD …), Figure, P.
  std::vector<std::string> types;
  std::string figureElement, englishElement, root;
  for (int n = 1; n < readXref(pdf).size; ++n) {
    const std::string o = objectText(pdf, n);
    if (o.find("/Type /StructTreeRoot") != std::string::npos) root = o;
    const std::string head = "/Type /StructElem\r\n/S /";
    const size_t at = o.find(head);
    if (at == std::string::npos) continue;
    const size_t from = at + head.size();
    types.push_back(o.substr(from, o.find('\r', from) - from));
    if (types.back() == "Figure") figureElement = o;
    if (types.back() == "P") englishElement = o;
  }
  EXPECT_EQ(types, (std::vector<std::string>{"Document", "H1", "Table", "TR", "TD", "TD", "TR",
                                             "TD", "Figure", "P"}));
  EXPECT_NE(figureElement.find("/Pg 34 0 R\r\n/Alt <FEFF56F3FF11>\r\n"), std::string::npos)
      << figureElement;
  EXPECT_NE(pdf.find("/A << /O /Table /RowSpan 2 /ColSpan 1 >>\r\n/K [ 2 ]"), std::string::npos);
  EXPECT_NE(englishElement.find("/Lang (en)\r\n/K [ 5 ]"), std::string::npos) << englishElement;
  // The parent tree leads from each of the page's six sequences to its element.
  EXPECT_NE(root.find("/ParentTree << /Nums [\r\n0 [ "), std::string::npos) << root;
  size_t references = 0;
  for (size_t at = root.find(" 0 R"); at != std::string::npos; at = root.find(" 0 R", at + 1))
    ++references;
  EXPECT_EQ(references, 1u + 6u) << root;
}

TEST(PdfFile, EmbeddedFontsCarryTheirGlyphsWidthsAndTheCharactersOfTheirCodes) {
  PdfPage page;
  PdfLine vertical = lineOf(U"港、1", 100, 700, FontMinchoV);
  page.blocks = {{{lineOf(U"港1", 10, 700), vertical}, RenderVisible, PdfRole::Paragraph, {}, 0},
                 {{lineOf(U"港", 10, 600)}, RenderInvisible, PdfRole::Paragraph, {}, 1}};
  CPDFfile f({true, false});
  f.setCreationDate(kDate);
  f.AddPage(page);
  const std::string pdf = f.render();
  // No named font: the page uses the two encodings of the Mincho subset and its glyphless twin.
  EXPECT_EQ(pdf.find("MS-Mincho"), std::string::npos);
  const std::string pageObject = objectText(pdf, 5);
  EXPECT_NE(pageObject.find("/F0 "), std::string::npos);
  EXPECT_NE(pageObject.find("/F4 "), std::string::npos);
  EXPECT_NE(pageObject.find("/T0 "), std::string::npos);
  EXPECT_EQ(pageObject.find("/F1 "), std::string::npos);
  EXPECT_NE(pdf.find("/Encoding /Identity-V"), std::string::npos);
  EXPECT_NE(pdf.find("/FontFile2 "), std::string::npos);
  EXPECT_NE(pdf.find("/CIDToGIDMap "), std::string::npos);
  // CIDs are handed out as drawn: 港 1, 1 2, the vertical form of 、 3; the half-width digit is
  // half an em wide.
  EXPECT_NE(pdf.find("/W [\r\n1 [ 1000 500 1000 ] ]"), std::string::npos);
  EXPECT_NE(objectText(pdf, 6).find("[<0001>"), std::string::npos) << objectText(pdf, 6);
}

TEST(PdfFile, ArchiveFilesCarryMetadataAndAnSrgbOutputIntent) {
  CPDFfile f({false, true});
  f.setCreationDate(kDate);
  f.setTitle(u"港 & 町");
  f.setAuthor(u"水島");
  PdfPage page;
  page.blocks = {{{lineOf(U"港", 10, 700)}, RenderVisible, PdfRole::Paragraph, {}, 0}};
  f.AddPage(page);
  const std::string pdf = f.render();
  EXPECT_NE(pdf.find("/FontFile2 "), std::string::npos);  // fonts are embedded for archives
  EXPECT_NE(objectText(pdf, 1).find("/ModDate (D:20240102030405+09'00')"), std::string::npos);
  const std::string catalog = objectText(pdf, 3);
  EXPECT_NE(catalog.find("/Metadata "), std::string::npos);
  EXPECT_NE(catalog.find("/OutputIntents [ "), std::string::npos);
  EXPECT_NE(pdf.find("<pdfaid:part>2</pdfaid:part>\n<pdfaid:conformance>U</pdfaid:conformance>"),
            std::string::npos);
  EXPECT_NE(pdf.find("<rdf:li xml:lang=\"x-default\">港 &amp; 町</rdf:li>"), std::string::npos);
  EXPECT_NE(pdf.find("<xmp:CreateDate>2024-01-02T03:04:05+09:00</xmp:CreateDate>"),
            std::string::npos);
  EXPECT_NE(pdf.find("/S /GTS_PDFA1"), std::string::npos);
  const std::string icc = srgbProfile();
  EXPECT_EQ(icc.size(), (static_cast<size_t>(static_cast<unsigned char>(icc[2])) << 8) +
                            static_cast<unsigned char>(icc[3]));
  EXPECT_EQ(icc.substr(12, 12), "mntrRGB XYZ ");
  EXPECT_EQ(icc.substr(36, 4), "acsp");
  EXPECT_EQ(xmpDate("20241209070503-05'00'"), "2024-12-09T07:05:03-05:00");
}

TEST(PdfFile, WritingReplacesTheFileOrReportsWhy) {
  vellary::testing::TempDir dir;
  CPDFfile empty;
  EXPECT_EQ(empty.Write(dir / "none.pdf"), 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "none.pdf"));

  CPDFfile f;
  f.setCreationDate(kDate);
  f.AddPage({});
  const std::string path = dir.write("out.pdf", "old contents");
  EXPECT_EQ(f.Write(path), 1);
  EXPECT_EQ(vellary::testing::TempDir::read(path), f.render());
  EXPECT_THROW(f.Write(dir / "missing/out.pdf"), PdfWriteError);
  // Nothing but the written file is left in the folder.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

}  // namespace
