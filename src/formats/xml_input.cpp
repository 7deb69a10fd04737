// The pull reader over libxml2: streaming for XML, a walk over a parsed tree for HTML.
#include "formats/xml_input.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/xmlreader.h>

#include <algorithm>
#include <cctype>
#include <climits>

namespace vellary::formats::detail {

namespace {

std::string_view view(const xmlChar* s) {
  return s ? std::string_view(reinterpret_cast<const char*>(s)) : std::string_view();
}

// libxml2's own limits on names, values, texts and entity expansion end the parse with one of
// these; the user learns that the file holds more than is taken rather than that it is broken.
bool isParserLimit(const xmlError& e) {
  if (e.code == XML_ERR_ENTITY_LOOP) return true;
  std::string text(view(reinterpret_cast<const xmlChar*>(e.message)));
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text.find("huge") != std::string::npos || text.find("too long") != std::string::npos ||
         text.find("amplification") != std::string::npos;
}

// libxml2 prints what has no parser context to report to (encoding failures, I/O) through its
// generic handler, standard error by default; the importers report through their errors instead.
void ignoreMessage(void*, const char*, ...) {}

void initialise() {
  static const bool done = [] {
    xmlInitParser();
    return true;
  }();
  (void)done;
  xmlSetGenericErrorFunc(nullptr, &ignoreMessage);  // the handler belongs to the calling thread
}

}  // namespace

struct XmlInput::Reader {
  xmlTextReaderPtr reader = nullptr;
  xmlDocPtr htmlDoc = nullptr;
  ByteSource* source = nullptr;
  bool sourceFailed = false;
  // The first error the parser reported; later ones follow from it.
  bool failed = false;
  bool limit = false;
  int errorLine = 0;
  std::string errorText;

  ~Reader() {
    if (reader) xmlFreeTextReader(reader);
    if (htmlDoc) xmlFreeDoc(htmlDoc);
  }

  static int readPiece(void* context, char* buffer, int length) {
    auto* self = static_cast<Reader*>(context);
    const long n = self->source->read(buffer, static_cast<size_t>(length));
    if (n < 0) {
      self->sourceFailed = true;
      return -1;
    }
    return static_cast<int>(n);
  }
  static int closeNothing(void*) { return 0; }

  static void onError(void* context, xmlErrorPtr error) {
    auto* self = static_cast<Reader*>(context);
    if (error == nullptr || error->level < XML_ERR_ERROR || self->failed) return;
    self->failed = true;
    self->limit = isParserLimit(*error);
    self->errorLine = error->line;
    std::string text(view(reinterpret_cast<const xmlChar*>(error->message)));
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    self->errorText = std::move(text);
  }
};

XmlInput::XmlInput(ByteSource& source) : reader_(std::make_unique<Reader>()) {
  initialise();
  reader_->source = &source;
  // No entity substitution, no DTD loading, no network; big line numbers so that lines past
  // 65535 are told right.
  const int options = XML_PARSE_NONET | XML_PARSE_NOCDATA | XML_PARSE_COMPACT |
                      XML_PARSE_BIG_LINES | XML_PARSE_NOWARNING;
  reader_->reader = xmlReaderForIO(&Reader::readPiece, &Reader::closeNothing, reader_.get(),
                                   nullptr, nullptr, options);
  if (reader_->reader == nullptr)
    throw ImportFailure{ErrorOther, errorMessage(ErrorOther, 0), 0, {}};
  xmlTextReaderSetStructuredErrorHandler(reader_->reader, &Reader::onError, reader_.get());
}

std::unique_ptr<XmlInput> XmlInput::html(std::string_view bytes) {
  initialise();
  std::unique_ptr<XmlInput> in(new XmlInput());
  in->reader_ = std::make_unique<Reader>();
  if (bytes.size() > static_cast<size_t>(INT_MAX))
    throw ImportFailure{ErrorLimit, errorMessage(ErrorLimit, 0), 0, {}};
  const int options =
      HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_COMPACT;
  in->reader_->htmlDoc =
      htmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr, options);
  if (in->reader_->htmlDoc == nullptr)
    throw ImportFailure{ErrorXml, errorMessage(ErrorXml, 0), 0, {}};
  in->reader_->reader = xmlReaderWalker(in->reader_->htmlDoc);
  if (in->reader_->reader == nullptr)
    throw ImportFailure{ErrorOther, errorMessage(ErrorOther, 0), 0, {}};
  return in;
}

XmlInput::~XmlInput() = default;

int XmlInput::line() const {
  if (xmlNodePtr node = xmlTextReaderCurrentNode(reader_->reader)) {
    const long n = xmlGetLineNo(node);
    if (n > 0) return static_cast<int>(std::min<long>(n, INT_MAX));
  }
  return xmlTextReaderGetParserLineNumber(reader_->reader);
}

std::string XmlInput::path() const {
  std::string p;
  for (const Frame& f : stack_) {
    p += '/';
    p += f.name;
    if (f.index > 1) p += '[' + std::to_string(f.index) + ']';
  }
  return p;
}

void XmlInput::fail(int code, std::string_view sentence) const {
  const int n = line();
  std::string message(sentence);
  if (n > 0) message += "[" + std::to_string(n) + "行目]";
  throw ImportFailure{code, std::move(message), n, path()};
}

void XmlInput::throwParseError() const {
  if (reader_->sourceFailed) throw ImportFailure{ErrorOpen, errorMessage(ErrorOpen, 0), 0, path()};
  const int code = reader_->limit ? ErrorLimit : ErrorXml;
  const int n = reader_->errorLine > 0 ? reader_->errorLine
                                       : xmlTextReaderGetParserLineNumber(reader_->reader);
  std::string message = errorMessage(code, n);
  if (!reader_->errorText.empty()) message += " (" + reader_->errorText + ")";
  throw ImportFailure{code, std::move(message), n, path()};
}

void XmlInput::enter(std::string_view name) {
  int index = 1;
  if (!stack_.empty()) {
    auto& counts = stack_.back().childCounts;
    auto it =
        std::find_if(counts.begin(), counts.end(), [&](const auto& c) { return c.first == name; });
    if (it == counts.end())
      counts.emplace_back(std::string(name), 1);
    else
      index = ++it->second;
  }
  stack_.push_back(Frame{std::string(name), index, {}});
}

void XmlInput::leave() {
  if (!stack_.empty()) stack_.pop_back();
}

XmlInput::Node XmlInput::next() {
  if (pendingEnd_) {
    pendingEnd_ = false;
    // name_ and depth_ still describe the empty element.
    leave();
    return End;
  }
  for (;;) {
    const int r = xmlTextReaderRead(reader_->reader);
    if (r < 0 || reader_->failed) throwParseError();
    if (r == 0) {
      if (reader_->failed || reader_->sourceFailed) throwParseError();
      return Eof;
    }
    xmlTextReaderPtr x = reader_->reader;
    switch (xmlTextReaderNodeType(x)) {
      case XML_READER_TYPE_ELEMENT:
        name_.assign(view(xmlTextReaderConstLocalName(x)));
        depth_ = xmlTextReaderDepth(x);
        enter(name_);
        pendingEnd_ = xmlTextReaderIsEmptyElement(x) == 1;
        return Start;
      case XML_READER_TYPE_END_ELEMENT:
        name_.assign(view(xmlTextReaderConstLocalName(x)));
        depth_ = xmlTextReaderDepth(x);
        leave();
        return End;
      case XML_READER_TYPE_TEXT:
      case XML_READER_TYPE_CDATA:
      case XML_READER_TYPE_WHITESPACE:
      case XML_READER_TYPE_SIGNIFICANT_WHITESPACE:
        text_.assign(view(xmlTextReaderConstValue(x)));
        depth_ = xmlTextReaderDepth(x);
        return Text;
      case XML_READER_TYPE_ENTITY_REFERENCE:
        // Only declared entities get here; a file that declares its own is not taken.
        fail(ErrorXml, "XMLの実体参照には対応していません。");
      default:
        break;  // comments, processing instructions, the document type
    }
  }
}

bool XmlInput::nextChild(int parentDepth) {
  for (;;) {
    switch (next()) {
      case Start:
        if (depth_ == parentDepth + 1) return true;
        skipElement();
        break;
      case End:
        if (depth_ <= parentDepth) return false;
        break;
      case Text:
        break;
      case Eof:
        return false;
    }
  }
}

std::string_view XmlInput::namespaceUri() const {
  return view(xmlTextReaderConstNamespaceUri(reader_->reader));
}

std::optional<std::string> XmlInput::attribute(const char* localName) const {
  xmlChar* v =
      xmlTextReaderGetAttribute(reader_->reader, reinterpret_cast<const xmlChar*>(localName));
  if (v == nullptr) return std::nullopt;
  std::string s(reinterpret_cast<const char*>(v));
  xmlFree(v);
  return s;
}

std::string XmlInput::elementText(size_t maxBytes) {
  std::string text;
  const int d = depth_;
  for (;;) {
    switch (next()) {
      case Text:
        if (text.size() + text_.size() > maxBytes) fail(ErrorLimit, "要素の文字列が長すぎます。");
        text += text_;
        break;
      case End:
        if (depth_ <= d) return text;
        break;
      case Start:
        break;
      case Eof:
        return text;
    }
  }
}

void XmlInput::skipElement() {
  const int d = depth_;
  for (;;) {
    const Node n = next();
    if ((n == End && depth_ <= d) || n == Eof) return;
  }
}

}  // namespace vellary::formats::detail
