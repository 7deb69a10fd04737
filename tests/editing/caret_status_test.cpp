// What the status bar says about the caret: code point, confidence and reject, the place on the
// image, and block, cell, line and character counted as a proofreader counts them.
#include "editing/caret_status.h"

#include "correction_fixture.h"

namespace vellary::editing {
namespace {

class CaretStatus : public CorrectionTest {
 protected:
  CaretReport report(int level = 2) {
    const auto r = describeCaret(page(), caret.caret, level);
    EXPECT_TRUE(r.has_value());
    return r.value_or(CaretReport{});
  }
};

TEST_F(CaretStatus, TheCharacterAfterTheCaretAndItsPlace) {
  PaperBuilder b;
  model::PageData& p = b.page();
  PaperBuilder::line(b.block(p), u"一行目");
  model::BlockData& second = b.block(p);
  PaperBuilder::line(second, u"あいう");
  PaperBuilder::line(second, u"か\U00020B9Fき");
  open(b);
  caretAt(1, 1, 1);
  const CaretReport r = report();
  EXPECT_EQ(r.block, 2);
  EXPECT_EQ(r.line, 2);
  EXPECT_EQ(r.column, 2);
  ASSERT_TRUE(r.codePoint.has_value());
  EXPECT_EQ(*r.codePoint, U'\U00020B9F');  // a surrogate pair is one character
  EXPECT_EQ(r.confidence, 10);
  EXPECT_FALSE(r.reject);
  const model::CharData& ch = *caret.caret.character();
  EXPECT_EQ(r.x, ch.x);
  EXPECT_EQ(r.y, ch.y);
  EXPECT_EQ(caretStatusText(r), "U+20B9F \U00020B9F　確信度 10　ブロック 2 行 2 字 2　(" +
                                    std::to_string(ch.x) + ", " + std::to_string(ch.y) + ")");
  // At the end of the line there is no character to describe.
  caret.caret.ch = caret.caret.line->chars.end();
  const CaretReport end = report();
  EXPECT_FALSE(end.codePoint.has_value());
  EXPECT_TRUE(end.atLineEnd);
  EXPECT_EQ(caretStatusText(end), "ブロック 2 行 2 行末");
  // No caret, no report.
  EXPECT_FALSE(describeCaret(page(), CaretPos{}, 2).has_value());
}

TEST_F(CaretStatus, RejectsTypedCharactersAndLineBreaksAreNamed) {
  PaperBuilder b;
  b.textPage({u"abcd"});
  open(b);
  auto it = line(0, 0).chars.begin();
  it->cc = 1;  // below the reject level 2
  (++it)->cc = 0xFFFF;  // the top bit: a reject at any level, read as −1
  (++it)->x = -1;       // typed: no place on the image
  (++it)->text = model::CharText{u'\r', 0, 0};
  caretAt(0, 0, 0);
  EXPECT_TRUE(report(2).reject);
  EXPECT_FALSE(report(1).reject);
  EXPECT_NE(caretStatusText(report()).find("確信度 1 リジェクト"), std::string::npos);
  caretAt(0, 0, 1);
  EXPECT_EQ(report(1).confidence, -1);
  EXPECT_TRUE(report(1).reject);
  caretAt(0, 0, 2);
  EXPECT_NE(caretStatusText(report()).find("(入力文字)"), std::string::npos);
  caretAt(0, 0, 3);
  EXPECT_EQ(caretStatusText(report()).rfind("U+000D 改行", 0), 0u);
}

TEST_F(CaretStatus, RubyLinesAndTableCellsSayWhereTheyBelong) {
  PaperBuilder b;
  model::PageData& p = b.page();
  model::BlockData& text = b.block(p);
  PaperBuilder::line(text, u"前の行");
  model::LineData& base = PaperBuilder::line(text, u"漢字");
  model::LineData& ruby = PaperBuilder::line(text.lines, u"かんじ", model::AttrRuby);
  ruby.baseLine = &base;
  ruby.rcs = 1;
  ruby.rce = 2;
  model::BlockData& table = b.block(p, model::Horizontal, model::BlockTable);
  model::CellData& cell = table.cells.emplace_back();
  cell.row = 2;
  cell.col = 1;
  cell.width = cell.height = 100;
  PaperBuilder::line(cell.lines, u"値");
  cell.charCount = 1;
  table.charCount = 1;
  open(b);
  ASSERT_EQ(line(0, 2).baseLine, &line(0, 1));
  caret.caret = at(0, 2, 1);
  const CaretReport r = report();
  EXPECT_EQ(r.sideLine, model::AttrRuby);
  EXPECT_EQ(r.line, 2);  // the base line's number among the normal lines
  EXPECT_NE(caretStatusText(r).find("行 2 ルビ 字 2"), std::string::npos);
  caret.caret = CaretPos{&block(1), &block(1).cells.front(), &block(1).cells.front().lines.front(),
                         block(1).cells.front().lines.front().chars.begin()};
  const CaretReport c = report();
  EXPECT_EQ(c.block, 2);
  EXPECT_EQ(c.cellRow, 2);
  EXPECT_EQ(c.cellCol, 1);
  EXPECT_NE(caretStatusText(c).find("ブロック 2 セル 3,2 行 1 字 1"), std::string::npos);
}

}  // namespace
}  // namespace vellary::editing
