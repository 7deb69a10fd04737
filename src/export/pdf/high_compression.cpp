// The high-compression page: the characters are lifted off the page image into one-bit masks,
// one per colour group of each block, painted in the group's colour; the page without them goes
// underneath as a reduced JPEG. Pixel work runs on the picture's packed rows, copied out of the
// picture layer once and put back once.
#include <algorithm>
#include <array>
#include <climits>
#include <cmath>

#include "export/pdf/pdf_data.h"
#include "imaging/dib.h"
#include "imaging/picture_file.h"
#include "model/kept_blocks.h"

namespace vellary::exporting::pdf {

using imaging::CPictInfo;
using imaging::PictRect;

namespace {

// Pixels within this distance (in each direction) of ink are painted over when text is removed,
// and a background pixel this close to black does not count towards the fill value.
constexpr int kReach = 4;
// Component averages above this count as paper white.
constexpr int kWhiteLimit = 242;

// A picture's pixel rows as the packed bitmap lays them out (bottom row first), for reading and
// writing by (x, y) from the top.
struct Raster {
  imaging::DibHeader header;
  model::BlockVector<uint8_t> rows;
  int width = 0, height = 0, stride = 0, bits = 0;

  bool load(const CPictInfo& pict) {
    if (imaging::ConvertCPictToDIB(pict, header) != imaging::kImageOk) return false;
    rows.assign(header.imageSize, 0);
    if (imaging::CopyCPictToDIBPixels(pict, rows) != imaging::kImageOk) return false;
    width = pict.width();
    height = pict.height();
    stride = pict.bytesPerLine();
    bits = pict.bitsPerPixel();
    return true;
  }
  uint8_t* row(int y) { return rows.data() + static_cast<size_t>(height - 1 - y) * stride; }
  const uint8_t* row(int y) const {
    return rows.data() + static_cast<size_t>(height - 1 - y) * stride;
  }
};

struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
  bool empty() const { return right <= left || bottom <= top; }
};

struct CharInk {
  Box ink;    // bounding box of the character's ink pixels
  bool dark;  // the character lies on a dark ground: its ink is the white of the 1-bit copy
};

struct Group {
  std::array<int, 3> colour{};  // red, green, blue: the top three bits of each
  std::vector<CharInk> chars;
  int64_t inkPixels = 0;
};

class HighCompression {
 public:
  HighCompression(CPDFdata& data, CPictInfo& image) : data_(data), image_(image) {}

  bool prepare();
  void block(const model::BlockData& block);
  void removeText(const model::PageData& page);
  bool commitImage();

 private:
  bool ink(int x, int y, bool dark) const { return black_[index(x, y)] != (dark ? 1 : 0); }
  size_t index(int x, int y) const { return static_cast<size_t>(y) * width_ + x; }
  Box clip(Box b) const {
    b.left = std::max(b.left, 0);
    b.top = std::max(b.top, 0);
    b.right = std::min(b.right, width_);
    b.bottom = std::min(b.bottom, height_);
    return b;
  }
  bool darkGround(const Box& box) const;
  std::array<int, 3> pixel(int x, int y) const;
  void addCharacter(const model::CharData& c, std::vector<Group>& groups);
  void mergeGroups(std::vector<Group>& groups, int64_t smallGroup) const;
  void addMask(const Group& group);
  void removeCharacter(const model::CharData& c, bool dark);

  CPDFdata& data_;
  CPictInfo& image_;
  Raster page_;
  int width_ = 0, height_ = 0;
  bool colour_ = false;
  model::BlockVector<uint8_t> black_;      // 1 where the 1-bit copy is black
  model::BlockVector<uint8_t> nearBlack_;  // 1 where black lies within kReach
  std::vector<bool> grounds_;       // per character taken, in order
};

// x + width without overflow, for boxes a damaged file may make absurd.
int edge(int32_t at, int32_t extent, int more = 0) {
  return static_cast<int>(std::min<int64_t>(int64_t{at} + extent + more, INT_MAX));
}

bool takenForMasks(const model::CharData& c) {
  const char16_t u = c.text[0];
  if (c.text[1] == 0 && (u == u'\t' || u == u'\r')) return false;
  return c.width > 0 && c.height > 0 && c.x >= 0 && c.y >= 0;
}

template <class F>
void forEachCharacter(const model::BlockData& block, F&& f) {
  if (block.type == model::BlockTable) {
    for (const model::CellData& cell : block.cells)
      for (const model::LineData& line : cell.lines)
        for (const model::CharData& c : line.chars)
          if (takenForMasks(c)) f(c);
  } else {
    for (const model::LineData& line : block.lines)
      for (const model::CharData& c : line.chars)
        if (takenForMasks(c)) f(c);
  }
}

bool HighCompression::prepare() {
  colour_ = image_.bitsPerPixel() == 24;
  CPictInfo bilevel;
  if (imaging::MakeBinDataFromGrayscaleData(image_, bilevel) != imaging::kImageOk) return false;
  Raster bin;
  if (!bin.load(bilevel) || !page_.load(image_)) return false;
  width_ = page_.width;
  height_ = page_.height;
  black_.assign(static_cast<size_t>(width_) * height_, 0);
  for (int y = 0; y < height_; ++y) {
    const uint8_t* r = bin.row(y);
    uint8_t* out = black_.data() + index(0, y);
    for (int x = 0; x < width_; ++x) out[x] = (r[x >> 3] >> (7 - (x & 7))) & 1;
  }
  // Dilation of black by kReach in both directions, as two running-count passes.
  model::BlockVector<uint8_t> across(black_.size(), 0);
  for (int y = 0; y < height_; ++y) {
    const uint8_t* b = black_.data() + index(0, y);
    uint8_t* a = across.data() + index(0, y);
    int count = 0;
    for (int x = 0; x < std::min(kReach, width_); ++x) count += b[x];
    for (int x = 0; x < width_; ++x) {
      if (x + kReach < width_) count += b[x + kReach];
      if (x - kReach - 1 >= 0) count -= b[x - kReach - 1];
      a[x] = count > 0;
    }
  }
  nearBlack_.assign(black_.size(), 0);
  std::vector<int> counts(static_cast<size_t>(width_), 0);
  for (int y = 0; y < std::min(kReach, height_); ++y)
    for (int x = 0; x < width_; ++x) counts[x] += across[index(x, y)];
  for (int y = 0; y < height_; ++y) {
    if (y + kReach < height_) {
      const uint8_t* a = across.data() + index(0, y + kReach);
      for (int x = 0; x < width_; ++x) counts[x] += a[x];
    }
    if (y - kReach - 1 >= 0) {
      const uint8_t* a = across.data() + index(0, y - kReach - 1);
      for (int x = 0; x < width_; ++x) counts[x] -= a[x];
    }
    uint8_t* n = nearBlack_.data() + index(0, y);
    for (int x = 0; x < width_; ++x) n[x] = counts[x] > 0;
  }
  return true;
}

std::array<int, 3> HighCompression::pixel(int x, int y) const {
  const uint8_t* r = page_.row(y);
  if (colour_) return {r[3 * x + 2], r[3 * x + 1], r[3 * x]};
  return {r[x], r[x], r[x]};
}

// More than six tenths of the one-pixel ring just outside the box (as far as it lies on the
// picture) are black.
bool HighCompression::darkGround(const Box& box) const {
  int64_t length = 0, blacks = 0;
  auto row = [&](int64_t y) {
    if (y < 0 || y >= height_) return;
    const int64_t from = std::max<int64_t>(int64_t{box.left} - 1, 0);
    const int64_t to = std::min<int64_t>(int64_t{box.right} + 1, width_);
    for (int64_t x = from; x < to; ++x)
      blacks += black_[index(static_cast<int>(x), static_cast<int>(y))];
    length += std::max<int64_t>(to - from, 0);
  };
  auto column = [&](int64_t x) {
    if (x < 0 || x >= width_) return;
    const int64_t from = std::max<int64_t>(box.top, 0);
    const int64_t to = std::min<int64_t>(box.bottom, height_);
    for (int64_t y = from; y < to; ++y)
      blacks += black_[index(static_cast<int>(x), static_cast<int>(y))];
    length += std::max<int64_t>(to - from, 0);
  };
  row(int64_t{box.top} - 1);
  row(box.bottom);
  column(int64_t{box.left} - 1);
  column(box.right);
  return blacks > length * 6 / 10;
}

void HighCompression::addCharacter(const model::CharData& c, std::vector<Group>& groups) {
  const Box box{c.x, c.y, edge(c.x, c.width), edge(c.y, c.height)};
  const bool dark = darkGround(box);
  grounds_.push_back(dark);
  const Box area = clip(box);
  if (area.empty()) return;
  // The most frequent colour of the ink, by its top three bits; on a tie the one met first.
  std::array<int, 512> count{};
  std::array<int, 512> order{};
  int met = 0, best = -1;
  int64_t pixels = 0;
  Box inkBox{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (!ink(x, y, dark)) continue;
      const auto p = pixel(x, y);
      const int key = (p[0] >> 5) << 6 | (p[1] >> 5) << 3 | (p[2] >> 5);
      if (count[key]++ == 0) order[key] = met++;
      if (best < 0 || count[key] > count[best] ||
          (count[key] == count[best] && order[key] < order[best]))
        best = key;
      ++pixels;
      inkBox.left = std::min(inkBox.left, x);
      inkBox.top = std::min(inkBox.top, y);
      inkBox.right = std::max(inkBox.right, x + 1);
      inkBox.bottom = std::max(inkBox.bottom, y + 1);
    }
  }
  if (pixels == 0) return;
  const std::array<int, 3> colour{best >> 6, (best >> 3) & 7, best & 7};
  auto g = std::find_if(groups.begin(), groups.end(),
                        [&](const Group& group) { return group.colour == colour; });
  if (g == groups.end()) {
    groups.push_back(Group{colour, {}, 0});
    g = std::prev(groups.end());
  }
  g->chars.push_back(CharInk{inkBox, dark});
  g->inkPixels += pixels;
}

// Small groups of nearly the same hue on the same ground join the larger one, so that a few
// pixels of anti-aliasing do not each cost a mask.
void HighCompression::mergeGroups(std::vector<Group>& groups, int64_t smallGroup) const {
  auto alike = [](const Group& a, const Group& b) {
    const int sa = a.colour[0] + a.colour[1] + a.colour[2];
    const int sb = b.colour[0] + b.colour[1] + b.colour[2];
    if (sa == 0 || sb == 0) return false;
    for (int i = 0; i < 3; ++i)
      if (std::abs(a.colour[i] / (sa / 3.0) - b.colour[i] / (sb / 3.0)) > 0.2) return false;
    return true;
  };
  for (size_t i = 0; i < groups.size(); ++i) {
    for (size_t k = i + 1; k < groups.size();) {
      Group& a = groups[i];
      Group& b = groups[k];
      if ((a.inkPixels < smallGroup || b.inkPixels < smallGroup) &&
          a.chars.front().dark == b.chars.front().dark && alike(a, b)) {
        if (b.inkPixels > a.inkPixels) std::swap(a, b);  // the larger absorbs, in i's place
        a.chars.insert(a.chars.end(), b.chars.begin(), b.chars.end());
        a.inkPixels += b.inkPixels;
        groups.erase(groups.begin() + static_cast<std::ptrdiff_t>(k));
      } else {
        ++k;
      }
    }
  }
}

void HighCompression::addMask(const Group& group) {
  Box u{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (const CharInk& c : group.chars) {
    u.left = std::min(u.left, c.ink.left);
    u.top = std::min(u.top, c.ink.top);
    u.right = std::max(u.right, c.ink.right);
    u.bottom = std::max(u.bottom, c.ink.bottom);
  }
  const int w = u.right - u.left, h = u.bottom - u.top;
  CPictInfo mask;
  if (imaging::CreateNewImageToCPictInfo(mask, w, h, 1, data_.dpi(), data_.dpi()) !=
      imaging::kImageOk)
    return;
  Raster m;
  if (!m.load(mask)) return;
  for (const CharInk& c : group.chars) {
    for (int y = c.ink.top; y < c.ink.bottom; ++y) {
      uint8_t* r = m.row(y - u.top);
      for (int x = c.ink.left; x < c.ink.right; ++x)
        if (ink(x, y, c.dark))
          r[(x - u.left) >> 3] |= static_cast<uint8_t>(0x80 >> ((x - u.left) & 7));
    }
  }
  if (imaging::ConvertDIBToCPict(mask, m.header.bytes, m.rows) != imaging::kImageOk) return;
  std::vector<uint8_t> tiff;
  if (imaging::EncodeG4Tiff(mask, tiff) != imaging::kImageOk) return;
  const std::span<const uint8_t> strip = locateTiffStrip(tiff);
  if (strip.empty()) return;  // the group is dropped; the others and the background stay
  PdfImage im;
  im.bytes.assign(strip.begin(), strip.end());
  im.bitsPerPixel = 1;
  im.imageMask = true;
  // Three significant bits per component, spread over the full range so that black stays black
  // and white stays white.
  auto full = [](int v) { return static_cast<uint8_t>(v * 255 / 7); };
  im.colour = Rgb{full(group.colour[0]), full(group.colour[1]), full(group.colour[2])};
  im.pixelWidth = w;
  im.pixelHeight = h;
  const int dpi = data_.dpi();
  im.x = u.left * 72.0 / dpi;
  im.y = (data_.height() - u.bottom) * 72.0 / dpi;
  im.width = w * 72.0 / dpi;
  im.height = h * 72.0 / dpi;
  im.artifact = true;
  data_.page().images.push_back(std::move(im));
}

void HighCompression::block(const model::BlockData& block) {
  if (block.type != model::BlockText && block.type != model::BlockTable) return;
  std::vector<Group> groups;
  forEachCharacter(block, [&](const model::CharData& c) { addCharacter(c, groups); });
  if (groups.empty()) return;
  mergeGroups(groups, (int64_t{block.width} + 1) * (int64_t{block.height} + 1) / 10);
  for (const Group& g : groups) addMask(g);
}

// Paints the character out of the page with the paper around it.
void HighCompression::removeCharacter(const model::CharData& c, bool dark) {
  const Box box = clip(Box{c.x, c.y, edge(c.x, c.width, 1), edge(c.y, c.height, 1)});
  if (box.empty()) return;
  int64_t farSum[3] = {0, 0, 0}, allSum[3] = {0, 0, 0};
  int64_t farCount = 0, allCount = 0;
  for (int y = box.top; y < box.bottom; ++y)
    for (int x = box.left; x < box.right; ++x) {
      if (ink(x, y, dark)) continue;
      const auto p = pixel(x, y);
      const bool isFar = nearBlack_[index(x, y)] == 0;
      for (int i = 0; i < 3; ++i) {
        allSum[i] += p[i];
        if (isFar) farSum[i] += p[i];
      }
      ++allCount;
      farCount += isFar;
    }
  std::array<int, 3> fill{255, 255, 255};
  if (farCount > 0 || allCount > 0) {
    const int64_t* sum = farCount > 0 ? farSum : allSum;
    const int64_t n = farCount > 0 ? farCount : allCount;
    for (int i = 0; i < 3; ++i) fill[i] = static_cast<int>(sum[i] / n);
    if (fill[0] > kWhiteLimit && fill[1] > kWhiteLimit && fill[2] > kWhiteLimit)
      fill = {255, 255, 255};
  }

  // Every pixel within kReach of ink inside the box, as a dilation within the box.
  const int w = box.right - box.left, h = box.bottom - box.top;
  std::vector<uint8_t> across(static_cast<size_t>(w) * h, 0);
  for (int y = 0; y < h; ++y) {
    int count = 0;
    for (int x = 0; x < std::min(kReach, w); ++x) count += ink(box.left + x, box.top + y, dark);
    for (int x = 0; x < w; ++x) {
      if (x + kReach < w) count += ink(box.left + x + kReach, box.top + y, dark);
      if (x - kReach - 1 >= 0) count -= ink(box.left + x - kReach - 1, box.top + y, dark);
      across[static_cast<size_t>(y) * w + x] = count > 0;
    }
  }
  for (int x = 0; x < w; ++x) {
    int count = 0;
    for (int y = 0; y < std::min(kReach, h); ++y) count += across[static_cast<size_t>(y) * w + x];
    for (int y = 0; y < h; ++y) {
      if (y + kReach < h) count += across[static_cast<size_t>(y + kReach) * w + x];
      if (y - kReach - 1 >= 0) count -= across[static_cast<size_t>(y - kReach - 1) * w + x];
      if (count == 0) continue;
      uint8_t* r = page_.row(box.top + y);
      const int px = box.left + x;
      if (colour_) {
        r[3 * px] = static_cast<uint8_t>(fill[2]);
        r[3 * px + 1] = static_cast<uint8_t>(fill[1]);
        r[3 * px + 2] = static_cast<uint8_t>(fill[0]);
      } else {
        r[px] = static_cast<uint8_t>(fill[0]);
      }
    }
  }
}

void HighCompression::removeText(const model::PageData& page) {
  size_t n = 0;
  for (const model::BlockData& block : page.blocks) {
    if (block.type != model::BlockText && block.type != model::BlockTable) continue;
    forEachCharacter(block, [&](const model::CharData& c) {
      const bool dark = n < grounds_.size() && grounds_[n];
      ++n;
      removeCharacter(c, dark);
    });
  }
}

bool HighCompression::commitImage() {
  return imaging::ConvertDIBToCPict(image_, page_.header.bytes, page_.rows) == imaging::kImageOk;
}

}  // namespace

void CPDFdata::composeHighCompression(const std::string& imagePath, const model::PageData& page,
                                      int targetDpi, int jpegQuality) {
  CPictInfo header;
  header.fileName = imagePath;
  if (imaging::LookImageInfo(header) <= 0) return;
  const PictRect whole{0, 0, page_.width, page_.height};
  CPictInfo image;
  if (loadPageImage(imagePath, image) != imaging::kImageOk) return;
  if (image.bitsPerPixel() == 1) {
    addFigures(image, {FigureSpec{whole, {}, 0, true}}, targetDpi, jpegQuality);
    return;
  }
  if (image.bitsPerPixel() == 8 && !image.colorTable().empty())
    imaging::Convert8BitImageTo24BitImage(image);

  // The background is image 0, drawn first; the masks follow over it.
  const size_t backgroundSlot = page_.images.size();
  page_.images.emplace_back();
  HighCompression hc(*this, image);
  if (hc.prepare()) {
    for (const model::BlockData& block : page.blocks) hc.block(block);
    hc.removeText(page);
    hc.commitImage();
  }
  const bool keep = targetDpi > 300 && jpegQuality == 100;
  const int target = keep ? page_.dpi : page_.dpi / 2;
  const int quality = keep || jpegQuality == 100 ? 75 : jpegQuality;
  const double factor = static_cast<double>(target) / page_.dpi;
  PdfImage background;
  if (makeFigure(image, whole, factor, target, quality, page_.height, page_.dpi, background)) {
    background.artifact = true;
    page_.images[backgroundSlot] = std::move(background);
  }
}

}  // namespace vellary::exporting::pdf
