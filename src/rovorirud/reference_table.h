// The references that the file uses for characters whose code page 932 mapping differs from other
// decoders, for XML's special characters, and for CR and LF.
#pragma once

#include <string_view>

namespace vellary::rovorirud {

// The character a reference stands for ("&amp;" → "&"), or 0 when the text is not in the table.
char16_t characterOfReference(std::u16string_view reference);
// The reference of a character, or an empty view when the character has none.
std::u16string_view referenceOfCharacter(char16_t c);

}  // namespace vellary::rovorirud
