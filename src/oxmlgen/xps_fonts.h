// Fonts of the XPS output: the subset fonts the program registered, or installed fonts found
// through fontconfig when it registered none; glyph indices and metrics through HarfBuzz; and
// the font parts embedded in the package, obfuscated as XPS asks.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace oxmlgen {

class XpsFont {
 public:
  ~XpsFont();
  XpsFont(const XpsFont&) = delete;
  XpsFont& operator=(const XpsFont&) = delete;

  // A font file (face `index` of a collection); null when it is not a usable font.
  static std::unique_ptr<XpsFont> load(const std::string& path, unsigned index, bool subsetOnEmbed);

  // 0 when the font has no glyph for `code`.
  unsigned glyph(char32_t code);
  // The glyph that vertical writing uses for `code` (its 'vert' form when there is one).
  unsigned verticalGlyph(char32_t code);
  // Horizontal advance in ems.
  double advance(unsigned glyph);
  // Ascender and descender in ems (descender positive below the baseline).
  double ascender() const { return ascender_; }
  double descender() const { return descender_; }

  // Notes that `glyph` is drawn, so that a subset keeps it.
  void use(unsigned glyph) { used_.insert(glyph); }
  bool used() const { return !used_.empty(); }
  // The bytes to embed: the file itself, or for an installed font a subset of the glyphs used
  // with their indices kept.
  std::string embeddedBytes() const;

 private:
  XpsFont() = default;
  struct Impl;
  Impl* impl_ = nullptr;
  double ascender_ = 0.88, descender_ = 0.12;
  std::set<unsigned> used_;
  std::map<char32_t, unsigned> vertical_;
  bool subsetOnEmbed_ = false;
};

// Finds an installed font for `family` that can write `language` ("ja" or "en"); empty path
// when fontconfig knows none.
struct FontFile {
  std::string path;
  unsigned index = 0;
};
FontFile findSystemFont(const std::string& family, const std::string& language);

// A new random GUID in its usual upper-case text form (8-4-4-4-12 hexadecimal digits).
std::string newGuid();
// The first 32 bytes of `font` XOR-ed with the key taken from `guid`, as XPS readers undo it.
void obfuscateFont(std::string& font, const std::string& guid);

}  // namespace oxmlgen
