// The picture layer on the bundled sample's 400-dpi A4 pages (3307 × 4677 pixels): page 1 is
// bilevel (TIFF, CCITT Group 4), page 2 colour (JPEG). Load, shrink to 0.5 and 0.1, cut a line,
// encode as Group 4 and as JPEG at qualities 30, 75 and 100, and build the views' packed bitmap.
//   build/bin/imaging_bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "imaging/dib.h"
#include "imaging/picture_file.h"
#include "imaging/picture_ops.h"

namespace vellary::imaging {
namespace {

const std::string kBilevelPage = std::string(VELLARY_SAMPLE_DIR) + "/page1.tif";
const std::string kColourPage = std::string(VELLARY_SAMPLE_DIR) + "/page2.jpg";

const std::string& pagePath(int colour) { return colour ? kColourPage : kBilevelPage; }

// The decoded page, loaded once per kind.
const CPictInfo& page(int colour) {
  static CPictInfo pages[2];
  CPictInfo& p = pages[colour];
  if (!p.hasPixels()) {
    p.fileName = pagePath(colour);
    if (LoadImageFileProc(p) != kImageOk) {
      std::fprintf(stderr, "imaging_bench: cannot load %s\n", p.fileName.c_str());
      std::exit(1);
    }
  }
  return p;
}

const char* kindName(int colour) { return colour ? "colour" : "bilevel"; }

void BM_Load(benchmark::State& state) {
  const int colour = static_cast<int>(state.range(0));
  state.SetLabel(kindName(colour));
  for (auto _ : state) {
    CPictInfo p;
    p.fileName = pagePath(colour);
    if (LoadImageFileProc(p) != kImageOk) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(p.width());
  }
}
BENCHMARK(BM_Load)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Shrink(benchmark::State& state) {
  const int colour = static_cast<int>(state.range(0));
  const double factor = static_cast<double>(state.range(1)) / 100.0;
  state.SetLabel(std::string(kindName(colour)) + " ×" + std::to_string(factor).substr(0, 3));
  const CPictInfo& source = page(colour);
  for (auto _ : state) {
    CPictInfo small;
    if (MakeShrinkImageFromPict(source, small, factor, kShrinkDisplay) != kImageOk)
      state.SkipWithError("shrink failed");
    benchmark::DoNotOptimize(small.width());
  }
}
BENCHMARK(BM_Shrink)->Args({0, 50})->Args({0, 10})->Args({1, 50})->Args({1, 10})->Unit(
    benchmark::kMillisecond);

// A bilevel page reduced for a Group 4 figure (400 → 160 dpi), as image PDF at quality 0 does.
void BM_ShrinkKeepDepth(benchmark::State& state) {
  const CPictInfo& source = page(0);
  for (auto _ : state) {
    CPictInfo small;
    MakeShrinkImageFromPict(source, small, 0.4, kShrinkKeepDepth);
    benchmark::DoNotOptimize(small.width());
  }
}
BENCHMARK(BM_ShrinkKeepDepth)->Unit(benchmark::kMillisecond);

// One text line: a vertical column on the bilevel page (turned to read as a row, as the text
// view's line images are), a horizontal line on the colour page.
void BM_CutLine(benchmark::State& state) {
  const int colour = static_cast<int>(state.range(0));
  state.SetLabel(colour ? "colour row" : "bilevel column, turned 270");
  const CPictInfo& source = page(colour);
  const PictRect line = colour ? PictRect{300, 680, 3007, 760} : PictRect{2420, 640, 2500, 3700};
  for (auto _ : state) {
    CPictInfo piece;
    MakeSubPictImageFromPict(source, line, piece);
    if (!colour) KIMakeRotatedImage(piece, 270);
    benchmark::DoNotOptimize(piece.width());
  }
}
BENCHMARK(BM_CutLine)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_EncodeG4(benchmark::State& state) {
  const CPictInfo& source = page(0);
  std::vector<uint8_t> bytes;
  for (auto _ : state) {
    EncodeG4Data(source, bytes);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_EncodeG4)->Unit(benchmark::kMillisecond);

void BM_EncodeJpeg(benchmark::State& state) {
  const int quality = static_cast<int>(state.range(0));
  const CPictInfo& source = page(1);
  std::vector<uint8_t> bytes;
  for (auto _ : state) {
    EncodeJpeg(source, quality, bytes);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetLabel("colour, quality " + std::to_string(quality));
  state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_EncodeJpeg)->Arg(30)->Arg(75)->Arg(100)->Unit(benchmark::kMillisecond);

void BM_PackedDib(benchmark::State& state) {
  const int colour = static_cast<int>(state.range(0));
  state.SetLabel(kindName(colour));
  const CPictInfo& source = page(colour);
  for (auto _ : state) {
    std::vector<uint8_t> dib = MakePackedDib(source);
    benchmark::DoNotOptimize(dib.data());
  }
}
BENCHMARK(BM_PackedDib)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vellary::imaging

BENCHMARK_MAIN();
