// The reader against hand-written documents: declaration, attributes, content, structure, errors
// with their line counts, piece boundaries and progress.
#include "rovorirud/reader.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "model/json_dump.h"
#include "rovorirud/codec.h"
#include "rovorirud/reader_scanner.h"

namespace vellary::rovorirud {
namespace {

using namespace vellary::model;
using std::u16string;
using std::u16string_view;

std::string encode(u16string_view text, Encoding e = Encoding::ShiftJis) {
  std::string out;
  EXPECT_TRUE(Codec::forEncoding(e).encode(text, out));
  return out;
}

u16string declaration(u16string_view encoding = u"Shift_JIS") {
  return u"<?xml version=\"1.0\" encoding=\"" + u16string(encoding) + u"\"?>\n";
}
u16string document(u16string_view pages, u16string_view encoding = u"Shift_JIS") {
  return declaration(encoding) + u"<paper xmlns=\"http://example.org/2005/RovOrirUD\">\n" +
         u16string(pages) + u"</paper>\n";
}
u16string page(u16string_view body, u16string_view attrs = u" number=\"1\" file=\"p1.tif\"") {
  return u"<page" + u16string(attrs) + u">\n" + u16string(body) + u"</page>\n";
}
constexpr u16string_view kTextBlock =
    u" type=\"text\" direction=\"horizontal\" x=\"10\" y=\"20\" width=\"300\" height=\"100\" "
    u"sec=\"text\"";
u16string block(u16string_view lines, u16string_view attrs = kTextBlock) {
  return u"<block" + u16string(attrs) + u">\n" + u16string(lines) + u"</block>\n";
}
u16string emptyBlock(u16string_view attrs) { return u"<block" + u16string(attrs) + u"/>\n"; }
u16string line(u16string_view chars, u16string_view attrs = u"") {
  return u"<line x=\"10\" y=\"20\" width=\"300\" height=\"40\"" + u16string(attrs) + u">\n" +
         u16string(chars) + u"</line>\n";
}
u16string ch(u16string_view content, u16string_view attrs = u"", int numCand = 0,
             u16string_view cands = u"") {
  return u"<char x=\"1\" y=\"2\" width=\"3\" height=\"4\" num_cand=\"" +
         u16string(1, static_cast<char16_t>(u'0' + numCand)) + u"\"" + u16string(attrs) +
         u"><result>" + u16string(content) + u"</result>" + u16string(cands) + u"</char>\n";
}

ReadResult read(u16string_view text, ReadOptions options = {}) {
  return readDocument(encode(text), options);
}
// A document with one character in one line of one text block.
ReadResult readChar(u16string_view charElement) {
  return read(document(page(block(line(charElement)))));
}
const CharData& firstChar(const ReadResult& r) {
  return r.paper->pages.front().blocks.front().lines.front().chars.front();
}

#define EXPECT_READ_ERROR(result, code_, line_) \
  do {                                          \
    const ReadResult& r_ = (result);            \
    EXPECT_EQ(r_.code, code_);                  \
    EXPECT_EQ(r_.line, line_);                  \
    EXPECT_EQ(r_.paper, nullptr);               \
  } while (0)

TEST(ReaderDeclaration, MinimalDocumentsInBothEncodings) {
  ReadResult sjis = read(document(u""));
  ASSERT_EQ(sjis.code, ReadOk);
  EXPECT_EQ(sjis.paper->encoding, 1u);
  EXPECT_TRUE(sjis.paper->pages.empty());
  EXPECT_EQ(sjis.line, 3);

  u16string text = document(
      page(block(line(ch(u"漢")))) + page(u"", u" number=\"2\" file=\"表.tif\""), u"EUC-JP");
  ReadResult euc = readDocument(encode(text, Encoding::EucJp));
  ASSERT_EQ(euc.code, ReadOk);
  EXPECT_EQ(euc.paper->encoding, 2u);
  EXPECT_EQ(firstChar(euc).text, makeCharText(u'漢'));
  EXPECT_EQ(euc.paper->pages.back().file, u"表.tif");

  // Line ends and leading blank lines do not change the model.
  std::string lf = encode(text, Encoding::EucJp), crlf;
  for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  ReadResult fromCrlf = readDocument("\n  \n" + crlf);
  ASSERT_EQ(fromCrlf.code, ReadOk);
  EXPECT_EQ(dumpJson(*fromCrlf.paper), dumpJson(*euc.paper));
  // Whatever follows the root's end tag is ignored.
  EXPECT_EQ(read(document(u"") + u"<junk").code, ReadOk);
}

TEST(ReaderDeclaration, RefusesBrokenDeclarationsAndRoots) {
  EXPECT_READ_ERROR(readDocument(""), ReadStructureError, 0);
  EXPECT_READ_ERROR(readDocument("\n \r\n\t\n"), ReadStructureError, 3);
  ReadResult lower = read(document(u"", u"shift_jis"));
  EXPECT_READ_ERROR(lower, ReadEncodingError, 1);
  EXPECT_EQ(readErrorMessage(lower.code, lower.line), "未対応のエンコードタイプです。");
  EXPECT_READ_ERROR(read(u"<?xmlversion=\"1.0\" encoding=\"EUC-JP\"?><paper></paper>"),
                    ReadTagError, 1);
  // The encoding is looked for from the fourteenth unit on.
  EXPECT_READ_ERROR(read(u"<?xml encoding=\"EUC-JP\"?>\n<paper>\n</paper>"), ReadAttributeError, 1);
  EXPECT_READ_ERROR(read(u"<?xml version=\"1.0\" encoding='EUC-JP'?>\n"), ReadAttributeError, 1);
  EXPECT_READ_ERROR(read(u"<?xml version=\"1.0\" encoding=\"EUC-JP\"\n?>"), ReadTagError, 1);
  EXPECT_READ_ERROR(read(declaration() + u"\n\n"), ReadStructureError, 3);
  EXPECT_READ_ERROR(read(declaration() + u"<root>"), ReadTagError, 2);
  EXPECT_READ_ERROR(read(declaration() + u"<paper\n>"), ReadTagError, 2);
  EXPECT_READ_ERROR(read(declaration() + u"<paper>\n" + page(u"")), ReadTagError, 4);
}

TEST(ReaderPage, RequiredOptionalSkippedAttributesAndDerivedSize) {
  ReadResult r = read(document(
      u"<page upperpage=\"12\" number=\"7\" file=\"a b.tif\" fullpath=\"/img/a b.tif\" "
      u"width=\"2000\""
      u" height=\"3000\" dpi=\"400\" foo:bar=\"x\" wareki=\"h2\"/>\n" +
      page(emptyBlock(u" type=\"image\" x=\"100\" y=\"50\" width=\"400\" height=\"20\"") +
               emptyBlock(u" type=\"image\" x=\"10\" y=\"500\" width=\"40\" height=\"60\""),
           u" number=\"8\" file=\"b.tif\"") +
      page(u"", u" number=\"9\" file=\"c.tif\" width=\"-5\"")));
  ASSERT_EQ(r.code, ReadOk);
  auto it = r.paper->pages.begin();
  EXPECT_EQ(it->number, 7);
  EXPECT_EQ(it->file, u"a b.tif");
  EXPECT_EQ(it->fullpath, u"/img/a b.tif");
  EXPECT_EQ(it->width, 2000);
  EXPECT_EQ(it->height, 3000);
  EXPECT_EQ(it->dpi, 400);
  ++it;
  EXPECT_FALSE(it->fullpath.has_value());
  EXPECT_EQ(it->dpi, -1);
  EXPECT_EQ(it->width, 499);   // 100 + 400 − 1
  EXPECT_EQ(it->height, 559);  // 500 + 60 − 1
  ++it;
  EXPECT_EQ(it->width, -5);  // negative, but there is no block to derive it from
  EXPECT_EQ(r.paper->maxPageWidth, 2000);
  EXPECT_EQ(r.paper->maxPageHeight, 3000);

  EXPECT_READ_ERROR(read(document(page(u"", u" number=\"1\""))), ReadAttributeError, 3);
  EXPECT_READ_ERROR(read(document(u"<page file=\"a\"/>\n")), ReadAttributeError, 3);
  EXPECT_READ_ERROR(read(document(u"<page number=\"1\" file=a>\n</page>\n")), ReadAttributeError,
                    3);
  EXPECT_READ_ERROR(read(document(u"<page number=\"1\" file=\"a\" odd>\n</page>\n")),
                    ReadAttributeError, 3);
  // A block at the very edge of the number range does not overflow the derived size.
  ReadResult edge = read(document(page(emptyBlock(
      u" type=\"image\" x=\"2147483647\" y=\"1e30\" width=\"2147483647\" height=\"9\""))));
  ASSERT_EQ(edge.code, ReadOk);
  EXPECT_EQ(edge.paper->pages.front().width, INT32_MAX);
}

TEST(ReaderBlock, AttributesTypesAndSections) {
  ReadResult r = read(document(page(
      emptyBlock(u" type=\"image\" x=\"1\" y=\"2\" width=\"3\" height=\"4\"") +
      block(line(ch(u"a")),
            u" type=\"lineart\" direction=\"vertical\" langId=\"0\" BID=\"17\" index=\"3\"") +
      emptyBlock(u" type=\"text\" direction=\"horizontal\" x=\"1\" y=\"2\" width=\"3\" height=\"4\""
                 u" sec=\"upperpagenum\"") +
      emptyBlock(
          u" direction=\"vertical\" x=\"1\" y=\"2\" width=\"3\" height=\"4\" sec=\"caption\"") +
      emptyBlock(u" type=\"z\" direction=\"vertical\" x=\"1\" y=\"2\" width=\"3\" height=\"4\" "
                 u"sec=\"note\"") +
      emptyBlock(
          u" direction=\"vertical\" x=\"1\" y=\"2\" width=\"3\" height=\"4\" sec=\"caption\""))));
  ASSERT_EQ(r.code, ReadOk);
  std::vector<const BlockData*> b;
  for (const BlockData& x : r.paper->pages.front().blocks) b.push_back(&x);
  ASSERT_EQ(b.size(), 6u);
  EXPECT_EQ(b[0]->type, BlockImage);
  EXPECT_EQ(b[0]->sec, SecText);
  EXPECT_EQ(b[0]->langId, 128);
  EXPECT_EQ(b[0]->bid, -1);
  EXPECT_EQ(b[1]->type, BlockLine);  // only has to begin with the word
  EXPECT_EQ(b[1]->direction, Vertical);
  EXPECT_EQ(b[1]->langId, 0);
  EXPECT_EQ(b[1]->bid, 17);
  EXPECT_EQ(b[1]->charCount, 1);
  EXPECT_FLOAT_EQ(b[1]->avgLineSize, 300);  // a vertical line's thickness is its width
  EXPECT_EQ(b[2]->sec, SecUpperPageNum);
  EXPECT_EQ(b[3]->sec, kUserSectionBase);
  EXPECT_EQ(b[4]->type, BlockText);
  EXPECT_EQ(b[4]->sec, kUserSectionBase + 1);
  EXPECT_EQ(b[5]->sec, kUserSectionBase);
  EXPECT_EQ(r.paper->userSections, (std::vector<u16string>{u"caption", u"note"}));

  auto blockError = [](u16string_view attrs) {
    return read(document(page(block(u"", attrs)))).code;
  };
  EXPECT_EQ(blockError(u" type=\"text\" x=\"1\" y=\"2\" width=\"3\" height=\"4\" sec=\"text\""),
            ReadAttributeError);                                // direction missing
  EXPECT_EQ(blockError(u" sec=\"text\""), ReadAttributeError);  // no type means text
  EXPECT_EQ(blockError(u" type=\"table\" direction=\"Vertical\""), ReadAttributeError);
  EXPECT_EQ(blockError(u" type=\"table\" colour=\"red\""), ReadAttributeError);
  EXPECT_EQ(blockError(u" type=\"table\" x = \"1\""), ReadAttributeError);
  EXPECT_EQ(blockError(u" type=\"image\""), ReadOk);
  EXPECT_EQ(blockError(u" type=\"image\" x=\"1\">\n<line/"), ReadTagError);  // image holds nothing
}

TEST(ReaderLine, AttributesSideLinesAndLinesStandingInAPage) {
  u16string lines = line(ch(u"本") + ch(u"文"), u" LID=\"1\"") +
                    line(ch(u"漢") + ch(u"字"), u" LID=\"2\" widthOrg=\"5\"") +
                    u"<line heightOrg=\"7\" x=\"1\" y=\"2\" width=\"30\" height=\"8\" attr=\"ruby\""
                    u" LID=\"3\" RLID=\"2\" RCS=\"1\" RCE=\"2\">\n" +
                    ch(u"かん") + u"</line>\n<line/>\n" +
                    u"<line x=\"1\" y=\"2\" width=\"3\" height=\"4\" attr=\"emph\" RLID=\"9\"/>\n";
  ReadResult r = read(document(page(u"<line x=\"5\" y=\"6\" width=\"50\" height=\"12\">\n" +
                                    ch(u"頭") + u"</line>\n<line/>\n" + block(lines) +
                                    line(ch(u"尾"), u" attr=\"footnote\""))));
  ASSERT_EQ(r.code, ReadOk);
  const auto& blocks = r.paper->pages.front().blocks;
  ASSERT_EQ(blocks.size(), 3u);
  const BlockData& head = blocks.front();
  EXPECT_EQ(head.type, BlockText);
  EXPECT_EQ(head.sec, SecText);
  EXPECT_EQ(head.langId, 128);
  EXPECT_EQ(head.bid, -1);
  EXPECT_EQ(head.x, 5);
  EXPECT_EQ(head.width, 50);
  EXPECT_EQ(head.charCount, 1);
  EXPECT_FLOAT_EQ(head.avgLineSize, 12);
  EXPECT_EQ(blocks.back().lines.front().attr, AttrFootnote);
  EXPECT_EQ(blocks.back().lines.front().baseLine, nullptr);

  const BlockData& body = *std::next(blocks.begin());
  ASSERT_EQ(body.lines.size(), 4u);  // "<line/>" makes no line
  auto l = body.lines.begin();
  const LineData& first = *l++;
  const LineData& second = *l++;
  const LineData& ruby = *l++;
  const LineData& emph = *l;
  EXPECT_EQ(first.widthOrg, 300);
  EXPECT_EQ(first.heightOrg, 40);
  EXPECT_EQ(second.widthOrg, 5);  // given before width: kept
  EXPECT_EQ(ruby.heightOrg, 7);
  EXPECT_EQ(ruby.attr, AttrRuby);
  EXPECT_EQ(ruby.baseLine, &second);
  EXPECT_EQ(ruby.rcs, 1);
  EXPECT_EQ(ruby.rce, 2);
  EXPECT_EQ(ruby.charCount, 2);  // "かん" is one character of two units
  EXPECT_EQ(emph.baseLine, nullptr);
  EXPECT_TRUE(emph.chars.empty());
  for (const LineData& x : body.lines) EXPECT_EQ(x.lid + x.rlid, 0);
  EXPECT_EQ(body.charCount, 6);
  EXPECT_FLOAT_EQ(body.avgLineSize, 40);  // side lines do not count

  EXPECT_EQ(read(document(page(block(line(u"", u" attr=\"Ruby\""))))).code, ReadAttributeError);
  EXPECT_EQ(read(document(page(block(u"<line x=\"1\" y=\"2\" width=\"3\">\n</line>\n")))).code,
            ReadAttributeError);
  EXPECT_EQ(read(document(page(block(line(u"", u" id=\"1\""))))).code, ReadAttributeError);
  EXPECT_EQ(read(document(page(block(line(u"<chars/>\n"))))).code, ReadTagError);
}

TEST(ReaderChar, AttributesCandidatesAndConfidences) {
  ReadResult r = readChar(
      u"<char x=\"-1\" y=\"-1\" width=\"3.9\" height=\"4\" num_cand=\"3\" changed=\"1\" "
      u"modified=\"20095\">"
      u"<result CC=\"65537\">亜</result><cand CC=\"7\">唖</cand>\n<cand>娃</cand></char>");
  ASSERT_EQ(r.code, ReadOk);
  const CharData& c = firstChar(r);
  EXPECT_EQ(c.x, -1);
  EXPECT_EQ(c.width, 3);
  EXPECT_EQ(c.cc, 1);  // held in 16 bits
  EXPECT_EQ(c.changed, 1);
  EXPECT_EQ(c.modRotTcy, 20095);
  EXPECT_EQ(c.modRubyEmp, 0);
  ASSERT_EQ(c.numCand(), 3);
  EXPECT_EQ(c.candText(0), makeCharText(u'唖'));
  EXPECT_EQ(c.candCC(0), 7);
  EXPECT_EQ(c.candCC(1), 10);
  EXPECT_EQ(c.candText(2), CharText{});  // no element: stays empty
  EXPECT_EQ(c.candCC(2), 0);

  auto modes = [](u16string_view attrs) {
    ReadResult m = readChar(ch(u"a", attrs));
    EXPECT_EQ(m.code, ReadOk);
    const CharData& x = firstChar(m);
    return std::pair{x.modRubyEmp, x.modRotTcy};
  };
  EXPECT_EQ(modes(u" modified=\"20000\""), std::pair(20000, 0));
  EXPECT_EQ(modes(u" modified=\"21001\""), std::pair(21001, 0));
  EXPECT_EQ(modes(u" modRotTcy=\"5\""), std::pair(0, 0));
  EXPECT_EQ(modes(u" modRotTcy=\"20090\" modRubyEmp=\"3\""), std::pair(3, 20090));

  ReadResult noResult =
      readChar(u"<char x=\"1\" y=\"2\" width=\"3\" height=\"4\" num_cand=\"0\"></char>");
  ASSERT_EQ(noResult.code, ReadOk);
  EXPECT_EQ(firstChar(noResult).cc, 10);
  EXPECT_EQ(noResult.paper->pages.front().blocks.front().charCount, 0);

  // The count goes through 16 bits before its sign is checked: 70000 keeps 4464 candidates.
  EXPECT_EQ(firstChar(readChar(ch(u"a", u" num_cand=\"70000\""))).numCand(), 4464);
  EXPECT_EQ(readChar(ch(u"a", u" num_cand=\"40000\"")).code, ReadAttributeError);
  EXPECT_EQ(readChar(ch(u"a", u" num_cand=\"-1\"")).code, ReadAttributeError);
  EXPECT_EQ(readChar(u"<char x=\"1\" y=\"2\" width=\"3\" num_cand=\"0\"></char>").code,
            ReadAttributeError);
  EXPECT_EQ(readChar(ch(u"a", u" style=\"x\"")).code, ReadAttributeError);
  EXPECT_EQ(readChar(ch(u"a", u"", 1, u"<cand>b</cand><cand>c</cand>")).code, ReadTagError);
  EXPECT_EQ(readChar(ch(u"a", u"", 1, u"<cand cc=\"1\">b</cand>")).code, ReadAttributeError);
  EXPECT_EQ(readChar(ch(u"a", u"", 0, u"<result>b</result>")).code, ReadTagError);
  EXPECT_EQ(readChar(u"<char x=\"1\" y=\"2\" width=\"3\" height=\"4\" num_cand=\"0\"/>").code,
            ReadAttributeError);
  EXPECT_EQ(readChar(u"<char x=\"1\" y=\"2\" width=\"3\" height=\"4\" num_cand=\"0\">"
                     u"<result CC=\"1\" x=\"2\">a</result></char>")
                .code,
            ReadAttributeError);
}

// num_cand is only a hint for storage: a character keeps room for the candidates its file holds,
// while its count and the empty slots after them stay as the file says.
TEST(ReaderChar, CandidateCountIsAHintForStorage) {
  ReadResult r = readChar(
      u"<char x=\"1\" y=\"2\" width=\"3\" height=\"4\" num_cand=\"32767\"><result>亜</result>"
      u"<cand CC=\"7\">唖</cand><cand>娃</cand></char>");
  ASSERT_EQ(r.code, ReadOk);
  const CharData& c = firstChar(r);
  EXPECT_EQ(c.numCand(), 32767);
  EXPECT_EQ(c.storedCandidates(), 2);
  EXPECT_EQ(c.candText(1), makeCharText(u'娃'));
  EXPECT_EQ(c.candText(32766), CharText{});
  EXPECT_EQ(c.candCC(32766), 0);
  CharData copy = c;  // undo snapshots copy characters: the copy is as small
  EXPECT_EQ(copy.storedCandidates(), 2);
  EXPECT_EQ(copy.numCand(), 32767);
  copy.candText(40) = makeCharText(u'字');  // writing a slot gives every slot its storage
  EXPECT_EQ(copy.storedCandidates(), 32767);
  EXPECT_EQ(copy.candText(1), makeCharText(u'娃'));
  EXPECT_EQ(c.candText(40), CharText{});
}

// Bytes that form no character of the file's encoding are refused with their line, never kept
// as replacement characters (which would change the document when it is saved).
TEST(ReaderContent, UndecodableBytesAreRefusedWithTheirLine) {
  auto withBytes = [](u16string_view before, std::string_view bytes, u16string_view after,
                      Encoding e = Encoding::ShiftJis) {
    return readDocument(encode(before, e) + std::string(bytes) + encode(after, e));
  };
  const u16string head = declaration() + u"<paper>\n<page number=\"1\" file=\"p.tif\">\n" +
                         u"<block" + u16string(kTextBlock) + u">\n<line x=\"1\" y=\"2\" "
                         u"width=\"3\" height=\"4\">\n" +
                         u"<char x=\"1\" y=\"2\" width=\"3\" height=\"4\" num_cand=\"1\">\n";
  const u16string tail = u"</line>\n</block>\n</page>\n</paper>\n";
  // A lone lead byte, an unmapped pair and a byte that is no character at all.
  for (std::string_view bad : {std::string_view("\x81"), std::string_view("\x85\x40"),
                               std::string_view("\xFF")}) {
    EXPECT_READ_ERROR(withBytes(head + u"<result>", bad, u"</result>\n</char>\n" + tail),
                      ReadElementError, 7);
    EXPECT_READ_ERROR(withBytes(head + u"<result>a</result>\n<cand>", bad,
                                u"</cand>\n</char>\n" + tail),
                      ReadElementError, 8);
  }
  EXPECT_READ_ERROR(withBytes(declaration() + u"<paper>\n<page number=\"1\" file=\"p", "\xFF",
                              u".tif\"/>\n</paper>\n"),
                    ReadAttributeError, 3);
  EXPECT_READ_ERROR(withBytes(declaration() + u"<paper>\n<page number=\"1\" file=\"p\">\n<block"
                                  u" type=\"text\" direction=\"horizontal\" x=\"1\" y=\"2\" "
                                  u"width=\"3\" height=\"4\" sec=\"s",
                              "\x81", u"\"/>\n</page>\n</paper>\n"),
                    ReadAttributeError, 4);
  const u16string eucHead = declaration(u"EUC-JP") + u"<paper>\n<page number=\"1\" file=\"p\" "
                            u"fullpath=\"/scan/";
  EXPECT_READ_ERROR(withBytes(eucHead, "\xA9\xA1", u"\"/>\n</paper>\n", Encoding::EucJp),
                    ReadAttributeError, 3);
  // Characters of the encoding are fine in both places.
  EXPECT_EQ(withBytes(eucHead, "\xB4\xC1", u"\"/>\n</paper>\n", Encoding::EucJp).code, ReadOk);
}

// User section words are looked up in a hash table: many distinct words each keep their code.
TEST(ReaderBlock, ManySectionWordsKeepTheirCodes) {
  u16string blocks;
  constexpr int kWords = 3000;
  for (int i = 0; i < 2 * kWords; ++i) {
    const std::string word = "sec" + std::to_string(i % kWords);
    blocks += emptyBlock(u" direction=\"vertical\" x=\"1\" y=\"2\" width=\"3\" height=\"4\" sec=\"" +
                         u16string(word.begin(), word.end()) + u"\"");
  }
  ReadResult r = read(document(page(blocks)));
  ASSERT_EQ(r.code, ReadOk);
  ASSERT_EQ(r.paper->userSections.size(), size_t{kWords});
  int i = 0;
  for (const BlockData& b : r.paper->pages.front().blocks)
    EXPECT_EQ(b.sec, kUserSectionBase + i++ % kWords);
  EXPECT_EQ(r.paper->userSections[kWords - 1], u"sec2999");
}

TEST(ReaderContent, ReferencesHexBytesAndUnicodeUnits) {
  auto decoded = [](u16string_view content, u16string_view attrs = u"") {
    ReadResult r = readChar(ch(content, attrs));
    EXPECT_EQ(r.code, ReadOk) << std::string(content.begin(), content.end());
    return r.paper ? firstChar(r).text : CharText{};
  };
  EXPECT_EQ(decoded(u"&amp;"), makeCharText(u'&'));
  EXPECT_EQ(decoded(u"&lt;"), makeCharText(u'<'));
  EXPECT_EQ(decoded(u"&#9312;"), makeCharText(u'①'));
  EXPECT_EQ(decoded(u"&#65374;"), makeCharText(0xFF5E));
  EXPECT_EQ(decoded(u"&#13;"), makeCharText(13));
  EXPECT_EQ(decoded(u"&#x95;"), makeCharText(0x2022));
  EXPECT_EQ(decoded(u"&#x96;"), makeCharText(0x2013));
  EXPECT_EQ(decoded(u"&#x97;"), makeCharText(0x2014));
  EXPECT_EQ(decoded(u"&#x41;"), makeCharText(u'A'));
  EXPECT_EQ(decoded(u"&#xb1;"), makeCharText(u'ｱ'));
  EXPECT_EQ(decoded(u"&#xB1"), makeCharText(u'ｱ'));
  EXPECT_EQ(decoded(u"&#x4"), makeCharText(4));
  EXPECT_EQ(decoded(u"&#x41;trail"), makeCharText(u'A'));  // 11 units: only two digits count
  EXPECT_EQ(decoded(u"AB"), makeCharText(u'A', u'B'));
  EXPECT_EQ(decoded(u"00e9", u" Unicode=\"\""), makeCharText(0x00E9));
  EXPECT_EQ(decoded(u"d840dc0b", u" Unicode=\"1\""), makeCharText(0xD840, 0xDC0B));
  EXPECT_EQ(decoded(u"&amp;", u" Unicode=\"1\""), makeCharText(u'&'));

  auto refused = [](u16string_view content, u16string_view attrs = u"") {
    return readChar(ch(content, attrs)).code;
  };
  EXPECT_EQ(refused(u"&#9999;"), ReadElementError);  // decimal, not in the table
  EXPECT_EQ(refused(u"&"), ReadElementError);
  EXPECT_EQ(refused(u"&#x;"), ReadElementError);
  EXPECT_EQ(refused(u"&#x00;"), ReadElementError);
  // Lead bytes of code page 932 form no character alone.
  for (u16string_view lead : {u"&#x81;", u"&#x9f;", u"&#xe0;", u"&#xfc;"})
    EXPECT_EQ(refused(lead), ReadElementError);
  EXPECT_EQ(refused(u"00e9"), ReadElementError);  // three or more units need Unicode
  EXPECT_EQ(refused(u"00E9", u" Unicode=\"1\""), ReadElementError);
  EXPECT_EQ(refused(u"0e9", u" Unicode=\"1\""), ReadElementError);
  EXPECT_EQ(refused(u"d840dc0b0", u" Unicode=\"1\""), ReadElementError);
  // The writer's form of an empty slot reads back as the empty character; a zero unit in a pair
  // is refused.
  EXPECT_EQ(decoded(u"0000", u" Unicode=\"1\""), CharText{});
  EXPECT_EQ(refused(u"00000041", u" Unicode=\"1\""), ReadElementError);
  EXPECT_EQ(refused(u"d8400000", u" Unicode=\"1\""), ReadElementError);
  EXPECT_EQ(refused(u"&#x41;traili"), ReadElementError);  // twelve units
  EXPECT_EQ(refused(u""), ReadElementError);
  EXPECT_EQ(readChar(u"<char x=\"1\" y=\"2\" width=\"3\" height=\"4\" num_cand=\"0\">"
                     u"<result>a\n</result></char>")
                .code,
            ReadTagError);
  EXPECT_EQ(readChar(u"<char x=\"1\" y=\"2\" width=\"3\" height=\"4\" num_cand=\"0\">"
                     u"<result>a</resultx></char>")
                .code,
            ReadTagError);
}

TEST(ReaderTable, CellsBordersAndAverages) {
  u16string cells =
      u"<CellData x=\"1\" y=\"2\" width=\"3\" height=\"4\" row=\"0\" col=\"1\" align=\"2\" "
      u"valign=\"3\""
      u" connectGroup=\"5\">\n<BorderData>\n<Top style=\"solid\" color=\"0\" width=\"1\"/>\n"
      u"<Left style=\"double\"/><Bottom style=\"dotted\"/>\n<Right style=\"dotted\" "
      u"style=\"wavy\"/>\n"
      u"</BorderData>\n" +
      line(ch(u"表") + ch(u"中")) +
      u"<line/>\n</CellData>\n"
      u"<CellData x=\"1\" y=\"2\" width=\"3\" height=\"4\" row=\"1\" col=\"1\">\n</CellData>\n"
      u"<CellData x=\"1\" y=\"2\" width=\"3\" height=\"4\" row=\"2\" col=\"0\">\n" +
      line(ch(u"外"), u" attr=\"ruby\" LID=\"2\" RLID=\"1\"") +
      u"</CellData>\n<CellData row=\"9\"/>\n";
  ReadResult r = read(document(page(block(cells, u" type=\"table\" direction=\"vertical\""))));
  ASSERT_EQ(r.code, ReadOk);
  const BlockData& table = r.paper->pages.front().blocks.front();
  ASSERT_EQ(table.cells.size(), 4u);
  auto c = table.cells.begin();
  const CellData& first = *c++;
  EXPECT_EQ(first.col, 1);
  EXPECT_EQ(first.connectGroup, 5);
  EXPECT_EQ(first.valign, 3);
  EXPECT_EQ(first.border,
            (std::array<uint8_t, 4>{BorderDouble, BorderSolid, BorderDotted, BorderDotted}));
  EXPECT_EQ(first.lineCount, 2);            // the empty line counts
  EXPECT_FLOAT_EQ(first.avgLineSize, 150);  // vertical: widths over both lines
  EXPECT_EQ(c->border, (std::array<uint8_t, 4>{}));
  EXPECT_EQ(c->lineCount, 0);
  ++c;
  EXPECT_EQ(c->lines.front().baseLine, nullptr);  // RLID names a line only within its own cell
  ++c;
  EXPECT_EQ(c->row, 9);  // an empty cell tag ends the cells and keeps what it read
  EXPECT_EQ(table.charCount, 3);
  EXPECT_FLOAT_EQ(table.avgLineSize, 225);  // (150 + 300) / 2: empty cells do not count
  EXPECT_TRUE(table.lines.empty());

  auto tableError = [](u16string_view inner) {
    return read(document(page(block(
                    u"<CellData x=\"1\" y=\"2\" width=\"3\" height=\"4\" row=\"0\" col=\"0\">\n" +
                        u16string(inner) + u"</CellData>\n",
                    u" type=\"table\""))))
        .code;
  };
  EXPECT_EQ(tableError(u""), ReadOk);
  const u16string three = u"<Left style=\"solid\"/><Top style=\"solid\"/><Right style=\"solid\"/>";
  EXPECT_EQ(tableError(u"<BorderData>" + three + u"<Bottom />\n</BorderData>"), ReadOk);
  EXPECT_EQ(tableError(u"<BorderData>" + three + u"</BorderData>"), ReadAttributeError);
  EXPECT_EQ(tableError(u"<BorderData>" + three + u"<Middle style=\"solid\"/>"), ReadTagError);
  EXPECT_EQ(tableError(u"<BorderData>" + three + u"<Bottom style=\"solid\">"), ReadTagError);
  EXPECT_EQ(tableError(u"<BorderData>" + three + u"<Bottom kind=\"solid\"/>"), ReadAttributeError);
  EXPECT_EQ(tableError(u"<BorderData>" + three), ReadTagError);  // no end tag
  EXPECT_EQ(tableError(u"<Note/>\n"), ReadTagError);
  EXPECT_EQ(
      read(document(page(block(u"<CellData x=\"1\">\n</CellData>\n", u" type=\"table\"")))).code,
      ReadAttributeError);
  EXPECT_EQ(
      read(document(page(block(u"<CellData/>\n<CellData row=\"1\"/>\n", u" type=\"table\"")))).code,
      ReadTagError);  // nothing but the end tag after the cells end
}

TEST(ReaderErrors, CodesCarryTheLineCountAndTheMessage) {
  // Lines: 1 declaration, 2 paper, 3 page, 4 block, 5 line, 6 char.
  ReadResult bad = readChar(ch(u"&#9999;"));
  EXPECT_READ_ERROR(bad, ReadElementError, 6);
  EXPECT_EQ(readErrorMessage(bad.code, bad.line), "要素が間違っています。[6行目]");
  EXPECT_EQ(readErrorMessage(ReadTagError, 12), "タグが間違っています。[12行目]");
  EXPECT_EQ(readErrorMessage(ReadAttributeError, 1), "属性が間違っています。[1行目]");
  EXPECT_EQ(readErrorMessage(ReadStructureError, 0), "データ構造が間違っています。[0行目]");
  EXPECT_EQ(readErrorMessage(ReadOtherError, 3), "何らかのエラーが起こりました。[3行目]");

  // A file cut short inside each element: the procedure that meets the end reports it.
  u16string full = document(page(block(line(ch(u"字")))));
  EXPECT_READ_ERROR(read(full.substr(0, full.find(u"</line>"))), ReadTagError, 6);
  EXPECT_READ_ERROR(read(full.substr(0, full.find(u" num_cand"))), ReadAttributeError, 6);
  EXPECT_READ_ERROR(read(full.substr(0, full.find(u"</page>"))), ReadTagError, 8);

  // A file that cannot be read is not mistaken for one that ends early.
  std::FILE* writeOnly = std::fopen("/dev/null", "w");
  ASSERT_NE(writeOnly, nullptr);
  EXPECT_READ_ERROR(readDocument(writeOnly), ReadOtherError, 0);
  std::fclose(writeOnly);
  ReadResult missing = readDocumentFile("/nonexistent/vellary/none.xml");
  EXPECT_READ_ERROR(missing, ReadOtherError, 0);
  EXPECT_EQ(readErrorMessage(missing.code, missing.line), "何らかのエラーが起こりました。[0行目]");
}

TEST(ReaderPieces, LongLinesCountAsSeveralAndTokensMayNotStraddle) {
  // 2000 blanks and a line feed are two pieces of the standard size.
  EXPECT_READ_ERROR(read(declaration() + u16string(2000, u' ') + u"\n<bogus>"), ReadTagError, 4);

  ReadOptions small;
  small.pieceLimit = 40;
  const u16string decl = u"<?xml ver=\"1\" encoding=\"Shift_JIS\"?>\n";  // fits one piece
  auto readSmall = [&](u16string_view rest) { return read(decl + u16string(rest), small); };
  EXPECT_EQ(readSmall(u"<paper>\n</paper>").code, ReadOk);
  // A quoted value cut by the limit has no closing quote in its piece.
  EXPECT_READ_ERROR(
      readSmall(u"<paper>\n<page number=\"1\" file=\"abcdefghijklmnopqrstuvwxyz.tif\">"),
      ReadAttributeError, 3);
  // A start tag cut by the limit is not recognised.
  EXPECT_READ_ERROR(
      readSmall(u"<paper>\n" + u16string(36, u' ') + u"<page number=\"1\" file=\"a\"/>"),
      ReadTagError, 3);
  // 85 blanks are pieces of 40, 40 and 6.
  EXPECT_READ_ERROR(readSmall(u"<paper>\n" + u16string(85, u' ') + u"\n<bogus>"), ReadTagError, 6);

  // At every limit a document reads to the same model or stops with an error, never worse.
  u16string text = document(page(block(
      line(ch(u"漢", u" Unicode=\"1\"", 2, u"<cand CC=\"3\">&#9312;</cand><cand>0041</cand>")))));
  ReadResult whole = read(text);
  ASSERT_EQ(whole.code, ReadOk);
  int wholeReads = 0;
  for (size_t limit = 0; limit <= 200; ++limit) {
    ReadOptions o;
    o.pieceLimit = limit;
    ReadResult r = read(text, o);
    if (r.code == ReadOk) {
      EXPECT_EQ(dumpJson(*r.paper), dumpJson(*whole.paper)) << limit;
      ++wholeReads;
    } else {
      EXPECT_TRUE(r.code <= ReadTagError && r.code >= ReadElementError && !r.paper) << limit;
    }
  }
  EXPECT_GT(wholeReads, 50);
}

TEST(ReaderPieces, FileChunksDoNotCutMultiByteCharacters) {
  // The file is read in 64 KiB chunks; a long value of multi-byte characters placed across the
  // first chunk's end, at each byte offset, must read as from memory.
  struct Case {
    Encoding encoding;
    u16string_view name;
    char16_t c;
  };
  for (const Case& k :
       {Case{Encoding::ShiftJis, u"Shift_JIS", u'字'}, Case{Encoding::EucJp, u"EUC-JP", u'丂'}}) {
    for (size_t shift = 0; shift < 3; ++shift) {
      u16string padding;
      for (int i = 0; i < 800; ++i) padding += u16string(80, u' ') + u"\n";
      padding += u16string(shift, u' ');
      u16string path(400, k.c);
      std::string bytes = encode(
          document(padding + page(u"", u" number=\"1\" file=\"a\" fullpath=\"" + path + u"\""),
                   k.name),
          k.encoding);
      std::FILE* f = std::tmpfile();
      ASSERT_NE(f, nullptr);
      std::fwrite(bytes.data(), 1, bytes.size(), f);
      std::rewind(f);
      ReadResult fromFile = readDocument(f);
      std::fclose(f);
      ASSERT_EQ(fromFile.code, ReadOk);
      EXPECT_EQ(fromFile.paper->pages.front().fullpath, path);
      EXPECT_EQ(fromFile.line, readDocument(bytes).line);
    }
  }
}

TEST(ReaderNumbers, ParseLikeStrtodThenTruncateAndSaturate) {
  using detail::parseNumber;
  EXPECT_EQ(parseNumber(u"12"), 12);
  EXPECT_EQ(parseNumber(u"  -12.9"), -12);
  EXPECT_EQ(parseNumber(u"+3"), 3);
  EXPECT_EQ(parseNumber(u"2.5e1"), 25);
  EXPECT_EQ(parseNumber(u"12e-1"), 1);
  EXPECT_EQ(parseNumber(u"0.0009e4"), 9);
  EXPECT_EQ(parseNumber(u"1e"), 1);
  EXPECT_EQ(parseNumber(u"7px"), 7);
  EXPECT_EQ(parseNumber(u".5"), 0);
  EXPECT_EQ(parseNumber(u"abc"), 0);
  EXPECT_EQ(parseNumber(u""), 0);
  EXPECT_EQ(parseNumber(u"-"), 0);
  EXPECT_EQ(parseNumber(u"."), 0);
  EXPECT_EQ(parseNumber(u"0x10"), 0);
  EXPECT_EQ(parseNumber(u"2147483647.99"), INT32_MAX);
  EXPECT_EQ(parseNumber(u"99999999999"), INT32_MAX);
  EXPECT_EQ(parseNumber(u"-1e300"), INT32_MIN);
  EXPECT_EQ(parseNumber(u"1e-99999999"), 0);
  EXPECT_EQ(parseNumber(u"1e99999999"), INT32_MAX);
}

TEST(ReaderProgress, CaptionsBeforeAndAfterEachPage) {
  struct Recorder : Progress {
    std::vector<std::string> captions;
    int shown = 0;
    void setCaption(std::string_view c) override { captions.emplace_back(c); }
    void show() override { ++shown; }
  } progress;
  ReadOptions o;
  o.progress = &progress;
  ASSERT_EQ(read(document(page(u"") + page(u"", u" number=\"2\" file=\"b\"")), o).code, ReadOk);
  EXPECT_EQ(progress.shown, 1);
  EXPECT_EQ(progress.captions,
            (std::vector<std::string>{"Xmlファイル読み込み中...", "ファイル読み込み中　1",
                                      "ファイル読み込み中　2"}));
}

}  // namespace
}  // namespace vellary::rovorirud
