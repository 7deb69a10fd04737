#include "recompose/paper_list.h"

#include <gtest/gtest.h>

namespace vellary::recompose {
namespace {

using namespace model;

void addBlock(PageData& page, int32_t sec, char16_t c = 0) {
  BlockData& b = page.blocks.emplace_back();
  b.sec = sec;
  if (c) b.lines.emplace_back().chars.emplace_back().text = makeCharText(c);
}

TEST(PaperList, ArticlesStartAtTitleGroupsAndRunsEndAtTextAndPageEnds) {
  PaperData paper;
  PageData& p0 = paper.pages.emplace_back();
  p0.file = u"p0.tif";
  addBlock(p0, SecHeader);
  addBlock(p0, SecText);
  PageData& p1 = paper.pages.emplace_back();
  p1.file = u"p1.tif";
  addBlock(p1, SecTitle, u'題');
  addBlock(p1, SecAuthor, u'著');  // same run: same article
  addBlock(p1, SecText);
  addBlock(p1, SecExTitle, u'T');  // a new run after body text
  PageData& p2 = paper.pages.emplace_back();
  p2.file = u"p2.tif";
  addBlock(p2, SecExAuther, u'A');  // the page end ended the run
  PageData& p3 = paper.pages.emplace_back();
  p3.file = u"p3.tif";

  std::vector<PaperEntry> list = buildPaperList(paper);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].startPage, 1);
  EXPECT_EQ(list[0].title, u"題");
  EXPECT_EQ(list[0].author, u"著");
  EXPECT_EQ(list[1].startPage, 1);
  EXPECT_EQ(list[2].startPage, 2);
  EXPECT_EQ(list[2].author, u"A");
  EXPECT_EQ(list[2].lastPage, 3);
  EXPECT_EQ(list[2].lastImage, u"p3.tif");
  EXPECT_EQ(firstPaperPage(list), 1);
  EXPECT_EQ(firstPaperPage(buildPaperList(PaperData{})), -1);
}

}  // namespace
}  // namespace vellary::recompose
