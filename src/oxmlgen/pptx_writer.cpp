// The PowerPoint writer: one slide per page, with a text box per text area (written top to
// bottom, right to left where the area is vertical), a table per table area, the pictures and
// the rules, all at their places on the page. A presentation has one slide size: the first
// page's. A page of another size is scaled to fit its slide and centred. The program's template
// folder is not needed: the master, layout and theme are written here.
#include <algorithm>
#include <cerrno>

#include "oxmlgen/opc.h"
#include "oxmlgen/package.h"
#include "oxmlgen/placement.h"
#include "oxmlgen/text_codec.h"
#include "oxmlgen/writers.h"
#include "oxmlgen/xml_writer.h"

namespace oxmlgen {
namespace {

constexpr const char* kA = "http://schemas.openxmlformats.org/drawingml/2006/main";
constexpr const char* kP = "http://schemas.openxmlformats.org/presentationml/2006/main";
constexpr const char* kCt = "application/vnd.openxmlformats-officedocument.presentationml.";

void rootNamespaces(XmlWriter& x) {
  x.attr("xmlns:a", kA).attr("xmlns:r", kDocRelNs).attr("xmlns:p", kP);
}

void emptyTree(XmlWriter& x) {
  x.open("p:nvGrpSpPr");
  x.open("p:cNvPr").attr("id", 1).attr("name", "").close();
  x.open("p:cNvGrpSpPr").close();
  x.open("p:nvPr").close();
  x.close();
  x.open("p:grpSpPr").open("a:xfrm");
  for (const char* e : {"a:off", "a:chOff"}) x.open(e).attr("x", 0).attr("y", 0).close();
  for (const char* e : {"a:ext", "a:chExt"}) x.open(e).attr("cx", 0).attr("cy", 0).close();
  x.close().close();
}

// Page points to slide points: a uniform scale and a shift that centres the page.
struct SlideFrame {
  double scale = 1, dx = 0, dy = 0;
  Box map(const Box& b) const {
    return {b.x * scale + dx, b.y * scale + dy, b.w * scale, b.h * scale};
  }
};

class SlideBuilder {
 public:
  SlideBuilder(const SlideFrame& frame, const PageSetup& setup) : f_(frame) {
    eastAsian_ = setup.eastAsianFont.empty() ? "MS Pゴシック" : setup.eastAsianFont;
    latin_ = setup.latinFont.empty() ? "Century" : setup.latinFont;
    x_.open("p:sld");
    rootNamespaces(x_);
    x_.open("p:cSld").open("p:spTree");
    emptyTree(x_);
  }
  std::string finish() {
    x_.close().close();  // spTree, cSld
    x_.open("p:clrMapOvr").open("a:masterClrMapping").close().close();
    return x_.finish();
  }
  void text(const PlacedText& t);
  void table(const PlacedTable& t);
  void picture(const PlacedPicture& p, const std::string& rid);
  void rule(const PlacedRule& r);

 private:
  void xfrm(const char* element, const Box& b) {
    x_.open(element);
    x_.open("a:off").attr("x", emu(b.x)).attr("y", emu(b.y)).close();
    x_.open("a:ext")
        .attr("cx", std::max(0LL, emu(b.w)))
        .attr("cy", std::max(0LL, emu(b.h)))
        .close();
    x_.close();
  }
  void run(const std::u32string& s, double pt) {
    if (s.empty()) return;
    long long sz =
        std::clamp<long long>(static_cast<long long>(pt * f_.scale * 100 + 0.5), 100, 400000);
    x_.open("a:r")
        .open("a:rPr")
        .attr("lang", "ja-JP")
        .attr("altLang", "en-US")
        .attr("sz", sz)
        .attr("dirty", 0);
    x_.open("a:solidFill").open("a:srgbClr").attr("val", "000000").close().close();
    x_.open("a:latin").attr("typeface", latin_).close();
    x_.open("a:ea").attr("typeface", eastAsian_).close();
    x_.close();
    x_.open("a:t").text(toUtf8(s)).close();
    x_.close();
  }
  void paragraph(const Paragraph& p, const TextArea& t, double pt, double pitch);
  // A text box without fill or insets at `box` (page points), written up to its open bodyPr.
  void textBoxStart(const char* name, const Box& box, const char* wrap, bool vertical) {
    x_.open("p:sp").open("p:nvSpPr");
    nvProps(name);
    x_.open("p:cNvSpPr").attr("txBox", 1).close();
    x_.open("p:nvPr").close();
    x_.close();
    x_.open("p:spPr");
    xfrm("a:xfrm", f_.map(box));
    x_.open("a:prstGeom").attr("prst", "rect").open("a:avLst").close().close();
    x_.open("a:noFill").close();
    x_.close();
    x_.open("p:txBody").open("a:bodyPr").attr("wrap", wrap);
    for (const char* inset : {"lIns", "tIns", "rIns", "bIns"}) x_.attr(inset, 0);
    if (vertical) x_.attr("vert", "eaVert");
  }
  // The readings of a line's ruby groups, each in a small text box over (or, in a vertical
  // line, to the right of) its base characters.
  void rubyBoxes(const Paragraph& p, const TextArea& t, const Box& line, double pt);
  void nvProps(const char* name) {
    int id = ++id_;
    x_.open("p:cNvPr")
        .attr("id", id)
        .attr("name", std::string(name) + " " + std::to_string(id))
        .close();
  }

  SlideFrame f_;
  XmlWriter x_;
  int id_ = 1;
  std::string eastAsian_, latin_;
};

void SlideBuilder::paragraph(const Paragraph& p, const TextArea& t, double pt, double pitch) {
  x_.open("a:p").open("a:pPr");
  x_.open("a:lnSpc")
      .open("a:spcPts")
      .attr("val", std::clamp<long long>(static_cast<long long>(pitch * f_.scale * 100), 0, 158400))
      .close()
      .close();
  x_.open("a:spcBef").open("a:spcPts").attr("val", 0).close().close();
  x_.open("a:spcAft").open("a:spcPts").attr("val", 0).close().close();
  x_.open("a:buNone").close();
  x_.close();
  std::u32string s;
  for (const TextItem& item : p) {
    if (item.ruby < 0) {
      s += item.code;
      continue;
    }
    // Slides have no ruby: the base stays in the text and the reading gets a small text box of
    // its own beside it (rubyBoxes).
    s += t.rubies[item.ruby].base;
  }
  run(s, pt);
  x_.open("a:endParaRPr")
      .attr("lang", "ja-JP")
      .attr("sz", std::clamp<long long>(static_cast<long long>(pt * f_.scale * 100), 100, 400000))
      .close();
  x_.close();
}

void SlideBuilder::rubyBoxes(const Paragraph& p, const TextArea& t, const Box& line, double pt) {
  const double small = std::max(1.0, pt / 2);
  double along = 0;
  for (const TextItem& item : p) {
    if (item.ruby < 0) {
      along += advanceEm(item.code) * pt;
      continue;
    }
    const RubyGroup& g = t.rubies[item.ruby];
    double extent = 0;
    for (char32_t c : g.base) extent += advanceEm(c) * pt;
    if (!g.ruby.empty()) {
      const double length = std::max(extent, small * static_cast<double>(g.ruby.size()));
      const double centre = along + extent / 2;
      Box b = t.vertical ? Box{line.right(), line.y + centre - length / 2, small * 1.3, length}
                         : Box{line.x + centre - length / 2, line.y - small * 1.3, length, small * 1.3};
      textBoxStart("Ruby", b, "none", t.vertical);
      x_.attr("anchor", "ctr");
      x_.open("a:noAutofit").close();
      x_.close();
      x_.open("a:lstStyle").close();
      x_.open("a:p").open("a:pPr").attr("algn", "ctr").close();
      run(g.ruby, small);
      x_.close();
      x_.close().close();
    }
    along += extent;
  }
}

void SlideBuilder::text(const PlacedText& t) {
  const TextArea& area = *t.area;
  Box b = t.box;
  // Room for a font a little wider than the scan (see the Word writer).
  if (area.vertical)
    b.w += t.pitchPt / 2, b.h += t.fontPt;
  else
    b.w += t.fontPt, b.h += t.pitchPt / 2;
  textBoxStart("Text", b, "square", area.vertical);
  x_.attr("rtlCol", 0).attr("anchor", "t");
  // A font a little wider than the scan's shrinks to the box instead of running out of it.
  x_.open("a:normAutofit").close();
  x_.close();
  x_.open("a:lstStyle").close();
  if (area.paragraphs.empty()) {
    paragraph({}, area, t.fontPt, t.pitchPt);
  }
  for (const Paragraph& p : area.paragraphs) paragraph(p, area, t.fontPt, t.pitchPt);
  x_.close().close();
  // One paragraph per normal line: each line's readings go beside it.
  std::vector<size_t> normal;
  for (size_t i = 0; i < area.lines.size(); ++i)
    if (area.lines[i].normal) normal.push_back(i);
  if (normal.size() != area.paragraphs.size()) return;
  for (size_t k = 0; k < normal.size(); ++k)
    rubyBoxes(area.paragraphs[k], area, t.lines[normal[k]], t.fontPt);
}

void SlideBuilder::table(const PlacedTable& p) {
  const Table& t = *p.table;
  std::vector<Span> spans = tableSpans(t);
  // The merge each covered cell belongs to, for hMerge and vMerge.
  std::vector<int> ownerRow(t.cells.size(), -1), ownerCol(t.cells.size(), -1);
  for (int r = 0; r < t.rows; ++r)
    for (int c = 0; c < t.columns; ++c) {
      const Span& s = spans[r * t.columns + c];
      if (s.covered) continue;
      for (int rr = r; rr < r + s.rows; ++rr)
        for (int cc = c; cc < c + s.columns; ++cc)
          ownerRow[rr * t.columns + cc] = r, ownerCol[rr * t.columns + cc] = c;
    }
  x_.open("p:graphicFrame").open("p:nvGraphicFramePr");
  nvProps("Table");
  x_.open("p:cNvGraphicFramePr").open("a:graphicFrameLocks").attr("noGrp", 1).close().close();
  x_.open("p:nvPr").close();
  x_.close();
  xfrm("p:xfrm", f_.map(p.box));
  x_.open("a:graphic")
      .open("a:graphicData")
      .attr("uri", "http://schemas.openxmlformats.org/drawingml/2006/table");
  x_.open("a:tbl").open("a:tblPr").attr("firstRow", 0).attr("bandRow", 0).close();
  x_.open("a:tblGrid");
  for (int c = 0; c < t.columns; ++c)
    x_.open("a:gridCol").attr("w", emu((p.colX[c + 1] - p.colX[c]) * f_.scale)).close();
  x_.close();
  for (int r = 0; r < t.rows; ++r) {
    x_.open("a:tr").attr("h", emu((p.rowY[r + 1] - p.rowY[r]) * f_.scale));
    for (int c = 0; c < t.columns; ++c) {
      int i = r * t.columns + c;
      const Span& s = spans[i];
      int orow = ownerRow[i], ocol = ownerCol[i];
      const Cell& cell = orow >= 0 ? t.at(orow, ocol) : t.at(r, c);
      x_.open("a:tc");
      if (!s.covered) {
        if (s.columns > 1) x_.attr("gridSpan", s.columns);
        if (s.rows > 1) x_.attr("rowSpan", s.rows);
      } else {
        if (orow >= 0 && ocol < c) x_.attr("hMerge", 1);
        if (orow >= 0 && orow < r) x_.attr("vMerge", 1);
      }
      x_.open("a:txBody").open("a:bodyPr").close().open("a:lstStyle").close();
      double pt = cell.fontPt > 0 ? cell.fontPt : 10.5;
      std::u32string text = s.covered ? std::u32string() : cell.text;
      size_t start = 0;
      do {
        size_t end = text.find(U'\n', start);
        if (end == std::u32string::npos) end = text.size();
        x_.open("a:p");
        run(text.substr(start, end - start), pt);
        x_.open("a:endParaRPr")
            .attr("lang", "ja-JP")
            .attr("sz",
                  std::clamp<long long>(static_cast<long long>(pt * f_.scale * 100), 100, 400000))
            .close();
        x_.close();
        start = end + 1;
      } while (start <= text.size());
      x_.close();
      x_.open("a:tcPr").attr("marL", 12700).attr("marR", 12700).attr("marT", 0).attr("marB", 0);
      if (cell.vertical) x_.attr("vert", "eaVert");
      x_.attr("anchor", "ctr");
      const char* lines[4] = {"a:lnL", "a:lnR", "a:lnT", "a:lnB"};
      const int from[4] = {0, 2, 1, 3};  // the cell's borders are left, top, right, bottom
      for (int k = 0; k < 4; ++k) {
        int style = cell.filled ? cell.border[from[k]] : 1;
        x_.open(lines[k]).attr("w", style == 0 ? 0 : style == 3 ? 38100 : 12700);
        if (style == 3) x_.attr("cmpd", "dbl");
        if (style == 0) {
          x_.open("a:noFill").close();
        } else {
          x_.open("a:solidFill").open("a:srgbClr").attr("val", "000000").close().close();
          x_.open("a:prstDash").attr("val", style == 2 ? "sysDot" : "solid").close();
        }
        x_.close();
      }
      x_.open("a:noFill").close();
      x_.close();
      x_.close();
    }
    x_.close();
  }
  x_.close().close().close().close();  // tbl, graphicData, graphic, graphicFrame
}

void SlideBuilder::picture(const PlacedPicture& p, const std::string& rid) {
  x_.open("p:pic").open("p:nvPicPr");
  nvProps("Picture");
  x_.open("p:cNvPicPr").open("a:picLocks").attr("noChangeAspect", 1).close().close();
  x_.open("p:nvPr").close();
  x_.close();
  x_.open("p:blipFill").open("a:blip").attr("r:embed", rid).close();
  x_.open("a:stretch").open("a:fillRect").close().close().close();
  x_.open("p:spPr");
  xfrm("a:xfrm", f_.map(p.box));
  x_.open("a:prstGeom").attr("prst", "rect").open("a:avLst").close().close();
  x_.close().close();
}

void SlideBuilder::rule(const PlacedRule& r) {
  x_.open("p:cxnSp").open("p:nvCxnSpPr");
  nvProps("Rule");
  x_.open("p:cNvCxnSpPr").close();
  x_.open("p:nvPr").close();
  x_.close();
  x_.open("p:spPr");
  xfrm("a:xfrm", f_.map(r.box));
  x_.blackLineGeometry();
  x_.close().close();
}

std::string masterXml() {
  XmlWriter x;
  x.open("p:sldMaster");
  rootNamespaces(x);
  x.open("p:cSld").open("p:spTree");
  emptyTree(x);
  x.close().close();
  x.open("p:clrMap");
  x.attr("bg1", "lt1").attr("tx1", "dk1").attr("bg2", "lt2").attr("tx2", "dk2");
  for (const char* accent :
       {"accent1", "accent2", "accent3", "accent4", "accent5", "accent6", "hlink", "folHlink"})
    x.attr(accent, accent);
  x.close();
  x.open("p:sldLayoutIdLst")
      .open("p:sldLayoutId")
      .attr("id", 2147483649LL)
      .attr("r:id", "rId1")
      .close()
      .close();
  x.open("p:txStyles");
  for (const char* s : {"p:titleStyle", "p:bodyStyle", "p:otherStyle"}) x.open(s).close();
  x.close();
  return x.finish();
}

std::string layoutXml() {
  XmlWriter x;
  x.open("p:sldLayout");
  rootNamespaces(x);
  x.attr("type", "blank").attr("preserve", 1);
  x.open("p:cSld").attr("name", "Blank").open("p:spTree");
  emptyTree(x);
  x.close().close();
  x.open("p:clrMapOvr").open("a:masterClrMapping").close().close();
  return x.finish();
}

std::string themeXml(const std::string& eastAsian, const std::string& latin) {
  XmlWriter x;
  x.open("a:theme").attr("xmlns:a", kA).attr("name", "Vellary");
  x.open("a:themeElements");
  x.open("a:clrScheme").attr("name", "Vellary");
  x.open("a:dk1")
      .open("a:sysClr")
      .attr("val", "windowText")
      .attr("lastClr", "000000")
      .close()
      .close();
  x.open("a:lt1").open("a:sysClr").attr("val", "window").attr("lastClr", "FFFFFF").close().close();
  const std::pair<const char*, const char*> colours[] = {
      {"a:dk2", "44546A"},     {"a:lt2", "E7E6E6"},     {"a:accent1", "4472C4"},
      {"a:accent2", "ED7D31"}, {"a:accent3", "A5A5A5"}, {"a:accent4", "FFC000"},
      {"a:accent5", "5B9BD5"}, {"a:accent6", "70AD47"}, {"a:hlink", "0563C1"},
      {"a:folHlink", "954F72"}};
  for (auto& [name, rgb] : colours) x.open(name).open("a:srgbClr").attr("val", rgb).close().close();
  x.close();
  x.open("a:fontScheme").attr("name", "Vellary");
  for (const char* part : {"a:majorFont", "a:minorFont"}) {
    x.open(part);
    x.open("a:latin").attr("typeface", latin).close();
    x.open("a:ea").attr("typeface", eastAsian).close();
    x.open("a:cs").attr("typeface", "").close();
    x.close();
  }
  x.close();
  x.open("a:fmtScheme").attr("name", "Vellary");
  x.open("a:fillStyleLst");
  for (int i = 0; i < 3; ++i)
    x.open("a:solidFill").open("a:schemeClr").attr("val", "phClr").close().close();
  x.close();
  x.open("a:lnStyleLst");
  for (int w : {6350, 12700, 19050})
    x.open("a:ln")
        .attr("w", w)
        .open("a:solidFill")
        .open("a:schemeClr")
        .attr("val", "phClr")
        .close()
        .close()
        .close();
  x.close();
  x.open("a:effectStyleLst");
  for (int i = 0; i < 3; ++i) x.open("a:effectStyle").open("a:effectLst").close().close();
  x.close();
  x.open("a:bgFillStyleLst");
  for (int i = 0; i < 3; ++i)
    x.open("a:solidFill").open("a:schemeClr").attr("val", "phClr").close().close();
  x.close();
  x.close();  // fmtScheme
  x.close();  // themeElements
  return x.finish();
}

std::string simpleXml(const char* root, bool presentationNs) {
  XmlWriter x;
  x.open(root);
  if (presentationNs)
    rootNamespaces(x);
  else
    x.attr("xmlns:a", kA).attr("def", "{5C22544A-7EE6-4342-B048-85BDC9FD1C3A}");
  return x.finish();
}

}  // namespace

int writePptx(const Document& doc, const std::string& path) {
  if (doc.pages.empty() || path.empty()) return EINVAL;
  std::vector<PlacedPage> pages = placeDocument(doc, Units::Office);
  // The slide size must lie between 1 and 56 inches each way.
  double slideW = std::clamp(pages.front().width, 72.0, 4032.0);
  double slideH = std::clamp(pages.front().height, 72.0, 4032.0);
  const PageSetup& first = pages.front().setup;
  std::string eastAsian = first.eastAsianFont.empty() ? "MS Pゴシック" : first.eastAsianFont;
  std::string latin = first.latinFont.empty() ? "Century" : first.latinFont;

  Package pkg;
  std::vector<std::pair<std::string, std::string>> overrides = {
      {"/ppt/presentation.xml", std::string(kCt) + "presentation.main+xml"},
      {"/ppt/slideMasters/slideMaster1.xml", std::string(kCt) + "slideMaster+xml"},
      {"/ppt/slideLayouts/slideLayout1.xml", std::string(kCt) + "slideLayout+xml"},
      {"/ppt/theme/theme1.xml", "application/vnd.openxmlformats-officedocument.theme+xml"},
      {"/ppt/presProps.xml", std::string(kCt) + "presProps+xml"},
      {"/ppt/viewProps.xml", std::string(kCt) + "viewProps+xml"},
      {"/ppt/tableStyles.xml", std::string(kCt) + "tableStyles+xml"},
      {"/docProps/core.xml", "application/vnd.openxmlformats-package.core-properties+xml"},
      {"/docProps/app.xml",
       "application/vnd.openxmlformats-officedocument.extended-properties+xml"}};
  for (size_t i = 1; i <= pages.size(); ++i)
    overrides.push_back(
        {"/ppt/slides/slide" + std::to_string(i) + ".xml", std::string(kCt) + "slide+xml"});
  pkg.add("[Content_Types].xml", contentTypesXml(overrides));
  pkg.add(
      "_rels/.rels",
      relationshipsXml(
          {{"rId1", "officeDocument", "ppt/presentation.xml"},
           {"rId2",
            "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties",
            "docProps/core.xml"},
           {"rId3", "extended-properties", "docProps/app.xml"}}));
  pkg.add("docProps/core.xml", corePropertiesXml(doc.info));
  pkg.add("docProps/app.xml", appPropertiesXml("Vellary"));

  XmlWriter pres;
  pres.open("p:presentation");
  rootNamespaces(pres);
  pres.open("p:sldMasterIdLst")
      .open("p:sldMasterId")
      .attr("id", 2147483648LL)
      .attr("r:id", "rId1")
      .close()
      .close();
  pres.open("p:sldIdLst");
  std::vector<Relationship> presRels = {{"rId1", "slideMaster", "slideMasters/slideMaster1.xml"}};
  for (size_t i = 1; i <= pages.size(); ++i) {
    std::string rid = "rId" + std::to_string(i + 1);
    pres.open("p:sldId").attr("id", static_cast<long long>(255 + i)).attr("r:id", rid).close();
    presRels.push_back({rid, "slide", "slides/slide" + std::to_string(i) + ".xml"});
  }
  pres.close();
  pres.open("p:sldSz").attr("cx", emu(slideW)).attr("cy", emu(slideH)).close();
  pres.open("p:notesSz").attr("cx", 6858000).attr("cy", 9144000).close();
  size_t n = pages.size();
  presRels.push_back({"rId" + std::to_string(n + 2), "theme", "theme/theme1.xml"});
  presRels.push_back({"rId" + std::to_string(n + 3), "presProps", "presProps.xml"});
  presRels.push_back({"rId" + std::to_string(n + 4), "viewProps", "viewProps.xml"});
  presRels.push_back({"rId" + std::to_string(n + 5), "tableStyles", "tableStyles.xml"});
  pkg.add("ppt/presentation.xml", pres.finish());
  pkg.add("ppt/_rels/presentation.xml.rels", relationshipsXml(presRels));

  int picture = 0;
  for (size_t i = 0; i < pages.size(); ++i) {
    const PlacedPage& page = pages[i];
    SlideFrame frame;
    frame.scale = std::min(slideW / page.width, slideH / page.height);
    frame.dx = (slideW - page.width * frame.scale) / 2;
    frame.dy = (slideH - page.height * frame.scale) / 2;
    SlideBuilder slide(frame, page.setup);
    std::vector<Relationship> rels = {{"rId1", "slideLayout", "../slideLayouts/slideLayout1.xml"}};
    for (const PlacedPicture& p : page.pictures) {
      std::string name = "image" + std::to_string(++picture) + (p.picture->png ? ".png" : ".jpg");
      std::string rid = "rId" + std::to_string(rels.size() + 1);
      rels.push_back({rid, "image", "../media/" + name});
      pkg.add("ppt/media/" + name, p.picture->bytes, false);
      slide.picture(p, rid);
    }
    for (const PlacedRule& r : page.rules) slide.rule(r);
    // Text and tables in the order the program passed them, which is the reading order.
    size_t ti = 0, xi = 0;
    while (ti < page.tables.size() || xi < page.texts.size()) {
      if (xi >= page.texts.size() ||
          (ti < page.tables.size() && page.tables[ti].table->order < page.texts[xi].area->order))
        slide.table(page.tables[ti++]);
      else
        slide.text(page.texts[xi++]);
    }
    std::string name = "slide" + std::to_string(i + 1) + ".xml";
    pkg.add("ppt/slides/" + name, slide.finish());
    pkg.add("ppt/slides/_rels/" + name + ".rels", relationshipsXml(rels));
  }
  pkg.add("ppt/slideMasters/slideMaster1.xml", masterXml());
  pkg.add("ppt/slideMasters/_rels/slideMaster1.xml.rels",
          relationshipsXml({{"rId1", "slideLayout", "../slideLayouts/slideLayout1.xml"},
                            {"rId2", "theme", "../theme/theme1.xml"}}));
  pkg.add("ppt/slideLayouts/slideLayout1.xml", layoutXml());
  pkg.add("ppt/slideLayouts/_rels/slideLayout1.xml.rels",
          relationshipsXml({{"rId1", "slideMaster", "../slideMasters/slideMaster1.xml"}}));
  pkg.add("ppt/theme/theme1.xml", themeXml(eastAsian, latin));
  pkg.add("ppt/presProps.xml", simpleXml("p:presentationPr", true));
  pkg.add("ppt/viewProps.xml", simpleXml("p:viewPr", true));
  pkg.add("ppt/tableStyles.xml", simpleXml("a:tblStyleLst", false));
  return pkg.write(path);
}

}  // namespace oxmlgen
