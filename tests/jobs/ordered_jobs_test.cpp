// Page jobs: order, the bound on waiting results, per-worker engines, cancel, failure, refusal.
#include "jobs/ordered_jobs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "model/kept_blocks.h"

namespace vellary::jobs {
namespace {

using namespace std::chrono_literals;

// Counts pumps and cancels after a given number of delivered results.
class TestProgress : public model::Progress {
 public:
  void setCaption(std::string_view) override {}
  void pump() override { ++pumps; }
  bool cancelled() const override { return cancelAfter >= 0 && *delivered >= cancelAfter; }
  int pumps = 0;
  int cancelAfter = -1;
  const int* delivered = nullptr;
};

TEST(OrderedJobs, DeliversEveryResultInOrderOnTheCallingThreadWithBoundedWaiting) {
  const auto caller = std::this_thread::get_id();
  std::atomic<int> finishedNotDelivered{0};
  int mostWaiting = 0;
  std::vector<int> order;
  RunOptions options;
  options.threads = 4;
  options.ahead = 3;
  std::mutex engines;
  std::vector<int> busy(4, 0);
  bool shared = false;
  const RunResult r = runOrdered<int>(
      40, options,
      [&](int index, int worker, const StopToken&) {
        {
          std::lock_guard lock(engines);
          if (worker < 0 || worker >= 4 || busy[static_cast<size_t>(worker)]++ != 0) shared = true;
        }
        // Later pages finish first now and then: the order must come from the scheduler.
        std::this_thread::sleep_for(std::chrono::microseconds((40 - index) % 7 * 300));
        {
          std::lock_guard lock(engines);
          --busy[static_cast<size_t>(worker)];
        }
        ++finishedNotDelivered;
        return index * 10;
      },
      [&](int index, int&& value) {
        EXPECT_EQ(std::this_thread::get_id(), caller);
        EXPECT_EQ(value, index * 10);
        mostWaiting = std::max(mostWaiting, finishedNotDelivered.load());
        --finishedNotDelivered;
        order.push_back(index);
        return true;
      });
  EXPECT_EQ(r.end, RunEnd::Completed);
  EXPECT_EQ(r.delivered, 40);
  ASSERT_EQ(order.size(), 40u);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(order[static_cast<size_t>(i)], i);
  EXPECT_FALSE(shared) << "a worker index was used by two threads at once";
  // The window: results started beyond delivered + ahead never exist.
  EXPECT_LE(mostWaiting, 3);
}

TEST(OrderedJobs, CancelKeepsTheFinishedPagesBeforeTheFirstGapAndStartsNoMore) {
  std::atomic<int> started{0};
  int delivered = 0;
  TestProgress progress;
  progress.cancelAfter = 2;
  progress.delivered = &delivered;
  RunOptions options;
  options.threads = 2;
  options.progress = &progress;
  options.pumpMs = 5;
  const RunResult r = runOrdered<int>(
      50, options,
      [&](int index, int, const StopToken& stop) {
        ++started;
        // Slow pages that look at the token, as recognition does between its steps.
        for (int i = 0; i < 20 && !stop.stopRequested(); ++i) std::this_thread::sleep_for(1ms);
        return index;
      },
      [&](int index, int&&) {
        EXPECT_EQ(index, delivered);
        ++delivered;
        return true;
      });
  EXPECT_EQ(r.end, RunEnd::Cancelled);
  EXPECT_GE(r.delivered, 2);
  EXPECT_EQ(r.delivered, delivered);
  EXPECT_LT(started.load(), 50);
  EXPECT_GT(progress.pumps, 0);
}

TEST(OrderedJobs, AFailingPageEndsTheRunWithItsIndexAndMessageAfterTheEarlierPages) {
  std::vector<int> delivered;
  RunOptions options;
  options.threads = 1;
  const RunResult r = runOrdered<std::string>(
      10, options,
      [](int index, int, const StopToken&) -> std::string {
        if (index == 4) throw std::runtime_error("page 5 unreadable");
        return std::to_string(index);
      },
      [&](int index, std::string&& s) {
        EXPECT_EQ(s, std::to_string(index));
        delivered.push_back(index);
        return true;
      });
  EXPECT_EQ(r.end, RunEnd::Failed);
  EXPECT_EQ(r.failedIndex, 4);
  EXPECT_EQ(r.error, "page 5 unreadable");
  EXPECT_EQ(delivered, (std::vector<int>{0, 1, 2, 3}));
}

TEST(OrderedJobs, ARefusedResultStopsTheRunAndMoveOnlyResultsPass) {
  int seen = 0;
  const RunResult r = runOrdered<std::unique_ptr<int>>(
      100, RunOptions{},
      [](int index, int, const StopToken&) { return std::make_unique<int>(index); },
      [&](int index, std::unique_ptr<int>&& p) {
        EXPECT_EQ(*p, index);
        ++seen;
        return index < 5;
      });
  EXPECT_EQ(r.end, RunEnd::Refused);
  EXPECT_EQ(seen, 6);
  EXPECT_EQ(r.delivered, 6);

  const RunResult empty = runOrdered<int>(
      0, RunOptions{}, [](int, int, const StopToken&) { return 0; },
      [](int, int&&) { return true; });
  EXPECT_EQ(empty.end, RunEnd::Completed);
  EXPECT_EQ(empty.delivered, 0);
}

// A worker's pages reuse the large blocks of its pages before.
TEST(OrderedJobs, AWorkerReusesTheLargeBlocksOfItsPagesBefore) {
  constexpr size_t kLarge = size_t{16} << 20;
  struct Page {
    const void* block;
    size_t keptBefore;
  };
  std::vector<Page> pages;
  RunOptions one;
  one.threads = 1;
  const RunResult r = runOrdered<Page>(
      3, one,
      [&](int, int, const StopToken&) {
        const size_t kept = model::keptBlockBytes();
        void* block = model::takeBlock(kLarge);
        model::giveBackBlock(block);
        return Page{block, kept};
      },
      [&](int, Page p) {
        pages.push_back(p);
        return true;
      });
  EXPECT_EQ(r.end, RunEnd::Completed);
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(pages[0].keptBefore, 0u);
  EXPECT_EQ(pages[1].keptBefore, kLarge);
  EXPECT_EQ(pages[1].block, pages[0].block);
  EXPECT_EQ(pages[2].block, pages[0].block);
  // The calling thread keeps nothing.
  EXPECT_EQ(model::keptBlockBytes(), 0u);
}

TEST(OrderedJobs, ThreadsAreCappedByTheItemsAndAtLeastOne) {
  EXPECT_EQ(threadsFor(8, 3), 3);
  EXPECT_EQ(threadsFor(1, 100), 1);
  EXPECT_GE(threadsFor(0, 100), 1);
  EXPECT_EQ(threadsFor(-2, 0), 1);
}

}  // namespace
}  // namespace vellary::jobs
