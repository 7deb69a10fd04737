// The Unicode text writer: UTF-16 little-endian with a byte order mark.
#pragma once

#include <string>

#include "model/records.h"

namespace vellary::exporting {

// How ruby reaches the text: left out, or in the notation of Japanese e-texts, ｜漢字《かんじ》.
enum class RubyNotation : int { None = 0, Aozora = 1 };

struct TextOptions {
  RubyNotation ruby = RubyNotation::None;
};

// Writes the text of pages first..last (0-based, inclusive) to path (UTF-8). Text blocks give
// their normal lines' characters; a paragraph break (U+000D) becomes CR LF; table cells are
// separated by TAB, and by CR LF after the last cell of a row; figures and other blocks give
// nothing. Ruby, emphasis and footnote lines stay out of the body (ruby is written beside its
// base in the notation asked). Every block ends with a line break, and every page with one more,
// so that title, author, body and pages stand apart. The file is replaced whole, so a failure
// leaves any previous file as it was. 0 when written, -1 when the file could not be written;
// then `error` (optional) tells why, with the system's reason.
int ExportText(const model::PaperData& paper, const std::string& path, int first, int last,
               const TextOptions& options = {}, std::string* error = nullptr);

// The bytes ExportText writes, without the file.
std::string textExportBytes(const model::PaperData& paper, int first, int last,
                            const TextOptions& options = {});

}  // namespace vellary::exporting
