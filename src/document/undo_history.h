// The document's undo history: for every edit the page as it was before, with the caret and the
// selection of that moment. Undo swaps the kept copy with the page, so the step then holds the
// page as it was after the edit, which is what redo swaps back. Older steps are dropped first
// once the history holds more steps or page bytes than its limits.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/records.h"

namespace vellary::document {

// Which editing operation took a step. The codes 1 … 13 are those the editing commands have
// always passed; the later ones are block-editing operations that now also take steps.
enum UndoKind : int {
  UndoTyping = 1,
  UndoDeleting = 2,
  UndoBlockDelete = 3,
  UndoReplace = 7,
  UndoRuby = 8,
  UndoOrientation = 9,
  UndoOrientationReset = 10,
  UndoEmphasis = 11,
  UndoSideLineDelete = 12,
  UndoByUndo = 13,
  UndoLineBreak = 14,
  UndoBlockRole = 15,
  UndoBlockOrder = 16,
  UndoBlockMerge = 17,
  UndoReCompose = 18,
  UndoPaste = 19,
  UndoCandidate = 20,
  UndoRecognise = 21,
};

// What an undo or redo menu item names for a step's kind ("文字入力" …).
const char* undoKindName(int kind);

// The text view's caret state as it reports it, kept without looking inside.
using CaretState = std::array<int32_t, 3>;

// Where the caret stood and what was selected, so that a step brings both back.
struct CaretMemo {
  CaretState caret{-1, -1, -1};
  int selStart = -1, selEnd = -1;
};

struct UndoStep {
  int kind = 0;
  int page = -1;  // 0-based index of the page the step belongs to
  // Before undo: the page as it was before the edit. After undo: as it was after the edit.
  model::PageData copy;
  // A command that changed several pages (recognising every page again) keeps the other pages
  // here, by 0-based index, in one step: undo and redo swap them all.
  std::vector<std::pair<int, model::PageData>> others;
  size_t bytes = 0;  // estimated size of `copy` and `others`
  CaretMemo before;  // restored by undo
  CaretMemo after;   // restored by redo; taken when the step is undone
};

struct UndoLimits {
  size_t maxSteps = 500;
  size_t maxBytes = size_t{256} << 20;
};

class UndoHistory {
 public:
  explicit UndoHistory(UndoLimits limits = {}) : limits_(limits) {}

  bool canUndo() const { return next_ > 0; }
  bool canRedo() const { return next_ < steps_.size(); }
  // The step undo or redo would take; null when there is none.
  const UndoStep* nextUndo() const { return canUndo() ? &steps_[next_ - 1] : nullptr; }
  const UndoStep* nextRedo() const { return canRedo() ? &steps_[next_] : nullptr; }

  // Whether an edit of `kind` on `page` continues the open run of typing or deleting, so that no
  // new step is taken.
  bool continuesRun(int kind, int page) const;
  // The next edit takes a step of its own (the caret moved, a line was broken, an undo ran).
  void endRun() { runOpen_ = false; }

  // Keeps the page as it is now before an edit; drops what could be redone and then the oldest
  // steps beyond the limits. The new step is the open run.
  void push(int kind, int page, model::PageData copy, const CaretMemo& before);
  // Adds a page as it was before the edit to the newest step, which then stands for that page
  // too; a page the step holds already keeps its first copy. false when there is no step to join
  // (none, or the newest was undone).
  bool joinNewest(int page, model::PageData copy);

  // The step to undo (moves the position back) or redo (moves it on); null when none. The caller
  // swaps the step's copy with the page.
  UndoStep* takeUndo();
  UndoStep* takeRedo();

  void clear();
  size_t size() const { return steps_.size(); }
  size_t bytes() const { return bytes_; }
  const UndoLimits& limits() const { return limits_; }
  void setLimits(const UndoLimits& limits);
  // The swap changed a step's copy: its size is counted again.
  void recount(UndoStep& step);
  // Every page copy the history holds, for a change that must reach them all (page pictures
  // moved to another folder).
  template <class Visit>
  void forEachCopy(Visit&& visit) {
    for (UndoStep& step : steps_) {
      visit(step.copy);
      for (auto& other : step.others) visit(other.second);
    }
  }

 private:
  void trim();

  UndoLimits limits_;
  std::deque<UndoStep> steps_;
  size_t next_ = 0;  // steps before it can be undone, from it on redone
  size_t bytes_ = 0;
  bool runOpen_ = false;
};

}  // namespace vellary::document
