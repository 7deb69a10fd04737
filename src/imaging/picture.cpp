// The picture descriptor, its bridge to Leptonica, and pixel access.
#include "imaging/picture.h"

#include <mutex>

#include "imaging/pix_handle.h"
#include "model/kept_blocks.h"

namespace vellary::imaging {

namespace {

// Picture data comes from the blocks a worker keeps for its next pages (model/kept_blocks.h):
// page after page, the pictures reuse the memory of the pictures before. Set before any
// picture exists, and never changed.
const bool kPictureMemory = [] {
  setPixMemoryManager(&model::takeBlock, &model::giveBackBlock);
  return true;
}();

}  // namespace

namespace detail {

void PixHandleDelete::operator()(PixHandle* handle) const noexcept { delete handle; }

PIX* PictAccess::pix(const CPictInfo& pict) { return pict.pixels_ ? pict.pixels_->get() : nullptr; }

void PictAccess::adopt(CPictInfo& pict, PixHandle pix) {
  clearPicture(pict);
  pict.fileFormat_ = 0;
  if (!pix) return;
  pict.pixels_.reset(new PixHandle(std::move(pix)));
  refresh(pict);
}

void PictAccess::replace(CPictInfo& pict, PixHandle pix) {
  int format = pict.fileFormat_;
  adopt(pict, std::move(pix));
  pict.fileFormat_ = format;
}

void PictAccess::refresh(CPictInfo& pict) {
  PIX* p = PictAccess::pix(pict);
  if (p == nullptr) return;
  pict.width_ = pixGetWidth(p);
  pict.height_ = pixGetHeight(p);
  int depth = pixGetDepth(p);
  pict.bitsPerPixel_ = depth == 32 ? 24 : depth;
  pict.xResolution_ = pixGetXRes(p);
  pict.yResolution_ = pixGetYRes(p);
  pict.colorTable_.clear();
  if (PIXCMAP* cmap = pixGetColormap(p)) {
    int n = pixcmapGetCount(cmap);
    pict.colorTable_.reserve(n);
    for (int i = 0; i < n; ++i) {
      l_int32 r = 0, g = 0, b = 0;
      pixcmapGetColor(cmap, i, &r, &g, &b);
      pict.colorTable_.push_back(static_cast<uint32_t>(r) | static_cast<uint32_t>(g) << 8 |
                                 static_cast<uint32_t>(b) << 16);
    }
  }
}

void PictAccess::setHeader(CPictInfo& pict, const PictHeader& header) {
  clearPicture(pict);
  pict.width_ = header.width;
  pict.height_ = header.height;
  pict.bitsPerPixel_ = header.bitsPerPixel;
  pict.xResolution_ = header.xResolution;
  pict.yResolution_ = header.yResolution;
  pict.fileFormat_ = header.format;
}

void PictAccess::clearPicture(CPictInfo& pict) {
  pict.pixels_.reset();
  pict.width_ = pict.height_ = pict.bitsPerPixel_ = 0;
  pict.xResolution_ = pict.yResolution_ = 0;
  pict.colorTable_.clear();
  pict.colorTable_.shrink_to_fit();
}

namespace {
void discardMessage(const char*) {}
}  // namespace

void quietLeptonica() {
  static std::once_flag once;
  std::call_once(once, [] {
    setMsgSeverity(L_SEVERITY_NONE);
    leptSetStderrHandler(discardMessage);
  });
}

bool sizeAllowed(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         width * height <= kMaxPicturePixels;
}

namespace {
int luminance(l_int32 r, l_int32 g, l_int32 b) { return (299 * r + 587 * g + 114 * b) / 1000; }
}  // namespace

PixHandle withoutColormap(PIX* pix) {
  if (pixGetColormap(pix) == nullptr) return PixHandle(pixClone(pix));
  return PixHandle(pixRemoveColormap(pix, REMOVE_CMAP_BASED_ON_SRC));
}

PixHandle toGrey(PIX* pix) {
  switch (pixGetDepth(pix)) {
    case 1:
      return PixHandle(pixConvert1To8(nullptr, pix, 255, 0));
    case 8:
      if (pixGetColormap(pix) == nullptr) return PixHandle(pixClone(pix));
      break;
    case 32:
      break;
    default:
      return {};
  }
  PixHandle plain = withoutColormap(pix);
  if (!plain || pixGetDepth(plain.get()) == 8) return plain;
  // The usual television weights, not Leptonica's own (0.3, 0.5, 0.2): what other programs show
  // as the grey of a colour.
  PixHandle grey(pixConvertRGBToGray(plain.get(), 0.299f, 0.587f, 0.114f));
  if (grey) pixCopyResolution(grey.get(), pix);
  return grey;
}

PixHandle normalisePix(PixHandle pix) {
  if (!pix) return pix;
  if (!sizeAllowed(pixGetWidth(pix.get()), pixGetHeight(pix.get()))) return {};
  if (PIXCMAP* cmap = pixGetColormap(pix.get())) {
    // A damaged file may hold indexes past the end of its palette; every later use of the
    // palette would read outside it.
    l_int32 valid = 0;
    if (pixcmapIsValid(cmap, pix.get(), &valid) != 0 || !valid) return {};
  }
  switch (pixGetDepth(pix.get())) {
    case 1:
      if (PIXCMAP* cmap = pixGetColormap(pix.get())) {
        // The darker entry is ink. A palette that makes index 0 the darker one is inverted so
        // that 1 means black, as everywhere in the layer.
        l_int32 r0 = 255, g0 = 255, b0 = 255, r1 = 0, g1 = 0, b1 = 0;
        pixcmapGetColor(cmap, 0, &r0, &g0, &b0);
        if (pixcmapGetCount(cmap) > 1) pixcmapGetColor(cmap, 1, &r1, &g1, &b1);
        bool zeroIsInk = luminance(r0, g0, b0) < luminance(r1, g1, b1);
        pixDestroyColormap(pix.get());
        if (zeroIsInk) pixInvert(pix.get(), pix.get());
      }
      break;
    case 2:
    case 4: {
      bool cmap = pixGetColormap(pix.get()) != nullptr;
      pix = PixHandle(pixConvertTo8(pix.get(), cmap ? 1 : 0));
      break;
    }
    case 8:
      break;
    case 16:
      pix = PixHandle(pixConvert16To8(pix.get(), L_MS_BYTE));
      break;
    case 24:
      pix = PixHandle(pixConvert24To32(pix.get()));
      break;
    case 32:
      if (pixGetSpp(pix.get()) == 4) {
        // Transparent parts of a picture show the paper.
        pix = PixHandle(pixAlphaBlendUniform(pix.get(), 0xffffff00));
      }
      break;
    default:
      return {};
  }
  if (!pix) return pix;
  if (PIXCMAP* cmap = pixGetColormap(pix.get()); cmap != nullptr && pixGetDepth(pix.get()) == 8) {
    // A palette of greys only (as grey BMP and TIFF files carry) makes a grey picture.
    bool grey = true;
    for (int i = 0, n = pixcmapGetCount(cmap); i < n && grey; ++i) {
      l_int32 r = 0, g = 0, b = 0;
      pixcmapGetColor(cmap, i, &r, &g, &b);
      grey = r == g && g == b;
    }
    if (grey) pix = PixHandle(pixRemoveColormap(pix.get(), REMOVE_CMAP_TO_GRAYSCALE));
    if (!pix) return pix;
  }
  if (pixGetDepth(pix.get()) == 32) pixSetSpp(pix.get(), 3);
  int depth = pixGetDepth(pix.get());
  if (depth != 1 && depth != 8 && depth != 32) return {};
  return pix;
}

}  // namespace detail

using detail::PictAccess;
using detail::PixHandle;

CPictInfo::CPictInfo() = default;
CPictInfo::~CPictInfo() = default;
CPictInfo::CPictInfo(CPictInfo&&) noexcept = default;
CPictInfo& CPictInfo::operator=(CPictInfo&&) noexcept = default;

int32_t CPictInfo::bytesPerLine() const {
  int64_t bits = int64_t{width_} * bitsPerPixel_;
  return static_cast<int32_t>((bits + 31) / 32 * 4);
}

void InitCPictInfo(CPictInfo& pict) { pict = CPictInfo(); }

void ClearCPictInfo(CPictInfo& pict) {
  PictAccess::clearPicture(pict);
  PictAccess::setFileFormat(pict, 0);
}

int DuplicateCPictInfo(const CPictInfo& src, CPictInfo& dst) {
  if (&src == &dst) return src.hasPixels() ? kImageOk : kImageBadArgument;
  PIX* s = PictAccess::pix(src);
  if (s == nullptr) {
    ClearCPictInfo(dst);
    return kImageBadArgument;
  }
  detail::quietLeptonica();
  PixHandle copy(pixCopy(nullptr, s));
  if (!copy) return kImageTooLarge;
  dst.fileName = src.fileName;
  dst.saveFormat = src.saveFormat;
  dst.compression = src.compression;
  dst.quality = src.quality;
  PictAccess::adopt(dst, std::move(copy));
  PictAccess::setFileFormat(dst, src.fileFormat());
  return kImageOk;
}

int CreateNewImageToCPictInfo(CPictInfo& pict, int32_t width, int32_t height, int32_t bitsPerPixel,
                              int32_t xResolution, int32_t yResolution) {
  if (bitsPerPixel != 1 && bitsPerPixel != 8 && bitsPerPixel != 24) return kImageBadArgument;
  if (width <= 0 || height <= 0 || xResolution < 0 || yResolution < 0) return kImageBadArgument;
  if (!detail::sizeAllowed(width, height)) return kImageTooLarge;
  detail::quietLeptonica();
  PixHandle pix(pixCreate(width, height, bitsPerPixel == 24 ? 32 : bitsPerPixel));
  if (!pix) return kImageTooLarge;
  // A new bilevel picture is all zero bits, which is white; the others are filled white.
  if (bitsPerPixel != 1) pixSetAll(pix.get());
  if (bitsPerPixel == 24) pixSetSpp(pix.get(), 3);
  pixSetResolution(pix.get(), xResolution, yResolution);
  PictAccess::adopt(pict, std::move(pix));
  return kImageOk;
}

int SetPictResolution(CPictInfo& pict, int32_t xResolution, int32_t yResolution) {
  PIX* p = PictAccess::pix(pict);
  if (p == nullptr || xResolution < 0 || yResolution < 0) return kImageBadArgument;
  pixSetResolution(p, xResolution, yResolution);
  PictAccess::refresh(pict);
  return kImageOk;
}

namespace {

uint32_t wordToColorRef(l_uint32 word) {
  l_int32 r = 0, g = 0, b = 0;
  extractRGBValues(word, &r, &g, &b);
  return static_cast<uint32_t>(r) | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b) << 16;
}

l_uint32 colorRefToWord(uint32_t c) {
  l_uint32 word = 0;
  composeRGBPixel(c & 0xff, (c >> 8) & 0xff, (c >> 16) & 0xff, &word);
  return word;
}

bool inside(const CPictInfo& pict, int32_t x, int32_t y) {
  return x >= 0 && y >= 0 && x < pict.width() && y < pict.height();
}

}  // namespace

std::optional<uint32_t> GetPictPixel(const CPictInfo& pict, int32_t x, int32_t y) {
  PIX* p = PictAccess::pix(pict);
  if (p == nullptr || !inside(pict, x, y)) return std::nullopt;
  l_uint32 value = 0;
  pixGetPixel(p, x, y, &value);
  return pixGetDepth(p) == 32 ? wordToColorRef(value) : value;
}

bool SetPictPixel(CPictInfo& pict, int32_t x, int32_t y, uint32_t value) {
  PIX* p = PictAccess::pix(pict);
  if (p == nullptr || !inside(pict, x, y)) return false;
  switch (pixGetDepth(p)) {
    case 1:
      value &= 1;
      break;
    case 8:
      value &= 0xff;
      if (!pict.colorTable().empty() && value >= pict.colorTable().size())
        value = static_cast<uint32_t>(pict.colorTable().size() - 1);
      break;
    default:
      value = colorRefToWord(value);
      break;
  }
  pixSetPixel(p, x, y, value);
  return true;
}

bool IsPictGrayscale(const CPictInfo& pict) {
  PIX* p = PictAccess::pix(pict);
  if (p == nullptr) return false;
  int depth = pixGetDepth(p);
  if (depth == 8) {
    for (uint32_t c : pict.colorTable())
      if ((c & 0xff) != ((c >> 8) & 0xff) || (c & 0xff) != ((c >> 16) & 0xff)) return false;
    return true;
  }
  if (depth != 32) return false;
  int w = pixGetWidth(p), h = pixGetHeight(p), wpl = pixGetWpl(p);
  const l_uint32* line = pixGetData(p);
  for (int y = 0; y < h; ++y, line += wpl) {
    for (int x = 0; x < w; ++x) {
      l_uint32 v = line[x];
      uint32_t r = v >> L_RED_SHIFT & 0xff, g = v >> L_GREEN_SHIFT & 0xff,
               b = v >> L_BLUE_SHIFT & 0xff;
      if (r != g || g != b) return false;
    }
  }
  return true;
}

bool SamePictPixels(const CPictInfo& a, const CPictInfo& b) {
  PIX* pa = PictAccess::pix(a);
  PIX* pb = PictAccess::pix(b);
  if (pa == nullptr || pb == nullptr) return false;
  if (a.width() != b.width() || a.height() != b.height() || a.bitsPerPixel() != b.bitsPerPixel() ||
      a.colorTable() != b.colorTable())
    return false;
  if (pixGetDepth(pa) != 32) {
    l_int32 same = 0;
    return pixEqual(pa, pb, &same) == 0 && same != 0;
  }
  // Compare the colour bytes only: the fourth byte of a Leptonica colour word carries nothing.
  int w = pixGetWidth(pa), h = pixGetHeight(pa);
  const l_uint32* la = pixGetData(pa);
  const l_uint32* lb = pixGetData(pb);
  for (int y = 0; y < h; ++y, la += pixGetWpl(pa), lb += pixGetWpl(pb))
    for (int x = 0; x < w; ++x)
      if ((la[x] ^ lb[x]) & 0xffffff00) return false;
  return true;
}

}  // namespace vellary::imaging
