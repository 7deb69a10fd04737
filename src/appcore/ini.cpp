// Parsing and writing initialisation-file text.
#include "ini.h"

#include <algorithm>

#include "model/text.h"
#include "rovorirud/codec.h"

namespace vellary::appcore {

namespace {

bool equalsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool validUtf8(std::string_view s) {
  return model::fromUtf8(s).find(u'\uFFFD') == std::u16string::npos;
}

std::string decodeText(std::string_view bytes) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    std::u16string u;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
      u += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                 (static_cast<unsigned char>(bytes[i + 1]) << 8));
    return model::toUtf8(u);
  }
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") return std::string(bytes.substr(3));
  if (validUtf8(bytes)) return std::string(bytes);
  return model::toUtf8(rovorirud::Codec::cp932().decode(bytes));
}

std::string escapeValue(std::string_view v) {
  std::string out;
  for (char c : v) {
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  return out;
}

std::string unescapeValue(std::string_view v) {
  std::string out;
  for (size_t i = 0; i < v.size(); ++i) {
    if (v[i] == '\\' && i + 1 < v.size()) {
      char n = v[++i];
      out += n == 'n' ? '\n' : n == 'r' ? '\r' : n;
    } else {
      out += v[i];
    }
  }
  return out;
}

}  // namespace

IniDocument IniDocument::parse(std::string_view bytes, bool unescape) {
  IniDocument doc;
  std::string text = decodeText(bytes);
  Section* current = nullptr;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string_view line = trim(std::string_view(text).substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[') {
      size_t close = line.find(']');
      std::string name(trim(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1)));
      auto it = std::find_if(doc.sections_.begin(), doc.sections_.end(),
                             [&](const Section& s) { return equalsNoCase(s.name, name); });
      current = it != doc.sections_.end() ? &*it : &doc.sections_.emplace_back(Section{name, {}});
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string_view::npos || current == nullptr) continue;
    std::string_view key = trim(line.substr(0, eq));
    std::string_view value = trim(line.substr(eq + 1));
    // The platform strips one pair of enclosing double quotes from a value.
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    std::string v = unescape ? unescapeValue(value) : std::string(value);
    auto it = std::find_if(current->entries.begin(), current->entries.end(),
                           [&](const auto& e) { return equalsNoCase(e.first, key); });
    if (it == current->entries.end())  // the first of repeated keys wins, as on the platform
      current->entries.emplace_back(std::string(key), std::move(v));
  }
  return doc;
}

std::string IniDocument::serialize(TextEncoding encoding, bool escape, TextEncoding* used) const {
  std::string text;
  for (const Section& s : sections_) {
    text += "[" + s.name + "]\r\n";
    for (const auto& [k, v] : s.entries) text += k + "=" + (escape ? escapeValue(v) : v) + "\r\n";
  }
  if (encoding == TextEncoding::Cp932) {
    std::string bytes;
    if (rovorirud::Codec::cp932().encode(model::fromUtf8(text), bytes)) {
      if (used) *used = TextEncoding::Cp932;
      return bytes;
    }
    encoding = TextEncoding::Utf16;
  }
  if (used) *used = encoding;
  if (encoding == TextEncoding::Utf8) return text;
  std::string bytes = "\xFF\xFE";
  for (char16_t u : model::fromUtf8(text)) {
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
  return bytes;
}

std::optional<std::string> IniDocument::get(std::string_view section, std::string_view key) const {
  for (const Section& s : sections_) {
    if (!equalsNoCase(s.name, section)) continue;
    for (const auto& [k, v] : s.entries)
      if (equalsNoCase(k, key)) return v;
  }
  return std::nullopt;
}

void IniDocument::set(std::string_view section, std::string_view key, std::string_view value) {
  auto sit = std::find_if(sections_.begin(), sections_.end(),
                          [&](const Section& s) { return equalsNoCase(s.name, section); });
  Section& s = sit != sections_.end() ? *sit : sections_.emplace_back(Section{std::string(section), {}});
  auto it = std::find_if(s.entries.begin(), s.entries.end(),
                         [&](const auto& e) { return equalsNoCase(e.first, key); });
  if (it != s.entries.end())
    it->second = value;
  else
    s.entries.emplace_back(std::string(key), std::string(value));
}

}  // namespace vellary::appcore
