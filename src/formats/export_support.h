// What the three exporters share: an XML text builder, the pages of a request, characters and
// their boxes (an estimate for typed characters), words, confidences and image references.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formats/format.h"
#include "model/records.h"

namespace vellary::formats::detail {

// Builds indented XML text. Text and attribute values are UTF-8 and escaped here; characters XML
// cannot hold become U+FFFD, carriage return, line feed and tab character references.
class XmlText {
 public:
  explicit XmlText(std::string& out) : out_(out) {}
  XmlText& open(std::string_view name);  // "<name" on a new line at the current depth
  XmlText& attr(std::string_view name, std::string_view value);
  XmlText& attr(std::string_view name, long value);
  XmlText& attrUnit(std::string_view name, double value);  // 0 … 1 with up to two decimals
  XmlText& endStart();                                     // ">": content follows
  XmlText& endEmpty();                                     // "/>"
  XmlText& text(std::string_view utf8);  // content after endStart, on the same line
  XmlText& close(std::string_view name, bool ownLine = true);
  void raw(std::string_view s) { out_ += s; }

 private:
  void indent();
  std::string& out_;
  int depth_ = 0;
};
// The text escaped as XML content or attribute value.
std::string escapeXml(std::string_view utf8);

// The pages a request names, in order.
std::vector<const model::PageData*> requestedPages(const model::PaperData& paper,
                                                   const WriteRequest& request);

// Writes the one file of a format that keeps all pages in one (ALTO, hOCR) in place of `path`;
// refused when the request names no page.
using WholeFileBytes = std::string (*)(const model::PaperData&, const WriteRequest&,
                                       const std::string& outputPath);
bool writeWholeFile(const model::PaperData& paper, const std::string& path,
                    const WriteRequest& request, WholeFileBytes bytes, std::string& error);

// A character's box as it goes to a file: its own, or for a typed character the estimate inside
// its line; never negative.
struct CharBoxes {
  int32_t x = 0, y = 0, width = 0, height = 0;
};
std::vector<CharBoxes> charBoxes(const model::LineData& line, bool vertical);

// A character's text in UTF-8 (an empty text gives "").
std::string charUtf8(const model::CharText& c);
std::string lineUtf8(const model::LineData& line);

// The confidence a character goes out with: 0 … 1, full for a character the user corrected.
double unitConfidence(const model::CharData& c);

// Runs of characters between blanks: [first, last) indexes into the line's characters. Blanks
// (U+0020) are not in any run.
std::vector<std::pair<size_t, size_t>> wordsOf(const std::vector<const model::CharData*>& chars);
std::vector<const model::CharData*> charsOf(const model::LineData& line);

// The candidates written besides the character itself: all but the first that equals the
// character's text.
std::vector<std::pair<model::CharText, uint16_t>> otherCandidates(const model::CharData& c);

// The image a page names, as a file at outputPath refers to it: relative to its folder when the
// image lies inside that folder, else as recorded (the full path when there is one).
std::string imageReference(const model::PageData& page, const std::string& outputPath);

// The box of a block, a line or a cell, never negative.
CharBoxes boxOf(int32_t x, int32_t y, int32_t width, int32_t height);
// The smallest box holding the boxes of chars first … last − 1 (a word's, a string's).
CharBoxes unionOf(const std::vector<CharBoxes>& boxes, size_t first, size_t last);

// The program's name and version as the files name their producer.
inline constexpr char kProducer[] = "Vellary";
inline constexpr char kProducerVersion[] = "0.1";

// The current time as xsd:dateTime in UTC.
std::string timestamp();

}  // namespace vellary::formats::detail
