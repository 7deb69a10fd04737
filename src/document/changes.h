// How the document tells its views what changed: one change set per edit or command, sent to
// every observer at its end, and a notice before the records are freed or replaced. Each view
// looks at the kinds it draws from and ignores the rest.
#pragma once

#include <cstdint>
#include <vector>

#include "model/records.h"

namespace vellary::document {

enum class Change : uint32_t {
  Text = 1u << 0,        // characters of `lines` changed: those lines are drawn again
  Layout = 1u << 1,      // the current page's text must be laid out and drawn again
  Marks = 1u << 2,       // pages' change marks or the modified state changed
  Structure = 1u << 3,   // blocks or block entries of the page changed (frames, roles, order)
  Image = 1u << 4,       // page image paths changed: images are looked up and decoded again
  Caret = 1u << 5,       // the caret or the selection moved
  Reveal = 1u << 6,      // bring the selection into view with a margin (search hits, rejects)
  Display = 1u << 7,     // colours, fonts, display or edit mode
  Page = 1u << 8,        // the current page is another one
  Zoom = 1u << 9,        // the display scale changed
  Document = 1u << 10,   // a document was loaded, replaced or closed: everything is new
  Path = 1u << 11,       // the document's name or origin changed
  History = 1u << 12,    // what undo and redo can do changed
  Selection = 1u << 13,  // only the selection's extent changed (a drag): the caret stays put
};

struct ChangeSet {
  uint32_t kinds = 0;
  // With Text: the lines of the current page to draw again (a side line stands for its base).
  std::vector<const model::LineData*> lines;

  bool has(Change c) const { return (kinds & static_cast<uint32_t>(c)) != 0; }
  // Any of the kinds in `mask`.
  bool any(uint32_t mask) const { return (kinds & mask) != 0; }
  bool empty() const { return kinds == 0; }
  ChangeSet& add(Change c) {
    kinds |= static_cast<uint32_t>(c);
    return *this;
  }
  // Text of one line; a null line is ignored.
  ChangeSet& addLine(const model::LineData* line);
  ChangeSet& merge(const ChangeSet& other);

  static ChangeSet of(Change c) { return ChangeSet{}.add(c); }
  static ChangeSet everything();
};

inline uint32_t operator|(Change a, Change b) {
  return static_cast<uint32_t>(a) | static_cast<uint32_t>(b);
}
inline uint32_t operator|(uint32_t a, Change b) { return a | static_cast<uint32_t>(b); }

// What a whole new page means to a view that draws it.
inline constexpr uint32_t kPageContent =
    static_cast<uint32_t>(Change::Layout) | static_cast<uint32_t>(Change::Structure) |
    static_cast<uint32_t>(Change::Page) | static_cast<uint32_t>(Change::Document);

// Plain C++, so that the core's tests listen as the views do.
class DocumentObserver {
 public:
  virtual ~DocumentObserver() = default;
  // The records are about to be freed or replaced (a load, a reload, a recovery, an append, a
  // close): drop every pointer into them. Nothing may be drawn from them until the change set
  // that follows.
  virtual void aboutToReset() {}
  virtual void documentChanged(const ChangeSet& changes) = 0;
};

}  // namespace vellary::document
