// Drawing a scanned-looking page: an RGB canvas, glyphs through FreeType (vertical forms through
// HarfBuzz), and the few shapes the sample's figure, rules and table need.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/picture.h"

namespace vellary::sample {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
};

// The ink box of something drawn, in page pixels; right and bottom exclusive.
struct InkBox {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool empty() const { return right <= left || bottom <= top; }
  void add(const InkBox& other);
};

class Canvas {
 public:
  Canvas(int width, int height, Rgb paper);
  int width() const { return width_; }
  int height() const { return height_; }
  // Lays `colour` over the pixel with coverage 0–255.
  void blend(int x, int y, Rgb colour, int coverage);
  void fillRect(int left, int top, int right, int bottom, Rgb colour);
  void fillCircle(double cx, double cy, double radius, Rgb colour);
  // A filled polygon (even-odd rule), points as x, y pairs.
  void fillPolygon(const std::vector<double>& points, Rgb colour);
  // A vertical gradient from `top` to `bottom` colour inside the rectangle.
  void gradient(int left, int top, int right, int bottom, Rgb topColour, Rgb bottomColour);
  // Seeded, so that every run gives the same page: the faint unevenness of scanned paper.
  void addPaperNoise(uint32_t seed, int amplitude);

  // The picture layer's form: 24-bit colour, or grey for thresholding.
  int toPicture(imaging::CPictInfo& pict, int dpi) const;

 private:
  int width_, height_;
  std::vector<uint8_t> rgb_;
};

class Font {
 public:
  // nullptr when the file cannot be opened as a font.
  static std::unique_ptr<Font> open(const std::string& path);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // Draws one character in an em square of `size` pixels whose top-left corner is (x, y); in
  // vertical writing the vertical form of the character is used. Returns the ink box: the pixels
  // whose coverage reaches half, the same pixels a threshold at 128 turns black. `advance`
  // receives the pen advance in pixels along the writing direction.
  InkBox draw(Canvas& canvas, char32_t ch, int size, int x, int y, bool vertical, Rgb colour,
              int* advance = nullptr);

 private:
  Font() = default;
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vellary::sample
