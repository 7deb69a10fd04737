// Picture files and in-memory encoding: every format and depth round trip, header reading,
// JPEG quality, Group 4 data, paths of any length, failures and damaged files.
#include "imaging/picture_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "imaging/temp_dir.h"
#include "picture_helpers.h"
#include "support/temp_dir.h"

namespace vellary::imaging {
namespace {

using pictest::patternPicture;
using pictest::pixel;
using TempDir = ::vellary::testing::TempDir;

std::vector<uint8_t> encode(const CPictInfo& pict, int format, int compression = 0,
                            int quality = 75) {
  std::vector<uint8_t> bytes;
  EXPECT_EQ(EncodeImage(pict, format, compression, quality, bytes), kImageOk);
  return bytes;
}

struct LosslessCase {
  const char* name;
  int format;
  int compression;
  int bits;
};

TEST(PictureFile, LosslessFormatsRoundTripEveryDepthBitExactWithResolution) {
  // Odd sizes so that row padding is exercised; unequal resolutions to catch x/y mix-ups.
  const LosslessCase cases[] = {
      {"tiff-g4", kFormatTiff, kTiffG4, 1},
      {"tiff-none-1", kFormatTiff, kTiffNone, 1},
      {"tiff-lzw-8", kFormatTiff, kTiffLzw, 8},
      {"tiff-zip-24", kFormatTiff, kTiffDeflate, 24},
      {"tiff-none-24", kFormatTiff, kTiffNone, 24},
      {"png-1", kFormatPng, 0, 1},
      {"png-8", kFormatPng, 0, 8},
      {"png-24", kFormatPng, 0, 24},
      {"bmp-1", kFormatBmp, 0, 1},
      {"bmp-8", kFormatBmp, 0, 8},
      {"bmp-24", kFormatBmp, 0, 24},
  };
  TempDir dir;
  for (const LosslessCase& c : cases) {
    SCOPED_TRACE(c.name);
    CPictInfo original = patternPicture(c.bits, 61, 23, 300, 600);
    original.fileName = dir / (std::string(c.name) + ".img");
    original.saveFormat = c.format;
    original.compression = c.compression;
    ASSERT_EQ(SaveImageFileProc(original), kImageOk);

    CPictInfo header;
    header.fileName = original.fileName;
    ASSERT_EQ(LookImageInfo(header), c.format);
    EXPECT_FALSE(header.hasPixels());
    EXPECT_EQ(header.width(), 61);
    EXPECT_EQ(header.height(), 23);
    EXPECT_EQ(header.bitsPerPixel(), c.bits);
    EXPECT_EQ(header.xResolution(), 300);
    EXPECT_EQ(header.yResolution(), 600);

    CPictInfo loaded;
    loaded.fileName = original.fileName;
    ASSERT_EQ(LoadImageFileProc(loaded, 0, 0), kImageOk);
    EXPECT_EQ(loaded.fileFormat(), c.format);
    EXPECT_EQ(loaded.xResolution(), 300);
    EXPECT_EQ(loaded.yResolution(), 600);
    EXPECT_TRUE(SamePictPixels(original, loaded));
  }
}

TEST(PictureFile, PaletteSurvivesLosslessFormats) {
  CPictInfo original = pictest::palettePicture(19, 7);
  ASSERT_EQ(original.colorTable(), pictest::kPalette);
  for (int format : {kFormatTiff, kFormatPng, kFormatBmp}) {
    SCOPED_TRACE(format);
    CPictInfo loaded;
    ASSERT_EQ(DecodeImage(encode(original, format, kTiffLzw), loaded), kImageOk);
    EXPECT_EQ(loaded.bitsPerPixel(), 8);
    // Leptonica may keep a longer table; the colours the pixels name must be the same.
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 19; ++x)
        ASSERT_EQ(loaded.colorTable().at(pixel(loaded, x, y)),
                  original.colorTable().at(pixel(original, x, y)));
  }
}

struct HandPage {
  uint32_t width, height, compression;
  std::vector<uint8_t> data;  // the one strip
};

// A little-endian TIFF of bilevel pages (white is zero), each one strip, built by hand so that the
// reader is checked against a file no encoder of ours wrote.
std::vector<uint8_t> handTiff(const std::vector<HandPage>& pages) {
  std::vector<uint8_t> out = {'I', 'I', 42, 0, 0, 0, 0, 0};
  auto put16 = [&](uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
  };
  auto put32 = [&](uint32_t v) {
    put16(v & 0xffff);
    put16(v >> 16);
  };
  auto patch32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  size_t link = 4;  // where the offset of the next directory goes
  for (const HandPage& page : pages) {
    uint32_t dataAt = static_cast<uint32_t>(out.size());
    out.insert(out.end(), page.data.begin(), page.data.end());
    if (out.size() % 2) out.push_back(0);
    patch32(link, static_cast<uint32_t>(out.size()));
    const uint32_t entries[][3] = {{256, 4, page.width},
                                   {257, 4, page.height},
                                   {258, 3, 1},
                                   {259, 3, page.compression},
                                   {262, 3, 0},
                                   {273, 4, dataAt},
                                   {277, 3, 1},
                                   {278, 4, page.height},
                                   {279, 4, static_cast<uint32_t>(page.data.size())}};
    put16(std::size(entries));
    for (const auto& e : entries) {
      put16(e[0]);
      put16(e[1]);
      put32(1);
      if (e[1] == 3) {
        put16(e[2]);
        put16(0);
      } else {
        put32(e[2]);
      }
    }
    link = out.size();
    put32(0);
  }
  return out;
}

TEST(PictureFile, PagesOfAMultiPageTiffAreChosenByNumber) {
  // Two 16 × 2 pages: the first white, the second with its left byte of each row black.
  std::vector<uint8_t> white(4, 0), marked = {0xff, 0, 0xff, 0};
  TempDir dir;
  std::vector<uint8_t> bytes = handTiff({{16, 2, kTiffNone, white}, {16, 2, kTiffNone, marked}});
  std::string path = dir.write("two.tif", std::string(bytes.begin(), bytes.end()));
  CPictInfo pict;
  pict.fileName = path;
  EXPECT_EQ(LookImageInfo(pict), kFormatTiff);
  ASSERT_EQ(LoadImageFileProc(pict, 0, 0), kImageOk);
  EXPECT_EQ(pixel(pict, 0, 0), 0u);
  ASSERT_EQ(LoadImageFileProc(pict, 0, 1), kImageOk);
  EXPECT_EQ(pixel(pict, 0, 0), 1u);
  EXPECT_EQ(pixel(pict, 7, 1), 1u);
  EXPECT_EQ(pixel(pict, 8, 1), 0u);
  EXPECT_EQ(LoadImageFileProc(pict, 0, 2), kImageBadArgument);
  EXPECT_FALSE(pict.hasPixels());
}

TEST(PictureFile, GroupFourTiffIsBitExactAndItsBareDataIsTheWholeStream) {
  CPictInfo page = patternPicture(1, 413, 97, 400, 400);
  std::vector<uint8_t> tiff, data;
  ASSERT_EQ(EncodeG4Tiff(page, tiff), kImageOk);
  ASSERT_EQ(EncodeG4Data(page, data), kImageOk);
  ASSERT_GE(tiff.size(), 8u);
  EXPECT_EQ(tiff[0], 'I');  // little-endian, as strip locators expect
  CPictInfo back;
  ASSERT_EQ(DecodeImage(tiff, back), kImageOk);
  EXPECT_TRUE(SamePictPixels(page, back));
  EXPECT_EQ(back.xResolution(), 400);

  // Wrap the bare data in a TIFF of our own: it must decode to the same page, so it is one
  // complete Group 4 stream and not a piece of several strips.
  CPictInfo rebuilt;
  ASSERT_EQ(DecodeImage(handTiff({{413, 97, kTiffG4, data}}), rebuilt), kImageOk);
  EXPECT_TRUE(SamePictPixels(page, rebuilt));

  CPictInfo grey = patternPicture(8, 10, 10);
  EXPECT_EQ(EncodeG4Tiff(grey, tiff), kImageBadArgument);
  EXPECT_TRUE(tiff.empty());
  EXPECT_EQ(EncodeG4Data(grey, data), kImageBadArgument);
  grey.fileName = "/nonexistent-never-written.tif";
  grey.saveFormat = kFormatTiff;
  grey.compression = kTiffG4;
  EXPECT_EQ(SaveImageFileProc(grey), kImageBadArgument);
}

// The first value of the first quantisation table: the DC step of the luminance table.
int firstQuantStep(const std::vector<uint8_t>& jpeg) {
  for (size_t i = 2; i + 5 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDB) return jpeg[i + 5];
  return -1;
}

TEST(PictureFile, JpegQualityIsHonoured) {
  CPictInfo colour = patternPicture(24, 120, 80);
  std::vector<uint8_t> q30, q75, q100;
  ASSERT_EQ(EncodeJpeg(colour, 30, q30), kImageOk);
  ASSERT_EQ(EncodeJpeg(colour, 75, q75), kImageOk);
  ASSERT_EQ(EncodeJpeg(colour, 100, q100), kImageOk);
  // The standard luminance table starts with 16, scaled by the quality.
  EXPECT_EQ(firstQuantStep(q30), 27);
  EXPECT_EQ(firstQuantStep(q75), 8);
  EXPECT_EQ(firstQuantStep(q100), 1);
  EXPECT_LT(q30.size(), q75.size());
  EXPECT_LT(q75.size(), q100.size());

  std::vector<uint8_t> bytes;
  EXPECT_EQ(EncodeJpeg(colour, 101, bytes), kImageBadArgument);
  EXPECT_EQ(EncodeJpeg(colour, -5, bytes), kImageBadArgument);
  ASSERT_EQ(EncodeJpeg(colour, 0, bytes), kImageOk);  // 0 stands for the default 75
  EXPECT_EQ(firstQuantStep(bytes), 8);
}

TEST(PictureFile, JpegKeepsDepthResolutionAndApproximatePixels) {
  CPictInfo grey;
  ASSERT_EQ(CreateNewImageToCPictInfo(grey, 64, 48, 8, 400, 400), kImageOk);
  pictest::fillRect(grey, 8, 8, 40, 30, 40);
  CPictInfo colour;
  ASSERT_EQ(CreateNewImageToCPictInfo(colour, 64, 48, 24, 400, 400), kImageOk);
  pictest::fillRect(colour, 8, 8, 40, 30, 0x2040c0);
  CPictInfo bilevel;
  ASSERT_EQ(CreateNewImageToCPictInfo(bilevel, 64, 48, 1, 400, 400), kImageOk);
  pictest::fillRect(bilevel, 8, 8, 40, 30, 1);

  struct Case {
    const CPictInfo* pict;
    int bits;  // after the round trip: bilevel pictures come back grey
    uint32_t inside, outside;
  };
  for (Case c : {Case{&grey, 8, 40, 255}, Case{&colour, 24, 0x2040c0, 0xffffff},
                 Case{&bilevel, 8, 0, 255}}) {
    CPictInfo back;
    ASSERT_EQ(DecodeImage(encode(*c.pict, kFormatJpeg, 0, 90), back), kImageOk);
    EXPECT_EQ(back.bitsPerPixel(), c.bits);
    EXPECT_EQ(back.xResolution(), 400);
    EXPECT_LE(pictest::channelDistance(pixel(back, 20, 20), c.inside), 8);
    EXPECT_LE(pictest::channelDistance(pixel(back, 55, 40), c.outside), 8);
  }
}

TEST(PictureFile, PalettePictureGoesToJpegAsItsColours) {
  CPictInfo palette = pictest::palettePicture(30, 30);
  CPictInfo back;
  ASSERT_EQ(DecodeImage(encode(palette, kFormatJpeg, 0, 95), back), kImageOk);
  EXPECT_EQ(back.bitsPerPixel(), 24);
  EXPECT_TRUE(back.colorTable().empty());
}

TEST(PictureFile, FormatByNameFollowsTheExtension) {
  TempDir dir;
  CPictInfo pict = patternPicture(8, 9, 9);
  for (auto [name, format] : {std::pair{"a.JPG", kFormatJpeg},
                              {"b.jpeg", kFormatJpeg},
                              {"c.png", kFormatPng},
                              {"d.bmp", kFormatBmp},
                              {"e.tif", kFormatTiff},
                              {"f.prv", kFormatTiff},
                              {"g", kFormatTiff}}) {
    pict.fileName = dir / name;
    pict.saveFormat = kFormatByName;
    ASSERT_EQ(SaveImageFileProc(pict), kImageOk) << name;
    CPictInfo look;
    look.fileName = pict.fileName;
    EXPECT_EQ(LookImageInfo(look), format) << name;
  }
}

TEST(PictureFile, MissingFilesAreMinus121AndOtherFailuresOtherNegatives) {
  TempDir dir;
  CPictInfo pict = patternPicture(8, 5, 5);
  pict.fileName = dir / "absent.tif";
  EXPECT_EQ(LookImageInfo(pict), kImageNoSuchFile);
  EXPECT_FALSE(pict.hasPixels());
  EXPECT_EQ(LoadImageFileProc(pict), kImageNoSuchFile);
  pict.fileName = dir / "no-folder/absent.tif";
  EXPECT_EQ(LookImageInfo(pict), kImageNoSuchFile);
  pict.fileName = "";
  EXPECT_EQ(LookImageInfo(pict), kImageNoSuchFile);
  pict.fileName = dir.write("file", "x") + "/below-a-file.tif";
  EXPECT_EQ(LoadImageFileProc(pict), kImageNoSuchFile);

  // A folder, a named pipe (which must not block) and a path with a NUL are not pictures.
  pict.fileName = dir.path();
  EXPECT_EQ(LookImageInfo(pict), kImageCannotOpen);
  std::string fifo = dir / "pipe";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  pict.fileName = fifo;
  EXPECT_EQ(LoadImageFileProc(pict), kImageCannotOpen);
  pict.fileName = std::string("a\0b", 3);
  EXPECT_LT(LookImageInfo(pict), 0);

  pict.fileName = dir.write("empty.tif", "");
  EXPECT_EQ(LookImageInfo(pict), kImageUnknownFormat);
  pict.fileName = dir.write("text.png", "just some text, not a picture");
  EXPECT_EQ(LoadImageFileProc(pict), kImageUnknownFormat);
  EXPECT_FALSE(pict.hasPixels());
}

// Makes or removes a chain of nested folders below `base` from inside the tree: the whole path
// is too long for one system call, which is the point of the test using it.
void makeDeepFolders(const std::string& base, const std::vector<std::string>& parts) {
  std::filesystem::path saved = std::filesystem::current_path();
  ASSERT_EQ(::chdir(base.c_str()), 0);
  for (const std::string& part : parts) {
    ASSERT_EQ(::mkdir(part.c_str(), 0700), 0);
    ASSERT_EQ(::chdir(part.c_str()), 0);
  }
  std::filesystem::current_path(saved);
}

void removeDeepFolders(const std::string& base, const std::vector<std::string>& parts) {
  std::filesystem::path saved = std::filesystem::current_path();
  if (::chdir(base.c_str()) != 0) return;
  size_t entered = 0;
  for (; entered < parts.size() && ::chdir(parts[entered].c_str()) == 0; ++entered) {
  }
  for (const auto& e : std::filesystem::directory_iterator(".")) std::filesystem::remove(e.path());
  for (size_t i = entered; i-- > 0;) {
    if (::chdir("..") != 0) break;
    ::rmdir(parts[i].c_str());
  }
  std::filesystem::current_path(saved);
}

TEST(PictureFile, Utf8PathsOfAnyLengthWork) {
  TempDir dir;
  // Nested folders of 200 bytes each until the path is well past PATH_MAX (4096).
  std::string folder = std::string(60, 'x') + "画像フォルダ" + std::string(122, 'y');
  ASSERT_EQ(folder.size(), 200u);
  std::vector<std::string> parts;
  std::string path = dir.path();
  while (path.size() < 5000) {
    parts.push_back(folder);
    path += "/" + folder;
  }
  makeDeepFolders(dir.path(), parts);

  CPictInfo pict = patternPicture(1, 40, 30);
  pict.fileName = path + "/頁０１.tif";
  ASSERT_GT(pict.fileName.size(), 4096u);
  pict.saveFormat = kFormatTiff;
  pict.compression = kTiffG4;
  EXPECT_EQ(SaveImageFileProc(pict), kImageOk);
  CPictInfo back;
  back.fileName = pict.fileName;
  EXPECT_EQ(LookImageInfo(back), kFormatTiff);
  EXPECT_EQ(LoadImageFileProc(back), kImageOk);
  EXPECT_TRUE(SamePictPixels(pict, back));
  back.fileName = path + "/absent.tif";
  EXPECT_EQ(LoadImageFileProc(back), kImageNoSuchFile);

  removeDeepFolders(dir.path(), parts);
}

TEST(PictureFile, FailedSavesLeaveThePreviousFileAndNoDebris) {
  TempDir dir;
  CPictInfo pict = patternPicture(24, 20, 20);
  pict.fileName = dir / "page.png";
  pict.saveFormat = kFormatPng;
  ASSERT_EQ(SaveImageFileProc(pict), kImageOk);
  std::string before = TempDir::read(pict.fileName);

  CPictInfo empty;
  empty.fileName = pict.fileName;
  empty.saveFormat = kFormatPng;
  EXPECT_EQ(SaveImageFileProc(empty), kImageBadArgument);
  pict.saveFormat = 9;
  EXPECT_EQ(SaveImageFileProc(pict), kImageBadArgument);
  pict.saveFormat = kFormatJpeg;
  pict.quality = 500;
  EXPECT_EQ(SaveImageFileProc(pict), kImageBadArgument);
  EXPECT_EQ(TempDir::read(pict.fileName), before);

  pict.quality = 75;
  pict.fileName = dir / "missing-folder/page.jpg";
  EXPECT_EQ(SaveImageFileProc(pict), kImageWriteFailed);
  std::filesystem::create_directory(dir / "a-folder");
  pict.fileName = dir / "a-folder";
  EXPECT_EQ(SaveImageFileProc(pict), kImageWriteFailed);
  pict.fileName = "";
  EXPECT_EQ(SaveImageFileProc(pict), kImageBadArgument);

  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 2);  // page.png and a-folder: no temporary file left over
}

TEST(PictureFile, MultiPageRequestsBeyondTheFileFail) {
  CPictInfo pict;
  std::vector<uint8_t> tiff = encode(patternPicture(1, 30, 30), kFormatTiff, kTiffG4);
  EXPECT_EQ(DecodeImage(tiff, pict, 0), kImageOk);
  EXPECT_EQ(DecodeImage(tiff, pict, 1), kImageBadArgument);
  EXPECT_EQ(DecodeImage(tiff, pict, -1), kImageBadArgument);
  EXPECT_FALSE(pict.hasPixels());
  std::vector<uint8_t> png = encode(patternPicture(8, 30, 30), kFormatPng);
  EXPECT_EQ(DecodeImage(png, pict, 1), kImageBadArgument);
}

// Damaged files: every truncation and many random byte changes of files in every format must
// give a negative result or a sane picture, never a crash or a hang (run under the sanitizers).
TEST(PictureFile, TruncatedAndCorruptedFilesAreRefusedSafely) {
  CPictInfo colour = patternPicture(24, 37, 29);
  CPictInfo bilevel = patternPicture(1, 37, 29);
  CPictInfo grey = patternPicture(8, 37, 29);
  const std::vector<std::vector<uint8_t>> files = {encode(bilevel, kFormatTiff, kTiffG4),
                                                   encode(grey, kFormatTiff, kTiffLzw),
                                                   encode(colour, kFormatTiff, kTiffNone),
                                                   encode(colour, kFormatPng),
                                                   encode(bilevel, kFormatPng),
                                                   encode(colour, kFormatJpeg),
                                                   encode(grey, kFormatJpeg),
                                                   encode(colour, kFormatBmp),
                                                   encode(bilevel, kFormatBmp)};
  std::mt19937 rng(7);
  for (size_t f = 0; f < files.size(); ++f) {
    SCOPED_TRACE(f);
    const std::vector<uint8_t>& whole = files[f];
    for (size_t len = 0; len < whole.size(); len += 1 + len / 16) {
      CPictInfo pict;
      std::span<const uint8_t> cut(whole.data(), len);
      EXPECT_LT(DecodeImage(cut, pict), 0) << "length " << len << " of " << whole.size();
      EXPECT_FALSE(pict.hasPixels());
    }
    for (int round = 0; round < 150; ++round) {
      std::vector<uint8_t> bad = whole;
      int changes = 1 + static_cast<int>(rng() % 4);
      for (int i = 0; i < changes; ++i) bad[rng() % bad.size()] = static_cast<uint8_t>(rng());
      CPictInfo pict;
      int r = DecodeImage(bad, pict);
      if (r == kImageOk) {
        EXPECT_GT(pict.width(), 0);
        EXPECT_GT(pict.height(), 0);
        EXPECT_TRUE(pict.bitsPerPixel() == 1 || pict.bitsPerPixel() == 8 ||
                    pict.bitsPerPixel() == 24);
      } else {
        EXPECT_LT(r, 0);
        EXPECT_FALSE(pict.hasPixels());
      }
    }
  }
}

TEST(PictureFile, AbsurdHeadersAreRefusedBeforeAnyAllocation) {
  // A 10-byte PNG claiming 200000 × 200000 pixels, a BMP claiming 2^31 − 1 columns.
  std::vector<uint8_t> png = {0x89, 'P',  'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0,    0, 0,
                              13,   'I',  'H', 'D', 'R',  0,    3,    0x0D, 0x40, 0, 3,
                              0x0D, 0x40, 8,   2,   0,    0,    0,    0,    0,    0, 0};
  CPictInfo pict;
  EXPECT_EQ(DecodeImage(png, pict), kImageTooLarge);
  std::vector<uint8_t> bmp(54, 0);
  bmp[0] = 'B';
  bmp[1] = 'M';
  bmp[14] = 40;
  bmp[18] = 0xff, bmp[19] = 0xff, bmp[20] = 0xff, bmp[21] = 0x7f;
  bmp[22] = 1;
  bmp[26] = 1;
  bmp[28] = 24;
  EXPECT_EQ(DecodeImage(bmp, pict), kImageTooLarge);
  EXPECT_FALSE(pict.hasPixels());
}

TEST(PrivateTempDir, IsPrivateUniqueAndRemovedWithItsContents) {
  TempDir cache;
  ::setenv("XDG_CACHE_HOME", cache.path().c_str(), 1);
  std::optional<PrivateTempDir> a = PrivateTempDir::create("vellary-imaging-");
  std::optional<PrivateTempDir> b = PrivateTempDir::create("vellary-imaging-");
  ASSERT_TRUE(a && b);
  EXPECT_NE(a->path(), b->path());
  EXPECT_EQ(a->path().rfind(cache / "vellary/tmp/vellary-imaging-", 0), 0u) << a->path();
  struct stat st {};
  ASSERT_EQ(::stat(a->path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);  // nobody else can list or plant files in it
  ASSERT_EQ(::stat((cache / "vellary/tmp").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  // Pictures written for another program to read by name go inside it, closed to others.
  CPictInfo pict = patternPicture(24, 8, 8);
  pict.fileName = a->file("tmpImg0.jpg");
  ASSERT_EQ(SaveImageFileProc(pict), kImageOk);
  ASSERT_EQ(::stat(pict.fileName.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  std::string path = a->path();
  PrivateTempDir moved = std::move(*a);
  a.reset();
  EXPECT_TRUE(std::filesystem::exists(pict.fileName));  // the move keeps it alive
  moved.remove();
  EXPECT_FALSE(std::filesystem::exists(path));
  std::string other = b->path();
  b.reset();
  EXPECT_FALSE(std::filesystem::exists(other));
  EXPECT_FALSE(PrivateTempDir::create("a/b").has_value());
  ::unsetenv("XDG_CACHE_HOME");
}

// A folder left by an export that was killed is removed by the next one; a folder in use is not.
TEST(PrivateTempDir, FoldersOfDeadProcessesAreRemoved) {
  TempDir cache;
  ::setenv("XDG_CACHE_HOME", cache.path().c_str(), 1);
  std::optional<PrivateTempDir> live = PrivateTempDir::create("vellary-office-");
  ASSERT_TRUE(live);
  const std::string dead = cache / "vellary/tmp/vellary-office-AbCdEf";
  ASSERT_TRUE(std::filesystem::create_directory(dead));
  std::ofstream(dead + "/tmpImg0.jpg") << "picture";
  const std::string young = cache / "vellary/tmp/vellary-office-GhIjKl";
  ASSERT_TRUE(std::filesystem::create_directory(young));
  const struct timespec old[2] = {{std::time(nullptr) - 600, 0}, {std::time(nullptr) - 600, 0}};
  for (const std::string& p : {dead, live->path()}) ::utimensat(AT_FDCWD, p.c_str(), old, 0);

  std::optional<PrivateTempDir> next = PrivateTempDir::create("vellary-office-");
  ASSERT_TRUE(next);
  EXPECT_FALSE(std::filesystem::exists(dead));
  EXPECT_TRUE(std::filesystem::exists(young));  // perhaps not locked yet by its maker
  EXPECT_TRUE(std::filesystem::exists(live->path()));
  ::unsetenv("XDG_CACHE_HOME");
}

}  // namespace
}  // namespace vellary::imaging
