// Reading crafted documents that once cost far more than their size: characters declaring
// num_cand="32767" with one candidate or none, and blocks naming many distinct user section
// words. Goal: every input of up to 10 MB read in under one second and 200 MB of memory.
//   build/bin/reading_limits_bench [--benchmark_filter=...]
// Each case reports the file's size, the time of one read and the peak resident memory of a
// separate process that reads the input once (peak_MB, the process's growth while reading).
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "rovorirud/reader.h"

namespace {

using namespace vellary;

const std::string kHead =
    "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n"
    "<paper xmlns=\"http://example.org/2005/RovOrirUD\">\n<page number=\"1\" file=\"p1.tif\">\n";
const std::string kTail = "</page>\n</paper>\n";

// Characters of num_cand="32767", each with its result and one candidate, in lines of 40.
std::string manyCandidateSlots(size_t bytes) {
  std::string doc = kHead + "<block type=\"text\" direction=\"horizontal\" x=\"1\" y=\"2\" "
                            "width=\"3\" height=\"4\" sec=\"title\">\n";
  while (doc.size() < bytes) {
    doc += "<line x=\"1\" y=\"2\" width=\"3\" height=\"4\">\n";
    for (int i = 0; i < 40; ++i)
      doc += "<char x=\"1\" y=\"2\" width=\"3\" height=\"4\" num_cand=\"32767\"><result>a</result>"
             "<cand>b</cand></char>\n";
    doc += "</line>\n";
  }
  return doc + "</block>\n" + kTail;
}

// Empty blocks, each naming a user section word of its own.
std::string manySectionWords(size_t bytes) {
  std::string doc = kHead;
  for (long i = 0; doc.size() < bytes; ++i)
    doc += "<block type=\"text\" direction=\"vertical\" x=\"1\" y=\"2\" width=\"3\" height=\"4\" "
           "sec=\"section-word-" + std::to_string(i) + "\"/>\n";
  return doc + kTail;
}

// A field of /proc/self/status in KiB ("VmRSS", "VmHWM"). The peak is the process's own: unlike
// getrusage's ru_maxrss, which a forked child takes over from its parent.
long statusKiB(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.compare(0, field.size() + 1, field + ":") == 0)
      return std::strtol(line.c_str() + field.size() + 1, nullptr, 10);
  return -1;
}

// The growth of a fresh process's peak resident memory while it reads `doc` once, in MB.
double peakMegabytes(const std::string& doc) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    // The heap the parent freed (crafting the document) goes back to the system first: reading
    // into it would not show as growth.
    malloc_trim(0);
    const long before = statusKiB("VmRSS");
    rovorirud::ReadResult r = rovorirud::readDocument(doc);
    const long grown = r.paper ? statusKiB("VmHWM") - before : -1;
    (void)!write(fds[1], &grown, sizeof grown);
    _exit(0);
  }
  close(fds[1]);
  long grown = -1;
  (void)!read(fds[0], &grown, sizeof grown);
  close(fds[0]);
  waitpid(child, nullptr, 0);
  return grown < 0 ? -1 : double(grown) / 1024.0;
}

void readCase(benchmark::State& state, std::string (*craft)(size_t)) {
  const std::string doc = craft(static_cast<size_t>(state.range(0)) * 1000);
  // Measured before the timed reads: a process forked after them would find their freed memory
  // still in its heap and read the document into it without growing.
  const double peak = peakMegabytes(doc);
  for (auto _ : state) {
    rovorirud::ReadResult r = rovorirud::readDocument(doc);
    if (!r.paper) {
      const std::string why = "read failed: " + rovorirud::readErrorMessage(r.code, r.line);
      state.SkipWithError(why.c_str());
      return;
    }
    benchmark::DoNotOptimize(r.paper.get());
    state.PauseTiming();
    r.paper.reset();
    state.ResumeTiming();
  }
  state.counters["file_MB"] = double(doc.size()) / 1e6;
  state.counters["peak_MB"] = peak;
}

void BM_CandidateSlots(benchmark::State& state) { readCase(state, manyCandidateSlots); }
// 336 KB and 3.4 MB: the files measured before; 10 MB: the goal's bound.
BENCHMARK(BM_CandidateSlots)->Arg(336)->Arg(3400)->Arg(10000)->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_SectionWords(benchmark::State& state) { readCase(state, manySectionWords); }
// 10 MB: the goal's bound; 18 MB: the 200,000 words measured before.
BENCHMARK(BM_SectionWords)->Arg(10000)->Arg(18000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
