// Canvas, glyph and shape drawing for the sample generator.
#include "render.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <cmath>

#include "imaging/picture_ops.h"

namespace vellary::sample {

using namespace vellary::imaging;

void InkBox::add(const InkBox& other) {
  if (other.empty()) return;
  if (empty()) {
    *this = other;
    return;
  }
  left = std::min(left, other.left);
  top = std::min(top, other.top);
  right = std::max(right, other.right);
  bottom = std::max(bottom, other.bottom);
}

Canvas::Canvas(int width, int height, Rgb paper)
    : width_(width), height_(height), rgb_(static_cast<size_t>(width) * height * 3) {
  for (size_t i = 0; i < rgb_.size(); i += 3) {
    rgb_[i] = paper.r;
    rgb_[i + 1] = paper.g;
    rgb_[i + 2] = paper.b;
  }
}

void Canvas::blend(int x, int y, Rgb c, int coverage) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || coverage <= 0) return;
  coverage = std::min(coverage, 255);
  uint8_t* p = &rgb_[(static_cast<size_t>(y) * width_ + x) * 3];
  const uint8_t src[3] = {c.r, c.g, c.b};
  for (int i = 0; i < 3; ++i)
    p[i] = static_cast<uint8_t>((p[i] * (255 - coverage) + src[i] * coverage + 127) / 255);
}

void Canvas::fillRect(int left, int top, int right, int bottom, Rgb c) {
  for (int y = std::max(top, 0); y < std::min(bottom, height_); ++y)
    for (int x = std::max(left, 0); x < std::min(right, width_); ++x) blend(x, y, c, 255);
}

void Canvas::fillCircle(double cx, double cy, double radius, Rgb c) {
  int y0 = static_cast<int>(cy - radius - 1), y1 = static_cast<int>(cy + radius + 1);
  int x0 = static_cast<int>(cx - radius - 1), x1 = static_cast<int>(cx + radius + 1);
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
      double cover = std::clamp(radius - d + 0.5, 0.0, 1.0);
      blend(x, y, c, static_cast<int>(cover * 255));
    }
}

void Canvas::fillPolygon(const std::vector<double>& pts, Rgb c) {
  size_t n = pts.size() / 2;
  if (n < 3) return;
  double minY = pts[1], maxY = pts[1];
  for (size_t i = 0; i < n; ++i)
    minY = std::min(minY, pts[2 * i + 1]), maxY = std::max(maxY, pts[2 * i + 1]);
  for (int y = std::max(0, static_cast<int>(minY));
       y <= std::min(height_ - 1, static_cast<int>(maxY)); ++y) {
    double sy = y + 0.5;
    std::vector<double> xs;
    for (size_t i = 0; i < n; ++i) {
      double ax = pts[2 * i], ay = pts[2 * i + 1];
      double bx = pts[2 * ((i + 1) % n)], by = pts[2 * ((i + 1) % n) + 1];
      if ((ay <= sy) != (by <= sy)) xs.push_back(ax + (sy - ay) * (bx - ax) / (by - ay));
    }
    std::sort(xs.begin(), xs.end());
    for (size_t k = 0; k + 1 < xs.size(); k += 2)
      for (int x = static_cast<int>(std::lround(xs[k]));
           x < static_cast<int>(std::lround(xs[k + 1])); ++x)
        blend(x, y, c, 255);
  }
}

void Canvas::gradient(int left, int top, int right, int bottom, Rgb a, Rgb b) {
  for (int y = top; y < bottom; ++y) {
    double t = bottom - top > 1 ? static_cast<double>(y - top) / (bottom - top - 1) : 0;
    Rgb c{static_cast<uint8_t>(a.r + (b.r - a.r) * t), static_cast<uint8_t>(a.g + (b.g - a.g) * t),
          static_cast<uint8_t>(a.b + (b.b - a.b) * t)};
    fillRect(left, y, right, y + 1, c);
  }
}

void Canvas::addPaperNoise(uint32_t seed, int amplitude) {
  uint32_t s = seed;
  for (size_t i = 0; i < rgb_.size(); i += 3) {
    s = s * 1664525u + 1013904223u;  // a fixed generator: the same page on every machine
    int d = static_cast<int>((s >> 24) % (2 * amplitude + 1)) - amplitude;
    for (int k = 0; k < 3; ++k)
      rgb_[i + k] = static_cast<uint8_t>(std::clamp(rgb_[i + k] + d, 0, 255));
  }
}

int Canvas::toPicture(CPictInfo& pict, int dpi) const {
  if (int r = CreateNewImageToCPictInfo(pict, width_, height_, 24, dpi, dpi); r != kImageOk)
    return r;
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      const uint8_t* p = &rgb_[(static_cast<size_t>(y) * width_ + x) * 3];
      SetPictPixel(pict, x, y, p[0] | p[1] << 8 | p[2] << 16);
    }
  return kImageOk;
}

struct Font::Impl {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  hb_font_t* hb = nullptr;
  int size = 0;
  ~Impl() {
    if (hb != nullptr) hb_font_destroy(hb);
    if (face != nullptr) FT_Done_Face(face);
    if (library != nullptr) FT_Done_FreeType(library);
  }
  void setSize(int pixels) {
    if (pixels == size) return;
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixels));
    hb_ft_font_changed(hb);
    size = pixels;
  }
};

std::unique_ptr<Font> Font::open(const std::string& path) {
  std::unique_ptr<Font> font(new Font());
  font->impl_ = std::make_unique<Impl>();
  Impl& f = *font->impl_;
  if (FT_Init_FreeType(&f.library) != 0) return nullptr;
  if (FT_New_Face(f.library, path.c_str(), 0, &f.face) != 0) return nullptr;
  f.hb = hb_ft_font_create_referenced(f.face);
  return font;
}

Font::~Font() = default;

InkBox Font::draw(Canvas& canvas, char32_t ch, int size, int x, int y, bool vertical, Rgb colour,
                  int* advance) {
  Impl& f = *impl_;
  f.setSize(size);
  // Shaping one character top to bottom applies the font's vertical forms ('vert'): the
  // punctuation, small kana and long vowel mark of vertical text.
  hb_buffer_t* buffer = hb_buffer_create();
  uint32_t text = ch;
  hb_buffer_add_utf32(buffer, &text, 1, 0, 1);
  hb_buffer_set_direction(buffer, vertical ? HB_DIRECTION_TTB : HB_DIRECTION_LTR);
  hb_buffer_set_script(buffer, HB_SCRIPT_HAN);
  hb_buffer_set_language(buffer, hb_language_from_string("ja", -1));
  hb_shape(f.hb, buffer, nullptr, 0);
  unsigned count = 0;
  hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &count);
  FT_UInt glyph = count > 0 ? info[0].codepoint : FT_Get_Char_Index(f.face, ch);
  hb_buffer_destroy(buffer);

  InkBox box;
  if (FT_Load_Glyph(f.face, glyph, FT_LOAD_DEFAULT) != 0 ||
      FT_Render_Glyph(f.face->glyph, FT_RENDER_MODE_NORMAL) != 0)
    return box;
  const FT_GlyphSlot slot = f.face->glyph;
  if (advance != nullptr)
    *advance = vertical ? size : static_cast<int>((slot->advance.x + 32) >> 6);
  // The em square: the baseline lies at the font's ascent below its top.
  int baseline = y + static_cast<int>(std::lround(size * static_cast<double>(f.face->ascender) /
                                                  (f.face->ascender - f.face->descender)));
  int gx = x + slot->bitmap_left, gy = baseline - slot->bitmap_top;
  const FT_Bitmap& bm = slot->bitmap;
  for (unsigned row = 0; row < bm.rows; ++row)
    for (unsigned col = 0; col < bm.width; ++col) {
      int cover = bm.buffer[row * bm.pitch + col];
      if (cover == 0) continue;
      int px = gx + static_cast<int>(col), py = gy + static_cast<int>(row);
      canvas.blend(px, py, colour, cover);
      if (cover >= 128) box.add(InkBox{px, py, px + 1, py + 1});
    }
  return box;
}

}  // namespace vellary::sample
