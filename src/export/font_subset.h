// Installed fonts for the files that carry their fonts (XPS, PDF): the face that stands for a
// font the document names, its glyphs and metrics, and subsets of it with only the glyphs a
// document uses, so that a file carries its fonts without carrying whole CJK faces.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct hb_blob_t;
struct hb_face_t;
struct hb_font_t;

namespace vellary::exporting {

enum SubsetResult : int {
  kSubsetOk = 0,
  kSubsetCannotOpen = -1,  // the source font cannot be read, or the subset file not written
  kSubsetNoMemory = -2,
  kSubsetNoFont = -3,       // no installed face stands for the character set
  kSubsetNotAFont = -4,     // the source file holds no font face
  kSubsetNothingMade = -5,  // the subsetter produced no font
};

// A face inside a font file (index > 0 inside a collection).
struct FontSource {
  std::string path;  // UTF-8
  int index = 0;
};

// The installed face that stands for a character set's font: a Mincho face for Japanese (128),
// a broad sans-serif face otherwise. Among the faces fontconfig offers, the first that holds all
// of `chars`, else the one that holds most of them. Nothing when no outline font is installed.
std::optional<FontSource> findSubsetSource(int charset, const std::vector<char32_t>& chars);

// Writes the subset of `source` for `chars` (plus what every font needs: .notdef, the layout
// tables of the kept glyphs) to `outPath`, and reports it on standard output in one line.
int subsetFont(const FontSource& source, const std::vector<char32_t>& chars,
               const std::string& outPath);

// findSubsetSource, then subsetFont.
int makeFontSubset(int charset, const std::vector<char32_t>& chars, const std::string& outPath);

// The kinds of face a document's fonts stand for.
enum class FaceStyle { Mincho, Gothic, LatinSerif, LatinSans, SimplifiedChinese,
                       TraditionalChinese, Korean };

// The installed face for a style (the first outline face fontconfig offers for its families and
// language); nothing when no outline font is installed.
std::optional<FontSource> findFace(FaceStyle style);

// A face opened for its glyphs and metrics. Metrics are in ems; y grows upwards from the
// baseline. Not to be shared between threads (it keeps a cache of vertical forms).
class FontFace {
 public:
  static std::unique_ptr<FontFace> open(const FontSource& source);
  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  const FontSource& source() const { return source_; }
  // 0 when the face has no glyph for the character.
  unsigned glyph(char32_t code) const;
  // The glyph vertical writing draws for the character: its vertical form where the face has one.
  unsigned verticalGlyph(char32_t code);
  double advance(unsigned glyph) const;
  struct Box {
    double left = 0, bottom = 0, right = 0, top = 0;
    bool empty() const { return right <= left || top <= bottom; }
  };
  Box ink(unsigned glyph) const;  // empty for a glyph that draws nothing
  double ascender() const { return ascender_; }
  double descender() const { return descender_; }  // negative below the baseline
  Box boundingBox() const { return bbox_; }        // of every glyph of the face
  // The face's PostScript name, letters and digits only ("IPAMincho").
  std::string postScriptName() const;

 private:
  FontFace() = default;
  FontSource source_;
  hb_blob_t* blob_ = nullptr;
  hb_face_t* face_ = nullptr;
  hb_font_t* font_ = nullptr;
  double upem_ = 1000;
  double ascender_ = 0.88, descender_ = -0.12;
  Box bbox_{0, -0.12, 1, 0.88};
  std::map<char32_t, unsigned> vertical_;
};

// A subset of `source` that keeps `glyphs` (ids of the whole face; .notdef is always kept) and
// drops the layout tables, with the id each kept glyph has in the subset. kSubsetOk or a
// failure code.
struct GlyphSubset {
  std::string bytes;
  std::map<unsigned, unsigned> newIds;  // whole-face id → subset id
};
int subsetGlyphs(const FontSource& source, const std::vector<unsigned>& glyphs, GlyphSubset& out);

}  // namespace vellary::exporting
