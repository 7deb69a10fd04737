// printf-style formatting appended to the bytes of a PDF being built.
#pragma once

#include <string>

namespace vellary::exporting::pdf {

// Appends the formatted text to out, however long it is.
void appendf(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace vellary::exporting::pdf
