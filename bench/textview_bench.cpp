// The text view's speed on a dense vertical page (2000 characters on A4 at 300 dpi): the full
// update (layout and rendering of the whole page image), the redraw of one line after an edit and
// a typed key handled from its key event to its line drawn again. Runs on the offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <cstdio>
#include <memory>

#include "app/fonts.h"
#include "document/document.h"
#include "editing/editor.h"
#include "model/paper.h"
#include "rovorirud/writer.h"
#include "textview/image_view.h"
#include "views/view_host.h"

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

// The text view on one document, without the main frame.
struct Bench : views::ViewHost, document::DocumentViews {
  Bench() {
    appcore::applyFontDefaults(app);
    document::DocumentSetup s;
    s.prompter = &prompter;
    s.views = this;
    s.app = &app;
    s.settings = &store;
    s.frame = &frame;
    s.clock = &clock;
    s.backupPath = "/tmp/vellary-textview-bench-backup.xml";
    doc = std::make_unique<document::CScrivlaDoc>(s);
    doc->reComposeAfterLoad = nullptr;
    editor = std::make_unique<editing::Editor>(*doc, prompter);
    view = std::make_unique<textview::CImageView>();
    view->setContext({this, &frame, &app, nullptr, nullptr, nullptr, editor.get()});
    view->resize(800, 600);
    model::PaperData paper = densePaper();
    char dir[] = "/tmp/vellary-textview-bench-XXXXXX";
    path = std::string(mkdtemp(dir)) + "/dense.xml";
    rovorirud::writeDocumentFile(paper, path);
    doc->open(path, false);
    doc->zoomCommand(document::CmdZoom100);
  }
  ~Bench() override {
    std::remove(path.c_str());
    std::remove(path.substr(0, path.rfind('/')).c_str());
  }

  document::CScrivlaDoc* document() override { return doc.get(); }
  int editMode() const override { return 3; }
  int textDisplayMode() const override { return 2; }
  int imageSubMode() const override { return 0; }
  void updateViews(int hint) override { updateAllViews(hint); }
  void resetTextView() override {
    if (view) view->resetCaret();
  }
  void placeCaretOnPage() override { editor->placeCaretOnPage(); }
  document::CaretState caretState() const override { return editor->reportCaret(); }
  void reestablishCaret() override {}
  void focusTextView() override {}
  void showPageCounter(const QString&) override {}
  void syncScroll(int, int, int) override {}
  void redrawLineRect() override {}
  void updateAllViews(int hint) override {
    if (view) view->onUpdate(hint);
  }
  void setPageMark(int, bool) override {}
  double viewScale() const override { return view ? view->scale() : 1.0; }
  void setViewScale(double s) override {
    if (view) view->setScale(s);
  }

  appcore::MemorySettingsStore store;
  NoPrompts prompter;
  appcore::AppSettings app;
  appcore::FrameSettings frame;
  document::SteadyClock clock;
  std::unique_ptr<document::CScrivlaDoc> doc;
  std::unique_ptr<editing::Editor> editor;
  std::unique_ptr<textview::CImageView> view;
  std::string path;
};

Bench& bench() {
  static Bench b;
  return b;
}

void BM_FullUpdateDenseVertical(benchmark::State& state) {
  Bench& b = bench();
  b.frame.textColourMode = static_cast<int>(state.range(0));
  for (auto _ : state) {
    b.view->onUpdate(0);
    benchmark::DoNotOptimize(b.view->pageImage().constBits());
  }
  state.counters["chars"] = kColumns * kPerColumn;
  b.frame.textColourMode = 0;
}
BENCHMARK(BM_FullUpdateDenseVertical)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_LineRedraw(benchmark::State& state) {
  Bench& b = bench();
  b.view->onUpdate(0);
  model::LineData& line = *std::next(b.doc->page(0)->blocks.front().lines.begin(), 12);
  auto ch = std::next(line.chars.begin(), 40);
  for (auto _ : state) {
    ch->text = model::makeCharText(ch->text[0] == u'漢' ? u'字' : u'漢');
    ch->changed = 1;
    b.view->redrawLine(&line);
  }
}
BENCHMARK(BM_LineRedraw)->Unit(benchmark::kMicrosecond);

// One typed character: the key event through the view to the editor (records, undo run, page
// mark), the page's numbers laid out again and the caret's column rendered into the page image.
// Every 64 keys the typed characters are taken out again, untimed, so the column keeps its size.
void BM_KeystrokeTyped(benchmark::State& state) {
  Bench& b = bench();
  b.view->onUpdate(0);
  model::LineData& line = *std::next(b.doc->page(0)->blocks.front().lines.begin(), 12);
  editing::CaretState s = b.view->caretState();
  s.caret = editing::caretAt({&b.doc->page(0)->blocks.front(), nullptr, &line}, 40);
  s.selection.collapseTo(s.caret);
  b.view->setCaretState(s);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("字"));
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("字"));
  int typed = 0;
  for (auto _ : state) {
    QApplication::sendEvent(b.view.get(), &press);
    QApplication::sendEvent(b.view.get(), &release);
    if (++typed == 64) {
      state.PauseTiming();
      auto first = std::next(line.chars.begin(), 40);
      line.chars.erase(first, std::next(first, typed));
      line.charCount -= typed;
      b.doc->page(0)->blocks.front().charCount -= typed;
      s.caret = editing::caretAt({&b.doc->page(0)->blocks.front(), nullptr, &line}, 40);
      s.selection.collapseTo(s.caret);
      b.view->setCaretState(s);
      typed = 0;
      state.ResumeTiming();
    }
  }
  state.counters["chars"] = kColumns * kPerColumn;
}
BENCHMARK(BM_KeystrokeTyped)->Unit(benchmark::kMicrosecond);

void BM_LayoutOnly(benchmark::State& state) {
  Bench& b = bench();
  editing::LayoutParams params;
  params.zoom = 1.0;
  for (auto _ : state) benchmark::DoNotOptimize(editing::layoutPage(*b.doc->page(0), params));
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
