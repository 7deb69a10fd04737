// Header reading for BMP, TIFF, PNG and JPEG from memory, bounds-checked at every step.
#include "imaging/image_headers.h"

#include <array>
#include <cstring>

namespace vellary::imaging::detail {

namespace {

class Bytes {
 public:
  Bytes(std::span<const uint8_t> b, bool little) : b_(b), little_(little) {}
  bool has(uint64_t off, uint64_t n) const { return off <= b_.size() && n <= b_.size() - off; }
  uint8_t u8(size_t off) const { return b_[off]; }
  uint16_t u16(size_t off) const {
    return little_ ? static_cast<uint16_t>(b_[off] | b_[off + 1] << 8)
                   : static_cast<uint16_t>(b_[off] << 8 | b_[off + 1]);
  }
  uint32_t u32(size_t off) const {
    uint32_t a = b_[off], b = b_[off + 1], c = b_[off + 2], d = b_[off + 3];
    return little_ ? (a | b << 8 | c << 16 | d << 24) : (a << 24 | b << 16 | c << 8 | d);
  }
  size_t size() const { return b_.size(); }
  std::span<const uint8_t> span() const { return b_; }

 private:
  std::span<const uint8_t> b_;
  bool little_;
};

// Pixels per metre to dots per inch, rounded as the decoders round it.
int perMetreToDpi(int64_t ppm) {
  if (ppm <= 0 || ppm > 10'000'000) return 0;
  return static_cast<int>(static_cast<float>(ppm) / 39.37f + 0.5f);
}

int checkSize(PictHeader& h) {
  if (h.width <= 0 || h.height <= 0) return kImageBadData;
  if (!sizeAllowed(h.width, h.height)) return kImageTooLarge;
  return kImageOk;
}

int bmpHeader(const Bytes& b, PictHeader& h) {
  if (!b.has(0, 18)) return kImageBadData;
  uint32_t infoSize = b.u32(14);
  int bits = 0;
  if (infoSize == 12) {
    if (!b.has(14, 12)) return kImageBadData;
    h.width = b.u16(18);
    h.height = b.u16(20);
    bits = b.u16(24);
  } else if (infoSize >= 40) {
    if (!b.has(14, 40)) return kImageBadData;
    int64_t height = static_cast<int32_t>(b.u32(22));
    h.width = static_cast<int32_t>(b.u32(18));
    if (height < 0) height = -height;  // rows stored top-down
    if (height > kMaxPictureSide) return kImageTooLarge;
    h.height = static_cast<int>(height);
    bits = b.u16(28);
    if (b.u32(30) != 0) return kImageUnsupported;  // only uncompressed rows are read
    h.xResolution = perMetreToDpi(static_cast<int32_t>(b.u32(38)));
    h.yResolution = perMetreToDpi(static_cast<int32_t>(b.u32(42)));
  } else {
    return kImageBadData;
  }
  switch (bits) {
    case 1:
      h.bitsPerPixel = 1;
      break;
    case 2:
    case 4:
    case 8:
      h.bitsPerPixel = 8;
      break;
    case 16:
    case 24:
    case 32:
      h.bitsPerPixel = 24;
      break;
    default:
      return kImageBadData;
  }
  return checkSize(h);
}

struct TiffEntry {
  uint16_t tag = 0, type = 0;
  uint32_t count = 0;
  size_t at = 0;  // offset of the entry
};

int tiffTypeSize(uint16_t type) {
  switch (type) {
    case 1:
    case 2:
    case 6:
    case 7:
      return 1;  // byte, ascii, sbyte, undefined
    case 3:
    case 8:
      return 2;  // short, sshort
    case 4:
    case 9:
    case 11:
      return 4;  // long, slong, float
    case 5:
    case 10:
    case 12:
      return 8;  // rational, srational, double
    default:
      return 0;
  }
}

// Value `index` of an integer entry, or -1 when it is missing or out of bounds.
int64_t tiffValue(const Bytes& b, const TiffEntry& e, uint32_t index = 0) {
  int size = tiffTypeSize(e.type);
  if (index >= e.count || (e.type != 1 && e.type != 3 && e.type != 4)) return -1;
  uint64_t total = uint64_t{e.count} * size;
  uint64_t off = total <= 4 ? e.at + 8 : b.u32(e.at + 8);
  off += uint64_t{index} * size;
  if (!b.has(off, size)) return -1;
  if (size == 1) return b.u8(off);
  return size == 2 ? b.u16(off) : b.u32(off);
}

double tiffRational(const Bytes& b, const TiffEntry& e) {
  if (e.type != 5 || e.count < 1) return 0;
  uint32_t off = b.u32(e.at + 8);
  if (!b.has(off, 8)) return 0;
  uint32_t den = b.u32(off + 4);
  return den == 0 ? 0 : static_cast<double>(b.u32(off)) / den;
}

// Offset of the directory of page `page`, or 0.
uint32_t tiffDirectory(const Bytes& b, int page) {
  uint32_t ifd = b.u32(4);
  for (int i = 0; i < page; ++i) {
    if (ifd < 8 || !b.has(ifd, 2)) return 0;
    uint64_t next = ifd + 2 + uint64_t{b.u16(ifd)} * 12;
    if (!b.has(next, 4)) return 0;
    uint32_t following = b.u32(next);
    if (following <= ifd) return 0;  // a loop or a step back: no such page
    ifd = following;
  }
  return ifd >= 8 && b.has(ifd, 2) ? ifd : 0;
}

template <class F>
bool forEachTiffEntry(const Bytes& b, uint32_t ifd, F&& f) {
  uint16_t n = b.u16(ifd);
  if (!b.has(ifd + 2, uint64_t{n} * 12)) return false;
  for (uint16_t i = 0; i < n; ++i) {
    TiffEntry e;
    e.at = ifd + 2 + size_t{i} * 12;
    e.tag = b.u16(e.at);
    e.type = b.u16(e.at + 2);
    e.count = b.u32(e.at + 4);
    f(e);
  }
  return true;
}

// Whether every value an entry points to lies inside the file.
bool tiffEntryInside(const Bytes& b, const TiffEntry& e) {
  uint64_t total = uint64_t{e.count} * tiffTypeSize(e.type);
  return total <= 4 || b.has(b.u32(e.at + 8), total);
}

// Whether the pixel data the offset and byte-count arrays name (strips or tiles) lies inside
// the file: a file cut short is refused before libtiff decodes a part of it.
bool tiffDataInside(const Bytes& b, const TiffEntry* offsets, const TiffEntry* counts) {
  if (offsets == nullptr || counts == nullptr || offsets->count != counts->count) return false;
  for (uint32_t i = 0; i < offsets->count; ++i) {
    int64_t off = tiffValue(b, *offsets, i), len = tiffValue(b, *counts, i);
    if (off < 0 || len < 0 || !b.has(static_cast<uint64_t>(off), static_cast<uint64_t>(len)))
      return false;
  }
  return true;
}

int tiffHeader(const Bytes& b, int page, PictHeader& h) {
  if (!b.has(0, 8)) return kImageBadData;
  if (b.u16(2) == 43) return kImageUnsupported;  // BigTIFF
  if (b.u16(2) != 42) return kImageBadData;
  uint32_t ifd = tiffDirectory(b, page);
  if (ifd == 0) return page == 0 ? kImageBadData : kImageBadArgument;
  int64_t width = -1, height = -1, bps = 1, spp = 1, photometric = -1, unit = 2;
  double xres = 0, yres = 0;
  bool inside = true;
  TiffEntry stripOffsets, stripCounts, tileOffsets, tileCounts;
  bool strips = false, stripLengths = false, tiles = false, tileLengths = false;
  bool ok = forEachTiffEntry(b, ifd, [&](const TiffEntry& e) {
    inside = inside && tiffEntryInside(b, e);
    switch (e.tag) {
      case 273:
        stripOffsets = e, strips = true;
        break;
      case 279:
        stripCounts = e, stripLengths = true;
        break;
      case 324:
        tileOffsets = e, tiles = true;
        break;
      case 325:
        tileCounts = e, tileLengths = true;
        break;
      case 256:
        width = tiffValue(b, e);
        break;
      case 257:
        height = tiffValue(b, e);
        break;
      case 258:
        bps = tiffValue(b, e);
        break;
      case 262:
        photometric = tiffValue(b, e);
        break;
      case 277:
        spp = tiffValue(b, e);
        break;
      case 282:
        xres = tiffRational(b, e);
        break;
      case 283:
        yres = tiffRational(b, e);
        break;
      case 296:
        unit = tiffValue(b, e);
        break;
      default:
        break;
    }
  });
  if (!ok || !inside || width <= 0 || height <= 0 || bps <= 0 || spp <= 0) return kImageBadData;
  if (!(strips ? tiffDataInside(b, &stripOffsets, stripLengths ? &stripCounts : nullptr)
               : tiles && tiffDataInside(b, &tileOffsets, tileLengths ? &tileCounts : nullptr)))
    return kImageBadData;
  if (width > kMaxPictureSide || height > kMaxPictureSide) return kImageTooLarge;
  h.width = static_cast<int>(width);
  h.height = static_cast<int>(height);
  if (bps > 16) return kImageUnsupported;
  if (spp == 1)
    h.bitsPerPixel = bps == 1 ? 1 : 8;
  else if (spp <= 4 && photometric != 3)
    h.bitsPerPixel = 24;  // grey with alpha and CMYK arrive as colour too
  else
    return kImageUnsupported;
  // Resolution tags without a unit, or in inches, are taken as dots per inch.
  double scale = unit == 3 ? 2.54 : 1.0;
  if (xres > 0 && xres * scale < 1e6) h.xResolution = static_cast<int>(xres * scale + 0.5);
  if (yres > 0 && yres * scale < 1e6) h.yResolution = static_cast<int>(yres * scale + 0.5);
  return checkSize(h);
}

uint32_t crc32(const uint8_t* data, size_t n) {
  static const auto table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) c = table[(c ^ data[i]) & 0xff] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

int pngHeader(const Bytes& b, PictHeader& h) {
  if (!b.has(8, 8 + 13) || b.u32(8) != 13 || std::memcmp(&b.span()[12], "IHDR", 4) != 0)
    return kImageBadData;
  uint32_t width = b.u32(16), height = b.u32(20);
  int depth = b.u8(24), colorType = b.u8(25);
  if (width == 0 || height == 0) return kImageBadData;
  if (width > static_cast<uint32_t>(kMaxPictureSide) ||
      height > static_cast<uint32_t>(kMaxPictureSide))
    return kImageTooLarge;
  h.width = static_cast<int>(width);
  h.height = static_cast<int>(height);
  switch (colorType) {
    case 0:
    case 3:
      h.bitsPerPixel = depth == 1 ? 1 : 8;
      break;
    case 2:
    case 4:
    case 6:
      h.bitsPerPixel = 24;
      break;  // grey with alpha arrives as colour
    default:
      return kImageBadData;
  }
  // The pHYs chunk precedes the image data.
  for (uint64_t pos = 8; b.has(pos, 12);) {
    uint32_t len = b.u32(pos);
    const uint8_t* type = &b.span()[pos + 4];
    if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0) break;
    if (std::memcmp(type, "pHYs", 4) == 0 && len == 9 && b.has(pos + 8, 9) && b.u8(pos + 16) == 1) {
      h.xResolution = perMetreToDpi(b.u32(pos + 8));
      h.yResolution = perMetreToDpi(b.u32(pos + 12));
    }
    pos += uint64_t{12} + len;
  }
  return checkSize(h);
}

bool isStandaloneJpegMarker(uint8_t m) {
  return m == 0x01 || m == 0xD8 || (m >= 0xD0 && m <= 0xD7);
}

// Walks JPEG markers from the start of image; calls f(marker, offset of the marker, length) for
// each marker with a length, up to and including the first scan. False on a broken structure.
template <class F>
bool walkJpeg(const Bytes& b, F&& f) {
  uint64_t pos = 2;
  while (b.has(pos, 2)) {
    if (b.u8(pos) != 0xFF) return false;
    uint8_t marker = b.u8(pos + 1);
    if (marker == 0xFF) {  // fill byte
      ++pos;
      continue;
    }
    if (isStandaloneJpegMarker(marker)) {
      pos += 2;
      continue;
    }
    if (marker == 0xD9 || !b.has(pos + 2, 2)) return false;
    uint16_t len = static_cast<uint16_t>(b.u8(pos + 2) << 8 | b.u8(pos + 3));
    if (len < 2 || !b.has(pos + 2, len)) return false;
    if (!f(marker, static_cast<size_t>(pos), len)) return true;
    if (marker == 0xDA) return true;
    pos += 2 + uint64_t{len};
  }
  return false;
}

int jpegHeader(const Bytes& b, PictHeader& h) {
  int result = kImageBadData;
  bool sawScan = false;
  bool walked = walkJpeg(b, [&](uint8_t m, size_t at, uint16_t len) {
    if (m == 0xE0 && len >= 16 && std::memcmp(&b.span()[at + 4], "JFIF", 5) == 0) {
      int units = b.u8(at + 11);
      int xd = b.u8(at + 12) << 8 | b.u8(at + 13);
      int yd = b.u8(at + 14) << 8 | b.u8(at + 15);
      if (units == 1) {
        h.xResolution = xd;
        h.yResolution = yd;
      } else if (units == 2) {
        h.xResolution = static_cast<int>(xd * 2.54f + 0.5f);
        h.yResolution = static_cast<int>(yd * 2.54f + 0.5f);
      }
      return true;
    }
    if (m == 0xDA) {
      sawScan = true;
      return false;
    }
    bool frame = m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
    if (!frame) return true;
    if (len < 8) return false;
    // Baseline, extended, progressive and arithmetic frames decode; lossless and hierarchical
    // ones do not.
    bool readable = m == 0xC0 || m == 0xC1 || m == 0xC2 || m == 0xC9 || m == 0xCA;
    int precision = b.u8(at + 4);
    h.height = b.u8(at + 5) << 8 | b.u8(at + 6);
    h.width = b.u8(at + 7) << 8 | b.u8(at + 8);
    int components = b.u8(at + 9);
    if (!readable || precision != 8 || h.height == 0) {
      result = kImageUnsupported;
    } else if (components == 1) {
      h.bitsPerPixel = 8;
      result = kImageOk;
    } else if (components == 3 || components == 4) {
      h.bitsPerPixel = 24;
      result = kImageOk;
    } else {
      result = kImageUnsupported;
    }
    return false;
  });
  if (!walked || sawScan) return kImageBadData;  // no frame before the scan
  if (result != kImageOk) return result;
  return checkSize(h);
}

}  // namespace

int sniffFormat(std::span<const uint8_t> bytes) {
  size_t n = bytes.size();
  if (n >= 8 && std::memcmp(bytes.data(), kPngSignature, 8) == 0) return kFormatPng;
  if (n >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) return kFormatJpeg;
  if (n >= 4 &&
      ((bytes[0] == 'I' && bytes[1] == 'I' && bytes[3] == 0 &&
        (bytes[2] == 42 || bytes[2] == 43)) ||
       (bytes[0] == 'M' && bytes[1] == 'M' && bytes[2] == 0 && (bytes[3] == 42 || bytes[3] == 43))))
    return kFormatTiff;
  if (n >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return kFormatBmp;
  return 0;
}

int readPictHeader(std::span<const uint8_t> bytes, int page, PictHeader& header) {
  header = PictHeader{};
  int format = sniffFormat(bytes);
  if (format == 0) return kImageUnknownFormat;
  if (page < 0 || (page > 0 && format != kFormatTiff)) return kImageBadArgument;
  header.format = format;
  switch (format) {
    case kFormatBmp:
      return bmpHeader(Bytes(bytes, true), header);
    case kFormatTiff:
      return tiffHeader(Bytes(bytes, bytes[0] == 'I'), page, header);
    case kFormatPng:
      return pngHeader(Bytes(bytes, false), header);
    default:
      return jpegHeader(Bytes(bytes, false), header);
  }
}

bool looksComplete(std::span<const uint8_t> bytes, int format) {
  if (format == kFormatPng) {
    // Every chunk's checksum is verified here, so that a damaged file is refused quietly
    // instead of by the decoder's complaints.
    Bytes b(bytes, false);
    for (uint64_t pos = 8; b.has(pos, 12);) {
      uint64_t len = b.u32(pos);
      if (!b.has(pos + 8, len + 4)) return false;
      if (crc32(&bytes[pos + 4], static_cast<size_t>(len) + 4) != b.u32(pos + 8 + len))
        return false;
      if (std::memcmp(&bytes[pos + 4], "IEND", 4) == 0) return true;
      pos += 12 + len;
    }
    return false;
  }
  if (format == kFormatJpeg) {
    Bytes b(bytes, false);
    size_t scan = 0;
    bool walked = walkJpeg(b, [&](uint8_t m, size_t at, uint16_t len) {
      if (m == 0xDA) scan = at + 2 + len;
      return true;
    });
    if (!walked || scan == 0) return false;
    // Inside entropy-coded data every 0xFF byte is followed by 0x00 or a restart marker, so the
    // first 0xFF 0xD9 after the scan header is the end of the image.
    for (size_t i = scan; i + 1 < bytes.size(); ++i) {
      const void* ff = std::memchr(&bytes[i], 0xFF, bytes.size() - 1 - i);
      if (ff == nullptr) return false;
      i = static_cast<size_t>(static_cast<const uint8_t*>(ff) - bytes.data());
      if (bytes[i + 1] == 0xD9) return true;
    }
    return false;
  }
  return true;
}

std::span<const uint8_t> singleTiffStrip(std::span<const uint8_t> tiff) {
  if (sniffFormat(tiff) != kFormatTiff || tiff.size() < 8) return {};
  Bytes b(tiff, tiff[0] == 'I');
  if (b.u16(2) != 42) return {};
  uint32_t ifd = tiffDirectory(b, 0);
  if (ifd == 0) return {};
  int64_t offset = -1, length = -1;
  uint32_t offsets = 0, lengths = 0;
  bool ok = forEachTiffEntry(b, ifd, [&](const TiffEntry& e) {
    if (e.tag == 273) {
      offsets = e.count;
      offset = tiffValue(b, e);
    } else if (e.tag == 279) {
      lengths = e.count;
      length = tiffValue(b, e);
    }
  });
  if (!ok || offsets != 1 || lengths != 1 || offset < 0 || length <= 0) return {};
  if (!b.has(static_cast<uint64_t>(offset), static_cast<uint64_t>(length))) return {};
  return tiff.subspan(static_cast<size_t>(offset), static_cast<size_t>(length));
}

}  // namespace vellary::imaging::detail
