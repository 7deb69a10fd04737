// vellary-make-sample OUTDIR [--mincho FONT] [--gothic FONT]
//
// Renders the bundled sample document: three A4 pages at 400 dpi with Japanese text in the
// installed IPA fonts, and the RovOrirUD file that recognition would have produced for them.
//   page 1  vertical essay: title, author, body with ruby, emphasis marks, a note mark and
//           half-width digits, page number; bilevel, TIFF with CCITT Group 4
//   page 2  horizontal report: heading, rule, body, a ruled table with joined cells, a drawn
//           figure with caption, a closing paragraph with ruby and half-width digits; colour, JPEG
//   page 3  vertical continuation with ruby, a rule and a horizontal note, running head; bilevel
// Every character box is the ink box of the glyph as drawn. Side lines (ruby, emphasis, note
// marks) stand beside their base as recognition delivers them, not yet attached. The output is
// the same on every run: no clock, no unseeded randomness.
//
// Writes OUTDIR/<name>.xml (Shift_JIS) and the page images into OUTDIR/<name>/, the folder named
// like the document, where the editor looks when a page's recorded path is not found.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "imaging/picture_file.h"
#include "imaging/picture_ops.h"
#include "layout.h"
#include "model/paper.h"
#include "model/text.h"
#include "render.h"
#include "rovorirud/writer.h"

namespace vellary::sample {

using namespace vellary::imaging;
namespace {

using model::BlockData;
using model::CellData;

constexpr int kDpi = 400;
constexpr int kWidth = 3307;  // A4 at 400 dpi
constexpr int kHeight = 4677;
constexpr char kName[] = "minato";
// Where the scanning machine kept the pages: not found here, so the folder named like the
// document is used, as on any machine the file is copied to.
constexpr char16_t kScanFolder[] = u"C:\\Scan\\minato\\";

constexpr Rgb kInk{0, 0, 0};

struct Fonts {
  std::unique_ptr<Font> mincho, gothic;
};

model::PageData& newPage(model::PaperData& paper, const std::u16string& file) {
  model::PageData& page = paper.pages.emplace_back();
  page.file = file;
  page.fullpath = std::u16string(kScanFolder) + file;
  page.width = kWidth;
  page.height = kHeight;
  page.dpi = kDpi;
  return page;
}

TextStyle style(Font* font, int size, int pitch, int perLine, bool vertical, Rgb colour = kInk) {
  TextStyle s;
  s.font = font;
  s.size = size;
  s.pitch = pitch;
  s.perLine = perLine;
  s.vertical = vertical;
  s.colour = colour;
  return s;
}

// A bilevel page: the drawing thresholded at the picture layer's default, as a scanner in
// black-and-white mode delivers it.
int saveBilevel(const Canvas& canvas, const std::string& path) {
  CPictInfo colour, bilevel;
  if (int r = canvas.toPicture(colour, kDpi); r != kImageOk) return r;
  if (int r = MakeBinDataFromGrayscaleData(colour, bilevel); r != kImageOk) return r;
  bilevel.fileName = path;
  bilevel.saveFormat = kFormatTiff;
  bilevel.compression = kTiffG4;
  return SaveImageFileProc(bilevel);
}

int saveColour(const Canvas& canvas, const std::string& path, int quality) {
  CPictInfo colour;
  if (int r = canvas.toPicture(colour, kDpi); r != kImageOk) return r;
  colour.fileName = path;
  colour.saveFormat = kFormatJpeg;
  colour.quality = quality;
  return SaveImageFileProc(colour);
}

constexpr char16_t kEssay1[] =
    u"／夜明け前の港は、まだ深い眠りの底にある。岸壁《がんぺき》に打ち寄せる波の音だけが、"
    u"規則正しく時を刻んでいた。私は外套《がいとう》の襟を立てて、薄暗い坂道をゆっくりと下りていっ"
    u"た。"
    u"／やがて東の空が白み始めると、漁船の灯りが一つ、また一つと沖へ向かって動き出す。"
    u"市場の屋根の下では、威勢のよい掛け声とともに、今朝揚がったばかりの魚が次々と並べられていく。"
    u"／この町に移り住んで三年になるが、私はいまだに｛この朝の光景｝に見飽きることがない。"
    u"潮の香りと、遠くで鳴る汽笛＾と、人々の営《いとな》みとが溶け合って、一日の始まりを告げるので"
    u"ある。"
    u"／坂の途中にある古い喫茶店は、6時になると決まって扉を開ける。店主の老人は無口だが、"
    u"私の顔を見ると黙って珈琲《コーヒー》を淹れてくれる。窓際の席からは、港の全景が見渡せた。";

constexpr char16_t kEssay2[] =
    u"／港の朝を語るとき、忘れてはならないのが鴎《かもめ》の声である。彼らは漁船の後を追って、"
    u"甲高い声で鳴きながら空を舞う。その姿は、どこか誇らしげにさえ見える。"
    u"／喫茶店の老人によれば、この町の漁業は最盛期の半分にも満たないという。"
    u"それでも｛朝の市場｝だけは、昔と少しも変わらない活気に満ちている。"
    u"／帰り道、私は坂の上で振り返った。朝日を浴びた海は一面に輝き、遠く水平線の彼方《かなた》まで"
    u"続いていた。"
    u"／港町の一日は、こうして静かに始まり、そしてまた静かに暮れていく。明日の朝も、私はきっと"
    u"この坂道を下りていくだろう。潮風に吹かれながら、まだ見ぬ光景に出会うために。";

void pageOne(model::PaperData& paper, Fonts& f, Recogniser& rec, int& bid, const std::string& dir) {
  Canvas canvas(kWidth, kHeight, Rgb{255, 255, 255});
  model::PageData& page = newPage(paper, u"page1.tif");
  PageWriter w(canvas, page, rec, bid);
  w.textBlock(u"港町の朝", style(f.mincho.get(), 170, 200, 10, true), 2870, 620, model::SecTitle);
  w.textBlock(u"水島　遥", style(f.mincho.get(), 84, 120, 10, true), 2690, 1900, model::SecAuthor);
  w.textBlock(kEssay1, style(f.mincho.get(), 80, 140, 38, true), 2420, 640, model::SecText);
  w.textBlock(u"―　１　―", style(f.mincho.get(), 56, 80, 10, false), 1500, 4300,
              model::SecLowerPageNum);
  if (saveBilevel(canvas, dir + "/page1.tif") != kImageOk) throw std::runtime_error("page 1");
}

void drawFigure(Canvas& c, int left, int top, int right, int bottom) {
  int w = right - left, h = bottom - top;
  int horizon = top + h * 11 / 20;
  c.gradient(left, top, right, horizon, Rgb{250, 196, 140}, Rgb{178, 214, 236});
  c.fillCircle(left + w * 0.72, horizon - h * 0.05, h * 0.09, Rgb{255, 236, 170});
  c.gradient(left, horizon, right, bottom, Rgb{70, 130, 180}, Rgb{22, 58, 102});
  for (int i = 0; i < 7; ++i) {  // light on the water
    double y = horizon + 30 + i * 55;
    double x = left + w * 0.72 - 60 + (i % 2) * 40;
    c.fillPolygon({x, y, x + 120 - i * 8, y, x + 100 - i * 8, y + 10, x + 20, y + 10},
                  Rgb{236, 226, 190});
  }
  // Pier and lighthouse on the left.
  c.fillRect(left, horizon - 20, left + w * 3 / 10, horizon + 40, Rgb{96, 84, 72});
  int lx = left + w / 10;
  for (int k = 0; k < 6; ++k)
    c.fillRect(lx, horizon - 380 + k * 60, lx + 90, horizon - 320 + k * 60,
               k % 2 ? Rgb{240, 240, 236} : Rgb{196, 40, 36});
  c.fillPolygon(
      {lx - 20.0, horizon - 380.0, lx + 110.0, horizon - 380.0, lx + 45.0, horizon - 450.0},
      Rgb{60, 60, 60});
  // A fishing boat heading out.
  double bx = left + w * 0.42, by = horizon + h * 0.18;
  c.fillPolygon({bx, by, bx + 520, by, bx + 450, by + 110, bx + 50, by + 110}, Rgb{120, 52, 40});
  c.fillRect(static_cast<int>(bx + 120), static_cast<int>(by - 130), static_cast<int>(bx + 300),
             static_cast<int>(by), Rgb{244, 244, 240});
  c.fillRect(static_cast<int>(bx + 150), static_cast<int>(by - 100), static_cast<int>(bx + 200),
             static_cast<int>(by - 60), Rgb{90, 140, 190});
  c.fillRect(static_cast<int>(bx + 330), static_cast<int>(by - 260), static_cast<int>(bx + 342),
             static_cast<int>(by), Rgb{70, 60, 50});
  for (int k = 0; k < 3; ++k)  // gulls
    c.fillPolygon(
        {left + w * 0.25 + k * 140.0, top + h * 0.2 + k * 30.0, left + w * 0.25 + k * 140.0 + 40,
         top + h * 0.2 + k * 30.0 + 16, left + w * 0.25 + k * 140.0 + 80, top + h * 0.2 + k * 30.0,
         left + w * 0.25 + k * 140.0 + 40, top + h * 0.2 + k * 30.0 + 8},
        Rgb{50, 50, 60});
  // Frame.
  Rgb frame{90, 90, 90};
  c.fillRect(left, top, right, top + 4, frame);
  c.fillRect(left, bottom - 4, right, bottom, frame);
  c.fillRect(left, top, left + 4, bottom, frame);
  c.fillRect(right - 4, top, right, bottom, frame);
}

// The table: 3 columns by 6 rows; "魚種" joins rows 1–2, "水揚げ量（トン）" joins columns 2–3, and
// the last row's 2023 value is missing: an empty cell, which a recogniser reports without lines.
void drawTable(Canvas& c, PageWriter& w, Font& font, int left, int top) {
  const int cols[] = {left, left + 760, left + 1620, left + 2480};
  const int rowH = 150;
  auto rowY = [&](int r) { return top + (r - 1) * rowH; };
  BlockData& table = w.newBlock(model::BlockTable, model::Horizontal, model::SecText);
  table.x = cols[0];
  table.y = top;
  table.width = cols[3] - cols[0];
  table.height = 6 * rowH;
  const Rgb rule{40, 40, 40}, head{222, 232, 244};
  c.fillRect(cols[0], rowY(1), cols[3], rowY(3), head);

  struct Spec {
    int row, col, lastRow, lastCol, group;
    const char16_t* text;
  };
  const Spec specs[] = {
      {1, 1, 2, 1, 1, u"魚種"},       {1, 2, 1, 3, 2, u"水揚げ量（トン）"},
      {2, 2, 2, 2, 0, u"二〇二二年"}, {2, 3, 2, 3, 0, u"二〇二三年"},
      {3, 1, 3, 1, 0, u"いわし"},     {3, 2, 3, 2, 0, u"1,240"},
      {3, 3, 3, 3, 0, u"1,385"},      {4, 1, 4, 1, 0, u"さば"},
      {4, 2, 4, 2, 0, u"860"},        {4, 3, 4, 3, 0, u"792"},
      {5, 1, 5, 1, 0, u"あじ"},       {5, 2, 5, 2, 0, u"530"},
      {5, 3, 5, 3, 0, u"611"},        {6, 1, 6, 1, 0, u"かつお"},
      {6, 2, 6, 2, 0, u"405"},        {6, 3, 6, 3, 0, u""},
  };
  for (const Spec& s : specs) {
    // The joined cell holds the text and the joined box; the cells it covers follow it, empty,
    // each with its own grid box and the same group number.
    for (int r = s.row; r <= s.lastRow; ++r)
      for (int k = s.col; k <= s.lastCol; ++k) {
        CellData& cell = table.cells.emplace_back();
        cell.row = r;
        cell.col = k;
        cell.connectGroup = s.group;
        bool first = r == s.row && k == s.col;
        cell.x = cols[k - 1];
        cell.y = rowY(r);
        cell.width = (first ? cols[s.lastCol] : cols[k]) - cell.x;
        cell.height = (first ? rowY(s.lastRow + 1) : rowY(r + 1)) - cell.y;
        // Borders: solid outside and between cells, double under the heading, none inside a
        // joined cell.
        cell.border[0] = k == s.col ? model::BorderSolid : model::BorderNone;
        cell.border[1] = r == s.row ? model::BorderSolid : model::BorderNone;
        cell.border[2] = k == s.lastCol ? model::BorderSolid : model::BorderNone;
        cell.border[3] = r == s.lastRow ? (r == 2 ? model::BorderDouble : model::BorderSolid)
                                        : model::BorderNone;
        if (first && *s.text != 0) w.cellText(cell, s.text, style(&font, 64, 0, 20, false), true);
      }
    int x0 = cols[s.col - 1], x1 = cols[s.lastCol], y0 = rowY(s.row), y1 = rowY(s.lastRow + 1);
    c.fillRect(x0, y0, x1, y0 + 5, rule);
    c.fillRect(x0, y1 - 3, x1, y1 + 2, rule);
    c.fillRect(x0, y0, x0 + 5, y1, rule);
    c.fillRect(x1 - 3, y0, x1 + 2, y1, rule);
  }
  c.fillRect(cols[1], rowY(3) - 14, cols[3], rowY(3) - 10, rule);  // the double rule's upper line
  c.fillRect(cols[0], rowY(3) - 14, cols[1], rowY(3) - 10, rule);
  model::computeTableAverage(table);
  table.charCount = 0;
  for (const CellData& cell : table.cells) table.charCount += cell.charCount;
}

void pageTwo(model::PaperData& paper, Fonts& f, Recogniser& rec, int& bid, const std::string& dir) {
  Canvas canvas(kWidth, kHeight, Rgb{251, 249, 244});
  model::PageData& page = newPage(paper, u"page2.jpg");
  PageWriter w(canvas, page, rec, bid);
  const Rgb navy{28, 56, 110}, body{34, 34, 34};
  w.textBlock(u"港町の水産業　二〇二三年の概況", style(f.gothic.get(), 130, 160, 20, false, navy),
              300, 330, model::SecTitle);
  canvas.fillRect(300, 540, 3007, 552, navy);
  w.plainBlock(model::BlockLine, 300, 540, 3007, 552);
  w.textBlock(
      u"／この町の水産業は、古くから沿岸漁業を中心に発展してきた。二〇二三年の水揚げ量は前年をやや"
      u"上回り、特にいわしとあじが好調であった。一方、さばは海水温の上昇の影響を受けて減少した。"
      u"／表１に主な魚種の水揚げ量を示す。漁業関係者の高齢化が進むなか、若い世代の担い手を育てる"
      u"取り組みも始まっている。",
      style(f.mincho.get(), 64, 112, 42, false, body), 300, 680, model::SecText);
  w.textBlock(u"表１　主な魚種の水揚げ量", style(f.gothic.get(), 60, 90, 30, false, body), 400,
              1480, model::SecText);
  drawTable(canvas, w, *f.mincho, 400, 1600);
  drawFigure(canvas, 400, 2560, 2907, 3820);
  w.plainBlock(model::BlockImage, 400, 2560, 2907, 3820);
  w.textBlock(u"図１　早朝の漁港（イメージ）", style(f.gothic.get(), 60, 90, 30, false, body), 400,
              3880, model::SecText);
  w.textBlock(u"／早朝《そうちょう》の市場見学は観光客にも人気があり、地域の新たな魅力として注目を集めてい"
              u"る。2023年の見学者は前年比103.2%であった。",
              style(f.mincho.get(), 64, 112, 42, false, body), 300, 4080, model::SecText);
  w.textBlock(u"―　２　―", style(f.mincho.get(), 56, 80, 10, false, body), 1500, 4400,
              model::SecLowerPageNum);
  canvas.addPaperNoise(20230402, 2);
  if (saveColour(canvas, dir + "/page2.jpg", 60) != kImageOk) throw std::runtime_error("page 2");
}

void pageThree(model::PaperData& paper, Fonts& f, Recogniser& rec, int& bid,
               const std::string& dir) {
  Canvas canvas(kWidth, kHeight, Rgb{255, 255, 255});
  model::PageData& page = newPage(paper, u"page3.tif");
  PageWriter w(canvas, page, rec, bid);
  w.textBlock(u"港町の朝", style(f.mincho.get(), 52, 70, 10, false), 300, 300, model::SecHeader);
  w.textBlock(kEssay2, style(f.mincho.get(), 80, 140, 38, true), 2900, 640, model::SecText);
  canvas.fillRect(300, 3900, 3007, 3906, kInk);
  w.plainBlock(model::BlockLine, 300, 3900, 3007, 3906);
  w.textBlock(u"＊汽笛　船が合図のために鳴らす笛。港では出航の際に長く鳴らされることが多い。",
              style(f.mincho.get(), 56, 90, 46, false), 300, 3980, model::SecText);
  w.textBlock(u"―　３　―", style(f.mincho.get(), 56, 80, 10, false), 1500, 4400,
              model::SecLowerPageNum);
  if (saveBilevel(canvas, dir + "/page3.tif") != kImageOk) throw std::runtime_error("page 3");
}

int run(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: vellary-make-sample OUTDIR [--mincho FONT] [--gothic FONT]\n");
    return 1;
  }
  std::string out = argv[1];
  std::string mincho = "/usr/share/fonts/opentype/ipafont-mincho/ipam.ttf";
  std::string gothic = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";
  for (int i = 2; i + 1 < argc; i += 2) {
    std::string a = argv[i];
    if (a == "--mincho")
      mincho = argv[i + 1];
    else if (a == "--gothic")
      gothic = argv[i + 1];
  }
  Fonts fonts{Font::open(mincho), Font::open(gothic)};
  if (!fonts.mincho || !fonts.gothic) {
    std::fprintf(stderr, "vellary-make-sample: cannot open the IPA fonts (%s, %s)\n",
                 mincho.c_str(), gothic.c_str());
    return 1;
  }
  std::string imageDir = out + "/" + kName;
  std::filesystem::create_directories(imageDir);

  model::PaperData paper;
  paper.encoding = 1;
  Recogniser recogniser(0x5eed1234);
  int bid = 1;
  pageOne(paper, fonts, recogniser, bid, imageDir);
  pageTwo(paper, fonts, recogniser, bid, imageDir);
  pageThree(paper, fonts, recogniser, bid, imageDir);
  model::renumberPages(paper);
  model::computeMaxPageSize(paper);

  rovorirud::WriteOptions options;
  options.encoding = 1;
  std::string xml = out + "/" + kName + ".xml";
  if (rovorirud::writeDocumentFile(paper, xml, options) != rovorirud::WriteOk) {
    std::fprintf(stderr, "vellary-make-sample: cannot write %s\n", xml.c_str());
    return 1;
  }
  model::PaperCounts counts = model::countPaper(paper);
  std::printf(
      "%s: %ld pages, %ld blocks, %ld lines, %ld characters (%d low confidence, %d misread)\n",
      xml.c_str(), counts.pages, counts.blocks, counts.lines, counts.chars,
      recogniser.lowConfidenceCount(), recogniser.misreadCount());
  return 0;
}

}  // namespace
}  // namespace vellary::sample

int main(int argc, char** argv) {
  try {
    return vellary::sample::run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vellary-make-sample: cannot write the image of %s\n", e.what());
    return 1;
  }
}
