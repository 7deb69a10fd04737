// Packed device-independent bitmaps to and from pictures.
#include "imaging/dib.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

#include "imaging/pix_handle.h"

namespace vellary::imaging {

using detail::PictAccess;
using detail::PixHandle;

namespace {

void putLe16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void putLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t le16(const uint8_t* p) { return p[0] | p[1] << 8; }
uint32_t le32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// Leptonica keeps 1- and 8-bit rows in 32-bit words whose first pixel is the most significant;
// a bitmap row is the same bits as a byte string.
uint32_t toBigEndian(uint32_t word) {
  if constexpr (std::endian::native == std::endian::little) return __builtin_bswap32(word);
  return word;
}

int32_t dpiToPerMetre(int dpi) { return dpi > 0 ? static_cast<int32_t>(dpi * 39.37 + 0.5) : 0; }
int perMetreToDpi(int32_t ppm) {
  return ppm > 0 ? static_cast<int>(static_cast<float>(ppm) / 39.37f + 0.5f) : 0;
}

// Parses an info header with its colour table, all of which must lie in `header`.
int parseInfoHeader(std::span<const uint8_t> header, PackedDibInfo& info) {
  info = PackedDibInfo{};
  if (header.size() < kDibInfoHeaderSize) return kImageBadData;
  const uint8_t* h = header.data();
  uint32_t size = le32(h);
  if (size < kDibInfoHeaderSize || size > header.size()) return kImageBadData;
  auto width = static_cast<int32_t>(le32(h + 4));
  auto height = static_cast<int32_t>(le32(h + 8));
  uint32_t planes = le16(h + 12), bits = le16(h + 14), compression = le32(h + 16);
  if (planes != 1 || compression != 0) return kImageBadData;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return kImageBadData;
  if (width <= 0 || height == 0 || height == INT32_MIN) return kImageBadData;
  info.topDown = height < 0;
  info.width = width;
  info.height = height < 0 ? -height : height;
  if (!detail::sizeAllowed(info.width, info.height)) return kImageBadData;
  uint32_t used = le32(h + 32);
  uint32_t entries = bits <= 8 ? (used == 0 ? 1u << bits : used) : used;
  if ((bits <= 8 && entries > (1u << bits)) || entries > 256) return kImageBadData;
  if (uint64_t{size} + uint64_t{entries} * 4 > header.size()) return kImageBadData;
  info.bitCount = static_cast<int32_t>(bits);
  info.headerSize = size;
  info.tableEntries = entries;
  info.stride =
      static_cast<uint32_t>((uint64_t{static_cast<uint32_t>(width)} * bits + 31) / 32 * 4);
  info.xPelsPerMeter = static_cast<int32_t>(le32(h + 24));
  info.yPelsPerMeter = static_cast<int32_t>(le32(h + 28));
  info.pixelOffset = size + size_t{entries} * 4;
  return kImageOk;
}

void tableEntry(std::span<const uint8_t> header, const PackedDibInfo& info, uint32_t i, int& r,
                int& g, int& b) {
  const uint8_t* e = header.data() + info.headerSize + size_t{i} * 4;
  b = e[0];
  g = e[1];
  r = e[2];
}

int luminance(int r, int g, int b) { return (299 * r + 587 * g + 114 * b) / 1000; }

}  // namespace

int ConvertCPictToDIB(const CPictInfo& pict, DibHeader& header) {
  header = DibHeader{};
  if (!pict.hasPixels()) return kImageBadArgument;
  int bits = pict.bitsPerPixel();
  std::vector<uint32_t> table;  // 0x00RRGGBB as a table entry reads little-endian
  if (bits == 1) {
    table = {0x00ffffff, 0x00000000};
  } else if (bits == 8 && !pict.colorTable().empty()) {
    for (uint32_t c : pict.colorTable())
      table.push_back((c & 0xff) << 16 | (c & 0xff00) | (c >> 16 & 0xff));
  } else if (bits == 8) {
    for (uint32_t i = 0; i < 256; ++i) table.push_back(i << 16 | i << 8 | i);
  }
  header.imageSize =
      static_cast<uint32_t>(pict.bytesPerLine()) * static_cast<uint32_t>(pict.height());
  header.bytes.assign(kDibInfoHeaderSize + table.size() * 4, 0);
  uint8_t* h = header.bytes.data();
  putLe32(h, kDibInfoHeaderSize);
  putLe32(h + 4, static_cast<uint32_t>(pict.width()));
  putLe32(h + 8, static_cast<uint32_t>(pict.height()));
  putLe16(h + 12, 1);
  putLe16(h + 14, static_cast<uint32_t>(bits));
  putLe32(h + 16, 0);
  putLe32(h + 20, header.imageSize);
  putLe32(h + 24, static_cast<uint32_t>(dpiToPerMetre(pict.xResolution())));
  putLe32(h + 28, static_cast<uint32_t>(dpiToPerMetre(pict.yResolution())));
  putLe32(h + 32, static_cast<uint32_t>(table.size()));
  putLe32(h + 36, 0);
  for (size_t i = 0; i < table.size(); ++i) putLe32(h + kDibInfoHeaderSize + i * 4, table[i]);
  return kImageOk;
}

void KIClearDIBHeader(DibHeader& header) {
  header.bytes.clear();
  header.bytes.shrink_to_fit();
  header.imageSize = 0;
}

int CopyCPictToDIBPixels(const CPictInfo& pict, std::span<uint8_t> out) {
  PIX* p = PictAccess::pix(pict);
  if (p == nullptr) return kImageBadArgument;
  size_t stride = static_cast<size_t>(pict.bytesPerLine());
  int w = pict.width(), h = pict.height();
  if (out.size() < stride * static_cast<size_t>(h)) return kImageBadArgument;
  int wpl = pixGetWpl(p);
  const l_uint32* data = pixGetData(p);
  for (int y = 0; y < h; ++y) {
    const l_uint32* line = data + static_cast<size_t>(y) * wpl;
    uint8_t* row = out.data() + static_cast<size_t>(h - 1 - y) * stride;
    if (pixGetDepth(p) == 32) {
      for (int x = 0; x < w; ++x) {
        l_uint32 v = line[x];
        row[3 * x] = static_cast<uint8_t>(v >> L_BLUE_SHIFT);
        row[3 * x + 1] = static_cast<uint8_t>(v >> L_GREEN_SHIFT);
        row[3 * x + 2] = static_cast<uint8_t>(v >> L_RED_SHIFT);
      }
      std::memset(row + 3 * static_cast<size_t>(w), 0, stride - 3 * static_cast<size_t>(w));
    } else {
      // For 1 and 8 bits the bitmap stride equals Leptonica's words per line × 4.
      for (int i = 0; i < wpl; ++i) {
        uint32_t word = toBigEndian(line[i]);
        std::memcpy(row + 4 * static_cast<size_t>(i), &word, 4);
      }
    }
  }
  return kImageOk;
}

std::vector<uint8_t> MakePackedDib(const CPictInfo& pict) {
  DibHeader header;
  if (ConvertCPictToDIB(pict, header) != kImageOk) return {};
  std::vector<uint8_t> block(header.bytes.size() + header.imageSize);
  std::memcpy(block.data(), header.bytes.data(), header.bytes.size());
  CopyCPictToDIBPixels(pict, std::span<uint8_t>(block).subspan(header.bytes.size()));
  return block;
}

int DescribePackedDib(std::span<const uint8_t> block, PackedDibInfo& info) {
  if (int r = parseInfoHeader(block, info); r != kImageOk) return r;
  if (uint64_t{info.pixelOffset} + uint64_t{info.stride} * static_cast<uint64_t>(info.height) >
      block.size())
    return kImageBadData;
  return kImageOk;
}

int ConvertDIBToCPict(CPictInfo& pict, std::span<const uint8_t> header,
                      std::span<const uint8_t> pixels) {
  PackedDibInfo info;
  int r = parseInfoHeader(header, info);
  if (r == kImageOk && uint64_t{info.stride} * static_cast<uint64_t>(info.height) > pixels.size())
    r = kImageBadData;
  if (r != kImageOk) {
    ClearCPictInfo(pict);
    return r;
  }
  detail::quietLeptonica();
  const int bits = info.bitCount;
  const int w = info.width, h = info.height;
  const int depth = bits >= 24 ? 32 : bits;
  PixHandle pix(pixCreate(w, h, depth));
  if (!pix) {
    ClearCPictInfo(pict);
    return kImageTooLarge;
  }
  PIX* p = pix.get();
  // The table decides what the indexes mean: a bilevel table whose first entry is the darker
  // is read inverted so that 1 means black; a table of 256 grey steps is plain grey.
  bool invert = false, greyRamp = false;
  uint32_t entries = info.tableEntries;
  if (bits == 1 && entries >= 2) {
    int r0, g0, b0, r1, g1, b1;
    tableEntry(header, info, 0, r0, g0, b0);
    tableEntry(header, info, 1, r1, g1, b1);
    invert = luminance(r0, g0, b0) < luminance(r1, g1, b1);
  } else if (bits == 8 && entries == 256) {
    greyRamp = true;
    for (uint32_t i = 0; i < 256 && greyRamp; ++i) {
      int r8, g8, b8;
      tableEntry(header, info, i, r8, g8, b8);
      greyRamp =
          r8 == static_cast<int>(i) && g8 == static_cast<int>(i) && b8 == static_cast<int>(i);
    }
  }
  if ((bits == 4 || bits == 8) && !greyRamp) {
    PIXCMAP* cmap = pixcmapCreate(bits);
    for (uint32_t i = 0; i < entries; ++i) {
      int r8, g8, b8;
      tableEntry(header, info, i, r8, g8, b8);
      pixcmapAddColor(cmap, r8, g8, b8);
    }
    if (entries == 0) pixcmapAddColor(cmap, 0, 0, 0);
    pixSetColormap(p, cmap);
  }
  // Indexes past the end of a short table would make Leptonica read outside its colour map:
  // they are taken as the last entry.
  uint32_t maxIndex =
      (bits == 4 || bits == 8) && !greyRamp ? std::max<uint32_t>(entries, 1) - 1 : 255;
  int wpl = pixGetWpl(p);
  l_uint32* data = pixGetData(p);
  for (int y = 0; y < h; ++y) {
    const uint8_t* row =
        pixels.data() + static_cast<size_t>(info.topDown ? y : h - 1 - y) * info.stride;
    l_uint32* line = data + static_cast<size_t>(y) * wpl;
    if (bits >= 24) {
      int step = bits / 8;
      for (int x = 0; x < w; ++x) {
        const uint8_t* px = row + static_cast<size_t>(x) * step;
        composeRGBPixel(px[2], px[1], px[0], &line[x]);
      }
      continue;
    }
    for (int i = 0; i < wpl; ++i) {
      uint32_t word;
      std::memcpy(&word, row + 4 * static_cast<size_t>(i), 4);
      line[i] = toBigEndian(word);
      if (invert) line[i] = ~line[i];
    }
    if (maxIndex < (1u << bits) - 1) {
      for (int x = 0; x < w; ++x) {
        l_uint32 v = bits == 8 ? GET_DATA_BYTE(line, x) : GET_DATA_QBIT(line, x);
        if (v > maxIndex) {
          if (bits == 8)
            SET_DATA_BYTE(line, x, maxIndex);
          else
            SET_DATA_QBIT(line, x, maxIndex);
        }
      }
    }
  }
  if (depth == 32) pixSetSpp(p, 3);
  pixSetResolution(p, perMetreToDpi(info.xPelsPerMeter), perMetreToDpi(info.yPelsPerMeter));
  pix = detail::normalisePix(std::move(pix));
  if (!pix) {
    ClearCPictInfo(pict);
    return kImageTooLarge;
  }
  PictAccess::adopt(pict, std::move(pix));
  return kImageOk;
}

int ConvertPackedDibToCPict(CPictInfo& pict, std::span<const uint8_t> block) {
  PackedDibInfo info;
  if (int r = DescribePackedDib(block, info); r != kImageOk) {
    ClearCPictInfo(pict);
    return r;
  }
  return ConvertDIBToCPict(pict, block.first(info.pixelOffset), block.subspan(info.pixelOffset));
}

}  // namespace vellary::imaging
