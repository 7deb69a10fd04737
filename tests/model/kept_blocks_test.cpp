// Blocks kept for a thread's next takes: reuse within a keeping scope only, fitting sizes only,
// everything freed when the scope ends, pointers from elsewhere freed as they are.
#include "model/kept_blocks.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace vellary::model {
namespace {

constexpr size_t kMiB = size_t{1} << 20;

TEST(KeptBlocks, AKeepingThreadTakesBackWhatItGaveIfItFitsAndFreesAllAtTheEnd) {
  {
    const KeepBlocks keep;
    void* large = takeBlock(8 * kMiB);
    ASSERT_NE(large, nullptr);
    std::memset(large, 1, 8 * kMiB);
    giveBackBlock(large);
    // Kept, and the next take that it holds without wasting half of it gets it back.
    EXPECT_EQ(keptBlockBytes(), 8 * kMiB);
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
    EXPECT_EQ(keptBlockBytes(), 10 * kMiB);
    EXPECT_EQ(takeBlock(8 * kMiB), large);
    giveBackBlock(large);
  }
  EXPECT_EQ(keptBlockBytes(), 0u);
}

TEST(KeptBlocks, WithoutAScopeAndForForeignPointersBlocksGoStraightBack) {
  void* block = takeBlock(8 * kMiB);
  ASSERT_NE(block, nullptr);
  giveBackBlock(block);
  EXPECT_EQ(keptBlockBytes(), 0u);

  const KeepBlocks keep;
  // A block the C library made is freed by it.
  void* foreign = std::malloc(4 * kMiB);
  ASSERT_NE(foreign, nullptr);
  giveBackBlock(foreign);
  giveBackBlock(nullptr);
  // Small blocks are not kept.
  void* small = takeBlock(1000);
  ASSERT_NE(small, nullptr);
  giveBackBlock(small);
  EXPECT_EQ(keptBlockBytes(), 0u);
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
