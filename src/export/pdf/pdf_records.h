// The page content records that page composition fills and the object writer turns into PDF:
// blocks of text lines, tables and images, in PDF points with the origin at the lower left.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vellary::exporting::pdf {

// Font types: the N of the resource name /FN.
enum FontType : int {
  FontMincho = 0,
  FontGothic = 1,
  FontTimes = 2,  // named fonts: a simple font, each character written as its low byte
  FontArial = 3,
  FontMinchoV = 4,
  FontSimSun = 6,
  FontMingLiU = 7,
  FontGulim = 8,
  FontSimSunV = 9,
  FontMingLiUV = 10,
  FontGulimV = 11,
};
inline bool isVerticalFont(int type) { return type == FontMinchoV || (type >= 9 && type <= 11); }

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

enum RenderMode : int { RenderVisible = 0, RenderInvisible = 3 };

// A box in points, y growing upwards.
struct PdfBox {
  double left = 0, bottom = 0, right = 0, top = 0;
  double width() const { return right - left; }
  double height() const { return top - bottom; }
};

// One character as the page shows it: its box on the page, or none for a character the user
// typed, which then follows the character before it.
struct PdfChar {
  char32_t code = 0;
  PdfBox box;
  bool placed = false;
  Rgb colour;
};

// One line of text, drawn in one font. `box` places a line none of whose characters has a place.
struct PdfLine {
  std::vector<PdfChar> chars;
  int fontType = FontMincho;
  PdfBox box;
  bool hasBox = false;
};

// What a block is in the document's structure.
enum class PdfRole { Paragraph, Heading, Artifact };

// A text block: its lines in the block's order, visible (text PDF) or invisible (under a page
// picture).
struct PdfTextBlock {
  std::vector<PdfLine> lines;
  int renderMode = RenderVisible;
  PdfRole role = PdfRole::Paragraph;
  std::string lang;  // BCP 47 of a block that is not in the document's language; else empty
  int order = 0;     // its place in the page's reading order (the block's index)
};

// One segment of a table rule, in hundredths of a point.
struct PdfRule {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  int style = 0;  // BorderStyle: 0 none, 1 solid, 2 dotted, 3 double
};

struct PdfCell {
  int row = 0, column = 0;  // from 0
  int rowSpan = 1, columnSpan = 1;
  std::vector<PdfLine> lines;
};

struct PdfTable {
  int rows = 0, columns = 0;
  std::vector<PdfCell> cells;  // row by row
  std::vector<PdfRule> horizontalRules, verticalRules;
  int renderMode = RenderVisible;
  std::string lang;
  int order = 0;
};

// One image XObject and where it is drawn.
struct PdfImage {
  std::vector<uint8_t> bytes;                  // JPEG data, or bare CCITT Group 4 data
  double x = 0, y = 0, width = 0, height = 0;  // placement in points
  int pixelWidth = 0, pixelHeight = 0;
  int bitsPerPixel = 0;  // 24 colour JPEG, 8 grey JPEG, 1 bilevel CCITT
  bool imageMask = false;
  Rgb colour;  // the paint of an image mask
  // A figure of the document has its description and its place in the reading order; the page
  // picture under an image PDF's text and the parts of a high-compression page are artifacts.
  bool artifact = false;
  std::u16string alt;
  int order = 0;
};

}  // namespace vellary::exporting::pdf
