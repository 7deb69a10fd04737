// Content stream operators: a line's glyphs placed on their characters' boxes, characters
// without a place following their neighbours, colours, vertical lines, tables with their rules as
// artifacts, and figures placed exactly.
#include "export/pdf/pdf_content.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

namespace {

using namespace vellary::exporting::pdf;

constexpr Rgb kRed{255, 0, 0};

PdfChar at(char32_t code, double left, double bottom, double size = 10) {
  return {code, {left, bottom, left + size * 0.9, bottom + size * 0.9}, true, {}};
}
PdfChar typed(char32_t code) { return {code, {}, false, {}}; }

PdfLine lineOf(std::vector<PdfChar> chars, int font = FontMincho) {
  PdfLine l;
  l.chars = std::move(chars);
  l.fontType = font;
  return l;
}

std::string ops(PdfFontSet& fonts, PdfLine line, int mode = RenderVisible) {
  ContentWriter writer(fonts);
  PdfTextBlock block{{std::move(line)}, mode, PdfRole::Paragraph, {}, 0};
  return writer.textBlock(block, 7);
}

// The numbers of the TJ array between two strings, in order.
std::vector<long> adjustments(const std::string& text) {
  std::vector<long> out;
  const std::regex number(R"(> (-?\d+) <)");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), number); it != std::sregex_iterator();
       ++it)
    out.push_back(std::stol((*it)[1]));
  return out;
}

TEST(PdfContent, ALineIsOneTextObjectPlacedByItsBoxes) {
  PdfFontSet named(false);
  // Three characters an em apart and one far to the right: only the gap moves a glyph.
  const std::string text =
      ops(named, lineOf({at(U'港', 100, 700), at(U'町', 110, 700), at(U'の', 120, 700),
                         at(U'朝', 200, 700)}));
  EXPECT_EQ(text.rfind("/P << /MCID 7 >>\rBDC\rBT\r/F0 ", 0), 0u) << text;
  EXPECT_NE(text.find(" Tf\r0 Tr\r0.000 0.000 0.000 rg\r1 0 0 1 "), std::string::npos);
  EXPECT_NE(text.find("Tm\r[<6E2F>"), std::string::npos) << text;
  // Glyphs an em apart move a little, to put their ink on the boxes; the last one moves about
  // 70 points (at a size of about 10) to its place.
  const auto moves = adjustments(text);
  ASSERT_EQ(moves.size(), 3u) << text;
  EXPECT_LT(std::abs(moves[0]), 200);
  EXPECT_LT(std::abs(moves[1]), 200);
  EXPECT_LT(moves[2], -6000);
  EXPECT_TRUE(text.ends_with("<671D>] TJ\rET\rEMC\r"));
}

TEST(PdfContent, CharactersWithoutAPlaceFollowTheirNeighboursAndLeadUpToTheFirstPlacedOne) {
  PdfFontSet named(false);
  const std::string text = ops(named, lineOf({typed(U'「'), at(U'港', 100, 700), typed(U'町')}));
  // No move between the strings: each typed character takes its natural advance.
  EXPECT_TRUE(adjustments(text).empty()) << text;
  EXPECT_NE(text.find("[<300C6E2F753A>] TJ"), std::string::npos) << text;
  // The leading one starts an em before the placed character's origin.
  EXPECT_NE(text.find("Tm\r"), std::string::npos);
}

TEST(PdfContent, NamedFontsWriteUtf16AndHalfWidthDigitsAdvanceHalfAnEm) {
  PdfFontSet named(false);
  // Digits half an em apart need no move at all in a font that makes them half an em wide.
  const std::string text = ops(named, lineOf({at(U'1', 100, 700), typed(U'0'), at(U'𠮟', 200, 700)}));
  EXPECT_NE(text.find("[<00310030> "), std::string::npos) << text;
  EXPECT_NE(text.find("<D842DF9F>] TJ"), std::string::npos) << text;
}

TEST(PdfContent, ColoursSwitchWhereTheyChangeAndInvisibleTextHasNone) {
  PdfFontSet named(false);
  PdfChar red = at(U'赤', 110, 700);
  red.colour = kRed;
  const std::string visible = ops(named, lineOf({at(U'黒', 100, 700), red}));
  EXPECT_NE(visible.find("] TJ\r1.000 0.000 0.000 rg\r[<8D64>] TJ"), std::string::npos) << visible;
  const std::string invisible = ops(named, lineOf({at(U'黒', 100, 700), red}), RenderInvisible);
  EXPECT_NE(invisible.find(" Tf\r3 Tr\r1 0 0 1 "), std::string::npos) << invisible;
  EXPECT_EQ(invisible.find(" rg\r"), std::string::npos);
}

TEST(PdfContent, EmbeddedFontsWriteTheirCidsAndInvisibleTextTakesTheGlyphlessFont) {
  PdfFontSet embedded(true);
  const std::string visible = ops(embedded, lineOf({at(U'港', 100, 700), at(U'港', 110, 700)}));
  EXPECT_NE(visible.find("/F0 "), std::string::npos);
  EXPECT_NE(visible.find("[<0001>"), std::string::npos) << visible;
  const std::string invisible = ops(embedded, lineOf({at(U'港', 100, 700)}), RenderInvisible);
  EXPECT_NE(invisible.find("BT\r/T0 "), std::string::npos) << invisible;
  EXPECT_EQ(embedded.resource(FontMinchoV, true), "T4");
}

TEST(PdfContent, AVerticalLineStandsAtItsColumnAndMovesDown) {
  PdfFontSet named(false);
  // A column at x 300 to 309, characters an em apart downwards, then one further down.
  const std::string text =
      ops(named, lineOf({at(U'縦', 300, 700), at(U'書', 300, 690), at(U'き', 300, 600)}, FontMinchoV));
  EXPECT_NE(text.find("BT\r/F4 "), std::string::npos);
  std::smatch m;
  ASSERT_TRUE(std::regex_search(text, m, std::regex(R"(1 0 0 1 ([\d.]+) ([\d.]+) Tm)")));
  const double x = std::stod(m[1]), y = std::stod(m[2]);
  EXPECT_NEAR(x, 304.5, 1.5);  // the column's middle
  EXPECT_GT(y, 708);           // the top of the first character's em, above its ink
  const auto moves = adjustments(text);
  ASSERT_FALSE(moves.empty());
  EXPECT_GT(moves.back(), 7000);  // a downward move in vertical writing is a positive number
}

TEST(PdfContent, TableRulesAreArtifactsAndEveryCellIsASequence) {
  PdfFontSet named(false);
  ContentWriter writer(named);
  PdfTable t;
  t.rows = 1;
  t.columns = 2;
  t.horizontalRules = {{0, 100, 1000, 100, 1}, {0, 0, 1000, 0, 0}};
  t.verticalRules = {{0, 0, 0, 100, 2}, {1000, 0, 1000, 100, 3}};
  t.cells = {{0, 0, 1, 1, {lineOf({at(U'一', 1, 1)})}}, {0, 1, 1, 1, {}}};
  const std::string text = writer.table(t, {3, 4});
  EXPECT_EQ(text.rfind("/Artifact BMC\r0 w\r[] 0 d\r0.00 1.00 m\r10.00 1.00 l\rS\r"
                       "0 w\r[2] 1 d\r0.00 0.00 m\r0.00 1.00 l\rS\r"
                       "2 w\r[] 0 d\r10.00 0.00 m\r10.00 1.00 l\rS\rEMC\r/TD << /MCID 3 >>\rBDC\rBT",
                       0),
            0u)
      << text;
  EXPECT_TRUE(text.ends_with("EMC\r/TD << /MCID 4 >>\rBDC\rEMC\r"));
}

TEST(PdfContent, FiguresArePlacedExactlyAndMasksPaintedInTheirColour) {
  PdfFontSet named(false);
  ContentWriter writer(named);
  PdfImage im;
  im.x = 10.25;
  im.y = 20.5;
  im.width = 100.125;
  im.height = 50.0625;
  EXPECT_EQ(writer.figure(im, 3, 2),
            "/Figure << /MCID 2 >>\rBDC\rq\r100.1250 0 0 50.0625 10.2500 20.5000 cm\r/im3 Do\rQ\r"
            "EMC\r");
  im.imageMask = true;
  im.colour = kRed;
  EXPECT_EQ(writer.figure(im, 4, -1),
            "/Artifact BMC\rq\r1.000000 0.000000 0.000000 rg\r100.1250 0 0 50.0625 10.2500 20.5000 "
            "cm\r/im4 Do\rQ\rEMC\r");
}

}  // namespace
