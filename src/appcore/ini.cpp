// Parsing and writing initialisation-file text.
#include "ini.h"

#include <algorithm>
#include <vector>

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

// One line of the text as UTF-8, and whether some of its bytes decoded to no character.
struct Line {
  std::string text;
  bool undecodable = false;
};

// Splits at line feeds. A line feed byte is never part of a longer character in UTF-8 or code
// page 932 (trail bytes are 0x40 and above), so the raw bytes can be split before decoding.
template <class Unit, class Decode>
std::vector<Line> splitLines(std::basic_string_view<Unit> text, Unit lineFeed, Decode decode) {
  std::vector<Line> lines;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find(lineFeed, pos);
    if (end == std::basic_string_view<Unit>::npos) end = text.size();
    lines.push_back(decode(text.substr(pos, end - pos)));
    pos = end + 1;
  }
  return lines;
}

Line utf8Line(std::string_view bytes) {
  if (model::isValidUtf8(bytes)) return {std::string(bytes), false};
  return {model::toUtf8(model::fromUtf8(bytes)), true};
}

std::vector<Line> decodeLines(std::string_view bytes, IniDocument::Decoding decoding) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  if (decoding == IniDocument::Decoding::Any && bytes.size() >= 2 && byte(0) == 0xFF &&
      byte(1) == 0xFE) {
    std::u16string units;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
      units += static_cast<char16_t>(byte(i) | (byte(i + 1) << 8));
    std::vector<Line> lines =
        splitLines<char16_t>(units, u'\n', [](std::u16string_view line) {
          bool lone = false;
          for (size_t i = 0; i < line.size(); ++i) {
            const char16_t u = line[i];
            if (u >= 0xD800 && u <= 0xDBFF && i + 1 < line.size() && line[i + 1] >= 0xDC00 &&
                line[i + 1] <= 0xDFFF)
              ++i;
            else if (u >= 0xD800 && u <= 0xDFFF)
              lone = true;
          }
          return Line{model::toUtf8(line), lone};
        });
    if (bytes.size() % 2 != 0 && !lines.empty()) lines.back().undecodable = true;
    return lines;
  }
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  if (decoding == IniDocument::Decoding::Utf8 || model::isValidUtf8(bytes))
    return splitLines<char>(bytes, '\n', utf8Line);
  return splitLines<char>(bytes, '\n', [](std::string_view line) {
    const std::u16string text = rovorirud::Codec::cp932().decode(line);
    // Code page 932 maps no byte sequence to U+FFFD: every one here stands for bytes it lacks.
    return Line{model::toUtf8(text), text.find(u'\uFFFD') != std::u16string::npos};
  });
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

// A value that begins or ends with a blank, or stands in double quotes, would lose them when read:
// reading trims blanks and strips one pair of quotes. Such a value is written in quotes.
std::string protectedValue(std::string value) {
  const bool blankEnd = !value.empty() && (value.front() == ' ' || value.front() == '\t' ||
                                           value.back() == ' ' || value.back() == '\t');
  const bool quoted = value.size() >= 2 && value.front() == '"' && value.back() == '"';
  return blankEnd || quoted ? '"' + value + '"' : value;
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

IniDocument IniDocument::parse(std::string_view bytes, bool unescape, Decoding decoding) {
  IniDocument doc;
  Section* current = nullptr;
  for (const Line& raw : decodeLines(bytes, decoding)) {
    std::string_view line = trim(raw.text);
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
                           [&](const Entry& e) { return equalsNoCase(e.key, key); });
    if (it == current->entries.end())  // the first of repeated keys wins, as on the platform
      current->entries.push_back(Entry{std::string(key), std::move(v), raw.undecodable});
  }
  return doc;
}

std::string IniDocument::serialize(TextEncoding encoding, bool escape, TextEncoding* used) const {
  std::string text;
  for (const Section& s : sections_) {
    text += "[" + s.name + "]\r\n";
    for (const Entry& e : s.entries)
      text += e.key + "=" + protectedValue(escape ? escapeValue(e.value) : e.value) + "\r\n";
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

const IniDocument::Entry* IniDocument::find(std::string_view section, std::string_view key) const {
  for (const Section& s : sections_) {
    if (!equalsNoCase(s.name, section)) continue;
    for (const Entry& e : s.entries)
      if (equalsNoCase(e.key, key)) return &e;
  }
  return nullptr;
}

std::optional<std::string> IniDocument::get(std::string_view section, std::string_view key) const {
  const Entry* e = find(section, key);
  if (e == nullptr) return std::nullopt;
  return e->value;
}

bool IniDocument::undecodable(std::string_view section, std::string_view key) const {
  const Entry* e = find(section, key);
  return e != nullptr && e->undecodable;
}

void IniDocument::set(std::string_view section, std::string_view key, std::string_view value) {
  auto sit = std::find_if(sections_.begin(), sections_.end(),
                          [&](const Section& s) { return equalsNoCase(s.name, section); });
  Section& s = sit != sections_.end() ? *sit : sections_.emplace_back(Section{std::string(section), {}});
  auto it = std::find_if(s.entries.begin(), s.entries.end(),
                         [&](const Entry& e) { return equalsNoCase(e.key, key); });
  if (it != s.entries.end())
    *it = Entry{it->key, std::string(value), false};
  else
    s.entries.push_back(Entry{std::string(key), std::string(value), false});
}

}  // namespace vellary::appcore
