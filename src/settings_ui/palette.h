// The 32-colour palette of the character classes, the classes' names and list order, and the
// small drawn controls the colour pages share: a colour swatch button and a sample frame.
#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QFrame>
#include <array>
#include <cstdint>

#include "appcore/settings.h"

namespace vellary::settings_ui {

inline constexpr int kBasicColourCount = 16;
inline constexpr int kPaletteSize = kBasicColourCount + appcore::kUserColourCount;

// Settings keep colours as 0x00BBGGRR.
QColor colourFromRef(uint32_t ref);
uint32_t refFromColour(const QColor& colour);

// Palette entries 0–15; entries 16–31 are the user colours.
const std::array<uint32_t, kBasicColourCount>& basicColours();
// Entry `index` with `user` as entries 16–31; black for an index outside the palette.
QColor paletteColour(int index, const std::array<uint32_t, appcore::kUserColourCount>& user);

// The classes in the order the class list shows them, and each class's name.
const std::array<int, 13>& listedClasses();
QString className(int charClass);

// A button that is nothing but its colour; checked, it shows a heavier frame.
class ColourSwatch : public QAbstractButton {
  Q_OBJECT

 public:
  explicit ColourSwatch(QWidget* parent = nullptr);
  void setColour(const QColor& colour);
  QColor colour() const { return colour_; }
  QSize sizeHint() const override { return {22, 18}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor colour_;
};

// A white (or coloured) frame showing a line of text in a colour and font; `rotated` turns the
// line by 90 degrees so that it reads upwards.
class SampleFrame : public QFrame {
  Q_OBJECT

 public:
  explicit SampleFrame(QWidget* parent = nullptr);
  void setSample(const QString& text, const QColor& textColour, const QColor& background,
                 const QFont& font, bool rotated = false);
  QString text() const { return text_; }
  QColor textColour() const { return textColour_; }
  QColor background() const { return background_; }
  QFont sampleFont() const { return font_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString text_;
  QColor textColour_ = Qt::black;
  QColor background_ = Qt::white;
  QFont font_;
  bool rotated_ = false;
};

}  // namespace vellary::settings_ui
