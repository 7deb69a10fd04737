// The undo history: steps, runs of typing, limits.
#include "document/undo_history.h"

#include <utility>

#include "model/paper.h"

namespace vellary::document {

const char* undoKindName(int kind) {
  switch (kind) {
    case UndoTyping:
      return "文字入力";
    case UndoDeleting:
      return "文字削除";
    case UndoBlockDelete:
      return "ブロック削除";
    case UndoReplace:
      return "置換";
    case UndoRuby:
      return "ルビ";
    case UndoOrientation:
      return "文字の向き";
    case UndoOrientationReset:
      return "通常文字";
    case UndoEmphasis:
      return "圏点設定";
    case UndoSideLineDelete:
      return "ルビ・圏点削除";
    case UndoLineBreak:
      return "改行";
    case UndoBlockRole:
      return "属性変更";
    case UndoBlockOrder:
      return "領域の順番変更";
    case UndoBlockMerge:
      return "ブロック結合";
    case UndoReCompose:
      return "現ページ再構成";
    case UndoPaste:
      return "貼り付け";
    case UndoCandidate:
      return "候補文字選択";
    case UndoRecognise:
      return "再認識";
    default:
      return "編集";
  }
}

bool UndoHistory::continuesRun(int kind, int page) const {
  if (!runOpen_ || canRedo() || !canUndo()) return false;
  const UndoStep& last = steps_[next_ - 1];
  return (kind == UndoTyping || kind == UndoDeleting) && kind == last.kind && page == last.page;
}

void UndoHistory::push(int kind, int page, model::PageData copy, const CaretMemo& before) {
  while (steps_.size() > next_) {
    bytes_ -= steps_.back().bytes;
    steps_.pop_back();
  }
  UndoStep step;
  step.kind = kind;
  step.page = page;
  step.copy = std::move(copy);
  step.bytes = model::estimatePageBytes(step.copy);
  step.before = before;
  bytes_ += step.bytes;
  steps_.push_back(std::move(step));
  next_ = steps_.size();
  runOpen_ = true;
  trim();
}

namespace {

size_t stepBytes(const UndoStep& step) {
  size_t bytes = model::estimatePageBytes(step.copy);
  for (const auto& other : step.others) bytes += model::estimatePageBytes(other.second);
  return bytes;
}

}  // namespace

bool UndoHistory::joinNewest(int page, model::PageData copy) {
  if (steps_.empty() || canRedo()) return false;
  UndoStep& step = steps_.back();
  if (step.page == page) return true;
  for (const auto& other : step.others)
    if (other.first == page) return true;
  const size_t bytes = model::estimatePageBytes(copy);
  step.others.emplace_back(page, std::move(copy));
  step.bytes += bytes;
  bytes_ += bytes;
  runOpen_ = false;
  trim();
  return true;
}

void UndoHistory::trim() {
  // The newest step always stays, whatever its size: the edit just made can be undone.
  while (steps_.size() > 1 && (steps_.size() > limits_.maxSteps || bytes_ > limits_.maxBytes)) {
    bytes_ -= steps_.front().bytes;
    steps_.pop_front();
    if (next_ > 0) --next_;
  }
}

UndoStep* UndoHistory::takeUndo() {
  runOpen_ = false;
  if (!canUndo()) return nullptr;
  return &steps_[--next_];
}

UndoStep* UndoHistory::takeRedo() {
  runOpen_ = false;
  if (!canRedo()) return nullptr;
  return &steps_[next_++];
}

void UndoHistory::recount(UndoStep& step) {
  bytes_ -= step.bytes;
  step.bytes = stepBytes(step);
  bytes_ += step.bytes;
}

void UndoHistory::clear() {
  steps_.clear();
  next_ = 0;
  bytes_ = 0;
  runOpen_ = false;
}

void UndoHistory::setLimits(const UndoLimits& limits) {
  limits_ = limits;
  trim();
}

}  // namespace vellary::document
