#include "model/paper.h"

#include <gtest/gtest.h>

#include <iterator>

namespace vellary::model {
namespace {

LineData& addLine(List<LineData>& lines, int16_t attr, int32_t lid, int32_t rlid) {
  LineData& l = lines.emplace_back();
  l.attr = attr;
  l.lid = lid;
  l.rlid = rlid;
  return l;
}

LineData* nth(List<LineData>& lines, int i) { return &*std::next(lines.begin(), i); }

TEST(LineNumbers, ResolveFindsTheBaseByLidAndClearsTheNumbers) {
  List<LineData> lines;
  addLine(lines, AttrNone, 1, 0);
  addLine(lines, AttrNone, 2, 0);
  addLine(lines, AttrRuby, 3, 2);
  addLine(lines, AttrEmph, 4, 9);  // names no line
  resolveLineNumbers(lines);
  EXPECT_EQ(nth(lines, 2)->baseLine, nth(lines, 1));
  EXPECT_EQ(nth(lines, 3)->baseLine, nullptr);
  for (const LineData& l : lines) {
    EXPECT_EQ(l.lid, 0);
    EXPECT_EQ(l.rlid, 0);
  }
}

TEST(LineNumbers, ASideLineWithoutRlidStaysUnattached) {
  // No line carries LID, so every lid is 0; a missing RLID must not match them (nor the side
  // line itself).
  List<LineData> lines;
  addLine(lines, AttrNone, 0, 0);
  addLine(lines, AttrRuby, 0, 0);
  resolveLineNumbers(lines);
  EXPECT_EQ(nth(lines, 1)->baseLine, nullptr);
}

TEST(LineNumbers, SideLinesNeverBecomeBases) {
  List<LineData> lines;
  addLine(lines, AttrNone, 1, 0);
  addLine(lines, AttrRuby, 2, 2);  // names itself
  addLine(lines, AttrEmph, 3, 4);  // two side lines naming each other
  addLine(lines, AttrEmph, 4, 3);
  resolveLineNumbers(lines);
  for (int i = 1; i < 4; ++i) EXPECT_EQ(nth(lines, i)->baseLine, nullptr) << i;
}

TEST(LineNumbers, AssignNumbersOnlyGroupsWithSideLines) {
  List<LineData> plain;
  addLine(plain, AttrNone, 7, 0);
  addLine(plain, AttrNone, 8, 0);
  assignLineNumbers(plain);
  for (const LineData& l : plain) EXPECT_EQ(l.lid, 0);

  List<LineData> lines;
  addLine(lines, AttrNone, 0, 0);
  LineData& base = addLine(lines, AttrNone, 0, 0);
  LineData& ruby = addLine(lines, AttrRuby, 0, 0);
  LineData& orphan = addLine(lines, AttrFootnote, 0, 5);
  ruby.baseLine = &base;
  LineData elsewhere;
  orphan.baseLine = &elsewhere;  // a base outside the group cannot be named
  assignLineNumbers(lines);
  EXPECT_EQ(base.lid, 2);
  EXPECT_EQ(ruby.lid, 3);
  EXPECT_EQ(ruby.rlid, 2);
  EXPECT_EQ(orphan.rlid, 0);

  // Assign then resolve restores the same relation.
  ruby.baseLine = nullptr;
  resolveLineNumbers(lines);
  EXPECT_EQ(ruby.baseLine, &base);
}

TEST(LineNumbers, TablesResolvePerCell) {
  BlockData table;
  table.type = BlockTable;
  for (int i = 0; i < 2; ++i) {
    CellData& cell = table.cells.emplace_back();
    addLine(cell.lines, AttrNone, 1, 0);
    addLine(cell.lines, AttrRuby, 2, 1);
  }
  resolveBlockLineNumbers(table);
  for (CellData& cell : table.cells) EXPECT_EQ(nth(cell.lines, 1)->baseLine, nth(cell.lines, 0));
}

TEST(Averages, BlockUsesBodyLinesThenAllLinesThenZero) {
  BlockData b;
  auto line = [&b](int w, int h, int16_t attr, int chars) {
    LineData& l = b.lines.emplace_back();
    l.width = w;
    l.height = h;
    l.attr = attr;
    l.charCount = chars;
  };
  computeBlockAverages(b);
  EXPECT_EQ(b.avgLineSize, 0.0f);
  line(100, 30, AttrRuby, 2);
  line(100, 10, AttrRuby, 1);
  computeBlockAverages(b);
  EXPECT_FLOAT_EQ(b.avgLineSize, 20.0f);  // only side lines: all of them count
  line(100, 41, AttrNone, 5);
  line(100, 40, AttrNone, 4);
  computeBlockAverages(b);
  EXPECT_FLOAT_EQ(b.avgLineSize, 40.5f);
  EXPECT_EQ(b.charCount, 12);
  b.direction = Vertical;
  computeBlockAverages(b);
  EXPECT_FLOAT_EQ(b.avgLineSize, 100.0f);
}

TEST(Averages, CellsDivideByLineCountAndTablesSkipEmptyCells) {
  BlockData table;
  table.type = BlockTable;
  CellData& a = table.cells.emplace_back();
  a.lines.emplace_back().height = 30;
  a.lineCount = 2;  // an empty "<line/>" counts but has no record
  computeCellAverages(a, Horizontal);
  EXPECT_FLOAT_EQ(a.avgLineSize, 15.0f);
  CellData& empty = table.cells.emplace_back();
  computeCellAverages(empty, Horizontal);
  EXPECT_EQ(empty.avgLineSize, 0.0f);
  CellData& c = table.cells.emplace_back();
  c.lines.emplace_back().height = 25;
  c.lineCount = 1;
  computeCellAverages(c, Horizontal);
  computeTableAverage(table);
  EXPECT_FLOAT_EQ(table.avgLineSize, 20.0f);
}

TEST(Sections, FixedWordsUserWordsAndUnknownCodes) {
  PaperData paper;
  EXPECT_EQ(sectionCode(paper, u"terminater"), SecTerminater);
  EXPECT_EQ(sectionCode(paper, u"section"), SecSection);
  EXPECT_EQ(sectionCode(paper, u"caption"), 1000);
  EXPECT_EQ(sectionCode(paper, u"奥付"), 1001);
  EXPECT_EQ(sectionCode(paper, u"caption"), 1000);
  EXPECT_EQ(sectionCode(paper, u"Text"), 1002);  // words compare exactly
  EXPECT_EQ(sectionWord(paper, 1001), u"奥付");
  EXPECT_EQ(sectionWord(paper, 1050), u"text");
  EXPECT_EQ(sectionWord(paper, -3), u"text");
  EXPECT_EQ(sectionWord(paper, SecExAuther), u"exauther");
}

TEST(Append, MovesPagesRenumbersAndKeepsSectionWords) {
  PaperData a, b;
  for (int i = 0; i < 2; ++i) a.pages.emplace_back();
  for (int i = 0; i < 3; ++i) b.pages.emplace_back();
  renumberPages(a);
  renumberPages(b);
  a.pages.front().blocks.emplace_back().sec = sectionCode(a, u"caption");
  BlockData& colophon = b.pages.front().blocks.emplace_back();
  colophon.sec = sectionCode(b, u"colophon");
  BlockData& caption = b.pages.back().blocks.emplace_back();
  caption.sec = sectionCode(b, u"caption");
  b.pages.back().width = 900;
  const PageData* moved = &b.pages.back();

  appendPaper(a, b);
  ASSERT_EQ(a.pages.size(), 5u);
  EXPECT_TRUE(b.pages.empty());
  int n = 0;
  for (const PageData& p : a.pages) EXPECT_EQ(p.number, ++n);
  EXPECT_EQ(&a.pages.back(), moved);  // records move, they are not copied
  EXPECT_EQ(sectionWord(a, a.pages.front().blocks.front().sec), u"caption");
  EXPECT_EQ(sectionWord(a, colophon.sec), u"colophon");
  EXPECT_EQ(sectionWord(a, caption.sec), u"caption");
  EXPECT_EQ(a.userSections.size(), 2u);
  EXPECT_EQ(a.maxPageWidth, 900);
}

TEST(Records, CharacterCopiesAreDeepAndDefaultsMatchCreation) {
  CharData c;
  EXPECT_EQ(c.cc, 10);
  EXPECT_EQ(c.numCand(), 0);
  c.resetCandidates(2);
  EXPECT_EQ(c.candCC(1), 0);
  EXPECT_EQ(charTextLength(c.candText(1)), 0);
  c.candText(1) = makeCharText(u'字');
  CharData copy = c;
  copy.candText(1) = makeCharText(u'宇');
  EXPECT_EQ(c.candText(1)[0], u'字');
  EXPECT_EQ(copy.numCand(), 2);
  c.resetCandidates(-4);
  EXPECT_EQ(c.numCand(), 0);
  EXPECT_EQ(charTextLength(makeCharText(0xD842, 0xDF9F)), 2);
}

TEST(Counts, CountEveryRecordIncludingTableCells) {
  PaperData paper;
  PageData& p = paper.pages.emplace_back();
  paper.pages.emplace_back();
  BlockData& text = p.blocks.emplace_back();
  LineData& l = text.lines.emplace_back();
  l.chars.emplace_back().resetCandidates(3);
  l.chars.emplace_back();
  BlockData& table = p.blocks.emplace_back();
  table.cells.emplace_back().lines.emplace_back().chars.emplace_back().resetCandidates(1);
  PaperCounts n = countPaper(paper);
  EXPECT_EQ(n.pages, 2);
  EXPECT_EQ(n.blocks, 2);
  EXPECT_EQ(n.lines, 2);
  EXPECT_EQ(n.chars, 3);
  EXPECT_EQ(n.candidates, 4);
}

}  // namespace
}  // namespace vellary::model

namespace vellary::model {
namespace {

TEST(CopyPage, SideLinesPointIntoTheCopyOrBecomePlainLines) {
  PageData page;
  page.file = u"p.tif";
  BlockData& b = page.blocks.emplace_back();
  LineData& base = b.lines.emplace_back();
  base.chars.emplace_back().resetCandidates(2);
  LineData& ruby = b.lines.emplace_back();
  ruby.attr = AttrRuby;
  ruby.baseLine = &base;
  ruby.rcs = 1;
  LineData& lost = b.lines.emplace_back();
  LineData outside;
  lost.attr = AttrEmph;
  lost.baseLine = &outside;  // not in this block
  lost.rcs = 3;
  BlockData& table = page.blocks.emplace_back();
  table.type = BlockTable;
  CellData& cell = table.cells.emplace_back();
  LineData& cellBase = cell.lines.emplace_back();
  cell.lines.emplace_back().baseLine = &cellBase;
  std::next(cell.lines.begin())->attr = AttrFootnote;

  PageData copy = copyPage(page);
  const BlockData& cb = copy.blocks.front();
  EXPECT_EQ(std::next(cb.lines.begin())->baseLine, &cb.lines.front());
  const LineData& copiedLost = *std::next(cb.lines.begin(), 2);
  EXPECT_EQ(copiedLost.attr, AttrNone);
  EXPECT_EQ(copiedLost.rcs, 0);
  EXPECT_EQ(copiedLost.baseLine, nullptr);
  const CellData& cc = copy.blocks.back().cells.front();
  EXPECT_EQ(std::next(cc.lines.begin())->baseLine, &cc.lines.front());
  // Candidates are copied, not shared.
  cb.lines.front().chars.front().candText(0);
  EXPECT_NE(&cb.lines.front().chars.front().candText(0), &base.chars.front().candText(0));
  EXPECT_EQ(copy.file, page.file);
}

TEST(CharacterAt, CountsOverTheNonTableBlocks) {
  PageData page;
  BlockData& a = page.blocks.emplace_back();
  a.lines.emplace_back().chars.resize(2);
  a.lines.emplace_back().chars.resize(1);
  BlockData& table = page.blocks.emplace_back();
  table.type = BlockTable;
  table.cells.emplace_back().lines.emplace_back().chars.resize(5);
  BlockData& c = page.blocks.emplace_back();
  c.lines.emplace_back().chars.resize(2);
  EXPECT_EQ(characterAt(page, 2).character, &a.lines.back().chars.front());
  EXPECT_EQ(characterAt(page, 3).block, &c);
  EXPECT_EQ(characterAt(page, 4).character, &c.lines.front().chars.back());
  EXPECT_EQ(characterAt(page, 5).character, nullptr);
  EXPECT_EQ(characterAt(page, -1).character, nullptr);
}

}  // namespace
}  // namespace vellary::model

namespace vellary::model {
namespace {

PageData twoLinePageWithTable() {
  PageData page;
  BlockData& b = page.blocks.emplace_back();
  LineData& base = b.lines.emplace_back();
  base.chars.emplace_back().text = makeCharText(u'猫');
  LineData& ruby = b.lines.emplace_back();
  ruby.attr = AttrRuby;
  ruby.baseLine = &base;
  ruby.chars.emplace_back().text = makeCharText(u'ね');
  BlockData& table = page.blocks.emplace_back();
  table.type = BlockTable;
  table.cells.emplace_back().lines.emplace_back().chars.emplace_back().text = makeCharText(u'1');
  return page;
}

TEST(LinesThatDiffer, OnlyLinesWithOtherCharactersWhileTheStructureStays) {
  const PageData before = twoLinePageWithTable();
  PageData after = copyPage(before);
  EXPECT_EQ(linesThatDiffer(before, after)->size(), 0u);

  // A changed character in the ruby line and in the table cell: those two lines only.
  std::next(after.blocks.front().lines.begin())->chars.front().text = makeCharText(u'こ');
  LineData& cellLine = after.blocks.back().cells.front().lines.front();
  cellLine.chars.emplace_back().text = makeCharText(u'2');
  auto lines = linesThatDiffer(before, after);
  ASSERT_TRUE(lines);
  ASSERT_EQ(lines->size(), 2u);
  EXPECT_EQ((*lines)[0], &*std::next(after.blocks.front().lines.begin()));
  EXPECT_EQ((*lines)[1], &cellLine);

  // A mark change counts as a character change.
  PageData marked = copyPage(before);
  marked.blocks.front().lines.front().chars.front().modRubyEmp = 1;
  EXPECT_EQ(linesThatDiffer(before, marked)->size(), 1u);
}

TEST(LinesThatDiffer, StructureChangesAskForTheWholePage) {
  const PageData before = twoLinePageWithTable();
  PageData moreLines = copyPage(before);
  moreLines.blocks.front().lines.emplace_back();
  EXPECT_FALSE(linesThatDiffer(before, moreLines));

  PageData moved = copyPage(before);
  moved.blocks.front().lines.front().x += 10;
  EXPECT_FALSE(linesThatDiffer(before, moved));

  PageData unattached = copyPage(before);
  std::next(unattached.blocks.front().lines.begin())->baseLine = nullptr;
  EXPECT_FALSE(linesThatDiffer(before, unattached));

  PageData retyped = copyPage(before);
  retyped.blocks.back().type = BlockText;
  EXPECT_FALSE(linesThatDiffer(before, retyped));

  PageData fewerBlocks = copyPage(before);
  fewerBlocks.blocks.pop_back();
  EXPECT_FALSE(linesThatDiffer(before, fewerBlocks));
}

}  // namespace
}  // namespace vellary::model
