// The dispatch of an export request to the writer of its kind.
#include "export/export.h"

#include "export/page_image.h"
#include "export/pdf/pdf_export.h"
#include "export/text_export.h"
#include "export/word/office_export.h"
#include "formats/writers.h"

namespace vellary::exporting {

namespace {

// The open OCR formats: the page images found first, so that the files name where they are.
ExportOutcome exportOcrFormat(model::PaperData& paper, const ExportRequest& request,
                              const ExportOptions& options) {
  int index = 0;
  for (model::PageData& page : paper.pages) {
    if (index >= request.first && index <= request.last)
      resolvePageImage(page, options.documentPath);
    ++index;
  }
  const formats::WriteRequest pages{request.first, request.last};
  std::string reason;
  bool written = false;
  if (request.kind == KindPageXml)
    written = formats::writePageXml(paper, request.path, pages, reason);
  else if (request.kind == KindAlto)
    written = formats::writeAlto(paper, request.path, pages, reason);
  else
    written = formats::writeHocr(paper, request.path, pages, reason);
  ExportOutcome out;
  out.result = written ? 1 : 0;
  out.written = written;
  if (!written) out.error = "ファイル " + request.path + " が保存できません。";
  return out;
}

}  // namespace

ExportOutcome ExportDocument(model::PaperData& paper, const ExportRequest& request,
                             const ExportOptions& options) {
  ExportOutcome out;
  switch (request.kind) {
    case KindText:
      // A text file that could not be written is told too: a silent failure would pass for
      // success.
      out.result =
          ExportText(paper, request.path, request.first, request.last, options.text, &out.error);
      out.written = out.result == 0;
      break;
    case KindPdfText:
      out.result =
          ExportPdfText(paper, request.path, request.first, request.last, options, out.error);
      out.written = out.result == 1;
      break;
    case KindPdfImage:
    case KindPdfCompressed:
      out.result = ExportPdfImage(paper, request.path, request.first, request.last,
                                  request.kind == KindPdfCompressed, options, out.error);
      out.written = out.result == 1 && out.error.empty() &&
                    !(options.progress && options.progress->cancelled());
      break;
    case KindDocx:
    case KindPptx:
    case KindXps:
      out.result = ExportOffice(paper, request.path, request.kind, request.first, request.last,
                                options, out.error);
      out.written = out.result == 1;
      break;
    case KindPageXml:
    case KindAlto:
    case KindHocr:
      out = exportOcrFormat(paper, request, options);
      break;
    default:
      break;
  }
  return out;
}

}  // namespace vellary::exporting
