// Side-line re-composition: splitting ruby, emphasis and footnote lines into runs of one kind,
// attaching them to their base lines, mono-ruby, side-line keys, and full-size kana.
#include <iterator>
#include <vector>

#include "geometry.h"
#include "recompose.h"
#include "rovorirud/codec.h"

namespace vellary::recompose {

namespace {

using namespace model;
using detail::bottomEdge;
using detail::fitLineToChars;
using detail::isLineBreak;
using detail::rightEdge;

enum class SideClass { Emphasis, Footnote, Ruby };

bool isUnit(const CharData& c, char16_t unit) { return c.text[0] == unit && c.text[1] == 0; }

SideClass classOf(const CharData& c) {
  if (isUnit(c, u'、') || isUnit(c, u',') || isUnit(c, u'●') || isUnit(c, u'・'))
    return SideClass::Emphasis;
  if (isUnit(c, u'＊') || isUnit(c, u'*')) return SideClass::Footnote;
  return SideClass::Ruby;
}

int16_t attrOf(SideClass c) {
  switch (c) {
    case SideClass::Emphasis:
      return AttrEmph;
    case SideClass::Footnote:
      return AttrFootnote;
    case SideClass::Ruby:
      break;
  }
  return AttrRuby;
}

// How far `next` stands from `prev` along the writing direction (negative when they overlap).
int64_t gapAlong(const CharData& prev, const CharData& next, int8_t direction) {
  return direction == Vertical ? next.y - bottomEdge(prev) : next.x - rightEdge(prev);
}

// A new side line before `pos` that takes the characters [first, last) out of `from`.
LineData& moveIntoNewLine(List<LineData>& lines, List<LineData>::iterator pos, LineData& from,
                          List<CharData>::iterator first, List<CharData>::iterator last,
                          int16_t attr) {
  LineData& line = *lines.emplace(pos);
  line.attr = attr;
  line.chars.splice(line.chars.end(), from.chars, first, last);
  line.x = from.x;
  line.y = from.y;
  line.width = from.width;
  line.height = from.height;
  fitLineToChars(line);
  line.widthOrg = line.width;
  line.heightOrg = line.height;
  fitLineToChars(from);
  return line;
}

// Splits one side line until every part holds one kind: each emphasis mark alone, runs of
// footnote marks and of ruby characters as long as they stand close together.
void splitSideLine(List<LineData>& lines, List<LineData>::iterator pos, int8_t direction, int a) {
  LineData& line = *pos;
  for (;;) {
    if (line.chars.empty()) return;
    if (line.chars.size() == 1) {
      line.attr = attrOf(classOf(line.chars.front()));
      return;
    }
    auto first = line.chars.begin();
    const SideClass kind = classOf(*first);
    auto end = std::next(first);
    if (kind != SideClass::Emphasis) {
      const double limit = kind == SideClass::Footnote ? a : 0.9 * a;
      auto prev = first;
      while (end != line.chars.end() && classOf(*end) == kind &&
             static_cast<double>(gapAlong(*prev, *end, direction)) <= limit)
        prev = end++;
      if (end == line.chars.end()) {
        line.attr = attrOf(kind);
        return;
      }
    }
    moveIntoNewLine(lines, pos, line, first, end, attrOf(kind));
  }
}

// The base line of a side line: the nearest body line on the side where base text stands
// (left of a vertical side line, below a horizontal one), or null when none is near enough.
LineData* findBaseLine(BlockData& block, const LineData& s, int a) {
  LineData* best = nullptr;
  int64_t bestGap = 0;
  for (LineData& b : block.lines) {
    if (b.attr != AttrNone) continue;
    int64_t gap;
    if (block.direction == Vertical) {
      if (rightEdge(b) >= rightEdge(s) || b.y >= bottomEdge(s)) continue;
      gap = s.x - rightEdge(b);
    } else {
      if (b.y <= s.y || b.x >= rightEdge(s) || s.x >= rightEdge(b)) continue;
      gap = b.y - bottomEdge(s);
    }
    if (best == nullptr || gap < bestGap) {
      best = &b;
      bestGap = gap;
    }
  }
  if (best == nullptr || bestGap >= a) return nullptr;
  return best;
}

struct Range {
  int start = 0, end = 0;  // 1-based positions in the base line; 0 = none
};

// The base characters beside the side line s.
Range coveredRange(const std::vector<CharData*>& base, const LineData& s, int8_t direction) {
  Range r;
  const int n = static_cast<int>(base.size());
  if (direction == Vertical) {
    for (int i = 0; i < n; ++i) {
      const CharData& c = *base[i];
      if (r.start == 0) {
        if (isUnit(c, u' ')) continue;
        if (c.y < bottomEdge(s) && s.y < bottomEdge(c)) r.start = r.end = i + 1;
        continue;
      }
      if (isLineBreak(c)) {
        r.end = r.start;
        break;
      }
      if (c.y > bottomEdge(s)) break;
      r.end = i + 1;
    }
  } else {
    for (int i = 0; i < n; ++i) {
      const CharData& c = *base[i];
      if (r.start == 0) {
        if (isLineBreak(c)) break;
        if (c.x < rightEdge(s) && s.x < rightEdge(c)) r.start = r.end = i + 1;
        continue;
      }
      if (c.x > rightEdge(s)) break;
      r.end = i + 1;
      if (isLineBreak(c)) break;
    }
  }
  return r;
}

std::vector<CharData*> charsOf(LineData& line) {
  std::vector<CharData*> v;
  v.reserve(line.chars.size());
  for (CharData& c : line.chars) v.push_back(&c);
  return v;
}

// Ruby belongs to the kanji, not to the okurigana after them nor to kana before them.
void trimKana(const std::vector<CharData*>& base, Range& r) {
  int start = r.start;
  while (start <= r.end && isKana(base[start - 1]->text)) ++start;
  if (start <= r.end) r.start = start;
  while (r.end > r.start && isKana(base[r.end - 1]->text)) --r.end;
}

// An emphasis line the user placed on a base line keeps its place.
bool keepsItsBase(const LineData& s) {
  return s.attr == AttrEmph && s.baseLine != nullptr && s.rcs >= 1 && !s.baseLine->chars.empty() &&
         s.baseLine->chars.front().modRubyEmp >= 20001;
}

void attachSideLines(BlockData& block, int a) {
  for (LineData& s : block.lines) {
    if (s.attr == AttrNone || keepsItsBase(s)) continue;
    LineData* b = findBaseLine(block, s, a);
    if (b == nullptr) continue;
    std::vector<CharData*> base = charsOf(*b);
    Range r = coveredRange(base, s, block.direction);
    if (r.start == 0) continue;
    if (s.attr == AttrRuby) trimKana(base, r);
    s.baseLine = b;
    s.rcs = r.start;
    s.rce = r.end;
  }
}

bool startsAfter(const CharData& c, const CharData& base, int8_t direction) {
  return direction == Vertical ? c.y > bottomEdge(base) : c.x > rightEdge(base);
}

// Splits a ruby over several base characters into one ruby per base character, following where
// the ruby characters stand.
void splitMonoRuby(List<LineData>& lines, List<LineData>::iterator pos, int8_t direction) {
  LineData& r = *pos;
  std::vector<CharData*> base = charsOf(*r.baseLine);
  const int n = static_cast<int>(base.size());
  // A range from a file may reach past its base line; only the characters that exist count.
  if (r.rcs < 1 || r.rcs > n || r.rce < r.rcs) return;
  const int rce = std::min(r.rce, n);
  int count = rce - r.rcs + 1;
  if (rce == n && isLineBreak(*base[n - 1])) --count;
  if (count < 2 || static_cast<int>(r.chars.size()) < count) return;

  const int last = r.rcs + count - 1;
  int p = r.rcs;
  auto first = r.chars.begin();
  // One recognised ruby line can span a base character with no ruby of its own (okurigana
  // between two kanji): its ruby characters belong to the next base character beside them, not
  // to the one that happens to come next in the range.
  auto skipBare = [&] {
    while (p < last && startsAfter(*first, *base[p - 1], direction)) r.rcs = ++p;
  };
  skipBare();
  for (auto it = std::next(first); it != r.chars.end() && p < last; ++it) {
    if (!startsAfter(*it, *base[p - 1], direction)) continue;
    LineData& part = *lines.emplace(pos);
    part.attr = AttrRuby;
    part.baseLine = r.baseLine;
    part.rcs = part.rce = p;
    part.chars.splice(part.chars.end(), r.chars, first, it);
    const CharData& lastMoved = part.chars.back();
    part.x = r.x;
    part.y = r.y;
    if (direction == Vertical) {
      part.width = r.width;
      part.height = detail::clampToInt32(std::max<int64_t>(0, bottomEdge(lastMoved) - r.y));
      const int64_t bottom = bottomEdge(r);
      r.y = it->y;
      r.height = detail::clampToInt32(std::max<int64_t>(0, bottom - r.y));
    } else {
      part.height = r.height;
      part.width = detail::clampToInt32(std::max<int64_t>(0, rightEdge(lastMoved) - r.x));
      const int64_t right = rightEdge(r);
      r.x = it->x;
      r.width = detail::clampToInt32(std::max<int64_t>(0, right - r.x));
    }
    part.widthOrg = part.width;
    part.heightOrg = part.height;
    part.charCount = detail::unitsOf(part);
    r.charCount = detail::unitsOf(r);
    first = it;
    r.rcs = ++p;
    skipBare();
  }
}

void assignKeys(PageData& page) {
  int32_t k = 0, previous = 0;
  for (BlockData& block : page.blocks)
    for (LineData& s : block.lines) {
      if (s.attr == AttrNone || s.baseLine == nullptr) continue;
      ++k;
      int32_t key = k;
      if (s.attr == AttrEmph) {
        const bool comma =
            !s.chars.empty() && (isUnit(s.chars.front(), u'、') || isUnit(s.chars.front(), u','));
        key = (comma ? model::kCommaEmphasisKeyBase : model::kEmphasisKeyBase) + k;
      } else if (s.attr == AttrFootnote) {
        key = previous;  // a footnote mark refers to the side line before it
      }
      if (s.attr != AttrFootnote) previous = key;
      for (CharData& c : s.chars) c.modRubyEmp = key;
      if (s.rcs >= 1 && s.rcs <= static_cast<int>(s.baseLine->chars.size()))
        std::next(s.baseLine->chars.begin(), s.rcs - 1)->modRubyEmp = -key;
    }
}

struct SmallKana {
  char16_t small, full;
};
constexpr SmallKana kSmallKana[] = {
    {u'ぁ', u'あ'}, {u'ぃ', u'い'}, {u'ぅ', u'う'}, {u'ぇ', u'え'}, {u'ぉ', u'お'}, {u'ゃ', u'や'},
    {u'ゅ', u'ゆ'}, {u'ょ', u'よ'}, {u'っ', u'つ'}, {u'ァ', u'ア'}, {u'ィ', u'イ'}, {u'ゥ', u'ウ'},
    {u'ェ', u'エ'}, {u'ォ', u'オ'}, {u'ャ', u'ヤ'}, {u'ュ', u'ユ'}, {u'ョ', u'ヨ'}, {u'ッ', u'ツ'},
};

}  // namespace

bool isKana(const CharText& text) {
  if (text[0] == 0 || text[1] != 0) return false;
  char bytes[3];
  if (rovorirud::Codec::cp932().encodeOne(text[0], bytes) != 2) return false;
  const unsigned code = static_cast<unsigned>(static_cast<unsigned char>(bytes[0])) << 8 |
                        static_cast<unsigned char>(bytes[1]);
  return (code >= 0x829F && code <= 0x82F1) || (code >= 0x8340 && code <= 0x8394);
}

bool ReComposePage(PageData& page, int a, bool monoRuby) {
  bool anySideLine = false;
  for (BlockData& block : page.blocks) {
    for (auto it = block.lines.begin(); it != block.lines.end(); ++it)
      if (it->attr != AttrNone) splitSideLine(block.lines, it, block.direction, a);
    attachSideLines(block, a);
    if (monoRuby)
      for (auto it = block.lines.begin(); it != block.lines.end(); ++it)
        if (it->attr == AttrRuby && it->baseLine != nullptr)
          splitMonoRuby(block.lines, it, block.direction);
    for (const LineData& l : block.lines) anySideLine |= l.attr != AttrNone;
  }
  assignKeys(page);
  return anySideLine;
}

bool ReComposeSideLines(model::PageData& page, const LoadingOptions& options) {
  const int a = PageTypicalCharSize(page);
  bool changed = ReComposePage(page, a, options.monoRuby);
  if (options.smallKana) changed = NormaliseSmallKana(page) || changed;
  return changed;
}

bool NormaliseSmallKana(PageData& page) {
  bool replaced = false;
  for (BlockData& block : page.blocks)
    for (LineData& l : block.lines) {
      if (l.attr == AttrNone) continue;
      for (CharData& c : l.chars) {
        if (c.text[1] != 0) continue;
        for (const SmallKana& k : kSmallKana)
          if (c.text[0] == k.small) {
            c.text[0] = k.full;
            replaced = true;
            break;
          }
      }
    }
  return replaced;
}

}  // namespace vellary::recompose
