// Page analysis over Leptonica: connected pieces of ink, enclosed areas, ink counts and bounds,
// raw pixel rows in and out.
#include "imaging/page_analysis.h"

#include <algorithm>
#include <memory>

#include "imaging/file_access.h"
#include "imaging/image_headers.h"
#include "imaging/pix_handle.h"

namespace vellary::imaging {

using detail::PictAccess;
using detail::PixHandle;

namespace {

struct BoxaFree {
  void operator()(BOXA* b) const { boxaDestroy(&b); }
};
struct PixaFree {
  void operator()(PIXA* p) const { pixaDestroy(&p); }
};
struct NumaFree {
  void operator()(NUMA* n) const { numaDestroy(&n); }
};
struct BoxFree {
  void operator()(BOX* b) const { boxDestroy(&b); }
};
using BoxaPtr = std::unique_ptr<BOXA, BoxaFree>;
using PixaPtr = std::unique_ptr<PIXA, PixaFree>;
using NumaPtr = std::unique_ptr<NUMA, NumaFree>;
using BoxPtr = std::unique_ptr<BOX, BoxFree>;

PIX* bilevelPix(const CPictInfo& pict) {
  PIX* p = PictAccess::pix(pict);
  return p != nullptr && pixGetDepth(p) == 1 ? p : nullptr;
}

// The part of `rect` inside a w × h picture; false when nothing is left.
bool clipRect(const PictRect& rect, int w, int h, PictRect& clipped) {
  clipped.left = std::max(rect.left, 0);
  clipped.top = std::max(rect.top, 0);
  clipped.right = std::min(rect.right, w);
  clipped.bottom = std::min(rect.bottom, h);
  return clipped.left < clipped.right && clipped.top < clipped.bottom;
}

PictRect rectOf(BOX* box) {
  l_int32 x = 0, y = 0, w = 0, h = 0;
  boxGetGeometry(box, &x, &y, &w, &h);
  return PictRect{x, y, x + w, y + h};
}

PixHandle clipPix(PIX* pix, const PictRect& r) {
  BoxPtr box(boxCreate(r.left, r.top, r.right - r.left, r.bottom - r.top));
  return PixHandle(pixClipRectangle(pix, box.get(), nullptr));
}

}  // namespace

int FindInkComponents(const CPictInfo& bilevel, std::vector<InkComponent>& out) {
  out.clear();
  PIX* pix = bilevelPix(bilevel);
  if (pix == nullptr) return kImageBadArgument;
  detail::quietLeptonica();
  PIXA* rawPixa = nullptr;
  BoxaPtr boxes(pixConnComp(pix, &rawPixa, 8));
  PixaPtr masks(rawPixa);
  if (!boxes || !masks) return kImageTooLarge;
  const int n = boxaGetCount(boxes.get());
  out.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    BoxPtr box(boxaGetBox(boxes.get(), i, L_CLONE));
    PixHandle mask(pixaGetPix(masks.get(), i, L_CLONE));
    if (!box || !mask) continue;
    l_int32 count = 0;
    pixCountPixels(mask.get(), &count, nullptr);
    out.push_back(InkComponent{rectOf(box.get()), count});
  }
  return kImageOk;
}

int FindEnclosedAreas(const CPictInfo& bilevel, const PictRect& rect, int minSide,
                      std::vector<PictRect>& out) {
  out.clear();
  PIX* pix = bilevelPix(bilevel);
  PictRect r;
  if (pix == nullptr || !clipRect(rect, bilevel.width(), bilevel.height(), r))
    return kImageBadArgument;
  detail::quietLeptonica();
  PixHandle part = clipPix(pix, r);
  if (!part) return kImageTooLarge;
  // Only the largest piece encloses: the rules of a table, not the counters of the glyphs in its
  // cells.
  PIXA* rawPixa = nullptr;
  BoxaPtr pieces(pixConnComp(part.get(), &rawPixa, 8));
  PixaPtr masks(rawPixa);
  if (!pieces || !masks) return kImageTooLarge;
  int largest = -1;
  l_int32 largestArea = 0;
  for (int i = 0; i < boxaGetCount(pieces.get()); ++i) {
    l_int32 x = 0, y = 0, w = 0, h = 0;
    boxaGetBoxGeometry(pieces.get(), i, &x, &y, &w, &h);
    if (w * h > largestArea) largestArea = w * h, largest = i;
  }
  if (largest < 0) return kImageOk;
  PixHandle frame(pixCreate(pixGetWidth(part.get()), pixGetHeight(part.get()), 1));
  if (!frame) return kImageTooLarge;
  {
    l_int32 x = 0, y = 0, w = 0, h = 0;
    boxaGetBoxGeometry(pieces.get(), largest, &x, &y, &w, &h);
    PixHandle mask(pixaGetPix(masks.get(), largest, L_CLONE));
    pixRasterop(frame.get(), x, y, w, h, PIX_SRC, mask.get(), 0, 0);
  }
  PixHandle white(pixInvert(nullptr, frame.get()));
  if (!white) return kImageTooLarge;
  BoxaPtr boxes(pixConnCompBB(white.get(), 4));
  if (!boxes) return kImageTooLarge;
  const int w = r.right - r.left, h = r.bottom - r.top;
  for (int i = 0; i < boxaGetCount(boxes.get()); ++i) {
    BoxPtr box(boxaGetBox(boxes.get(), i, L_CLONE));
    if (!box) continue;
    PictRect a = rectOf(box.get());
    if (a.left == 0 || a.top == 0 || a.right == w || a.bottom == h) continue;
    if (a.right - a.left < minSide || a.bottom - a.top < minSide) continue;
    out.push_back(PictRect{a.left + r.left, a.top + r.top, a.right + r.left, a.bottom + r.top});
  }
  return kImageOk;
}

int CountInkAlong(const CPictInfo& bilevel, const PictRect& rect, bool perRow,
                  std::vector<int>& counts) {
  counts.clear();
  PIX* pix = bilevelPix(bilevel);
  if (pix == nullptr || rect.left >= rect.right || rect.top >= rect.bottom)
    return kImageBadArgument;
  counts.assign(static_cast<size_t>(perRow ? rect.bottom - rect.top : rect.right - rect.left), 0);
  PictRect r;
  if (!clipRect(rect, bilevel.width(), bilevel.height(), r)) return kImageOk;
  detail::quietLeptonica();
  PixHandle part = clipPix(pix, r);
  if (!part) return kImageTooLarge;
  NumaPtr numa(perRow ? pixCountPixelsByRow(part.get(), nullptr)
                      : pixCountPixelsByColumn(part.get()));
  if (!numa) return kImageTooLarge;
  const int offset = perRow ? r.top - rect.top : r.left - rect.left;
  for (int i = 0; i < numaGetCount(numa.get()); ++i) {
    l_int32 v = 0;
    numaGetIValue(numa.get(), i, &v);
    counts[static_cast<size_t>(offset + i)] = v;
  }
  return kImageOk;
}

std::optional<PictRect> InkBounds(const CPictInfo& bilevel, const PictRect& rect) {
  PIX* pix = bilevelPix(bilevel);
  PictRect r;
  if (pix == nullptr || !clipRect(rect, bilevel.width(), bilevel.height(), r)) return std::nullopt;
  detail::quietLeptonica();
  BoxPtr box(boxCreate(r.left, r.top, r.right - r.left, r.bottom - r.top));
  BOX* found = nullptr;
  if (pixClipBoxToForeground(pix, box.get(), nullptr, &found) != 0 || found == nullptr)
    return std::nullopt;
  BoxPtr owned(found);
  return rectOf(found);
}

int ClearPictRects(CPictInfo& pict, std::span<const PictRect> rects) {
  PIX* pix = PictAccess::pix(pict);
  if (pix == nullptr) return kImageBadArgument;
  detail::quietLeptonica();
  // White is 0 in a bilevel picture and the brightest value in the others; a palette picture
  // takes the entry nearest to white.
  l_uint32 white = 0;
  if (pixGetDepth(pix) == 8) {
    white = 255;
    if (PIXCMAP* cmap = pixGetColormap(pix)) {
      l_int32 index = 0;
      pixcmapGetNearestIndex(cmap, 255, 255, 255, &index);
      white = static_cast<l_uint32>(index);
    }
  } else if (pixGetDepth(pix) == 32) {
    white = 0xffffff00;
  }
  for (const PictRect& rect : rects) {
    PictRect r;
    if (!clipRect(rect, pict.width(), pict.height(), r)) continue;
    BoxPtr box(boxCreate(r.left, r.top, r.right - r.left, r.bottom - r.top));
    if (pixGetDepth(pix) == 1)
      pixClearInRect(pix, box.get());
    else
      pixSetInRectArbitrary(pix, box.get(), white);
  }
  return kImageOk;
}

int CopyGreyRows(const CPictInfo& pict, PixelRows& out) {
  out = PixelRows{};
  PIX* pix = PictAccess::pix(pict);
  if (pix == nullptr) return kImageBadArgument;
  detail::quietLeptonica();
  PixHandle grey = detail::toGrey(pix);
  if (!grey) return kImageTooLarge;
  const int w = pixGetWidth(grey.get()), h = pixGetHeight(grey.get());
  out.width = w;
  out.height = h;
  out.bytesPerPixel = 1;
  out.bytesPerLine = w;
  out.bytes.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
  const l_uint32* data = pixGetData(grey.get());
  const int wpl = pixGetWpl(grey.get());
  for (int y = 0; y < h; ++y) {
    const l_uint32* line = data + static_cast<ptrdiff_t>(y) * wpl;
    uint8_t* row = out.bytes.data() + static_cast<size_t>(y) * static_cast<size_t>(w);
    for (int x = 0; x < w; ++x) row[x] = static_cast<uint8_t>(GET_DATA_BYTE(line, x));
  }
  return kImageOk;
}

int MakePictFromRows(CPictInfo& pict, const PixelRows& rows, int32_t dpi) {
  const int bpp = rows.bytesPerPixel;
  if (bpp != 1 && bpp != 3 && bpp != 4) return kImageBadArgument;
  if (!detail::sizeAllowed(rows.width, rows.height)) return kImageTooLarge;
  if (int64_t{rows.bytesPerLine} < int64_t{rows.width} * bpp ||
      static_cast<uint64_t>(rows.bytes.size()) <
          uint64_t(rows.bytesPerLine) * uint64_t(rows.height - 1) +
              uint64_t(rows.width) * uint64_t(bpp))
    return kImageBadArgument;
  detail::quietLeptonica();
  PixHandle pix(pixCreate(rows.width, rows.height, bpp == 1 ? 8 : 32));
  if (!pix) return kImageTooLarge;
  l_uint32* data = pixGetData(pix.get());
  const int wpl = pixGetWpl(pix.get());
  for (int y = 0; y < rows.height; ++y) {
    l_uint32* line = data + static_cast<ptrdiff_t>(y) * wpl;
    const uint8_t* row = rows.bytes.data() + static_cast<size_t>(y) * rows.bytesPerLine;
    for (int x = 0; x < rows.width; ++x) {
      const uint8_t* p = row + static_cast<ptrdiff_t>(x) * bpp;
      if (bpp == 1)
        SET_DATA_BYTE(line, x, p[0]);
      else if (bpp == 3)
        composeRGBPixel(p[0], p[1], p[2], line + x);
      else
        composeRGBPixel(p[2], p[1], p[0], line + x);
    }
  }
  pixSetResolution(pix.get(), dpi, dpi);
  PictAccess::adopt(pict, std::move(pix));
  return kImageOk;
}

int CountImagePages(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (int r = detail::readWholeFile(path, bytes); r != kImageOk) return r;
  detail::PictHeader header;
  if (int r = detail::readPictHeader(bytes, 0, header); r != kImageOk) return r;
  if (header.format != kFormatTiff) return 1;
  // Each step walks the directory chain from the start; a scan of a few hundred pages is still
  // quick, and the chain's own loop guard ends a damaged one.
  int pages = 1;
  while (pages < kMaxTiffPages && detail::readPictHeader(bytes, pages, header) == kImageOk) ++pages;
  return pages;
}

}  // namespace vellary::imaging
