// Re-composing every page with joining (what "re-compose all pages" does) on the generated book
// of 300 pages × 2000 characters × 5 candidates. Target: under one second on the 2-core
// development machine.
//   build/bin/recompose_bench [--benchmark_filter=...]
// Environment: VELLARY_BENCH_PAGES overrides the page count (for a quick look).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "docgen.h"
#include "document/document.h"
#include "document/headless.h"
#include "model/paper.h"
#include "recompose/recompose.h"
#include "rovorirud/writer.h"

namespace {

using namespace vellary;

int benchPages() {
  const char* env = std::getenv("VELLARY_BENCH_PAGES");
  return env != nullptr ? std::atoi(env) : 300;
}

std::unique_ptr<model::PaperData> generate(bool rich) {
  docgen::Params p;
  p.rich = rich;
  p.pages = benchPages();
  p.charsPerPage = 2000;
  p.candidates = 5;
  return docgen::generate(p);
}

const model::PaperData& book(bool rich) {
  static const auto plain = generate(false);
  static const auto mixed = generate(true);
  return rich ? *mixed : *plain;
}

std::unique_ptr<model::PaperData> copyOf(const model::PaperData& paper) {
  auto copy = std::make_unique<model::PaperData>();
  copy->encoding = paper.encoding;
  copy->userSections = paper.userSections;
  for (const model::PageData& page : paper.pages) copy->pages.push_back(model::copyPage(page));
  return copy;
}

// The steps of re-composing all pages, page by page, with the settings' default options.
void reComposeAll(model::PaperData& paper) {
  const recompose::ReComposeOptions options;
  for (model::PageData& page : paper.pages) {
    recompose::JoinPageBlocks(page, options.joining);
    recompose::ReComposePage(page, recompose::PageTypicalCharSize(page), options.loading.monoRuby);
    recompose::NormaliseSmallKana(page);
  }
}

void BM_ReComposeAllPages(benchmark::State& state) {
  const bool rich = state.range(0) != 0;
  const model::PaperData& source = book(rich);
  for (auto _ : state) {
    state.PauseTiming();
    auto paper = copyOf(source);
    state.ResumeTiming();
    reComposeAll(*paper);
    benchmark::DoNotOptimize(paper->pages.size());
    state.PauseTiming();
    paper.reset();
    state.ResumeTiming();
  }
  state.counters["pages"] = static_cast<double>(source.pages.size());
}
BENCHMARK(BM_ReComposeAllPages)
    ->Arg(0)
    ->ArgName("rich")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(BM_ReComposeAllPages)
    ->Arg(1)
    ->ArgName("rich")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// The whole command on an opened document: re-composition, paper list, current page, block
// entries. The forced backup is switched off: it is the writer's cost, measured by its own bench.
void BM_ReComposeAllPagesCommand(benchmark::State& state) {
  char pattern[] = "/tmp/vellary-bench-XXXXXX";
  const std::string dir = mkdtemp(pattern);
  const std::string path = dir + "/book.xml";
  auto paper = copyOf(book(false));
  if (rovorirud::writeDocumentFile(*paper, path) != rovorirud::WriteOk) std::abort();
  paper.reset();

  for (auto _ : state) {
    state.PauseTiming();
    auto headless = std::make_unique<document::HeadlessDocument>();
    document::CScrivlaDoc* doc = &headless->doc();
    if (!doc->openDocument(path)) std::abort();
    state.ResumeTiming();
    doc->reComposeAllPages();
    state.PauseTiming();
    headless.reset();
    state.ResumeTiming();
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_ReComposeAllPagesCommand)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
