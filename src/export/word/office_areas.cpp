// Text and table areas of the Office output: the character buffer with its marks, conversions
// and ruby groups, the line and cell records, and the area rectangles.
#include "export/word/office_areas.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>
#include <utility>

#include "model/codes.h"
#include "model/text.h"

namespace vellary::exporting::word {

namespace {

uint16_t rotationOf(const model::CharData& c) {
  if (c.modRotTcy == model::kTateChuYoko) return 100;
  if (c.modRotTcy == model::kSideways) return 90;
  return 0;
}

OxmlChar entry(char16_t code, uint16_t value, uint16_t rotation) {
  OxmlChar e{};
  e.code = code;
  e.value = value;
  e.unused = 0.0f;
  e.rotation = rotation;
  return e;
}

OxmlChar mark(int high, uint16_t value) {
  return entry(static_cast<char16_t>(high << 8), value, 0);
}

struct Rect {
  int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;
  void add(int64_t l, int64_t t, int64_t r, int64_t b) {
    left = std::min(left, l);
    top = std::min(top, t);
    right = std::max(right, r);
    bottom = std::max(bottom, b);
  }
};

int32_t clamp32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

void setRect(OxmlArea& record, int64_t l, int64_t t, int64_t r, int64_t b) {
  record.field[kFieldLeft] = clamp32(l);
  record.field[kFieldTop] = clamp32(t);
  record.field[kFieldRight] = clamp32(r);
  record.field[kFieldBottom] = clamp32(b);
}

// A ruby, emphasis or footnote line tied to base characters of a normal line of the block.
struct RubyGroup {
  const model::LineData* ruby = nullptr;
  const model::LineData* base = nullptr;
  int start = 0, count = 0;  // base characters (0-based index, count)
  bool inlined = false;
  int index = -1;  // in the group list passed to the library
};

class TextAreaBuilder {
 public:
  TextAreaBuilder(const model::BlockData& block, const AreaContext& context)
      : block_(block),
        context_(context),
        word_(context.kind == KindDocx),
        vertical_(block.direction == model::Vertical) {}

  TextArea build();

 private:
  void findGroups();
  void putCharacters();
  void putText(const model::CharData& c);
  void putRaw(const model::CharData& c);
  void putString(const std::u16string& s);
  void putInline(const RubyGroup& g);
  void putRecords();

  const model::BlockData& block_;
  const AreaContext& context_;
  const bool word_, vertical_;
  TextArea out_;
  std::map<const model::LineData*, std::vector<const model::CharData*>> chars_;
  std::vector<RubyGroup> groups_;
  // Word: the groups anchored at a base character, and the base characters left out of the text.
  std::map<std::pair<const model::LineData*, int>, std::vector<int>> anchors_;
  std::set<std::pair<const model::LineData*, int>> covered_;
};

TextArea TextAreaBuilder::build() {
  for (const model::LineData& l : block_.lines) {
    auto& v = chars_[&l];
    for (const model::CharData& c : l.chars) v.push_back(&c);
  }
  findGroups();
  putCharacters();
  putRecords();
  return std::move(out_);
}

void TextAreaBuilder::findGroups() {
  const OfficeOptions* o = context_.options;
  const bool inlineRuby = word_ && o != nullptr && o->rubyInline;
  for (const model::LineData& l : block_.lines) {
    if (l.attr == model::AttrNone || l.baseLine == nullptr || l.chars.empty()) continue;
    const model::LineData* base = l.baseLine;
    auto it = chars_.find(base);
    if (it == chars_.end() || base->attr != model::AttrNone) continue;  // not a line of the block
    const auto& baseChars = it->second;
    RubyGroup g;
    g.ruby = &l;
    g.base = base;
    g.start = l.rcs - 1;
    const int end = std::min<int>(l.rce, static_cast<int>(baseChars.size()));
    if (g.start < 0) continue;
    for (int i = g.start; i < end; ++i) {
      const model::CharData& c = *baseChars[static_cast<size_t>(i)];
      if (c.text[0] == u'\r' && c.text[1] == 0) break;
      ++g.count;
    }
    if (g.count == 0) continue;
    const model::CharData& first = l.chars.front();
    const bool emphasisMark = g.count == 1 && l.chars.size() == 1 && first.text[1] == 0 &&
                              (first.text[0] == u'、' || first.text[0] == u'・');
    g.inlined = inlineRuby && !emphasisMark;
    groups_.push_back(g);
  }
  for (size_t i = 0; i < groups_.size(); ++i) {
    RubyGroup& g = groups_[i];
    if (!g.inlined) {
      // The list's positions are 16-bit; a group beyond them keeps its base in the text.
      size_t units = 0;
      for (const model::CharData& c : g.ruby->chars) units += model::charTextLength(c.text);
      for (int k = 0; k < g.count; ++k)
        units += model::charTextLength(chars_[g.base][static_cast<size_t>(g.start + k)]->text);
      if ((out_.rubyChars.size() + units) * 2 > 0xFFFF) continue;
      g.index = static_cast<int>(out_.groups.size() / 4);
      const size_t rubyStart = out_.rubyChars.size();
      for (const model::CharData& c : g.ruby->chars)
        for (int k = 0; k < model::charTextLength(c.text); ++k) out_.rubyChars.push_back(c.text[k]);
      const size_t baseStart = out_.rubyChars.size();
      for (int k = 0; k < g.count; ++k) {
        const model::CharData& c = *chars_[g.base][static_cast<size_t>(g.start + k)];
        for (int u = 0; u < model::charTextLength(c.text); ++u) out_.rubyChars.push_back(c.text[u]);
      }
      out_.groups.push_back(static_cast<uint16_t>(rubyStart * 2));
      out_.groups.push_back(static_cast<uint16_t>(baseStart - rubyStart));
      out_.groups.push_back(static_cast<uint16_t>(baseStart));
      out_.groups.push_back(static_cast<uint16_t>(out_.rubyChars.size() - baseStart));
    }
    anchors_[{g.base, g.start}].push_back(static_cast<int>(i));
    for (int k = 0; k < g.count; ++k) covered_.insert({g.base, g.start + k});
  }
}

void TextAreaBuilder::putCharacters() {
  for (const model::LineData& l : block_.lines) {
    if (l.attr != model::AttrNone) continue;
    const auto& chars = chars_[&l];
    for (int i = 0; i < static_cast<int>(chars.size()); ++i) {
      const model::CharData& c = *chars[static_cast<size_t>(i)];
      if (auto a = anchors_.find({&l, i}); a != anchors_.end()) {
        for (int gi : a->second) {
          const RubyGroup& g = groups_[static_cast<size_t>(gi)];
          if (g.inlined)
            putInline(g);
          else if (g.index >= 0)
            out_.chars.push_back(mark(OXML_MARK_RUBY_ANCHOR, static_cast<uint16_t>(g.index)));
        }
      }
      if (covered_.count({&l, i}) != 0) continue;  // the anchor or the inline text stands for it
      if (c.text[0] == u'\r' && c.text[1] == 0) {
        if (word_) {
          out_.chars.push_back(mark(OXML_MARK_LINE_END, 1));
          out_.chars.push_back(entry(u'\r', 0, 0));
        }
        continue;
      }
      putText(c);
    }
    if (!word_) out_.chars.push_back(mark(OXML_MARK_LINE_END, 1));
  }
}

void TextAreaBuilder::putText(const model::CharData& c) {
  if (c.text[0] == 0) return;
  const uint16_t rotation = rotationOf(c);
  // The characters go as the user corrected them: half-width digits and letters stay half width
  // (the writer sets tate-chu-yoko groups across the column whatever their width).
  const char16_t code = c.text[0];
  out_.chars.push_back(entry(code, 0, rotation));
  if (c.text[1] != 0) out_.chars.push_back(entry(c.text[1], 0, rotation));
  if (context_.used) context_.used->add(block_, code, c.text[1]);
}

void TextAreaBuilder::putRaw(const model::CharData& c) {
  for (int k = 0; k < model::charTextLength(c.text); ++k)
    out_.chars.push_back(entry(c.text[k], 0, 0));
}

void TextAreaBuilder::putString(const std::u16string& s) {
  for (char16_t u : s) out_.chars.push_back(entry(u, 0, 0));
}

// Word with ruby inline: base start, base characters, ruby start, ruby characters, ruby end.
void TextAreaBuilder::putInline(const RubyGroup& g) {
  const OfficeOptions& o = *context_.options;
  putString(model::fromUtf8(o.rubyTarget));
  for (int k = 0; k < g.count; ++k) putText(*chars_[g.base][static_cast<size_t>(g.start + k)]);
  putString(model::fromUtf8(o.rubyOpen));
  for (const model::CharData& c : g.ruby->chars) putRaw(c);
  putString(model::fromUtf8(o.rubyClose));
}

void TextAreaBuilder::putRecords() {
  const int dpi = context_.dpi;
  Rect all;
  int lineNumber = 0;
  for (const model::LineData& l : block_.lines) {
    OxmlArea r{};
    r.field[kFieldStart] = vertical_ ? -1 : 0;
    setRect(r, l.x, l.y, int64_t{l.x} + l.width, int64_t{l.y} + l.height);
    all.add(l.x, l.y, int64_t{l.x} + l.width, int64_t{l.y} + l.height);
    r.field[kFieldNumber] = ++lineNumber;
    r.field[kFieldColumn] = -1;
    const int16_t size = static_cast<int16_t>(vertical_ ? l.width : l.height);
    const bool side = l.attr != model::AttrNone;
    r.field[kFieldSize] = side ? -size : size;
    r.field[kFieldSideLine] = side ? (vertical_ ? -1 : 1) : 0;
    out_.lines.push_back(r);
  }
  if (out_.lines.empty()) return;

  // Line size a and gap g over the normal lines.
  int64_t sizeSum = 0, gapSum = 0;
  int normal = 0;
  const model::LineData* previous = nullptr;
  size_t k = 0;
  for (const model::LineData& l : block_.lines) {
    if (out_.lines[k++].field[kFieldSize] <= 0) continue;
    sizeSum += (vertical_ ? l.width : l.height) + 1;
    if (previous != nullptr)
      gapSum += vertical_ ? int64_t{previous->x} - (int64_t{l.x} + l.width) + 1
                          : int64_t{l.y} - (int64_t{previous->y} + previous->height);
    previous = &l;
    ++normal;
  }
  const int64_t lines = static_cast<int64_t>(out_.lines.size());
  const int64_t a = normal > 0
                        ? sizeSum / normal
                        : ((vertical_ ? all.right - all.left : all.bottom - all.top) + 1) / lines;
  const int64_t g = normal >= 2 ? gapSum / (normal - 1) : a / 5;
  const int32_t fontSize = clamp32(std::llround(static_cast<double>(a) * 72.0 / dpi));
  const int32_t pitch = clamp32((g < 0 ? a : a + g) * 72 / dpi);

  Rect area = all;
  if (lines == 1 && !vertical_) {
    area.left -= a / 2;
    area.right += a / 2;
    area.top -= g / 2;
    area.bottom += g / 2;
  }
  if (g < area.top) area.top -= g;

  OxmlArea& first = out_.lines.front();
  first.field[kFieldStart] = 0;
  first.field[kFieldCount] = static_cast<int32_t>(out_.chars.size());
  first.field[kFieldSize] = -pitch;
  first.field[kFieldFontSize] = fontSize;
  first.field[kFieldDirection] = vertical_ ? 2 : 1;
  first.field[kFieldNotJapanese] = block_.langId != model::kLangJapanese ? 1 : 0;
  first.field[kFieldLangId] = block_.langId;

  if (context_.kind == KindXps) {
    out_.area = {clamp32(area.left), clamp32(area.top), clamp32(area.right), clamp32(area.bottom)};
    setRect(first, area.left, area.top, area.right, area.bottom);
    return;
  }
  // Word and PowerPoint: the area in points, moved by the content offsets; the line records are
  // moved by the same amounts and left in pixels, which is how the library reads them.
  const int32_t dx = twipsToPoints(context_.offsetX), dy = twipsToPoints(context_.offsetY);
  out_.area = {pixelsToPoints(area.left, dpi) + dx, pixelsToPoints(area.top, dpi) + dy,
               pixelsToPoints(area.right, dpi) + dx, pixelsToPoints(area.bottom, dpi) + dy};
  for (OxmlArea& r : out_.lines) {
    r.field[kFieldLeft] = clamp32(int64_t{r.field[kFieldLeft]} + dx);
    r.field[kFieldRight] = clamp32(int64_t{r.field[kFieldRight]} + dx);
    r.field[kFieldTop] = clamp32(int64_t{r.field[kFieldTop]} + dy);
    r.field[kFieldBottom] = clamp32(int64_t{r.field[kFieldBottom]} + dy);
  }
}

}  // namespace

void UsedChars::add(const model::BlockData& block, char16_t unit, char16_t low) {
  char32_t code = unit;
  if (unit >= 0xD800 && unit <= 0xDBFF && low >= 0xDC00 && low <= 0xDFFF)
    code = 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (char32_t{low} - 0xDC00);
  if (code == 0 || code == u'\r') return;
  (block.langId == model::kLangJapanese ? japanese : other).insert(code);
}

int64_t blockCharacters(const model::BlockData& block) {
  int64_t n = 0;
  if (block.type == model::BlockTable) {
    for (const model::CellData& cell : block.cells)
      for (const model::LineData& l : cell.lines) n += static_cast<int64_t>(l.chars.size());
  } else {
    for (const model::LineData& l : block.lines) n += static_cast<int64_t>(l.chars.size());
  }
  return n;
}

TextArea buildTextArea(const model::BlockData& block, const AreaContext& context) {
  return TextAreaBuilder(block, context).build();
}

bool buildTableArea(const model::BlockData& block, const AreaContext& context, TableArea& out) {
  out = TableArea{};
  struct Span {
    int minRow = INT_MAX, maxRow = 0, minCol = INT_MAX, maxCol = 0;
  };
  // Rows and columns count from 1; files that count them from 0 are shifted, so that their
  // first row and column do not land before the start of the cell array.
  int32_t rowBase = 0, colBase = 0;
  for (const model::CellData& cell : block.cells) {
    if (cell.row == 0) rowBase = 1;
    if (cell.col == 0) colBase = 1;
  }
  const auto rowOf = [&](const model::CellData& c) { return int64_t{c.row} + rowBase; };
  const auto colOf = [&](const model::CellData& c) { return int64_t{c.col} + colBase; };
  // A damaged row or column number must not make us allocate a table of millions of cells.
  constexpr int64_t kMaxSide = 1 << 16, kMaxCells = 1 << 20;
  const auto usable = [&](const model::CellData& c) {
    return rowOf(c) >= 1 && colOf(c) >= 1 && rowOf(c) <= kMaxSide && colOf(c) <= kMaxSide;
  };
  std::map<int32_t, Span> merged;
  for (const model::CellData& cell : block.cells) {
    if (!usable(cell)) continue;
    const int row = static_cast<int>(rowOf(cell)), col = static_cast<int>(colOf(cell));
    out.rows = std::max(out.rows, row);
    out.columns = std::max(out.columns, col);
    if (cell.connectGroup > 0) {
      Span& s = merged[cell.connectGroup];
      s.minRow = std::min(s.minRow, row);
      s.maxRow = std::max(s.maxRow, row);
      s.minCol = std::min(s.minCol, col);
      s.maxCol = std::max(s.maxCol, col);
    }
  }
  if (out.rows == 0 || int64_t{out.rows} * out.columns > kMaxCells) return false;
  out.cells.assign(static_cast<size_t>(out.rows) * static_cast<size_t>(out.columns), OxmlArea{});

  const int dpi = context.dpi;
  for (const model::CellData& cell : block.cells) {
    if (!usable(cell)) continue;
    const int row = static_cast<int>(rowOf(cell)), col = static_cast<int>(colOf(cell));
    OxmlArea& r = out.cells[static_cast<size_t>(row - 1) * static_cast<size_t>(out.columns) +
                            static_cast<size_t>(col - 1)];
    const int32_t group = cell.connectGroup > 0 ? cell.connectGroup : 0;
    const Span* span = group > 0 ? &merged[group] : nullptr;
    const bool topLeft = span != nullptr && row == span->minRow && col == span->minCol;
    if (span != nullptr && !topLeft && col != span->minCol) continue;  // covered, not filled
    r = OxmlArea{};
    r.field[kFieldNumber] = row;
    r.field[kFieldColumn] = col;
    r.field[kFieldSize] = cell.height > 0 ? cell.height : 400;
    r.field[kFieldWidth] = cell.width;
    r.field[kFieldDirection] = block.direction;
    if (span != nullptr && !topLeft) {
      r.field[kFieldMerged2] = -group;
      continue;
    }
    const int32_t start = static_cast<int32_t>(out.chars.size());
    int64_t heights = 0;
    for (const model::LineData& l : cell.lines) {
      heights += l.height;
      for (const model::CharData& c : l.chars) {
        out.chars.push_back(entry(c.text[0], 0, 0));
        if (context.used) context.used->add(block, c.text[0], 0);
      }
    }
    r.field[kFieldStart] = start;
    r.field[kFieldStart2] = start;
    r.field[kFieldCount] = static_cast<int32_t>(out.chars.size()) - start;
    setRect(r, cell.x, cell.y, int64_t{cell.x} + cell.width, int64_t{cell.y} + cell.height);
    const double average =
        cell.lines.empty() ? 0.0
                           : static_cast<double>(heights) / static_cast<double>(cell.lines.size());
    r.field[kFieldFontSize] = clamp32(std::llround(average * 72.0 / dpi));
    for (int side = 0; side < 4; ++side)
      r.field[kFieldBorder + side] = cell.border[static_cast<size_t>(side)];
    if (topLeft) r.field[kFieldMerged] = r.field[kFieldMerged2] = group;
  }

  const auto extent = [](int32_t size) {
    return std::min<int64_t>(static_cast<int64_t>(size * 1.01), int64_t{size} + 3);
  };
  const int32_t left = pixelsToPoints(block.x, dpi) + twipsToPoints(context.offsetX);
  const int32_t top = pixelsToPoints(block.y, dpi) + twipsToPoints(context.offsetY);
  out.area = {left, top, clamp32(left + pixelsToPoints(extent(block.width), dpi)),
              clamp32(top + pixelsToPoints(extent(block.height), dpi))};
  return true;
}

}  // namespace vellary::exporting::word
