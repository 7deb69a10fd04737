// Reading and writing speed and the memory of the loaded model, on a generated book of
// 300 pages × 2000 characters × 5 candidates (plain Japanese body text in Shift_JIS).
//   build/bin/rovorirud_bench [--benchmark_filter=...]
// Environment: VELLARY_BENCH_PAGES overrides the page count (for a quick look).
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench_memory.h"
#include "docgen.h"
#include "model/paper.h"
#include "rovorirud/reader.h"
#include "rovorirud/writer.h"

namespace {

using namespace vellary;

struct Book {
  std::string dir;
  std::string path;
  size_t bytes = 0;
  long chars = 0;

  Book() {
    char pattern[] = "/tmp/vellary-bench-XXXXXX";
    dir = mkdtemp(pattern);
    path = dir + "/book.xml";
    docgen::Params p;
    p.rich = false;
    p.pages = std::getenv("VELLARY_BENCH_PAGES") ? std::atoi(std::getenv("VELLARY_BENCH_PAGES")) : 300;
    p.charsPerPage = 2000;
    p.candidates = 5;
    auto paper = docgen::generate(p);
    chars = model::countPaper(*paper).chars;
    if (rovorirud::writeDocumentFile(*paper, path) != rovorirud::WriteOk) std::abort();
    bytes = std::filesystem::file_size(path);
  }
  ~Book() { std::filesystem::remove_all(dir); }
};

const Book& book() {
  static Book b;
  return b;
}

// Runs first, while the heap is still small, so that resident memory measures the model alone.
void BM_ModelMemory(benchmark::State& state) {
  const Book& b = book();
  for (auto _ : state) {
    malloc_trim(0);
    long rss0 = bench::residentBytes();
    size_t heap0 = mallinfo2().uordblks;
    rovorirud::ReadResult r = rovorirud::readDocumentFile(b.path);
    if (!r.paper) state.SkipWithError("read failed");
    long rss1 = bench::residentBytes();
    size_t heap1 = mallinfo2().uordblks;
    state.counters["rss_bytes_per_char"] = double(rss1 - rss0) / double(b.chars);
    state.counters["heap_bytes_per_char"] = double(heap1 - heap0) / double(b.chars);
    state.counters["chars"] = double(b.chars);
  }
}
BENCHMARK(BM_ModelMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_Read(benchmark::State& state) {
  const Book& b = book();
  for (auto _ : state) {
    rovorirud::ReadResult r = rovorirud::readDocumentFile(b.path);
    if (!r.paper) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(r.paper.get());
    state.PauseTiming();
    r.paper.reset();  // freeing the model is not part of reading
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * b.bytes));
  state.counters["file_MB"] = double(b.bytes) / 1e6;
}
BENCHMARK(BM_Read)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();

void BM_Write(benchmark::State& state) {
  const Book& b = book();
  rovorirud::ReadResult r = rovorirud::readDocumentFile(b.path);
  if (!r.paper) {
    state.SkipWithError("read failed");
    return;
  }
  std::string out = b.dir + "/written.xml";
  for (auto _ : state) {
    if (rovorirud::writeDocumentFile(*r.paper, out) != rovorirud::WriteOk)
      state.SkipWithError("write failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * b.bytes));
}
BENCHMARK(BM_Write)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
