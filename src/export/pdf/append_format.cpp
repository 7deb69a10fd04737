// printf-style formatting appended to a byte string.
#include "export/pdf/append_format.h"

#include <cstdarg>
#include <cstdio>

namespace vellary::exporting::pdf {

void appendf(std::string& out, const char* format, ...) {
  // Operators are short: one pass into a stack buffer serves nearly every call.
  char buffer[256];
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n > 0 && static_cast<size_t>(n) < sizeof buffer) {
    out.append(buffer, static_cast<size_t>(n));
  } else if (n > 0) {
    const size_t at = out.size();
    out.resize(at + static_cast<size_t>(n) + 1);
    std::vsnprintf(out.data() + at, static_cast<size_t>(n) + 1, format, again);
    out.resize(at + static_cast<size_t>(n));
  }
  va_end(again);
}

}  // namespace vellary::exporting::pdf
