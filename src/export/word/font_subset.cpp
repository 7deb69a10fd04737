// Font subsets through fontconfig (which face) and HarfBuzz's subsetter (which glyphs).
#include "export/word/font_subset.h"

#include <fontconfig/fontconfig.h>
#include <hb-subset.h>
#include <hb.h>

#include <cstdio>
#include <memory>
#include <new>
#include <string_view>

#include "model/atomic_file.h"

namespace vellary::exporting::word {

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

// The faces that stand for the document's fonts: a Mincho for Japanese text, and a sans-serif
// face broad enough for Chinese and Korean text.
Pattern patternFor(int charset) {
  Pattern p(FcPatternCreate());
  if (!p) return p;
  const auto family = [&](const char* name) {
    FcPatternAddString(p.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(name));
  };
  if (charset == 128) {
    family("IPAMincho");
    family("IPA明朝");
    family("Noto Serif CJK JP");
    family("serif");
    FcPatternAddString(p.get(), FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
  } else {
    family("Arial Unicode MS");
    family("Noto Sans CJK SC");
    family("sans-serif");
  }
  FcPatternAddBool(p.get(), FC_OUTLINE, FcTrue);
  FcConfigSubstitute(nullptr, p.get(), FcMatchPattern);
  FcDefaultSubstitute(p.get());
  return p;
}

// TrueType and OpenType faces only: the subsetter reads nothing else.
bool subsettable(FcPattern* font) {
  FcChar8* format = nullptr;
  if (FcPatternGetString(font, FC_FONTFORMAT, 0, &format) != FcResultMatch) return false;
  const std::string f(reinterpret_cast<const char*>(format));
  return f == "TrueType" || f == "CFF";
}

}  // namespace

std::optional<FontSource> findSubsetSource(int charset, const std::vector<char32_t>& chars) {
  if (!FcInit()) return std::nullopt;
  Pattern pattern = patternFor(charset);
  if (!pattern) return std::nullopt;
  FcResult result = FcResultNoMatch;
  FontSet fonts(FcFontSort(nullptr, pattern.get(), FcFalse, nullptr, &result));
  if (!fonts) return std::nullopt;
  std::optional<FontSource> best;
  size_t bestCovered = 0;
  for (int i = 0; i < fonts->nfont; ++i) {
    FcPattern* font = fonts->fonts[i];
    FcChar8* file = nullptr;
    if (!subsettable(font) || FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch)
      continue;
    int index = 0;
    FcPatternGetInteger(font, FC_INDEX, 0, &index);
    FcCharSet* coverage = nullptr;
    size_t covered = 0;
    if (FcPatternGetCharSet(font, FC_CHARSET, 0, &coverage) == FcResultMatch)
      for (char32_t c : chars) covered += FcCharSetHasChar(coverage, c) ? 1 : 0;
    if (!best || covered > bestCovered) {
      best = FontSource{reinterpret_cast<const char*>(file), index};
      bestCovered = covered;
    }
    if (covered == chars.size()) break;
  }
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

}  // namespace vellary::exporting::word
