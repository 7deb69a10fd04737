// Where everything goes on a page, in points from the page's top-left corner.
//
// The program passes mixed units, chosen per output kind: for Word and PowerPoint the page is in
// twips, text and table areas and pictures in points moved by the content offsets, line and
// cell rectangles in pixels (line rectangles also moved by the offsets in points), rules in
// pixels moved by the offsets in pixels and by (-80, -20); for XPS the page, text areas, lines,
// pictures and cells are in pixels, the first line record holds the area instead of the first
// line, and rules and tables are shifted as for Word. This file turns all of it into one frame:
// every item lands where its block stood on the scanned page, plus the content offset for Word
// and PowerPoint, so rules and pictures line up with the text they belong to.
#pragma once

#include <vector>

#include "oxmlgen/document.h"

namespace oxmlgen {

struct Box {
  double x = 0, y = 0, w = 0, h = 0;
  double right() const { return x + w; }
  double bottom() const { return y + h; }
};

enum class Units { Office, Fixed };

struct PlacedText {
  const TextArea* area = nullptr;
  Box box;
  std::vector<Box> lines;  // one per line record
  double fontPt = 10.5, pitchPt = 12.6;
};

struct PlacedTable {
  const Table* table = nullptr;
  Box box;
  std::vector<double> colX, rowY;  // columns + 1 and rows + 1 boundaries, absolute points
};

struct PlacedPicture {
  const Picture* picture = nullptr;
  Box box;
};

struct PlacedRule {
  Box box;  // a horizontal rule has h 0, a vertical one w 0
  bool horizontal = true;
};

struct PlacedPage {
  double width = 0, height = 0;  // points
  PageSetup setup;
  std::vector<PlacedText> texts;
  std::vector<PlacedTable> tables;
  std::vector<PlacedPicture> pictures;
  std::vector<PlacedRule> rules;
};

std::vector<PlacedPage> placeDocument(const Document& doc, Units units);

// The cells a merged group's top-left cell covers: columns to its right that the program left
// unfilled, rows below whose first-column cell carries the negated group number.
struct Span {
  int columns = 1, rows = 1;
  bool covered = false;  // the cell lies inside another cell's span
};
std::vector<Span> tableSpans(const Table& table);

// How far a character advances along a line, in ems: Latin and half-width forms half an em.
inline double advanceEm(char32_t c) {
  return c < 0x2E80 || (c >= 0xFF61 && c <= 0xFFDC) ? 0.5 : 1.0;
}

}  // namespace oxmlgen
