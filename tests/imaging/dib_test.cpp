// Packed bitmaps: the layout the views draw, the way back, and malformed headers.
#include "imaging/dib.h"

#include <gtest/gtest.h>

#include "picture_helpers.h"

namespace vellary::imaging {
namespace {

using pictest::patternPicture;
using pictest::patternValue;
using pictest::pixel;

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

TEST(Dib, HeaderTableAndRowsFollowTheBitmapLayout) {
  struct Case {
    int bits;
    uint32_t entries;
    uint32_t stride;  // for width 21
  };
  for (Case c : {Case{1, 2, 4}, Case{8, 256, 24}, Case{24, 0, 64}}) {
    SCOPED_TRACE(c.bits);
    CPictInfo pict = patternPicture(c.bits, 21, 5, 400, 200);
    std::vector<uint8_t> dib = MakePackedDib(pict);
    ASSERT_EQ(dib.size(), 40 + 4 * c.entries + c.stride * 5);
    EXPECT_EQ(le32(dib, 0), 40u);
    EXPECT_EQ(le32(dib, 4), 21u);
    EXPECT_EQ(le32(dib, 8), 5u);  // positive: bottom-up rows
    EXPECT_EQ(dib[12], 1);
    EXPECT_EQ(dib[14], c.bits);
    EXPECT_EQ(le32(dib, 16), 0u);
    EXPECT_EQ(le32(dib, 20), c.stride * 5);
    EXPECT_EQ(le32(dib, 24), 15748u);  // 400 dpi in pixels per metre
    EXPECT_EQ(le32(dib, 28), 7874u);
    EXPECT_EQ(le32(dib, 32), c.entries);
    EXPECT_EQ(static_cast<uint32_t>(pict.bytesPerLine()), c.stride);

    const size_t rows = 40 + 4 * c.entries;
    // The top row of the picture is the last row of the bitmap.
    const uint8_t* top = &dib[rows + 4 * c.stride];
    for (int x = 0; x < 21; ++x) {
      uint32_t expected = patternValue(c.bits, x, 0);
      if (c.bits == 1) {
        ASSERT_EQ((top[x / 8] >> (7 - x % 8)) & 1, expected) << x;
      } else if (c.bits == 8) {
        ASSERT_EQ(top[x], expected) << x;
      } else {
        // Blue, green, red.
        ASSERT_EQ(top[3 * x], (expected >> 16) & 0xff) << x;
        ASSERT_EQ(top[3 * x + 1], (expected >> 8) & 0xff) << x;
        ASSERT_EQ(top[3 * x + 2], expected & 0xff) << x;
      }
    }
    if (c.bits == 1) {
      EXPECT_EQ(le32(dib, 40), 0x00ffffffu);  // index 0 white
      EXPECT_EQ(le32(dib, 44), 0u);           // index 1 black
    } else if (c.bits == 8) {
      EXPECT_EQ(le32(dib, 40 + 4 * 200), 0x00c8c8c8u);  // grey steps
    }
  }
}

TEST(Dib, PictureToBitmapAndBackIsExact) {
  for (int bits : {1, 8, 24}) {
    SCOPED_TRACE(bits);
    CPictInfo pict = patternPicture(bits, 45, 17, 300, 600);
    CPictInfo back;
    ASSERT_EQ(ConvertPackedDibToCPict(back, MakePackedDib(pict)), kImageOk);
    EXPECT_TRUE(SamePictPixels(pict, back));
    EXPECT_EQ(back.xResolution(), 300);
    EXPECT_EQ(back.yResolution(), 600);
  }
  CPictInfo palette = pictest::palettePicture(13, 4);
  CPictInfo back;
  ASSERT_EQ(ConvertPackedDibToCPict(back, MakePackedDib(palette)), kImageOk);
  EXPECT_TRUE(SamePictPixels(palette, back));

  // The stepwise form the views use gives the same bytes.
  DibHeader header;
  ASSERT_EQ(ConvertCPictToDIB(palette, header), kImageOk);
  std::vector<uint8_t> rows(header.imageSize);
  ASSERT_EQ(CopyCPictToDIBPixels(palette, rows), kImageOk);
  header.bytes.insert(header.bytes.end(), rows.begin(), rows.end());
  EXPECT_EQ(header.bytes, MakePackedDib(palette));
  KIClearDIBHeader(header);
  EXPECT_TRUE(header.bytes.empty());
  EXPECT_EQ(header.imageSize, 0u);
  EXPECT_EQ(CopyCPictToDIBPixels(palette, std::span<uint8_t>(rows).first(3)), kImageBadArgument);
  EXPECT_EQ(ConvertCPictToDIB(CPictInfo{}, header), kImageBadArgument);
  EXPECT_TRUE(MakePackedDib(CPictInfo{}).empty());
}

// A bitmap built by hand: header fields as given, table entries as blue-green-red-0 words.
std::vector<uint8_t> handBitmap(int32_t width, int32_t height, int bits,
                                const std::vector<uint32_t>& table,
                                const std::vector<uint8_t>& rows) {
  std::vector<uint8_t> b(40, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  put32(0, 40);
  put32(4, static_cast<uint32_t>(width));
  put32(8, static_cast<uint32_t>(height));
  b[12] = 1;
  b[14] = static_cast<uint8_t>(bits);
  put32(32, static_cast<uint32_t>(table.size()));
  for (uint32_t e : table)
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(e >> (8 * i)));
  b.insert(b.end(), rows.begin(), rows.end());
  return b;
}

TEST(Dib, ForeignBitmapsAreBroughtToThePictureForms) {
  CPictInfo pict;
  // Bilevel with black first: bit 0 is ink, so the picture's 1 must mark those pixels.
  ASSERT_EQ(ConvertPackedDibToCPict(
                pict, handBitmap(8, 1, 1, {0x000000, 0xffffff}, {0b10100000, 0, 0, 0})),
            kImageOk);
  EXPECT_EQ(pixel(pict, 0, 0), 0u);
  EXPECT_EQ(pixel(pict, 1, 0), 1u);

  // 4 bits with a palette become 8 bits with the same colours; top-down rows (negative height).
  ASSERT_EQ(ConvertPackedDibToCPict(
                pict, handBitmap(2, -2, 4, {0x0000ff, 0x00ff00}, {0x01, 0, 0, 0, 0x10, 0, 0, 0})),
            kImageOk);
  EXPECT_EQ(pict.bitsPerPixel(), 8);
  // Entry 0 holds blue 0xff in its first byte, entry 1 green.
  EXPECT_EQ(pict.colorTable().at(pixel(pict, 0, 0)), 0xff0000u);
  EXPECT_EQ(pict.colorTable().at(pixel(pict, 1, 0)), 0x00ff00u);
  EXPECT_EQ(pict.colorTable().at(pixel(pict, 0, 1)), 0x00ff00u);
  EXPECT_EQ(pict.colorTable().at(pixel(pict, 1, 1)), 0xff0000u);

  // 32 bits: blue, green, red, unused.
  ASSERT_EQ(ConvertPackedDibToCPict(pict, handBitmap(1, 1, 32, {}, {0x10, 0x20, 0x30, 0x99})),
            kImageOk);
  EXPECT_EQ(pict.bitsPerPixel(), 24);
  EXPECT_EQ(pixel(pict, 0, 0), 0x102030u);

  // An index past a two-entry table is taken as the last entry rather than read outside it.
  ASSERT_EQ(
      ConvertPackedDibToCPict(pict, handBitmap(1, 1, 8, {0x0000ff, 0x00ff00}, {200, 0, 0, 0})),
      kImageOk);
  EXPECT_EQ(pixel(pict, 0, 0), 1u);
}

TEST(Dib, MalformedBitmapsAreRefused) {
  std::vector<uint8_t> good = handBitmap(4, 2, 24, {}, std::vector<uint8_t>(24, 0));
  CPictInfo pict;
  ASSERT_EQ(ConvertPackedDibToCPict(pict, good), kImageOk);

  auto broken = [&](size_t at, uint8_t value) {
    std::vector<uint8_t> b = good;
    b[at] = value;
    return b;
  };
  const std::vector<std::vector<uint8_t>> bad = {
      {},
      std::vector<uint8_t>(good.begin(), good.begin() + 39),  // header cut
      std::vector<uint8_t>(good.begin(), good.end() - 1),     // last row cut
      broken(0, 12),                                          // old core header
      broken(0, 255),                                         // header longer than the block
      broken(12, 2),                                          // two planes
      broken(14, 16),                                         // 16 bits
      broken(16, 1),                                          // run-length compressed
      broken(7, 0x80),                                        // negative width
      broken(11, 0x80),                                       // height 0x80000002 → negative huge
      handBitmap(0x7fffffff, 1, 24, {}, {}),                  // absurd width
      handBitmap(1, 1, 8, std::vector<uint32_t>(257, 0), {0, 0, 0, 0}),  // table too long
      handBitmap(1, 1, 1, std::vector<uint32_t>(3, 0), {0, 0, 0, 0}),    // more than 2 entries
  };
  for (size_t i = 0; i < bad.size(); ++i) {
    PackedDibInfo info;
    EXPECT_EQ(DescribePackedDib(bad[i], info), kImageBadData) << i;
    EXPECT_EQ(ConvertPackedDibToCPict(pict, bad[i]), kImageBadData) << i;
    EXPECT_FALSE(pict.hasPixels()) << i;
  }
  // Header and rows given apart: the rows must be long enough for what the header announces.
  PackedDibInfo info;
  ASSERT_EQ(DescribePackedDib(good, info), kImageOk);
  std::span<const uint8_t> all(good);
  EXPECT_EQ(
      ConvertDIBToCPict(pict, all.first(info.pixelOffset), all.subspan(info.pixelOffset).first(23)),
      kImageBadData);
}

}  // namespace
}  // namespace vellary::imaging
