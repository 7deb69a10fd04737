// Packed pictures and their drawing.
#include "views/packed_picture.h"

#include <QPainter>

#include "imaging/dib.h"

namespace vellary::views {

namespace {

void putLe32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// The block is a BMP file without its 14-byte file header; giving it one lets the image reader
// decode every depth the bitmap layer writes, colour tables included.
QImage decodePacked(const std::vector<uint8_t>& block) {
  imaging::PackedDibInfo info;
  if (imaging::DescribePackedDib(block, info) != 1) return {};
  std::vector<uint8_t> file(14 + block.size());
  file[0] = 'B';
  file[1] = 'M';
  putLe32(file, 2, static_cast<uint32_t>(file.size()));
  putLe32(file, 10, static_cast<uint32_t>(14 + info.pixelOffset));
  std::copy(block.begin(), block.end(), file.begin() + 14);
  QImage image;
  image.loadFromData(file.data(), static_cast<int>(file.size()), "BMP");
  return image;
}

}  // namespace

std::optional<PackedPicture> PictureToDib(const imaging::CPictInfo& pict) {
  PackedPicture p;
  p.block_ = imaging::MakePackedDib(pict);
  if (p.block_.empty()) return std::nullopt;
  p.image_ = decodePacked(p.block_);
  if (p.image_.isNull()) return std::nullopt;
  return p;
}

bool DrawDib(QPainter& painter, const QRect& dst, const PackedPicture* picture, const QRect& src) {
  if (picture == nullptr) return false;
  if (dst.size() == src.size())
    painter.drawImage(dst.topLeft(), picture->image(), src);
  else
    painter.drawImage(dst, picture->image(), src);
  return true;
}

}  // namespace vellary::views
