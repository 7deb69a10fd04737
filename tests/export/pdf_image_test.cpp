// Image PDF: the invisible text layer, the figure pipeline (pass-through JPEG), the high-compression page,
// and the drivers' progress, cancel and failure behaviour.
#include <gtest/gtest.h>

#include <filesystem>

#include "export/export.h"
#include "export/pdf/pdf_content.h"
#include "export/pdf/pdf_data.h"
#include "export/pdf/pdf_export.h"
#include "imaging/picture_file.h"
#include "imaging/picture_ops.h"
#include "pdf_helpers.h"
#include "support/temp_dir.h"

namespace {

using namespace vellary;
using namespace vellary::exporting::pdf;
namespace vt = vellary::testing;
using vt::glyph;
using vt::hline;
using vt::textBlock;
using vt::vline;

// A 72-dpi page, 1000 points high: one pixel is one point.
model::PageData page72(std::vector<model::BlockData> blocks) {
  model::PageData p;
  p.width = 600;
  p.height = 1000;
  p.dpi = 72;
  for (auto& b : blocks) p.blocks.push_back(std::move(b));
  return p;
}

const PdfPage& layerOf(CPDFdata& data, const model::PageData& page) {
  data.composeText(page, RenderInvisible);
  return data.page();
}

TEST(InvisibleText, EveryBlockAndCellLiesUnderThePictureWithoutRules) {
  model::LineData l = hline(100, 100, 20, u"ab c");
  l.chars.push_back(vt::typed(u'd'));
  model::BlockData table;
  table.type = model::BlockTable;
  model::CellData& cell = table.cells.emplace_back();
  cell.row = cell.col = 1;
  cell.lines.push_back(hline(100, 300, 20, u"表"));
  cell.border = {1, 1, 1, 1};
  model::BlockData figure;
  figure.type = model::BlockImage;
  figure.lines.push_back(hline(1, 1, 20, u"x"));
  const auto page = page72({textBlock({l}), figure, textBlock({vline(500, 100, 20, u"縦")}, 1), table});
  CPDFdata data(page.width, page.height, page.dpi);
  const PdfPage& p = layerOf(data, page);
  ASSERT_EQ(p.blocks.size(), 2u);  // the figure gives no text
  for (const PdfTextBlock& b : p.blocks) EXPECT_EQ(b.renderMode, RenderInvisible);
  EXPECT_EQ(p.blocks[0].lines[0].chars.size(), 5u);  // the space and the typed character stay
  EXPECT_FALSE(p.blocks[0].lines[0].chars[4].placed);
  EXPECT_EQ(p.blocks[1].lines[0].fontType, FontMinchoV);
  EXPECT_EQ(p.blocks[1].order, 2);
  ASSERT_EQ(p.tables.size(), 1u);
  EXPECT_TRUE(p.tables[0].horizontalRules.empty());
  EXPECT_EQ(p.tables[0].order, 3);

  CPDFdata empty(600, 1000, 72);
  EXPECT_TRUE(layerOf(empty, page72({})).blocks.empty());
}

// --- Pictures ------------------------------------------------------------------------------

struct Ink {
  int x, y, w, h;
  uint32_t colour;  // 0x00BBGGRR
};

// A picture of the given depth with filled rectangles, written losslessly.
std::string picture(const vt::TempDir& dir, const std::string& name, int w, int h, int bits,
                    int dpi, const std::vector<Ink>& inks, uint32_t paper = 0xFFFFFF) {
  imaging::CPictInfo p;
  imaging::CreateNewImageToCPictInfo(p, w, h, bits == 1 ? 1 : 24, dpi, dpi);
  if (bits != 1)
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) imaging::SetPictPixel(p, x, y, paper);
  for (const Ink& i : inks)
    for (int y = i.y; y < i.y + i.h; ++y)
      for (int x = i.x; x < i.x + i.w; ++x)
        imaging::SetPictPixel(p, x, y, bits == 1 ? 1 : i.colour);
  if (bits == 8) imaging::Convert24BitColorImageTo8BitGrayscaleImage(p);
  p.fileName = dir / name;
  p.saveFormat = bits == 1 ? imaging::kFormatTiff : imaging::kFormatPng;
  EXPECT_EQ(imaging::SaveImageFileProc(p), imaging::kImageOk);
  return p.fileName;
}

model::CharData boxed(int x, int y, int w, int h, char16_t code) { return glyph(x, y, w, h, code); }

class HighCompression : public ::testing::Test {
 protected:
  // One block: two black characters and one red; a second block with a blue one.
  void SetUp() override {
    model::LineData l;
    l.chars.push_back(boxed(20, 20, 30, 30, u'黒'));
    l.chars.push_back(boxed(60, 20, 30, 30, u'字'));
    l.chars.push_back(boxed(100, 20, 30, 30, u'赤'));
    l.charCount = 3;
    model::LineData b;
    b.chars.push_back(boxed(20, 100, 30, 30, u'青'));
    b.charCount = 1;
    page_ = page72({textBlock({l}), textBlock({b})});
    for (model::BlockData& block : page_.blocks) {
      block.x = 0;
      block.width = 200;
      block.height = 80;
    }
    page_.width = 200;
    page_.height = 160;
    path_ = picture(dir_, "page.png", 200, 160, 24, 72,
                    {{25, 25, 20, 4, 0x000000},
                     {30, 25, 4, 20, 0x000000},
                     {65, 25, 20, 4, 0x000000},
                     {105, 25, 20, 20, 0x0000FF},
                     {25, 105, 20, 20, 0xFF0000}},
                    0xE0F0F8);
  }
  std::vector<PdfImage> compose(int target = 192, int quality = 30) {
    CPDFdata data(page_.width, page_.height, page_.dpi);
    data.composeHighCompression(path_, page_, target, quality);
    return data.page().images;
  }

  vt::TempDir dir_;
  model::PageData page_;
  std::string path_;
};

TEST_F(HighCompression, BackgroundComesFirstThenOneMaskPerColourGroupInItsColour) {
  const auto images = compose();
  ASSERT_EQ(images.size(), 4u);
  EXPECT_FALSE(images[0].imageMask);
  EXPECT_EQ(images[0].bitsPerPixel, 24);
  EXPECT_EQ(images[0].pixelWidth, 100);  // half the page's resolution
  EXPECT_DOUBLE_EQ(images[0].width, 200);
  EXPECT_DOUBLE_EQ(images[0].y, 0);
  EXPECT_TRUE(images[1].imageMask);
  EXPECT_EQ(images[1].colour, (Rgb{0, 0, 0}));
  EXPECT_EQ(images[1].pixelWidth, 60);  // the ink of both black characters, 25 to 85
  EXPECT_EQ(images[1].pixelHeight, 20);
  EXPECT_DOUBLE_EQ(images[1].x, 25);
  EXPECT_DOUBLE_EQ(images[1].y, 160 - 45);
  EXPECT_EQ(images[2].colour, (Rgb{255, 0, 0}));
  EXPECT_EQ(images[3].colour, (Rgb{0, 0, 255}));
  // The masks are painted in their colours.
  EXPECT_TRUE(images[2].artifact);
  PdfFontSet fonts(false);
  EXPECT_NE(ContentWriter(fonts).figure(images[2], 2, -1).find("1.000000 0.000000 0.000000 rg\r"),
            std::string::npos);
}

TEST_F(HighCompression, TheTextIsPaintedOutOfTheBackground) {
  const auto images = compose(600, 100);  // keeps the page's resolution
  ASSERT_FALSE(images.empty());
  EXPECT_EQ(images[0].pixelWidth, 200);
  imaging::CPictInfo background;
  ASSERT_EQ(imaging::DecodeImage(images[0].bytes, background), imaging::kImageOk);
  for (auto [x, y] : {std::pair{35, 35}, {115, 35}, {35, 115}}) {
    const uint32_t p = *imaging::GetPictPixel(background, x, y);
    EXPECT_GT(p & 0xFF, 200u) << x << "," << y;  // the paper's colour, not ink
    EXPECT_GT((p >> 8) & 0xFF, 200u);
  }
}

TEST_F(HighCompression, SmallGroupsOfTheSameHueJoin) {
  // Two reds whose top three bits differ (6 and 7) are one hue: one mask.
  path_ = picture(dir_, "reds.png", 200, 160, 24, 72,
                  {{25, 25, 20, 20, 0x0000FF}, {65, 25, 20, 20, 0x0000D0}}, 0xFFFFFF);
  page_.blocks.front().lines.front().chars.pop_back();
  page_.blocks.pop_back();
  const auto images = compose();
  ASSERT_EQ(images.size(), 2u);
  EXPECT_EQ(images[1].colour, (Rgb{255, 0, 0}));
  EXPECT_EQ(images[1].pixelWidth, 60);
}

TEST_F(HighCompression, WhiteTextOnADarkGroundKeepsItsColour) {
  path_ = picture(dir_, "dark.png", 200, 160, 24, 72,
                  {{10, 10, 180, 50, 0x401010}, {25, 25, 20, 4, 0xFFFFFF}}, 0xFFFFFF);
  page_.blocks.front().lines.front().chars.resize(1);
  page_.blocks.pop_back();
  const auto images = compose();
  ASSERT_EQ(images.size(), 2u);
  EXPECT_EQ(images[1].colour, (Rgb{255, 255, 255}));
  EXPECT_EQ(images[1].pixelWidth, 20);
  EXPECT_EQ(images[1].pixelHeight, 4);
}

TEST_F(HighCompression, ABilevelPageIsANormalImagePage) {
  path_ = picture(dir_, "bw.tif", 200, 160, 1, 72, {{25, 25, 20, 20, 0}});
  const auto images = compose();
  ASSERT_EQ(images.size(), 1u);
  EXPECT_FALSE(images[0].imageMask);
  EXPECT_EQ(images[0].bitsPerPixel, 1);
}

TEST_F(HighCompression, AnUnreadablePageImageAddsNoPicture) {
  path_ = dir_ / "missing.png";
  EXPECT_TRUE(compose().empty());
}

TEST_F(HighCompression, DamagedGeometryComposesWithoutHarm) {
  model::LineData l;
  l.chars.push_back(boxed(INT32_MAX - 5, 10, INT32_MAX, 30, u'大'));
  l.chars.push_back(boxed(10, INT32_MAX - 1, 30, INT32_MAX, u'外'));
  l.chars.push_back(boxed(10, 10, -40, -40, u'負'));
  l.chars.push_back(boxed(150, 150, 500, 500, u'端'));
  l.charCount = 4;
  auto block = textBlock({l});
  block.charCount = 4;
  page_.blocks.push_back(block);
  auto vertical = block;
  vertical.direction = model::Vertical;
  page_.blocks.push_back(vertical);
  CPDFdata data(page_.width, page_.height, page_.dpi);
  data.composeHighCompression(path_, page_, 192, 30);
  data.composeText(page_, RenderVisible);
  data.composeText(page_, RenderInvisible);
  EXPECT_FALSE(data.page().images.empty());
  EXPECT_FALSE(data.page().blocks.empty());
  PdfFontSet fonts(true);
  ContentWriter writer(fonts);
  for (const PdfTextBlock& b : data.page().blocks) {
    const std::string ops = writer.textBlock(b, 0);
    EXPECT_EQ(ops.find("nan"), std::string::npos) << ops;
    EXPECT_EQ(ops.find("inf"), std::string::npos) << ops;
  }
}

TEST(Figures, GreyColourPagesBecomeGreyJpegsAndFineResolutionsStay) {
  vt::TempDir dir;
  const std::string grey =
      picture(dir, "grey.png", 400, 300, 24, 800, {{10, 10, 50, 50, 0x404040}});
  CPDFdata data(400, 300, 800);
  data.addFigures(grey, {{{0, 0, 200, 100}, u"図", 0, false}, {{0, 0, 400, 300}, {}, 1, false}}, 72, 75);
  ASSERT_EQ(data.page().images.size(), 2u);
  EXPECT_EQ(data.page().images[0].bitsPerPixel, 8);
  EXPECT_EQ(data.page().images[0].alt, u"図");
  // 72 / 800 is below a tenth: the figure keeps its pixels.
  EXPECT_EQ(data.page().images[0].pixelWidth, 200);
  EXPECT_DOUBLE_EQ(data.page().images[0].y, (300 - 100) * 72.0 / 800);
  // A rectangle as wide and high as the page takes all of it, to the last column and row.
  EXPECT_EQ(data.page().images[1].pixelWidth, 400);
  EXPECT_EQ(data.page().images[1].pixelHeight, 300);
  EXPECT_DOUBLE_EQ(data.page().images[1].width, 36);

  const std::string colour =
      picture(dir, "colour.png", 400, 300, 24, 400, {{10, 10, 50, 50, 0xFF}});
  CPDFdata reduced(400, 300, 400);
  reduced.addFigures(colour, {{{0, 0, 200, 100}, {}, 0, false}}, 192, 30);
  ASSERT_EQ(reduced.page().images.size(), 1u);
  EXPECT_EQ(reduced.page().images[0].bitsPerPixel, 24);
  EXPECT_EQ(reduced.page().images[0].pixelWidth, 96);

  CPDFdata none(400, 300, 400);
  none.addFigures(dir / "missing.png", {{{0, 0, 10, 10}, {}, 0, false}}, 72, 75);
  EXPECT_TRUE(none.page().images.empty());
}

TEST(Figures, AWholePageJpegAtTheResolutionAskedIsEmbeddedAsItIs) {
  vt::TempDir dir;
  imaging::CPictInfo p;
  imaging::CreateNewImageToCPictInfo(p, 300, 200, 24, 300, 300);
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 300; ++x) imaging::SetPictPixel(p, x, y, x < 150 ? 0x3060C0 : 0xFFFFFF);
  p.fileName = dir / "scan.jpg";
  p.saveFormat = imaging::kFormatJpeg;
  p.quality = 90;
  ASSERT_EQ(imaging::SaveImageFileProc(p), imaging::kImageOk);
  const std::string bytes = vt::TempDir::read(p.fileName);
  const FigureSpec whole{{0, 0, 300, 200}, {}, 0, true};

  CPDFdata kept(300, 200, 300);
  kept.addFigures(p.fileName, {whole}, 600, 75);
  ASSERT_EQ(kept.page().images.size(), 1u);
  const PdfImage& im = kept.page().images[0];
  EXPECT_EQ(std::string(im.bytes.begin(), im.bytes.end()), bytes);
  EXPECT_EQ(im.bitsPerPixel, 24);
  EXPECT_TRUE(im.artifact);
  EXPECT_DOUBLE_EQ(im.width, 72);

  // Reduced to a lower resolution, or a part of the page: encoded anew.
  CPDFdata reduced(300, 200, 300);
  reduced.addFigures(p.fileName, {whole}, 192, 30);
  ASSERT_EQ(reduced.page().images.size(), 1u);
  EXPECT_EQ(reduced.page().images[0].pixelWidth, 192);
  CPDFdata part(300, 200, 300);
  part.addFigures(p.fileName, {{{0, 0, 100, 100}, {}, 0, false}}, 600, 75);
  ASSERT_EQ(part.page().images.size(), 1u);
  EXPECT_NE(part.page().images[0].bytes.size(), bytes.size());
}

// --- Drivers --------------------------------------------------------------------------------

class CountingProgress : public model::Progress {
 public:
  void setCaption(std::string_view c) override { caption = c; }
  void setRange(int, int high) override { range = high; }
  void step() override { ++steps; }
  void show() override { ++shown; }
  void hide() override { ++hidden; }
  void pump() override {
    ++pumps;
    if (cancelAfter > 0 && pumps >= cancelAfter) cancel = true;
  }
  bool cancelled() const override { return cancel; }
  std::string caption;
  int range = -1, steps = 0, shown = 0, hidden = 0, pumps = 0, cancelAfter = 0;
  bool cancel = false;
};

std::unique_ptr<model::PaperData> threePages() {
  auto paper = std::make_unique<model::PaperData>();
  for (int i = 0; i < 3; ++i) {
    paper->pages.push_back(page72({textBlock({hline(100, 100, 20, u"頁")})}));
    paper->pages.back().fullpath = u"/nonexistent/p.png";
  }
  return paper;
}

TEST(PdfDrivers, ImagePdfReportsItsProgressAndStopsWhenCancelled) {
  vt::TempDir dir;
  auto paper = threePages();
  CountingProgress progress;
  exporting::ExportOptions options;
  options.progress = &progress;
  std::string error;
  EXPECT_EQ(exporting::ExportPdfImage(*paper, dir / "a.pdf", 0, 2, false, options, error), 1);
  EXPECT_EQ(progress.caption, "PDFファイル保存中...");
  EXPECT_EQ(progress.range, 8);
  EXPECT_EQ(progress.steps, 8);
  EXPECT_EQ(progress.shown, 1);
  EXPECT_EQ(progress.hidden, 1);
  EXPECT_TRUE(std::filesystem::exists(dir / "a.pdf"));

  CountingProgress cancelling;
  cancelling.cancelAfter = 1;
  options.progress = &cancelling;
  EXPECT_EQ(exporting::ExportPdfImage(*paper, dir / "b.pdf", 0, 2, true, options, error), 1);
  EXPECT_GE(cancelling.pumps, 1);
  EXPECT_EQ(cancelling.hidden, 1);
  EXPECT_FALSE(std::filesystem::exists(dir / "b.pdf"));
}

TEST(PdfDrivers, TextPdfShowsItsProgressAndReportsAFileThatCannotBeWritten) {
  vt::TempDir dir;
  auto paper = threePages();
  CountingProgress progress;
  exporting::ExportOptions options;
  options.progress = &progress;
  std::string error;
  EXPECT_EQ(exporting::ExportPdfText(*paper, dir / "t.pdf", 1, 1, options, error), 1);
  EXPECT_EQ(progress.shown, 1);
  EXPECT_EQ(progress.hidden, 1);
  const std::string pdf = vt::TempDir::read(dir / "t.pdf");
  EXPECT_NE(pdf.find("/Count 1\r\n"), std::string::npos);

  EXPECT_EQ(exporting::ExportPdfText(*paper, dir / "no/such/folder/t.pdf", 0, 2, options, error),
            0);
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_EQ(exporting::ExportPdfText(*paper, dir / "empty.pdf", 5, 9, options, error), 0);
  EXPECT_TRUE(error.empty());
  EXPECT_FALSE(std::filesystem::exists(dir / "empty.pdf"));
}

TEST(PdfDrivers, TheFileIsTheSameWhateverTheNumberOfJobs) {
  vt::TempDir dir;
  auto paper = threePages();
  exporting::ExportOptions options;
  std::string error;
  std::string files[3];
  for (int jobs : {1, 2, 3}) {
    options.jobs = jobs;
    const std::string path = dir / ("j" + std::to_string(jobs) + ".pdf");
    ASSERT_EQ(exporting::ExportPdfImage(*paper, path, 0, 2, false, options, error), 1) << error;
    files[jobs - 1] = vt::TempDir::read(path);
    // Only the creation date (the moment of writing) may differ.
    const size_t date = files[jobs - 1].find("/CreationDate (D:");
    ASSERT_NE(date, std::string::npos);
    files[jobs - 1].erase(date, 40);
    const size_t id = files[jobs - 1].find("/ID [");
    files[jobs - 1].erase(id, 75);
  }
  EXPECT_EQ(files[0], files[1]);
  EXPECT_EQ(files[0], files[2]);
}

TEST(PdfDrivers, QualityTable) {
  EXPECT_EQ(exporting::imageQualityFor(0).resolution, 192);
  EXPECT_EQ(exporting::imageQualityFor(0).jpegQuality, 30);
  EXPECT_EQ(exporting::imageQualityFor(1).resolution, 600);
  EXPECT_EQ(exporting::imageQualityFor(1).jpegQuality, 75);
  EXPECT_EQ(exporting::imageQualityFor(2).jpegQuality, 100);
}

}  // namespace
