// Turning what a correcting command asks for (editing::CorrectionRedraw) into calls on the text
// view and its neighbours. Every correcting command of the text view goes through the one
// function here, so the order of the steps is the same for all of them.
#pragma once

#include <QRect>

#include "editing/candidates_context.h"

namespace vellary::views {
class ViewHost;
class CDrawView;
class CPSelectView;
}  // namespace vellary::views

namespace vellary::textview {

class CImageView;

// The views beside the text view that a command may touch. Any of them may be null.
struct RedrawTargets {
  views::ViewHost* host = nullptr;  // re-establishing the caret, updating every view
  views::CDrawView* imageView = nullptr;
  views::CPSelectView* pageList = nullptr;
};

// `caret` is the caret state the command worked on (a copy of view.caretState()); it becomes
// the view's caret state, then the lines, the page, the highlight and the other views are
// brought up to date as `redraw` asks.
void applyCorrectionRedraw(CImageView& view, const editing::CaretState& caret,
                           const editing::CorrectionRedraw& redraw, const RedrawTargets& targets);

// The canvas rectangle of the caret's selection within one line, or of the caret character when
// nothing is selected; empty when neither is laid out.
QRect selectionCanvasRect(const CImageView& view, const editing::CaretState& caret);

// Scrolls the view as little as possible so that the canvas rectangle lies inside the viewport,
// with a small margin (the image view scrolls with it).
void scrollCanvasRectIntoView(CImageView& view, const QRect& canvasRect);

}  // namespace vellary::textview
