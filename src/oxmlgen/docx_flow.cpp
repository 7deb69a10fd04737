// The flow plan of a Word page (docx_flow.h).
//
// Everything is measured in two directions: "along the flow", the direction in which lines
// follow one another (downwards on a horizontal page, leftwards on a vertical one), and "in the
// line", the direction characters follow one another. An item's place along the flow is kept by
// the space before it, its place in the line by its indents. The flow cannot go back: an item
// that the reading order puts before others that stand ahead of it on the scan (a running head
// beside a vertical text, the second of two columns) is set right after what came before, and an
// item ahead of later ones does not jump past them. When the estimated flow would not fit the
// page, the spaces shrink first and then the type, so a page of the scan stays one page.
#include "oxmlgen/docx_flow.h"

#include <algorithm>
#include <cmath>

namespace oxmlgen {

namespace {

constexpr double kEndRoom = 14;     // points kept free after the content along the flow at most
constexpr double kLineRoom = 10;    // points the lines may reach past the content's line end
constexpr double kMinContent = 36;  // the smallest room left for text in either direction
constexpr double kSafety = 0.02;    // share of the page kept free for estimates that fall short
constexpr double kSmallestScale = 0.2;

struct Item {
  Box box;
  bool along = true;  // written in the page's direction
  double at = 0;      // where the scan has its start along the flow
  double lineFrom = 0, lineTo = 0;
  double font = 0, pitch = 0;
  const PlacedText* text = nullptr;
  const PlacedTable* table = nullptr;
};

double units(const Paragraph& p, const TextArea& t) {
  double u = 0;
  for (const TextItem& item : p) {
    if (item.ruby < 0) {
      u += advanceEm(item.code);
    } else {
      for (char32_t c : t.rubies[item.ruby].base) u += advanceEm(c);
    }
  }
  return u;
}

// Lines the item's text takes when set `font` points large in lines `room` points long.
double lineCount(const Item& item, double font, double room) {
  const TextArea& t = *item.text->area;
  double lines = 0;
  for (const Paragraph& p : t.paragraphs)
    lines += std::max(1.0, std::ceil(units(p, t) * font / std::max(room, font) - 1e-6));
  return std::max(lines, 1.0);
}

FlowPlan plainFlow(const PlacedPage& page, size_t count) {
  FlowPlan plan;
  plan.vertical = verticalPage(page);
  const Rect& m = page.setup.margins;  // twips
  auto clampTo = [](double v, double limit) { return std::clamp(v, 0.0, limit / 2); };
  plan.top = clampTo(m.top / 20.0, page.height);
  plan.bottom = clampTo(m.bottom / 20.0, page.height);
  plan.left = clampTo(m.left / 20.0, page.width);
  plan.right = clampTo(m.right / 20.0, page.width);
  plan.items.assign(count, FlowPlacement{});
  return plan;
}

}  // namespace

bool verticalPage(const PlacedPage& page) {
  long vertical = 0;
  for (const PlacedText& t : page.texts)
    for (const Paragraph& p : t.area->paragraphs)
      vertical += t.area->vertical ? long(p.size()) : -long(p.size());
  return vertical > 0;
}

FlowPlan planFlow(const PlacedPage& page, const std::vector<FlowEntry>& entries, double extra,
                  bool geometry) {
  if (!geometry || entries.empty()) return plainFlow(page, entries.size());
  FlowPlan plan;
  const bool v = plan.vertical = verticalPage(page);
  const double flowLength = v ? page.width : page.height;
  const double lineLength = v ? page.height : page.width;

  std::vector<Item> items;
  for (const FlowEntry& e : entries) {
    Item it;
    if (e.text != nullptr) {
      it.text = e.text;
      it.box = e.text->box;
      it.along = e.text->area->vertical == v;
      it.font = e.text->fontPt;
      it.pitch = e.text->pitchPt;
    } else {
      it.table = e.table;
      it.box = e.table->box;
    }
    it.at = v ? page.width - it.box.right() : it.box.y;
    it.lineFrom = v ? it.box.y : it.box.x;
    it.lineTo = v ? it.box.bottom() : it.box.right();
    items.push_back(it);
  }

  // The content: from the first item's start along the flow to the last one's end, and across
  // the lines from the leftmost (topmost) item to the farthest.
  double first = flowLength, last = 0, lineFrom = lineLength, lineTo = 0;
  for (const Item& it : items) {
    first = std::min(first, it.at);
    last = std::max(last, it.at + (v ? it.box.w : it.box.h));
    lineFrom = std::min(lineFrom, it.lineFrom);
    lineTo = std::max(lineTo, it.lineTo);
  }
  const double endRoom = std::clamp(flowLength - last, 0.0, kEndRoom);
  first = std::clamp(first, 0.0, std::max(0.0, flowLength - endRoom - kMinContent));
  const double lineEndMargin = std::clamp(lineLength - lineTo - kLineRoom, 0.0, lineLength);
  lineFrom = std::clamp(lineFrom, 0.0, std::max(0.0, lineLength - lineEndMargin - kMinContent));
  const double lineEnd = lineLength - lineEndMargin;  // where the content's lines end
  const double lineRoom = lineEnd - lineFrom;

  // Where each item starts in its lines and how long they are, and how far it reaches along
  // the flow when set so: `extent` as the characters fill the lines, which places the items
  // that follow; `most` if the lines hold a character less each (a font a little wider than
  // the estimate, a line that may not end on a closing bracket), which the page must hold.
  std::vector<double> extent(items.size()), room(items.size());
  plan.items.resize(items.size());
  for (size_t i = 0; i < items.size(); ++i) {
    Item& it = items[i];
    FlowPlacement& p = plan.items[i];
    if (it.table != nullptr) {
      p.start = std::clamp(it.lineFrom - lineFrom, 0.0, std::max(0.0, lineRoom - kMinContent));
      extent[i] = (v ? it.box.w : it.box.h) + 1;  // and the paragraph that ends it
      continue;
    }
    if (it.along) {
      // A character of room past the scan's line end: a font a little wider than the scan's
      // would otherwise push the last character of each line onto a line of its own.
      p.start = std::clamp(it.lineFrom - lineFrom, 0.0, std::max(0.0, lineRoom - 2 * it.font));
      p.end = std::clamp(lineEnd - it.lineTo - it.font, 0.0,
                         std::max(0.0, lineRoom - p.start - 2 * it.font));
    } else {
      // Set across its direction on the scan: as far into the line as its scan place says
      // while its longest paragraph still fits.
      double longest = 0;
      for (const Paragraph& para : it.text->area->paragraphs)
        longest = std::max(longest, units(para, *it.text->area) * it.font);
      const double need = std::min(lineRoom, longest + it.font);
      p.start = std::clamp(it.lineFrom - lineFrom, 0.0, std::max(0.0, lineRoom - need));
    }
    room[i] = lineRoom - p.start - p.end;
    extent[i] = lineCount(it, it.font, room[i]) * it.pitch;
  }

  // The space before each item: up to where the scan has it, but never past an item that
  // follows it in the reading order.
  double flow = first + extra, spaces = 0;
  std::vector<double> ahead(items.size() + 1, flowLength);
  for (size_t i = items.size(); i-- > 0;) ahead[i] = std::min(ahead[i + 1], items[i].at);
  for (size_t i = 0; i < items.size(); ++i) {
    const double before = std::max(0.0, ahead[i] - flow);
    plan.items[i].before = before;
    spaces += before;
    flow += before + extent[i];
  }
  // What the page must hold with type `scale` times its size, if the lines hold a character
  // less each than estimated (a font a little wider than the estimate, a line that may not end
  // on a closing bracket).
  auto most = [&](double scale) {
    double sum = extra;
    for (size_t i = 0; i < items.size(); ++i) {
      const Item& it = items[i];
      sum += it.table != nullptr ? extent[i] * scale
                                 : lineCount(it, it.font * scale, room[i] - it.font * scale) *
                                       it.pitch * scale;
    }
    return sum;
  };
  const double pageRoom = (flowLength - first - endRoom) * (1 - kSafety);
  const double filled = most(1);
  if (spaces + filled > pageRoom) {
    if (filled <= pageRoom) {
      const double keep = spaces > 0 ? (pageRoom - filled) / spaces : 0;
      for (FlowPlacement& p : plan.items) p.before *= keep;
    } else {
      // Smaller type: the largest that fits, to a hundredth.
      for (FlowPlacement& p : plan.items) p.before = 0;
      double low = kSmallestScale, high = 1;
      while (high - low > 0.01) {
        const double mid = (low + high) / 2;
        (most(mid) <= pageRoom ? low : high) = mid;
      }
      plan.scale = low;
    }
  }

  if (v) {
    plan.right = first, plan.left = endRoom, plan.top = lineFrom, plan.bottom = lineEndMargin;
  } else {
    plan.top = first, plan.bottom = endRoom, plan.left = lineFrom, plan.right = lineEndMargin;
  }
  return plan;
}

}  // namespace oxmlgen
