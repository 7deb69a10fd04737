// Find, replace and replace all over the current page, and the questions that carry a search
// on to the next or previous page.
#include "find_replace.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

#include "find_replace_page.h"

namespace vellary::editing {

using appcore::Answer;
using appcore::Buttons;
using appcore::Icon;
using Action = FindMessage::Action;
namespace texts = find_texts;

namespace {

model::PageData* currentPage(const CorrectionContext& ctx) {
  return ctx.doc.page(ctx.doc.currentPage());
}

void rebuildPageText(const CorrectionContext& ctx, FindReplaceState& state) {
  model::PageData* page = currentPage(ctx);
  if (page == nullptr) {
    state.pageText.clear();
    state.searchPosition = 0;
    return;
  }
  PageWalk walk(*page);
  state.pageText = walk.text();
  state.searchPosition = std::max(0, walk.unitIndexOf(ctx.caret.caret));
}

bool askYes(const CorrectionContext& ctx, const char* text) {
  return ctx.prompter.ask(text, kCorrectionCaption, Buttons::YesNo, Answer::Yes, Icon::Question) ==
         Answer::Yes;
}

void tell(const CorrectionContext& ctx, const char* text) {
  ctx.prompter.message(text, kCorrectionCaption, Icon::Information);
}

// One search request: the dialog's direction and whether replace all runs it, which changes the
// questions asked at the end of a page.
class Searcher {
 public:
  Searcher(const CorrectionContext& ctx, FindReplaceState& state, const FindBuffers& buffers,
           bool down, bool replaceAll)
      : ctx_(ctx), state_(state), buffers_(buffers), down_(down), replaceAll_(replaceAll) {}

  // Selects the next hit; asks to go on at the end of the page. false when the search ended
  // without a hit.
  bool search();
  bool selectionMatches() const;
  void replaceSelection();

 private:
  int locate(const std::u16string& text) const;
  void select(const PageWalk& walk, int start);
  bool goOn();
  bool turnPage();
  std::u16string folded(std::u16string_view text) const {
    return state_.matchCase ? std::u16string(text) : upperCasedSameLength(text);
  }

  const CorrectionContext& ctx_;
  FindReplaceState& state_;
  const FindBuffers& buffers_;
  bool down_;
  bool replaceAll_;
  bool wrapped_ = false;
};

int Searcher::locate(const std::u16string& text) const {
  const std::u16string haystack = folded(text);
  const std::u16string needle = folded(buffers_.find);
  const int size = static_cast<int>(haystack.size());
  const int length = static_cast<int>(needle.size());
  const int pos = state_.searchPosition;
  size_t at = std::u16string::npos;
  if (down_) {
    if (pos >= 0 && pos <= size) at = haystack.find(needle, static_cast<size_t>(pos));
  } else if (pos >= length) {
    // Wholly before the search position.
    at = haystack.rfind(needle, static_cast<size_t>(std::min(pos, size) - length));
  }
  return at == std::u16string::npos ? -1 : static_cast<int>(at);
}

void Searcher::select(const PageWalk& walk, int start) {
  const int length = static_cast<int>(buffers_.find.size());
  CaretState& caret = ctx_.caret;
  const int first = walk.charAtUnit(start);
  const int last = walk.charAtUnit(start + length - 1);
  caret.selection.clear();
  const CaretPos anchor = walk.before(first);
  setCaretAt(caret, walk, anchor);
  caret.selection.anchor = anchor;
  caret.selection.active = walk.after(last);
  state_.lastHitLine = anchor.line;
  ctx_.scope.reveal();
  state_.searchPosition = down_ ? start + 1 : start;
}

bool Searcher::search() {
  for (;;) {
    model::PageData* page = currentPage(ctx_);
    if (page == nullptr) return false;
    PageWalk walk(*page);
    // The page may have been edited since its text was taken (the dialogs are modeless): a hit
    // must name characters that exist, so the text follows the page.
    if (walk.text() != state_.pageText) state_.pageText = walk.text();
    const int start = locate(state_.pageText);
    if (start >= 0) {
      select(walk, start);
      return true;
    }
    if (!goOn()) return false;
  }
}

// No hit on this page: what to ask depends on the direction, on whether a page lies beyond and
// on whether replace all asks. true when the search goes on (the position is set for it).
bool Searcher::goOn() {
  const int pages = static_cast<int>(ctx_.doc.paper()->pages.size());
  const int current = ctx_.doc.currentPage();
  if (pages == 1) {
    // A whole page that was searched from its end finds nothing the second time either.
    if (replaceAll_ || wrapped_) return false;
    if (!askYes(ctx_, down_ ? texts::kFromStart : texts::kFromEnd)) return false;
    wrapped_ = true;
    state_.searchPosition = down_ ? 0 : static_cast<int>(state_.pageText.size());
    return true;
  }
  const bool beyond = down_ ? current < pages - 1 : current > 0;
  if (!beyond) {
    tell(ctx_, replaceAll_ ? texts::kReplaceDone : (down_ ? texts::kLastPage : texts::kFirstPage));
    return false;
  }
  const char* question = replaceAll_
                             ? (down_ ? texts::kReplaceNextPage : texts::kReplacePreviousPage)
                             : (down_ ? texts::kNextPage : texts::kPreviousPage);
  return askYes(ctx_, question) && turnPage();
}

bool Searcher::turnPage() {
  ctx_.caret.selection.clear();
  const int page = down_ ? ctx_.doc.nextPage() : ctx_.doc.previousPage();
  if (page < 0) return false;
  state_.lastHitLine = nullptr;
  placeCaretAtPageStart(*ctx_.doc.page(page), ctx_.caret);
  // The page is shown before anything more is asked about it.
  ctx_.scope.flush();
  rebuildPageText(ctx_, state_);
  state_.searchPosition = down_ ? 0 : static_cast<int>(state_.pageText.size());
  return true;
}

bool Searcher::selectionMatches() const {
  const Selection& sel = ctx_.caret.selection;
  model::PageData* page = currentPage(ctx_);
  // A selection left from before an undo or a page change names lines that are not shown.
  if (page == nullptr || !lineOnPage(*page, sel.anchor.line)) return false;
  const std::optional<std::u16string> text = selectionLineText(sel);
  return text && folded(*text) == folded(buffers_.find);
}

void Searcher::replaceSelection() {
  ctx_.scope.willChange(document::UndoReplace);
  const TextReplacement done = replaceSelectionText(ctx_.caret, buffers_.replace);
  if (!done.replaced) {
    // Replace all goes on by searching, which it does only once the selection no longer matches.
    ctx_.caret.selection.anchor = ctx_.caret.selection.active = ctx_.caret.caret;
    return;
  }
  ctx_.scope.line(ctx_.caret.caret.line).caretMoved();
  if (done.sideLinesChanged || done.linesRemoved) ctx_.scope.layout();
  if (ctx_.frame.registerReplacement != 0)
    registerReplacementPair(ctx_, buffers_.find, buffers_.replace);
  rebuildPageText(ctx_, state_);
  // Searching upwards goes on from the replacement's start: from its end an upward search would
  // find the find text again inside a replacement that contains it, without end.
  if (down_) state_.searchPosition += static_cast<int>(buffers_.replace.size());
}

}  // namespace

std::u16string FindBuffers::fitted(std::u16string_view text) {
  std::u16string out(text.substr(0, kUnits - 1));
  if (!out.empty() && U16_IS_LEAD(out.back())) out.pop_back();
  return out;
}

FindBuffers& programFindBuffers() {
  static FindBuffers buffers;
  return buffers;
}

std::u16string upperCasedSameLength(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  const int32_t size = static_cast<int32_t>(text.size());
  for (int32_t i = 0; i < size;) {
    const int32_t start = i;
    UChar32 c;
    U16_NEXT(text.data(), i, size, c);  // a lone surrogate comes back as itself
    UChar32 upper = u_toupper(c);
    if (U16_LENGTH(upper) != i - start) upper = c;
    if (upper > 0xFFFF) {
      out.push_back(static_cast<char16_t>(U16_LEAD(upper)));
      out.push_back(static_cast<char16_t>(U16_TRAIL(upper)));
    } else {
      out.push_back(static_cast<char16_t>(upper));
    }
  }
  return out;
}

bool openFindDialog(const CorrectionContext& ctx, FindReplaceState& state, FindBuffers& buffers,
                    FindDialogKind kind) {
  if (state.open != FindDialogKind::None || kind == FindDialogKind::None) return false;
  rebuildPageText(ctx, state);
  const std::optional<std::u16string> selected = selectionLineText(ctx.caret.selection);
  if (selected && !selected->empty()) buffers.setFind(*selected);
  state.open = kind;
  return true;
}

void handleFindMessage(const CorrectionContext& ctx, FindReplaceState& state,
                       const FindBuffers& buffers, const FindMessage& message) {
  if (message.action == Action::Close) {
    state.open = FindDialogKind::None;
    // The last hit stays selected, so that typing replaces it; a selection left on lines that
    // are no longer shown goes.
    const model::PageData* page = currentPage(ctx);
    if (page == nullptr || !lineOnPage(*page, ctx.caret.selection.anchor.line) ||
        !lineOnPage(*page, ctx.caret.selection.active.line))
      ctx.caret.selection.clear();
    ctx.scope.caretMoved();
    state.matchCase = message.matchCase;
    return;
  }
  ctx.scope.caretMoved();
  state.matchCase = message.matchCase;
  if (currentPage(ctx) == nullptr) return;
  const bool replacing = message.action == Action::Replace || message.action == Action::ReplaceAll;
  if (replacing && buffers.find == buffers.replace) {
    ctx.prompter.message(texts::kSameTexts, kCorrectionCaption, Icon::Warning);
    return;
  }
  // An empty find text would match everywhere without selecting anything.
  if (buffers.find.empty()) return;

  const bool all = message.action == Action::ReplaceAll;
  Searcher searcher(ctx, state, buffers, message.down, all);
  if (all) {
    // Replace all covers the whole page in the dialog's direction. A hit still selected from an
    // earlier search is found again in its turn; replaced first, it would move the search past
    // the hits before it.
    ctx.caret.selection.anchor = ctx.caret.selection.active = ctx.caret.caret;
    state.searchPosition = message.down ? 0 : static_cast<int>(state.pageText.size());
  }
  if (replacing) {
    for (;;) {
      if (!searcher.selectionMatches()) {
        const bool found = searcher.search();
        if (!all || !found) return;
        continue;
      }
      searcher.replaceSelection();
      if (!all) break;
    }
  }
  searcher.search();
}

void findPageChanged(const CorrectionContext& ctx, FindReplaceState& state) {
  if (state.open == FindDialogKind::None) return;
  rebuildPageText(ctx, state);
  state.lastHitLine = nullptr;
}

}  // namespace vellary::editing
