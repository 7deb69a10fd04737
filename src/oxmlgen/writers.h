// The three output formats. Each lays the document out in its own terms and writes the file
// atomically; false when there is nothing to write or the file cannot be written.
#pragma once

#include <string>

#include "oxmlgen/document.h"

namespace oxmlgen {

// `flowing`: the Word column option is on (see docx_writer.cpp for what that means here).
bool writeDocx(const Document& doc, const std::string& path, bool flowing);
bool writePptx(const Document& doc, const std::string& path);
bool writeXps(const Document& doc, const std::string& path);

}  // namespace oxmlgen
