// The loading and joining options that steer re-composition. Plain values: the document fills
// them from the frame's settings at the moment an operation runs, the command line from its flags.
#pragma once

namespace vellary::recompose {

// Applied whenever side lines are re-composed, also right after a document is opened.
struct LoadingOptions {
  bool monoRuby = true;   // split ruby per base character
  bool smallKana = true;  // small kana in side lines become full-size
};

// Applied only when blocks are joined (re-composing one page or all pages on demand).
struct JoiningOptions {
  bool breaksBetweenBlocks = true;  // blank lines stand for the gap between joined blocks
  bool leadingSpace = true;         // indentation becomes space characters
  bool fullWidthSpace = true;       // U+3000 for those spaces, else U+0020; only with leadingSpace
  bool naturalBreaks = true;        // a line break after a line ending in 。 or 」
  bool noBreakAtBlockEnd = true;    // drop the line break that ends a block
};

struct ReComposeOptions {
  LoadingOptions loading;
  JoiningOptions joining;
};

}  // namespace vellary::recompose
