// Recognition measured against known pages.
#include "recognition_check.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "model/text.h"

namespace vellary::recognition_check {

namespace {

using model::BlockData;
using model::CharData;
using model::LineData;
using model::PageData;

bool isBlank(char16_t c) { return c == u' ' || c == u'\u3000' || c == u'\r' || c == u'\n'; }

template <class F>
void forEachLine(const PageData& page, F&& f) {
  for (const BlockData& block : page.blocks) {
    for (const LineData& line : block.lines) f(block, line);
    for (const model::CellData& cell : block.cells)
      for (const LineData& line : cell.lines) f(block, line);
  }
}

std::vector<const CharData*> baseChars(const PageData& page) {
  std::vector<const CharData*> out;
  forEachLine(page, [&](const BlockData&, const LineData& line) {
    if (line.attr != model::AttrNone) return;
    for (const CharData& c : line.chars)
      if (c.text[0] != 0 && !isBlank(c.text[0])) out.push_back(&c);
  });
  return out;
}

std::u16string textOf(const CharData& c) {
  return std::u16string(c.text.data(), static_cast<size_t>(model::charTextLength(c.text)));
}

struct Box {
  int32_t l, t, r, b;
};
Box boxOf(const CharData& c) { return Box{c.x, c.y, c.x + c.width, c.y + c.height}; }
Box boxOf(const LineData& l) { return Box{l.x, l.y, l.x + l.width, l.y + l.height}; }
int64_t overlapArea(const Box& a, const Box& b) {
  const int64_t w = std::min(a.r, b.r) - std::max(a.l, b.l);
  const int64_t h = std::min(a.b, b.b) - std::max(a.t, b.t);
  return w > 0 && h > 0 ? w * h : 0;
}
bool within(const Box& inner, const Box& outer, int32_t tolerance) {
  return inner.l >= outer.l - tolerance && inner.t >= outer.t - tolerance &&
         inner.r <= outer.r + tolerance && inner.b <= outer.b + tolerance;
}

std::u16string lineText(const LineData& line) {
  std::u16string s;
  for (const CharData& c : line.chars) s += textOf(c);
  return s;
}

// The base characters a side line covers, in order.
std::vector<const CharData*> covered(const LineData& side) {
  std::vector<const CharData*> out;
  if (side.baseLine == nullptr || side.rcs < 1) return out;
  int position = 0;
  for (const CharData& c : side.baseLine->chars) {
    ++position;
    if (position >= side.rcs && position <= side.rce) out.push_back(&c);
  }
  return out;
}

}  // namespace

std::u16string pageText(const PageData& page) {
  std::u16string s;
  for (const CharData* c : baseChars(page)) s += textOf(*c);
  return s;
}

int editDistance(std::u16string_view a, std::u16string_view b) {
  std::vector<int> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = static_cast<int>(j);
  for (size_t i = 1; i <= a.size(); ++i) {
    int diagonal = row[0];
    row[0] = static_cast<int>(i);
    for (size_t j = 1; j <= b.size(); ++j) {
      const int up = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = up;
    }
  }
  return row[b.size()];
}

double errorRate(std::u16string_view truth, std::u16string_view read) {
  return truth.empty() ? (read.empty() ? 0.0 : 1.0)
                       : static_cast<double>(editDistance(truth, read)) / truth.size();
}

std::u16string plainText(const std::string& utf8) {
  std::u16string out;
  for (char16_t c : model::fromUtf8(utf8))
    if (!isBlank(c) && c != u'\t' && c != u'\f') out += c;
  return out;
}

PageCheck checkPage(const PageData& truth, const PageData& read, int rejectLevel) {
  PageCheck check;
  const std::vector<const CharData*> t = baseChars(truth), r = baseChars(read);
  check.truthChars = static_cast<int>(t.size());

  // Alignment of the two base texts (characters compared by their text).
  const size_t n = t.size(), m = r.size();
  std::vector<std::vector<int>> cost(n + 1, std::vector<int>(m + 1, 0));
  for (size_t i = 0; i <= n; ++i) cost[i][0] = static_cast<int>(i);
  for (size_t j = 0; j <= m; ++j) cost[0][j] = static_cast<int>(j);
  for (size_t i = 1; i <= n; ++i)
    for (size_t j = 1; j <= m; ++j)
      cost[i][j] = std::min({cost[i - 1][j] + 1, cost[i][j - 1] + 1,
                             cost[i - 1][j - 1] + (t[i - 1]->text == r[j - 1]->text ? 0 : 1)});
  check.errors = cost[n][m];
  auto isReject = [&](const CharData* c) { return c->cc < rejectLevel; };
  for (size_t i = n, j = m; i > 0 || j > 0;) {
    if (i > 0 && j > 0 &&
        cost[i][j] == cost[i - 1][j - 1] + (t[i - 1]->text == r[j - 1]->text ? 0 : 1)) {
      const CharData* tc = t[i - 1];
      const CharData* rc = r[j - 1];
      if (isReject(rc)) ++check.rejects;
      if (tc->text == rc->text) {
        if (isReject(rc)) ++check.rejectsRight;
      } else {
        ++check.misreads;
        if (isReject(rc)) ++check.misreadsRejected;
        for (int k = 0; k < rc->numCand(); ++k)
          if (rc->candText(k) == tc->text) {
            ++check.misreadsWithTruthCandidate;
            break;
          }
      }
      --i, --j;
    } else if (j > 0 && cost[i][j] == cost[i][j - 1] + 1) {
      if (isReject(r[j - 1])) ++check.rejects;  // an extra character is never right
      --j;
    } else {
      --i;
    }
  }

  // Vertical character boxes against the glyphs' ink boxes.
  std::vector<Box> glyphs;
  forEachLine(truth, [&](const BlockData& block, const LineData& line) {
    if (block.direction != model::Vertical || line.attr != model::AttrNone) return;
    for (const CharData& c : line.chars) glyphs.push_back(boxOf(c));
  });
  forEachLine(read, [&](const BlockData& block, const LineData& line) {
    if (block.direction != model::Vertical || line.attr != model::AttrNone) return;
    for (const CharData& c : line.chars) {
      const Box b = boxOf(c);
      const Box* best = nullptr;
      int64_t bestArea = 0;
      for (const Box& g : glyphs)
        if (const int64_t a = overlapArea(b, g); a > bestArea) bestArea = a, best = &g;
      ++check.verticalBoxes;
      if (best != nullptr && within(b, *best, 2)) ++check.verticalBoxesInside;
    }
  });

  // Ruby and emphasis.
  std::vector<const LineData*> readRuby, readEmphasis;
  forEachLine(read, [&](const BlockData&, const LineData& line) {
    if (line.attr == model::AttrRuby) readRuby.push_back(&line);
    if (line.attr == model::AttrEmph) readEmphasis.push_back(&line);
  });
  forEachLine(truth, [&](const BlockData&, const LineData& line) {
    if (line.attr == model::AttrRuby) {
      ++check.ruby;
      const LineData* best = nullptr;
      int64_t bestArea = 0;
      for (const LineData* l : readRuby)
        if (const int64_t a = overlapArea(boxOf(*l), boxOf(line)); a > bestArea)
          bestArea = a, best = l;
      if (best == nullptr || lineText(*best) != lineText(line)) return;
      ++check.rubyFound;
      const std::vector<const CharData*> tb = covered(line), rb = covered(*best);
      bool same = !tb.empty() && tb.size() == rb.size();
      for (size_t k = 0; same && k < tb.size(); ++k)
        same = overlapArea(boxOf(*tb[k]), boxOf(*rb[k])) > 0;
      if (same) ++check.rubyAttached;
    } else if (line.attr == model::AttrEmph) {
      for (const CharData& mark : line.chars) {
        ++check.emphasis;
        for (const LineData* l : readEmphasis) {
          const bool hit = std::any_of(l->chars.begin(), l->chars.end(), [&](const CharData& c) {
            return overlapArea(boxOf(c), boxOf(mark)) > 0;
          });
          if (hit) {
            ++check.emphasisFound;
            break;
          }
        }
      }
    }
  });
  return check;
}

void add(PageCheck& total, const PageCheck& p) {
  total.truthChars += p.truthChars;
  total.errors += p.errors;
  total.verticalBoxes += p.verticalBoxes;
  total.verticalBoxesInside += p.verticalBoxesInside;
  total.ruby += p.ruby;
  total.rubyFound += p.rubyFound;
  total.rubyAttached += p.rubyAttached;
  total.emphasis += p.emphasis;
  total.emphasisFound += p.emphasisFound;
  total.misreads += p.misreads;
  total.misreadsWithTruthCandidate += p.misreadsWithTruthCandidate;
  total.misreadsRejected += p.misreadsRejected;
  total.rejects += p.rejects;
  total.rejectsRight += p.rejectsRight;
}

std::string describe(const PageCheck& c) {
  char text[512];
  std::snprintf(text, sizeof text,
                "CER %.4f (%d/%d); vertical boxes inside ink %d/%d; ruby found %d/%d, attached "
                "%d/%d; emphasis %d/%d; misreads %d (truth among candidates %d, rejects %d); "
                "rejects %d (right %d)",
                c.truthChars > 0 ? static_cast<double>(c.errors) / c.truthChars : 0.0, c.errors,
                c.truthChars, c.verticalBoxesInside, c.verticalBoxes, c.rubyFound, c.ruby,
                c.rubyAttached, c.ruby, c.emphasisFound, c.emphasis, c.misreads,
                c.misreadsWithTruthCandidate, c.misreadsRejected, c.rejects, c.rejectsRight);
  return text;
}

}  // namespace vellary::recognition_check
