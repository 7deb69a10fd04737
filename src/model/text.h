// Conversions between the model's UTF-16 text and UTF-8 at the edges (paths, messages, JSON).
#pragma once

#include <string>
#include <string_view>

namespace vellary::model {

// Ill-formed input (a lone surrogate, a bad UTF-8 sequence) becomes U+FFFD.
std::string toUtf8(std::u16string_view text);
std::u16string fromUtf8(std::string_view text);
// Well-formed UTF-8 (a U+FFFD written out is well formed; a byte that begins no sequence is not).
bool isValidUtf8(std::string_view text);

}  // namespace vellary::model
