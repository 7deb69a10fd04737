// From the engine's alternatives to the records' candidates and confidence.
#include <gtest/gtest.h>

#include "recognize/confidence.h"

namespace {

using namespace vellary::recognize;

EngineSymbol symbol(std::u16string text, float confidence, std::vector<EngineChoice> choices) {
  EngineSymbol s;
  s.text = std::move(text);
  s.confidence = confidence;
  s.choices = std::move(choices);
  return s;
}

TEST(CandidateList, SortedOnceEachAtMostFiveAndOnlyWhenTheChosenTextIsAmongThem) {
  // Unsorted, repeated, more than five: the engine's list as it comes.
  const EngineSymbol s = symbol(u"末", 90,
                                {{u"未", 40}, {u"末", 95}, {u"未", 60}, {u"木", 10}, {u"本", 30},
                                 {u"朱", 20}, {u"米", 5}});
  const std::vector<EngineChoice> list = candidateList(s);
  ASSERT_EQ(list.size(), static_cast<size_t>(kMaxCandidates));
  EXPECT_EQ(list[0].text, u"末");
  EXPECT_EQ(list[1].text, u"未");
  EXPECT_FLOAT_EQ(list[1].score, 60);  // the best score of a repeated text
  for (size_t i = 1; i < list.size(); ++i) EXPECT_GE(list[i - 1].score, list[i].score);
  EXPECT_EQ(list[4].text, u"木");  // 米 is the sixth

  // A list that does not hold the chosen text describes another reading: dropped.
  EXPECT_TRUE(candidateList(symbol(u"末", 90, {{u"未", 40}, {u"木", 10}})).empty());
}

TEST(CandidateList, ACloseRunnerUpOrALowConfidenceMakesARejectAConfidentReadingIsNot) {
  // Default reject level: characters below 2 are rejects.
  EXPECT_GE(mappedConfidence(97, 90), 2);
  EXPECT_LT(mappedConfidence(97, 5), 2);   // sure of itself, but the second reading is as likely
  EXPECT_LT(mappedConfidence(40, 100), 2);  // no runner-up, but a low confidence
  EXPECT_LE(mappedConfidence(100, 100), 10);
  EXPECT_GE(mappedConfidence(0, 0), 0);

  vellary::model::CharData c;
  fillCharacter(c, u"末", symbol(u"末", 96, {{u"末", 96}, {u"未", 90}}));
  EXPECT_EQ(c.text[0], u'末');
  ASSERT_EQ(c.numCand(), 2);
  EXPECT_EQ(c.candText(1)[0], u'未');
  EXPECT_LT(c.cc, 2);

  // A symbol read as two characters: its candidates describe the pair, not this character.
  vellary::model::CharData part;
  fillCharacter(part, u"リ", symbol(u"リリ", 95, {{u"リリ", 95}, {u"り", 50}}));
  EXPECT_EQ(part.numCand(), 0);
}

}  // namespace
