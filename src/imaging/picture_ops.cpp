// Cutting, scaling, turning and depth conversions over Leptonica.
#include "imaging/picture_ops.h"

#include <algorithm>
#include <cmath>

#include "imaging/pix_handle.h"

namespace vellary::imaging {

using detail::PictAccess;
using detail::PixHandle;

namespace {

struct BoxHandle {
  BOX* box;
  BoxHandle(int x, int y, int w, int h) : box(boxCreate(x, y, w, h)) {}
  ~BoxHandle() { boxDestroy(&box); }
  BoxHandle(const BoxHandle&) = delete;
  BoxHandle& operator=(const BoxHandle&) = delete;
};

int scaledResolution(int resolution, double factor) {
  return static_cast<int>(std::lround(resolution * factor));
}

void setScaledResolution(PIX* d, PIX* s, double factor) {
  pixSetResolution(d, scaledResolution(pixGetXRes(s), factor),
                   scaledResolution(pixGetYRes(s), factor));
}

// The pixel value that shows white in a picture of s's depth and colour table.
l_uint32 whiteValue(PIX* s) {
  switch (pixGetDepth(s)) {
    case 1:
      return 0;
    case 8:
      if (PIXCMAP* cmap = pixGetColormap(s)) {
        l_int32 index = 0;
        pixcmapGetNearestIndex(cmap, 255, 255, 255, &index);
        return static_cast<l_uint32>(index);
      }
      return 255;
    default:
      return 0xffffff00;
  }
}

// Area-mapped reduction of a grey or colour picture to exactly wd × hd pixels.
PixHandle reduceContinuous(PIX* s, double factor, int wd, int hd) {
  PixHandle plain = detail::withoutColormap(s);
  if (!plain) return {};
  PixHandle d(pixScaleAreaMap(plain.get(), static_cast<float>(factor), static_cast<float>(factor)));
  if (!d || pixGetWidth(d.get()) < 1 || pixGetHeight(d.get()) < 1)
    d = PixHandle(pixScaleAreaMapToSize(plain.get(), wd, hd));
  return d;
}

// A bilevel picture reduced to grey. Scale-to-grey keeps strokes that point sampling would drop.
PixHandle reduceBilevelToGrey(PIX* s, double factor, int wd, int hd) {
  PixHandle d(pixScaleToGray(s, static_cast<float>(factor)));
  if (d && pixGetWidth(d.get()) >= 1 && pixGetHeight(d.get()) >= 1) return d;
  // Reductions to a pixel or two: map the areas of a grey copy instead.
  PixHandle grey(pixConvert1To8(nullptr, s, 255, 0));
  if (!grey) return {};
  return PixHandle(pixScaleAreaMapToSize(grey.get(), wd, hd));
}

// Grey level below which a reduced bilevel pixel stays black: a little over a third of ink
// coverage keeps thin strokes of reduced text connected.
constexpr int kKeepDepthThreshold = 160;

}  // namespace

int MakeSubPictImageFromPict(const CPictInfo& src, const PictRect& rect, CPictInfo& dst) {
  PIX* s = PictAccess::pix(src);
  if (s == nullptr || rect.left >= rect.right || rect.top >= rect.bottom) return kImageBadArgument;
  int64_t w = int64_t{rect.right} - rect.left, h = int64_t{rect.bottom} - rect.top;
  int64_t il = std::max<int64_t>(rect.left, 0), it = std::max<int64_t>(rect.top, 0);
  int64_t ir = std::min<int64_t>(rect.right, src.width());
  int64_t ib = std::min<int64_t>(rect.bottom, src.height());
  if (il >= ir || it >= ib) return kImageBadArgument;
  if (!detail::sizeAllowed(w, h)) return kImageTooLarge;
  detail::quietLeptonica();
  PixHandle d;
  if (il == rect.left && it == rect.top && ir == rect.right && ib == rect.bottom) {
    BoxHandle box(rect.left, rect.top, static_cast<int>(w), static_cast<int>(h));
    d.reset(pixClipRectangle(s, box.box, nullptr));
  } else {
    d.reset(pixCreate(static_cast<int>(w), static_cast<int>(h), pixGetDepth(s)));
    if (d) {
      pixCopyColormap(d.get(), s);
      pixSetSpp(d.get(), pixGetSpp(s));
      pixSetAllArbitrary(d.get(), whiteValue(s));
      pixRasterop(d.get(), static_cast<int>(il - rect.left), static_cast<int>(it - rect.top),
                  static_cast<int>(ir - il), static_cast<int>(ib - it), PIX_SRC, s,
                  static_cast<int>(il), static_cast<int>(it));
    }
  }
  if (!d) return kImageTooLarge;
  pixCopyResolution(d.get(), s);
  PictAccess::adopt(dst, std::move(d));
  return kImageOk;
}

int MakeShrinkImageFromPict(const CPictInfo& src, CPictInfo& dst, double factor, int mode) {
  PIX* s = PictAccess::pix(src);
  if (s == nullptr || !(factor > 0 && factor < 1)) return kImageBadArgument;
  if (mode != kShrinkDisplay && mode != kShrinkPreview && mode != kShrinkKeepDepth)
    return kImageBadArgument;
  detail::quietLeptonica();
  int wd = std::max(1, static_cast<int>(src.width() * factor + 0.5));
  int hd = std::max(1, static_cast<int>(src.height() * factor + 0.5));
  PixHandle d;
  if (pixGetDepth(s) == 1) {
    d = reduceBilevelToGrey(s, factor, wd, hd);
    if (d && mode == kShrinkKeepDepth)
      d = PixHandle(pixThresholdToBinary(d.get(), kKeepDepthThreshold));
  } else {
    d = reduceContinuous(s, factor, wd, hd);
  }
  if (!d) return kImageTooLarge;
  d = detail::normalisePix(std::move(d));
  if (!d) return kImageTooLarge;
  setScaledResolution(d.get(), s, factor);
  PictAccess::adopt(dst, std::move(d));
  return kImageOk;
}

int MakeExpandImageFromPict(const CPictInfo& src, CPictInfo& dst, double factor) {
  PIX* s = PictAccess::pix(src);
  if (s == nullptr || !(factor > 1 && factor <= 16)) return kImageBadArgument;
  if (!detail::sizeAllowed(static_cast<int64_t>(src.width() * factor + 0.5),
                           static_cast<int64_t>(src.height() * factor + 0.5)))
    return kImageTooLarge;
  detail::quietLeptonica();
  auto f = static_cast<float>(factor);
  PixHandle d;
  if (pixGetDepth(s) == 1) {
    int whole = static_cast<int>(factor);
    d.reset(whole == factor ? pixExpandBinaryReplicate(s, whole, whole) : pixScaleBinary(s, f, f));
  } else if (pixGetColormap(s) != nullptr) {
    // Replication keeps the palette, which interpolation would dissolve.
    d.reset(pixScaleBySampling(s, f, f));
  } else {
    d.reset(pixScaleLI(s, f, f));
  }
  if (!d) return kImageTooLarge;
  d = detail::normalisePix(std::move(d));
  if (!d) return kImageTooLarge;
  setScaledResolution(d.get(), s, factor);
  PictAccess::adopt(dst, std::move(d));
  return kImageOk;
}

int KIMakeRotatedImage(CPictInfo& pict, int degrees) {
  PIX* s = PictAccess::pix(pict);
  if (s == nullptr || degrees % 90 != 0) return kImageBadArgument;
  int turn = ((degrees % 360) + 360) % 360;
  if (turn == 0) return kImageOk;
  detail::quietLeptonica();
  PixHandle d;
  if (turn == 180) {
    d.reset(pixRotate180(nullptr, s));
  } else {
    d.reset(pixRotate90(s, turn == 90 ? 1 : -1));
    if (d) pixSetResolution(d.get(), pixGetYRes(s), pixGetXRes(s));
  }
  if (!d) return kImageTooLarge;
  PictAccess::replace(pict, std::move(d));
  return kImageOk;
}

int Convert24BitColorImageTo8BitGrayscaleImage(CPictInfo& pict) {
  PIX* s = PictAccess::pix(pict);
  if (s == nullptr) return kImageBadArgument;
  detail::quietLeptonica();
  if (pixGetDepth(s) == 8 && pixGetColormap(s) == nullptr) return kImageOk;
  PixHandle d = detail::toGrey(s);
  if (!d) return kImageTooLarge;
  pixCopyResolution(d.get(), s);
  PictAccess::replace(pict, std::move(d));
  return kImageOk;
}

int Convert8BitImageTo24BitImage(CPictInfo& pict) {
  PIX* s = PictAccess::pix(pict);
  if (s == nullptr) return kImageBadArgument;
  if (pixGetDepth(s) == 32) return kImageOk;
  detail::quietLeptonica();
  PixHandle d(pixConvertTo32(s));
  if (!d) return kImageTooLarge;
  pixSetSpp(d.get(), 3);
  pixCopyResolution(d.get(), s);
  PictAccess::replace(pict, std::move(d));
  return kImageOk;
}

int MakeBinDataFromGrayscaleData(const CPictInfo& grey, CPictInfo& dst, int threshold) {
  PIX* s = PictAccess::pix(grey);
  if (s == nullptr || threshold < 0 || threshold > 256) return kImageBadArgument;
  detail::quietLeptonica();
  PixHandle d;
  if (pixGetDepth(s) == 1) {
    d.reset(pixCopy(nullptr, s));
  } else {
    PixHandle g = detail::toGrey(s);
    if (g) d.reset(pixThresholdToBinary(g.get(), threshold));
  }
  if (!d) return kImageTooLarge;
  pixCopyResolution(d.get(), s);
  PictAccess::adopt(dst, std::move(d));
  return kImageOk;
}

}  // namespace vellary::imaging
