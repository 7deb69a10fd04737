// Replace all on one page of the generated book (2000 characters) with every fourth character a
// hit: 500 replacements, each with its undo snapshot. Target: well under the time a user notices
// (100 ms) on the 2-core development machine.
//   build/bin/find_replace_bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "docgen.h"
#include "document/headless.h"
#include "editing/editing_context.h"
#include "editing/find_replace.h"
#include "editing/find_replace_page.h"
#include "rovorirud/writer.h"

namespace {

using namespace vellary;

// A one-page document written once to a private folder; its path.
const std::string& documentFile() {
  static const std::string path = [] {
    docgen::Params p;
    p.rich = false;
    p.pages = 1;
    p.charsPerPage = 2000;
    p.candidates = 5;
    auto paper = docgen::generate(p);
    int i = 0;
    for (model::BlockData& b : paper->pages.front().blocks)
      for (model::LineData& l : b.lines)
        for (model::CharData& c : l.chars)
          c.text = model::makeCharText(i++ % 4 == 0 ? u'X' : u'語');
    char folder[] = "/tmp/vellary-bench-XXXXXX";
    std::string file = std::string(mkdtemp(folder)) + "/page.xml";
    rovorirud::writeDocumentFile(*paper, file);
    return file;
  }();
  return path;
}

void BM_ReplaceAllOnePage(benchmark::State& state) {
  document::HeadlessDocument headless;
  editing::EditingContext context(headless.doc(), headless.prompter());
  editing::CaretState& caret = context.state();
  editing::FindReplaceState find;
  editing::FindBuffers buffers;
  long replaced = 0;
  for (auto _ : state) {
    state.PauseTiming();
    headless.doc().load(documentFile(), false);
    editing::placeCaretAtPageStart(*headless.doc().page(0), caret);
    find = {};
    {
      editing::EditScope scope(context);
      editing::CorrectionContext ctx{scope, headless.doc(), caret, headless.frame(),
                                     headless.prompter()};
      editing::openFindDialog(ctx, find, buffers, editing::FindDialogKind::Replace);
    }
    buffers.setFind(u"X");
    buffers.setReplace(u"YZ");
    state.ResumeTiming();
    {
      editing::EditScope scope(context);
      editing::CorrectionContext ctx{scope, headless.doc(), caret, headless.frame(),
                                     headless.prompter()};
      editing::handleFindMessage(ctx, find, buffers,
                                 {editing::FindMessage::Action::ReplaceAll, true, true});
    }
    replaced += static_cast<long>(find.pageText.size()) - 2000;
  }
  state.counters["replaced"] =
      benchmark::Counter(static_cast<double>(replaced), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ReplaceAllOnePage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
