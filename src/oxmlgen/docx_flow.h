// Where a Word page's text goes when it flows in the body: the page's writing direction, its
// margins, and for each text area and table in reading order the space before it and its
// indents, so that the flow comes close to where the scan has each block without leaving the
// page.
#pragma once

#include <vector>

#include "oxmlgen/placement.h"

namespace oxmlgen {

// One text area or table of the page, in the order it is written.
struct FlowEntry {
  const PlacedText* text = nullptr;
  const PlacedTable* table = nullptr;
};

// Distances in points. Along the flow: `before` is the room left before the item in the
// direction lines follow one another (down on a horizontal page, leftwards on a vertical one);
// `start` and `end` are its indents from the margins where its lines begin and end.
struct FlowPlacement {
  double before = 0, start = 0, end = 0;
};

struct FlowPlan {
  bool vertical = false;  // the section is written top to bottom, columns right to left
  double top = 0, right = 0, bottom = 0, left = 0;  // page margins
  // Font sizes and line pitches are multiplied by it when the text would not fit otherwise.
  double scale = 1;
  std::vector<FlowPlacement> items;  // one per entry
};

// The section of `page` is vertical when most of its characters are in vertical areas.
bool verticalPage(const PlacedPage& page);

// `extra` is what the page's flow holds besides the entries (the paragraph of anchored
// drawings, the section break), in points along the flow. With `geometry` false the text just
// flows from the page's margins (the Word column option).
FlowPlan planFlow(const PlacedPage& page, const std::vector<FlowEntry>& entries, double extra,
                  bool geometry);

}  // namespace oxmlgen
