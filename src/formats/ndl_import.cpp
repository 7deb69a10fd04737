// NDLOCR XML: OCRDATASET > PAGE > TEXTBLOCK > LINE, with BLOCKs for ruby, running heads (柱),
// page numbers (ノンブル), figures (図版) and tables (表組). It knows lines only: their characters
// are spread along the line, and the direction comes from the line's shape, never from the
// engine's isVertical, which its JSON sets for every line.
#include <algorithm>
#include <cmath>
#include <limits>

#include "formats/import_support.h"
#include "formats/importers.h"
#include "formats/xml_input.h"
#include "model/paper.h"
#include "model/text.h"

namespace vellary::formats::detail {

namespace {

using namespace model;

struct Line {
  Box box;
  std::vector<CharText> text;
  uint16_t cc = kDefaultConfidence;
  double order = std::numeric_limits<double>::infinity();
  std::string type;
};

// A block as read: its kind, its role word and its lines.
struct Block {
  Box box;
  std::string type;  // BLOCK TYPE, or empty for a TEXTBLOCK
  std::vector<Line> lines;
  bool standalone = false;  // a LINE right under PAGE
};

bool isVerticalLine(const Box& b) { return b.height > b.width; }

class NdlReader {
 public:
  NdlReader(XmlInput& in, PaperData& paper, const ImportInput& input, Budget& budget)
      : in_(in), paper_(paper), input_(input), budget_(budget) {}

  void read() {
    if (in_.next() != XmlInput::Start || in_.name() != "OCRDATASET")
      in_.fail(ErrorTag, "NDLOCRの文書ではありません。");
    const int d = in_.depth();
    while (in_.nextChild(d)) {
      if (in_.name() == "PAGE")
        readPage();
      else
        in_.skipElement();
    }
    if (paper_.pages.empty()) in_.fail(ErrorTag, "タグが間違っています。");
  }

 private:
  double number(const char* name, double missing = 0) {
    auto v = in_.attribute(name);
    if (!v) return missing;
    return parseNumber(*v).value_or(missing);
  }
  Box boxAttrs() {
    return clip(boxFromSize(number("X"), number("Y"), number("WIDTH"), number("HEIGHT")),
                page_->width, page_->height);
  }

  void readPage() {
    budget_.startPage();
    PageData& page = paper_.pages.emplace_back();
    page_ = &page;
    recordImage(page, in_.attribute("IMAGENAME").value_or(""), input_.documentPath);
    page.width = in_.attribute("WIDTH") ? coordinate(number("WIDTH")) : -1;
    page.height = in_.attribute("HEIGHT") ? coordinate(number("HEIGHT")) : -1;
    if (page.width == 0) page.width = -1;
    if (page.height == 0) page.height = -1;
    page.dpi = -1;
    std::vector<Block> blocks;
    const int d = in_.depth();
    while (in_.nextChild(d)) {
      const std::string name(in_.name());
      if (name == "TEXTBLOCK" || name == "BLOCK") {
        readBlock(blocks, name == "BLOCK" ? in_.attribute("TYPE").value_or("") : std::string());
      } else if (name == "LINE") {
        Block& b = blocks.emplace_back();
        b.standalone = true;
        b.lines.push_back(readLine(kDefaultConfidence));
        b.box = b.lines.back().box;
      } else {
        in_.skipElement();
      }
    }
    build(page, blocks);
    finishPage(page);
    budget_.endPage(static_cast<int>(paper_.pages.size()));
  }

  Line readLine(uint16_t blockCc) {
    budget_.addLine();
    Line l;
    l.box = boxAttrs();
    l.text = splitCharacters(in_.attribute("STRING").value_or(""));
    budget_.addCharacters(static_cast<long>(l.text.size()));
    // CONF is the layout engine's certainty about the line, the only confidence the format has.
    l.cc = in_.attribute("CONF") ? confidenceFromUnit(number("CONF")) : blockCc;
    if (auto o = in_.attribute("ORDER"))
      if (auto v = parseNumber(*o)) l.order = *v;
    l.type = in_.attribute("TYPE").value_or("");
    in_.skipElement();
    return l;
  }

  // A TEXTBLOCK or BLOCK with the lines inside it (nested blocks give their lines to it too).
  void readBlock(std::vector<Block>& blocks, const std::string& type) {
    const size_t index = blocks.size();
    blocks.emplace_back();
    blocks[index].type = type;
    const uint16_t cc =
        in_.attribute("CONF") ? confidenceFromUnit(number("CONF")) : kDefaultConfidence;
    if (in_.attribute("X")) blocks[index].box = boxAttrs();
    if (auto s = in_.attribute("STRING"); s && !s->empty()) {
      budget_.addLine();
      Line l;
      l.box = blocks[index].box;
      l.text = splitCharacters(*s);
      budget_.addCharacters(static_cast<long>(l.text.size()));
      l.cc = cc;
      blocks[index].lines.push_back(std::move(l));
    }
    readBlockContent(blocks, index, in_.depth(), cc);
  }
  void readBlockContent(std::vector<Block>& blocks, size_t index, int depth, uint16_t cc) {
    while (in_.nextChild(depth)) {
      const std::string name(in_.name());
      if (name == "LINE")
        blocks[index].lines.push_back(readLine(cc));
      else if (name == "BLOCK" || name == "TEXTBLOCK")
        readBlockContent(blocks, index, in_.depth(), cc);
      else
        in_.skipElement();
    }
  }

  static int32_t orderKey(const Block& b) {
    double k = std::numeric_limits<double>::infinity();
    for (const Line& l : b.lines) k = std::min(k, l.order);
    return std::isfinite(k) ? static_cast<int32_t>(std::clamp(k, -1e9, 1e9)) : INT32_MAX;
  }

  void build(PageData& page, std::vector<Block>& blocks) {
    // Reading order: lines by ORDER within a block, blocks by their first line's ORDER; a block
    // without one keeps the place after the block before it.
    std::vector<std::pair<int32_t, size_t>> keys;
    int32_t previous = INT32_MIN;
    for (size_t i = 0; i < blocks.size(); ++i) {
      std::stable_sort(blocks[i].lines.begin(), blocks[i].lines.end(),
                       [](const Line& a, const Line& b) { return a.order < b.order; });
      int32_t k = orderKey(blocks[i]);
      if (k == INT32_MAX) k = previous;
      previous = k;
      keys.emplace_back(k, i);
    }
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });

    std::vector<const Block*> rubies;
    std::vector<BlockData*> undecided;
    for (const auto& [key, i] : keys) {
      Block& b = blocks[i];
      if (b.type == "ルビ") {
        if (!b.lines.empty()) rubies.push_back(&b);  // a ruby region without text has nothing
        continue;
      }
      BlockData& block = page.blocks.emplace_back();
      block.langId = kLangJapanese;
      block.bid = -1;
      Box box = b.box;
      for (const Line& l : b.lines) box = unite(box, l.box);
      setBox(block, box);
      if (b.type == "図版" || b.type == "数式" || b.type == "化学式" ||
          (!b.type.empty() && b.lines.empty() && b.type != "表組")) {
        block.type = BlockImage;
        finishBlock(block);
        continue;
      }
      std::vector<LineExtent> extents;
      for (const Line& l : b.lines) extents.push_back(LineExtent{l.box, l.text.size()});
      const int vote = verticalVote(extents);
      const bool vertical = vote == 1;
      if (vote < 0 && b.type != "表組") undecided.push_back(&block);
      block.direction = vertical ? Vertical : Horizontal;
      List<LineData>* lines = &block.lines;
      if (b.type == "表組") {
        block.type = BlockTable;
        CellData& cell = block.cells.emplace_back();
        cell.row = cell.col = 1;
        cell.x = box.x;
        cell.y = box.y;
        cell.width = box.width;
        cell.height = box.height;
        lines = &cell.lines;
      }
      for (const Line& l : b.lines) {
        LineData& line = lines->emplace_back();
        setBox(line, l.box);
        appendWord(line, spreadCharacters(l.text, l.box, vertical, l.cc), Blank::None, vertical);
      }
      block.sec = roleOf(b, box, page.height);
      finishBlock(block);
    }
    settleUndecided(page, undecided);
    for (const Block* r : rubies) placeRuby(page, *r);
  }

  int32_t roleOf(const Block& b, const Box& box, int32_t pageHeight) {
    std::string word = b.type;
    if (word.empty() && !b.lines.empty()) word = b.lines.front().type;
    if (word.empty() || word == "本文") return SecText;
    if (word == "柱") return SecHeader;
    if (word == "ノンブル") return roleOfWord(paper_, "page-number", box, pageHeight);
    if (word.starts_with("タイトル")) return SecTitle;
    if (word == "キャプション") return sectionCode(paper_, u"caption");
    return sectionCode(paper_, fromUtf8(word));
  }

  // A ruby region's text becomes a ruby line in the block of the line it stands beside: right of
  // a vertical line, above a horizontal one, overlapping it along the line.
  void placeRuby(PageData& page, const Block& ruby) {
    for (const Line& r : ruby.lines) {
      BlockData* bestBlock = nullptr;
      List<LineData>::iterator bestLine;
      int64_t bestGap = std::numeric_limits<int64_t>::max();
      for (BlockData& block : page.blocks) {
        if (block.type != BlockText) continue;
        const bool vertical = block.direction == Vertical;
        for (auto it = block.lines.begin(); it != block.lines.end(); ++it) {
          if (it->attr != AttrNone) continue;
          const Box base = boxOf(*it);
          int64_t gap;
          if (vertical) {
            if (r.box.bottom() <= base.y || base.bottom() <= r.box.y) continue;
            gap = r.box.x - base.right();
          } else {
            if (r.box.right() <= base.x || base.right() <= r.box.x) continue;
            gap = base.y - r.box.bottom();
          }
          gap = gap < 0 ? -gap * 4 : gap;  // overlapping is allowed, standing beside preferred
          if (gap < bestGap) {
            bestGap = gap;
            bestBlock = &block;
            bestLine = it;
          }
        }
      }
      if (bestBlock == nullptr) {
        // No line beside it: a block of its own, so that the text is not lost.
        BlockData& block = page.blocks.emplace_back();
        block.langId = kLangJapanese;
        block.bid = -1;
        block.direction = isVerticalLine(r.box) ? Vertical : Horizontal;
        setBox(block, r.box);
        LineData& line = block.lines.emplace_back();
        setBox(line, r.box);
        appendWord(line, spreadCharacters(r.text, r.box, block.direction == Vertical, r.cc),
                   Blank::None, block.direction == Vertical);
        finishBlock(block);
        continue;
      }
      const bool vertical = bestBlock->direction == Vertical;
      LineData& side = *bestBlock->lines.emplace(bestLine);
      setBox(side, r.box);
      side.attr = AttrRuby;
      appendWord(side, spreadCharacters(r.text, r.box, vertical, r.cc), Blank::None, vertical);
      side.baseLine = &*bestLine;
      int32_t i = 0;
      for (const CharData& c : bestLine->chars) {
        ++i;
        const bool beside = vertical ? (c.y < r.box.bottom() && r.box.y < int64_t{c.y} + c.height)
                                     : (c.x < r.box.right() && r.box.x < int64_t{c.x} + c.width);
        if (!beside) continue;
        if (side.rcs == 0) side.rcs = i;
        side.rce = i;
      }
      finishBlock(*bestBlock);
    }
  }

  XmlInput& in_;
  PaperData& paper_;
  const ImportInput& input_;
  Budget& budget_;
  PageData* page_ = nullptr;
};

}  // namespace

ReadOutcome readNdl(ImportInput& input) {
  return runXmlImport(input, [&](PaperData& paper, XmlInput& in, Budget& budget) {
    NdlReader(in, paper, input, budget).read();
  });
}

}  // namespace vellary::formats::detail
