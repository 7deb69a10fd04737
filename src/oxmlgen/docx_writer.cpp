// The Word writer. Each page is a section of its own size; the text of a page whose characters
// are mostly vertical is written top to bottom, right to left (the section's text direction).
// Text areas are paragraphs and tables are tables in the body, one after the other in reading
// order, so that every reader sets every character and a word processor's text export finds
// them all. The space before each block and its indents keep it near its place on the scan as
// far as the flow allows (docx_flow.h); pictures and rules are drawings anchored to the page at
// their place.
//
// With the column option on, the text flows from the margins the program passed, without
// spaces or indents, and pictures stand in the flow; Word then reflows the text freely, which
// is what a user who asks for it wants to edit. Rules stay anchored.
#include <algorithm>
#include <cerrno>
#include <map>

#include "oxmlgen/docx_flow.h"
#include "oxmlgen/opc.h"
#include "oxmlgen/package.h"
#include "oxmlgen/placement.h"
#include "oxmlgen/text_codec.h"
#include "oxmlgen/writers.h"
#include "oxmlgen/xml_writer.h"

namespace oxmlgen {
namespace {

constexpr const char* kW = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr const char* kWp =
    "http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing";
constexpr const char* kA = "http://schemas.openxmlformats.org/drawingml/2006/main";
constexpr const char* kPic = "http://schemas.openxmlformats.org/drawingml/2006/picture";
constexpr const char* kWps = "http://schemas.microsoft.com/office/word/2010/wordprocessingShape";

struct Fonts {
  std::string eastAsian, latin;
};

class DocxBuilder {
 public:
  DocxBuilder(bool flowing) : flowing_(flowing) {}

  void page(const PlacedPage& page, bool last);
  std::string documentXml() { return x_.finish(); }
  const std::vector<std::pair<std::string, const Picture*>>& media() const { return media_; }
  const std::map<std::string, int>& fontsUsed() const { return fontsUsed_; }

 private:
  void runProperties(const Fonts& f, double sizePt, bool tcy = false);
  void textRun(const Fonts& f, double sizePt, const std::u32string& text, bool tcy = false);
  void paragraphContent(const Paragraph& p, const TextArea& t, const Fonts& f, double sizePt);
  void textArea(const PlacedText& t, const Fonts& f, const FlowPlacement& at);
  void table(const PlacedTable& t, const Fonts& f, const FlowPlacement& at);
  // An empty paragraph `pt` points long along the flow.
  void spacer(double pt);
  void drawingStart(const Box& box, bool inlinePicture, bool behind);
  void picture(const PlacedPicture& p);
  void rule(const PlacedRule& r);
  void sectionProperties(const PlacedPage& page);
  void tinyParagraphProperties() {
    x_.open("w:pPr").open("w:spacing");
    x_.attr("w:before", 0).attr("w:after", 0).attr("w:line", 20).attr("w:lineRule", "exact");
    x_.close().close();
  }

  bool flowing_;
  FlowPlan plan_;  // of the page being written
  XmlWriter x_;
  bool bodyOpen_ = false;
  int drawingId_ = 0;
  std::vector<std::pair<std::string, const Picture*>> media_;  // relationship id, picture
  std::map<std::string, int> fontsUsed_;                       // name → character set
};

void DocxBuilder::runProperties(const Fonts& f, double sizePt, bool tcy) {
  x_.open("w:rPr");
  x_.open("w:rFonts")
      .attr("w:ascii", f.latin)
      .attr("w:hAnsi", f.latin)
      .attr("w:eastAsia", f.eastAsian)
      .close();
  long long half = std::clamp<long long>(static_cast<long long>(sizePt * 2 + 0.5), 2, 3276);
  x_.open("w:sz").attr("w:val", half).close();
  x_.open("w:szCs").attr("w:val", half).close();
  x_.open("w:lang").attr("w:eastAsia", "ja-JP").close();
  if (tcy) {
    int id = ++drawingId_;
    x_.open("w:eastAsianLayout")
        .attr("w:id", id)
        .attr("w:vert", "1")
        .attr("w:vertCompress", "1")
        .close();
  }
  x_.close();
}

void DocxBuilder::textRun(const Fonts& f, double sizePt, const std::u32string& text, bool tcy) {
  if (text.empty()) return;
  x_.open("w:r");
  runProperties(f, sizePt, tcy);
  x_.open("w:t").attr("xml:space", "preserve").text(toUtf8(text)).close();
  x_.close();
}

// Plain characters go in runs, tate-chu-yoko groups in runs of their own that Word sets
// horizontally in the column, ruby groups as ruby.
void DocxBuilder::paragraphContent(const Paragraph& p, const TextArea& t, const Fonts& f,
                                   double sizePt) {
  std::u32string run;
  bool runTcy = false;
  for (const TextItem& item : p) {
    bool tcy = item.ruby < 0 && item.rotation == 100 && plan_.vertical;
    if (item.ruby >= 0 || tcy != runTcy) {
      textRun(f, sizePt, run, runTcy);
      run.clear();
      runTcy = tcy;
    }
    if (item.ruby < 0) {
      run += item.code;
      continue;
    }
    const RubyGroup& g = t.rubies[item.ruby];
    double rubyPt = std::max(1.0, sizePt / 2);
    x_.open("w:r").open("w:ruby").open("w:rubyPr");
    x_.open("w:rubyAlign").attr("w:val", "distributeSpace").close();
    x_.open("w:hps").attr("w:val", static_cast<long long>(rubyPt * 2)).close();
    x_.open("w:hpsRaise").attr("w:val", static_cast<long long>(sizePt * 2)).close();
    x_.open("w:hpsBaseText").attr("w:val", static_cast<long long>(sizePt * 2)).close();
    x_.open("w:lid").attr("w:val", "ja-JP").close();
    x_.close();
    x_.open("w:rt");
    textRun(f, rubyPt, g.ruby);
    x_.close();
    x_.open("w:rubyBase");
    textRun(f, sizePt, g.base);
    x_.close();
    x_.close().close();
  }
  textRun(f, sizePt, run, runTcy);
}

void DocxBuilder::textArea(const PlacedText& t, const Fonts& f, const FlowPlacement& at) {
  const TextArea& area = *t.area;
  std::vector<Paragraph> empty(1);
  const std::vector<Paragraph>& paragraphs = area.paragraphs.empty() ? empty : area.paragraphs;
  const double size = t.fontPt * plan_.scale, pitch = t.pitchPt * plan_.scale;
  bool firstParagraph = true;
  for (const Paragraph& p : paragraphs) {
    x_.open("w:p").open("w:pPr");
    x_.open("w:snapToGrid").attr("w:val", "0").close();
    x_.open("w:spacing")
        .attr("w:before", firstParagraph ? twips(at.before) : 0)
        .attr("w:after", 0)
        .attr("w:line", std::max(20LL, twips(pitch)))
        .attr("w:lineRule", "exact")
        .close();
    if (at.start > 0 || at.end > 0)
      x_.open("w:ind")
          .attr("w:left", twips(at.start))
          .attr("w:right", twips(at.end))
          .attr("w:firstLine", 0)
          .close();
    x_.close();
    paragraphContent(p, area, f, size);
    x_.close();
    firstParagraph = false;
  }
}

void DocxBuilder::spacer(double pt) {
  x_.open("w:p").open("w:pPr");
  x_.open("w:snapToGrid").attr("w:val", "0").close();
  x_.open("w:spacing")
      .attr("w:before", 0)
      .attr("w:after", 0)
      .attr("w:line", std::max(20LL, twips(pt)))
      .attr("w:lineRule", "exact")
      .close();
  x_.open("w:rPr").open("w:sz").attr("w:val", 2).close().close();
  x_.close().close();
}

const char* borderValue(int style) {
  switch (style) {
    case 0:
      return "nil";
    case 2:
      return "dotted";
    case 3:
      return "double";
    default:
      return "single";
  }
}

void DocxBuilder::table(const PlacedTable& p, const Fonts& f, const FlowPlacement& at) {
  const Table& t = *p.table;
  std::vector<Span> spans = tableSpans(t);
  if (at.before >= 1) spacer(at.before);
  x_.open("w:tbl").open("w:tblPr");
  x_.open("w:tblW").attr("w:w", twips(p.box.w)).attr("w:type", "dxa").close();
  if (at.start > 0) x_.open("w:tblInd").attr("w:w", twips(at.start)).attr("w:type", "dxa").close();
  x_.open("w:tblLayout").attr("w:type", "fixed").close();
  x_.open("w:tblCellMar");
  for (const char* side : {"w:left", "w:right"})
    x_.open(side).attr("w:w", 28).attr("w:type", "dxa").close();
  x_.close();
  x_.close();
  x_.open("w:tblGrid");
  for (int c = 0; c < t.columns; ++c)
    x_.open("w:gridCol").attr("w:w", twips(p.colX[c + 1] - p.colX[c])).close();
  x_.close();
  for (int r = 0; r < t.rows; ++r) {
    x_.open("w:tr").open("w:trPr");
    x_.open("w:trHeight")
        .attr("w:val", std::min(31680LL, twips((p.rowY[r + 1] - p.rowY[r]) * plan_.scale)))
        .attr("w:hRule", "atLeast")
        .close();
    x_.close();
    for (int c = 0; c < t.columns; ++c) {
      const Span& s = spans[r * t.columns + c];
      // A cell covered from above is written as the continuation of that merge; one covered
      // from the left is part of its neighbour's span.
      int owner = -1;
      if (s.covered) {
        for (int rr = r - 1; rr >= 0 && owner < 0; --rr) {
          const Span& above = spans[rr * t.columns + c];
          if (!above.covered && above.rows > r - rr && above.columns >= 1)
            owner = rr * t.columns + c;
          if (!above.covered) break;
        }
        if (owner < 0) continue;
      }
      const Span& span = owner >= 0 ? spans[owner] : s;
      const Cell& cell = owner >= 0 ? t.cells[owner] : t.at(r, c);
      x_.open("w:tc").open("w:tcPr");
      x_.open("w:tcW")
          .attr("w:w", twips(p.colX[std::min(t.columns, c + span.columns)] - p.colX[c]))
          .attr("w:type", "dxa")
          .close();
      if (span.columns > 1) x_.open("w:gridSpan").attr("w:val", span.columns).close();
      if (span.rows > 1 || owner >= 0) {
        x_.open("w:vMerge");
        if (owner < 0) x_.attr("w:val", "restart");
        x_.close();
      }
      x_.open("w:tcBorders");
      const int order[4] = {1, 0, 3, 2};  // top, left, bottom, right from left, top, right, bottom
      const char* names[4] = {"w:top", "w:left", "w:bottom", "w:right"};
      for (int k = 0; k < 4; ++k) {
        int style = cell.filled ? cell.border[order[k]] : 1;
        x_.open(names[k]).attr("w:val", borderValue(style));
        if (style != 0)
          x_.attr("w:sz", style == 3 ? 2 : 4).attr("w:space", 0).attr("w:color", "000000");
        x_.close();
      }
      x_.close();
      // A vertical section sets every cell top to bottom already.
      if (cell.vertical && !plan_.vertical)
        x_.open("w:textDirection").attr("w:val", "tbRl").close();
      x_.open("w:vAlign").attr("w:val", "center").close();
      x_.close();
      double size = (cell.fontPt > 0 ? cell.fontPt : 10.5) * plan_.scale;
      std::u32string text = owner >= 0 ? std::u32string() : cell.text;
      size_t start = 0;
      do {
        size_t end = text.find(U'\n', start);
        if (end == std::u32string::npos) end = text.size();
        x_.open("w:p").open("w:pPr");
        x_.open("w:spacing")
            .attr("w:before", 0)
            .attr("w:after", 0)
            .attr("w:line", 240)
            .attr("w:lineRule", "auto")
            .close();
        x_.close();
        textRun(f, size, text.substr(start, end - start));
        x_.close();
        start = end + 1;
      } while (start <= text.size());
      x_.close();
    }
    x_.close();
  }
  x_.close();
  // Two tables in a row would merge into one.
  x_.open("w:p");
  tinyParagraphProperties();
  x_.close();
}

void DocxBuilder::drawingStart(const Box& box, bool inlinePicture, bool behind) {
  int id = ++drawingId_;
  x_.open("w:r").open("w:drawing");
  if (inlinePicture) {
    x_.open("wp:inline").attr("distT", 0).attr("distB", 0).attr("distL", 0).attr("distR", 0);
  } else {
    x_.open("wp:anchor")
        .attr("distT", 0)
        .attr("distB", 0)
        .attr("distL", 0)
        .attr("distR", 0)
        .attr("simplePos", 0)
        .attr("relativeHeight", drawingId_)
        .attr("behindDoc", behind ? 1 : 0)
        .attr("locked", 0)
        .attr("layoutInCell", 1)
        .attr("allowOverlap", 1);
    x_.open("wp:simplePos").attr("x", 0).attr("y", 0).close();
    x_.open("wp:positionH")
        .attr("relativeFrom", "page")
        .open("wp:posOffset")
        .text(std::to_string(emu(box.x)))
        .close()
        .close();
    x_.open("wp:positionV")
        .attr("relativeFrom", "page")
        .open("wp:posOffset")
        .text(std::to_string(emu(box.y)))
        .close()
        .close();
  }
  x_.open("wp:extent").attr("cx", emu(box.w)).attr("cy", emu(box.h)).close();
  x_.open("wp:effectExtent").attr("l", 0).attr("t", 0).attr("r", 0).attr("b", 0).close();
  if (!inlinePicture) x_.open("wp:wrapNone").close();
  x_.open("wp:docPr").attr("id", id).attr("name", "Drawing " + std::to_string(id)).close();
}

void DocxBuilder::picture(const PlacedPicture& p) {
  std::string rid = "rIdImage" + std::to_string(media_.size() + 1);
  media_.emplace_back(rid, p.picture);
  drawingStart(p.box, flowing_, true);
  x_.open("wp:cNvGraphicFramePr")
      .open("a:graphicFrameLocks")
      .attr("xmlns:a", kA)
      .attr("noChangeAspect", 1)
      .close()
      .close();
  x_.open("a:graphic").attr("xmlns:a", kA).open("a:graphicData").attr("uri", kPic);
  x_.open("pic:pic").attr("xmlns:pic", kPic);
  x_.open("pic:nvPicPr");
  x_.open("pic:cNvPr")
      .attr("id", drawingId_)
      .attr("name", "Picture " + std::to_string(media_.size()))
      .close();
  x_.open("pic:cNvPicPr").close();
  x_.close();
  x_.open("pic:blipFill").open("a:blip").attr("r:embed", rid).close();
  x_.open("a:stretch").open("a:fillRect").close().close().close();
  x_.open("pic:spPr").open("a:xfrm");
  x_.open("a:off").attr("x", 0).attr("y", 0).close();
  x_.open("a:ext").attr("cx", emu(p.box.w)).attr("cy", emu(p.box.h)).close();
  x_.close();
  x_.open("a:prstGeom").attr("prst", "rect").open("a:avLst").close().close();
  x_.close();
  x_.close().close().close();  // pic:pic, graphicData, graphic
  x_.close().close().close();  // anchor or inline, drawing, run
}

void DocxBuilder::rule(const PlacedRule& r) {
  drawingStart(r.box, false, false);
  x_.open("wp:cNvGraphicFramePr").close();
  x_.open("a:graphic").attr("xmlns:a", kA).open("a:graphicData").attr("uri", kWps);
  x_.open("wps:wsp").attr("xmlns:wps", kWps);
  x_.open("wps:cNvCnPr").close();
  x_.open("wps:spPr").open("a:xfrm");
  x_.open("a:off").attr("x", 0).attr("y", 0).close();
  x_.open("a:ext").attr("cx", emu(r.box.w)).attr("cy", emu(r.box.h)).close();
  x_.close();
  x_.blackLineGeometry();
  x_.close();
  x_.open("wps:bodyPr").close();
  x_.close().close().close();
  x_.close().close().close();  // anchor, drawing, run
}

void DocxBuilder::sectionProperties(const PlacedPage& page) {
  x_.open("w:sectPr");
  x_.open("w:type").attr("w:val", "nextPage").close();
  long long w = twips(page.width), h = twips(page.height);
  x_.open("w:pgSz").attr("w:w", w).attr("w:h", h);
  if (w > h) x_.attr("w:orient", "landscape");
  x_.close();
  x_.open("w:pgMar")
      .attr("w:top", twips(plan_.top))
      .attr("w:right", twips(plan_.right))
      .attr("w:bottom", twips(plan_.bottom))
      .attr("w:left", twips(plan_.left))
      .attr("w:header", 0)
      .attr("w:footer", 0)
      .attr("w:gutter", 0)
      .close();
  if (plan_.vertical) x_.open("w:textDirection").attr("w:val", "tbRl").close();
  x_.open("w:docGrid").attr("w:linePitch", 360).close();
  x_.close();
}

void DocxBuilder::page(const PlacedPage& page, bool last) {
  if (!bodyOpen_) {
    x_.open("w:document")
        .attr("xmlns:w", kW)
        .attr("xmlns:r", kDocRelNs)
        .attr("xmlns:wp", kWp)
        .attr("xmlns:a", kA)
        .attr("xmlns:pic", kPic)
        .attr("xmlns:wps", kWps);
    x_.open("w:body");
    bodyOpen_ = true;
  }
  Fonts f{page.setup.eastAsianFont.empty() ? "ＭＳ 明朝" : page.setup.eastAsianFont,
          page.setup.latinFont.empty() ? "Century" : page.setup.latinFont};
  fontsUsed_.emplace(f.eastAsian, 128);
  fontsUsed_.emplace(f.latin, 0);
  // Text and tables in the order the program passed them, which is the reading order.
  std::vector<std::pair<int, FlowEntry>> areas;
  for (const PlacedText& t : page.texts) areas.push_back({t.area->order, {&t, nullptr}});
  for (const PlacedTable& t : page.tables) areas.push_back({t.table->order, {nullptr, &t}});
  std::stable_sort(areas.begin(), areas.end(), [](auto& a, auto& b) { return a.first < b.first; });
  std::vector<FlowEntry> entries;
  for (auto& [order, entry] : areas) entries.push_back(entry);
  // Besides the entries the flow holds the section break and the paragraph of the drawings, a
  // point each.
  const bool anchors = !flowing_ && (!page.pictures.empty() || !page.rules.empty());
  plan_ = planFlow(page, entries, anchors ? 2 : 1, !flowing_);

  // Anchored drawings share one paragraph one point high, so that however many a page has, the
  // flow of the page never spills over onto the next and takes its anchors with it. In the
  // flow, each picture stands in a paragraph of its own.
  if (anchors) {
    x_.open("w:p");
    tinyParagraphProperties();
    for (const PlacedPicture& p : page.pictures) picture(p);
    for (const PlacedRule& r : page.rules) rule(r);
    x_.close();
  } else {
    for (const PlacedPicture& p : page.pictures) {
      x_.open("w:p");
      picture(p);
      x_.close();
    }
    if (!page.rules.empty()) {
      x_.open("w:p");
      tinyParagraphProperties();
      for (const PlacedRule& r : page.rules) rule(r);
      x_.close();
    }
  }
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].text != nullptr)
      textArea(*entries[i].text, f, plan_.items[i]);
    else
      table(*entries[i].table, f, plan_.items[i]);
  }
  if (last) {
    sectionProperties(page);
  } else {
    // The paragraph that ends the section is a point high too.
    x_.open("w:p").open("w:pPr").open("w:spacing");
    x_.attr("w:before", 0).attr("w:after", 0).attr("w:line", 20).attr("w:lineRule", "exact");
    x_.close();
    sectionProperties(page);
    x_.close().close();
  }
}

std::string stylesXml(const std::string& eastAsian, const std::string& latin) {
  XmlWriter x;
  x.open("w:styles").attr("xmlns:w", kW);
  x.open("w:docDefaults").open("w:rPrDefault").open("w:rPr");
  x.open("w:rFonts")
      .attr("w:ascii", latin)
      .attr("w:hAnsi", latin)
      .attr("w:eastAsia", eastAsian)
      .attr("w:cs", latin)
      .close();
  x.open("w:kern").attr("w:val", 2).close();
  x.open("w:sz").attr("w:val", 21).close();
  x.open("w:szCs").attr("w:val", 21).close();
  x.open("w:lang")
      .attr("w:val", "en-US")
      .attr("w:eastAsia", "ja-JP")
      .attr("w:bidi", "ar-SA")
      .close();
  x.close().close();
  x.open("w:pPrDefault")
      .open("w:pPr")
      .open("w:spacing")
      .attr("w:after", 0)
      .attr("w:line", 240)
      .attr("w:lineRule", "auto")
      .close()
      .close()
      .close();
  x.close();
  x.open("w:style").attr("w:type", "paragraph").attr("w:default", 1).attr("w:styleId", "Normal");
  x.open("w:name").attr("w:val", "Normal").close();
  x.open("w:qFormat").close();
  x.open("w:pPr")
      .open("w:widowControl")
      .attr("w:val", 0)
      .close()
      .open("w:jc")
      .attr("w:val", "both")
      .close()
      .close();
  x.close();
  x.open("w:style").attr("w:type", "table").attr("w:default", 1).attr("w:styleId", "TableNormal");
  x.open("w:name").attr("w:val", "Normal Table").close();
  x.open("w:tblPr").open("w:tblCellMar");
  x.open("w:top").attr("w:w", 0).attr("w:type", "dxa").close();
  x.open("w:left").attr("w:w", 108).attr("w:type", "dxa").close();
  x.open("w:bottom").attr("w:w", 0).attr("w:type", "dxa").close();
  x.open("w:right").attr("w:w", 108).attr("w:type", "dxa").close();
  x.close().close();
  x.close();
  return x.finish();
}

std::string settingsXml() {
  XmlWriter x;
  x.open("w:settings").attr("xmlns:w", kW);
  x.open("w:zoom").attr("w:percent", 100).close();
  x.open("w:defaultTabStop").attr("w:val", 840).close();
  x.open("w:characterSpacingControl").attr("w:val", "compressPunctuation").close();
  x.open("w:compat")
      .open("w:compatSetting")
      .attr("w:name", "compatibilityMode")
      .attr("w:uri", "http://schemas.microsoft.com/office/word")
      .attr("w:val", 15)
      .close()
      .close();
  return x.finish();
}

std::string fontTableXml(const std::map<std::string, int>& fonts) {
  XmlWriter x;
  x.open("w:fonts").attr("xmlns:w", kW);
  for (auto& [name, charset] : fonts) {
    x.open("w:font").attr("w:name", name);
    char hex[8];
    std::snprintf(hex, sizeof hex, "%02X", charset == 128 ? 0x80 : 0x00);
    x.open("w:charset").attr("w:val", hex).close();
    x.open("w:family").attr("w:val", "auto").close();
    x.open("w:pitch").attr("w:val", "variable").close();
    x.close();
  }
  return x.finish();
}

}  // namespace

int writeDocx(const Document& doc, const std::string& path, bool flowing) {
  if (doc.pages.empty() || path.empty()) return EINVAL;
  std::vector<PlacedPage> pages = placeDocument(doc, Units::Office);
  DocxBuilder b(flowing);
  for (size_t i = 0; i < pages.size(); ++i) b.page(pages[i], i + 1 == pages.size());
  std::string document = b.documentXml();

  const PageSetup& first = pages.front().setup;
  Package pkg;
  pkg.add("[Content_Types].xml",
          contentTypesXml({
              {"/word/document.xml",
               "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"},
              {"/word/styles.xml",
               "application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml"},
              {"/word/settings.xml",
               "application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml"},
              {"/word/fontTable.xml",
               "application/vnd.openxmlformats-officedocument.wordprocessingml.fontTable+xml"},
              {"/docProps/core.xml", "application/vnd.openxmlformats-package.core-properties+xml"},
              {"/docProps/app.xml",
               "application/vnd.openxmlformats-officedocument.extended-properties+xml"},
          }));
  pkg.add(
      "_rels/.rels",
      relationshipsXml(
          {{"rId1", "officeDocument", "word/document.xml"},
           {"rId2",
            "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties",
            "docProps/core.xml"},
           {"rId3", "extended-properties", "docProps/app.xml"}}));
  pkg.add("docProps/core.xml", corePropertiesXml(doc.info));
  pkg.add("docProps/app.xml", appPropertiesXml("Vellary"));
  pkg.add("word/document.xml", std::move(document));
  std::vector<Relationship> rels = {{"rId1", "styles", "styles.xml"},
                                    {"rId2", "settings", "settings.xml"},
                                    {"rId3", "fontTable", "fontTable.xml"}};
  int n = 0;
  for (auto& [rid, pic] : b.media()) {
    std::string name = "media/image" + std::to_string(++n) + (pic->png ? ".png" : ".jpg");
    rels.push_back({rid, "image", name});
    pkg.add("word/" + name, pic->bytes, false);
  }
  pkg.add("word/_rels/document.xml.rels", relationshipsXml(rels));
  pkg.add("word/styles.xml",
          stylesXml(first.eastAsianFont.empty() ? "ＭＳ 明朝" : first.eastAsianFont,
                    first.latinFont.empty() ? "Century" : first.latinFont));
  pkg.add("word/settings.xml", settingsXml());
  pkg.add("word/fontTable.xml", fontTableXml(b.fontsUsed()));
  return pkg.write(path);
}

}  // namespace oxmlgen
