// Re-composition of one page: attaching ruby, emphasis and footnote lines to the characters they
// belong to, joining the blocks of one flow of text, and full-size kana in side lines. Functions
// on the records; they change the page in place and keep no state.
#pragma once

#include <cstdint>

#include "model/codes.h"
#include "model/records.h"
#include "options.h"

namespace vellary::recompose {

// The typical character size of a page in pixels: the most frequent thickness of its long body
// lines, plus one. The gap limits of side-line re-composition are measured in it.
int PageTypicalCharSize(const model::PageData& page);

// Splits the page's side lines into runs of one kind, attaches them to their base lines, splits
// ruby per base character when monoRuby is set, and numbers the attached side lines. a is the
// typical character size. True when the page has at least one side line.
bool ReComposePage(model::PageData& page, int a, bool monoRuby);

// Side-line re-composition as opening a document does it: the typical character size, the side
// lines, and full-size kana when the options say so. True when the page changed.
bool ReComposeSideLines(model::PageData& page, const LoadingOptions& options);

// Joins consecutive text blocks that continue each other, then the line-head pass and the
// block-end rule as the options say. True when anything changed; *blocksJoined (optional) tells
// whether blocks were joined, which is when the page's block entries must be rebuilt.
bool JoinPageBlocks(model::PageData& page, const JoiningOptions& options,
                    bool* blocksJoined = nullptr);

// Joins block b into block a as block joining does, with blank lines for the gap between them
// when the option says so; b is left without lines, for the caller to remove. Block editing's
// rubber-band merge uses it for blocks the user chose, whatever their distance.
void JoinBlockInto(model::BlockData& a, model::BlockData& b, const JoiningOptions& options);
// The line-head pass of block joining on one block (indentation to spaces, sentence-end line
// breaks), when the leading-space or natural-break option is on. True when it changed the block.
bool LineHeadPass(model::BlockData& block, const JoiningOptions& options);

// Small kana in side lines (ぁ, ゃ, ッ …) become their full-size partners. True when one did.
bool NormaliseSmallKana(model::PageData& page);

// A hiragana or katakana character: its code page 932 code lies in 0x829F–0x82F1 or 0x8340–0x8394.
bool isKana(const model::CharText& text);

}  // namespace vellary::recompose
