// The Word, PowerPoint and XPS export against a recording stand-in for the Office writer
// library: the calls, their order and arguments, and the records at their byte offsets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "export/export.h"
#include "export/word/docx_output.h"
#include "model/program_files.h"
#include "model/text.h"
#include "office_helpers.h"
#include "office_log.h"
#include "pdf_helpers.h"
#include "support/temp_dir.h"

namespace vellary::exporting {
namespace {

namespace fs = std::filesystem;
using testing::entries;
using testing::entryText;
using testing::OfficeCall;
using testing::setImage;
using testing::TempDir;

class Office : public ::testing::Test {
 protected:
  Office() {
    log_ = dir / "log";
    setenv("OXMLGEN_FAKE_LOG", log_.c_str(), 1);
    unsetenv("OXMLGEN_FAKE_CREATE_RESULT");
    options.office.libraryPath = FAKE_OXMLGEN;
    options.progress = &progress;
  }
  ~Office() override { unsetenv("OXMLGEN_FAKE_LOG"); }

  std::vector<OfficeCall> run(model::PaperData& paper, int kind, int first = 0, int last = 999) {
    std::remove(log_.c_str());
    outcome = ExportDocument(paper, {dir / "out.docx", kind, first, last}, options);
    return testing::readOfficeLog(log_);
  }
  static std::vector<OfficeCall> only(const std::vector<OfficeCall>& calls, const std::string& n) {
    std::vector<OfficeCall> v;
    for (const OfficeCall& c : calls)
      if (c.name == n) v.push_back(c);
    return v;
  }
  std::string image() {
    const std::string p = dir / "p1.tif";
    if (!fs::exists(p)) {
      EXPECT_TRUE(testing::writeBilevelPage(p, 3307, 4677, 400));
    }
    return p;
  }
  // A4 at 400 dpi: a line of three characters, a picture and a horizontal rule.
  model::PaperData mixedPage() {
    model::PaperData paper;
    model::PageData page = testing::officePage();
    setImage(page, image());
    page.blocks.push_back(testing::textBlock({testing::hline(1000, 1000, 40, u"あいう")}));
    page.blocks.push_back(testing::boxBlock(model::BlockImage, 500, 2000, 800, 600));
    page.blocks.push_back(testing::boxBlock(model::BlockLine, 500, 3000, 2000, 4));
    paper.pages.push_back(std::move(page));
    return paper;
  }
  static model::PaperData textPages(int count) {
    model::PaperData paper;
    for (int i = 0; i < count; ++i) {
      model::PageData page = testing::officePage();
      page.blocks.push_back(testing::textBlock({testing::hline(1000, 1000, 40, u"本文")}));
      paper.pages.push_back(std::move(page));
    }
    return paper;
  }

  TempDir dir;
  std::string log_;
  ExportOptions options;
  testing::RecordingProgress progress;
  ExportOutcome outcome;
};

TEST_F(Office, WordPassesPageTextPictureAndRuleInOrder) {
  model::PaperData paper = mixedPage();
  const auto calls = run(paper, KindDocx);
  EXPECT_EQ(testing::names(calls),
            (std::vector<std::string>{"initDocxData", "addPage", "addTextArea", "addImageArea",
                                      "addLineArea", "addPageBreak", "createDocX"}));
  EXPECT_TRUE(outcome.written);
  EXPECT_EQ(outcome.result, 1);
  EXPECT_TRUE(outcome.error.empty());

  // The content box (500, 1000)–(2500, 3004) is centred: shifted by 153 and 336 pixels.
  const OfficeCall& page = calls[1];
  EXPECT_EQ(page.num("width"), 11905);
  EXPECT_EQ(page.num("height"), 16837);
  EXPECT_EQ(page.num("dpi"), 400);
  EXPECT_EQ(page.nums("margins"), (std::vector<long>{2350, 4809, 2145, 4603}));
  EXPECT_EQ(page.num("offsetX"), 3 * 153 + 400);
  EXPECT_EQ(page.num("offsetY"), 3 * 336 + 400);
  EXPECT_EQ(page.bytes("east"), "ＭＳ 明朝");
  EXPECT_EQ(page.bytes("latin"), "Century");
  EXPECT_EQ(page.num("charset"), 128);

  // One horizontal line: a = 41, g = 41 / 5 = 8; the area is widened by a/2 and g/2, raised by
  // g, then in points and moved by the offsets (42, 70 points).
  const OfficeCall& text = calls[2];
  EXPECT_EQ(text.nums("area"), (std::vector<long>{218, 247, 247, 257}));
  EXPECT_EQ(text.num("lineCount"), 1);
  EXPECT_EQ(entryText(entries(text)), u"あいう");
  for (const testing::Entry& e : entries(text)) {
    EXPECT_EQ(e.value, 0);
    EXPECT_EQ(e.unused, 0.0f);
    EXPECT_EQ(e.rotation, 0);
  }
  EXPECT_EQ(text.field("lines", 0, 0), 0);
  EXPECT_EQ(text.field("lines", 0, 8), 3);  // buffer entries: no line end in Word
  EXPECT_EQ(text.field("lines", 0, 12), 1000 + 42);
  EXPECT_EQ(text.field("lines", 0, 16), 1000 + 70);
  EXPECT_EQ(text.field("lines", 0, 20), 1120 + 42);
  EXPECT_EQ(text.field("lines", 0, 24), 1040 + 70);
  EXPECT_EQ(text.field("lines", 0, 28), 1);
  EXPECT_EQ(text.field("lines", 0, 32), -1);
  EXPECT_EQ(text.field("lines", 0, 36), -((41 + 8) * 72 / 400));
  EXPECT_EQ(text.field("lines", 0, 44), 7);  // round(41 × 72 / 400)
  EXPECT_EQ(text.field("lines", 0, 48), 1);
  EXPECT_EQ(text.field("lines", 0, 52), 0);
  EXPECT_EQ(text.field("lines", 0, 56), 128);
  EXPECT_EQ(text.field("lines", 0, 100), 0);
  EXPECT_FALSE(text.passed("groups"));
  EXPECT_EQ(text.num("groupCount"), 0);

  const OfficeCall& picture = calls[3];
  EXPECT_EQ(picture.num("type"), 11);
  EXPECT_EQ(picture.field("record", 0, 12), 90 + 42 - 15);
  EXPECT_EQ(picture.field("record", 0, 16), 360 + 70);
  EXPECT_EQ(picture.field("record", 0, 20), 90 + 42 - 15 + 144);
  EXPECT_EQ(picture.field("record", 0, 24), 360 + 70 + 108);
  EXPECT_GT(picture.num("fileSize"), 0);  // tmpImg0.jpg was there when the library looked
  const std::string base = picture.bytes("base");
  EXPECT_EQ(fs::path(base).filename(), "tmpImg");
  EXPECT_FALSE(fs::exists(fs::path(base).parent_path()));  // the private folder is gone

  // Offsets in pixels: 859 × 400 / 1440 = 238, 1408 × 400 / 1440 = 391.
  const OfficeCall& rule = calls[4];
  EXPECT_EQ(rule.field("record", 0, 12), 500 + 238 - 80);
  EXPECT_EQ(rule.field("record", 0, 16), 3000 + 391 - 20);
  EXPECT_EQ(rule.field("record", 0, 20), 500 + 238 - 80 + 2000);
  EXPECT_EQ(rule.field("record", 0, 24), 3000 + 391 - 20);  // horizontal: no height
  EXPECT_EQ(rule.field("record", 0, 48), 1);
  EXPECT_EQ(rule.field("record", 0, 64), 1);

  const OfficeCall& create = calls[6];
  const std::string name = fs::weakly_canonical(dir / "out.docx").string();
  EXPECT_EQ(create.bytes("name"), name);
  EXPECT_EQ(create.num("length"), static_cast<long>(name.size()));
  EXPECT_EQ(create.num("columns"), 1);
  EXPECT_EQ(create.num("more"), 0);
  EXPECT_EQ(create.num("a"), 0);
  EXPECT_EQ(create.num("b"), 0);

  EXPECT_EQ(progress.captions,
            (std::vector<std::string>{"Wordファイル保存中...", "ファイル保存中　1/1"}));
  EXPECT_EQ(progress.range, std::make_pair(0, 2));
  EXPECT_EQ(progress.steps, 2);
  EXPECT_EQ(progress.shows, 1);
  EXPECT_GE(progress.hides, 1);
}

TEST_F(Office, PagesAreA4UnlessTheScanIsFivePercentLarger) {
  struct Case {
    int width, height;
    long twipsW, twipsH;
  } cases[] = {
      {3307, 4677, 11905, 16837},  // A4 at 400 dpi
      {3572, 4677, 12859, 16837},  // 8 % wider keeps its width
      {3406, 4677, 11905, 16837},  // 3 % wider is still A4
      {4677, 3307, 16837, 11905},  // landscape
      {5051, 3307, 18183, 11905},  // landscape 8 % wider
  };
  model::PaperData paper;
  for (const Case& c : cases) {
    model::PageData page = testing::officePage(c.width, c.height, 400);
    page.blocks.push_back(testing::textBlock({testing::hline(100, 100, 40, u"字")}));
    paper.pages.push_back(std::move(page));
  }
  const auto pages = only(run(paper, KindDocx), "addPage");
  ASSERT_EQ(pages.size(), std::size(cases));
  for (size_t i = 0; i < pages.size(); ++i) {
    EXPECT_EQ(pages[i].num("width"), cases[i].twipsW) << i;
    EXPECT_EQ(pages[i].num("height"), cases[i].twipsH) << i;
  }
}

TEST_F(Office, ColumnOptionHalvesLeftAndBottomMarginsWithoutOffsets) {
  options.office.wordColumns = 2;
  model::PaperData paper = mixedPage();
  const auto calls = run(paper, KindDocx);
  const OfficeCall page = only(calls, "addPage").at(0);
  EXPECT_EQ(page.num("offsetX"), 0);
  EXPECT_EQ(page.num("offsetY"), 0);
  // Left: 500 / 2 pixels; bottom edge 3004 moves halfway to 4677, to 3840 pixels.
  EXPECT_EQ(page.nums("margins"),
            (std::vector<long>{250 * 1440 / 400, 1000 * 1440 / 400, 11905 - 2500 * 1440 / 400 - 210,
                               16837 - 3840 * 1440 / 400 - 210}));
  EXPECT_EQ(only(calls, "addTextArea").at(0).nums("area"), (std::vector<long>{176, 177, 205, 187}));
  EXPECT_EQ(only(calls, "createDocX").at(0).num("columns"), 2);
}

TEST_F(Office, PageWithoutCharactersStillPassesPicturesAndRules) {
  model::PaperData paper;
  model::PageData page = testing::officePage();
  setImage(page, image());
  model::LineData empty;
  empty.x = empty.y = 100;
  empty.width = empty.height = 40;
  page.blocks.push_back(testing::textBlock({std::move(empty)}));
  page.blocks.push_back(testing::boxBlock(model::BlockImage, 500, 2000, 800, 600));
  page.blocks.push_back(testing::boxBlock(model::BlockLine, 3000, 500, 4, 2000));
  paper.pages.push_back(std::move(page));
  const auto calls = run(paper, KindDocx);
  EXPECT_EQ(testing::names(calls),
            (std::vector<std::string>{"initDocxData", "addImageArea", "addLineArea", "addPageBreak",
                                      "createDocX"}));
  const OfficeCall& rule = calls[2];
  EXPECT_EQ(rule.field("record", 0, 48), 2);  // taller than wide: vertical, full height
  EXPECT_EQ(rule.field("record", 0, 24) - rule.field("record", 0, 16), 2000);
}

class OfficeRuby : public Office {
 protected:
  // 認識する with the ruby にんしき over 認識 and the emphasis mark "、" stored as ruby over す.
  model::PaperData rubyPage() {
    model::PaperData paper;
    model::PageData page = testing::officePage();
    model::LineData base = testing::hline(1000, 1100, 40, u"認識する");
    model::LineData ruby = testing::hline(1000, 1080, 16, u"にんしき", 20);
    model::LineData mark = testing::hline(1090, 1080, 16, u"、");
    page.blocks.push_back(testing::textBlock({std::move(base), std::move(ruby), std::move(mark)}));
    auto& lines = page.blocks.back().lines;
    auto it = lines.begin();
    model::LineData* baseLine = &*it++;
    for (auto [rcs, rce] : {std::pair{1, 2}, std::pair{3, 3}}) {
      it->attr = model::AttrRuby;
      it->baseLine = baseLine;
      it->rcs = rcs;
      it->rce = rce;
      ++it;
    }
    paper.pages.push_back(std::move(page));
    return paper;
  }
};

TEST_F(OfficeRuby, WordInlineRubyWithTheDefaultStringsKeepsEmphasisMarksAsGroups) {
  options.office.rubyInline = true;
  model::PaperData paper = rubyPage();
  const OfficeCall text = only(run(paper, KindDocx), "addTextArea").at(0);
  EXPECT_EQ(entryText(entries(text)), u"認識(にんしき)«A0»る");
  ASSERT_EQ(text.num("groupCount"), 1);
  EXPECT_EQ(text.u16("groups", 0), 0);  // byte offset of the ruby characters
  EXPECT_EQ(text.u16("groups", 2), 1);  // one ruby character
  EXPECT_EQ(text.u16("groups", 4), 1);  // base characters from index 1
  EXPECT_EQ(text.u16("groups", 6), 1);
  EXPECT_EQ(text.units("ruby"), u"、す");
  EXPECT_EQ(text.field("lines", 0, 8), static_cast<int32_t>(entries(text).size()));
  // Side lines: thickness negated, direction mark set; the first line's metrics are the base's.
  EXPECT_EQ(text.field("lines", 1, 36), -16);
  EXPECT_EQ(text.field("lines", 1, 100), 1);
  EXPECT_EQ(text.field("lines", 2, 28), 3);
  EXPECT_EQ(text.field("lines", 0, 44), 7);

  options.office.rubyTarget = "｜";
  options.office.rubyOpen = "《";
  options.office.rubyClose = "》";
  const OfficeCall custom = only(run(paper, KindDocx), "addTextArea").at(0);
  EXPECT_EQ(entryText(entries(custom)), u"｜認識《にんしき》«A0»る");
}

TEST_F(OfficeRuby, EveryKindPassesTheRubyGroups) {
  model::PaperData paper = rubyPage();
  const OfficeCall word = only(run(paper, KindDocx), "addTextArea").at(0);
  EXPECT_EQ(entryText(entries(word)), u"«A0»«A1»る");
  ASSERT_EQ(word.num("groupCount"), 2);
  const std::vector<uint16_t> expected{0, 4, 4, 2, 12, 1, 7, 1};
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(word.u16("groups", i * 2), expected[i]) << i;
  EXPECT_EQ(word.units("ruby"), u"にんしき認識、す");

  // Slides and XPS pages draw the readings beside their bases too; their lines end with marks.
  for (int kind : {KindPptx, KindXps}) {
    const OfficeCall slides = only(run(paper, kind), "addTextArea").at(0);
    EXPECT_EQ(entryText(entries(slides)), u"«A0»«A1»る«E»");
    EXPECT_EQ(slides.num("groupCount"), 2);
    EXPECT_EQ(slides.units("ruby"), u"にんしき認識、す");
  }
}

TEST_F(Office, CharactersGoAsTheUserCorrectedThemWithTheirRotations) {
  model::PaperData paper;
  model::PageData page = testing::officePage();
  model::LineData line = testing::vline(2000, 500, 40, u"A1b１２x\r\"１");
  auto it = line.chars.begin();
  std::advance(it, 3);
  (it++)->modRotTcy = 20100;
  (it++)->modRotTcy = 20100;
  (it++)->modRotTcy = 20090;
  page.blocks.push_back(testing::textBlock({std::move(line)}, model::Vertical));
  paper.pages.push_back(std::move(page));

  const auto word = entries(only(run(paper, KindDocx), "addTextArea").at(0));
  // Half-width letters and digits stay half width, full-width ones full width, inside a
  // tate-chu-yoko group too: the text is the document's.
  EXPECT_EQ(entryText(word), u"A1b１２x«E»\r\"１");
  std::vector<uint16_t> rotations;
  for (const auto& e : word) rotations.push_back(e.rotation);
  EXPECT_EQ(rotations, (std::vector<uint16_t>{0, 0, 0, 100, 100, 90, 0, 0, 0, 0}));

  const auto slides = entries(only(run(paper, KindPptx), "addTextArea").at(0));
  EXPECT_EQ(entryText(slides), u"A1b１２x\"１«E»");
}

TEST_F(Office, VerticalBlocksMeasureColumnsRightToLeft) {
  model::PaperData paper;
  model::PageData page = testing::officePage();
  page.blocks.push_back(testing::textBlock(
      {testing::vline(2000, 500, 40, u"縦書"), testing::vline(1940, 500, 40, u"二行")},
      model::Vertical));
  paper.pages.push_back(std::move(page));
  const OfficeCall text = only(run(paper, KindXps), "addTextArea").at(0);
  // a = 41, g = 2000 − (1940 + 40) + 1 = 21; XPS keeps pixels, the top raised by g.
  EXPECT_EQ(text.nums("area"), (std::vector<long>{1940, 479, 2040, 580}));
  EXPECT_EQ(text.field("lines", 0, 12), 1940);
  EXPECT_EQ(text.field("lines", 0, 16), 479);
  EXPECT_EQ(text.field("lines", 0, 0), 0);
  EXPECT_EQ(text.field("lines", 1, 0), -1);
  EXPECT_EQ(text.field("lines", 1, 12), 1940);  // later lines keep their own rectangle
  EXPECT_EQ(text.field("lines", 1, 36), 40);
  EXPECT_EQ(text.field("lines", 0, 36), -((41 + 21) * 72 / 400));
  EXPECT_EQ(text.field("lines", 0, 48), 2);
  EXPECT_EQ(entryText(entries(text)), u"縦書«E»二行«E»");
}

TEST_F(Office, TablesPassCellsWithTheirMergedGroups) {
  model::PaperData paper;
  model::PageData page = testing::officePage();
  model::BlockData table = testing::boxBlock(model::BlockTable, 100, 200, 1000, 300);
  table.direction = model::Horizontal;
  // Group 5 covers rows 1–2 and columns 1–2; row 3 holds two plain cells.
  const struct {
    int row, col, group;
    const char16_t* text;
  } cells[] = {{1, 1, 5, u"a"}, {1, 2, 5, u""},  {2, 1, 5, u""},
               {2, 2, 5, u""},  {3, 1, 0, u"d"}, {3, 2, 0, u"ef"}};
  for (const auto& want : cells) {
    model::CellData c;
    c.row = want.row;
    c.col = want.col;
    c.connectGroup = want.group;
    c.x = 100 + (want.col - 1) * 500;
    c.y = 200 + (want.row - 1) * 100;
    c.width = 500;
    c.height = want.row == 3 ? 0 : 100;
    c.border = {1, 2, 3, 0};
    if (*want.text) c.lines.push_back(testing::hline(c.x + 5, c.y + 5, 40, want.text));
    table.cells.push_back(std::move(c));
  }
  page.blocks.push_back(std::move(table));
  paper.pages.push_back(std::move(page));
  const auto calls = run(paper, KindDocx);
  const OfficeCall t = only(calls, "addTableArea").at(0);
  EXPECT_EQ(t.num("rows"), 3);
  EXPECT_EQ(t.num("columns"), 2);
  ASSERT_EQ(t.num("cellCount"), 6);
  EXPECT_EQ(entryText(entries(t)), u"adef");  // no conversion, no marks in tables

  EXPECT_EQ(t.field("cells", 0, 84), 5);
  EXPECT_EQ(t.field("cells", 0, 88), 5);
  EXPECT_EQ(t.field("cells", 0, 8), 1);
  EXPECT_EQ(t.field("cells", 0, 12), 100);
  EXPECT_EQ(t.field("cells", 0, 44), 7);  // round(40 × 72 / 400)
  EXPECT_EQ(t.field("cells", 0, 64), 1);
  EXPECT_EQ(t.field("cells", 0, 68), 2);
  EXPECT_EQ(t.field("cells", 0, 72), 3);
  for (size_t offset = 0; offset < 104; offset += 4) EXPECT_EQ(t.field("cells", 1, offset), 0);
  EXPECT_EQ(t.field("cells", 2, 88), -5);
  EXPECT_EQ(t.field("cells", 2, 28), 2);
  EXPECT_EQ(t.field("cells", 2, 32), 1);
  EXPECT_EQ(t.field("cells", 2, 36), 100);
  EXPECT_EQ(t.field("cells", 2, 8), 0);
  EXPECT_EQ(t.field("cells", 2, 12), 0);
  EXPECT_EQ(t.field("cells", 5, 0), 2);  // "ef" starts after "a" and "d"
  EXPECT_EQ(t.field("cells", 5, 4), 2);
  EXPECT_EQ(t.field("cells", 5, 8), 2);
  EXPECT_EQ(t.field("cells", 5, 36), 400);  // a cell without height
  EXPECT_EQ(t.field("cells", 5, 40), 500);

  const OfficeCall page0 = only(calls, "addPage").at(0);
  const long dx = page0.num("offsetX") / 20, dy = page0.num("offsetY") / 20;
  // min(1000 × 1.01, 1000 + 3) and min(300 × 1.01, 303) pixels, in points.
  EXPECT_EQ(t.nums("area"), (std::vector<long>{18 + dx, 36 + dy, 18 + dx + 1003 * 72 / 400,
                                               36 + dy + 303 * 72 / 400}));
}

TEST_F(Office, TablesNumberedFromZeroAreShiftedIntoTheCellArray) {
  model::PaperData paper;
  model::PageData page = testing::officePage();
  model::BlockData table = testing::boxBlock(model::BlockTable, 100, 200, 500, 200);
  for (int row = 0; row < 2; ++row) {
    model::CellData c;
    c.row = row;
    c.col = 0;
    c.x = 100;
    c.y = 200 + row * 100;
    c.width = 500;
    c.height = 100;
    c.lines.push_back(testing::hline(110, c.y + 10, 40, row == 0 ? u"上" : u"下"));
    table.cells.push_back(std::move(c));
  }
  page.blocks.push_back(std::move(table));
  paper.pages.push_back(std::move(page));
  const OfficeCall t = only(run(paper, KindDocx), "addTableArea").at(0);
  EXPECT_EQ(t.num("rows"), 2);
  EXPECT_EQ(t.num("columns"), 1);
  ASSERT_EQ(t.num("cellCount"), 2);
  EXPECT_EQ(t.field("cells", 0, 28), 1);
  EXPECT_EQ(t.field("cells", 1, 28), 2);
  EXPECT_EQ(t.field("cells", 1, 32), 1);
  EXPECT_EQ(t.field("cells", 1, 0), 1);  // 下 follows 上
}

TEST_F(Office, MoreThanFivePagesAndTheProgressCaptions) {
  model::PaperData paper = textPages(6);
  auto calls = run(paper, KindDocx);
  EXPECT_EQ(only(calls, "addPage").size(), 6u);
  EXPECT_EQ(only(calls, "addPageBreak").size(), 6u);
  EXPECT_EQ(only(calls, "createDocX").at(0).num("more"), 1);
  EXPECT_EQ(progress.captions.back(), "ファイル保存中　6/6");
  EXPECT_EQ(progress.range, std::make_pair(0, 12));

  progress = {};
  calls = run(paper, KindDocx, 1, 5);
  EXPECT_EQ(only(calls, "addPageBreak").size(), 5u);
  EXPECT_EQ(only(calls, "createDocX").at(0).num("more"), 0);
  EXPECT_EQ(progress.captions,
            (std::vector<std::string>{"Wordファイル保存中...", "ファイル保存中　1/6",
                                      "ファイル保存中　2/6", "ファイル保存中　3/6",
                                      "ファイル保存中　4/6", "ファイル保存中　5/6"}));
  EXPECT_EQ(progress.range, std::make_pair(0, 12));  // the document's pages, not the range's

  progress = {};
  run(paper, KindPptx, 0, 0);
  EXPECT_EQ(progress.captions.front(), "PowerPointファイル保存中...");
  progress = {};
  run(paper, KindXps, 0, 0);
  EXPECT_EQ(progress.captions.front(), "XPSファイル保存中...");
}

TEST_F(Office, CancelEndsAfterTheCurrentPageAndStillCreates) {
  model::PaperData paper = textPages(4);
  progress.cancelAfterSteps = 4;  // during the second page
  const auto calls = run(paper, KindPptx);
  EXPECT_EQ(testing::names(calls),
            (std::vector<std::string>{"initDocxData", "addPage", "addTextArea", "addPageBreak",
                                      "addPage", "addTextArea", "addPageBreak", "createPPTX"}));
  EXPECT_TRUE(outcome.written);
  EXPECT_EQ(only(calls, "addPage").at(0).bytes("east"), "MS Pゴシック");
  EXPECT_EQ(only(calls, "createPPTX").at(0).bytes("template"),
            model::dataFolder() + "/PptXTemplate");
}

TEST_F(Office, FailuresTheDriverReports) {
  model::PaperData paper = textPages(1);
  options.office.libraryPath = dir / "liboxmlgen.so";  // not there
  run(paper, KindDocx);
  EXPECT_EQ(outcome.error, "ファイル " + (dir / "out.docx") + " が保存できません。");
  EXPECT_FALSE(outcome.written);
  EXPECT_EQ(progress.shows, 0);

  options.office.libraryPath = FAKE_OXMLGEN_PARTIAL;  // no addLineArea
  const auto calls = run(paper, KindXps);
  EXPECT_TRUE(calls.empty());  // not even initDocxData
  EXPECT_EQ(outcome.error, "ファイル " + (dir / "out.docx") + " が保存できません。");

  options.office.libraryPath = FAKE_OXMLGEN;
  setenv("OXMLGEN_FAKE_CREATE_RESULT", "3", 1);
  run(paper, KindDocx);
  EXPECT_EQ(outcome.error, (dir / "out.docx") + "は保存できませんでした（No such process）");
  EXPECT_FALSE(outcome.written);
  // PowerPoint and XPS failures are told as well, with the reason the library gives.
  setenv("OXMLGEN_FAKE_CREATE_RESULT", "28", 1);
  run(paper, KindPptx);
  EXPECT_EQ(outcome.error, (dir / "out.docx") + "は保存できませんでした（No space left on device）");
  EXPECT_FALSE(outcome.written);
}

TEST_F(Office, PicturesAreNumberedOverTheWholeExport) {
  model::PaperData paper;
  for (int i = 0; i < 2; ++i) {
    model::PageData page = testing::officePage();
    setImage(page, image());
    page.blocks.push_back(testing::boxBlock(model::BlockImage, 500, 2000, 800, 600));
    page.blocks.push_back(testing::boxBlock(model::BlockImage, 600, 2100, 100, 100));
    paper.pages.push_back(std::move(page));
  }
  paper.pages.back().fullpath = model::fromUtf8(dir / "missing.tif");  // no pictures there
  const auto pictures = only(run(paper, KindXps), "addImageArea");
  ASSERT_EQ(pictures.size(), 2u);
  for (const OfficeCall& p : pictures) {
    EXPECT_EQ(p.num("type"), 12);     // bilevel in XPS: PNG
    EXPECT_GT(p.num("fileSize"), 0);  // tmpImg0.png, tmpImg1.png
  }
  // XPS: the block in pixels, and the picture's size back at the page's resolution (it was
  // saved at 400 × 0.4 = 160 dpi).
  EXPECT_EQ(pictures[0].field("record", 0, 12), 500);
  EXPECT_EQ(pictures[0].field("record", 0, 24), 2600);
  EXPECT_NEAR(pictures[0].field("record", 0, 36), 600, 3);
  EXPECT_NEAR(pictures[0].field("record", 0, 40), 800, 3);
}

// Pages made ready on several workers reach the library as one worker hands them over: the
// same calls in page order, each page's text with its pictures, numbered over the export.
TEST_F(Office, PagesOnEveryWorkerReachTheLibraryInPageOrder) {
  model::PaperData paper;
  const std::u16string texts[] = {u"一", u"二", u"三", u"四", u"五", u"六"};
  for (int i = 0; i < 6; ++i) {
    model::PageData page = testing::officePage();
    setImage(page, image());
    page.blocks.push_back(testing::textBlock({testing::hline(1000, 1000, 40, texts[i])}));
    // Pictures of different sizes on every other page.
    if (i % 2 == 0)
      page.blocks.push_back(testing::boxBlock(model::BlockImage, 500, 2000, 300 + 200 * i, 600));
    paper.pages.push_back(std::move(page));
  }
  auto summary = [&](int jobs) {
    options.jobs = jobs;
    std::vector<std::string> out;
    for (const OfficeCall& c : run(paper, KindDocx)) {
      std::string line = c.name;
      if (c.name == "addTextArea") line += " " + model::toUtf8(entryText(entries(c)));
      if (c.name == "addImageArea")
        line += " " + std::to_string(c.field("record", 0, 20) - c.field("record", 0, 12)) + " " +
                std::to_string(c.num("fileSize") > 0);
      out.push_back(line);
    }
    return out;
  };
  const std::vector<std::string> one = summary(1);
  EXPECT_EQ(std::count(one.begin(), one.end(), "addPageBreak"), 6);
  EXPECT_EQ(summary(4), one);
}

TEST_F(Office, XpsPassesPixelsAndSubsetsTheFontsOfTheCharactersPassed) {
  model::PaperData paper;
  model::PageData page = testing::officePage();
  page.blocks.push_back(testing::textBlock({testing::hline(1000, 1000, 40, u"漢字かなA")}));
  page.blocks.push_back(testing::textBlock({testing::hline(1000, 2000, 40, u"Ok")}, 0, 0));
  paper.pages.push_back(std::move(page));
  const auto calls = run(paper, KindXps);
  EXPECT_EQ(testing::names(calls),
            (std::vector<std::string>{"initDocxData", "addPage", "addTextArea", "addTextArea",
                                      "addPageBreak", "addXPSFontSubset", "addXPSFontSubset",
                                      "createXPS"}));
  const OfficeCall& p = calls[1];
  EXPECT_EQ(p.num("width"), 3307);
  EXPECT_EQ(p.num("height"), 4677);
  EXPECT_EQ(p.nums("margins"), (std::vector<long>{0, 0, 0, 0}));
  EXPECT_EQ(p.bytes("east"), "MS Pゴシック");
  EXPECT_EQ(calls[3].field("lines", 0, 52), 1);  // not Japanese
  EXPECT_EQ(calls[3].field("lines", 0, 56), 0);

  const OfficeCall& japanese = calls[5];
  const OfficeCall& other = calls[6];
  EXPECT_EQ(japanese.num("charset"), 128);
  EXPECT_EQ(other.num("charset"), 0);
  EXPECT_EQ(fs::path(japanese.bytes("name")).filename(), "SubFont0.ttf");
  EXPECT_EQ(japanese.num("length"), static_cast<long>(japanese.bytes("name").size()));
  // The subsets hold the characters as passed.
  EXPECT_TRUE(testing::fontCovers(log_ + ".font128", U"漢字かなA"));
  EXPECT_TRUE(testing::fontCovers(log_ + ".font0", U"Ok"));
  EXPECT_FALSE(fs::exists(fs::path(japanese.bytes("name")).parent_path()));
}

}  // namespace
}  // namespace vellary::exporting
