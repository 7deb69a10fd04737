// Reading untrusted XML (and HTML) as a stream of element starts, ends and text, over libxml2's
// pull reader. The input is read in small pieces and the reader keeps only the current branch, so
// memory stays bounded whatever the size of the file; libxml2 refuses a single name, value or text
// above 10 MB, nesting deeper than 256 elements and entity expansions that multiply, reads no DTD
// and opens no network connection. The importers' recursion follows the nesting, so that limit is
// also what bounds their stack.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/format.h"

namespace vellary::formats::detail {

// A failure inside an import: thrown by the importers and caught at their top, where it becomes
// the Error of the outcome.
struct ImportFailure {
  int code;
  std::string message;  // already holds "[N行目]" when the line is known
  int line;
  std::string elementPath;
};

class XmlInput {
 public:
  enum Node { Start, End, Text, Eof };

  // Streams XML from source (read once, from its start).
  explicit XmlInput(ByteSource& source);
  // Walks an HTML document parsed from memory. The parse needs the whole document: callers limit
  // the size they hand over.
  static std::unique_ptr<XmlInput> html(std::string_view bytes);
  ~XmlInput();
  XmlInput(const XmlInput&) = delete;
  XmlInput& operator=(const XmlInput&) = delete;

  // The next start tag, end tag or text (white space between elements included). A parse error
  // throws ImportFailure with ErrorXml. An empty element <a/> gives Start and then End.
  Node next();
  // Moves to the next child element of the element at parentDepth whose content is being read,
  // passing over text; false when that element ends (its End is consumed) or the input ends.
  // Every child returned must be read or skipped through its End before the next call.
  bool nextChild(int parentDepth);

  // Of the current Start or End: the local name (prefix stripped; lower case in HTML).
  std::string_view name() const { return name_; }
  // Of the current Start: its namespace URI ("" for none).
  std::string_view namespaceUri() const;
  // Depth of the current node: the root element is 0, its children 1 …
  int depth() const { return depth_; }
  // An attribute of the current Start by its local name; nullopt when absent.
  std::optional<std::string> attribute(const char* localName) const;
  // Of the current Text.
  std::string_view text() const { return text_; }
  // The text inside the current Start up to its End (which is consumed), of all descendants.
  // Longer than maxBytes: a limit failure.
  std::string elementText(size_t maxBytes = 1 << 20);
  // From the current Start: passes over its content; the next node is what follows its End.
  void skipElement();

  int line() const;
  // The current element's path, /alto/Layout/Page[2]/PrintSpace (an index only from the second
  // sibling of a name on).
  std::string path() const;

  // Throws ImportFailure with the current line and path.
  [[noreturn]] void fail(int code, std::string_view sentence) const;

 private:
  XmlInput() = default;
  struct Frame {
    std::string name;
    int index = 1;  // 1-based among the siblings of the same name
    std::vector<std::pair<std::string, int>> childCounts;
  };
  void enter(std::string_view name);
  void leave();
  void throwParseError() const;

  struct Reader;
  std::unique_ptr<Reader> reader_;
  std::string name_;
  std::string text_;
  int depth_ = -1;
  bool pendingEnd_ = false;  // an empty element's End comes next
  std::vector<Frame> stack_;
};

}  // namespace vellary::formats::detail
