// Content stream operators.
#include "export/pdf/pdf_content.h"

#include "export/pdf/append_format.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace vellary::exporting::pdf {

namespace {

void appendColour(std::string& out, Rgb c) {
  appendf(out, "> Tj %f %f %f rg<", c.r / 255.0, c.g / 255.0, c.b / 255.0);
}

void appendUnit(std::string& out, char16_t unit, int fontType) {
  if (fontType == FontTimes)
    appendf(out, "%2.2X", static_cast<unsigned>(unit & 0xFF));
  else
    appendf(out, "%4.4X", static_cast<unsigned>(unit));
}

bool isHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }

// The string operand of a visible run or a table cell, from "<" to ">": the first character's
// colour before it, a colour switch before each later character (not a line feed) whose colour
// differs from the colour in effect, and a line move for each U+000A.
std::string visibleOperand(const PdfText& run, bool tableCell) {
  const bool vertical = isVerticalFont(run.fontType);
  auto colourAt = [&](size_t i) { return i < run.colours.size() ? run.colours[i] : Rgb{}; };
  std::string out = "<";
  Rgb current;
  for (size_t i = 0; i < run.text.size(); ++i) {
    const char16_t u = run.text[i];
    if (i == 0 || (u != u'\n' && !(colourAt(i) == current))) {
      current = colourAt(i);
      appendColour(out, current);
    }
    if (u == u'\n') {
      if (tableCell)
        appendf(out, vertical ? "> Tj\r-%.2f 0 TD\r<" : "> Tj\r0 -%.2f TD\r<",
                run.lineAdvance / 100.0);
      else
        appendf(out, vertical ? "> Tj\r-%d 0 TD\r<" : "> Tj\r0 -%d TD\r<", run.lineAdvance);
      continue;
    }
    if (u == u'\r' && !tableCell && !vertical) continue;
    appendUnit(out, u, run.fontType);
  }
  out += ">";
  return out;
}

}  // namespace

std::string visibleTextOps(const PdfText& run, int mcid) {
  std::string out;
  appendf(out,
          "/P << /MCID %d >>\rBDC\rBT\r0 0 0 rg \r0 Tc 0 Tw 100 Tz %d Tr\r%d %d TD\r/F%d %d Tf\r",
          mcid, run.renderMode, run.x, run.y, run.fontType, run.fontSize);
  out += visibleOperand(run, false);
  out += " Tj\rET\rEMC\r";
  return out;
}

std::string invisibleTextOps(const PdfText& run, int mcid) {
  std::string out;
  appendf(out, "/P << /MCID %d >>\rBDC\rBT\r0 0 0 rg \r0 Tc 0 Tw 100 Tz %d Tr\r/F%d %d Tf\r", mcid,
          run.renderMode, run.fontType, run.fontSize);
  const std::u16string& text = run.text;
  const bool vertical = isVerticalFont(run.fontType);
  const size_t pieces = std::min({run.runLengths.size(), run.xOffsets.size(), run.yOffsets.size()});
  auto runLength = [&](size_t k) { return k < pieces ? run.runLengths[k] : 0; };
  auto moves = [&](size_t k) {
    return k < pieces && (run.xOffsets[k] != 0 || run.yOffsets[k] != 0);
  };
  // Writes up to n characters (a surrogate pair is one) from position i.
  auto putChars = [&](size_t& i, int n) {
    for (int c = 0; c < n && i < text.size(); ++c) {
      appendUnit(out, text[i], run.fontType);
      if (isHighSurrogate(text[i]) && i + 1 < text.size()) appendUnit(out, text[++i], run.fontType);
      ++i;
    }
  };
  auto skipChars = [&](size_t& i, int n) {
    for (int c = 0; c < n && i < text.size(); ++c) {
      if (isHighSurrogate(text[i]) && i + 1 < text.size()) ++i;
      ++i;
    }
  };

  size_t i = 0;
  bool open = false;  // a string operand is open
  for (size_t k = 0; runLength(k) > 0 && i < text.size(); ++k) {
    const int n = runLength(k);
    if (vertical) {
      if (text[i] == u'\n') {
        skipChars(i, n);
        continue;
      }
      appendf(out, "%d %d TD\r<", run.xOffsets[k], -run.yOffsets[k]);
      putChars(i, n);
      out += "> Tj\r";
      continue;
    }
    if (!open && (text[i] == u'\n' || text[i] == u'\r')) {
      skipChars(i, n);
      continue;
    }
    if (k == 0 || moves(k)) {
      if (open) out += "> Tj\r";
      appendf(out, "%d %d TD\r<", run.xOffsets[k], -run.yOffsets[k]);
      open = true;
    } else if (!open) {
      out += "<";
      open = true;
    }
    putChars(i, n);
    if (runLength(k + 1) == 0 || i >= text.size() || moves(k + 1)) {
      out += "> Tj\r";
      open = false;
    }
  }
  if (open) out += "> Tj\r";
  out += "ET\rEMC\r";
  return out;
}

std::string textOps(const PdfText& run, int mcid) {
  return run.renderMode == RenderInvisible ? invisibleTextOps(run, mcid)
                                           : visibleTextOps(run, mcid);
}

std::string tableOps(const PdfTable& table, int mcid) {
  std::string out;
  appendf(out, "/P << /MCID %d >>\rBDC\r", mcid);
  // Every segment of both rule lists in order; each list holds its lines of segments one after
  // the other, so walking it whole draws the same lines whichever way the table is written.
  for (const auto* rules : {&table.horizontalRules, &table.verticalRules}) {
    for (const PdfRule& r : *rules) {
      switch (r.style) {
        case 0:
          continue;
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
          break;
      }
      appendf(out, "%.2f %.2f m\r%.2f %.2f l\rS\r", r.x1 / 100.0, r.y1 / 100.0, r.x2 / 100.0,
              r.y2 / 100.0);
    }
  }
  for (const PdfText& cell : table.cells) {
    if (cell.text.empty()) continue;
    appendf(out, "BT\r0 0 0 rg 0 Tc 0 Tw\r%d %d TD\r/F%d %d Tf ", cell.x, cell.y, cell.fontType,
            cell.fontSize);
    out += visibleOperand(cell, true);
    out += " Tj\rET\r";
  }
  out += "EMC\r";
  return out;
}

std::string figureOps(const PdfImage& image, int imageIndex, int mcid) {
  std::string out;
  appendf(out, "/Figure << /MCID %d >>\rBDC\rq\r", mcid);
  if (image.imageMask)
    appendf(out, "%f %f %f rg\r", image.colour.r / 255.0, image.colour.g / 255.0,
            image.colour.b / 255.0);
  appendf(out, "%d 0 0 %d %d %d cm\r/im%d Do\rQ\rEMC\r", static_cast<int>(image.width),
          static_cast<int>(image.height), static_cast<int>(image.x), static_cast<int>(image.y),
          imageIndex);
  return out;
}

}  // namespace vellary::exporting::pdf
