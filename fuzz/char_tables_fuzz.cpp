// Fuzzes the character table reader: any bytes are refused or give pairs that, saved and read
// again, are the same pairs.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "appcore/char_tables.h"

using namespace vellary;

// A broken property names itself before the fuzzer keeps the input.
#define require(condition)                                                  \
  do {                                                                      \
    if (!(condition)) {                                                     \
      std::fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                         \
    }                                                                       \
  } while (0)


extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (auto kind : {appcore::CharTable::Kind::Registered, appcore::CharTable::Kind::Explanation}) {
    auto first = appcore::CharTable::parse(bytes, kind);
    if (!first) continue;
    const std::string saved = appcore::CharTable::serialize(*first, kind);
    auto second = appcore::CharTable::parse(saved, kind);
    require(second.has_value());
    require(second->size() == first->size());
    for (size_t i = 0; i < first->size(); ++i) {
      require((*second)[i].first == (*first)[i].first);
      require((*second)[i].second == (*first)[i].second);
      require(!(*first)[i].first.empty());
    }
    require(appcore::CharTable::serialize(*second, kind) == saved);
  }
  return 0;
}
