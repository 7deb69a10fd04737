// The document formats this program reads and writes, behind one registry: RovOrirUD (the native
// format) and the open OCR formats hOCR, PAGE XML, ALTO, NDLOCR XML and Tesseract's TSV. Open,
// append, reload, the open dialog, drag and drop and the command line all go through it.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/progress.h"
#include "model/records.h"

namespace vellary::formats {

// What went wrong, as the user is told. The native reader's codes −4 … −9 pass through with its
// own messages; the other formats use the same codes where the failure is of the same kind and
// the codes below for failures the native reader cannot have.
enum ErrorCode : int {
  ErrorNone = 0,
  ErrorTag = -4,             // an element is missing, misplaced or not the format's root
  ErrorAttribute = -5,       // an attribute is missing or its value is wrong
  ErrorEncoding = -6,        // the native reader's unsupported encoding
  ErrorStructure = -7,       // the file ends before its content (an empty file)
  ErrorElement = -8,         // the content of an element is wrong
  ErrorOther = -9,           // anything else (out of memory)
  ErrorOpen = -10,           // the file cannot be opened or read
  ErrorUnknownFormat = -11,  // no registered format recognises the file
  ErrorXml = -12,            // not well-formed XML, or beyond the parser's own limits
  ErrorLimit = -13,          // more than the program takes (lines on a page, characters …)
};

struct Error {
  int code = ErrorNone;
  std::string message;  // UTF-8, Japanese, as the user sees it; "[N行目]" when a line is known
  int line = 0;         // line of the input at the failure; 0 when unknown
  std::string elementPath;  // the element at the failure, e.g. /alto/Layout/Page[1]/PrintSpace;
                            // empty for the native format and for failures outside elements
};

// The message of a code in the native reader's style, with the line filled in.
std::string errorMessage(int code, int line);

class Format;

struct ReadOptions {
  // Optional. Shown with the native reader's caption before the first page and told the count of
  // pages read after each; left shown, as the native reader leaves it, for the caller to hide.
  model::Progress* progress = nullptr;
  // The format to read the file as. Null: the format is told from the file's first bytes, then
  // from its extension.
  const Format* format = nullptr;
};

struct ReadOutcome {
  std::unique_ptr<model::PaperData> paper;  // null on failure
  Error error;
  const Format* format = nullptr;  // the format the file was read as; null when none applied
  explicit operator bool() const { return paper != nullptr; }
};

// The pages first..last (0-based, inclusive; −1 leaves that end open) of a document to write.
struct WriteRequest {
  int first = -1;
  int last = -1;
};

// The bytes of an input: a file, memory, or anything a test makes up.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to n bytes into buffer; 0 at the end. Negative when reading failed.
  virtual long read(char* buffer, size_t n) = 0;
};

// Where an import comes from and what it may report to.
struct ImportInput {
  ByteSource* source = nullptr;
  // The input file's path (UTF-8), for image paths relative to its folder; may be empty.
  std::string documentPath;
  // The whole input again from its start, for readers that need a second pass (hOCR that is
  // HTML rather than XML); null when the input cannot be read again.
  std::function<std::unique_ptr<ByteSource>()> reopen;
  model::Progress* progress = nullptr;
};

class Format {
 public:
  std::string_view name;   // the command line's name: rovorirud, hocr, page, alto, ndl, tsv
  std::string_view label;  // the user's name of the format, e.g. "PAGE XML"
  std::span<const std::string_view> extensions;  // lower case, without the dot; the first is
                                                 // the one written
  bool native = false;                           // RovOrirUD: the only format Save writes
  // How sure the format is that these first bytes of a file are its own: 0 not at all, 1 the
  // extension would have to decide, 2 certain.
  int (*sniff)(std::string_view head) = nullptr;
  ReadOutcome (*read)(ImportInput& input) = nullptr;
  // Null for formats that are read only. On failure `error` says why; nothing is left at path
  // (or at the folder of a format that writes one file per page).
  bool (*write)(model::PaperData& paper, const std::string& path, const WriteRequest& request,
                std::string& error) = nullptr;

  bool readable() const { return read != nullptr; }
  bool writable() const { return write != nullptr; }
};

// Every registered format; the native one first.
std::span<const Format* const> allFormats();
const Format& nativeFormat();
// By the command line's name; null when unknown.
const Format* formatNamed(std::string_view name);

// The format of a file: from its first bytes, then from its extension. Null when the file cannot
// be read or no format recognises it.
const Format* formatOfFile(const std::string& path);
// The same for bytes already in memory (the path only lends its extension).
const Format* formatOfBytes(std::string_view head, std::string_view path);

// The open dialog's file types: "対応するすべての形式 (*.xml *.hocr …)" first, then one entry
// per readable format, "hOCR (*.hocr *.html *.htm)"; the patterns in each entry are separated
// by blanks as Qt's name filters want them.
struct FileType {
  std::string label;     // "hOCR (*.hocr *.html *.htm)"
  std::string patterns;  // "*.hocr *.html *.htm"
};
std::vector<FileType> openFileTypes();
// The same joined by ";;", ready for QFileDialog.
std::string openDialogFilter();
// Whether a dropped or chosen file has an extension some format reads.
bool hasReadableExtension(const std::string& path);

// Reads a document as its format says: the one entry point for open, append and reload. The
// outcome names the format so that the caller remembers where the document came from; a document
// read from any format but the native one must be saved under a new RovOrirUD name.
ReadOutcome readDocument(const std::string& path, const ReadOptions& options = {});
// The same from bytes in memory; `documentPath` gives relative image paths their folder and the
// extension when the format is not told.
ReadOutcome readDocumentBytes(std::string_view bytes, const std::string& documentPath,
                              const ReadOptions& options = {});
// The same from any source (which is read once, from its start).
ReadOutcome readDocumentFrom(ByteSource& source, const std::string& documentPath,
                             const ReadOptions& options = {});

}  // namespace vellary::formats
