#include "model/block_entries.h"

#include <gtest/gtest.h>

namespace vellary::model {
namespace {

PageData pageWithRoles(std::initializer_list<int32_t> roles) {
  PageData p;
  int i = 0;
  for (int32_t sec : roles) {
    BlockData& b = p.blocks.emplace_back();
    b.sec = sec;
    b.x = 100 * i;
    b.y = 10;
    b.width = 95;
    b.height = 33;
    b.direction = i % 2 ? Vertical : Horizontal;
    ++i;
  }
  return p;
}

TEST(BlockEntries, ReferenceBlocksAreNumberedInOrder) {
  PageBlockEntries list;
  list.rebuild(pageWithRoles({SecText, SecRef, SecTitle, SecRef}), 1.0);
  ASSERT_EQ(list.entries.size(), 4u);
  EXPECT_EQ(list.entries[0].refNumber, 0);
  EXPECT_EQ(list.entries[1].refNumber, 1);
  EXPECT_EQ(list.entries[2].refNumber, 0);
  EXPECT_EQ(list.entries[3].refNumber, 2);
  EXPECT_EQ(list.refCount, 2);
  EXPECT_EQ(list.entries[1].direction, Vertical);
  EXPECT_EQ(list.entries[3].x, 300);
}

TEST(BlockEntries, RebuildClearsSelectionAndTheChangedFlag) {
  PageData page = pageWithRoles({SecText});
  PageBlockEntries list;
  list.rebuild(page, 1.0);
  list.changed = 1;
  list.entries[0].selected = 1;
  list.rebuild(page, 1.0);
  EXPECT_EQ(list.changed, 0);
  EXPECT_EQ(list.entries[0].selected, 0);
  list.rebuild(PageData{}, 1.0);
  EXPECT_TRUE(list.entries.empty());
  EXPECT_EQ(list.refCount, 0);
}

TEST(BlockEntries, DisplayBoxesFollowTheZoomTruncated) {
  PageBlockEntries list;
  list.rebuild(pageWithRoles({SecText, SecText}), 0.3);
  const DisplayBox& d = list.entries[1].display;  // x 100, y 10, 95 × 33
  EXPECT_EQ(d.left, 30);
  EXPECT_EQ(d.top, 3);
  EXPECT_EQ(d.right, 58);   // 195 × 0.3 = 58.5
  EXPECT_EQ(d.bottom, 12);  // 43 × 0.3 = 12.9
  list.rezoom(1.0);
  EXPECT_EQ(list.entries[1].display.right, 195);
}

TEST(BlockEntries, TableKeepsOneListPerPage) {
  PaperData paper;
  paper.pages.push_back(pageWithRoles({SecRef}));
  paper.pages.push_back(pageWithRoles({}));
  paper.pages.push_back(pageWithRoles({SecRef, SecRef}));
  BlockEntryTable table;
  table.rebuildAll(paper, 0.5);
  ASSERT_EQ(table.pageCount(), 3u);
  EXPECT_EQ(table.page(2).refCount, 2);
  table.page(2).changed = 1;
  paper.pages.back().blocks.pop_front();
  table.rebuildPage(paper, 2, 0.5);
  EXPECT_EQ(table.page(2).entries.size(), 1u);
  EXPECT_EQ(table.page(2).changed, 0);
  table.rebuildPage(paper, 7, 0.5);  // no such page: nothing happens
  EXPECT_EQ(table.pageCount(), 3u);
}

}  // namespace
}  // namespace vellary::model
