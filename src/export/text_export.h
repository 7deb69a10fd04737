// The Unicode text writer: UTF-16 little-endian with a byte order mark.
#pragma once

#include <string>

#include "model/records.h"

namespace vellary::exporting {

// Writes the text of pages first..last (0-based, inclusive) to path (UTF-8). Text blocks give
// their lines' characters; a paragraph break (U+000D) becomes CR LF; table cells are separated
// by TAB, and by CR LF after the last cell of a row; figures and other blocks give nothing.
// Lines end with nothing of their own. The file is replaced whole, so a failure leaves any
// previous file as it was. 0 when written, -1 when the file could not be written; then `error`
// (optional) tells why, with the system's reason.
int ExportText(const model::PaperData& paper, const std::string& path, int first, int last,
               std::string* error = nullptr);

// The bytes ExportText writes, without the file.
std::string textExportBytes(const model::PaperData& paper, int first, int last);

}  // namespace vellary::exporting
