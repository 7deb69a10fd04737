// The PDF export drivers: text PDF, and image PDF with an invisible text layer (normal or high
// compression).
#pragma once

#include <string>

#include "export/export.h"
#include "model/records.h"

namespace vellary::exporting {

// Image quality setting 0, 1, 2 → resolution and JPEG quality of image PDF pages.
struct ImageQuality {
  int resolution;
  int jpegQuality;
};
ImageQuality imageQualityFor(int setting);

// Pages first..last (0-based, inclusive). The recognised text is drawn with the named fonts at
// the recognised places; figure blocks are cut from the page image at 72 dpi. 1 when written;
// 0 when no page was written or the file failed (then `error` says why).
int ExportPdfText(model::PaperData& paper, const std::string& path, int first, int last,
                  const ExportOptions& options, std::string& error);

// The page images with the text invisibly beneath them. 1 when written or cancelled (a
// cancelled export writes no file); 0 on failure (then `error` says why).
int ExportPdfImage(model::PaperData& paper, const std::string& path, int first, int last,
                   bool highCompression, const ExportOptions& options, std::string& error);

}  // namespace vellary::exporting
