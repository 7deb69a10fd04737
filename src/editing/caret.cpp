#include "caret.h"

#include <iterator>

namespace vellary::editing {

int CaretPos::index() const {
  if (!valid()) return -1;
  return static_cast<int>(std::distance(line->chars.begin(), ch));
}

}  // namespace vellary::editing
