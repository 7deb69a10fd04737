// Reject navigation over the characters of the page in page order.
#include "reject_nav.h"

#include <algorithm>

#include "find_replace.h"
#include "find_replace_page.h"

namespace vellary::editing {

using appcore::Answer;
using appcore::Buttons;
using appcore::Icon;

namespace {

bool askYes(const CorrectionContext& ctx, const char* text) {
  return ctx.prompter.ask(text, kCorrectionCaption, Buttons::YesNo, Answer::Yes, Icon::Question) ==
         Answer::Yes;
}

// The characters reject navigation visits: the normal lines of text blocks (side lines carry no
// recognised text of their own) and every line of a table cell.
bool visited(const PageWalk& walk, int charIndex) {
  const PageWalk::Line& line = walk.lines()[walk.chars()[charIndex].lineIndex];
  return line.cell != nullptr || line.line->attr == model::AttrNone;
}

// The first (next) or last (previous) reject in [from, to); −1 without one.
int findReject(const PageWalk& walk, int from, int to, bool next, int level) {
  auto hit = [&](int i) { return visited(walk, i) && isReject(*walk.chars()[i].ch, level); };
  if (next) {
    for (int i = from; i < to; ++i)
      if (hit(i)) return i;
  } else {
    for (int i = to - 1; i >= from; --i)
      if (hit(i)) return i;
  }
  return -1;
}

}  // namespace

bool isReject(const model::CharData& ch, int rejectLevel) {
  const int level = std::clamp(rejectLevel, 1, 9);
  return ch.cc < level || (ch.cc & 0x8000) != 0;
}

void gotoReject(const CorrectionContext& ctx, bool next, bool selectionHighlighted) {
  if (!rejectCommandsEnabled(ctx.editMode)) return;
  model::PageData* page = ctx.doc.page(ctx.doc.currentPage());
  if (page == nullptr) return;
  CaretState& caret = ctx.caret;

  caret.selection.anchor = caret.selection.active = caret.caret;
  ctx.scope.caretMoved();

  // The search range [from, to) over the page's characters.
  int from = 0, to = -1;
  {
    PageWalk walk(*page);
    const int size = static_cast<int>(walk.chars().size());
    const int at = walk.charIndexOf(caret.caret);
    if (next) {
      from = at < 0 ? 0 : at + (selectionHighlighted && !caret.caret.atLineEnd() ? 1 : 0);
      to = size;
    } else {
      to = at < 0 ? size : at;
    }
  }
  bool wrapped = false;
  for (;;) {
    PageWalk walk(*page);
    const int size = static_cast<int>(walk.chars().size());
    if (to < 0) to = size;
    const int hit = findReject(walk, from, std::min(to, size), next, ctx.frame.rejectLevel);
    if (hit >= 0) {
      const CaretPos at = walk.before(hit);
      setCaretAt(caret, walk, at);
      caret.selection.anchor = at;
      caret.selection.active = walk.after(hit);
      ctx.scope.reveal();
      return;
    }
    const int pages = static_cast<int>(ctx.doc.paper()->pages.size());
    const int current = ctx.doc.currentPage();
    const bool beyond = next ? current < pages - 1 : current > 0;
    if (beyond) {
      if (!askYes(ctx, next ? find_texts::kNextPage : find_texts::kPreviousPage)) break;
      caret.selection.clear();
      const int opened = next ? ctx.doc.nextPage() : ctx.doc.previousPage();
      if (opened < 0) break;
      page = ctx.doc.page(opened);
      placeCaretAtPageStart(*page, caret);
      // The page is shown before anything more is asked about it.
      ctx.scope.flush();
    } else {
      // This page was searched through from its other end already: asking again would only
      // repeat the question.
      if (wrapped || !askYes(ctx, next ? find_texts::kFromStart : find_texts::kFromEnd)) break;
      wrapped = true;
    }
    from = 0;
    to = -1;
  }
}

}  // namespace vellary::editing
