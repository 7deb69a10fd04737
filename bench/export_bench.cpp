// Export speed and size per page: text export and text PDF on a generated 300-page book and on
// the bundled sample; image PDF and high compression on the bundled sample; image PDF (bilevel and
// colour, each quality) and high-compression PDF on generated 400-dpi A4 pages.
//   build/bin/export_bench [--benchmark_filter=...]
//   build/bin/export_bench --write-pages DIR   # the generated pages as JPEG, PPM and G4 TIFF,
//                                              # for running other tools on the same pages
// Environment: VELLARY_BENCH_PAGES overrides the number of generated 400-dpi pages (3).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "docgen.h"
#include "export/export.h"
#include "export/page_image.h"
#include "export/pdf/pdf_export.h"
#include "export/text_export.h"
#include "imaging/dib.h"
#include "imaging/picture_ops.h"
#include "model/text.h"
#include "pagegen.h"
#include "rovorirud/reader.h"

namespace {

using namespace vellary;

struct Folder {
  std::string path;
  Folder() {
    char pattern[] = "/tmp/vellary-export-bench-XXXXXX";
    path = mkdtemp(pattern);
  }
  ~Folder() { std::filesystem::remove_all(path); }
};

Folder& scratch() {
  static Folder f;
  return f;
}

int generatedPages() {
  const char* n = std::getenv("VELLARY_BENCH_PAGES");
  return n ? std::max(1, std::atoi(n)) : 3;
}

// Generated 400-dpi A4 pages, colour (JPEG) or bilevel (CCITT G4 TIFF), made once.
model::PaperData& pages(bool colour) {
  static std::unique_ptr<model::PaperData> docs[2];
  auto& d = docs[colour ? 1 : 0];
  if (!d) {
    pagegen::PageSpec spec;
    spec.colour = colour;
    const std::string folder = scratch().path + (colour ? "/colour" : "/bilevel");
    std::filesystem::create_directories(folder);
    d = pagegen::generateDocument(spec, generatedPages(), folder);
  }
  return *d;
}

model::PaperData& book() {
  static std::unique_ptr<model::PaperData> b;
  if (!b) {
    docgen::Params p;
    p.rich = false;
    p.pages = 300;
    p.charsPerPage = 2000;
    p.candidates = 5;
    b = docgen::generate(p);
  }
  return *b;
}

const std::string kSamplePath = std::string(VELLARY_SOURCE_DIR) + "/samples/minato/minato.xml";

// The bundled sample: three 400-dpi pages (two bilevel, one colour) whose images lie in the
// folder named like the document.
model::PaperData& sample() {
  static std::unique_ptr<model::PaperData> s;
  if (!s) {
    const std::string& path = kSamplePath;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) std::abort();
    auto r = rovorirud::readDocument(f);
    std::fclose(f);
    if (!r.paper) std::abort();
    s = std::move(r.paper);
  }
  return *s;
}

// Eight generated colour pages for the comparison of one job with one per core: enough pages
// that two workers share them evenly.
model::PaperData& jobPages() {
  static std::unique_ptr<model::PaperData> d;
  if (!d) {
    pagegen::PageSpec spec;
    spec.colour = true;
    const std::string folder = scratch().path + "/jobs";
    std::filesystem::create_directories(folder);
    d = pagegen::generateDocument(spec, 8, folder);
  }
  return *d;
}

// The bytes of the scans themselves, per page, for comparing the files with them.
double scanBytesPerPage(model::PaperData& paper, const std::string& documentPath) {
  double total = 0;
  for (model::PageData& page : paper.pages) {
    std::error_code ec;
    const auto size =
        std::filesystem::file_size(exporting::resolvePageImage(page, documentPath), ec);
    if (!ec) total += static_cast<double>(size);
  }
  return paper.pages.empty() ? 0 : total / static_cast<double>(paper.pages.size());
}

void report(benchmark::State& state, const std::string& path, int pagesPerRun) {
  const double bytes = static_cast<double>(std::filesystem::file_size(path));
  state.counters["bytes_per_page"] = bytes / pagesPerRun;
  state.counters["s_per_page"] = benchmark::Counter(
      static_cast<double>(pagesPerRun),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void exportRun(benchmark::State& state, model::PaperData& paper, int kind, int quality,
               const std::string& name, const std::string& documentPath = {}, int jobs = 1) {
  const std::string out = scratch().path + "/" + name;
  exporting::ExportOptions options;
  options.imageQuality = quality;
  options.documentPath = documentPath;
  options.jobs = jobs;
  const int n = static_cast<int>(paper.pages.size());
  for (auto _ : state) {
    auto r = exporting::ExportDocument(paper, {out, kind, 0, n - 1}, options);
    if (!r.written) state.SkipWithError(r.error.c_str());
  }
  report(state, out, n);
  state.counters["scan_bytes_per_page"] = scanBytesPerPage(paper, documentPath);
}

void BM_TextExportBook(benchmark::State& state) {
  exportRun(state, book(), exporting::KindText, 0, "book.txt");
}
void BM_TextPdfBook(benchmark::State& state) {
  exportRun(state, book(), exporting::KindPdfText, 0, "book.pdf");
}
void BM_TextExportSample(benchmark::State& state) {
  exportRun(state, sample(), exporting::KindText, 0, "sample.txt", kSamplePath);
}
void BM_TextPdfSample(benchmark::State& state) {
  exportRun(state, sample(), exporting::KindPdfText, 0, "sample.pdf", kSamplePath);
}
void BM_ImagePdfSample(benchmark::State& state) {
  exportRun(state, sample(), exporting::KindPdfImage, static_cast<int>(state.range(0)),
            "sample-image.pdf", kSamplePath);
}
void BM_HighCompressionSample(benchmark::State& state) {
  exportRun(state, sample(), exporting::KindPdfCompressed, static_cast<int>(state.range(0)),
            "sample-mrc.pdf", kSamplePath);
}
// Arguments: quality, jobs (0: one per core).
void BM_ImagePdfJobs(benchmark::State& state) {
  exportRun(state, jobPages(), exporting::KindPdfImage, static_cast<int>(state.range(0)),
            "jobs-image.pdf", {}, static_cast<int>(state.range(1)));
}
void BM_HighCompressionJobs(benchmark::State& state) {
  exportRun(state, jobPages(), exporting::KindPdfCompressed, static_cast<int>(state.range(0)),
            "jobs-mrc.pdf", {}, static_cast<int>(state.range(1)));
}
// Word, PowerPoint and XPS through the Office writer library (build/lib beside build/bin), whose
// per-page work is the pictures cut from the page images. Arguments: kind, jobs.
void BM_OfficeJobs(benchmark::State& state) {
  const int kind = static_cast<int>(state.range(0));
  exportRun(state, jobPages(), kind, 0,
            kind == exporting::KindDocx   ? "jobs.docx"
            : kind == exporting::KindPptx ? "jobs.pptx"
                                          : "jobs.xps",
            {}, static_cast<int>(state.range(1)));
}
void BM_TextPdfGenerated(benchmark::State& state) {
  exportRun(state, pages(true), exporting::KindPdfText, 0, "generated-text.pdf");
}
void BM_ImagePdfBilevel(benchmark::State& state) {
  exportRun(state, pages(false), exporting::KindPdfImage, static_cast<int>(state.range(0)),
            "bilevel.pdf");
}
void BM_ImagePdfColour(benchmark::State& state) {
  exportRun(state, pages(true), exporting::KindPdfImage, static_cast<int>(state.range(0)),
            "colour.pdf");
}
void BM_HighCompressionColour(benchmark::State& state) {
  exportRun(state, pages(true), exporting::KindPdfCompressed, static_cast<int>(state.range(0)),
            "mrc.pdf");
}

BENCHMARK(BM_TextExportBook)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TextPdfBook)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TextExportSample)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TextPdfSample)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImagePdfSample)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HighCompressionSample)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_ImagePdfJobs)
    ->Args({0, 1})
    ->Args({0, 0})
    ->Args({1, 1})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_HighCompressionJobs)
    ->Args({1, 1})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_OfficeJobs)
    ->Args({exporting::KindDocx, 1})
    ->Args({exporting::KindDocx, 0})
    ->Args({exporting::KindXps, 1})
    ->Args({exporting::KindXps, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_TextPdfGenerated)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImagePdfBilevel)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImagePdfColour)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HighCompressionColour)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The generated pages as files other tools read: colour JPEG and PPM, bilevel G4 TIFF.
int writePages(const std::string& folder) {
  std::filesystem::create_directories(folder);
  for (int i = 0; i < generatedPages(); ++i) {
    pagegen::PageSpec spec;
    spec.seed = 1 + static_cast<uint32_t>(i);
    char name[64];
    pagegen::GeneratedPage colour = pagegen::generatePage(spec);
    std::snprintf(name, sizeof name, "/colour%03d.jpg", i + 1);
    pagegen::writePicture(colour.picture, folder + name);
    imaging::DibHeader header;
    imaging::ConvertCPictToDIB(colour.picture, header);
    std::vector<uint8_t> rows(header.imageSize);
    imaging::CopyCPictToDIBPixels(colour.picture, rows);
    std::snprintf(name, sizeof name, "/colour%03d.ppm", i + 1);
    std::ofstream ppm(folder + name, std::ios::binary);
    const int w = colour.picture.width(), h = colour.picture.height();
    const size_t stride = static_cast<size_t>(colour.picture.bytesPerLine());
    ppm << "P6\n" << w << " " << h << "\n255\n";
    for (int y = 0; y < h; ++y) {
      const uint8_t* r = rows.data() + static_cast<size_t>(h - 1 - y) * stride;
      for (int x = 0; x < w; ++x)
        ppm.put(static_cast<char>(r[3 * x + 2]))
            .put(static_cast<char>(r[3 * x + 1]))
            .put(static_cast<char>(r[3 * x]));
    }
    spec.colour = false;
    pagegen::GeneratedPage bilevel = pagegen::generatePage(spec);
    std::snprintf(name, sizeof name, "/bilevel%03d.tif", i + 1);
    pagegen::writePicture(bilevel.picture, folder + name);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--write-pages") == 0) return writePages(argv[2]);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
