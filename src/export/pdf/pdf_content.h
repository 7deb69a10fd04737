// The operator texts of a content stream: text runs (visible and invisible), tables and figures,
// each wrapped in a marked-content sequence. Operators are separated by CR.
#pragma once

#include <string>

#include "export/pdf/pdf_records.h"

namespace vellary::exporting::pdf {

std::string visibleTextOps(const PdfText& run, int mcid);
// Positioned pieces driven by runLengths, xOffsets and yOffsets.
std::string invisibleTextOps(const PdfText& run, int mcid);
std::string textOps(const PdfText& run, int mcid);  // by the run's render mode
std::string tableOps(const PdfTable& table, int mcid);
// An image mask is painted in its colour.
std::string figureOps(const PdfImage& image, int imageIndex, int mcid);

}  // namespace vellary::exporting::pdf
