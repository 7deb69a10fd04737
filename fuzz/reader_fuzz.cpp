// Fuzzes the RovOrirUD reader: any bytes give either a document that keeps the model's
// invariants or an error code, never a crash, a hang or undefined behaviour.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "model/records.h"
#include "rovorirud/reader.h"

using namespace vellary;

namespace {

void require(bool ok) {
  if (!ok) std::abort();
}

void checkGroup(const model::List<model::LineData>& lines) {
  for (const model::LineData& line : lines) {
    int32_t units = 0;
    for (const model::CharData& c : line.chars) {
      units += model::charTextLength(c.text);
      require(c.numCand() >= 0);
    }
    require(units == line.charCount);
    require(line.lid == 0 && line.rlid == 0);
    if (line.baseLine != nullptr) {
      bool inGroup = false;
      for (const model::LineData& other : lines) inGroup |= &other == line.baseLine;
      require(inGroup);
    }
  }
}

void checkPaper(const model::PaperData& paper) {
  for (const model::PageData& page : paper.pages) {
    require(page.file.has_value());
    require(page.width <= paper.maxPageWidth && page.height <= paper.maxPageHeight);
    for (const model::BlockData& block : page.blocks) {
      if (block.type == model::BlockTable)
        require(block.lines.empty());
      else
        require(block.cells.empty());
      checkGroup(block.lines);
      for (const model::CellData& cell : block.cells) checkGroup(cell.lines);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // The standard piece size, and a small one that depends on the input so that piece boundaries
  // fall inside tokens, values and contents.
  for (size_t limit : {size_t{1023}, 24 + size % 40}) {
    rovorirud::ReadOptions options;
    options.pieceLimit = limit;
    rovorirud::ReadResult r = rovorirud::readDocument(bytes, options);
    require((r.code == rovorirud::ReadOk) == (r.paper != nullptr));
    require(r.line >= 0);
    if (r.paper)
      checkPaper(*r.paper);
    else
      require(!rovorirud::readErrorMessage(r.code, r.line).empty());
  }
  return 0;
}
