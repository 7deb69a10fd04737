// The RovOrirUD writer: the document in the format's fixed line layout, encoded as Shift_JIS or
// EUC-JP with CR LF line ends, built in one large buffer and handed on in whole chunks.
#include "writer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <memory>
#include <string_view>
#include <vector>

#include "codec.h"
#include "model/atomic_file.h"
#include "model/image_folder.h"
#include "model/paper.h"
#include "model/text.h"
#include "reader_scanner.h"
#include "reference_table.h"

namespace vellary::rovorirud {

using model::BlockData;
using model::CellData;
using model::CharData;
using model::CharText;
using model::LineData;
using model::PageData;
using model::PaperData;

namespace {

// The reader does not look at the host; only the path names the format.
constexpr std::string_view kNamespaceUri = "http://schema.vellary.example/2005/RovOrirUD";

constexpr size_t kBufferSize = 256 * 1024;
// Asked for before each line whose length is bounded: the longest (a char start tag with eight
// 11-character numbers and the Unicode mark) is far below it. Unbounded strings (paths, section
// words) go through putString, which asks for room unit by unit.
constexpr size_t kLineRoom = 1024;

// --- Byte sinks and the output buffer -------------------------------------------------------

class Sink {
 public:
  virtual ~Sink() = default;
  virtual bool write(const char* data, size_t size) = 0;
};

class FileSink final : public Sink {
 public:
  explicit FileSink(std::FILE* file) : file_(file) {}
  bool write(const char* data, size_t size) override {
    return std::fwrite(data, 1, size, file_) == size;
  }

 private:
  std::FILE* file_;
};

class StringSink final : public Sink {
 public:
  explicit StringSink(std::string& out) : out_(out) {}
  bool write(const char* data, size_t size) override {
    out_.append(data, size);
    return true;
  }

 private:
  std::string& out_;
};

// Lines are formatted straight into the buffer through a raw cursor: room(n) yields a cursor with
// at least n free bytes behind it, commit() takes the cursor back.
class Buffer {
 public:
  explicit Buffer(Sink& sink) : sink_(sink), data_(new char[kBufferSize]) {}

  char* room(size_t n) {
    if (kBufferSize - used_ < n) flush();
    return data_.get() + used_;
  }
  void commit(char* end) { used_ = static_cast<size_t>(end - data_.get()); }
  // After the first failed write nothing more is written: a file with a hole is worse than a
  // short one, and the caller is told either way.
  void flush() {
    if (used_ > 0 && !failed_) failed_ = !sink_.write(data_.get(), used_);
    used_ = 0;
  }
  bool failed() const { return failed_; }

 private:
  Sink& sink_;
  std::unique_ptr<char[]> data_;
  size_t used_ = 0;
  bool failed_ = false;
};

// --- Formatting primitives: each writes at p and returns the new end --------------------------

template <size_t N>
char* put(char* p, const char (&text)[N]) {
  std::memcpy(p, text, N - 1);
  return p + N - 1;
}

char* put(char* p, std::string_view text) {
  std::memcpy(p, text.data(), text.size());
  return p + text.size();
}

// The enumeration words are ASCII.
char* putAscii(char* p, std::u16string_view word) {
  for (char16_t u : word) *p++ = static_cast<char>(u);
  return p;
}

char* putInt(char* p, int64_t value) {
  uint64_t magnitude = static_cast<uint64_t>(value);
  if (value < 0) {
    *p++ = '-';
    magnitude = 0 - magnitude;
  }
  char digits[20];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  while (n > 0) *p++ = digits[--n];
  return p;
}

char* putHex4(char* p, char16_t unit) {
  static constexpr char kDigits[] = "0123456789abcdef";
  p[0] = kDigits[(unit >> 12) & 0xF];
  p[1] = kDigits[(unit >> 8) & 0xF];
  p[2] = kDigits[(unit >> 4) & 0xF];
  p[3] = kDigits[unit & 0xF];
  return p + 4;
}

char* putIndent(char* p, int level) {
  std::memset(p, ' ', static_cast<size_t>(2 * level));
  return p + 2 * level;
}

// ' name="value"'
char* putAttr(char* p, std::string_view name, int64_t value) {
  *p++ = ' ';
  p = put(p, name);
  *p++ = '=';
  *p++ = '"';
  p = putInt(p, value);
  *p++ = '"';
  return p;
}

char* putWordAttr(char* p, std::string_view name, std::u16string_view word) {
  *p++ = ' ';
  p = put(p, name);
  *p++ = '=';
  *p++ = '"';
  p = putAscii(p, word);
  *p++ = '"';
  return p;
}

constexpr char kLineEnd[] = "\r\n";

// --- How a unit can stand in a result or cand content --------------------------------------

// For every UTF-16 unit: not writable in character form (0), written as its bytes in the output
// encoding (1), or written as its reference (2 + index into references). A reference is ASCII, so
// a unit that has one is writable in either encoding. Unit 0 is an empty text: the reader refuses
// an empty content, so it is never writable in character form.
class UnitForms {
 public:
  static constexpr uint8_t kNotWritable = 0;
  static constexpr uint8_t kLiteral = 1;
  static constexpr uint8_t kFirstReference = 2;

  explicit UnitForms(const Codec& codec) {
    for (uint32_t u = 1; u <= 0xFFFF; ++u) {
      const auto unit = static_cast<char16_t>(u);
      std::u16string_view reference = referenceOfCharacter(unit);
      if (!reference.empty() && references_.size() < 0xFF - kFirstReference) {
        forms_[u] = static_cast<uint8_t>(kFirstReference + references_.size());
        references_.emplace_back(reference.begin(), reference.end());
      } else if (codec.representable(unit)) {
        forms_[u] = kLiteral;
      }
    }
  }

  static const UnitForms& forEncoding(Encoding e) {
    if (e == Encoding::EucJp) {
      static const UnitForms euc(Codec::eucJp());
      return euc;
    }
    static const UnitForms sjis(Codec::cp932());
    return sjis;
  }

  bool writable(char16_t unit) const { return forms_[unit] != kNotWritable; }
  uint8_t form(char16_t unit) const { return forms_[unit]; }
  const std::string& reference(uint8_t form) const { return references_[form - kFirstReference]; }

 private:
  std::array<uint8_t, 0x10000> forms_{};
  std::vector<std::string> references_;
};

using Box = CharBox;

int64_t clampTo32(int64_t v) {
  return std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                             std::numeric_limits<int32_t>::max());
}

// --- The writer --------------------------------------------------------------------------------

class DocumentWriter {
 public:
  DocumentWriter(PaperData& paper, Sink& sink, const WriteOptions& options)
      : paper_(paper),
        options_(options),
        // A document made in memory has no encoding yet: it gets the format's usual one.
        encoding_((options.encoding != 0 ? options.encoding : paper.encoding) == 2
                      ? Encoding::EucJp
                      : Encoding::ShiftJis),
        codec_(Codec::forEncoding(encoding_)),
        forms_(UnitForms::forEncoding(encoding_)),
        out_(sink) {}

  // True when every byte reached the sink and nothing was refused.
  bool write();
  // Why the document cannot be written in the format, or empty.
  const std::string& refusal() const { return refusal_; }

 private:
  void writePage(PageData& page, int index, int number);
  void writeBlock(BlockData& block, int pageIndex, int blockIndex);
  void writeCell(CellData& cell, const BlockData& table);
  void writeLine(const LineData& line, int level, const BlockData& block, bool estimate);
  void writeChar(const CharData& c, const Box& box, int level, bool japanese);
  char* putContent(char* p, const CharText& text, bool hex) const;
  // ' name="value"' for a string value that may hold any character and be of any length.
  void putString(std::string_view name, std::u16string_view value);
  bool stringWritable(std::u16string_view value) const;
  void line(int level, std::string_view text);

  PaperData& paper_;
  const WriteOptions& options_;
  const Encoding encoding_;
  const Codec& codec_;
  const UnitForms& forms_;
  Buffer out_;
  std::string refusal_;
};

// The reader takes a document in pieces of at most this many decoded units, each ending at a
// line feed or at that limit, and no token may straddle two pieces: a written line longer than
// this must break between its attributes, and an attribute longer than it cannot be written.
constexpr size_t kMaxLineUnits = detail::Scanner::kMaxPiece;

// Units of ' name="value"' as the reader sees it: one per unit of the value (an unrepresentable
// unit is written as one '?').
size_t attributeUnits(std::string_view name, std::u16string_view value) {
  return name.size() + 4 + value.size();
}

std::string tooLong(int pageIndex, const char* what, size_t units, size_t limit) {
  char text[256];
  std::snprintf(text, sizeof text,
                "%d ページ目の%sが長すぎて保存できません（%zu 文字。1 行に書けるのは %zu 文字まで）",
                pageIndex + 1, what, units, limit);
  return text;
}

bool DocumentWriter::write() {
  char* p = out_.room(kLineRoom);
  p = put(p, encoding_ == Encoding::EucJp ? "<?xml version=\"1.0\" encoding=\"EUC-JP\" ?>"
                                          : "<?xml version=\"1.0\" encoding=\"Shift_JIS\" ?>");
  p = put(p, kLineEnd);
  p = put(p, "<paper xmlns=\"");
  p = put(p, kNamespaceUri);
  p = put(p, "\">");
  p = put(p, kLineEnd);
  out_.commit(p);

  int index = 0, written = 0;
  for (PageData& page : paper_.pages) {
    const int i = index++;
    if (options_.firstPage >= 0 && i < options_.firstPage) continue;
    if (options_.lastPage >= 0 && i > options_.lastPage) break;
    writePage(page, i, ++written);
    if (out_.failed() || !refusal_.empty()) return false;
  }
  line(0, "</paper>");
  out_.flush();
  return !out_.failed();
}

void DocumentWriter::line(int level, std::string_view text) {
  char* p = out_.room(kLineRoom);
  p = putIndent(p, level);
  p = put(p, text);
  p = put(p, kLineEnd);
  out_.commit(p);
}

bool DocumentWriter::stringWritable(std::u16string_view value) const {
  return std::all_of(value.begin(), value.end(), [this](char16_t u) {
    return u != u'"' && u != u'\r' && u != u'\n' && codec_.representable(u);
  });
}

void DocumentWriter::putString(std::string_view name, std::u16string_view value) {
  char* p = out_.room(kLineRoom);
  *p++ = ' ';
  p = put(p, name);
  p = put(p, "=\"");
  for (char16_t u : value) {
    out_.commit(p);
    p = out_.room(8);
    // Attribute values are taken literally by the reader and cannot hold a quote or a line end;
    // such a unit, or one the encoding lacks, cannot be stored and becomes '?'.
    int n = (u == u'"' || u == u'\r' || u == u'\n') ? 0 : codec_.encodeOne(u, p);
    if (n == 0) {
      *p = '?';
      n = 1;
    }
    p += n;
  }
  out_.commit(p);
  p = out_.room(8);
  *p++ = '"';
  out_.commit(p);
}

void DocumentWriter::writePage(PageData& page, int index, int number) {
  // A picture no longer where its fullpath says but found in the folder named like the document
  // is recorded where it is.
  if (options_.documentPath && page.fullpath) {
    bool moved = false;
    const std::string found = model::findPageImage(page, *options_.documentPath, &moved);
    std::u16string repaired = moved ? model::fromUtf8(found) : std::u16string();
    // A path the output encoding cannot hold would reach the file damaged; the model then keeps
    // the old path too, so that the two never disagree.
    if (moved && stringWritable(repaired)) page.fullpath = std::move(repaired);
  }
  // The reader requires file; a page made in memory without one still has to read back.
  const std::u16string_view file = page.file ? std::u16string_view(*page.file) : u"";
  const size_t fileUnits = attributeUnits("file", file);
  const size_t fullUnits = page.fullpath ? attributeUnits("fullpath", *page.fullpath) : 0;

  char* p = out_.room(kLineRoom);
  char* const start = p;
  p = putIndent(p, 1);
  p = put(p, "<page");
  p = putAttr(p, "number", number);
  p = putAttr(p, "dpi", page.dpi);
  p = putAttr(p, "height", page.height);
  p = putAttr(p, "width", page.width);
  // Long image paths: each attribute on a line of its own, and ">" on the last.
  const bool split = static_cast<size_t>(p - start) + fileUnits + fullUnits + 1 > kMaxLineUnits;
  if (split && (fileUnits > kMaxLineUnits || fullUnits > kMaxLineUnits)) {
    const bool fileTooLong = fileUnits > kMaxLineUnits;
    refusal_ = tooLong(index, fileTooLong ? "画像ファイル名（file）" : "画像パス（fullpath）",
                       fileTooLong ? file.size() : page.fullpath->size(),
                       kMaxLineUnits - attributeUnits(fileTooLong ? "file" : "fullpath", u""));
    out_.commit(p);
    return;
  }
  if (split) p = put(p, kLineEnd);
  out_.commit(p);
  putString("file", file);
  if (page.fullpath) {
    if (split) line(0, "");
    putString("fullpath", *page.fullpath);
  }
  if (split) line(0, "");
  p = out_.room(kLineRoom);
  p = put(p, ">");
  p = put(p, kLineEnd);
  out_.commit(p);

  int blockIndex = 0;
  for (BlockData& block : page.blocks) {
    writeBlock(block, index, blockIndex++);
    if (!refusal_.empty()) return;
  }
  line(1, "</page>");
}

void DocumentWriter::writeBlock(BlockData& block, int pageIndex, int blockIndex) {
  if (block.type < model::BlockText || block.type > model::BlockLine) block.type = model::BlockText;

  char* p = out_.room(kLineRoom);
  char* const start = p;
  p = putIndent(p, 2);
  p = put(p, "<block");
  p = putWordAttr(p, "type", model::blockTypeWord(block.type));
  if (block.type == model::BlockText || block.type == model::BlockTable)
    p = putWordAttr(p, "direction", model::directionWord(block.direction));
  p = putAttr(p, "x", block.x);
  p = putAttr(p, "y", block.y);
  p = putAttr(p, "width", block.width);
  p = putAttr(p, "height", block.height);
  if (block.type == model::BlockImage) {
    // No line end: the next start tag follows on the same line.
    p = put(p, "/>");
    out_.commit(p);
    return;
  }
  const std::u16string_view sec = model::sectionWord(paper_, block.sec);
  const size_t secUnits = attributeUnits("sec", sec);
  // The longest rest: ' langId="-2147483648" BID="-2147483648">'.
  constexpr size_t kRestUnits = 40;
  const bool split = static_cast<size_t>(p - start) + secUnits + kRestUnits > kMaxLineUnits;
  if (split && secUnits > kMaxLineUnits) {
    char what[64];
    std::snprintf(what, sizeof what, " %d 番目のブロックの区分名（sec）", blockIndex + 1);
    refusal_ = tooLong(pageIndex, what, sec.size(), kMaxLineUnits - attributeUnits("sec", u""));
    out_.commit(p);
    return;
  }
  if (split) p = put(p, kLineEnd);
  out_.commit(p);
  putString("sec", sec);
  if (split) line(0, "");
  p = out_.room(kLineRoom);
  p = putAttr(p, "langId", block.langId);
  p = putAttr(p, "BID", block.bid);
  p = put(p, ">");
  p = put(p, kLineEnd);
  out_.commit(p);

  if (block.type == model::BlockTable) {
    for (CellData& cell : block.cells) writeCell(cell, block);
  } else {
    model::assignLineNumbers(block.lines);
    for (const LineData& l : block.lines) writeLine(l, 3, block, true);
  }
  line(2, "</block>");
}

void DocumentWriter::writeCell(CellData& cell, const BlockData& table) {
  char* p = out_.room(kLineRoom);
  p = putIndent(p, 3);
  p = put(p, "<CellData");
  p = putAttr(p, "x", cell.x);
  p = putAttr(p, "y", cell.y);
  p = putAttr(p, "width", cell.width);
  p = putAttr(p, "height", cell.height);
  p = putAttr(p, "row", cell.row);
  p = putAttr(p, "col", cell.col);
  p = putAttr(p, "align", cell.align);
  p = putAttr(p, "valign", cell.valign);
  p = putAttr(p, "connectGroup", cell.connectGroup);
  p = put(p, ">");
  p = put(p, kLineEnd);
  p = putIndent(p, 4);
  p = put(p, "<BorderData>");
  p = put(p, kLineEnd);
  static constexpr std::string_view kSides[] = {"<Left", "<Top", "<Right", "<Bottom"};
  for (int side = 0; side < 4; ++side) {
    p = putIndent(p, 5);
    p = put(p, kSides[side]);
    p = putWordAttr(p, "style", model::borderStyleWord(cell.border[side]));
    p = put(p, "/>");
    p = put(p, kLineEnd);
  }
  p = putIndent(p, 4);
  p = put(p, "</BorderData>");
  p = put(p, kLineEnd);
  out_.commit(p);

  model::assignLineNumbers(cell.lines);
  // Characters in cells keep their stored box: a typed one has no line geometry to go by.
  for (const LineData& l : cell.lines) writeLine(l, 4, table, false);
  line(3, "</CellData>");
}

void DocumentWriter::writeLine(const LineData& l, int level, const BlockData& block,
                               bool estimate) {
  const bool sideLine = l.attr >= model::AttrRuby && l.attr <= model::AttrFootnote;
  char* p = out_.room(kLineRoom);
  p = putIndent(p, level);
  p = put(p, "<line");
  p = putAttr(p, "x", l.x);
  p = putAttr(p, "y", l.y);
  p = putAttr(p, "width", l.width);
  p = putAttr(p, "height", l.height);
  p = putAttr(p, "widthOrg", l.widthOrg);
  p = putAttr(p, "heightOrg", l.heightOrg);
  p = putWordAttr(p, "attr", model::lineAttrWord(l.attr));
  if (l.lid > 0) p = putAttr(p, "LID", l.lid);
  if (sideLine && l.rlid > 0) {
    p = putAttr(p, "RLID", l.rlid);
    p = putAttr(p, "RCS", l.rcs);
    p = putAttr(p, "RCE", l.rce);
  }
  p = put(p, ">");
  p = put(p, kLineEnd);
  out_.commit(p);

  const bool japanese = block.langId == model::kLangJapanese;
  const bool vertical = block.direction == model::Vertical;
  // charCount can be stale or 0 after editing; the estimate must not divide by it then.
  const int64_t count =
      l.charCount > 0 ? l.charCount : std::max<int64_t>(1, static_cast<int64_t>(l.chars.size()));
  int64_t position = 0;
  for (const CharData& c : l.chars) {
    const bool typed = c.x < 0 || c.y < 0;
    const Box box = estimate && typed ? estimatedCharBox(l, position, count, vertical)
                                      : Box{c.x, c.y, c.width, c.height};
    writeChar(c, box, level + 1, japanese);
    ++position;
  }
  line(level, "</line>");
}

// A content in hexadecimal: four digits per unit; an empty text is the single unit 0, which the
// reader takes back as an empty text (an empty content would be refused).
char* putHexText(char* p, const CharText& text) {
  p = putHex4(p, text[0]);
  if (text[0] != 0 && text[1] != 0) p = putHex4(p, text[1]);
  return p;
}

char* DocumentWriter::putContent(char* p, const CharText& text, bool hex) const {
  if (hex) return putHexText(p, text);
  const uint8_t form = forms_.form(text[0]);
  if (form == UnitForms::kLiteral) return p + codec_.encodeOne(text[0], p);
  return put(p, forms_.reference(form));
}

void DocumentWriter::writeChar(const CharData& c, const Box& box, int level, bool japanese) {
  const char16_t u1 = c.text[0];
  const char16_t u2 = u1 != 0 ? c.text[1] : 0;
  const int candCount = c.numCand();

  // The reader refuses an empty content but leaves a character without result empty with
  // confidence 10, and the candidates for which no cand element follows empty with confidence
  // 0. Such empty texts are left out, which every reader of the format takes back as they were;
  // only an empty text that omission cannot restore is written in hexadecimal, as unit 0.
  const bool resultElement = u1 != 0 || c.cc != model::kDefaultConfidence;
  int candElements = std::min<int>(candCount, c.storedCandidates());
  while (candElements > 0 && c.candText(candElements - 1)[0] == 0 &&
         c.candCC(candElements - 1) == 0)
    --candElements;

  // Candidates are written in character form in a Japanese block unless one of them cannot be:
  // then all of them go in hexadecimal, which needs the Unicode mark.
  bool candHex = !japanese;
  for (int i = 0; i < candElements && !candHex; ++i) {
    const CharText& t = c.candText(i);
    candHex = t[1] != 0 || !forms_.writable(t[0]);
  }
  int mark = 0;
  if (u2 != 0)
    mark = 2;
  else if (candHex || (resultElement && (!forms_.writable(u1) || (u1 >= 0x81 && u1 <= 0x390))))
    mark = 1;

  char* p = out_.room(kLineRoom);
  p = putIndent(p, level);
  p = put(p, "<char");
  p = putAttr(p, "x", box.x);
  p = putAttr(p, "y", box.y);
  p = putAttr(p, "width", box.width);
  p = putAttr(p, "height", box.height);
  p = putAttr(p, "num_cand", candCount);
  p = putAttr(p, "modRubyEmp", c.modRubyEmp);
  p = putAttr(p, "modRotTcy", c.modRotTcy);
  p = putAttr(p, "changed", c.changed);
  if (mark != 0) {
    p = put(p, "  Unicode=\"");
    *p++ = static_cast<char>('0' + mark);
    *p++ = '"';
  }
  p = put(p, ">");
  p = put(p, kLineEnd);
  if (resultElement) {
    p = putIndent(p, level + 1);
    p = put(p, "<result CC=\"");
    p = putInt(p, c.cc);
    p = put(p, "\">");
    p = putContent(p, c.text, mark != 0);
    p = put(p, "</result>");
    p = put(p, kLineEnd);
  }
  out_.commit(p);

  for (int i = 0; i < candElements; ++i) {
    p = out_.room(kLineRoom);
    p = putIndent(p, level + 1);
    p = put(p, "<cand CC=\"");
    p = putInt(p, c.candCC(i));
    p = put(p, "\">");
    p = putContent(p, c.candText(i), candHex);
    p = put(p, "</cand>");
    p = put(p, kLineEnd);
    out_.commit(p);
  }
  line(level, "</char>");
}

}  // namespace

int writeDocument(PaperData& paper, std::FILE* file, const WriteOptions& options,
                  std::string* refusal) {
  if (file == nullptr) return WriteFailed;
  FileSink sink(file);
  DocumentWriter writer(paper, sink, options);
  const bool ok = writer.write();
  if (!writer.refusal().empty()) {
    if (refusal) *refusal = writer.refusal();
    return WriteRefused;
  }
  // A full disk often shows only when the C library hands its own buffer on.
  if (std::fflush(file) != 0 || std::ferror(file) != 0 || !ok) return WriteFailed;
  return WriteOk;
}

int writeDocumentFile(PaperData& paper, const std::string& path, const WriteOptions& options,
                      std::string* error) {
  bool opened = false;
  std::string why, refusal;
  bool ok = model::replaceFile(
      path,
      [&](std::FILE* file) {
        opened = true;
        return writeDocument(paper, file, options, &refusal) == WriteOk;
      },
      why, options.privateFile ? model::FileMode::Private : model::FileMode::Ordinary);
  if (!refusal.empty()) {
    if (error) *error = refusal;
    return WriteRefused;
  }
  if (error) *error = why;
  if (ok) return WriteOk;
  return opened ? WriteFailed : WriteOpenFailed;
}

std::string writeDocumentToString(PaperData& paper, const WriteOptions& options,
                                  std::string* refusal) {
  std::string out;
  StringSink sink(out);
  DocumentWriter writer(paper, sink, options);
  writer.write();
  if (!writer.refusal().empty()) {
    if (refusal) *refusal = writer.refusal();
    out.clear();
  }
  return out;
}

CharBox estimatedCharBox(const LineData& line, int64_t position, int64_t count, bool vertical) {
  const int64_t lx = line.x, ly = line.y, lw = line.width, lh = line.height;
  if (count < 1) count = 1;
  // Integer division truncates toward zero, as the products of the estimate are truncated.
  if (vertical) {
    const int64_t step = lh / count;
    return {clampTo32(lx + lw / 10), clampTo32(ly + position * step), clampTo32(lw * 8 / 10),
            clampTo32(step * 8 / 10)};
  }
  const int64_t step = lw / count;
  return {clampTo32(lx + position * step), clampTo32(ly + lh / 10), clampTo32(step * 8 / 10),
          clampTo32(lh * 8 / 10)};
}

}  // namespace vellary::rovorirud
