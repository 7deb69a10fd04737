// The XML writer: escaping and element nesting.
#include "oxmlgen/xml_writer.h"

#include "oxmlgen/text_codec.h"

namespace oxmlgen {

XmlWriter::XmlWriter() {
  out_ = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
}

void XmlWriter::endStartTag() {
  if (startTagOpen_) {
    out_ += '>';
    startTagOpen_ = false;
  }
}

XmlWriter& XmlWriter::open(std::string_view name) {
  endStartTag();
  out_ += '<';
  out_ += name;
  stack_.emplace_back(name);
  startTagOpen_ = true;
  return *this;
}

XmlWriter& XmlWriter::attr(std::string_view name, std::string_view value) {
  if (!startTagOpen_) return *this;  // attributes belong to the start tag only
  out_ += ' ';
  out_ += name;
  out_ += "=\"";
  out_ += escape(value);
  out_ += '"';
  return *this;
}

XmlWriter& XmlWriter::attr(std::string_view name, long long value) {
  return attr(name, std::to_string(value));
}

XmlWriter& XmlWriter::text(std::string_view utf8) {
  endStartTag();
  out_ += escape(utf8);
  return *this;
}

XmlWriter& XmlWriter::close() {
  if (stack_.empty()) return *this;
  if (startTagOpen_) {
    out_ += "/>";
    startTagOpen_ = false;
  } else {
    out_ += "</";
    out_ += stack_.back();
    out_ += '>';
  }
  stack_.pop_back();
  return *this;
}

const std::string& XmlWriter::finish() {
  while (!stack_.empty()) close();
  return out_;
}

std::string XmlWriter::escape(std::string_view utf8) {
  std::string s;
  s.reserve(utf8.size());
  for (char32_t c : decodeUtf8(utf8)) {
    switch (c) {
      case '&':
        s += "&amp;";
        break;
      case '<':
        s += "&lt;";
        break;
      case '>':
        s += "&gt;";
        break;
      case '"':
        s += "&quot;";
        break;
      case '\t':
        s += "&#9;";
        break;
      case '\n':
        s += "&#10;";
        break;
      case '\r':
        s += "&#13;";
        break;
      default:
        if (c < 0x20 || c == 0xFFFE || c == 0xFFFF || (c >= 0xD800 && c <= 0xDFFF)) break;
        appendUtf8(s, c);
    }
  }
  return s;
}

XmlWriter& XmlWriter::blackLineGeometry() {
  open("a:prstGeom").attr("prst", "line").open("a:avLst").close().close();
  open("a:ln").attr("w", 12700).open("a:solidFill").open("a:srgbClr").attr("val", "000000");
  return close().close().close();
}

}  // namespace oxmlgen
