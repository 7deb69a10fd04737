// The areas of one page as the Office writer library takes them: text areas (one line record per
// line, the characters with their marks, the ruby groups) and table areas (one cell record per
// cell). Used inside export/word only.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "export/export.h"
#include "model/records.h"
#include "oxmlgen/oxmlgen.h"

namespace vellary::exporting::word {

// Field numbers of the area record (byte offset / 4).
enum AreaField : int {
  kFieldStart = 0,   // text: 0 / −1 by direction; cell: start of its characters
  kFieldStart2 = 1,  // cell: start of its characters
  kFieldCount = 2,   // first line: buffer entries of the area; cell: its characters
  kFieldLeft = 3,    // rectangle: left, top, right, bottom
  kFieldTop = 4,
  kFieldRight = 5,
  kFieldBottom = 6,
  kFieldNumber = 7,      // line number from 1; cell row
  kFieldColumn = 8,      // line: −1; cell column
  kFieldSize = 9,        // line thickness (negated for side lines); first line: −pitch
  kFieldWidth = 10,      // cell width; picture width (XPS)
  kFieldFontSize = 11,   // points
  kFieldDirection = 12,  // text: 1 horizontal, 2 vertical; cell: the block's direction
  kFieldNotJapanese = 13,
  kFieldLangId = 14,
  kFieldBorder = 16,    // four border styles from here; rule: 1
  kFieldMerged = 21,    // merged-cell group (top-left cell)
  kFieldMerged2 = 22,   // merged-cell group (top-left), its negation (rest of the first column)
  kFieldSideLine = 25,  // side lines: 1 horizontal, −1 vertical
};

// The characters a character set's font must hold in the XPS output: one table for Japanese
// blocks (langId 128), one for all others.
struct UsedChars {
  std::set<char32_t> japanese, other;
  void add(const model::BlockData& block, char16_t unit, char16_t low);
};

// What a page's areas are placed with: its resolution, the content offsets in twips, the kind.
struct AreaContext {
  int dpi = 400;
  int offsetX = 0, offsetY = 0;  // twips
  int kind = KindDocx;
  const OfficeOptions* options = nullptr;
  UsedChars* used = nullptr;  // XPS only: collects every character passed
};

struct TextArea {
  OxmlRect area{};
  std::vector<OxmlArea> lines;
  std::vector<OxmlChar> chars;
  std::vector<uint16_t> groups;     // four values per ruby group
  std::vector<uint16_t> rubyChars;  // per group: its ruby characters, then its base characters
};

struct TableArea {
  OxmlRect area{};
  std::vector<OxmlArea> cells;  // rows × columns
  int rows = 0, columns = 0;
  std::vector<OxmlChar> chars;
};

// Characters of the block's lines (text) or its cells' lines (table), UTF-16 units.
int64_t blockCharacters(const model::BlockData& block);

TextArea buildTextArea(const model::BlockData& block, const AreaContext& context);
// False when the table has no cell with a row and a column.
bool buildTableArea(const model::BlockData& block, const AreaContext& context, TableArea& out);

// Pixels → points, and twips → points.
inline int32_t pixelsToPoints(int64_t pixels, int dpi) {
  return static_cast<int32_t>(pixels * 72 / dpi);
}
inline int32_t twipsToPoints(int32_t twips) { return twips / 20; }

}  // namespace vellary::exporting::word
