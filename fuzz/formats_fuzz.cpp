// Fuzzes one importer (FUZZ_FORMAT names it): any bytes give either a document that keeps the
// model's invariants or an error with a message, never a crash, a hang or undefined behaviour.
// A document that reads is written back in the format when the format writes, and must read
// again: the exporters are fuzzed on what the importer makes of hostile input.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "formats/format.h"
#include "formats/writers.h"
#include "model/paper.h"
#include "model/records.h"

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
      require(c.numCand() >= 0 && c.numCand() <= 16);
      require(c.cc <= 10);
      require(c.x >= 0 && c.y >= 0 && c.width >= 0 && c.height >= 0);
    }
    require(units == line.charCount);
    require(line.lid == 0 && line.rlid == 0);
    if (line.baseLine != nullptr) {
      bool inGroup = false;
      for (const model::LineData& other : lines) inGroup |= &other == line.baseLine;
      require(inGroup && line.baseLine != &line && line.baseLine->attr == model::AttrNone);
    }
  }
}

void checkPaper(const model::PaperData& paper) {
  require(!paper.pages.empty());
  int32_t number = 0;
  for (const model::PageData& page : paper.pages) {
    require(page.number == ++number);
    require(page.file.has_value() && !page.file->empty());
    require(page.width <= paper.maxPageWidth && page.height <= paper.maxPageHeight);
    for (const model::BlockData& block : page.blocks) {
      if (block.type == model::BlockTable)
        require(block.lines.empty());
      else
        require(block.cells.empty());
      // A page size the file does not give is taken from the blocks as the native reader takes
      // it (x + width − 1), so the check allows that one pixel.
      if (page.width > 0) require(int64_t{block.x} + block.width <= int64_t{page.width} + 1);
      if (page.height > 0) require(int64_t{block.y} + block.height <= int64_t{page.height} + 1);
      checkGroup(block.lines);
      for (const model::CellData& cell : block.cells) checkGroup(cell.lines);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const formats::Format* format = formats::formatNamed(FUZZ_FORMAT);
  require(format != nullptr);
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  formats::ReadOptions options;
  options.format = format;
  formats::ReadOutcome r = formats::readDocumentBytes(bytes, "in.xml", options);
  require((r.error.code == formats::ErrorNone) == (r.paper != nullptr));
  require(r.format == format);
  if (!r.paper) {
    require(!r.error.message.empty());
    return 0;
  }
  checkPaper(*r.paper);
  std::string again;
  const std::string name(FUZZ_FORMAT);
  if (name == "page")
    again = formats::pageXmlBytes(r.paper->pages.front(), *r.paper, "out.xml");
  else if (name == "alto")
    again = formats::altoBytes(*r.paper, {}, "out.xml");
  else if (name == "hocr")
    again = formats::hocrBytes(*r.paper, {}, "out.hocr");
  if (!again.empty()) {
    formats::ReadOutcome back = formats::readDocumentBytes(again, "out.xml", options);
    require(back.paper != nullptr);
    checkPaper(*back.paper);
  }
  return 0;
}
