// applyCorrectionRedraw: a correcting command's redraw request carried out on the views.
#include "textview/correction_redraw.h"

#include <QScrollBar>
#include <algorithm>

#include "document/document.h"
#include "textview/image_view.h"
#include "views/draw_view.h"
#include "views/pselect_view.h"
#include "views/view_host.h"

namespace vellary::textview {

namespace {

// Room left between a hit brought into view and the viewport's edge, in viewport pixels.
constexpr int kScrollMargin = 24;

// The scroll value that shows [low, high) within a window of `size` starting at `value`.
int scrolledTo(int value, int size, int low, int high) {
  if (low - kScrollMargin < value) return low - kScrollMargin;
  if (high + kScrollMargin > value + size) {
    // A span wider than the window shows its start.
    return std::min(low - kScrollMargin, high + kScrollMargin - size);
  }
  return value;
}

}  // namespace

QRect selectionCanvasRect(const CImageView& view, const editing::CaretState& caret) {
  const editing::Selection& sel = caret.selection;
  const bool selected = !sel.empty() && sel.anchor.line == sel.active.line;
  const model::LineData* line = selected ? sel.anchor.line : caret.caret.line;
  if (line == nullptr) return {};
  const editing::LinePlace* place = view.layout().find(line);
  if (place == nullptr) return {};
  int first = caret.caret.index();
  int end = first + 1;
  if (selected) {
    first = std::min(sel.anchor.index(), sel.active.index());
    end = std::max(sel.anchor.index(), sel.active.index());
  }
  QRect box;
  for (const editing::GlyphPlace& g : place->glyphs)
    if (g.index + g.count > first && g.index < end) box = box.united(toQRect(g.box));
  // The caret at a line's end has no glyph of its own: its bar stands after the last cell.
  if (box.isNull()) box = toQRect(editing::charBox(*place, first));
  return box;
}

void scrollCanvasRectIntoView(CImageView& view, const QRect& canvasRect) {
  if (canvasRect.isNull()) return;
  const QPoint at = view.scrollPosition();
  const QSize size = view.viewport()->size();
  const int x = scrolledTo(at.x(), size.width(), canvasRect.left(), canvasRect.right() + 1);
  const int y = scrolledTo(at.y(), size.height(), canvasRect.top(), canvasRect.bottom() + 1);
  // The scroll bars clamp, and moving them scrolls the image view in step.
  if (x != at.x()) view.horizontalScrollBar()->setValue(x);
  if (y != at.y()) view.verticalScrollBar()->setValue(y);
}

void applyCorrectionRedraw(CImageView& view, const editing::CaretState& caret,
                           const editing::CorrectionRedraw& redraw, const RedrawTargets& targets) {
  // A page change has updated every view already; the caret of the new page comes with the
  // command's state. Setting it also frames the caret character in the image view and places
  // the one-line image window.
  view.setCaretState(caret);
  if (redraw.clearImageHighlight && !redraw.highlightImageChar && targets.imageView != nullptr)
    targets.imageView->clearHighlight();

  if (redraw.rebuildPage) {
    view.onUpdate(document::HintAll);
  } else {
    // Whether a line is drawn with the caret follows the view's caret, set above.
    for (const model::LineData* line : redraw.nonCaretLines)
      if (line != redraw.caretLine) view.redrawLine(line, true);
    if (redraw.caretLine != nullptr) view.redrawLine(redraw.caretLine, true);
  }
  if (redraw.reestablishCaret && targets.host != nullptr) targets.host->reestablishCaret();

  // The selection highlight is painted from the caret state: a repaint erases the old one and
  // shows the new one.
  if (redraw.drawSelection) scrollCanvasRectIntoView(view, selectionCanvasRect(view, caret));
  view.viewport()->update();

  if (redraw.showLineInPageList && targets.pageList != nullptr && caret.caret.line != nullptr) {
    const model::LineData& l = *caret.caret.line;
    targets.pageList->ShowLineRect(views::PageRect{l.x, l.y, l.x + l.width, l.y + l.height}, 2);
  }
  if (redraw.updateAllViews >= 0 && targets.host != nullptr)
    targets.host->updateViews(redraw.updateAllViews);
}

}  // namespace vellary::textview
