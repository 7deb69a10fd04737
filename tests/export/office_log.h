// Reading back the log of the recording Office writer library (fake_oxmlgen.cpp): one call per
// line, arguments as key=value, records and buffers as raw bytes, so that tests check fields at
// their byte offsets.
#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace vellary::testing {

struct OfficeCall {
  std::string name;
  std::map<std::string, std::string> args;

  bool has(const std::string& key) const { return args.count(key) != 0; }
  long num(const std::string& key) const { return std::stol(args.at(key)); }
  std::vector<long> nums(const std::string& key) const {
    std::vector<long> v;
    std::stringstream s(args.at(key));
    std::string item;
    while (std::getline(s, item, ',')) v.push_back(std::stol(item));
    return v;
  }
  // Raw bytes of a buffer or string argument ("-" when none was passed: empty).
  std::string bytes(const std::string& key) const {
    const std::string& h = args.at(key);
    std::string out;
    if (h.empty() || h[0] != 'x') return out;
    for (size_t i = 1; i + 1 < h.size(); i += 2)
      out += static_cast<char>(std::stoi(h.substr(i, 2), nullptr, 16));
    return out;
  }
  // A buffer of 16-bit units as text.
  std::u16string units(const std::string& key) const {
    const std::string b = bytes(key);
    std::u16string s(b.size() / 2, u'\0');
    std::memcpy(s.data(), b.data(), s.size() * 2);
    return s;
  }
  bool passed(const std::string& key) const { return args.at(key) != "-"; }
  // A 32-bit field of the record `index` of a record array, at its byte offset.
  int32_t field(const std::string& key, size_t index, size_t offset) const {
    const std::string b = bytes(key);
    int32_t v = 0;
    std::memcpy(&v, b.data() + index * 104 + offset, 4);
    return v;
  }
  // The 16-bit value at a byte offset of a buffer.
  uint16_t u16(const std::string& key, size_t offset) const {
    const std::string b = bytes(key);
    uint16_t v = 0;
    std::memcpy(&v, b.data() + offset, 2);
    return v;
  }
};

// One ten-byte character entry: code at 0, value at 2, a float at 4, rotation at 8.
struct Entry {
  uint16_t code, value;
  float unused;
  uint16_t rotation;
};

inline std::vector<Entry> entries(const OfficeCall& call, const std::string& key = "chars") {
  const std::string b = call.bytes(key);
  std::vector<Entry> out;
  for (size_t at = 0; at + 10 <= b.size(); at += 10) {
    Entry e{};
    std::memcpy(&e.code, b.data() + at, 2);
    std::memcpy(&e.value, b.data() + at + 2, 2);
    std::memcpy(&e.unused, b.data() + at + 4, 4);
    std::memcpy(&e.rotation, b.data() + at + 8, 2);
    out.push_back(e);
  }
  return out;
}

// The text of the entries, marks written as «E» (line end) and «A<n>» (ruby anchor).
inline std::u16string entryText(const std::vector<Entry>& es) {
  std::u16string s;
  for (const Entry& e : es) {
    if ((e.code & 0xFF) == 0 && (e.code >> 8) == 10) {
      s += u"«E»";
    } else if ((e.code & 0xFF) == 0 && (e.code >> 8) == 27) {
      s += u"«A";
      s += static_cast<char16_t>(u'0' + e.value);
      s += u"»";
    } else {
      s += static_cast<char16_t>(e.code);
    }
  }
  return s;
}

inline std::vector<OfficeCall> readOfficeLog(const std::string& path) {
  std::vector<OfficeCall> calls;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::stringstream s(line);
    OfficeCall c;
    s >> c.name;
    std::string kv;
    while (s >> kv) {
      const size_t eq = kv.find('=');
      c.args[kv.substr(0, eq)] = kv.substr(eq + 1);
    }
    calls.push_back(std::move(c));
  }
  return calls;
}

inline std::vector<std::string> names(const std::vector<OfficeCall>& calls) {
  std::vector<std::string> v;
  for (const OfficeCall& c : calls) v.push_back(c.name);
  return v;
}

}  // namespace vellary::testing
