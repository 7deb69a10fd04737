// Small generated pictures for the picture layer's tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "imaging/dib.h"
#include "imaging/picture.h"

namespace vellary::imaging::pictest {

// A picture whose every pixel tells its position, so that any mix-up of rows, columns or
// channels shows: bilevel a diagonal-ish pattern, grey a ramp, colour distinct red/green/blue.
inline uint32_t patternValue(int bits, int x, int y) {
  switch (bits) {
    case 1:
      return ((x * 7 + y * 3) % 5 == 0 || (x / 4 + y / 3) % 3 == 0) ? 1u : 0u;
    case 8:
      return static_cast<uint32_t>((x * 13 + y * 29) & 0xff);
    default:
      return static_cast<uint32_t>((x * 5) & 0xff) | static_cast<uint32_t>((y * 7) & 0xff) << 8 |
             static_cast<uint32_t>((x + y) & 0xff) << 16;
  }
}

inline CPictInfo patternPicture(int bits, int width, int height, int xdpi = 400, int ydpi = 400) {
  CPictInfo pict;
  EXPECT_EQ(CreateNewImageToCPictInfo(pict, width, height, bits, xdpi, ydpi), kImageOk);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) SetPictPixel(pict, x, y, patternValue(bits, x, y));
  return pict;
}

// A filled rectangle of value v (left, top inclusive; right, bottom exclusive).
inline void fillRect(CPictInfo& pict, int left, int top, int right, int bottom, uint32_t v) {
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) SetPictPixel(pict, x, y, v);
}

inline uint32_t pixel(const CPictInfo& pict, int x, int y) {
  auto v = GetPictPixel(pict, x, y);
  EXPECT_TRUE(v.has_value()) << "no pixel at " << x << "," << y;
  return v.value_or(0xdeadbeef);
}

inline int channelDistance(uint32_t a, uint32_t b) {
  int worst = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    int d = static_cast<int>((a >> shift) & 0xff) - static_cast<int>((b >> shift) & 0xff);
    worst = std::max(worst, d < 0 ? -d : d);
  }
  return worst;
}

// An 8-bit palette picture of four colours (red, green, blue, white), built through a bitmap.
inline const std::vector<uint32_t> kPalette = {0x0000ff, 0x00ff00, 0xff0000, 0xffffff};
inline CPictInfo palettePicture(int width, int height, int dpi = 200) {
  std::vector<uint8_t> header(40 + 4 * kPalette.size(), 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) header[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  put32(0, 40);
  put32(4, static_cast<uint32_t>(width));
  put32(8, static_cast<uint32_t>(-height));  // top-down rows
  header[12] = 1;
  header[14] = 8;
  put32(24, static_cast<uint32_t>(dpi * 39.37 + 0.5));
  put32(28, static_cast<uint32_t>(dpi * 39.37 + 0.5));
  put32(32, static_cast<uint32_t>(kPalette.size()));
  for (size_t i = 0; i < kPalette.size(); ++i) {
    uint32_t c = kPalette[i];  // 0x00BBGGRR → blue, green, red, 0
    header[40 + 4 * i] = static_cast<uint8_t>(c >> 16);
    header[41 + 4 * i] = static_cast<uint8_t>(c >> 8);
    header[42 + 4 * i] = static_cast<uint8_t>(c);
  }
  size_t stride = (static_cast<size_t>(width) + 3) / 4 * 4;
  std::vector<uint8_t> rows(stride * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) rows[y * stride + x] = static_cast<uint8_t>((x / 3 + y) % 4);
  CPictInfo pict;
  EXPECT_EQ(ConvertDIBToCPict(pict, header, rows), kImageOk);
  return pict;
}

}  // namespace vellary::imaging::pictest
