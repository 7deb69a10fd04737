// The library's entry points: the page state machine and the validation of every record the
// program passes. A call whose arguments are missing, negative or point outside the buffers it
// came with is ignored as a whole; nothing is read beyond a buffer.
#include "oxmlgen/oxmlgen.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "oxmlgen/document.h"
#include "oxmlgen/image_file.h"
#include "oxmlgen/text_codec.h"
#include "oxmlgen/writers.h"

namespace oxmlgen {
namespace {

// Bounds that no real page reaches; larger counts are taken as garbage.
constexpr int32_t kMaxLines = 100000;
constexpr int32_t kMaxChars = 16 << 20;
constexpr int32_t kMaxCells = 1 << 20;
constexpr size_t kMaxName = 1024;
constexpr size_t kMaxPath = 4096;

Document& doc() {
  static Document d;
  return d;
}

// Coordinates far beyond any page are cut back, so that no later arithmetic can overflow.
constexpr int32_t kMaxCoordinate = 10000000;
int32_t coordinate(int32_t v) { return std::clamp(v, -kMaxCoordinate, kMaxCoordinate); }
// Rectangles come back with their edges in order, so that no size is negative.
Rect rectOf(int32_t l, int32_t t, int32_t r, int32_t b) {
  return {coordinate(std::min(l, r)), coordinate(std::min(t, b)), coordinate(std::max(l, r)),
          coordinate(std::max(t, b))};
}
Rect rectOf(const OxmlArea& a) { return rectOf(a.field[3], a.field[4], a.field[5], a.field[6]); }

OxmlChar entryAt(const OxmlChar* chars, int32_t i) {
  OxmlChar c;
  std::memcpy(&c, reinterpret_cast<const unsigned char*>(chars) + sizeof(OxmlChar) * i, sizeof c);
  return c;
}

bool isMark(const OxmlChar& c, int high) { return (c.code & 0xFF) == 0 && (c.code >> 8) == high; }

int rotationOf(uint16_t r) { return r == 90 || r == 100 ? r : 0; }

// Pairs surrogates; a lone one becomes U+FFFD.
char32_t joinUnits(const OxmlChar* chars, int32_t count, int32_t& i) {
  uint16_t u = entryAt(chars, i).code;
  if (u >= 0xD800 && u <= 0xDBFF && i + 1 < count) {
    uint16_t low = entryAt(chars, i + 1).code;
    if (low >= 0xDC00 && low <= 0xDFFF) {
      ++i;
      return 0x10000 + ((char32_t(u) - 0xD800) << 10) + (low - 0xDC00);
    }
  }
  if (u >= 0xD800 && u <= 0xDFFF) return 0xFFFD;
  return u;
}

// Splits the character buffer of a text area into paragraphs at line-end marks. A U+000D right
// after a mark is the paragraph's own terminator and adds nothing; one elsewhere also ends a
// paragraph. False when a ruby anchor names a group that does not exist.
bool splitParagraphs(const OxmlChar* chars, int32_t count, int32_t groups,
                     std::vector<Paragraph>& out) {
  Paragraph current;
  bool afterMark = false;
  for (int32_t i = 0; i < count; ++i) {
    OxmlChar c = entryAt(chars, i);
    if (isMark(c, OXML_MARK_LINE_END)) {
      out.push_back(std::move(current));
      current.clear();
      afterMark = true;
      continue;
    }
    bool wasAfterMark = afterMark;
    afterMark = false;
    if (isMark(c, OXML_MARK_RUBY_ANCHOR)) {
      if (c.value >= groups) return false;
      current.push_back({0, 0, c.value});
      continue;
    }
    if (c.code == 0x000D) {
      if (!wasAfterMark) {
        out.push_back(std::move(current));
        current.clear();
      }
      continue;
    }
    char32_t code = joinUnits(chars, count, i);
    if (code < 0x20 && code != '\t') continue;
    current.push_back({code, rotationOf(c.rotation), -1});
  }
  if (!current.empty()) out.push_back(std::move(current));
  return true;
}

bool readRubyGroups(const uint16_t* groups, int32_t groupCount, const uint16_t* rubyChars,
                    int32_t rubyCharCount, std::vector<RubyGroup>& out) {
  auto units = [&](size_t first, size_t n) {
    std::u32string s;
    for (size_t k = first; k < first + n; ++k) {
      char16_t u = rubyChars[k];
      if (u >= 0xD800 && u <= 0xDBFF && k + 1 < first + n && rubyChars[k + 1] >= 0xDC00 &&
          rubyChars[k + 1] <= 0xDFFF) {
        s += 0x10000 + ((char32_t(u) - 0xD800) << 10) + (rubyChars[k + 1] - 0xDC00);
        ++k;
      } else {
        s += (u >= 0xD800 && u <= 0xDFFF) ? char32_t(0xFFFD) : char32_t(u);
      }
    }
    return s;
  };
  for (int32_t g = 0; g < groupCount; ++g) {
    const uint16_t* v = groups + 4 * static_cast<size_t>(g);
    size_t byteOffset = v[0], rubyCount = v[1], baseFirst = v[2], baseCount = v[3];
    // The ruby start is a byte offset into a list of 16-bit units.
    if (byteOffset % 2 != 0) return false;
    size_t rubyFirst = byteOffset / 2;
    if (rubyFirst + rubyCount > static_cast<size_t>(rubyCharCount) ||
        baseFirst + baseCount > static_cast<size_t>(rubyCharCount))
      return false;
    out.push_back({units(rubyFirst, rubyCount), units(baseFirst, baseCount)});
  }
  return true;
}

void closePage() {
  Document& d = doc();
  if (d.current.hasContent()) d.pages.push_back(std::move(d.current));
  d.current = Page();
}

}  // namespace
}  // namespace oxmlgen

using namespace oxmlgen;

extern "C" {

void initDocxData(void) { doc() = Document(); }

void setDocumentInfo(const char* title, const char* subject, const char* author,
                     const char* keywords) {
  DocumentInfo& info = doc().info;
  info.title = boundedString(title, -1, kMaxPath);
  info.subject = boundedString(subject, -1, kMaxPath);
  info.author = boundedString(author, -1, kMaxPath);
  info.keywords = boundedString(keywords, -1, kMaxPath);
}

void addPage(uint16_t width, uint16_t height, uint16_t dpi, OxmlRect margins, int32_t offsetX,
             int32_t offsetY, const char* eastAsianFont, const char* latinFont, int32_t charset) {
  if (width == 0 || height == 0 || dpi == 0) return;
  Document& d = doc();
  // A page started without a break before it ends the page before, unless that one is a page of
  // pictures and rules that this call completes.
  if (d.current.setup) closePage();
  PageSetup s;
  s.width = width;
  s.height = height;
  s.dpi = dpi;
  s.margins = rectOf(margins.left, margins.top, margins.right, margins.bottom);
  s.offsetX = coordinate(offsetX);
  s.offsetY = coordinate(offsetY);
  s.eastAsianFont = boundedString(eastAsianFont, -1, kMaxName);
  s.latinFont = boundedString(latinFont, -1, kMaxName);
  s.charset = charset;
  d.current.setup = std::move(s);
}

void addTextArea(const OxmlRect* area, const OxmlArea* lines, int32_t lineCount,
                 const OxmlChar* chars, int32_t charCount, const uint16_t* rubyGroups,
                 int32_t groupCount, const uint16_t* rubyChars, int32_t rubyCharCount) {
  if (area == nullptr || lines == nullptr || lineCount <= 0 || lineCount > kMaxLines) return;
  if (charCount < 0 || charCount > kMaxChars || (charCount > 0 && chars == nullptr)) return;
  if (groupCount < 0 || groupCount > kMaxChars || rubyCharCount < 0 || rubyCharCount > kMaxChars)
    return;
  if (groupCount > 0 && (rubyGroups == nullptr || rubyChars == nullptr)) return;

  TextArea t;
  t.area = rectOf(area->left, area->top, area->right, area->bottom);
  if (!readRubyGroups(rubyGroups, groupCount, rubyChars, rubyCharCount, t.rubies)) return;
  if (!splitParagraphs(chars, charCount, groupCount, t.paragraphs)) return;
  const OxmlArea& first = lines[0];
  for (int32_t i = 0; i < lineCount; ++i) {
    // Field 100 marks ruby, emphasis and footnote lines; field 36 is negated for them too.
    bool normal = lines[i].field[25] == 0 && (i == 0 || lines[i].field[9] >= 0);
    t.lines.push_back({rectOf(lines[i]), normal});
  }
  t.vertical = first.field[12] == 2 || (first.field[12] != 1 && first.field[0] == -1);
  t.fontPt = first.field[11] > 0 && first.field[11] < 2000 ? first.field[11] : 0;
  t.pitchPt = first.field[9] < 0 && first.field[9] > -4000 ? -first.field[9] : 0;
  t.langId = first.field[14];
  if (first.field[13] == 0 && t.langId == 0) t.langId = 128;
  t.order = doc().current.areas++;
  doc().current.texts.push_back(std::move(t));
}

void addTableArea(const OxmlRect* area, const OxmlArea* cells, int32_t cellCount, int32_t rows,
                  int32_t columns, const OxmlChar* chars, int32_t charCount) {
  if (area == nullptr || cells == nullptr || rows <= 0 || columns <= 0) return;
  if (cellCount <= 0 || cellCount > kMaxCells || rows > kMaxCells || columns > kMaxCells) return;
  if (static_cast<int64_t>(rows) * columns > cellCount) return;
  if (charCount < 0 || charCount > kMaxChars || (charCount > 0 && chars == nullptr)) return;

  Table t;
  t.area = rectOf(area->left, area->top, area->right, area->bottom);
  t.rows = rows;
  t.columns = columns;
  for (int32_t i = 0; i < rows * columns; ++i) {
    const OxmlArea& r = cells[i];
    Cell c;
    c.filled = r.field[7] > 0 || r.field[8] > 0;
    c.row = r.field[7];
    c.col = r.field[8];
    c.rect = rectOf(r);
    c.heightPx = r.field[9];
    c.widthPx = r.field[10];
    c.fontPt = r.field[11] > 0 && r.field[11] < 2000 ? r.field[11] : 0;
    c.vertical = r.field[12] != 0;
    for (int k = 0; k < 4; ++k) {
      int style = r.field[16 + k];
      c.border[k] = style >= 0 && style <= 3 ? style : 1;
    }
    c.mergeTop = r.field[21];
    c.mergeCol = r.field[22];
    int64_t start = r.field[0] != 0 ? r.field[0] : r.field[1];
    int64_t count = r.field[2];
    if (count != 0) {
      if (start < 0 || count < 0 || start + count > charCount) return;
      for (int32_t k = static_cast<int32_t>(start); k < start + count; ++k) {
        OxmlChar e = entryAt(chars, k);
        if (isMark(e, OXML_MARK_LINE_END) || e.code == 0x000D) {
          c.text += U'\n';
        } else if (!isMark(e, OXML_MARK_RUBY_ANCHOR) && e.code >= 0x20) {
          c.text += (e.code >= 0xD800 && e.code <= 0xDFFF) ? char32_t(0xFFFD) : char32_t(e.code);
        }
      }
    }
    t.cells.push_back(std::move(c));
  }
  t.order = doc().current.areas++;
  doc().current.tables.push_back(std::move(t));
}

void addImageArea(const OxmlArea* picture, const char* basePath, int32_t type) {
  Document& d = doc();
  // The program numbers its files once per call, whatever becomes of the call here.
  int number = d.pictureNumber++;
  if (picture == nullptr || basePath == nullptr) return;
  if (type != OXML_PICTURE_JPEG && type != OXML_PICTURE_PNG) return;
  Picture p;
  p.rect = rectOf(*picture);
  p.heightPx = picture->field[9];
  p.widthPx = picture->field[10];
  if (p.rect.empty()) return;
  std::string path = boundedString(basePath, -1, kMaxPath) + std::to_string(number) +
                     (type == OXML_PICTURE_PNG ? ".png" : ".jpg");
  if (!loadPictureFile(path, type == OXML_PICTURE_PNG, p)) return;
  d.current.pictures.push_back(std::move(p));
}

void addLineArea(const OxmlArea* rule) {
  if (rule == nullptr) return;
  Rule r;
  r.rect = rectOf(*rule);
  int orientation = rule->field[12];
  r.horizontal = orientation == 1 || (orientation != 2 && r.rect.width() >= r.rect.height());
  if (r.horizontal ? r.rect.width() == 0 : r.rect.height() == 0) return;
  doc().current.rules.push_back(r);
}

void addPageBreak(void) {
  Document& d = doc();
  // A break after nothing at all still stands for a page of the source: keep it blank.
  if (!d.current.hasContent()) {
    d.pages.emplace_back();
    return;
  }
  closePage();
}

// The more-than-five-pages flag and the two reserved arguments change nothing in the files
// written here; the PowerPoint template folder is not needed either (pptx_writer.cpp).
int32_t createDocX(const char* fileName, int32_t fileNameLength, int32_t columnOption,
                   int32_t /*moreThanFivePages*/, int32_t, int32_t) {
  std::string path = boundedString(fileName, fileNameLength, kMaxPath);
  closePage();
  return writeDocx(doc(), path, columnOption == 2);
}

int32_t createPPTX(const char* fileName, int32_t fileNameLength, int32_t /*columnOption*/,
                   int32_t /*moreThanFivePages*/, int32_t, int32_t,
                   const char* /*templateFolder*/) {
  std::string path = boundedString(fileName, fileNameLength, kMaxPath);
  closePage();
  return writePptx(doc(), path);
}

int32_t createXPS(const char* fileName, int32_t fileNameLength, int32_t /*columnOption*/,
                  int32_t /*moreThanFivePages*/, int32_t, int32_t) {
  std::string path = boundedString(fileName, fileNameLength, kMaxPath);
  closePage();
  return writeXps(doc(), path);
}

void addXPSFontSubset(int32_t charset, const char* fileName, int32_t fileNameLength) {
  if (fileName == nullptr || (charset != 128 && charset != 0)) return;
  std::string path = boundedString(fileName, fileNameLength, kMaxPath);
  if (!path.empty()) doc().xpsFonts[charset] = path;
}

}  // extern "C"
