// The caret's character and place, for the status bar.
#include "caret_status.h"

#include <unicode/utf16.h>

#include <cstdio>

#include "model/text.h"
#include "reject_nav.h"

namespace vellary::editing {

namespace {

// A lone surrogate comes back as itself.
char32_t codePointOf(const model::CharText& t) {
  UChar32 c = 0;
  U16_GET(t.data(), 0, 0, model::charTextLength(t), c);
  return static_cast<char32_t>(c);
}

// The 1-based number of `line` among the normal lines of its group; 0 when it is not there.
int normalLineNumber(const model::List<model::LineData>& lines, const model::LineData* line) {
  int n = 0;
  for (const model::LineData& l : lines) {
    if (l.attr == model::AttrNone) ++n;
    if (&l == line) return l.attr == model::AttrNone ? n : 0;
  }
  return 0;
}

const char* sideLineName(model::LineAttr attr) {
  switch (attr) {
    case model::AttrRuby:
      return "ルビ";
    case model::AttrEmph:
      return "圏点";
    case model::AttrFootnote:
      return "注";
    default:
      return "";
  }
}

}  // namespace

std::optional<CaretReport> describeCaret(model::PageData& page, const CaretPos& caret,
                                         int rejectLevel) {
  if (!caret.valid()) return std::nullopt;
  const std::optional<LineRef> ref = findLine(page, caret.line);
  if (!ref) return std::nullopt;
  CaretReport r;
  int index = 1;
  for (const model::BlockData& b : page.blocks) {
    if (&b == ref->block) break;
    ++index;
  }
  r.block = index;
  if (ref->cell != nullptr) {
    r.cellRow = ref->cell->row;
    r.cellCol = ref->cell->col;
  }
  const model::List<model::LineData>& lines = groupLines(*ref->block, ref->cell);
  const model::LineData* counted = caret.line;
  if (caret.line->attr != model::AttrNone) {
    r.sideLine = static_cast<model::LineAttr>(caret.line->attr);
    if (caret.line->baseLine != nullptr) counted = caret.line->baseLine;
  }
  r.line = normalLineNumber(lines, counted);
  r.column = caret.index() + 1;
  r.atLineEnd = caret.atLineEnd();
  if (const model::CharData* c = caret.character()) {
    r.codePoint = codePointOf(c->text);
    r.confidence = static_cast<int16_t>(c->cc);
    r.reject = isReject(*c, rejectLevel);
    r.x = c->x;
    r.y = c->y;
  }
  return r;
}

std::string caretStatusText(const CaretReport& r) {
  std::string s;
  char buffer[96];
  if (r.codePoint) {
    std::snprintf(buffer, sizeof buffer, "U+%04X ", static_cast<unsigned>(*r.codePoint));
    s += buffer;
    // A control character (the paragraph break) is named, not shown.
    if (*r.codePoint < 0x20)
      s += *r.codePoint == 0x0D ? "改行" : "制御文字";
    else
    {
      char16_t units[2] = {};
      int32_t n = 0;
      U16_APPEND_UNSAFE(units, n, static_cast<UChar32>(*r.codePoint));
      s += model::toUtf8(std::u16string_view(units, static_cast<size_t>(n)));
    }
    std::snprintf(buffer, sizeof buffer, "　確信度 %d", r.confidence);
    s += buffer;
    if (r.reject) s += " リジェクト";
    s += "　";
  }
  std::snprintf(buffer, sizeof buffer, "ブロック %d", r.block);
  s += buffer;
  if (r.cellRow >= 0) {
    std::snprintf(buffer, sizeof buffer, " セル %d,%d", r.cellRow + 1, r.cellCol + 1);
    s += buffer;
  }
  std::snprintf(buffer, sizeof buffer, " 行 %d", r.line);
  s += buffer;
  if (r.sideLine != model::AttrNone) s += std::string(" ") + sideLineName(r.sideLine);
  if (r.atLineEnd) {
    s += " 行末";
  } else {
    std::snprintf(buffer, sizeof buffer, " 字 %d", r.column);
    s += buffer;
  }
  if (r.codePoint) {
    if (r.x < 0) {
      s += "　(入力文字)";
    } else {
      std::snprintf(buffer, sizeof buffer, "　(%d, %d)", r.x, r.y);
      s += buffer;
    }
  }
  return s;
}

}  // namespace vellary::editing
