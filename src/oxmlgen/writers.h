// The three output formats. Each lays the document out in its own terms and writes the file
// through Package::write: 0, or an errno value (EINVAL when there is nothing to write).
#pragma once

#include <string>

#include "oxmlgen/document.h"

namespace oxmlgen {

// `flowing`: the Word column option is on (see docx_writer.cpp for what that means here).
int writeDocx(const Document& doc, const std::string& path, bool flowing);
int writePptx(const Document& doc, const std::string& path);
int writeXps(const Document& doc, const std::string& path);

}  // namespace oxmlgen
