// Packed pictures, the one-line window's cut and scale, and the preview cache's names and pruning.
#include <QTest>
#include <filesystem>
#include <fstream>
#include <thread>

#include "imaging/picture_file.h"
#include "support/temp_dir.h"
#include "views/img_window.h"
#include "views/packed_picture.h"
#include "views/preview_cache.h"

using namespace vellary;
namespace fs = std::filesystem;

namespace {

// A 200 × 100 grey picture with a black square at (40, 20)–(59, 39).
imaging::CPictInfo greyPicture(const testing::TempDir& dir) {
  QImage image(200, 100, QImage::Format_Grayscale8);
  image.fill(200);
  for (int y = 20; y < 40; ++y)
    for (int x = 40; x < 60; ++x) image.setPixel(x, y, qRgb(0, 0, 0));
  const std::string path = dir / "grey.png";
  image.save(QString::fromStdString(path));
  imaging::CPictInfo pict;
  pict.fileName = path;
  imaging::LoadImageFileProc(pict);
  return pict;
}

}  // namespace

class PictureTest : public QObject {
  Q_OBJECT

 private slots:
  void packedPictureDrawsTheSamePixels() {
    testing::TempDir dir;
    auto packed = views::PictureToDib(greyPicture(dir));
    QVERIFY(packed.has_value());
    QCOMPARE(packed->width(), 200);
    QCOMPARE(packed->height(), 100);
    QCOMPARE(qGray(packed->image().pixel(45, 25)), 0);  // rows are stored bottom-up
    QCOMPARE(qGray(packed->image().pixel(5, 5)), 200);
    QVERIFY(!views::PictureToDib(imaging::CPictInfo()).has_value());
  }

  void lineWindowCutsAndScales() {
    testing::TempDir dir;
    auto page = views::PictureToDib(greyPicture(dir));
    views::CImgWindow window;
    QVERIFY(window.MakeLineImage(*page, {30, 10, 130, 50}, 0.5));
    QCOMPARE(window.displaySize(), QSize(50, 20));
    QVERIFY(std::abs(window.lineImageSize().width() - 50) <= 1);
    // Near full size the piece is kept whole and shown at the display size.
    QVERIFY(window.MakeLineImage(*page, {30, 10, 130, 50}, 0.96));
    QCOMPARE(window.lineImageSize(), QSize(100, 40));
    QCOMPARE(window.displaySize(), QSize(96, 38));
    window.FrameCharacter({10, 10, 29, 29}, true);
    QCOMPARE(window.characterFrame(), (views::PageRect{9, 9, 27, 27}));
    QVERIFY(!window.MakeLineImage(*page, {300, 10, 400, 50}, 1.0));  // outside the page
    QVERIFY(!window.hasLineImage());
    QVERIFY(!window.isEnabled());
    QCOMPARE(window.focusPolicy(), Qt::NoFocus);
  }

  void previewNamesAreStableAndFollowTheImage() {
    testing::TempDir dir;
    const std::string image = dir.write("page.tif", "abc");
    views::PreviewCache cache(dir / "cache");
    const std::string first = cache.pathFor(image, 180);
    QCOMPARE(cache.pathFor(image, 180), first);
    QVERIFY(cache.pathFor(image, 200) != first);  // another width, another preview
    QVERIFY(QString::fromStdString(first).endsWith(".prv"));
    fs::last_write_time(image, fs::last_write_time(image) + std::chrono::seconds(5));
    QVERIFY(cache.pathFor(image, 180) != first);  // a changed image is not served stale
    QVERIFY(cache.pathFor(dir / "none.tif", 180).empty());
  }

  void pruneDropsTheOldestUntilUnderTheLimit() {
    testing::TempDir dir;
    views::PreviewCache cache(dir / "cache", 250);
    QVERIFY(cache.prepare());
    const auto now = fs::file_time_type::clock::now();
    for (int i = 0; i < 4; ++i) {
      const std::string p = dir / ("cache/p" + std::to_string(i) + ".prv");
      std::ofstream(p) << std::string(100, 'x');
      fs::last_write_time(p, now - std::chrono::minutes(10 - i));
    }
    std::ofstream(dir / "cache/other.txt") << std::string(1000, 'x');  // not a preview: kept
    cache.prune();
    QVERIFY(!fs::exists(dir / "cache/p0.prv"));
    QVERIFY(!fs::exists(dir / "cache/p1.prv"));
    QVERIFY(fs::exists(dir / "cache/p2.prv"));
    QVERIFY(fs::exists(dir / "cache/p3.prv"));
    QVERIFY(fs::exists(dir / "cache/other.txt"));
  }
};

int runPictureTests(int argc, char** argv) {
  PictureTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "picture_test.moc"
