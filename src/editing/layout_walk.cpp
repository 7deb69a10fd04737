// The walk over a page that places every line and character: the layout display (blocks at their
// page rectangles, base lines at the block's pitch, side lines beside their base) and the
// text-flow display (every line of every text block in one row or column of its own).
#include <algorithm>
#include <cstdint>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "editing/layout.h"

namespace vellary::editing {

namespace {

// Right or bottom edge that stands for "to the canvas edge": the painter clips it.
constexpr int kFar = 1 << 24;

int tr(double v) { return static_cast<int>(v); }

bool firstMarkIsComma(const model::LineData& line) {
  return !line.chars.empty() && line.chars.front().text[0] == u'、';
}

bool endsWithReturn(const model::LineData& line) {
  return !line.chars.empty() && line.chars.back().text[0] == u'\r' &&
         line.chars.back().text[1] == 0;
}

class Walker {
 public:
  Walker(const model::PageData& page, PageLayout& out)
      : page_(page),
        out_(out),
        z_(out.params.zoom),
        beside_(out.params.pane == appcore::ImagePane::ImageBeside) {}

  void layoutDisplay() {
    out_.canvas = layoutCanvasSize(page_, z_);
    for (const auto& block : page_.blocks) {
      if (block.type == model::BlockImage) {
        out_.images.push_back({&block,
                               scaled(block.x, block.y, block.width, block.height),
                               {block.x, block.y, block.x + block.width, block.y + block.height}});
      } else if (block.type == model::BlockTable) {
        table(block);
      } else {
        textBlock(block);
      }
    }
    frameRubies();
  }

  void textFlow() {
    const bool vertical = out_.params.display == appcore::TextDisplay::FlowVertical;
    const BaseSizes& s = out_.sizes;
    out_.textWindow = textWindowSize(&page_, vertical, s);
    out_.canvas = out_.textWindow;
    int k = 0;
    for (const auto& block : page_.blocks) {
      if (block.type == model::BlockTable || block.type == model::BlockImage) continue;
      for (const auto& line : block.lines) {
        LinePlace lp;
        lp.block = &block;
        lp.line = &line;
        lp.vertical = vertical;
        lp.textFlow = true;
        lp.fontPx = s.glyph;
        lp.pitchPx = s.C;
        const int n = static_cast<int>(line.chars.size());
        const int imageChars = n - (endsWithReturn(line) ? 1 : 0);
        const int trim = tr(0.2 * s.B);
        if (!vertical) {
          const int x = 10, y = 10 + k * s.P;
          lp.originX = x - 3;
          lp.originY = y;
          lp.rowBackground = {x - 10, y - 10, kFar, y + s.A};
          const CanvasRect band{x, y + s.A, x + imageChars * s.C - s.C / 2, y + s.A + s.B};
          const int up = tr(0.1 * s.B);
          lp.imageDest = {band.left, band.top + trim - up, band.right, band.bottom - trim - up};
          lp.bandBackground = {band.left, lp.imageDest.top, kFar, lp.imageDest.bottom};
          lp.box = {x - 10, y - 10, kFar, y - 10 + s.P};
        } else {
          const int x = out_.textWindow.width - 10 - k * s.P, y = 10;
          lp.originX = x - 3;
          lp.originY = y;
          lp.rowBackground = {x - s.A - 10, y - 10, x, kFar};
          const CanvasRect band{x - s.A - s.B, y, x - s.A, y + imageChars * s.C};
          lp.imageDest = {band.left + trim, band.top, band.right - trim, band.bottom};
          lp.bandBackground = {lp.imageDest.left, y - 10, lp.imageDest.right, kFar};
          lp.box = {x - s.P, y - 10, x, kFar};
        }
        lp.imageSource = {line.x, line.y, line.x + line.width, line.y + line.height};
        lp.hasImage = imageChars > 0 && line.width > 0 && line.height > 0;
        for (int i = 0; i < n; ++i) {
          GlyphPlace g;
          g.index = i;
          if (!vertical) {
            g.x = lp.originX + i * s.C;
            g.y = lp.originY;
            g.box = {g.x, g.y, g.x + s.C, g.y + s.A};
          } else {
            g.x = lp.originX;
            g.y = lp.originY + i * s.C;
            g.box = {x0(lp) - s.A, g.y, x0(lp), g.y + s.C};
          }
          lp.glyphs.push_back(g);
        }
        int i = 0;
        for (const auto& ch : line.chars) lp.glyphs[i++].ch = &ch;
        out_.lines.push_back(std::move(lp));
        ++k;
      }
    }
  }

 private:
  static int x0(const LinePlace& lp) { return lp.originX + 3; }

  CanvasRect scaled(int x, int y, int w, int h) const {
    return {tr(x * z_), tr(y * z_), tr((x + w) * z_), tr((y + h) * z_)};
  }

  void textBlock(const model::BlockData& block) {
    const bool vertical = block.direction == model::Vertical;
    const int P = blockLinePitch(block);
    const int startX = vertical ? block.x + block.width : block.x;
    int curX = startX;
    int curY = block.y;
    if (beside_) out_.textBlockFills.push_back(scaled(block.x, block.y, block.width, block.height));
    // Where each base line goes, so that a side line stands beside its base wherever the list
    // holds it (recognisers put ruby before or after the line it belongs to).
    std::unordered_map<const model::LineData*, std::pair<int, int>> baseAt;
    for (const auto& line : block.lines) {
      if (!isNormalLine(line)) continue;
      baseAt.emplace(&line, std::pair{curX, curY});
      if (vertical)
        curX -= P;
      else
        curY += P;
    }
    curX = startX;
    curY = block.y;
    const int normals = static_cast<int>(baseAt.size());
    for (const auto& line : block.lines) {
      if (!isNormalLine(line)) {
        const model::LineData* base = line.baseLine;
        // Without a known base the line goes beside the next base line, as the list has it.
        int bx = curX, by = curY;
        if (auto it = baseAt.find(base); it != baseAt.end()) std::tie(bx, by) = it->second;
        const bool far = onFarSide(line, base, vertical);
        if (vertical)
          place(block, nullptr, line, far ? bx - base->width - 2 : bx + line.width + 2, by, far);
        else
          place(block, nullptr, line, bx, far ? by + base->height + 2 : by - line.height - 2, far);
        continue;
      }
      LinePlace& lp = place(block, nullptr, line, curX, curY);
      if (beside_) blockLineImage(lp, block, line, P, curX, curY, normals == 1);
      if (vertical)
        curX -= P;
      else
        curY += P;
    }
  }

  void table(const model::BlockData& block) {
    const bool vertical = block.direction == model::Vertical;
    for (const auto& cell : block.cells) {
      const int cp = cellLinePitch(cell, vertical);
      int baseX = vertical ? cell.x + cell.width - (beside_ ? cp / 2 : 0) : cell.x;
      int baseY = vertical ? cell.y : cell.y + 4;
      for (const auto& line : cell.lines) {
        if (isNormalLine(line)) {
          int ox = line.x, oy = line.y;
          if (beside_ && !vertical) {
            ox = baseX;
            oy = baseY;
          }
          LinePlace& lp = place(block, &cell, line, ox, oy);
          if (beside_) cellLineImage(lp, line, vertical);
          if (vertical)
            baseX -= cp;
          else
            baseY += cp;
          continue;
        }
        const model::LineData* base = line.baseLine;
        const bool far = onFarSide(line, base, vertical);
        if (vertical)
          place(block, &cell, line,
                far    ? base->x - 2
                : base ? base->x + base->width + 2
                       : baseX + line.width + 2,
                baseY, far);
        else
          place(block, &cell, line, baseX,
                far ? base->y + base->height + 2 : (base ? base->y : baseY) - line.height - 2, far);
      }
    }
  }

  // A side line whose box stands left of its vertical base or under its horizontal one: the
  // side that is not the usual one for ruby and emphasis.
  static bool onFarSide(const model::LineData& line, const model::LineData* base, bool vertical) {
    if (base == nullptr) return false;
    if (vertical) return 2 * int64_t{line.x} + line.width < 2 * int64_t{base->x} + base->width;
    return 2 * int64_t{line.y} + line.height > 2 * int64_t{base->y} + base->height;
  }

  // Places one line whose origin (page pixels) the walk hands down; `far` for a side line on the
  // far side of its base (see onFarSide).
  LinePlace& place(const model::BlockData& block, const model::CellData* cell,
                   const model::LineData& line, int handX, int handY, bool far = false) {
    LinePlace lp;
    lp.block = &block;
    lp.cell = cell;
    lp.line = &line;
    lp.vertical = block.direction == model::Vertical;
    const model::LineData* base = line.baseLine;
    const bool side = !isNormalLine(line) && base != nullptr && line.rcs > 0;
    const bool emphasis = line.attr == model::AttrEmph;
    const int pitch = charPitch(line, lp.vertical);
    lp.fontPx = lineFontSize(block, line, z_, out_.params.pane);
    // More characters than the line's box was recognised with (typing into a full line) are
    // drawn smaller rather than over each other. Emphasis marks keep their base's pitch.
    if (!emphasis) lp.fontPx = fittingFontSize(line, lp.fontPx, std::max(1, tr(pitch * z_)));
    const int s = lp.fontPx;
    double ox = handX, oy = handY;
    if (lp.vertical) {
      oy = line.y;
      if (side) {
        const int basePitch = charPitch(*base, true);
        oy = base->y + cellsBefore(*base, line.rcs - 1) * basePitch;
        if (emphasis) {
          const bool comma = firstMarkIsComma(line);
          oy += (comma ? 0.4 : 0.2) * base->width;
          if (!comma) ox += (far ? -0.3 : 0.3) * base->width;
        }
      }
      if (block.langId == 134 || block.langId == 136)
        lp.shift = s;
      else if (block.type == model::BlockTable)
        lp.shift = -tr(0.8 * line.width * z_);
    } else {
      ox = line.x;
      if (side) ox = base->x + (line.rcs - 1) * charPitch(*base, false);
      if (emphasis) {
        const double half = (firstMarkIsComma(line) && base ? base->height : line.height) / 2.0;
        oy += far ? half : -half;
      }
    }
    lp.originX = tr(ox * z_);
    lp.originY = tr(oy * z_);
    lp.pitchPx = std::max(1, tr(pitch * z_));
    int k = 0;
    for (const CellRun& run : lineCells(line)) {
      GlyphPlace g;
      g.index = run.index;
      g.count = run.count;
      if (lp.vertical) {
        g.x = lp.originX;
        g.y = tr((oy + static_cast<double>(k) * pitch) * z_);
        const int right = g.x - lp.shift;
        g.box = {right - s, g.y, right, g.y + lp.pitchPx};
      } else {
        g.x = tr((ox + static_cast<double>(k) * pitch) * z_);
        g.y = lp.originY;
        g.box = {g.x, g.y, g.x + lp.pitchPx, g.y + s};
      }
      lp.glyphs.push_back(g);
      ++k;
    }
    {
      auto it = line.chars.begin();
      int i = 0;
      for (GlyphPlace& g : lp.glyphs) {
        std::advance(it, g.index - i);
        i = g.index;
        g.ch = &*it;
      }
    }
    lp.box = redrawBox(lp, line);
    index_[&line] = out_.lines.size();
    out_.lines.push_back(std::move(lp));
    return out_.lines.back();
  }

  // What a redraw erases: the line's extent from its origin and its thickness, grown to cover the
  // glyphs' overhang (or, beside a line image, kept off the image).
  CanvasRect redrawBox(const LinePlace& lp, const model::LineData& line) const {
    CanvasRect glyphs;
    for (const GlyphPlace& g : lp.glyphs) glyphs = glyphs.united(g.box);
    if (!isNormalLine(line)) return glyphs.adjusted(-2, -2, 2, 2);
    const int ox = lp.originX, oy = lp.originY;
    CanvasRect box;
    if (!lp.vertical) {
      const int along = tr(line.width * z_), th = tr(line.height * z_);
      box = {ox, oy, ox + along, oy + th};
      if (beside_) {
        box.bottom -= tr(0.3 * th);
        return box;
      }
      box.right += th * (endsWithReturn(line) ? 2 : 1);
      box.top -= th / 4;
      box.bottom += th / 4;
    } else {
      const int along = tr(line.height * z_), th = tr(line.width * z_);
      const int right = ox - std::min(0, lp.shift);
      box = {right - th, oy, right, oy + along};
      if (beside_) {
        box.left += tr(0.3 * th);
        return box.united(glyphs);
      }
      box.bottom += th * (endsWithReturn(line) ? 2 : 1);
      const int side = std::min(10, std::max(1, th / 4));
      box.left -= side;
      box.right += side;
    }
    return box.united(glyphs);
  }

  void blockLineImage(LinePlace& lp, const model::BlockData& block, const model::LineData& line,
                      int P, int X, int Y, bool single) {
    if (!lp.vertical) {
      const int w = std::min(block.width, line.width + 20);
      lp.imageSource = {block.x, line.y, line.x + w, line.y + line.height};
      const int top = tr((P / 2.0 + Y) * z_) + 2;
      lp.imageDest = {tr(X * z_), top, tr(X * z_) + tr(w * z_), top + tr(P * 0.5 * z_) - 2};
      if (single) {
        const int th = tr(line.height * z_), third = th / 3;
        lp.imageDest = lp.imageDest.adjusted(0, th - third, 0, th + third);
      }
    } else {
      const int h = std::min(block.height, line.height + 20);
      lp.imageSource = {line.x, block.y, line.x + line.width, line.y + h};
      const int left = tr((X - P) * z_);
      lp.imageDest = {left, tr(Y * z_), left + tr(P * 0.5 * z_), tr(Y * z_) + tr(h * z_)};
      if (single) {
        const int th = tr(line.width * z_), third = th / 3;
        lp.imageDest = lp.imageDest.adjusted(-th - third, 0, -th + third, 0);
      }
    }
    lp.hasImage = !lp.imageSource.empty() && !lp.imageDest.empty();
  }

  void cellLineImage(LinePlace& lp, const model::LineData& line, bool vertical) {
    lp.imageSource = {line.x, line.y, line.x + line.width, line.y + line.height};
    if (!vertical) {
      const int top = tr((line.y + line.height) * z_);
      lp.imageDest = {tr(line.x * z_), top, tr((line.x + line.width) * z_),
                      top + tr(line.height * 0.5 * z_)};
    } else {
      const int half = tr(line.width * 0.5 * z_);
      const int right = tr(line.x * z_) - half / 2;
      lp.imageDest = {right - half, tr(line.y * z_), right, tr((line.y + line.height) * z_)};
    }
    lp.hasImage = !lp.imageSource.empty() && !lp.imageDest.empty();
  }

  // Ruby lines are framed, and so are the base characters each covers.
  void frameRubies() {
    for (LinePlace& lp : out_.lines) {
      const model::LineData& line = *lp.line;
      if (line.attr != model::AttrRuby) continue;
      for (const GlyphPlace& g : lp.glyphs) lp.rubyFrame = lp.rubyFrame.united(g.box);
      if (line.baseLine == nullptr || line.rcs <= 0 || line.rce <= 0) continue;
      auto it = index_.find(line.baseLine);
      if (it == index_.end()) continue;
      const LinePlace& base = out_.lines[it->second];
      for (const GlyphPlace& g : base.glyphs) {
        const int first = g.index + 1, last = g.index + g.count;  // 1-based characters
        if (last >= line.rcs && first <= line.rce) lp.baseFrame = lp.baseFrame.united(g.box);
      }
    }
  }

  const model::PageData& page_;
  PageLayout& out_;
  double z_;
  bool beside_;  // the page image lies behind the text
  std::unordered_map<const model::LineData*, size_t> index_;
};

}  // namespace

PageLayout layoutPage(const model::PageData& page, const LayoutParams& params) {
  PageLayout out;
  out.params = params;
  out.sizes = baseSizes(params.dpi);
  Walker walker(page, out);
  if (params.display == appcore::TextDisplay::Layout)
    walker.layoutDisplay();
  else
    walker.textFlow();
  return out;
}

const LinePlace* PageLayout::find(const model::LineData* line) const {
  for (const LinePlace& lp : lines)
    if (lp.line == line) return &lp;
  return nullptr;
}

PageLayout::Hit PageLayout::hit(int x, int y) const {
  Hit inBox;
  for (int pass = 0; pass < 2; ++pass) {
    for (const LinePlace& lp : lines) {
      if (isNormalLine(*lp.line) != (pass == 0)) continue;
      for (size_t i = 0; i < lp.glyphs.size(); ++i)
        if (lp.glyphs[i].box.contains(x, y)) return {&lp, static_cast<int>(i)};
      if (inBox.line == nullptr && lp.box.contains(x, y)) inBox = {&lp, -1};
    }
  }
  return inBox;
}

CanvasRect charBox(const LinePlace& lp, int index) {
  if (lp.glyphs.empty()) {
    const int s = std::max(lp.fontPx, 1);
    if (lp.vertical) return {lp.originX - s, lp.originY, lp.originX, lp.originY + s};
    return {lp.originX, lp.originY, lp.originX + s, lp.originY + s};
  }
  for (const GlyphPlace& g : lp.glyphs)
    if (index >= g.index && index < g.index + g.count) return g.box;
  const GlyphPlace& last = lp.glyphs.back();
  if (index < 0) return lp.glyphs.front().box;
  // The end position: one cell beyond the last.
  return lp.vertical ? last.box.adjusted(0, lp.pitchPx, 0, lp.pitchPx)
                     : last.box.adjusted(lp.pitchPx, 0, lp.pitchPx, 0);
}

std::optional<CanvasRect> charBoxInLineImage(const LinePlace& lp, const model::CharData& ch) {
  if (!lp.hasImage || ch.x < 0 || lp.imageSource.empty()) return std::nullopt;
  const double sx = static_cast<double>(lp.imageDest.width()) / lp.imageSource.width();
  const double sy = static_cast<double>(lp.imageDest.height()) / lp.imageSource.height();
  const int down = (lp.cell != nullptr && !lp.vertical) ? 3 : 0;
  const int left = lp.imageDest.left + tr((ch.x - lp.imageSource.left) * sx);
  const int top = lp.imageDest.top + tr((ch.y - lp.imageSource.top) * sy) + down;
  return CanvasRect{left, top, left + tr(ch.width * sx), top + tr(ch.height * sy)};
}

}  // namespace vellary::editing
