// The packed device-independent bitmap that the views draw: one block holding a 40-byte info
// header, the colour table and the pixel rows, laid out as in a BMP file after its 14-byte file
// header (all fields little-endian).
//
//   header   size 40, width, height > 0 (rows stored bottom-up), planes 1, bit count 1, 8 or 24,
//            compression 0, image size, resolution in pixels per metre, colours used.
//   table    bit count 1: two entries, white then black (so a set bit is black, as in CPictInfo);
//            bit count 8: the picture's colour table, or 256 grey steps for a grey picture;
//            bit count 24: none. Entries are 4 bytes each: blue, green, red, 0.
//   rows     bottom row first, each padded to a multiple of 4 bytes (CPictInfo::bytesPerLine());
//            24-bit pixels as blue, green, red; bilevel pixels most significant bit first.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "imaging/picture.h"

namespace vellary::imaging {

inline constexpr uint32_t kDibInfoHeaderSize = 40;

// The header and colour table of a picture's packed bitmap. The caller owns it.
struct DibHeader {
  std::vector<uint8_t> bytes;  // info header followed by the colour table
  uint32_t imageSize = 0;      // bytes of the pixel rows that follow the table
};

// Fills header for pict. 1, or kImageBadArgument when pict has no pixels.
int ConvertCPictToDIB(const CPictInfo& pict, DibHeader& header);
// Releases what ConvertCPictToDIB put into the header.
void KIClearDIBHeader(DibHeader& header);
// Writes pict's pixel rows in the bitmap layout into out, which must hold header.imageSize bytes.
int CopyCPictToDIBPixels(const CPictInfo& pict, std::span<uint8_t> out);
// The whole packed bitmap in one block (header, table, rows); empty when pict has no pixels.
std::vector<uint8_t> MakePackedDib(const CPictInfo& pict);

// What a packed bitmap holds, after its header has been checked against the block's size.
struct PackedDibInfo {
  int32_t width = 0, height = 0;  // height > 0; topDown tells the row order
  bool topDown = false;
  int32_t bitCount = 0;       // 1, 4, 8, 24 or 32
  uint32_t headerSize = 0;    // bytes of the info header
  uint32_t tableEntries = 0;  // colour table entries after the header
  uint32_t stride = 0;        // bytes per row
  int32_t xPelsPerMeter = 0, yPelsPerMeter = 0;
  size_t pixelOffset = 0;  // of the first row within the block
};
// Checks a packed bitmap (header, table and rows in one block). 1, or kImageBadData when the
// header is not one this layer understands or the block is too short for what it announces.
int DescribePackedDib(std::span<const uint8_t> block, PackedDibInfo& info);

// Builds a picture from a bitmap: `header` holds the info header and colour table, `pixels` the
// rows. Bit counts 1, 4, 8, 24 and 32 (uncompressed) are read; 4 bits become 8, 32 bits 24; a
// bilevel table whose first entry is the darker becomes 1 = black; an 8-bit table of 256 grey
// steps becomes a grey picture. The resolution comes from the header. 1, or kImageBadData when
// the header is malformed or the spans are too short (the descriptor then holds no pixels).
int ConvertDIBToCPict(CPictInfo& pict, std::span<const uint8_t> header,
                      std::span<const uint8_t> pixels);
// The same for a packed bitmap in one block.
int ConvertPackedDibToCPict(CPictInfo& pict, std::span<const uint8_t> block);

}  // namespace vellary::imaging
