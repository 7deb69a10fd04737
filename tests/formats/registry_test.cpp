// The registry: telling a file's format, the open dialog's file types, and the native format
// reading exactly as its own reader does.
#include <gtest/gtest.h>

#include <vector>

#include "formats_helpers.h"
#include "rovorirud/codec.h"

namespace vellary::formats {
namespace {

using testing::TempDir;

std::string nameOf(const Format* f) { return f ? std::string(f->name) : "none"; }

TEST(FormatRegistry, TellsEachFormatFromItsFirstBytes) {
  struct Case {
    std::string head, path, expected;
  };
  const std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  const std::vector<Case> cases = {
      {"<?xml version=\"1.0\" encoding=\"Shift_JIS\" ?>\r\n<paper xmlns=\"x\">", "a.xml",
       "rovorirud"},
      {xml + "<!-- made by hand -->\n<pc:PcGts xmlns:pc=\"p\">", "a.xml", "page"},
      {xml + "<alto xmlns=\"http://www.loc.gov/standards/alto/ns-v3#\">", "a.xml", "alto"},
      {xml + "<OCRDATASET>\n<PAGE IMAGENAME=\"a.png\">", "a.xml", "ndl"},
      {xml + "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\"\n \"x.dtd\">\n"
             "<html><head><meta name='ocr-system' content='tesseract 5.3.0' />",
       "a.xml", "hocr"},
      // HTML without hOCR's markers in its head: the extension decides.
      {"<!DOCTYPE html>\n<HTML><head><title>x</title>", "scan.html", "hocr"},
      {"<!DOCTYPE html>\n<html><head><title>x</title>", "scan.xml", "rovorirud"},
      {"level\tpage_num\tblock_num\tpar_num\tline_num\tword_"
       "num\tleft\ttop\twidth\theight\tconf\ttext\n",
       "a.txt", "tsv"},
      {"1\t1\t0\t0\t0\t0\t0\t0\t100\t100\t-1\t\n", "a.tsv", "tsv"},
      // UTF-16 with a byte order mark.
      {std::string("\xFF\xFE<\0a\0l\0t\0o\0 \0", 12), "a.xml", "alto"},
      // Content nobody recognises: the extension's reader says what is wrong with it.
      {"", "empty.xml", "rovorirud"},
      {"just words", "a.hocr", "hocr"},
      {"%PDF-1.4", "a.pdf", "none"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(nameOf(formatOfBytes(c.head, c.path)), c.expected) << c.path << ": " << c.head;
}

TEST(FormatRegistry, OpenDialogListsEveryReadableFormat) {
  const std::vector<FileType> types = openFileTypes();
  ASSERT_EQ(types.size(), 7u);
  EXPECT_EQ(types[0].label, "対応するすべての形式 (*.xml *.hocr *.html *.htm *.tsv)");
  EXPECT_EQ(types[1].label, "RovOrirUD (*.xml)");
  EXPECT_EQ(types[2].label, "hOCR (*.hocr *.html *.htm)");
  EXPECT_EQ(types[2].patterns, "*.hocr *.html *.htm");
  EXPECT_EQ(types[6].label, "Tesseract TSV (*.tsv)");
  EXPECT_EQ(openDialogFilter().substr(0, types[0].label.size() + 2), types[0].label + ";;");
  EXPECT_TRUE(hasReadableExtension("/scans/A.HOCR"));
  EXPECT_TRUE(hasReadableExtension("book.xml"));
  EXPECT_FALSE(hasReadableExtension("book.pdf"));
  EXPECT_FALSE(hasReadableExtension("xml"));
  EXPECT_TRUE(nativeFormat().native);
  EXPECT_TRUE(nativeFormat().writable());
  EXPECT_FALSE(formatNamed("ndl")->writable());
  EXPECT_TRUE(formatNamed("page")->writable());
  EXPECT_EQ(formatNamed("pdf"), nullptr);
}

TEST(FormatRegistry, TheNativeFormatKeepsItsReadersCodesAndMessages) {
  TempDir dir;
  std::string bad;
  ASSERT_TRUE(
      rovorirud::Codec::cp932().encode(u"<?xml version=\"1.0\" encoding=\"Shift_JIS\" "
                                       u"?>\n<paper>\n<page number=\"1\">\n</page>\n</paper>\n",
                                       bad));
  ReadOutcome r = readDocument(dir.write("bad.xml", bad));
  EXPECT_FALSE(r.paper);
  EXPECT_EQ(r.format, &nativeFormat());
  EXPECT_EQ(r.error.code, ErrorAttribute);
  EXPECT_EQ(r.error.line, 3);
  EXPECT_EQ(r.error.message, "属性が間違っています。[3行目]");
  EXPECT_EQ(r.error.elementPath, "");

  r = readDocument(
      dir.write("enc.xml", "<?xml version=\"1.0\" encoding=\"shift_jis\" ?>\n<paper>\n</paper>\n"));
  EXPECT_EQ(r.error.code, ErrorEncoding);
  EXPECT_EQ(r.error.message, "未対応のエンコードタイプです。");
  EXPECT_EQ(readDocument(dir.write("empty.xml", "")).error.code, ErrorStructure);

  // A good file reads into the same records as through the reader itself.
  ReadOutcome good = readDocument(testing::kSampleDocument);
  ASSERT_TRUE(good.paper);
  EXPECT_EQ(good.format, &nativeFormat());
  rovorirud::ReadResult direct = rovorirud::readDocumentFile(testing::kSampleDocument);
  ASSERT_TRUE(direct.paper);
  EXPECT_EQ(model::dumpJson(*good.paper), model::dumpJson(*direct.paper));
}

TEST(FormatRegistry, FailuresBeforeAnyReaderHaveTheirOwnCodes) {
  TempDir dir;
  ReadOutcome missing = readDocument(dir / "none.hocr");
  EXPECT_EQ(missing.error.code, ErrorOpen);
  EXPECT_EQ(missing.error.message, "ファイルを開けません。");
  EXPECT_EQ(missing.format, nullptr);

  ReadOutcome unknown = readDocument(dir.write("a.bin", "GIF89a"));
  EXPECT_EQ(unknown.error.code, ErrorUnknownFormat);
  EXPECT_EQ(unknown.error.message, "対応していない形式のファイルです。");
  EXPECT_EQ(formatOfFile(dir / "a.bin"), nullptr);
  EXPECT_EQ(formatOfFile(testing::kFormatData + "/ndlocr.xml"), formatNamed("ndl"));
}

TEST(FormatRegistry, AFormatNamedByTheCallerIsCheckedAgainstTheFile) {
  TempDir dir;
  const std::string alto =
      dir.write("a.xml",
                "<?xml version=\"1.0\"?>\n<alto "
                "xmlns=\"http://www.loc.gov/standards/alto/ns-v4#\">\n</alto>\n");
  ReadOptions options;
  options.format = formatNamed("page");
  ReadOutcome r = readDocument(alto, options);
  EXPECT_FALSE(r.paper);
  EXPECT_EQ(r.format, formatNamed("page"));
  EXPECT_EQ(r.error.code, ErrorTag);
  EXPECT_EQ(r.error.line, 2);
  EXPECT_EQ(r.error.elementPath, "/alto");
  EXPECT_EQ(r.error.message, "PAGE XMLの文書ではありません。[2行目]");
}

class CountingProgress : public model::Progress {
 public:
  void setCaption(std::string_view caption) override { captions.emplace_back(caption); }
  void show() override { ++shown; }
  void hide() override { ++hidden; }
  void pump() override { ++pumped; }
  std::vector<std::string> captions;
  int shown = 0, hidden = 0, pumped = 0;
};

TEST(FormatRegistry, ReadingShowsTheReadersProgressTexts) {
  CountingProgress progress;
  ReadOptions options;
  options.progress = &progress;
  ReadOutcome r = readDocument(testing::kFormatData + "/tesseract/vertical.hocr", options);
  ASSERT_TRUE(r.paper);
  ASSERT_EQ(progress.captions.size(), 2u);
  EXPECT_EQ(progress.captions[0], "Xmlファイル読み込み中...");
  EXPECT_EQ(progress.captions[1], "ファイル読み込み中　1");
  EXPECT_EQ(progress.pumped, 1);
  EXPECT_EQ(progress.shown, 1);
  EXPECT_EQ(progress.hidden, 0);  // the caller hides it after its own work on the document
}

}  // namespace
}  // namespace vellary::formats
