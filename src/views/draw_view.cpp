// CDrawView: page image, highlight, scrolling and focus.
#include "views/draw_view.h"

#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <atomic>

#include "document/document.h"
#include "editing/editing_context.h"
#include "imaging/picture_file.h"
#include "imaging/picture_ops.h"
#include "model/image_folder.h"

namespace vellary::views {

namespace {

const QColor kBackground(0xC0, 0xC0, 0xC0);
const QColor kHighlight(0x00, 0x7F, 0xFF);  // 0xFF7F00 as blue-green-red
constexpr int kWheelStep = 50;              // pixels per notch

std::atomic<long> decodes{0};

}  // namespace

long CDrawView::decodeCount() { return decodes.load(); }

CDrawView::CDrawView(ViewHost& host, QWidget* parent) : QAbstractScrollArea(parent), host_(host) {
  setFocusPolicy(Qt::ClickFocus);
  viewport()->setAutoFillBackground(false);
}

QPoint CDrawView::scrollPosition() const {
  return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

int CDrawView::LoadPageImage(const std::string& path) {
  auto* doc = host_.document();
  if (doc == nullptr || doc->page(doc->currentPage()) == nullptr) return -1;
  full_.reset();
  scaled_.reset();
  path_ = path;
  imaging::CPictInfo image;
  image.fileName = path;
  ++decodes;
  if (path.empty() || imaging::LoadImageFileProc(image) != 1) {
    imageWidth_ = imageHeight_ = 0;
    viewport()->update();
    return -2;
  }
  imageWidth_ = image.width();
  imageHeight_ = image.height();
  if (scale_ > 0 && scale_ < 0.99) {
    imaging::CPictInfo reduced;
    if (imaging::MakeShrinkImageFromPict(image, reduced, scale_, imaging::kShrinkDisplay) == 1)
      scaled_ = PictureToDib(reduced);
  }
  full_ = PictureToDib(image);
  viewport()->update();
  return 1;
}

void CDrawView::documentChanged(const document::ChangeSet& changes) {
  using document::Change;
  if (changes.any(Change::Page | Change::Document | Change::Image | Change::Zoom))
    loadCurrentPage();
  if (changes.any(Change::Caret | Change::Display | Change::Page | Change::Document |
                  Change::Layout))
    followCaret();
}

void CDrawView::followCaret() {
  editing::EditingContext* editing = host_.editing();
  const editing::CaretPos* c = editing != nullptr ? &editing->state().caret : nullptr;
  // Block editing frames no character.
  if (host_.editMode() == appcore::EditMode::Character && c != nullptr && c->valid() &&
      !c->atLineEnd() && c->ch->x >= 0)
    SetHighlight({c->ch->x, c->ch->y, c->ch->x + c->ch->width, c->ch->y + c->ch->height});
  else
    clearHighlight();
}

void CDrawView::loadCurrentPage() {
  auto* doc = host_.document();
  scale_ = doc ? doc->zoom() : 0.5;
  model::PageData* page = doc ? doc->page(doc->currentPage()) : nullptr;
  if (page != nullptr) {
    canvas_ = QSize(page->width, page->height);
  } else if (doc != nullptr && doc->paper() != nullptr) {
    canvas_ = QSize(doc->paper()->maxPageWidth, doc->paper()->maxPageHeight);
  } else {
    canvas_ = QSize(0, 0);
  }
  updateScrollBars();
  if (page != nullptr) {
    LoadPageImage(model::findPageImage(*page, doc->pathName()));
    // The canvas of a page whose size the file did not give is the image's own.
    if (canvas_.width() <= 0 || canvas_.height() <= 0) {
      canvas_ = QSize(imageWidth_, imageHeight_);
      updateScrollBars();
    }
  } else {
    full_.reset();
    scaled_.reset();
    path_.clear();
  }
  viewport()->update();
}

void CDrawView::updateScrollBars() {
  const double s = scale_ > 0 ? scale_ : 0.5;
  const int w = static_cast<int>(canvas_.width() * s);
  const int h = static_cast<int>(canvas_.height() * s);
  const QSize vp = viewport()->size();
  horizontalScrollBar()->setRange(0, std::max(0, w - vp.width()));
  verticalScrollBar()->setRange(0, std::max(0, h - vp.height()));
  horizontalScrollBar()->setPageStep(vp.width());
  verticalScrollBar()->setPageStep(vp.height());
  horizontalScrollBar()->setSingleStep(std::max(1, vp.width() / 10));
  verticalScrollBar()->setSingleStep(std::max(1, vp.height() / 10));
}

void CDrawView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  updateScrollBars();
}

QRect CDrawView::toWindow(const PageRect& r) const {
  const double s = scale_;
  const QPoint scroll = scrollPosition();
  return QRect(
      QPoint(static_cast<int>(r.left * s - scroll.x()), static_cast<int>(r.top * s - scroll.y())),
      QPoint(static_cast<int>(r.right * s - scroll.x()),
             static_cast<int>(r.bottom * s - scroll.y())));
}

void CDrawView::SetHighlight(const PageRect& rect) {
  // Both the old and the new frame's areas are repainted, so no stale frame stays behind.
  if (highlight_.left >= 0) viewport()->update(toWindow(highlight_).adjusted(-5, -5, 5, 5));
  highlight_ = rect;
  if (highlight_.left >= 0) viewport()->update(toWindow(highlight_).adjusted(-5, -5, 5, 5));
}

void CDrawView::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  p.fillRect(viewport()->rect(), kBackground);
  auto* doc = host_.document();
  const double s = doc ? doc->zoom() : scale_;
  const QPoint scroll = scrollPosition();
  p.translate(-scroll);
  const QRect target(0, 0, static_cast<int>(imageWidth_ * s), static_cast<int>(imageHeight_ * s));
  bool drawn = false;
  if (s < 0.99 && scaled_) {
    drawn = DrawDib(p, QRect(target.topLeft(), QSize(scaled_->width(), scaled_->height())),
                    &*scaled_, QRect(0, 0, scaled_->width(), scaled_->height()));
  } else if (s < 0.99 && full_) {
    // A reduction that failed at load time: the full picture stretched is better than nothing.
    drawn = DrawDib(p, target, &*full_, QRect(0, 0, imageWidth_, imageHeight_));
  } else if (s >= 0.99 && full_) {
    drawn = DrawDib(p, target, &*full_, QRect(0, 0, imageWidth_, imageHeight_));
  }
  p.resetTransform();
  if (!drawn) {
    // A missing image says so at every scale, not only at full size, so the user sees why the
    // pane stays empty.
    if (doc != nullptr && doc->page(doc->currentPage()) != nullptr) {
      QFont font(QStringLiteral("ＭＳ 明朝"));
      font.setPixelSize(15);
      p.setFont(font);
      p.setPen(Qt::black);
      p.drawText(QPoint(10, 10 + QFontMetrics(font).ascent()),
                 QString::fromStdString(path_) + QStringLiteral("は見つかりません"));
    }
    return;
  }
  if (highlight_.left >= 0) {
    p.setPen(QPen(kHighlight, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(toWindow(highlight_).adjusted(-3, -3, 3, 3));
  }
}

void CDrawView::wheelEvent(QWheelEvent* event) {
  event->accept();
  if (host_.textDisplay() != appcore::TextDisplay::Layout || verticalScrollBar()->maximum() <= 0)
    return;
  const int delta = static_cast<int16_t>(event->angleDelta().y());
  verticalScrollBar()->setValue(verticalScrollBar()->value() + (delta / -120) * kWheelStep);
}

void CDrawView::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  host_.focusTextView();
}

void CDrawView::scrollContentsBy(int, int) {
  viewport()->update();
  if (!syncing_) {
    const QPoint pos = scrollPosition();
    host_.syncScroll(2, pos.x(), pos.y());
  }
}

void CDrawView::scrollTo(int x, int y) {
  syncing_ = true;
  horizontalScrollBar()->setValue(x);
  verticalScrollBar()->setValue(y);
  syncing_ = false;
}

}  // namespace vellary::views
