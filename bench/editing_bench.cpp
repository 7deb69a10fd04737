// One keystroke on the model side, in a generated page of 2000 characters × 5 candidates opened
// as the editor opens it: typing a character and Backspace, in a run (undo's snapshot taken once
// for the run) and alternating (each keystroke copies the page for undo).
//   build/bin/editing_bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "docgen.h"
#include "document/headless.h"
#include "editing/editing_context.h"
#include "editing/editor.h"
#include "rovorirud/writer.h"

namespace {

using namespace vellary;

// A headless document holding one generated page, with the caret in the middle of its middle
// line. Each benchmark gets its own, so their edits never meet.
struct Session {
  std::string dir;
  document::HeadlessDocument headless;
  std::unique_ptr<editing::EditingContext> context;
  editing::Editor* editor = nullptr;

  Session() {
    char pattern[] = "/tmp/vellary-bench-XXXXXX";
    dir = mkdtemp(pattern);
    docgen::Params p;
    p.rich = false;
    p.pages = 1;
    p.charsPerPage = 2000;
    p.candidates = 5;
    auto paper = docgen::generate(p);
    const std::string path = dir + "/page.xml";
    if (rovorirud::writeDocumentFile(*paper, path) != rovorirud::WriteOk) std::abort();
    if (!headless.doc().open(path, false)) std::abort();
    context = std::make_unique<editing::EditingContext>(headless.doc(), headless.prompter());
    editor = &context->editor();
    model::PageData& page = *editor->page();
    std::vector<editing::LineRef> lines = editing::pageLines(page);
    const editing::LineRef& middle = lines[lines.size() / 2];
    editor->state().caret =
        editing::caretAt(middle, static_cast<int>(middle.line->chars.size() / 2));
    editor->state().selection.collapseTo(editor->state().caret);
  }
  ~Session() { std::filesystem::remove_all(dir); }
};

constexpr int kBatch = 256;  // keystrokes between untimed resets of the line

void BM_TypeCharacter(benchmark::State& state) {
  Session s;
  editing::Editor& ed = *s.editor;
  int typed = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ed.typeChar(u'字'));
    if (++typed == kBatch) {
      state.PauseTiming();
      for (; typed > 0; --typed) ed.backspace();
      ed.typeChar(u'字');  // the run of typing goes on: no new snapshot
      ed.backspace();
      state.ResumeTiming();
    }
  }
}
BENCHMARK(BM_TypeCharacter);

void BM_Backspace(benchmark::State& state) {
  Session s;
  editing::Editor& ed = *s.editor;
  int deleted = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ed.backspace());
    if (++deleted == kBatch) {
      state.PauseTiming();
      for (; deleted > 0; --deleted) ed.typeChar(u'字');
      ed.backspace();  // starts the next run of deleting untimed
      ed.typeChar(u'字');
      ed.backspace();
      ed.typeChar(u'字');
      state.ResumeTiming();
    }
  }
}
BENCHMARK(BM_Backspace);

// Typing then Backspace: the kinds alternate, so each keystroke takes undo's copy of the page.
void BM_TypeAndBackspaceWithSnapshots(benchmark::State& state) {
  Session s;
  editing::Editor& ed = *s.editor;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ed.typeChar(u'字'));
    benchmark::DoNotOptimize(ed.backspace());
  }
  state.counters["keystrokes"] = benchmark::Counter(
      2.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TypeAndBackspaceWithSnapshots);

}  // namespace

BENCHMARK_MAIN();
