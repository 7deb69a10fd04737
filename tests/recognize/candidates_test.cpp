// From the engine's alternatives to the records' candidates and confidence.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

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

TEST(CandidateList, ALowConfidenceOrARunnerUpAboveTheReadingMakesARejectAConfidentReadingIsNot) {
  // Default reject level: characters below 2 are rejects.
  EXPECT_GE(mappedConfidence(97, 90), 2);
  EXPECT_GE(mappedConfidence(97, 5), 2);    // a close runner-up alone: as common for right readings
  EXPECT_LT(mappedConfidence(97, -2), 2);   // the network scores the runner-up higher
  EXPECT_LT(mappedConfidence(90, 100), 2);  // no runner-up, but a low confidence
  EXPECT_LE(mappedConfidence(100, 100), 10);
  EXPECT_GE(mappedConfidence(0, 0), 0);

  vellary::model::CharData c;
  EXPECT_FALSE(fillCharacter(c, u"末", symbol(u"末", 96, {{u"末", 96}, {u"未", 50}})));
  EXPECT_EQ(c.text[0], u'末');
  ASSERT_EQ(c.numCand(), 2);
  EXPECT_EQ(c.candText(1)[0], u'未');
  EXPECT_GE(c.cc, 2);
  // A runner-up within 30 points: not a reject, but the engine is unsure where it lies.
  EXPECT_TRUE(fillCharacter(c, u"末", symbol(u"末", 96, {{u"末", 96}, {u"未", 90}})));
  EXPECT_GE(c.cc, 2);
  // A list without the chosen text is dropped; the confidence alone decides the reject.
  EXPECT_TRUE(fillCharacter(c, u"末", symbol(u"末", 97, {{u"未", 40}})));
  EXPECT_EQ(c.numCand(), 0);
  EXPECT_GE(c.cc, 2);

  // A symbol read as two characters: its candidates describe the pair, not this character.
  vellary::model::CharData part;
  fillCharacter(part, u"リ", symbol(u"リリ", 95, {{u"リリ", 95}, {u"り", 50}}));
  EXPECT_EQ(part.numCand(), 0);
}

// A line of characters read at confidence 9, with the rejects markLookAlikes leaves.
std::u16string rejectsOf(std::u16string_view text) {
  std::vector<vellary::model::CharData> line(text.size());
  std::vector<vellary::model::CharData*> order;
  for (size_t i = 0; i < text.size(); ++i) {
    line[i].text = vellary::model::makeCharText(text[i]);
    line[i].cc = 9;
    order.push_back(&line[i]);
  }
  markLookAlikes(order);
  std::u16string out;
  for (const vellary::model::CharData& c : line) out += c.cc <= 1 ? c.text[0] : u'.';
  return out;
}

TEST(CandidateList, LookAlikesOfAnotherScriptAreRejectsWhereTheirNeighboursDoNotVouchForThem) {
  // Katakana twins of kanji and dashes, alone among kanji or kana: ニ for 二, ー for ―.
  EXPECT_EQ(rejectsOf(u"第ニ章"), u".ニ.");
  EXPECT_EQ(rejectsOf(u"ー７ー"), u"ー.ー");
  // Within a katakana word they stand: コーヒー, カメラ. Katakana without a twin never do.
  EXPECT_EQ(rejectsOf(u"コーヒーとカメラ"), u"........");
  EXPECT_EQ(rejectsOf(u"すごーい"), u"....");  // the long vowel mark after hiragana too
  EXPECT_EQ(rejectsOf(u"漢ー字"), u".ー.");
  EXPECT_EQ(rejectsOf(u"はシの"), u"...");
  // A half-width character among full-width ones (１ read as 1), at either end of a line too;
  // half-width runs and words with spaces stand.
  EXPECT_EQ(rejectsOf(u"第1章"), u".1.");
  EXPECT_EQ(rejectsOf(u"7です"), u"7..");
  EXPECT_EQ(rejectsOf(u"は12月"), u"....");
  EXPECT_EQ(rejectsOf(u"a b"), u"...");
  // A reject stays one.
  std::vector<vellary::model::CharData> low(1);
  low[0].text = vellary::model::makeCharText(u'本');
  low[0].cc = 1;
  std::vector<vellary::model::CharData*> one{&low[0]};
  markLookAlikes(one);
  EXPECT_EQ(low[0].cc, 1);
}

}  // namespace
