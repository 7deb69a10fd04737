// Cutting, shrinking, expanding, turning and depth conversions.
#include "imaging/picture_ops.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "picture_helpers.h"

namespace vellary::imaging {
namespace {

using pictest::patternPicture;
using pictest::patternValue;
using pictest::pixel;

TEST(SubPicture, InteriorRectangleCopiesExactlyWithDepthAndResolution) {
  for (int bits : {1, 8, 24}) {
    SCOPED_TRACE(bits);
    CPictInfo page = patternPicture(bits, 90, 60, 300, 600);
    CPictInfo piece;
    ASSERT_EQ(MakeSubPictImageFromPict(page, {13, 7, 13 + 41, 7 + 29}, piece), kImageOk);
    EXPECT_EQ(piece.width(), 41);
    EXPECT_EQ(piece.height(), 29);
    EXPECT_EQ(piece.bitsPerPixel(), bits);
    EXPECT_EQ(piece.xResolution(), 300);
    EXPECT_EQ(piece.yResolution(), 600);
    for (int y = 0; y < 29; ++y)
      for (int x = 0; x < 41; ++x) ASSERT_EQ(pixel(piece, x, y), patternValue(bits, x + 13, y + 7));
  }
}

TEST(SubPicture, RectanglesAcrossTheEdgesKeepTheirSizeAndShowWhiteOutside) {
  for (int bits : {1, 8, 24}) {
    SCOPED_TRACE(bits);
    const uint32_t white = bits == 1 ? 0 : bits == 8 ? 255 : 0xffffff;
    CPictInfo page = patternPicture(bits, 50, 40);
    // One pixel larger on every side than the page, as the one-line window asks at the edges.
    CPictInfo piece;
    ASSERT_EQ(MakeSubPictImageFromPict(page, {-1, -1, 51, 41}, piece), kImageOk);
    EXPECT_EQ(piece.width(), 52);
    EXPECT_EQ(piece.height(), 42);
    EXPECT_EQ(pixel(piece, 0, 0), white);
    EXPECT_EQ(pixel(piece, 51, 20), white);
    EXPECT_EQ(pixel(piece, 20, 41), white);
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 50; ++x) ASSERT_EQ(pixel(piece, x + 1, y + 1), patternValue(bits, x, y));

    // Right and bottom are exclusive: the last column and row of the page are a 1 × 1 cut.
    ASSERT_EQ(MakeSubPictImageFromPict(page, {49, 39, 50, 40}, piece), kImageOk);
    EXPECT_EQ(piece.width(), 1);
    EXPECT_EQ(pixel(piece, 0, 0), patternValue(bits, 49, 39));
  }
}

TEST(SubPicture, RefusesEmptyInvertedAndOutsideRectangles) {
  CPictInfo page = patternPicture(8, 50, 40);
  CPictInfo piece = patternPicture(8, 3, 3);
  for (PictRect r : {PictRect{10, 10, 10, 20}, PictRect{10, 10, 20, 10}, PictRect{20, 10, 10, 20},
                     PictRect{50, 0, 60, 10}, PictRect{-10, -10, 0, 0}, PictRect{0, 40, 5, 45}}) {
    EXPECT_EQ(MakeSubPictImageFromPict(page, r, piece), kImageBadArgument)
        << r.left << "," << r.top << "," << r.right << "," << r.bottom;
  }
  EXPECT_EQ(pixel(piece, 1, 1), patternValue(8, 1, 1));  // the destination is left alone
  EXPECT_EQ(MakeSubPictImageFromPict(page, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, piece),
            kImageTooLarge);
  EXPECT_EQ(MakeSubPictImageFromPict(CPictInfo{}, {0, 0, 5, 5}, piece), kImageBadArgument);
}

TEST(SubPicture, PaletteIsKeptAndTheEdgesUseItsWhite) {
  CPictInfo page = pictest::palettePicture(30, 20);
  CPictInfo piece;
  ASSERT_EQ(MakeSubPictImageFromPict(page, {25, 15, 35, 25}, piece), kImageOk);
  EXPECT_EQ(piece.colorTable(), page.colorTable());
  EXPECT_EQ(piece.colorTable().at(pixel(piece, 9, 9)), 0xffffffu);
  EXPECT_EQ(pixel(piece, 0, 0), pixel(page, 25, 15));
}

// Mean grey of each column of x0 … x1 − 1 of a reduced picture; the darkest of them.
double darkestColumn(const CPictInfo& pict, int x0, int x1) {
  double darkest = 255;
  for (int x = x0; x < x1; ++x) {
    double sum = 0;
    for (int y = 0; y < pict.height(); ++y) sum += pixel(pict, x, y);
    darkest = std::min(darkest, sum / pict.height());
  }
  return darkest;
}

TEST(Shrink, BilevelPagesBecomeGreyAndThinStrokesSurvive) {
  // Point sampling at 1/4 keeps only every fourth column: three of these four one-pixel lines
  // would vanish. Scale-to-grey must show each of them as a grey column.
  for (int offset = 0; offset < 4; ++offset) {
    SCOPED_TRACE(offset);
    CPictInfo page;
    ASSERT_EQ(CreateNewImageToCPictInfo(page, 64, 64, 1, 400, 400), kImageOk);
    pictest::fillRect(page, 32 + offset, 0, 33 + offset, 64, 1);
    CPictInfo small;
    ASSERT_EQ(MakeShrinkImageFromPict(page, small, 0.25, kShrinkDisplay), kImageOk);
    EXPECT_EQ(small.bitsPerPixel(), 8);
    EXPECT_EQ(small.width(), 16);
    EXPECT_EQ(small.height(), 16);
    EXPECT_EQ(small.xResolution(), 100);
    // A quarter of each reduced pixel is ink: about 191, whichever column the line was in.
    EXPECT_NEAR(darkestColumn(small, 7, 10), 191, 8);
    EXPECT_EQ(darkestColumn(small, 0, 4), 255.0);
  }
}

TEST(Shrink, KeepDepthModeKeepsBilevelAndStrokes) {
  CPictInfo page;
  ASSERT_EQ(CreateNewImageToCPictInfo(page, 400, 100, 1, 400, 400), kImageOk);
  // Strokes 5 pixels wide, as 10-point text has at 400 dpi, every 20 pixels.
  for (int x = 10; x < 390; x += 20) pictest::fillRect(page, x, 10, x + 5, 90, 1);
  CPictInfo small;
  ASSERT_EQ(MakeShrinkImageFromPict(page, small, 0.4, kShrinkKeepDepth), kImageOk);
  EXPECT_EQ(small.bitsPerPixel(), 1);
  EXPECT_EQ(small.width(), 160);
  EXPECT_EQ(small.xResolution(), 160);
  int strokes = 0;
  bool inStroke = false;
  for (int x = 0; x < small.width(); ++x) {
    bool black = pixel(small, x, small.height() / 2) == 1;
    if (black && !inStroke) ++strokes;
    inStroke = black;
  }
  EXPECT_EQ(strokes, 19);
}

TEST(Shrink, GreyAndColourAreAreaMappedAndKeepTheirDepth) {
  for (int bits : {8, 24}) {
    SCOPED_TRACE(bits);
    CPictInfo checker;
    ASSERT_EQ(CreateNewImageToCPictInfo(checker, 100, 100, bits, 400, 400), kImageOk);
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 100; ++x)
        if ((x + y) % 2) SetPictPixel(checker, x, y, 0);
    CPictInfo small;
    ASSERT_EQ(MakeShrinkImageFromPict(checker, small, 0.1, kShrinkPreview), kImageOk);
    EXPECT_EQ(small.bitsPerPixel(), bits);
    EXPECT_EQ(small.width(), 10);
    EXPECT_EQ(small.xResolution(), 40);
    // Half the pixels black: every reduced pixel is mid grey, not black or white.
    EXPECT_LE(pictest::channelDistance(pixel(small, 5, 5), bits == 8 ? 127 : 0x7f7f7f), 3);
  }
}

TEST(Shrink, PaletteTurnsIntoColourAndTinyResultsStayAPixel) {
  CPictInfo palette = pictest::palettePicture(40, 40);
  CPictInfo small;
  ASSERT_EQ(MakeShrinkImageFromPict(palette, small, 0.5, kShrinkDisplay), kImageOk);
  EXPECT_EQ(small.bitsPerPixel(), 24);

  for (int bits : {1, 8, 24}) {
    CPictInfo page = patternPicture(bits, 30, 5);
    ASSERT_EQ(MakeShrinkImageFromPict(page, small, 0.01, kShrinkDisplay), kImageOk) << bits;
    EXPECT_GE(small.width(), 1);
    EXPECT_GE(small.height(), 1);
  }
}

TEST(Shrink, RefusesFactorsOutsideZeroToOneAndUnknownModes) {
  CPictInfo page = patternPicture(8, 20, 20);
  CPictInfo small;
  for (double f : {0.0, 1.0, 1.5, -0.5, std::numeric_limits<double>::quiet_NaN()})
    EXPECT_EQ(MakeShrinkImageFromPict(page, small, f, kShrinkDisplay), kImageBadArgument) << f;
  EXPECT_EQ(MakeShrinkImageFromPict(page, small, 0.5, 3), kImageBadArgument);
  EXPECT_EQ(MakeShrinkImageFromPict(CPictInfo{}, small, 0.5, kShrinkDisplay), kImageBadArgument);
  EXPECT_FALSE(small.hasPixels());
}

TEST(Expand, EnlargesWithTheSameDepthAndScaledResolution) {
  CPictInfo bin = patternPicture(1, 21, 13, 100, 100);
  CPictInfo big;
  ASSERT_EQ(MakeExpandImageFromPict(bin, big, 3.0), kImageOk);
  EXPECT_EQ(big.bitsPerPixel(), 1);
  EXPECT_EQ(big.width(), 63);
  EXPECT_EQ(big.xResolution(), 300);
  for (int y = 0; y < 39; ++y)
    for (int x = 0; x < 63; ++x) ASSERT_EQ(pixel(big, x, y), patternValue(1, x / 3, y / 3));

  CPictInfo colour;
  ASSERT_EQ(CreateNewImageToCPictInfo(colour, 10, 10, 24, 200, 200), kImageOk);
  pictest::fillRect(colour, 0, 0, 10, 10, 0x3060a0);
  ASSERT_EQ(MakeExpandImageFromPict(colour, big, 1.5), kImageOk);
  EXPECT_EQ(big.bitsPerPixel(), 24);
  EXPECT_EQ(big.width(), 15);
  EXPECT_EQ(big.xResolution(), 300);
  EXPECT_LE(pictest::channelDistance(pixel(big, 7, 7), 0x3060a0), 1);

  CPictInfo palette = pictest::palettePicture(12, 12);
  ASSERT_EQ(MakeExpandImageFromPict(palette, big, 2.0), kImageOk);
  EXPECT_EQ(big.colorTable(), palette.colorTable());

  EXPECT_EQ(MakeExpandImageFromPict(bin, big, 1.0), kImageBadArgument);
  EXPECT_EQ(MakeExpandImageFromPict(bin, big, 17.0), kImageBadArgument);
  CPictInfo wide = patternPicture(1, 200000, 1);
  EXPECT_EQ(MakeExpandImageFromPict(wide, big, 2.0), kImageTooLarge);
}

TEST(Rotate, TurnsClockwiseAndSwapsSizeAndResolution) {
  for (int bits : {1, 8, 24}) {
    SCOPED_TRACE(bits);
    const int w = 37, h = 11;
    CPictInfo original = patternPicture(bits, w, h, 300, 600);

    // 270: a vertical column's top comes to the left: (x, y) goes to (y, w − 1 − x).
    CPictInfo turned;
    ASSERT_EQ(DuplicateCPictInfo(original, turned), kImageOk);
    ASSERT_EQ(KIMakeRotatedImage(turned, 270), kImageOk);
    EXPECT_EQ(turned.width(), h);
    EXPECT_EQ(turned.height(), w);
    EXPECT_EQ(turned.bitsPerPixel(), bits);
    EXPECT_EQ(turned.xResolution(), 600);
    EXPECT_EQ(turned.yResolution(), 300);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) ASSERT_EQ(pixel(turned, y, w - 1 - x), patternValue(bits, x, y));

    // 90: (x, y) goes to (h − 1 − y, x); 180: to (w − 1 − x, h − 1 − y).
    ASSERT_EQ(DuplicateCPictInfo(original, turned), kImageOk);
    ASSERT_EQ(KIMakeRotatedImage(turned, 90), kImageOk);
    EXPECT_EQ(pixel(turned, h - 1 - 2, 5), patternValue(bits, 5, 2));
    ASSERT_EQ(DuplicateCPictInfo(original, turned), kImageOk);
    ASSERT_EQ(KIMakeRotatedImage(turned, 180), kImageOk);
    EXPECT_EQ(pixel(turned, w - 1 - 5, h - 1 - 2), patternValue(bits, 5, 2));

    // −90 is 270; a full turn and 0 change nothing.
    CPictInfo minus;
    ASSERT_EQ(DuplicateCPictInfo(original, minus), kImageOk);
    ASSERT_EQ(KIMakeRotatedImage(minus, -90), kImageOk);
    ASSERT_EQ(DuplicateCPictInfo(original, turned), kImageOk);
    ASSERT_EQ(KIMakeRotatedImage(turned, 270), kImageOk);
    EXPECT_TRUE(SamePictPixels(minus, turned));
    ASSERT_EQ(KIMakeRotatedImage(turned, 360 + 90), kImageOk);
    EXPECT_TRUE(SamePictPixels(original, turned));
  }
  CPictInfo palette = pictest::palettePicture(7, 3);
  CPictInfo original;
  ASSERT_EQ(DuplicateCPictInfo(palette, original), kImageOk);
  ASSERT_EQ(KIMakeRotatedImage(palette, 270), kImageOk);
  EXPECT_EQ(palette.colorTable(), original.colorTable());
  EXPECT_EQ(pixel(palette, 2, 7 - 1 - 4), pixel(original, 4, 2));

  CPictInfo pict = patternPicture(8, 5, 5);
  EXPECT_EQ(KIMakeRotatedImage(pict, 45), kImageBadArgument);
  CPictInfo empty;
  EXPECT_EQ(KIMakeRotatedImage(empty, 270), kImageBadArgument);
}

TEST(Conversions, ColourToGreyUsesLuminanceAndKeepsResolution) {
  CPictInfo colour;
  ASSERT_EQ(CreateNewImageToCPictInfo(colour, 4, 1, 24, 400, 300), kImageOk);
  SetPictPixel(colour, 0, 0, 0x0000ff);  // red
  SetPictPixel(colour, 1, 0, 0x00ff00);  // green
  SetPictPixel(colour, 2, 0, 0xff0000);  // blue
  SetPictPixel(colour, 3, 0, 0x808080);
  ASSERT_EQ(Convert24BitColorImageTo8BitGrayscaleImage(colour), kImageOk);
  EXPECT_EQ(colour.bitsPerPixel(), 8);
  EXPECT_EQ(colour.xResolution(), 400);
  EXPECT_EQ(colour.yResolution(), 300);
  EXPECT_NEAR(pixel(colour, 0, 0), 0.299 * 255, 2);
  EXPECT_NEAR(pixel(colour, 1, 0), 0.587 * 255, 2);
  EXPECT_NEAR(pixel(colour, 2, 0), 0.114 * 255, 2);
  EXPECT_EQ(pixel(colour, 3, 0), 0x80u);
  // A grey picture stays as it is.
  ASSERT_EQ(Convert24BitColorImageTo8BitGrayscaleImage(colour), kImageOk);
  EXPECT_EQ(pixel(colour, 3, 0), 0x80u);

  CPictInfo palette = pictest::palettePicture(6, 2);
  ASSERT_EQ(Convert24BitColorImageTo8BitGrayscaleImage(palette), kImageOk);
  EXPECT_TRUE(palette.colorTable().empty());
  EXPECT_TRUE(IsPictGrayscale(palette));

  CPictInfo bin = patternPicture(1, 9, 9);
  ASSERT_EQ(Convert24BitColorImageTo8BitGrayscaleImage(bin), kImageOk);
  EXPECT_EQ(bin.bitsPerPixel(), 8);
  for (int x = 0; x < 9; ++x) EXPECT_EQ(pixel(bin, x, 4), patternValue(1, x, 4) ? 0u : 255u);
}

TEST(Conversions, GreyPaletteAndBilevelToColour) {
  CPictInfo grey = patternPicture(8, 7, 3, 200, 200);
  ASSERT_EQ(Convert8BitImageTo24BitImage(grey), kImageOk);
  EXPECT_EQ(grey.bitsPerPixel(), 24);
  EXPECT_EQ(grey.xResolution(), 200);
  uint32_t g = patternValue(8, 4, 2);
  EXPECT_EQ(pixel(grey, 4, 2), g | g << 8 | g << 16);
  EXPECT_TRUE(IsPictGrayscale(grey));

  CPictInfo palette = pictest::palettePicture(6, 2);
  CPictInfo original;
  ASSERT_EQ(DuplicateCPictInfo(palette, original), kImageOk);
  ASSERT_EQ(Convert8BitImageTo24BitImage(palette), kImageOk);
  EXPECT_TRUE(palette.colorTable().empty());
  for (int x = 0; x < 6; ++x)
    EXPECT_EQ(pixel(palette, x, 1), original.colorTable().at(pixel(original, x, 1)));

  CPictInfo bin = patternPicture(1, 9, 9);
  ASSERT_EQ(Convert8BitImageTo24BitImage(bin), kImageOk);
  EXPECT_EQ(pixel(bin, 0, 0), patternValue(1, 0, 0) ? 0u : 0xffffffu);
}

TEST(Conversions, BilevelCopyUsesTheThresholdStrictly) {
  CPictInfo grey;
  ASSERT_EQ(CreateNewImageToCPictInfo(grey, 4, 1, 8, 400, 400), kImageOk);
  SetPictPixel(grey, 0, 0, 0);
  SetPictPixel(grey, 1, 0, 127);
  SetPictPixel(grey, 2, 0, 128);
  SetPictPixel(grey, 3, 0, 255);
  CPictInfo bin;
  ASSERT_EQ(MakeBinDataFromGrayscaleData(grey, bin), kImageOk);
  EXPECT_EQ(bin.bitsPerPixel(), 1);
  EXPECT_EQ(bin.xResolution(), 400);
  EXPECT_EQ(pixel(bin, 0, 0), 1u);
  EXPECT_EQ(pixel(bin, 1, 0), 1u);
  EXPECT_EQ(pixel(bin, 2, 0), 0u);
  EXPECT_EQ(pixel(bin, 3, 0), 0u);
  ASSERT_EQ(MakeBinDataFromGrayscaleData(grey, bin, 200), kImageOk);
  EXPECT_EQ(pixel(bin, 2, 0), 1u);
  EXPECT_EQ(pixel(grey, 2, 0), 128u);  // the source is untouched

  CPictInfo colour;
  ASSERT_EQ(CreateNewImageToCPictInfo(colour, 2, 1, 24), kImageOk);
  SetPictPixel(colour, 0, 0, 0x000080);  // dark red: luminance about 38
  ASSERT_EQ(MakeBinDataFromGrayscaleData(colour, bin), kImageOk);
  EXPECT_EQ(pixel(bin, 0, 0), 1u);
  EXPECT_EQ(pixel(bin, 1, 0), 0u);

  EXPECT_EQ(MakeBinDataFromGrayscaleData(grey, bin, 300), kImageBadArgument);
  EXPECT_EQ(MakeBinDataFromGrayscaleData(CPictInfo{}, bin), kImageBadArgument);
}

TEST(Conversions, OperationsMayWriteIntoTheirOwnSource) {
  CPictInfo pict = patternPicture(8, 40, 40);
  ASSERT_EQ(MakeSubPictImageFromPict(pict, {10, 10, 30, 30}, pict), kImageOk);
  EXPECT_EQ(pict.width(), 20);
  EXPECT_EQ(pixel(pict, 0, 0), patternValue(8, 10, 10));
  ASSERT_EQ(MakeShrinkImageFromPict(pict, pict, 0.5, kShrinkDisplay), kImageOk);
  EXPECT_EQ(pict.width(), 10);
  ASSERT_EQ(MakeBinDataFromGrayscaleData(pict, pict), kImageOk);
  EXPECT_EQ(pict.bitsPerPixel(), 1);
}

}  // namespace
}  // namespace vellary::imaging
