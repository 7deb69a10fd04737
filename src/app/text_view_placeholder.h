// The text view's pane until the text view itself lands: it holds the scale and answers what the
// document asks of the text view with an empty caret, so the frame and the other views work.
#pragma once

#include <QPainter>
#include <QWidget>

namespace vellary::app {

class CImageView : public QWidget {
 public:
  explicit CImageView(QWidget* parent = nullptr) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setObjectName("textView");
  }
  double scale() const { return scale_; }
  void setScale(double scale) { scale_ = scale; }
  void onUpdate(int /*hint*/) { update(); }
  void resetCaret() {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), QColor(0xA0, 0xFF, 0xFF));  // the text background 0xFFFFA0
  }

 private:
  double scale_ = 0.5;
};

}  // namespace vellary::app
