// The RovOrirUD reader: one procedure per element over the piece scanner, stopping at the first
// error with its code and the number of pieces read.
#include "reader.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <optional>
#include <vector>

#include "model/codes.h"
#include "model/file_access.h"
#include "model/paper.h"
#include "reader_scanner.h"
#include "reference_table.h"

namespace vellary::rovorirud {

using namespace vellary::model;
using detail::fail;
using detail::ReadFailure;
using detail::Scanner;

namespace {

constexpr size_t npos = Scanner::npos;

// The longest content of result or cand, in UTF-16 units.
constexpr size_t kMaxContent = 11;

template <size_t N>
int indexOf(const std::u16string_view (&words)[N], std::u16string_view word) {
  for (size_t i = 0; i < N; ++i)
    if (words[i] == word) return static_cast<int>(i);
  return -1;
}

constexpr unsigned bit(int id) { return 1u << id; }

int32_t saturate(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

int hexDigit(char16_t c, bool upperToo) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (upperToo && c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Attribute names per element; the enumerations index them.
enum PageAttr { PgNumber, PgFile, PgFullpath, PgWidth, PgHeight, PgDpi };
constexpr std::u16string_view kPageAttrs[] = {
    u"number", u"file", u"fullpath", u"width", u"height", u"dpi",
    // printed page numbers, era year, year, month and volume of the issue: not kept
    u"upperpage", u"lowerpage", u"wareki", u"year", u"month", u"volume"};

enum BlockAttr {
  BkType,
  BkDirection,
  BkX,
  BkY,
  BkWidth,
  BkHeight,
  BkSec,
  BkIndex,
  BkLangId,
  BkBid
};
constexpr std::u16string_view kBlockAttrs[] = {
    u"type", u"direction", u"x", u"y", u"width", u"height", u"sec", u"index", u"langId", u"BID"};
constexpr unsigned kTextBlockRequired =
    bit(BkDirection) | bit(BkX) | bit(BkY) | bit(BkWidth) | bit(BkHeight) | bit(BkSec);

enum CellAttr { ClX, ClY, ClWidth, ClHeight, ClRow, ClCol, ClAlign, ClValign, ClConnectGroup };
constexpr std::u16string_view kCellAttrs[] = {u"x",   u"y",     u"width",  u"height",      u"row",
                                              u"col", u"align", u"valign", u"connectGroup"};
constexpr unsigned kCellRequired =
    bit(ClX) | bit(ClY) | bit(ClWidth) | bit(ClHeight) | bit(ClRow) | bit(ClCol);

enum BorderAttr { BdStyle, BdColor, BdWidth };
constexpr std::u16string_view kBorderAttrs[] = {u"style", u"color", u"width"};
constexpr std::u16string_view kBorderSides[] = {u"<Left ", u"<Top ", u"<Right ", u"<Bottom "};

enum LineAttrName {
  LnX,
  LnY,
  LnWidth,
  LnHeight,
  LnWidthOrg,
  LnHeightOrg,
  LnAttr,
  LnLid,
  LnRlid,
  LnRcs,
  LnRce
};
constexpr std::u16string_view kLineAttrs[] = {u"x",        u"y",         u"width", u"height",
                                              u"widthOrg", u"heightOrg", u"attr",  u"LID",
                                              u"RLID",     u"RCS",       u"RCE"};
constexpr unsigned kBoxRequired = bit(0) | bit(1) | bit(2) | bit(3);  // x, y, width, height

enum CharAttr {
  ChX,
  ChY,
  ChWidth,
  ChHeight,
  ChNumCand,
  ChUnicode,
  ChModRubyEmp,
  ChModRotTcy,
  ChChanged,
  ChModified
};
constexpr std::u16string_view kCharAttrs[] = {u"x",        u"y",       u"width",      u"height",
                                              u"num_cand", u"Unicode", u"modRubyEmp", u"modRotTcy",
                                              u"changed",  u"modified"};
constexpr unsigned kCharRequired = kBoxRequired | bit(ChNumCand);

constexpr std::u16string_view kContentAttrs[] = {u"CC"};

constexpr std::u16string_view kBlockTypes[] = {u"text", u"table", u"image", u"line"};
constexpr std::u16string_view kDirections[] = {u"horizontal", u"vertical"};
constexpr std::u16string_view kLineAttrWords[] = {u"", u"ruby", u"emph", u"footnote"};
constexpr std::u16string_view kBorderStyles[] = {u"none", u"solid", u"dotted", u"double"};

// The character of a result or cand content (1 … 11 units): a reference, a hexadecimal byte
// reference, the text itself, or hexadecimal UTF-16 units when the character is marked Unicode.
// Returns the units written to out; a content that yields no character is an element error.
int decodeContent(std::u16string_view s, bool unicode, char16_t out[2]) {
  if (s[0] == u'&') {
    if (char16_t c = characterOfReference(s)) {
      out[0] = c;
      return 1;
    }
    if (s.find(u"&#x") == std::u16string_view::npos) fail(ReadElementError);
    // The (up to) two units after the first three are one byte in hexadecimal.
    unsigned v = 0;
    int digits = 0;
    for (size_t i = 3; i < std::min<size_t>(s.size(), 5); ++i) {
      int d = hexDigit(s[i], true);
      if (d < 0) break;
      v = v * 16 + static_cast<unsigned>(d);
      ++digits;
    }
    if (digits == 0) fail(ReadElementError);
    // Bytes of code page 932 that other decoders read as these punctuation marks.
    if (v == 0x95)
      out[0] = 0x2022;
    else if (v == 0x96)
      out[0] = 0x2013;
    else if (v == 0x97)
      out[0] = 0x2014;
    else {
      // A lead byte cannot form a character alone, and a zero byte is no character: both are
      // refused rather than stored as a replacement or an empty character.
      unsigned char byte = static_cast<unsigned char>(v);
      Codec::cp932().decodeOne(&byte, 1, &out[0]);
      if (out[0] == 0xFFFD || out[0] == 0) fail(ReadElementError);
    }
    return 1;
  }
  if (s.size() <= 2) {
    for (size_t i = 0; i < s.size(); ++i) {
      if (s[i] == 0) fail(ReadElementError);  // a zero unit would end the character early
      out[i] = s[i];
    }
    return static_cast<int>(s.size());
  }
  // Groups of four lower-case hexadecimal digits, one per unit: one group, or two for a pair.
  if (!unicode || (s.size() != 4 && s.size() != 8)) fail(ReadElementError);
  int units = static_cast<int>(s.size() / 4);
  for (int g = 0; g < units; ++g) {
    unsigned v = 0;
    for (int i = 0; i < 4; ++i) {
      int d = hexDigit(s[static_cast<size_t>(g * 4 + i)], false);
      if (d < 0) fail(ReadElementError);
      v = v * 16 + static_cast<unsigned>(d);
    }
    out[g] = static_cast<char16_t>(v);
  }
  // "0000" alone is how the writer keeps an empty candidate slot (or an empty result) in place:
  // it reads back as the empty character. A zero unit inside a pair would cut the pair.
  if (units == 1 && out[0] == 0) return 0;
  if (out[0] == 0 || (units == 2 && out[1] == 0)) fail(ReadElementError);
  return units;
}

class Reader {
 public:
  Reader(detail::ByteSource& source, const ReadOptions& options)
      : sc_(source, options.pieceLimit), progress_(options.progress) {}

  std::unique_ptr<PaperData> read();
  int line() const { return sc_.line(); }

 private:
  enum class TagEnd { Close, Empty };  // ">" or "/>"
  enum class LineRead { None, Empty, Line };

  template <size_t N, class F>
  TagEnd readAttributes(const std::u16string_view (&names)[N], bool emptyAllowed, bool skipUnknown,
                        F&& onAttribute);
  void expect(std::u16string_view endTag) {
    if (!sc_.skip() || !sc_.consume(endTag)) fail(ReadTagError);
  }
  // Skips, then consumes `startTag` when it is at the cursor.
  bool startsWith(std::u16string_view startTag) { return sc_.skip() && sc_.consume(startTag); }

  void readDeclaration();
  bool readPage();
  bool readBlock(PageData& page);
  void readTable(BlockData& block);
  void readBorder(CellData& cell);
  LineRead readLine(List<LineData>& lines);
  bool readChar(LineData& line);
  void readContent(std::u16string_view endTag, bool unicode, CharText& text, uint16_t& cc);

  Scanner sc_;
  Progress* progress_;
  std::unique_ptr<PaperData> paper_;
  std::optional<SectionCodes> sections_;
  // The candidates of the character being read; a character keeps storage for those alone.
  std::vector<Candidate> cands_;
};

// Bytes that decode to no character of the file's encoding stand in the decoded text as U+FFFD
// (neither code page 932 nor EUC-JP has that character). Taking them in would change the
// document silently, so a text holding one is refused with the line where it stands.
bool undecodable(std::u16string_view text) { return text.find(u'\uFFFD') != std::u16string_view::npos; }

template <size_t N, class F>
Reader::TagEnd Reader::readAttributes(const std::u16string_view (&names)[N], bool emptyAllowed,
                                      bool skipUnknown, F&& onAttribute) {
  for (;;) {
    if (!sc_.skip()) fail(ReadAttributeError);
    if (sc_.peek() == u'>') {
      sc_.setPos(sc_.pos() + 1);
      return TagEnd::Close;
    }
    if (emptyAllowed && sc_.consume(u"/>")) return TagEnd::Empty;
    // The name and its "=" are matched exactly, and the quoted value follows the "=" at once.
    size_t start = sc_.pos();
    size_t eq = sc_.find(u'=', start);
    int id = eq == npos ? -1 : indexOf(names, sc_.slice(start, eq));
    if (id >= 0) {
      sc_.setPos(eq + 1);
      onAttribute(id, sc_.quotedValue());
    } else if (skipUnknown) {
      size_t quote = sc_.find(u'"', start);
      if (quote == npos) fail(ReadAttributeError);
      sc_.setPos(quote);
      sc_.quotedValue();
    } else {
      fail(ReadAttributeError);
    }
  }
}

std::unique_ptr<PaperData> Reader::read() {
  readDeclaration();
  if (progress_ != nullptr) {
    progress_->setCaption("Xmlファイル読み込み中...");
    progress_->show();
    progress_->pump();
  }
  int pages = 0;
  while (readPage()) {
    if (progress_ != nullptr) {
      char caption[64];
      std::snprintf(caption, sizeof caption, "ファイル読み込み中　%d", ++pages);
      progress_->setCaption(caption);
      progress_->pump();
    }
  }
  expect(u"</paper>");
  computeMaxPageSize(*paper_);
  return std::move(paper_);
}

void Reader::readDeclaration() {
  if (!sc_.skip()) fail(ReadStructureError);
  if (!sc_.at(u"<?xml ")) fail(ReadTagError);
  // The encoding stands at or after the fourteenth unit of the piece.
  size_t name = sc_.find(u"encoding=", 13);
  if (name == npos) fail(ReadAttributeError);
  sc_.setPos(name + 9);
  std::u16string_view value = sc_.quotedValue();
  Encoding encoding;
  if (value == u"Shift_JIS")
    encoding = Encoding::ShiftJis;
  else if (value == u"EUC-JP")
    encoding = Encoding::EucJp;
  else
    fail(ReadEncodingError);
  size_t end = sc_.find(u"?>", sc_.pos());
  if (end == npos) fail(ReadTagError);
  sc_.setPos(end + 2);
  // The declaration is ASCII; what follows is in the declared encoding.
  sc_.setCodec(Codec::forEncoding(encoding));

  if (!sc_.skip()) fail(ReadStructureError);
  if (!sc_.consume(u"<paper")) fail(ReadTagError);
  size_t close = sc_.find(u'>', sc_.pos());
  if (close == npos) fail(ReadTagError);
  sc_.setPos(close + 1);

  paper_ = std::make_unique<PaperData>();
  paper_->encoding = static_cast<uint32_t>(encoding);
  sections_.emplace(*paper_);
}

bool Reader::readPage() {
  if (!startsWith(u"<page ")) return false;
  PageData& page = paper_->pages.emplace_back();
  page.width = page.height = page.dpi = -1;
  unsigned seen = 0;
  TagEnd end = readAttributes(kPageAttrs, true, true, [&](int id, std::u16string_view v) {
    seen |= bit(id);
    switch (id) {
      case PgNumber:
        page.number = detail::parseNumber(v);
        break;
      case PgFile:
        if (undecodable(v)) fail(ReadAttributeError);
        page.file.emplace(v);
        break;
      case PgFullpath:
        if (undecodable(v)) fail(ReadAttributeError);
        page.fullpath.emplace(v);
        break;
      case PgWidth:
        page.width = detail::parseNumber(v);
        break;
      case PgHeight:
        page.height = detail::parseNumber(v);
        break;
      case PgDpi:
        page.dpi = detail::parseNumber(v);
        break;
      default:
        break;
    }
  });
  if ((seen & (bit(PgNumber) | bit(PgFile))) != (bit(PgNumber) | bit(PgFile)))
    fail(ReadAttributeError);
  if (end == TagEnd::Empty) return true;

  for (;;) {
    if (readBlock(page)) continue;
    List<LineData> lines;
    LineRead got = readLine(lines);
    if (got == LineRead::None) break;
    if (got == LineRead::Empty) continue;
    // A line standing in the page is a text block of its own, in page order.
    LineData& line = lines.front();
    BlockData& block = page.blocks.emplace_back();
    block.langId = kLangJapanese;
    block.bid = -1;
    block.x = line.x;
    block.y = line.y;
    block.width = line.width;
    block.height = line.height;
    block.charCount = line.charCount;
    block.avgLineSize = static_cast<float>(line.height);
    block.lines.splice(block.lines.end(), lines);
  }
  for (BlockData& block : page.blocks) resolveBlockLineNumbers(block);

  if (!page.blocks.empty()) {
    int64_t right = INT64_MIN, bottom = INT64_MIN;
    for (const BlockData& b : page.blocks) {
      right = std::max(right, int64_t{b.x} + b.width - 1);
      bottom = std::max(bottom, int64_t{b.y} + b.height - 1);
    }
    if (page.width < 0) page.width = saturate(right);
    if (page.height < 0) page.height = saturate(bottom);
  }
  expect(u"</page>");
  return true;
}

bool Reader::readBlock(PageData& page) {
  if (!startsWith(u"<block ")) return false;
  BlockData& block = page.blocks.emplace_back();
  block.langId = kLangJapanese;
  block.bid = -1;
  unsigned seen = 0;
  TagEnd end = readAttributes(kBlockAttrs, true, false, [&](int id, std::u16string_view v) {
    seen |= bit(id);
    switch (id) {
      case BkType:
        // Each word is compared over its own length: the value only has to begin with it.
        for (int t = 0; t < 4; ++t)
          if (v.starts_with(kBlockTypes[t])) {
            block.type = t;
            break;
          }
        break;
      case BkDirection: {
        int d = indexOf(kDirections, v);
        if (d < 0) fail(ReadAttributeError);
        block.direction = static_cast<int8_t>(d);
        break;
      }
      case BkX:
        block.x = detail::parseNumber(v);
        break;
      case BkY:
        block.y = detail::parseNumber(v);
        break;
      case BkWidth:
        block.width = detail::parseNumber(v);
        break;
      case BkHeight:
        block.height = detail::parseNumber(v);
        break;
      case BkSec:
        if (undecodable(v)) fail(ReadAttributeError);
        block.sec = sections_->code(v);
        break;
      case BkLangId:
        block.langId = detail::parseNumber(v);
        break;
      case BkBid:
        block.bid = detail::parseNumber(v);
        break;
      default:
        break;  // index: not kept
    }
  });
  if (end == TagEnd::Empty) return true;
  if (block.type == BlockText && (seen & kTextBlockRequired) != kTextBlockRequired)
    fail(ReadAttributeError);

  if (block.type == BlockTable) {
    readTable(block);
  } else if (block.type != BlockImage) {
    while (readLine(block.lines) != LineRead::None) {
    }
    computeBlockAverages(block);
  }
  expect(u"</block>");
  return true;
}

void Reader::readTable(BlockData& block) {
  int64_t chars = 0;
  for (;;) {
    if (!sc_.skip() || sc_.consume(u"<CellData/>") || !sc_.consume(u"<CellData ")) break;
    CellData& cell = block.cells.emplace_back();
    unsigned seen = 0;
    TagEnd end = readAttributes(kCellAttrs, true, false, [&](int id, std::u16string_view v) {
      seen |= bit(id);
      int32_t n = detail::parseNumber(v);
      switch (id) {
        case ClX:
          cell.x = n;
          break;
        case ClY:
          cell.y = n;
          break;
        case ClWidth:
          cell.width = n;
          break;
        case ClHeight:
          cell.height = n;
          break;
        case ClRow:
          cell.row = n;
          break;
        case ClCol:
          cell.col = n;
          break;
        case ClAlign:
          cell.align = n;
          break;
        case ClValign:
          cell.valign = n;
          break;
        case ClConnectGroup:
          cell.connectGroup = n;
          break;
        default:
          break;
      }
    });
    // An empty cell tag closes the table's cells; the cell keeps what it has read.
    if (end == TagEnd::Empty) break;
    if ((seen & kCellRequired) != kCellRequired) fail(ReadAttributeError);
    if (startsWith(u"<BorderData>")) readBorder(cell);
    while (readLine(cell.lines) != LineRead::None) ++cell.lineCount;  // "<line/>" counts too
    computeCellAverages(cell, block.direction);
    expect(u"</CellData>");
    chars += cell.charCount;
  }
  block.charCount = saturate(chars);
  computeTableAverage(block);
}

void Reader::readBorder(CellData& cell) {
  unsigned sides = 0;
  for (;;) {
    // Anything but the four sides and the end tag ends the read: nothing else may stand here.
    if (!sc_.skip()) fail(ReadTagError);
    if (sc_.consume(u"</BorderData>")) break;
    int side = 0;
    while (side < 4 && !sc_.consume(kBorderSides[side])) ++side;
    if (side == 4) fail(ReadTagError);
    uint8_t style = BorderNone;
    TagEnd end = readAttributes(kBorderAttrs, true, false, [&](int id, std::u16string_view v) {
      if (id != BdStyle) return;  // color and width are not kept
      // An unknown word keeps the style of an earlier style attribute of the same side.
      int s = indexOf(kBorderStyles, v);
      if (s >= 0) style = static_cast<uint8_t>(s);
    });
    if (end != TagEnd::Empty) fail(ReadTagError);
    cell.border[static_cast<size_t>(side)] = style;
    sides |= bit(side);
  }
  if (sides != 0xF) fail(ReadAttributeError);
}

Reader::LineRead Reader::readLine(List<LineData>& lines) {
  if (!sc_.skip()) return LineRead::None;
  if (sc_.consume(u"<line/>")) return LineRead::Empty;
  if (!sc_.consume(u"<line ")) return LineRead::None;
  LineData& line = lines.emplace_back();
  unsigned seen = 0;
  TagEnd end = readAttributes(kLineAttrs, true, false, [&](int id, std::u16string_view v) {
    seen |= bit(id);
    if (id == LnAttr) {
      int a = indexOf(kLineAttrWords, v);
      if (a < 0) fail(ReadAttributeError);
      line.attr = static_cast<int16_t>(a);
      return;
    }
    int32_t n = detail::parseNumber(v);
    switch (id) {
      case LnX:
        line.x = n;
        break;
      case LnY:
        line.y = n;
        break;
      case LnWidth:
        line.width = n;
        if (line.widthOrg == 0) line.widthOrg = n;
        break;
      case LnHeight:
        line.height = n;
        if (line.heightOrg == 0) line.heightOrg = n;
        break;
      case LnWidthOrg:
        line.widthOrg = n;
        break;
      case LnHeightOrg:
        line.heightOrg = n;
        break;
      case LnLid:
        line.lid = n;
        break;
      case LnRlid:
        line.rlid = n;
        break;
      case LnRcs:
        line.rcs = n;
        break;
      case LnRce:
        line.rce = n;
        break;
      default:
        break;
    }
  });
  if (end == TagEnd::Empty) return LineRead::Line;
  if ((seen & kBoxRequired) != kBoxRequired) fail(ReadAttributeError);
  while (readChar(line)) {
  }
  expect(u"</line>");
  return LineRead::Line;
}

bool Reader::readChar(LineData& line) {
  if (!startsWith(u"<char ")) return false;
  CharData& ch = line.chars.emplace_back();
  unsigned seen = 0;
  int16_t numCand = 0;
  bool unicode = false;
  readAttributes(kCharAttrs, false, false, [&](int id, std::u16string_view v) {
    seen |= bit(id);
    if (id == ChUnicode) {
      unicode = true;  // any value
      return;
    }
    int32_t n = detail::parseNumber(v);
    switch (id) {
      case ChX:
        ch.x = n;
        break;
      case ChY:
        ch.y = n;
        break;
      case ChWidth:
        ch.width = n;
        break;
      case ChHeight:
        ch.height = n;
        break;
      case ChNumCand:
        numCand = static_cast<int16_t>(n);  // the count is held in 16 bits, then checked
        if (numCand < 0) fail(ReadAttributeError);
        break;
      case ChModRubyEmp:
        ch.modRubyEmp = n;
        break;
      case ChModRotTcy:
        if (n >= model::kOrientationCodeFirst) ch.modRotTcy = n;
        break;
      case ChChanged:
        ch.changed = n;
        break;
      case ChModified:
        if (n >= model::kOrientationCodeFirst && n <= model::kOrientationCodeLast)
          ch.modRotTcy = n;
        else
          ch.modRubyEmp = n;
        break;
      default:
        break;
    }
  });
  if ((seen & kCharRequired) != kCharRequired) fail(ReadAttributeError);
  if (sc_.skip() && sc_.consume(u"<result")) readContent(u"</result>", unicode, ch.text, ch.cc);
  // num_cand is the character's count of candidates; those the file leaves out stay empty with
  // confidence 0 and take no storage, whatever the count says.
  cands_.clear();
  for (int i = 0; i < numCand; ++i) {
    if (!startsWith(u"<cand")) break;
    Candidate& c = cands_.emplace_back();
    readContent(u"</cand>", unicode, c.text, c.cc);
  }
  ch.setCandidates(numCand, cands_.data(), cands_.size());
  expect(u"</char>");
  line.charCount += charTextLength(ch.text);
  return true;
}

void Reader::readContent(std::u16string_view endTag, bool unicode, CharText& text, uint16_t& cc) {
  int32_t confidence = kDefaultConfidence;
  readAttributes(kContentAttrs, false, false,
                 [&](int, std::u16string_view v) { confidence = detail::parseNumber(v); });
  cc = static_cast<uint16_t>(confidence);  // held in 16 bits
  // The content and the "<" of the end tag stand in one piece.
  size_t lt = sc_.find(u'<', sc_.pos());
  if (lt == npos) fail(ReadTagError);
  std::u16string_view content = sc_.slice(sc_.pos(), lt);
  if (content.empty() || content.size() > kMaxContent || undecodable(content))
    fail(ReadElementError);
  char16_t units[2] = {0, 0};
  int n = decodeContent(content, unicode, units);
  text = makeCharText(units[0], n == 2 ? units[1] : 0);
  sc_.setPos(lt);
  if (!sc_.consume(endTag)) fail(ReadTagError);
}

ReadResult run(detail::ByteSource& source, const ReadOptions& options) {
  ReadResult result;
  std::optional<Reader> reader;
  try {
    reader.emplace(source, options);
    result.paper = reader->read();
  } catch (const ReadFailure& f) {
    result.code = f.code;
  } catch (const std::exception&) {
    // Out of memory, or the conversion tables could not be built.
    result.code = ReadOtherError;
  }
  result.line = reader ? reader->line() : 0;
  return result;
}

}  // namespace

ReadResult readDocument(std::FILE* file, const ReadOptions& options) {
  if (file == nullptr) return {nullptr, ReadOtherError, 0};
  detail::ByteSource source(file);
  return run(source, options);
}

ReadResult readDocument(std::string_view bytes, const ReadOptions& options) {
  detail::ByteSource source(bytes);
  return run(source, options);
}

ReadResult readDocumentFile(const std::string& path, const ReadOptions& options) {
  int error = 0;
  std::FILE* file = model::openInputStream(path, error);
  if (file == nullptr) return {nullptr, ReadOtherError, 0, error};
  ReadResult result = readDocument(file, options);
  std::fclose(file);
  return result;
}

std::string readErrorMessage(int code, int line) {
  const char* format;
  switch (code) {
    case ReadTagError:
      format = "タグが間違っています。[%d行目]";
      break;
    case ReadAttributeError:
      format = "属性が間違っています。[%d行目]";
      break;
    case ReadEncodingError:
      return "未対応のエンコードタイプです。";
    case ReadStructureError:
      format = "データ構造が間違っています。[%d行目]";
      break;
    case ReadElementError:
      format = "要素が間違っています。[%d行目]";
      break;
    default:
      format = "何らかのエラーが起こりました。[%d行目]";
      break;
  }
  char text[128];
  std::snprintf(text, sizeof text, format, line);
  return text;
}

}  // namespace vellary::rovorirud
