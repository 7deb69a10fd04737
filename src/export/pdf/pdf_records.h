// The page content records that page composition fills and the object writer turns into PDF:
// text runs, tables and images, in PDF points with the origin at the lower left unless said
// otherwise.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vellary::exporting::pdf {

// Font types: the N of the resource name /FN.
enum FontType : int {
  FontMincho = 0,
  FontGothic = 1,
  FontTimes = 2,  // a simple font: each character is written as its low byte
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

// One text run. Visible runs (and table cells) are placed at (x, y) and U+000A moves to the next
// line by `lineAdvance`; invisible runs are placed piece by piece.
struct PdfText {
  std::u16string text;
  int x = 0, y = 0;
  int fontType = FontMincho;
  int fontSize = 0;     // points
  int lineAdvance = 0;  // points; hundredths of a point for table cells
  int renderMode = RenderVisible;
  // Invisible runs: piece k holds runLengths[k] characters (a surrogate pair is one) and starts
  // xOffsets[k], yOffsets[k] points from the start of the piece before it (the first from the
  // origin); y grows downwards here and is negated when written.
  std::vector<int> runLengths, xOffsets, yOffsets;
  // Visible runs: the colour of each UTF-16 unit of text.
  std::vector<Rgb> colours;
};

// One segment of a table rule, in hundredths of a point.
struct PdfRule {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  int style = 0;  // BorderStyle: 0 none, 1 solid, 2 dotted, 3 double
};

struct PdfTable {
  int rows = 0, columns = 0;
  std::vector<PdfText> cells;  // row by row; empty text for a grid position without a cell
  std::vector<PdfRule> horizontalRules, verticalRules;
};

// One image XObject and where it is drawn.
struct PdfImage {
  std::vector<uint8_t> bytes;                  // JPEG data, or bare CCITT Group 4 data
  double x = 0, y = 0, width = 0, height = 0;  // placement in points
  int pixelWidth = 0, pixelHeight = 0;
  int bitsPerPixel = 0;  // 24 colour JPEG, 8 grey JPEG, 1 bilevel CCITT
  bool imageMask = false;
  Rgb colour;  // the paint of an image mask
};

}  // namespace vellary::exporting::pdf
