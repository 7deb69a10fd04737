// Glyph drawing: fonts from stored names, turned text, and vertical forms looked up with
// HarfBuzz in the font's own tables.
#include "textview/glyphs.h"

#include <hb-ot.h>
#include <hb.h>

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
#include <memory>
#include <unordered_map>

namespace vellary::textview {

namespace {

QString faceOf(const QString& storedName) {
  return isVerticalFace(storedName) ? storedName.mid(1) : storedName;
}

// Characters that turn a quarter in vertical writing when the font has no vertical form for
// them: long vowel mark, dashes, waves, ellipses, brackets, equals and minus signs.
bool turnsWithoutVerticalForm(char32_t c) {
  switch (c) {
    case 0x30FC: case 0x2010: case 0x2014: case 0x2015: case 0x2025: case 0x2026:
    case 0x301C: case 0xFF5E: case 0xFF08: case 0xFF09: case 0xFF3B: case 0xFF3D:
    case 0xFF5B: case 0xFF5D: case 0xFF1D: case 0xFF0D: case 0x2212: case 0xFF5C:
    case 0x2225: case 0xFF1C: case 0xFF1E: case 0xFF3F: case 0x2192: case 0x2190:
      return true;
    default:
      return c >= 0x3008 && c <= 0x301B;
  }
}

// Small punctuation that sits in the top-right corner of a vertical cell.
bool shiftsWithoutVerticalForm(char32_t c) {
  return c == 0x3001 || c == 0x3002 || c == 0xFF0C || c == 0xFF0E;
}

hb_blob_t* referenceTable(hb_face_t*, hb_tag_t tag, void* user) {
  const auto* raw = static_cast<const QRawFont*>(user);
  const char name[4] = {static_cast<char>(tag >> 24), static_cast<char>(tag >> 16),
                        static_cast<char>(tag >> 8), static_cast<char>(tag)};
  auto* data = new QByteArray(raw->fontTable(name));
  if (data->isEmpty()) {
    delete data;
    return nullptr;
  }
  return hb_blob_create(data->constData(), static_cast<unsigned>(data->size()),
                        HB_MEMORY_MODE_READONLY, data,
                        [](void* d) { delete static_cast<QByteArray*>(d); });
}

// One installed face: its HarfBuzz font for the vertical forms and the found forms.
struct Face {
  QRawFont raw;  // at some size; glyph indexes do not depend on it
  hb_face_t* hbFace = nullptr;
  hb_font_t* hbFont = nullptr;
  double emAscent = 0.88;  // the ideographic em box's top above the baseline, in ems
  std::unordered_map<char32_t, quint32> vertical;

  explicit Face(const QRawFont& r) : raw(r) {
    hbFace = hb_face_create_for_tables(referenceTable, &raw, nullptr);
    hbFont = hb_font_create(hbFace);
    const QByteArray os2 = raw.fontTable("OS/2");
    if (os2.size() >= 72) {
      auto s16 = [&](int at) {
        return static_cast<int16_t>((static_cast<uint8_t>(os2[at]) << 8) |
                                    static_cast<uint8_t>(os2[at + 1]));
      };
      const int ascender = s16(68), descender = s16(70);
      if (ascender > 0 && ascender - descender > 0)
        emAscent = static_cast<double>(ascender) / (ascender - descender);
    }
  }
  ~Face() {
    hb_font_destroy(hbFont);
    hb_face_destroy(hbFace);
  }
  Face(const Face&) = delete;
  Face& operator=(const Face&) = delete;

  // The glyph of the character's vertical form; the horizontal glyph when the font has none
  // (then `substituted` is false), 0 when the font lacks the character.
  quint32 verticalGlyph(const QString& text, char32_t code, bool& substituted) {
    const QList<quint32> plain = raw.glyphIndexesForString(text);
    const quint32 horizontal = plain.size() == 1 ? plain.front() : 0;
    auto it = vertical.find(code);
    if (it == vertical.end()) {
      quint32 glyph = horizontal;
      if (horizontal != 0) {
        hb_buffer_t* buf = hb_buffer_create();
        hb_buffer_add_utf16(buf, reinterpret_cast<const uint16_t*>(text.utf16()),
                            static_cast<int>(text.size()), 0, static_cast<int>(text.size()));
        hb_buffer_guess_segment_properties(buf);
        hb_buffer_set_direction(buf, HB_DIRECTION_TTB);
        hb_buffer_set_language(buf, hb_language_from_string("ja", -1));
        hb_shape(hbFont, buf, nullptr, 0);
        unsigned n = 0;
        const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buf, &n);
        if (n == 1 && info[0].codepoint != 0) glyph = info[0].codepoint;
        hb_buffer_destroy(buf);
      }
      it = vertical.emplace(code, glyph).first;
    }
    substituted = it->second != horizontal;
    return it->second;
  }
};

struct Caches {
  std::unordered_map<QString, std::unique_ptr<Face>> faces;  // by family and style
  std::unordered_map<QString, QRawFont> raws;                // by the font's key (with size)
};

Caches& caches() {
  static Caches c;
  return c;
}

const QRawFont& rawFor(const QFont& font) {
  auto& raws = caches().raws;
  const QString key = font.key();
  auto it = raws.find(key);
  if (it == raws.end()) it = raws.emplace(key, QRawFont::fromFont(font)).first;
  return it->second;
}

Face& faceFor(const QRawFont& raw) {
  auto& faces = caches().faces;
  const QString key = raw.familyName() + u'/' + raw.styleName();
  auto it = faces.find(key);
  if (it == faces.end()) it = faces.emplace(key, std::make_unique<Face>(raw)).first;
  return *it->second;
}

char32_t firstCode(const QString& text) {
  if (text.isEmpty()) return 0;
  if (text.size() > 1 && text.at(0).isHighSurrogate())
    return QChar::surrogateToUcs4(text.at(0), text.at(1));
  return text.at(0).unicode();
}

void lyingOut(QPainter& p, const QFont& font, QPoint ref, const QString& text) {
  textOut(p, font, ref, -900, text);
}

}  // namespace

QFont storedFont(const QString& storedName, int pixelSize, bool bold) {
  const QString face = faceOf(storedName);
  QFont f(face);
  const bool gothic = face.contains(QStringLiteral("ゴシック")) ||
                      face.contains(QStringLiteral("Gothic"), Qt::CaseInsensitive);
  QStringList families{face};
  families += QFont::substitutes(face);
  families += gothic ? QStringLiteral("IPAGothic") : QStringLiteral("IPAMincho");
  f.setFamilies(families);
  f.setPixelSize(std::max(1, pixelSize));
  f.setWeight(bold ? QFont::Bold : QFont::Normal);
  f.setStyleStrategy(QFont::PreferAntialias);
  f.setHintingPreference(QFont::PreferNoHinting);
  return f;
}

void textOut(QPainter& p, const QFont& font, QPoint ref, int escapement, const QString& text) {
  p.save();
  p.translate(ref);
  if (escapement != 0) p.rotate(-escapement / 10.0);
  p.setFont(font);
  p.drawText(QPointF(0, QFontMetricsF(font).ascent()), text);
  p.restore();
}

bool uprightInVertical(char32_t c) {
  if (c >= 0x391 && c <= 0x3C9) return true;  // Greek and Cyrillic of the Japanese code page
  if (c >= 0x401 && c <= 0x451) return true;
  if (c < 0x1100) return false;
  if (c >= 0xFF61 && c <= 0xFF9F) return false;  // half-width katakana
  if (c >= 0xFFE8 && c <= 0xFFEE) return false;
  return true;
}

void verticalCharOut(QPainter& p, const QFont& font, QPoint ref, const QString& text) {
  const char32_t code = firstCode(text);
  const int s = font.pixelSize();
  if (!uprightInVertical(code) || text.size() > (code > 0xFFFF ? 2 : 1)) {
    lyingOut(p, font, ref, text);
    return;
  }
  const QRawFont& raw = rawFor(font);
  if (!raw.isValid()) {
    textOut(p, font, QPoint(ref.x() - s, ref.y()), 0, text);
    return;
  }
  Face& face = faceFor(raw);
  bool substituted = false;
  const quint32 glyph = face.verticalGlyph(text, code, substituted);
  if (glyph == 0) {
    // Not in this face: the font system's fallback draws it upright.
    textOut(p, font, QPoint(ref.x() - s, ref.y()), 0, text);
    return;
  }
  if (!substituted && turnsWithoutVerticalForm(code)) {
    lyingOut(p, font, ref, text);
    return;
  }
  QPointF origin(ref.x() - s, ref.y() + face.emAscent * s);
  const QList<QPointF> advances = raw.advancesForGlyphIndexes(QList<quint32>{glyph});
  if (!advances.isEmpty()) origin.rx() += (s - advances.front().x()) / 2.0;
  if (!substituted && shiftsWithoutVerticalForm(code)) origin += QPointF(0.6 * s, -0.6 * s);
  QGlyphRun run;
  run.setRawFont(raw);
  run.setGlyphIndexes({glyph});
  run.setPositions({QPointF(0, 0)});
  p.drawGlyphRun(origin, run);
}

int textWidth(const QFont& font, const QString& text) {
  return static_cast<int>(QFontMetricsF(font).horizontalAdvance(text));
}

}  // namespace vellary::textview
