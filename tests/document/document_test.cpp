#include "document/document.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "docgen.h"
#include "formats/format.h"
#include "model/paper.h"
#include "rovorirud/reader.h"
#include "rovorirud/writer.h"
#include "support/document_fixture.h"

namespace vellary::document {
namespace {

namespace fs = std::filesystem;
using appcore::Answer;
using testing::FakeClock;
using testing::RecordingObserver;
using testing::RecordingPrompter;
using testing::TempDir;

class Doc : public testing::DocumentFixture {
 protected:
  // A document of `pages` pages, each page's text block with a distinct first character.
  std::string makeFile(const std::string& name, int pages, bool titleOnPage2 = false) {
    auto paper = letteredPaper(pages, u'A');
    if (titleOnPage2 && pages > 1)
      std::next(paper->pages.begin())->blocks.front().sec = model::SecTitle;
    std::string path = dir / name;
    EXPECT_EQ(rovorirud::writeDocumentFile(*paper, path), rovorirud::WriteOk);
    return path;
  }
  std::string badFile() {
    return dir.write(
        "bad.xml",
        "<?xml version=\"1.0\" encoding=\"Shift_JIS\" ?>\n<paper>\n<page number=\"1\">\n"
        "</page>\n</paper>\n");
  }
  static int pagesIn(const std::string& path) {
    rovorirud::ReadResult r = rovorirud::readDocumentFile(path);
    return r.paper ? static_cast<int>(r.paper->pages.size()) : -1;
  }
  char16_t firstChar(int page) {
    return doc->page(page)->blocks.front().lines.front().chars.front().text[0];
  }
  void typeOn(int page, char16_t c) {
    doc->page(page)->blocks.front().lines.front().chars.front().text = model::makeCharText(c);
  }
};

TEST_F(Doc, OpeningSetsTheStateTheFrameReads) {
  std::string path = makeFile("a.xml", 3, true);
  ASSERT_TRUE(doc->open(path, false));
  EXPECT_EQ(doc->pathName(), path);
  EXPECT_EQ(doc->currentPage(), 1);  // the page where the first article starts
  EXPECT_EQ(doc->firstPaperPage(), 1);
  EXPECT_EQ(doc->docModified(), 0);
  EXPECT_EQ(doc->editState().editMode, 3);
  EXPECT_TRUE(doc->editState().blockEditEnabled);
  EXPECT_FALSE(doc->undoEnabled());
  EXPECT_EQ(doc->blockEntries().pageCount(), 3u);
  EXPECT_EQ(app.xmlFolder, dir.path() + "/");
  EXPECT_EQ(store.read("Settings", "XmlFolder"), dir.path() + "/");
  // One change set for the whole opening, and the views let go of nothing they did not hold.
  ASSERT_FALSE(views.sets.empty());
  EXPECT_TRUE(views.sets.back().has(Change::Document));
  EXPECT_TRUE(fs::exists(setup.backupPath));  // the forced backup after opening
  EXPECT_EQ(store.read("Backup", "BackupOrgFileName"), path);
}

TEST_F(Doc, AFormatErrorOnOpenKeepsTheOpenDocumentAndItsEdits) {
  const std::string path = makeFile("a.xml", 3);
  ASSERT_TRUE(doc->open(path, false));
  typeOn(0, u'Q');
  doc->markPage(0);
  model::PageData* before = doc->page(0);
  views.clear();
  prompter.answers = {Answer::No};  // not saved before the other file is opened
  EXPECT_FALSE(doc->open(badFile(), false));
  ASSERT_EQ(prompter.shown.size(), 2u);
  EXPECT_EQ(prompter.shown[1].text, "属性が間違っています。[3行目]");
  EXPECT_EQ(prompter.shown[1].caption, "エラー");
  // The records were never let go of: the views keep drawing them.
  EXPECT_EQ(views.resets, 0);
  ASSERT_NE(doc->paper(), nullptr);
  EXPECT_EQ(doc->page(0), before);
  EXPECT_EQ(firstChar(0), u'Q');
  EXPECT_EQ(doc->pathName(), path);
  EXPECT_EQ(doc->docModified(), 1);
  EXPECT_EQ(doc->editState().editMode, 3);

  // Without a document a failed open leaves none, and nothing editable.
  CScrivlaDoc fresh(setup);
  EXPECT_FALSE(fresh.open(badFile(), false));
  EXPECT_EQ(fresh.paper(), nullptr);
  EXPECT_EQ(fresh.currentPage(), -1);
  EXPECT_EQ(fresh.editState().editMode, 0);
  EXPECT_FALSE(fresh.editState().blockEditEnabled);
}

TEST_F(Doc, AFormatErrorOnAppendKeepsTheDocument) {
  std::string path = makeFile("a.xml", 3);
  ASSERT_TRUE(doc->open(path, false));
  EXPECT_FALSE(doc->open(badFile(), true));
  ASSERT_NE(doc->paper(), nullptr);
  EXPECT_EQ(doc->paper()->pages.size(), 3u);
  EXPECT_EQ(doc->pathName(), path);
  EXPECT_EQ(doc->currentPage(), 0);
  EXPECT_EQ(doc->editState().editMode, 3);
}

TEST_F(Doc, AppendingRenumbersAndKeepsThePathName) {
  std::string a = makeFile("a.xml", 3);
  ASSERT_TRUE(doc->open(a, false));
  ASSERT_TRUE(doc->open(makeFile("b.xml", 2), true));
  ASSERT_EQ(doc->paper()->pages.size(), 5u);
  int n = 0;
  for (const model::PageData& p : doc->paper()->pages) EXPECT_EQ(p.number, ++n);
  EXPECT_EQ(doc->pathName(), a);
  EXPECT_EQ(doc->blockEntries().pageCount(), 5u);

  CScrivlaDoc fresh(setup);  // no path yet: the appended file names the document
  ASSERT_TRUE(fresh.open(a, true));
  EXPECT_EQ(fresh.pathName(), a);
}

TEST_F(Doc, AnUnopenableFileIsReported) {
  EXPECT_FALSE(doc->load(dir / "missing.xml", false));
  ASSERT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(prompter.shown[0].text,
            "ファイルオープンエラー\n" + dir / "missing.xml" + "\nファイルが見つかりません。");
  EXPECT_EQ(prompter.shown[0].caption, "エラー");
  // A folder or a pipe is refused at once with what it is; a pipe must not hang the editor.
  EXPECT_FALSE(doc->load(dir.path(), false));
  EXPECT_EQ(prompter.shown.back().text, "ファイルオープンエラー\n" + dir.path() +
                                            "\nフォルダです。ファイルを指定してください。");
  ASSERT_EQ(::mkfifo((dir / "pipe.xml").c_str(), 0600), 0);
  EXPECT_FALSE(doc->load(dir / "pipe.xml", false));
  EXPECT_NE(prompter.shown.back().text.find("通常のファイルではありません"), std::string::npos);
  EXPECT_EQ(
      CScrivlaDoc::openDialogRefusal(dir / "missing.xml"),
      dir / "missing.xml" + "\nこのファイルが見つかりません。\nファイル名を確認してください。");
}

TEST_F(Doc, TheSaveQuestionGuardsAModifiedDocument) {
  std::string a = makeFile("a.xml", 2), b = makeFile("b.xml", 4);
  ASSERT_TRUE(doc->open(a, false));
  typeOn(0, u'Z');
  doc->markPage(0);
  prompter.answers = {Answer::Cancel};
  EXPECT_FALSE(doc->open(b, false));
  EXPECT_EQ(doc->pathName(), a);
  EXPECT_EQ(prompter.shown.back().text, "文書は変更されています。保存しますか?");
  EXPECT_EQ(prompter.shown.back().buttons, appcore::Buttons::YesNoCancel);

  prompter.answers = {Answer::Yes};
  ASSERT_TRUE(doc->open(b, false));
  EXPECT_EQ(doc->paper()->pages.size(), 4u);
  rovorirud::ReadResult saved = rovorirud::readDocumentFile(a);
  EXPECT_EQ(saved.paper->pages.front().blocks.front().lines.front().chars.front().text[0], u'Z');
}

TEST_F(Doc, SavingARangeRenamesTheDocument) {
  ASSERT_TRUE(doc->open(makeFile("ten.xml", 10), false));
  std::string part = dir / "part.xml";
  EXPECT_EQ(doc->saveAs(part, SaveChoice::Range, 2, 4), SaveAsResult::Saved);
  rovorirud::ReadResult r = rovorirud::readDocumentFile(part);
  ASSERT_TRUE(r.paper);
  ASSERT_EQ(r.paper->pages.size(), 3u);
  EXPECT_EQ(r.paper->pages.front().number, 1);
  EXPECT_EQ(r.paper->pages.back().number, 3);
  EXPECT_EQ(r.paper->pages.front().blocks.front().lines.front().chars.front().text[0], u'B');
  EXPECT_EQ(doc->pathName(), part);
  EXPECT_EQ(doc->lastSaveChoice(), SaveChoice::Range);
  ASSERT_TRUE(doc->save());
  EXPECT_EQ(pagesIn(part), 10);

  EXPECT_EQ(doc->saveAs(dir / "one.xml", SaveChoice::CurrentPage, 0, 0), SaveAsResult::Saved);
  EXPECT_EQ(pagesIn(dir / "one.xml"), 1);
}

TEST_F(Doc, APartialSaveKeepsOtherCorrectionsCountedAsUnsaved) {
  ASSERT_TRUE(doc->open(makeFile("ten.xml", 10), false));
  doc->markPage(2);  // 1-based: the page at index 1
  doc->markPage(8);
  EXPECT_EQ(doc->saveAs(dir / "part.xml", SaveChoice::Range, 1, 3), SaveAsResult::Saved);
  EXPECT_FALSE(doc->pageMarked(1));
  EXPECT_TRUE(doc->pageMarked(7));
  EXPECT_EQ(doc->docModified(), 1);  // page 8's correction is in no file yet
  EXPECT_EQ(doc->saveAs(dir / "all.xml", SaveChoice::AllPages, 0, 0), SaveAsResult::Saved);
  EXPECT_EQ(doc->docModified(), 0);
}

TEST_F(Doc, ImpossibleRangesKeepTheDialogOpen) {
  ASSERT_TRUE(doc->open(makeFile("ten.xml", 10), false));
  for (auto [first, last] : {std::pair{0, 3}, {2, 11}, {5, 4}}) {
    prompter.shown.clear();
    EXPECT_EQ(doc->saveAs(dir / "x.xml", SaveChoice::Range, first, last),
              SaveAsResult::StayInDialog);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text,
              "保存範囲が指定されていない、あるいは保存範囲のページが正しくありません");
  }
  EXPECT_FALSE(fs::exists(dir / "x.xml"));
}

TEST_F(Doc, MoreThan99PagesAsksFirst) {
  ASSERT_TRUE(doc->open(makeFile("big.xml", 120), false));
  prompter.answers = {Answer::No};
  EXPECT_EQ(doc->saveAs(dir / "x.xml", SaveChoice::AllPages, 0, 0), SaveAsResult::StayInDialog);
  EXPECT_EQ(prompter.shown.back().text,
            "保存ページが120ページ選択されています。\n認識結果の内容によっては、保存に時間がかか"
            "る場合があります。\n保存を実行しますか？");
  EXPECT_EQ(prompter.shown.back().defaultAnswer, Answer::No);
  EXPECT_FALSE(fs::exists(dir / "x.xml"));
  prompter.shown.clear();
  EXPECT_EQ(doc->saveAs(dir / "x.xml", SaveChoice::Range, 1, 99), SaveAsResult::Saved);
  EXPECT_TRUE(prompter.shown.empty());
  prompter.answers = {Answer::Yes};
  EXPECT_EQ(doc->saveAs(dir / "y.xml", SaveChoice::Range, 1, 100), SaveAsResult::Saved);
  EXPECT_EQ(pagesIn(dir / "y.xml"), 100);
}

TEST_F(Doc, BackupsFollowTheSwitchAndTheInterval) {
  app.doBackup = 0;
  ASSERT_TRUE(doc->open(makeFile("a.xml", 2), false));
  doc->backupCheck(true);
  EXPECT_FALSE(fs::exists(setup.backupPath));
  app.doBackup = 1;
  app.backupInterval = 0;
  doc->backupCheck(true);
  EXPECT_FALSE(fs::exists(setup.backupPath));

  app.backupInterval = 5;
  clock.now = doc->lastBackupTick() + 5 * 60000;
  doc->backupCheck(false);
  EXPECT_FALSE(fs::exists(setup.backupPath));  // due only once the interval is exceeded
  clock.now += 1;
  doc->backupCheck(false);
  EXPECT_TRUE(fs::exists(setup.backupPath));
  EXPECT_EQ(doc->lastBackupTick(), clock.now);
  EXPECT_EQ(store.read("Backup", "BackupOrgFileName"), doc->pathName());

  fs::remove(setup.backupPath);
  clock.now = 10;  // the tick counter wrapped
  doc->backupCheck(false, "/elsewhere/book.xml");
  EXPECT_TRUE(fs::exists(setup.backupPath));
  EXPECT_EQ(app.backupOrgFileName, "/elsewhere/book.xml");
}

TEST_F(Doc, RecoveryNamesAndMarksTheRestoredDocument) {
  fs::copy_file(makeFile("a.xml", 3), setup.backupPath);
  app.backupOrgFileName = "";
  prompter.answers = {Answer::Ok};
  doc->offerRecovery();
  ASSERT_NE(doc->paper(), nullptr);
  EXPECT_EQ(prompter.shown[0].text,
            "プログラムの異常終了などが原因で、前回作業時のデータが残っています。\n可能な限り復元を"
            "試みますか？");
  EXPECT_EQ(doc->pathName(), "回復した文書");
  EXPECT_EQ(doc->docModified(), 1);
  EXPECT_TRUE(doc->pageMarked(doc->currentPage()));

  CScrivlaDoc second(setup);
  app.backupOrgFileName = "/books/a.xml";
  prompter.answers = {Answer::Ok};
  second.offerRecovery();
  EXPECT_EQ(second.pathName(), "/books/a.xml");

  prompter.answers = {Answer::Cancel};
  CScrivlaDoc third(setup);
  third.offerRecovery();
  EXPECT_FALSE(fs::exists(setup.backupPath));
  EXPECT_EQ(third.paper(), nullptr);
}

TEST_F(Doc, ImageFoldersMoveOnlyThePathsInsideTheOldFolder) {
  ASSERT_TRUE(doc->open(makeFile("a.xml", 3), false));
  auto& pages = doc->paper()->pages;
  auto it = pages.begin();
  (it++)->fullpath = u"D:\\scan\\sub\\p1.tif";
  (it++)->fullpath = u"D:\\scans\\p2.tif";
  it->fullpath.reset();
  EXPECT_EQ(doc->imageFolderDefaults().first, "D:\\scan\\sub");
  doc->changeImageFolder("C:\\none", "/data/new/");
  EXPECT_EQ(pages.front().fullpath, u"D:\\scan\\sub\\p1.tif");
  doc->changeImageFolder("D:\\scan", "/data/new");
  EXPECT_EQ(pages.front().fullpath, u"/data/new/p1.tif");
  EXPECT_EQ(std::next(pages.begin())->fullpath, u"D:\\scans\\p2.tif");
  EXPECT_EQ(doc->docModified(), 0);
  EXPECT_EQ(doc->imageFolderDefaults().second, "/data/new");
}

TEST_F(Doc, DroppedFiles) {
  std::string a = makeFile("a.xml", 1);
  EXPECT_FALSE(doc->dropFiles({a, a}));
  EXPECT_EQ(prompter.shown.back().text,
            "複数のファイルがドラッグ/ドロップされました！\r\n1つのファイルをドラッグ/"
            "ドロップしてください。");
  EXPECT_FALSE(doc->dropFiles({dir.path()}));
  EXPECT_EQ(prompter.shown.back().text,
            "フォルダがドラッグ/ドロップされました！\r\nファイルをドラッグ/ドロップしてください。");
  EXPECT_FALSE(doc->dropFiles({dir.write("a.txt", "x")}));
  EXPECT_EQ(prompter.shown.back().text,
            "拡張子が違うファイルがドラッグ/ドロップされました！\r\nXML、hOCR、PAGE、ALTO、NDLOCR、"
            "TSV のいずれかのファイルか、認識する画像（TIFF、PNG、JPEG、BMP）・PDF をドラッグ/"
            "ドロップしてください。");
  fs::copy_file(a, dir / "B.XML");
  EXPECT_TRUE(doc->dropFiles({dir / "B.XML"}));
  EXPECT_EQ(doc->pathName(), dir / "B.XML");
}

// A document read from another format is corrected like any other, but its file is never written
// over: Save asks for a RovOrirUD name, Save as refuses the foreign file's own name, and once
// saved under a new name the document is that RovOrirUD file. Reload reads the foreign file again
// as its format.
TEST_F(Doc, ADocumentFromAnotherFormatIsSavedUnderANewName) {
  rovorirud::ReadResult source = rovorirud::readDocumentFile(makeFile("source.xml", 2));
  ASSERT_TRUE(source.paper);
  const std::string hocr = dir / "scan.hocr";
  std::string error;
  ASSERT_TRUE(formats::formatNamed("hocr")->write(*source.paper, hocr, {}, error)) << error;
  const auto bytes = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string original = bytes(hocr);

  ASSERT_TRUE(doc->open(hocr, false));
  ASSERT_NE(doc->origin(), nullptr);
  EXPECT_EQ(doc->origin()->name, "hocr");
  EXPECT_FALSE(doc->savesInPlace());
  EXPECT_EQ(firstChar(0), u'A');
  typeOn(0, u'Z');
  doc->markPage(0);

  // Save without a way to ask for a name saves nothing.
  EXPECT_FALSE(doc->save());
  int asked = 0;
  doc->saveAsRequest = [&] {
    ++asked;
    return false;  // the user cancels the dialog
  };
  EXPECT_FALSE(doc->save());
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(bytes(hocr), original);
  // Closing asks to save, and a cancelled name keeps the window open.
  prompter.answers = {Answer::Yes};
  EXPECT_FALSE(doc->saveModifiedBeforeClosing());
  EXPECT_EQ(asked, 2);

  EXPECT_EQ(doc->saveAs(hocr, SaveChoice::AllPages, 0, 0), SaveAsResult::StayInDialog);
  EXPECT_EQ(prompter.shown.back().text,
            hocr + "\nはhOCRのファイルです。上書きせずに、別の名前を指定してください。");
  EXPECT_EQ(bytes(hocr), original);

  // Reload reads the hOCR again: the typed character is gone.
  prompter.answers = {Answer::Ok};
  ASSERT_TRUE(doc->reload());
  EXPECT_EQ(doc->origin()->name, "hocr");
  EXPECT_EQ(firstChar(0), u'A');
  typeOn(0, u'Z');
  doc->markPage(0);

  const std::string saved = dir / "scan.xml";
  EXPECT_EQ(doc->saveAs(saved, SaveChoice::AllPages, 0, 0), SaveAsResult::Saved);
  EXPECT_TRUE(doc->origin()->native);
  EXPECT_TRUE(doc->savesInPlace());
  EXPECT_EQ(doc->pathName(), saved);
  EXPECT_EQ(pagesIn(saved), 2);
  typeOn(0, u'Y');
  doc->markPage(0);
  EXPECT_TRUE(doc->save());
  EXPECT_EQ(rovorirud::readDocumentFile(saved)
                .paper->pages.front()
                .blocks.front()
                .lines.front()
                .chars.front()
                .text[0],
            u'Y');
  EXPECT_EQ(bytes(hocr), original);
}

TEST_F(Doc, ZoomAndPageChanges) {
  ASSERT_TRUE(doc->open(makeFile("a.xml", 3), false));
  views.clear();
  EXPECT_TRUE(doc->zoomCommand(32876));
  EXPECT_DOUBLE_EQ(doc->zoom(), 0.3);
  ASSERT_EQ(views.sets.size(), 1u);
  EXPECT_EQ(views.sets[0].kinds, static_cast<uint32_t>(Change::Zoom));
  EXPECT_TRUE(doc->isZoomChecked(32876));
  views.clear();
  doc->zoomCommand(32876);  // already there: nothing happens
  EXPECT_TRUE(views.sets.empty());
  EXPECT_TRUE(doc->zoomCommand(32878));
  EXPECT_EQ(doc->blockEntries().page(0).entries[0].display.left,
            static_cast<int>(doc->paper()->pages.front().blocks.front().x * 0.5));

  EXPECT_EQ(doc->currentPage(), 0);
  EXPECT_EQ(doc->previousPage(), -1);
  EXPECT_EQ(doc->nextPage(), 1);
  EXPECT_EQ(doc->nextPage(), 2);
  EXPECT_EQ(doc->nextPage(), -1);
  EXPECT_EQ(doc->docModified(), 0);
  EXPECT_TRUE(views.saw(Change::Page));
}

TEST_F(Doc, UndoWalksTheHistoryBackAndRedoForwardAcrossPages) {
  ASSERT_TRUE(doc->open(makeFile("a.xml", 6), false));
  EXPECT_FALSE(doc->undoEnabled());
  EXPECT_FALSE(doc->redoEnabled());
  // Five typed characters are one step.
  for (char16_t c : std::u16string(u"VWXYZ")) {
    doc->snapshot(UndoTyping, -1, CaretMemo{{1, 2, 3}, -1, -1});
    typeOn(0, c);
  }
  // Then a block deletion on the same page, and typing on page 3.
  doc->snapshot(UndoBlockDelete, -1, CaretMemo{{0, 0, 4}, 3, 5});
  doc->page(0)->blocks.clear();
  doc->nextPage();
  doc->nextPage();
  doc->snapshot(UndoTyping, -1, CaretMemo{{0, 0, 0}, -1, -1});
  typeOn(2, u'Q');
  EXPECT_EQ(doc->history().size(), 3u);

  // Undo goes back one step at a time, to the page of each step, and gives its caret.
  doc->previousPage();
  auto r = doc->undo(CaretMemo{{0, 0, 1}, -1, -1});
  ASSERT_TRUE(r);
  EXPECT_EQ(r->page, 2);
  EXPECT_EQ(doc->currentPage(), 2);
  EXPECT_EQ(firstChar(2), u'C');
  r = doc->undo({});
  ASSERT_TRUE(r);
  EXPECT_EQ(doc->currentPage(), 0);
  EXPECT_EQ(r->caret.caret, (CaretState{0, 0, 4}));
  EXPECT_EQ(r->caret.selStart, 3);
  EXPECT_FALSE(doc->page(0)->blocks.empty());
  EXPECT_EQ(firstChar(0), u'Z');
  r = doc->undo({});
  ASSERT_TRUE(r);
  EXPECT_EQ(firstChar(0), u'A');
  EXPECT_EQ(r->caret.caret, (CaretState{1, 2, 3}));
  EXPECT_FALSE(doc->undo({}));

  // Redo comes forward again, with the caret each undo left.
  ASSERT_TRUE(doc->redo({}));
  EXPECT_EQ(firstChar(0), u'Z');
  ASSERT_TRUE(doc->redo({}));
  EXPECT_TRUE(doc->page(0)->blocks.empty());
  r = doc->redo({});
  ASSERT_TRUE(r);
  EXPECT_EQ(firstChar(2), u'Q');
  EXPECT_EQ(r->caret.caret, (CaretState{0, 0, 1}));
  EXPECT_FALSE(doc->redoEnabled());

  // A new edit after undo drops what could be redone.
  ASSERT_TRUE(doc->undo({}));
  doc->snapshot(UndoReplace, 4, {});
  EXPECT_FALSE(doc->redoEnabled());
  EXPECT_EQ(doc->history().size(), 3u);

  // Loading forgets the history; saving keeps it.
  ASSERT_TRUE(doc->saveTo(dir / "kept.xml"));
  EXPECT_TRUE(doc->undoEnabled());
  ASSERT_TRUE(doc->open(doc->pathName(), false));
  EXPECT_FALSE(doc->undoEnabled());
  EXPECT_FALSE(doc->redoEnabled());
}

TEST_F(Doc, TheHistoryKeepsItsNewestStepsWithinItsLimits) {
  ASSERT_TRUE(doc->open(makeFile("a.xml", 2), false));
  doc->history().setLimits({4, size_t{1} << 30});
  for (char16_t c : std::u16string(u"BCDEFG")) {
    doc->snapshot(UndoReplace, 0, {});
    typeOn(0, c);
  }
  EXPECT_EQ(doc->history().size(), 4u);
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(doc->undo({}));
  EXPECT_EQ(firstChar(0), u'C');  // the two oldest steps were dropped
  EXPECT_FALSE(doc->undo({}));

  // A byte limit below one page still keeps the newest step.
  doc->history().setLimits({500, 1});
  doc->snapshot(UndoReplace, 1, {});
  EXPECT_EQ(doc->history().size(), 1u);
  EXPECT_GT(doc->history().bytes(), 0u);
}

TEST_F(Doc, RestoredSideLinesPointIntoTheRestoredPage) {
  ASSERT_TRUE(doc->open(makeFile("a.xml", 1), false));
  model::BlockData& b = doc->page(0)->blocks.front();
  model::LineData& ruby = b.lines.emplace_back();
  ruby.attr = model::AttrRuby;
  ruby.baseLine = &b.lines.front();
  doc->snapshot(UndoRuby, -1, {});
  ruby.chars.emplace_back();
  ASSERT_TRUE(doc->undo({}));
  const model::BlockData& restored = doc->page(0)->blocks.front();
  EXPECT_EQ(restored.lines.back().baseLine, &restored.lines.front());
  EXPECT_TRUE(restored.lines.back().chars.empty());
}

TEST_F(Doc, ClearingChangeMarksAsksFirst) {
  ASSERT_TRUE(doc->open(makeFile("a.xml", 2), false));
  for (model::PageData& p : doc->paper()->pages)
    for (model::BlockData& b : p.blocks)
      for (model::LineData& l : b.lines)
        for (model::CharData& c : l.chars) c.changed = 1;
  prompter.answers = {Answer::Cancel};
  EXPECT_FALSE(doc->clearChangeMarks());
  EXPECT_EQ(firstChar(0), u'A');
  EXPECT_EQ(doc->page(0)->blocks.front().lines.front().chars.front().changed, 1);
  views.clear();
  EXPECT_TRUE(doc->clearChangeMarks());
  EXPECT_EQ(prompter.shown.back().text,
            "すべてのページの修正マークをクリアし元の文字色で表示します。");
  EXPECT_TRUE(views.saw(Change::Display));
  ASSERT_TRUE(doc->saveTo(dir / "cleared.xml"));
  EXPECT_EQ(TempDir::read(dir / "cleared.xml").find("changed=\"1\""), std::string::npos);
}

TEST_F(Doc, AFailedSaveKeepsThePreviousFileAndTheModifiedState) {
  std::string path = makeFile("a.xml", 40);
  ASSERT_TRUE(doc->open(path, false));
  const std::string before = TempDir::read(path);
  typeOn(0, u'Z');
  doc->markPage(0);

  // A full disk: the file size limit makes every write past a few bytes fail.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit tiny = old;
  tiny.rlim_cur = 4096;
  setrlimit(RLIMIT_FSIZE, &tiny);
  bool saved = doc->save();
  setrlimit(RLIMIT_FSIZE, &old);

  EXPECT_FALSE(saved);
  EXPECT_EQ(TempDir::read(path), before);
  EXPECT_EQ(doc->docModified(), 1);
  EXPECT_TRUE(doc->pageMarked(0));
  ASSERT_FALSE(prompter.shown.empty());
  EXPECT_EQ(prompter.shown.back().text,
            "ファイル " + path + " が保存できません。\ncannot write " + path + ": File too large");
  EXPECT_EQ(prompter.shown.back().caption, "エラー");
  int files = 0;
  for ([[maybe_unused]] auto& e : fs::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 2);  // a.xml and the backup: no temporary file left behind

  EXPECT_FALSE(doc->saveTo(dir / "no/such/folder/a.xml"));
  EXPECT_EQ(prompter.shown.back().text, "ファイルオープンエラー\ncannot write " +
                                            dir / "no/such/folder/a.xml" +
                                            ": No such file or directory");
  EXPECT_EQ(doc->docModified(), 1);
}

TEST_F(Doc, ReloadAsksAndStartsOver) {
  std::string path = makeFile("a.xml", 2);
  ASSERT_TRUE(doc->open(path, false));
  typeOn(0, u'Z');
  prompter.answers = {Answer::Cancel};
  EXPECT_FALSE(doc->reload());
  EXPECT_EQ(firstChar(0), u'Z');
  EXPECT_TRUE(doc->reload());
  EXPECT_EQ(prompter.shown.back().text, "編集中のデータは最初の状態に戻りますが、よろしいですか？");
  EXPECT_EQ(firstChar(0), u'A');
  fs::remove(path);
  EXPECT_FALSE(doc->reload());
  EXPECT_EQ(prompter.shown.back().text, "ファイルが読み込めません");
}

}  // namespace
}  // namespace vellary::document
