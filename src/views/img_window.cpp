// CImgWindow: the one-line image window.
#include "views/img_window.h"

#include <QPainter>

#include "imaging/dib.h"
#include "imaging/picture_ops.h"

namespace vellary::views {

CImgWindow::CImgWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
  setEnabled(false);
}

bool CImgWindow::MakeLineImage(const PackedPicture& source, const PageRect& rect, double s) {
  imaging::CPictInfo page;
  if (imaging::ConvertPackedDibToCPict(page, source.block()) != 1) return false;
  line_.reset();
  imaging::CPictInfo piece;
  if (imaging::MakeSubPictImageFromPict(page, {rect.left, rect.top, rect.right, rect.bottom},
                                        piece) != 1)
    return false;
  if (s < 0.95) {
    imaging::CPictInfo reduced;
    if (imaging::MakeShrinkImageFromPict(piece, reduced, s, imaging::kShrinkDisplay) == 1) {
      line_ = PictureToDib(reduced);
    } else {
      line_ = PictureToDib(piece);
      s = 1;
    }
  } else {
    // Close to full size the piece is not reduced but drawn stretched to the display size, so
    // the whole line stays visible rather than being cut at the display size.
    line_ = PictureToDib(piece);
  }
  displayWidth_ = static_cast<int>((rect.right - rect.left) * s);
  displayHeight_ = static_cast<int>((rect.bottom - rect.top) * s);
  lineScale_ = s;
  return line_.has_value();
}

void CImgWindow::RepaintLineImage() { repaint(); }

void CImgWindow::FrameCharacter(const PageRect& rect, bool eraseFirst) {
  const double s = lineScale_;
  // The frame is painted with the picture, so replacing it is the erasing.
  (void)eraseFirst;
  frame_ = {static_cast<int>(rect.left * s), static_cast<int>(rect.top * s),
            static_cast<int>(rect.right * s), static_cast<int>(rect.bottom * s)};
  update();
}

void CImgWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  if (!line_) return;
  DrawDib(p, QRect(0, 0, displayWidth_, displayHeight_), &*line_,
          QRect(0, 0, line_->width(), line_->height()));
  if (!frame_.empty()) {
    p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    p.setPen(QPen(QColor(0x7F, 0x7F, 0xFF), 2));  // 0xFF7F7F as blue-green-red
    const QPolygon outline({QPoint(frame_.left, frame_.top), QPoint(frame_.right + 2, frame_.top),
                            QPoint(frame_.right + 2, frame_.bottom + 2),
                            QPoint(frame_.left, frame_.bottom + 2)});
    p.drawPolygon(outline);
  }
}

}  // namespace vellary::views
