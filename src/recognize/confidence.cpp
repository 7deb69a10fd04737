// Confidence on the 0–10 scale and candidate lists.
#include "recognize/confidence.h"

#include <algorithm>
#include <cmath>

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
  const double m = std::clamp(static_cast<double>(margin), 0.0, 100.0);
  int level = static_cast<int>(std::lround(c / 10.0));
  // A runner-up close behind marks a doubtful reading whatever the engine's confidence.
  if (m < kDoubtfulMargin) level = std::min(level, 1);
  if (c < kDoubtfulConfidence) level = std::min(level, 1);
  return static_cast<uint16_t>(std::clamp(level, 0, 10));
}

uint16_t candidateConfidence(float score) {
  return static_cast<uint16_t>(std::clamp(static_cast<int>(std::lround(score / 10.0f)), 0, 10));
}

void fillCharacter(model::CharData& c, const std::u16string& text, const EngineSymbol& symbol) {
  c.text = charText(text);
  // Candidates describe the whole symbol; a symbol the engine read as several characters keeps
  // none for its parts.
  const std::vector<EngineChoice> list =
      text == symbol.text ? candidateList(symbol) : std::vector<EngineChoice>{};
  float margin = list.empty() ? 0.0f : 100.0f;
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
  } else if (text != symbol.text) {
    margin = 100.0f;  // no list to judge by: the engine's confidence alone decides
  }
  c.cc = mappedConfidence(symbol.confidence, margin);
  c.resetCandidates(static_cast<int16_t>(list.size()));
  for (size_t i = 0; i < list.size(); ++i) {
    c.candText(static_cast<int>(i)) = charText(list[i].text);
    c.candCC(static_cast<int>(i)) = candidateConfidence(list[i].score);
  }
}

}  // namespace vellary::recognize
