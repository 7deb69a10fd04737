// NDLOCR XML: lines only, direction from their shape, roles from the block types, ruby regions
// with text as side lines of their base line, the reading order of ORDER.
#include <gtest/gtest.h>

#include "formats_helpers.h"
#include "model/text.h"

namespace vellary::formats {
namespace {

using namespace model;

std::u16string textOf(const LineData& line) {
  std::u16string s;
  for (const CharData& c : line.chars) s += c.text[0];
  return s;
}

TEST(NdlocrXml, AVerticalPageWithItsRegions) {
  ReadOutcome r = readDocument(testing::kFormatData + "/ndlocr.xml");
  ASSERT_TRUE(r.paper) << r.error.message;
  EXPECT_EQ(r.format, formatNamed("ndl"));
  const PageData& page = r.paper->pages.front();
  EXPECT_EQ(*page.file, u"tategaki.png");
  EXPECT_EQ(page.width, 1000);
  EXPECT_EQ(page.height, 1400);
  ASSERT_EQ(page.blocks.size(), 5u);
  auto b = page.blocks.begin();

  EXPECT_EQ(b->sec, SecHeader);  // 柱
  EXPECT_EQ(textOf(b->lines.front()), u"港町の朝");

  const BlockData& body = *++b;
  EXPECT_EQ(body.direction, Vertical);
  EXPECT_EQ(body.sec, SecText);
  ASSERT_EQ(body.lines.size(), 3u);
  auto line = body.lines.begin();
  const LineData& ruby = *line++;
  const LineData& first = *line++;
  // ORDER puts the right-hand column first although the file lists it second.
  EXPECT_EQ(textOf(first), u"春は曙光の時");
  EXPECT_EQ(textOf(*line), u"やうやう白くなりゆく");
  // The ruby region's text stands beside 曙光; the one without text is gone.
  EXPECT_EQ(ruby.attr, AttrRuby);
  EXPECT_EQ(textOf(ruby), u"しょこう");
  EXPECT_EQ(ruby.baseLine, &first);
  EXPECT_EQ(ruby.rcs, 3);
  EXPECT_EQ(ruby.rce, 4);
  // Characters are spread along the line: six in 360 pixels.
  auto c = first.chars.begin();
  EXPECT_EQ(c->y, 120);
  EXPECT_EQ(c->height, 60);
  EXPECT_EQ(c->x, 880);
  EXPECT_EQ(c->width, 60);
  EXPECT_EQ(c->cc, 9);  // CONF 0.920
  EXPECT_EQ(body.charCount, 20);

  EXPECT_EQ((++b)->type, BlockImage);  // 図版
  ++b;
  EXPECT_EQ(sectionWord(*r.paper, b->sec), u"caption");
  EXPECT_EQ(b->direction, Horizontal);
  EXPECT_EQ(textOf(b->lines.front()), u"図1 朝の港");
  EXPECT_EQ((++b)->sec, SecLowerPageNum);  // ノンブル at the foot of the page
}

TEST(NdlocrXml, LinesOnlyTheEngineMarksVerticalAreTakenByTheirShape) {
  const std::string xml =
      "<OCRDATASET><PAGE IMAGENAME=\"p.png\" WIDTH=\"800\" HEIGHT=\"600\"><TEXTBLOCK>"
      "<LINE TYPE=\"本文\" X=\"10\" Y=\"10\" WIDTH=\"500\" HEIGHT=\"40\" "
      "STRING=\"横書きの行です\"/>"
      "</TEXTBLOCK><LINE X=\"700\" Y=\"10\" WIDTH=\"40\" HEIGHT=\"300\" STRING=\"縦の行\"/>"
      "</PAGE></OCRDATASET>";
  ReadOutcome r = readDocumentBytes(xml, "p.xml");
  ASSERT_TRUE(r.paper) << r.error.message;
  const PageData& page = r.paper->pages.front();
  ASSERT_EQ(page.blocks.size(), 2u);
  EXPECT_EQ(page.blocks.front().direction, Horizontal);
  EXPECT_EQ(page.blocks.back().direction, Vertical);
  EXPECT_EQ(page.blocks.back().lines.front().chars.back().y, 210);
}

}  // namespace
}  // namespace vellary::formats
