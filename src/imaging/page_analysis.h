// What page analysis and a recognition engine need from a picture, as plain numbers and bytes:
// the ink's connected pieces, enclosed white areas, ink counts along rows or columns, the ink's
// bounds, and the pixel rows an engine that takes raw bytes reads. Recognition works on these
// alone; the picture's own representation stays inside this layer.
//
// Units: page pixels, origin at the top-left; rectangles as in picture_ops.h (right and bottom
// exclusive). "Bilevel" means a 1-bit picture (1 = ink); the functions that need one refuse other
// depths with kImageBadArgument.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "imaging/picture.h"
#include "imaging/picture_ops.h"

namespace vellary::imaging {

// One 8-connected piece of ink: its box and how many ink pixels it has.
struct InkComponent {
  PictRect box;
  int32_t pixels = 0;
};

// Every 8-connected piece of ink of a bilevel picture, in no particular order. 1, or a negative
// ImageResult (then `out` is empty).
int FindInkComponents(const CPictInfo& bilevel, std::vector<InkComponent>& out);

// The boxes of the white areas inside `rect` that the largest piece of ink there encloses
// completely (4-connected white areas that do not touch the rectangle's edge) and whose sides are
// both at least minSide: the cells of a ruled table. Other ink (the text in the cells, the
// counters of its glyphs) neither divides nor makes such an area. 1, or a negative ImageResult.
int FindEnclosedAreas(const CPictInfo& bilevel, const PictRect& rect, int minSide,
                      std::vector<PictRect>& out);

// Ink pixels of each row (perRow) or each column of `rect`, clipped to the picture; `counts`
// gets one entry per row or column of the rectangle. 1, or a negative ImageResult.
int CountInkAlong(const CPictInfo& bilevel, const PictRect& rect, bool perRow,
                  std::vector<int>& counts);

// The smallest rectangle holding all ink inside `rect`; nothing when there is none.
std::optional<PictRect> InkBounds(const CPictInfo& bilevel, const PictRect& rect);

// Paints the rectangles white (clipped to the picture). 1, or kImageBadArgument without pixels.
int ClearPictRects(CPictInfo& pict, std::span<const PictRect> rects);

// Pixel rows in memory: `bytesPerPixel` bytes per pixel (1 grey, 3 red-green-blue, 4
// blue-green-red-alpha as a renderer delivers them), rows `bytesPerLine` apart, top row first.
struct PixelRows {
  int32_t width = 0, height = 0;
  int32_t bytesPerPixel = 1;
  int32_t bytesPerLine = 0;
  std::vector<uint8_t> bytes;
};

// The picture as 8-bit grey rows (0 black … 255 white; bilevel ink becomes 0), for an engine
// that reads raw bytes. 1, or a negative ImageResult.
int CopyGreyRows(const CPictInfo& pict, PixelRows& out);

// A picture made from rows: 1 byte per pixel gives 8-bit grey, 3 or 4 give 24-bit colour (the
// alpha of 4 is ignored); the resolution is `dpi` in both directions. 1, or kImageBadArgument
// (rows too short for the size) or kImageTooLarge.
int MakePictFromRows(CPictInfo& pict, const PixelRows& rows, int32_t dpi);

// How many pages the image file holds: a TIFF's pages (at most kMaxTiffPages; a damaged page ends
// the count), 1 for the other formats. The count, or a negative ImageResult as LookImageInfo
// gives it.
inline constexpr int kMaxTiffPages = 10000;
int CountImagePages(const std::string& path);

}  // namespace vellary::imaging
