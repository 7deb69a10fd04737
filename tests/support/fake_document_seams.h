// Views, clock and progress for document tests: they record what the document asked of them.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "document/seams.h"
#include "model/progress.h"

namespace vellary::testing {

class FakeViews : public document::DocumentViews {
 public:
  void updateAllViews(int hint) override { hints.push_back(hint); }
  void setPageMark(int page, bool changed) override {
    if (page >= static_cast<int>(marks.size())) marks.resize(page + 1);
    marks[page] = changed;
  }
  void resetTextView() override { ++resets; }
  double viewScale() const override { return scale; }
  void setViewScale(double s) override { scale = s; }
  void setZoomSelection(int index) override { zoomSelection = index; }
  document::CaretState caretState() const override { return caret; }
  void restoreCaret(const document::CaretState& c) override { restoredCaret = c; }
  std::pair<int, int> selectionPositions() const override { return selection; }
  void setSelectionPositions(int a, int b) override { restoredSelection = {a, b}; }

  std::vector<int> hints;
  std::vector<bool> marks;
  int resets = 0;
  double scale = 0.5;
  int zoomSelection = -1;
  document::CaretState caret{1, 2, 3}, restoredCaret{};
  std::pair<int, int> selection{-1, -1}, restoredSelection{-9, -9};
};

class FakeClock : public document::Clock {
 public:
  uint32_t tickCount() const override { return now; }
  uint32_t now = 1000;
};

class CaptionProgress : public model::Progress {
 public:
  void setCaption(std::string_view caption) override { captions.emplace_back(caption); }
  std::vector<std::string> captions;
};

}  // namespace vellary::testing
