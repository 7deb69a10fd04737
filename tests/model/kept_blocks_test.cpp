// Blocks kept for a thread's next takes: reuse within a keeping scope only, fitting sizes only,
// everything freed when the scope ends, pointers from elsewhere freed as they are.
#include "model/kept_blocks.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdlib>
#include <cstring>

namespace vellary::model {
namespace {

constexpr size_t kMiB = size_t{1} << 20;

// Bytes the C library has handed out and not had back, mapped blocks included.
size_t inUse() {
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
}

TEST(KeptBlocks, AKeepingThreadTakesBackWhatItGaveIfItFitsAndFreesAllAtTheEnd) {
  const size_t before = inUse();
  {
    const KeepBlocks keep;
    void* large = takeBlock(8 * kMiB);
    ASSERT_NE(large, nullptr);
    std::memset(large, 1, 8 * kMiB);
    giveBackBlock(large);
    // Kept: still the process's, and the next take that it holds without wasting half of it
    // gets it back.
    EXPECT_GE(inUse(), before + 8 * kMiB);
    void* smaller = takeBlock(5 * kMiB);
    EXPECT_EQ(smaller, large);
    giveBackBlock(smaller);
    void* quarter = takeBlock(2 * kMiB);
    EXPECT_NE(quarter, large);
    giveBackBlock(quarter);
    {
      // Scopes nest: the inner one's end frees nothing.
      const KeepBlocks inner;
    }
    EXPECT_EQ(takeBlock(8 * kMiB), large);
    giveBackBlock(large);
  }
  EXPECT_LT(inUse(), before + kMiB);
}

TEST(KeptBlocks, WithoutAScopeAndForForeignPointersBlocksGoStraightBack) {
  const size_t before = inUse();
  void* block = takeBlock(8 * kMiB);
  ASSERT_NE(block, nullptr);
  giveBackBlock(block);
  EXPECT_LT(inUse(), before + kMiB);

  const KeepBlocks keep;
  // A block the C library made is freed by it.
  void* foreign = std::malloc(4 * kMiB);
  ASSERT_NE(foreign, nullptr);
  giveBackBlock(foreign);
  giveBackBlock(nullptr);
  EXPECT_LT(inUse(), before + kMiB);
  // Small blocks are not kept.
  void* small = takeBlock(1000);
  ASSERT_NE(small, nullptr);
  giveBackBlock(small);
  EXPECT_EQ(takeBlock(size_t(-1)), nullptr);
}

TEST(KeptBlocks, VectorsTakeTheirBuffersFromTheKeptBlocks) {
  const KeepBlocks keep;
  const void* first = nullptr;
  {
    BlockVector<uint8_t> rows(6 * kMiB, 0);
    first = rows.data();
  }
  BlockVector<uint8_t> again(6 * kMiB, 0);
  EXPECT_EQ(again.data(), first);
}

}  // namespace
}  // namespace vellary::model
