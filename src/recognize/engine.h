// The recognition engine: one instance reads one picture at a time, so each worker thread keeps
// its own. It reads a picture holding one block of text (the block finding is ours, see layout.h)
// with the horizontal or the vertical Japanese model and reports lines, words and symbols with
// their boxes, confidences and alternative readings.
//
// Units: pixels of the picture handed to read(); confidences 0–100 as the engine gives them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "imaging/page_analysis.h"

namespace vellary::recognize {

using imaging::PictRect;

// The two models: Japanese read in lines from left to right, and Japanese read in columns from
// top to bottom.
enum class Model { Horizontal, Vertical };

// What a picture holds: a block of lines (rows from left to right for the horizontal model,
// columns from right to left for the vertical one), or exactly one line laid left to right. The
// vertical model reads a column as one line when it is turned so that its top comes to the left:
// its characters then come back with their true places, which the block reading of columns
// loses, and it reads them better too.
enum class Shape { Block, Line };

// The name of a model's file in the model folder, without ".traineddata".
const char* modelName(Model model);

struct EngineChoice {
  std::u16string text;
  float score = 0;  // 0–100
};

struct EngineSymbol {
  std::u16string text;  // one or more UTF-16 units
  // The engine's own box. Columns read with the vertical model come back with broken symbol
  // boxes (no width); the caller rebuilds those from the word's box and the ink.
  PictRect box;
  float confidence = 0;  // 0–100
  std::vector<EngineChoice> choices;  // as the engine lists them: unsorted, maybe repeated
};

struct EngineWord {
  PictRect box;
  std::vector<EngineSymbol> symbols;
};

struct EngineLine {
  PictRect box;
  std::vector<EngineWord> words;
};

struct EngineResult {
  std::vector<EngineLine> lines;
  // What the engine itself says of the block's writing: top to bottom with columns from right to
  // left is vertical Japanese.
  bool topToBottom = false;
  bool rightToLeftLines = false;
  // Mean symbol confidence (0–100); 0 without symbols.
  double meanConfidence() const;
  int symbolCount() const;
};

class Engine {
 public:
  // `modelFolder` holds the models (NAME.traineddata); empty: the engine's default folder or the
  // folder the environment names (TESSDATA_PREFIX).
  explicit Engine(std::string modelFolder = {});
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // Loads a model now (read() loads on first use otherwise). False, with a message naming the
  // missing model, when it cannot be loaded.
  bool load(Model model, std::string* error = nullptr);
  bool loaded(Model model) const;
  // Whether a model can be had without loading it now: loaded already, or its file lies in the
  // folder the engine found another model in. With no model loaded yet it loads this one. False,
  // with the message of load(), otherwise.
  bool available(Model model, std::string* error = nullptr);

  // Reads a picture of the given shape with the model. `dpi` is the picture's resolution. False
  // when the model cannot be loaded or the picture is empty; no text read is not a failure.
  bool read(const imaging::PixelRows& grey, int dpi, Model model, Shape shape, EngineResult& out);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vellary::recognize
