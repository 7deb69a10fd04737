// What the text view's colours are decided by, without any painting: the reject test, the
// character classes of the class colour mode, and the registered-character marks.
#pragma once

#include <string>
#include <vector>

#include "model/records.h"

namespace vellary::editing {

// A reject: confidence below the level (1–9), or with its top bit set.
inline bool isReject(uint16_t cc, int level) { return (cc & 0x8000) != 0 || cc < level; }

// The character class (0–14) of a UTF-16 code, as the class colours and fonts index it.
int charClass(char16_t code);

// Sets registeredMark on every character of the page that an occurrence of one of `words`
// covers, in the text of the page's text and table blocks joined without separators. Every other
// character's mark is cleared. Occurrences do not overlap.
void markRegistered(model::PageData& page, const std::vector<std::u16string>& words);

}  // namespace vellary::editing
