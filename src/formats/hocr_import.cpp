// hOCR, as the hOCR 1.2 description writes it (ocrx_cinfo with x_bboxes and x_confs, alternatives
// in ins and del) and as Tesseract writes it (x_conf, lstm_choices groups of choice spans, broken
// character boxes in vertical text). XHTML is streamed; HTML that is not XML is parsed whole.
#include <algorithm>
#include <cmath>
#include <memory>
#include <unordered_map>

#include "formats/import_support.h"
#include "formats/importers.h"
#include "formats/xml_input.h"
#include "model/paper.h"
#include "model/text.h"

namespace vellary::formats::detail {

namespace {

using namespace model;

// Larger HTML that is not XML is refused: it is parsed into a tree in memory whole.
constexpr size_t kHtmlLimit = 32u << 20;

// The properties of a title attribute: "bbox 1 2 3 4; x_wconf 91; image "a.png"".
class Title {
 public:
  explicit Title(std::string value) : text_(std::move(value)) {
    const std::string_view text = text_;
    size_t i = 0;
    while (i < text.size()) {
      size_t j = i;
      bool quoted = false;
      while (j < text.size() && (quoted || text[j] != ';')) {
        if (text[j] == '"') quoted = !quoted;
        ++j;
      }
      std::string_view part = trim(text.substr(i, j - i));
      i = j + 1;
      const size_t blank = part.find_first_of(" \t");
      if (part.empty()) continue;
      entries_.emplace_back(part.substr(0, blank), blank == std::string_view::npos
                                                       ? std::string_view()
                                                       : trim(part.substr(blank + 1)));
    }
  }
  Title(const Title&) = delete;  // the entries point into text_
  Title& operator=(const Title&) = delete;

  std::optional<std::string_view> value(std::string_view name) const {
    for (const auto& [n, v] : entries_)
      if (n == name) return v;
    return std::nullopt;
  }
  std::vector<double> numbers(std::string_view name) const {
    std::vector<double> out;
    std::optional<std::string_view> v = value(name);
    if (!v) return out;
    size_t i = 0;
    while (i < v->size()) {
      size_t j = v->find_first_of(" \t", i);
      if (j == std::string_view::npos) j = v->size();
      if (j > i)
        if (auto n = parseNumber(v->substr(i, j - i))) out.push_back(*n);
      i = j + 1;
    }
    return out;
  }
  std::optional<Box> bbox() const {
    std::vector<double> n = numbers("bbox");
    if (n.size() != 4) return std::nullopt;
    return boxFromCorners(n[0], n[1], n[2], n[3]);
  }
  // A confidence in percent: x_conf, the first of x_confs, or a probability from nlp or x_cost.
  std::optional<uint16_t> confidence() const {
    for (std::string_view name : {"x_conf", "x_confs", "x_wconf"}) {
      std::vector<double> n = numbers(name);
      if (!n.empty()) return confidenceFromPercent(n.front());
    }
    for (std::string_view name : {"nlp", "x_cost"}) {
      std::vector<double> n = numbers(name);
      if (!n.empty()) return confidenceFromUnit(std::exp(-std::max(0.0, n.front())));
    }
    return std::nullopt;
  }

 private:
  static std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\n'))
      s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\n'))
      s.remove_suffix(1);
    return s;
  }
  std::string text_;  // the entries view into it
  std::vector<std::pair<std::string_view, std::string_view>> entries_;
};

// The text without the blanks and line ends of the markup around it. A carriage return stays:
// XML turns the ones in a file into line feeds, so one that arrives was written as &#13;, the
// paragraph break of a line.
std::string trimmedText(std::string_view s) {
  auto markup = [](char c) { return c == ' ' || c == '\t' || c == '\n'; };
  while (!s.empty() && markup(s.front())) s.remove_prefix(1);
  while (!s.empty() && markup(s.back())) s.remove_suffix(1);
  return std::string(s);
}

// −1 not said, else Horizontal or Vertical: CSS writing-mode in a style attribute.
int cssDirection(std::string_view style) {
  const std::string s = lowered(style);
  const size_t at = s.find("writing-mode");
  if (at == std::string::npos) return -1;
  const size_t colon = s.find(':', at);
  if (colon == std::string::npos) return -1;
  const std::string value =
      trimmedText(std::string_view(s).substr(colon + 1, s.find(';', colon) - colon - 1));
  if (value.starts_with("vertical") || value.starts_with("tb") || value.starts_with("sideways"))
    return Vertical;
  if (value.starts_with("horizontal") || value.starts_with("lr") || value.starts_with("rl"))
    return Horizontal;
  return -1;
}

// A character of a word before the direction is known.
struct WordChar {
  PendingChar c;
  bool boxed = false;
};
struct Word {
  std::optional<Box> box;
  uint16_t cc = kDefaultConfidence;
  std::string text;             // the word's own text, when it has no cinfo characters
  std::vector<WordChar> chars;  // from ocrx_cinfo
  std::vector<std::vector<Candidate>> choices;       // Tesseract's groups, one per character
  std::vector<Box> boxes;                            // x_bboxes of the word, one per character
  std::vector<uint16_t> confs;                       // x_confs of the word, one per character
  std::vector<std::vector<Candidate>> alternatives;  // from ins/del, per character of the text
};
struct Line {
  std::optional<Box> box;
  std::string id;
  std::vector<Word> words;
  std::string text;  // text standing in the line outside words
  int16_t attr = AttrNone;
  std::string baseId;
  int32_t rcs = 0, rce = 0;
  int32_t role = -1;
  size_t chars = 0;
};
struct Block {
  std::optional<Box> box;
  int32_t type = BlockText;
  int direction = -1;  // from CSS
  bool langVertical = false;
  int32_t role = -1;
  std::vector<Line> lines;
  // A table's cells are blocks of their own, listed here.
  std::vector<Block*> cells;
  bool isCell = false;
  int32_t row = 0, col = 0, group = 0;
};

class HocrReader {
 public:
  HocrReader(XmlInput& in, PaperData& paper, const ImportInput& input, Budget& budget)
      : in_(in), paper_(paper), input_(input), budget_(budget) {}

  void read() {
    if (in_.next() != XmlInput::Start || lowered(in_.name()) != "html")
      in_.fail(ErrorTag, "hOCRの文書ではありません。");
    walkOutside(in_.depth());
    if (paper_.pages.empty()) in_.fail(ErrorTag, "hOCRの文書ではありません。");
  }

 private:
  std::string classes() const { return in_.attribute("class").value_or(""); }

  // Everything outside the pages: the meta data, and any wrapping elements.
  void walkOutside(int depth) {
    while (in_.nextChild(depth)) {
      const std::string cls = classes();
      if (hasWord(cls, "ocr_page")) {
        readPage();
      } else if (lowered(in_.name()) == "meta") {
        if (in_.attribute("name").value_or("") == "ocr-system" &&
            lowered(in_.attribute("content").value_or("")).find("tesseract") != std::string::npos)
          tesseract_ = true;
        in_.skipElement();
      } else {
        walkOutside(in_.depth());
      }
    }
  }

  void readPage() {
    budget_.startPage();
    PageData& page = paper_.pages.emplace_back();
    page_ = &page;
    const Title title(in_.attribute("title").value_or(""));
    std::string image;
    if (auto v = title.value("image")) {
      image = std::string(*v);
      if (image.size() >= 2 && image.front() == '"' && image.back() == '"')
        image = image.substr(1, image.size() - 2);
    }
    recordImage(page, image, input_.documentPath);
    page.width = page.height = page.dpi = -1;
    if (auto box = title.bbox(); box && box->width > 0 && box->height > 0) {
      page.width = box->right() > 0 ? static_cast<int32_t>(box->right()) : -1;
      page.height = box->bottom() > 0 ? static_cast<int32_t>(box->bottom()) : -1;
    }
    if (auto res = title.numbers("scan_res"); !res.empty() && res.front() > 0)
      page.dpi = static_cast<int32_t>(std::lround(std::min(res.front(), 100000.0)));
    blocks_.clear();
    ids_.clear();
    Scope scope;
    walk(in_.depth(), scope);
    build(page);
    finishPage(page);
    budget_.endPage(static_cast<int>(paper_.pages.size()));
  }

  // Where the element being read stands.
  struct Scope {
    Block* container = nullptr;  // the innermost block-like element's block (made on demand)
    bool inContainer = false;
    Block* table = nullptr;
    Line* line = nullptr;
    int direction = -1;
    bool langVertical = false;
    int32_t role = -1;
  };

  Block& newBlock(const Scope& scope) {
    blocks_.push_back(std::make_unique<Block>());
    Block& b = *blocks_.back();
    b.direction = scope.direction;
    b.langVertical = scope.langVertical;
    b.role = scope.role;
    if (scope.table != nullptr) {
      b.isCell = true;
      scope.table->cells.push_back(&b);
    }
    return b;
  }

  Line& lineIn(Scope& scope) {
    if (scope.container == nullptr) scope.container = &newBlock(scope);
    budget_.addLine();
    return scope.container->lines.emplace_back();
  }

  // The role a class gives. ocr_header on a line is a heading (Tesseract's use); on an area
  // it is the page's running head, as the class list of floats has it.
  int32_t roleOfClass(const std::string& cls, bool asLine) {
    if (hasWord(cls, "ocr_header")) return asLine ? SecTitle : SecHeader;
    if (hasWord(cls, "ocr_footer")) return SecFooter;
    if (hasWord(cls, "ocr_title")) return SecTitle;
    if (hasWord(cls, "ocr_author")) return SecAuthor;
    if (hasWord(cls, "ocr_caption")) return sectionCode(paper_, u"caption");
    if (hasWord(cls, "ocr_pageno")) return kPageNumber;
    return -1;
  }
  // A page number whose place (top or bottom) is told once its box is known.
  static constexpr int32_t kPageNumber = -2;

  // The children of a page or of an element inside it.
  void walk(int depth, Scope& scope) {
    while (in_.nextChild(depth)) {
      const std::string cls = classes();
      Scope inner = scope;
      if (auto style = in_.attribute("style"); style && cssDirection(*style) >= 0)
        inner.direction = cssDirection(*style);
      if (auto lang = in_.attribute("lang"); lang && lang->ends_with("_vert"))
        inner.langVertical = true;
      const Title title(in_.attribute("title").value_or(""));

      if (hasWord(cls, "ocr_image") || hasWord(cls, "ocr_photo") ||
          hasWord(cls, "ocr_linedrawing") || hasWord(cls, "ocr_separator")) {
        Block& b = newBlock(Scope{});
        b.type = hasWord(cls, "ocr_separator") ? BlockLine : BlockImage;
        b.box = title.bbox();
        in_.skipElement();
        continue;
      }
      if (hasWord(cls, "ocrx_word")) {
        if (scope.line == nullptr) {
          // A word outside any line: a line of its own.
          Line& line = lineIn(scope);
          readWord(line);
        } else {
          readWord(*scope.line);
        }
        continue;
      }
      const bool ambiguous = hasWord(cls, "ocr_header") || hasWord(cls, "ocr_footer") ||
                             hasWord(cls, "ocr_caption") || hasWord(cls, "ocr_textfloat") ||
                             hasWord(cls, "ocr_pageno");
      const bool isLine = hasWord(cls, "ocr_line") || hasWord(cls, "ocrx_line") ||
                          (ambiguous && scope.inContainer && scope.line == nullptr);
      if (isLine && scope.line == nullptr) {
        Line& line = lineIn(scope);
        line.box = title.bbox();
        line.id = in_.attribute("id").value_or("");
        if (ambiguous) line.role = roleOfClass(cls, true);
        readSideLine(title, line);
        if (scope.container != nullptr && scope.container->direction < 0 && inner.direction >= 0)
          scope.container->direction = inner.direction;
        if (inner.langVertical) scope.container->langVertical = true;
        inner.line = &line;
        walkLine(in_.depth(), inner);
        continue;
      }
      if (hasWord(cls, "ocr_table") && scope.table == nullptr && scope.line == nullptr) {
        Block& table = newBlock(Scope{});
        table.type = BlockTable;
        table.box = title.bbox();
        Scope cells;
        cells.table = &table;
        cells.direction = inner.direction;
        cells.langVertical = inner.langVertical;
        walk(in_.depth(), cells);
        continue;
      }
      const bool container = hasWord(cls, "ocr_carea") || hasWord(cls, "ocrx_block") ||
                             hasWord(cls, "ocr_par") || hasWord(cls, "ocr_column") ||
                             hasWord(cls, "ocr_float") || hasWord(cls, "ocr_title") ||
                             hasWord(cls, "ocr_author") || ambiguous;
      if (container && scope.line == nullptr && scope.table != nullptr && scope.inContainer) {
        walk(in_.depth(), scope);  // a paragraph inside a cell belongs to the cell
        continue;
      }
      if (container && scope.line == nullptr) {
        if (int32_t r = roleOfClass(cls, false); r != -1) inner.role = r;
        if (auto role = title.value("x_role"); role && !role->empty())
          inner.role = sectionCode(paper_, fromUtf8(*role));
        inner.container = nullptr;  // made when the first line arrives
        inner.inContainer = true;
        const std::optional<Box> box = title.bbox();
        const std::vector<double> cell = title.numbers("x_cell");
        walk(in_.depth(), inner);
        // An empty cell still has its place in the table.
        if (inner.container == nullptr && scope.table != nullptr)
          inner.container = &newBlock(inner);
        if (inner.container != nullptr) {
          if (!inner.container->box) inner.container->box = box;
          if (cell.size() == 3 && inner.container->isCell) {
            inner.container->row = static_cast<int32_t>(std::clamp(cell[0], 0.0, 1e6));
            inner.container->col = static_cast<int32_t>(std::clamp(cell[1], 0.0, 1e6));
            inner.container->group = static_cast<int32_t>(std::clamp(cell[2], 0.0, 1e6));
          }
        }
        continue;
      }
      if (hasWord(cls, "ocr_page")) {  // a page inside a page is not taken
        in_.skipElement();
        continue;
      }
      walk(in_.depth(), inner);  // markup without a class of its own (<em>, <strong> …)
    }
  }

  // "x_sideline KIND BASE-ID START END", this program's mark of a side line.
  void readSideLine(const Title& title, Line& line) {
    std::optional<std::string_view> v = title.value("x_sideline");
    if (!v) return;
    std::vector<std::string> parts;
    size_t i = 0;
    while (i < v->size()) {
      size_t j = v->find(' ', i);
      if (j == std::string_view::npos) j = v->size();
      if (j > i) parts.emplace_back(v->substr(i, j - i));
      i = j + 1;
    }
    if (parts.empty()) return;
    for (int16_t a = AttrRuby; a <= AttrFootnote; ++a)
      if (toUtf8(lineAttrWord(a)) == parts[0]) line.attr = a;
    if (parts.size() >= 4) {
      line.baseId = parts[1];
      line.rcs = static_cast<int32_t>(std::clamp(parseNumber(parts[2]).value_or(0), 0.0, 1e6));
      line.rce = static_cast<int32_t>(std::clamp(parseNumber(parts[3]).value_or(0), 0.0, 1e6));
    }
  }

  // The content of a line: words, and text standing outside them.
  void walkLine(int depth, Scope& scope) {
    for (;;) {
      const XmlInput::Node n = in_.next();
      if (n == XmlInput::Eof || (n == XmlInput::End && in_.depth() <= depth)) return;
      if (n == XmlInput::Text) {
        scope.line->text += in_.text();
        if (scope.line->text.size() > (1u << 20)) in_.fail(ErrorLimit, "行の文字列が長すぎます。");
        continue;
      }
      if (n != XmlInput::Start) continue;
      const std::string cls = classes();
      if (hasWord(cls, "ocrx_word")) {
        readWord(*scope.line);
      } else if (hasWord(cls, "ocr_symbol")) {
        in_.skipElement();  // Tesseract's timesteps: not for an editor
      } else {
        walkLine(in_.depth(), scope);
      }
    }
  }

  // One candidate group of Tesseract (lstm_choices_…): its choice spans with their x_confs.
  std::vector<Candidate> readChoices() {
    std::vector<Candidate> group;
    const int d = in_.depth();
    while (in_.nextChild(d)) {
      const Title title(in_.attribute("title").value_or(""));
      const std::optional<CharText> c = singleCharacter(trimmedText(in_.elementText()));
      if (c) group.push_back(Candidate{*c, title.confidence().value_or(0)});
    }
    return group;
  }

  // An alternatives span: the ins text, and candidates per character from del texts of the same
  // length.
  std::string readAlternatives(std::vector<std::vector<Candidate>>& perChar, uint16_t& insCc) {
    std::string ins;
    std::vector<std::pair<std::vector<CharText>, uint16_t>> dels;
    const int d = in_.depth();
    while (in_.nextChild(d)) {
      const std::string name = lowered(in_.name());
      const Title title(in_.attribute("title").value_or(""));
      const uint16_t cc = title.confidence().value_or(kDefaultConfidence);
      const std::string text = trimmedText(in_.elementText());
      if (name == "ins" && ins.empty()) {
        ins = text;
        insCc = cc;
      } else if (name == "del") {
        dels.emplace_back(splitCharacters(text), cc);
      }
    }
    const std::vector<CharText> chars = splitCharacters(ins);
    perChar.assign(chars.size(), {});
    for (size_t i = 0; i < chars.size(); ++i) {
      perChar[i].push_back(Candidate{chars[i], insCc});
      for (const auto& [del, cc] : dels)
        if (del.size() == chars.size()) perChar[i].push_back(Candidate{del[i], cc});
    }
    return ins;
  }

  void readCinfo(Word& word) {
    const Title title(in_.attribute("title").value_or(""));
    std::string text;
    std::vector<std::vector<Candidate>> alternatives;
    uint16_t cc = title.confidence().value_or(word.cc);
    const int d = in_.depth();
    for (;;) {
      const XmlInput::Node n = in_.next();
      if (n == XmlInput::Eof || (n == XmlInput::End && in_.depth() <= d)) break;
      if (n == XmlInput::Text) {
        text += in_.text();
        if (text.size() > 4096) in_.fail(ErrorLimit, "文字の内容が長すぎます。");
      } else if (n == XmlInput::Start) {
        if (hasWord(classes(), "alternatives"))
          text += readAlternatives(alternatives, cc);
        else
          in_.skipElement();
      }
    }
    const std::vector<CharText> chars = splitCharacters(trimmedText(text));
    const std::vector<double> boxes = title.numbers("x_bboxes");
    const std::vector<double> confs = title.numbers("x_confs");
    for (size_t i = 0; i < chars.size(); ++i) {
      WordChar wc;
      wc.c.text = chars[i];
      wc.c.cc = confs.size() == chars.size() ? confidenceFromPercent(confs[i]) : cc;
      if (boxes.size() >= 4 * (i + 1)) {
        wc.c.box =
            boxFromCorners(boxes[4 * i], boxes[4 * i + 1], boxes[4 * i + 2], boxes[4 * i + 3]);
        wc.boxed = true;
      }
      if (alternatives.size() == chars.size()) wc.c.candidates = alternatives[i];
      word.chars.push_back(std::move(wc));
    }
  }

  void readWord(Line& line) {
    Word& word = line.words.emplace_back();
    const Title title(in_.attribute("title").value_or(""));
    word.box = title.bbox();
    if (auto c = title.confidence()) word.cc = *c;
    for (double v : title.numbers("x_confs")) word.confs.push_back(confidenceFromPercent(v));
    const std::vector<double> boxes = title.numbers("x_bboxes");
    for (size_t i = 0; i + 4 <= boxes.size(); i += 4)
      word.boxes.push_back(boxFromCorners(boxes[i], boxes[i + 1], boxes[i + 2], boxes[i + 3]));
    const int d = in_.depth();
    for (;;) {
      const XmlInput::Node n = in_.next();
      if (n == XmlInput::Eof || (n == XmlInput::End && in_.depth() <= d)) break;
      if (n == XmlInput::Text) {
        word.text += in_.text();
        if (word.text.size() > (1u << 16)) in_.fail(ErrorLimit, "単語の文字列が長すぎます。");
        continue;
      }
      if (n != XmlInput::Start) continue;
      const std::string cls = classes();
      const std::string id = in_.attribute("id").value_or("");
      if (hasWord(cls, "ocrx_cinfo") && id.starts_with("lstm_choices")) {
        word.choices.push_back(readChoices());
      } else if ((hasWord(cls, "ocrx_cinfo") && id.starts_with("timestep")) ||
                 hasWord(cls, "ocr_symbol")) {
        in_.skipElement();
      } else if (hasWord(cls, "ocrx_cinfo") || hasWord(cls, "ocr_cinfo")) {
        readCinfo(word);
      } else if (hasWord(cls, "alternatives")) {
        uint16_t cc = word.cc;
        word.text += readAlternatives(word.alternatives, cc);
      } else {
        // Markup inside the word (<em> …): its text is the word's.
        word.text += in_.elementText(1u << 16);
      }
    }
    const size_t n =
        word.chars.empty() ? splitCharacters(trimmedText(word.text)).size() : word.chars.size();
    line.chars += n;
    budget_.addCharacters(static_cast<long>(n));
    if (word.choices.size() > static_cast<size_t>(kMaxCandidates) * 1024)
      in_.fail(ErrorLimit, "候補が多すぎます。");
  }

  // Tesseract's candidates of one character: the recognised character first, then its choices
  // by confidence. A group that does not hold the recognised character belongs to another
  // symbol (Tesseract's lists slip against the characters now and then) and is dropped.
  static std::vector<Candidate> tesseractCandidates(const PendingChar& c,
                                                    std::vector<Candidate> group) {
    std::vector<Candidate> out;
    if (std::none_of(group.begin(), group.end(),
                     [&](const Candidate& k) { return k.text == c.text; }))
      return out;
    std::stable_sort(group.begin(), group.end(),
                     [](const Candidate& a, const Candidate& b) { return a.cc > b.cc; });
    out.push_back(Candidate{c.text, c.cc});
    out.insert(out.end(), group.begin(), group.end());
    return out;
  }

  // A character box that cannot be the character's: no extent, or outside its word. Tesseract
  // writes such boxes for every character of vertical text.
  static bool broken(const Box& c, const Box& word) {
    if (c.width <= 0 || c.height <= 0) return true;
    const int64_t slack = std::max<int64_t>(2, std::min(word.width, word.height) / 4);
    return c.x < word.x - slack || c.y < word.y - slack || c.right() > word.right() + slack ||
           c.bottom() > word.bottom() + slack;
  }

  std::vector<PendingChar> charsOf(Word& w, bool vertical, const std::optional<Box>& lineBox) {
    std::vector<PendingChar> out;
    const Box wordBox = w.box.value_or(lineBox.value_or(Box{}));
    if (!w.chars.empty()) {
      bool rebuild = false;
      for (const WordChar& c : w.chars) rebuild |= !c.boxed || (w.box && broken(c.c.box, *w.box));
      const int n = static_cast<int>(w.chars.size());
      for (int i = 0; i < n; ++i) {
        PendingChar p = std::move(w.chars[static_cast<size_t>(i)].c);
        // One-character words keep the word's box exactly; longer ones are cut along the line.
        if (rebuild) p.box = cellOf(wordBox, i, n, vertical);
        out.push_back(std::move(p));
      }
    } else {
      const std::vector<CharText> text = splitCharacters(trimmedText(w.text));
      out = spreadCharacters(text, wordBox, vertical, w.cc);
      for (size_t i = 0; i < out.size(); ++i) {
        if (w.boxes.size() == out.size() && !broken(w.boxes[i], wordBox)) out[i].box = w.boxes[i];
        if (w.confs.size() == out.size()) out[i].cc = w.confs[i];
        if (w.alternatives.size() == out.size()) out[i].candidates = w.alternatives[i];
      }
    }
    for (size_t i = 0; i < out.size() && i < w.choices.size(); ++i)
      out[i].candidates = tesseractCandidates(out[i], std::move(w.choices[i]));
    return out;
  }

  // The pending blocks of the page into its records, in the order they were met.
  void build(PageData& page) {
    std::vector<std::pair<const Line*, LineData*>> sideLines;
    std::vector<BlockData*> undecided;
    for (auto& owned : blocks_) {
      Block& b = *owned;
      if (b.isCell) continue;
      BlockData& block = page.blocks.emplace_back();
      block.langId = kLangJapanese;
      block.bid = -1;
      block.type = b.type;
      if (b.box) setBox(block, clip(*b.box, page.width, page.height));
      if (b.type == BlockTable) {
        int votes = 0;
        for (Block* c : b.cells) votes += directionOf(*c) == Vertical ? 1 : -1;
        block.direction = votes > 0 ? Vertical : Horizontal;
        bool gridGiven = true;
        for (Block* c : b.cells) {
          CellData& cell = block.cells.emplace_back();
          const Box box = clip(c->box.value_or(Box{}), page.width, page.height);
          cell.x = box.x;
          cell.y = box.y;
          cell.width = box.width;
          cell.height = box.height;
          cell.row = c->row;
          cell.col = c->col;
          cell.connectGroup = c->group;
          gridGiven = gridGiven && c->row > 0 && c->col > 0;
          buildLines(*c, cell.lines, directionOf(*c) == Vertical, page, sideLines);
        }
        if (!gridGiven) assignGrid(block);
      } else if (b.type == BlockText) {
        const int direction = directionOf(b);
        if (direction < 0) undecided.push_back(&block);
        const bool vertical = direction == Vertical;
        block.direction = vertical ? Vertical : Horizontal;
        int32_t role = b.role;
        for (const Line& l : b.lines)
          if (role == -1 && l.role != -1) role = l.role;
        buildLines(b, block.lines, vertical, page, sideLines);
        finishBlock(block);
        if (role == kPageNumber)
          role = roleOfWord(paper_, "page-number", Box{block.x, block.y, block.width, block.height},
                            page.height);
        block.sec = role >= 0 ? role : SecText;
        continue;
      }
      finishBlock(block);
    }
    settleUndecided(page, undecided);
    // Side lines to their base line of the same block or cell, by the base line's id.
    for (auto [pending, line] : sideLines) {
      auto it = ids_.find(pending->baseId);
      if (it == ids_.end() || it->second.group != groupOf_[line] || it->second.line == line ||
          it->second.line->attr != AttrNone)
        continue;
      line->baseLine = it->second.line;
      line->rcs = pending->rcs;
      line->rce = pending->rce;
    }
    groupOf_.clear();
  }

  // The writing direction: CSS, else the shape of the lines, else a vertical model's language;
  // −1 when nothing tells.
  static int directionOf(const Block& b) {
    if (b.direction >= 0) return b.direction;
    std::vector<LineExtent> extents;
    for (const Line& l : b.lines) extents.push_back(LineExtent{l.box.value_or(Box{}), l.chars});
    const int vote = verticalVote(extents);
    if (vote >= 0) return vote == 1 ? Vertical : Horizontal;
    return b.langVertical ? Vertical : -1;
  }

  void buildLines(Block& b, List<LineData>& lines, bool vertical, const PageData& page,
                  std::vector<std::pair<const Line*, LineData*>>& sideLines) {
    for (Line& l : b.lines) {
      LineData& line = lines.emplace_back();
      Box box = l.box.value_or(Box{});
      if (!l.box)
        for (const Word& w : l.words) box = unite(box, w.box.value_or(Box{}));
      setBox(line, clip(box, page.width, page.height));
      line.attr = l.attr;
      if (l.words.empty()) {
        // Text right in the line: its characters over the line's box, blanks kept single.
        std::string text;
        for (char c : trimmedText(l.text)) {
          const bool blank = static_cast<unsigned char>(c) <= ' ';
          if (blank && !text.empty() && text.back() == ' ') continue;
          text += blank ? ' ' : c;
        }
        const std::vector<CharText> chars = splitCharacters(text);
        budget_.addCharacters(static_cast<long>(chars.size()));
        appendWord(line, clipped(spreadCharacters(chars, box, vertical, kDefaultConfidence), page),
                   Blank::None, vertical);
      } else {
        bool first = true;
        for (Word& w : l.words) {
          std::vector<PendingChar> chars = clipped(charsOf(w, vertical, l.box), page);
          appendWord(line, chars, first ? Blank::None : Blank::UnlessCjk, vertical);
          first = first && chars.empty();
        }
      }
      if (!l.id.empty()) ids_[l.id] = LineRef{&line, &lines};
      groupOf_[&line] = &lines;
      if (line.attr != AttrNone && !l.baseId.empty()) sideLines.emplace_back(&l, &line);
    }
  }

  static std::vector<PendingChar> clipped(std::vector<PendingChar> chars, const PageData& page) {
    for (PendingChar& c : chars) c.box = clip(c.box, page.width, page.height);
    return chars;
  }

  struct LineRef {
    LineData* line;
    const void* group;
  };

  XmlInput& in_;
  PaperData& paper_;
  const ImportInput& input_;
  Budget& budget_;
  PageData* page_ = nullptr;
  bool tesseract_ = false;
  std::vector<std::unique_ptr<Block>> blocks_;  // of the current page, in the order met
  std::unordered_map<std::string, LineRef> ids_;
  std::unordered_map<const LineData*, const void*> groupOf_;
};

}  // namespace

ReadOutcome readHocr(ImportInput& input) {
  ReadOutcome out = runXmlImport(input, [&](PaperData& paper, XmlInput& in, Budget& budget) {
    HocrReader(in, paper, input, budget).read();
  });
  if (out.paper || out.error.code != ErrorXml || !input.reopen) return out;
  // Not XML: HTML as browsers take it, read whole when it is small enough.
  std::unique_ptr<ByteSource> again = input.reopen();
  if (!again) return out;
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const long n = again->read(buffer, sizeof buffer);
    if (n < 0) return out;
    if (n == 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
    if (bytes.size() > kHtmlLimit) return out;
  }
  ReadOutcome html = runImport([&](PaperData& paper) {
    std::unique_ptr<XmlInput> in = XmlInput::html(bytes);
    Budget budget([&](int code, std::string_view s) { in->fail(code, s); }, input.progress);
    budget.start();
    HocrReader(*in, paper, input, budget).read();
  });
  // When the HTML reading finds no hOCR either, the XML error says more.
  if (html.paper) return html;
  return out;
}

}  // namespace vellary::formats::detail
