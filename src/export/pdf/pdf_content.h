// The operator texts of a content stream: text blocks (visible and invisible), tables and
// figures, each in a marked-content sequence that the structure tree points to, or marked as an
// artifact. Operators are separated by CR.
//
// Every character is drawn where its box says: a line is one text object whose TJ array moves
// each glyph to the place that puts the glyph's ink on the character's box (the font size from
// the ink heights, the baseline from the ink bottoms), so that what a reader selects, highlights
// and copies lies on the printed characters. Characters without a place follow the one before.
#pragma once

#include <set>
#include <string>

#include "export/pdf/pdf_fonts.h"
#include "export/pdf/pdf_records.h"

namespace vellary::exporting::pdf {

class ContentWriter {
 public:
  explicit ContentWriter(PdfFontSet& fonts) : fonts_(fonts) {}

  // The block in one marked sequence of its role's tag with `mcid`; an artifact has none.
  std::string textBlock(const PdfTextBlock& block, int mcid);
  // The rules as an artifact, then each cell in a TD sequence: mcids[i] is cell i's.
  std::string table(const PdfTable& table, const std::vector<int>& mcids);
  // An image mask is painted in its colour; mcid < 0: an artifact.
  std::string figure(const PdfImage& image, int imageIndex, int mcid);

  // The resource names of the fonts drawn so far.
  const std::set<std::string>& fontsUsed() const { return used_; }

 private:
  void line(std::string& out, const PdfLine& line, int renderMode);

  PdfFontSet& fonts_;
  std::set<std::string> used_;
  double lastSize_ = 10;
};

}  // namespace vellary::exporting::pdf
