// CImgWindow: the small window beside the caret line that shows the piece of the page image
// holding that line, with the caret character framed. It never takes input or the focus.
#pragma once

#include <QWidget>
#include <optional>

#include "views/packed_picture.h"
#include "views/view_host.h"

namespace vellary::views {

class CImgWindow : public QWidget {
  Q_OBJECT

 public:
  explicit CImgWindow(QWidget* parent = nullptr);

  // Cuts `rect` (page pixels) out of `source` and keeps it for showing at scale s.
  bool MakeLineImage(const PackedPicture& source, const PageRect& rect, double s);
  void RepaintLineImage();
  // `rect` is relative to the line's top-left corner, in page pixels.
  void FrameCharacter(const PageRect& rect, bool eraseFirst);

  bool hasLineImage() const { return line_.has_value(); }
  QSize displaySize() const { return {displayWidth_, displayHeight_}; }
  QSize lineImageSize() const { return line_ ? QSize(line_->width(), line_->height()) : QSize(); }
  double lineScale() const { return lineScale_; }
  // The frame in window pixels; empty when none.
  PageRect characterFrame() const { return frame_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::optional<PackedPicture> line_;
  int displayWidth_ = 0, displayHeight_ = 0;
  double lineScale_ = 1.0;
  PageRect frame_;
};

}  // namespace vellary::views
