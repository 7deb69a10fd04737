// A generated book whose side lines stand where typesetting puts them: ruby beside runs of kanji
// (one to three ruby characters per kanji, squeezed to its height), emphasis marks and footnote
// marks beside single characters, indented paragraph starts, vertical and horizontal blocks. Side
// lines come before or after their base lines, and neighbouring ones are sometimes recognised as
// one line, as a recogniser delivers them.
#pragma once

#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "model/paper.h"
#include "model/records.h"

namespace vellary::recompose::testing {

class RubyBook {
 public:
  explicit RubyBook(uint32_t seed) : rng_(seed) {}

  std::unique_ptr<model::PaperData> make(int pages) {
    auto paper = std::make_unique<model::PaperData>();
    paper->encoding = 1;
    for (int i = 0; i < pages; ++i) page(*paper, i);
    model::renumberPages(*paper);
    model::computeMaxPageSize(*paper);
    return paper;
  }

 private:
  using CharData = model::CharData;
  using LineData = model::LineData;
  using BlockData = model::BlockData;

  int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool chance(int percent) { return uniform(0, 99) < percent; }
  char16_t pick(std::u16string_view set) {
    return set[static_cast<size_t>(uniform(0, static_cast<int>(set.size()) - 1))];
  }

  // A side character or body character: a square of `size` at `along` along the line and
  // `across` across it.
  CharData character(char16_t c, bool vertical, int along, int across, int size) {
    CharData ch;
    ch.text = model::makeCharText(c);
    ch.x = vertical ? across : along;
    ch.y = vertical ? along : across;
    ch.width = ch.height = size;
    ch.cc = static_cast<uint16_t>(uniform(3, 10));
    ch.resetCandidates(1);
    ch.candText(0) = ch.text;
    ch.candCC(0) = ch.cc;
    return ch;
  }

  static void fit(LineData& l) {
    int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;
    for (const CharData& c : l.chars) {
      left = std::min<int64_t>(left, c.x);
      top = std::min<int64_t>(top, c.y);
      right = std::max<int64_t>(right, int64_t{c.x} + c.width);
      bottom = std::max<int64_t>(bottom, int64_t{c.y} + c.height);
    }
    l.x = static_cast<int32_t>(left);
    l.y = static_cast<int32_t>(top);
    l.width = l.widthOrg = static_cast<int32_t>(right - left);
    l.height = l.heightOrg = static_cast<int32_t>(bottom - top);
    l.charCount = static_cast<int32_t>(l.chars.size());
  }

  void page(model::PaperData& paper, int index) {
    model::PageData& pg = paper.pages.emplace_back();
    pg.file = u"ruby" + std::u16string(1, static_cast<char16_t>(u'A' + index % 26)) + u".tif";
    pg.width = 2480;
    pg.height = 3508;
    pg.dpi = 300;
    const int blocks = uniform(1, 2);
    const bool vertical = chance(60);
    // Blocks stand side by side across the lines, as columns of one flow of text do.
    int across = vertical ? 2200 : 200;
    for (int k = 0; k < blocks; ++k) across = block(pg, vertical, across);
  }

  // Returns where the next block's first line may stand across the lines.
  int block(model::PageData& pg, bool vertical, int firstAcross) {
    BlockData& b = pg.blocks.emplace_back();
    b.direction = vertical ? model::Vertical : model::Horizontal;
    b.sec = chance(10) ? model::SecTitle : model::SecText;
    b.langId = model::kLangJapanese;
    b.bid = -1;
    const int size = uniform(40, 60), pitch = size + 4, linePitch = size * 7 / 4;
    const int lines = uniform(4, 8);
    const int start = 200;
    int across = firstAcross;
    for (int j = 0; j < lines; ++j) {
      across = vertical ? firstAcross - j * linePitch : firstAcross + j * linePitch;
      const int indent = chance(30) ? pitch : 0;
      bodyLine(b, vertical, start + indent, across, size, pitch, uniform(22, 30));
    }
    int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;
    for (const LineData& l : b.lines) {
      left = std::min<int64_t>(left, l.x);
      top = std::min<int64_t>(top, l.y);
      right = std::max<int64_t>(right, int64_t{l.x} + l.width);
      bottom = std::max<int64_t>(bottom, int64_t{l.y} + l.height);
    }
    b.x = static_cast<int32_t>(left);
    b.y = static_cast<int32_t>(top);
    b.width = static_cast<int32_t>(right - left);
    b.height = static_cast<int32_t>(bottom - top);
    // The block starts where its unindented lines start.
    if (vertical && b.y > start) {
      b.height += b.y - start;
      b.y = start;
    }
    if (!vertical && b.x > start) {
      b.width += b.x - start;
      b.x = start;
    }
    model::computeBlockAverages(b);
    return vertical ? across - 3 * linePitch : across + 3 * linePitch;
  }

  void bodyLine(BlockData& b, bool vertical, int start, int across, int size, int pitch, int n) {
    static constexpr std::u16string_view kKanji =
        u"漢字東京日本語文書認識結果訂正画像段落表題著者研究所社会経済政治文化歴史科学技術情報処理";
    static constexpr std::u16string_view kKana =
        u"のをにはがとでもかられるするいうたてなくさせ、。";
    static constexpr std::u16string_view kRuby = u"かんじとうきょうにほんごぶんしょゃゅょっ";
    LineData& base = b.lines.emplace_back();
    const bool sideLinesFirst = chance(50);
    std::vector<LineData> sides;
    int i = 0;
    while (i < n) {
      const int kanji = uniform(1, 3);
      const int run = i;
      for (int j = 0; j < kanji && i < n; ++j, ++i)
        base.chars.push_back(character(pick(kKanji), vertical, start + i * pitch, across, size));
      const int runEnd = i;
      if (chance(30)) {
        // Ruby: per kanji one to three characters, squeezed to the kanji's height.
        LineData ruby;
        ruby.attr = model::AttrRuby;
        for (int c = run; c < runEnd; ++c) {
          const int per = uniform(1, 3);
          const int rs = std::min(size / 2 - 2, size / per);
          const int first = start + c * pitch + (size - per * rs) / 2;
          for (int r = 0; r < per; ++r)
            ruby.chars.push_back(character(pick(kRuby), vertical, first + r * rs,
                                           across + (vertical ? size + 2 : -(rs + 2)), rs));
        }
        fit(ruby);
        sides.push_back(std::move(ruby));
      }
      for (int j = uniform(0, 3); j > 0 && i < n; --j, ++i) {
        base.chars.push_back(character(pick(kKana), vertical, start + i * pitch, across, size));
        if (chance(8)) {
          // An emphasis mark or a footnote mark beside this one character.
          LineData mark;
          mark.attr = model::AttrEmph;
          const char16_t c = chance(20) ? u'＊' : chance(50) ? u'、' : u'・';
          const int ms = size / 3;
          mark.chars.push_back(character(c, vertical, start + i * pitch + (size - ms) / 2,
                                         across + (vertical ? size + 2 : -(ms + 2)), ms));
          fit(mark);
          sides.push_back(std::move(mark));
        }
      }
    }
    fit(base);
    // Neighbouring side lines recognised as one line.
    for (size_t s = 0; s + 1 < sides.size(); ++s)
      if (chance(25)) {
        sides[s].chars.splice(sides[s].chars.end(), sides[s + 1].chars);
        fit(sides[s]);
        sides.erase(sides.begin() + static_cast<long>(s) + 1);
      }
    auto at = sideLinesFirst ? std::prev(b.lines.end()) : b.lines.end();
    for (LineData& s : sides) b.lines.insert(at, std::move(s));
  }

  std::mt19937 rng_;
};

}  // namespace vellary::recompose::testing
