// Palette, class names and the drawn colour controls.
#include "settings_ui/palette.h"

#include <QPainter>
#include <QStyleOptionFocusRect>

namespace vellary::settings_ui {

QColor colourFromRef(uint32_t ref) {
  return QColor(static_cast<int>(ref & 0xFF), static_cast<int>((ref >> 8) & 0xFF),
                static_cast<int>((ref >> 16) & 0xFF));
}

uint32_t refFromColour(const QColor& colour) {
  return static_cast<uint32_t>(colour.red()) | (static_cast<uint32_t>(colour.green()) << 8) |
         (static_cast<uint32_t>(colour.blue()) << 16);
}

const std::array<uint32_t, kBasicColourCount>& basicColours() {
  static const std::array<uint32_t, kBasicColourCount> colours{
      0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF, 0xFFFF00,
      0x7F7F7F, 0xBFBFBF, 0x00007F, 0x007F00, 0x7F0000, 0x007F7F, 0x7F007F, 0x7F7F00};
  return colours;
}

QColor paletteColour(int index, const std::array<uint32_t, appcore::kUserColourCount>& user) {
  if (index >= 0 && index < kBasicColourCount)
    return colourFromRef(basicColours()[static_cast<size_t>(index)]);
  if (index >= kBasicColourCount && index < kPaletteSize)
    return colourFromRef(user[static_cast<size_t>(index - kBasicColourCount)]);
  return Qt::black;
}

const std::array<int, 13>& listedClasses() {
  static const std::array<int, 13> order{0, 1, 6, 7, 8, 2, 9, 10, 11, 3, 12, 4, 5};
  return order;
}

QString className(int charClass) {
  static const char* const names[appcore::kCharClassCount] = {
      "漢字",         "ひらがな",       "カタカナ",
      "英字大文字",   "数字",           "記号",
      "ひらがな濁音", "ひらがな半濁音", "ひらがな促音拗音",
      "カタカナ濁音", "カタカナ半濁音", "カタカナ促音拗音",
      "英小文字",     "タブ",           "改行・空白"};
  if (charClass < 0 || charClass >= appcore::kCharClassCount) return {};
  return QString::fromUtf8(names[charClass]);
}

ColourSwatch::ColourSwatch(QWidget* parent) : QAbstractButton(parent) {
  setCheckable(true);
  setFocusPolicy(Qt::StrongFocus);
}

void ColourSwatch::setColour(const QColor& colour) {
  colour_ = colour;
  update();
}

void ColourSwatch::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QRect r = rect().adjusted(2, 2, -3, -3);
  p.fillRect(r, colour_);
  p.setPen(palette().color(QPalette::Dark));
  p.drawRect(r);
  if (isChecked()) {
    QPen pen(palette().color(QPalette::WindowText));
    pen.setWidth(2);
    p.setPen(pen);
    p.drawRect(rect().adjusted(1, 1, -2, -2));
  }
  if (hasFocus()) {
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = rect();
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
  }
}

SampleFrame::SampleFrame(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setMinimumHeight(36);
}

void SampleFrame::setSample(const QString& text, const QColor& textColour, const QColor& background,
                            const QFont& font, bool rotated) {
  text_ = text;
  textColour_ = textColour;
  background_ = background;
  font_ = font;
  rotated_ = rotated;
  update();
}

void SampleFrame::paintEvent(QPaintEvent* event) {
  {
    QPainter p(this);
    const QRect inside = contentsRect();
    p.fillRect(inside, background_);
    p.setClipRect(inside);
    p.setFont(font_);
    p.setPen(textColour_);
    if (rotated_) {
      // Turned a quarter anticlockwise, as a font with a 90-degree escapement draws.
      p.translate(inside.center());
      p.rotate(-90);
      const QRect turned(-inside.height() / 2, -inside.width() / 2, inside.height(),
                         inside.width());
      p.drawText(turned, Qt::AlignCenter, text_);
    } else {
      p.drawText(inside.adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft, text_);
    }
  }
  QFrame::paintEvent(event);
}

}  // namespace vellary::settings_ui
