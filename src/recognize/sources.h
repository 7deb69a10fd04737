// The pages to recognise: the pages of image files (every page of a TIFF) and of PDF files, and
// loading one of them as a picture. PDF pages are rendered with poppler.
#pragma once

#include <string>
#include <vector>

#include "imaging/picture.h"

namespace vellary::recognize {

// What stopped reading or recognising scans, so that the editor can say it in the user's words.
enum class ScanFault {
  None,
  NoFile,       // `path` does not exist
  NotReadable,  // `path` is no picture (TIFF, PNG, JPEG, BMP) or PDF that can be read
  TooLarge,     // the picture, or the PDF page at the resolution asked for, is too large
  PdfLocked,    // the PDF needs a password
  PdfNoPages,   // the PDF has no pages
  Model,        // `path` names the recognition model that cannot be loaded
  Folder,       // `path`: the page pictures' folder or a picture in it cannot be made
  Page,         // page `page` of `path` could not be read or recognised
};
struct ScanProblem {
  ScanFault fault = ScanFault::None;
  std::string path;  // UTF-8
  int page = -1;     // 0-based within the file, when one page is meant
};

struct PageSource {
  std::string path;  // UTF-8
  int page = 0;      // 0-based within the file
  bool pdf = false;
};

// Whether a file's name is that of a picture or a PDF to recognise (.tif, .tiff, .png, .jpg,
// .jpeg, .bmp, .pdf in any case): how files dropped on the editor are told from documents.
bool hasScanExtension(const std::string& path);

// The pages of the files in the order given. False with a message naming the file when one is
// missing, is neither a picture the picture layer reads nor a PDF, cannot be read, or is a PDF
// with no pages or one that needs a password; `pages` is then empty.
// `problem` (optional) gets the same as a fault.
bool listPages(const std::vector<std::string>& files, std::vector<PageSource>& pages,
               std::string& error, ScanProblem* problem = nullptr);

// Loads a page: a picture page as it is, with `dpi` as its resolution when the file gives none;
// a PDF page rendered at `dpi`. A rendered page that holds only black and white becomes bilevel,
// one that holds only greys becomes grey. False with a message.
bool loadPage(const PageSource& source, int dpi, imaging::CPictInfo& picture, std::string& error,
              ScanProblem* problem = nullptr);

}  // namespace vellary::recognize
