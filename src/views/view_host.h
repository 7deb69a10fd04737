// What the page and image views ask of the frame that holds them. The frame owns the document and
// the modes; the views never reach the frame's widgets, only this.
#pragma once

#include <QString>

namespace vellary::document {
class CScrivlaDoc;
}

namespace vellary::views {

class ViewHost {
 public:
  virtual ~ViewHost() = default;
  // Null before the document exists.
  virtual document::CScrivlaDoc* document() = 0;
  virtual int editMode() const = 0;         // 1 block editing, 3 character editing
  virtual int textDisplayMode() const = 0;  // 0 forced horizontal, 1 forced vertical, 2 as laid out
  virtual int imageSubMode() const = 0;     // with display mode 2: 0 text, 1 one line, 2 image
  virtual void updateViews(int hint) = 0;
  // The text view drops its block, line, caret character and selection.
  virtual void resetTextView() = 0;
  // The text view re-establishes its caret (and tells the page list its caret line).
  virtual void reestablishCaret() = 0;
  virtual void focusTextView() = 0;
  virtual void showPageCounter(const QString& text) = 0;
  // Scrolls the image view (which = 1) or the text view (any other value) to (x, y) in screen
  // pixels of the scaled page.
  virtual void syncScroll(int which, int x, int y) = 0;
  // The page list marks its stored caret line again (after the image view redrew).
  virtual void redrawLineRect() = 0;
};

}  // namespace vellary::views

namespace vellary::views {

// A box in page-image pixels: left and top inclusive, right and bottom as the records' x + width
// and y + height. Empty when it has no area.
struct PageRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool empty() const { return right <= left || bottom <= top; }
  bool operator==(const PageRect&) const = default;
};

}  // namespace vellary::views
