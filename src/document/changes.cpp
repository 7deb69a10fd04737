// Change sets: merging.
#include "document/changes.h"

#include <algorithm>

namespace vellary::document {

ChangeSet& ChangeSet::addLine(const model::LineData* line) {
  if (line == nullptr) return *this;
  add(Change::Text);
  if (std::find(lines.begin(), lines.end(), line) == lines.end()) lines.push_back(line);
  return *this;
}

ChangeSet& ChangeSet::merge(const ChangeSet& other) {
  kinds |= other.kinds;
  for (const model::LineData* l : other.lines) addLine(l);
  return *this;
}

ChangeSet ChangeSet::everything() {
  ChangeSet c;
  c.kinds = ~0u;
  return c;
}

}  // namespace vellary::document
