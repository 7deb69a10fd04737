// Fuzzes the RovOrirUD reader: any bytes give either a document that keeps the model's
// invariants or an error code, never a crash, a hang or undefined behaviour.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "model_checks.h"
#include "rovorirud/reader.h"

using namespace vellary;
using fuzzing::checkPaper;
using fuzzing::require;

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
