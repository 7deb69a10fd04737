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

// The benchmark's pages: six A5 pages at 300 dpi with some 2,400 characters, vertical and
// horizontal, bilevel, grey and colour, two tiers and two columns, ruby and emphasis.
constexpr char16_t kStation[] =
    u"／町外れの丘の上に、古い木造の駅舎《えきしゃ》が残っている。線路が廃止されてから二十年以上が"
    u"過ぎたが、待合室の長椅子も切符売り場の小窓も、当時のままの姿で保存されている。"
    u"／晴れた日の午後には、近所の子どもたちが集まってきて、ホームの跡で鬼ごっこをして遊ぶ。その"
    u"歓声を聞いていると、かつてここに列車が発着していた頃の賑《にぎ》わいが目に浮かぶようだ。";

constexpr char16_t kWinter[] =
    u"／冬の朝は、吐く息が白く見えるほど冷え込む。庭の水たまりには薄い氷が張り、軒先《のきさき》"
    u"からは小さな氷柱《つらら》が垂れ下がっていた。"
    u"／台所からは味噌汁の香りが漂ってくる。祖母は毎朝欠かさず、｛かまどで炊いたご飯｝を仏壇に"
    u"供えてから、家族そろって朝食をとるのが習わしだった。";

constexpr char16_t kLibrary[] =
    u"／市立図書館は、昨年の春に新しい建物へ移転した。明るい閲覧室《えつらんしつ》には大きな窓が"
    u"あり、晴れた日には遠くの山並みまで見渡すことができる。"
    u"／館内には約三十万冊の蔵書があり、郷土資料の棚には、この地方の歴史や民俗に関する貴重な文献"
    u"が並んでいる。";

constexpr char16_t kRiver[] =
    u"／幼い頃、夏休みになると毎日のように川へ出かけた。浅瀬には小魚が群れをなして泳ぎ、石をひっ"
    u"くり返すと沢蟹《さわがに》が慌てて逃げていった。"
    u"／夕方になると、川面に映る夕日が金色に輝き、｛時間を忘れて｝見とれていたものである。あの川は"
    u"今も変わらず、静かに町の中を流れている。";

constexpr char16_t kLetter[] =
    u"／引き出しの奥から、一通の古い手紙が出てきた。色あせた封筒には、見覚えのある丁寧な文字で私"
    u"の名前が書かれている。差出人は、学生時代に世話になった恩師《おんし》であった。"
    u"／便箋には、卒業を祝う言葉とともに、これからの人生で大切にしてほしいことが綴《つづ》られて"
    u"いた。";

constexpr int kA5Width = 1748, kA5Height = 2480;

bool benchmarkPages(model::PaperData& paper, Fonts& f, Recogniser& rec, int& bid,
                    const std::string& dir) {
  Font* mincho = f.mincho.get();
  Font* gothic = f.gothic.get();
  const Rgb navy{28, 56, 110}, body{30, 30, 30};
  {
    Canvas canvas(kA5Width, kA5Height, Rgb{255, 255, 255});
    model::PageData& page = newPage(paper, u"v1.tif", kA5Width, kA5Height);
    PageWriter w(canvas, page, rec, bid);
    w.textBlock(u"古い駅舎", style(mincho, 80, 100, 8, true), 1560, 160, model::SecTitle);
    w.textBlock(u"山本　和夫", style(mincho, 44, 60, 8, true), 1470, 700, model::SecAuthor);
    w.textBlock(std::u16string(kStation) + kWinter + kLibrary, style(mincho, 44, 76, 34, true), 1330,
                160, model::SecText);
    w.textBlock(u"―　１２　―", style(mincho, 34, 40, 10, false), 760, 2330, model::SecLowerPageNum);
    if (saveBilevel(canvas, dir + "/v1.tif", kDpi) != kImageOk) return false;
  }
  {
    Canvas canvas(kA5Width, kA5Height, Rgb{248, 246, 240});
    model::PageData& page = newPage(paper, u"v2.png", kA5Width, kA5Height);
    PageWriter w(canvas, page, rec, bid);
    w.textBlock(std::u16string(kRiver) + kLetter, style(mincho, 40, 70, 38, true, body), 1560, 180,
                model::SecText);
    if (saveGrey(canvas, dir + "/v2.png", kDpi) != kImageOk) return false;
  }
  {
    Canvas canvas(kA5Width, kA5Height, Rgb{255, 255, 255});
    model::PageData& page = newPage(paper, u"v3.tif", kA5Width, kA5Height);
    PageWriter w(canvas, page, rec, bid);
    w.textBlock(kLibrary, style(mincho, 42, 72, 22, true), 1550, 160, model::SecText);
    w.textBlock(kWinter, style(mincho, 42, 72, 22, true), 1550, 1260, model::SecText);
    if (saveBilevel(canvas, dir + "/v3.tif", kDpi) != kImageOk) return false;
  }
  {
    Canvas canvas(kA5Width, kA5Height, Rgb{250, 248, 242});
    model::PageData& page = newPage(paper, u"h1.png", kA5Width, kA5Height);
    PageWriter w(canvas, page, rec, bid);
    w.textBlock(u"川と駅の思い出", style(gothic, 64, 80, 20, false, body), 160, 160, model::SecTitle);
    w.textBlock(std::u16string(kRiver) + kStation, style(mincho, 40, 72, 35, false, body), 160, 360,
                model::SecText);
    if (saveGrey(canvas, dir + "/h1.png", kDpi) != kImageOk) return false;
  }
  {
    Canvas canvas(kA5Width, kA5Height, Rgb{255, 255, 255});
    model::PageData& page = newPage(paper, u"h2.tif", kA5Width, kA5Height);
    PageWriter w(canvas, page, rec, bid);
    w.textBlock(u"季節の便り", style(mincho, 60, 70, 18, false), 140, 140, model::SecTitle);
    w.textBlock(kLetter, style(mincho, 36, 64, 19, false), 140, 320, model::SecText);
    w.textBlock(kWinter, style(mincho, 36, 64, 19, false), 920, 320, model::SecText);
    if (saveBilevel(canvas, dir + "/h2.tif", kDpi) != kImageOk) return false;
  }
  {
    Canvas canvas(kA5Width, kA5Height, Rgb{251, 249, 244});
    model::PageData& page = newPage(paper, u"h3.jpg", kA5Width, kA5Height);
    PageWriter w(canvas, page, rec, bid);
    w.textBlock(u"新しい図書館", style(gothic, 60, 80, 20, false, navy), 160, 160, model::SecTitle);
    canvas.fillRect(160, 270, 1588, 278, navy);
    w.plainBlock(model::BlockLine, 160, 270, 1588, 278);
    w.textBlock(std::u16string(kLibrary) + kLetter, style(mincho, 40, 72, 35, false, body), 160,
                360, model::SecText);
    canvas.addPaperNoise(20240602, 2);
    if (saveColour(canvas, dir + "/h3.jpg", kDpi, 80) != kImageOk) return false;
  }
  return true;
}

// Writes one set of pages and the document with their text.
int writePageSet(const std::string& out, const char* name, Fonts& fonts,
                 bool (*pages)(model::PaperData&, Fonts&, Recogniser&, int&, const std::string&)) {
  const std::string imageDir = out + "/" + name;
  std::filesystem::create_directories(imageDir);
  model::PaperData paper;
  paper.encoding = 1;
  Recogniser exact(1, true);
  int bid = 1;
  if (!pages(paper, fonts, exact, bid, imageDir)) {
    std::fprintf(stderr, "vellary-make-sample: cannot write the images into %s\n",
                 imageDir.c_str());
    return 1;
  }
  model::renumberPages(paper);
  model::computeMaxPageSize(paper);
  rovorirud::WriteOptions options;
  options.encoding = 1;
  const std::string xml = out + "/" + name + ".xml";
  if (rovorirud::writeDocumentFile(paper, xml, options) != rovorirud::WriteOk) {
    std::fprintf(stderr, "vellary-make-sample: cannot write %s\n", xml.c_str());
    return 1;
  }
  const model::PaperCounts counts = model::countPaper(paper);
  std::printf("%s: %ld pages, %ld blocks, %ld lines, %ld characters\n", xml.c_str(), counts.pages,
              counts.blocks, counts.lines, counts.chars);
  return 0;
}

bool testPages(model::PaperData& paper, Fonts& fonts, Recogniser& exact, int& bid,
               const std::string& dir) {
  return verticalPage(paper, fonts, exact, bid, dir) &&
         horizontalPage(paper, fonts, exact, bid, dir) && columnsPage(paper, fonts, exact, bid, dir);
}

}  // namespace

int writeRecognitionPages(const std::string& out, Fonts& fonts) {
  return writePageSet(out, kName, fonts, testPages);
}

int writeBenchmarkPages(const std::string& out, Fonts& fonts) {
  return writePageSet(out, "benchmark", fonts, benchmarkPages);
}

}  // namespace vellary::sample
