// RovOrirUD as a registered format: its own reader, with its own codes and messages.
#include <cstdio>

#include "formats/importers.h"
#include "rovorirud/reader.h"

namespace vellary::formats::detail {

namespace {

// The reader takes a stdio stream; this one reads from the registry's source.
ssize_t readCookie(void* cookie, char* buffer, size_t size) {
  const long n = static_cast<ByteSource*>(cookie)->read(buffer, size);
  return n < 0 ? -1 : static_cast<ssize_t>(n);
}

}  // namespace

ReadOutcome readNative(ImportInput& input) {
  ReadOutcome out;
  cookie_io_functions_t io{readCookie, nullptr, nullptr, nullptr};
  std::FILE* file = fopencookie(input.source, "r", io);
  if (file == nullptr) {
    out.error = Error{ErrorOther, errorMessage(ErrorOther, 0), 0, {}};
    return out;
  }
  rovorirud::ReadOptions options;
  options.progress = input.progress;
  rovorirud::ReadResult r = rovorirud::readDocument(file, options);
  std::fclose(file);
  if (r.paper) {
    out.paper = std::move(r.paper);
  } else {
    out.error = Error{r.code, rovorirud::readErrorMessage(r.code, r.line), r.line, {}};
  }
  return out;
}

}  // namespace vellary::formats::detail
