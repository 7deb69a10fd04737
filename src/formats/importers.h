// The readers of the registered formats and how each recognises its files; the registry lists
// them.
#pragma once

#include <string_view>

#include "formats/format.h"

namespace vellary::formats::detail {

// The local name of the first element of an XML or HTML text (after a byte order mark, the
// declaration, comments, processing instructions and the document type); empty when none is
// found in head.
std::string_view rootElement(std::string_view head, std::string& scratch);

int sniffNative(std::string_view head);
int sniffHocr(std::string_view head);
int sniffPageXml(std::string_view head);
int sniffAlto(std::string_view head);
int sniffNdl(std::string_view head);
int sniffTsv(std::string_view head);

ReadOutcome readNative(ImportInput& input);
ReadOutcome readHocr(ImportInput& input);
ReadOutcome readPageXml(ImportInput& input);
ReadOutcome readAlto(ImportInput& input);
ReadOutcome readNdl(ImportInput& input);
ReadOutcome readTsv(ImportInput& input);

}  // namespace vellary::formats::detail
