// CPDFdata: one page in composition. It turns a document page into the page content records of
// the object writer: figures cut from the page image, the text of the text blocks and tables
// (visible in a text PDF, invisible under the page picture of an image PDF) and the
// high-compression page.
//
// Geometry: pixels become points by × 72 / dpi, with the origin at the lower left.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "export/pdf/pdf_file.h"
#include "imaging/picture.h"
#include "imaging/picture_ops.h"
#include "model/records.h"

namespace vellary::exporting::pdf {

// The font type of a block's text from its direction and language (a Windows character set).
int fontTypeFor(int direction, int langId);

// Whether a character has a place on the page image. A character the user typed (x and y −1)
// has none, whatever size it was given.
bool isPositioned(const model::CharData& c);

// Half-width characters: codes 0 to 240 and the half-width katakana U+FF60 to U+FF9D.
bool isHalfWidth(char16_t code);

// The language tag of a block's language (a Windows character set) when it is not Japanese, the
// document's language; empty for Japanese.
std::string languageOf(int langId);

// A picture to cut from the page image: its rectangle (pixels, right and bottom exclusive), and
// what it is in the document.
struct FigureSpec {
  imaging::PictRect rect;
  std::u16string alt;     // the figure's description
  int order = 0;          // its place in the reading order
  bool artifact = false;  // a page picture, not a figure of the document
};

// The image data of the first strip of a little-endian TIFF: the offset of StripOffsets (273),
// the length the sum of StripByteCounts (279). Empty when the bytes are not such a TIFF, the
// strips are not one contiguous range, or they reach beyond the bytes.
std::span<const uint8_t> locateTiffStrip(std::span<const uint8_t> tiff);

class CPDFdata {
 public:
  CPDFdata() = default;  // 3305 × 4677 pixels at 400 dpi
  // Sizes and resolutions below 1 take the defaults.
  CPDFdata(int width, int height, int dpi);
  virtual ~CPDFdata() = default;

  const PdfPage& page() const { return page_; }
  PdfPage& page() { return page_; }
  int width() const { return page_.width; }
  int height() const { return page_.height; }
  int dpi() const { return page_.dpi; }
  int heightPoints() const;  // H
  int widthPoints() const;

  // Cuts each rectangle (pixels, right and bottom exclusive) from the page image and adds it as
  // an image record, scaled to targetDpi when that lies between a tenth of the page resolution
  // and the page resolution; colour and grey as JPEG of jpegQuality (30, 75 or 100), bilevel as
  // CCITT Group 4 at the image's own resolution × 0.4 (quality 30) or × 0.7 (quality 75). A page
  // image that cannot be loaded adds nothing; a figure that cannot be made is left out.
  // A whole-page picture that is already a colour or grey JPEG file at no more than the
  // resolution asked is embedded as it is, byte for byte.
  void addFigures(const std::string& imagePath, const std::vector<FigureSpec>& figures,
                  int targetDpi, int jpegQuality);
  // The same with a page image already loaded (grey 24-bit pictures already made 8-bit).
  void addFigures(const imaging::CPictInfo& image, const std::vector<FigureSpec>& figures,
                  int targetDpi, int jpegQuality);

  // The text of the page's text and table blocks in reading order: visible with the tables'
  // rules (text PDF), or invisible (RenderInvisible, the layer under an image PDF's picture).
  void composeText(const model::PageData& page, int renderMode);

  // High-compression page: a reduced JPEG background without the text as image 0 and one
  // Group 4 image mask per colour group of each block. A bilevel page image is added as one
  // whole-page figure instead.
  void composeHighCompression(const std::string& imagePath, const model::PageData& page,
                              int targetDpi, int jpegQuality);

  // Pixels to whole points, truncated. Kept within ±2^24 points (far beyond any page), so that
  // the arithmetic on them cannot overflow whatever a damaged file says.
  int points(int64_t pixels) const {
    return static_cast<int>(std::clamp<int64_t>(pixels * 72 / page_.dpi, -kFarPoints, kFarPoints));
  }
  static constexpr int64_t kFarPoints = int64_t{1} << 24;
  double pointsExact(double pixels) const { return pixels * 72.0 / page_.dpi; }

 private:
  PdfPage page_;
};

// Points (or hundredths) as whole numbers, truncated or rounded, kept within ±2^24 so that a
// damaged box cannot make them overflow.
inline int wholePoints(double v) {
  return static_cast<int>(std::clamp(v, -16777216.0, 16777216.0));
}
inline int roundedPoints(double v) { return wholePoints(v < 0 ? v - 0.5 : v + 0.5); }

// Loads a page image for export: a 24-bit picture whose pixels are all grey becomes 8-bit grey.
// 1, or the imaging layer's negative result.
int loadPageImage(const std::string& path, imaging::CPictInfo& image);

// One figure: the rectangle cut from image, shrunk by factor when 0.1 < factor < 1 (and marked
// with targetDpi), encoded as Group 4 (bilevel) or JPEG; placed at the rectangle's place on a
// page of pageHeight pixels at dpi. False when cutting, shrinking or encoding fails.
bool makeFigure(const imaging::CPictInfo& image, imaging::PictRect rect, double factor,
                int targetDpi, int jpegQuality, int pageHeight, int dpi, PdfImage& out);

}  // namespace vellary::exporting::pdf
