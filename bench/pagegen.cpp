// Page generator for the export tests and benchmarks.
#include "pagegen.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "imaging/dib.h"
#include "imaging/picture_file.h"
#include "imaging/picture_ops.h"
#include "model/paper.h"
#include "model/text.h"

namespace vellary::pagegen {

namespace {

using model::BlockData;
using model::CharData;
using model::LineData;

constexpr std::u16string_view kBody =
    u"吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。何でも薄暗いじめじめした"
    u"所でニャーニャー泣いていた事だけは記憶している。吾輩はここで始めて人間というものを見た。"
    u"しかもあとで聞くとそれは書生という人間中で一番獰悪な種族であったそうだ。";

struct Rgb {
  uint8_t r, g, b;
};

class Canvas {
 public:
  Canvas(int w, int h, Rgb paper, uint32_t seed)
      : w_(w), h_(h), px_(static_cast<size_t>(w) * h * 3) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> noise(-3, 3);
    for (size_t i = 0; i < px_.size(); i += 3) {
      const int n = noise(rng);
      px_[i] = clamp(paper.r + n);
      px_[i + 1] = clamp(paper.g + n);
      px_[i + 2] = clamp(paper.b + n);
    }
  }
  void fill(int l, int t, int r, int b, Rgb c) {
    for (int y = std::max(t, 0); y < std::min(b, h_); ++y)
      for (int x = std::max(l, 0); x < std::min(r, w_); ++x) set(x, y, c);
  }
  void set(int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
    uint8_t* p = &px_[(static_cast<size_t>(y) * w_ + x) * 3];
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
  }
  // A photograph-like figure: a smooth colour field with a disc and grain.
  void photo(int l, int t, int r, int b, uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> grain(-12, 12);
    const double cx = (l + r) / 2.0, cy = (t + b) / 2.0, rad = (r - l) / 4.0;
    for (int y = t; y < b; ++y)
      for (int x = l; x < r; ++x) {
        const double u = static_cast<double>(x - l) / (r - l),
                     v = static_cast<double>(y - t) / (b - t);
        int R = static_cast<int>(90 + 120 * u), G = static_cast<int>(140 + 60 * v),
            B = static_cast<int>(200 - 120 * u * v);
        if (std::hypot(x - cx, y - cy) < rad) R = 230, G = 180, B = 60;
        const int n = grain(rng);
        set(x, y, Rgb{clamp(R + n), clamp(G + n), clamp(B + n)});
      }
  }
  // Strokes chosen by the code inside the box: three to five bars and slants, like a kanji.
  void glyph(int x, int y, int w, int h, char16_t code, Rgb ink) {
    uint32_t s = code * 2654435761u;
    auto next = [&]() { return (s = s * 1664525u + 1013904223u) >> 16; };
    const int t = std::max(1, w / 10);
    const int strokes = 3 + static_cast<int>(next() % 3);
    for (int i = 0; i < strokes; ++i) {
      const int kind = static_cast<int>(next() % 3);
      const int a = static_cast<int>(next() % 8), b = static_cast<int>(next() % 8);
      if (kind == 0) {  // horizontal bar
        const int yy = y + h * (1 + a) / 10;
        fill(x + w * b / 16, yy, x + w - w * (a % 3) / 10, yy + t, ink);
      } else if (kind == 1) {  // vertical bar
        const int xx = x + w * (1 + a) / 10;
        fill(xx, y + h * b / 16, xx + t, y + h - h * (a % 3) / 10, ink);
      } else {  // slant
        for (int k = 0; k < h * 8 / 10; ++k) {
          const int xx = x + w / 10 + (a < 4 ? k : h * 8 / 10 - k) * w / h;
          fill(xx, y + h / 10 + k, xx + t, y + h / 10 + k + 1, ink);
        }
      }
    }
  }
  int width() const { return w_; }
  int height() const { return h_; }

  // The picture: 24-bit colour, or bilevel by a fixed threshold on luminance.
  void toPicture(imaging::CPictInfo& pict, bool colour, int dpi) const {
    imaging::CreateNewImageToCPictInfo(pict, w_, h_, colour ? 24 : 1, dpi, dpi);
    imaging::DibHeader header;
    imaging::ConvertCPictToDIB(pict, header);
    std::vector<uint8_t> rows(header.imageSize, 0);
    const size_t stride = static_cast<size_t>(pict.bytesPerLine());
    for (int y = 0; y < h_; ++y) {
      uint8_t* row = rows.data() + static_cast<size_t>(h_ - 1 - y) * stride;
      for (int x = 0; x < w_; ++x) {
        const uint8_t* p = &px_[(static_cast<size_t>(y) * w_ + x) * 3];
        if (colour) {
          row[3 * x] = p[2];
          row[3 * x + 1] = p[1];
          row[3 * x + 2] = p[0];
        } else if ((299 * p[0] + 587 * p[1] + 114 * p[2]) / 1000 < 128) {
          row[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
        }
      }
    }
    imaging::ConvertDIBToCPict(pict, header.bytes, rows);
  }

 private:
  static uint8_t clamp(int v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); }
  int w_, h_;
  std::vector<uint8_t> px_;
};

class Builder {
 public:
  Builder(const PageSpec& spec, Canvas& canvas, model::PageData& page)
      : spec_(spec), canvas_(canvas), page_(page), k_(spec.dpi / 400.0) {}
  int s(int pixelsAt400) const { return static_cast<int>(std::lround(pixelsAt400 * k_)); }

  char16_t nextChar() {
    const char16_t c = kBody[cursor_ % kBody.size()];
    ++cursor_;
    return c;
  }

  // Horizontal lines of `perLine` characters of size `size` from (x, y), pitch between lines.
  void horizontalBlock(int x, int y, int lines, int perLine, int size, int pitch, Rgb ink,
                       int langId = model::kLangJapanese) {
    BlockData& b = page_.blocks.emplace_back();
    b.type = model::BlockText;
    b.direction = model::Horizontal;
    b.langId = langId;
    b.x = x;
    b.y = y;
    b.width = perLine * size * 11 / 10;
    b.height = lines * pitch;
    for (int i = 0; i < lines; ++i) {
      LineData& l = b.lines.emplace_back();
      l.x = x;
      l.y = y + i * pitch;
      l.width = b.width;
      l.height = size;
      const int n = i == lines - 1 ? perLine * 2 / 3 : perLine;
      for (int j = 0; j < n; ++j) {
        const char16_t code =
            langId == 0 ? static_cast<char16_t>(u'A' + (cursor_++ % 26)) : nextChar();
        addChar(l, x + j * size * 11 / 10, l.y, size, size, code, ink);
      }
    }
    finish(b);
  }

  // Vertical columns right to left from the column whose left edge is x.
  void verticalBlock(int x, int y, int columns, int perColumn, int size, int pitch, Rgb ink) {
    BlockData& b = page_.blocks.emplace_back();
    b.type = model::BlockText;
    b.direction = model::Vertical;
    b.langId = model::kLangJapanese;
    b.x = x - (columns - 1) * pitch;
    b.y = y;
    b.width = (columns - 1) * pitch + size;
    b.height = perColumn * size * 11 / 10;
    for (int i = 0; i < columns; ++i) {
      LineData& l = b.lines.emplace_back();
      l.x = x - i * pitch;
      l.y = y;
      l.width = size;
      l.height = b.height;
      for (int j = 0; j < perColumn; ++j)
        addChar(l, l.x, y + j * size * 11 / 10, size, size, nextChar(), ink);
    }
    finish(b);
  }

  void table(int x, int y, int rows, int cols, int cellW, int cellH, int size) {
    BlockData& b = page_.blocks.emplace_back();
    b.type = model::BlockTable;
    b.langId = model::kLangJapanese;
    b.x = x;
    b.y = y;
    b.width = cols * cellW;
    b.height = rows * cellH;
    const Rgb ink{20, 20, 20};
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c) {
        model::CellData& cell = b.cells.emplace_back();
        cell.row = r + 1;
        cell.col = c + 1;
        cell.x = x + c * cellW;
        cell.y = y + r * cellH;
        cell.width = cellW;
        cell.height = cellH;
        cell.border = {model::BorderSolid, model::BorderSolid, model::BorderSolid,
                       model::BorderSolid};
        const int t = std::max(1, s(4));
        canvas_.fill(cell.x, cell.y, cell.x + cellW, cell.y + t, ink);
        canvas_.fill(cell.x, cell.y, cell.x + t, cell.y + cellH, ink);
        if (r == rows - 1)
          canvas_.fill(cell.x, cell.y + cellH - t, cell.x + cellW, cell.y + cellH, ink);
        if (c == cols - 1)
          canvas_.fill(cell.x + cellW - t, cell.y, cell.x + cellW, cell.y + cellH, ink);
        LineData& l = cell.lines.emplace_back();
        l.x = cell.x + s(30);
        l.y = cell.y + (cellH - size) / 2;
        l.height = size;
        const int n = 2 + (r + c) % 3;
        l.width = n * size * 11 / 10;
        for (int j = 0; j < n; ++j)
          addChar(l, l.x + j * size * 11 / 10, l.y, size, size, nextChar(), ink);
        model::computeCellAverages(cell, model::Horizontal);
      }
    model::computeTableAverage(b);
    b.charCount = 0;
    for (const model::CellData& cell : b.cells) b.charCount += cell.charCount;
  }

  void figure(int x, int y, int w, int h) {
    BlockData& b = page_.blocks.emplace_back();
    b.type = model::BlockImage;
    b.x = x;
    b.y = y;
    b.width = w;
    b.height = h;
    canvas_.photo(x, y, x + w, y + h, spec_.seed);
  }

 private:
  void addChar(LineData& l, int x, int y, int w, int h, char16_t code, Rgb ink) {
    CharData& c = l.chars.emplace_back();
    c.x = x;
    c.y = y;
    c.width = w;
    c.height = h;
    c.text = model::makeCharText(code);
    l.charCount += 1;
    canvas_.glyph(x, y, w, h, code, ink);
  }
  void finish(BlockData& b) { model::computeBlockAverages(b); }

  const PageSpec& spec_;
  Canvas& canvas_;
  model::PageData& page_;
  double k_;
  size_t cursor_ = 0;
};

}  // namespace

GeneratedPage generatePage(const PageSpec& spec) {
  GeneratedPage g;
  const double k = spec.dpi / 400.0;
  const int W = static_cast<int>(std::lround(3307 * k * spec.pageScale));
  const int H = static_cast<int>(std::lround(4677 * k * spec.pageScale));
  Canvas canvas(W, H, Rgb{248, 246, 238}, spec.seed);
  g.page.width = W;
  g.page.height = H;
  g.page.dpi = spec.dpi;
  Builder b(spec, canvas, g.page);
  // Heading in red, body in black; vertical column at the right.
  b.horizontalBlock(b.s(300), b.s(300), 1, 14, b.s(130), b.s(160), Rgb{200, 30, 30});
  const int bodyWidth = spec.vertical ? 30 : 38;
  b.horizontalBlock(b.s(300), b.s(600), spec.bodyLines, bodyWidth, b.s(64), b.s(100),
                    Rgb{25, 25, 25});
  if (spec.vertical)
    b.verticalBlock(b.s(2900), b.s(600), 4, 30, b.s(64), b.s(100), Rgb{25, 25, 25});
  int y = b.s(600) + spec.bodyLines * b.s(100) + b.s(100);
  if (spec.darkBand) {
    canvas.fill(b.s(280), y - b.s(30), b.s(3000), y + b.s(120), Rgb{30, 40, 110});
    b.horizontalBlock(b.s(300), y, 1, 24, b.s(80), b.s(100), Rgb{250, 250, 250});
    y += b.s(250);
  }
  if (spec.table) {
    b.table(b.s(300), y, 3, 4, b.s(600), b.s(140), b.s(64));
    y += b.s(500);
  }
  if (spec.figure && y + b.s(900) < H - b.s(200)) b.figure(b.s(300), y, b.s(1400), b.s(900));
  canvas.toPicture(g.picture, spec.colour, spec.dpi);
  return g;
}

bool writePicture(const imaging::CPictInfo& picture, const std::string& path) {
  imaging::CPictInfo copy;
  if (imaging::DuplicateCPictInfo(picture, copy) != imaging::kImageOk) return false;
  copy.fileName = path;
  if (picture.bitsPerPixel() == 1) {
    copy.saveFormat = imaging::kFormatTiff;
    copy.compression = imaging::kTiffG4;
  } else {
    copy.saveFormat = imaging::kFormatJpeg;
    copy.quality = 92;
  }
  return imaging::SaveImageFileProc(copy) == imaging::kImageOk;
}

std::unique_ptr<model::PaperData> generateDocument(const PageSpec& spec, int pages,
                                                   const std::string& folder) {
  auto paper = std::make_unique<model::PaperData>();
  paper->encoding = 1;
  for (int i = 0; i < pages; ++i) {
    PageSpec s = spec;
    s.seed = spec.seed + static_cast<uint32_t>(i);
    GeneratedPage g = generatePage(s);
    char name[32];
    std::snprintf(name, sizeof name, "p%03d.%s", i + 1, spec.colour ? "jpg" : "tif");
    writePicture(g.picture, folder + "/" + name);
    g.page.file = model::fromUtf8(name);
    g.page.fullpath = model::fromUtf8(folder + "/" + name);
    paper->pages.push_back(std::move(g.page));
  }
  model::renumberPages(*paper);
  model::computeMaxPageSize(*paper);
  return paper;
}

std::u16string pageText(const model::PageData& page) {
  std::u16string out;
  auto lines = [&](const model::List<LineData>& ls) {
    for (const LineData& l : ls)
      for (const CharData& c : l.chars)
        for (int i = 0; i < model::charTextLength(c.text); ++i)
          if (c.text[i] != u' ' && c.text[i] != u'\r' && c.text[i] != u'\t' && c.text[i] != 0x3000)
            out += c.text[i];
  };
  for (const BlockData& b : page.blocks) {
    if (b.type == model::BlockText) lines(b.lines);
    if (b.type == model::BlockTable)
      for (const model::CellData& cell : b.cells) lines(cell.lines);
  }
  return out;
}

}  // namespace vellary::pagegen
