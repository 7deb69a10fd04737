// A long random session of keys, typing, input-method results, pastes and undos on generated
// pages rich in tables, side lines and surrogate pairs: after every step the counts add up, side
// lines stand on lines of their own block or cell, and the caret and selection name live records.
#include <gtest/gtest.h>

#include <random>

#include "docgen.h"
#include "editor_fixture.h"
#include "editing/line_ops.h"

namespace vellary::editing::testing {
namespace {

bool positionIsLive(PageData& page, const CaretPos& p) {
  if (!p.valid()) return true;
  auto ref = findLine(page, p.line);
  if (!ref || ref->block != p.block || ref->cell != p.cell) return false;
  for (auto it = p.line->chars.begin(); it != p.line->chars.end(); ++it)
    if (it == p.ch) return true;
  return p.ch == p.line->chars.end();
}

void checkGroup(List<LineData>& lines, int32_t& total) {
  for (LineData& l : lines) {
    int32_t units = 0;
    for (const CharData& c : l.chars) units += charTextLength(c.text);
    EXPECT_EQ(l.charCount, units);
    total += l.charCount;
    if (l.baseLine == nullptr) continue;
    bool found = false;
    for (LineData& base : lines) found = found || &base == l.baseLine;
    EXPECT_TRUE(found) << "a side line refers to a line outside its group";
    EXPECT_EQ(l.baseLine->attr, AttrNone);
  }
}

void checkPage(PageData& page) {
  for (BlockData& b : page.blocks) {
    int32_t total = 0;
    checkGroup(b.lines, total);
    for (CellData& c : b.cells) {
      int32_t cellTotal = 0;
      checkGroup(c.lines, cellTotal);
      EXPECT_EQ(c.charCount, cellTotal);
      total += cellTotal;
    }
    EXPECT_EQ(b.charCount, total);
  }
}

class Session : public EditorTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(Session, ARandomSessionKeepsTheRecordsWhole) {
  docgen::Params params;
  params.pages = 3;
  params.charsPerPage = 300;
  params.candidates = 2;
  params.seed = GetParam();
  auto paper = docgen::generate(params);
  open(*paper);
  // Counts as the reader left them: the session must keep them so.
  for (PageData& p : doc->paper()->pages) checkPage(p);

  std::mt19937 rng(GetParam() * 7919u);
  const Key keys[] = {Key::Left, Key::Right, Key::Up, Key::Down, Key::Delete, Key::Backspace};
  const std::u16string pieces[] = {u"あ", u"\U00020BB7", u"漢字\r", u"\r", u"ｶﾅ"};
  int inTables = 0, onBaseLines = 0;
  for (int step = 0; step < 3000; ++step) {
    const int what = static_cast<int>(rng() % 100);
    if (what < 45) {
      ed->keyDown(keys[rng() % 6], rng() % 4 == 0);
      if (rng() % 3 != 0) ed->keyUp();
    } else if (what < 70) {
      ed->typeChar(rng() % 8 == 0 ? char16_t{13} : char16_t(u'ア' + rng() % 40));
    } else if (what < 80) {
      ed->commitText(pieces[rng() % 5]);
    } else if (what < 88) {
      ed->paste(pieces[rng() % 5]);
    } else if (what < 90) {
      if (rng() % 3 == 0)
        context->redo();
      else
        context->undo();
    } else if (what < 97) {
      // A click: any line of the page, side lines and table cells included.
      std::vector<LineRef> lines = pageLines(page());
      if (!lines.empty()) {
        const LineRef& r = lines[rng() % lines.size()];
        caret() = caretAt(r, static_cast<int>(rng() % (r.line->chars.size() + 1)));
        ed->state().selection.collapseTo(caret());
      }
    } else {
      doc->setCurrentPage(static_cast<int>(rng() % 3));
    }
    PageData& p = page();
    checkPage(p);
    ASSERT_TRUE(positionIsLive(p, caret())) << "step " << step;
    ASSERT_TRUE(positionIsLive(p, ed->state().selection.anchor)) << "step " << step;
    ASSERT_TRUE(positionIsLive(p, ed->state().selection.active)) << "step " << step;
    if (HasFailure()) FAIL() << "step " << step;
    if (caret().cell != nullptr) ++inTables;
    if (caret().valid() && hasSideLines(groupOf(caret()), *caret().line)) ++onBaseLines;
  }
  // The session reached the places where things go wrong, where the pages have them.
  bool tables = false, sideLines = false;
  for (PageData& p : doc->paper()->pages)
    for (BlockData& b : p.blocks) {
      tables = tables || b.type == BlockTable;
      for (LineData& l : b.lines) sideLines = sideLines || l.attr != AttrNone;
    }
  EXPECT_TRUE(!tables || inTables > 20) << inTables;
  EXPECT_TRUE(!sideLines || onBaseLines > 20) << onBaseLines;
}

INSTANTIATE_TEST_SUITE_P(Seeds, Session, ::testing::Values(1u, 2u, 3u, 4u, 5u, 6u));

}  // namespace
}  // namespace vellary::editing::testing
