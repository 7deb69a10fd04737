// From what the engine says of a character to what the records keep: the confidence on the
// 0–10 scale of reject navigation, and the candidate list.
#pragma once

#include <cstdint>
#include <vector>

#include "model/records.h"
#include "recognize/engine.h"

namespace vellary::recognize {

inline constexpr int kMaxCandidates = 5;

// A character whose engine confidence (0–100) lies below kDoubtfulConfidence, or whose runner-up
// scores within kDoubtfulMargin of it, gets confidence 1: a reject at the default reject level
// (2). The values come from measurements on generated pages (README).
inline constexpr double kDoubtfulConfidence = 80;
inline constexpr double kDoubtfulMargin = 30;

// The engine's alternatives for the chosen text: highest score first, each text once (its best
// score), at most kMaxCandidates. Empty when the chosen text is not among them: such a list
// describes another reading of the glyph and would mislead.
std::vector<EngineChoice> candidateList(const EngineSymbol& symbol);

// The 0–10 confidence of a character. The engine's own confidence is high even for many misread
// characters; what gives them away is a runner-up close behind. `margin` is the chosen score minus
// the best other candidate's (100 when there is none).
uint16_t mappedConfidence(float confidence, float margin);

// The confidence of a candidate's score (0–100) on the 0–10 scale.
uint16_t candidateConfidence(float score);

// Fills the character's text (the first code point of `text`), confidence and candidates from
// the symbol.
void fillCharacter(model::CharData& c, const std::u16string& text, const EngineSymbol& symbol);

}  // namespace vellary::recognize
