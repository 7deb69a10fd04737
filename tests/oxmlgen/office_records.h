// The program's side of the Office writer library, for the tests: small page descriptions in
// scan pixels turned into the calls, units and records the export makes for each output kind,
// and the library itself loaded by path with dlopen, as the program loads it.
#pragma once

#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "oxmlgen/oxmlgen.h"

namespace vellary::testing {

enum class OfficeKind { Word, PowerPoint, Xps };

struct PxRect {
  int x, y, w, h;
};

// One line of a text block. A ruby line names its base line and the base characters it covers
// (1-based, inclusive); `rotation` holds 0, 90 or 100 per character when not empty.
struct SampleLine {
  SampleLine(PxRect b, std::u16string t) : box(b), text(std::move(t)) {}
  PxRect box;
  std::u16string text;
  int baseLine = -1;
  int rcs = 0, rce = 0;
  std::vector<uint16_t> rotation;
};

struct SampleText {
  bool vertical = false;
  int langId = 128;
  std::vector<SampleLine> lines;
};

struct SampleCell {
  PxRect box;
  int row, col;  // from 1
  std::u16string text;
  int group = 0;  // connectGroup
  int border[4] = {1, 1, 1, 1};
};

struct SampleTable {
  PxRect box;
  std::vector<SampleCell> cells;
};

struct SamplePage {
  int width = 3307, height = 4677, dpi = 400;
  std::vector<SampleText> texts;
  std::vector<SampleTable> tables;
  std::vector<PxRect> pictures;  // files are made by the test
  std::vector<PxRect> rules;
};

class OfficeLibrary {
 public:
  explicit OfficeLibrary(const std::string& path) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) return;
    init = sym<OxmlInitDocxData>("initDocxData");
    page = sym<OxmlAddPage>("addPage");
    text = sym<OxmlAddTextArea>("addTextArea");
    table = sym<OxmlAddTableArea>("addTableArea");
    image = sym<OxmlAddImageArea>("addImageArea");
    line = sym<OxmlAddLineArea>("addLineArea");
    pageBreak = sym<OxmlAddPageBreak>("addPageBreak");
    docx = sym<OxmlCreateDocX>("createDocX");
    pptx = sym<OxmlCreatePPTX>("createPPTX");
    xps = sym<OxmlCreateXPS>("createXPS");
    font = sym<OxmlAddXPSFontSubset>("addXPSFontSubset");
  }
  ~OfficeLibrary() {
    if (handle_ != nullptr) dlclose(handle_);
  }
  bool complete() const {
    return init && page && text && table && image && line && pageBreak && docx && pptx && xps &&
           font;
  }

  OxmlInitDocxData init = nullptr;
  OxmlAddPage page = nullptr;
  OxmlAddTextArea text = nullptr;
  OxmlAddTableArea table = nullptr;
  OxmlAddImageArea image = nullptr;
  OxmlAddLineArea line = nullptr;
  OxmlAddPageBreak pageBreak = nullptr;
  OxmlCreateDocX docx = nullptr;
  OxmlCreatePPTX pptx = nullptr;
  OxmlCreateXPS xps = nullptr;
  OxmlAddXPSFontSubset font = nullptr;

 private:
  template <typename F>
  F sym(const char* name) {
    return reinterpret_cast<F>(dlsym(handle_, name));
  }
  void* handle_ = nullptr;
};

inline OxmlChar entry(uint16_t code, uint16_t value = 0, uint16_t rotation = 0) {
  OxmlChar c;
  c.code = code;
  c.value = value;
  c.unused = 0.0f;
  c.rotation = rotation;
  return c;
}
inline OxmlChar lineEnd() { return entry(OXML_MARK_LINE_END << 8, 1); }
inline OxmlChar rubyAnchor(uint16_t group) { return entry(OXML_MARK_RUBY_ANCHOR << 8, group); }

// Drives the library through one document the way the export does.
class OfficeDriver {
 public:
  OfficeDriver(OfficeLibrary& lib, OfficeKind kind, std::string pictureBase)
      : lib_(lib), kind_(kind), base_(std::move(pictureBase)) {}

  void page(const SamplePage& p) {
    dpi_ = p.dpi;
    bool anyChars = !p.texts.empty() || !p.tables.empty();
    if (anyChars) startPage(p);
    for (const SampleText& t : p.texts) textArea(t);
    for (const SampleTable& t : p.tables) tableArea(t);
    for (const PxRect& r : p.pictures) picture(r);
    for (const PxRect& r : p.rules) rule(r);
    lib_.pageBreak();
  }

  int offsetX = 0, offsetY = 0;  // twips, of the last page started

 private:
  int pt(int px) const { return px * 72 / dpi_; }

  void startPage(const SamplePage& p) {
    int left = 1 << 30, top = 1 << 30, right = 0, bottom = 0;
    auto add = [&](const PxRect& r) {
      left = std::min(left, r.x), top = std::min(top, r.y);
      right = std::max(right, r.x + r.w), bottom = std::max(bottom, r.y + r.h);
    };
    for (auto& t : p.texts)
      for (auto& l : t.lines) add(l.box);
    for (auto& t : p.tables) add(t.box);
    for (auto& r : p.pictures) add(r);
    for (auto& r : p.rules) add(r);
    int dx = (p.width + left - right) / 2 - left, dy = (p.height + top - bottom) / 2 - top;
    left += dx, right += dx, top += dy, bottom += dy;
    offsetX = (1440 / p.dpi) * dx + 400;
    offsetY = (1440 / p.dpi) * dy + 400;
    int w = p.width * 1440 / p.dpi, h = p.height * 1440 / p.dpi;
    bool portrait = p.height >= p.width;
    int stdW = portrait ? 11905 : 16837, stdH = portrait ? 16837 : 11905;
    int pageW = (w >= stdW + 1 && w >= stdW * 105 / 100) ? w : stdW;
    int pageH = (h >= stdH + 1 && h >= stdH * 105 / 100) ? h : stdH;
    OxmlRect margins{left * 1440 / p.dpi, top * 1440 / p.dpi, pageW - right * 1440 / p.dpi,
                     pageH - bottom * 1440 / p.dpi};
    if (margins.right > 210) margins.right -= 210;
    if (margins.bottom > 210) margins.bottom -= 210;
    bool xps = kind_ == OfficeKind::Xps;
    if (xps) margins = OxmlRect{0, 0, 0, 0};
    const char* font = kind_ == OfficeKind::Word ? "ＭＳ 明朝" : "MS Pゴシック";
    lib_.page(static_cast<uint16_t>(xps ? p.width : pageW),
              static_cast<uint16_t>(xps ? p.height : pageH), static_cast<uint16_t>(p.dpi), margins,
              offsetX, offsetY, font, "Century", 128);
  }

  void textArea(const SampleText& t) {
    bool word = kind_ == OfficeKind::Word;
    std::vector<OxmlChar> chars;
    std::vector<uint16_t> groups, rubyChars;
    // The base characters a ruby group takes out of Word's text: line → first..last index.
    std::vector<std::vector<int>> anchorAt(t.lines.size());
    std::vector<std::vector<bool>> dropped(t.lines.size());
    for (size_t i = 0; i < t.lines.size(); ++i) dropped[i].assign(t.lines[i].text.size(), false);
    int groupCount = 0;
    std::vector<std::pair<int, int>> anchors;  // (line, char) → group, for Word
    for (const SampleLine& l : t.lines) {
      if (l.baseLine < 0) continue;
      const SampleLine& b = t.lines[l.baseLine];
      groups.push_back(static_cast<uint16_t>(rubyChars.size() * 2));
      groups.push_back(static_cast<uint16_t>(l.text.size()));
      rubyChars.insert(rubyChars.end(), l.text.begin(), l.text.end());
      groups.push_back(static_cast<uint16_t>(rubyChars.size()));
      groups.push_back(static_cast<uint16_t>(l.rce - l.rcs + 1));
      for (int k = l.rcs; k <= l.rce; ++k) rubyChars.push_back(b.text[k - 1]);
      anchors.emplace_back(l.baseLine, l.rcs - 1);
      for (int k = l.rcs; k < l.rce; ++k) dropped[l.baseLine][k] = true;
      ++groupCount;
    }
    for (size_t i = 0; i < t.lines.size(); ++i) {
      const SampleLine& l = t.lines[i];
      if (l.baseLine >= 0) continue;
      for (size_t k = 0; k < l.text.size(); ++k) {
        char16_t c = l.text[k];
        if (c == u'\r') {
          if (word) {
            chars.push_back(lineEnd());
            chars.push_back(entry(0x0D));
          }
          continue;
        }
        if (word) {
          auto a = std::find(anchors.begin(), anchors.end(), std::make_pair(int(i), int(k)));
          if (a != anchors.end()) {
            chars.push_back(rubyAnchor(static_cast<uint16_t>(a - anchors.begin())));
            continue;
          }
          if (dropped[i][k]) continue;
        }
        uint16_t rot = k < l.rotation.size() ? l.rotation[k] : 0;
        chars.push_back(entry(c, 0, rot));
      }
      if (!word) chars.push_back(lineEnd());
    }
    if (!word) groups.clear(), rubyChars.clear(), groupCount = 0;

    // Metrics over the normal lines.
    double sum = 0, gaps = 0;
    int normal = 0, gapCount = 0;
    const SampleLine* prev = nullptr;
    for (const SampleLine& l : t.lines) {
      if (l.baseLine >= 0) continue;
      sum += (t.vertical ? l.box.w : l.box.h) + 1;
      ++normal;
      if (prev != nullptr) {
        gaps += t.vertical ? prev->box.x - (l.box.x + l.box.w) + 1
                           : l.box.y - (prev->box.y + prev->box.h);
        ++gapCount;
      }
      prev = &l;
    }
    int a = static_cast<int>(sum / normal);
    int g = gapCount > 0 ? static_cast<int>(gaps / gapCount) : a / 5;
    int fontPt = static_cast<int>(a * 72.0 / dpi_ + 0.5);
    int pitch = g < 0 ? a * 72 / dpi_ : (a + g) * 72 / dpi_;
    int left = 1 << 30, top = 1 << 30, right = 0, bottom = 0;
    for (const SampleLine& l : t.lines) {
      left = std::min(left, l.box.x), top = std::min(top, l.box.y);
      right = std::max(right, l.box.x + l.box.w), bottom = std::max(bottom, l.box.y + l.box.h);
    }
    if (!t.vertical && t.lines.size() == 1)
      left -= a / 2, right += a / 2, top -= g / 2, bottom += g / 2;
    if (g < top) top -= g;
    OxmlRect area{left, top, right, bottom};
    int ox = 0, oy = 0;
    if (kind_ != OfficeKind::Xps) {
      ox = offsetX * 72 / 1440, oy = offsetY * 72 / 1440;
      area = {pt(left) + ox, pt(top) + oy, pt(right) + ox, pt(bottom) + oy};
    }
    std::vector<OxmlArea> records(t.lines.size());
    for (size_t i = 0; i < t.lines.size(); ++i) {
      const SampleLine& l = t.lines[i];
      OxmlArea& r = records[i];
      std::memset(&r, 0, sizeof r);
      bool ruby = l.baseLine >= 0;
      r.field[0] = t.vertical ? -1 : 0;
      r.field[3] = l.box.x + ox, r.field[4] = l.box.y + oy;
      r.field[5] = l.box.x + l.box.w + ox, r.field[6] = l.box.y + l.box.h + oy;
      r.field[7] = static_cast<int>(i) + 1;
      r.field[8] = -1;
      int16_t size = static_cast<int16_t>(t.vertical ? l.box.w : l.box.h);
      r.field[9] = ruby ? -size : size;
      r.field[25] = ruby ? (t.vertical ? -1 : 1) : 0;
    }
    OxmlArea& first = records[0];
    first.field[0] = 0;
    first.field[2] = static_cast<int>(chars.size());
    if (kind_ == OfficeKind::Xps)
      first.field[3] = left, first.field[4] = top, first.field[5] = right, first.field[6] = bottom;
    first.field[9] = -pitch;
    first.field[11] = fontPt;
    first.field[12] = t.vertical ? 2 : 1;
    first.field[13] = t.langId != 128 ? 1 : 0;
    first.field[14] = t.langId;
    lib_.text(&area, records.data(), static_cast<int32_t>(records.size()), chars.data(),
              static_cast<int32_t>(chars.size()), groupCount > 0 ? groups.data() : nullptr,
              groupCount, groupCount > 0 ? rubyChars.data() : nullptr,
              static_cast<int32_t>(rubyChars.size()));
  }

  void tableArea(const SampleTable& t) {
    int rows = 0, cols = 0;
    for (auto& c : t.cells) rows = std::max(rows, c.row), cols = std::max(cols, c.col);
    std::vector<OxmlArea> cells(rows * cols);
    std::memset(cells.data(), 0, sizeof(OxmlArea) * cells.size());
    std::vector<OxmlChar> chars;
    struct Group {
      int r0 = 1 << 30, c0 = 1 << 30;
    };
    std::vector<Group> groups(64);
    for (auto& c : t.cells)
      if (c.group > 0)
        groups[c.group].r0 = std::min(groups[c.group].r0, c.row),
        groups[c.group].c0 = std::min(groups[c.group].c0, c.col);
    for (auto& c : t.cells) {
      OxmlArea& r = cells[(c.row - 1) * cols + (c.col - 1)];
      bool topLeft = c.group > 0 && c.row == groups[c.group].r0 && c.col == groups[c.group].c0;
      bool firstColumn = c.group > 0 && c.col == groups[c.group].c0;
      if (c.group > 0 && !firstColumn) continue;
      r.field[7] = c.row, r.field[8] = c.col;
      r.field[9] = c.box.h > 0 ? c.box.h : 400;
      r.field[10] = c.box.w;
      r.field[12] = 0;
      if (c.group > 0 && !topLeft) {
        r.field[22] = -c.group;
        continue;
      }
      r.field[0] = r.field[1] = static_cast<int>(chars.size());
      r.field[2] = static_cast<int>(c.text.size());
      for (char16_t u : c.text) chars.push_back(entry(u));
      r.field[3] = c.box.x, r.field[4] = c.box.y, r.field[5] = c.box.x + c.box.w,
      r.field[6] = c.box.y + c.box.h;
      r.field[11] = static_cast<int>(c.box.h * 0.6 * 72 / dpi_ + 0.5);
      for (int k = 0; k < 4; ++k) r.field[16 + k] = c.border[k];
      if (topLeft) r.field[21] = r.field[22] = c.group;
    }
    int w = std::min(static_cast<int>(t.box.w * 1.01), t.box.w + 3),
        h = std::min(static_cast<int>(t.box.h * 1.01), t.box.h + 3);
    int l = pt(t.box.x) + offsetX / 20, top = pt(t.box.y) + offsetY / 20;
    OxmlRect area{l, top, l + pt(w), top + pt(h)};
    lib_.table(&area, cells.data(), static_cast<int32_t>(cells.size()), rows, cols, chars.data(),
               static_cast<int32_t>(chars.size()));
  }

  void picture(const PxRect& r) {
    OxmlArea a;
    std::memset(&a, 0, sizeof a);
    if (kind_ == OfficeKind::Xps) {
      a.field[3] = r.x, a.field[4] = r.y, a.field[5] = r.x + r.w, a.field[6] = r.y + r.h;
      a.field[9] = r.h, a.field[10] = r.w;
    } else {
      int left = std::max(0, pt(r.x) + offsetX / 20 - 15), top = pt(r.y) + offsetY / 20;
      a.field[3] = left, a.field[4] = top, a.field[5] = left + pt(r.w), a.field[6] = top + pt(r.h);
    }
    lib_.image(&a, base_.c_str(), OXML_PICTURE_JPEG);
  }

  void rule(const PxRect& r) {
    OxmlArea a;
    std::memset(&a, 0, sizeof a);
    int x = r.x + offsetX * dpi_ / 1440 - 80, y = r.y + offsetY * dpi_ / 1440 - 20;
    bool horizontal = r.w > r.h;
    a.field[3] = x, a.field[4] = y, a.field[5] = x + r.w, a.field[6] = horizontal ? y : y + r.h;
    a.field[12] = horizontal ? 1 : 2;
    a.field[16] = 1;
    lib_.line(&a);
  }

  OfficeLibrary& lib_;
  OfficeKind kind_;
  std::string base_;
  int dpi_ = 400;
};

}  // namespace vellary::testing
