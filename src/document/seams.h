// What the document needs from the outside besides prompts and progress: its views and a clock.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string>

namespace vellary::document {

// Update hints: what changed, so that each view can skip what it need not redraw.
enum ViewHint : int { HintAll = 0, HintPage = 4, HintColours = 5 };

// The text view's caret state as it reports it; the document keeps it without looking inside.
using CaretState = std::array<int32_t, 3>;

class DocumentViews {
 public:
  virtual ~DocumentViews() = default;
  virtual void updateAllViews(int hint) = 0;
  // The page list's first column: "*" while the page (0-based) has unsaved changes.
  virtual void setPageMark(int pageIndex, bool changed) = 0;
  virtual void refreshPageList() {}
  // The page list's scale list selects entry `index` (0 for 10 %, … 9 for 100 %).
  virtual void setZoomSelection(int /*index*/) {}
  virtual void selectPageRow(int /*pageIndex*/) {}
  // The text view drops its block entry, block, line, caret character and selection.
  virtual void resetTextView() {}
  // The text view places its caret on the (new) current page.
  virtual void placeCaretOnPage() {}
  // In character editing the text view re-establishes its caret after a scale change.
  virtual void reestablishCaret() {}
  virtual void focusTextView() {}
  virtual CaretState caretState() const { return {}; }
  virtual void restoreCaret(const CaretState& /*state*/) {}
  // Positions of the first and last selected character over the page's non-table blocks;
  // −1 when nothing is selected.
  virtual std::pair<int, int> selectionPositions() const { return {-1, -1}; }
  virtual void setSelectionPositions(int /*first*/, int /*last*/) {}
  // The text view's current display scale (0.1 to 1.0).
  virtual double viewScale() const = 0;
  virtual void setViewScale(double scale) = 0;
  virtual void addRecentFile(const std::string& /*path*/) {}
};

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds as a 32-bit counter that wraps, like the platform's tick count.
  virtual uint32_t tickCount() const = 0;
};

class SteadyClock : public Clock {
 public:
  uint32_t tickCount() const override {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<uint32_t>(ms.count());
  }
};

}  // namespace vellary::document
