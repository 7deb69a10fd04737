// dump, save and import: reading a document of any format and printing it, or writing it as
// RovOrirUD.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli_util.h"
#include "commands.h"
#include "formats/format.h"
#include "model/file_access.h"
#include "model/json_dump.h"
#include "rovorirud/writer.h"
#include "usage.h"

namespace vellary::cli {

namespace {

struct Loaded {
  formats::ReadOutcome result;
  int exit = ExitOk;
};

// Reads the document at path, as `format` or as its content says. A file that cannot be opened
// (a folder, a pipe or a device included) is not a reader error: it fails with a message; a
// reader error leaves the error in result.
Loaded load(const std::string& path, const formats::Format* format = nullptr) {
  Loaded l;
  model::UniqueFd probe;
  if (const int error = model::openInputFile(path, probe); error != 0) {
    l.exit = fail("cannot open " + path + ": " + model::inputErrorText(error));
    return l;
  }
  probe.reset();
  formats::ReadOptions options;
  options.format = format;
  l.result = formats::readDocument(path, options);
  if (!l.result.paper) l.exit = ExitReadError;
  return l;
}

// The error as dump prints it; the element's path only for the formats that have elements.
std::string errorJson(const formats::Error& e) {
  std::string json = "{\"error\": " + std::to_string(e.code) +
                     ", \"line\": " + std::to_string(e.line) +
                     ", \"message\": " + model::jsonString(e.message);
  if (!e.elementPath.empty()) json += ", \"element\": " + model::jsonString(e.elementPath);
  return json + "}\n";
}

// --format NAME: a registered format that reads; an error text otherwise.
std::string formatOption(const Options& opts, const formats::Format*& format) {
  format = nullptr;
  auto name = opts.value("--format");
  if (!name) return {};
  format = formats::formatNamed(*name);
  if (format == nullptr || !format->readable()) {
    std::string names;
    for (const formats::Format* f : formats::allFormats())
      if (f->readable()) names += (names.empty() ? "" : "|") + std::string(f->name);
    return "--format takes " + names;
  }
  return {};
}

bool writeAll(const std::string& text) {
  return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
         std::fflush(stdout) == 0;
}

}  // namespace

int runDump(const std::vector<std::string>& args) {
  Options opts;
  std::vector<std::string> rest;
  bool summary = false;
  for (const std::string& a : args) {
    if (a == "--summary")
      summary = true;
    else
      rest.push_back(a);
  }
  if (std::string err = opts.parse(rest, {"--format"}); !err.empty()) return fail(err);
  if (opts.positional().size() != 1)
    return fail(usageOf("dump"));
  const formats::Format* format = nullptr;
  if (std::string err = formatOption(opts, format); !err.empty()) return fail(err);
  Loaded l = load(opts.positional()[0], format);
  if (l.exit == ExitFailure) return l.exit;
  if (l.exit == ExitReadError) {
    writeAll(errorJson(l.result.error));
    return ExitReadError;
  }
  const model::PaperData& paper = *l.result.paper;
  const bool written = summary ? writeAll(model::dumpSummaryJson(paper))
                               : model::dumpJson(paper, [](std::string_view piece) {
                                   return std::fwrite(piece.data(), 1, piece.size(), stdout) ==
                                          piece.size();
                                 }) && std::fflush(stdout) == 0;
  if (!written) return fail(std::string("cannot write the dump to standard output: ") +
                            std::strerror(errno));
  return ExitOk;
}

int runSave(const std::vector<std::string>& args) {
  Options opts;
  if (std::string err = opts.parse(args, {"--encoding", "--first", "--last", "--docpath"});
      !err.empty())
    return fail(err);
  if (opts.positional().size() != 2)
    return fail(usageOf("save"));
  rovorirud::WriteOptions w;
  if (auto v = opts.value("--encoding")) {
    auto n = parseInteger(*v);
    if (!n || *n < 0 || *n > 2) return fail("--encoding takes 0, 1 or 2");
    w.encoding = static_cast<uint32_t>(*n);
  }
  for (auto [name, field] :
       {std::pair{"--first", &w.firstPage}, std::pair{"--last", &w.lastPage}}) {
    if (auto v = opts.value(name)) {
      auto n = parseInteger(*v);
      if (!n || *n > 0x7FFFFFFF || *n < -0x7FFFFFFF)
        return fail(std::string(name) + " takes a page index");
      *field = static_cast<int>(*n);
    }
  }
  if (auto v = opts.value("--docpath")) w.documentPath = *v;

  const std::string& in = opts.positional()[0];
  const std::string& out = opts.positional()[1];
  Loaded l = load(in, &formats::nativeFormat());
  if (l.exit == ExitFailure) return l.exit;
  if (l.exit == ExitReadError) {
    fail(in + ": " + l.result.error.message);
    return ExitReadError;
  }
  model::PaperData& paper = *l.result.paper;
  // A range that names no page would write an empty document and call it a success.
  const int count = static_cast<int>(paper.pages.size());
  const bool firstOutside = opts.value("--first") && (w.firstPage < 0 || w.firstPage >= count);
  const bool lastOutside = opts.value("--last") && w.lastPage >= count;
  const bool reversed = w.firstPage >= 0 && w.lastPage >= 0 && w.firstPage > w.lastPage;
  if (firstOutside || lastOutside || reversed)
    return fail(in + ": --first and --last take page indexes from 0 to " +
                std::to_string(count - 1) +
                ", the first not after the last (--last -1: to the end)");
  std::string error;
  if (rovorirud::writeDocumentFile(paper, out, w, &error) != rovorirud::WriteOk) return fail(error);
  return ExitOk;
}

int runImport(const std::vector<std::string>& args) {
  Options opts;
  if (std::string err = opts.parse(args, {"--format"}); !err.empty()) return fail(err);
  if (opts.positional().size() != 2)
    return fail(usageOf("import"));
  const formats::Format* format = nullptr;
  if (std::string err = formatOption(opts, format); !err.empty()) return fail(err);
  const std::string& in = opts.positional()[0];
  const std::string& out = opts.positional()[1];
  Loaded l = load(in, format);
  if (l.exit == ExitFailure) return l.exit;
  if (l.exit == ExitReadError) {
    writeAll(errorJson(l.result.error));
    return ExitReadError;
  }
  std::string error;
  if (rovorirud::writeDocumentFile(*l.result.paper, out, {}, &error) != rovorirud::WriteOk)
    return fail(error);
  return ExitOk;
}

}  // namespace vellary::cli
