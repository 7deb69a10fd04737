// The whole model as one JSON document: what `vellary-cli dump` prints and what tests compare.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "records.h"

namespace vellary::model {

std::string dumpJson(const PaperData& paper);
// The same handed to `sink` in pieces of about a megabyte, so that memory stays bounded however
// large the dump; false when the sink failed.
bool dumpJson(const PaperData& paper, const std::function<bool(std::string_view)>& sink);
std::string dumpSummaryJson(const PaperData& paper);

// A JSON string literal (with quotes) of UTF-8 text.
std::string jsonString(std::string_view utf8);

}  // namespace vellary::model
