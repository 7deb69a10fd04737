#include "model/json_dump.h"

#include <gtest/gtest.h>

#include "model/paper.h"

namespace vellary::model {
namespace {

TEST(JsonDump, WritesBaseLinesAsIndexesAndTextAsUnits) {
  PaperData paper;
  paper.encoding = 2;
  PageData& p = paper.pages.emplace_back();
  p.number = 1;
  p.file = u"p\"1.tif";
  BlockData& b = p.blocks.emplace_back();
  b.sec = sectionCode(paper, u"奥付");
  LineData& base = b.lines.emplace_back();
  CharData& c = base.chars.emplace_back();
  c.text = makeCharText(0xD842, 0xDF9F);
  c.resetCandidates(1);
  LineData& ruby = b.lines.emplace_back();
  ruby.attr = AttrRuby;
  ruby.baseLine = &base;
  ruby.chars.emplace_back().text = makeCharText(u'\r');

  std::string json = dumpJson(paper);
  EXPECT_NE(json.find("\"encoding\": 2"), std::string::npos);
  EXPECT_NE(json.find("\"file\": \"p\\\"1.tif\", \"fullpath\": null"), std::string::npos);
  EXPECT_NE(json.find("\"sec\": \"奥付\", \"secCode\": 1000"), std::string::npos);
  EXPECT_NE(json.find("\"text\": \"𠮟\", \"units\": [55362, 57247]"), std::string::npos);
  EXPECT_NE(json.find("\"cand\": [{\"text\": \"\", \"units\": [], \"cc\": 0}]"), std::string::npos);
  EXPECT_NE(json.find("\"attr\": \"ruby\", \"baseLine\": 0"), std::string::npos);
  EXPECT_NE(json.find("\"attr\": \"\", \"baseLine\": null"), std::string::npos);
  EXPECT_NE(json.find("\"text\": \"\\r\", \"units\": [13]"), std::string::npos);
  EXPECT_NE(json.find("\"avgLineSize\": 0.000000"), std::string::npos);
}

TEST(JsonDump, SummaryCountsAndControlCharactersAreEscaped) {
  PaperData paper;
  EXPECT_EQ(dumpSummaryJson(paper),
            "{\"pages\": 0, \"blocks\": 0, \"lines\": 0, \"chars\": 0, \"candidates\": 0}\n");
  EXPECT_EQ(jsonString("a\x01\tb\\"), "\"a\\u0001\\tb\\\\\"");
}

}  // namespace
}  // namespace vellary::model
