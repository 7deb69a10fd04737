// CImageView in character editing: mouse, keys, the input method and the clipboard handed to the
// editor, what its answers ask to be redrawn, the caret's re-establishment (scrolling, the image
// view, the page list, the input method), blinking and the cursor shapes.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QStyleHints>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "appcore/settings.h"
#include "editing/editing_context.h"
#include "textview/glyphs.h"
#include "textview/image_view.h"
#include "views/view_host.h"

namespace vellary::textview {

namespace {

// The I-beam turned a quarter: the cursor over vertical text. A black beam with white edges so
// that it shows on dark characters as well as on the page.
const QCursor& verticalIBeam() {
  static const QCursor cursor = [] {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    auto beam = [&p](const QColor& c, int w) {
      p.setPen(QPen(c, w, Qt::SolidLine, Qt::FlatCap));
      p.drawLine(6, 16, 26, 16);
      p.drawLine(6, 11, 6, 21);
      p.drawLine(26, 11, 26, 21);
    };
    beam(Qt::white, 3);
    beam(Qt::black, 1);
    p.end();
    return QCursor(pm, 16, 16);
  }();
  return cursor;
}

std::optional<editing::Key> editorKey(int key) {
  switch (key) {
    case Qt::Key_Left:
      return editing::Key::Left;
    case Qt::Key_Right:
      return editing::Key::Right;
    case Qt::Key_Up:
      return editing::Key::Up;
    case Qt::Key_Down:
      return editing::Key::Down;
    case Qt::Key_Delete:
      return editing::Key::Delete;
    case Qt::Key_Backspace:
      return editing::Key::Backspace;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return editing::Key::Enter;
    default:
      return std::nullopt;
  }
}

std::u16string toU16(const QString& s) {
  return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()),
                        static_cast<size_t>(s.size()));
}

QRect toQRect(const editing::Box& b) { return QRect(b.x, b.y, b.width, b.height); }

}  // namespace

// --- Boxes and the caret's geometry -------------------------------------------------------------

const editing::PageBoxes& CImageView::hitBoxes() {
  if (!boxesValid_) {
    boxes_ = page_ != nullptr ? editing::boxesFromLayout(*page_, layout_) : editing::PageBoxes{};
    boxesValid_ = true;
  }
  return boxes_;
}

QRect CImageView::caretRect() {
  const editing::CaretPos& c = caret_->caret;
  if (!c.valid() || page_ == nullptr) return {};
  const editing::PageBoxes& boxes = hitBoxes();
  const editing::LineBoxes* lb = editing::findLineBoxes(boxes, c.line);
  if (lb == nullptr) return {};
  return toQRect(editing::caretBar(*lb, c.index(), boxes.vertical(*c.block)));
}

QRect CImageView::caretCell() const {
  const editing::CaretPos& c = caret_->caret;
  if (!c.valid()) return {};
  const editing::LinePlace* lp = layout_.find(c.line);
  if (lp == nullptr) return {};
  QRect cell = toQRect(editing::charBox(*lp, c.index()));
  // A cell much longer than the line is thick (wide letter spacing) is cut to a square.
  if (!lp->textFlow) {
    if (lp->vertical && cell.height() >= 2 * cell.width()) cell.setHeight(cell.width());
    if (!lp->vertical && cell.width() >= 2 * cell.height()) cell.setWidth(cell.height());
  }
  return cell;
}

void CImageView::rememberMouse(QPoint canvas) {
  if (!laidOut() || scale_ <= 0) return;
  caret_->lastMouseX = static_cast<int32_t>(canvas.x() / scale_);
  caret_->lastMouseY = static_cast<int32_t>(canvas.y() / scale_);
}

// --- Redraws -------------------------------------------------------------------------------------

void CImageView::refusedBeep(bool accepted) {
  if (!accepted) QApplication::beep();
}

QRect CImageView::selectionRect() const {
  const editing::Selection& sel = caret_->selection;
  const bool selected = !sel.empty() && sel.anchor.line == sel.active.line;
  const model::LineData* line = selected ? sel.anchor.line : caret_->caret.line;
  if (line == nullptr) return {};
  const editing::LinePlace* place = layout_.find(line);
  if (place == nullptr) return {};
  int first = caret_->caret.index();
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

void CImageView::scrollIntoView(const QRect& canvasRect) {
  if (canvasRect.isNull()) return;
  // Room left between what is brought into view and the viewport's edge, in viewport pixels.
  constexpr int kMargin = 24;
  auto scrolledTo = [](int value, int size, int low, int high) {
    if (low - kMargin < value) return low - kMargin;
    // A span wider than the window shows its start.
    if (high + kMargin > value + size) return std::min(low - kMargin, high + kMargin - size);
    return value;
  };
  const QPoint at = scrollPosition();
  const QSize size = viewport()->size();
  const int x = scrolledTo(at.x(), size.width(), canvasRect.left(), canvasRect.right() + 1);
  const int y = scrolledTo(at.y(), size.height(), canvasRect.top(), canvasRect.bottom() + 1);
  // The scroll bars clamp, and moving them scrolls the image view in step.
  if (x != at.x()) horizontalScrollBar()->setValue(x);
  if (y != at.y()) verticalScrollBar()->setValue(y);
}

void CImageView::reestablishCaret() {
  // After a scale change the layout is made again by the update that follows.
  if (page_ == nullptr || std::abs(layout_.params.zoom - scale_) > 1e-9) {
    caretPending_ = true;
    return;
  }
  caretMoved(false);
}

void CImageView::caretMoved(bool pageEntered, bool reveal) {
  if (page_ == nullptr) return;
  if (pageEntered) scrollToPageStart();
  if (characterEditing()) {
    if (reveal)
      scrollIntoView(selectionRect());
    else
      ensureCaretVisible();
    if (imagePane() == appcore::ImagePane::LineImage && laidOut()) showOneLineImage();
  }
  restartBlink();
  if (hasFocus())
    QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle | Qt::ImFont |
                                           Qt::ImAnchorRectangle);
}

void CImageView::scrollToPageStart() {
  // A page written in columns starts at its top right.
  bool vertical = false;
  if (caret_->caret.valid()) {
    vertical = laidOut() ? caret_->caret.block->direction == model::Vertical
                         : context_.host != nullptr &&
                               context_.host->textDisplay() == appcore::TextDisplay::FlowVertical;
  } else if (page_ != nullptr) {
    for (const auto& b : page_->blocks)
      if (b.type == model::BlockText) {
        vertical = b.direction == model::Vertical;
        break;
      }
  }
  horizontalScrollBar()->setValue(vertical ? horizontalScrollBar()->maximum() : 0);
  verticalScrollBar()->setValue(0);
}

void CImageView::ensureCaretVisible() {
  const QRect cell = caretCell();
  if (cell.isNull()) return;
  const QRect onScreen = cell.translated(-scrollPosition());
  const QRect client(QPoint(0, 0), viewport()->size());
  // Both corners inside (the right and bottom edges excluded): nothing to do. Otherwise the
  // cell's centre comes to the client's centre.
  if (client.contains(onScreen.topLeft()) && client.contains(onScreen.bottomRight())) return;
  const QPoint centre = cell.center();
  horizontalScrollBar()->setValue(std::max(0, centre.x() - client.width() / 2));
  verticalScrollBar()->setValue(std::max(0, centre.y() - client.height() / 2));
}

void CImageView::restartBlink() {
  const QRect old = drawnCaret_;
  drawnCaret_ = characterEditing() ? caretRect() : QRect();
  caretShown_ = true;
  const QPoint scroll = scrollPosition();
  for (const QRect& r : {old, drawnCaret_})
    if (!r.isNull()) viewport()->update(r.translated(-scroll).adjusted(-1, -1, 1, 1));
  const int flash = QGuiApplication::styleHints()->cursorFlashTime();
  if (flash > 0 && hasFocus() && !drawnCaret_.isNull())
    blink_->start(flash / 2);
  else
    blink_->stop();
}

// --- Clipboard -----------------------------------------------------------------------------------

void CImageView::copySelection() {
  if (context_.editing == nullptr || !characterEditing() || caret_->selection.empty()) return;
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->clear();
  const std::u16string text = context_.editing->editor().copyText();
  if (!text.empty())
    clipboard->setText(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
}

void CImageView::pasteClipboard() {
  if (context_.editing == nullptr || !characterEditing()) return;
  const QString text = QGuiApplication::clipboard()->text();
  if (text.isEmpty()) return;
  refusedBeep(context_.editing->editor().paste(toU16(text)));
}

// --- Mouse ---------------------------------------------------------------------------------------

bool CImageView::viewportEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::HoverMove:
    case QEvent::HoverEnter:
      updateCursorShape(static_cast<QHoverEvent*>(event)->position().toPoint());
      break;
    default:
      break;
  }
  return QAbstractScrollArea::viewportEvent(event);
}

void CImageView::updateCursorShape(QPoint viewportPoint) {
  Qt::CursorShape shape = Qt::ArrowCursor;
  bool vertical = false;
  const QPoint at = toCanvas(viewportPoint);
  const bool onPage = page_ != nullptr && !canvas_.isNull() &&
                      (!laidOut() || QRect(QPoint(0, 0), canvas_.size()).contains(at));
  if (onPage) {
    if (editMode() == appcore::EditMode::Block && laidOut()) {
      shape = Qt::CrossCursor;
    } else if (characterEditing()) {
      shape = Qt::IBeamCursor;
      if (!laidOut()) {
        vertical = context_.host != nullptr &&
                   context_.host->textDisplay() == appcore::TextDisplay::FlowVertical;
      } else {
        for (const editing::BlockBoxes& b : hitBoxes().blocks)
          if (b.box.contains(at.x(), at.y())) {
            vertical = b.block->type != model::BlockImage && b.block->direction == model::Vertical;
            break;
          }
      }
    }
  }
  if (vertical)
    viewport()->setCursor(verticalIBeam());
  else
    viewport()->setCursor(shape);
}

void CImageView::mousePressEvent(QMouseEvent* event) {
  editing::Editor* ed = context_.editing != nullptr ? &context_.editing->editor() : nullptr;
  if (ed == nullptr || !characterEditing() || page_ == nullptr) {
    event->ignore();
    return;
  }
  event->accept();
  setFocus(Qt::MouseFocusReason);
  const QPoint at = toCanvas(event->position().toPoint());
  if (event->button() == Qt::LeftButton) {
    // The press grabs the mouse until the release (the widget's implicit grab).
    leftDown_ = true;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    ed->mouseDown(hitBoxes(), at.x(), at.y(), shift);
    rememberMouse(at);
  } else if (event->button() == Qt::RightButton) {
    ed->rightButtonDown(hitBoxes(), at.x(), at.y());
    rememberMouse(at);
  }
}

void CImageView::mouseMoveEvent(QMouseEvent* event) {
  editing::Editor* ed = context_.editing != nullptr ? &context_.editing->editor() : nullptr;
  if (ed == nullptr || !characterEditing() || !leftDown_ || !(event->buttons() & Qt::LeftButton)) {
    event->ignore();
    return;
  }
  event->accept();
  dragPoint_ = event->position().toPoint();
  const QPoint at = toCanvas(dragPoint_);
  ed->mouseMove(hitBoxes(), at.x(), at.y());
  rememberMouse(at);
  if (viewport()->rect().contains(dragPoint_))
    dragScroll_->stop();
  else if (!dragScroll_->isActive())
    dragScroll_->start();
}

void CImageView::dragScrollStep() {
  editing::Editor* ed = context_.editing != nullptr ? &context_.editing->editor() : nullptr;
  if (ed == nullptr || !characterEditing() || !leftDown_ || page_ == nullptr) {
    dragScroll_->stop();
    return;
  }
  // The further out the pointer, the faster the page moves, up to a line or so per step.
  static constexpr int kMaxStep = 40;
  const QRect area = viewport()->rect();
  auto overshoot = [](int v, int low, int high) {
    if (v < low) return std::max(v - low, -kMaxStep);
    if (v > high) return std::min(v - high, kMaxStep);
    return 0;
  };
  const int dx = overshoot(dragPoint_.x(), area.left(), area.right());
  const int dy = overshoot(dragPoint_.y(), area.top(), area.bottom());
  const QPoint before = scrollPosition();
  horizontalScrollBar()->setValue(horizontalScrollBar()->value() + dx);
  verticalScrollBar()->setValue(verticalScrollBar()->value() + dy);
  if (scrollPosition() == before) return;  // already at the page's edge
  const QPoint at = toCanvas(dragPoint_);
  ed->mouseMove(hitBoxes(), at.x(), at.y());
  rememberMouse(at);
}

void CImageView::mouseReleaseEvent(QMouseEvent* event) {
  editing::Editor* ed = context_.editing != nullptr ? &context_.editing->editor() : nullptr;
  if (ed == nullptr || !characterEditing() || event->button() != Qt::LeftButton || !leftDown_) {
    event->ignore();
    return;
  }
  event->accept();
  leftDown_ = false;
  dragScroll_->stop();
  const QPoint at = toCanvas(event->position().toPoint());
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  ed->mouseUp(hitBoxes(), at.x(), at.y(), shift);
  rememberMouse(at);
}

void CImageView::contextMenuEvent(QContextMenuEvent* event) {
  // The character menu belongs to another object watching the viewport; the right press has
  // already put the caret where the menu acts.
  event->ignore();
}

// --- Keys and the input method -------------------------------------------------------------------

bool CImageView::typingAllowed() const { return context_.editing != nullptr && page_ != nullptr; }

void CImageView::keyPressEvent(QKeyEvent* event) {
  editing::Editor* ed = context_.editing != nullptr ? &context_.editing->editor() : nullptr;
  if (!typingAllowed()) {
    QAbstractScrollArea::keyPressEvent(event);
    return;
  }
  if (characterEditing()) {
    if (event->matches(QKeySequence::Copy)) {
      copySelection();
      event->accept();
      return;
    }
    if (event->matches(QKeySequence::Paste)) {
      pasteClipboard();
      event->accept();
      return;
    }
  }
  const Qt::KeyboardModifiers mods = event->modifiers();
  const bool shift = mods & Qt::ShiftModifier;
  const auto key = editorKey(event->key());
  if (characterEditing() && !(mods & (Qt::ControlModifier | Qt::AltModifier))) {
    refusedBeep(ed->keyDown(key.value_or(editing::Key::Other), shift));
    if (key && *key != editing::Key::Enter) {
      event->accept();
      return;
    }
  } else if (key) {
    // Arrows scroll and the editing keys do nothing outside character editing.
    QAbstractScrollArea::keyPressEvent(event);
    return;
  }
  // The characters the key typed: Enter types a line break, control characters other than it
  // are left to the editor's rules.
  if (mods & (Qt::ControlModifier | Qt::AltModifier)) {
    QAbstractScrollArea::keyPressEvent(event);
    return;
  }
  QString text = event->text();
  if (key == editing::Key::Enter) text = QStringLiteral("\r");
  if (text.isEmpty()) {
    // Page keys and the like scroll as in any scrolling view.
    QAbstractScrollArea::keyPressEvent(event);
    return;
  }
  event->accept();
  // Backspace and Delete are keys, not characters; an Escape pressed to leave something must not
  // leave an invisible control character in the text.
  std::u16string units = toU16(text);
  std::erase_if(units, [](char16_t u) { return u == 8 || u == 0x7F || u == 0x1B; });
  if (!units.empty()) refusedBeep(ed->commitText(units));
}

void CImageView::keyReleaseEvent(QKeyEvent* event) {
  if (context_.editing == nullptr || event->isAutoRepeat() || page_ == nullptr ||
      !characterEditing()) {
    QAbstractScrollArea::keyReleaseEvent(event);
    return;
  }
  context_.editing->editor().keyUp();
  // Block editing acts on the release of Delete through its own filter; nothing else here.
  event->ignore();
}

void CImageView::inputMethodEvent(QInputMethodEvent* event) {
  if (!typingAllowed()) {
    event->ignore();
    return;
  }
  event->accept();
  // The composition is shown over the caret's cells; the view repaints them when it changes.
  const QString preedit = event->preeditString();
  if (preedit != preedit_) {
    preedit_ = preedit;
    viewport()->update();
  }
  if (event->commitString().isEmpty()) return;
  refusedBeep(context_.editing->editor().commitText(toU16(event->commitString())));
}

QVariant CImageView::inputMethodQuery(Qt::InputMethodQuery query) const {
  switch (query) {
    case Qt::ImEnabled:
      return typingAllowed();
    case Qt::ImCursorRectangle:
    case Qt::ImAnchorRectangle: {
      // Point style: the composition starts at the caret. Across a vertical line the rectangle
      // is the caret's cell, so that candidates open beside the column, not over it.
      const editing::LinePlace* lp =
          caret_->caret.valid() ? layout_.find(caret_->caret.line) : nullptr;
      if (lp == nullptr) return QRect();
      QRect r = caretCell();
      if (!lp->vertical) r.setWidth(2);
      return r.translated(-scrollPosition());
    }
    case Qt::ImFont: {
      const editing::LinePlace* lp =
          caret_->caret.valid() ? layout_.find(caret_->caret.line) : nullptr;
      const bool vertical = lp != nullptr && lp->vertical;
      const int px = lp != nullptr ? std::max(lp->fontPx, 8) : 16;
      return storedFont(vertical ? settings_.japaneseVerticalFont : settings_.japaneseFont, px);
    }
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition:
      return 0;
    case Qt::ImSurroundingText:
    case Qt::ImCurrentSelection:
      return QString();
    case Qt::ImHints:
      return static_cast<int>(Qt::ImhMultiLine);
    default:
      return QAbstractScrollArea::inputMethodQuery(query);
  }
}

void CImageView::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  restartBlink();
}

void CImageView::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  preedit_.clear();
  blink_->stop();
  viewport()->update(drawnCaret_.translated(-scrollPosition()).adjusted(-1, -1, 1, 1));
}

}  // namespace vellary::textview
