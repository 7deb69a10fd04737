// Exporting a range of pages of a document: the export kinds, the request, the options the
// writers take, and the dispatch to the writer of each kind.
#pragma once

#include <string>

#include "export/document_info.h"
#include "export/text_export.h"
#include "model/progress.h"
#include "model/records.h"

namespace vellary::exporting {

// The numbers are also what the frame remembers as the last kind used.
enum ExportKind : int {
  KindNone = 0,            // an extension no writer takes: nothing is written
  KindText = 1,            // Unicode text
  KindPdfText = 5,         // text PDF
  KindPdfImage = 11,       // image PDF with invisible text
  KindPdfCompressed = 15,  // high-compression image PDF with invisible text
  KindDocx = 101,
  KindXlsx = 102,  // typed by the user; nothing is written
  KindPptx = 103,
  KindXps = 104,
  KindPageXml = 201,  // PAGE XML, one file per page (a folder for more than one)
  KindAlto = 202,     // ALTO 4.4
  KindHocr = 203,     // hOCR 1.2
};

// first and last are 0-based page indexes, inclusive; see exportRange() for the dialog's values.
struct ExportRequest {
  std::string path;  // UTF-8
  int kind = KindNone;
  int first = 0;
  int last = 0;
};

// What the Word, PowerPoint and XPS writer takes besides the pages.
struct OfficeOptions {
  int wordColumns = 1;      // 1 off, 2 on: the Word column layout
  bool rubyInline = false;  // Word: ruby written inline in the text, framed by the three strings
  std::string rubyTarget, rubyOpen = "(", rubyClose = ")";  // UTF-8
  // The Office writer library to load (UTF-8). Empty: liboxmlgen.so in the program's private
  // library folder (model::privateLibraryFolder).
  std::string libraryPath;
  // The PowerPoint template folder. Empty: PptXTemplate in the program's data folder.
  std::string templateFolder;
};

struct ExportOptions {
  DocumentInfo info;  // document information of the PDF files and the Office core properties
  OfficeOptions office;
  TextOptions text;
  int imageQuality = 0;  // 0, 1 or 2: resolution and JPEG quality of image PDF pages
  // PDF: subsets of the fonts drawn are embedded (text PDF: the glyphs; image PDF: an empty glyph
  // under the page picture), with the Unicode text of every code. Off: the fonts are only named
  // and the reader supplies them, which makes the smallest files.
  bool embedFonts = true;
  // PDF: written as PDF/A-2u (metadata, an sRGB output intent; fonts are then always embedded).
  bool archive = false;
  // Pages composed at once by the PDF writers; 0: one per core. The file is the same whatever
  // the number.
  int jobs = 0;
  // The document's own file (UTF-8): pages whose image is missing are looked for in the folder
  // named like it. Empty: no such folder.
  std::string documentPath;
  model::Progress* progress = nullptr;  // optional
};

// What an export ended with. `result` is the writer's own result (text: 0 written, -1 not;
// PDF: 1 written or cancelled, 0 failed; Word, PowerPoint, XPS: 1 written, 0 not; no writer: 0).
// `error` is a message for the user when the writer failed (with the system's reason where there
// is one); empty otherwise.
struct ExportOutcome {
  int result = 0;
  bool written = false;
  std::string error;  // UTF-8
};

// Writes pages first..last of the paper as `request.kind` asks; indexes beyond the document's
// pages are passed over. Page image paths that are resolved through the document's folder are
// changed in the paper for good. A PDF without pages is not written.
ExportOutcome ExportDocument(model::PaperData& paper, const ExportRequest& request,
                             const ExportOptions& options);

}  // namespace vellary::exporting
