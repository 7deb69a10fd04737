// dump and save: reading a document and printing or writing it back.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli_util.h"
#include "commands.h"
#include "model/file_access.h"
#include "model/json_dump.h"
#include "rovorirud/reader.h"
#include "rovorirud/writer.h"

namespace vellary::cli {

namespace {

struct Loaded {
  rovorirud::ReadResult result;
  int exit = ExitOk;
};

// Reads the document at path. A file that cannot be opened (a folder, a pipe or a device
// included) is not a reader error: it fails with a message; a reader error leaves the code and
// line in result.
Loaded load(const std::string& path) {
  Loaded l;
  l.result = rovorirud::readDocumentFile(path);
  if (l.result.openError != 0) {
    l.exit = fail("cannot open " + path + ": " + model::inputErrorText(l.result.openError));
    return l;
  }
  if (!l.result.paper) l.exit = ExitReadError;
  return l;
}

std::string errorJson(const rovorirud::ReadResult& r) {
  return "{\"error\": " + std::to_string(r.code) + ", \"line\": " + std::to_string(r.line) +
         ", \"message\": " + model::jsonString(rovorirud::readErrorMessage(r.code, r.line)) +
         "}\n";
}

bool writeAll(const std::string& text) {
  return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
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
  if (std::string err = opts.parse(rest, {}); !err.empty()) return fail(err);
  if (opts.positional().size() != 1) return fail("usage: vellary-cli dump [--summary] FILE");
  Loaded l = load(opts.positional()[0]);
  if (l.exit == ExitFailure) return l.exit;
  if (l.exit == ExitReadError) {
    writeAll(errorJson(l.result));
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
    return fail(
        "usage: vellary-cli save IN OUT [--encoding 0|1|2] [--first I] [--last J] [--docpath P]");
  rovorirud::WriteOptions w;
  if (auto v = opts.value("--encoding")) {
    auto n = parseInteger(*v);
    if (!n || *n < 0 || *n > 2) return fail("--encoding takes 0, 1 or 2");
    w.encoding = static_cast<uint32_t>(*n);
  }
  for (auto [name, field] : {std::pair{"--first", &w.firstPage}, std::pair{"--last", &w.lastPage}}) {
    if (auto v = opts.value(name)) {
      auto n = parseInteger(*v);
      if (!n || *n > 0x7FFFFFFF || *n < -0x7FFFFFFF) return fail(std::string(name) + " takes a page index");
      *field = static_cast<int>(*n);
    }
  }
  if (auto v = opts.value("--docpath")) w.documentPath = *v;

  const std::string& in = opts.positional()[0];
  const std::string& out = opts.positional()[1];
  Loaded l = load(in);
  if (l.exit == ExitFailure) return l.exit;
  if (l.exit == ExitReadError) {
    fail(in + ": " + rovorirud::readErrorMessage(l.result.code, l.result.line));
    return ExitReadError;
  }
  model::PaperData& paper = *l.result.paper;
  std::string error;
  if (rovorirud::writeDocumentFile(paper, out, w, &error) != rovorirud::WriteOk) return fail(error);
  return ExitOk;
}

}  // namespace vellary::cli
