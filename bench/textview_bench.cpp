// The editor's speed on a dense vertical page (2000 characters on A4 at 300 dpi), in the real
// main frame on the offscreen platform: the full update (layout and rendering of the whole page
// image), the redraw of one line, a typed key and a chosen candidate from the command to the line
// drawn again (the change set, every view and every command's state included), undo and redo of a
// typed character, the image decodes an edit-mode switch costs, and the memory of a full undo
// history.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "app/fonts.h"
#include "app/main_frame.h"
#include "document/document.h"
#include "editing/editing_context.h"
#include "editing/editor.h"
#include "model/paper.h"
#include "rovorirud/writer.h"
#include "textview/correction_view.h"
#include "textview/image_view.h"
#include "views/draw_view.h"

using namespace vellary;

namespace {

constexpr int kColumns = 25, kPerColumn = 80;

model::PaperData densePaper() {
  const std::u16string text =
      u"夜明け前の港は、まだ深い眠りの底にある。岸壁に打ち寄せる波の音だけが「規則正しく」"
      u"時を刻んでいた。私は外套の襟を立て、薄暗い坂道をゆっくりと下りていった。コーヒー";
  model::PaperData paper;
  paper.encoding = 1;
  model::PageData page;
  page.number = 1;
  page.width = 2480;
  page.height = 3508;
  page.dpi = 300;
  model::BlockData block;
  block.type = model::BlockText;
  block.direction = model::Vertical;
  block.langId = model::kLangJapanese;
  block.x = 240;
  block.y = 300;
  block.width = 2000;
  block.height = 3000;
  size_t k = 0;
  for (int c = 0; c < kColumns; ++c) {
    model::LineData line;
    line.width = line.widthOrg = 56;
    line.height = line.heightOrg = 2960;
    line.x = block.x + block.width - (c + 1) * 80;
    line.y = block.y + 20;
    for (int i = 0; i < kPerColumn; ++i) {
      model::CharData ch;
      ch.text = model::makeCharText(text[k++ % text.size()]);
      ch.x = line.x;
      ch.y = line.y + i * 37;
      ch.width = 56;
      ch.height = 36;
      ch.cc = (k % 97 == 0) ? 1 : 10;
      // Every character offers candidates, as a recogniser's do.
      ch.resetCandidates(3);
      ch.candText(0) = ch.text;
      ch.candText(1) = model::makeCharText(u'漢');
      ch.candText(2) = model::makeCharText(u'字');
      line.chars.push_back(std::move(ch));
    }
    line.charCount = kPerColumn;
    block.lines.push_back(std::move(line));
  }
  model::computeBlockAverages(block);
  page.blocks.push_back(std::move(block));
  paper.pages.push_back(std::move(page));
  return paper;
}

class NoPrompts : public appcore::Prompter {
 public:
  appcore::Answer ask(std::string_view, std::string_view, appcore::Buttons,
                      appcore::Answer defaultAnswer, appcore::Icon) override {
    return defaultAnswer;
  }
};

// The main frame on one document.
struct Bench {
  Bench() {
    appcore::applyFontDefaults(app);
    app.doBackup = 0;
    char dir[] = "/tmp/vellary-textview-bench-XXXXXX";
    folder = mkdtemp(dir);
    path = folder + "/dense.xml";
    model::PaperData paper = densePaper();
    rovorirud::writeDocumentFile(paper, path);
    frame = std::make_unique<app::CMainFrame>(app::FrameContext{
        app, frameSettings, store, prompter, nullptr, clock, folder + "/_$backup.xml",
        views::PreviewCache(folder + "/previews")});
    frame->resize(1200, 900);
    frame->show();
    frame->applyStoredArrangement();
    frame->doc().reComposeAfterLoad = nullptr;
    frame->openFile(path);
    frame->doc().zoomCommand(appcore::IdZoom100);
  }
  ~Bench() {
    frame.reset();
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
  textview::CImageView& view() { return frame->textView(); }
  document::CScrivlaDoc& doc() { return frame->doc(); }
  editing::EditingContext& editing() { return frame->editingContext(); }
  model::LineData& line(int index) {
    return *std::next(doc().page(0)->blocks.front().lines.begin(), index);
  }
  // The caret before character `index` of line `lineIndex`, as a click would leave it.
  void caretTo(int lineIndex, int index) {
    editing::CaretState& s = editing().state();
    s.caret = editing::caretAt({&doc().page(0)->blocks.front(), nullptr, &line(lineIndex)}, index);
    s.entry = 0;
    s.selection.collapseTo(s.caret);
    doc().notify(document::ChangeSet::of(document::Change::Caret));
  }

  appcore::MemorySettingsStore store;
  NoPrompts prompter;
  appcore::AppSettings app;
  appcore::FrameSettings frameSettings;
  document::SteadyClock clock;
  std::string folder, path;
  std::unique_ptr<app::CMainFrame> frame;
};

Bench& bench() {
  static Bench b;
  return b;
}

void redrawAll(Bench& b) { b.doc().notify(document::ChangeSet::everything()); }

void BM_FullUpdateDenseVertical(benchmark::State& state) {
  Bench& b = bench();
  b.frameSettings.textColourMode = static_cast<int>(state.range(0));
  for (auto _ : state) {
    b.doc().notify(document::ChangeSet::of(document::Change::Display));
    benchmark::DoNotOptimize(b.view().pageImage().constBits());
  }
  state.counters["chars"] = kColumns * kPerColumn;
  b.frameSettings.textColourMode = 0;
}
BENCHMARK(BM_FullUpdateDenseVertical)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_LineRedraw(benchmark::State& state) {
  Bench& b = bench();
  redrawAll(b);
  model::LineData& line = b.line(12);
  auto ch = std::next(line.chars.begin(), 40);
  for (auto _ : state) {
    ch->text = model::makeCharText(ch->text[0] == u'漢' ? u'字' : u'漢');
    ch->changed = 1;
    b.view().redrawLine(&line);
  }
}
BENCHMARK(BM_LineRedraw)->Unit(benchmark::kMicrosecond);

// One typed character: the key event through the view to the editor (records, undo run, page
// mark, change set, every view and command), the page's numbers laid out again and the caret's
// column rendered into the page image. Every 64 keys the typed characters are taken out again,
// untimed, so the column keeps its size.
void BM_KeystrokeTyped(benchmark::State& state) {
  Bench& b = bench();
  redrawAll(b);
  b.caretTo(12, 40);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("字"));
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("字"));
  int typed = 0;
  for (auto _ : state) {
    QApplication::sendEvent(&b.view(), &press);
    QApplication::sendEvent(&b.view(), &release);
    if (++typed == 64) {
      state.PauseTiming();
      model::LineData& line = b.line(12);
      auto first = std::next(line.chars.begin(), 40);
      line.chars.erase(first, std::next(first, typed));
      line.charCount -= typed;
      b.doc().page(0)->blocks.front().charCount -= typed;
      b.doc().history().clear();
      b.caretTo(12, 40);
      typed = 0;
      state.ResumeTiming();
    }
  }
  state.counters["chars"] = kColumns * kPerColumn;
}
BENCHMARK(BM_KeystrokeTyped)->Unit(benchmark::kMicrosecond);

// One candidate chosen from the character menu's command: the undo step, the character, the
// change set and its one line drawn again.
void BM_CandidateChosen(benchmark::State& state) {
  Bench& b = bench();
  redrawAll(b);
  b.caretTo(5, 40);
  int chosen = 0;
  for (auto _ : state) {
    b.frame->correction().chooseCandidate(1 + chosen % 2);
    if (++chosen == 256) {
      state.PauseTiming();
      b.doc().history().clear();
      chosen = 0;
      state.ResumeTiming();
    }
  }
}
BENCHMARK(BM_CandidateChosen)->Unit(benchmark::kMicrosecond);

// Undo and then redo of one typed character, each through its command: the page swapped with its
// kept copy, the caret restored, the page laid out and drawn again.
void BM_UndoRedoTyped(benchmark::State& state) {
  Bench& b = bench();
  redrawAll(b);
  b.doc().history().clear();
  b.caretTo(12, 40);
  b.editing().editor().typeChar(u'字');
  for (auto _ : state) {
    b.frame->commands().dispatch(appcore::IdUndo);
    b.frame->commands().dispatch(appcore::IdRedo);
  }
  state.counters["per_step_ms"] = benchmark::Counter(
      2 * static_cast<double>(state.iterations()) / 1000,
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  b.frame->commands().dispatch(appcore::IdUndo);
  b.doc().history().clear();
}
BENCHMARK(BM_UndoRedoTyped)->Unit(benchmark::kMillisecond);

// Block editing and back through their commands: the counter says how many page images the
// switches decoded (none is needed: the page did not change).
void BM_EditModeSwitch(benchmark::State& state) {
  Bench& b = bench();
  const long before = views::CDrawView::decodeCount();
  for (auto _ : state) {
    b.frame->commands().dispatch(appcore::IdBlockEdit);
    b.frame->commands().dispatch(appcore::IdCharEdit);
  }
  state.counters["decodes"] = static_cast<double>(views::CDrawView::decodeCount() - before);
}
BENCHMARK(BM_EditModeSwitch)->Unit(benchmark::kMillisecond);

// The memory of a full history: 500 steps of candidate choices on the dense page, each keeping a
// copy of the page, as the history counts them and as the process's resident size grows.
void BM_HistoryMemory(benchmark::State& state) {
  Bench& b = bench();
  auto residentKb = [] {
    long kb = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
      long pages = 0, resident = 0;
      if (std::fscanf(f, "%ld %ld", &pages, &resident) == 2) kb = resident * 4;
      std::fclose(f);
    }
    return kb;
  };
  for (auto _ : state) {
    state.PauseTiming();
    b.doc().history().clear();
    const long before = residentKb();
    state.ResumeTiming();
    for (int i = 0; i < 500; ++i) {
      b.caretTo(i % 10, (i * 7) % kPerColumn);
      b.frame->correction().chooseCandidate(1 + i % 2);
    }
    state.PauseTiming();
    state.counters["steps"] = static_cast<double>(b.doc().history().size());
    state.counters["history_MB"] = static_cast<double>(b.doc().history().bytes()) / (1 << 20);
    state.counters["rss_growth_MB"] = static_cast<double>(residentKb() - before) / 1024;
    state.ResumeTiming();
  }
  b.doc().history().clear();
}
BENCHMARK(BM_HistoryMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_LayoutOnly(benchmark::State& state) {
  Bench& b = bench();
  editing::LayoutParams params;
  params.zoom = 1.0;
  for (auto _ : state) benchmark::DoNotOptimize(editing::layoutPage(*b.doc().page(0), params));
}
BENCHMARK(BM_LayoutOnly)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qt(argc, argv);
  app::installFontSubstitutions();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
