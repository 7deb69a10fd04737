// The pages to recognise: the pages of image files (every page of a TIFF) and of PDF files, and
// loading one of them as a picture. PDF pages are rendered with poppler.
#pragma once

#include <string>
#include <vector>

#include "imaging/picture.h"

namespace vellary::recognize {

struct PageSource {
  std::string path;  // UTF-8
  int page = 0;      // 0-based within the file
  bool pdf = false;
};

// The pages of the files in the order given. False with a message naming the file when one is
// missing, is neither a picture the picture layer reads nor a PDF, cannot be read, or is a PDF
// with no pages or one that needs a password; `pages` is then empty.
bool listPages(const std::vector<std::string>& files, std::vector<PageSource>& pages,
               std::string& error);

// Loads a page: a picture page as it is, with `dpi` as its resolution when the file gives none;
// a PDF page rendered at `dpi`. A rendered page that holds only black and white becomes bilevel,
// one that holds only greys becomes grey. False with a message.
bool loadPage(const PageSource& source, int dpi, imaging::CPictInfo& picture, std::string& error);

}  // namespace vellary::recognize
