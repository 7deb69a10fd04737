// Confidence on the 0–10 scale and candidate lists.
#include "recognize/confidence.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace vellary::recognize {

namespace {

model::CharText charText(const std::u16string& text) {
  if (text.empty()) return model::CharText{};
  const bool pair = text.size() >= 2 && text[0] >= 0xD800 && text[0] <= 0xDBFF;
  return pair ? model::makeCharText(text[0], text[1]) : model::makeCharText(text[0]);
}

}  // namespace

std::vector<EngineChoice> candidateList(const EngineSymbol& symbol) {
  std::vector<EngineChoice> list;
  for (const EngineChoice& c : symbol.choices) {
    if (c.text.empty() || c.text.size() > 2) continue;  // the records hold one character each
    auto same = std::find_if(list.begin(), list.end(),
                             [&](const EngineChoice& o) { return o.text == c.text; });
    if (same == list.end())
      list.push_back(c);
    else
      same->score = std::max(same->score, c.score);
  }
  std::stable_sort(list.begin(), list.end(),
                   [](const EngineChoice& a, const EngineChoice& b) { return a.score > b.score; });
  if (list.size() > kMaxCandidates) list.resize(kMaxCandidates);
  const bool chosenListed = std::any_of(list.begin(), list.end(), [&](const EngineChoice& c) {
    return c.text == symbol.text;
  });
  if (!chosenListed) list.clear();
  return list;
}

uint16_t mappedConfidence(float confidence, float margin) {
  const double c = std::clamp(static_cast<double>(confidence), 0.0, 100.0);
  const double m = std::clamp(static_cast<double>(margin), -100.0, 100.0);
  int level = static_cast<int>(std::lround(c / 10.0));
  // A runner-up the network scores above its own reading marks a doubtful reading whatever the
  // engine's confidence.
  if (m < kDoubtfulMargin) level = std::min(level, 1);
  if (c < kDoubtfulConfidence) level = std::min(level, 1);
  return static_cast<uint16_t>(std::clamp(level, 0, 10));
}

void markLookAlikes(std::vector<model::CharData*>& line) {
  // Katakana with a twin of the same shape in kanji, hiragana or the dashes.
  static constexpr std::u16string_view kTwins = u"ーニロエカタトハヘリ";
  auto katakana = [](char16_t c) { return c >= u'\u30A1' && c <= u'\u30FC'; };
  // The long vowel mark follows hiragana too (すごーい).
  auto kana = [](char16_t c) { return c >= u'\u3041' && c <= u'\u30FC'; };
  auto halfWidth = [](char16_t c) { return c >= 0x20 && c <= 0x7E; };
  for (size_t i = 0; i < line.size(); ++i) {
    const char16_t c = line[i]->text[0];
    const char16_t before = i > 0 ? line[i - 1]->text[0] : 0;
    const char16_t after = i + 1 < line.size() ? line[i + 1]->text[0] : 0;
    const bool vouched = c == u'ー' ? kana(before) || kana(after)
                                    : katakana(before) || katakana(after);
    const bool stray = (kTwins.find(c) != std::u16string_view::npos && !vouched) ||
                       (c != u' ' && halfWidth(c) && !halfWidth(before) && !halfWidth(after));
    if (stray) line[i]->cc = std::min<uint16_t>(line[i]->cc, 1);
  }
}

uint16_t candidateConfidence(float score) {
  return static_cast<uint16_t>(std::clamp(static_cast<int>(std::lround(score / 10.0f)), 0, 10));
}

bool fillCharacter(model::CharData& c, const std::u16string& text, const EngineSymbol& symbol) {
  c.text = charText(text);
  // Candidates describe the whole symbol; a symbol the engine read as several characters keeps
  // none for its parts.
  const std::vector<EngineChoice> list =
      text == symbol.text ? candidateList(symbol) : std::vector<EngineChoice>{};
  // Without a list (none given, or one that leaves out the chosen text) the engine's confidence
  // alone decides.
  float margin = 100.0f;
  if (!list.empty()) {
    float chosen = 0, other = 0;
    bool seenOther = false;
    for (const EngineChoice& e : list) {
      if (e.text == symbol.text)
        chosen = e.score;
      else if (!seenOther)
        other = e.score, seenOther = true;
    }
    margin = seenOther ? chosen - other : 100.0f;
  }
  c.cc = mappedConfidence(symbol.confidence, margin);
  const bool dropped = list.empty() && text == symbol.text;
  c.resetCandidates(static_cast<int16_t>(list.size()));
  for (size_t i = 0; i < list.size(); ++i) {
    c.candText(static_cast<int>(i)) = charText(list[i].text);
    c.candCC(static_cast<int>(i)) = candidateConfidence(list[i].score);
  }
  return symbol.confidence < kUnsureConfidence || margin < kUnsureMargin || dropped;
}

}  // namespace vellary::recognize
