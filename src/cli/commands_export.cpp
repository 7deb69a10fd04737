// export: opening a document as the editor does (read, then side-line re-composition) and
// writing a range of its pages as text, PDF, Word, PowerPoint or XPS.
#include <algorithm>
#include <cstdio>

#include "appcore/settings.h"
#include "appcore/settings_store.h"
#include "cli_util.h"
#include "commands.h"
#include "document/document.h"
#include "document/document_export.h"
#include "document/headless.h"
#include "export/export.h"
#include "export/export_choice.h"
#include "usage.h"

namespace vellary::cli {

namespace {

struct KindName {
  const char* name;
  int kind;
};
constexpr KindName kKinds[] = {
    {"txt", exporting::KindText},
    {"pdf", exporting::KindPdfText},
    {"pdf-image", exporting::KindPdfImage},
    {"pdf-mrc", exporting::KindPdfCompressed},
    {"docx", exporting::KindDocx},
    {"pptx", exporting::KindPptx},
    {"xps", exporting::KindXps},
    {"page", exporting::KindPageXml},
    {"alto", exporting::KindAlto},
    {"hocr", exporting::KindHocr},
};

// "A-B" or "A": 1-based page numbers.
bool parsePages(const std::string& text, int& first, int& last) {
  const size_t dash = text.find('-');
  auto a = parseInteger(text.substr(0, dash));
  auto b = dash == std::string::npos ? a : parseInteger(text.substr(dash + 1));
  if (!a || !b || *a < 1 || *b < 1 || *a > 1000000 || *b > 1000000) return false;
  first = static_cast<int>(*a);
  last = static_cast<int>(*b);
  return true;
}

}  // namespace

int runExport(const std::vector<std::string>& args) {
  Options opts;
  if (std::string err =
          opts.parse(args, {"--kind", "--pages", "--quality", "--title", "--subject", "--author",
                            "--keywords", "--word-columns", "--ruby-inline", "--ruby", "--fonts",
                            "--jobs", "--office-library"},
                     {"--pdfa"});
      !err.empty())
    return fail(err);
  if (opts.positional().size() != 2 || !opts.has("--kind")) return fail(usageOf("export"));

  int kind = exporting::KindNone;
  for (const KindName& k : kKinds)
    if (*opts.value("--kind") == k.name) kind = k.kind;
  if (kind == exporting::KindNone)
    return fail("unknown kind " + *opts.value("--kind") + "\n" + usageOf("export"));

  // The settings start from their defaults, not from the user's stored settings: the result
  // must not depend on who runs the command.
  appcore::FrameSettings frame;
  if (auto q = opts.value("--quality")) {
    auto n = parseInteger(*q);
    if (!n || *n < 0 || *n > 2) return fail("--quality takes 0, 1 or 2");
    frame.pdfImageQuality = static_cast<int>(*n);
  }
  if (auto v = opts.value("--title")) frame.pdfFileTitle = *v;
  if (auto v = opts.value("--subject")) frame.pdfFileSubtitle = *v;
  if (auto v = opts.value("--author")) frame.pdfAuthor = *v;
  if (auto v = opts.value("--keywords")) frame.pdfKeywords = *v;
  if (auto v = opts.value("--word-columns")) {
    auto n = parseInteger(*v);
    if (!n || *n < 1 || *n > 2) return fail("--word-columns takes 1 (off) or 2 (on)");
    frame.wordColumns = static_cast<int>(*n);
  }
  if (auto v = opts.value("--ruby-inline")) {
    auto n = parseInteger(*v);
    if (!n || *n < 0 || *n > 1) return fail("--ruby-inline takes 0 or 1");
    frame.rubyInsert = static_cast<int>(*n);
  }

  if (auto v = opts.value("--ruby")) {
    if (*v != "none" && *v != "aozora") return fail("--ruby takes none or aozora");
    frame.textRubyNotation = *v == "aozora" ? 1 : 0;
  }
  if (auto v = opts.value("--fonts")) {
    if (*v != "embed" && *v != "named") return fail("--fonts takes embed or named");
    frame.pdfEmbedFonts = *v == "embed" ? 1 : 0;
  }
  if (opts.flag("--pdfa")) frame.pdfArchive = 1;
  if (auto v = opts.value("--jobs")) {
    auto n = parseInteger(*v);
    if (!n || *n < 0 || *n > 1024) return fail("--jobs takes a number of pages at once (0: every core)");
    frame.exportJobs = static_cast<int>(*n);
  }

  const std::string& in = opts.positional()[0];
  const std::string& out = opts.positional()[1];
  document::HeadlessDocument headless(frame);
  if (int exit = openAsTheEditorDoes(in, headless); exit != ExitOk) return exit;
  document::CScrivlaDoc& doc = headless.doc();

  const int pageCount = static_cast<int>(doc.paper()->pages.size());
  if (pageCount == 0) return fail(in + " has no pages");
  int first = -1, last = -1;  // all pages, as the dialog records it
  if (auto p = opts.value("--pages")) {
    int a = 0, b = 0;
    if (!parsePages(*p, a, b) ||
        exporting::rangeRefused(exporting::RangeChoice::PageRange, a, b, pageCount))
      return fail("--pages " + *p + ": the document has pages 1-" + std::to_string(pageCount));
    first = a;
    last = b;
  }
  const auto range = exporting::exportRange(first, last, pageCount, doc.currentPage());
  exporting::ExportRequest request{out, kind, range.first, range.second};

  TerminalProgress progress;
  headless.clearLastMessage();
  const int result =
      document::exportDocument(doc, request, headless.frame(), headless.prompter(), &progress,
                               opts.value("--office-library").value_or(""));
  progress.hide();
  if (kind == exporting::KindText ? result != 0 : result != 1)
    return fail(headless.lastMessage().empty() ? "cannot write " + out : headless.lastMessage());
  return ExitOk;
}

}  // namespace vellary::cli
