// Packed pictures: a picture's device-independent bitmap in one block, as the page list, the
// image views and the text view's line images keep it, and its drawing onto a painter.
#pragma once

#include <QImage>
#include <QRect>
#include <cstdint>
#include <optional>
#include <vector>

#include "imaging/picture.h"

class QPainter;

namespace vellary::views {

class PackedPicture {
 public:
  // The block: info header, colour table, pixel rows bottom-up (imaging/dib.h).
  const std::vector<uint8_t>& block() const { return block_; }
  int width() const { return image_.width(); }
  int height() const { return image_.height(); }
  // The decoded form the painter draws; made once with the block.
  const QImage& image() const { return image_; }

 private:
  friend std::optional<PackedPicture> PictureToDib(const imaging::CPictInfo& pict);
  std::vector<uint8_t> block_;
  QImage image_;
};

// Nothing when the picture holds no pixels or its bitmap cannot be decoded.
std::optional<PackedPicture> PictureToDib(const imaging::CPictInfo& pict);

// Draws src of the picture onto dst: copied when both have the same size, stretched otherwise.
// false when there is no picture to draw.
bool DrawDib(QPainter& painter, const QRect& dst, const PackedPicture* picture, const QRect& src);

}  // namespace vellary::views
