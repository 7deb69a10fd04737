// Telling a file's format from its first bytes: the root element for the XML formats, the
// markers of hOCR inside HTML, the header row of Tesseract's TSV.
#include <algorithm>

#include "formats/import_support.h"
#include "formats/importers.h"

namespace vellary::formats::detail {

namespace {

bool isNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-' || c == '.' || c == ':' || static_cast<unsigned char>(c) >= 0x80;
}

// UTF-16 text (with or without a byte order mark) read as its low bytes, enough to see ASCII
// markup in it.
std::string_view asciiView(std::string_view head, std::string& scratch) {
  if (head.size() >= 3 && head.substr(0, 3) == "\xEF\xBB\xBF") return head.substr(3);
  const bool le = head.size() >= 2 &&
                  ((head[0] == '\xFF' && head[1] == '\xFE') || (head[0] == '<' && head[1] == '\0'));
  const bool be = head.size() >= 2 &&
                  ((head[0] == '\xFE' && head[1] == '\xFF') || (head[0] == '\0' && head[1] == '<'));
  if (!le && !be) return head;
  scratch.clear();
  for (size_t i = le ? 0 : 1; i < head.size(); i += 2) scratch += head[i];
  if (!scratch.empty() && (scratch[0] == '\xFF' || scratch[0] == '\xFE')) scratch.erase(0, 1);
  return scratch;
}

bool containsCaseless(std::string_view text, std::string_view word) {
  return std::search(text.begin(), text.end(), word.begin(), word.end(), [](char a, char b) {
           auto low = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
           return low(a) == low(b);
         }) != text.end();
}

}  // namespace

std::string_view rootElement(std::string_view head, std::string& scratch) {
  std::string_view s = asciiView(head, scratch);
  size_t i = 0;
  auto skipTo = [&](std::string_view end) {
    const size_t at = s.find(end, i);
    i = at == std::string_view::npos ? s.size() : at + end.size();
  };
  while (i < s.size()) {
    const char c = s[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++i;
    } else if (s.substr(i, 2) == "<?") {
      skipTo("?>");
    } else if (s.substr(i, 4) == "<!--") {
      skipTo("-->");
    } else if (s.substr(i, 2) == "<!") {
      // A document type, possibly with an internal subset in brackets.
      int brackets = 0;
      for (++i; i < s.size(); ++i) {
        if (s[i] == '[') ++brackets;
        if (s[i] == ']') --brackets;
        if (s[i] == '>' && brackets <= 0) break;
      }
      ++i;
    } else if (c == '<' && i + 1 < s.size() && isNameChar(s[i + 1])) {
      size_t j = i + 1;
      while (j < s.size() && isNameChar(s[j])) ++j;
      std::string_view name = s.substr(i + 1, j - i - 1);
      if (const size_t colon = name.rfind(':'); colon != std::string_view::npos)
        name.remove_prefix(colon + 1);
      return name;
    } else {
      return {};
    }
  }
  return {};
}

int sniffNative(std::string_view head) {
  std::string scratch;
  return rootElement(head, scratch) == "paper" ? 2 : 0;
}

int sniffHocr(std::string_view head) {
  std::string scratch;
  const std::string_view root = rootElement(head, scratch);
  if (lowered(root) != "html") return 0;
  const std::string_view text = scratch.empty() ? head : std::string_view(scratch);
  for (std::string_view marker : {"ocr-system", "ocr-capabilities", "ocr_page", "ocrx_word"})
    if (containsCaseless(text, marker)) return 2;
  return 1;  // HTML without hOCR's markers in its head: the extension decides
}

int sniffPageXml(std::string_view head) {
  std::string scratch;
  return rootElement(head, scratch) == "PcGts" ? 2 : 0;
}

int sniffAlto(std::string_view head) {
  std::string scratch;
  return rootElement(head, scratch) == "alto" ? 2 : 0;
}

int sniffNdl(std::string_view head) {
  std::string scratch;
  return rootElement(head, scratch) == "OCRDATASET" ? 2 : 0;
}

int sniffTsv(std::string_view head) {
  if (head.substr(0, 3) == "\xEF\xBB\xBF") head.remove_prefix(3);
  if (head.starts_with("level\tpage_num\tblock_num\tpar_num\tline_num\tword_num\t")) return 2;
  // Without the header row: a page row of twelve fields.
  const std::string_view first = head.substr(0, head.find('\n'));
  if (first.starts_with("1\t") && std::count(first.begin(), first.end(), '\t') == 11) return 1;
  return 0;
}

}  // namespace vellary::formats::detail
