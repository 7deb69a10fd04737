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
#include "model_checks.h"

using namespace vellary;

namespace {

using fuzzing::require;

// Beyond what every document keeps: what the importers promise of theirs.
void checkImported(const model::PaperData& paper) {
  fuzzing::checkPaper(paper);
  require(!paper.pages.empty());
  int32_t number = 0;
  auto lines = [](const model::List<model::LineData>& group) {
    for (const model::LineData& line : group) {
      for (const model::CharData& c : line.chars) {
        require(c.numCand() <= 16 && c.cc <= 10);
        require(c.x >= 0 && c.y >= 0 && c.width >= 0 && c.height >= 0);
      }
      if (line.baseLine != nullptr)
        require(line.baseLine != &line && line.baseLine->attr == model::AttrNone);
    }
  };
  for (const model::PageData& page : paper.pages) {
    require(page.number == ++number);
    require(!page.file->empty());
    for (const model::BlockData& block : page.blocks) {
      // A page size the file does not give is taken from the blocks as the native reader takes
      // it (x + width − 1), so the check allows that one pixel.
      if (page.width > 0) require(int64_t{block.x} + block.width <= int64_t{page.width} + 1);
      if (page.height > 0) require(int64_t{block.y} + block.height <= int64_t{page.height} + 1);
      lines(block.lines);
      for (const model::CellData& cell : block.cells) lines(cell.lines);
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
  checkImported(*r.paper);
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
    checkImported(*back.paper);
  }
  return 0;
}
