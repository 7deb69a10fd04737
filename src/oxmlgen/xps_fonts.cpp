// Font lookup, glyph indices, metrics, subsetting and obfuscation for the XPS writer.
#include "oxmlgen/xps_fonts.h"

#include <fontconfig/fontconfig.h>
#include <hb-ot.h>
#include <hb-subset.h>
#include <hb.h>

#include <cstdio>
#include <random>

#include "model/file_access.h"

namespace oxmlgen {

namespace {
// Font files beyond this are no font this library embeds (the largest CJK collections are
// about 30 MB).
constexpr uint64_t kMaxFontBytes = 256u << 20;
}  // namespace

struct XpsFont::Impl {
  std::string bytes;
  unsigned index = 0;
  hb_blob_t* blob = nullptr;
  hb_face_t* face = nullptr;
  hb_font_t* font = nullptr;
  unsigned upem = 1000;
};

XpsFont::~XpsFont() {
  if (impl_ == nullptr) return;
  hb_font_destroy(impl_->font);
  hb_face_destroy(impl_->face);
  hb_blob_destroy(impl_->blob);
  delete impl_;
}

std::unique_ptr<XpsFont> XpsFont::load(const std::string& path, unsigned index,
                                       bool subsetOnEmbed) {
  std::string bytes;
  if (vellary::model::readInputFile(path, bytes, kMaxFontBytes) != 0 || bytes.size() < 12)
    return nullptr;
  std::unique_ptr<XpsFont> f(new XpsFont);
  f->impl_ = new Impl;
  Impl& m = *f->impl_;
  m.bytes = std::move(bytes);
  m.index = index;
  m.blob = hb_blob_create(m.bytes.data(), static_cast<unsigned>(m.bytes.size()),
                          HB_MEMORY_MODE_READONLY, nullptr, nullptr);
  m.face = hb_face_create(m.blob, index);
  if (hb_face_get_glyph_count(m.face) == 0) return nullptr;
  m.upem = hb_face_get_upem(m.face);
  if (m.upem == 0) m.upem = 1000;
  m.font = hb_font_create(m.face);
  hb_font_set_scale(m.font, static_cast<int>(m.upem), static_cast<int>(m.upem));
  hb_font_extents_t ext;
  if (hb_font_get_h_extents(m.font, &ext) && ext.ascender - ext.descender > 0) {
    double total = ext.ascender - ext.descender;
    f->ascender_ = ext.ascender / total;
    f->descender_ = -ext.descender / total;
  }
  // A collection cannot be embedded as it is, so it is always subset.
  f->subsetOnEmbed_ = subsetOnEmbed || m.bytes.compare(0, 4, "ttcf") == 0;
  return f;
}

unsigned XpsFont::glyph(char32_t code) {
  hb_codepoint_t g = 0;
  return hb_font_get_nominal_glyph(impl_->font, code, &g) ? g : 0;
}

unsigned XpsFont::verticalGlyph(char32_t code) {
  auto found = vertical_.find(code);
  if (found != vertical_.end()) return found->second;
  unsigned g = glyph(code);
  if (g != 0) {
    hb_buffer_t* b = hb_buffer_create();
    uint32_t text[1] = {static_cast<uint32_t>(code)};
    hb_buffer_add_utf32(b, text, 1, 0, 1);
    hb_buffer_set_direction(b, HB_DIRECTION_TTB);
    hb_buffer_set_script(b, HB_SCRIPT_HAN);
    hb_buffer_set_language(b, hb_language_from_string("ja", -1));
    hb_shape(impl_->font, b, nullptr, 0);
    unsigned n = 0;
    hb_glyph_info_t* info = hb_buffer_get_glyph_infos(b, &n);
    if (n == 1 && info[0].codepoint != 0) g = info[0].codepoint;
    hb_buffer_destroy(b);
  }
  vertical_[code] = g;
  return g;
}

double XpsFont::advance(unsigned glyph) {
  return double(hb_font_get_glyph_h_advance(impl_->font, glyph)) / impl_->upem;
}

std::string XpsFont::embeddedBytes() const {
  if (!subsetOnEmbed_) return impl_->bytes;
  hb_subset_input_t* input = hb_subset_input_create_or_fail();
  if (input == nullptr) return impl_->bytes;
  hb_set_t* glyphs = hb_subset_input_glyph_set(input);
  for (unsigned g : used_) hb_set_add(glyphs, g);
  // Indices in the pages were taken from the full font, so they must stay as they are.
  hb_subset_input_set_flags(input, HB_SUBSET_FLAGS_RETAIN_GIDS);
  hb_face_t* subset = hb_subset_or_fail(impl_->face, input);
  hb_subset_input_destroy(input);
  if (subset == nullptr) return impl_->bytes;
  hb_blob_t* blob = hb_face_reference_blob(subset);
  unsigned length = 0;
  const char* data = hb_blob_get_data(blob, &length);
  std::string out(data, length);
  hb_blob_destroy(blob);
  hb_face_destroy(subset);
  return out.empty() ? impl_->bytes : out;
}

FontFile findSystemFont(const std::string& family, const std::string& language) {
  FontFile out;
  if (!FcInit()) return out;
  auto match = [&](bool withFamily) {
    FcPattern* p = FcPatternCreate();
    if (withFamily && !family.empty())
      FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcLangSet* langs = FcLangSetCreate();
    FcLangSetAdd(langs, reinterpret_cast<const FcChar8*>(language.c_str()));
    FcPatternAddLangSet(p, FC_LANG, langs);
    FcLangSetDestroy(langs);
    FcConfigSubstitute(nullptr, p, FcMatchPattern);
    FcDefaultSubstitute(p);
    FcResult result;
    FcPattern* found = FcFontMatch(nullptr, p, &result);
    FcPatternDestroy(p);
    if (found == nullptr) return false;
    FcChar8* file = nullptr;
    int index = 0;
    FcLangSet* has = nullptr;
    bool ok = FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch;
    // The family alone may be answered by any font; it must cover the language.
    if (ok && FcPatternGetLangSet(found, FC_LANG, 0, &has) == FcResultMatch)
      ok = FcLangSetHasLang(has, reinterpret_cast<const FcChar8*>(language.c_str())) !=
           FcLangDifferentLang;
    if (ok) {
      out.path = reinterpret_cast<const char*>(file);
      if (FcPatternGetInteger(found, FC_INDEX, 0, &index) == FcResultMatch && index > 0)
        out.index = static_cast<unsigned>(index);
    }
    FcPatternDestroy(found);
    return ok;
  };
  if (!match(true)) match(false);
  return out;
}

std::string newGuid() {
  std::random_device rd;
  unsigned char b[16];
  for (unsigned char& c : b) c = static_cast<unsigned char>(rd());
  b[6] = (b[6] & 0x0F) | 0x40;  // version 4
  b[8] = (b[8] & 0x3F) | 0x80;
  char s[37];
  std::snprintf(s, sizeof s, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X",
                b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12],
                b[13], b[14], b[15]);
  return s;
}

void obfuscateFont(std::string& font, const std::string& guid) {
  // The key is the GUID's 16 bytes in its binary layout (first three groups little-endian),
  // applied in reverse order to the first 32 bytes of the font.
  static const int kDigits[16] = {6, 4, 2, 0, 11, 9, 16, 14, 19, 21, 24, 26, 28, 30, 32, 34};
  if (guid.size() != 36 || font.size() < 32) return;
  unsigned char key[16];
  for (int i = 0; i < 16; ++i)
    key[i] = static_cast<unsigned char>(std::stoi(guid.substr(kDigits[i], 2), nullptr, 16));
  for (int i = 0; i < 32; ++i) font[i] = static_cast<char>(font[i] ^ key[15 - i % 16]);
}

}  // namespace oxmlgen
