// Page composition shared by the PDF exports: geometry, font choice, positioned characters, the
// TIFF strip locator and the figure pipeline.
#include "export/pdf/pdf_data.h"

#include <cmath>
#include <cstdio>

#include "imaging/picture_file.h"
#include "model/file_access.h"

namespace vellary::exporting::pdf {

using imaging::CPictInfo;
using imaging::PictRect;

namespace {

uint32_t readLE(std::span<const uint8_t> b, size_t at, int size) {
  uint32_t v = 0;
  for (int i = size - 1; i >= 0; --i) v = (v << 8) | b[at + static_cast<size_t>(i)];
  return v;
}

}  // namespace

int fontTypeFor(int direction, int langId) {
  const bool vertical = direction == model::Vertical;
  switch (langId) {
    case 134:
      return vertical ? FontSimSunV : FontSimSun;
    case 136:
      return vertical ? FontMingLiUV : FontMingLiU;
    case 129:
      return vertical ? FontGulimV : FontGulim;
    case 0:
      return vertical ? FontMinchoV : FontTimes;
    default:
      return vertical ? FontMinchoV : FontMincho;
  }
}

bool isPositioned(const model::CharData& c) {
  if (c.x < 0 || c.y < 0) return false;
  return c.x != 0 || c.y != 0 || c.width >= 2 || c.height >= 2;
}

bool isHalfWidth(char16_t code) { return code <= 240 || (code >= 0xFF60 && code <= 0xFF9D); }

std::span<const uint8_t> locateTiffStrip(std::span<const uint8_t> tiff) {
  if (tiff.size() < 8 || tiff[0] != 'I' || tiff[1] != 'I' || readLE(tiff, 2, 2) != 42) return {};
  const size_t ifd = readLE(tiff, 4, 4);
  if (ifd + 2 > tiff.size()) return {};
  const size_t entries = readLE(tiff, ifd, 2);
  if (ifd + 2 + entries * 12 > tiff.size()) return {};
  // Each tag's values: (count, type size, where the values are).
  struct Values {
    uint32_t count = 0;
    int size = 0;
    size_t at = 0;
    bool found = false;
  } offsets, counts;
  for (size_t e = 0; e < entries; ++e) {
    const size_t at = ifd + 2 + e * 12;
    const uint32_t tag = readLE(tiff, at, 2);
    if (tag != 273 && tag != 279) continue;
    const uint32_t type = readLE(tiff, at + 2, 2);
    const int size = type == 3 ? 2 : type == 4 ? 4 : 0;  // SHORT or LONG
    if (size == 0) return {};
    Values v{readLE(tiff, at + 4, 4), size, at + 8, true};
    if (v.count == 0) return {};
    if (static_cast<uint64_t>(v.count) * v.size > 4) {
      v.at = readLE(tiff, at + 8, 4);
      if (v.at + static_cast<uint64_t>(v.count) * v.size > tiff.size()) return {};
    }
    (tag == 273 ? offsets : counts) = v;
  }
  if (!offsets.found || !counts.found || offsets.count != counts.count) return {};
  // The strips must follow one another, or their sum would not be the data of one image.
  uint64_t start = readLE(tiff, offsets.at, offsets.size);
  uint64_t end = start;
  for (uint32_t i = 0; i < counts.count; ++i) {
    if (readLE(tiff, offsets.at + i * static_cast<size_t>(offsets.size), offsets.size) != end)
      return {};
    end += readLE(tiff, counts.at + i * static_cast<size_t>(counts.size), counts.size);
  }
  if (end > tiff.size() || end == start) return {};
  return tiff.subspan(static_cast<size_t>(start), static_cast<size_t>(end - start));
}

CPDFdata::CPDFdata(int width, int height, int dpi) {
  if (width > 0) page_.width = width;
  if (height > 0) page_.height = height;
  if (dpi > 0) page_.dpi = dpi;
}

int CPDFdata::heightPoints() const {
  return static_cast<int>(std::lround(static_cast<double>(page_.height) * 72.0 / page_.dpi));
}

int CPDFdata::widthPoints() const {
  return static_cast<int>(std::lround(static_cast<double>(page_.width) * 72.0 / page_.dpi));
}

int loadPageImage(const std::string& path, CPictInfo& image) {
  image.fileName = path;
  const int r = imaging::LoadImageFileProc(image, 0, 0);
  if (r != imaging::kImageOk) return r;
  if (image.bitsPerPixel() == 24 && imaging::IsPictGrayscale(image))
    imaging::Convert24BitColorImageTo8BitGrayscaleImage(image);
  return imaging::kImageOk;
}

bool makeFigure(const CPictInfo& image, PictRect rect, double factor, int targetDpi,
                int jpegQuality, int pageHeight, int dpi, PdfImage& out) {
  // A rectangle that is the whole picture needs no copy: a page image is large.
  const CPictInfo* source = &image;
  CPictInfo piece, shrunk, converted;
  if (rect.left != 0 || rect.top != 0 || rect.right != image.width() ||
      rect.bottom != image.height()) {
    if (imaging::MakeSubPictImageFromPict(image, rect, piece) != imaging::kImageOk) return false;
    source = &piece;
  }
  if (factor > 0.1 && factor < 1) {
    if (imaging::MakeShrinkImageFromPict(*source, shrunk, factor, imaging::kShrinkKeepDepth) !=
        imaging::kImageOk)
      return false;
    imaging::SetPictResolution(shrunk, targetDpi, targetDpi);
    source = &shrunk;
  }
  out = PdfImage{};
  if (source->bitsPerPixel() == 1) {
    std::vector<uint8_t> tiff;
    if (imaging::EncodeG4Tiff(*source, tiff) != imaging::kImageOk) return false;
    std::span<const uint8_t> strip = locateTiffStrip(tiff);
    if (strip.empty()) return false;
    out.bytes.assign(strip.begin(), strip.end());
    out.bitsPerPixel = 1;
  } else {
    // The stream must hold what its colour space says: a palette picture goes as colour.
    const bool colour = image.bitsPerPixel() == 24 || !image.colorTable().empty();
    const bool matches = colour ? source->bitsPerPixel() == 24
                                : source->bitsPerPixel() == 8 && source->colorTable().empty();
    if (!matches) {
      if (imaging::DuplicateCPictInfo(*source, converted) != imaging::kImageOk) return false;
      if (colour)
        imaging::Convert8BitImageTo24BitImage(converted);
      else
        imaging::Convert24BitColorImageTo8BitGrayscaleImage(converted);
      source = &converted;
    }
    if (imaging::EncodeJpeg(*source, jpegQuality, out.bytes) != imaging::kImageOk) return false;
    out.bitsPerPixel = colour ? 24 : 8;
  }
  out.pixelWidth = source->width();
  out.pixelHeight = source->height();
  out.x = rect.left * 72.0 / dpi;
  out.y = (pageHeight - rect.bottom) * 72.0 / dpi;
  out.width = (rect.right - rect.left) * 72.0 / dpi;
  out.height = (rect.bottom - rect.top) * 72.0 / dpi;
  return true;
}

namespace {

// The JPEG file's bytes as the figure of the whole page, when the file is a colour or grey JPEG
// of the page's size and the figure would not be shrunk.
bool passThroughJpeg(const std::string& path, const FigureSpec& figure, int width, int height,
                     int dpi, int targetDpi, PdfImage& out) {
  const PictRect& r = figure.rect;
  if (r.left != 0 || r.top != 0 || r.right < width || r.bottom < height) return false;
  if (static_cast<double>(targetDpi) / dpi < 1) return false;
  CPictInfo header;
  header.fileName = path;
  if (imaging::LookImageInfo(header) <= 0 || header.width() != width || header.height() != height)
    return false;
  if (header.bitsPerPixel() != 24 && header.bitsPerPixel() != 8) return false;
  std::vector<uint8_t> bytes;
  if (model::readInputFile(path, bytes) != 0) return false;
  if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return false;
  // The frame header's component count: 3 colour, 1 grey; anything else (CMYK) is encoded anew.
  int components = 0;
  for (size_t at = 2; at + 9 < bytes.size();) {
    if (bytes[at] != 0xFF) return false;
    const uint8_t marker = bytes[at + 1];
    const size_t length = (size_t{bytes[at + 2]} << 8) | bytes[at + 3];
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      components = bytes[at + 9];
      break;
    }
    at += 2 + length;
  }
  if (components != 3 && components != 1) return false;
  out = PdfImage{};
  out.bytes = std::move(bytes);
  out.bitsPerPixel = components == 3 ? 24 : 8;
  out.pixelWidth = width;
  out.pixelHeight = height;
  out.width = width * 72.0 / dpi;
  out.height = height * 72.0 / dpi;
  out.artifact = figure.artifact;
  out.alt = figure.alt;
  out.order = figure.order;
  return true;
}

}  // namespace

void CPDFdata::addFigures(const std::string& imagePath, const std::vector<FigureSpec>& figures,
                          int targetDpi, int jpegQuality) {
  if (figures.empty()) return;
  if (figures.size() == 1) {
    PdfImage whole;
    if (passThroughJpeg(imagePath, figures.front(), page_.width, page_.height, page_.dpi,
                        targetDpi, whole)) {
      page_.images.push_back(std::move(whole));
      return;
    }
  }
  CPictInfo image;
  if (loadPageImage(imagePath, image) != imaging::kImageOk) return;
  addFigures(image, figures, targetDpi, jpegQuality);
}

void CPDFdata::addFigures(const CPictInfo& image, const std::vector<FigureSpec>& figures,
                          int targetDpi, int jpegQuality) {
  int target = targetDpi;
  if (image.bitsPerPixel() == 1) {
    const double scale = jpegQuality == 30 ? 0.4 : jpegQuality == 75 ? 0.7 : 1.0;
    target = static_cast<int>(image.xResolution() * scale);
  }
  const double factor = static_cast<double>(target) / page_.dpi;
  for (const FigureSpec& spec : figures) {
    PictRect r = spec.rect;
    // A rectangle as wide (high) as the picture or more takes the picture's whole width
    // (height), up to and including its last column (row).
    if (r.right - r.left >= image.width()) r.right = image.width();
    if (r.bottom - r.top >= image.height()) r.bottom = image.height();
    PdfImage figure;
    // A figure that cannot be made is left out of the page altogether.
    if (makeFigure(image, r, factor, target, jpegQuality, page_.height, page_.dpi, figure)) {
      figure.artifact = spec.artifact;
      figure.alt = spec.alt;
      figure.order = spec.order;
      page_.images.push_back(std::move(figure));
    }
  }
}

}  // namespace vellary::exporting::pdf
