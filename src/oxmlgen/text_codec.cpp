// UTF-8 decoding and encoding with replacement of malformed sequences.
#include "oxmlgen/text_codec.h"

#include <cstring>

namespace oxmlgen {

std::u32string decodeUtf8(std::string_view in) {
  std::u32string out;
  out.reserve(in.size());
  size_t i = 0;
  while (i < in.size()) {
    unsigned char b = static_cast<unsigned char>(in[i]);
    int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    // An invalid lead byte, a lone continuation byte or a sequence cut off by the end.
    if (extra < 0 || i + static_cast<size_t>(extra) >= in.size()) {
      out += U'\uFFFD';
      ++i;
      continue;
    }
    char32_t c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      unsigned char n = static_cast<unsigned char>(in[i + k]);
      if ((n & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      c = (c << 6) | (n & 0x3F);
    }
    static const char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (!ok || c < kMin[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      out += U'\uFFFD';
      ++i;
      continue;
    }
    out += c;
    i += 1 + extra;
  }
  return out;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string toUtf8(std::u32string_view text) {
  std::string s;
  for (char32_t c : text) appendUtf8(s, c);
  return s;
}

std::string boundedString(const char* s, int length, size_t limit) {
  if (s == nullptr) return {};
  size_t n = length >= 0 ? static_cast<size_t>(length) : limit;
  if (n > limit) n = limit;
  // Never look past the terminating NUL, even when the given length is larger.
  size_t real = strnlen(s, n);
  return std::string(s, real);
}

}  // namespace oxmlgen
