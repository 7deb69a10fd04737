// Reading and writing PAGE's custom attribute.
#include "formats/page_custom.h"

#include <cstdio>

namespace vellary::formats::detail {

namespace {

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string unescaped(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 6 <= s.size() && s[i + 1] == 'u') {
      int v = 0;
      bool ok = true;
      for (size_t k = 2; ok && k < 6; ++k) {
        const int d = hexValue(s[i + k]);
        ok = d >= 0;
        v = v * 16 + d;
      }
      if (ok && v < 0x80) {
        out += static_cast<char>(v);
        i += 5;
        continue;
      }
    }
    out += s[i];
  }
  return out;
}

// The text inside key's braces, or nullopt.
bool findBraces(std::string_view custom, std::string_view key, std::string_view& inside) {
  size_t i = 0;
  while (i < custom.size()) {
    const size_t open = custom.find('{', i);
    if (open == std::string_view::npos) return false;
    const size_t close = custom.find('}', open);
    if (close == std::string_view::npos) return false;
    if (trimmed(custom.substr(i, open - i)) == key) {
      inside = custom.substr(open + 1, close - open - 1);
      return true;
    }
    i = close + 1;
  }
  return false;
}

}  // namespace

std::string customValue(std::string_view custom, std::string_view key, std::string_view name) {
  std::string_view inside;
  if (!findBraces(custom, key, inside)) return {};
  size_t i = 0;
  while (i < inside.size()) {
    size_t end = inside.find(';', i);
    if (end == std::string_view::npos) end = inside.size();
    std::string_view pair = inside.substr(i, end - i);
    i = end + 1;
    const size_t colon = pair.find(':');
    if (colon == std::string_view::npos) continue;
    if (name.empty() || trimmed(pair.substr(0, colon)) == name)
      return unescaped(trimmed(pair.substr(colon + 1)));
  }
  return {};
}

bool customHasKey(std::string_view custom, std::string_view key) {
  std::string_view inside;
  return findBraces(custom, key, inside);
}

std::string customEscape(std::string_view value) {
  std::string out;
  for (char c : value) {
    if (c == '{' || c == '}' || c == ';' || c == ':' || c == '\\' || c == ' ') {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned char>(c));
      out += buf;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace vellary::formats::detail
