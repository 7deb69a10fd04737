// Fuzzes the road of a document through the program: read, re-compose as after an open and as
// the re-composition commands do, write, read again. What the writer writes, the reader reads
// (or the writer refuses the save with a message), and writing the document read back gives the
// same bytes again.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "model/paper.h"
#include "recompose/recompose.h"
#include "rovorirud/reader.h"
#include "rovorirud/writer.h"

using namespace vellary;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  rovorirud::ReadResult read = rovorirud::readDocument(bytes);
  if (!read.paper) return 0;
  model::PaperData& paper = *read.paper;
  const bool join = size % 2 == 1;  // one input in two also joins blocks
  recompose::JoiningOptions joining;
  joining.fullWidthSpace = size % 3 != 0;
  for (model::PageData& page : paper.pages) {
    if (join) recompose::JoinPageBlocks(page, joining);
    recompose::ReComposePage(page, recompose::PageTypicalCharSize(page), size % 5 != 0);
    recompose::NormaliseSmallKana(page);
  }
  for (uint32_t encoding : {1u, 2u}) {
    rovorirud::WriteOptions options;
    options.encoding = encoding;
    std::string refusal;
    const std::string written = rovorirud::writeDocumentToString(paper, options, &refusal);
    if (!refusal.empty()) {
      FUZZ_REQUIRE(written.empty());
      continue;
    }
    rovorirud::ReadResult back = rovorirud::readDocument(written);
    FUZZ_REQUIRE(back.code == rovorirud::ReadOk);
    FUZZ_REQUIRE(back.paper->pages.size() == paper.pages.size());
    std::string again = rovorirud::writeDocumentToString(*back.paper, options, &refusal);
    FUZZ_REQUIRE(refusal.empty());
    FUZZ_REQUIRE(again == written);
  }
  return 0;
}
