// Operations on the document records: section words, numbering, averages, appending.
#include "paper.h"

#include <algorithm>
#include <iterator>
#include <unordered_map>

namespace vellary::model {

namespace {

constexpr std::u16string_view kSectionWords[kSectionWordCount] = {
    u"text",   u"ref",    u"upperpagenum", u"lowerpagenum", u"header",  u"footer",
    u"leftpillar", u"rightpillar", u"title", u"author",     u"terminater", u"year",
    u"month",  u"vol",    u"extitle",      u"exauther",     u"nooutput", u"section"};

constexpr std::u16string_view kBlockTypeWords[] = {u"text", u"table", u"image", u"line"};
constexpr std::u16string_view kLineAttrWords[] = {u"", u"ruby", u"emph", u"footnote"};
constexpr std::u16string_view kBorderWords[] = {u"none", u"solid", u"dotted", u"double"};

template <size_t N>
std::u16string_view wordOf(const std::u16string_view (&words)[N], int32_t value) {
  return value >= 0 && static_cast<size_t>(value) < N ? words[value] : words[0];
}

bool groupHasSideLine(const List<LineData>& lines) {
  return std::any_of(lines.begin(), lines.end(),
                     [](const LineData& l) { return l.attr != AttrNone; });
}

}  // namespace

CharData::CharData(const CharData& other)
    : x(other.x),
      y(other.y),
      width(other.width),
      height(other.height),
      text(other.text),
      cc(other.cc),
      registeredMark(other.registeredMark),
      modRubyEmp(other.modRubyEmp),
      modRotTcy(other.modRotTcy),
      changed(other.changed) {
  setCandidates(other.numCand_, other.cands_.get(), static_cast<size_t>(other.stored_));
}

CharData& CharData::operator=(const CharData& other) {
  if (this != &other) *this = CharData(other);
  return *this;
}

void CharData::resetCandidates(int16_t n) {
  numCand_ = n > 0 ? n : 0;
  stored_ = numCand_;
  cands_ = numCand_ > 0 ? std::make_unique<Candidate[]>(numCand_) : nullptr;
}

void CharData::setCandidates(int16_t n, const Candidate* held, size_t heldCount) {
  numCand_ = n > 0 ? n : 0;
  stored_ = static_cast<int16_t>(std::min<size_t>(heldCount, static_cast<size_t>(numCand_)));
  cands_ = stored_ > 0 ? std::make_unique<Candidate[]>(static_cast<size_t>(stored_)) : nullptr;
  if (stored_ > 0) std::copy(held, held + stored_, cands_.get());
}

void CharData::storeAll() {
  auto all = std::make_unique<Candidate[]>(static_cast<size_t>(numCand_));
  if (stored_ > 0) std::copy(cands_.get(), cands_.get() + stored_, all.get());
  cands_ = std::move(all);
  stored_ = numCand_;
}

std::u16string_view blockTypeWord(int32_t type) { return wordOf(kBlockTypeWords, type); }
std::u16string_view directionWord(int32_t direction) {
  return direction == Vertical ? u"vertical" : u"horizontal";
}
std::u16string_view lineAttrWord(int32_t attr) { return wordOf(kLineAttrWords, attr); }
std::u16string_view borderStyleWord(int32_t style) { return wordOf(kBorderWords, style); }

std::u16string_view sectionWord(const PaperData& paper, int32_t sec) {
  if (sec >= kUserSectionBase) {
    size_t i = static_cast<size_t>(sec - kUserSectionBase);
    if (i < paper.userSections.size()) return paper.userSections[i];
    return kSectionWords[SecText];
  }
  return wordOf(kSectionWords, sec);
}

int32_t fixedSectionCode(std::u16string_view word) {
  for (int32_t i = 0; i < kSectionWordCount; ++i)
    if (kSectionWords[i] == word) return i;
  return -1;
}

int32_t sectionCode(PaperData& paper, std::u16string_view word) { return SectionCodes(paper).code(word); }

SectionCodes::SectionCodes(PaperData& paper) : paper_(paper) {
  const auto& table = paper.userSections;
  for (size_t i = table.size(); i-- > 0;)  // the first of equal words keeps its code
    codes_[table[i]] = kUserSectionBase + static_cast<int32_t>(i);
}

int32_t SectionCodes::code(std::u16string_view word) {
  int32_t fixed = fixedSectionCode(word);
  if (fixed >= 0) return fixed;
  auto [it, added] = codes_.try_emplace(std::u16string(word), 0);
  if (added) {
    it->second = kUserSectionBase + static_cast<int32_t>(paper_.userSections.size());
    paper_.userSections.emplace_back(word);
  }
  return it->second;
}

void assignLineNumbers(List<LineData>& lines) {
  if (!groupHasSideLine(lines)) {
    for (LineData& l : lines) l.lid = 0;
    return;
  }
  int32_t n = 0;
  for (LineData& l : lines) l.lid = ++n;
  for (LineData& l : lines) {
    if (l.attr == AttrNone) continue;
    l.rlid = 0;
    // Only a base line inside this group can be named in the file.
    for (const LineData& base : lines)
      if (&base == l.baseLine) l.rlid = base.lid;
  }
}

void resolveLineNumbers(List<LineData>& lines) {
  if (groupHasSideLine(lines)) {
    for (LineData& l : lines) {
      if (l.attr == AttrNone) continue;
      l.baseLine = nullptr;
      // A missing RLID reads as 0, like a missing LID; only a positive number names a line,
      // otherwise a side line could become its own base.
      if (l.rlid <= 0) continue;
      // Only a plain line can be a base: a side line naming itself or another side line would
      // make a loop that everything walking base lines follows forever.
      for (LineData& base : lines)
        if (base.lid == l.rlid) {
          if (&base != &l && base.attr == AttrNone) l.baseLine = &base;
          break;
        }
    }
  }
  for (LineData& l : lines) l.lid = l.rlid = 0;
}

void resolveBlockLineNumbers(BlockData& block) {
  resolveLineNumbers(block.lines);
  for (CellData& cell : block.cells) resolveLineNumbers(cell.lines);
}

void computeBlockAverages(BlockData& block) {
  int64_t chars = 0, bodySum = 0, allSum = 0;
  int32_t bodyCount = 0, allCount = 0;
  for (const LineData& l : block.lines) {
    chars += l.charCount;
    int32_t t = lineThickness(l, block.direction);
    allSum += t;
    ++allCount;
    if (l.attr == AttrNone) {
      bodySum += t;
      ++bodyCount;
    }
  }
  block.charCount = static_cast<int32_t>(chars);
  if (bodyCount > 0)
    block.avgLineSize = static_cast<float>(bodySum) / static_cast<float>(bodyCount);
  else if (allCount > 0)
    block.avgLineSize = static_cast<float>(allSum) / static_cast<float>(allCount);
  else
    block.avgLineSize = 0;
}

void computeCellAverages(CellData& cell, int8_t direction) {
  int64_t chars = 0, sum = 0;
  for (const LineData& l : cell.lines) {
    chars += l.charCount;
    sum += lineThickness(l, direction);
  }
  cell.charCount = static_cast<int32_t>(chars);
  // lineCount also counts empty "<line/>" elements, which have no record.
  cell.avgLineSize =
      cell.lineCount > 0 ? static_cast<float>(sum) / static_cast<float>(cell.lineCount) : 0.0f;
}

void computeTableAverage(BlockData& table) {
  float sum = 0;
  int32_t n = 0;
  for (const CellData& c : table.cells)
    if (c.avgLineSize > 0) {
      sum += c.avgLineSize;
      ++n;
    }
  table.avgLineSize = n > 0 ? sum / static_cast<float>(n) : 0.0f;
}

void computeMaxPageSize(PaperData& paper) {
  paper.maxPageWidth = paper.maxPageHeight = 0;
  for (const PageData& p : paper.pages) {
    paper.maxPageWidth = std::max(paper.maxPageWidth, p.width);
    paper.maxPageHeight = std::max(paper.maxPageHeight, p.height);
  }
}

void renumberPages(PaperData& paper) {
  int32_t n = 0;
  for (PageData& p : paper.pages) p.number = ++n;
}

void appendPaper(PaperData& to, PaperData& from) {
  std::unordered_map<int32_t, int32_t> recode;
  SectionCodes codes(to);
  for (size_t i = 0; i < from.userSections.size(); ++i)
    recode[kUserSectionBase + static_cast<int32_t>(i)] = codes.code(from.userSections[i]);
  if (!recode.empty())
    for (PageData& p : from.pages)
      for (BlockData& b : p.blocks)
        if (auto it = recode.find(b.sec); it != recode.end()) b.sec = it->second;
  to.pages.splice(to.pages.end(), from.pages);
  from.userSections.clear();
  renumberPages(to);
  computeMaxPageSize(to);
}

namespace {

void repointBaseLines(const List<LineData>& original, List<LineData>& copy) {
  auto indexOf = [&original](const LineData* line) -> long {
    long i = 0;
    for (const LineData& l : original) {
      if (&l == line) return i;
      ++i;
    }
    return -1;
  };
  for (LineData& l : copy) {
    if (l.baseLine == nullptr && l.attr == AttrNone) continue;
    long i = l.baseLine ? indexOf(l.baseLine) : -1;
    if (i >= 0) {
      l.baseLine = &*std::next(copy.begin(), i);
    } else if (l.attr != AttrNone) {
      l.attr = AttrNone;
      l.rcs = 0;
      l.baseLine = nullptr;
    } else {
      l.baseLine = nullptr;
    }
  }
}

}  // namespace

PageData copyPage(const PageData& page) {
  PageData copy = page;
  auto b = page.blocks.begin();
  for (BlockData& cb : copy.blocks) {
    repointBaseLines(b->lines, cb.lines);
    auto c = b->cells.begin();
    for (CellData& cc : cb.cells) repointBaseLines((c++)->lines, cc.lines);
    ++b;
  }
  return copy;
}

CharPosition characterAt(PageData& page, int position) {
  if (position < 0) return {};
  int n = 0;
  for (BlockData& b : page.blocks) {
    if (b.type == BlockTable) continue;
    for (LineData& l : b.lines) {
      int count = static_cast<int>(l.chars.size());
      if (position < n + count) return {&b, &l, &*std::next(l.chars.begin(), position - n)};
      n += count;
    }
  }
  return {};
}

PaperCounts countPaper(const PaperData& paper) {
  PaperCounts n;
  auto countLines = [&n](const List<LineData>& lines) {
    for (const LineData& l : lines) {
      ++n.lines;
      n.chars += static_cast<long>(l.chars.size());
      for (const CharData& c : l.chars) n.candidates += c.numCand();
    }
  };
  for (const PageData& p : paper.pages) {
    ++n.pages;
    for (const BlockData& b : p.blocks) {
      ++n.blocks;
      countLines(b.lines);
      for (const CellData& c : b.cells) countLines(c.lines);
    }
  }
  return n;
}

namespace {

bool sameBox(const auto& a, const auto& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

bool sameCharacters(const LineData& a, const LineData& b) {
  if (a.chars.size() != b.chars.size()) return false;
  auto bi = b.chars.begin();
  for (const CharData& c : a.chars) {
    const CharData& d = *bi++;
    if (!sameBox(c, d) || c.text != d.text || c.cc != d.cc || c.changed != d.changed ||
        c.modRubyEmp != d.modRubyEmp || c.modRotTcy != d.modRotTcy)
      return false;
  }
  return true;
}

int positionOf(const List<LineData>& lines, const LineData* line) {
  int i = 0;
  for (const LineData& l : lines) {
    if (&l == line) return i;
    ++i;
  }
  return -1;
}

// Lines of one group (a block's or a cell's) in the same places; the differing ones of `after`
// are added to `out`.
bool compareGroup(const List<LineData>& before, const List<LineData>& after,
                  std::vector<const LineData*>& out) {
  if (before.size() != after.size()) return false;
  auto bi = before.begin();
  for (const LineData& l : after) {
    const LineData& o = *bi++;
    if (!sameBox(l, o) || l.attr != o.attr || l.rcs != o.rcs || l.rce != o.rce ||
        positionOf(after, l.baseLine) != positionOf(before, o.baseLine))
      return false;
    if (!sameCharacters(o, l)) out.push_back(&l);
  }
  return true;
}

}  // namespace

std::optional<std::vector<const LineData*>> linesThatDiffer(const PageData& before,
                                                            const PageData& after) {
  if (before.blocks.size() != after.blocks.size()) return std::nullopt;
  std::vector<const LineData*> out;
  auto bi = before.blocks.begin();
  for (const BlockData& b : after.blocks) {
    const BlockData& o = *bi++;
    if (!sameBox(b, o) || b.type != o.type || b.direction != o.direction || b.sec != o.sec ||
        b.cells.size() != o.cells.size() || !compareGroup(o.lines, b.lines, out))
      return std::nullopt;
    auto ci = o.cells.begin();
    for (const CellData& c : b.cells) {
      const CellData& oc = *ci++;
      if (!sameBox(c, oc) || c.connectGroup != oc.connectGroup ||
          !compareGroup(oc.lines, c.lines, out))
        return std::nullopt;
    }
  }
  return out;
}

size_t estimatePageBytes(const PageData& page) {
  // A list node holds two pointers beside its element.
  constexpr size_t kNode = 2 * sizeof(void*);
  constexpr size_t kCandidate = sizeof(CharText) + sizeof(uint16_t);
  auto stringBytes = [](const std::optional<std::u16string>& s) {
    return s && s->size() > 7 ? (s->capacity() + 1) * sizeof(char16_t) : 0;
  };
  size_t bytes = sizeof(PageData) + stringBytes(page.file) + stringBytes(page.fullpath);
  auto lineBytes = [&](const List<LineData>& lines) {
    for (const LineData& l : lines) {
      bytes += kNode + sizeof(LineData);
      for (const CharData& c : l.chars)
        bytes += kNode + sizeof(CharData) + static_cast<size_t>(c.numCand()) * kCandidate;
    }
  };
  for (const BlockData& b : page.blocks) {
    bytes += kNode + sizeof(BlockData);
    lineBytes(b.lines);
    for (const CellData& c : b.cells) {
      bytes += kNode + sizeof(CellData);
      lineBytes(c.lines);
    }
  }
  return bytes;
}

}  // namespace vellary::model
