// Inside the picture layer only: the owner of a Leptonica picture and the bridge between it and
// CPictInfo. Nothing outside src/imaging includes this header.
#pragma once

#include <allheaders.h>

#include <utility>

#include "imaging/picture.h"

namespace vellary::imaging::detail {

// Owns one PIX. Leptonica counts references; this handle holds exactly one of them.
class PixHandle {
 public:
  PixHandle() = default;
  explicit PixHandle(PIX* pix) noexcept : pix_(pix) {}
  ~PixHandle() { reset(); }
  PixHandle(PixHandle&& other) noexcept : pix_(std::exchange(other.pix_, nullptr)) {}
  PixHandle& operator=(PixHandle&& other) noexcept {
    if (this != &other) reset(std::exchange(other.pix_, nullptr));
    return *this;
  }
  PixHandle(const PixHandle&) = delete;
  PixHandle& operator=(const PixHandle&) = delete;

  PIX* get() const { return pix_; }
  explicit operator bool() const { return pix_ != nullptr; }
  PIX* release() { return std::exchange(pix_, nullptr); }
  void reset(PIX* pix = nullptr) {
    if (pix_ != nullptr) pixDestroy(&pix_);
    pix_ = pix;
  }

 private:
  PIX* pix_ = nullptr;
};

// What a header says, normalised to the depths a load gives.
struct PictHeader {
  int format = 0;  // ImageFormat
  int width = 0, height = 0;
  int bitsPerPixel = 0;  // 1, 8 or 24
  int xResolution = 0, yResolution = 0;
};

struct PictAccess {
  static PIX* pix(const CPictInfo& pict);
  // Takes the picture over (it must already be in the descriptor's form, see normalisePix) and
  // refreshes the header fields from it; the file format becomes 0 (a made picture). An empty
  // handle clears the picture.
  static void adopt(CPictInfo& pict, PixHandle pix);
  // The same for an in-place change of the picture: the file format stays.
  static void replace(CPictInfo& pict, PixHandle pix);
  // Re-reads the header fields from the pixels after they changed in place.
  static void refresh(CPictInfo& pict);
  // Header fields only, no pixels (LookImageInfo).
  static void setHeader(CPictInfo& pict, const PictHeader& header);
  static void setFileFormat(CPictInfo& pict, int format) { pict.fileFormat_ = format; }
  // Drops pixels and header fields, keeps the file name and save settings.
  static void clearPicture(CPictInfo& pict);
};

// Silences Leptonica's messages once per process: failures reach callers as result codes.
void quietLeptonica();

// Brings any decoded or built PIX to the descriptor's forms: 1 bpp without colour map (1 = black),
// 8 bpp grey or with a colour map, 32 bpp RGB without alpha. Null when that is impossible.
PixHandle normalisePix(PixHandle pix);

// Whether a size passes the layer's limits.
bool sizeAllowed(int64_t width, int64_t height);

// An 8 bpp grey version of any picture in the descriptor's forms (a clone when it is one).
PixHandle toGrey(PIX* pix);

// A PIX copy without colour map: 8 bpp grey or 32 bpp RGB, whichever keeps the colours.
PixHandle withoutColormap(PIX* pix);

}  // namespace vellary::imaging::detail
