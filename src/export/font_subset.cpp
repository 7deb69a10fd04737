// Font subsets through fontconfig (which face) and HarfBuzz's subsetter (which glyphs).
#include "export/font_subset.h"

#include <fontconfig/fontconfig.h>
#include <hb-ot.h>
#include <hb-subset.h>
#include <hb.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>

#include "model/atomic_file.h"

namespace vellary::exporting {

namespace {

template <class T, void (*Free)(T*)>
struct Deleter {
  void operator()(T* p) const { Free(p); }
};
using Blob = std::unique_ptr<hb_blob_t, Deleter<hb_blob_t, hb_blob_destroy>>;
using Face = std::unique_ptr<hb_face_t, Deleter<hb_face_t, hb_face_destroy>>;
using Input =
    std::unique_ptr<hb_subset_input_t, Deleter<hb_subset_input_t, hb_subset_input_destroy>>;
using Pattern = std::unique_ptr<FcPattern, Deleter<FcPattern, FcPatternDestroy>>;
using FontSet = std::unique_ptr<FcFontSet, Deleter<FcFontSet, FcFontSetDestroy>>;
using CharSet = std::unique_ptr<FcCharSet, Deleter<FcCharSet, FcCharSetDestroy>>;

// A fontconfig pattern for the first of `families` that can write `language`.
Pattern patternOf(std::initializer_list<const char*> families, const char* language) {
  Pattern p(FcPatternCreate());
  if (!p) return p;
  for (const char* name : families)
    FcPatternAddString(p.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(name));
  if (language != nullptr)
    FcPatternAddString(p.get(), FC_LANG, reinterpret_cast<const FcChar8*>(language));
  FcPatternAddBool(p.get(), FC_OUTLINE, FcTrue);
  FcConfigSubstitute(nullptr, p.get(), FcMatchPattern);
  FcDefaultSubstitute(p.get());
  return p;
}

// The faces that stand for the document's fonts: a Mincho for Japanese text, and a sans-serif
// face broad enough for Chinese and Korean text.
Pattern patternFor(int charset) {
  if (charset == 128) return patternOf({"IPAMincho", "IPA明朝", "Noto Serif CJK JP", "serif"}, "ja");
  return patternOf({"Arial Unicode MS", "Noto Sans CJK SC", "sans-serif"}, nullptr);
}

Pattern patternFor(FaceStyle style) {
  switch (style) {
    case FaceStyle::Mincho:
      return patternFor(128);
    case FaceStyle::Gothic:
      return patternOf({"IPAGothic", "IPAゴシック", "Noto Sans CJK JP", "sans-serif"}, "ja");
    case FaceStyle::LatinSerif:
      return patternOf({"Liberation Serif", "DejaVu Serif", "serif"}, "en");
    case FaceStyle::LatinSans:
      return patternOf({"Liberation Sans", "DejaVu Sans", "sans-serif"}, "en");
    case FaceStyle::SimplifiedChinese:
      return patternOf({"Noto Serif CJK SC", "AR PL SungtiL GB", "serif"}, "zh-cn");
    case FaceStyle::TraditionalChinese:
      return patternOf({"Noto Serif CJK TC", "AR PL Mingti2L Big5", "serif"}, "zh-tw");
    case FaceStyle::Korean:
      return patternOf({"Noto Serif CJK KR", "UnBatang", "serif"}, "ko");
  }
  return patternFor(128);
}

// TrueType and OpenType faces only: the subsetter reads nothing else.
bool subsettable(FcPattern* font) {
  FcChar8* format = nullptr;
  if (FcPatternGetString(font, FC_FONTFORMAT, 0, &format) != FcResultMatch) return false;
  const std::string f(reinterpret_cast<const char*>(format));
  return f == "TrueType" || f == "CFF";
}

}  // namespace

// Calls visit(face, source) for each subsettable face fontconfig offers for the pattern, best
// match first, until it returns false.
template <class Visit>
void forEachFace(Pattern pattern, Visit&& visit) {
  if (!FcInit() || !pattern) return;
  FcResult result = FcResultNoMatch;
  FontSet fonts(FcFontSort(nullptr, pattern.get(), FcFalse, nullptr, &result));
  if (!fonts) return;
  for (int i = 0; i < fonts->nfont; ++i) {
    FcPattern* font = fonts->fonts[i];
    FcChar8* file = nullptr;
    if (!subsettable(font) || FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch)
      continue;
    int index = 0;
    FcPatternGetInteger(font, FC_INDEX, 0, &index);
    if (!visit(font, FontSource{reinterpret_cast<const char*>(file), index})) return;
  }
}

std::optional<FontSource> findSubsetSource(int charset, const std::vector<char32_t>& chars) {
  std::optional<FontSource> best;
  size_t bestCovered = 0;
  forEachFace(patternFor(charset), [&](FcPattern* font, const FontSource& source) {
    FcCharSet* coverage = nullptr;
    size_t covered = 0;
    if (FcPatternGetCharSet(font, FC_CHARSET, 0, &coverage) == FcResultMatch)
      for (char32_t c : chars) covered += FcCharSetHasChar(coverage, c) ? 1 : 0;
    if (!best || covered > bestCovered) {
      best = source;
      bestCovered = covered;
    }
    return covered != chars.size();
  });
  return best;
}

int subsetFont(const FontSource& source, const std::vector<char32_t>& chars,
               const std::string& outPath) {
  try {
    Blob blob(hb_blob_create_from_file_or_fail(source.path.c_str()));
    if (!blob) return kSubsetCannotOpen;
    const unsigned originalSize = hb_blob_get_length(blob.get());
    Face face(hb_face_create(blob.get(), static_cast<unsigned>(source.index)));
    if (!face || hb_face_get_glyph_count(face.get()) == 0) return kSubsetNotAFont;

    Input input(hb_subset_input_create_or_fail());
    if (!input) return kSubsetNoMemory;
    hb_set_t* unicodes = hb_subset_input_unicode_set(input.get());
    for (char32_t c : chars) hb_set_add(unicodes, c);
    if (!hb_set_allocation_successful(unicodes)) return kSubsetNoMemory;

    Face subset(hb_subset_or_fail(face.get(), input.get()));
    if (!subset) return kSubsetNothingMade;
    Blob bytes(hb_face_reference_blob(subset.get()));
    unsigned length = 0;
    const char* data = hb_blob_get_data(bytes.get(), &length);
    if (data == nullptr || length == 0) return kSubsetNothingMade;

    std::string error;
    if (!model::replaceFileContents(outPath, std::string_view(data, length), error))
      return kSubsetCannotOpen;
    std::printf("Subset: '%s' %d glyphs, original size: %d bytes -> subset size: %d bytes\n",
                source.path.c_str(), static_cast<int>(hb_face_get_glyph_count(subset.get())),
                static_cast<int>(originalSize), static_cast<int>(length));
    std::fflush(stdout);
    return kSubsetOk;
  } catch (const std::bad_alloc&) {
    return kSubsetNoMemory;
  }
}

int makeFontSubset(int charset, const std::vector<char32_t>& chars, const std::string& outPath) {
  try {
    const std::optional<FontSource> source = findSubsetSource(charset, chars);
    if (!source) return kSubsetNoFont;
    return subsetFont(*source, chars, outPath);
  } catch (const std::bad_alloc&) {
    return kSubsetNoMemory;
  }
}


std::optional<FontSource> findFace(FaceStyle style) {
  std::optional<FontSource> found;
  forEachFace(patternFor(style), [&](FcPattern*, const FontSource& source) {
    found = source;
    return false;
  });
  return found;
}

std::unique_ptr<FontFace> FontFace::open(const FontSource& source) {
  std::unique_ptr<FontFace> f(new FontFace);
  f->source_ = source;
  f->blob_ = hb_blob_create_from_file_or_fail(source.path.c_str());
  if (f->blob_ == nullptr) return nullptr;
  f->face_ = hb_face_create(f->blob_, static_cast<unsigned>(source.index));
  if (hb_face_get_glyph_count(f->face_) == 0) return nullptr;
  const unsigned upem = hb_face_get_upem(f->face_);
  f->upem_ = upem > 0 ? upem : 1000;
  f->font_ = hb_font_create(f->face_);
  hb_font_set_scale(f->font_, static_cast<int>(f->upem_), static_cast<int>(f->upem_));
  hb_font_extents_t ext{};
  if (hb_font_get_h_extents(f->font_, &ext) && ext.ascender - ext.descender > 0) {
    // Ascender and descender as parts of the em, so that the two span one em.
    const double total = ext.ascender - ext.descender;
    f->ascender_ = ext.ascender / total;
    f->descender_ = ext.descender / total;
  }
  // The face's bounding box from its head table: xMin, yMin, xMax, yMax at bytes 36 to 43.
  hb_blob_t* head = hb_face_reference_table(f->face_, HB_TAG('h', 'e', 'a', 'd'));
  unsigned length = 0;
  const auto* h = reinterpret_cast<const unsigned char*>(hb_blob_get_data(head, &length));
  if (h != nullptr && length >= 54) {
    auto s16 = [&](unsigned at) { return static_cast<int16_t>((h[at] << 8) | h[at + 1]) / f->upem_; };
    f->bbox_ = {s16(36), s16(38), s16(40), s16(42)};
  }
  hb_blob_destroy(head);
  return f;
}

FontFace::~FontFace() {
  hb_font_destroy(font_);
  hb_face_destroy(face_);
  hb_blob_destroy(blob_);
}

unsigned FontFace::glyph(char32_t code) const {
  hb_codepoint_t g = 0;
  return hb_font_get_nominal_glyph(font_, code, &g) ? g : 0;
}

unsigned FontFace::verticalGlyph(char32_t code) {
  if (auto found = vertical_.find(code); found != vertical_.end()) return found->second;
  unsigned g = glyph(code);
  if (g != 0) {
    hb_buffer_t* b = hb_buffer_create();
    const uint32_t text[1] = {static_cast<uint32_t>(code)};
    hb_buffer_add_utf32(b, text, 1, 0, 1);
    hb_buffer_set_direction(b, HB_DIRECTION_TTB);
    hb_buffer_guess_segment_properties(b);
    hb_shape(font_, b, nullptr, 0);
    unsigned n = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(b, &n);
    if (n == 1 && info[0].codepoint != 0) g = info[0].codepoint;
    hb_buffer_destroy(b);
  }
  vertical_[code] = g;
  return g;
}

double FontFace::advance(unsigned glyph) const {
  return hb_font_get_glyph_h_advance(font_, glyph) / upem_;
}

FontFace::Box FontFace::ink(unsigned glyph) const {
  hb_glyph_extents_t e{};
  if (!hb_font_get_glyph_extents(font_, glyph, &e) || e.width == 0 || e.height == 0) return {};
  // HarfBuzz gives the top left corner and a negative height.
  return {e.x_bearing / upem_, (e.y_bearing + e.height) / upem_,
          (e.x_bearing + e.width) / upem_, e.y_bearing / upem_};
}

std::string FontFace::postScriptName() const {
  char name[128] = "";
  unsigned size = sizeof name;
  hb_ot_name_get_utf8(face_, HB_OT_NAME_ID_POSTSCRIPT_NAME, HB_LANGUAGE_INVALID, &size, name);
  std::string out;
  for (const char* c = name; *c != 0; ++c)
    if ((*c >= 'A' && *c <= 'Z') || (*c >= 'a' && *c <= 'z') || (*c >= '0' && *c <= '9') ||
        *c == '-')
      out += *c;
  return out.empty() ? "Font" : out;
}

int subsetGlyphs(const FontSource& source, const std::vector<unsigned>& glyphs, GlyphSubset& out) {
  try {
    Blob blob(hb_blob_create_from_file_or_fail(source.path.c_str()));
    if (!blob) return kSubsetCannotOpen;
    Face face(hb_face_create(blob.get(), static_cast<unsigned>(source.index)));
    if (!face || hb_face_get_glyph_count(face.get()) == 0) return kSubsetNotAFont;
    Input input(hb_subset_input_create_or_fail());
    if (!input) return kSubsetNoMemory;
    hb_set_t* keep = hb_subset_input_glyph_set(input.get());
    for (unsigned g : glyphs) hb_set_add(keep, g);
    // A PDF reader draws glyphs by their ids: the layout tables would only pull in more glyphs.
    hb_set_t* drop = hb_subset_input_set(input.get(), HB_SUBSET_SETS_DROP_TABLE_TAG);
    for (hb_tag_t tag : {HB_TAG('G', 'S', 'U', 'B'), HB_TAG('G', 'P', 'O', 'S'),
                         HB_TAG('G', 'D', 'E', 'F'), HB_TAG('B', 'A', 'S', 'E'),
                         HB_TAG('J', 'S', 'T', 'F'), HB_TAG('m', 'o', 'r', 'x'),
                         HB_TAG('k', 'e', 'r', 'n'), HB_TAG('D', 'S', 'I', 'G')})
      hb_set_add(drop, tag);
    using Plan = std::unique_ptr<hb_subset_plan_t, Deleter<hb_subset_plan_t, hb_subset_plan_destroy>>;
    Plan plan(hb_subset_plan_create_or_fail(face.get(), input.get()));
    if (!plan) return kSubsetNothingMade;
    Face subset(hb_subset_plan_execute_or_fail(plan.get()));
    if (!subset) return kSubsetNothingMade;
    Blob bytes(hb_face_reference_blob(subset.get()));
    unsigned length = 0;
    const char* data = hb_blob_get_data(bytes.get(), &length);
    if (data == nullptr || length == 0) return kSubsetNothingMade;
    out.bytes.assign(data, length);
    out.newIds.clear();
    const hb_map_t* map = hb_subset_plan_old_to_new_glyph_mapping(plan.get());
    for (unsigned g : glyphs)
      if (hb_map_has(map, g)) out.newIds[g] = hb_map_get(map, g);
    return kSubsetOk;
  } catch (const std::bad_alloc&) {
    return kSubsetNoMemory;
  }
}

}  // namespace vellary::exporting
