// Import and export speed of the open OCR formats, and the memory an import takes beyond the
// model it builds, on generated files:
//   - hOCR as Tesseract 5 writes it with character boxes and lstm_choice_mode 2 (every character
//     an ocrx_cinfo followed by a group of five choice spans), 50 pages × 2000 characters;
//   - the same book written by this program as hOCR, ALTO and PAGE XML.
//   build/bin/formats_bench [--benchmark_filter=...]
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
#include "formats/format.h"
#include "formats/writers.h"
#include "model/paper.h"
#include "model/text.h"

namespace {

using namespace vellary;

constexpr std::u16string_view kText =
    u"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん"
    u"日本語文字認識結果訂正画像頁行段落表題著者東京大学研究所年月日時間人間社会経済政治文化歴史、"
    u"。";

int pageCount() {
  const char* env = std::getenv("VELLARY_BENCH_PAGES");
  return env ? std::atoi(env) : 50;
}

// The book the exporters write: plain body text, 2000 characters and 5 candidates each a page.
std::unique_ptr<model::PaperData> book() {
  docgen::Params p;
  p.rich = false;
  p.pages = pageCount();
  p.charsPerPage = 2000;
  p.candidates = 5;
  return docgen::generate(p);
}

// A page of Tesseract's hOCR: 40 lines of 50 characters in words of one to four characters, each
// character with its box and confidence and a group of five candidates.
void tesseractPage(std::string& out, int page, uint32_t& seed) {
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) & 0xFFFF;
  };
  auto ch = [&](uint32_t r) { return model::toUtf8(kText.substr(r % kText.size(), 1)); };
  const std::string p = std::to_string(page);
  out += "  <div class='ocr_page' id='page_" + p + "' title='image \"page" + p +
         ".png\"; bbox 0 0 2480 3508; ppageno " + std::to_string(page - 1) +
         "; scan_res 300 300'>\n";
  out += "   <div class='ocr_carea' id='block_" + p + "_1' title=\"bbox 200 200 2280 3300\">\n";
  out +=
      "    <p class='ocr_par' id='par_" + p + "_1' lang='jpn' title=\"bbox 200 200 2280 3300\">\n";
  int word = 0;
  for (int l = 0; l < 40; ++l) {
    const int y = 200 + l * 75;
    out += "     <span class='ocr_line' id='line_" + p + "_" + std::to_string(l + 1) +
           "' title=\"bbox 200 " + std::to_string(y) + " 2280 " + std::to_string(y + 60) +
           "; baseline 0 -8; x_size 60; x_descenders 8; x_ascenders 12\">\n";
    int c = 0;
    while (c < 50) {
      const int n = std::min(50 - c, 1 + static_cast<int>(next() % 4));
      const int x = 200 + c * 41;
      out += "      <span class='ocrx_word' id='word_" + p + "_" + std::to_string(++word) +
             "' title='bbox " + std::to_string(x) + " " + std::to_string(y) + " " +
             std::to_string(x + n * 41 - 3) + " " + std::to_string(y + 60) + "; x_wconf 91'>\n";
      for (int k = 0; k < n; ++k, ++c) {
        const int cx = 200 + c * 41;
        const std::string id = p + "_" + std::to_string(word) + "_" + std::to_string(k + 1);
        const uint32_t r = next();
        out += "       <span class='ocrx_cinfo' title='x_bboxes " + std::to_string(cx) + " " +
               std::to_string(y) + " " + std::to_string(cx + 38) + " " + std::to_string(y + 60) +
               "; x_conf 98.761909'>" + ch(r) + "</span>\n";
        out += "        <span class='ocrx_cinfo' id='lstm_choices_" + id + "'>\n";
        for (int j = 0; j < 5; ++j)
          out += "         <span class='ocrx_cinfo' id='choice_" + id + "_" +
                 std::to_string(j + 1) + "' title='x_confs " + (j == 0 ? "94.758286" : "0") + "'>" +
                 ch(j == 0 ? r : next()) + "</span>\n";
        out += "        </span>\n";
      }
      out += "      </span>\n";
    }
    out += "     </span>\n";
  }
  out += "    </p>\n   </div>\n  </div>\n";
}

struct Files {
  std::string dir;
  std::string tesseract, hocr, alto, page;
  long chars = 0;

  Files() {
    char pattern[] = "/tmp/vellary-bench-XXXXXX";
    dir = mkdtemp(pattern);
    std::string t =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 "
        "Transitional//EN\"\n    \"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\n"
        "<html xmlns=\"http://www.w3.org/1999/xhtml\" xml:lang=\"en\" lang=\"en\">\n <head>\n"
        "  <title></title>\n  <meta name='ocr-system' content='tesseract 5.3.0' />\n </head>\n "
        "<body>\n";
    uint32_t seed = 7;
    for (int i = 1; i <= pageCount(); ++i) tesseractPage(t, i, seed);
    t += " </body>\n</html>\n";
    tesseract = write("tesseract.hocr", t);

    auto paper = book();
    chars = model::countPaper(*paper).chars;
    std::string error;
    hocr = dir + "/book.hocr";
    alto = dir + "/book.xml";
    page = dir + "/page.xml";
    if (!formats::writeHocr(*paper, hocr, {}, error) ||
        !formats::writeAlto(*paper, alto, {}, error) ||
        !formats::writePageXml(*paper, page, {0, 0}, error))
      std::abort();
  }
  ~Files() { std::filesystem::remove_all(dir); }

  std::string write(const char* name, const std::string& bytes) const {
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
};

const Files& files() {
  static Files f;
  return f;
}

void import(benchmark::State& state, const std::string& path) {
  const size_t bytes = std::filesystem::file_size(path);
  long chars = 0;
  for (auto _ : state) {
    formats::ReadOutcome r = formats::readDocument(path);
    if (!r.paper) {
      state.SkipWithError(r.error.message.c_str());
      return;
    }
    chars = model::countPaper(*r.paper).chars;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  state.SetItemsProcessed(state.iterations() * chars);
  state.counters["MB"] = double(bytes) / 1e6;
  state.counters["chars"] = double(chars);
}

// Runs first, while the heap is small: the resident memory an import of Tesseract's hOCR adds
// at its peak, against the file's size and the model it leaves (a streaming reader keeps only
// the current branch of the file).
void BM_ImportMemoryTesseractHocr(benchmark::State& state) {
  const Files& f = files();
  const double bytes = double(std::filesystem::file_size(f.tesseract));
  for (auto _ : state) {
    malloc_trim(0);
    const size_t heap0 = mallinfo2().uordblks;
    const long rss0 = bench::residentBytes();
    formats::ReadOutcome r = formats::readDocument(f.tesseract);
    if (!r.paper) state.SkipWithError("import failed");
    const long rss1 = bench::residentBytes();
    const size_t heap1 = mallinfo2().uordblks;
    state.counters["file_MB"] = bytes / 1e6;
    state.counters["rss_growth_MB"] = double(rss1 - rss0) / 1e6;
    state.counters["model_MB"] = double(heap1 - heap0) / 1e6;
  }
}
BENCHMARK(BM_ImportMemoryTesseractHocr)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_ImportTesseractHocr(benchmark::State& state) { import(state, files().tesseract); }
BENCHMARK(BM_ImportTesseractHocr)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ImportOwnHocr(benchmark::State& state) { import(state, files().hocr); }
BENCHMARK(BM_ImportOwnHocr)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ImportAlto(benchmark::State& state) { import(state, files().alto); }
BENCHMARK(BM_ImportAlto)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ImportPageXmlOnePage(benchmark::State& state) { import(state, files().page); }
BENCHMARK(BM_ImportPageXmlOnePage)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Export(benchmark::State& state) {
  auto paper = book();
  const long chars = model::countPaper(*paper).chars;
  size_t bytes = 0;
  for (auto _ : state) {
    switch (state.range(0)) {
      case 0:
        bytes = formats::hocrBytes(*paper, {}, "/tmp/out.hocr").size();
        break;
      case 1:
        bytes = formats::altoBytes(*paper, {}, "/tmp/out.xml").size();
        break;
      default:
        bytes = 0;
        for (const model::PageData& page : paper->pages)
          bytes += formats::pageXmlBytes(page, *paper, "/tmp/out.xml").size();
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  state.SetItemsProcessed(state.iterations() * chars);
  state.SetLabel(state.range(0) == 0 ? "hOCR" : state.range(0) == 1 ? "ALTO" : "PAGE XML");
}
BENCHMARK(BM_Export)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
