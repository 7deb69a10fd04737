// The folder named like a document and the page image look-up every reader of page images uses.
#include "model/image_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "model/text.h"
#include "support/temp_dir.h"

namespace vellary::model {
namespace {

using testing::TempDir;

TEST(ImageFolder, TheFolderAndThePictureInItFromWindowsAndLocalPaths) {
  EXPECT_EQ(documentImageFolder("/data/book.xml"), "/data/book");
  EXPECT_EQ(documentImageFolder("/data/v1.2/book"), "/data/v1.2/book");
  EXPECT_EQ(documentImageFolder("/data/"), "");
  EXPECT_EQ(pictureInDocumentFolder("/data/book.xml", "C:\\Scan\\book\\p001.tif"),
            "/data/book/p001.tif");
  EXPECT_EQ(pictureInDocumentFolder("/data/book.xml", "/old/place/p001.tif"),
            "/data/book/p001.tif");
  EXPECT_EQ(pictureInDocumentFolder("/data/v1.2/book", "p.png"), "/data/v1.2/book/p.png");
  EXPECT_EQ(pictureInDocumentFolder("", "p.png"), "");
  EXPECT_EQ(pictureInDocumentFolder("/d/b.xml", "C:\\Scan\\"), "");
}

TEST(ImageFolder, TheLookUpTriesTheRecordedPathThenTheFolderNamedLikeTheDocument) {
  TempDir dir;
  std::filesystem::create_directory(dir / "book");
  dir.write("book/p001.tif", "x");
  dir.write("here.tif", "x");
  const std::string doc = dir / "book.xml";
  bool moved = true;

  PageData page;
  EXPECT_EQ(findPageImage(page, doc, &moved), "");  // no picture recorded
  EXPECT_FALSE(moved);
  page.fullpath = u"C:\\scan\\p001.tif";
  EXPECT_EQ(findPageImage(page, doc, &moved), dir / "book/p001.tif");
  EXPECT_TRUE(moved);
  // A recorded path that exists wins over the folder; one found nowhere comes back as it was.
  page.fullpath = fromUtf8(dir / "here.tif");
  EXPECT_EQ(findPageImage(page, doc, &moved), dir / "here.tif");
  EXPECT_FALSE(moved);
  page.fullpath = u"/scan/p002.tif";
  EXPECT_EQ(findPageImage(page, doc, &moved), "/scan/p002.tif");
  EXPECT_FALSE(moved);
  page.fullpath = u"C:\\Scan\\p009.tif";
  EXPECT_EQ(findPageImage(page, doc), "C:\\Scan\\p009.tif");
  // Without a full path (or with an empty one) the file name counts, relative to the document.
  PageData named;
  named.file = u"here.tif";
  EXPECT_EQ(findPageImage(named, doc), dir / "here.tif");
  named.fullpath = u"";
  named.file = u"p001.tif";
  EXPECT_EQ(findPageImage(named, doc, &moved), dir / "book/p001.tif");
  EXPECT_TRUE(moved);
  // A document without a name has no folder: the recorded path stays as it is.
  EXPECT_EQ(findPageImage(named, ""), "p001.tif");
}

}  // namespace
}  // namespace vellary::model
