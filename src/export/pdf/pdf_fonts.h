// The fonts of a PDF file. Named fonts (the smallest files) are the eleven fonts of the fixed
// table in pdf_objects.h, which readers supply. Embedded fonts are subsets of installed faces
// (fontconfig, hb-subset): each face is one CIDFontType2 whose CIDs are handed out as characters
// are drawn, with a CIDToGIDMap to the subset's glyphs (vertical forms for vertical writing), the
// widths of the glyphs, and a ToUnicode map that gives back the characters the document holds.
// Text under a page picture is drawn in a "glyphless" subset of the same face: the same widths,
// but only an empty glyph embedded, so that the text layer costs almost nothing.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "export/font_subset.h"
#include "export/pdf/pdf_objects.h"

namespace vellary::exporting::pdf {

// What a content stream writes for one character, and how the glyph sits in its em.
struct ShownChar {
  std::string hex;     // the character's code in the string operand, in hexadecimal
  double width = 1;    // the horizontal advance in ems (vertical writing advances by one em)
  FontFace::Box ink;   // the glyph's ink in ems; empty when it draws nothing or is not known
};

class PdfFontSet {
 public:
  explicit PdfFontSet(bool embed);
  ~PdfFontSet();
  PdfFontSet(const PdfFontSet&) = delete;
  PdfFontSet& operator=(const PdfFontSet&) = delete;

  bool embeds() const { return embed_; }
  // The resource name, without its slash, of the font that draws font type `type`.
  std::string resource(int type, bool invisible) const;
  ShownChar show(int type, bool invisible, char32_t code);
  // Vertical fonts: how far above the baseline a glyph's vertical origin lies, in ems.
  double verticalOrigin(int type);

  // Embedded fonts: creates the objects of every font used, numbered by `next`, and says which
  // object each resource name is.
  void makeEmbedded(const std::function<int()>& next, std::vector<std::unique_ptr<CPDFobj>>& out,
                    std::map<std::string, int>& resources);
  // Named fonts: the ToUnicode map of each font type used, numbered by `next`.
  void makeNamedToUnicode(const std::function<int()>& next,
                          std::vector<std::unique_ptr<CPDFobj>>& out,
                          std::map<int, int>& toUnicodeByType);

 private:
  struct FaceFont;
  FaceFont& faceFont(int type, bool invisible);
  FontFace* metricsFace(int type);

  bool embed_;
  std::vector<std::unique_ptr<FaceFont>> faces_;  // in the order of first use
  std::map<std::pair<int, bool>, FaceFont*> byKind_;
  std::map<int, std::unique_ptr<FontFace>> metrics_;  // named fonts: a face for the metrics
  std::map<int, std::map<std::u16string, bool>> namedCodes_;  // type → codes written
  std::vector<std::pair<int, bool>> type0Order_;              // (type, invisible) by first use
};

// The ToUnicode CMap of (code, text) pairs; codes of 2 or 4 bytes in hexadecimal.
std::string toUnicodeCMap(const std::vector<std::pair<std::string, std::u16string>>& pairs,
                          bool utf16Codes);

// zlib's deflate of the bytes, for FlateDecode streams.
std::string deflateBytes(const std::string& bytes);

}  // namespace vellary::exporting::pdf
