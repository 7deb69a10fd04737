// UTF-8 and UTF-16 helpers of the library; malformed input becomes U+FFFD, never an error.
#pragma once

#include <string>
#include <string_view>

namespace oxmlgen {

std::u32string decodeUtf8(std::string_view utf8);
void appendUtf8(std::string& out, char32_t c);
std::string toUtf8(std::u32string_view text);
// A NUL-terminated string of at most `limit` bytes (shorter when the NUL comes first); null
// gives "". `length`, when not negative, is the caller's byte count and wins over the NUL.
std::string boundedString(const char* s, int length, size_t limit);

}  // namespace oxmlgen
