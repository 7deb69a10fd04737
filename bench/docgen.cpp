// Document generator for benchmarks and property tests.
#include "docgen.h"

#include <algorithm>
#include <random>
#include <string>

#include "model/codes.h"
#include "model/paper.h"
#include "model/text.h"

namespace vellary::docgen {

namespace {

using namespace model;

// Common body text: kana and frequent kanji, all in both encodings.
constexpr std::u16string_view kBody =
    u"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん"
    u"アイウエオカキクケコサシスセソタチツテトナニヌネノ日本語文字認識結果訂正画像頁行段落表題著者"
    u"東京大学研究所年月日時間人間社会経済政治文化歴史科学技術情報処理入力出力、。「」（）ー";

// Characters that exercise the format's special paths.
constexpr char16_t kAwkward[] = {
    u'&', u'<', u'>', u'"', u'\'', 0xFF5E, 0x2460, 0x3349, 0x32A4,  // references
    0x000D,                                                           // paragraph break
    0x00E9, 0x0391, 0x00B4,                                           // marked Unicode by range
    0x9AD9, 0xFA11, 0x7E8A,  // code page 932 holds them, EUC-JP does not
    0x4E02,                  // EUC-JP (JIS X 0212) holds it, code page 932 does not
    0xFF71, u'A', u'7', 0x00A9, 0x20AC};

class Generator {
 public:
  explicit Generator(const Params& p) : p_(p), rng_(p.seed) {}

  std::unique_ptr<PaperData> run() {
    auto paper = std::make_unique<PaperData>();
    paper->encoding = 1;
    for (int i = 0; i < p_.pages; ++i) page(*paper, i);
    renumberPages(*paper);
    computeMaxPageSize(*paper);
    return paper;
  }

 private:
  int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool chance(int percent) { return uniform(0, 99) < percent; }

  CharText pick(bool awkward) {
    if (awkward && chance(8)) return makeCharText(0xD842, 0xDF9F);  // 𠮟, a surrogate pair
    if (awkward && chance(20)) return makeCharText(kAwkward[uniform(0, std::size(kAwkward) - 1)]);
    return makeCharText(kBody[uniform(0, static_cast<int>(kBody.size()) - 1)]);
  }

  void page(PaperData& paper, int index) {
    PageData& pg = paper.pages.emplace_back();
    pg.file = u"page" + fromUtf8(std::to_string(index + 1)) + u".tif";
    if (!p_.rich || chance(70)) pg.fullpath = u"/scans/book/" + *pg.file;
    pg.width = 4960;
    pg.height = 7016;
    pg.dpi = 600;
    int remaining = p_.charsPerPage;
    int y = 300;
    while (remaining > 0) {
      int n = std::min(remaining, p_.rich ? uniform(1, 120) : 600);
      remaining -= n;
      if (p_.rich && chance(15))
        table(paper, pg, y, n);
      else
        textBlock(paper, pg, y, n);
      y += 400;
      if (p_.rich && chance(10)) {
        BlockData& img = pg.blocks.emplace_back();
        img.type = chance(50) ? BlockImage : BlockLine;
        img.x = 200;
        img.y = y;
        img.width = 1000;
        img.height = 300;
        img.langId = kLangJapanese;
        img.bid = -1;
        if (img.type == BlockLine) {
          img.direction = Horizontal;
          img.sec = SecText;
        }
        computeBlockAverages(img);
      }
    }
  }

  void fillLine(LineData& line, int8_t direction, int count, bool japanese) {
    const int step = 48;
    for (int i = 0; i < count; ++i) {
      CharData& c = line.chars.emplace_back();
      bool typed = p_.rich && chance(3);
      if (typed) {
        c.x = c.y = -1;
      } else {
        c.x = direction == Vertical ? line.x + 2 : line.x + i * step;
        c.y = direction == Vertical ? line.y + i * step : line.y + 2;
      }
      c.width = c.height = 44;
      c.text = pick(p_.rich);
      if (!japanese && p_.rich && chance(50)) c.text = makeCharText(static_cast<char16_t>(uniform(0x21, 0x7E)));
      c.cc = static_cast<uint16_t>(uniform(0, 10));
      c.resetCandidates(static_cast<int16_t>(p_.candidates));
      for (int k = 0; k < p_.candidates; ++k) {
        // A file may give fewer candidates than it announces; those slots stay empty.
        if (p_.rich && chance(2)) continue;
        c.candText(k) = pick(p_.rich);
        c.candCC(k) = static_cast<uint16_t>(uniform(0, 10));
      }
      if (p_.rich && chance(1)) c.text = CharText{};  // a character read without its result
      if (p_.rich && chance(5)) c.modRubyEmp = uniform(1, model::kCommaEmphasisKeyBase);
      if (p_.rich && chance(5)) c.modRotTcy = uniform(model::kOrientationCodeFirst, model::kOrientationCodeLast);
      if (p_.rich && chance(10)) c.changed = 1;
      line.charCount += charTextLength(c.text);
    }
    // The x and y of a typed character are an estimate in the file, so the line must give the
    // writer something to divide.
    line.width = direction == Vertical ? 48 : std::max(count, 1) * step;
    line.height = direction == Vertical ? std::max(count, 1) * step : 48;
    line.widthOrg = line.width + (p_.rich && chance(10) ? 5 : 0);
    line.heightOrg = line.height;
  }

  // Lines of a block or a cell, with ruby and emphasis lines beside some of them.
  void fillLines(List<LineData>& lines, int8_t direction, int x, int y, int chars, bool japanese) {
    while (chars > 0) {
      int n = std::min(chars, p_.rich ? uniform(0, 40) : 40);
      chars -= std::max(n, 1);
      LineData& line = lines.emplace_back();
      line.x = x;
      line.y = y;
      fillLine(line, direction, n, japanese);
      if (direction == Vertical)
        x -= 60;
      else
        y += 60;
      if (p_.rich && n > 0 && chance(25)) {
        LineData& side = lines.emplace_back();
        side.attr = static_cast<int16_t>(uniform(AttrRuby, AttrFootnote));
        side.x = line.x;
        side.y = line.y - 20;
        fillLine(side, direction, uniform(1, 4), japanese);
        if (chance(90)) {
          side.baseLine = &line;
          side.rcs = uniform(1, n);
          side.rce = uniform(side.rcs, n);
        }
      }
    }
  }

  BlockData& newBlock(PaperData& paper, PageData& pg, int type, int y) {
    BlockData& b = pg.blocks.emplace_back();
    b.type = type;
    b.direction = p_.rich && chance(40) ? Vertical : Horizontal;
    b.x = 200;
    b.y = y;
    b.width = 4000;
    b.height = 380;
    b.langId = p_.rich && chance(10) ? 0 : kLangJapanese;
    b.bid = p_.rich ? uniform(-1, 50) : -1;
    static constexpr std::u16string_view kUserWords[] = {u"caption", u"colophon", u"奥付"};
    if (p_.rich && chance(10))
      b.sec = sectionCode(paper, kUserWords[uniform(0, 2)]);
    else
      b.sec = p_.rich ? uniform(0, kSectionWordCount - 1) : SecText;
    return b;
  }

  void textBlock(PaperData& paper, PageData& pg, int y, int chars) {
    BlockData& b = newBlock(paper, pg, BlockText, y);
    fillLines(b.lines, b.direction, b.x, b.y, chars, b.langId == kLangJapanese);
    computeBlockAverages(b);
  }

  void table(PaperData& paper, PageData& pg, int y, int chars) {
    BlockData& b = newBlock(paper, pg, BlockTable, y);
    int rows = uniform(1, 3), cols = uniform(1, 3);
    for (int r = 0; r < rows; ++r)
      for (int col = 0; col < cols; ++col) {
        CellData& cell = b.cells.emplace_back();
        cell.row = r;
        cell.col = col;
        cell.x = b.x + col * 500;
        cell.y = b.y + r * 100;
        cell.width = 500;
        cell.height = 100;
        for (auto& s : cell.border) s = static_cast<uint8_t>(uniform(0, 3));
        cell.connectGroup = uniform(0, 2);
        cell.align = uniform(0, 2);
        cell.valign = uniform(0, 2);
        fillLines(cell.lines, b.direction, cell.x, cell.y, chars / (rows * cols) + 1,
                  b.langId == kLangJapanese);
        cell.lineCount = static_cast<int32_t>(cell.lines.size());
        computeCellAverages(cell, b.direction);
      }
    int64_t total = 0;
    for (const CellData& c : b.cells) total += c.charCount;
    b.charCount = static_cast<int32_t>(total);
    computeTableAverage(b);
  }

  Params p_;
  std::mt19937 rng_;
};

}  // namespace

std::unique_ptr<PaperData> generate(const Params& params) { return Generator(params).run(); }

}  // namespace vellary::docgen
