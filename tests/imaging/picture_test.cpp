// The descriptor: creation, clearing, copies, pixel access.
#include "imaging/picture.h"

#include <gtest/gtest.h>

#include "picture_helpers.h"

namespace vellary::imaging {
namespace {

using pictest::patternPicture;
using pictest::pixel;

TEST(Picture, NewPicturesAreWhiteWithTheirSizeDepthAndResolution) {
  struct Case {
    int bits;
    uint32_t white;
    int bytesPerLine;
  };
  // 37 pixels: bilevel rows need 5 bytes → 8, grey 37 → 40, colour 111 → 112.
  for (Case c : {Case{1, 0u, 8}, Case{8, 255u, 40}, Case{24, 0xffffffu, 112}}) {
    CPictInfo pict;
    ASSERT_EQ(CreateNewImageToCPictInfo(pict, 37, 11, c.bits, 300, 600), kImageOk);
    EXPECT_TRUE(pict.hasPixels());
    EXPECT_EQ(pict.width(), 37);
    EXPECT_EQ(pict.height(), 11);
    EXPECT_EQ(pict.bitsPerPixel(), c.bits);
    EXPECT_EQ(pict.bytesPerLine(), c.bytesPerLine);
    EXPECT_EQ(pict.xResolution(), 300);
    EXPECT_EQ(pict.yResolution(), 600);
    EXPECT_TRUE(pict.colorTable().empty());
    EXPECT_EQ(pixel(pict, 0, 0), c.white);
    EXPECT_EQ(pixel(pict, 36, 10), c.white);
  }
}

TEST(Picture, CreationRefusesBadDepthsSizesAndResolutions) {
  CPictInfo pict;
  EXPECT_EQ(CreateNewImageToCPictInfo(pict, 10, 10, 4), kImageBadArgument);
  EXPECT_EQ(CreateNewImageToCPictInfo(pict, 10, 10, 32), kImageBadArgument);
  EXPECT_EQ(CreateNewImageToCPictInfo(pict, 0, 10, 8), kImageBadArgument);
  EXPECT_EQ(CreateNewImageToCPictInfo(pict, 10, -1, 8), kImageBadArgument);
  EXPECT_EQ(CreateNewImageToCPictInfo(pict, 10, 10, 8, -1, 0), kImageBadArgument);
  EXPECT_EQ(CreateNewImageToCPictInfo(pict, kMaxPictureSide + 1, 1, 1), kImageTooLarge);
  EXPECT_EQ(CreateNewImageToCPictInfo(pict, 100000, 100000, 24), kImageTooLarge);
  EXPECT_FALSE(pict.hasPixels());
}

TEST(Picture, ClearReleasesThePictureButKeepsNameAndSaveSettings) {
  CPictInfo pict = patternPicture(8, 20, 10);
  pict.fileName = "/tmp/ページ.tif";
  pict.saveFormat = kFormatJpeg;
  pict.quality = 30;
  ClearCPictInfo(pict);
  EXPECT_FALSE(pict.hasPixels());
  EXPECT_EQ(pict.width(), 0);
  EXPECT_EQ(pict.bitsPerPixel(), 0);
  EXPECT_EQ(pict.xResolution(), 0);
  EXPECT_EQ(pict.fileName, "/tmp/ページ.tif");
  EXPECT_EQ(pict.saveFormat, kFormatJpeg);
  EXPECT_EQ(pict.quality, 30);
  EXPECT_FALSE(GetPictPixel(pict, 0, 0).has_value());

  InitCPictInfo(pict);
  EXPECT_TRUE(pict.fileName.empty());
  EXPECT_EQ(pict.saveFormat, kFormatByName);
  EXPECT_EQ(pict.quality, 75);
}

TEST(Picture, MovesTransferAndDuplicatesAreIndependent) {
  CPictInfo a = patternPicture(24, 16, 9);
  CPictInfo b = std::move(a);
  EXPECT_FALSE(a.hasPixels());  // NOLINT(bugprone-use-after-move): the moved-from state matters
  ASSERT_TRUE(b.hasPixels());

  CPictInfo copy;
  ASSERT_EQ(DuplicateCPictInfo(b, copy), kImageOk);
  EXPECT_TRUE(SamePictPixels(b, copy));
  SetPictPixel(copy, 3, 3, 0x123456);
  EXPECT_EQ(pixel(copy, 3, 3), 0x123456u);
  EXPECT_EQ(pixel(b, 3, 3), pictest::patternValue(24, 3, 3));
  EXPECT_FALSE(SamePictPixels(b, copy));

  CPictInfo empty;
  EXPECT_EQ(DuplicateCPictInfo(empty, copy), kImageBadArgument);
  EXPECT_FALSE(copy.hasPixels());
}

TEST(Picture, PixelsReadBackAsWrittenAndNothingOutsideIsTouched) {
  CPictInfo bin = patternPicture(1, 33, 5);
  CPictInfo grey = patternPicture(8, 33, 5);
  CPictInfo colour = patternPicture(24, 33, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 33; ++x) {
      ASSERT_EQ(pixel(bin, x, y), pictest::patternValue(1, x, y));
      ASSERT_EQ(pixel(grey, x, y), pictest::patternValue(8, x, y));
      ASSERT_EQ(pixel(colour, x, y), pictest::patternValue(24, x, y));
    }
  // Colours are 0x00BBGGRR at this interface.
  SetPictPixel(colour, 0, 0, 0x0000ff);
  EXPECT_EQ(pixel(colour, 0, 0), 0x0000ffu);
  // Values are cut to the depth.
  SetPictPixel(bin, 0, 0, 0xfe);
  EXPECT_EQ(pixel(bin, 0, 0), 0u);
  SetPictPixel(grey, 0, 0, 0x1ff);
  EXPECT_EQ(pixel(grey, 0, 0), 0xffu);

  for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {33, 0}, {0, 5}, {INT32_MAX, INT32_MAX}}) {
    EXPECT_FALSE(GetPictPixel(grey, x, y).has_value());
    EXPECT_FALSE(SetPictPixel(grey, x, y, 0));
  }
}

TEST(Picture, GreyscaleTestLooksAtEveryPixel) {
  CPictInfo colour;
  ASSERT_EQ(CreateNewImageToCPictInfo(colour, 50, 40, 24), kImageOk);
  SetPictPixel(colour, 10, 10, 0x404040);
  EXPECT_TRUE(IsPictGrayscale(colour));
  SetPictPixel(colour, 49, 39, 0x404041);  // the last pixel alone breaks it
  EXPECT_FALSE(IsPictGrayscale(colour));

  CPictInfo bin = patternPicture(1, 8, 8);
  EXPECT_FALSE(IsPictGrayscale(bin));
  EXPECT_FALSE(IsPictGrayscale(CPictInfo{}));
}

}  // namespace
}  // namespace vellary::imaging
