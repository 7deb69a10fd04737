// Helpers of the export tests: the records of small pages, reading a PDF's objects back, and
// running the independent PDF tools (qpdf, poppler) on a written file.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "model/records.h"
#include "model/text.h"

namespace vellary::testing {

inline model::CharData glyph(int x, int y, int w, int h, char16_t code, char16_t low = 0) {
  model::CharData c;
  c.x = x;
  c.y = y;
  c.width = w;
  c.height = h;
  c.text = model::makeCharText(code, low);
  return c;
}

// A character the user typed: no place on the image, the size of its neighbour.
inline model::CharData typed(char16_t code, int w = 40, int h = 40) {
  model::CharData c = glyph(-1, -1, w, h, code);
  c.changed = 1;
  return c;
}

// A horizontal line of characters of size `size` from (x, y), one per code, `pitch` apart.
inline model::LineData hline(int x, int y, int size, std::u16string_view codes, int pitch = 0) {
  model::LineData l;
  l.x = x;
  l.y = y;
  l.height = size;
  if (pitch == 0) pitch = size;
  for (char16_t u : codes) {
    l.chars.push_back(glyph(x, y, size, size, u));
    x += pitch;
  }
  l.width = x - l.x;
  l.charCount = static_cast<int>(codes.size());
  return l;
}

inline model::LineData vline(int x, int y, int size, std::u16string_view codes) {
  model::LineData l;
  l.x = x;
  l.y = y;
  l.width = size;
  for (char16_t u : codes) {
    l.chars.push_back(glyph(x, y, size, size, u));
    y += size;
  }
  l.height = y - l.y;
  l.charCount = static_cast<int>(codes.size());
  return l;
}

inline model::BlockData textBlock(std::vector<model::LineData> lines, int direction = 0,
                                  int langId = model::kLangJapanese) {
  model::BlockData b;
  b.type = model::BlockText;
  b.direction = static_cast<int8_t>(direction);
  b.langId = langId;
  int left = 1 << 30, top = 1 << 30, right = 0, bottom = 0;
  for (auto& l : lines) {
    left = std::min(left, l.x);
    top = std::min(top, l.y);
    right = std::max(right, l.x + l.width);
    bottom = std::max(bottom, l.y + l.height);
    b.charCount += static_cast<int>(l.chars.size());
    b.lines.push_back(std::move(l));
  }
  b.x = left;
  b.y = top;
  b.width = right - left;
  b.height = bottom - top;
  return b;
}

// Runs a shell command; its standard output, and the exit status in `status`.
inline std::string shell(const std::string& command, int* status = nullptr) {
  std::string out;
  std::FILE* p = popen((command + " 2>&1").c_str(), "r");
  if (p == nullptr) return out;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  const int s = pclose(p);
  if (status) *status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
  return out;
}

inline bool haveTool(const std::string& name) {
  int status = 0;
  shell("command -v " + name, &status);
  return status == 0;
}

// The text between the start of object `number`'s header and the end of its "endobj" line.
inline std::string objectText(const std::string& pdf, int number) {
  const std::string head = "\r\n" + std::to_string(number) + " 0 obj\r\n";
  size_t at = pdf.find(head);
  if (at == std::string::npos) return {};
  at += 2;
  const size_t end = pdf.find("endobj\r\n", at);
  return pdf.substr(at, end == std::string::npos ? std::string::npos : end + 8 - at);
}

// The offsets the cross-reference table gives, by object number, and the startxref value.
struct XrefTable {
  std::map<int, long> offsets;
  long startxref = -1;
  int size = -1;
};
inline XrefTable readXref(const std::string& pdf) {
  XrefTable t;
  const size_t sx = pdf.rfind("startxref\r\n");
  if (sx == std::string::npos) return t;
  t.startxref = std::stol(pdf.substr(sx + 11));
  const size_t xref = pdf.rfind("xref\r\n0 ", sx - 1);
  if (xref == std::string::npos) return t;
  size_t at = xref + 8;
  const int count = std::stoi(pdf.substr(at));
  at = pdf.find("\r\n", at) + 2;
  for (int n = 0; n < count; ++n, at += 20)
    if (n > 0) t.offsets[n] = std::stol(pdf.substr(at, 10));
  const size_t size = pdf.find("/Size ", sx - 200);
  if (size != std::string::npos) t.size = std::stoi(pdf.substr(size + 6));
  return t;
}

// Text without white space, for comparing what a reader extracts with the document's text.
inline std::u16string withoutSpace(std::u16string_view text) {
  std::u16string out;
  for (char16_t u : text)
    if (u != u' ' && u != u'\n' && u != u'\r' && u != u'\t' && u != u'\f' && u != 0x3000) out += u;
  return out;
}

}  // namespace vellary::testing
