// Renders a laid-out page into the text view's offscreen page image: line images, glyphs in the
// fonts, orientations and colours of the colour mode, control-character marks, rejects and ruby
// frames. One line can be rendered again in place.
#pragma once

#include "appcore/modes.h"

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <array>
#include <cstdint>

#include "editing/layout.h"

namespace vellary::appcore {
struct AppSettings;
struct FrameSettings;
}  // namespace vellary::appcore

namespace vellary::textview {

// What the drawing depends on, copied from the frame's and the application's settings at every
// full update. Colours are 0x00BBGGRR.
struct RenderSettings {
  appcore::ColourMode colourMode = appcore::ColourMode::Normal;
  int rejectLevel = 2;
  bool rejectRecolour = true, rejectShowChar = true, showChanged = true;
  uint32_t editLine = 0x000000, nonEditLine = 0xC0C0C0;
  uint32_t textBackground = 0xFFFFA0, changedColour = 0xFF0000;
  std::array<uint32_t, 32> palette{};
  std::array<int, 15> classColours{};
  std::array<QString, 15> classFonts;
  QString japaneseFont = QStringLiteral("ＭＳ 明朝");
  QString japaneseVerticalFont = QStringLiteral("@ＭＳ 明朝");
  QString latinFont = QStringLiteral("Century");
  QString simplifiedChineseFont, traditionalChineseFont, hangulFont;
  // The text-flow display's face: a bold Gothic.
  QString flowFont = QStringLiteral("ＭＳ ゴシック");

  static RenderSettings from(const appcore::FrameSettings& frame, const appcore::AppSettings& app);
};

// The fixed half of the 32-colour palette; the user's 16 colours follow.
extern const std::array<uint32_t, 16> kFixedPalette;

class PagePainter {
 public:
  explicit PagePainter(const RenderSettings& settings) : s_(settings) {}

  // The whole page onto `canvas` (already sized): white, line images, blocks, lines, frames.
  // `pageImage` is the page's picture at its own size, or null.
  void paintPage(QImage& canvas, const editing::PageLayout& layout, const QImage* pageImage,
                 const model::LineData* caretLine) const;
  // One line again in place: its box is erased and it is drawn with the side lines that belong to
  // it. Returns the box (canvas pixels).
  QRect redrawLine(QImage& canvas, const editing::PageLayout& layout,
                   const editing::LinePlace& line, const QImage* pageImage,
                   bool isCaretLine) const;

 private:
  struct LineFonts;
  LineFonts fontsFor(const editing::LinePlace& lp) const;
  void drawLineImage(QPainter& p, const editing::LinePlace& lp, const QImage* pageImage) const;
  void drawLine(QPainter& p, const editing::LinePlace& lp, bool isCaretLine) const;
  void drawRubyFrames(QPainter& p, const editing::LinePlace& lp) const;

  const RenderSettings& s_;
};

// A rectangle of the layout as a QRect.
inline QRect toQRect(const editing::CanvasRect& r) {
  return QRect(r.left, r.top, r.width(), r.height());
}

}  // namespace vellary::textview
