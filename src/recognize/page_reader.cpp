// Reading the text regions of a page: cuts for the engine, the engine's results as lines of
// characters, ruby and emphasis lines.
#include "recognize/page_reader.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "imaging/page_analysis.h"
#include "imaging/picture_ops.h"
#include "recognize/char_cells.h"
#include "recognize/confidence.h"
#include "recognize/layout_internal.h"

namespace vellary::recognize::detail {

using imaging::CPictInfo;
using model::CharData;
using model::LineData;

namespace {

// Characters smaller than kSmallText pixels are enlarged to about kReadableText before the engine
// reads them: its networks expect characters of some 40 pixels, and ruby of a 300 dpi scan has
// 20.
constexpr int kSmallText = 24;
constexpr int kReadableText = 32;

// A ruby reading the engine is this sure of (mean symbol confidence, 0–100) needs no second one.
constexpr double kSureRuby = 97;

int enlargementFor(int textSize) {
  return textSize > 0 && textSize < kSmallText
             ? std::min(4, (kReadableText + textSize - 1) / textSize)
             : 1;
}

Model modelFor(Writing w) { return w == Writing::Vertical ? Model::Vertical : Model::Horizontal; }
Writing otherWriting(Writing w) {
  return w == Writing::Vertical ? Writing::Horizontal : Writing::Vertical;
}

PictRect shifted(const PictRect& r, int32_t dx, int32_t dy) {
  return PictRect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

PictRect boxOf(const CharData& c) { return PictRect{c.x, c.y, c.x + c.width, c.y + c.height}; }

void setBox(CharData& c, const PictRect& r) {
  c.x = r.left;
  c.y = r.top;
  c.width = widthOf(r);
  c.height = heightOf(r);
}

// The line's box, original box and count from its characters.
void fitLine(LineData& line) {
  PictRect box;
  line.charCount = 0;
  for (const CharData& c : line.chars) {
    box = unite(box, boxOf(c));
    line.charCount += model::charTextLength(c.text);
  }
  line.x = box.left;
  line.y = box.top;
  line.width = line.widthOrg = widthOf(box);
  line.height = line.heightOrg = heightOf(box);
}

// The code points of a text, each as its own string.
std::vector<std::u16string> codePoints(const std::u16string& text) {
  std::vector<std::u16string> out;
  for (size_t i = 0; i < text.size();) {
    const size_t n = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() ? 2 : 1;
    out.push_back(text.substr(i, n));
    i += n;
  }
  return out;
}

// A round dot is "・"; any other mark (the sesame dot of Japanese typesetting) is "、", the mark
// re-composition files under comma emphasis.
char16_t emphasisMark(const std::vector<InkComponent>& pieces, const std::vector<int>& mark) {
  const PictRect box = unionOf(pieces, mark);
  int32_t ink = 0;
  for (int i : mark) ink += pieces[static_cast<size_t>(i)].pixels;
  const int32_t w = widthOf(box), h = heightOf(box);
  const bool round = std::abs(w - h) <= std::max(1, std::max(w, h) / 6) && ink * 10 >= 7 * w * h;
  return round ? u'・' : u'、';
}

// Boxes of a result read from a picture enlarged by `factor` and, for a turned line, turned by
// 270 degrees from a picture `width` pixels wide (before enlarging), back in the cut's pixels.
void mapBack(EngineResult& result, int factor, bool turned, int width) {
  auto back = [&](PictRect& r) {
    if (turned) {
      // Turned: x' = y, y' = W − 1 − x.
      const int32_t w = width * factor;
      r = PictRect{w - r.bottom, r.left, w - r.top, r.right};
    }
    r = PictRect{r.left / factor, r.top / factor, (r.right + factor - 1) / factor,
                 (r.bottom + factor - 1) / factor};
  };
  for (EngineLine& line : result.lines) {
    back(line.box);
    for (EngineWord& word : line.words) {
      back(word.box);
      for (EngineSymbol& symbol : word.symbols) back(symbol.box);
    }
  }
}

}  // namespace

bool PageReader::cleanCut(const PictRect& rect, const std::vector<int>& keep, Cut& out) const {
  out.rect = rect;
  if (imaging::MakeSubPictImageFromPict(bilevel_, rect, out.ink) != imaging::kImageOk) return false;
  const bool bilevelPage = picture_.bitsPerPixel() == 1;
  if (!bilevelPage &&
      imaging::MakeSubPictImageFromPict(picture_, rect, out.seen) != imaging::kImageOk)
    return false;
  std::vector<char> kept(layout_.pieces.size(), 0);
  for (int i : keep) kept[static_cast<size_t>(i)] = 1;
  const PictRect content = unionOf(layout_.pieces, keep);
  std::vector<PictRect> others;
  bool enclosed = false;
  for (size_t i = 0; i < layout_.pieces.size(); ++i) {
    if (kept[i] != 0) continue;
    const PictRect& b = layout_.pieces[i].box;
    if (b.right <= rect.left || b.left >= rect.right || b.bottom <= rect.top || b.top >= rect.bottom)
      continue;
    // A piece around the text (the rules of a table cell, a frame) cannot be painted out by its
    // box without the text: the cut is cleared outside the text instead.
    if (b.left <= content.left && b.top <= content.top && b.right >= content.right &&
        b.bottom >= content.bottom) {
      enclosed = true;
      continue;
    }
    others.push_back(shifted(b, -rect.left, -rect.top));
  }
  if (enclosed) {
    const PictRect inner = shifted(grown(content, 2), -rect.left, -rect.top);
    const int32_t w = widthOf(rect), h = heightOf(rect);
    others.push_back(PictRect{0, 0, w, inner.top});
    others.push_back(PictRect{0, inner.bottom, w, h});
    others.push_back(PictRect{0, 0, inner.left, h});
    others.push_back(PictRect{inner.right, 0, w, h});
  }
  imaging::ClearPictRects(out.ink, others);
  if (!bilevelPage) {
    // The grey edge of a glyph reaches a pixel past its ink.
    for (PictRect& r : others) r = grown(r, 1);
    imaging::ClearPictRects(out.seen, others);
  }
  return true;
}

bool PageReader::readCut(const Cut& cut, Model model, Shape shape, int factor,
                         EngineResult& result) {
  result = EngineResult{};
  std::string message;
  if (!engine_.load(model, &message)) {
    // The other model still reads the text, worse; only a page no model reads is a failure.
    const Model other = model == Model::Vertical ? Model::Horizontal : Model::Vertical;
    if (!engine_.load(other)) {
      if (error_.empty()) error_ = message;
      return false;
    }
    model = other;
  }
  CPictInfo view;
  if (imaging::DuplicateCPictInfo(cut.engineView(), view) != imaging::kImageOk) return false;
  const int width = view.width();
  if (factor > 1) {
    // Smoothly: a bilevel picture enlarged by repeating pixels keeps its jagged edges.
    CPictInfo enlarged;
    if (imaging::Convert24BitColorImageTo8BitGrayscaleImage(view) == imaging::kImageOk &&
        imaging::MakeExpandImageFromPict(view, enlarged, factor) == imaging::kImageOk)
      view = std::move(enlarged);
    else
      factor = 1;
  }
  const bool turned = shape == Shape::Line && model == Model::Vertical;
  if (turned && imaging::KIMakeRotatedImage(view, 270) != imaging::kImageOk) return false;
  imaging::PixelRows rows;
  if (imaging::CopyGreyRows(view, rows) != imaging::kImageOk) return false;
  if (!engine_.read(rows, layout_.dpi * factor, model, shape, result)) return false;
  mapBack(result, factor, turned, width);
  return true;
}

std::vector<LineData> PageReader::toLines(const EngineResult& result, const Cut& cut,
                                          bool vertical, const std::vector<int>& keep) const {
  // The engine now and then reads a phantom line inside a real one (strokes at the top of large
  // type taken for a line of their own): a line lying within a larger one is dropped.
  std::vector<const EngineLine*> real;
  for (const EngineLine& el : result.lines) {
    const bool phantom =
        std::any_of(result.lines.begin(), result.lines.end(), [&](const EngineLine& o) {
          if (&o == &el) return false;
          const int64_t area = int64_t{widthOf(el.box)} * heightOf(el.box);
          const int64_t other = int64_t{widthOf(o.box)} * heightOf(o.box);
          const int64_t w = std::min(el.box.right, o.box.right) - std::max(el.box.left, o.box.left);
          const int64_t h = std::min(el.box.bottom, o.box.bottom) - std::max(el.box.top, o.box.top);
          return other > area && w > 0 && h > 0 && w * h * 10 >= area * 8;
        });
    if (!phantom && !el.words.empty()) real.push_back(&el);
  }
  // Each piece of ink belongs to the line whose box holds its centre across the line, or the
  // nearest one.
  std::vector<std::vector<int>> linePieces(real.size());
  for (int i : keep) {
    const PictRect& b = layout_.pieces[static_cast<size_t>(i)].box;
    const int32_t c = vertical ? centreX(b) : centreY(b);
    int best = -1;
    int32_t bestDistance = INT32_MAX;
    for (size_t k = 0; k < real.size(); ++k) {
      const PictRect box = shifted(real[k]->box, cut.rect.left, cut.rect.top);
      const int32_t a = vertical ? box.left : box.top, z = vertical ? box.right : box.bottom;
      const int32_t d = c < a ? a - c : (c >= z ? c - z + 1 : 0);
      if (d < bestDistance) bestDistance = d, best = static_cast<int>(k);
    }
    if (best >= 0) linePieces[static_cast<size_t>(best)].push_back(i);
  }
  std::vector<LineData> lines;
  for (size_t k = 0; k < real.size(); ++k) {
    // Characters as the records count them: a symbol of several code points is several, its
    // place divided between them along the line.
    std::vector<CharData> chars;
    std::vector<ReadCharacter> placed;
    for (const EngineWord& word : real[k]->words)
      for (const EngineSymbol& s : word.symbols) {
        const std::vector<std::u16string> parts = codePoints(s.text);
        const int n = static_cast<int>(parts.size());
        const PictRect box = shifted(s.box, cut.rect.left, cut.rect.top);
        const int32_t a = vertical ? box.top : box.left, z = vertical ? box.bottom : box.right;
        for (int p = 0; p < n; ++p) {
          CharData& ch = chars.emplace_back();
          const bool unsure = fillCharacter(ch, parts[static_cast<size_t>(p)], s);
          placed.push_back(ReadCharacter{parts[static_cast<size_t>(p)], a + (z - a) * p / n,
                                         a + (z - a) * (p + 1) / n, unsure});
        }
      }
    const std::vector<PictRect> boxes =
        characterCells(layout_.pieces, linePieces[k], placed, vertical);
    LineData line;
    for (size_t c = 0; c < chars.size(); ++c) {
      CharData& ch = chars[c];
      PictRect box = boxes[c];
      if (isEmpty(box)) {
        // No ink of its own. A reading the engine is unsure of there is the engine reading a
        // character into a blank cell (an ideographic space, the white after a full stop): it
        // becomes the space the page shows, a reject. A confident one (two touching glyphs read
        // from one piece) stands where the engine put it, on the ink there.
        if (placed[c].doubtful) {
          ch.text = model::makeCharText(u'\u3000');
          ch.cc = std::min<uint16_t>(ch.cc, 1);
          ch.resetCandidates(0);
        }
        const PictRect span = vertical
            ? PictRect{shifted(real[k]->box, cut.rect.left, cut.rect.top).left, placed[c].begin,
                       shifted(real[k]->box, cut.rect.left, cut.rect.top).right, placed[c].end}
            : PictRect{placed[c].begin, shifted(real[k]->box, cut.rect.left, cut.rect.top).top,
                       placed[c].end, shifted(real[k]->box, cut.rect.left, cut.rect.top).bottom};
        const std::optional<PictRect> ink =
            imaging::InkBounds(cut.ink, shifted(span, -cut.rect.left, -cut.rect.top));
        box = ink ? shifted(*ink, cut.rect.left, cut.rect.top) : span;
      }
      setBox(ch, box);
      line.chars.push_back(std::move(ch));
    }
    if (line.chars.empty()) continue;
    std::vector<CharData*> inOrder;
    for (CharData& c : line.chars) inOrder.push_back(&c);
    markLookAlikes(inOrder);
    fitLine(line);
    lines.push_back(std::move(line));
  }
  return lines;
}

std::vector<LineData> PageReader::sideLines(const TextRegion& region, const LayoutLine& line) {
  std::vector<LineData> out;
  const bool vertical = region.writing == Writing::Vertical;
  for (const SideBand& band : line.sides) {
    if (stopped()) break;
    LineData side;
    if (band.emphasis) {
      side.attr = model::AttrEmph;
      for (const std::vector<int>& mark : band.marks) {
        CharData& c = side.chars.emplace_back();
        c.text = model::makeCharText(emphasisMark(layout_.pieces, mark));
        c.cc = 9;
        setBox(c, unionOf(layout_.pieces, mark));
      }
    } else {
      side.attr = model::AttrRuby;
      Cut cut;
      if (!cleanCut(grown(band.box, std::max(6, region.charSize / 2)), band.pieces, cut)) continue;
      // The engine reads small kana unsteadily: the band is read as it stands and enlarged, as a
      // block and as a line, and a glyph alone (a note mark, ruby of one kana) by both models,
      // since the model of the other direction sometimes knows it better. Ruby is set in even
      // steps of its own size: a reading with as many characters as the band has steps is
      // preferred to any other, then the more confident one. The first reading (the band as it
      // stands, as a block of the region's model) is kept at once when it has one character per
      // step and the engine is sure of it: on the recognition pages the other readings then
      // never gave other text, and the band costs one reading instead of up to eight.
      // The step comes from the base's size, not the band's thickness: ruby of flat kana (つづ)
      // is half as thick as its step, and the white between ruby kana is part of a step.
      const int thickness = vertical ? widthOf(band.box) : heightOf(band.box);
      const int length = vertical ? heightOf(band.box) : widthOf(band.box);
      const int step = rubyStep(region.charSize);
      const int steps = std::max(1, (length + step / 2) / step);
      std::vector<Model> models{modelFor(region.writing)};
      if (steps == 1) models.push_back(modelFor(otherWriting(region.writing)));
      std::vector<int> factors{1};
      if (enlargementFor(thickness) > 1) factors.push_back(enlargementFor(thickness));
      EngineResult result;
      int bestMiss = INT_MAX;
      bool first = true, settled = false;
      for (Model m : models)
        for (Shape shape : {Shape::Block, Shape::Line})
          for (int f : factors) {
            if (settled) break;
            EngineResult attempt;
            const bool firstReading = std::exchange(first, false);
            if (!readCut(cut, m, shape, f, attempt) || attempt.symbolCount() == 0) continue;
            const int miss = std::abs(attempt.symbolCount() - steps);
            if (miss < bestMiss ||
                (miss == bestMiss && attempt.meanConfidence() > result.meanConfidence())) {
              result = std::move(attempt);
              bestMiss = miss;
            }
            // Only the first: a later reading this sure may still be beaten (an enlarged block
            // read one kana of さくらなみき as 必 at 97.5; the line read it right at 98.5).
            settled = firstReading && bestMiss == 0 && result.meanConfidence() >= kSureRuby;
          }
      if (bestMiss == INT_MAX) continue;
      for (LineData& l : toLines(result, cut, vertical, band.pieces))
        for (CharData& c : l.chars) side.chars.push_back(std::move(c));
    }
    if (side.chars.empty()) continue;
    fitLine(side);
    out.push_back(std::move(side));
  }
  return out;
}

double PageReader::readAs(TextRegion& region, std::vector<LineData>& out) {
  out.clear();
  double sum = 0;
  int count = 0;
  auto tally = [&](const EngineResult& r) {
    sum += r.meanConfidence() * r.symbolCount();
    count += r.symbolCount();
  };
  const int pad = std::max(8, region.charSize / 2);
  const int factor = enlargementFor(region.charSize);
  if (region.writing == Writing::Vertical) {
    // Each column on its own, turned into a line: the engine then reads it better than as part
    // of a block and gives each character its true place.
    for (const LayoutLine& l : region.lines) {
      if (stopped()) break;
      Cut cut;
      EngineResult result;
      if (!cleanCut(grown(l.box, pad), l.pieces, cut) ||
          !readCut(cut, Model::Vertical, Shape::Line, factor, result))
        continue;
      tally(result);
      LineData column;
      for (LineData& part : toLines(result, cut, true, l.pieces))
        for (CharData& c : part.chars) column.chars.push_back(std::move(c));
      for (LineData& side : sideLines(region, l)) out.push_back(std::move(side));
      if (column.chars.empty()) continue;
      fitLine(column);
      out.push_back(std::move(column));
    }
    return count > 0 ? sum / count : -1;
  }
  // Rows as one block: the engine finds them itself, and each layout row's side lines go
  // before the row that overlaps it most.
  Cut cut;
  EngineResult result;
  if (!cleanCut(grown(unionOf(layout_.pieces, region.pieces), pad), region.pieces, cut) ||
      !readCut(cut, Model::Horizontal, Shape::Block, factor, result))
    return -1;
  tally(result);
  std::vector<LineData> rows = toLines(result, cut, false, region.pieces);
  std::vector<std::vector<LineData>> before(rows.size());
  std::vector<LineData> unplaced;
  for (const LayoutLine& l : region.lines) {
    if (l.sides.empty() || stopped()) continue;
    int best = -1;
    int32_t bestOverlap = 0;
    for (size_t k = 0; k < rows.size(); ++k) {
      const int32_t overlap = std::min(l.box.bottom, rows[k].y + rows[k].height) -
                              std::max(l.box.top, rows[k].y);
      if (overlap > bestOverlap) bestOverlap = overlap, best = static_cast<int>(k);
    }
    for (LineData& s : sideLines(region, l))
      (best >= 0 ? before[static_cast<size_t>(best)] : unplaced).push_back(std::move(s));
  }
  for (size_t k = 0; k < rows.size(); ++k) {
    for (LineData& s : before[k]) out.push_back(std::move(s));
    out.push_back(std::move(rows[k]));
  }
  for (LineData& s : unplaced) out.push_back(std::move(s));
  return count > 0 ? sum / count : -1;
}

void PageReader::readRegion(TextRegion& region, model::List<LineData>& lines) {
  std::vector<LineData> read;
  double confidence = readAs(region, read);
  if (!region.writingClear && options_.language == Language::Auto && !stopped()) {
    // The ink leaves the direction open: the other model reads it too, the better reading stays.
    std::vector<int> all = region.pieces;
    for (const LayoutLine& l : region.lines)
      for (const SideBand& b : l.sides) all.insert(all.end(), b.pieces.begin(), b.pieces.end());
    TextRegion turned = analyseText(layout_.pieces, all, otherWriting(region.writing));
    std::vector<LineData> other;
    if (readAs(turned, other) > confidence) {
      region = std::move(turned);
      read = std::move(other);
    }
  }
  for (LineData& l : read) lines.push_back(std::move(l));
}

}  // namespace vellary::recognize::detail
