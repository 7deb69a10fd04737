// Where the text view puts every block, line and character of a page: pitches, font sizes,
// canvas sizes, glyph positions, line images and redraw boxes, for the layout display (the page
// geometry scaled by the zoom) and the text-flow display (one line per row). Numbers only: the
// painter, the caret and mouse hit-testing all read the same results.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "appcore/modes.h"
#include "model/codes.h"
#include "model/records.h"

namespace vellary::editing {

// Windows' MulDiv: a × b / c rounded to the nearest integer, halves away from zero.
int mulDiv(int a, int b, int c);

// The text-flow display's sizes in screen pixels, from the screen's vertical resolution (dpi):
// base font F (16 points), text row A, image band B, line pitch P = A + B, character advance C.
struct BaseSizes {
  int F = 0, A = 0, B = 0, P = 0, C = 0;
  int glyph = 0;  // the text-flow glyph height, 19 points
};
BaseSizes baseSizes(int dpi);

struct Size {
  int width = 0, height = 0;
  bool operator==(const Size&) const = default;
};

// A box in canvas pixels; right and bottom are exclusive.
struct CanvasRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool empty() const { return right <= left || bottom <= top; }
  bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  CanvasRect adjusted(int dl, int dt, int dr, int db) const {
    return {left + dl, top + dt, right + dr, bottom + db};
  }
  CanvasRect united(const CanvasRect& o) const;
  bool operator==(const CanvasRect&) const = default;
};

// The layout display's canvas: the page scaled by the zoom.
Size layoutCanvasSize(const model::PageData& page, double zoom);
// The text-flow display's canvas before it is widened to the window ("text window size"): the
// longest line and the number of lines of every text block, each plus 20. No page: 0 × 0.
Size textWindowSize(const model::PageData* page, bool vertical, const BaseSizes& sizes);
// The text-flow canvas: the text window widened and heightened to the client area.
Size textFlowCanvasSize(Size textWindow, Size client);

// The lines whose attribute is none carry the text; the others sit beside them.
inline bool isNormalLine(const model::LineData& line) { return line.attr == model::AttrNone; }

// Pitch between the base lines of a text block (page pixels).
int blockLinePitch(const model::BlockData& block);
// Pitch between the base lines of a table cell; with `asTheyStand` the span the lines occupy is
// divided instead of the cell's extent.
int cellLinePitch(const model::CellData& cell, bool vertical, bool asTheyStand = false);

// One character cell of a line: a character, or a tate-chu-yoko group of consecutive characters.
struct CellRun {
  int index = 0;  // of the first character in the line
  int count = 1;  // characters in the cell
};
std::vector<CellRun> lineCells(const model::LineData& line);
// The number of cells that come before character `index` (0-based).
int cellsBefore(const model::LineData& line, int index);
// Advance between character cells (page pixels); 0 for a line without characters.
int charPitch(const model::LineData& line, bool vertical);
// `fontPx` made small enough that glyphs drawn `pitchPx` apart do not overlap: a full-width glyph
// takes its font size along the line, a narrow one (Latin letters, digits, half-width kana) half
// of it. At least 2.
int fittingFontSize(const model::LineData& line, int fontPx, int pitchPx);

// The pixel size of a line's glyphs at the zoom (at least 2). `base` is the line's base line (for
// an emphasis line), or null.
int lineFontSize(const model::BlockData& block, const model::LineData& line, double zoom,
                 appcore::ImagePane pane);

// One cell of a laid-out line in canvas pixels. In vertical lines x is the right edge of the glyph
// column; in horizontal lines it is the left edge; y is the top in both.
struct GlyphPlace {
  int index = 0;  // first character of the cell in the line
  int count = 1;  // characters drawn as one (a tate-chu-yoko group)
  const model::CharData* ch = nullptr;
  int x = 0, y = 0;
  CanvasRect box;  // the cell: glyph size across, one pitch along the line
};

struct LinePlace {
  const model::BlockData* block = nullptr;
  const model::CellData* cell = nullptr;  // table lines
  const model::LineData* line = nullptr;
  bool vertical = false;
  bool textFlow = false;
  int fontPx = 0;
  int originX = 0, originY = 0;  // canvas pixels: where the first cell goes
  int pitchPx = 0;               // the cell advance in canvas pixels (at least 1)
  int shift = 0;  // the table-line and Chinese-line shift L (canvas pixels, positive leftwards)
  std::vector<GlyphPlace> glyphs;
  CanvasRect box;  // what a redraw erases
  // Image sub-mode 2 and the text-flow display: where the line's image goes.
  bool hasImage = false;
  CanvasRect imageSource;  // page pixels
  CanvasRect imageDest;
  // Text-flow display: the row background (text row) and the white band under the image.
  CanvasRect rowBackground, bandBackground;
  // Ruby lines: their frame and the frame around the base characters they cover (empty: none).
  CanvasRect rubyFrame, baseFrame;
};

// An image block: its rectangle (canvas) and the page area it shows (page pixels).
struct ImageBlockPlace {
  const model::BlockData* block = nullptr;
  CanvasRect dest;
  CanvasRect source;
};

struct LayoutParams {
  double zoom = 1.0;
  appcore::TextDisplay display = appcore::TextDisplay::Layout;
  appcore::ImagePane pane = appcore::ImagePane::TextOnly;
  int dpi = 96;
};

struct PageLayout {
  LayoutParams params;
  BaseSizes sizes;
  Size canvas;                   // before widening to the window in the text-flow display
  Size textWindow;               // text-flow display only
  std::vector<LinePlace> lines;  // in drawing order: blocks, then cells, then lines
  std::vector<ImageBlockPlace> images;
  // Text blocks filled with the text background in image sub-mode 2 (canvas pixels).
  std::vector<CanvasRect> textBlockFills;

  const LinePlace* find(const model::LineData* line) const;
  // The line and glyph under a canvas point: the line whose box holds it, the glyph whose cell
  // holds it (glyph −1 when the point is in the line but beyond its cells). Normal lines first.
  struct Hit {
    const LinePlace* line = nullptr;
    int glyph = -1;
  };
  Hit hit(int x, int y) const;
};

PageLayout layoutPage(const model::PageData& page, const LayoutParams& params);

// The box of a laid-out cell for the caret: character `index` of the line (clamped), in canvas
// pixels; an empty line gives a box at its origin.
CanvasRect charBox(const LinePlace& line, int index);

// Image sub-mode 2: the caret character's box mapped into the line's image beside the text.
std::optional<CanvasRect> charBoxInLineImage(const LinePlace& line, const model::CharData& ch);

// The page rectangle the one-line image window shows for the caret line (page pixels): the line's
// original box one pixel larger on every side, starting at its first character when it is a later
// line starting where the block's first line starts.
// `group` holds the line: its block's lines, or its cell's lines.
CanvasRect oneLineImageRect(const model::List<model::LineData>& group, const model::LineData& line);

struct OneLineWindowParams {
  CanvasRect rect;  // oneLineImageRect
  double zoom = 1.0;
  int offset = 10;  // O
  bool vertical = false;
  bool table = false;
  int position = 0;  // 横書き画像表示位置 / 縦書き画像表示位置
  int scrollX = 0, scrollY = 0;
  Size client;  // the text view's client area
  int frameWidth = 1, frameHeight = 1;
};
// Where the one-line image window goes, in the text view's client coordinates; nothing when it
// must be hidden (no positive size, or outside the view).
std::optional<CanvasRect> oneLineWindowRect(const OneLineWindowParams& p);

// The one-line image offset from its stored index.
int oneLineImageOffset(int storedIndex);

}  // namespace vellary::editing
