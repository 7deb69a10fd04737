// The Office export as the editor runs it: the frame's settings reach the writer, and what the
// writer reports reaches the user through the prompter.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "document/document.h"
#include "document/document_export.h"
#include "office_log.h"
#include "pdf_helpers.h"
#include "rovorirud/writer.h"
#include "support/document_fixture.h"

namespace vellary::document {
namespace {

namespace fs = std::filesystem;

class OfficeDocument : public testing::DocumentFixture {
 protected:
  OfficeDocument() {
    setenv("OXMLGEN_FAKE_LOG", (dir / "log").c_str(), 1);
    unsetenv("OXMLGEN_FAKE_CREATE_RESULT");

    model::PaperData paper;
    model::PageData page;
    page.number = 1;
    page.width = 3307;
    page.height = 4677;
    page.dpi = 400;
    page.file = u"p1.tif";
    model::BlockData block = testing::textBlock({testing::hline(1000, 1000, 40, u"認識する")});
    block.bid = 1;
    page.blocks.push_back(std::move(block));
    paper.pages.push_back(std::move(page));
    path = dir / "book.xml";
    EXPECT_EQ(rovorirud::writeDocumentFile(paper, path), rovorirud::WriteOk);
    EXPECT_TRUE(doc->open(path, false));
  }
  ~OfficeDocument() override { unsetenv("OXMLGEN_FAKE_LOG"); }

  int exportAs(int kind, const std::string& library) {
    return exportDocument(*doc, {dir / "out.docx", kind, 0, 0}, frame, prompter, nullptr, library);
  }

  appcore::FrameSettings frame;
  std::string path;
};

TEST_F(OfficeDocument, AMissingLibraryOrEntryIsToldAndNothingIsWritten) {
  EXPECT_EQ(exportAs(exporting::KindDocx, dir / "nowhere/liboxmlgen.so"), 0);
  ASSERT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(prompter.shown[0].text, "ファイル " + (dir / "out.docx") + " が保存できません。");
  EXPECT_EQ(prompter.shown[0].caption, "エラー");

  EXPECT_EQ(exportAs(exporting::KindPptx, FAKE_OXMLGEN_PARTIAL), 0);
  ASSERT_EQ(prompter.shown.size(), 2u);
  EXPECT_EQ(prompter.shown[1].text, prompter.shown[0].text);
  EXPECT_FALSE(fs::exists(dir / "log"));  // the library was never started
}

TEST_F(OfficeDocument, WordThatWasNotWrittenIsToldWithTheFrameSettingsPassed) {
  setenv("OXMLGEN_FAKE_CREATE_RESULT", "1", 1);
  frame.wordColumns = 2;
  EXPECT_EQ(exportAs(exporting::KindDocx, FAKE_OXMLGEN), 0);
  ASSERT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(prompter.shown[0].text,
            (dir / "out.docx") + "は保存できませんでした（Operation not permitted）");
  const auto calls = testing::readOfficeLog(dir / "log");
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back().name, "createDocX");
  EXPECT_EQ(calls.back().num("columns"), 2);
}

TEST_F(OfficeDocument, RubyInsertionStringsComeFromTheFrame) {
  auto& lines = doc->paper()->pages.front().blocks.front().lines;
  model::LineData ruby = testing::hline(1000, 980, 16, u"にんしき", 20);
  ruby.attr = model::AttrRuby;
  ruby.baseLine = &lines.front();
  ruby.rcs = 1;
  ruby.rce = 2;
  lines.push_back(std::move(ruby));
  frame.rubyInsert = 1;
  frame.rubyTarget = "[";
  EXPECT_EQ(exportAs(exporting::KindDocx, FAKE_OXMLGEN), 1);
  EXPECT_TRUE(prompter.shown.empty());
  const auto calls = testing::readOfficeLog(dir / "log");
  for (const auto& c : calls) {
    if (c.name == "addTextArea") {  // re-composition may have closed the block with a break
      EXPECT_EQ(testing::entryText(testing::entries(c)).substr(0, 12), u"[認識(にんしき)する");
    }
  }
}

}  // namespace
}  // namespace vellary::document
