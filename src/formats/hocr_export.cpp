// hOCR 1.2 out: one XHTML file, an ocr_page per page, an area and a paragraph per block, words
// between blanks, and each character an ocrx_cinfo with its box (x_bboxes) and confidence
// (x_confs); the other candidates as alternatives (ins and del). Vertical areas and lines carry
// CSS writing-mode. What hOCR has no property for goes into engine-specific ones: x_role (the
// block's role word), x_cell (a table cell's row, column and group) and x_sideline (a side
// line's kind, base line and range).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "formats/export_support.h"
#include "formats/writers.h"
#include "model/paper.h"
#include "model/text.h"

namespace vellary::formats {

namespace {

using namespace model;
using detail::CharBoxes;
using detail::XmlText;

std::string bbox(const CharBoxes& b) {
  return "bbox " + std::to_string(b.x) + " " + std::to_string(b.y) + " " +
         std::to_string(b.x + b.width) + " " + std::to_string(b.y + b.height);
}

// A word for a title property: no blanks, quotes or semicolons, which end or split properties.
std::string titleWord(std::string s) {
  for (char& c : s)
    if (c == ' ' || c == ';' || c == '"' || c == '\'' || c == '\t' || c == '\n' || c == '\r')
      c = '_';
  return s;
}

std::string percent(double unit) { return std::to_string(std::lround(unit * 100)); }

// The area class of a role: the floats of the page for its running head and foot, its page
// number and captions; an ordinary content area otherwise.
const char* areaClass(const PaperData& paper, int32_t sec) {
  switch (sec) {
    case SecHeader:
      return "ocr_header";
    case SecFooter:
      return "ocr_footer";
    case SecUpperPageNum:
    case SecLowerPageNum:
      return "ocr_pageno";
    default:
      return sectionWord(paper, sec) == u"caption" ? "ocr_caption" : "ocr_carea";
  }
}

class HocrWriter {
 public:
  HocrWriter(const PaperData& paper, const WriteRequest& request, const std::string& outputPath)
      : paper_(paper),
        pages_(detail::requestedPages(paper, request)),
        outputPath_(outputPath),
        x_(out_) {}

  std::string run() {
    out_ =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\"\n"
        "    \"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">";
    x_.open("html")
        .attr("xmlns", "http://www.w3.org/1999/xhtml")
        .attr("xml:lang", "ja")
        .attr("lang", "ja")
        .endStart();
    x_.open("head").endStart();
    x_.open("title").endStart().close("title", false);
    x_.open("meta")
        .attr("http-equiv", "Content-Type")
        .attr("content", "text/html;charset=utf-8")
        .endEmpty();
    x_.open("meta")
        .attr("name", "ocr-system")
        .attr("content", std::string(detail::kProducer) + " " + detail::kProducerVersion)
        .endEmpty();
    x_.open("meta")
        .attr("name", "ocr-capabilities")
        .attr("content",
              "ocr_page ocr_carea ocr_par ocr_line ocrx_line ocrx_word ocrx_cinfo "
              "ocr_header ocr_footer ocr_pageno ocr_caption ocr_table ocr_image "
              "ocr_separator ocrp_lang ocrp_wconf")
        .endEmpty();
    x_.open("meta")
        .attr("name", "ocr-number-of-pages")
        .attr("content", static_cast<long>(pages_.size()))
        .endEmpty();
    x_.open("meta").attr("name", "ocr-langs").attr("content", "ja").endEmpty();
    x_.close("head");
    x_.open("body").endStart();
    for (const PageData* page : pages_) writePage(*page);
    x_.close("body");
    x_.close("html");
    out_ += '\n';
    return std::move(out_);
  }

 private:
  void writePage(const PageData& page) {
    p_ = page.number;
    block_ = line_ = word_ = 0;
    // The image in quotes, which hold blanks and semicolons but no quote of their own.
    std::string image = detail::imageReference(page, outputPath_);
    std::replace(image.begin(), image.end(), '"', '_');
    std::string title = "image \"" + image + "\"; " +
                        bbox(detail::boxOf(0, 0, page.width, page.height)) + "; ppageno " +
                        std::to_string(page.number - 1);
    if (page.dpi > 0)
      title += "; scan_res " + std::to_string(page.dpi) + " " + std::to_string(page.dpi);
    x_.open("div")
        .attr("class", "ocr_page")
        .attr("id", "page_" + std::to_string(p_))
        .attr("title", title)
        .endStart();
    for (const BlockData& block : page.blocks) writeBlock(block);
    x_.close("div");
  }

  std::string nextId(const char* kind, int& counter) {
    return std::string(kind) + "_" + std::to_string(p_) + "_" + std::to_string(++counter);
  }

  void writeBlock(const BlockData& block) {
    const CharBoxes box = detail::boxOf(block.x, block.y, block.width, block.height);
    if (block.type == BlockImage || block.type == BlockLine) {
      x_.open("div")
          .attr("class", block.type == BlockImage ? "ocr_image" : "ocr_separator")
          .attr("id", nextId("block", block_))
          .attr("title", bbox(box))
          .endStart()
          .close("div", false);
      return;
    }
    const bool vertical = block.direction == Vertical;
    if (block.type == BlockTable) {
      x_.open("div")
          .attr("class", "ocr_table")
          .attr("id", nextId("block", block_))
          .attr("title", bbox(box))
          .endStart();
      for (const CellData& cell : block.cells) {
        const std::string title = bbox(detail::boxOf(cell.x, cell.y, cell.width, cell.height)) +
                                  "; x_cell " + std::to_string(cell.row) + " " +
                                  std::to_string(cell.col) + " " +
                                  std::to_string(cell.connectGroup);
        writeArea("ocr_carea", title, cell.lines, vertical);
      }
      x_.close("div");
      return;
    }
    std::string title = bbox(box);
    if (block.sec != SecText)
      title += "; x_role " + titleWord(toUtf8(sectionWord(paper_, block.sec)));
    writeArea(areaClass(paper_, block.sec), title, block.lines, vertical);
  }

  void writeArea(const char* cls, const std::string& title, const List<LineData>& lines,
                 bool vertical) {
    x_.open("div").attr("class", cls).attr("id", nextId("block", block_)).attr("title", title);
    if (vertical) x_.attr("style", "writing-mode: vertical-rl");
    x_.endStart();
    x_.open("p")
        .attr("class", "ocr_par")
        .attr("id", nextId("par", par_))
        .attr("lang", "ja")
        .attr("title", title.substr(0, title.find(';')));
    x_.endStart();
    std::map<const LineData*, std::string> ids;
    for (const LineData& line : lines)
      ids[&line] = "line_" + std::to_string(p_) + "_" + std::to_string(++line_);
    for (const LineData& line : lines) writeLine(line, ids, vertical);
    x_.close("p");
    x_.close("div");
  }

  void writeLine(const LineData& line, const std::map<const LineData*, std::string>& ids,
                 bool vertical) {
    std::string title = bbox(detail::boxOf(line.x, line.y, line.width, line.height));
    if (line.attr != AttrNone) {
      title += "; x_sideline " + toUtf8(lineAttrWord(line.attr));
      auto base = line.baseLine ? ids.find(line.baseLine) : ids.end();
      if (base != ids.end())
        title +=
            " " + base->second + " " + std::to_string(line.rcs) + " " + std::to_string(line.rce);
    }
    x_.open("span")
        .attr("class", line.attr != AttrNone ? "ocrx_line" : "ocr_line")
        .attr("id", ids.at(&line))
        .attr("title", title);
    if (vertical) x_.attr("style", "writing-mode: vertical-rl");
    x_.endStart();
    const std::vector<const CharData*> chars = detail::charsOf(line);
    const std::vector<CharBoxes> boxes = detail::charBoxes(line, vertical);
    for (const auto& [first, last] : detail::wordsOf(chars)) {
      double wconf = 1.0;
      for (size_t i = first; i < last; ++i)
        wconf = std::min(wconf, detail::unitConfidence(*chars[i]));
      x_.open("span")
          .attr("class", "ocrx_word")
          .attr("id", nextId("word", word_))
          .attr("title", bbox(detail::unionOf(boxes, first, last)) + "; x_wconf " + percent(wconf))
          .endStart();
      for (size_t i = first; i < last; ++i) writeChar(*chars[i], boxes[i]);
      x_.close("span");
    }
    x_.close("span");
  }

  void writeChar(const CharData& c, const CharBoxes& b) {
    const double conf = detail::unitConfidence(c);
    x_.open("span")
        .attr("class", "ocrx_cinfo")
        .attr("title", "x_bboxes " + bbox(b).substr(5) + "; x_confs " + percent(conf))
        .endStart();
    const auto others = detail::otherCandidates(c);
    if (others.empty()) {
      x_.text(detail::charUtf8(c.text)).close("span", false);
      return;
    }
    // The character's own candidate entry gives its rank's confidence, as the others have.
    double own = conf;
    for (int i = 0; i < c.numCand() && !c.changed; ++i)
      if (c.candText(i) == c.text) {
        own = std::min<double>(c.candCC(i), 10) / 10;
        break;
      }
    auto alt = [&](const char* element, const CharText& text, double p) {
      x_.open(element)
          .attr("class", "alt")
          .attr("title", "nlp " + nlp(p) + "; x_confs " + percent(p))
          .endStart()
          .text(detail::charUtf8(text))
          .close(element, false);
    };
    x_.open("span").attr("class", "alternatives").endStart();
    alt("ins", c.text, own);
    for (const auto& [text, cc] : others) alt("del", text, std::min<double>(cc, 10) / 10);
    x_.close("span");
    x_.close("span");
  }

  // The negative natural logarithm of a probability, as nlp wants it (a certain character 0).
  static std::string nlp(double p) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f", p > 0 ? -std::log(p) : 99.0);
    return buf;
  }

  const PaperData& paper_;
  std::vector<const PageData*> pages_;
  const std::string& outputPath_;
  std::string out_;
  XmlText x_;
  int p_ = 0, block_ = 0, par_ = 0, line_ = 0, word_ = 0;
};

}  // namespace

std::string hocrBytes(const PaperData& paper, const WriteRequest& request,
                      const std::string& outputPath) {
  return HocrWriter(paper, request, outputPath).run();
}

bool writeHocr(const PaperData& paper, const std::string& path, const WriteRequest& request,
               std::string& error) {
  return detail::writeWholeFile(paper, path, request, hocrBytes, error);
}

}  // namespace vellary::formats
