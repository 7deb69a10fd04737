// PAGE XML (2019-07-15, and the earlier versions of the same shape): regions, lines, words and
// glyphs with their ranked TextEquiv, reading direction and line order, the reading order, table
// cells, and the side lines this program writes (a labelled TextLine linked to its base).
#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "formats/import_support.h"
#include "formats/importers.h"
#include "formats/page_custom.h"
#include "formats/xml_input.h"
#include "model/paper.h"
#include "model/text.h"

namespace vellary::formats::detail {

namespace {

using namespace model;

struct LineRef {
  LineData* line;
  const void* group;  // the block or cell whose lines it is among
};

class PageReader {
 public:
  PageReader(XmlInput& in, PaperData& paper, const ImportInput& input, Budget& budget)
      : in_(in), paper_(paper), input_(input), budget_(budget) {}

  void readPage() {
    PageData& page = paper_.pages.emplace_back();
    budget_.startPage();
    recordImage(page, in_.attribute("imageFilename").value_or(""), input_.documentPath);
    page.width = coordinateAttr("imageWidth", -1);
    page.height = coordinateAttr("imageHeight", -1);
    page.dpi = -1;
    if (auto r = number("imageXResolution"); r && *r > 0) {
      const bool cm = in_.attribute("imageResolutionUnit").value_or("") == "PPCM";
      page.dpi = static_cast<int32_t>(std::lround(std::min(*r * (cm ? 2.54 : 1.0), 100000.0)));
    }
    pageDirection_ = directionOf(in_.attribute("readingDirection"), in_.attribute("textLineOrder"));
    page_ = &page;

    const int d = in_.depth();
    while (in_.nextChild(d)) {
      const std::string name(in_.name());
      if (name == "ReadingOrder")
        readOrderGroup(in_.depth());
      else if (name == "Relations")
        readRelations();
      else
        readRegion(name, nullptr);
    }
    applyRelations();
    applyReadingOrder();
    settleUndecided(page, undecided_);
    finishPage(page);
  }

 private:
  std::optional<double> number(const char* name) {
    auto v = in_.attribute(name);
    return v ? parseNumber(*v) : std::nullopt;
  }
  int32_t coordinateAttr(const char* name, int32_t missing) {
    auto v = number(name);
    return v ? coordinate(*v) : missing;
  }
  Box clipped(const Box& b) const { return clip(b, page_->width, page_->height); }

  // −1 unknown, else Horizontal or Vertical.
  static int directionOf(const std::optional<std::string>& reading,
                         const std::optional<std::string>& lineOrder) {
    if (reading) {
      if (*reading == "top-to-bottom" || *reading == "bottom-to-top") return Vertical;
      if (*reading == "left-to-right" || *reading == "right-to-left") return Horizontal;
    }
    if (lineOrder) {
      if (*lineOrder == "right-to-left" || *lineOrder == "left-to-right") return Vertical;
      if (*lineOrder == "top-to-bottom" || *lineOrder == "bottom-to-top") return Horizontal;
    }
    return -1;
  }

  // The box of the Coords element at the cursor (consumed): the points attribute, or Point
  // children as in the oldest version.
  Box readCoords() {
    Box box;
    if (auto points = in_.attribute("points")) {
      box = boxOfPoints(*points);
      in_.skipElement();
      return box;
    }
    const int d = in_.depth();
    bool any = false;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    while (in_.nextChild(d)) {
      if (in_.name() == "Point") {
        const double x = number("x").value_or(0), y = number("y").value_or(0);
        x0 = any ? std::min(x0, x) : x;
        y0 = any ? std::min(y0, y) : y;
        x1 = any ? std::max(x1, x) : x;
        y1 = any ? std::max(y1, y) : y;
        any = true;
      }
      in_.skipElement();
    }
    return any ? clipped(boxFromCorners(x0, y0, x1 + 1, y1 + 1)) : box;
  }

  // "x,y x,y …": the smallest box holding every point (a point is one pixel).
  Box boxOfPoints(std::string_view points) {
    bool any = false;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    size_t i = 0;
    while (i < points.size()) {
      while (i < points.size() && points[i] == ' ') ++i;
      size_t j = points.find(' ', i);
      if (j == std::string_view::npos) j = points.size();
      std::string_view pair = points.substr(i, j - i);
      i = j;
      const size_t comma = pair.find(',');
      if (comma == std::string_view::npos) continue;
      auto x = parseNumber(pair.substr(0, comma)), y = parseNumber(pair.substr(comma + 1));
      if (!x || !y) in_.fail(ErrorAttribute, "属性が間違っています。");
      x0 = any ? std::min(x0, *x) : *x;
      y0 = any ? std::min(y0, *y) : *y;
      x1 = any ? std::max(x1, *x) : *x;
      y1 = any ? std::max(y1, *y) : *y;
      any = true;
    }
    if (!any) in_.fail(ErrorAttribute, "属性が間違っています。");
    return clipped(boxFromCorners(x0, y0, x1 + 1, y1 + 1));
  }

  // One TextEquiv at the cursor (consumed): its index, confidence and text.
  struct Equiv {
    long index = 0;
    uint16_t cc = kDefaultConfidence;
    std::string text;
    bool hasText = false;
  };
  Equiv readEquiv() {
    Equiv e;
    if (auto i = number("index")) e.index = static_cast<long>(std::clamp(*i, -1e9, 1e9));
    if (auto c = number("conf")) e.cc = confidenceFromUnit(*c);
    const int d = in_.depth();
    while (in_.nextChild(d)) {
      if (in_.name() == "Unicode") {
        e.text = in_.elementText();
        e.hasText = true;
      } else {
        in_.skipElement();
      }
    }
    return e;
  }
  // The main equivalent: the lowest index, the first of equal ones.
  static const Equiv* mainOf(const std::vector<Equiv>& equivs) {
    const Equiv* best = nullptr;
    for (const Equiv& e : equivs)
      if (e.hasText && (best == nullptr || e.index < best->index)) best = &e;
    return best;
  }

  // A word as read: its glyphs with their own boxes, or a text to spread over its box once the
  // writing direction is known.
  struct Word {
    Box box;
    std::vector<PendingChar> glyphs;
    bool hasGlyphs = false;
    std::vector<CharText> text;
    uint16_t cc = kDefaultConfidence;
  };
  struct Line {
    std::string id, custom;
    Box box;
    std::vector<Word> words;
    std::vector<CharText> text;  // the line's own text
    bool hasText = false;
    uint16_t cc = kDefaultConfidence;
    size_t chars = 0;
  };

  void readGlyph(Word& word) {
    Box box;
    std::vector<Equiv> equivs;
    const int d = in_.depth();
    while (in_.nextChild(d)) {
      if (in_.name() == "Coords")
        box = readCoords();
      else if (in_.name() == "TextEquiv")
        equivs.push_back(readEquiv());
      else
        in_.skipElement();
    }
    const Equiv* main = mainOf(equivs);
    if (main == nullptr) return;
    std::vector<CharText> text = splitCharacters(main->text);
    budget_.addCharacters(static_cast<long>(text.size()));
    if (text.size() != 1) {
      // A ligature or a cluster: its characters share the glyph's box; no candidates.
      for (PendingChar& p : spreadCharacters(text, box, false, main->cc))
        word.glyphs.push_back(std::move(p));
      return;
    }
    std::stable_sort(equivs.begin(), equivs.end(),
                     [](const Equiv& a, const Equiv& b) { return a.index < b.index; });
    PendingChar p{text.front(), box, main->cc, {}, false};
    for (const Equiv& e : equivs)
      if (auto c = singleCharacter(e.text)) p.candidates.push_back(Candidate{*c, e.cc});
    word.glyphs.push_back(std::move(p));
  }

  void readWord(Line& line) {
    Word& word = line.words.emplace_back();
    std::vector<Equiv> equivs;
    const int d = in_.depth();
    while (in_.nextChild(d)) {
      const std::string name(in_.name());
      if (name == "Coords") {
        word.box = readCoords();
      } else if (name == "Glyph") {
        word.hasGlyphs = true;
        readGlyph(word);
      } else if (name == "TextEquiv") {
        equivs.push_back(readEquiv());
      } else {
        in_.skipElement();
      }
    }
    if (word.hasGlyphs) {
      line.chars += word.glyphs.size();
    } else if (const Equiv* main = mainOf(equivs)) {
      word.text = splitCharacters(main->text);
      word.cc = main->cc;
      line.chars += word.text.size();
      budget_.addCharacters(static_cast<long>(word.text.size()));
    }
  }

  void readTextLine(std::vector<Line>& lines) {
    budget_.addLine();
    Line& line = lines.emplace_back();
    line.id = in_.attribute("id").value_or("");
    line.custom = in_.attribute("custom").value_or("");
    std::vector<Equiv> equivs;
    const int d = in_.depth();
    while (in_.nextChild(d)) {
      const std::string name(in_.name());
      if (name == "Coords")
        line.box = readCoords();
      else if (name == "Word")
        readWord(line);
      else if (name == "TextEquiv")
        equivs.push_back(readEquiv());
      else
        in_.skipElement();
    }
    if (const Equiv* main = mainOf(equivs)) {
      line.text = splitCharacters(main->text);
      line.hasText = true;
      line.cc = main->cc;
      if (line.words.empty()) {
        line.chars = line.text.size();
        budget_.addCharacters(static_cast<long>(line.chars));
      }
    }
  }

  // The lines of a region into the records, now that the writing direction is known.
  void buildLines(std::vector<Line>& pending, List<LineData>& lines, const void* group,
                  bool vertical) {
    for (Line& p : pending) {
      LineData& line = lines.emplace_back();
      setBox(line, p.box);
      if (p.words.empty()) {
        appendWord(line, spreadCharacters(p.text, p.box, vertical, p.cc), Blank::None, vertical);
      } else {
        // Blanks between words as the line's own text has them; from where it stops following
        // the words, as the script suggests.
        size_t at = 0;
        bool aligned = p.hasText;
        bool first = true;
        for (Word& w : p.words) {
          std::vector<PendingChar> chars =
              w.hasGlyphs ? std::move(w.glyphs) : spreadCharacters(w.text, w.box, vertical, w.cc);
          Blank blank = Blank::UnlessCjk;
          if (aligned) {
            blank = Blank::None;
            while (at < p.text.size() && isSpace(p.text[at])) {
              blank = Blank::Always;
              ++at;
            }
            for (const PendingChar& c : chars) {
              if (at < p.text.size() && p.text[at] == c.text) {
                ++at;
              } else {
                aligned = false;
                break;
              }
            }
          }
          appendWord(line, chars, first ? Blank::None : blank, vertical);
          first = first && chars.empty();
        }
      }
      if (const std::string kind = customValue(p.custom, "structure", "type"); !kind.empty())
        for (int16_t a = AttrRuby; a <= AttrFootnote; ++a)
          if (toUtf8(lineAttrWord(a)) == kind) line.attr = a;
      if (!p.id.empty()) lineIds_[p.id] = LineRef{&line, group};
    }
  }

  // 1 vertical, 0 horizontal, −1 when neither the file nor the lines tell.
  static int verticalOf(int direction, const std::vector<Line>& lines) {
    if (direction >= 0) return direction == Vertical ? 1 : 0;
    std::vector<LineExtent> extents;
    for (const Line& l : lines) extents.push_back(LineExtent{l.box, l.chars});
    return verticalVote(extents);
  }

  // The role of a region: the word in its custom structure type (this program's section words,
  // or a producer's own), else its type.
  int32_t roleOf(const std::optional<std::string>& type, const std::string& custom,
                 const Box& box) {
    std::string word = customValue(custom, "structure", "type");
    if (word.empty()) word = type.value_or("paragraph");
    return roleOfWord(paper_, word, box, page_->height);
  }

  // Any region at the cursor. A TextRegion inside a TableRegion is a cell of that table.
  void readRegion(const std::string& name, BlockData* table) {
    if (name == "TextRegion") {
      readTextRegion(table);
      return;
    }
    const std::string id = in_.attribute("id").value_or("");
    if (table != nullptr) {  // a picture or a rule inside a table: nothing a cell holds
      in_.skipElement();
      return;
    }
    int32_t type = -1;
    if (name == "TableRegion")
      type = BlockTable;
    else if (name == "SeparatorRegion")
      type = BlockLine;
    else if (name == "ImageRegion" || name == "GraphicRegion" || name == "LineDrawingRegion" ||
             name == "ChartRegion" || name == "MapRegion" || name == "MathsRegion" ||
             name == "ChemRegion" || name == "MusicRegion" || name == "AdvertRegion")
      type = BlockImage;
    if (type < 0) {  // noise, unknown and custom regions, and what is not a region at all
      in_.skipElement();
      return;
    }
    BlockData& block = newBlock(id);
    block.type = type;
    const int d = in_.depth();
    while (in_.nextChild(d)) {
      const std::string child(in_.name());
      if (child == "Coords")
        setBox(block, readCoords());
      else if (type == BlockTable && child == "TextRegion")
        readTextRegion(&block);
      else if (type == BlockTable)
        readRegion(child, &block);
      else
        in_.skipElement();
    }
    if (type == BlockTable) {
      block.direction = verticalCells_ > horizontalCells_ ? Vertical : Horizontal;
      if (!gridGiven_) assignGrid(block);
      verticalCells_ = horizontalCells_ = 0;
      gridGiven_ = false;
    }
    finishBlock(block);
  }

  BlockData& newBlock(const std::string& id) {
    BlockData& block = page_->blocks.emplace_back();
    block.langId = kLangJapanese;
    block.bid = -1;
    if (!id.empty()) regionIds_[id] = &block;
    return block;
  }

  void readTextRegion(BlockData* table) {
    const std::string id = in_.attribute("id").value_or("");
    const std::optional<std::string> type = in_.attribute("type");
    const std::string custom = in_.attribute("custom").value_or("");
    int direction = directionOf(in_.attribute("readingDirection"), in_.attribute("textLineOrder"));
    if (direction < 0) {
      // The form Tesseract 5.4 writes: the direction in the custom attribute.
      const std::string reading = customValue(custom, "readingDirection", "");
      if (!reading.empty()) direction = directionOf(reading, std::nullopt);
    }
    if (direction < 0) direction = pageDirection_;

    BlockData* block = nullptr;
    CellData* cell = nullptr;
    if (table != nullptr) {
      cell = &table->cells.emplace_back();
      if (auto g = customValue(custom, "tableCell", "connectGroup"); !g.empty())
        cell->connectGroup = static_cast<int32_t>(std::clamp(parseNumber(g).value_or(0), 0.0, 1e6));
    } else {
      block = &newBlock(id);
    }
    Box box;
    std::vector<Line> lines;
    const int d = in_.depth();
    while (in_.nextChild(d)) {
      const std::string name(in_.name());
      if (name == "Coords") {
        box = readCoords();
      } else if (name == "TextLine") {
        readTextLine(lines);
      } else if (name == "Roles" && cell != nullptr) {
        readRoles(*cell);
      } else if (name.ends_with("Region") && table == nullptr) {
        readRegion(name, nullptr);  // a region nested in a text region stands after it
      } else {
        in_.skipElement();
      }
    }
    const int vote = verticalOf(direction, lines);
    const bool vertical = vote == 1;
    if (cell != nullptr) {
      cell->x = box.x;
      cell->y = box.y;
      cell->width = box.width;
      cell->height = box.height;
      buildLines(lines, cell->lines, cell, vertical);
      (vertical ? verticalCells_ : horizontalCells_) += 1;
      return;
    }
    block->type = BlockText;
    block->direction = vertical ? Vertical : Horizontal;
    setBox(*block, box);
    block->sec = roleOf(type, custom, box);
    buildLines(lines, block->lines, block, vertical);
    finishBlock(*block);
    if (vote < 0) undecided_.push_back(block);
  }

  void readRoles(CellData& cell) {
    const int d = in_.depth();
    while (in_.nextChild(d)) {
      if (in_.name() == "TableCellRole") {
        gridGiven_ = true;
        cell.row = static_cast<int32_t>(std::clamp(number("rowIndex").value_or(0), 0.0, 1e6)) + 1;
        cell.col =
            static_cast<int32_t>(std::clamp(number("columnIndex").value_or(0), 0.0, 1e6)) + 1;
        const double rows = number("rowSpan").value_or(1), cols = number("colSpan").value_or(1);
        if ((rows > 1 || cols > 1) && cell.connectGroup == 0) cell.connectGroup = ++spanGroups_;
      }
      in_.skipElement();
    }
  }

  // ReadingOrder: the region references in the order their groups give.
  void readOrderGroup(int depth) {
    struct Ref {
      long index;
      std::vector<std::string> ids;
    };
    std::vector<Ref> refs;
    while (in_.nextChild(depth)) {
      const std::string name(in_.name());
      const long index = static_cast<long>(std::clamp(number("index").value_or(0), -1e9, 1e9));
      if (name == "RegionRefIndexed" || name == "RegionRef") {
        refs.push_back(Ref{index, {in_.attribute("regionRef").value_or("")}});
        in_.skipElement();
      } else if (name.find("Group") != std::string::npos) {
        const size_t before = order_.size();
        readOrderGroup(in_.depth());
        Ref group{index, {order_.begin() + static_cast<long>(before), order_.end()}};
        order_.resize(before);
        refs.push_back(std::move(group));
      } else {
        in_.skipElement();
      }
    }
    std::stable_sort(refs.begin(), refs.end(),
                     [](const Ref& a, const Ref& b) { return a.index < b.index; });
    for (Ref& r : refs)
      for (std::string& id : r.ids) order_.push_back(std::move(id));
  }

  void readRelations() {
    const int d = in_.depth();
    while (in_.nextChild(d)) {
      if (in_.name() != "Relation") {
        in_.skipElement();
        continue;
      }
      Relation r;
      r.custom = in_.attribute("custom").value_or("");
      const int rd = in_.depth();
      while (in_.nextChild(rd)) {
        if (in_.name() == "SourceRegionRef") r.source = in_.attribute("regionRef").value_or("");
        if (in_.name() == "TargetRegionRef") r.target = in_.attribute("regionRef").value_or("");
        in_.skipElement();
      }
      relations_.push_back(std::move(r));
    }
  }

  // Side lines linked to their base line of the same block or cell.
  void applyRelations() {
    for (const Relation& r : relations_) {
      auto s = lineIds_.find(r.source), t = lineIds_.find(r.target);
      if (s == lineIds_.end() || t == lineIds_.end()) continue;
      LineData& side = *s->second.line;
      LineData& base = *t->second.line;
      if (s->second.group != t->second.group || &side == &base || base.attr != AttrNone) continue;
      if (side.attr == AttrNone)
        for (int16_t a = AttrRuby; a <= AttrFootnote; ++a)
          if (customHasKey(r.custom, toUtf8(lineAttrWord(a)))) side.attr = a;
      if (side.attr == AttrNone) continue;
      side.baseLine = &base;
      const std::string key = toUtf8(lineAttrWord(side.attr));
      side.rcs = static_cast<int32_t>(
          std::clamp(parseNumber(customValue(r.custom, key, "start")).value_or(0), 0.0, 1e6));
      side.rce = static_cast<int32_t>(
          std::clamp(parseNumber(customValue(r.custom, key, "end")).value_or(0), 0.0, 1e6));
    }
  }

  // Blocks named in the reading order first, in its order; the others after them as they stood.
  void applyReadingOrder() {
    if (order_.empty()) return;
    std::unordered_map<const BlockData*, List<BlockData>::iterator> where;
    for (auto b = page_->blocks.begin(); b != page_->blocks.end(); ++b) where[&*b] = b;
    List<BlockData> ordered;
    for (const std::string& id : order_) {
      auto it = regionIds_.find(id);
      if (it == regionIds_.end() || it->second == nullptr) continue;
      ordered.splice(ordered.end(), page_->blocks, where.at(it->second));
      it->second = nullptr;  // a region named twice keeps its first place
    }
    page_->blocks.splice(page_->blocks.begin(), ordered);
  }

  struct Relation {
    std::string source, target, custom;
  };

  XmlInput& in_;
  PaperData& paper_;
  const ImportInput& input_;
  Budget& budget_;
  PageData* page_ = nullptr;
  int pageDirection_ = -1;
  bool gridGiven_ = false;  // of the table being read
  int verticalCells_ = 0, horizontalCells_ = 0;
  int32_t spanGroups_ = 0;
  std::vector<BlockData*> undecided_;
  std::vector<std::string> order_;
  std::vector<Relation> relations_;
  std::unordered_map<std::string, BlockData*> regionIds_;
  std::unordered_map<std::string, LineRef> lineIds_;
};

}  // namespace

ReadOutcome readPageXml(ImportInput& input) {
  return runXmlImport(input, [&](PaperData& paper, XmlInput& in, Budget& budget) {
    if (in.next() != XmlInput::Start || in.name() != "PcGts")
      in.fail(ErrorTag, "PAGE XMLの文書ではありません。");
    const int d = in.depth();
    bool page = false;
    while (in.nextChild(d)) {
      if (in.name() == "Page" && !page) {
        page = true;
        PageReader(in, paper, input, budget).readPage();
        budget.endPage(1);
      } else {
        in.skipElement();
      }
    }
    if (!page) in.fail(ErrorTag, "タグが間違っています。");
  });
}

}  // namespace vellary::formats::detail
