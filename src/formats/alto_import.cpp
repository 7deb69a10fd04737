// ALTO 2, 3 and 4: text blocks, lines, strings and glyphs with their variants and confidences
// (WC, CC, GC, VC), the base direction, illustrations and graphical elements, tables as composed
// blocks, roles and side lines through tags, and the reading order of ALTO 4.3.
#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "formats/import_support.h"
#include "formats/importers.h"
#include "formats/xml_input.h"
#include "model/paper.h"
#include "model/text.h"

namespace vellary::formats::detail {

namespace {

using namespace model;

struct Tag {
  std::string label, type;  // lower case
};

class AltoReader {
 public:
  AltoReader(XmlInput& in, PaperData& paper, const ImportInput& input, Budget& budget)
      : in_(in), paper_(paper), input_(input), budget_(budget) {}

  void read() {
    if (in_.next() != XmlInput::Start || in_.name() != "alto")
      in_.fail(ErrorTag, "ALTOの文書ではありません。");
    const int d = in_.depth();
    while (in_.nextChild(d)) {
      const std::string name(in_.name());
      if (name == "Description")
        readDescription();
      else if (name == "Tags")
        readTags();
      else if (name == "ReadingOrder")
        readOrder(in_.depth());
      else if (name == "Layout")
        readLayout();
      else
        in_.skipElement();
    }
    if (paper_.pages.empty()) in_.fail(ErrorTag, "タグが間違っています。");
  }

 private:
  std::optional<double> number(const char* name) {
    auto v = in_.attribute(name);
    return v ? parseNumber(*v) : std::nullopt;
  }
  // A length in the file's unit, in pixels.
  double length(const char* name) { return number(name).value_or(0) * scale_; }
  Box boxAttrs() {
    Box b = boxFromSize(length("HPOS"), length("VPOS"), length("WIDTH"), length("HEIGHT"));
    return clip(b, page_->width, page_->height);
  }
  bool hasBox() { return in_.attribute("HPOS").has_value() && in_.attribute("VPOS").has_value(); }

  // The unit of lengths, the image, and whether Tesseract wrote the file, wherever they stand
  // inside the description.
  void readDescription() {
    const int d = in_.depth();
    while (in_.nextChild(d)) {
      const std::string name(in_.name());
      if (name == "MeasurementUnit") {
        const std::string unit = in_.elementText();
        // Without the scan's resolution in the file, the other units are taken at 300 dpi.
        if (unit == "mm10") {
          scale_ = 300.0 / 254.0;
          dpi_ = 300;
        } else if (unit == "inch1200") {
          scale_ = 300.0 / 1200.0;
          dpi_ = 300;
        }
      } else if (name == "fileName") {
        image_ = in_.elementText();
      } else if (name == "fileIdentifier") {
        // This program's files name each page's image here, located by the page's ID.
        const std::string page = in_.attribute("fileIdentifierLocation").value_or("");
        pageImages_[page] = in_.elementText();
      } else if (name == "softwareName") {
        // Tesseract 4 and 5 write WC as "0." followed by the integer percent.
        if (lowered(in_.elementText()).find("tesseract") != std::string::npos) tesseract_ = true;
      } else {
        readDescription();
      }
    }
  }

  void readTags() {
    const int d = in_.depth();
    while (in_.nextChild(d)) {
      const std::string id = in_.attribute("ID").value_or("");
      tags_[id] = Tag{lowered(in_.attribute("LABEL").value_or("")),
                      lowered(in_.attribute("TYPE").value_or(""))};
      in_.skipElement();
    }
  }

  void readOrder(int depth) {
    while (in_.nextChild(depth)) {
      if (in_.name() == "ElementRef") {
        const std::string refs = in_.attribute("REF").value_or("");
        size_t i = 0;
        while (i < refs.size()) {
          size_t j = refs.find(' ', i);
          if (j == std::string::npos) j = refs.size();
          if (j > i) order_.push_back(refs.substr(i, j - i));
          i = j + 1;
        }
        in_.skipElement();
      } else {
        readOrder(in_.depth());
      }
    }
  }

  void readLayout() {
    const int d = in_.depth();
    while (in_.nextChild(d)) {
      if (in_.name() != "Page") {
        in_.skipElement();
        continue;
      }
      PageData& page = paper_.pages.emplace_back();
      page_ = &page;
      budget_.startPage();
      auto own = pageImages_.find(in_.attribute("ID").value_or(""));
      recordImage(page, own != pageImages_.end() ? own->second : image_, input_.documentPath);
      page.width = in_.attribute("WIDTH") ? coordinate(length("WIDTH")) : -1;
      page.height = in_.attribute("HEIGHT") ? coordinate(length("HEIGHT")) : -1;
      if (page.width == 0) page.width = -1;
      if (page.height == 0) page.height = -1;
      page.dpi = dpi_;
      ids_.clear();
      const int pd = in_.depth();
      while (in_.nextChild(pd)) readBlocks(in_.depth(), nullptr);  // the margins and print space
      applyOrder(page);
      settleUndecided(page, undecided_);
      undecided_.clear();
      finishPage(page);
      budget_.endPage(static_cast<int>(paper_.pages.size()));
    }
  }

  // The blocks inside the element at depth (a page space or a composed block); inside a table
  // the text blocks become its cells.
  void readBlocks(int depth, BlockData* table) {
    while (in_.nextChild(depth)) {
      const std::string name(in_.name());
      if (name == "TextBlock") {
        readTextBlock(table);
      } else if (name == "ComposedBlock") {
        if (table == nullptr && lowered(in_.attribute("TYPE").value_or("")) == "table") {
          BlockData& t = newBlock();
          t.type = BlockTable;
          setBox(t, boxAttrs());
          readBlocks(in_.depth(), &t);
          t.direction = verticalCells_ > horizontalCells_ ? Vertical : Horizontal;
          verticalCells_ = horizontalCells_ = 0;
          assignGrid(t);
          finishBlock(t);
        } else {
          readBlocks(in_.depth(), table);
        }
      } else if ((name == "Illustration" || name == "GraphicalElement") && table == nullptr) {
        BlockData& b = newBlock();
        b.type = name == "Illustration" ? BlockImage : BlockLine;
        setBox(b, boxAttrs());
        finishBlock(b);
        in_.skipElement();
      } else {
        in_.skipElement();
      }
    }
  }

  BlockData& newBlock() {
    BlockData& b = page_->blocks.emplace_back();
    b.langId = kLangJapanese;
    b.bid = -1;
    if (auto id = in_.attribute("ID")) ids_[*id] = &b;
    return b;
  }

  std::vector<const Tag*> tagsOf() {
    std::vector<const Tag*> out;
    const std::string refs = in_.attribute("TAGREFS").value_or("");
    size_t i = 0;
    while (i < refs.size()) {
      size_t j = refs.find(' ', i);
      if (j == std::string::npos) j = refs.size();
      if (auto t = tags_.find(refs.substr(i, j - i)); t != tags_.end()) out.push_back(&t->second);
      i = j + 1;
    }
    return out;
  }

  // −1 unknown, else Horizontal or Vertical.
  int directionAttr() {
    const std::string d = in_.attribute("BASEDIRECTION").value_or("");
    if (d == "ttb" || d == "btt") return Vertical;
    if (d == "ltr" || d == "rtl") return Horizontal;
    return -1;
  }

  struct Word {
    std::vector<PendingChar> glyphs;  // with boxes of their own
    std::vector<CharText> text;       // else spread over box
    Box box;
    uint16_t cc = kDefaultConfidence;
    std::vector<uint16_t> perChar;  // from CC, when given for every character
    bool changed = false;
    Blank before = Blank::None;
  };
  struct Line {
    Box box;
    std::vector<Word> words;
    int16_t attr = AttrNone;
    int direction = -1;
    size_t chars = 0;
  };

  uint16_t wordConfidence(const std::string& wc) {
    // Tesseract's "0.5" means 5 %: the digits after "0." are the percent.
    if (tesseract_ && wc.starts_with("0.") && wc.size() > 2 &&
        std::all_of(wc.begin() + 2, wc.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      if (auto v = parseNumber(wc.substr(2))) return confidenceFromPercent(*v);
    }
    auto v = parseNumber(wc);
    return v ? confidenceFromUnit(*v) : kDefaultConfidence;
  }

  void readString(Line& line, bool changed, Blank before) {
    Word& w = line.words.emplace_back();
    w.before = before;
    w.box = boxAttrs();
    w.text = splitCharacters(in_.attribute("CONTENT").value_or(""));
    if (auto wc = in_.attribute("WC")) w.cc = wordConfidence(*wc);
    w.changed = changed || in_.attribute("CS").value_or("") == "true";
    if (auto cc = in_.attribute("CC")) {
      std::vector<uint16_t> digits;
      for (char c : *cc)
        if (c >= '0' && c <= '9') digits.push_back(confidenceFromAltoCC(c - '0'));
      if (digits.size() == w.text.size()) w.perChar = std::move(digits);
    }
    const int d = in_.depth();
    while (in_.nextChild(d)) {
      if (in_.name() == "Glyph")
        readGlyph(w);
      else
        in_.skipElement();
    }
    const size_t n = w.glyphs.empty() ? w.text.size() : w.glyphs.size();
    line.chars += n;
    budget_.addCharacters(static_cast<long>(n));
  }

  void readGlyph(Word& w) {
    const std::optional<CharText> text = singleCharacter(in_.attribute("CONTENT").value_or(""));
    PendingChar p;
    p.box = boxAttrs();
    p.changed = w.changed;
    if (auto gc = number("GC"))
      p.cc = confidenceFromUnit(*gc);
    else if (w.perChar.size() > w.glyphs.size())
      p.cc = w.perChar[w.glyphs.size()];
    else
      p.cc = w.cc;
    if (text) {
      p.text = *text;
      p.candidates.push_back(Candidate{p.text, p.cc});
    }
    const int d = in_.depth();
    while (in_.nextChild(d)) {
      if (in_.name() == "Variant" && text)
        if (auto v = singleCharacter(in_.attribute("CONTENT").value_or("")))
          p.candidates.push_back(Candidate{*v, confidenceFromUnit(number("VC").value_or(0))});
      in_.skipElement();
    }
    if (text) w.glyphs.push_back(std::move(p));
  }

  void readTextLine(std::vector<Line>& lines, bool changed) {
    budget_.addLine();
    Line& line = lines.emplace_back();
    line.box = boxAttrs();
    line.direction = directionAttr();
    changed = changed || in_.attribute("CS").value_or("") == "true";
    // A side line: its role tag's label names the kind (this program's files); a tag that only
    // says "Interlinear" is ruby.
    for (const Tag* t : tagsOf()) {
      if (t->label == "emph")
        line.attr = AttrEmph;
      else if (t->label == "footnote")
        line.attr = AttrFootnote;
      else if (t->label == "ruby" || t->label == "interlinear" || t->type == "interlinear")
        line.attr = AttrRuby;
    }
    // Tesseract puts a space between all its words, also inside Japanese text.
    const Blank spaced = tesseract_ ? Blank::UnlessCjk : Blank::Always;
    Blank before = Blank::None;
    const int d = in_.depth();
    while (in_.nextChild(d)) {
      const std::string name(in_.name());
      if (name == "String") {
        readString(line, changed, before);
        before = Blank::None;
      } else if (name == "SP") {
        before = spaced;
        in_.skipElement();
      } else if (name == "HYP") {
        Word& w = line.words.emplace_back();
        w.box = boxAttrs();
        w.text = splitCharacters(in_.attribute("CONTENT").value_or("-"));
        line.chars += w.text.size();
        budget_.addCharacters(static_cast<long>(w.text.size()));
        in_.skipElement();
      } else {
        in_.skipElement();
      }
    }
  }

  void buildLines(std::vector<Line>& pending, List<LineData>& lines, bool vertical) {
    for (Line& p : pending) {
      LineData& line = lines.emplace_back();
      setBox(line, p.box);
      line.attr = p.attr;
      bool first = true;
      for (Word& w : p.words) {
        std::vector<PendingChar> chars = std::move(w.glyphs);
        if (chars.empty()) {
          chars = spreadCharacters(w.text, w.box, vertical, w.cc);
          for (size_t i = 0; i < chars.size(); ++i) {
            if (i < w.perChar.size()) chars[i].cc = w.perChar[i];
            chars[i].changed = w.changed;
          }
        }
        appendWord(line, chars, first ? Blank::None : w.before, vertical);
        first = first && chars.empty();
      }
    }
  }

  void readTextBlock(BlockData* table) {
    int direction = directionAttr();
    const std::vector<const Tag*> tags = tagsOf();
    const bool changed = in_.attribute("CS").value_or("") == "true";
    Box box = boxAttrs();
    BlockData* block = nullptr;
    CellData* cell = nullptr;
    if (table != nullptr) {
      cell = &table->cells.emplace_back();
      cell->x = box.x;
      cell->y = box.y;
      cell->width = box.width;
      cell->height = box.height;
    } else {
      block = &newBlock();
    }
    std::vector<Line> lines;
    const int d = in_.depth();
    while (in_.nextChild(d)) {
      if (in_.name() == "TextLine")
        readTextLine(lines, changed);
      else
        in_.skipElement();
    }
    if (direction < 0) {
      int votes = 0;
      for (const Line& l : lines)
        if (l.direction >= 0) votes += l.direction == Vertical ? 1 : -1;
      if (votes != 0) direction = votes > 0 ? Vertical : Horizontal;
    }
    bool undecided = false;
    if (direction < 0) {
      std::vector<LineExtent> extents;
      for (const Line& l : lines) extents.push_back(LineExtent{l.box, l.chars});
      const int vote = verticalVote(extents);
      undecided = vote < 0;
      direction = vote == 1 ? Vertical : Horizontal;
    }
    const bool vertical = direction == Vertical;
    if (cell != nullptr) {
      buildLines(lines, cell->lines, vertical);
      (vertical ? verticalCells_ : horizontalCells_) += 1;
      return;
    }
    block->type = BlockText;
    block->direction = vertical ? Vertical : Horizontal;
    setBox(*block, box);
    for (const Tag* t : tags)
      if (t->type != "interlinear" && !t->label.empty()) {
        block->sec = roleOfWord(paper_, t->label, box, page_->height);
        break;
      }
    buildLines(lines, block->lines, vertical);
    finishBlock(*block);
    if (undecided) undecided_.push_back(block);
  }

  // Blocks named in the reading order first, in its order; the others after them.
  void applyOrder(PageData& page) {
    if (order_.empty() || ids_.empty()) return;
    std::unordered_map<const BlockData*, List<BlockData>::iterator> where;
    for (auto b = page.blocks.begin(); b != page.blocks.end(); ++b) where[&*b] = b;
    List<BlockData> ordered;
    for (const std::string& id : order_) {
      auto it = ids_.find(id);
      if (it == ids_.end() || it->second == nullptr) continue;
      ordered.splice(ordered.end(), page.blocks, where.at(it->second));
      it->second = nullptr;
    }
    page.blocks.splice(page.blocks.begin(), ordered);
  }

  XmlInput& in_;
  PaperData& paper_;
  const ImportInput& input_;
  Budget& budget_;
  PageData* page_ = nullptr;
  double scale_ = 1.0;
  int32_t dpi_ = -1;
  std::string image_;
  std::unordered_map<std::string, std::string> pageImages_;
  bool tesseract_ = false;
  int verticalCells_ = 0, horizontalCells_ = 0;
  std::unordered_map<std::string, Tag> tags_;
  std::vector<std::string> order_;
  std::unordered_map<std::string, BlockData*> ids_;  // of the current page's blocks
  std::vector<BlockData*> undecided_;                // of the current page
};

}  // namespace

ReadOutcome readAlto(ImportInput& input) {
  return runXmlImport(input, [&](PaperData& paper, XmlInput& in, Budget& budget) {
    AltoReader(in, paper, input, budget).read();
  });
}

}  // namespace vellary::formats::detail
