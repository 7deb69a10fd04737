// The picture descriptor CPictInfo, the result codes of the picture layer, and pixel access.
//
// Units: sizes and coordinates are pixels, origin at the top-left; resolutions are dots per inch
// (0 when the file does not say). A picture holds 1, 8 or 24 bits per pixel:
//   1 bit   bilevel, 1 = black (ink), 0 = white;
//   8 bits  grey (0 black … 255 white), or indexes into colorTable() when the picture has one;
//   24 bits colour.
// Colours at this interface are 0x00BBGGRR, as everywhere in the project (0x0000FF is red).
//
// Ownership: the caller owns every CPictInfo and the pixels in it; destroying the descriptor
// (or ClearCPictInfo) releases them. Descriptors move but do not copy: DuplicateCPictInfo makes
// a deep copy on purpose. No operation keeps a reference to a descriptor after it returns.
//
// Every operation reports by its result: 1 (or, for LookImageInfo, any value above 0) is
// success, a negative ImageResult is failure. Nothing throws and bad input never crashes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vellary::imaging {

enum ImageResult : int {
  kImageOk = 1,
  kImageCannotOpen = -1,     // exists but cannot be opened or read: a folder, a device, I/O error
  kImageUnknownFormat = -2,  // not a BMP, TIFF, PNG or JPEG file
  kImageBadData = -3,        // damaged or truncated
  kImageUnsupported = -4,    // a variant of a known format that the layer does not read or write
  kImageTooLarge = -5,       // beyond kMaxPictureSide or kMaxPicturePixels
  kImageWriteFailed = -6,    // the file could not be written; any previous file is left as it was
  kImageBadArgument = -7,    // no pixels, a bad rectangle, factor, depth, angle, format …
  kImageNoSuchFile = -121,   // neither the file nor (some folder of) its path exists
};

// File formats: LookImageInfo's positive result, CPictInfo::fileFormat() and the save formats.
enum ImageFormat : int {
  kFormatByName = 0,  // save only: chosen by the file name's extension, TIFF when there is none
  kFormatBmp = 1,
  kFormatTiff = 2,
  kFormatPng = 3,  // lossless; the page list's preview files use it
  kFormatJpeg = 4,
};
inline constexpr int kFormatPreview = kFormatPng;

// TIFF compression codes, as the TIFF Compression tag numbers them.
enum TiffCompression : int {
  kTiffDefault = 0,  // CCITT Group 4 for bilevel pictures, LZW for the others
  kTiffNone = 1,
  kTiffG4 = 4,  // bilevel pictures only
  kTiffLzw = 5,
  kTiffDeflate = 8,
};

// Guards against absurd headers: a damaged 40-byte file must not make us allocate gigabytes.
inline constexpr int32_t kMaxPictureSide = 1 << 18;
inline constexpr int64_t kMaxPicturePixels = int64_t{1} << 29;

namespace detail {
class PixHandle;  // the move-only owner of the pixels; defined inside imaging/
struct PixHandleDelete {
  void operator()(PixHandle* handle) const noexcept;
};
struct PictAccess;
}  // namespace detail

class CPictInfo {
 public:
  CPictInfo();
  ~CPictInfo();
  CPictInfo(CPictInfo&&) noexcept;
  CPictInfo& operator=(CPictInfo&&) noexcept;
  CPictInfo(const CPictInfo&) = delete;
  CPictInfo& operator=(const CPictInfo&) = delete;

  // Set by the caller. fileName is a UTF-8 path of any length; it names the file that
  // LookImageInfo and LoadImageFileProc read and SaveImageFileProc writes.
  std::string fileName;
  int32_t saveFormat = kFormatByName;  // ImageFormat
  int32_t compression = kTiffDefault;  // TiffCompression, for TIFF
  int32_t quality = 75;                // JPEG quality 1–100; 0 means 75

  // Filled by LookImageInfo (without pixels) and by every operation that makes pixels.
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  int32_t bitsPerPixel() const { return bitsPerPixel_; }  // 1, 8 or 24; 0 when empty
  // Bytes of one row in the packed bitmap layout (ConvertCPictToDIB): rows padded to 4 bytes.
  int32_t bytesPerLine() const;
  int32_t xResolution() const { return xResolution_; }
  int32_t yResolution() const { return yResolution_; }
  // The colour table of an 8-bit palette picture (0x00BBGGRR, at most 256 entries); empty for
  // grey, colour and bilevel pictures (a bilevel picture never keeps one: 1 is black).
  const std::vector<uint32_t>& colorTable() const { return colorTable_; }
  int32_t fileFormat() const { return fileFormat_; }  // of the file last looked at or loaded
  bool hasPixels() const { return pixels_ != nullptr; }

 private:
  friend struct detail::PictAccess;
  int32_t width_ = 0, height_ = 0, bitsPerPixel_ = 0;
  int32_t xResolution_ = 0, yResolution_ = 0;
  int32_t fileFormat_ = 0;
  std::vector<uint32_t> colorTable_;
  std::unique_ptr<detail::PixHandle, detail::PixHandleDelete> pixels_;
};

// An empty descriptor: no pixels, no file name, default save settings.
void InitCPictInfo(CPictInfo& pict);
// Releases the pixels and forgets the picture's size, depth, resolution and colour table. The file
// name and the save settings stay, so that the descriptor can be loaded or saved again.
void ClearCPictInfo(CPictInfo& pict);
// A deep copy of the pixels, header fields and settings. 1, or kImageBadArgument when src has no
// pixels (then dst is cleared).
int DuplicateCPictInfo(const CPictInfo& src, CPictInfo& dst);

// A new white picture of the given size (pixels), depth (1, 8 or 24) and resolution (dpi). It
// replaces any picture the descriptor held. 1, kImageBadArgument or kImageTooLarge.
int CreateNewImageToCPictInfo(CPictInfo& pict, int32_t width, int32_t height, int32_t bitsPerPixel,
                              int32_t xResolution = 0, int32_t yResolution = 0);
// Changes the recorded resolution (dpi) without touching the pixels, e.g. after a caller scaled a
// picture for a target resolution. 1, or kImageBadArgument without pixels or with a negative value.
int SetPictResolution(CPictInfo& pict, int32_t xResolution, int32_t yResolution);

// One pixel as the depth defines it (see the top of this file): 0/1 for bilevel, the value or
// the colour-table index for 8 bits, 0x00BBGGRR for 24 bits. Nothing outside the picture.
std::optional<uint32_t> GetPictPixel(const CPictInfo& pict, int32_t x, int32_t y);
// Sets one pixel; false outside the picture or without pixels. The value is cut to the depth.
bool SetPictPixel(CPictInfo& pict, int32_t x, int32_t y, uint32_t value);
// True when a 24-bit picture has red = green = blue in every pixel, or an 8-bit picture is grey
// (no colour table, or a table of grey entries only). False for bilevel pictures and no pixels.
bool IsPictGrayscale(const CPictInfo& pict);
// Whether two pictures have the same size, depth, colour table and pixels (resolution aside).
bool SamePictPixels(const CPictInfo& a, const CPictInfo& b);

}  // namespace vellary::imaging
