// The document's re-composition: after every open, and the commands for all pages and the
// current page.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "document/document.h"
#include "model/json_dump.h"
#include "recompose/pages.h"
#include "recompose/ruby_book.h"
#include "rovorirud/reader.h"
#include "rovorirud/writer.h"
#include "support/fake_document_seams.h"
#include "support/recording_prompter.h"
#include "support/temp_dir.h"

namespace vellary::document {
namespace {

namespace fs = std::filesystem;
using namespace recompose::testing;
using vellary::testing::RecordingPrompter;
using vellary::testing::TempDir;

using Views = vellary::testing::RecordingObserver;
using Ticks = vellary::testing::FakeClock;
using Captions = vellary::testing::CaptionProgress;

// Pages of the test documents.
void plainPage(PaperData& paper) {
  PageData& p = paper.pages.emplace_back();
  p.file = u"plain.tif";
  p.width = 1200;
  p.height = 1600;
  BlockData& b = addBlock(p, Vertical, 760, 100, 200, 1000);
  addLine(b, u"ここには何も起こらない", 900, 100, 60, 64);
  addLine(b, u"二行目もそのまま", 830, 100, 60, 64);
  computeBlockAverages(b);
}

// 社長 with the ruby しゃちょう: しゃ beside 社, ちょう beside 長.
void rubyPage(PaperData& paper) {
  PageData& p = paper.pages.emplace_back();
  p.file = u"ruby.tif";
  BlockData& b = addBlock(p, Vertical, 760, 100, 240, 1000);
  addLine(b, u"社長が来る", 900, 100, 60, 64);
  addSideLine(b, u"しゃちょう", 962, 100, 28, {0, 30, 64, 82, 100});
  computeBlockAverages(b);
}

// One paragraph in two blocks side by side, two line pitches apart.
void splitParagraphPage(PaperData& paper) {
  PageData& p = paper.pages.emplace_back();
  p.file = u"split.tif";
  for (int right : {1180, 840}) {
    BlockData& b = addBlock(p, Vertical, right - 190, 100, 190, 536);
    for (int i = 0; i < 3; ++i)
      addLine(b, u"本文の続きの一行です", right - 50 - 70 * i, 100, 50, 54);
    computeBlockAverages(b);
  }
}

void titlePage(PaperData& paper) {
  PageData& p = paper.pages.emplace_back();
  p.file = u"title.tif";
  BlockData& b = addBlock(p, Vertical, 760, 100, 200, 1000, SecTitle);
  addLine(b, u"第二章", 900, 100, 60, 64);
  computeBlockAverages(b);
}

class ReCompose : public ::testing::Test {
 protected:
  ReCompose() {
    setup.prompter = &prompter;
    setup.app = &app;
    setup.settings = &store;
    setup.frame = &frame;
    setup.clock = &clock;
    setup.progress = &progress;
    setup.backupPath = dir / "_$backup.xml";
    doc = std::make_unique<CScrivlaDoc>(setup);
    doc->addObserver(&views);
  }

  std::string write(const std::string& name, PaperData& paper) {
    renumberPages(paper);
    std::string path = dir / name;
    EXPECT_EQ(rovorirud::writeDocumentFile(paper, path), rovorirud::WriteOk);
    return path;
  }
  template <class... Page>
  std::string file(const std::string& name, Page... pages) {
    PaperData paper;
    (pages(paper), ...);
    return write(name, paper);
  }
  static std::u16string sideText(const PageData& page) {
    std::u16string s;
    for (const BlockData& b : page.blocks)
      for (const LineData& l : b.lines)
        if (l.attr != AttrNone) s += textOf(l);
    return s;
  }
  static size_t sideLines(const PageData& page) {
    size_t n = 0;
    for (const BlockData& b : page.blocks)
      for (const LineData& l : b.lines) n += l.attr != AttrNone;
    return n;
  }
  static std::string pageJson(const PageData& page) {
    PaperData one;
    one.pages.push_back(copyPage(page));
    return model::dumpJson(one);
  }
  std::unique_ptr<PaperData> backup() {
    return rovorirud::readDocumentFile(setup.backupPath).paper;
  }

  TempDir dir;
  RecordingPrompter prompter;
  Views views;
  appcore::AppSettings app;
  appcore::FrameSettings frame;
  appcore::MemorySettingsStore store;
  Ticks clock;
  Captions progress;
  DocumentSetup setup;
  std::unique_ptr<CScrivlaDoc> doc;
};

TEST_F(ReCompose, OpeningReComposesSideLinesWithoutModifyingTheDocument) {
  const std::string path = file("a.xml", plainPage, rubyPage, plainPage);
  ASSERT_TRUE(doc->open(path, false));
  EXPECT_EQ(sideText(*doc->page(1)), u"しやちよう");  // small kana full-size, per base character
  EXPECT_EQ(sideLines(*doc->page(1)), 2u);
  // What opening re-composed is no unsaved correction: no page shows a mark.
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(doc->pageMarked(i));
  EXPECT_EQ(doc->docModified(), 0);
  EXPECT_FALSE(doc->undoEnabled());
  // The forced backup after opening holds the re-composed pages and names the opened file.
  ASSERT_TRUE(backup());
  EXPECT_EQ(sideText(*std::next(backup()->pages.begin())), u"しやちよう");
  EXPECT_EQ(store.read("Backup", "BackupOrgFileName"), path);
  EXPECT_NE(std::find(progress.captions.begin(), progress.captions.end(), "バックアップ中　"),
            progress.captions.end());

  ASSERT_TRUE(doc->open(file("b.xml", plainPage, plainPage, rubyPage), false));
  EXPECT_EQ(doc->currentPage(), 0);
  EXPECT_FALSE(doc->pageMarked(0));
  EXPECT_EQ(doc->docModified(), 0);
}

TEST_F(ReCompose, TheOptionsAreReadWhenAnOperationRuns) {
  const std::string path = file("a.xml", rubyPage);
  frame.monoRuby = 0;
  frame.rubySmallKana = 0;
  ASSERT_TRUE(doc->open(path, false));
  EXPECT_EQ(sideText(*doc->page(0)), u"しゃちょう");
  EXPECT_EQ(sideLines(*doc->page(0)), 1u);

  frame.monoRuby = 1;  // the open document keeps its ruby until it is re-composed
  EXPECT_EQ(sideLines(*doc->page(0)), 1u);
  ASSERT_TRUE(doc->open(path, false));
  EXPECT_EQ(sideLines(*doc->page(0)), 2u);
  EXPECT_EQ(sideText(*doc->page(0)), u"しゃちょう");

  // Appending re-composes the pages already open as well; they are left as they were.
  const std::string before = pageJson(*doc->page(0));
  ASSERT_TRUE(doc->open(file("b.xml", plainPage), true));
  ASSERT_EQ(doc->paper()->pages.size(), 2u);
  EXPECT_EQ(pageJson(*doc->page(0)), before);
}

TEST_F(ReCompose, AllPagesJoinsBlocksAndGoesToTheFirstPaper) {
  EXPECT_FALSE(doc->reComposeAllPages());  // no document: nothing happens
  EXPECT_TRUE(views.sets.empty());

  ASSERT_TRUE(doc->open(file("a.xml", plainPage, splitParagraphPage, titlePage), false));
  EXPECT_EQ(doc->currentPage(), 2);
  doc->setCurrentPage(0);
  // A correction on the last page, not yet saved: its mark must outlive the re-composition.
  doc->markPage(3);
  views.clear();
  progress.captions.clear();
  clock.now += 10;

  ASSERT_TRUE(doc->reComposeAllPages());
  const PageData& joined = *doc->page(1);
  ASSERT_EQ(joined.blocks.size(), 1u);
  // Three columns, two blank lines for the gap of two pitches, three columns.
  std::u16string columns;
  for (const LineData& l : joined.blocks.front().lines) columns += textOf(l).substr(0, 1);
  EXPECT_EQ(columns, u"本本本\r\r本本本");
  EXPECT_EQ(doc->currentPage(), 2);
  EXPECT_EQ(doc->firstPaperPage(), 2);
  EXPECT_EQ(doc->blockEntries().page(1).entries.size(), 1u);
  // The views let go of the records before the first page was reworked, and heard one change set.
  EXPECT_EQ(views.resets, 1);
  ASSERT_EQ(views.sets.size(), 1u);
  EXPECT_TRUE(views.sets[0].has(Change::Document));
  EXPECT_TRUE(doc->pageMarked(1));
  EXPECT_TRUE(doc->pageMarked(2));
  EXPECT_EQ(doc->docModified(), 1);
  EXPECT_EQ(progress.captions.back(), "バックアップ中　");
  EXPECT_EQ(doc->lastBackupTick(), clock.now);
  EXPECT_EQ(std::next(backup()->pages.begin())->blocks.size(), 1u);
  EXPECT_EQ(store.read("Backup", "BackupOrgFileName"), doc->pathName());
}

TEST_F(ReCompose, CurrentPageBacksUpFirstAndMarksWhatChanged) {
  EXPECT_FALSE(doc->reComposeCurrentPage());
  ASSERT_TRUE(doc->open(file("a.xml", plainPage, splitParagraphPage), false));
  doc->setCurrentPage(1);
  views.clear();
  ASSERT_TRUE(doc->reComposeCurrentPage());
  // The backup was taken before the page changed.
  EXPECT_EQ(std::next(backup()->pages.begin())->blocks.size(), 2u);
  EXPECT_EQ(doc->page(1)->blocks.size(), 1u);
  EXPECT_EQ(doc->blockEntries().page(1).entries.size(), 1u);
  EXPECT_EQ(doc->page(0)->blocks.size(), 1u);  // only the current page
  EXPECT_TRUE(doc->pageMarked(1));
  EXPECT_EQ(doc->docModified(), 1);
  ASSERT_EQ(views.sets.size(), 1u);
  EXPECT_TRUE(views.sets[0].has(Change::Layout));
  EXPECT_EQ(views.resets, 1);
  // It is one step of the history: undo brings the two blocks back.
  ASSERT_TRUE(doc->undo({}));
  EXPECT_EQ(doc->page(1)->blocks.size(), 2u);
  ASSERT_TRUE(doc->redo({}));
  EXPECT_EQ(doc->page(1)->blocks.size(), 1u);

  // A page where nothing changes gets its changed flag and list mark, once.
  prompter.answers = {appcore::Answer::No};
  ASSERT_TRUE(doc->open(doc->pathName(), false));
  ASSERT_TRUE(doc->reComposeCurrentPage());
  EXPECT_EQ(doc->currentPage(), 0);
  EXPECT_EQ(doc->blockEntries().page(0).changed, 1);
  EXPECT_TRUE(doc->pageMarked(0));
  EXPECT_EQ(doc->docModified(), 0);
  EXPECT_EQ(doc->page(0)->blocks.front().lines.size(), 2u);
  ASSERT_TRUE(doc->saveTo(dir / "saved.xml"));
  EXPECT_FALSE(doc->pageMarked(0));
  doc->reComposeCurrentPage();
  EXPECT_FALSE(doc->pageMarked(0));
}

TEST_F(ReCompose, ReComposingAGeneratedDocumentAgainChangesNothing) {
  auto book = RubyBook(11).make(15);
  ASSERT_TRUE(doc->open(write("book.xml", *book), false));
  const std::string opened = model::dumpJson(*doc->paper());
  EXPECT_NE(opened, model::dumpJson(*rovorirud::readDocumentFile(dir / "book.xml").paper));
  doc->ReComposeDocument(false, doc->pathName());
  EXPECT_EQ(model::dumpJson(*doc->paper()), opened);

  ASSERT_TRUE(doc->reComposeAllPages());
  const std::string joined = model::dumpJson(*doc->paper());
  EXPECT_NE(joined, opened);
  ASSERT_TRUE(doc->reComposeAllPages());
  EXPECT_EQ(model::dumpJson(*doc->paper()), joined);
}

}  // namespace
}  // namespace vellary::document
