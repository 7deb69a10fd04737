// Content stream operators.
#include "export/pdf/pdf_content.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "export/pdf/append_format.h"

namespace vellary::exporting::pdf {

namespace {

// Font sizes beyond these are damaged boxes, not print.
constexpr double kSmallestSize = 0.5, kLargestSize = 2000;
// Ink this small across the line says nothing about the font size (a long vowel mark, a dot).
constexpr double kMeasurableInk = 0.3;

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

const char* tagOf(PdfRole role) { return role == PdfRole::Heading ? "H1" : "P"; }

}  // namespace

void ContentWriter::line(std::string& out, const PdfLine& l, int renderMode) {
  const size_t n = l.chars.size();
  if (n == 0) return;
  const bool invisible = renderMode == RenderInvisible;
  const int type = l.fontType;
  const bool vertical = isVerticalFont(type);
  std::vector<ShownChar> shown;
  shown.reserve(n);
  for (const PdfChar& c : l.chars) shown.push_back(fonts_.show(type, invisible, c.code));

  // The size that makes the glyphs' ink as large as the characters' boxes.
  std::vector<double> sizes;
  double largest = 0;
  for (size_t i = 0; i < n; ++i) {
    const PdfChar& c = l.chars[i];
    if (!c.placed) continue;
    const double across = vertical ? c.box.width() : c.box.height();
    largest = std::max(largest, across);
    const double ink =
        vertical ? shown[i].ink.right - shown[i].ink.left : shown[i].ink.top - shown[i].ink.bottom;
    if (!shown[i].ink.empty() && ink >= kMeasurableInk && across > 0) sizes.push_back(across / ink);
  }
  double s = lastSize_;
  if (!sizes.empty())
    s = median(sizes);
  else if (largest > 0)
    s = largest / 0.9;
  else if (l.hasBox)
    s = vertical ? l.box.width() : l.box.height();
  s = std::clamp(std::isfinite(s) ? s : lastSize_, kSmallestSize, kLargestSize);
  lastSize_ = s;

  // Where each glyph's origin goes along the line, and where the line stands across it.
  const double origin = vertical ? fonts_.verticalOrigin(type) : 0;
  std::vector<double> at(n, NAN);
  std::vector<double> cross;
  for (size_t i = 0; i < n; ++i) {
    const PdfChar& c = l.chars[i];
    if (!c.placed) continue;
    const FontFace::Box& ink = shown[i].ink;
    if (!vertical) {
      at[i] = ink.empty() ? c.box.left : c.box.left - ink.left * s;
      if (!ink.empty()) cross.push_back(c.box.bottom - ink.bottom * s);
    } else {
      at[i] = ink.empty() ? c.box.top : c.box.top + (origin - ink.top) * s;
      if (!ink.empty()) cross.push_back(c.box.left + (shown[i].width / 2 - ink.left) * s);
    }
  }
  double across = 0;
  if (!cross.empty()) {
    across = median(cross);
  } else {
    double lo = INFINITY, hi = -INFINITY;
    for (const PdfChar& c : l.chars)
      if (c.placed) {
        lo = std::min(lo, vertical ? c.box.left : c.box.bottom);
        hi = std::max(hi, vertical ? c.box.right : c.box.top);
      }
    if (!std::isfinite(lo) && l.hasBox) {
      lo = vertical ? l.box.left : l.box.bottom;
      hi = vertical ? l.box.right : l.box.top;
    }
    if (!std::isfinite(lo)) lo = hi = 0;
    across = vertical ? (lo + hi) / 2 : lo + 0.12 * s;
  }
  // Characters without a place follow the one before; those before the first placed one lead
  // up to it.
  auto step = [&](size_t i) { return vertical ? -s : shown[i].width * s; };
  size_t first = n;
  for (size_t i = 0; i < n && first == n; ++i)
    if (!std::isnan(at[i])) first = i;
  if (first == n) {
    first = 0;
    at[0] = l.hasBox ? (vertical ? l.box.top : l.box.left) : 0;
  }
  for (size_t i = first; i-- > 0;) at[i] = at[i + 1] - step(i);
  for (size_t i = first + 1; i < n; ++i)
    if (std::isnan(at[i])) at[i] = at[i - 1] + step(i - 1);

  const std::string font = fonts_.resource(type, invisible);
  used_.insert(font);
  appendf(out, "BT\r/%s %.2f Tf\r%d Tr\r", font.c_str(), s, renderMode);
  Rgb colour = l.chars[0].colour;
  if (!invisible)
    appendf(out, "%.3f %.3f %.3f rg\r", colour.r / 255.0, colour.g / 255.0, colour.b / 255.0);
  if (vertical)
    appendf(out, "1 0 0 1 %.2f %.2f Tm\r[<", across, at[0]);
  else
    appendf(out, "1 0 0 1 %.2f %.2f Tm\r[<", at[0], across);
  for (size_t i = 0; i < n; ++i) {
    if (i > 0) {
      const double distance = vertical ? at[i - 1] - at[i] : at[i] - at[i - 1];
      const double natural = vertical ? s : shown[i - 1].width * s;
      const long adjust = std::lround(1000 * (vertical ? distance - natural : natural - distance) / s);
      const Rgb next = l.chars[i].colour;
      if (!invisible && !(next == colour)) {
        colour = next;
        out += ">";
        if (adjust != 0) appendf(out, " %ld", adjust);
        appendf(out, "] TJ\r%.3f %.3f %.3f rg\r[<", colour.r / 255.0, colour.g / 255.0,
                colour.b / 255.0);
      } else if (adjust != 0) {
        appendf(out, "> %ld <", adjust);
      }
    }
    out += shown[i].hex;
  }
  out += ">] TJ\rET\r";
}

std::string ContentWriter::textBlock(const PdfTextBlock& block, int mcid) {
  std::string out;
  if (block.role == PdfRole::Artifact || mcid < 0)
    out += "/Artifact BMC\r";
  else
    appendf(out, "/%s << /MCID %d >>\rBDC\r", tagOf(block.role), mcid);
  for (const PdfLine& l : block.lines) line(out, l, block.renderMode);
  out += "EMC\r";
  return out;
}

std::string ContentWriter::table(const PdfTable& t, const std::vector<int>& mcids) {
  std::string out;
  bool rules = false;
  for (const auto* list : {&t.horizontalRules, &t.verticalRules})
    for (const PdfRule& r : *list) rules = rules || r.style != 0;
  if (rules) {
    out += "/Artifact BMC\r";
    for (const auto* list : {&t.horizontalRules, &t.verticalRules}) {
      for (const PdfRule& r : *list) {
        switch (r.style) {
          case 1:
            out += "0 w\r[] 0 d\r";
            break;
          case 2:
            out += "0 w\r[2] 1 d\r";
            break;
          case 3:
            out += "2 w\r[] 0 d\r";
            break;
          default:
            continue;
        }
        appendf(out, "%.2f %.2f m\r%.2f %.2f l\rS\r", r.x1 / 100.0, r.y1 / 100.0, r.x2 / 100.0,
                r.y2 / 100.0);
      }
    }
    out += "EMC\r";
  }
  for (size_t i = 0; i < t.cells.size(); ++i) {
    const int mcid = i < mcids.size() ? mcids[i] : -1;
    if (mcid < 0)
      out += "/Artifact BMC\r";
    else
      appendf(out, "/TD << /MCID %d >>\rBDC\r", mcid);
    for (const PdfLine& l : t.cells[i].lines) line(out, l, t.renderMode);
    out += "EMC\r";
  }
  return out;
}

std::string ContentWriter::figure(const PdfImage& image, int imageIndex, int mcid) {
  std::string out;
  if (mcid < 0)
    out += "/Artifact BMC\rq\r";
  else
    appendf(out, "/Figure << /MCID %d >>\rBDC\rq\r", mcid);
  if (image.imageMask)
    appendf(out, "%f %f %f rg\r", image.colour.r / 255.0, image.colour.g / 255.0,
            image.colour.b / 255.0);
  // Exact placement: a picture drawn in whole points would be stretched or shifted by up to a
  // point.
  appendf(out, "%.4f 0 0 %.4f %.4f %.4f cm\r/im%d Do\rQ\rEMC\r", image.width, image.height,
          image.x, image.y, imageIndex);
  return out;
}

}  // namespace vellary::exporting::pdf
