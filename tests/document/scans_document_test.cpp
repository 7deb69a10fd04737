// A document recognised from scans in the document: opened unsaved without a name, its pictures
// in a private folder that the first save empties into the folder named like the document (never
// over a picture already there, and all back in place when the save fails), recovered after a
// crash with its pictures; pages recognised again that undo as one step.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "document/document.h"
#include "model/paper.h"
#include "model/text.h"
#include "rovorirud/reader.h"
#include "rovorirud/writer.h"
#include "support/document_fixture.h"

namespace vellary::document {
namespace {

namespace fs = std::filesystem;
using appcore::Answer;

char16_t firstChar(const model::PageData& page) {
  return page.blocks.front().lines.front().chars.front().text[0];
}

class ScansDoc : public testing::DocumentFixture {
 protected:
  ScansDoc() {
    doc->saveAsRequest = [this] {
      ++saveAsRequests;
      return doc->saveAs(dir / "book.xml", SaveChoice::AllPages, 0, 0) == SaveAsResult::Saved;
    };
  }

  // Two recognised pages whose pictures (p0001.tif, p0002.jpg) are in a new private folder.
  std::string openTwoScannedPages() {
    std::optional<imaging::PrivateTempDir> folder = doc->makeScanFolder();
    EXPECT_TRUE(folder.has_value());
    if (!folder) return {};
    auto paper = letteredPaper(2, u'A', 20);
    int i = 0;
    for (model::PageData& page : paper->pages) {
      const std::string name = i++ == 0 ? "p0001.tif" : "p0002.jpg";
      std::ofstream(folder->file(name)) << "picture " << name;
      page.file = model::fromUtf8(name);
      page.fullpath = model::fromUtf8(folder->file(name));
    }
    const std::string path = folder->path();
    doc->openScans(std::move(paper), std::move(*folder));
    return path;
  }
  std::string fullpath(int page) { return model::toUtf8(*doc->page(page)->fullpath); }

  int saveAsRequests = 0;
};

TEST_F(ScansDoc, OpensUnsavedAndTheFirstSaveMovesThePicturesBesideTheDocument) {
  const std::string folder = openTwoScannedPages();
  EXPECT_EQ(folder.rfind(dir / "scans/scan-", 0), 0u);
  EXPECT_EQ(doc->scanFolder(), folder);
  EXPECT_TRUE(doc->pathName().empty());
  EXPECT_EQ(doc->docModified(), 1);
  EXPECT_TRUE(doc->pageMarked(0) && doc->pageMarked(1));
  EXPECT_TRUE(views.saw(Change::Document));
  EXPECT_FALSE(doc->undoEnabled());
  // An undo step taken before the save holds the picture's path of that time.
  auto recognised = letteredPaper(1, u'X');
  ASSERT_TRUE(doc->replaceRecognisedPage(0, std::move(recognised->pages.front()), false, {}));

  // Save asks for a name; the pictures go into the folder named like it, and the private folder
  // goes.
  ASSERT_TRUE(doc->save());
  EXPECT_EQ(saveAsRequests, 1);
  EXPECT_EQ(doc->pathName(), dir / "book.xml");
  EXPECT_EQ(doc->docModified(), 0);
  EXPECT_EQ(fullpath(0), dir / "book/p0001.tif");
  EXPECT_EQ(fullpath(1), dir / "book/p0002.jpg");
  EXPECT_EQ(testing::TempDir::read(dir / "book/p0002.jpg"), "picture p0002.jpg");
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_TRUE(doc->scanFolder().empty());
  EXPECT_TRUE(views.saw(Change::Image));
  const rovorirud::ReadResult saved = rovorirud::readDocumentFile(dir / "book.xml");
  ASSERT_NE(saved.paper, nullptr);
  EXPECT_EQ(model::toUtf8(*std::next(saved.paper->pages.begin())->fullpath),
            dir / "book/p0002.jpg");
  // Undo brings the page back with its picture where it now is.
  ASSERT_TRUE(doc->undo({}).has_value());
  EXPECT_EQ(firstChar(*doc->page(0)), u'A');
  EXPECT_EQ(fullpath(0), dir / "book/p0001.tif");
}

TEST_F(ScansDoc, ASaveNeverOverwritesAPictureAndAFailedOneLeavesEverythingInPlace) {
  const std::string folder = openTwoScannedPages();
  // Someone else's picture of the same name: another name is asked for, nothing moves.
  fs::create_directories(dir / "book");
  dir.write("book/p0002.jpg", "another document's page");
  EXPECT_EQ(doc->saveAs(dir / "book.xml", SaveChoice::AllPages, 0, 0), SaveAsResult::StayInDialog);
  EXPECT_NE(prompter.shown.back().text.find(dir / "book/p0002.jpg"), std::string::npos);
  EXPECT_EQ(testing::TempDir::read(dir / "book/p0002.jpg"), "another document's page");
  EXPECT_FALSE(fs::exists(dir / "book/p0001.tif"));
  EXPECT_FALSE(fs::exists(dir / "book.xml"));
  EXPECT_EQ(fullpath(0), folder + "/p0001.tif");

  // The document cannot be written (its name is a folder): the copies and the folder made for
  // them go, the pages point at their private pictures again.
  fs::create_directories(dir / "other.xml");
  EXPECT_EQ(doc->saveAs(dir / "other.xml", SaveChoice::AllPages, 0, 0), SaveAsResult::Failed);
  EXPECT_FALSE(fs::exists(dir / "other"));
  EXPECT_EQ(fullpath(1), folder + "/p0002.jpg");
  EXPECT_TRUE(fs::is_regular_file(folder + "/p0002.jpg"));
  EXPECT_TRUE(doc->pathName().empty());
  EXPECT_EQ(doc->docModified(), 1);

  // Replaced without being saved: its pictures go with it.
  const std::string other = dir / "plain.xml";
  ASSERT_EQ(rovorirud::writeDocumentFile(*letteredPaper(1, u'P'), other), rovorirud::WriteOk);
  prompter.answers = {Answer::No};
  ASSERT_TRUE(doc->open(other, false));
  EXPECT_FALSE(fs::exists(folder));
}

TEST_F(ScansDoc, PagesRecognisedAgainKeepTheirNamesAndUndoAsOneStep) {
  const std::string path = dir / "three.xml";
  auto paper = letteredPaper(3, u'A');
  int i = 0;
  for (model::PageData& page : paper->pages) page.file = i++ == 1 ? u"p2.tif" : u"p.tif";
  ASSERT_EQ(rovorirud::writeDocumentFile(*paper, path), rovorirud::WriteOk);
  ASSERT_TRUE(doc->open(path, false));
  doc->setCurrentPage(1);
  views.clear();

  // The run replaces pages 0 and 1; page 2 is never reached (cancelled).
  auto fresh = letteredPaper(2, u'X');
  model::PageData first = std::move(fresh->pages.front());
  first.width = 9999;
  ASSERT_TRUE(doc->replaceRecognisedPage(0, std::move(first), false, {}));
  ASSERT_TRUE(doc->replaceRecognisedPage(1, std::move(fresh->pages.back()), true, {}));
  EXPECT_EQ(firstChar(*doc->page(0)), u'X');
  EXPECT_EQ(firstChar(*doc->page(1)), u'Y');
  EXPECT_EQ(doc->page(1)->number, 2);
  EXPECT_EQ(model::toUtf8(*doc->page(1)->file), "p2.tif");
  EXPECT_EQ(doc->paper()->maxPageWidth, 9999);
  EXPECT_TRUE(doc->pageMarked(0) && doc->pageMarked(1) && !doc->pageMarked(2));
  EXPECT_GT(views.resets, 0);  // the views let go of the replaced records first
  EXPECT_TRUE(views.saw(Change::Layout));
  EXPECT_EQ(doc->history().size(), 1u);
  EXPECT_STREQ(undoKindName(doc->history().nextUndo()->kind), "再認識");

  const auto restored = doc->undo({});
  ASSERT_TRUE(restored.has_value());
  EXPECT_EQ(restored->page, 1);  // the page the command ran on
  EXPECT_EQ(firstChar(*doc->page(0)), u'A');
  EXPECT_EQ(firstChar(*doc->page(1)), u'B');
  EXPECT_EQ(firstChar(*doc->page(2)), u'C');
  EXPECT_NE(doc->paper()->maxPageWidth, 9999);
  EXPECT_FALSE(doc->undoEnabled());
  ASSERT_TRUE(doc->redo({}).has_value());
  EXPECT_EQ(firstChar(*doc->page(0)), u'X');
  EXPECT_EQ(firstChar(*doc->page(1)), u'Y');
}

TEST_F(ScansDoc, RecoveredAfterACrashItKeepsItsPicturesAndSaveAsksForAName) {
  // What a run that crashed left: its private folder (no process holds it any more) and a
  // backup of the unsaved document, which had no name.
  const std::string folder = dir / "scans/scan-Ab12Cd";
  fs::create_directories(folder);
  std::ofstream(folder + "/p0001.tif") << "picture";
  auto paper = letteredPaper(1, u'A');
  paper->pages.front().file = u"p0001.tif";
  paper->pages.front().fullpath = model::fromUtf8(folder + "/p0001.tif");
  ASSERT_EQ(rovorirud::writeDocumentFile(*paper, setup.backupPath), rovorirud::WriteOk);
  app.backupOrgFileName = "";
  prompter.answers = {Answer::Ok};
  ASSERT_TRUE(doc->offerRecovery());
  EXPECT_EQ(doc->scanFolder(), folder);
  EXPECT_EQ(doc->pathName(), "回復した文書");

  // Save does not write a file called 回復した文書: it asks for a name, and the pictures move.
  ASSERT_TRUE(doc->save());
  EXPECT_EQ(saveAsRequests, 1);
  EXPECT_FALSE(fs::exists("回復した文書"));
  EXPECT_EQ(fullpath(0), dir / "book/p0001.tif");
  EXPECT_FALSE(fs::exists(folder));
}

}  // namespace
}  // namespace vellary::document
