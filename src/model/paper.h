// Operations on the document records: section words, numbering, averages, appending.
#pragma once

#include <string>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "records.h"

namespace vellary::model {

// The file's word for each enumeration value ("" for AttrNone). Out-of-range values give the
// word of the default (text, horizontal, none).
std::u16string_view blockTypeWord(int32_t type);
std::u16string_view directionWord(int32_t direction);
std::u16string_view lineAttrWord(int32_t attr);
std::u16string_view borderStyleWord(int32_t style);

// The word of a section code: a fixed word, or the user section word for codes from
// kUserSectionBase. An unknown code gives "text".
std::u16string_view sectionWord(const PaperData& paper, int32_t sec);
// The code of a section word, registering an unknown word in paper.userSections.
int32_t sectionCode(PaperData& paper, std::u16string_view word);
// The same for many words, through a hash table over the paper's user section words: a document
// may hold any number of them (the reader, appending).
class SectionCodes {
 public:
  explicit SectionCodes(PaperData& paper);
  int32_t code(std::u16string_view word);

 private:
  PaperData& paper_;
  std::unordered_map<std::u16string, int32_t> codes_;
};
// The code of one of the eighteen fixed words, or −1.
int32_t fixedSectionCode(std::u16string_view word);

// Numbers the lines of one group (a non-table block's lines or one cell's lines) for writing.
void assignLineNumbers(List<LineData>& lines);
// Resolves rlid → baseLine within one group, then clears lid and rlid.
void resolveLineNumbers(List<LineData>& lines);
// Resolves every group of a block (per cell for a table).
void resolveBlockLineNumbers(BlockData& block);

// Thickness of a line across the writing direction: height when horizontal, width when vertical.
inline int32_t lineThickness(const LineData& line, int8_t direction) {
  return direction == Vertical ? line.width : line.height;
}
// avgLineSize and charCount of a text, image or line block from its lines.
void computeBlockAverages(BlockData& block);
// avgLineSize and charCount of a cell from its lines, by the table's direction.
void computeCellAverages(CellData& cell, int8_t direction);
// avgLineSize of a table block: mean of the positive cell averages.
void computeTableAverage(BlockData& table);

void computeMaxPageSize(PaperData& paper);
void renumberPages(PaperData& paper);

// Moves every page of `from` to the end of `to` (from is left empty), carries the user section
// words over so that both documents' blocks keep their words, and renumbers the pages of `to`.
void appendPaper(PaperData& to, PaperData& from);

// A deep copy of a page. Each side line's baseLine refers to the copy of its base line (found by
// position within its block or cell); a side line whose base cannot be found that way becomes a
// plain line (attr none, rcs 0, no base line), so that no copy ever points into the original.
PageData copyPage(const PageData& page);

// The character at a 0-based position counted over the characters of the page's non-table
// blocks in order (blocks, then lines, then characters); null when there is none.
struct CharPosition {
  BlockData* block = nullptr;
  LineData* line = nullptr;
  CharData* character = nullptr;
};
CharPosition characterAt(PageData& page, int position);

// Counts over the whole document.
struct PaperCounts {
  long pages = 0, blocks = 0, lines = 0, chars = 0, candidates = 0;
};
PaperCounts countPaper(const PaperData& paper);

// When two versions of a page have the same blocks, cells and lines in the same places (only
// characters differ), the lines of `after` whose characters differ from the same line of
// `before`; nothing when the page's structure itself differs. What an undo must draw again.
std::optional<std::vector<const LineData*>> linesThatDiffer(const PageData& before,
                                                            const PageData& after);

// The heap bytes a page's records take, counted from their sizes and list nodes (an estimate:
// the allocator's own overhead is left out). Bounds the memory of kept page copies.
size_t estimatePageBytes(const PageData& page);

}  // namespace vellary::model
