// PAGE XML 2019-07-15 out: one PcGts per page. Every character is a Glyph whose TextEquivs are
// the character (index 0) and its other candidates; regions carry their direction and role, the
// reading order lists them, tables give their cells' places. Side lines are TextLines of their
// own, labelled in custom and linked to their base line by a Relation (this program's
// convention: PAGE has nothing for ruby).
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>

#include "formats/export_support.h"
#include "formats/page_custom.h"
#include "formats/writers.h"
#include "model/atomic_file.h"
#include "model/paper.h"
#include "model/text.h"

namespace vellary::formats {

namespace {

using namespace model;
using detail::CharBoxes;
using detail::XmlText;

constexpr char kNamespace[] = "http://schema.primaresearch.org/PAGE/gts/pagecontent/2019-07-15";

std::string points(const CharBoxes& b) {
  const int32_t x1 = b.x + std::max(0, b.width - 1), y1 = b.y + std::max(0, b.height - 1);
  const std::string l = std::to_string(b.x), t = std::to_string(b.y), r = std::to_string(x1),
                    bo = std::to_string(y1);
  return l + "," + t + " " + r + "," + t + " " + r + "," + bo + " " + l + "," + bo;
}

// A region's PAGE type for a block role, and the role's own word when the type does not say it
// exactly (kept in custom so that reading the file back gives the same role).
std::pair<std::string, std::string> regionType(const PaperData& paper, int32_t sec) {
  const std::string word = toUtf8(sectionWord(paper, sec));
  switch (sec) {
    case SecText:
      return {"paragraph", ""};
    case SecTitle:
    case SecSection:
      return {"heading", word};
    case SecHeader:
    case SecLeftPillar:
    case SecRightPillar:
      return {"header", sec == SecHeader ? "" : word};
    case SecFooter:
      return {"footer", ""};
    case SecUpperPageNum:
    case SecLowerPageNum:
      return {"page-number", word};
    case SecRef:
      return {"footnote", word};
    default:
      break;
  }
  static constexpr std::string_view kTypes[] = {
      "caption",    "drop-capital",       "credit",  "floating",  "signature-mark", "catch-word",
      "marginalia", "footnote-continued", "endnote", "TOC-entry", "list-label"};
  for (std::string_view t : kTypes)
    if (t == word) return {word, ""};
  return {"other", word};
}

class PageWriter {
 public:
  PageWriter(const PageData& page, const PaperData& paper, const std::string& outputPath)
      : page_(page), paper_(paper), outputPath_(outputPath), x_(out_) {}

  std::string run() {
    out_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    x_.open("PcGts")
        .attr("xmlns", kNamespace)
        .attr("xmlns:xsi", "http://www.w3.org/2001/XMLSchema-instance")
        .attr("xsi:schemaLocation", std::string(kNamespace) + " " + kNamespace + "/pagecontent.xsd")
        .endStart();
    const std::string now = detail::timestamp();
    x_.open("Metadata").endStart();
    x_.open("Creator")
        .endStart()
        .text(std::string(detail::kProducer) + " " + detail::kProducerVersion)
        .close("Creator", false);
    x_.open("Created").endStart().text(now).close("Created", false);
    x_.open("LastChange").endStart().text(now).close("LastChange", false);
    x_.close("Metadata");

    x_.open("Page")
        .attr("imageFilename", detail::imageReference(page_, outputPath_))
        .attr("imageWidth", static_cast<long>(std::max(0, page_.width)))
        .attr("imageHeight", static_cast<long>(std::max(0, page_.height)));
    if (page_.dpi > 0)
      x_.attr("imageXResolution", static_cast<long>(page_.dpi))
          .attr("imageYResolution", static_cast<long>(page_.dpi))
          .attr("imageResolutionUnit", "PPI");
    x_.endStart();
    nameEverything();
    writeReadingOrder();
    writeRelations();
    int b = 0;
    for (const BlockData& block : page_.blocks) writeBlock(block, ++b);
    x_.close("Page");
    x_.close("PcGts");
    out_ += '\n';
    return std::move(out_);
  }

 private:
  // Ids of lines, so that relations can name them before the regions are written.
  void nameEverything() {
    int b = 0;
    for (const BlockData& block : page_.blocks) {
      ++b;
      const std::string region = "r" + std::to_string(b);
      nameLines(block.lines, region);
      int c = 0;
      for (const CellData& cell : block.cells)
        nameLines(cell.lines, region + "c" + std::to_string(++c));
    }
  }
  void nameLines(const List<LineData>& lines, const std::string& region) {
    int l = 0;
    for (const LineData& line : lines) lineIds_[&line] = region + "l" + std::to_string(++l);
    for (const LineData& line : lines)
      if (line.attr != AttrNone && line.baseLine != nullptr && lineIds_.count(line.baseLine))
        relations_.push_back(&line);
  }

  void writeReadingOrder() {
    if (page_.blocks.empty()) return;
    x_.open("ReadingOrder").endStart();
    x_.open("OrderedGroup").attr("id", "ro1").attr("caption", "Regions reading order").endStart();
    for (size_t i = 0; i < page_.blocks.size(); ++i)
      x_.open("RegionRefIndexed")
          .attr("index", static_cast<long>(i))
          .attr("regionRef", "r" + std::to_string(i + 1))
          .endEmpty();
    x_.close("OrderedGroup");
    x_.close("ReadingOrder");
  }

  void writeRelations() {
    if (relations_.empty()) return;
    x_.open("Relations").endStart();
    int n = 0;
    for (const LineData* side : relations_) {
      const std::string kind = toUtf8(lineAttrWord(side->attr));
      x_.open("Relation")
          .attr("id", "rel" + std::to_string(++n))
          .attr("type", "link")
          .attr("custom", kind + " {start:" + std::to_string(side->rcs) +
                              "; end:" + std::to_string(side->rce) + ";}")
          .endStart();
      x_.open("SourceRegionRef").attr("regionRef", lineIds_.at(side)).endEmpty();
      x_.open("TargetRegionRef").attr("regionRef", lineIds_.at(side->baseLine)).endEmpty();
      x_.close("Relation");
    }
    x_.close("Relations");
  }

  void direction(int8_t d) {
    if (d == Vertical)
      x_.attr("readingDirection", "top-to-bottom").attr("textLineOrder", "right-to-left");
    else
      x_.attr("readingDirection", "left-to-right").attr("textLineOrder", "top-to-bottom");
  }

  void coords(const CharBoxes& b) { x_.open("Coords").attr("points", points(b)).endEmpty(); }

  void writeBlock(const BlockData& block, int b) {
    const std::string id = "r" + std::to_string(b);
    const CharBoxes box = detail::boxOf(block.x, block.y, block.width, block.height);
    switch (block.type) {
      case BlockImage:
        x_.open("ImageRegion").attr("id", id).endStart();
        coords(box);
        x_.close("ImageRegion");
        return;
      case BlockLine:
        x_.open("SeparatorRegion").attr("id", id).endStart();
        coords(box);
        x_.close("SeparatorRegion");
        return;
      case BlockTable:
        writeTable(block, id, box);
        return;
      default:
        break;
    }
    const auto [type, word] = regionType(paper_, block.sec);
    x_.open("TextRegion").attr("id", id).attr("type", type);
    if (!word.empty()) x_.attr("custom", "structure {type:" + detail::customEscape(word) + ";}");
    direction(block.direction);
    x_.endStart();
    coords(box);
    writeLines(block.lines, block.direction == Vertical);
    x_.close("TextRegion");
  }

  void writeTable(const BlockData& table, const std::string& id, const CharBoxes& box) {
    x_.open("TableRegion").attr("id", id).endStart();
    coords(box);
    // The extent of each group of joined cells, for the span of its first cell.
    std::map<int32_t, std::pair<std::pair<int32_t, int32_t>, std::pair<int32_t, int32_t>>> groups;
    for (const CellData& c : table.cells) {
      if (c.connectGroup == 0) continue;
      auto [it, fresh] =
          groups.try_emplace(c.connectGroup, std::pair{c.row, c.row}, std::pair{c.col, c.col});
      if (!fresh) {
        it->second.first = {std::min(it->second.first.first, c.row),
                            std::max(it->second.first.second, c.row)};
        it->second.second = {std::min(it->second.second.first, c.col),
                             std::max(it->second.second.second, c.col)};
      }
    }
    std::map<int32_t, bool> spanned;
    int n = 0;
    for (const CellData& c : table.cells) {
      x_.open("TextRegion").attr("id", id + "c" + std::to_string(++n)).attr("type", "paragraph");
      if (c.connectGroup != 0)
        x_.attr("custom", "tableCell {connectGroup:" + std::to_string(c.connectGroup) + ";}");
      direction(table.direction);
      x_.endStart();
      coords(detail::boxOf(c.x, c.y, c.width, c.height));
      x_.open("Roles").endStart();
      x_.open("TableCellRole")
          .attr("rowIndex", static_cast<long>(std::max(0, c.row - 1)))
          .attr("columnIndex", static_cast<long>(std::max(0, c.col - 1)));
      if (c.connectGroup != 0 && !spanned[c.connectGroup]) {
        spanned[c.connectGroup] = true;
        const auto& g = groups.at(c.connectGroup);
        x_.attr("rowSpan", static_cast<long>(g.first.second - g.first.first + 1))
            .attr("colSpan", static_cast<long>(g.second.second - g.second.first + 1));
      }
      x_.endEmpty();
      x_.close("Roles");
      writeLines(c.lines, table.direction == Vertical);
      x_.close("TextRegion");
    }
    x_.close("TableRegion");
  }

  void writeLines(const List<LineData>& lines, bool vertical) {
    std::string regionText;
    for (const LineData& line : lines) {
      const std::string& id = lineIds_.at(&line);
      x_.open("TextLine").attr("id", id);
      if (line.attr != AttrNone)
        x_.attr("custom", "structure {type:" + toUtf8(lineAttrWord(line.attr)) + ";}");
      x_.endStart();
      coords(detail::boxOf(line.x, line.y, line.width, line.height));
      const std::vector<const CharData*> chars = detail::charsOf(line);
      const std::vector<CharBoxes> boxes = detail::charBoxes(line, vertical);
      int w = 0;
      for (const auto& [first, last] : detail::wordsOf(chars)) {
        const std::string wordId = id + "w" + std::to_string(++w);
        std::string text;
        for (size_t i = first; i < last; ++i) text += detail::charUtf8(chars[i]->text);
        x_.open("Word").attr("id", wordId).endStart();
        coords(detail::unionOf(boxes, first, last));
        for (size_t i = first; i < last; ++i)
          writeGlyph(*chars[i], boxes[i], wordId + "g" + std::to_string(i - first + 1));
        equiv(text);
        x_.close("Word");
      }
      const std::string text = detail::lineUtf8(line);
      equiv(text);
      x_.close("TextLine");
      if (line.attr == AttrNone) regionText += (regionText.empty() ? "" : "\n") + text;
    }
    if (!lines.empty()) equiv(regionText);
  }

  void equiv(const std::string& text) {
    x_.open("TextEquiv").endStart();
    x_.open("Unicode").endStart().text(text).close("Unicode", false);
    x_.close("TextEquiv");
  }

  void writeGlyph(const CharData& c, const CharBoxes& box, const std::string& id) {
    x_.open("Glyph").attr("id", id).endStart();
    coords(box);
    x_.open("TextEquiv").attr("index", 0L).attrUnit("conf", detail::unitConfidence(c)).endStart();
    x_.open("Unicode").endStart().text(detail::charUtf8(c.text)).close("Unicode", false);
    x_.close("TextEquiv");
    long index = 0;
    for (const auto& [text, cc] : detail::otherCandidates(c)) {
      x_.open("TextEquiv")
          .attr("index", ++index)
          .attrUnit("conf", std::min<double>(cc, 10) / 10)
          .endStart();
      x_.open("Unicode").endStart().text(detail::charUtf8(text)).close("Unicode", false);
      x_.close("TextEquiv");
    }
    x_.close("Glyph");
  }

  const PageData& page_;
  const PaperData& paper_;
  const std::string& outputPath_;
  std::string out_;
  XmlText x_;
  std::map<const LineData*, std::string> lineIds_;
  std::vector<const LineData*> relations_;
};

}  // namespace

std::string pageXmlBytes(const PageData& page, const PaperData& paper,
                         const std::string& outputPath) {
  return PageWriter(page, paper, outputPath).run();
}

bool writePageXml(const PaperData& paper, const std::string& path, const WriteRequest& request,
                  std::string& error) {
  namespace fs = std::filesystem;
  const std::vector<const PageData*> pages = detail::requestedPages(paper, request);
  if (pages.empty()) {
    error = "no pages to write";
    return false;
  }
  if (pages.size() == 1)
    return replaceFileContents(path, pageXmlBytes(*pages[0], paper, path), error);
  // One file per page, in the folder named like the file asked for.
  fs::path folder(path);
  folder.replace_extension();
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) {
    error = "cannot make " + folder.string() + ": " + ec.message();
    return false;
  }
  for (const PageData* page : pages) {
    char name[32];
    std::snprintf(name, sizeof name, "%04d.xml", page->number);
    const std::string file = (folder / name).string();
    if (!replaceFileContents(file, pageXmlBytes(*page, paper, file), error)) return false;
  }
  return true;
}

}  // namespace vellary::formats
