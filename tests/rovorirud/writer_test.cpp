// The writer's bytes: the line layout, page ranges, estimated boxes, character contents in both
// encodings, image path repair and the report of a failed write.
#include "rovorirud/writer.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <list>
#include <optional>
#include <string>
#include <vector>

#include "model/paper.h"
#include "rovorirud/reader.h"

namespace vellary::rovorirud {
namespace {

using model::BlockData;
using model::CharData;
using model::CharText;
using model::LineData;
using model::PageData;
using model::PaperData;

CharData character(CharText text, std::initializer_list<CharText> cands = {}) {
  CharData c;
  c.x = 10, c.y = 20, c.width = 30, c.height = 40;
  c.text = text;
  c.resetCandidates(static_cast<int16_t>(cands.size()));
  int i = 0;
  for (const CharText& t : cands) {
    c.candText(i) = t;
    c.candCC(i++) = 5;
  }
  return c;
}
CharData character(char16_t u, std::initializer_list<CharText> cands = {}) {
  return character(model::makeCharText(u), cands);
}
CharText t(char16_t u1, char16_t u2 = 0) { return model::makeCharText(u1, u2); }

LineData& addLine(std::list<LineData>& lines, std::initializer_list<CharData> chars,
                  int32_t x = 100, int32_t y = 200, int32_t w = 100, int32_t h = 30) {
  LineData& l = lines.emplace_back();
  l.x = x, l.y = y, l.width = l.widthOrg = w, l.height = l.heightOrg = h;
  for (const CharData& c : chars) {
    l.chars.push_back(c);
    l.charCount += model::charTextLength(c.text);
  }
  return l;
}

// A document of one page holding one empty text block; tests fill the block.
struct Doc {
  PaperData paper;
  PageData& page;
  BlockData& block;
  Doc() : page(paper.pages.emplace_back()), block(page.blocks.emplace_back()) {
    paper.encoding = 1;
    page.number = 1, page.file = u"p1.tif", page.width = 2000, page.height = 3000, page.dpi = 400;
    block.langId = model::kLangJapanese, block.bid = -1;
    block.x = 1, block.y = 2, block.width = 3, block.height = 4;
  }
  std::string write(uint32_t encoding = 0) {
    WriteOptions o;
    o.encoding = encoding;
    return writeDocumentToString(paper, o);
  }
};

// The output's lines; fails the test on a line feed without a carriage return before it.
std::vector<std::string> linesOf(const std::string& out) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t lf = out.find('\n'); lf != std::string::npos; lf = out.find('\n', start)) {
    EXPECT_TRUE(lf > 0 && out[lf - 1] == '\r') << "bare LF at byte " << lf;
    lines.push_back(out.substr(start, lf - 1 - start));
    start = lf + 1;
  }
  EXPECT_EQ(start, out.size()) << "output does not end with CR LF";
  return lines;
}

// The first line holding `needle`, without indentation.
std::string lineWith(const std::string& out, const std::string& needle) {
  for (const std::string& l : linesOf(out))
    if (l.find(needle) != std::string::npos) return l.substr(l.find_first_not_of(' '));
  return "<none>";
}
std::vector<std::string> linesWith(const std::string& out, const std::string& needle) {
  std::vector<std::string> found;
  for (const std::string& l : linesOf(out))
    if (l.find(needle) != std::string::npos) found.push_back(l.substr(l.find_first_not_of(' ')));
  return found;
}

TEST(WriterLayout, WritesEveryLineInItsFixedForm) {
  Doc d;
  d.page.fullpath = u"C:\\scan\\p1.tif";
  d.block.sec = model::SecTitle, d.block.bid = 7;
  CharData c = character(u'A', {t(u'B'), t(u'8')});
  c.cc = 90, c.modRubyEmp = 3, c.modRotTcy = 20095, c.changed = 1;
  addLine(d.block.lines, {c}, 100, -200, 300, 40).widthOrg = 310;
  const std::vector<std::string> expected = {
      R"(<?xml version="1.0" encoding="Shift_JIS" ?>)",
      R"(<paper xmlns="http://schema.vellary.example/2005/RovOrirUD">)",
      R"(  <page number="1" dpi="400" height="3000" width="2000" file="p1.tif" fullpath="C:\scan\p1.tif">)",
      R"(    <block type="text" direction="horizontal" x="1" y="2" width="3" height="4" sec="title" langId="128" BID="7">)",
      R"(      <line x="100" y="-200" width="300" height="40" widthOrg="310" heightOrg="40" attr="">)",
      R"(        <char x="10" y="20" width="30" height="40" num_cand="2" modRubyEmp="3" modRotTcy="20095" changed="1">)",
      R"(          <result CC="90">A</result>)",
      R"(          <cand CC="5">B</cand>)",
      R"(          <cand CC="5">8</cand>)",
      R"(        </char>)",
      R"(      </line>)",
      R"(    </block>)",
      R"(  </page>)",
      R"(</paper>)",
  };
  EXPECT_EQ(linesOf(d.write()), expected);
  EXPECT_EQ(lineWith(d.write(2), "<?xml"), R"(<?xml version="1.0" encoding="EUC-JP" ?>)");
}

TEST(WriterLayout, BlockKindsDecideTheirAttributes) {
  Doc d;
  d.block.type = model::BlockImage;
  BlockData& table = d.page.blocks.emplace_back();
  table.type = model::BlockTable, table.direction = model::Vertical, table.bid = -1;
  BlockData& lineBlock = d.page.blocks.emplace_back();
  lineBlock.type = model::BlockLine, lineBlock.direction = model::Vertical;
  BlockData& odd = d.page.blocks.emplace_back();
  odd.type = 9, odd.sec = 1000, odd.langId = 0;
  d.paper.userSections = {u"caption", u"extra"};
  d.page.blocks.emplace_back().type = model::BlockImage;  // the last element before </page>

  const std::vector<std::string> lines = linesOf(d.write());
  // The image block ends without a line end, so the next start tag shares its line.
  EXPECT_EQ(
      lines[3],
      R"(    <block type="image" x="1" y="2" width="3" height="4"/>)"
      R"(    <block type="table" direction="vertical" x="0" y="0" width="0" height="0" sec="text" langId="0" BID="-1">)");
  EXPECT_EQ(
      lines[5],
      R"(    <block type="line" x="0" y="0" width="0" height="0" sec="text" langId="0" BID="0">)");
  EXPECT_EQ(
      lines[7],
      R"(    <block type="text" direction="horizontal" x="0" y="0" width="0" height="0" sec="caption" langId="0" BID="0">)");
  EXPECT_EQ(lines[9], R"(    <block type="image" x="0" y="0" width="0" height="0"/>  </page>)");
  EXPECT_EQ(odd.type, model::BlockText) << "an unknown type is written and kept as text";
}

TEST(WriterLayout, TableCellsCarryTheirBordersAndKeepStoredBoxes) {
  Doc d;
  d.block.type = model::BlockTable;
  model::CellData& cell = d.block.cells.emplace_back();
  cell.x = 5, cell.y = 6, cell.width = 7, cell.height = 8, cell.row = 1, cell.col = 2;
  cell.align = 3, cell.valign = -1, cell.connectGroup = 4;
  cell.border = {model::BorderSolid, model::BorderNone, model::BorderDouble, model::BorderDotted};
  CharData typed = character(u'A');
  typed.x = typed.y = -1;
  addLine(cell.lines, {typed});

  const std::vector<std::string> lines = linesOf(d.write());
  const std::vector<std::string> cellLines(lines.begin() + 4, lines.begin() + 11);
  const std::vector<std::string> expected = {
      R"(      <CellData x="5" y="6" width="7" height="8" row="1" col="2" align="3" valign="-1" connectGroup="4">)",
      R"(        <BorderData>)",
      R"(          <Left style="solid"/>)",
      R"(          <Top style="none"/>)",
      R"(          <Right style="double"/>)",
      R"(          <Bottom style="dotted"/>)",
      R"(        </BorderData>)",
  };
  EXPECT_EQ(cellLines, expected);
  EXPECT_EQ(lines[11].substr(0, 14), "        <line ");
  EXPECT_EQ(lines[12].find(R"(          <char x="-1" y="-1" width="30" height="40" )"), 0u)
      << "a typed character in a cell keeps its stored box";
  EXPECT_EQ(lines[16], "      </CellData>");
}

TEST(WriterLayout, SideLinesAreNumberedPerGroup) {
  Doc d;
  addLine(d.block.lines, {character(u'A')});
  LineData& base = addLine(d.block.lines, {character(u'B'), character(u'C')});
  LineData& ruby = addLine(d.block.lines, {character(u'b')});
  ruby.attr = model::AttrRuby, ruby.baseLine = &base, ruby.rcs = 1, ruby.rce = 2;
  LineData& orphan = addLine(d.block.lines, {character(u'x')});
  orphan.attr = model::AttrEmph;
  orphan.rlid = 9;  // left over from editing: must not reach the file

  BlockData& plain = d.page.blocks.emplace_back();
  plain.langId = model::kLangJapanese;
  addLine(plain.lines, {character(u'D')}).lid = 5;

  const std::vector<std::string> lines = linesWith(d.write(), "<line ");
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_NE(lines[0].find(R"( attr="" LID="1">)"), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find(R"( attr="" LID="2">)"), std::string::npos) << lines[1];
  EXPECT_NE(lines[2].find(R"( attr="ruby" LID="3" RLID="2" RCS="1" RCE="2">)"), std::string::npos)
      << lines[2];
  EXPECT_NE(lines[3].find(R"( attr="emph" LID="4">)"), std::string::npos) << lines[3];
  EXPECT_NE(lines[4].find(R"( attr="">)"), std::string::npos) << "no LID without side lines";
}

// --- Page ranges ---

TEST(WriterPages, RangesAreRenumberedFromOne) {
  PaperData paper;
  for (int i = 0; i < 10; ++i) {
    PageData& p = paper.pages.emplace_back();
    p.number = i + 1;
    p.file = u"p" + std::u16string(1, static_cast<char16_t>(u'0' + i)) + u".tif";
  }
  auto pagesWritten = [&paper](int first, int last) {
    WriteOptions o;
    o.firstPage = first, o.lastPage = last;
    std::string summary;
    for (const std::string& l : linesWith(writeDocumentToString(paper, o), "<page "))
      summary += l.substr(l.find("number"), 10) + l.substr(l.find("file"), 13) + ";";
    return summary;
  };
  EXPECT_EQ(pagesWritten(2, 4),
            R"(number="1"file="p2.tif";number="2"file="p3.tif";number="3"file="p4.tif";)");
  EXPECT_EQ(linesWith(writeDocumentToString(paper), "<page ").size(), 10u);
  EXPECT_EQ(pagesWritten(8, -1), R"(number="1"file="p8.tif";number="2"file="p9.tif";)");
  EXPECT_EQ(pagesWritten(-1, 0), R"(number="1"file="p0.tif";)");
  EXPECT_EQ(pagesWritten(5, 4), "");
  EXPECT_EQ(paper.pages.back().number, 10) << "the model keeps its numbers";
}

TEST(WriterPages, StringValuesAlwaysReadBack) {
  Doc d;
  d.page.file.reset();  // the reader requires file
  d.page.dpi = -1;
  EXPECT_EQ(lineWith(d.write(), "<page "),
            R"(<page number="1" dpi="-1" height="3000" width="2000" file="">)");
  // A value cannot hold a quote or a line end, nor what the encoding lacks.
  d.page.fullpath = u"a\"b\nc\u00E9\u5B57.tif";
  const std::string page = lineWith(d.write(), "<page ");
  EXPECT_EQ(page.substr(page.find("fullpath")), "fullpath=\"a?b?c?\x8E\x9A.tif\">");
}

// Every image path and section word the writer accepts reads back: a page or block line that
// would pass the reader's 1023-unit piece breaks between its attributes, and a value that no
// line can hold refuses the save with a message naming the page. Lengths up to the system's path
// limit, of Japanese and Latin text alike.
TEST(WriterPages, LongValuesOfEveryLengthReadBackOrAreRefused) {
  struct Case {
    const char* name;
    size_t limit;  // the longest value a line of its own holds: 1023 less ' name=""'
  };
  for (const Case& c : {Case{"file", 1015}, Case{"fullpath", 1011}, Case{"sec", 1016}}) {
    const std::string name = c.name;
    for (size_t length = 0; length <= PATH_MAX; ++length) {
      std::u16string value;
      for (size_t i = 0; i < length; ++i)
        value += i % 3 == 2 ? u'字' : static_cast<char16_t>(u'a' + i % 26);
      Doc d;
      d.page.dpi = d.page.width = d.page.height = -1;  // the shortest page line
      if (name == "file") d.page.file = value;
      if (name == "fullpath") d.page.fullpath = value;
      if (name == "sec") d.block.sec = model::sectionCode(d.paper, value.empty() ? u"x" : value);
      std::string refusal;
      const std::string out = writeDocumentToString(d.paper, {}, &refusal);
      if (length > c.limit) {
        ASSERT_FALSE(refusal.empty()) << name << " " << length;
        EXPECT_TRUE(out.empty());
        EXPECT_NE(refusal.find("1 ページ目"), std::string::npos) << refusal;
        continue;
      }
      ASSERT_TRUE(refusal.empty()) << name << " " << length << ": " << refusal;
      ReadResult back = readDocument(out);
      ASSERT_EQ(back.code, ReadOk) << name << " " << length << " at line " << back.line;
      const PageData& page = back.paper->pages.front();
      std::u16string_view readBack = name == "file"     ? *page.file
                                     : name == "fullpath" ? *page.fullpath
                                                          : model::sectionWord(
                                                                *back.paper, page.blocks.front().sec);
      ASSERT_EQ(readBack, name == "sec" && value.empty() ? u"x" : value) << name << " " << length;
    }
  }
}

TEST(WriterPages, ARefusedSaveLeavesThePreviousFile) {
  Doc d;
  d.page.fullpath = std::u16string(3000, u'p');
  const std::string path = ::testing::TempDir() + "vellary-writer-refused.xml";
  { std::ofstream(path) << "the previous file"; }
  std::string error;
  EXPECT_EQ(writeDocumentFile(d.paper, path, {}, &error), WriteRefused);
  EXPECT_NE(error.find("画像パス（fullpath）"), std::string::npos) << error;
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "the previous file");
  std::remove(path.c_str());
}

// --- Estimated boxes of typed characters ---

std::string boxOf(const std::string& charLine) {
  return charLine.substr(5, charLine.find(" num_cand") - 5);
}

TEST(WriterBoxes, TypedCharactersAreSpreadAlongTheirLine) {
  Doc d;
  CharData typed = character(u'C');
  typed.x = -1, typed.y = -1;
  CharData typedY = character(u'D');
  typedY.y = -1;
  addLine(d.block.lines, {character(u'A'), character(u'B'), typed, typedY}, 100, 200, 100, 30);
  std::vector<std::string> chars = linesWith(d.write(), "<char ");
  EXPECT_EQ(boxOf(chars[0]), R"( x="10" y="20" width="30" height="40")") << "stored box";
  EXPECT_EQ(boxOf(chars[2]), R"( x="150" y="203" width="20" height="24")");
  EXPECT_EQ(boxOf(chars[3]), R"( x="175" y="203" width="20" height="24")");
  EXPECT_EQ(d.block.lines.front().chars.back().y, -1) << "the stored box stays";

  d.block.direction = model::Vertical;
  chars = linesWith(d.write(), "<char ");
  EXPECT_EQ(boxOf(chars[2]), R"( x="110" y="214" width="80" height="5")");

  // Negative boxes truncate toward zero, like the products of the estimate.
  d.block.direction = model::Horizontal;
  LineData& l = d.block.lines.front();
  l.x = -7, l.width = -25, l.height = -25;
  EXPECT_EQ(boxOf(linesWith(d.write(), "<char ")[2]),
            R"( x="-19" y="198" width="-4" height="-20")");
}

TEST(WriterBoxes, DegenerateLinesNeitherDivideByZeroNorOverflow) {
  Doc d;
  CharData typed = character(u'A');
  typed.x = -1;
  LineData& l = addLine(d.block.lines, {character(u'B'), typed}, 0, 0, 100, 10);
  l.charCount = 0;  // stale after editing: the characters in the line count instead
  EXPECT_EQ(boxOf(linesWith(d.write(), "<char ")[1]), R"( x="50" y="1" width="40" height="8")");

  l.x = l.y = l.width = l.height = INT32_MAX;
  l.charCount = 1;
  EXPECT_EQ(boxOf(linesWith(d.write(), "<char ")[1]),
            R"( x="2147483647" y="2147483647" width="1717986917" height="1717986917")");
  l.x = l.y = INT32_MIN, l.width = l.height = INT32_MIN;
  EXPECT_EQ(boxOf(linesWith(d.write(), "<char ")[1]),
            R"( x="-2147483648" y="-2147483648" width="-1717986918" height="-1717986918")");
}

// --- Character contents and Unicode marks ---

// The result and candidate lines of the only character, as "mark|result|cand|cand…".
std::string contentOf(Doc& d, uint32_t encoding = 0) {
  const std::string out = d.write(encoding);
  const std::string charLine = lineWith(out, "<char ");
  const size_t mark = charLine.find("  Unicode=\"");
  std::string s = mark == std::string::npos ? "-" : charLine.substr(mark + 11, 1);
  for (const std::string& l : linesOf(out))
    if (l.find("<result") != std::string::npos || l.find("<cand") != std::string::npos) {
      const size_t open = l.find('>') + 1;
      s += "|" + l.substr(open, l.rfind('<') - open);
    }
  return s;
}

Doc& withChar(Doc& d, CharData c, int32_t langId = model::kLangJapanese) {
  d.block.langId = langId;
  addLine(d.block.lines, {std::move(c)});
  return d;
}

TEST(WriterContent, CharactersAreEncodedInTheOutputEncoding) {
  Doc d;
  withChar(d, character(u'字', {t(u'ｱ')}));
  EXPECT_EQ(contentOf(d, 1), "-|\x8E\x9A|\xB1");
  EXPECT_EQ(contentOf(d, 2), "-|\xBB\xFA|\x8E\xB1");
  d.paper.encoding = 2;
  EXPECT_EQ(contentOf(d, 0), "-|\xBB\xFA|\x8E\xB1") << "0 writes in the encoding read";
}

TEST(WriterContent, ReferencesStandForSpecialCharactersInBothEncodings) {
  for (uint32_t encoding : {1u, 2u}) {
    Doc d;
    withChar(d, character(u'&', {t(u'\r'), t(u'<'), t(0xFF5E), t(0x2460), t(u'"')}));
    EXPECT_EQ(contentOf(d, encoding), "-|&amp;|&#13;|&lt;|&#65374;|&#9312;|&quot;")
        << "encoding " << encoding;
  }
}

TEST(WriterContent, UnicodeMarksFollowTheResult) {
  Doc latin;
  withChar(latin, character(0x00E9, {t(u'e')}));
  EXPECT_EQ(contentOf(latin), "1|00e9|e") << "candidates stay in character form";
  Doc times;
  withChar(times, character(0x00D7));  // cp932 has it, but the range is always marked
  EXPECT_EQ(contentOf(times), "1|00d7");
  Doc pair;
  withChar(pair, character(t(0xD840, 0xDC0B), {t(u'A')}));
  EXPECT_EQ(contentOf(pair), "2|d840dc0b|A");
}

TEST(WriterContent, OtherLanguagesWriteEveryCandidateInHex) {
  Doc d;
  withChar(d, character(u'A', {t(u'B'), t(0xD840, 0xDC0B), t(0)}), 0);
  // A pair keeps both halves and an empty candidate is the unit 0, never an empty content.
  EXPECT_EQ(contentOf(d), "1|0041|0042|d840dc0b|0000");
}

TEST(WriterContent, EmptyTextsAreLeftOutOrWrittenAsUnitZero) {
  // A read leaves a character without result empty with confidence 10, and candidates without
  // cand element empty with confidence 0: such texts are left out again.
  Doc omitted;
  CharData c = character(t(0), {t(u'A'), t(0), t(0)});
  c.candCC(1) = c.candCC(2) = 0;
  withChar(omitted, c);
  EXPECT_EQ(contentOf(omitted), "-|A");
  EXPECT_EQ(linesWith(omitted.write(), "<result").size(), 0u);
  EXPECT_NE(lineWith(omitted.write(), "<char ").find(R"( num_cand="3" )"), std::string::npos);

  // Any other empty text would be an empty content, which the reader refuses.
  Doc kept;
  CharData k = character(t(0), {t(0), t(u'A')});
  k.cc = 7;
  withChar(kept, k);
  EXPECT_EQ(contentOf(kept), "1|0000|0000|0041");
}

TEST(WriterContent, CandidatesTheEncodingLacksGoInHex) {
  Doc foreignCand;
  withChar(foreignCand, character(u'字', {t(u'&'), t(0x00E9), t(0xD840, 0xDC0B)}));
  EXPECT_EQ(contentOf(foreignCand), "1|5b57|0026|00e9|d840dc0b");
  EXPECT_EQ(contentOf(foreignCand, 2), "1|5b57|0026|00e9|d840dc0b")
      << "a pair is never a character form";

  // 髙 is in code page 932 but not in EUC-JP: only the EUC-JP file marks it.
  Doc taka;
  withChar(taka, character(0x9AD9, {t(0x7E8A)}));
  EXPECT_EQ(contentOf(taka, 1), "-|\xFB\xFC|\xFA\x5C");
  EXPECT_EQ(contentOf(taka, 2), "1|9ad9|7e8a");
}

// Each character's text, confidence and candidates, as one string per character.
std::vector<std::u16string> charactersOf(const PaperData& paper) {
  std::vector<std::u16string> all;
  auto add = [&all](const CharText& text, uint16_t cc, std::u16string& to) {
    to.append(text.data(), static_cast<size_t>(model::charTextLength(text)));
    to += u'/';
    to += static_cast<char16_t>(cc);
    to += u'|';
  };
  for (const PageData& p : paper.pages)
    for (const BlockData& b : p.blocks)
      for (const LineData& l : b.lines)
        for (const CharData& c : l.chars) {
          std::u16string& s = all.emplace_back();
          add(c.text, c.cc, s);
          for (int i = 0; i < c.numCand(); ++i) add(c.candText(i), c.candCC(i), s);
        }
  return all;
}

TEST(WriterReadBack, AwkwardCharactersReadBackWhole) {
  for (uint32_t encoding : {1u, 2u}) {
    Doc d;
    CharData noResult = character(t(0), {t(u'A'), t(0)});
    noResult.candCC(1) = 0;
    CharData typed = character(u'字');
    typed.x = -1;
    addLine(d.block.lines, {character(u'字', {t(0x9AD9), t(0xFA11), t(0x7E8A), t(0x2460)}),
                            character(0x00E9, {t(0xD840, 0xDC0B)}), character(u'&', {t(u'\r')}),
                            character(t(0xD840, 0xDC0B), {t(0xFF5E)}), noResult, typed,
                            character(u'ｱ', {t(u'"'), t(u' ')})});
    BlockData& latin = d.page.blocks.emplace_back();
    latin.langId = 0;
    addLine(latin.lines, {character(u'A', {t(0xD840, 0xDC0B), t(0x00E9)})});

    const ReadResult back = readDocument(d.write(encoding));
    ASSERT_EQ(back.code, ReadOk) << "line " << back.line << ", encoding " << encoding;
    EXPECT_EQ(charactersOf(*back.paper), charactersOf(d.paper)) << "encoding " << encoding;
  }
}

// --- Image path repair ---

class WriterImagePath : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vellary-writer-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    std::filesystem::create_directory(dir_ / "book");
    std::ofstream(dir_ / "book" / "p001.tif") << "image";
    std::ofstream(dir_ / "here.tif") << "image";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::u16string writeWith(std::u16string fullpath, std::optional<std::string> docPath) {
    Doc d;
    d.page.fullpath = std::move(fullpath);
    WriteOptions o;
    o.documentPath = std::move(docPath);
    const std::string line = lineWith(writeDocumentToString(d.paper, o), "<page ");
    const std::u16string inModel = *d.page.fullpath;
    EXPECT_EQ(line.substr(line.find("fullpath=\"") + 10),
              std::string(inModel.begin(), inModel.end()) + "\">")
        << "the file and the model agree";
    return inModel;
  }
  std::u16string path(const std::string& s) { return std::u16string(s.begin(), s.end()); }

  std::filesystem::path dir_;
};

TEST_F(WriterImagePath, MissingImageIsFoundInTheDocumentsFolder) {
  const std::string doc = (dir_ / "book.xml").string();
  const std::u16string found = path((dir_ / "book" / "p001.tif").string());
  EXPECT_EQ(writeWith(u"D:\\scan\\p001.tif", doc), found);
  EXPECT_EQ(writeWith(u"/elsewhere/scan/p001.tif", doc), found);
  EXPECT_EQ(writeWith(u"p001.tif", doc), found);
}

TEST_F(WriterImagePath, PathIsKeptWhenNothingBetterExists) {
  const std::string doc = (dir_ / "book.xml").string();
  const std::u16string here = path((dir_ / "here.tif").string());
  EXPECT_EQ(writeWith(here, doc), here) << "the image exists where the page says";
  EXPECT_EQ(writeWith(u"D:\\scan\\p002.tif", doc), u"D:\\scan\\p002.tif");
  EXPECT_EQ(writeWith(u"D:\\scan\\", doc), u"D:\\scan\\") << "no file name: not the folder";
  EXPECT_EQ(writeWith(u"D:\\scan\\p001.tif", std::nullopt), u"D:\\scan\\p001.tif");
}

// --- Failed writes ---

TEST(WriterFailure, FailedWritesAreReported) {
  Doc d;
  for (int i = 0; i < 20000; ++i) addLine(d.block.lines, {character(u'字', {t(u'A')})});
  const std::string expected = d.write();
  ASSERT_GT(expected.size(), 1u << 20) << "more than the writer's buffer";

  std::FILE* full = std::fopen("/dev/full", "wb");
  ASSERT_NE(full, nullptr);
  EXPECT_EQ(writeDocument(d.paper, full), WriteFailed);
  std::fclose(full);
  Doc small;
  full = std::fopen("/dev/full", "wb");
  ASSERT_NE(full, nullptr);
  EXPECT_EQ(writeDocument(small.paper, full), WriteFailed) << "fails only at flush";
  std::fclose(full);
  EXPECT_EQ(writeDocumentFile(d.paper, "/nonexistent-dir/out.xml"), WriteOpenFailed);

  const std::string path = ::testing::TempDir() + "vellary-writer-ok.xml";
  ASSERT_EQ(writeDocumentFile(d.paper, path), WriteOk);
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), expected);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace vellary::rovorirud
