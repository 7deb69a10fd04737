// Generates scanned-looking pages together with their recognition records, for the export tests
// and benchmarks: a coloured heading, body text in lines, a vertical column, white text on a
// dark band, a table, and a photograph-like figure. Every character has its ink box; the glyphs
// are stroke patterns chosen by the character code, so that the pictures compress like text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "imaging/picture.h"
#include "model/records.h"

namespace vellary::pagegen {

struct PageSpec {
  int dpi = 400;       // A4 at this resolution
  bool colour = true;  // 24-bit colour, else bilevel
  uint32_t seed = 1;
  bool figure = true;
  bool table = true;
  bool vertical = true;
  bool darkBand = true;  // white text on a dark band
  int bodyLines = 18;
  double pageScale = 1.0;  // of the A4 sides; content beyond a smaller page is cut off
};

// The page's records (file names unset) and its picture, at spec.dpi.
struct GeneratedPage {
  model::PageData page;
  imaging::CPictInfo picture;
};
GeneratedPage generatePage(const PageSpec& spec);

// The picture as a scanner would leave it: colour and grey as JPEG (quality 92), bilevel as
// CCITT Group 4 TIFF. True when written.
bool writePicture(const imaging::CPictInfo& picture, const std::string& path);

// A document of `pages` generated pages whose images are written into folder as p001.jpg (or
// .tif) …; every page's fullpath names its image.
std::unique_ptr<model::PaperData> generateDocument(const PageSpec& spec, int pages,
                                                   const std::string& folder);

// The text of the page's text and table blocks in block order, without white space: what a
// reader of the exported file should find.
std::u16string pageText(const model::PageData& page);

}  // namespace vellary::pagegen
