// The small pages of the recognition tests: known text in the layouts recognition must take
// apart (a vertical page with title, author, body columns and a horizontal page number; a
// horizontal page in grey; a page of two columns), with ruby, emphasis marks and a note mark
// beside their base. Small so that the tests stay quick; 300 dpi like an office scanner.
#include <cstdio>
#include <filesystem>
#include <string>

#include "imaging/picture.h"
#include "model/paper.h"
#include "pages.h"
#include "rovorirud/writer.h"

namespace vellary::sample {

namespace {

using imaging::kImageOk;

constexpr int kDpi = 300;
constexpr char kName[] = "recognition";

model::PageData& newPage(model::PaperData& paper, const std::u16string& file, int width,
                         int height) {
  model::PageData& page = paper.pages.emplace_back();
  page.file = file;
  page.width = width;
  page.height = height;
  page.dpi = kDpi;
  return page;
}

constexpr char16_t kVerticalBody[] =
    u"／灯台守の家は、岬《みさき》の突端《とったん》に建っていた。白い壁と赤い屋根は、遠くの海から"
    u"もよく見えたという。祖父は毎晩、決まった時刻に階段を上り、灯《ひ》をともした。"
    u"／嵐の夜には、｛一晩中眠らずに｝光を守り続けたそうだ。港へ戻る漁船は、その光を頼りに暗い波を"
    u"越えてきた。"
    u"／今では灯台も自動になり、家には誰も住んでいない。それでも私は、夏が来るたびにこの岬を訪れ、"
    u"潮風＾に吹かれながら祖父の話を思い出す。";

constexpr char16_t kHorizontalBody[] =
    u"／古い港町には、小さな資料館《しりょうかん》がある。館内には昔の漁具や船の模型が並び、壁には"
    u"色あせた写真が掛けられている。"
    u"／案内係の女性は、｛港の歴史｝を丁寧に説明してくれた。明治の頃、この町は交易で栄え、多くの商人"
    u"が行き交ったという。"
    u"／帰り際に見た夕焼《ゆうや》けは、写真の中の景色とほとんど変わらなかった。";

constexpr char16_t kLeftColumn[] =
    u"／春になると、川沿いの桜並木《さくらなみき》に多くの人が集まる。花見の季節には屋台が並び、"
    u"夜遅くまでにぎわう。"
    u"／川の水は冷たく澄んでいて、小さな魚の群れが流れに逆らって泳いでいる。";

constexpr char16_t kRightColumn[] =
    u"／秋には山の紅葉《もみじ》が見事である。朝早く登れば、雲海の向こうに遠くの峰々が浮かんで"
    u"見える。"
    u"／冬の間は雪に閉ざされるが、｛静かな白い世界｝もまた美しい。";

bool verticalPage(model::PaperData& paper, Fonts& f, Recogniser& rec, int& bid,
                  const std::string& dir) {
  constexpr int kWidth = 1200, kHeight = 1600;
  Canvas canvas(kWidth, kHeight, Rgb{255, 255, 255});
  model::PageData& page = newPage(paper, u"vertical.tif", kWidth, kHeight);
  PageWriter w(canvas, page, rec, bid);
  w.textBlock(u"潮風の便り", style(f.mincho.get(), 72, 90, 8, true), 1040, 110, model::SecTitle);
  w.textBlock(u"岬　千尋", style(f.mincho.get(), 40, 60, 8, true), 955, 560, model::SecAuthor);
  w.textBlock(kVerticalBody, style(f.mincho.get(), 44, 76, 28, true), 820, 130, model::SecText);
  w.textBlock(u"―　７　―", style(f.mincho.get(), 32, 40, 10, false), 520, 1490,
              model::SecLowerPageNum);
  return saveBilevel(canvas, dir + "/vertical.tif", kDpi) == kImageOk;
}

bool horizontalPage(model::PaperData& paper, Fonts& f, Recogniser& rec, int& bid,
                    const std::string& dir) {
  constexpr int kWidth = 1200, kHeight = 1200;
  Canvas canvas(kWidth, kHeight, Rgb{250, 248, 242});
  model::PageData& page = newPage(paper, u"horizontal.png", kWidth, kHeight);
  PageWriter w(canvas, page, rec, bid);
  const Rgb body{30, 30, 30};
  w.textBlock(u"港の資料館を訪ねて", style(f.gothic.get(), 60, 80, 16, false, body), 100, 90,
              model::SecTitle);
  w.textBlock(kHorizontalBody, style(f.mincho.get(), 40, 72, 25, false, body), 100, 250,
              model::SecText);
  w.textBlock(u"＊資料館は月曜日が休館日です。入館料は無料。",
              style(f.mincho.get(), 30, 44, 33, false, body), 100, 1010, model::SecText);
  return saveGrey(canvas, dir + "/horizontal.png", kDpi) == kImageOk;
}

bool columnsPage(model::PaperData& paper, Fonts& f, Recogniser& rec, int& bid,
                 const std::string& dir) {
  constexpr int kWidth = 1200, kHeight = 1000;
  Canvas canvas(kWidth, kHeight, Rgb{255, 255, 255});
  model::PageData& page = newPage(paper, u"columns.tif", kWidth, kHeight);
  PageWriter w(canvas, page, rec, bid);
  w.textBlock(u"四季の散歩道", style(f.mincho.get(), 56, 70, 18, false), 80, 80, model::SecTitle);
  w.textBlock(kLeftColumn, style(f.mincho.get(), 36, 64, 14, false), 80, 230, model::SecText);
  w.textBlock(kRightColumn, style(f.mincho.get(), 36, 64, 14, false), 640, 230, model::SecText);
  return saveBilevel(canvas, dir + "/columns.tif", kDpi) == kImageOk;
}

}  // namespace

int writeRecognitionPages(const std::string& out, Fonts& fonts) {
  const std::string imageDir = out + "/" + kName;
  std::filesystem::create_directories(imageDir);
  model::PaperData paper;
  paper.encoding = 1;
  Recogniser exact(1, true);
  int bid = 1;
  if (!verticalPage(paper, fonts, exact, bid, imageDir) ||
      !horizontalPage(paper, fonts, exact, bid, imageDir) ||
      !columnsPage(paper, fonts, exact, bid, imageDir)) {
    std::fprintf(stderr, "vellary-make-sample: cannot write the images into %s\n",
                 imageDir.c_str());
    return 1;
  }
  model::renumberPages(paper);
  model::computeMaxPageSize(paper);
  rovorirud::WriteOptions options;
  options.encoding = 1;
  const std::string xml = out + "/" + kName + ".xml";
  if (rovorirud::writeDocumentFile(paper, xml, options) != rovorirud::WriteOk) {
    std::fprintf(stderr, "vellary-make-sample: cannot write %s\n", xml.c_str());
    return 1;
  }
  const model::PaperCounts counts = model::countPaper(paper);
  std::printf("%s: %ld pages, %ld blocks, %ld lines, %ld characters\n", xml.c_str(), counts.pages,
              counts.blocks, counts.lines, counts.chars);
  return 0;
}

}  // namespace vellary::sample
