// Measuring recognition against pages of known text (tools/make-sample --recognition-pages and
// the bundled sample): character error rate, character boxes against the glyphs' ink boxes, ruby
// found and attached, candidates holding the truth, and how well rejects mark misreads. Both
// documents are compared as re-composition leaves them. Used by the recognition tests and the
// recognition benchmark.
#pragma once

#include <string>
#include <vector>

#include "model/records.h"

namespace vellary::recognition_check {

// The base text of a page in reading order (blocks, table cells, lines whose attr is none),
// without white space and line breaks.
std::u16string pageText(const model::PageData& page);

// Edit distance between two texts, in UTF-16 units.
int editDistance(std::u16string_view a, std::u16string_view b);

// Character error rate: edit distance ÷ length of the truth.
double errorRate(std::u16string_view truth, std::u16string_view read);

// The text a plain text file holds, without white space (UTF-8 in).
std::u16string plainText(const std::string& utf8);

struct PageCheck {
  int truthChars = 0;
  int errors = 0;  // edit distance of the base texts
  // Characters of vertical base lines: how many boxes lie inside the ink box of the glyph they
  // overlap most (grown by a two-pixel tolerance), of how many.
  int verticalBoxes = 0, verticalBoxesInside = 0;
  // Ruby lines of the truth; found: a ruby line of the result overlaps it and reads the same;
  // attached: and it covers base characters that overlap the truth's base characters.
  int ruby = 0, rubyFound = 0, rubyAttached = 0;
  int emphasis = 0, emphasisFound = 0;  // emphasis marks (characters of emph lines)
  // From an alignment of the base texts: misread characters (substitutions), those whose
  // candidates hold the truth, those that are rejects (confidence below the reject level), all
  // rejects, and rejects that were read right.
  int misreads = 0, misreadsWithTruthCandidate = 0, misreadsRejected = 0;
  int rejects = 0, rejectsRight = 0;
};

// Compares one recognised page with its truth. `rejectLevel` as the settings hold it (2).
PageCheck checkPage(const model::PageData& truth, const model::PageData& read, int rejectLevel = 2);

void add(PageCheck& total, const PageCheck& page);

// One line of figures for a report.
std::string describe(const PageCheck& c);

}  // namespace vellary::recognition_check
