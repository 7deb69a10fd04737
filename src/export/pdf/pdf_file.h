// CPDFfile: one PDF file in the making. It creates the fixed objects, adds pages one at a time
// with their content streams and images, and writes header, objects, cross-reference table and
// trailer.
//
// Object numbers, one counter for the file: 1 information, 2 ProcSet, 3 catalog, 4 page tree;
// with named fonts 5-33 the eleven fonts (F0, F4, F1 as Type0/descendant/descriptor triples, F2,
// F3, then the triples of F6, F7, F8, F9, F10, F11); then for each page its page object, its
// content stream and one object per image. The objects made when the file is written follow all
// of them: the embedded fonts (or the named fonts' ToUnicode maps), the PDF/A metadata and output
// intent, and the structure tree.
#pragma once

#include <ctime>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "export/pdf/pdf_fonts.h"
#include "export/pdf/pdf_objects.h"
#include "export/pdf/pdf_records.h"

namespace vellary::exporting::pdf {

// A file that cannot be created or written. The message is for the user (UTF-8).
class PdfWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One page as the composition hands it over. The defaults are those of an empty composition.
struct PdfPage {
  int width = 3305, height = 4677;  // pixels
  int dpi = 400;
  std::vector<PdfImage> images;  // images without bytes are left out of the page
  std::vector<PdfTextBlock> blocks;
  std::vector<PdfTable> tables;
};

struct PdfFileOptions {
  bool embedFonts = false;  // subsets of the fonts drawn; else the eleven named fonts
  bool archive = false;     // PDF/A-2u; fonts are then embedded
};

// "FEFF" and the hexadecimal text: the byte order mark and the string's UTF-16 code units.
std::string infoString(std::u16string_view text);
// Every UTF-16 unit as four upper-case hexadecimal digits, high byte first.
std::string hexUtf16(std::u16string_view text);
// "YYYYMMDDHHmmSS+HH'00'": the sign is "-" when local time is behind universal time; only whole
// hours of the offset are written.
std::string formatCreationDate(const std::tm& local, long utcOffsetSeconds);
// The same moment as XMP writes it: "YYYY-MM-DDTHH:mm:SS+HH:00".
std::string xmpDate(const std::string& creationDate);
// Pixels to a media box side in points: rounded, then kept within 72 to 3240.
int mediaBoxSide(int pixels, int dpi);
// An ICC profile of sRGB (version 2, display class), for the output intent of PDF/A files.
std::string srgbProfile();

class CPDFfile {
 public:
  explicit CPDFfile(PdfFileOptions options = {});
  ~CPDFfile();
  CPDFfile(const CPDFfile&) = delete;
  CPDFfile& operator=(const CPDFfile&) = delete;

  void setCreator(std::u16string_view text);
  void setProducer(std::u16string_view text);
  void setTitle(std::u16string_view text);
  void setSubject(std::u16string_view text);
  void setAuthor(std::u16string_view text);
  void setKeywords(std::u16string_view text);
  // The creation date written instead of the local time at the moment of writing
  // ("YYYYMMDDHHmmSS+HH'00'").
  void setCreationDate(std::string date) { fixedDate_ = std::move(date); }
  // The language of the document's text (BCP 47), for the catalog.
  void setLanguage(std::string lang) { catalog_->lang = std::move(lang); }

  // Appends a page with its content stream and images; returns the number of pages. The second
  // form takes the page's image data over instead of copying it.
  int AddPage(const PdfPage& page);
  int AddPage(PdfPage&& page);
  int pageCount() const { return static_cast<int>(pages_.size()); }

  // Writes the whole file, replacing path only once every byte is written. 1 when written, 0
  // when no page has been added (nothing is written). Throws PdfWriteError.
  int Write(const std::string& path);
  // The same bytes in memory.
  std::string render();

 private:
  // One element of a page's structure: a block, figure or table cell with its marked sequences.
  struct StructItem {
    std::string type;  // "P", "H1", "Figure", "Table"
    int order = 0;
    std::vector<int> mcids;
    std::string lang;
    std::u16string alt;
    PdfBox box;
    struct Cell {
      int row, mcid, rowSpan, colSpan;
    };
    std::vector<Cell> cells;  // tables
  };
  struct PageMarks {
    int pageNumber;
    std::vector<StructItem> items;
    int mcidCount = 0;
  };
  int next() { return ++lastNumber_; }
  void prepare();
  void prepareStructure();
  void prepareArchive();
  template <class Sink>
  void emit(Sink& sink);

  PdfFileOptions options_;
  int lastNumber_ = 0;
  std::unique_ptr<CPDFinfo> info_;
  std::unique_ptr<CPDFproc> proc_;
  std::unique_ptr<CPDFcatalog> catalog_;
  std::unique_ptr<CPDFpages> pageTree_;
  std::vector<std::unique_ptr<CPDFobj>> fonts_;  // named fonts, in writing order
  std::vector<CPDFfontType0*> namedType0_;       // their Type0 objects, by font type
  std::string fontResources_;
  PdfFontSet fontSet_;
  std::vector<std::unique_ptr<CPDFpage>> pages_;
  std::vector<std::set<std::string>> pageFonts_;  // resource names each page draws with
  std::vector<std::unique_ptr<CPDFcontents>> contents_;
  std::vector<std::unique_ptr<CPDFimage>> images_;
  std::vector<PageMarks> marks_;
  std::vector<std::unique_ptr<CPDFobj>> late_;  // made when the file is written
  std::u16string title_, subject_, author_, keywords_, creator_, producer_;
  bool prepared_ = false;
  std::optional<std::string> fixedDate_;
};

}  // namespace vellary::exporting::pdf
