// The RovOrirUD reader: a small scanner for exactly the elements and attributes of the format,
// reading the file in pieces of at most 1023 characters and stopping at the first error.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "model/progress.h"
#include "model/records.h"

namespace vellary::rovorirud {

enum ReadError : int {
  ReadOk = 0,
  ReadTagError = -4,        // an expected start or end tag is not where it must be
  ReadAttributeError = -5,  // an attribute is wrong, missing, unknown or has no quoted value
  ReadEncodingError = -6,   // the declared encoding is neither Shift_JIS nor EUC-JP
  ReadStructureError = -7,  // the file ends before the declaration or the root element
  ReadElementError = -8,    // bad content of result or cand
  ReadOtherError = -9,      // anything else (an unreadable file)
};

struct ReadResult {
  std::unique_ptr<model::PaperData> paper;  // null on failure
  int code = ReadOk;
  int line = 0;  // pieces read when the reader stopped; the line number of messages
  // readDocumentFile: why the file could not be opened (model::openInputFile's value; the code
  // is then ReadOtherError), 0 when it was.
  int openError = 0;
};

struct ReadOptions {
  model::Progress* progress = nullptr;
  // Longest piece in UTF-16 units. The file format fixes it at 1023; tests shrink it to reach the
  // boundary paths with small inputs.
  size_t pieceLimit = 1023;
};

// Reads a whole document from an open file; the caller closes the file.
ReadResult readDocument(std::FILE* file, const ReadOptions& options = {});
ReadResult readDocument(std::string_view bytes, const ReadOptions& options = {});
// Reads the regular file at path (a folder, a pipe or a device is refused at once, see openError).
ReadResult readDocumentFile(const std::string& path, const ReadOptions& options = {});

// The message the user sees for a reader error, with the line number filled in (UTF-8).
std::string readErrorMessage(int code, int line);

}  // namespace vellary::rovorirud
