// The page's rendering: line images, glyph forms and placement by colour mode, ruby frames.
#include "textview/page_painter.h"

#include <QPainter>
#include <QTransform>

#include "appcore/settings.h"
#include "editing/layout_marks.h"
#include "rovorirud/codec.h"
#include "textview/glyphs.h"

namespace vellary::textview {

using editing::GlyphPlace;
using editing::LinePlace;

const std::array<uint32_t, 16> kFixedPalette = {
    0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF, 0xFFFF00,
    0x7F7F7F, 0xBFBFBF, 0x00007F, 0x007F00, 0x7F0000, 0x007F7F, 0x7F007F, 0x7F7F00};

namespace {

constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kPaleRed = 0x7F7FFF;
constexpr uint32_t kBlue = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kMarkGrey = 0xC0C0C0;
const QColor kFlowRow(192, 214, 255);
const QString kMincho = QStringLiteral("ＭＳ 明朝");
const QString kGeta = QStringLiteral("〓");

QString orDefault(const std::string& s, const QString& fallback) {
  return s.empty() ? fallback : QString::fromStdString(s);
}

bool isParen(char32_t c) { return c == u'(' || c == u')'; }

// The character's code page 932 form as one number (0x8141 …), 0 when it has none.
int sjisOf(char16_t c) {
  char b[3];
  if (rovorirud::Codec::cp932().encodeOne(c, b) != 2) return 0;
  return (static_cast<unsigned char>(b[0]) << 8) | static_cast<unsigned char>(b[1]);
}

// Where the class colour mode moves a punctuation glyph of a vertical line in a face without
// vertical forms: h left, v down (in units of the glyph size), and its turn.
struct PunctPlace {
  double h = 0, v = 0;
  int escapement = 0;
};
PunctPlace punctuationPlace(char16_t c, int s) {
  if (c == u'(' || c == u')') return {-1.0 * s, 0, -900};
  if (c == 0xA1) return {1.0 * s, 0, 0};
  if (c == 0xAB || c == 0xBB) return {-2.0 * s, 0, -900};
  const int sj = sjisOf(c);
  if (sj >= 0x8141 && sj <= 0x8144) {
    const int t = 2 * s / 3;
    return {-1.0 * t, -1.0 * t, 0};
  }
  if (sj == 0x815B) return {0, 1.0 * s, 900};
  if ((sj >= 0x8160 && sj <= 0x8164) || (sj >= 0x8169 && sj <= 0x817A) || sj == 0x8181)
    return {-1.0 * s, static_cast<double>(s / 4), -900};
  return {};
}

}  // namespace

RenderSettings RenderSettings::from(const appcore::FrameSettings& frame,
                                    const appcore::AppSettings& app) {
  RenderSettings r;
  r.colourMode = appcore::colourModeOf(frame.textColourMode);
  r.rejectLevel = frame.rejectLevel;
  r.rejectRecolour = frame.rejectRecolour != 0;
  r.rejectShowChar = frame.rejectShowChar != 0;
  r.showChanged = frame.showChanged != 0;
  r.editLine = static_cast<uint32_t>(frame.editLineColour);
  r.nonEditLine = static_cast<uint32_t>(frame.nonEditLineColour);
  r.textBackground = static_cast<uint32_t>(frame.textBackground);
  r.changedColour = static_cast<uint32_t>(frame.changedColour);
  for (size_t i = 0; i < 16; ++i) {
    r.palette[i] = kFixedPalette[i];
    r.palette[16 + i] = frame.userColours[i];
  }
  for (size_t i = 0; i < 15; ++i) {
    r.classColours[i] = std::clamp(frame.classColours[i], 0, 31);
    r.classFonts[i] = orDefault(frame.classFonts[i], kMincho);
  }
  r.japaneseFont = orDefault(app.japaneseFont, kMincho);
  r.japaneseVerticalFont = orDefault(app.japaneseVerticalFont, QStringLiteral("@ＭＳ 明朝"));
  r.latinFont = orDefault(app.latinFont, QStringLiteral("Century"));
  r.simplifiedChineseFont = orDefault(app.simplifiedChineseFont, r.japaneseFont);
  r.traditionalChineseFont = orDefault(app.traditionalChineseFont, r.japaneseFont);
  r.hangulFont = orDefault(app.hangulFont, r.japaneseFont);
  return r;
}

// The faces of one line: its own face (vertical or not) and the upright Latin face.
struct PagePainter::LineFonts {
  QString face;
  bool verticalFace = false;
  QFont line;     // the line's face at the line's size
  QFont upright;  // the line's face with a vertical face's "@" dropped
  QFont latin;
  bool bold = false;
};

PagePainter::LineFonts PagePainter::fontsFor(const LinePlace& lp) const {
  LineFonts f;
  const int s = lp.fontPx;
  if (lp.textFlow) {
    f.bold = true;
    f.face = lp.vertical ? u'@' + s_.flowFont : s_.flowFont;
  } else {
    switch (lp.block->langId) {
      case 134: f.face = s_.simplifiedChineseFont; break;
      case 136: f.face = s_.traditionalChineseFont; break;
      case 129: f.face = s_.hangulFont; break;
      case model::kLangJapanese:
        f.face = lp.vertical ? s_.japaneseVerticalFont : s_.japaneseFont;
        break;
      default: f.face = s_.latinFont; break;
    }
  }
  f.verticalFace = lp.vertical && isVerticalFace(f.face);
  f.line = storedFont(f.face, s, f.bold);
  f.upright = f.line;
  f.latin = storedFont(lp.textFlow ? s_.flowFont : s_.latinFont, s, f.bold);
  return f;
}

void PagePainter::paintPage(QImage& canvas, const editing::PageLayout& layout,
                            const QImage* pageImage, const model::LineData* caretLine) const {
  canvas.fill(Qt::white);
  QPainter p(&canvas);
  p.setRenderHint(QPainter::SmoothPixmapTransform, true);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  const bool flow = layout.params.display != appcore::TextDisplay::Layout;
  const bool beside = !flow && layout.params.pane == appcore::ImagePane::ImageBeside;
  for (const auto& fill : layout.textBlockFills) p.fillRect(toQRect(fill), fromColorRef(s_.textBackground));
  for (const auto& image : layout.images) {
    if (pageImage != nullptr)
      p.drawImage(toQRect(image.dest), *pageImage, toQRect(image.source));
    p.setPen(QPen(QColor(255, 0, 0), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(toQRect(image.dest).adjusted(0, 0, -1, -1));
  }
  if (flow || beside)
    for (const LinePlace& lp : layout.lines) drawLineImage(p, lp, pageImage);
  for (const LinePlace& lp : layout.lines) drawLine(p, lp, lp.line == caretLine);
  if (!flow)
    for (const LinePlace& lp : layout.lines) drawRubyFrames(p, lp);
}

QRect PagePainter::redrawLine(QImage& canvas, const editing::PageLayout& layout,
                              const LinePlace& line, const QImage* pageImage,
                              bool isCaretLine) const {
  const QRect box = toQRect(line.box).intersected(canvas.rect());
  if (box.isEmpty()) return box;
  QPainter p(&canvas);
  p.setClipRect(box);
  p.setRenderHint(QPainter::SmoothPixmapTransform, true);
  const bool flow = layout.params.display != appcore::TextDisplay::Layout;
  const bool beside = !flow && layout.params.pane == appcore::ImagePane::ImageBeside;
  p.fillRect(box, beside ? fromColorRef(s_.textBackground) : QColor(Qt::white));
  if (flow || beside) drawLineImage(p, line, pageImage);
  drawLine(p, line, isCaretLine);
  if (flow) return box;
  // The side lines that sit on this line, and the frames of its rubies.
  for (const LinePlace& side : layout.lines) {
    if (side.line->baseLine != line.line || editing::isNormalLine(*side.line)) continue;
    drawLine(p, side, false);
    drawRubyFrames(p, side);
  }
  return box;
}

void PagePainter::drawLineImage(QPainter& p, const LinePlace& lp, const QImage* pageImage) const {
  if (pageImage == nullptr || pageImage->isNull() || !lp.hasImage) return;
  const QRect source = toQRect(lp.imageSource).intersected(pageImage->rect());
  // A line whose box lies outside the picture has no image and no row.
  if (source.isEmpty()) return;
  if (lp.textFlow) {
    p.fillRect(toQRect(lp.rowBackground), kFlowRow);
    p.fillRect(toQRect(lp.bandBackground), Qt::white);
  }
  const QRect dest = toQRect(lp.imageDest);
  if (dest.isEmpty()) return;
  const QImage piece = pageImage->copy(source);
  const bool blockVertical = lp.block->direction == model::Vertical;
  if (lp.textFlow && blockVertical != lp.vertical) {
    // A vertical line read across turns a quarter anticlockwise so that its start is on the
    // left; a horizontal line read down turns clockwise so that its start is at the top.
    QTransform turn;
    turn.rotate(blockVertical ? -90 : 90);
    p.drawImage(dest, piece.transformed(turn, Qt::SmoothTransformation));
  } else {
    p.drawImage(dest, piece);
  }
}

void PagePainter::drawRubyFrames(QPainter& p, const LinePlace& lp) const {
  if (lp.line->attr != model::AttrRuby) return;
  p.setBrush(Qt::NoBrush);
  if (!lp.baseFrame.empty()) {
    p.setPen(QPen(fromColorRef(kPaleRed), 2));
    p.drawRect(toQRect(lp.baseFrame).adjusted(1, 1, -1, -1));
  }
  if (!lp.rubyFrame.empty()) {
    p.setPen(QPen(QColor(255, 0, 0), 1));
    p.drawRect(toQRect(lp.rubyFrame).adjusted(0, 0, -1, -1));
  }
}

void PagePainter::drawLine(QPainter& p, const LinePlace& lp, bool isCaretLine) const {
  if (lp.glyphs.empty()) return;
  const LineFonts fonts = fontsFor(lp);
  const int s = lp.fontPx;
  using appcore::ColourMode;
  const ColourMode mode = s_.colourMode;
  const bool side = !editing::isNormalLine(*lp.line);
  const bool textBlock = lp.block->type != model::BlockTable;
  const uint32_t lineColour =
      mode == ColourMode::EditLine ? (isCaretLine ? s_.editLine : s_.nonEditLine) : 0x000000;
  p.setBrush(Qt::NoBrush);

  auto chars = lp.line->chars.begin();
  int at = 0;
  for (const GlyphPlace& g : lp.glyphs) {
    std::advance(chars, g.index - at);
    at = g.index;
    // The cell's text, and what its characters have in common.
    QString text;
    bool reject = false, changed = false;
    auto it = chars;
    for (int k = 0; k < g.count; ++it, ++k) {
      text += QString::fromUtf16(it->text.data(), model::charTextLength(it->text));
      reject |= editing::isReject(it->cc, s_.rejectLevel);
      changed |= it->changed != 0;
    }
    const model::CharData& ch = *chars;
    const model::CharData& last = *std::prev(it);
    const char16_t code = ch.text[0];
    const bool group = g.count > 1 || ch.modRotTcy == model::kTateChuYoko;
    const bool big = code > 0xFF || isParen(code);
    const bool lastBig = last.text[0] > 0xFF || isParen(last.text[0]);

    // Colour by mode.
    uint32_t colour = lineColour;
    const bool rejectCounts = reject && (mode == ColourMode::CharacterClass || !side);
    switch (mode) {
      case ColourMode::Normal:
        if (s_.rejectRecolour && rejectCounts)
          colour = kRed;
        else if (s_.showChanged && ch.changed > 0)
          colour = s_.changedColour;
        break;
      case ColourMode::EditLine:
        if (s_.rejectRecolour && rejectCounts) colour = isCaretLine ? kRed : kPaleRed;
        break;
      case ColourMode::CharacterClass:
        colour = s_.palette[s_.classColours[editing::charClass(code)]];
        break;
      case ColourMode::Registered:
        colour = ch.registeredMark == 1 ? kRed : 0x000000;
        break;
    }
    if (group && s_.showChanged && changed) colour = s_.changedColour;
    bool geta = s_.rejectShowChar && rejectCounts && mode != ColourMode::Registered;

    // Control characters and spaces have marks of their own.
    enum class Form { Plain, Return, Space } form = Form::Plain;
    if (!group) {
      if (code == u'\n') {
        text = QStringLiteral("↵");
        colour = kBlue;
        geta = false;
      } else if (code == u'\r') {
        text = QStringLiteral("↵");
        if (mode != ColourMode::CharacterClass) colour = kGreen;
        form = Form::Return;
        geta = false;
      } else if (code == u' ') {
        text = QStringLiteral("▯");
        colour = kMarkGrey;
        form = Form::Space;
        geta = false;
      } else if (code == 0x3000) {
        text = QStringLiteral("□");
        colour = kMarkGrey;
        geta = false;
      }
    }
    p.setPen(fromColorRef(colour));
    const int x = g.x, y = g.y;

    if (!lp.vertical) {
      QFont font = fonts.line;
      if (mode == ColourMode::CharacterClass && !lp.textFlow) font = storedFont(s_.classFonts[editing::charClass(code)], s);
      if (form == Form::Return) font = storedFont(kMincho, s, fonts.bold);
      textOut(p, font, QPoint(x, y), 0, geta ? kGeta : text);
      continue;
    }

    // Vertical lines.
    if (form == Form::Return) {
      textOut(p, storedFont(kMincho, s, fonts.bold), QPoint(x - s, y), 0, text);
      continue;
    }
    if (form == Form::Space) {
      const QFont face = mode == ColourMode::CharacterClass ? storedFont(kMincho, s) : fonts.latin;
      textOut(p, face, QPoint(x - 3 * s / 4, y), 0, text);
      continue;
    }
    // The line's face at a cell whose right edge is `right`: vertical faces turn the cell a
    // quarter and give upright characters their vertical forms; other faces draw upright.
    auto lineFaceOut = [&](const QFont& font, bool vertical, int right, const QString& t) {
      if (vertical)
        verticalCharOut(p, font, QPoint(right, y), t);
      else
        textOut(p, font, QPoint(right - s, y), 0, t);
    };
    // A tate-chu-yoko group stands upright in one cell, centred, squeezed when wider.
    auto groupOut = [&](const QFont& font, const QString& t) {
      const int w = textWidth(font, t);
      if (w <= s) {
        textOut(p, font, QPoint(x - s + (s - w) / 2, y), 0, t);
        return;
      }
      p.save();
      p.translate(x - s, y);
      p.scale(static_cast<double>(s) / w, 1.0);
      textOut(p, font, QPoint(0, 0), 0, t);
      p.restore();
    };

    if (mode == ColourMode::Registered) {
      lineFaceOut(fonts.line, fonts.verticalFace, x - lp.shift, text);
      continue;
    }
    if (mode == ColourMode::CharacterClass && !lp.textFlow) {
      const QString classFace = s_.classFonts[editing::charClass(code)];
      const QFont face = storedFont(classFace, s);
      const bool atFace = isVerticalFace(classFace);
      if (group) {
        groupOut(lastBig ? storedFont(s_.latinFont, s) : face, text);
      } else if (ch.modRotTcy == model::kSideways) {
        textOut(p, face, QPoint(x, y), -900, text);
      } else if (atFace) {
        if (big)
          verticalCharOut(p, face, QPoint(x, y), geta ? kGeta : text);
        else
          textOut(p, face, QPoint(x - s, y), 0, text);
      } else {
        PunctPlace place = punctuationPlace(code, s);
        if (textBlock) place.h += s;
        if (lp.line->attr == model::AttrEmph && code == 0x30FB)
          place.v = -static_cast<int>(0.35 * s);
        const bool keepsFace = big;
        textOut(p, face, QPoint(x - static_cast<int>(place.h), y + static_cast<int>(place.v)),
                place.escapement, geta && keepsFace ? kGeta : text);
      }
      continue;
    }

    // Colour modes 0 and 1, and the text-flow display.
    if (group) {
      if (geta)
        textOut(p, storedFont(s_.japaneseFont, s, fonts.bold), QPoint(x - s, y), 0, kGeta);
      else
        groupOut(lastBig ? storedFont(s_.japaneseFont, s, fonts.bold) : fonts.latin, text);
    } else if (ch.modRotTcy == model::kSideways) {
      textOut(p, fonts.upright, QPoint(x, y), -900, geta ? kGeta : text);
    } else if (big) {
      lineFaceOut(fonts.line, fonts.verticalFace, x - lp.shift, geta ? kGeta : text);
    } else if (geta) {
      textOut(p, fonts.upright, QPoint(x, y), -900, kGeta);
    } else {
      textOut(p, fonts.latin, QPoint(x - s, y), 0, text);
    }
  }
}

}  // namespace vellary::textview
