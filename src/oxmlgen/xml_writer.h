// A small streaming XML writer: elements, attributes and text, escaped for XML 1.0 and always
// well-formed as long as every open() is matched by a close().
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace oxmlgen {

class XmlWriter {
 public:
  XmlWriter();  // starts with the XML declaration (UTF-8, standalone)

  XmlWriter& open(std::string_view name);
  XmlWriter& attr(std::string_view name, std::string_view value);
  XmlWriter& attr(std::string_view name, long long value);
  XmlWriter& text(std::string_view utf8);
  XmlWriter& close();  // closes the innermost open element (as <x/> when it is empty)
  // An element without children: open, attributes, close.
  XmlWriter& leaf(std::string_view name) { return open(name); }

  // The document so far; every element still open is closed first.
  const std::string& finish();

  // `utf8` with &, <, >, " escaped, characters not allowed in XML 1.0 dropped and invalid UTF-8
  // replaced by U+FFFD.
  static std::string escape(std::string_view utf8);

  // DrawingML's straight line in a 1-point black stroke, as Word and slides draw rules.
  XmlWriter& blackLineGeometry();

 private:
  void endStartTag();
  std::string out_;
  std::vector<std::string> stack_;
  bool startTagOpen_ = false;
};

}  // namespace oxmlgen
