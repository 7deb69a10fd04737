// Reading and writing picture files, and the in-memory encoders, over Leptonica.
#include "imaging/picture_file.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>

#include "imaging/file_access.h"
#include "imaging/image_headers.h"
#include "imaging/pix_handle.h"

namespace vellary::imaging {

using detail::PictAccess;
using detail::PixHandle;

namespace {

struct LeptFree {
  void operator()(l_uint8* p) const { lept_free(p); }
};

// Decodes a whole file image. The header is read and the file's completeness checked first, so
// that the decoders only see files that announce a sane size and are not cut short.
int decodePix(std::span<const uint8_t> bytes, int page, PixHandle& out, int& format) {
  detail::quietLeptonica();
  detail::PictHeader header;
  if (int r = detail::readPictHeader(bytes, page, header); r != kImageOk) return r;
  format = header.format;
  if (!detail::looksComplete(bytes, format)) return kImageBadData;
  PixHandle pix;
  switch (format) {
    case kFormatBmp:
      pix.reset(pixReadMemBmp(bytes.data(), bytes.size()));
      break;
    case kFormatTiff:
      pix.reset(pixReadMemTiff(bytes.data(), bytes.size(), page));
      break;
    case kFormatPng:
      pix.reset(pixReadMemPng(bytes.data(), bytes.size()));
      break;
    case kFormatJpeg: {
      l_int32 warnings = 0;
      pix.reset(pixReadMemJpeg(bytes.data(), bytes.size(), 0, 1, &warnings, 0));
      break;
    }
    default:
      return kImageUnknownFormat;
  }
  if (!pix) return kImageBadData;
  if (pixGetWidth(pix.get()) != header.width || pixGetHeight(pix.get()) != header.height)
    return kImageBadData;
  pix = detail::normalisePix(std::move(pix));
  if (!pix) return kImageUnsupported;
  if (pixGetXRes(pix.get()) == 0 && pixGetYRes(pix.get()) == 0)
    pixSetResolution(pix.get(), header.xResolution, header.yResolution);
  out = std::move(pix);
  return kImageOk;
}

int formatByName(const std::string& name) {
  size_t dot = name.find_last_of('.');
  size_t slash = name.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return kFormatTiff;
  std::string ext = name.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (ext == "jpg" || ext == "jpeg" || ext == "jpe") return kFormatJpeg;
  if (ext == "png") return kFormatPng;
  if (ext == "bmp" || ext == "dib") return kFormatBmp;
  return kFormatTiff;
}

int tiffCompressionType(int compression, int depth) {
  switch (compression) {
    case kTiffDefault:
      return depth == 1 ? IFF_TIFF_G4 : IFF_TIFF_LZW;
    case kTiffNone:
      return IFF_TIFF;
    case kTiffG4:
      return depth == 1 ? IFF_TIFF_G4 : -1;
    case kTiffLzw:
      return IFF_TIFF_LZW;
    case kTiffDeflate:
      return IFF_TIFF_ZIP;
    default:
      return -1;
  }
}

}  // namespace

int LookImageInfo(CPictInfo& pict) {
  std::vector<uint8_t> bytes;
  int r = detail::readWholeFile(pict.fileName, bytes);
  if (r == kImageOk) {
    detail::PictHeader header;
    r = detail::readPictHeader(bytes, 0, header);
    if (r == kImageOk) {
      PictAccess::setHeader(pict, header);
      return header.format;
    }
  }
  ClearCPictInfo(pict);
  return r;
}

int LoadImageFileProc(CPictInfo& pict, int /*flag*/, int page) {
  std::vector<uint8_t> bytes;
  int r = detail::readWholeFile(pict.fileName, bytes);
  if (r == kImageOk) r = DecodeImage(bytes, pict, page);
  if (r != kImageOk) ClearCPictInfo(pict);
  return r;
}

int DecodeImage(std::span<const uint8_t> bytes, CPictInfo& pict, int page) {
  PixHandle pix;
  int format = 0;
  int r = decodePix(bytes, page, pix, format);
  if (r != kImageOk) {
    ClearCPictInfo(pict);
    return r;
  }
  PictAccess::adopt(pict, std::move(pix));
  PictAccess::setFileFormat(pict, format);
  return kImageOk;
}

int EncodeImage(const CPictInfo& pict, int format, int compression, int quality,
                std::vector<uint8_t>& out) {
  out.clear();
  PIX* pix = PictAccess::pix(pict);
  if (pix == nullptr) return kImageBadArgument;
  detail::quietLeptonica();
  l_uint8* raw = nullptr;
  size_t size = 0;
  l_int32 failed = 1;
  switch (format) {
    case kFormatJpeg: {
      if (quality == 0) quality = 75;
      if (quality < 1 || quality > 100) return kImageBadArgument;
      // JPEG knows no bilevel pictures and no palettes: bilevel goes as grey, palettes as the
      // colours they stand for.
      PixHandle source = pixGetDepth(pix) == 1 ? PixHandle(pixConvert1To8(nullptr, pix, 255, 0))
                                               : detail::withoutColormap(pix);
      if (!source) return kImageTooLarge;
      failed = pixWriteMemJpeg(&raw, &size, source.get(), quality, 0);
      break;
    }
    case kFormatTiff: {
      int type = tiffCompressionType(compression, pixGetDepth(pix));
      if (type < 0) return kImageBadArgument;
      failed = pixWriteMemTiff(&raw, &size, pix, type);
      break;
    }
    case kFormatPng:
      failed = pixWriteMemPng(&raw, &size, pix, 0.0f);
      break;
    case kFormatBmp:
      failed = pixWriteMemBmp(&raw, &size, pix);
      break;
    default:
      return kImageBadArgument;
  }
  std::unique_ptr<l_uint8, LeptFree> owned(raw);
  if (failed != 0 || raw == nullptr || size == 0) return kImageWriteFailed;
  out.assign(raw, raw + size);
  return kImageOk;
}

int EncodeJpeg(const CPictInfo& pict, int quality, std::vector<uint8_t>& out) {
  return EncodeImage(pict, kFormatJpeg, 0, quality, out);
}

int EncodeG4Tiff(const CPictInfo& pict, std::vector<uint8_t>& out) {
  out.clear();
  if (pict.bitsPerPixel() != 1) return kImageBadArgument;
  return EncodeImage(pict, kFormatTiff, kTiffG4, 0, out);
}

int EncodeG4Data(const CPictInfo& pict, std::vector<uint8_t>& out) {
  std::vector<uint8_t> tiff;
  out.clear();
  if (int r = EncodeG4Tiff(pict, tiff); r != kImageOk) return r;
  std::span<const uint8_t> strip = detail::singleTiffStrip(tiff);
  if (strip.empty()) return kImageWriteFailed;
  out.assign(strip.begin(), strip.end());
  return kImageOk;
}

int SaveImageFileProc(const CPictInfo& pict) {
  if (pict.fileName.empty()) return kImageBadArgument;
  int format = pict.saveFormat == kFormatByName ? formatByName(pict.fileName) : pict.saveFormat;
  std::vector<uint8_t> bytes;
  if (int r = EncodeImage(pict, format, pict.compression, pict.quality, bytes); r != kImageOk)
    return r;
  return detail::replaceWholeFile(pict.fileName, bytes);
}

}  // namespace vellary::imaging
