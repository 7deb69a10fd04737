// The registry of formats: the table, telling a file's format, the dialog's file types, the
// error messages, and the one reading entry point.
#include <cstdio>
#include <cstring>
#include <new>

#include "formats/importers.h"
#include "formats/writers.h"
#include "model/file_access.h"
#include "rovorirud/reader.h"
#include "rovorirud/writer.h"

namespace vellary::formats {

namespace {

// The first bytes looked at to tell a format.
constexpr size_t kHeadSize = 8192;

bool writeNative(model::PaperData& paper, const std::string& path, const WriteRequest& request,
                 std::string& error) {
  rovorirud::WriteOptions options;
  options.firstPage = request.first;
  options.lastPage = request.last;
  return rovorirud::writeDocumentFile(paper, path, options, &error) == rovorirud::WriteOk;
}

bool writePage(model::PaperData& paper, const std::string& path, const WriteRequest& request,
               std::string& error) {
  return writePageXml(paper, path, request, error);
}
bool writeAltoFile(model::PaperData& paper, const std::string& path, const WriteRequest& request,
                   std::string& error) {
  return writeAlto(paper, path, request, error);
}
bool writeHocrFile(model::PaperData& paper, const std::string& path, const WriteRequest& request,
                   std::string& error) {
  return writeHocr(paper, path, request, error);
}

constexpr std::string_view kXml[] = {"xml"};
constexpr std::string_view kHocr[] = {"hocr", "html", "htm"};
constexpr std::string_view kTsv[] = {"tsv"};

const Format kNative{"rovorirud",         "RovOrirUD",        kXml,       true,
                     detail::sniffNative, detail::readNative, writeNative};
const Format kHocrFormat{"hocr",           "hOCR",       kHocr, false, detail::sniffHocr,
                         detail::readHocr, writeHocrFile};
const Format kPage{"page",   "PAGE XML", kXml, false, detail::sniffPageXml, detail::readPageXml,
                   writePage};
const Format kAlto{"alto", "ALTO", kXml, false, detail::sniffAlto, detail::readAlto, writeAltoFile};
const Format kNdl{"ndl", "NDLOCR XML", kXml, false, detail::sniffNdl, detail::readNdl, nullptr};
const Format kTsvFormat{"tsv",           "Tesseract TSV", kTsv, false, detail::sniffTsv,
                        detail::readTsv, nullptr};

constexpr const Format* kFormats[] = {&kNative, &kHocrFormat, &kPage, &kAlto, &kNdl, &kTsvFormat};

std::string extensionOf(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
  std::string ext(path.substr(dot + 1));
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return ext;
}

bool takesExtension(const Format& f, std::string_view ext) {
  for (std::string_view e : f.extensions)
    if (e == ext) return true;
  return false;
}

class FileSource : public ByteSource {
 public:
  explicit FileSource(std::FILE* file) : file_(file) {}
  ~FileSource() override {
    if (file_) std::fclose(file_);
  }
  long read(char* buffer, size_t n) override {
    const size_t got = std::fread(buffer, 1, n, file_);
    if (got == 0 && std::ferror(file_)) return -1;
    return static_cast<long>(got);
  }

 private:
  std::FILE* file_;
};

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes) : rest_(bytes) {}
  long read(char* buffer, size_t n) override {
    n = std::min(n, rest_.size());
    std::memcpy(buffer, rest_.data(), n);
    rest_.remove_prefix(n);
    return static_cast<long>(n);
  }

 private:
  std::string_view rest_;
};

// The bytes already taken to tell the format, then the rest of the source.
class HeadThenRest : public ByteSource {
 public:
  HeadThenRest(std::string head, ByteSource& rest) : head_(std::move(head)), rest_(rest) {}
  long read(char* buffer, size_t n) override {
    if (pos_ < head_.size()) {
      n = std::min(n, head_.size() - pos_);
      std::memcpy(buffer, head_.data() + pos_, n);
      pos_ += n;
      return static_cast<long>(n);
    }
    return rest_.read(buffer, n);
  }

 private:
  std::string head_;
  size_t pos_ = 0;
  ByteSource& rest_;
};

// Up to kHeadSize bytes from the start of source; nullopt when reading failed.
std::optional<std::string> readHead(ByteSource& source) {
  std::string head(kHeadSize, '\0');
  size_t have = 0;
  while (have < head.size()) {
    const long n = source.read(head.data() + have, head.size() - have);
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    have += static_cast<size_t>(n);
  }
  head.resize(have);
  return head;
}

ReadOutcome failure(int code, const Format* format = nullptr) {
  ReadOutcome out;
  out.error = Error{code, errorMessage(code, 0), 0, {}};
  out.format = format;
  return out;
}

ReadOutcome readWithFormat(ByteSource& source, const std::string& documentPath,
                           const ReadOptions& options,
                           std::function<std::unique_ptr<ByteSource>()> reopen) {
  std::optional<std::string> head = readHead(source);
  if (!head) return failure(ErrorOpen);
  const Format* format = options.format ? options.format : formatOfBytes(*head, documentPath);
  if (format == nullptr) return failure(ErrorUnknownFormat);
  if (!format->readable()) return failure(ErrorUnknownFormat, format);
  if (head->empty() && !format->native) return failure(ErrorStructure, format);
  HeadThenRest input(std::move(*head), source);
  ImportInput in;
  in.source = &input;
  in.documentPath = documentPath;
  in.reopen = std::move(reopen);
  in.progress = options.progress;
  ReadOutcome out;
  try {
    out = format->read(in);
  } catch (const std::bad_alloc&) {
    out = failure(ErrorOther);
  }
  out.format = format;
  return out;
}

}  // namespace

std::string errorMessage(int code, int line) {
  switch (code) {
    case ErrorNone:
      return {};
    case ErrorOpen:
      return "ファイルを開けません。";
    case ErrorUnknownFormat:
      return "対応していない形式のファイルです。";
    case ErrorXml:
    case ErrorLimit: {
      std::string text =
          code == ErrorXml ? "XMLの書式が間違っています。" : "ファイルの内容が大きすぎます。";
      if (line > 0) text += "[" + std::to_string(line) + "行目]";
      return text;
    }
    default:
      return rovorirud::readErrorMessage(code, line);
  }
}

std::span<const Format* const> allFormats() { return kFormats; }

const Format& nativeFormat() { return kNative; }

const Format* formatNamed(std::string_view name) {
  for (const Format* f : kFormats)
    if (f->name == name) return f;
  return nullptr;
}

const Format* formatOfBytes(std::string_view head, std::string_view path) {
  const std::string ext = extensionOf(path);
  const Format* maybe = nullptr;
  for (const Format* f : kFormats) {
    const int score = f->sniff(head);
    if (score >= 2) return f;
    if (score == 1 && maybe == nullptr && takesExtension(*f, ext)) maybe = f;
  }
  if (maybe) return maybe;
  // Nothing recognised the content: the extension alone, so that a damaged file still reaches
  // the reader that can say what is wrong with it (the native one first for .xml).
  for (const Format* f : kFormats)
    if (f->readable() && takesExtension(*f, ext)) return f;
  return nullptr;
}

const Format* formatOfFile(const std::string& path) {
  int error = 0;
  std::FILE* file = model::openInputStream(path, error);
  if (file == nullptr) return nullptr;
  FileSource source(file);
  std::optional<std::string> head = readHead(source);
  return head ? formatOfBytes(*head, path) : nullptr;
}

std::vector<FileType> openFileTypes() {
  std::vector<FileType> types;
  std::string all;
  for (const Format* f : kFormats) {
    if (!f->readable()) continue;
    std::string patterns;
    for (std::string_view e : f->extensions) {
      const std::string p = "*." + std::string(e);
      patterns += (patterns.empty() ? "" : " ") + p;
      if (all.find(p + " ") == std::string::npos && !all.ends_with(p))
        all += (all.empty() ? "" : " ") + p;
    }
    types.push_back(FileType{std::string(f->label) + " (" + patterns + ")", patterns});
  }
  types.insert(types.begin(), FileType{"対応するすべての形式 (" + all + ")", all});
  return types;
}

std::string openDialogFilter() {
  std::string filter;
  for (const FileType& t : openFileTypes()) filter += (filter.empty() ? "" : ";;") + t.label;
  return filter;
}

bool hasReadableExtension(const std::string& path) {
  const std::string ext = extensionOf(path);
  for (const Format* f : kFormats)
    if (f->readable() && takesExtension(*f, ext)) return true;
  return false;
}

ReadOutcome readDocument(const std::string& path, const ReadOptions& options) {
  // Regular files only: a folder, a pipe or a device is refused before anything waits on it.
  int error = 0;
  std::FILE* file = model::openInputStream(path, error);
  if (file == nullptr) return failure(ErrorOpen);
  FileSource source(file);
  return readWithFormat(source, path, options, [path]() -> std::unique_ptr<ByteSource> {
    int again_error = 0;
    std::FILE* again = model::openInputStream(path, again_error);
    if (again == nullptr) return nullptr;
    return std::make_unique<FileSource>(again);
  });
}

ReadOutcome readDocumentBytes(std::string_view bytes, const std::string& documentPath,
                              const ReadOptions& options) {
  MemorySource source(bytes);
  return readWithFormat(source, documentPath, options, [bytes]() -> std::unique_ptr<ByteSource> {
    return std::make_unique<MemorySource>(bytes);
  });
}

ReadOutcome readDocumentFrom(ByteSource& source, const std::string& documentPath,
                             const ReadOptions& options) {
  return readWithFormat(source, documentPath, options, nullptr);
}

}  // namespace vellary::formats
