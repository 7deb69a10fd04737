// Block editing's input on the text view: clicks choose block entries, a drag from an empty spot
// draws a rubber band that merges or chooses blocks, a right click opens the block menu, and the
// Delete key deletes the selected blocks. It watches the view and its viewport and takes their
// mouse, context-menu and Delete key events only while the frame is in block editing (mode 1).
#pragma once

#include <QObject>
#include <QPoint>
#include <functional>

#include "editing/block_edit_common.h"
#include "textview/structure_edit.h"

class QMenu;
class QMouseEvent;
class QRubberBand;

namespace vellary::textview {

class BlockEditController : public QObject {
  Q_OBJECT

 public:
  // Installs itself on the context's view and its viewport; the view is its parent.
  explicit BlockEditController(StructureContext context);
  ~BlockEditController() override;

  // Fills the page menu shown where no block menu applies; the frame connects it. Without it no
  // menu opens there.
  std::function<void(QMenu&)> pageMenuItems;

  // The menu of a right click at a viewport point (after the press chose the entry): the block
  // menu inside the current entry, otherwise the page menu.
  void contextMenuAt(const QPoint& viewportPos, const QPoint& globalPos);
  // Runs a block menu command on the view's caret state.
  void runCommand(int commandId);
  // What the controller reaches; the character menu's structure items take the same.
  const StructureContext& context() const { return context_; }
  // Tests answer the menus and dialogs here in place of the user.
  StructureContext& context() { return context_; }
  bool tracking() const { return tracking_; }
  const QRubberBand* rubberBand() const { return band_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool blockEditing() const;
  // A viewport point in page pixels.
  int32_t pageX(int viewportX) const;
  int32_t pageY(int viewportY) const;
  // The reach of the current entry's handles outside its box, in page pixels.
  int32_t handleMargin() const;
  void press(const QMouseEvent& e);
  void move(const QMouseEvent& e);
  void release(const QMouseEvent& e);

  StructureContext context_;
  QRubberBand* band_ = nullptr;
  QPoint origin_;  // viewport pixels
  bool tracking_ = false;
};

}  // namespace vellary::textview
