// Property: whatever the writer produces reads back into the model it was given.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "docgen.h"
#include "model/json_dump.h"
#include "rovorirud/reader.h"
#include "rovorirud/writer.h"

namespace vellary::rovorirud {
namespace {

using namespace model;

// A typed character (x or y negative) has no place on the image; the file gets an estimate
// inside its line. Takes the estimates from the read-back copy after checking them, so that the
// rest of the two models can be compared whole.
void adoptEstimatedBoxes(PaperData& original, const PaperData& readBack) {
  auto page = readBack.pages.begin();
  for (PageData& p : original.pages) {
    auto block = page->blocks.begin();
    for (BlockData& b : p.blocks) {
      ASSERT_EQ(b.lines.size(), block->lines.size());
      auto line = block->lines.begin();
      for (LineData& l : b.lines) {
        ASSERT_EQ(l.chars.size(), line->chars.size());
        auto c = line->chars.begin();
        for (CharData& ch : l.chars) {
          // The estimate divides the line by its charCount, which covers every character
          // unless some are empty.
          const bool fits = l.charCount >= static_cast<int32_t>(l.chars.size());
          if ((ch.x < 0 || ch.y < 0) && fits) {
            EXPECT_GE(c->x, l.x);
            EXPECT_GE(c->y, l.y);
            EXPECT_LE(c->x + c->width, l.x + l.width);
            EXPECT_LE(c->y + c->height, l.y + l.height);
          }
          if (ch.x < 0 || ch.y < 0) {
            ch.x = c->x;
            ch.y = c->y;
            ch.width = c->width;
            ch.height = c->height;
          }
          ++c;
        }
        ++line;
      }
      ++block;
    }
    ++page;
  }
}

std::string withoutCarriageReturns(std::string s) {
  s.erase(std::remove(s.begin(), s.end(), '\r'), s.end());
  return s;
}

class RoundTrip : public ::testing::TestWithParam<std::tuple<uint32_t, uint32_t>> {};

TEST_P(RoundTrip, WriteThenReadGivesTheSameModel) {
  auto [seed, encoding] = GetParam();
  docgen::Params params;
  params.seed = seed;
  params.pages = 3;
  params.charsPerPage = 400;
  auto original = docgen::generate(params);

  WriteOptions options;
  options.encoding = encoding;
  std::string bytes = writeDocumentToString(*original, options);
  ReadResult first = readDocument(bytes);
  ASSERT_TRUE(first.paper) << "code " << first.code << " at line " << first.line;
  EXPECT_EQ(first.paper->encoding, encoding);

  original->encoding = encoding;
  adoptEstimatedBoxes(*original, *first.paper);
  EXPECT_EQ(dumpJson(*first.paper), dumpJson(*original));

  // Writing what was read gives the same bytes: nothing drifts from one save to the next.
  EXPECT_EQ(writeDocumentToString(*first.paper, {}), bytes);

  // Files edited elsewhere may have lost their carriage returns.
  ReadResult lf = readDocument(withoutCarriageReturns(bytes));
  ASSERT_TRUE(lf.paper) << "code " << lf.code << " at line " << lf.line;
  EXPECT_EQ(dumpJson(*lf.paper), dumpJson(*first.paper));
}

INSTANTIATE_TEST_SUITE_P(GeneratedDocuments, RoundTrip,
                         ::testing::Combine(::testing::Range(1u, 21u), ::testing::Values(1u, 2u)));

TEST(RoundTripRange, SavedRangesAreRenumberedAndReadBack) {
  docgen::Params params;
  params.pages = 10;
  params.charsPerPage = 60;
  auto paper = docgen::generate(params);
  WriteOptions options;
  options.firstPage = 2;
  options.lastPage = 4;
  ReadResult r = readDocument(writeDocumentToString(*paper, options));
  ASSERT_TRUE(r.paper);
  ASSERT_EQ(r.paper->pages.size(), 3u);
  int n = 0;
  auto source = std::next(paper->pages.begin(), 2);
  for (const PageData& p : r.paper->pages) {
    EXPECT_EQ(p.number, ++n);
    EXPECT_EQ(p.file, source->file);
    EXPECT_EQ(p.blocks.size(), source->blocks.size());
    ++source;
  }
}

}  // namespace
}  // namespace vellary::rovorirud
