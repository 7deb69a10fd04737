// Cutting, scaling, turning and depth conversions of pictures. Every operation keeps the
// resolution in step with the pixels (scaled with the picture, swapped when it turns).
#pragma once

#include <cstdint>

#include "imaging/picture.h"

namespace vellary::imaging {

// A pixel rectangle: left and top inclusive, right and bottom exclusive (width = right − left),
// as the callers form it from a box: (x, y, x + width, y + height).
struct PictRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// Copies the rectangle of src into dst, which becomes a picture of exactly right − left by
// bottom − top pixels with src's depth, colour table and resolution. Parts of the rectangle outside
// src are white, so that a piece's pixel (0, 0) is always the rectangle's top-left corner, also
// at the page's edges. kImageBadArgument when the rectangle is empty, inverted, or does not
// overlap src at all, or src has no pixels; kImageTooLarge for an absurd rectangle.
int MakeSubPictImageFromPict(const CPictInfo& src, const PictRect& rect, CPictInfo& dst);

// Shrink modes.
enum ShrinkMode : int {
  // For the screen (image view, one-line window) and for the page list's preview: a bilevel
  // picture becomes 8-bit grey through scale-to-grey, so that reduced text stays legible;
  // grey and colour pictures keep their depth (area mapping); palette pictures become grey or
  // colour.
  kShrinkDisplay = 0,
  kShrinkPreview = 1,  // the same result as kShrinkDisplay
  // For exporters that must keep the depth: a bilevel picture stays bilevel (reduced through
  // grey and thresholded back), the others as kShrinkDisplay.
  kShrinkKeepDepth = 2,
};

// dst := src reduced by factor (0 < factor < 1) in both directions; its size is about
// factor × src's (at least 1 × 1 pixel), its resolution factor × src's. kImageBadArgument for a
// factor outside (0, 1), an unknown mode or no pixels.
int MakeShrinkImageFromPict(const CPictInfo& src, CPictInfo& dst, double factor, int mode);

// dst := src enlarged by factor (1 < factor ≤ 16) with the same depth: bilevel pictures by pixel
// replication, grey and colour ones by linear interpolation. The resolution grows with it.
int MakeExpandImageFromPict(const CPictInfo& src, CPictInfo& dst, double factor);

// Turns the picture in place clockwise by degrees (0, 90, 180 or 270; multiples of 90 outside
// that range are taken modulo 360). 270 turns a vertical text column so that its top comes to the
// left and it reads as a horizontal row. kImageBadArgument for other angles or no pixels.
int KIMakeRotatedImage(CPictInfo& pict, int degrees);

// In place: the picture becomes 8-bit grey (luminance). Colour, palette and bilevel pictures are
// converted; a grey picture is left as it is.
int Convert24BitColorImageTo8BitGrayscaleImage(CPictInfo& pict);
// In place: the picture becomes 24-bit colour. Grey, palette and bilevel pictures are converted;
// a colour picture is left as it is.
int Convert8BitImageTo24BitImage(CPictInfo& pict);

inline constexpr int kDefaultBinaryThreshold = 128;
// dst := a bilevel copy of grey (colour and palette pictures go through grey first): a pixel
// darker than threshold (value < threshold) becomes black. A bilevel source is copied.
int MakeBinDataFromGrayscaleData(const CPictInfo& grey, CPictInfo& dst,
                                 int threshold = kDefaultBinaryThreshold);

}  // namespace vellary::imaging
