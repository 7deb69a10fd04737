// Page layout: pieces of ink sorted into rules, pictures, tables and text, the text cut into
// blocks at the white space between them, and the blocks put in reading order.
#include "recognize/layout.h"

#include <algorithm>
#include <memory>

#include "recognize/layout_internal.h"

namespace vellary::recognize {

using namespace detail;

namespace {

// Rules, pictures and tables take part in the cutting as wholes.
struct Atom {
  int32_t type = model::BlockLine;
  PictRect box;
  std::vector<PictRect> cells;  // a table's
};

// One thing the cutting moves: a piece of text ink, or an atom.
struct Item {
  PictRect box;
  int piece = -1;
  int atom = -1;
};

// The cutting's tree: a leaf holds items; an inner node's children lie side by side along x
// (left to right) or along y (top to bottom).
struct Node {
  bool alongX = false;
  std::vector<Node> children;
  std::vector<Item> items;
};

struct Context {
  const std::vector<InkComponent>& pieces;
  const std::vector<Atom>& atoms;
  int dpi;
};

std::vector<int> pieceIndexes(const std::vector<Item>& items) {
  std::vector<int> out;
  for (const Item& it : items)
    if (it.piece >= 0) out.push_back(it.piece);
  return out;
}

// A white gap across the region along one axis: [begin, end) with nothing in it.
struct Gap {
  int32_t begin = 0, end = 0;
  double score = 0;  // how strongly it separates; 0: not at all
};

// Whether a rule lies along the gap's edge and across most of the region: text on either side of
// it belongs to different blocks however close it stands.
bool ruleAlong(const Context& c, const std::vector<Item>& items, const Gap& gap, bool alongX,
               const PictRect& region) {
  const int32_t across = alongX ? heightOf(region) : widthOf(region);
  for (const Item& it : items) {
    if (it.atom < 0 || c.atoms[static_cast<size_t>(it.atom)].type != model::BlockLine) continue;
    const PictRect& b = it.box;
    const int32_t lo = alongX ? b.left : b.top, hi = alongX ? b.right : b.bottom;
    const int32_t length = alongX ? heightOf(b) : widthOf(b);
    if ((hi == gap.begin || lo == gap.end) && length * 10 >= across * 6) return true;
  }
  return false;
}

// Whether the items on both sides of the gap form one line across it: a single row (gap along x)
// or column (along y) on each side, standing in line with each other.
bool withinOneLine(const Context& c, const std::vector<Item>& items, const Gap& gap, bool alongX,
                   int size) {
  PictRect before, after;
  for (const Item& it : items) {
    if (it.piece < 0) return false;
    const int32_t centre = alongX ? centreX(it.box) : centreY(it.box);
    PictRect& side = centre < gap.begin ? before : after;
    side = unite(side, c.pieces[static_cast<size_t>(it.piece)].box);
  }
  if (isEmpty(before) || isEmpty(after)) return false;
  const int32_t a = alongX ? heightOf(before) : widthOf(before);
  const int32_t b = alongX ? heightOf(after) : widthOf(after);
  if (a * 10 > size * 16 || b * 10 > size * 16) return false;
  const int32_t overlap = alongX ? std::min(before.bottom, after.bottom) - std::max(before.top, after.top)
                                 : std::min(before.right, after.right) - std::max(before.left, after.left);
  return overlap * 2 >= std::min(a, b);
}

// The best place to cut the region along one axis, or a gap with score 0.
Gap bestGap(const Context& c, const std::vector<Item>& items, const PictRect& region, bool alongX,
            int size) {
  const int32_t lo = alongX ? region.left : region.top;
  const int32_t n = alongX ? widthOf(region) : heightOf(region);
  std::vector<int32_t> cover(static_cast<size_t>(n) + 1, 0);
  for (const Item& it : items) {
    const int32_t a = (alongX ? it.box.left : it.box.top) - lo;
    const int32_t b = (alongX ? it.box.right : it.box.bottom) - lo;
    ++cover[static_cast<size_t>(std::clamp(a, 0, n))];
    --cover[static_cast<size_t>(std::clamp(b, 0, n))];
  }
  Gap best;
  int32_t depth = 0, gapStart = -1;
  for (int32_t i = 0; i < n; ++i) {
    depth += cover[static_cast<size_t>(i)];
    if (depth == 0 && gapStart < 0) gapStart = i;
    if (depth != 0 && gapStart >= 0) {
      Gap g{lo + gapStart, lo + i, 0};
      gapStart = -1;
      const int32_t length = g.end - g.begin;
      const bool inLine = size > 0 && withinOneLine(c, items, g, alongX, size);
      if (inLine && length < 3 * size) {
        // A space inside one line (an ideographic space, the blanks around a page number)
      } else if (ruleAlong(c, items, g, alongX, region)) {
        g.score = 1000.0 + length;
      } else if (size <= 0) {
        g.score = length;  // no text: pictures and rules part at any gap
      } else if (length * 10 >= size * 12) {
        g.score = static_cast<double>(length) / size;
      } else if (length * 2 >= size) {
        // A narrower gap still parts text of clearly different sizes: a title and its body.
        std::vector<int> before, after;
        for (const Item& it : items) {
          if (it.piece < 0) continue;
          const int32_t centre = alongX ? centreX(it.box) : centreY(it.box);
          (centre < g.begin ? before : after).push_back(it.piece);
        }
        const int a = typicalCharSize(c.pieces, before), b = typicalCharSize(c.pieces, after);
        if (a > 0 && b > 0 && std::max(a, b) * 100 >= std::min(a, b) * 135)
          g.score = static_cast<double>(length) / size;
      }
      if (g.score > best.score) best = g;
    }
  }
  return best;
}

void cut(const Context& c, std::vector<Item> items, Node& node, int depth) {
  PictRect region;
  for (const Item& it : items) region = unite(region, it.box);
  if (items.size() < 2 || depth > 64 || isEmpty(region)) {
    node.items = std::move(items);
    return;
  }
  const int size = typicalCharSize(c.pieces, pieceIndexes(items));
  const Gap gx = bestGap(c, items, region, true, size);
  const Gap gy = bestGap(c, items, region, false, size);
  if (gx.score <= 0 && gy.score <= 0) {
    node.items = std::move(items);
    return;
  }
  node.alongX = gx.score > gy.score;
  const Gap& g = node.alongX ? gx : gy;
  std::vector<Item> before, after;
  for (Item& it : items) {
    const int32_t start = node.alongX ? it.box.left : it.box.top;
    (start < g.begin ? before : after).push_back(it);
  }
  node.children.resize(2);
  cut(c, std::move(before), node.children[0], depth + 1);
  cut(c, std::move(after), node.children[1], depth + 1);
}

// The table's cells in grid positions: rows by their tops, columns by their left edges.
std::vector<LayoutCell> gridCells(const std::vector<PictRect>& areas, int tolerance) {
  std::vector<int32_t> tops, lefts;
  for (const PictRect& a : areas) tops.push_back(a.top), lefts.push_back(a.left);
  auto levels = [&](std::vector<int32_t> v) {
    std::sort(v.begin(), v.end());
    std::vector<int32_t> out;
    for (int32_t x : v)
      if (out.empty() || x - out.back() > tolerance) out.push_back(x);
    return out;
  };
  const std::vector<int32_t> rowTops = levels(tops), colLefts = levels(lefts);
  auto indexIn = [&](const std::vector<int32_t>& level, int32_t x) {
    int index = 0;
    for (size_t i = 0; i < level.size(); ++i)
      if (level[i] <= x + tolerance) index = static_cast<int>(i);
    return index + 1;
  };
  std::vector<LayoutCell> cells;
  for (const PictRect& a : areas) {
    LayoutCell cell;
    cell.box = a;
    cell.row = indexIn(rowTops, a.top);
    cell.col = indexIn(colLefts, a.left);
    cells.push_back(cell);
  }
  std::sort(cells.begin(), cells.end(), [](const LayoutCell& a, const LayoutCell& b) {
    return a.row != b.row ? a.row < b.row : a.col < b.col;
  });
  return cells;
}

bool inside(const PictRect& inner, const PictRect& outer) {
  return centreX(inner) >= outer.left && centreX(inner) < outer.right &&
         centreY(inner) >= outer.top && centreY(inner) < outer.bottom;
}

// Walks the tree in reading order; columns of a vertical page are read from the right.
void collectLeaves(const Node& node, bool rightToLeft, std::vector<const Node*>& out) {
  if (node.children.empty()) {
    out.push_back(&node);
    return;
  }
  if (node.alongX && rightToLeft)
    for (auto it = node.children.rbegin(); it != node.children.rend(); ++it)
      collectLeaves(*it, rightToLeft, out);
  else
    for (const Node& child : node.children) collectLeaves(child, rightToLeft, out);
}

}  // namespace

PageLayout analysePage(const imaging::CPictInfo& bilevel, const LayoutOptions& options) {
  PageLayout page;
  if (bilevel.bitsPerPixel() != 1 || !bilevel.hasPixels()) return page;
  page.width = bilevel.width();
  page.height = bilevel.height();
  page.dpi = bilevel.xResolution() > 0 ? bilevel.xResolution() : 300;
  if (imaging::FindInkComponents(bilevel, page.pieces) != imaging::kImageOk) return page;
  const int d = page.dpi;
  const std::vector<InkComponent>& pieces = page.pieces;

  // Sort the pieces: specks, rules, large pieces (pictures, tables), text.
  std::vector<Atom> atoms;
  std::vector<int> text, specks;
  const int32_t speck = std::max(2, d / 200);
  for (size_t i = 0; i < pieces.size(); ++i) {
    const PictRect& b = pieces[i].box;
    const int32_t w = widthOf(b), h = heightOf(b);
    const int32_t lng = std::max(w, h), shrt = std::min(w, h);
    if (lng <= speck) {
      specks.push_back(static_cast<int>(i));
      continue;
    }
    if (lng >= d / 2 && shrt <= std::max(3, d / 30) && lng >= 10 * shrt) {
      atoms.push_back(Atom{model::BlockLine, b, {}});
      continue;
    }
    if (w * 10 >= d * 6 && h * 10 >= d * 6) {
      const double density = static_cast<double>(pieces[i].pixels) / (double(w) * double(h));
      std::vector<PictRect> areas;
      imaging::FindEnclosedAreas(bilevel, b, std::max(4, d / 12), areas);
      if (areas.size() >= 2 && density < 0.3)
        atoms.push_back(Atom{model::BlockTable, b, std::move(areas)});
      else if (areas.size() == 1 && density < 0.1)
        continue;  // a frame around text: the text inside is read, the frame is not kept
      else
        atoms.push_back(Atom{model::BlockImage, b, {}});
      continue;
    }
    text.push_back(static_cast<int>(i));
  }
  // Ink inside a picture is the picture's; ink inside a table belongs to its cells.
  std::vector<std::vector<int>> atomText(atoms.size());
  std::vector<Item> items;
  for (int i : text) {
    const PictRect& b = pieces[static_cast<size_t>(i)].box;
    bool taken = false;
    for (size_t a = 0; a < atoms.size() && !taken; ++a) {
      if (atoms[a].type == model::BlockLine || !inside(b, atoms[a].box)) continue;
      atomText[a].push_back(i);
      taken = true;
    }
    if (!taken) items.push_back(Item{b, i, -1});
  }
  for (size_t a = 0; a < atoms.size(); ++a) items.push_back(Item{atoms[a].box, -1, int(a)});

  Node root;
  const Context context{pieces, atoms, d};
  cut(context, std::move(items), root, 0);

  // Text regions of the leaves first, then the page's direction from those the ink decides.
  std::vector<const Node*> leaves;
  collectLeaves(root, false, leaves);
  long vertical = 0, horizontal = 0;
  std::vector<TextRegion> regions(leaves.size());
  for (size_t k = 0; k < leaves.size(); ++k) {
    std::vector<int> which = pieceIndexes(leaves[k]->items);
    if (which.empty()) continue;
    regions[k] = analyseText(pieces, std::move(which), options.expected);
    if (!regions[k].writingClear) continue;
    (regions[k].writing == Writing::Vertical ? vertical : horizontal) +=
        static_cast<long>(regions[k].pieces.size());
  }
  if (vertical == 0 && horizontal == 0)
    page.writing = options.expected == Writing::Unknown ? Writing::Horizontal : options.expected;
  else
    page.writing = vertical > horizontal ? Writing::Vertical : Writing::Horizontal;
  // Guesses follow the page.
  std::vector<const Node*> ordered;
  collectLeaves(root, page.writing == Writing::Vertical, ordered);
  size_t mostPieces = 0;
  for (const Node* leaf : ordered) {
    const size_t k = static_cast<size_t>(std::find(leaves.begin(), leaves.end(), leaf) - leaves.begin());
    TextRegion& region = regions[k];
    if (!region.pieces.empty() && !region.writingClear && region.writing != page.writing &&
        options.expected == Writing::Unknown)
      region = analyseText(pieces, pieceIndexes(leaf->items), page.writing);
    // Atoms of the leaf, and its text, in the order they stand.
    std::vector<LayoutBlock> blocks;
    for (const Item& it : leaf->items) {
      if (it.atom < 0) continue;
      const Atom& atom = atoms[static_cast<size_t>(it.atom)];
      LayoutBlock block;
      block.type = atom.type;
      block.box = atom.box;
      if (atom.type == model::BlockTable) {
        block.cells = gridCells(atom.cells, std::max(2, d / 50));
        for (LayoutCell& cell : block.cells) {
          std::vector<int> inCell;
          for (int i : atomText[static_cast<size_t>(it.atom)])
            if (inside(pieces[static_cast<size_t>(i)].box, cell.box)) inCell.push_back(i);
          if (!inCell.empty()) cell.text = analyseText(pieces, std::move(inCell), Writing::Horizontal);
        }
      }
      blocks.push_back(std::move(block));
    }
    if (!region.pieces.empty()) {
      // A speck at the edge of a ruby band is part of a small glyph (the voicing mark of ruby
      // kana at 300 dpi is two strokes of two pixels): the band keeps it, so that its reading
      // does not lose it.
      for (int i : specks)
        if (SideBand* band = detail::bandTouching(region.lines, pieces[static_cast<size_t>(i)].box,
                                                  region.writing == Writing::Vertical,
                                                  region.charSize))
          detail::joinBand(*band, pieces, i);
      LayoutBlock block;
      block.type = model::BlockText;
      block.box = region.box;
      if (region.pieces.size() > mostPieces) {
        mostPieces = region.pieces.size();
        page.charSize = region.charSize;
      }
      block.text = std::move(region);
      blocks.push_back(std::move(block));
    }
    std::stable_sort(blocks.begin(), blocks.end(), [](const LayoutBlock& a, const LayoutBlock& b) {
      return a.box.top < b.box.top;
    });
    for (LayoutBlock& b : blocks) page.blocks.push_back(std::move(b));
  }
  return page;
}

}  // namespace vellary::recognize
