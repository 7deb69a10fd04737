// Drawing single glyphs the way the text view places them: a reference point at the top-left of
// the glyph's cell, the cell turned by an escapement, and vertical Japanese with the fonts'
// vertical forms (、。「」ー（）… as a vertical reader expects them, not rotated horizontal ones).
#pragma once

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QString>
#include <cstdint>

class QPainter;

namespace vellary::textview {

// A colour value 0x00BBGGRR as a QColor.
inline QColor fromColorRef(uint32_t c) {
  return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>((c >> 16) & 0xFF));
}

// A font from a stored face name ("ＭＳ 明朝", "@ＭＳ 明朝", "Century" …) at a pixel size. The
// installed face comes from the font substitutions the application registers; a Japanese face is
// the fallback, so that Japanese text never turns into boxes.
QFont storedFont(const QString& storedName, int pixelSize, bool bold = false);
// A stored name of a vertical face begins with "@".
inline bool isVerticalFace(const QString& storedName) { return storedName.startsWith(u'@'); }

// Text whose cell's top-left corner is at `ref`, turned by `escapement` tenths of a degree
// counter-clockwise (−900: a quarter turn clockwise, so the text runs downwards and its cell
// extends left of ref).
void textOut(QPainter& p, const QFont& font, QPoint ref, int escapement, const QString& text);

// Whether a character stands upright in vertical writing (ideographs, kana, full-width forms)
// rather than lying on its side (Latin, half-width forms).
bool uprightInVertical(char32_t code);

// One character of a vertical line drawn as a vertical face turned a quarter turn clockwise
// does it: the cell is [ref.x − size, ref.x] × [ref.y, ref.y + size]; upright characters take
// their vertical forms, the others lie on their side.
void verticalCharOut(QPainter& p, const QFont& font, QPoint ref, const QString& text);

// The advance of `text` in the font, in pixels.
int textWidth(const QFont& font, const QString& text);

}  // namespace vellary::textview
