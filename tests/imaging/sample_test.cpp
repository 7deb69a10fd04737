// The bundled sample document: its images load at the recorded size and resolution, and every
// character box is the ink box of the glyph on the page, as the tools that read boxes rely on.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "imaging/picture_file.h"
#include "imaging/picture_ops.h"
#include "model/text.h"
#include "rovorirud/reader.h"

namespace vellary::imaging {
namespace {

const std::string kSampleDir = std::string(VELLARY_SOURCE_DIR) + "/samples/minato";

void forEachLine(const model::BlockData& block,
                 const std::function<void(const model::LineData&)>& f) {
  for (const model::LineData& l : block.lines) f(l);
  for (const model::CellData& cell : block.cells)
    for (const model::LineData& l : cell.lines) f(l);
}

TEST(BundledSample, CharacterBoxesAreTheInkBoxesOfTheGlyphs) {
  rovorirud::ReadResult read = rovorirud::readDocumentFile(kSampleDir + "/minato.xml");
  ASSERT_EQ(read.code, rovorirud::ReadOk);
  ASSERT_EQ(read.paper->pages.size(), 3u);
  int sideLines = 0, lowConfidence = 0, checked = 0;
  for (const model::PageData& page : read.paper->pages) {
    SCOPED_TRACE(model::toUtf8(*page.file));
    CPictInfo image;
    image.fileName = kSampleDir + "/minato/" + model::toUtf8(*page.file);
    ASSERT_EQ(LoadImageFileProc(image), kImageOk);
    EXPECT_EQ(image.width(), page.width);
    EXPECT_EQ(image.height(), page.height);
    EXPECT_EQ(image.xResolution(), page.dpi);
    // Ink is black on the bilevel pages. On the colour page JPEG blurs thin strokes, so there an
    // edge counts when its row or column, or the one just inside, holds a darkish pixel.
    bool bilevel = image.bitsPerPixel() == 1;
    if (!bilevel) {
      ASSERT_EQ(Convert24BitColorImageTo8BitGrayscaleImage(image), kImageOk);
    }
    auto ink = [&](int x, int y) {
      uint32_t v = GetPictPixel(image, x, y).value_or(bilevel ? 0 : 255);
      return bilevel ? v == 1 : v < 190;
    };
    auto edge = [&](int x, int y, int dx, int dy) {
      return ink(x, y) || (!bilevel && ink(x + dx, y + dy));
    };
    for (const model::BlockData& block : page.blocks) {
      forEachLine(block, [&](const model::LineData& line) {
        if (line.attr != model::AttrNone) {
          ++sideLines;
          EXPECT_EQ(line.baseLine, nullptr);  // delivered beside the base, not attached
        }
        for (const model::CharData& c : line.chars) {
          if (c.cc < 6) ++lowConfidence;
          ASSERT_GT(c.width, 0);
          ASSERT_GT(c.height, 0);
          const int l = c.x, t = c.y, r = c.x + c.width - 1, b = c.y + c.height - 1;
          bool top = false, bottom = false, left = false, right = false;
          for (int x = l; x <= r; ++x) top |= edge(x, t, 0, 1), bottom |= edge(x, b, 0, -1);
          for (int y = t; y <= b; ++y) left |= edge(l, y, 1, 0), right |= edge(r, y, -1, 0);
          EXPECT_TRUE(top && bottom && left && right)
              << model::toUtf8(std::u16string(1, c.text[0])) << " at " << c.x << "," << c.y;
          if (bilevel) {
            // Nothing of the glyph lies outside its box.
            int outside = 0;
            for (int x = l - 1; x <= r + 1; ++x) outside += ink(x, t - 1) + ink(x, b + 1);
            for (int y = t; y <= b; ++y) outside += ink(l - 1, y) + ink(r + 1, y);
            EXPECT_EQ(outside, 0) << model::toUtf8(std::u16string(1, c.text[0])) << " at " << c.x
                                  << "," << c.y;
          }
          ++checked;
        }
      });
    }
  }
  EXPECT_GT(checked, 900);
  EXPECT_GE(sideLines, 9);
  EXPECT_GT(lowConfidence, 20);
}

}  // namespace
}  // namespace vellary::imaging
