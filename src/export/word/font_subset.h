// Subsets of installed fonts for the XPS output: only the glyphs of the characters a document
// uses, so that the file carries its fonts without carrying whole CJK faces.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vellary::exporting::word {

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

}  // namespace vellary::exporting::word
