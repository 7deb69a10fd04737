// The RovOrirUD writer: a fixed, line-oriented layout that the reader always reads back.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "model/records.h"

namespace vellary::rovorirud {

struct WriteOptions {
  uint32_t encoding = 0;  // 1 Shift_JIS, 2 EUC-JP, 0 the encoding the document was read in
  int firstPage = -1;     // 0-based and inclusive; negative leaves that end open
  int lastPage = -1;
  // The document file the pages belong to (UTF-8). When given, a page whose fullpath names no
  // file gets the image of the same name in the folder named like the document, if there is one.
  std::optional<std::string> documentPath;
  // The file is the user's private copy (the backup): made 0600 whatever was there.
  bool privateFile = false;
};

enum WriteResult : int {
  WriteOk = 0,
  WriteFailed = -1,      // a write or the flush failed (a full disk)
  WriteOpenFailed = -2,  // the file could not be created
  // A value is too long for any line the reader reads (an image path, a section word beyond
  // about 1,010 characters): nothing is saved, and the message names the page.
  WriteRefused = -3,
};

// Writes the document to an open file (bytes exactly as they go to disk, CR LF line ends) and
// flushes it. WriteFailed when any write or the flush failed (a full disk): the caller must not
// take the file for saved. The model changes only as the format requires: line numbers, block
// types outside 0–3 become text, and repaired image paths. Every line written stays within the
// reader's piece of 1023 units: a tag whose values would not fit breaks between its attributes;
// a single value that cannot fit in any line gives WriteRefused with the message in `refusal`.
int writeDocument(model::PaperData& paper, std::FILE* file, const WriteOptions& options = {},
                  std::string* refusal = nullptr);
// Saves to a path atomically: the data goes to a temporary file beside it, which replaces the
// file only once it is completely written, so a failed save leaves the previous file as it was.
// The file is replaced as model::replaceFile does. `error` (optional) says why a save failed.
int writeDocumentFile(model::PaperData& paper, const std::string& path,
                      const WriteOptions& options = {}, std::string* error = nullptr);
// The box a file gets for a character the user typed (x or y negative: it has no place on the
// image): position `position` of `count` equal steps along its line, inset by a tenth of the
// line's thickness. 64-bit arithmetic, clamped to 32 bits, so that absurd line boxes cannot
// overflow. Other writers of character boxes use it too.
struct CharBox {
  int64_t x, y, width, height;
};
CharBox estimatedCharBox(const model::LineData& line, int64_t position, int64_t count,
                         bool vertical);

// The bytes the writer would produce, for tests and for callers that write elsewhere; empty with
// `refusal` set when the document cannot be written.
std::string writeDocumentToString(model::PaperData& paper, const WriteOptions& options = {},
                                  std::string* refusal = nullptr);

}  // namespace vellary::rovorirud
