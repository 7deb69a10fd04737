// Content stream operators: visible runs with their colour switches and line moves, the pieces
// of invisible runs, tables with rules, and figures.
#include "export/pdf/pdf_content.h"

#include <gtest/gtest.h>

namespace {

using namespace vellary::exporting::pdf;

constexpr Rgb kRed{255, 0, 0}, kBlack{0, 0, 0};

PdfText visible(std::u16string text, int font = FontMincho, std::vector<Rgb> colours = {}) {
  PdfText t;
  t.text = std::move(text);
  t.x = 72;
  t.y = 700;
  t.fontType = font;
  t.fontSize = 12;
  t.lineAdvance = 20;
  colours.resize(t.text.size(), kBlack);
  t.colours = colours;
  return t;
}

PdfText invisible(std::u16string text, std::vector<int> lengths, std::vector<int> xs,
                  std::vector<int> ys, int font = FontMincho) {
  PdfText t;
  t.text = std::move(text);
  t.fontType = font;
  t.fontSize = 10;
  t.renderMode = RenderInvisible;
  t.runLengths = std::move(lengths);
  t.xOffsets = std::move(xs);
  t.yOffsets = std::move(ys);
  return t;
}

std::string body(const std::string& ops) {
  const std::string start = "Tf\r";
  const size_t a = ops.find(start) + start.size();
  return ops.substr(a, ops.rfind("ET\rEMC\r") - a);
}

TEST(PdfContent, VisibleRunSwitchesColourOnlyWhereItChanges) {
  const PdfText t = visible(u"赤赤黒\n黒", FontMincho, {kRed, kRed, kBlack, kRed, kBlack});
  EXPECT_EQ(visibleTextOps(t, 3),
            "/P << /MCID 3 >>\rBDC\rBT\r0 0 0 rg \r0 Tc 0 Tw 100 Tz 0 Tr\r72 700 TD\r/F0 12 Tf\r"
            "<> Tj 1.000000 0.000000 0.000000 rg<8D648D64> Tj 0.000000 0.000000 0.000000 rg"
            "<9ED2> Tj\r0 -20 TD\r<9ED2> Tj\rET\rEMC\r");
}

TEST(PdfContent, LineFeedsMoveAndCarriageReturnsAreSkippedInHorizontalRuns) {
  const std::string h = visibleTextOps(visible(u"上\r\n下\r\n"), 0);
  EXPECT_NE(h.find("<4E0A> Tj\r0 -20 TD\r<4E0B> Tj\r0 -20 TD\r<> Tj\r"), std::string::npos) << h;
  EXPECT_EQ(h.find("000D"), std::string::npos);
  // Vertical fonts move one line advance to the left.
  const std::string v = visibleTextOps(visible(u"上\n下", FontMinchoV), 0);
  EXPECT_NE(v.find("/F4 12 Tf\r<> Tj 0.000000 0.000000 0.000000 rg<4E0A> Tj\r-20 0 TD\r<4E0B>"),
            std::string::npos)
      << v;
}

TEST(PdfContent, TimesNewRomanWritesOneByteACharacter) {
  EXPECT_NE(visibleTextOps(visible(u"Ab1", FontTimes), 0)
                .find("/F2 12 Tf\r<> Tj "
                      "0.000000 0.000000 0.000000 rg"
                      "<416231> Tj"),
            std::string::npos);
  EXPECT_EQ(body(invisibleTextOps(invisible(u"Ab", {2, 0}, {5, 0}, {-3, 0}, FontTimes), 0)),
            "5 3 TD\r<4162> Tj\r");
}

TEST(PdfContent, InvisiblePiecesContinueTheStringUnlessTheyMove) {
  // Pieces a (placed), b (continues), c d (placed after a move).
  const PdfText t = invisible(u"abcd", {1, 1, 2}, {100, 0, 30}, {-700, 0, 0});
  EXPECT_EQ(invisibleTextOps(t, 1),
            "/P << /MCID 1 >>\rBDC\rBT\r0 0 0 rg \r0 Tc 0 Tw 100 Tz 3 Tr\r/F0 10 Tf\r"
            "100 700 TD\r<00610062> Tj\r30 0 TD\r<00630064> Tj\rET\rEMC\r");
}

TEST(PdfContent, InvisibleVerticalPiecesEachGetTheirOwnPlace) {
  const PdfText t = invisible(u"縦書", {1, 1}, {300, 0}, {-100, 12}, FontMinchoV);
  EXPECT_EQ(body(invisibleTextOps(t, 0)), "300 100 TD\r<7E26> Tj\r0 -12 TD\r<66F8> Tj\r");
}

TEST(PdfContent, InvisiblePiecesCountASurrogatePairAsOneCharacter) {
  const PdfText t = invisible(u"\U00020B9F字", {1, 1}, {10, 5}, {-10, 0});
  EXPECT_EQ(body(invisibleTextOps(t, 0)), "10 10 TD\r<D842DF9F> Tj\r5 0 TD\r<5B57> Tj\r");
}

TEST(PdfContent, InvisibleRunStopsWhereTextOrPiecesEnd) {
  // A piece reserved for a character that never came writes nothing.
  const PdfText reserved = invisible(u"ab", {2, 1}, {10, -595}, {-20, -842});
  EXPECT_EQ(body(invisibleTextOps(reserved, 0)), "10 20 TD\r<00610062> Tj\r");
  // The same piece with its character appended places it outside the page.
  const PdfText filled = invisible(u"ab ", {2, 1}, {10, -595}, {-20, -842});
  EXPECT_EQ(body(invisibleTextOps(filled, 0)), "10 20 TD\r<00610062> Tj\r-595 842 TD\r<0020> Tj\r");
  // Characters beyond the pieces are not written; a zero length ends the pieces.
  const PdfText cut = invisible(u"abc", {1, 0, 2}, {1, 0, 0}, {0, 0, 0});
  EXPECT_EQ(body(invisibleTextOps(cut, 0)), "1 0 TD\r<0061> Tj\r");
}

TEST(PdfContent, TableDrawsItsRulesThenItsCells) {
  PdfTable table;
  table.rows = 1;
  table.columns = 2;
  table.horizontalRules = {{100, 200, 300, 200, 1},
                           {300, 200, 500, 200, 2},
                           {100, 100, 300, 100, 3},
                           {300, 100, 500, 100, 0}};
  table.verticalRules = {{100, 200, 100, 100, 1}, {300, 200, 300, 100, 0}, {500, 200, 500, 100, 1}};
  PdfText cell = visible(u"表\n下");
  cell.lineAdvance = 1450;  // hundredths of a point
  table.cells = {cell, PdfText{}};
  EXPECT_EQ(tableOps(table, 2),
            "/P << /MCID 2 >>\rBDC\r"
            "0 w\r[] 0 d\r1.00 2.00 m\r3.00 2.00 l\rS\r"
            "0 w\r[2] 1 d\r3.00 2.00 m\r5.00 2.00 l\rS\r"
            "2 w\r[] 0 d\r1.00 1.00 m\r3.00 1.00 l\rS\r"
            "0 w\r[] 0 d\r1.00 2.00 m\r1.00 1.00 l\rS\r"
            "0 w\r[] 0 d\r5.00 2.00 m\r5.00 1.00 l\rS\r"
            "BT\r0 0 0 rg 0 Tc 0 Tw\r72 700 TD\r/F0 12 Tf <> Tj 0.000000 0.000000 0.000000 rg"
            "<8868> Tj\r0 -14.50 TD\r<4E0B> Tj\rET\r"
            "EMC\r");
}

TEST(PdfContent, FigurePlacesItsImageAndAMaskIsPaintedInItsColour) {
  PdfImage im;
  im.x = 10.9;
  im.y = 20.1;
  im.width = 300.7;
  im.height = 400.2;
  EXPECT_EQ(figureOps(im, 4, 0),
            "/Figure << /MCID 0 >>\rBDC\rq\r300 0 0 400 10 20 cm\r/im4 Do\rQ\rEMC\r");
  im.imageMask = true;
  im.colour = Rgb{255, 0, 51};
  EXPECT_EQ(figureOps(im, 5, 1),
            "/Figure << /MCID 1 >>\rBDC\rq\r1.000000 0.000000 0.200000 rg\r"
            "300 0 0 400 10 20 cm\r/im5 Do\rQ\rEMC\r");
}

}  // namespace
