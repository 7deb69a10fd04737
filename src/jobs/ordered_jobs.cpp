// The scheduler behind runOrdered: a shared next index, a window of finished results, and the
// calling thread delivering them in order while it pumps the progress.
#include "jobs/ordered_jobs.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "model/kept_blocks.h"

namespace vellary::jobs {

int threadsFor(int requested, int count) {
  int n = requested;
  if (n <= 0) n = static_cast<int>(std::thread::hardware_concurrency());
  return std::max(1, std::min(n, std::max(count, 1)));
}

namespace detail {

namespace {

enum class Slot : unsigned char { Waiting, Running, Done, Failed };

struct Shared {
  std::mutex mutex;
  std::condition_variable workerWake;    // a place in the window opened, or the run stops
  std::condition_variable consumerWake;  // a result is finished
  std::vector<Slot> slots;
  int nextToStart = 0;
  int delivered = 0;  // results handed over; the window is [delivered, delivered + ahead)
  int ahead = 1;
  std::atomic<bool> stop{false};
  int failedIndex = -1;
  std::string error;
};

void workerLoop(Shared& s, int worker, const std::function<void(int, int, const StopToken&)>& work) {
  const StopToken token(s.stop);
  // Each page reuses the large blocks of the page before.
  const model::KeepBlocks keep;
  for (;;) {
    int index;
    {
      std::unique_lock lock(s.mutex);
      s.workerWake.wait(lock, [&] {
        return s.stop.load() || s.nextToStart >= static_cast<int>(s.slots.size()) ||
               s.nextToStart < s.delivered + s.ahead;
      });
      if (s.stop.load() || s.nextToStart >= static_cast<int>(s.slots.size())) return;
      index = s.nextToStart++;
      s.slots[static_cast<size_t>(index)] = Slot::Running;
    }
    Slot end = Slot::Done;
    std::string error;
    try {
      work(index, worker, token);
    } catch (const std::exception& e) {
      end = Slot::Failed;
      error = e.what();
    } catch (...) {
      end = Slot::Failed;
      error = "unknown failure";
    }
    {
      std::lock_guard lock(s.mutex);
      s.slots[static_cast<size_t>(index)] = end;
      if (end == Slot::Failed && s.failedIndex < 0) {
        s.failedIndex = index;
        s.error = error.empty() ? "unknown failure" : error;
        s.stop = true;
        s.workerWake.notify_all();
      }
    }
    s.consumerWake.notify_one();
  }
}

}  // namespace

RunResult runOrderedErased(int count, const RunOptions& options,
                           const std::function<void(int, int, const StopToken&)>& work,
                           const std::function<bool(int)>& deliver) {
  RunResult result;
  if (count <= 0) return result;
  Shared s;
  s.slots.assign(static_cast<size_t>(count), Slot::Waiting);
  const int threads = threadsFor(options.threads, count);
  s.ahead = options.ahead > 0 ? options.ahead : 2 * threads;

  std::vector<std::thread> workers;
  workers.reserve(static_cast<size_t>(threads));
  for (int w = 0; w < threads; ++w) workers.emplace_back(workerLoop, std::ref(s), w, std::cref(work));

  const auto pumpEvery = std::chrono::milliseconds(std::max(1, options.pumpMs));
  auto stopWorkers = [&] {
    {
      std::lock_guard lock(s.mutex);
      s.stop = true;
    }
    s.workerWake.notify_all();
  };

  while (result.delivered < count) {
    bool ready = false, failed = false;
    {
      std::unique_lock lock(s.mutex);
      s.consumerWake.wait_for(lock, pumpEvery, [&] {
        const Slot state = s.slots[static_cast<size_t>(result.delivered)];
        return state == Slot::Done || s.failedIndex >= 0;
      });
      ready = s.slots[static_cast<size_t>(result.delivered)] == Slot::Done;
      failed = s.failedIndex >= 0;
    }
    if (ready) {
      // The consumer runs without the lock: the workers go on meanwhile.
      const bool accepted = deliver(result.delivered);
      ++result.delivered;
      {
        std::lock_guard lock(s.mutex);
        s.delivered = result.delivered;
      }
      s.workerWake.notify_all();
      if (!accepted) {
        result.end = RunEnd::Refused;
        stopWorkers();
        break;
      }
      continue;
    }
    if (failed) {
      result.end = RunEnd::Failed;
      break;
    }
    if (options.progress != nullptr) {
      options.progress->pump();
      if (options.progress->cancelled()) {
        result.end = RunEnd::Cancelled;
        stopWorkers();
        break;
      }
    }
  }
  for (std::thread& t : workers) t.join();
  if (result.end == RunEnd::Failed) {
    result.failedIndex = s.failedIndex;
    result.error = s.error;
  }

  // After a cancel or a failure, what was finished before the first gap is still the user's
  // (recognised pages are kept): hand it over.
  if (result.end == RunEnd::Cancelled || result.end == RunEnd::Failed) {
    while (result.delivered < count &&
           s.slots[static_cast<size_t>(result.delivered)] == Slot::Done) {
      if (!deliver(result.delivered)) break;
      ++result.delivered;
    }
  }
  return result;
}

}  // namespace detail

}  // namespace vellary::jobs
