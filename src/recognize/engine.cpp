// The recognition engine over libtesseract.
#include "recognize/engine.h"

#include <dlfcn.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <array>
#include <filesystem>
#include <mutex>

#include "model/text.h"

namespace vellary::recognize {

namespace {

// Loading a model sets some of the engine's process-wide parameters (where its messages go among
// them): one load at a time.
std::mutex& loadMutex() {
  static std::mutex m;
  return m;
}

// The engine's library runs some loops of its networks on a team of OpenMP threads, in every
// thread that calls it. Here pages already run on every core, and a team per call only makes the
// threads wait for each other: one page of the bundled sample took 3.2 s with the teams and 1.7 s
// without on the 2-core machine. The OpenMP runtime keeps this setting per thread, so each caller
// turns the teams off for itself. Found at run time: the library may come without OpenMP.
void noThreadTeamsInThisThread() {
  using SetLevels = void (*)(int);
  static const SetLevels set =
      reinterpret_cast<SetLevels>(dlsym(RTLD_DEFAULT, "omp_set_max_active_levels"));
  if (set != nullptr) set(0);
}

PictRect boxAt(const tesseract::PageIterator& it, tesseract::PageIteratorLevel level) {
  int l = 0, t = 0, r = 0, b = 0;
  if (!it.BoundingBox(level, &l, &t, &r, &b)) return {};
  return PictRect{l, t, r, b};
}

std::u16string textAt(const tesseract::ResultIterator& it, tesseract::PageIteratorLevel level) {
  std::unique_ptr<char[]> text(it.GetUTF8Text(level));
  return text ? model::fromUtf8(text.get()) : std::u16string();
}

}  // namespace

const char* modelName(Model model) { return model == Model::Vertical ? "jpn_vert" : "jpn"; }

double EngineResult::meanConfidence() const {
  double sum = 0;
  int n = 0;
  for (const EngineLine& line : lines)
    for (const EngineWord& word : line.words)
      for (const EngineSymbol& s : word.symbols) {
        sum += s.confidence;
        ++n;
      }
  return n > 0 ? sum / n : 0;
}

int EngineResult::symbolCount() const {
  int n = 0;
  for (const EngineLine& line : lines)
    for (const EngineWord& word : line.words) n += static_cast<int>(word.symbols.size());
  return n;
}

struct Engine::Impl {
  std::string folder;
  std::array<std::unique_ptr<tesseract::TessBaseAPI>, 2> api;
  std::array<bool, 2> failed{false, false};
  std::array<std::string, 2> error;
};

Engine::Engine(std::string modelFolder) : impl_(std::make_unique<Impl>()) {
  impl_->folder = std::move(modelFolder);
}

Engine::~Engine() = default;

bool Engine::loaded(Model model) const { return impl_->api[static_cast<size_t>(model)] != nullptr; }

bool Engine::load(Model model, std::string* error) {
  const size_t m = static_cast<size_t>(model);
  if (impl_->api[m]) return true;
  if (!impl_->failed[m]) {
    auto api = std::make_unique<tesseract::TessBaseAPI>();
    // The engine's messages (progress notes, the diacritics it found) would go to stderr.
    const std::vector<std::string> names{"debug_file"};
    const std::vector<std::string> values{"/dev/null"};
    int result;
    {
      std::lock_guard lock(loadMutex());
      result = api->Init(impl_->folder.empty() ? nullptr : impl_->folder.c_str(), modelName(model),
                         tesseract::OEM_LSTM_ONLY, nullptr, 0, &names, &values, false);
    }
    if (result == 0) {
      // Alternatives per character from the network's own output. Their scores are
      // 100 − coefficient × rating, clipped at 0: the default coefficient leaves most at 0.
      api->SetVariable("lstm_choice_mode", "2");
      api->SetVariable("lstm_rating_coefficient", "1");
      // Each pass of the choice search decodes the whole line again without the characters
      // found so far and adds one alternative. The default five passes took 8.0 s of CPU for
      // the six benchmark pages against 5.9 s with one pass (the reading and its runner-up);
      // the text is the same, and of the 68 misreads on the test, benchmark and sample pages
      // four passes' candidates held the true character for 10, one pass's for 9 (README,
      // Recognition).
      api->SetVariable("lstm_choice_iterations", "1");
      impl_->api[m] = std::move(api);
      return true;
    }
    impl_->failed[m] = true;
    impl_->error[m] = std::string("the recognition model ") + modelName(model) +
                      " cannot be loaded (" + modelName(model) + ".traineddata" +
                      (impl_->folder.empty() ? "" : " in " + impl_->folder) + ")";
  }
  if (error != nullptr) *error = impl_->error[m];
  return false;
}

bool Engine::available(Model model, std::string* error) {
  const size_t m = static_cast<size_t>(model);
  if (impl_->api[m]) return true;
  for (const auto& other : impl_->api) {
    if (!other || impl_->failed[m]) continue;
    // The folder the engine read the other model from.
    std::error_code ec;
    const std::filesystem::path file = std::filesystem::path(other->GetDatapath()) /
                                       (std::string(modelName(model)) + ".traineddata");
    if (std::filesystem::is_regular_file(file, ec)) return true;
    break;
  }
  return load(model, error);
}

bool Engine::read(const imaging::PixelRows& grey, int dpi, Model model, Shape shape,
                  EngineResult& out) {
  out = EngineResult{};
  if (grey.width <= 0 || grey.height <= 0 || grey.bytesPerPixel != 1 ||
      grey.bytes.size() < static_cast<size_t>(grey.bytesPerLine) * grey.height)
    return false;
  if (!load(model)) return false;
  noThreadTeamsInThisThread();
  tesseract::TessBaseAPI& api = *impl_->api[static_cast<size_t>(model)];
  // Our layout hands over one block or line at a time; the engine's own page segmentation loses
  // or scrambles much of a vertical page.
  api.SetPageSegMode(shape == Shape::Line         ? tesseract::PSM_RAW_LINE
                     : model == Model::Vertical ? tesseract::PSM_SINGLE_BLOCK_VERT_TEXT
                                                : tesseract::PSM_SINGLE_BLOCK);
  api.SetImage(grey.bytes.data(), grey.width, grey.height, 1, grey.bytesPerLine);
  api.SetSourceResolution(dpi > 0 ? dpi : 300);
  if (api.Recognize(nullptr) != 0) {
    api.Clear();
    return true;
  }
  std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
  if (it) {
    using namespace tesseract;
    it->Begin();
    do {
      if (it->Empty(RIL_SYMBOL)) continue;
      if (it->IsAtBeginningOf(RIL_BLOCK)) {
        Orientation orientation;
        WritingDirection direction;
        TextlineOrder order;
        float deskew = 0;
        it->Orientation(&orientation, &direction, &order, &deskew);
        out.topToBottom = direction == WRITING_DIRECTION_TOP_TO_BOTTOM;
        out.rightToLeftLines = order == TEXTLINE_ORDER_RIGHT_TO_LEFT;
      }
      if (out.lines.empty() || it->IsAtBeginningOf(RIL_TEXTLINE))
        out.lines.push_back(EngineLine{boxAt(*it, RIL_TEXTLINE), {}});
      EngineLine& line = out.lines.back();
      if (line.words.empty() || it->IsAtBeginningOf(RIL_WORD))
        line.words.push_back(EngineWord{boxAt(*it, RIL_WORD), {}});
      EngineSymbol symbol;
      symbol.text = textAt(*it, RIL_SYMBOL);
      if (symbol.text.empty()) continue;
      symbol.box = boxAt(*it, RIL_SYMBOL);
      symbol.confidence = it->Confidence(RIL_SYMBOL);
      ChoiceIterator choice(*it);
      do {
        if (const char* text = choice.GetUTF8Text())
          symbol.choices.push_back(EngineChoice{model::fromUtf8(text), choice.Confidence()});
      } while (choice.Next());
      line.words.back().symbols.push_back(std::move(symbol));
    } while (it->Next(RIL_SYMBOL));
  }
  it.reset();
  api.Clear();
  // Words and lines that ended up without a symbol say nothing.
  for (EngineLine& line : out.lines)
    std::erase_if(line.words, [](const EngineWord& w) { return w.symbols.empty(); });
  std::erase_if(out.lines, [](const EngineLine& l) { return l.words.empty(); });
  return true;
}

}  // namespace vellary::recognize
