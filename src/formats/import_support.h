// What every importer needs to turn another format's page into the records a RovOrirUD read
// leaves: numbers from attributes, boxes clipped to the page, confidences on the 0–10 scale,
// characters spread over word or line boxes, candidates, the page image's path, the counts and
// averages, and the limits that keep a hostile file from taking the machine's memory.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formats/format.h"
#include "model/records.h"

namespace vellary::formats::detail {

// Coordinates beyond this are clipped: a page of 4 m at 600 dpi, far beyond any scan.
inline constexpr int32_t kMaxCoordinate = 100000;

// A box in page pixels; it covers x … x + width − 1.
struct Box {
  int32_t x = 0, y = 0, width = 0, height = 0;
  int64_t right() const { return int64_t{x} + width; }    // exclusive
  int64_t bottom() const { return int64_t{y} + height; }  // exclusive
};

// A decimal number (leading and trailing blanks allowed); nullopt for anything else, NaN and
// infinities included.
std::optional<double> parseNumber(std::string_view text);
// A coordinate from a file: rounded, then clamped to 0 … kMaxCoordinate.
int32_t coordinate(double v);
// From corners (x1, y1 exclusive, as hOCR's bbox) and from a position and a size (ALTO, NDL).
// A reversed box becomes an empty one at its first corner.
Box boxFromCorners(double x0, double y0, double x1, double y1);
Box boxFromSize(double x, double y, double width, double height);
// The smallest box holding both; an empty box (no width and no height) does not count.
Box unite(const Box& a, const Box& b);
bool isEmpty(const Box& b);
// The part of b on a page of the given size (negative sizes: no page size known, nothing cut).
Box clip(const Box& b, int32_t pageWidth, int32_t pageHeight);
// The i-th of n equal cells of box along the writing direction (top to bottom when vertical,
// left to right otherwise); the last cell takes the remainder.
Box cellOf(const Box& box, int i, int n, bool vertical);
void setBox(model::CharData& c, const Box& b);
void setBox(model::LineData& l, const Box& b);
void setBox(model::BlockData& b, const Box& box);
Box boxOf(const model::LineData& l);
Box boxOf(const model::CharData& c);

// Confidences on the records' scale, 0 (unsure) … 10 (sure).
uint16_t confidenceFromUnit(double v);     // 0 … 1 (PAGE, ALTO WC, GC, VC; NDLOCR)
uint16_t confidenceFromPercent(double v);  // 0 … 100 (hOCR, TSV)
uint16_t confidenceFromAltoCC(int digit);  // 0 sure … 9 unsure

// The characters of UTF-8 text, one per code point (astral ones as surrogate pairs); ill-formed
// bytes give U+FFFD.
std::vector<model::CharText> splitCharacters(std::string_view utf8);
// The character of a text that holds exactly one; nullopt otherwise.
std::optional<model::CharText> singleCharacter(std::string_view utf8);
bool isSpace(const model::CharText& c);
// Han, kana and the CJK punctuation and full-width forms: text in which words are not
// separated by blanks.
bool isCjk(const model::CharText& c);

struct Candidate {
  model::CharText text{};
  uint16_t cc = 0;
};
// At most this many candidates are kept per character.
inline constexpr int kMaxCandidates = 16;
// The candidates in the given order, each text once (its first occurrence), at most
// kMaxCandidates.
void setCandidates(model::CharData& c, std::span<const Candidate> candidates);

// A character read from a file before it joins its line.
struct PendingChar {
  model::CharText text{};
  Box box;
  uint16_t cc = model::kDefaultConfidence;
  std::vector<Candidate> candidates;  // empty: the character itself is its only candidate
  bool changed = false;
};
// Characters spread over box in equal cells along the writing direction.
std::vector<PendingChar> spreadCharacters(std::span<const model::CharText> text, const Box& box,
                                          bool vertical, uint16_t cc);

// Whether a blank goes between two words of a line.
enum class Blank {
  None,       // the file says there is none
  Always,     // the file says there is one
  UnlessCjk,  // the file does not say: a blank, except between two CJK characters, which
              // engines cut into words at will
};
// Adds a word's characters to the line, after a blank character when `before` asks for one
// (never before the line's first character). The blank's box is the gap between the words along
// the writing direction. The characters were counted against the budget as they were read.
void appendWord(model::LineData& line, std::span<const PendingChar> word, Blank before,
                bool vertical);

// Vertical when the block's lines of two or more characters are taller than wide (by summed
// extent); horizontal when there are none.
bool looksVertical(const model::List<model::LineData>& lines);
// The same from line boxes and the number of characters each holds.
struct LineExtent {
  Box box;
  size_t chars = 0;
};
bool looksVertical(std::span<const LineExtent> lines);
// 1 vertical, 0 horizontal, −1 when no line has two characters to tell by.
int verticalVote(std::span<const LineExtent> lines);

// Text blocks whose lines could not tell their direction (none holds two characters) take the
// direction most characters of the page are written in.
void settleUndecided(model::PageData& page, std::span<model::BlockData* const> undecided);

// Counts and averages of a block, of its cells for a table; the block's box from its lines or
// cells when it has none of its own (an empty box).
void finishBlock(model::BlockData& block);
// Width and height from the blocks when the file gave none (as the native reader does).
void finishPage(model::PageData& page);
// Page numbers, the largest page size, the encoding saves use by default.
void finishPaper(model::PaperData& paper);

// The page image as the file names it (a path, possibly relative to the input's folder, or a
// file: URL): the name goes to `file`, the path (made absolute against the input's folder) to
// `fullpath`. When the file names none (or only a folder), an image beside the input with the
// input's name and an image extension is taken, or that name with .png (in that folder).
void recordImage(model::PageData& page, std::string_view given, const std::string& documentPath);

// Limits on what one import builds, and the progress window's texts.
class Budget {
 public:
  using Fail = std::function<void(int code, std::string_view sentence)>;  // must throw
  Budget(Fail fail, model::Progress* progress) : fail_(std::move(fail)), progress_(progress) {}

  void startPage();             // before a page's content
  void endPage(int pagesRead);  // the progress text
  void addLine();
  void addCharacters(long n);
  void start();  // the progress caption, before the first page

  static constexpr long kLinesPerPage = 100000;
  static constexpr long kCharactersPerPage = 500000;
  static constexpr long kPages = 100000;
  static constexpr long kCharacters = 20000000;

 private:
  Fail fail_;
  model::Progress* progress_;
  long pages_ = 0, linesOnPage_ = 0, charsOnPage_ = 0, chars_ = 0;
};

// Runs an import body and turns its failure into the outcome's error; the paper, finished as a
// read leaves it, is returned only on success.
ReadOutcome runImport(const std::function<void(model::PaperData&)>& body);

// The block role a word names: one of the native section words (title, header …), a PAGE
// region type (heading, footnote, page-number …, a page number at the top or the bottom by
// where the block stands), else the word itself as a section word of the document.
int32_t roleOfWord(model::PaperData& paper, std::string_view word, const Box& box,
                   int32_t pageHeight);

// Rows and columns (from 1) of a table's cells from where they stand, for files that give the
// cells but not their places in the grid: a new row where a cell starts below half the height of
// the row's first cell, a new column likewise across.
void assignGrid(model::BlockData& table);

// The same for the XML formats: the body reads from a stream over the input, with the limits and
// the progress of one import.
ReadOutcome runXmlImport(
    ImportInput& input,
    const std::function<void(model::PaperData&, class XmlInput&, Budget&)>& body);

// Whether text (an attribute value, a class list) holds word as a blank-separated word.
bool hasWord(std::string_view text, std::string_view word);
// ASCII lower case.
std::string lowered(std::string_view text);

}  // namespace vellary::formats::detail
