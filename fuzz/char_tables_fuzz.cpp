// Fuzzes the character table reader: any bytes are refused or give pairs that, saved and read
// again, are the same pairs.
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "appcore/char_tables.h"

using namespace vellary;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (auto kind : {appcore::CharTable::Kind::Registered, appcore::CharTable::Kind::Explanation}) {
    auto first = appcore::CharTable::parse(bytes, kind);
    if (!first) continue;
    const std::string saved = appcore::CharTable::serialize(*first, kind);
    auto second = appcore::CharTable::parse(saved, kind);
    FUZZ_REQUIRE(second.has_value());
    FUZZ_REQUIRE(second->size() == first->size());
    for (size_t i = 0; i < first->size(); ++i) {
      FUZZ_REQUIRE((*second)[i].first == (*first)[i].first);
      FUZZ_REQUIRE((*second)[i].second == (*first)[i].second);
      FUZZ_REQUIRE(!(*first)[i].first.empty());
    }
    FUZZ_REQUIRE(appcore::CharTable::serialize(*second, kind) == saved);
  }
  return 0;
}
