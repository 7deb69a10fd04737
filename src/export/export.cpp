// The dispatch of an export request to the writer of its kind.
#include "export/export.h"

#include "export/pdf/pdf_export.h"
#include "export/text_export.h"
#include "export/word/office_export.h"

namespace vellary::exporting {

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
    default:
      break;
  }
  return out;
}

}  // namespace vellary::exporting
