// ALTO 4.4 out: one file, a Page per page. Strings are the runs of characters between blanks
// (split further where the user's corrections start or end, so that CS marks only corrected
// strings); each character is a Glyph with its other candidates as Variants. Vertical blocks and
// lines say BASEDIRECTION="ttb". Block roles and side lines are tags: a side line is a TextLine
// of its own whose role tag is "Interlinear".
#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "formats/export_support.h"
#include "formats/writers.h"
#include "model/paper.h"
#include "model/text.h"

namespace vellary::formats {

namespace {

using namespace model;
using detail::CharBoxes;
using detail::XmlText;

constexpr char kNamespace[] = "http://www.loc.gov/standards/alto/ns-v4#";

class AltoWriter {
 public:
  AltoWriter(const PaperData& paper, const WriteRequest& request, const std::string& outputPath)
      : paper_(paper),
        pages_(detail::requestedPages(paper, request)),
        outputPath_(outputPath),
        x_(out_) {}

  std::string run() {
    collectTags();
    out_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    x_.open("alto")
        .attr("xmlns", kNamespace)
        .attr("xmlns:xlink", "http://www.w3.org/1999/xlink")
        .attr("xmlns:xsi", "http://www.w3.org/2001/XMLSchema-instance")
        .attr("xsi:schemaLocation",
              std::string(kNamespace) + " http://www.loc.gov/alto/v4/alto-4-4.xsd")
        .attr("SCHEMAVERSION", "4.4")
        .endStart();
    x_.open("Description").endStart();
    x_.open("MeasurementUnit").endStart().text("pixel").close("MeasurementUnit", false);
    // ALTO names one source image: the first page's. With more pages, each page's image is a
    // file identifier whose location is the page's ID.
    if (!pages_.empty()) {
      x_.open("sourceImageInformation").endStart();
      x_.open("fileName")
          .endStart()
          .text(detail::imageReference(*pages_.front(), outputPath_))
          .close("fileName", false);
      if (pages_.size() > 1)
        for (const PageData* page : pages_)
          x_.open("fileIdentifier")
              .attr("fileIdentifierLocation", pageId(*page))
              .endStart()
              .text(detail::imageReference(*page, outputPath_))
              .close("fileIdentifier", false);
      x_.close("sourceImageInformation");
    }
    x_.open("OCRProcessing").attr("ID", "OCR_0").endStart();
    x_.open("ocrProcessingStep").endStart();
    x_.open("processingDateTime")
        .endStart()
        .text(detail::timestamp())
        .close("processingDateTime", false);
    x_.open("processingSoftware").endStart();
    x_.open("softwareName").endStart().text(detail::kProducer).close("softwareName", false);
    x_.open("softwareVersion")
        .endStart()
        .text(detail::kProducerVersion)
        .close("softwareVersion", false);
    x_.close("processingSoftware");
    x_.close("ocrProcessingStep");
    x_.close("OCRProcessing");
    x_.close("Description");
    writeTags();
    x_.open("Layout").endStart();
    for (const PageData* page : pages_) writePage(*page);
    x_.close("Layout");
    x_.close("alto");
    out_ += '\n';
    return std::move(out_);
  }

 private:
  void collectTags() {
    for (const PageData* page : pages_)
      for (const BlockData& block : page->blocks) {
        if (block.type == BlockText && block.sec != SecText && !roleTags_.count(block.sec))
          roleTags_.emplace(block.sec, "ROLE_" + std::to_string(roleTags_.size() + 1));
        auto lines = [&](const List<LineData>& ls) {
          for (const LineData& l : ls)
            if (l.attr != AttrNone) sideTags_.insert(l.attr);
        };
        lines(block.lines);
        for (const CellData& c : block.cells) lines(c.lines);
      }
  }

  void writeTags() {
    if (roleTags_.empty() && sideTags_.empty()) return;
    x_.open("Tags").endStart();
    for (const auto& [sec, id] : roleTags_)
      x_.open("RoleTag")
          .attr("ID", id)
          .attr("TYPE", "block")
          .attr("LABEL", toUtf8(sectionWord(paper_, sec)))
          .endEmpty();
    for (int16_t attr : sideTags_)
      x_.open("RoleTag")
          .attr("ID", "SIDE_" + toUtf8(lineAttrWord(attr)))
          .attr("TYPE", "Interlinear")
          .attr("LABEL", toUtf8(lineAttrWord(attr)))
          .endEmpty();
    x_.close("Tags");
  }

  void box(const CharBoxes& b) {
    x_.attr("HPOS", static_cast<long>(b.x))
        .attr("VPOS", static_cast<long>(b.y))
        .attr("WIDTH", static_cast<long>(b.width))
        .attr("HEIGHT", static_cast<long>(b.height));
  }

  static std::string pageId(const PageData& page) { return "P" + std::to_string(page.number); }

  void writePage(const PageData& page) {
    const std::string id = pageId(page);
    x_.open("Page")
        .attr("ID", id)
        .attr("PHYSICAL_IMG_NR", static_cast<long>(page.number))
        .attr("WIDTH", static_cast<long>(std::max(0, page.width)))
        .attr("HEIGHT", static_cast<long>(std::max(0, page.height)))
        .endStart();
    x_.open("PrintSpace");
    box(detail::boxOf(0, 0, page.width, page.height));
    x_.endStart();
    int b = 0;
    for (const BlockData& block : page.blocks) {
      const std::string blockId = id + "_B" + std::to_string(++b);
      const CharBoxes bb = detail::boxOf(block.x, block.y, block.width, block.height);
      if (block.type == BlockImage || block.type == BlockLine) {
        const char* element = block.type == BlockImage ? "Illustration" : "GraphicalElement";
        x_.open(element).attr("ID", blockId);
        box(bb);
        x_.endEmpty();
      } else if (block.type == BlockTable) {
        x_.open("ComposedBlock").attr("ID", blockId);
        box(bb);
        x_.attr("TYPE", "table").endStart();
        int c = 0;
        for (const CellData& cell : block.cells)
          writeTextBlock(blockId + "_C" + std::to_string(++c),
                         detail::boxOf(cell.x, cell.y, cell.width, cell.height), cell.lines,
                         block.direction, nullptr);
        x_.close("ComposedBlock");
      } else {
        auto tag = roleTags_.find(block.sec);
        writeTextBlock(blockId, bb, block.lines, block.direction,
                       tag == roleTags_.end() ? nullptr : &tag->second);
      }
    }
    x_.close("PrintSpace");
    x_.close("Page");
  }

  void writeTextBlock(const std::string& id, const CharBoxes& bb, const List<LineData>& lines,
                      int8_t direction, const std::string* tag) {
    const bool vertical = direction == Vertical;
    x_.open("TextBlock").attr("ID", id);
    box(bb);
    if (tag) x_.attr("TAGREFS", *tag);
    x_.attr("BASEDIRECTION", vertical ? "ttb" : "ltr");
    if (lines.empty()) {
      x_.endEmpty();
      return;
    }
    x_.endStart();
    int l = 0;
    for (const LineData& line : lines) writeLine(line, id + "_L" + std::to_string(++l), vertical);
    x_.close("TextBlock");
  }

  // A run of the line's characters written as one String.
  struct Run {
    size_t first, last;
    bool blank;  // a run of one blank that cannot be an SP
  };

  void writeLine(const LineData& line, const std::string& id, bool vertical) {
    x_.open("TextLine").attr("ID", id);
    box(detail::boxOf(line.x, line.y, line.width, line.height));
    if (line.attr != AttrNone) x_.attr("TAGREFS", "SIDE_" + toUtf8(lineAttrWord(line.attr)));
    x_.attr("BASEDIRECTION", vertical ? "ttb" : "ltr").endStart();
    const std::vector<const CharData*> chars = detail::charsOf(line);
    const std::vector<CharBoxes> boxes = detail::charBoxes(line, vertical);
    // Strings between blanks, cut where corrected and uncorrected characters meet. One blank
    // between two strings is an SP; a blank elsewhere (at either end, or a second one) is a
    // String of its own, the only way the schema lets it stand.
    std::vector<Run> runs;
    const CharText blank = makeCharText(u' ');
    for (size_t i = 0; i < chars.size();) {
      if (chars[i]->text == blank) {
        runs.push_back(Run{i, i + 1, true});
        ++i;
        continue;
      }
      size_t j = i + 1;
      while (j < chars.size() && chars[j]->text != blank &&
             (chars[j]->changed != 0) == (chars[i]->changed != 0))
        ++j;
      runs.push_back(Run{i, j, false});
      i = j;
    }
    if (runs.empty()) {
      x_.open("String").attr("CONTENT", "");
      box(detail::boxOf(line.x, line.y, 0, 0));
      x_.endEmpty();
    }
    int s = 0;
    for (size_t r = 0; r < runs.size(); ++r) {
      const Run& run = runs[r];
      const bool sp =
          run.blank && r > 0 && !runs[r - 1].blank && r + 1 < runs.size() && !runs[r + 1].blank;
      if (sp) {
        x_.open("SP");
        const CharBoxes& b = boxes[run.first];
        box(b);
        x_.endEmpty();
        continue;
      }
      writeString(chars, boxes, run, id + "_S" + std::to_string(++s));
    }
    x_.close("TextLine");
  }

  void writeString(const std::vector<const CharData*>& chars, const std::vector<CharBoxes>& boxes,
                   const Run& run, const std::string& id) {
    std::string content, cc;
    double wc = 1.0;
    for (size_t i = run.first; i < run.last; ++i) {
      const CharData& c = *chars[i];
      content += detail::charUtf8(c.text);
      const double conf = detail::unitConfidence(c);
      wc = std::min(wc, conf);
      // CC runs the other way: 0 sure … 9 unsure.
      cc += (cc.empty() ? "" : " ") +
            std::to_string(std::clamp(10 - static_cast<int>(std::lround(conf * 10)), 0, 9));
    }
    x_.open("String").attr("ID", id);
    box(detail::unionOf(boxes, run.first, run.last));
    x_.attr("CONTENT", content).attrUnit("WC", wc).attr("CC", cc);
    if (chars[run.first]->changed) x_.attr("CS", "true");
    x_.endStart();
    for (size_t i = run.first; i < run.last; ++i) {
      const CharData& c = *chars[i];
      x_.open("Glyph").attr("CONTENT", detail::charUtf8(c.text));
      box(boxes[i]);
      x_.attrUnit("GC", detail::unitConfidence(c));
      const auto others = detail::otherCandidates(c);
      if (others.empty()) {
        x_.endEmpty();
        continue;
      }
      x_.endStart();
      for (const auto& [text, conf] : others)
        x_.open("Variant")
            .attr("CONTENT", detail::charUtf8(text))
            .attrUnit("VC", std::min<double>(conf, 10) / 10)
            .endEmpty();
      x_.close("Glyph");
    }
    x_.close("String");
  }

  const PaperData& paper_;
  std::vector<const PageData*> pages_;
  const std::string& outputPath_;
  std::string out_;
  XmlText x_;
  std::map<int32_t, std::string> roleTags_;
  std::set<int16_t> sideTags_;
};

}  // namespace

std::string altoBytes(const PaperData& paper, const WriteRequest& request,
                      const std::string& outputPath) {
  return AltoWriter(paper, request, outputPath).run();
}

bool writeAlto(const PaperData& paper, const std::string& path, const WriteRequest& request,
               std::string& error) {
  return detail::writeWholeFile(paper, path, request, altoBytes, error);
}

}  // namespace vellary::formats
