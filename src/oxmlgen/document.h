// The document the entry points build: pages of text areas, tables, pictures and rules, kept as
// the program passed them (after validation) until one of the create calls lays them out.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace oxmlgen {

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool empty() const { return right <= left || bottom <= top; }
};

// What addPage passed. Sizes are twips for Word and PowerPoint, pixels for XPS; margins and
// content offsets are twips.
struct PageSetup {
  int width = 0, height = 0, dpi = 0;
  Rect margins;
  int offsetX = 0, offsetY = 0;
  std::string eastAsianFont, latinFont;
  int charset = 128;
};

// One character of a text area, or the place of a ruby group (ruby >= 0) that carries the
// group's base characters itself. Rotation: 0, 90 (sideways) or 100 (tate-chu-yoko).
struct TextItem {
  char32_t code = 0;
  int rotation = 0;
  int ruby = -1;
};
using Paragraph = std::vector<TextItem>;

struct RubyGroup {
  std::u32string ruby, base;
};

// One line record of a text area. `rect` is in the units the program used for the output kind
// (see placement.h); `normal` is false for ruby, emphasis and footnote lines.
struct LineRecord {
  Rect rect;
  bool normal = true;
};

struct TextArea {
  Rect area;
  std::vector<LineRecord> lines;
  // The characters split at line-end marks: one paragraph per line when every line is closed
  // by a mark, otherwise one per paragraph break.
  std::vector<Paragraph> paragraphs;
  std::vector<RubyGroup> rubies;
  bool vertical = false;
  int fontPt = 0;   // 0 when the program did not know it
  int pitchPt = 0;  // distance between line starts, points; 0 when unknown
  int langId = 128;
  int order = 0;  // place among the page's text and table areas, in call order
};

struct Cell {
  bool filled = false;  // the record carries a row and column
  int row = 0, col = 0;
  Rect rect;  // pixels; empty for cells that continue a merge downwards
  int heightPx = 0, widthPx = 0, fontPt = 0;
  bool vertical = false;
  std::array<int, 4> border{};  // left, top, right, bottom: 0 none, 1 solid, 2 dotted, 3 double
  int mergeTop = 0;             // > 0: the group's top-left cell
  int mergeCol = 0;     // > 0 top-left cell, < 0 a cell below it in the group's first column
  std::u32string text;  // U+000A separates paragraphs
};

struct Table {
  Rect area;  // points, moved by the content offsets
  int rows = 0, columns = 0;
  std::vector<Cell> cells;  // rows × columns, row-major
  int order = 0;
  const Cell& at(int row, int col) const { return cells[row * columns + col]; }
};

struct Picture {
  Rect rect;  // points (Word, PowerPoint) or pixels (XPS)
  int heightPx = 0, widthPx = 0;
  std::string bytes;  // the file as read when the call came
  bool png = false;
  int pixelWidth = 0, pixelHeight = 0;  // of the image file
  double dpiX = 96, dpiY = 96;          // the file's own resolution, 96 when it gives none
};

struct Rule {
  Rect rect;  // pixels, moved by the content offsets and by (-80, -20)
  bool horizontal = true;
};

// The core properties of the file (UTF-8); empty ones are left out.
struct DocumentInfo {
  std::string title, subject, author, keywords;
};

struct Page {
  std::optional<PageSetup> setup;  // none for a page of pictures and rules only
  std::vector<TextArea> texts;
  std::vector<Table> tables;
  std::vector<Picture> pictures;
  std::vector<Rule> rules;
  int areas = 0;  // text and table areas so far
  bool hasContent() const {
    return setup || !texts.empty() || !tables.empty() || !pictures.empty() || !rules.empty();
  }
};

struct Document {
  std::vector<Page> pages;
  Page current;
  int pictureNumber = 0;                // running number of addImageArea calls
  std::map<int, std::string> xpsFonts;  // character set (128 or 0) → subset font file
  DocumentInfo info;
};

// Each page's setup: its own, else the nearest earlier page's, else the nearest later page's,
// else an A4 page at 400 dpi in the units of the output (`pixels` for XPS).
std::vector<PageSetup> resolveSetups(const std::vector<Page>& pages, bool pixels);

}  // namespace oxmlgen
