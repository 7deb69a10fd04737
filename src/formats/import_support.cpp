// Building the records of an imported document.
#include "formats/import_support.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <new>

#include "formats/xml_input.h"
#include "model/paper.h"
#include "model/text.h"

namespace vellary::formats::detail {

using namespace model;

std::optional<double> parseNumber(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v))
    return std::nullopt;
  return v;
}

int32_t coordinate(double v) {
  if (!(v > 0)) return 0;  // NaN too
  if (v >= kMaxCoordinate) return kMaxCoordinate;
  return static_cast<int32_t>(std::lround(v));
}

Box boxFromCorners(double x0, double y0, double x1, double y1) {
  Box b{coordinate(x0), coordinate(y0), 0, 0};
  b.width = std::max(0, coordinate(x1) - b.x);
  b.height = std::max(0, coordinate(y1) - b.y);
  return b;
}

Box boxFromSize(double x, double y, double width, double height) {
  return boxFromCorners(x, y, x + std::max(0.0, width), y + std::max(0.0, height));
}

bool isEmpty(const Box& b) { return b.width <= 0 && b.height <= 0 && b.x == 0 && b.y == 0; }

Box unite(const Box& a, const Box& b) {
  if (isEmpty(a)) return b;
  if (isEmpty(b)) return a;
  const int32_t x = std::min(a.x, b.x), y = std::min(a.y, b.y);
  return Box{x, y, static_cast<int32_t>(std::max(a.right(), b.right()) - x),
             static_cast<int32_t>(std::max(a.bottom(), b.bottom()) - y)};
}

Box clip(const Box& b, int32_t pageWidth, int32_t pageHeight) {
  Box c = b;
  if (pageWidth > 0) {
    c.x = std::min(c.x, pageWidth - 1);
    c.width = static_cast<int32_t>(std::clamp<int64_t>(int64_t{pageWidth} - c.x, 0, c.width));
  }
  if (pageHeight > 0) {
    c.y = std::min(c.y, pageHeight - 1);
    c.height = static_cast<int32_t>(std::clamp<int64_t>(int64_t{pageHeight} - c.y, 0, c.height));
  }
  return c;
}

Box cellOf(const Box& box, int i, int n, bool vertical) {
  if (n <= 1) return box;
  Box c = box;
  const int64_t extent = vertical ? box.height : box.width;
  const int64_t start = extent * i / n, end = extent * (i + 1) / n;
  if (vertical) {
    c.y = static_cast<int32_t>(box.y + start);
    c.height = static_cast<int32_t>(end - start);
  } else {
    c.x = static_cast<int32_t>(box.x + start);
    c.width = static_cast<int32_t>(end - start);
  }
  return c;
}

void setBox(CharData& c, const Box& b) {
  c.x = b.x;
  c.y = b.y;
  c.width = b.width;
  c.height = b.height;
}

void setBox(LineData& l, const Box& b) {
  l.x = b.x;
  l.y = b.y;
  l.width = l.widthOrg = b.width;
  l.height = l.heightOrg = b.height;
}

void setBox(BlockData& block, const Box& b) {
  block.x = b.x;
  block.y = b.y;
  block.width = b.width;
  block.height = b.height;
}

Box boxOf(const LineData& l) { return Box{l.x, l.y, l.width, l.height}; }
Box boxOf(const CharData& c) { return Box{c.x, c.y, c.width, c.height}; }

uint16_t confidenceFromUnit(double v) {
  if (!(v > 0)) return 0;
  return static_cast<uint16_t>(std::lround(std::min(v, 1.0) * 10));
}

uint16_t confidenceFromPercent(double v) { return confidenceFromUnit(v / 100); }

uint16_t confidenceFromAltoCC(int digit) {
  return static_cast<uint16_t>(10 - std::clamp(digit, 0, 9));
}

std::vector<CharText> splitCharacters(std::string_view utf8) {
  const std::u16string units = fromUtf8(utf8);
  std::vector<CharText> out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    const char16_t u = units[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size()) {
      out.push_back(makeCharText(u, units[i + 1]));
      ++i;
    } else {
      out.push_back(makeCharText(u));
    }
  }
  return out;
}

std::optional<CharText> singleCharacter(std::string_view utf8) {
  std::vector<CharText> chars = splitCharacters(utf8);
  if (chars.size() != 1) return std::nullopt;
  return chars.front();
}

bool isSpace(const CharText& c) {
  return c[1] == 0 && (c[0] == u' ' || c[0] == u'\t' || c[0] == 0x00A0);
}

bool isCjk(const CharText& c) {
  if (c[1] != 0) return true;  // beyond the basic plane: almost all ideographs
  const char16_t u = c[0];
  return (u >= 0x2E80 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF) ||
         (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFFEF);
}

void setCandidates(CharData& c, std::span<const Candidate> candidates) {
  std::vector<const Candidate*> kept;
  for (const Candidate& k : candidates) {
    if (static_cast<int>(kept.size()) >= kMaxCandidates) break;
    if (k.text[0] == 0) continue;
    if (std::none_of(kept.begin(), kept.end(),
                     [&](const Candidate* p) { return p->text == k.text; }))
      kept.push_back(&k);
  }
  c.resetCandidates(static_cast<int16_t>(kept.size()));
  for (size_t i = 0; i < kept.size(); ++i) {
    c.candText(static_cast<int>(i)) = kept[i]->text;
    c.candCC(static_cast<int>(i)) = kept[i]->cc;
  }
}

std::vector<PendingChar> spreadCharacters(std::span<const CharText> text, const Box& box,
                                          bool vertical, uint16_t cc) {
  std::vector<PendingChar> out;
  const int n = static_cast<int>(text.size());
  out.reserve(text.size());
  for (int i = 0; i < n; ++i)
    out.push_back(
        PendingChar{text[static_cast<size_t>(i)], cellOf(box, i, n, vertical), cc, {}, false});
  return out;
}

namespace {

void addPending(LineData& line, const PendingChar& p) {
  CharData& c = line.chars.emplace_back();
  c.text = p.text;
  c.cc = p.cc;
  c.changed = p.changed ? 1 : 0;
  setBox(c, p.box);
  if (p.candidates.empty()) {
    const Candidate self{p.text, p.cc};
    setCandidates(c, {&self, 1});
  } else {
    setCandidates(c, p.candidates);
  }
  line.charCount += charTextLength(p.text);
}

}  // namespace

void appendWord(LineData& line, std::span<const PendingChar> word, Blank before, bool vertical) {
  if (word.empty()) return;
  if (!line.chars.empty() && before != Blank::None) {
    const CharData& last = line.chars.back();
    const bool cjk = isCjk(last.text) && isCjk(word.front().text);
    if (before == Blank::Always || (!cjk && !isSpace(last.text) && !isSpace(word.front().text))) {
      // The gap between the words, or an empty box where the next word starts.
      const Box& next = word.front().box;
      Box gap = next;
      if (vertical) {
        const int64_t end = int64_t{last.y} + last.height;
        gap.y = static_cast<int32_t>(std::min<int64_t>(end, next.y));
        gap.height = static_cast<int32_t>(std::max<int64_t>(0, next.y - end));
      } else {
        const int64_t end = int64_t{last.x} + last.width;
        gap.x = static_cast<int32_t>(std::min<int64_t>(end, next.x));
        gap.width = static_cast<int32_t>(std::max<int64_t>(0, next.x - end));
      }
      addPending(line, PendingChar{makeCharText(u' '), gap, kDefaultConfidence, {}, false});
    }
  }
  for (const PendingChar& p : word) addPending(line, p);
}

int verticalVote(std::span<const LineExtent> lines) {
  int64_t along = 0;
  bool any = false;
  for (const LineExtent& l : lines)
    if (l.chars >= 2) {
      along += int64_t{l.box.height} - l.box.width;
      any = true;
    }
  return any ? (along > 0 ? 1 : 0) : -1;
}

bool looksVertical(std::span<const LineExtent> lines) { return verticalVote(lines) == 1; }

bool looksVertical(const List<LineData>& lines) {
  std::vector<LineExtent> extents;
  for (const LineData& l : lines) extents.push_back(LineExtent{boxOf(l), l.chars.size()});
  return looksVertical(extents);
}

void settleUndecided(PageData& page, std::span<BlockData* const> undecided) {
  if (undecided.empty()) return;
  int64_t vertical = 0, horizontal = 0;
  for (const BlockData& b : page.blocks) {
    if (b.type != BlockText || std::find(undecided.begin(), undecided.end(), &b) != undecided.end())
      continue;
    (b.direction == Vertical ? vertical : horizontal) += b.charCount;
  }
  for (BlockData* b : undecided) {
    b->direction = vertical > horizontal ? Vertical : Horizontal;
    computeBlockAverages(*b);  // the thickness of a line follows the direction
  }
}

void finishBlock(BlockData& block) {
  if (block.type == BlockTable) {
    Box box{block.x, block.y, block.width, block.height};
    const bool derive = isEmpty(box);
    for (CellData& cell : block.cells) {
      cell.lineCount = static_cast<int32_t>(cell.lines.size());
      computeCellAverages(cell, block.direction);
      if (derive) box = unite(box, Box{cell.x, cell.y, cell.width, cell.height});
    }
    int64_t chars = 0;
    for (const CellData& cell : block.cells) chars += cell.charCount;
    block.charCount = static_cast<int32_t>(std::min<int64_t>(chars, INT32_MAX));
    computeTableAverage(block);
    setBox(block, box);
    return;
  }
  if (block.x == 0 && block.y == 0 && block.width == 0 && block.height == 0) {
    Box box;
    for (const LineData& l : block.lines) box = unite(box, boxOf(l));
    setBox(block, box);
  }
  computeBlockAverages(block);
}

void finishPage(PageData& page) {
  if (page.width > 0 && page.height > 0) return;
  int32_t w = -1, h = -1;
  for (const BlockData& b : page.blocks) {
    w = std::max<int32_t>(
        w, static_cast<int32_t>(std::min<int64_t>(int64_t{b.x} + b.width - 1, INT32_MAX)));
    h = std::max<int32_t>(
        h, static_cast<int32_t>(std::min<int64_t>(int64_t{b.y} + b.height - 1, INT32_MAX)));
  }
  if (page.width <= 0) page.width = w;
  if (page.height <= 0) page.height = h;
}

void finishPaper(PaperData& paper) {
  paper.encoding = 1;  // Shift_JIS, what a save writes unless told otherwise
  renumberPages(paper);
  computeMaxPageSize(paper);
}

namespace {

bool isAbsolute(std::string_view p) {
  return (!p.empty() && (p[0] == '/' || p[0] == '\\')) ||
         (p.size() >= 3 && p[1] == ':' && (p[2] == '\\' || p[2] == '/'));
}

namespace fs = std::filesystem;

std::string imageBesideInput(const std::string& documentPath) {
  const fs::path input(documentPath);
  std::string stem = input.stem().string();
  if (stem.empty()) stem = "page";
  for (const char* ext : {".png", ".tif", ".tiff", ".jpg", ".jpeg", ".bmp", ".jp2", ".gif"}) {
    std::error_code ec;
    if (fs::is_regular_file(input.parent_path() / (stem + ext), ec)) return stem + ext;
  }
  return stem + ".png";
}

}  // namespace

void recordImage(PageData& page, std::string_view given, const std::string& documentPath) {
  std::string path(given);
  if (path.rfind("file://", 0) == 0) path.erase(0, 7);
  // No name, or a folder's: the image named like the input, there.
  if (path.empty() || path.back() == '/' || path.back() == '\\')
    path += imageBesideInput(documentPath);
  const size_t cut = path.find_last_of("/\\");
  page.file = fromUtf8(cut == std::string::npos ? path : path.substr(cut + 1));
  if (path.find("://") != std::string::npos) return;  // a web address: no file to look at
  std::string full = path;
  if (!isAbsolute(path) && !documentPath.empty()) {
    std::error_code ec;
    const fs::path p = fs::absolute(fs::path(documentPath).parent_path() / path, ec);
    if (!ec) full = p.lexically_normal().string();
  }
  page.fullpath = fromUtf8(full);
}

void Budget::start() {
  if (!progress_) return;
  progress_->setCaption("Xmlファイル読み込み中...");
  progress_->show();
}

void Budget::startPage() {
  if (++pages_ > kPages) fail_(ErrorLimit, "ページ数が多すぎます。");
  linesOnPage_ = charsOnPage_ = 0;
}

void Budget::endPage(int pagesRead) {
  if (!progress_) return;
  char text[64];
  std::snprintf(text, sizeof text, "ファイル読み込み中　%d", pagesRead);
  progress_->setCaption(text);
  progress_->pump();
}

void Budget::addLine() {
  if (++linesOnPage_ > kLinesPerPage) fail_(ErrorLimit, "1ページの行数が多すぎます。");
}

void Budget::addCharacters(long n) {
  charsOnPage_ += n;
  chars_ += n;
  if (charsOnPage_ > kCharactersPerPage) fail_(ErrorLimit, "1ページの文字数が多すぎます。");
  if (chars_ > kCharacters) fail_(ErrorLimit, "文字数が多すぎます。");
}

ReadOutcome runImport(const std::function<void(PaperData&)>& body) {
  ReadOutcome out;
  try {
    auto paper = std::make_unique<PaperData>();
    body(*paper);
    finishPaper(*paper);
    out.paper = std::move(paper);
  } catch (const ImportFailure& f) {
    out.error = Error{f.code, f.message, f.line, f.elementPath};
  } catch (const std::bad_alloc&) {
    out.error = Error{ErrorOther, errorMessage(ErrorOther, 0), 0, {}};
  }
  return out;
}

namespace {

// The PAGE region types that have a block role of their own; the others keep their word as a
// section word of the document.
struct RoleWord {
  std::string_view word;
  int32_t sec;
};
constexpr RoleWord kRegionTypes[] = {
    {"paragraph", SecText},         {"heading", SecTitle}, {"footnote", SecRef},
    {"footnote-continued", SecRef}, {"endnote", SecRef},
};

}  // namespace

int32_t roleOfWord(PaperData& paper, std::string_view word, const Box& box, int32_t pageHeight) {
  if (word.empty()) return SecText;
  if (word == "page-number")
    return int64_t{box.y} + box.height / 2 < std::max(pageHeight, 1) / 2 ? SecUpperPageNum
                                                                         : SecLowerPageNum;
  const std::u16string wide = fromUtf8(word);
  if (const int32_t fixed = fixedSectionCode(wide); fixed >= 0) return fixed;
  for (const RoleWord& r : kRegionTypes)
    if (r.word == word) return r.sec;
  return sectionCode(paper, wide);
}

namespace {

// Numbers the cells along one axis: sorted by their start, a new number where a cell starts
// beyond half the extent of the cell that opened the current number.
template <class Start, class Extent, class Set>
void numberAlong(std::vector<CellData*> cells, Start start, Extent extent, Set set) {
  std::stable_sort(cells.begin(), cells.end(),
                   [&](const CellData* a, const CellData* b) { return start(*a) < start(*b); });
  int32_t n = 0;
  int64_t limit = INT64_MIN;
  for (CellData* c : cells) {
    if (start(*c) >= limit) {
      ++n;
      limit = int64_t{start(*c)} + std::max(1, extent(*c) / 2);
    }
    set(*c, n);
  }
}

}  // namespace

void assignGrid(BlockData& table) {
  std::vector<CellData*> cells;
  for (CellData& c : table.cells) cells.push_back(&c);
  numberAlong(
      cells, [](const CellData& c) { return c.y; }, [](const CellData& c) { return c.height; },
      [](CellData& c, int32_t n) { c.row = n; });
  numberAlong(
      cells, [](const CellData& c) { return c.x; }, [](const CellData& c) { return c.width; },
      [](CellData& c, int32_t n) { c.col = n; });
}

ReadOutcome runXmlImport(ImportInput& input,
                         const std::function<void(PaperData&, XmlInput&, Budget&)>& body) {
  return runImport([&](PaperData& paper) {
    XmlInput in(*input.source);
    Budget budget([&](int code, std::string_view s) { in.fail(code, s); }, input.progress);
    budget.start();
    body(paper, in, budget);
  });
}

bool hasWord(std::string_view text, std::string_view word) {
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n')) ++i;
    size_t j = i;
    while (j < text.size() && text[j] != ' ' && text[j] != '\t' && text[j] != '\n') ++j;
    if (j > i && text.substr(i, j - i) == word) return true;
    i = j;
  }
  return false;
}

std::string lowered(std::string_view text) {
  std::string s(text);
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

}  // namespace vellary::formats::detail
