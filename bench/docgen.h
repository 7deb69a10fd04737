// Generates documents for benchmarks and property tests: realistic page layouts, or documents
// rich in everything the format can hold (tables, side lines, surrogate pairs, user sections,
// typed characters, references, characters only one encoding can hold).
#pragma once

#include <cstdint>
#include <memory>

#include "model/records.h"

namespace vellary::docgen {

struct Params {
  int pages = 3;
  int charsPerPage = 200;
  int candidates = 3;  // per character
  uint32_t seed = 1;
  // Mix in every kind of record and awkward character; off gives plain Japanese body text.
  bool rich = true;
};

// The generated model is in the state a read leaves it in: counts and averages computed, line
// numbers resolved into baseLine, pages numbered 1, 2, 3 …, encoding 1.
std::unique_ptr<model::PaperData> generate(const Params& params);

}  // namespace vellary::docgen
