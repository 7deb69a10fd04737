// Ruby of a 300 dpi page, cut from the benchmark pages (tools/make-sample --benchmark-pages):
// ruby kana of some 16 pixels, whose voicing marks are strokes of two pixels and whose far
// strokes (the tick of ら, the voicing mark of づ over a row) lie further from the base than the
// rest of the band. The data/ruby pictures: a vertical cut of v1.tif with にぎ, のきさき and つらら,
// and a horizontal cut of h2.tif with おんし, つづ, のきさき and つらら.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model/text.h"
#include "recognize/scans.h"

namespace {

using namespace vellary;
using namespace vellary::recognize;

const std::string kRuby = std::string(VELLARY_SOURCE_DIR) + "/tests/recognize/data/ruby/";

std::u16string lineText(const model::LineData& line) {
  std::u16string text;
  for (const model::CharData& c : line.chars)
    text += std::u16string(c.text.data(), static_cast<size_t>(model::charTextLength(c.text)));
  return text;
}

bool overlap(const model::LineData& a, const model::LineData& b) {
  return std::min(a.x + a.width, b.x + b.width) > std::max(a.x, b.x) &&
         std::min(a.y + a.height, b.y + b.height) > std::max(a.y, b.y);
}

class RubyPages : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RecogniseOptions options;
    options.threads = 2;
    read_.assign(2, model::PageData{});
    const std::vector<PageSource> sources{{kRuby + "ruby-vertical.tif", 0, false},
                                          {kRuby + "ruby-horizontal.tif", 0, false}};
    recognisePages(sources, options, nullptr, [](int index, model::PageData&& page) {
      read_[static_cast<size_t>(index)] = std::move(page);
      return true;
    });
  }
  static void TearDownTestSuite() { read_.clear(); }

  // The ruby lines of a page as read, before re-composition, small kana as large ones: ruby is
  // often set without small kana, and at 16 pixels the engine tells them apart by chance.
  static std::vector<std::u16string> ruby(size_t page) {
    std::vector<std::u16string> out;
    for (const model::BlockData& block : read_[page].blocks)
      for (const model::LineData& line : block.lines) {
        if (line.attr != model::AttrRuby) continue;
        std::u16string text = lineText(line);
        for (char16_t& c : text)
          if (std::u16string_view(u"ぁぃぅぇぉっゃゅょゎ").find(c) != std::u16string_view::npos) ++c;
        out.push_back(text);
      }
    return out;
  }

  static inline std::vector<model::PageData> read_;
};

std::string joined(const std::vector<std::u16string>& lines) {
  std::string out;
  for (const std::u16string& l : lines) out += model::toUtf8(l) + " ";
  return out;
}

// Every kana of the ruby, voicing marks included, with no kana more: a band counted in steps of
// its own thickness took flat kana (つ) for two and the white between words for kana, and a
// voicing mark left out of the band was read without (にき, つつ).
TEST_F(RubyPages, RubyKeepsItsVoicingMarksAndItsCount) {
  const std::vector<std::u16string> vertical = ruby(0), horizontal = ruby(1);
  SCOPED_TRACE("vertical: " + joined(vertical) + "horizontal: " + joined(horizontal));
  for (const auto& [page, expected] :
       {std::pair{vertical, std::vector<std::u16string>{u"にぎ", u"のきさき", u"つらら"}},
        std::pair{horizontal, std::vector<std::u16string>{u"おんし", u"つづ", u"のきさき", u"つらら"}}}) {
    std::vector<std::u16string> got = page, want = expected;
    std::sort(got.begin(), got.end());
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want);
  }
}

// Ruby ink stays out of its base line: a far stroke taken for the base's made the row reach up
// into the ruby, and its reading erased it from the band's.
TEST_F(RubyPages, BaseLinesHoldNoRubyInk) {
  for (size_t page = 0; page < read_.size(); ++page)
    for (const model::BlockData& block : read_[page].blocks)
      for (const model::LineData& side : block.lines) {
        if (side.attr != model::AttrRuby) continue;
        for (const model::LineData& base : block.lines)
          EXPECT_FALSE(base.attr == model::AttrNone && overlap(base, side))
              << "page " << page << ": " << model::toUtf8(lineText(base)) << " over "
              << model::toUtf8(lineText(side));
      }
}

}  // namespace
