// What the views ask of the frame that holds them: the document, the editing context and the
// modes. The views learn what changed from the document's change sets; they never reach the
// frame's widgets or one another, only this.
#pragma once

#include <QString>

#include "appcore/modes.h"

namespace vellary::document {
class CScrivlaDoc;
}
namespace vellary::editing {
class EditingContext;
}

namespace vellary::views {

class PackedPicture;

class ViewHost {
 public:
  virtual ~ViewHost() = default;
  // Null before the document exists.
  virtual document::CScrivlaDoc* document() = 0;
  // The caret and selection of the open document; null without one.
  virtual editing::EditingContext* editing() = 0;
  virtual appcore::EditMode editMode() const = 0;
  virtual appcore::TextDisplay textDisplay() const = 0;
  virtual appcore::ImagePane imagePane() const = 0;
  virtual void focusTextView() = 0;
  // The current page's image as decoded for the image view (full resolution); null when none.
  virtual const PackedPicture* pagePicture() const = 0;
  // The image view (which = 1) or the text view (any other value) follows a scroll of the
  // other to (x, y) in screen pixels of the scaled page.
  virtual void syncScroll(int which, int x, int y) = 0;
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
