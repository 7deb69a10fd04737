// The XPS writer: one fixed page per page, every line of text set at the place of its line on
// the scan, in reading order, each line one run of glyphs (a run per font): a vertical column is
// a run turned a quarter clockwise whose glyphs, in the vertical forms of the font, are set on
// their side so that they stand upright; characters that lie on their side and tate-chu-yoko
// groups interrupt it with runs of their own. Tables are cell borders and text, pictures image
// brushes and rules paths. Fonts are embedded obfuscated; glyph indices come from the same font
// files.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <memory>
#include <set>

#include "oxmlgen/opc.h"
#include "oxmlgen/package.h"
#include "oxmlgen/placement.h"
#include "oxmlgen/text_codec.h"
#include "oxmlgen/writers.h"
#include "oxmlgen/xml_writer.h"
#include "oxmlgen/xps_fonts.h"

namespace oxmlgen {
namespace {

constexpr const char* kXpsNs = "http://schemas.microsoft.com/xps/2005/06";
constexpr const char* kRequired = "http://schemas.microsoft.com/xps/2005/06/required-resource";
constexpr double kUnit = 96.0 / 72.0;  // XPS units (1/96 inch) per point

std::string num(double v) {
  char b[32];
  std::snprintf(b, sizeof b, "%.2f", v);
  std::string s = b;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s == "-0" ? "0" : s;
}

// The fonts of the document: slot 0 writes Japanese blocks, slot 1 the others; each falls back
// on the other and on an installed Japanese font for characters it lacks.
class Fonts {
 public:
  explicit Fonts(const Document& doc, const PageSetup& first) {
    for (int slot = 0; slot < 2; ++slot) {
      auto registered = doc.xpsFonts.find(slot == 0 ? 128 : 0);
      if (registered != doc.xpsFonts.end()) slots_[slot] = add(registered->second, 0, false);
      if (slots_[slot] < 0) {
        FontFile f = findSystemFont(slot == 0 ? first.eastAsianFont : first.latinFont,
                                    slot == 0 ? "ja" : "en");
        if (!f.path.empty()) slots_[slot] = add(f.path, f.index, true);
      }
    }
    FontFile ja = findSystemFont("", "ja");
    if (!ja.path.empty()) fallback_ = add(ja.path, ja.index, true);
  }

  struct Pick {
    int font = -1;
    unsigned glyph = 0;
  };
  Pick pick(char32_t code, bool japanese, bool vertical) {
    int order[3] = {slots_[japanese ? 0 : 1], slots_[japanese ? 1 : 0], fallback_};
    Pick first;
    for (int f : order) {
      if (f < 0) continue;
      if (first.font < 0) first.font = f;
      unsigned g = vertical ? fonts_[f]->verticalGlyph(code) : fonts_[f]->glyph(code);
      if (g != 0) return {f, g};
    }
    return first;  // the missing-glyph box of the first font
  }
  XpsFont& font(int i) { return *fonts_[i]; }
  size_t count() const { return fonts_.size(); }
  const std::string& guid(int i) const { return guids_[i]; }
  std::string uri(int i) const { return "/Documents/1/Resources/Fonts/" + guids_[i] + ".odttf"; }

 private:
  int add(const std::string& path, unsigned index, bool subset) {
    for (size_t i = 0; i < paths_.size(); ++i)
      if (paths_[i] == path + "#" + std::to_string(index)) return static_cast<int>(i);
    auto f = XpsFont::load(path, index, subset);
    if (!f) return -1;
    fonts_.push_back(std::move(f));
    paths_.push_back(path + "#" + std::to_string(index));
    guids_.push_back(newGuid());
    return static_cast<int>(fonts_.size() - 1);
  }
  std::vector<std::unique_ptr<XpsFont>> fonts_;
  std::vector<std::string> paths_, guids_;
  int slots_[2] = {-1, -1};
  int fallback_ = -1;
};

struct Glyph {
  char32_t code;
  int font;
  unsigned index;
  double advance;  // points
};

class PageBuilder {
 public:
  PageBuilder(Fonts& fonts, const PlacedPage& page) : fonts_(fonts) {
    x_.open("FixedPage")
        .attr("xmlns", kXpsNs)
        .attr("xml:lang", "ja-JP")
        .attr("Width", num(page.width * kUnit))
        .attr("Height", num(page.height * kUnit));
  }
  std::string finish() { return x_.finish(); }
  const std::set<int>& fontsUsed() const { return used_; }

  void picture(const PlacedPicture& p, const std::string& uri);
  void rule(double x1, double y1, double x2, double y2, int style);
  void text(const PlacedText& t);
  void table(const PlacedTable& t);

 private:
  // Sets `items` in `box`; `stretch` spreads them over the whole line, otherwise they keep
  // their natural advances and only shrink to fit.
  // `extents`, when given, receives where each item starts and ends along the line.
  void line(const Box& box, const std::vector<TextItem>& items, double size, bool vertical,
            bool japanese, bool stretch, std::vector<std::pair<double, double>>* extents = nullptr);
  // A line whose items may carry ruby groups: the line, then each group's reading in small
  // type beside its base characters.
  void rubyLine(const Box& box, const std::vector<TextItem>& items, const TextArea& area,
                double size, bool stretch);
  // One Glyphs element. `sideways`: the glyphs are turned on their side, their origin at the
  // top centre of the unturned glyph; under a quarter turn clockwise that sets them upright
  // down a column.
  void run(const std::vector<Glyph>& glyphs, size_t from, size_t to, double size, double x,
           double y, const std::string& transform = {}, bool sideways = false);

  Fonts& fonts_;
  XmlWriter x_;
  std::set<int> used_;
};

void PageBuilder::run(const std::vector<Glyph>& g, size_t from, size_t to, double size, double x,
                      double y, const std::string& transform, bool sideways) {
  if (from >= to || g[from].font < 0) return;
  XpsFont& font = fonts_.font(g[from].font);
  used_.insert(g[from].font);
  std::string unicode, indices;
  for (size_t i = from; i < to; ++i) {
    appendUtf8(unicode, g[i].code);
    font.use(g[i].index);
    if (i > from) indices += ';';
    if (g[i].code > 0xFFFF) indices += "(2:1)";
    indices += std::to_string(g[i].index) + "," + num(g[i].advance / size * 100);
  }
  // A leading brace would be read as an escape sequence.
  if (!unicode.empty() && unicode[0] == '{') unicode = "{}" + unicode;
  x_.open("Glyphs")
      .attr("Fill", "#FF000000")
      .attr("FontUri", fonts_.uri(g[from].font))
      .attr("FontRenderingEmSize", num(size * kUnit))
      .attr("OriginX", num(x * kUnit))
      .attr("OriginY", num(y * kUnit))
      .attr("UnicodeString", unicode)
      .attr("Indices", indices);
  if (sideways) x_.attr("IsSideways", "true");
  if (!transform.empty()) x_.attr("RenderTransform", transform);
  x_.close();
}

void PageBuilder::line(const Box& box, const std::vector<TextItem>& items, double size,
                       bool vertical, bool japanese, bool stretch,
                       std::vector<std::pair<double, double>>* extents) {
  if (items.empty() || size <= 0) return;
  if (!vertical) {
    std::vector<Glyph> g;
    double total = 0;
    for (const TextItem& it : items) {
      Fonts::Pick p = fonts_.pick(it.code, japanese, false);
      double adv = p.font >= 0 ? fonts_.font(p.font).advance(p.glyph) * size : size;
      g.push_back({it.code, p.font, p.glyph, adv});
      total += adv;
    }
    if (total <= 0) return;
    double scale =
        stretch ? std::clamp(box.w / total, 0.5, 2.0) : std::clamp(box.w / total, 0.5, 1.0);
    for (Glyph& gl : g) gl.advance *= scale;
    double asc = g[0].font >= 0 ? fonts_.font(g[0].font).ascender() : 0.88;
    double baseline = box.y + (box.h - size) / 2 + size * asc;
    double x = box.x;
    size_t start = 0;
    for (size_t i = 1; i <= g.size(); ++i) {
      if (i < g.size() && g[i].font == g[start].font) continue;
      run(g, start, i, size, x, baseline);
      for (size_t k = start; k < i; ++k) {
        if (extents != nullptr) extents->emplace_back(x, x + g[k].advance);
        x += g[k].advance;
      }
      start = i;
    }
    return;
  }
  // Vertical: cells down the column. A tate-chu-yoko group shares one cell.
  struct CellRun {
    size_t from, to;
    int rotation;
    double extent;
    Fonts::Pick pick;  // of the cell's one glyph (upright or sideways cells)
  };
  std::vector<CellRun> cells;
  for (size_t i = 0; i < items.size();) {
    size_t j = i + 1;
    if (items[i].rotation == 100)
      while (j < items.size() && items[j].rotation == 100) ++j;
    double extent = size;
    Fonts::Pick p;
    if (items[i].rotation == 90) {
      p = fonts_.pick(items[i].code, japanese, false);
      extent = p.font >= 0 ? fonts_.font(p.font).advance(p.glyph) * size : size;
    } else if (items[i].rotation != 100) {
      p = fonts_.pick(items[i].code, japanese, true);
    }
    cells.push_back({i, j, items[i].rotation, extent, p});
    i = j;
  }
  double total = 0;
  for (const CellRun& c : cells) total += c.extent;
  double scale =
      stretch ? std::clamp(box.h / total, 0.5, 2.0) : std::clamp(box.h / total, 0.5, 1.0);
  const double cx = box.x + box.w / 2;
  std::vector<double> top(cells.size() + 1, box.y);
  for (size_t k = 0; k < cells.size(); ++k) top[k + 1] = top[k] + cells[k].extent * scale;
  // Cells in reading order; each stretch of upright or sideways cells in one font is one run
  // down the column (turned a quarter clockwise about the top of its first cell), a
  // tate-chu-yoko group a run of its own across the column.
  for (size_t k = 0; k < cells.size();) {
    const CellRun& c = cells[k];
    const double step = c.extent * scale;
    if (c.rotation == 100) {
      std::vector<Glyph> g;
      double w = 0;
      for (size_t i = c.from; i < c.to; ++i) {
        Fonts::Pick p = fonts_.pick(items[i].code, japanese, false);
        double adv = p.font >= 0 ? fonts_.font(p.font).advance(p.glyph) * size : size;
        g.push_back({items[i].code, p.font, p.glyph, adv});
        w += adv;
      }
      // Wider than the column: a smaller font keeps the group inside its cell.
      double s = w > size ? size * size / w : size;
      for (Glyph& gl : g) gl.advance *= s / size;
      double asc = g[0].font >= 0 ? fonts_.font(g[0].font).ascender() : 0.88;
      double baseline = top[k] + (step - s) / 2 + s * asc;
      double x = cx - std::min(w, size) / 2;
      size_t start = 0;
      for (size_t i = 1; i <= g.size(); ++i) {
        if (i < g.size() && g[i].font == g[start].font) continue;
        run(g, start, i, s, x, baseline);
        for (size_t m = start; m < i; ++m) x += g[m].advance;
        start = i;
      }
      ++k;
      continue;
    }
    size_t end = k + 1;
    while (end < cells.size() && cells[end].rotation == c.rotation &&
           cells[end].pick.font == c.pick.font)
      ++end;
    if (c.pick.font < 0) {
      k = end;
      continue;
    }
    XpsFont& f = fonts_.font(c.pick.font);
    std::vector<Glyph> g;
    const bool upright = c.rotation != 90;
    // Upright glyphs sit in the middle of their cells: from one glyph to the next is from the
    // middle of one cell to the middle of the next.
    for (size_t m = k; m < end; ++m) {
      const double here = (top[m] + top[m + 1]) / 2;
      const double next = m + 1 < end ? (top[m + 1] + top[m + 2]) / 2 : here + size / 2;
      g.push_back({items[cells[m].from].code, c.pick.font, cells[m].pick.glyph,
                   upright ? next - here : top[m + 1] - top[m]});
    }
    const double start = upright ? (top[k] + top[k + 1]) / 2 - size / 2 : top[k];
    // Sideways glyphs stand on a baseline that centres their height on the column.
    const double across = upright ? cx : cx - (f.ascender() - f.descender()) * size / 2;
    const std::string m = "0,1,-1,0," + num(across * kUnit) + "," + num(start * kUnit);
    run(g, 0, g.size(), size, 0, 0, m, upright);
    k = end;
  }
  if (extents != nullptr)
    for (size_t k = 0; k < cells.size(); ++k)
      for (size_t i = cells[k].from; i < cells[k].to; ++i)
        extents->emplace_back(top[k], top[k + 1]);
}

void PageBuilder::rubyLine(const Box& box, const std::vector<TextItem>& items, const TextArea& area,
                           double size, bool stretch) {
  bool japanese = area.langId == 128;
  std::vector<std::pair<double, double>> extents;
  line(box, items, size, area.vertical, japanese, stretch, &extents);
  if (extents.size() != items.size()) return;
  double small = size / 2;
  for (size_t i = 0; i < items.size();) {
    size_t j = i + 1;
    if (items[i].ruby < 0) {
      i = j;
      continue;
    }
    while (j < items.size() && items[j].ruby == items[i].ruby) ++j;
    std::vector<TextItem> reading;
    for (char32_t c : area.rubies[items[i].ruby].ruby) reading.push_back({c, 0, -1});
    double from = extents[i].first, to = extents[j - 1].second;
    Box r = area.vertical ? Box{box.x + (box.w + size) / 2, from, small, to - from}
                          : Box{from, box.y + (box.h - size) / 2 - small, to - from, small};
    line(r, reading, small, area.vertical, japanese, true);
    i = j;
  }
}

// Ruby groups are set as their base characters, each marked with its group, in the line.
std::vector<TextItem> expandRuby(const Paragraph& p, const TextArea& t) {
  std::vector<TextItem> out;
  for (const TextItem& it : p) {
    if (it.ruby < 0) {
      out.push_back(it);
      continue;
    }
    for (char32_t c : t.rubies[it.ruby].base) out.push_back({c, 0, it.ruby});
  }
  return out;
}

void PageBuilder::text(const PlacedText& t) {
  const TextArea& area = *t.area;
  bool japanese = area.langId == 128;
  std::vector<size_t> normal;
  for (size_t i = 0; i < area.lines.size(); ++i)
    if (area.lines[i].normal) normal.push_back(i);
  double size = t.fontPt;
  if (normal.size() == area.paragraphs.size()) {
    // One paragraph per line: every line at its own place.
    for (size_t k = 0; k < normal.size(); ++k)
      rubyLine(t.lines[normal[k]], expandRuby(area.paragraphs[k], area), area, size, true);
    return;
  }
  // Otherwise the paragraphs flow through the area line by line, breaking where a line is full.
  double along = area.vertical ? t.box.h : t.box.w;
  double pos = 0;
  auto place = [&](const std::vector<TextItem>& items) {
    Box b = area.vertical ? Box{t.box.right() - size - pos, t.box.y, size, t.box.h}
                          : Box{t.box.x, t.box.y + pos, t.box.w, size};
    rubyLine(b, items, area, size, false);
    pos += t.pitchPt;
  };
  for (const Paragraph& p : area.paragraphs) {
    std::vector<TextItem> items = expandRuby(p, area), current;
    double used = 0;
    for (const TextItem& it : items) {
      double adv = size;
      if (!area.vertical) {
        Fonts::Pick pk = fonts_.pick(it.code, japanese, false);
        if (pk.font >= 0) adv = fonts_.font(pk.font).advance(pk.glyph) * size;
      }
      if (used + adv > along + 0.5 && !current.empty()) {
        place(current);
        current.clear();
        used = 0;
      }
      current.push_back(it);
      used += adv;
    }
    place(current);
  }
}

void PageBuilder::rule(double x1, double y1, double x2, double y2, int style) {
  x_.open("Path")
      .attr("Data", "M " + num(x1 * kUnit) + "," + num(y1 * kUnit) + " L " + num(x2 * kUnit) + "," +
                        num(y2 * kUnit))
      .attr("Stroke", "#FF000000")
      .attr("StrokeThickness", "1");
  if (style == 2) x_.attr("StrokeDashArray", "1 2");
  x_.close();
}

void PageBuilder::table(const PlacedTable& p) {
  const Table& t = *p.table;
  std::vector<Span> spans = tableSpans(t);
  for (int r = 0; r < t.rows; ++r) {
    for (int c = 0; c < t.columns; ++c) {
      const Span& s = spans[r * t.columns + c];
      if (s.covered) continue;
      const Cell& cell = t.at(r, c);
      Box b{p.colX[c], p.rowY[r], p.colX[std::min(t.columns, c + s.columns)] - p.colX[c],
            p.rowY[std::min(t.rows, r + s.rows)] - p.rowY[r]};
      // Left, top, right, bottom; a double border is two lines a point and a half apart.
      const double sides[4][4] = {{b.x, b.y, b.x, b.bottom()},
                                  {b.x, b.y, b.right(), b.y},
                                  {b.right(), b.y, b.right(), b.bottom()},
                                  {b.x, b.bottom(), b.right(), b.bottom()}};
      for (int k = 0; k < 4; ++k) {
        int style = cell.filled ? cell.border[k] : 1;
        if (style == 0) continue;
        rule(sides[k][0], sides[k][1], sides[k][2], sides[k][3], style);
        if (style == 3) {
          double dx = (k % 2 == 0) ? (k == 0 ? 1.5 : -1.5) : 0,
                 dy = (k % 2 == 1) ? (k == 1 ? 1.5 : -1.5) : 0;
          rule(sides[k][0] + dx, sides[k][1] + dy, sides[k][2] + dx, sides[k][3] + dy, 1);
        }
      }
      double size = cell.fontPt > 0 ? cell.fontPt : 10.5;
      std::vector<std::vector<TextItem>> lines(1);
      for (char32_t ch : cell.text) {
        if (ch == U'\n')
          lines.emplace_back();
        else
          lines.back().push_back({ch, 0, -1});
      }
      double pitch = size * 1.2, inset = 1.5;
      double extent = pitch * lines.size() - (pitch - size);
      for (size_t k = 0; k < lines.size(); ++k) {
        Box lb;
        if (cell.vertical) {
          double right = b.x + (b.w + extent) / 2;
          lb = {right - size - k * pitch, b.y + inset, size, std::max(1.0, b.h - 2 * inset)};
        } else {
          double top = b.y + (b.h - extent) / 2;
          lb = {b.x + inset, top + k * pitch, std::max(1.0, b.w - 2 * inset), size};
        }
        line(lb, lines[k], size, cell.vertical, true, false);
      }
    }
  }
}

void PageBuilder::picture(const PlacedPicture& p, const std::string& uri) {
  const Picture& pic = *p.picture;
  const Box& b = p.box;
  std::string box =
      num(b.x * kUnit) + "," + num(b.y * kUnit) + "," + num(b.w * kUnit) + "," + num(b.h * kUnit);
  x_.open("Path").attr("Data", "M " + num(b.x * kUnit) + "," + num(b.y * kUnit) + " L " +
                                   num(b.right() * kUnit) + "," + num(b.y * kUnit) + " " +
                                   num(b.right() * kUnit) + "," + num(b.bottom() * kUnit) + " " +
                                   num(b.x * kUnit) + "," + num(b.bottom() * kUnit) + " Z");
  x_.open("Path.Fill")
      .open("ImageBrush")
      .attr("ImageSource", uri)
      .attr("Viewbox", "0,0," + num(pic.pixelWidth * 96.0 / pic.dpiX) + "," +
                           num(pic.pixelHeight * 96.0 / pic.dpiY))
      .attr("ViewboxUnits", "Absolute")
      .attr("Viewport", box)
      .attr("ViewportUnits", "Absolute")
      .attr("TileMode", "None")
      .close()
      .close()
      .close();
}

}  // namespace

int writeXps(const Document& doc, const std::string& path) {
  if (doc.pages.empty() || path.empty()) return EINVAL;
  std::vector<PlacedPage> pages = placeDocument(doc, Units::Fixed);
  Fonts fonts(doc, pages.front().setup);

  Package pkg;
  std::vector<std::pair<std::string, std::string>> partsAfter;  // written after the fonts are known
  XmlWriter types;
  types.open("Types").attr("xmlns", "http://schemas.openxmlformats.org/package/2006/content-types");
  const std::pair<const char*, const char*> defaults[] = {
      {"rels", "application/vnd.openxmlformats-package.relationships+xml"},
      {"xml", "application/xml"},
      {"fdseq", "application/vnd.ms-package.xps-fixeddocumentsequence+xml"},
      {"fdoc", "application/vnd.ms-package.xps-fixeddocument+xml"},
      {"fpage", "application/vnd.ms-package.xps-fixedpage+xml"},
      {"odttf", "application/vnd.ms-package.obfuscated-opentype"},
      {"jpg", "image/jpeg"},
      {"png", "image/png"}};
  for (auto& [ext, type] : defaults)
    types.open("Default").attr("Extension", ext).attr("ContentType", type).close();
  types.open("Override")
      .attr("PartName", "/docProps/core.xml")
      .attr("ContentType", "application/vnd.openxmlformats-package.core-properties+xml")
      .close();
  pkg.add("[Content_Types].xml", types.finish());
  pkg.add("docProps/core.xml", corePropertiesXml(doc.info));

  XmlWriter rootRels;
  rootRels.open("Relationships")
      .attr("xmlns", "http://schemas.openxmlformats.org/package/2006/relationships");
  rootRels.open("Relationship")
      .attr("Id", "R0")
      .attr("Type", "http://schemas.microsoft.com/xps/2005/06/fixedrepresentation")
      .attr("Target", "/FixedDocSeq.fdseq")
      .close();
  rootRels.open("Relationship")
      .attr("Id", "R1")
      .attr("Type",
            "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties")
      .attr("Target", "/docProps/core.xml")
      .close();
  pkg.add("_rels/.rels", rootRels.finish());

  XmlWriter seq;
  seq.open("FixedDocumentSequence").attr("xmlns", kXpsNs);
  seq.open("DocumentReference").attr("Source", "/Documents/1/FixedDoc.fdoc").close();
  pkg.add("FixedDocSeq.fdseq", seq.finish());

  XmlWriter fdoc;
  fdoc.open("FixedDocument").attr("xmlns", kXpsNs);
  int picture = 0;
  for (size_t i = 0; i < pages.size(); ++i) {
    const PlacedPage& page = pages[i];
    std::string name = std::to_string(i + 1) + ".fpage";
    fdoc.open("PageContent")
        .attr("Source", "/Documents/1/Pages/" + name)
        .attr("Width", num(page.width * kUnit))
        .attr("Height", num(page.height * kUnit))
        .close();
    PageBuilder b(fonts, page);
    std::vector<std::string> images;
    for (const PlacedPicture& p : page.pictures) {
      std::string uri = "/Documents/1/Resources/Images/" + std::to_string(++picture) +
                        (p.picture->png ? ".png" : ".jpg");
      pkg.add(uri.substr(1), p.picture->bytes, false);
      images.push_back(uri);
      b.picture(p, uri);
    }
    for (const PlacedRule& r : page.rules)
      b.rule(r.box.x, r.box.y, r.box.right(), r.box.bottom(), 1);
    // Text and tables in the order the program passed them, which is the reading order.
    size_t ti = 0, xi = 0;
    while (ti < page.tables.size() || xi < page.texts.size()) {
      if (xi >= page.texts.size() ||
          (ti < page.tables.size() && page.tables[ti].table->order < page.texts[xi].area->order))
        b.table(page.tables[ti++]);
      else
        b.text(page.texts[xi++]);
    }
    pkg.add("Documents/1/Pages/" + name, b.finish());
    XmlWriter rels;
    rels.open("Relationships")
        .attr("xmlns", "http://schemas.openxmlformats.org/package/2006/relationships");
    int id = 0;
    for (int f : b.fontsUsed())
      rels.open("Relationship")
          .attr("Id", "R" + std::to_string(++id))
          .attr("Type", kRequired)
          .attr("Target", fonts.uri(f))
          .close();
    for (const std::string& uri : images)
      rels.open("Relationship")
          .attr("Id", "R" + std::to_string(++id))
          .attr("Type", kRequired)
          .attr("Target", uri)
          .close();
    pkg.add("Documents/1/Pages/_rels/" + name + ".rels", rels.finish());
  }
  pkg.add("Documents/1/FixedDoc.fdoc", fdoc.finish());
  for (size_t f = 0; f < fonts.count(); ++f) {
    XpsFont& font = fonts.font(static_cast<int>(f));
    if (!font.used()) continue;
    std::string bytes = font.embeddedBytes();
    obfuscateFont(bytes, fonts.guid(static_cast<int>(f)));
    pkg.add(fonts.uri(static_cast<int>(f)).substr(1), std::move(bytes));
  }
  return pkg.write(path);
}

}  // namespace oxmlgen
