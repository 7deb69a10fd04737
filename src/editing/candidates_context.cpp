// Redraw requests of the correcting commands, and registering a correction's pair.
#include "candidates_context.h"

#include <algorithm>

namespace vellary::editing {

void CorrectionRedraw::addNonCaretLine(const model::LineData* line) {
  if (line == nullptr) return;
  if (std::find(nonCaretLines.begin(), nonCaretLines.end(), line) == nonCaretLines.end())
    nonCaretLines.push_back(line);
}

void CorrectionRedraw::merge(const CorrectionRedraw& later) {
  eraseSelection |= later.eraseSelection;
  clearImageHighlight |= later.clearImageHighlight;
  for (const model::LineData* l : later.nonCaretLines) addNonCaretLine(l);
  if (later.caretLine != nullptr) caretLine = later.caretLine;
  rebuildPage |= later.rebuildPage;
  caretLineChanged |= later.caretLineChanged;
  reestablishCaret |= later.reestablishCaret;
  drawSelection = later.drawSelection;
  highlightImageChar |= later.highlightImageChar;
  showLineInPageList |= later.showLineInPageList;
  pageChanged |= later.pageChanged;
  if (later.updateAllViews >= 0) updateAllViews = later.updateAllViews;
}

bool registerReplacementPair(const CorrectionContext& ctx, const std::u16string& recognised,
                             const std::u16string& replacement) {
  if (ctx.registered == nullptr || ctx.lastPair == nullptr) return false;
  if (ctx.lastPair->recognised == recognised && ctx.lastPair->replacement == replacement)
    return false;
  ctx.lastPair->recognised = recognised;
  ctx.lastPair->replacement = replacement;
  return ctx.registered->addRegistered(recognised, replacement) > 0;
}

}  // namespace vellary::editing
