// Hostile and broken input: a clear error or a refusal, never a crash, a hang or gigabytes of
// memory. The large inputs are made up while they are read, so nothing large is kept on disk or
// in memory by the tests themselves.
#include <gtest/gtest.h>

#include <cstring>

#include "formats_helpers.h"

namespace vellary::formats {
namespace {

using testing::TempDir;

// A prefix, then `unit` repeated `count` times, then a suffix, produced as it is read; counts the
// bytes handed out.
class MadeUpSource : public ByteSource {
 public:
  MadeUpSource(std::string prefix, std::string unit, uint64_t count, std::string suffix)
      : parts_{std::move(prefix), std::move(unit), std::move(suffix)}, count_(count) {}
  long read(char* buffer, size_t n) override {
    size_t done = 0;
    while (done < n) {
      const std::string* part = stage_ == 0 ? &parts_[0] : stage_ == 1 ? &parts_[1] : &parts_[2];
      if (stage_ == 1 && repeats_ == count_) {
        next();
        continue;
      }
      if (stage_ > 2) break;
      const size_t take = std::min(n - done, part->size() - pos_);
      std::memcpy(buffer + done, part->data() + pos_, take);
      done += take;
      pos_ += take;
      if (pos_ == part->size()) {
        pos_ = 0;
        if (stage_ == 1)
          ++repeats_;
        else
          next();
      }
    }
    handedOut += done;
    return static_cast<long>(done);
  }
  uint64_t handedOut = 0;

 private:
  void next() {
    ++stage_;
    pos_ = 0;
  }
  std::string parts_[3];
  uint64_t count_, repeats_ = 0;
  int stage_ = 0;
  size_t pos_ = 0;
};

ReadOutcome readAs(ByteSource& source, const char* format, const std::string& path = "in.xml") {
  ReadOptions options;
  options.format = format ? formatNamed(format) : nullptr;
  return readDocumentFrom(source, path, options);
}

ReadOutcome readBytesAs(const std::string& bytes, const char* format,
                        const std::string& path = "in.xml") {
  ReadOptions options;
  options.format = format ? formatNamed(format) : nullptr;
  return readDocumentBytes(bytes, path, options);
}

constexpr uint64_t kTwoGigabytes = uint64_t{2} << 30;

TEST(BadInput, AHugeAttributeOrTextIsRefusedAfterAFewMegabytes) {
  const std::pair<const char*, const char*> roots[] = {
      {"alto", "alto"}, {"page", "PcGts"}, {"hocr", "html"}, {"ndl", "OCRDATASET"}};
  for (const auto& [format, root] : roots) {
    SCOPED_TRACE(format);
    const std::string open = std::string("<?xml version=\"1.0\"?>\n<") + root + ">";
    const std::string close = std::string("</") + root + ">";
    MadeUpSource attribute(open + "<x a=\"", "aaaaaaaaaaaaaaaa", kTwoGigabytes / 16,
                           "\"/>" + close);
    ReadOutcome r = readAs(attribute, format);
    EXPECT_FALSE(r.paper);
    EXPECT_EQ(r.error.code, ErrorLimit) << r.error.message;
    EXPECT_LT(attribute.handedOut, uint64_t{64} << 20);

    MadeUpSource text(open + "<x>", "tttttttttttttttt", kTwoGigabytes / 16, "</x>" + close);
    r = readAs(text, format);
    EXPECT_FALSE(r.paper);
    EXPECT_NE(r.error.code, ErrorNone);
    EXPECT_LT(text.handedOut, uint64_t{64} << 20);
  }
  MadeUpSource row("1\t1\t0\t0\t0\t0\t0\t0\t9\t9\t-1\t", "xxxxxxxxxxxxxxxx", kTwoGigabytes / 16,
                   "\n");
  ReadOutcome r = readAs(row, "tsv");
  EXPECT_EQ(r.error.code, ErrorLimit);
  EXPECT_EQ(r.error.message, "行が長すぎます。[1行目]");
  EXPECT_LT(row.handedOut, uint64_t{4} << 20);
}

TEST(BadInput, AMillionEmptyLinesAreRefusedPerPage) {
  struct Case {
    const char* format;
    std::string prefix, unit, suffix;
  };
  const Case cases[] = {
      {"page",
       "<PcGts><Page imageFilename=\"p.png\" imageWidth=\"100\" imageHeight=\"100\"><TextRegion "
       "id=\"r\">",
       "<TextLine id=\"l\"><Coords points=\"0,0 1,1\"/></TextLine>\n",
       "</TextRegion></Page></PcGts>"},
      {"alto",
       "<alto><Layout><Page ID=\"p\" PHYSICAL_IMG_NR=\"1\"><PrintSpace><TextBlock ID=\"b\">",
       "<TextLine/>\n", "</TextBlock></PrintSpace></Page></Layout></alto>"},
      {"hocr", "<html><body><div class='ocr_page' title='bbox 0 0 100 100'><div class='ocr_carea'>",
       "<span class='ocr_line'/>\n", "</div></div></body></html>"},
      {"ndl", "<OCRDATASET><PAGE IMAGENAME=\"p.png\"><TEXTBLOCK>", "<LINE STRING=\"\"/>\n",
       "</TEXTBLOCK></PAGE></OCRDATASET>"},
      {"tsv", "1\t1\t0\t0\t0\t0\t0\t0\t100\t100\t-1\t\n", "4\t1\t1\t1\t1\t0\t0\t0\t1\t1\t-1\t\n",
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    MadeUpSource source(c.prefix, c.unit, 1000000, c.suffix);
    ReadOutcome r = readAs(source, c.format);
    EXPECT_FALSE(r.paper);
    EXPECT_EQ(r.error.code, ErrorLimit);
    EXPECT_NE(r.error.message.find("1ページの行数が多すぎます。["), std::string::npos)
        << r.error.message;
  }
  // A million blank lines of the file itself are only white space.
  MadeUpSource blanks(
      "<OCRDATASET><PAGE IMAGENAME=\"p.png\"><TEXTBLOCK><LINE X=\"0\" Y=\"0\" WIDTH=\"40\" "
      "HEIGHT=\"10\" STRING=\"ab\"/>",
      "\n", 1000000, "</TEXTBLOCK></PAGE></OCRDATASET>");
  ReadOutcome r = readAs(blanks, "ndl");
  ASSERT_TRUE(r.paper) << r.error.message;
  EXPECT_EQ(model::countPaper(*r.paper).chars, 2);
  MadeUpSource emptyRows("", "\n", 1000000, "");
  EXPECT_EQ(readAs(emptyRows, "tsv").error.code, ErrorStructure);
}

TEST(BadInput, EntitiesAreNeitherExpandedWithoutLimitNorFetched) {
  std::string laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE alto [\n<!ENTITY a \"aaaaaaaaaa\">\n";
  for (int i = 1; i < 10; ++i) {
    const std::string prev(1, static_cast<char>('a' + i - 1)), cur(1, static_cast<char>('a' + i));
    laughs += "<!ENTITY " + cur + " \"";
    for (int k = 0; k < 10; ++k) laughs += "&" + prev + ";";
    laughs += "\">\n";
  }
  laughs +=
      "]>\n<alto><Layout><Page ID=\"p\" PHYSICAL_IMG_NR=\"1\" "
      "PAGECLASS=\"&j;\"/></Layout></alto>\n";
  ReadOutcome r = readBytesAs(laughs, "alto");
  EXPECT_FALSE(r.paper);
  EXPECT_NE(r.error.code, ErrorNone);

  TempDir dir;
  dir.write("secret.txt", "SECRET");
  const std::string external =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE alto [<!ENTITY e SYSTEM \"file://" +
      (dir / "secret.txt") +
      "\">]>\n<alto><Description><sourceImageInformation><fileName>&e;"
      "</fileName></sourceImageInformation></Description><Layout><Page "
      "ID=\"p\" PHYSICAL_IMG_NR=\"1\"/></Layout></alto>\n";
  r = readBytesAs(external, "alto");
  if (r.paper) {
    EXPECT_EQ(r.paper->pages.front().file->find(u"SECRET"), std::u16string::npos);
  } else {
    EXPECT_EQ(r.error.message.find("SECRET"), std::string::npos);
  }
}

TEST(BadInput, BrokenFilesSayWhereTheyBreak) {
  // Not XML at all.
  ReadOutcome r = readBytesAs("this is not markup <", "page");
  EXPECT_EQ(r.error.code, ErrorXml);
  EXPECT_EQ(r.error.message.rfind("XMLの書式が間違っています。[1行目]", 0), 0u) << r.error.message;
  // Cut off in the middle of a page.
  r = readBytesAs(
      "<?xml version=\"1.0\"?>\n<alto>\n<Layout>\n<Page ID=\"p\" "
      "PHYSICAL_IMG_NR=\"1\">\n<PrintSpace>",
      "alto");
  EXPECT_EQ(r.error.code, ErrorXml);
  EXPECT_GE(r.error.line, 4);
  // A well-formed file of another kind.
  r = readBytesAs("<?xml version=\"1.0\"?>\n<html><body/></html>\n", "ndl");
  EXPECT_EQ(r.error.code, ErrorTag);
  EXPECT_EQ(r.error.elementPath, "/html");
  // No page at all.
  r = readBytesAs("<?xml version=\"1.0\"?>\n<PcGts><Metadata/></PcGts>\n", nullptr);
  EXPECT_EQ(r.error.code, ErrorTag);
  // A value PAGE's points cannot be: the element is named.
  r = readBytesAs(
      "<PcGts><Page imageFilename=\"p.png\" imageWidth=\"10\" imageHeight=\"10\">\n<TextRegion "
      "id=\"r\">"
      "<Coords points=\"0,0\"/></TextRegion>\n<TextRegion id=\"s\">\n<Coords points=\"1,x 2,2\"/>"
      "</TextRegion></Page></PcGts>",
      "page");
  EXPECT_EQ(r.error.code, ErrorAttribute);
  EXPECT_EQ(r.error.line, 4);
  EXPECT_EQ(r.error.elementPath, "/PcGts/Page/TextRegion[2]/Coords");
  // An empty file of a format named by its extension.
  EXPECT_EQ(readBytesAs("", nullptr, "scan.hocr").error.code, ErrorStructure);
  // A level no row has, far beyond any integer.
  r = readBytesAs("1\t1\t0\t0\t0\t0\t0\t0\t9\t9\t-1\t\n5" + std::string(130, '7') +
                      "\t1\t1\t1\t1\t1\t0\t0\t9\t9\t90\tx\n",
                  "tsv");
  EXPECT_EQ(r.error.code, ErrorElement);
  EXPECT_EQ(r.error.line, 2);
  // A TSV row that is not numbers.
  r = readBytesAs("1\t1\t0\t0\t0\t0\t0\t0\t9\t9\t-1\t\n5\t1\t1\t1\t1\t1\tleft\t0\t9\t9\t90\tx\n",
                  "tsv");
  EXPECT_EQ(r.error.code, ErrorElement);
  EXPECT_EQ(r.error.line, 2);
}

TEST(BadInput, DeepNestingIsRefused) {
  std::string xml = "<alto><Layout><Page ID=\"p\" PHYSICAL_IMG_NR=\"1\"><PrintSpace>";
  for (int i = 0; i < 100000; ++i) xml += "<ComposedBlock ID=\"c\">";
  ReadOutcome r = readBytesAs(xml, "alto");
  EXPECT_FALSE(r.paper);
  EXPECT_NE(r.error.code, ErrorNone);
  // HTML: the parser stops descending; what lies below is not read.
  std::string html = "<html><body><div class=ocr_page title='bbox 0 0 9 9'>";
  for (int i = 0; i < 100000; ++i) html += "<div>";
  html += "<span class=ocr_line title='bbox 0 0 9 9'>x</span></div></body></html>";
  TempDir dir;
  r = readDocument(dir.write("deep.hocr", html));
  if (r.paper) {
    EXPECT_EQ(model::countPaper(*r.paper).lines, 0);
  }
}

TEST(BadInput, AnImagePathThatNamesAFolderGetsTheInputsName) {
  ReadOutcome r =
      readBytesAs("<OCRDATASET><PAGE IMAGENAME=\"scans/\"/></OCRDATASET>", "ndl", "/d/book.xml");
  ASSERT_TRUE(r.paper) << r.error.message;
  EXPECT_EQ(*r.paper->pages.front().file, u"book.png");
  EXPECT_EQ(*r.paper->pages.front().fullpath, u"/d/scans/book.png");
}

TEST(BadInput, BoxesOutsideThePageAreClippedToIt) {
  const std::string alto =
      "<alto><Layout><Page ID=\"p\" PHYSICAL_IMG_NR=\"1\" WIDTH=\"1000\" "
      "HEIGHT=\"800\"><PrintSpace>"
      "<TextBlock ID=\"b\" HPOS=\"-50\" VPOS=\"100\" WIDTH=\"5000\" HEIGHT=\"1e12\"><TextLine "
      "HPOS=\"900\" "
      "VPOS=\"700\" WIDTH=\"400\" HEIGHT=\"300\"><String CONTENT=\"ab\" HPOS=\"1e300\" "
      "VPOS=\"-1e300\" "
      "WIDTH=\"nan\" HEIGHT=\"50\"/></TextLine></TextBlock></PrintSpace></Page></Layout></alto>";
  ReadOutcome r = readBytesAs(alto, "alto");
  ASSERT_TRUE(r.paper) << r.error.message;
  const model::PageData& page = r.paper->pages.front();
  EXPECT_EQ(page.width, 1000);
  auto inside = [&](int32_t x, int32_t y, int32_t w, int32_t h) {
    EXPECT_GE(x, 0);
    EXPECT_GE(y, 0);
    EXPECT_GE(w, 0);
    EXPECT_GE(h, 0);
    EXPECT_LE(int64_t{x} + w, 1000);
    EXPECT_LE(int64_t{y} + h, 800);
  };
  const model::BlockData& block = page.blocks.front();
  inside(block.x, block.y, block.width, block.height);
  const model::LineData& line = block.lines.front();
  inside(line.x, line.y, line.width, line.height);
  EXPECT_EQ(line.chars.size(), 2u);  // nothing of the text is lost
  for (const model::CharData& c : line.chars) inside(c.x, c.y, c.width, c.height);
}

TEST(BadInput, CandidatesAreCappedAndHtmlThatIsNotXmlStillReads) {
  std::string page =
      "<PcGts><Page imageFilename=\"p.png\" imageWidth=\"100\" imageHeight=\"100\"><TextRegion "
      "id=\"r\">"
      "<TextLine id=\"l\"><Coords points=\"0,0 9,9\"/><Word id=\"w\"><Coords points=\"0,0 9,9\"/>"
      "<Glyph id=\"g\"><Coords points=\"0,0 9,9\"/>";
  for (int i = 0; i < 5000; ++i)
    page += "<TextEquiv index=\"" + std::to_string(i) + "\"><Unicode>" +
            std::string(1, static_cast<char>('A' + i % 26)) + "</Unicode></TextEquiv>";
  page += "</Glyph></Word></TextLine></TextRegion></Page></PcGts>";
  ReadOutcome r = readBytesAs(page, "page");
  ASSERT_TRUE(r.paper) << r.error.message;
  const model::CharData& c = r.paper->pages.front().blocks.front().lines.front().chars.front();
  EXPECT_EQ(c.text[0], u'A');
  EXPECT_EQ(c.numCand(), 16);

  // HTML as browsers take it: unclosed elements and HTML's own entities.
  const std::string html =
      "<html><head><meta name=ocr-system content='hand made'><title>x</title></head><body>\n"
      "<div class=ocr_page title='bbox 0 0 500 100'><p class=ocr_par>\n"
      "<span class=ocr_line title='bbox 10 10 300 40'><span class=ocrx_word title='bbox 10 10 90 "
      "40'>caf&eacute;</span>&nbsp;"
      "<span class=ocrx_word title='bbox 100 10 190 "
      "40'>au<br>lait</span></span>\n</p></div></body></html>";
  TempDir dir;
  r = readDocument(dir.write("page.hocr", html));
  ASSERT_TRUE(r.paper) << r.error.message;
  const model::LineData& line = r.paper->pages.front().blocks.front().lines.front();
  std::u16string text;
  for (const model::CharData& ch : line.chars) text += ch.text[0];
  EXPECT_EQ(text, u"café aulait");
}

}  // namespace
}  // namespace vellary::formats
