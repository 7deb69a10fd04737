// The Unicode text writer, the export dialog's decisions, page image resolution and the document
// information.
#include "export/text_export.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "export/document_info.h"
#include "export/export.h"
#include "export/export_choice.h"
#include "export/page_image.h"
#include "model/text.h"
#include "pdf_helpers.h"
#include "support/temp_dir.h"

namespace {

using namespace vellary;
using namespace vellary::exporting;
namespace vt = vellary::testing;

// UTF-16 little-endian bytes of text, as the writer produces them.
std::string le(std::u16string_view text) {
  std::string out;
  for (char16_t u : text) {
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>(u >> 8));
  }
  return out;
}

const std::string kBom = "\xFF\xFE";

model::PaperData paperOf(std::vector<std::vector<model::BlockData>> pages) {
  model::PaperData paper;
  for (auto& blocks : pages) {
    model::PageData& p = paper.pages.emplace_back();
    for (auto& b : blocks) p.blocks.push_back(std::move(b));
  }
  return paper;
}

model::BlockData tableOf(std::vector<std::tuple<int, int, std::u16string>> cells) {
  model::BlockData b;
  b.type = model::BlockTable;
  for (auto& [row, col, text] : cells) {
    model::CellData& c = b.cells.emplace_back();
    c.row = row;
    c.col = col;
    c.lines.push_back(vt::hline(0, 0, 10, text));
  }
  return b;
}

// A ruby line over characters from..to (1-based) of `base`.
model::LineData rubyOver(model::LineData& base, int from, int to, std::u16string_view text,
                         int16_t attr = model::AttrRuby) {
  model::LineData r = vt::hline(0, 0, 5, text);
  r.attr = attr;
  r.baseLine = &base;
  r.rcs = from;
  r.rce = to;
  return r;
}

TEST(TextExport, LinesRunTogetherAndEveryBlockAndPageEndsWithALineBreak) {
  auto paper = paperOf({{vt::textBlock({vt::hline(0, 0, 10, u"吾輩は"), vt::hline(0, 20, 10, u"猫")}),
                         vt::textBlock({vt::hline(0, 40, 10, u"夏目")})},
                        {vt::textBlock({vt::hline(0, 0, 10, u"名前")})}});
  EXPECT_EQ(textExportBytes(paper, 0, 1),
            kBom + le(u"吾輩は猫\r\n夏目\r\n\r\n名前\r\n\r\n"));
  // A block that already ends with a paragraph break gets no second one; one inside stays.
  model::BlockData& first = paper.pages.front().blocks.front();
  first.lines.front().chars.push_back(vt::glyph(0, 0, 1, 1, u'\r'));
  first.lines.back().chars.push_back(vt::glyph(0, 0, 1, 1, u'\r'));
  EXPECT_EQ(textExportBytes(paper, 0, 0), kBom + le(u"吾輩は\r\n猫\r\n夏目\r\n\r\n"));
  // A page without text adds nothing.
  auto empty = paperOf({{}, {vt::textBlock({vt::hline(0, 0, 10, u"一")})}});
  EXPECT_EQ(textExportBytes(empty, 0, 1), kBom + le(u"一\r\n\r\n"));
}

TEST(TextExport, SurrogatePairsAreWrittenWhole) {
  model::LineData l;
  l.chars.push_back(vt::glyph(0, 0, 1, 1, 0xD842, 0xDF9F));
  auto paper = paperOf({{vt::textBlock({l})}});
  EXPECT_EQ(textExportBytes(paper, 0, 0), kBom + le(u"\U00020B9F\r\n\r\n"));
}

TEST(TextExport, TableCellsAreSeparatedByTabsAndRowsByLineBreaks) {
  auto ordered = paperOf({{tableOf({{1, 1, u"a"}, {1, 2, u"b"}, {2, 1, u"c"}, {2, 2, u"d"}})}});
  EXPECT_EQ(textExportBytes(ordered, 0, 0), kBom + le(u"a\tb\r\nc\td\r\n\r\n"));
  // Out of row order: a break only where the next cell's row grows.
  auto shuffled = paperOf({{tableOf({{2, 1, u"c"}, {1, 1, u"a"}, {1, 2, u"b"}, {2, 2, u"d"}})}});
  EXPECT_EQ(textExportBytes(shuffled, 0, 0), kBom + le(u"c\ta\tb\r\nd\r\n\r\n"));
}

TEST(TextExport, SideLinesStayOutOfTheBodyAndRubyIsWrittenInItsNotationWhenAsked) {
  model::BlockData figure;
  figure.type = model::BlockImage;
  figure.lines.push_back(vt::hline(0, 0, 10, u"図"));
  auto paper = paperOf({{figure, vt::textBlock({vt::hline(0, 10, 10, u"岸壁に見えた"),
                                                vt::hline(0, 30, 10, u"子ども")})}});
  // Side lines point at lines of their own block, so they are added where the block now is.
  model::BlockData& block = paper.pages.front().blocks.back();
  model::LineData& first = block.lines.front();
  model::LineData& second = block.lines.back();
  block.lines.push_back(rubyOver(first, 1, 2, u"がんぺき"));
  block.lines.push_back(rubyOver(first, 4, 5, u"、、", model::AttrEmph));
  block.lines.push_back(rubyOver(second, 1, 1, u"5", model::AttrFootnote));
  EXPECT_EQ(textExportBytes(paper, 0, 0), kBom + le(u"岸壁に見えた子ども\r\n\r\n"));
  EXPECT_EQ(textExportBytes(paper, 0, 0, {RubyNotation::Aozora}),
            kBom + le(u"｜岸壁《がんぺき》に見えた子ども\r\n\r\n"));
}

TEST(TextExport, AVerticalPageWithTitleAuthorAndRubyReadsAsAnEText) {
  auto paper = paperOf(
      {{vt::textBlock({vt::vline(900, 0, 40, u"港町の朝")}, model::Vertical),
        vt::textBlock({vt::vline(800, 200, 20, u"水島遥")}, model::Vertical),
        vt::textBlock({vt::vline(700, 0, 20, u"外套の襟"), vt::vline(670, 0, 20, u"を立てた")},
                      model::Vertical)}});
  model::BlockData& body = paper.pages.front().blocks.back();
  body.lines.push_back(rubyOver(body.lines.front(), 1, 2, u"がいとう"));
  EXPECT_EQ(textExportBytes(paper, 0, 0, {RubyNotation::Aozora}),
            kBom + le(u"港町の朝\r\n水島遥\r\n｜外套《がいとう》の襟を立てた\r\n\r\n"));
}

TEST(TextExport, OnlyThePagesOfTheRangeAreWritten) {
  auto paper = paperOf({{vt::textBlock({vt::hline(0, 0, 10, u"一")})},
                        {vt::textBlock({vt::hline(0, 0, 10, u"二")})},
                        {vt::textBlock({vt::hline(0, 0, 10, u"三")})}});
  EXPECT_EQ(textExportBytes(paper, 1, 2), kBom + le(u"二\r\n\r\n三\r\n\r\n"));
  EXPECT_EQ(textExportBytes(paper, 0, 0), kBom + le(u"一\r\n\r\n"));
}

TEST(TextExport, WritesTheFileOrFailsWithoutOne) {
  vt::TempDir dir;
  auto paper = paperOf({{vt::textBlock({vt::hline(0, 0, 10, u"字")})}});
  const std::string path = dir.write("out.txt", "an older, longer file");
  EXPECT_EQ(ExportText(paper, path, 0, 0), 0);
  EXPECT_EQ(vt::TempDir::read(path), kBom + le(u"字\r\n\r\n"));
  std::string error;
  EXPECT_EQ(ExportText(paper, dir / "missing/out.txt", 0, 0, {}, &error), -1);
  EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
  EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
}

TEST(ExportChoice, KindFollowsTheExtensionAndForPdfTheFileType) {
  EXPECT_EQ(exportKindFor("a.TXT", 3), KindText);
  EXPECT_EQ(exportKindFor("a.docx", 1), KindDocx);
  EXPECT_EQ(exportKindFor("a.pptx", 4), KindPptx);
  EXPECT_EQ(exportKindFor("a.xlsx", 1), KindXlsx);
  EXPECT_EQ(exportKindFor("a.Xps", 1), KindXps);
  EXPECT_EQ(exportKindFor("a.pdf", 1), KindPdfText);
  EXPECT_EQ(exportKindFor("a.pdf", 4), KindPdfImage);
  EXPECT_EQ(exportKindFor("a.PDF", 5), KindPdfCompressed);
  EXPECT_EQ(exportKindFor("a.csv", 1), KindNone);
  EXPECT_EQ(exportKindFor("pdf", 1), KindNone);
  EXPECT_EQ(initialFilterEntry(KindPdfCompressed), 5);
  EXPECT_EQ(initialFilterEntry(KindDocx), 2);
  EXPECT_EQ(initialFilterEntry(KindXlsx), 1);
  // The open OCR formats: .xml is PAGE XML or ALTO only through their own entries.
  EXPECT_EQ(exportKindFor("a.xml", kFilterPageXml), KindPageXml);
  EXPECT_EQ(exportKindFor("a.XML", kFilterAlto), KindAlto);
  EXPECT_EQ(exportKindFor("a.xml", 1), KindNone);
  EXPECT_EQ(exportKindFor("a.hocr", 1), KindHocr);
  EXPECT_EQ(initialFilterEntry(KindAlto), kFilterAlto);
}

TEST(ExportChoice, RangesBecomePageIndexes) {
  EXPECT_EQ(exportRange(-1, -1, 10, 4), std::make_pair(0, 9));
  EXPECT_EQ(exportRange(0, 0, 10, 4), std::make_pair(4, 4));
  EXPECT_EQ(exportRange(0, 0, 10, 0), std::make_pair(0, 0));  // the first page as current
  EXPECT_EQ(exportRange(3, 5, 10, 4), std::make_pair(2, 4));
  EXPECT_EQ(exportRange(3, 50, 10, 4), std::make_pair(2, 9));
  EXPECT_EQ(exportRange(0, 5, 10, 4), std::make_pair(0, 9));
  EXPECT_EQ(dialogRange(RangeChoice::CurrentPage, 3, 5), std::make_pair(0, 0));
  EXPECT_EQ(dialogRange(RangeChoice::PageRange, 3, 5), std::make_pair(3, 5));
  EXPECT_EQ(dialogRange(RangeChoice::AllPages, 3, 5), std::make_pair(-1, -1));
}

TEST(ExportChoice, BadRangesAreRefusedAndLongOnesConfirmed) {
  EXPECT_TRUE(rangeRefused(RangeChoice::PageRange, 3, 2, 10));
  EXPECT_TRUE(rangeRefused(RangeChoice::PageRange, 0, 1, 10));
  EXPECT_TRUE(rangeRefused(RangeChoice::PageRange, 1, 11, 10));
  EXPECT_FALSE(rangeRefused(RangeChoice::PageRange, 2, 2, 10));
  EXPECT_FALSE(rangeRefused(RangeChoice::AllPages, 0, 0, 10));
  EXPECT_FALSE(longExportQuestion(RangeChoice::PageRange, 1, 99, 200));
  EXPECT_EQ(*longExportQuestion(RangeChoice::PageRange, 1, 100, 200),
            "保存ページが100ページ選択されています。\n"
            "認識結果の内容によっては、保存に時間がかかる場合があります。\n保存を実行しますか？");
  EXPECT_TRUE(longExportQuestion(RangeChoice::AllPages, 0, 0, 150));
  EXPECT_FALSE(longExportQuestion(RangeChoice::CurrentPage, 0, 0, 150));
}

TEST(PageImage, AMissingImageIsFoundInTheFolderNamedLikeTheDocument) {
  vt::TempDir dir;
  std::filesystem::create_directory(dir / "book");
  dir.write("book/p001.tif", "x");
  model::PageData page;
  page.fullpath = u"C:\\scan\\p001.tif";
  EXPECT_EQ(resolvePageImage(page, dir / "book.xml"), dir / "book/p001.tif");
  EXPECT_EQ(model::toUtf8(*page.fullpath), dir / "book/p001.tif");  // for good

  // A recorded path that exists is kept; one found nowhere is returned unchanged.
  dir.write("here.tif", "x");
  page.fullpath = model::fromUtf8(dir / "here.tif");
  EXPECT_EQ(resolvePageImage(page, dir / "book.xml"), dir / "here.tif");
  page.fullpath = u"/scan/p002.tif";
  EXPECT_EQ(resolvePageImage(page, dir / "book.xml"), "/scan/p002.tif");
  EXPECT_EQ(model::toUtf8(*page.fullpath), "/scan/p002.tif");
  // Without a full path the file name is taken beside the document.
  model::PageData named;
  named.file = u"here.tif";
  EXPECT_EQ(resolvePageImage(named, dir / "book.xml"), dir / "here.tif");
}

TEST(DocumentInformation, TheUserNameStandsInForAnEmptyAuthorWhenAsked) {
  DocumentInfo i = makeDocumentInfo("題", "副", "", "鍵", true, "作", "変", "yamada");
  EXPECT_EQ(i.title, u"題");
  EXPECT_EQ(i.subject, u"副");
  EXPECT_EQ(i.author, u"yamada");
  EXPECT_EQ(i.keywords, u"鍵");
  EXPECT_EQ(i.creator, u"作");
  EXPECT_EQ(i.producer, u"変");
  EXPECT_EQ(makeDocumentInfo("", "", "", "", false, "", "", "yamada").author, u"");
  EXPECT_EQ(makeDocumentInfo("", "", "著者", "", true, "", "", "yamada").author, u"著者");
  EXPECT_LE(currentUserName().size(), 256u);
}

TEST(DocumentInformation, ADocumentWithoutATitleIsCalledByItsFileName) {
  EXPECT_EQ(documentTitleFromPath("/data/港町の朝.xml"), "港町の朝");
  EXPECT_EQ(documentTitleFromPath("book.v2.xml"), "book.v2");
  EXPECT_EQ(documentTitleFromPath("/data/.hidden"), ".hidden");
  EXPECT_EQ(documentTitleFromPath(""), "");
}

TEST(ExportDocument, DispatchesByKind) {
  vt::TempDir dir;
  auto paper = paperOf({{vt::textBlock({vt::hline(0, 0, 10, u"字")})}});
  ExportOptions options;
  auto out = ExportDocument(paper, {dir / "a.txt", KindText, 0, 0}, options);
  EXPECT_TRUE(out.written);
  EXPECT_EQ(out.result, 0);
  // The Office writer library is found beside the test programs, in the build tree.
  out = ExportDocument(paper, {dir / "a.docx", KindDocx, 0, 0}, options);
  EXPECT_TRUE(out.written) << out.error;
  EXPECT_TRUE(std::filesystem::exists(dir / "a.docx"));
  for (int kind : {int{KindXlsx}, int{KindNone}}) {
    out = ExportDocument(paper, {dir / "a.xlsx", kind, 0, 0}, options);
    EXPECT_FALSE(out.written);
    EXPECT_TRUE(out.error.empty());
    EXPECT_EQ(out.result, 0);
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "a.xlsx"));
}

}  // namespace
