// Page jobs on worker threads: a long operation (recognising scans, composing export pages) does
// the work of each page on a worker thread and hands the results back to the calling thread one
// by one, in page order. The calling thread changes the document or writes the file; the workers
// touch nothing shared but what the work function gives them. While it waits, the calling thread
// pumps the progress (so the editor's window keeps answering) and stops when the user cancels.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/progress.h"

namespace vellary::jobs {

// Set once a run stops early (cancel, a failure, or the consumer refusing a result); work that
// takes long looks at it between its steps and may give up.
class StopToken {
 public:
  explicit StopToken(const std::atomic<bool>& flag) : flag_(flag) {}
  bool stopRequested() const { return flag_.load(std::memory_order_relaxed); }

 private:
  const std::atomic<bool>& flag_;
};

struct RunOptions {
  // Worker threads; 0 or less: one per core.
  int threads = 0;
  // Finished results that may wait for the consumer at most; 0: twice the threads. Bounds the
  // memory a run holds when the workers are faster than the consumer.
  int ahead = 0;
  // Pumped on the calling thread while it waits, at least every `pumpMs`; its cancelled() stops
  // the run. May be null.
  model::Progress* progress = nullptr;
  int pumpMs = 30;
};

enum class RunEnd {
  Completed,  // every result was delivered
  Cancelled,  // the user cancelled; the results before the first missing one were delivered
  Refused,    // the consumer returned false for a result
  Failed,     // the work of a page threw; `error` says what
};

struct RunResult {
  RunEnd end = RunEnd::Completed;
  int delivered = 0;  // results handed to the consumer, the first ones in order
  int failedIndex = -1;
  std::string error;
};

// The threads a run with `requested` threads uses for `count` items.
int threadsFor(int requested, int count);

namespace detail {

// The scheduling without the result type: `work(index, worker, stop)` stores its result itself and
// `deliver(index)` consumes it on the calling thread.
RunResult runOrderedErased(int count, const RunOptions& options,
                           const std::function<void(int, int, const StopToken&)>& work,
                           const std::function<bool(int)>& deliver);

}  // namespace detail

// Runs work(index, worker, stop) for every index 0 … count − 1 on worker threads (worker is
// 0 … threads − 1: one engine per worker can be kept by the caller) and calls deliver(index,
// result) on the calling thread in index order. deliver returning false stops the run. Nothing
// runs on the calling thread but deliver and the progress pump. Each worker keeps the large
// blocks it frees for its next pages (model/kept_blocks.h) until the run ends.
template <class Result, class Work, class Deliver>
RunResult runOrdered(int count, const RunOptions& options, Work&& work, Deliver&& deliver) {
  // Not named "slots": the header is also read where Qt's keywords are macros.
  std::vector<std::optional<Result>> results(count > 0 ? static_cast<size_t>(count) : 0);
  return detail::runOrderedErased(
      count, options,
      [&](int index, int worker, const StopToken& stop) {
        results[static_cast<size_t>(index)].emplace(work(index, worker, stop));
      },
      [&](int index) {
        std::optional<Result>& slot = results[static_cast<size_t>(index)];
        Result value = std::move(*slot);
        slot.reset();
        return deliver(index, std::move(value));
      });
}

}  // namespace vellary::jobs
