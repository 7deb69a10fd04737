// The Unicode text writer.
#include "export/text_export.h"

#include <iterator>

#include "model/atomic_file.h"

namespace vellary::exporting {

namespace {

void putUnit(std::string& out, char16_t unit) {
  out.push_back(static_cast<char>(unit & 0xFF));
  out.push_back(static_cast<char>(unit >> 8));
}

void putLines(std::string& out, const model::List<model::LineData>& lines) {
  for (const model::LineData& line : lines) {
    for (const model::CharData& c : line.chars) {
      if (c.text[0] == u'\r' && c.text[1] == 0) {
        putUnit(out, u'\r');
        putUnit(out, u'\n');
        continue;
      }
      if (c.text[0] == 0) continue;
      putUnit(out, c.text[0]);
      if (c.text[1] != 0) putUnit(out, c.text[1]);
    }
  }
}

}  // namespace

std::string textExportBytes(const model::PaperData& paper, int first, int last) {
  std::string out = "\xFF\xFE";
  int index = 0;
  for (const model::PageData& page : paper.pages) {
    if (index > last) break;
    if (index++ < first) continue;
    for (const model::BlockData& block : page.blocks) {
      if (block.type == model::BlockText) {
        putLines(out, block.lines);
      } else if (block.type == model::BlockTable) {
        for (auto cell = block.cells.begin(); cell != block.cells.end(); ++cell) {
          putLines(out, cell->lines);
          auto next = std::next(cell);
          if (next == block.cells.end() || next->row > cell->row) {
            putUnit(out, u'\r');
            putUnit(out, u'\n');
          } else {
            putUnit(out, u'\t');
          }
        }
      }
    }
  }
  return out;
}

int ExportText(const model::PaperData& paper, const std::string& path, int first, int last,
               std::string* error) {
  std::string why;
  if (model::replaceFileContents(path, textExportBytes(paper, first, last), why)) return 0;
  if (error) *error = "ファイル " + path + " が保存できません。（" + why + "）";
  return -1;
}

}  // namespace vellary::exporting
