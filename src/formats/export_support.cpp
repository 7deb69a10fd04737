// Pieces the PAGE, ALTO and hOCR writers share.
#include "formats/export_support.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "model/atomic_file.h"
#include "model/text.h"
#include "rovorirud/writer.h"

namespace vellary::formats::detail {

using namespace model;

std::string escapeXml(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\r':
        out += "&#13;";
        break;
      case '\n':
        out += "&#10;";
        break;
      case '\t':
        out += "&#9;";
        break;
      default:
        if (c < 0x20)
          out += "\xEF\xBF\xBD";  // U+FFFD: XML 1.0 has no way to hold the other controls
        else
          out += ch;
    }
  }
  return out;
}

void XmlText::indent() {
  out_ += '\n';
  out_.append(static_cast<size_t>(depth_), ' ');
}

XmlText& XmlText::open(std::string_view name) {
  indent();
  out_ += '<';
  out_ += name;
  return *this;
}

XmlText& XmlText::attr(std::string_view name, std::string_view value) {
  out_ += ' ';
  out_ += name;
  out_ += "=\"";
  out_ += escapeXml(value);
  out_ += '"';
  return *this;
}

XmlText& XmlText::attr(std::string_view name, long value) {
  return attr(name, std::string_view(std::to_string(value)));
}

XmlText& XmlText::attrUnit(std::string_view name, double value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%.2f", std::clamp(value, 0.0, 1.0));
  std::string s(buf);
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return attr(name, std::string_view(s));
}

XmlText& XmlText::endStart() {
  out_ += '>';
  ++depth_;
  return *this;
}

XmlText& XmlText::endEmpty() {
  out_ += "/>";
  return *this;
}

XmlText& XmlText::text(std::string_view utf8) {
  out_ += escapeXml(utf8);
  return *this;
}

XmlText& XmlText::close(std::string_view name, bool ownLine) {
  --depth_;
  if (ownLine) indent();
  out_ += "</";
  out_ += name;
  out_ += '>';
  return *this;
}

std::vector<const PageData*> requestedPages(const PaperData& paper, const WriteRequest& request) {
  std::vector<const PageData*> pages;
  int i = 0;
  for (const PageData& p : paper.pages) {
    if ((request.first < 0 || i >= request.first) && (request.last < 0 || i <= request.last))
      pages.push_back(&p);
    ++i;
  }
  return pages;
}

bool writeWholeFile(const PaperData& paper, const std::string& path, const WriteRequest& request,
                    WholeFileBytes bytes, std::string& error) {
  if (requestedPages(paper, request).empty()) {
    error = "no pages to write";
    return false;
  }
  return replaceFileContents(path, bytes(paper, request, path), error);
}

std::vector<CharBoxes> charBoxes(const LineData& line, bool vertical) {
  std::vector<CharBoxes> boxes;
  boxes.reserve(line.chars.size());
  // As the RovOrirUD writer counts: charCount can be stale or 0 after editing.
  const int64_t count = line.charCount > 0
                            ? line.charCount
                            : std::max<int64_t>(1, static_cast<int64_t>(line.chars.size()));
  int64_t position = 0;
  for (const CharData& c : line.chars) {
    if (c.x < 0 || c.y < 0) {
      const rovorirud::CharBox b = rovorirud::estimatedCharBox(line, position, count, vertical);
      boxes.push_back(boxOf(static_cast<int32_t>(b.x), static_cast<int32_t>(b.y),
                            static_cast<int32_t>(b.width), static_cast<int32_t>(b.height)));
    } else {
      boxes.push_back(boxOf(c.x, c.y, c.width, c.height));
    }
    ++position;
  }
  return boxes;
}

CharBoxes boxOf(int32_t x, int32_t y, int32_t width, int32_t height) {
  return CharBoxes{std::max(0, x), std::max(0, y), std::max(0, width), std::max(0, height)};
}

CharBoxes unionOf(const std::vector<CharBoxes>& boxes, size_t first, size_t last) {
  CharBoxes u = boxes[first];
  for (size_t i = first + 1; i < last; ++i) {
    const CharBoxes& b = boxes[i];
    const int32_t right = std::max(u.x + u.width, b.x + b.width);
    const int32_t bottom = std::max(u.y + u.height, b.y + b.height);
    u.x = std::min(u.x, b.x);
    u.y = std::min(u.y, b.y);
    u.width = right - u.x;
    u.height = bottom - u.y;
  }
  return u;
}

std::string charUtf8(const CharText& c) {
  const int n = charTextLength(c);
  return toUtf8(std::u16string_view(c.data(), static_cast<size_t>(n)));
}

std::string lineUtf8(const LineData& line) {
  std::string s;
  for (const CharData& c : line.chars) s += charUtf8(c.text);
  return s;
}

double unitConfidence(const CharData& c) {
  if (c.changed) return 1.0;
  return std::min<double>(c.cc, 10) / 10.0;
}

std::vector<const CharData*> charsOf(const LineData& line) {
  std::vector<const CharData*> v;
  v.reserve(line.chars.size());
  for (const CharData& c : line.chars) v.push_back(&c);
  return v;
}

std::vector<std::pair<size_t, size_t>> wordsOf(const std::vector<const CharData*>& chars) {
  std::vector<std::pair<size_t, size_t>> words;
  size_t i = 0;
  while (i < chars.size()) {
    while (i < chars.size() && chars[i]->text == makeCharText(u' ')) ++i;
    const size_t start = i;
    while (i < chars.size() && chars[i]->text != makeCharText(u' ')) ++i;
    if (i > start) words.emplace_back(start, i);
  }
  return words;
}

std::vector<std::pair<CharText, uint16_t>> otherCandidates(const CharData& c) {
  std::vector<std::pair<CharText, uint16_t>> out;
  bool skipped = false;
  for (int i = 0; i < c.numCand(); ++i) {
    if (c.candText(i)[0] == 0) continue;
    if (!skipped && c.candText(i) == c.text) {
      skipped = true;
      continue;
    }
    out.emplace_back(c.candText(i), c.candCC(i));
  }
  return out;
}

std::string imageReference(const PageData& page, const std::string& outputPath) {
  namespace fs = std::filesystem;
  const std::u16string* recorded = page.fullpath ? &*page.fullpath
                                   : page.file   ? &*page.file
                                                 : nullptr;
  if (recorded == nullptr) return {};
  const std::string path = toUtf8(*recorded);
  if (path.empty() || path.front() != '/') return path;
  std::error_code ec;
  const fs::path folder = fs::absolute(fs::path(outputPath), ec).parent_path();
  if (ec) return path;
  const fs::path relative = fs::path(path).lexically_normal().lexically_relative(folder);
  if (relative.empty() || *relative.begin() == "..") return path;
  return relative.string();
}

std::string timestamp() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return buf;
}

}  // namespace vellary::formats::detail
