// Block editing's mouse, rubber band, context menu and Delete key on the text view.
#include "textview/block_edit_controller.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QRubberBand>
#include <cmath>

#include "document/document.h"
#include "editing/block_edit.h"
#include "textview/image_view.h"
#include "views/view_host.h"

namespace vellary::textview {

namespace {

constexpr int kHandleSize = 6;  // screen pixels of the tracker's handles outside the box

}  // namespace

BlockEditController::BlockEditController(StructureContext context)
    : QObject(context.view), context_(std::move(context)) {
  setObjectName("blockEditing");
  context_.view->installEventFilter(this);
  context_.view->viewport()->installEventFilter(this);
  // Events still arrive while the view's widgets are torn down, when the view can no longer be
  // asked anything.
  connect(context_.view, &CImageView::tearingDown, this, [this] {
    context_.view->removeEventFilter(this);
    context_.view->viewport()->removeEventFilter(this);
  });
}

BlockEditController::~BlockEditController() = default;

bool BlockEditController::blockEditing() const {
  return context_.host != nullptr && context_.host->editMode() == appcore::EditMode::Block &&
         context_.document() != nullptr && context_.editing() != nullptr;
}

int32_t BlockEditController::pageX(int viewportX) const {
  return editing::windowToPage(viewportX, context_.view->scrollPosition().x(),
                               context_.document()->zoom());
}

int32_t BlockEditController::pageY(int viewportY) const {
  return editing::windowToPage(viewportY, context_.view->scrollPosition().y(),
                               context_.document()->zoom());
}

int32_t BlockEditController::handleMargin() const {
  const double zoom = context_.document()->zoom();
  return zoom > 0 ? static_cast<int32_t>(std::ceil(kHandleSize / zoom)) : 0;
}

bool BlockEditController::eventFilter(QObject* watched, QEvent* event) {
  if (!blockEditing()) {
    // The mode changed under a band being drawn: the band goes without effect.
    if (tracking_) {
      tracking_ = false;
      band_->hide();
    }
    return false;
  }
  const bool onViewport = watched == context_.view->viewport();
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      if (!onViewport) return false;
      press(static_cast<const QMouseEvent&>(*event));
      return true;
    case QEvent::MouseMove:
      if (!onViewport) return false;
      move(static_cast<const QMouseEvent&>(*event));
      return true;
    case QEvent::MouseButtonRelease:
      if (!onViewport) return false;
      release(static_cast<const QMouseEvent&>(*event));
      return true;
    case QEvent::ContextMenu: {
      if (!onViewport) return false;
      const auto& e = static_cast<const QContextMenuEvent&>(*event);
      contextMenuAt(e.pos(), e.globalPos());
      return true;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      const auto& e = static_cast<const QKeyEvent&>(*event);
      if (watched != context_.view || e.key() != Qt::Key_Delete) return false;
      // The blocks go when the key comes up, once, however long it was held.
      if (event->type() == QEvent::KeyRelease && !e.isAutoRepeat())
        runEdit(context_, [](editing::EditScope& scope) { editing::deleteSelectedBlocks(scope); });
      return true;
    }
    default:
      return false;
  }
}

void BlockEditController::press(const QMouseEvent& e) {
  const QPoint at = e.position().toPoint();
  const int32_t x = pageX(at.x()), y = pageY(at.y());
  if (e.button() == Qt::RightButton) {
    runEdit(context_, [&](editing::EditScope& scope) {
      editing::blockRightClick(scope, x, y, handleMargin());
    });
    return;
  }
  if (e.button() != Qt::LeftButton) return;
  bool startBand = false;
  runEdit(context_, [&](editing::EditScope& scope) {
    startBand = editing::blockLeftClick(scope, x, y, handleMargin()) ==
                editing::ClickResult::StartRubberBand;
  });
  if (!startBand) return;
  if (band_ == nullptr) band_ = new QRubberBand(QRubberBand::Rectangle, context_.view->viewport());
  origin_ = at;
  tracking_ = true;
  band_->setGeometry(QRect(origin_, QSize()));
  band_->show();
}

void BlockEditController::move(const QMouseEvent& e) {
  if (!tracking_) return;
  band_->setGeometry(QRect(origin_, e.position().toPoint()).normalized());
}

void BlockEditController::release(const QMouseEvent& e) {
  if (!tracking_ || e.button() != Qt::LeftButton) return;
  tracking_ = false;
  band_->hide();
  const QPoint end = e.position().toPoint();
  // Both corners as points of the page: the band covers what lies between them.
  const editing::PageRect band{pageX(origin_.x()), pageY(origin_.y()), pageX(end.x()),
                               pageY(end.y())};
  const recompose::JoiningOptions options =
      context_.frame != nullptr ? document::reComposeOptionsFrom(*context_.frame).joining
                                : recompose::JoiningOptions{};
  runEdit(context_,
          [&](editing::EditScope& scope) { editing::finishRubberBand(scope, band, options); });
}

void BlockEditController::contextMenuAt(const QPoint& viewportPos, const QPoint& globalPos) {
  if (!blockEditing()) return;
  editing::CaretState& caret = context_.editing()->state();
  const auto items = editing::blockContextMenu(*context_.document(), caret, pageX(viewportPos.x()),
                                               pageY(viewportPos.y()));
  QMenu menu(context_.view);
  if (!items) {
    // The page menu of the frame.
    if (!pageMenuItems) return;
    pageMenuItems(menu);
    if (!menu.isEmpty()) runMenu(context_, menu, globalPos);
    return;
  }
  menu.setObjectName("_block_org");
  fillMenu(menu, *items);
  // Enabling follows the commands' own rule, not what the menu was built with.
  for (QAction* a : menu.findChildren<QAction*>())
    if (const int id = commandOf(a); id != 0)
      a->setEnabled(editing::blockCommandEnabled(*context_.document(), caret, id));
  if (const int id = commandOf(runMenu(context_, menu, globalPos)); id != 0) runCommand(id);
}

void BlockEditController::runCommand(int commandId) {
  if (!blockEditing()) return;
  runEdit(context_, [&](editing::EditScope& scope) {
    if (editing::blockCommandEnabled(scope.doc(), scope.caret(), commandId))
      editing::blockCommand(scope, commandId);
  });
}

}  // namespace vellary::textview
