// PAGE's `custom` attribute as producers use it: "key {name:value; name:value;} key {…}". This
// program keeps there what PAGE has no attribute for: a region's role word, a side line's kind
// and range, a cell's group of joined cells.
#pragma once

#include <string>
#include <string_view>

namespace vellary::formats::detail {

// The value of name inside key's braces, unescaped; with an empty name the first value in the
// braces. Empty when absent.
std::string customValue(std::string_view custom, std::string_view key, std::string_view name);
bool customHasKey(std::string_view custom, std::string_view key);
// A value made safe for the braces: the characters that delimit them, backslashes and blanks
// become \uXXXX.
std::string customEscape(std::string_view value);

}  // namespace vellary::formats::detail
