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
// scores above it (the margin below kDoubtfulMargin), gets confidence 1: a reject at the default
// reject level (2). A close runner-up alone says little: right readings have one within 15
// points as often as misread ones (small and large kana, voiced marks). Measured on the
// benchmark pages and the bundled sample (README, Recognition).
inline constexpr double kDoubtfulConfidence = 93;
inline constexpr double kDoubtfulMargin = 0;

// Where a reading lies on the ink is judged more loosely: a reading the engine is unsure of
// (confidence below kUnsureConfidence, a runner-up within kUnsureMargin, or a list without the
// chosen text) may be one it made up in white space. It gives way to the ink when boxes are
// found (char_cells.h) and, left without ink, becomes the space the page shows.
inline constexpr double kUnsureConfidence = 80;
inline constexpr double kUnsureMargin = 30;

// The engine's alternatives for the chosen text: highest score first, each text once (its best
// score), at most kMaxCandidates. Empty when the chosen text is not among them: such a list
// describes another reading of the glyph and would mislead.
std::vector<EngineChoice> candidateList(const EngineSymbol& symbol);

// The 0–10 confidence of a character. `margin` is the chosen score minus the best other
// candidate's (100 when there is none).
uint16_t mappedConfidence(float confidence, float margin);

// The confidence of a candidate's score (0–100) on the 0–10 scale.
uint16_t candidateConfidence(float score);

// Makes rejects (confidence at most 1) of the characters of one line whose ink cannot tell them
// from a twin in another script: a katakana with a twin of the same shape (ー and 一 or ―, ニ and
// 二, ロ and 口 …) that has no katakana beside it (the long vowel mark ー: no kana), and a
// half-width (ASCII) character with no half-width one beside it, since half or full width is not
// in the ink (1 and １, ( and （). The engine reads such characters at high confidence, and most
// of its confident misreads on the benchmark pages and the bundled sample were of this kind. An
// ASCII space beside counts as half-width.
void markLookAlikes(std::vector<model::CharData*>& line);

// Fills the character's text (the first code point of `text`), confidence and candidates from
// the symbol. True when the engine is unsure of the reading (kUnsureConfidence).
bool fillCharacter(model::CharData& c, const std::u16string& text, const EngineSymbol& symbol);

}  // namespace vellary::recognize
