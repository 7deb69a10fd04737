// The whole model as one JSON document: what `vellary-cli dump` prints and what tests compare.
#pragma once

#include <string>

#include "records.h"

namespace vellary::model {

std::string dumpJson(const PaperData& paper);
std::string dumpSummaryJson(const PaperData& paper);

// A JSON string literal (with quotes) of UTF-8 text.
std::string jsonString(std::string_view utf8);

}  // namespace vellary::model
