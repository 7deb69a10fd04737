// JPEG and PNG headers: pixel size and resolution.
#include "oxmlgen/image_file.h"

#include <cstdint>

#include "model/file_access.h"
#include "oxmlgen/document.h"

namespace oxmlgen {
namespace {

constexpr size_t kMaxPictureBytes = 256u << 20;

uint32_t be16(const std::string& b, size_t at) {
  return (static_cast<uint8_t>(b[at]) << 8) | static_cast<uint8_t>(b[at + 1]);
}
uint32_t be32(const std::string& b, size_t at) { return (be16(b, at) << 16) | be16(b, at + 2); }

bool readJpeg(const std::string& b, Picture& p) {
  if (b.size() < 4 || static_cast<uint8_t>(b[0]) != 0xFF || static_cast<uint8_t>(b[1]) != 0xD8)
    return false;
  size_t i = 2;
  while (i + 4 <= b.size()) {
    if (static_cast<uint8_t>(b[i]) != 0xFF) return false;
    uint8_t marker = static_cast<uint8_t>(b[i + 1]);
    if (marker == 0xFF) {  // fill byte
      ++i;
      continue;
    }
    if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
      i += 2;
      continue;
    }
    size_t len = be16(b, i + 2);
    if (len < 2 || i + 2 + len > b.size()) return false;
    size_t seg = i + 4;
    if (marker == 0xE0 && len >= 16 && b.compare(seg, 5, std::string("JFIF\0", 5)) == 0) {
      int unit = static_cast<uint8_t>(b[seg + 7]);
      double x = be16(b, seg + 8), y = be16(b, seg + 10);
      if (x > 0 && y > 0 && (unit == 1 || unit == 2)) {
        p.dpiX = unit == 1 ? x : x * 2.54;
        p.dpiY = unit == 1 ? y : y * 2.54;
      }
    }
    bool sof =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (sof && len >= 7) {
      p.pixelHeight = static_cast<int>(be16(b, seg + 1));
      p.pixelWidth = static_cast<int>(be16(b, seg + 3));
      return p.pixelWidth > 0 && p.pixelHeight > 0;
    }
    i += 2 + len;
  }
  return false;
}

bool readPng(const std::string& b, Picture& p) {
  static const char kSignature[] = "\x89PNG\r\n\x1a\n";
  if (b.size() < 33 || b.compare(0, 8, std::string(kSignature, 8)) != 0 ||
      b.compare(12, 4, "IHDR") != 0)
    return false;
  p.pixelWidth = static_cast<int>(std::min<uint32_t>(be32(b, 16), 1u << 30));
  p.pixelHeight = static_cast<int>(std::min<uint32_t>(be32(b, 20), 1u << 30));
  // pHYs, when present before the image data, gives pixels per metre.
  size_t i = 8;
  while (i + 12 <= b.size()) {
    uint32_t len = be32(b, i);
    if (len > b.size() - i - 12) break;
    if (b.compare(i + 4, 4, "IDAT") == 0) break;
    if (b.compare(i + 4, 4, "pHYs") == 0 && len >= 9 && b[i + 16] == 1) {
      double x = be32(b, i + 8), y = be32(b, i + 12);
      if (x > 0 && y > 0) {
        p.dpiX = x * 0.0254;
        p.dpiY = y * 0.0254;
      }
    }
    i += 12 + len;
  }
  return p.pixelWidth > 0 && p.pixelHeight > 0;
}

}  // namespace

bool loadPictureFile(const std::string& path, bool png, Picture& picture) {
  if (vellary::model::readInputFile(path, picture.bytes, kMaxPictureBytes) != 0 ||
      picture.bytes.empty())
    return false;
  picture.png = png;
  return png ? readPng(picture.bytes, picture) : readJpeg(picture.bytes, picture);
}

}  // namespace oxmlgen
