// Block editing: selection by click and rubber band, the rubber-band merge, the context menu and
// its role, direction, order, reference-number and delete commands.
#include "block_edit.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "model/paper.h"
#include "recompose/recompose.h"

namespace vellary::editing {

using namespace model;
using detail::blockOfEntry;
using detail::currentEntries;
using detail::currentPage;

namespace {


bool intersects(const BlockEntry& e, const PageRect& r) {
  return int64_t{e.x} < r.right && int64_t{e.x} + e.width > r.left && int64_t{e.y} < r.bottom &&
         int64_t{e.y} + e.height > r.top;
}

bool inside(int64_t x, int64_t y, int64_t width, int64_t height, const PageRect& r) {
  return x >= r.left && y >= r.top && x + width <= r.right && y + height <= r.bottom;
}

bool validEntry(const PageBlockEntries& entries, int i) {
  return i >= 0 && i < static_cast<int>(entries.entries.size());
}

// Every selected entry other than `keep` loses its selection; the frames are drawn again.
void deselectOthers(PageBlockEntries& entries, int keep, EditScope& scope) {
  for (int i = 0; i < static_cast<int>(entries.entries.size()); ++i)
    if (i != keep && entries.entries[static_cast<size_t>(i)].selected) {
      entries.entries[static_cast<size_t>(i)].selected = 0;
      scope.structure();
    }
}

// The block of the page whose box contains the point; the caret keeps its block when none does.
void chooseBlockAt(PageData& page, CaretState& caret, int32_t x, int32_t y) {
  for (BlockData& b : page.blocks)
    if (inside(x, y, 1, 1,
               PageRect{b.x, b.y, detail::clampToInt32(int64_t{b.x} + b.width),
                        detail::clampToInt32(int64_t{b.y} + b.height)})) {
      if (caret.caret.block != &b) {
        caret.caret = CaretPos{&b, nullptr, nullptr, {}};
        caret.selection.clear();
      }
      return;
    }
}

void makeCurrent(PageData& page, PageBlockEntries& entries, EditScope& scope, int hit, int32_t x,
                 int32_t y) {
  CaretState& caret = scope.caret();
  deselectOthers(entries, hit, scope);
  entries.entries[static_cast<size_t>(hit)].selected = 1;
  caret.entry = hit;
  chooseBlockAt(page, caret, x, y);
  // Frames change, and character editing becomes possible with a current entry.
  scope.structure().caretMoved();
}

// The first entry whose tracker the point hits, or −1.
int entryAt(const PageBlockEntries& entries, const CaretState& caret, int32_t x, int32_t y,
            int32_t margin) {
  for (int i = 0; i < static_cast<int>(entries.entries.size()); ++i)
    if (trackerHit(entries.entries[static_cast<size_t>(i)], x, y, i == caret.entry ? margin : 0))
      return i;
  return -1;
}

// Caret, lines and selection must not point into a block that leaves the page. With a
// replacement the block's lines moved into it whole, so only the block changes.
void forgetBlock(CaretState& caret, BlockData& gone, BlockData* replacement) {
  auto fix = [&](CaretPos& p) {
    if (p.block != &gone) return;
    if (replacement != nullptr)
      p.block = replacement;
    else
      p = CaretPos{};
  };
  fix(caret.caret);
  fix(caret.selection.anchor);
  fix(caret.selection.active);
  if (replacement != nullptr) return;
  if (!caret.selection.anchor.valid() || !caret.selection.active.valid()) caret.selection.clear();
  if (caret.lineAtKeyDown != nullptr && detail::lineListOf(gone, caret.lineAtKeyDown) != nullptr)
    caret.lineAtKeyDown = nullptr;
}

// An entry that stops being a reference hands its number on: later references move up one.
void leaveReferences(PageBlockEntries& entries, int i) {
  BlockEntry& e = entries.entries[static_cast<size_t>(i)];
  if (e.sec != SecRef) return;
  for (size_t j = static_cast<size_t>(i) + 1; j < entries.entries.size(); ++j)
    if (entries.entries[j].sec == SecRef && entries.entries[j].refNumber > 0)
      --entries.entries[j].refNumber;
  if (entries.refCount > 0) --entries.refCount;
  e.refNumber = 0;
}

int32_t sectionOfCommand(int id) {
  switch (id) {
    case CmdBlockTitle:
      return SecTitle;
    case CmdBlockAuthor:
      return SecAuthor;
    case CmdBlockTerminater:
      return SecTerminater;
    case CmdBlockExTitle:
      return SecExTitle;
    case CmdBlockExAuther:
      return SecExAuther;
    case CmdBlockText:
      return SecText;
    case CmdBlockYear:
      return SecYear;
    case CmdBlockMonth:
      return SecMonth;
    case CmdBlockVol:
    case CmdBlockPageNumber:
      return SecVol;
    case CmdBlockNoOutput:
      return SecNoOutput;
    default:
      return -1;
  }
}

// The attribute item that carries the check mark for a role; 0 for roles no item stands for.
int commandOfSection(int32_t sec) {
  switch (sec) {
    case SecText:
      return CmdBlockText;
    case SecUpperPageNum:
    case SecLowerPageNum:
    case SecVol:
      return CmdBlockVol;
    case SecLeftPillar:
    case SecRightPillar:
      return CmdBlockPillar;
    case SecTitle:
      return CmdBlockTitle;
    case SecAuthor:
      return CmdBlockAuthor;
    case SecTerminater:
      return CmdBlockTerminater;
    case SecYear:
      return CmdBlockYear;
    case SecMonth:
      return CmdBlockMonth;
    case SecExTitle:
      return CmdBlockExTitle;
    case SecExAuther:
      return CmdBlockExAuther;
    case SecNoOutput:
      return CmdBlockNoOutput;
    default:
      return 0;
  }
}

// A pillar stands at the left or the right edge of the page: the side of the page the block's
// centre lies on decides. Pages of unknown width are measured by their blocks.
int32_t pillarSection(const PageData& page, const BlockEntry& e) {
  int64_t width = page.width;
  if (width <= 0) {
    width = 0;
    for (const BlockData& b : page.blocks) width = std::max(width, int64_t{b.x} + b.width);
  }
  return int64_t{e.x} * 2 + e.width >= width ? SecRightPillar : SecLeftPillar;
}

void setRole(PageData& page, PageBlockEntries& entries, int i, int32_t sec, bool withBlock) {
  BlockData* block = withBlock ? blockOfEntry(page, entries, i) : nullptr;
  if (sec != SecRef) leaveReferences(entries, i);
  entries.entries[static_cast<size_t>(i)].sec = sec;
  if (block != nullptr) block->sec = sec;
}

// Moves the list element `from` so that it ends up at index `to` (at the end when `to` is past
// it).
template <class T>
void moveTo(List<T>& list, typename List<T>::iterator from, size_t to) {
  auto target = list.begin();
  for (size_t seen = 0; target != list.end(); ++target) {
    if (target == from) continue;
    if (seen == to) break;
    ++seen;
  }
  list.splice(target, list, from);
}

void moveEntry(PageBlockEntries& entries, int from, int to) {
  BlockEntry e = entries.entries[static_cast<size_t>(from)];
  entries.entries.erase(entries.entries.begin() + from);
  entries.entries.insert(entries.entries.begin() + to, e);
}

void moveBlockWithEntry(PageData& page, BlockData* block, int to) {
  if (block == nullptr) return;
  for (auto it = page.blocks.begin(); it != page.blocks.end(); ++it)
    if (&*it == block) {
      moveTo(page.blocks, it, static_cast<size_t>(to));
      return;
    }
}

void finishCommand(EditScope& scope) {
  detail::markPageChanged(scope.doc());
  scope.modified();
  scope.structure();
}

void lastReferenceNumber(EditScope& scope, PageData& page, PageBlockEntries& entries) {
  CaretState& caret = scope.caret();
  const int p = caret.entry;
  // Only a reference has a place among the reference numbers; giving the last one to another
  // role would leave two references with one number.
  if (entries.entries[static_cast<size_t>(p)].sec != SecRef) return;
  scope.willChange(document::UndoBlockOrder);
  BlockData* block = blockOfEntry(page, entries, p);
  for (size_t j = static_cast<size_t>(p) + 1; j < entries.entries.size(); ++j)
    if (entries.entries[j].sec == SecRef) --entries.entries[j].refNumber;
  entries.entries[static_cast<size_t>(p)].refNumber = entries.refCount;
  const int last = static_cast<int>(entries.entries.size()) - 1;
  moveEntry(entries, p, last);
  // The block follows its entry, so the number survives the next rebuild of the entries.
  moveBlockWithEntry(page, block, last);
  caret.entry = last;
  finishCommand(scope);
}

void changeOrder(EditScope& scope, PageData& page, PageBlockEntries& entries, int k) {
  CaretState& caret = scope.caret();
  const int p = caret.entry;
  if (k == p || !validEntry(entries, k)) return;
  scope.willChange(document::UndoBlockOrder);
  BlockData* block = blockOfEntry(page, entries, p);
  moveEntry(entries, p, k);
  moveBlockWithEntry(page, block, k);
  caret.entry = k;
  finishCommand(scope);
  scope.layout();
}

}  // namespace

bool trackerHit(const BlockEntry& e, int32_t x, int32_t y, int32_t handleMargin) {
  const int64_t m = std::max(handleMargin, 0);
  return x >= e.x - m && x < int64_t{e.x} + e.width + m && y >= e.y - m &&
         y < int64_t{e.y} + e.height + m;
}

namespace {

// The click's effect on the entries, for both buttons.
ClickResult chooseEntryAt(EditScope& scope, int32_t x, int32_t y, int32_t handleMargin) {
  CaretState& caret = scope.caret();
  PageData* page = currentPage(scope.doc());
  PageBlockEntries* entries = currentEntries(scope.doc());
  if (page == nullptr || entries == nullptr) return ClickResult::Nothing;
  if (validEntry(*entries, caret.entry) &&
      trackerHit(entries->entries[static_cast<size_t>(caret.entry)], x, y, handleMargin)) {
    // The current entry follows the caret's block from character editing without being
    // selected; a click on it selects it, or "削除" would find nothing to delete.
    if (!entries->entries[static_cast<size_t>(caret.entry)].selected)
      makeCurrent(*page, *entries, scope, caret.entry, x, y);
    return ClickResult::OnCurrentEntry;
  }
  const int hit = entryAt(*entries, caret, x, y, handleMargin);
  if (hit < 0) return ClickResult::StartRubberBand;
  makeCurrent(*page, *entries, scope, hit, x, y);
  return ClickResult::EntrySelected;
}

}  // namespace

ClickResult blockLeftClick(EditScope& scope, int32_t x, int32_t y, int32_t handleMargin) {
  return chooseEntryAt(scope, x, y, handleMargin);
}

void blockRightClick(EditScope& scope, int32_t x, int32_t y, int32_t handleMargin) {
  chooseEntryAt(scope, x, y, handleMargin);  // a right click starts no rubber band
}

int mergeBlocksInRect(PageData& page, PageBlockEntries& entries, double zoom, PageRect rect,
                      const recompose::JoiningOptions& options, CaretState* caret) {
  rect = rect.normalized();
  BlockData* target = nullptr;
  for (auto it = page.blocks.begin(); it != page.blocks.end();) {
    BlockData& b = *it;
    if (b.type == BlockTable) break;
    if (b.type != BlockText || b.sec != SecText || !inside(b.x, b.y, b.width, b.height, rect)) {
      ++it;
      continue;
    }
    if (target == nullptr) {
      target = &b;
      ++it;
      continue;
    }
    if (b.type != target->type || b.direction != target->direction) break;
    recompose::JoinBlockInto(*target, b, options);
    recompose::LineHeadPass(*target, options);
    if (caret != nullptr) forgetBlock(*caret, b, target);
    it = page.blocks.erase(it);
  }
  entries.rebuild(page, zoom);
  return target == nullptr ? -1 : detail::blockIndex(page, target);
}

void finishRubberBand(EditScope& scope, PageRect band, const recompose::JoiningOptions& options) {
  document::CScrivlaDoc& doc = scope.doc();
  CaretState& caret = scope.caret();
  PageData* page = currentPage(doc);
  PageBlockEntries* entries = currentEntries(doc);
  band = band.normalized();
  if (page == nullptr || entries == nullptr || band.empty()) return;
  int first = -1;
  for (int i = 0; i < static_cast<int>(entries->entries.size()); ++i)
    if (intersects(entries->entries[static_cast<size_t>(i)], band)) {
      first = i;
      break;
    }
  if (first < 0) return;
  deselectOthers(*entries, -1, scope);
  const BlockEntry& e = entries->entries[static_cast<size_t>(first)];
  if (!inside(e.x, e.y, e.width, e.height, band)) {
    entries->entries[static_cast<size_t>(first)].selected = 1;
    caret.entry = first;
    scope.structure().caretMoved();
    return;
  }
  scope.willChange(document::UndoBlockMerge);
  const size_t before = page->blocks.size();
  const int result = mergeBlocksInRect(*page, *entries, doc.zoom(), band, options, &caret);
  if (result >= 0) entries->entries[static_cast<size_t>(result)].selected = 1;
  caret.entry = -1;
  // The merge changed the blocks themselves: the document must count as modified, or closing it
  // would not ask to save them. The rebuild cleared the changed flag, so it is set afterwards.
  if (page->blocks.size() != before) detail::markPageChanged(doc);
  scope.layout().structure().caretMoved();
}

std::optional<std::vector<MenuItem>> blockContextMenu(document::CScrivlaDoc& doc, CaretState& caret,
                                                      int32_t x, int32_t y) {
  PageBlockEntries* entries = currentEntries(doc);
  if (entries == nullptr || !validEntry(*entries, caret.entry) ||
      !trackerHit(entries->entries[static_cast<size_t>(caret.entry)], x, y, 0))
    return std::nullopt;
  const BlockEntry& current = entries->entries[static_cast<size_t>(caret.entry)];
  const int selected =
      static_cast<int>(std::count_if(entries->entries.begin(), entries->entries.end(),
                                     [](const BlockEntry& e) { return e.selected; }));
  const bool one = selected == 1;

  MenuItem attributes;
  attributes.caption = "属性変更";
  auto add = [&](int id, const char* caption) {
    MenuItem m = MenuItem::command(id, caption);
    if (one)
      m.checked = id == commandOfSection(current.sec) ||
                  (id == CmdBlockVertical && current.direction == Vertical) ||
                  (id == CmdBlockHorizontal && current.direction == Horizontal);
    attributes.items.push_back(std::move(m));
  };
  add(CmdBlockTitle, "タイトル");
  add(CmdBlockAuthor, "著作者");
  add(CmdBlockTerminater, "論文終端");
  add(CmdBlockExTitle, "非論文タイトル");
  add(CmdBlockExAuther, "非論文著作者");
  add(CmdBlockText, "通常");
  add(CmdBlockYear, "年");
  add(CmdBlockMonth, "月");
  add(CmdBlockVol, "号数");
  add(CmdBlockPageNumber, "ページ番号");
  add(CmdBlockPillar, "柱");
  add(CmdBlockNoOutput, "非出力");
  attributes.items.push_back(MenuItem::makeSeparator());
  add(CmdBlockVertical, "縦書き");
  add(CmdBlockHorizontal, "横書き");

  std::vector<MenuItem> menu;
  menu.push_back(std::move(attributes));
  menu.push_back(MenuItem::command(CmdBlockLastNumber, "最終番号に変更"));
  menu.push_back(MenuItem::command(CmdBlockDelete, "削除"));
  if (one) {
    menu.push_back(MenuItem::makeSeparator());
    MenuItem order;
    order.caption = "領域の順番変更(&O)";
    const int n = std::min<int>(static_cast<int>(entries->entries.size()),
                                CmdBlockOrderLast - CmdBlockOrderFirst + 1);
    for (int k = 0; k < n; ++k) {
      MenuItem m = MenuItem::command(CmdBlockOrderFirst + k, std::to_string(k + 1));
      m.newColumn = k > 0 && k % 10 == 0;  // columns of ten: "11", "21" … start a column
      m.checked = k == caret.entry;
      order.items.push_back(std::move(m));
    }
    menu.push_back(std::move(order));
  }
  caret.lastMouseX = x;
  caret.lastMouseY = y;
  return menu;
}

bool blockCommandEnabled(document::CScrivlaDoc& doc, const CaretState& caret, int commandId) {
  PageBlockEntries* entries = currentEntries(doc);
  if (entries == nullptr || !validEntry(*entries, caret.entry)) return false;
  // Only a reference has a number to move to the end.
  if (commandId == CmdBlockLastNumber)
    return entries->entries[static_cast<size_t>(caret.entry)].sec == SecRef;
  return true;
}

void blockCommand(EditScope& scope, int id) {
  document::CScrivlaDoc& doc = scope.doc();
  CaretState& caret = scope.caret();
  PageData* page = currentPage(doc);
  PageBlockEntries* entries = currentEntries(doc);
  if (page == nullptr || entries == nullptr || !validEntry(*entries, caret.entry)) return;
  const int current = caret.entry;
  BlockEntry& entry = entries->entries[static_cast<size_t>(current)];

  if (id == CmdBlockDelete) return deleteSelectedBlocks(scope);
  if (id == CmdBlockLastNumber) return lastReferenceNumber(scope, *page, *entries);
  if (id >= CmdBlockOrderFirst && id <= CmdBlockOrderLast)
    return changeOrder(scope, *page, *entries, id - CmdBlockOrderFirst);
  scope.willChange(document::UndoBlockRole);

  switch (id) {
    case CmdBlockYear:
    case CmdBlockMonth:
      // The date belongs to the entry alone; the block keeps its role.
      setRole(*page, *entries, current, sectionOfCommand(id), false);
      break;
    case CmdBlockVol:
    case CmdBlockPageNumber: {
      setRole(*page, *entries, current, SecVol, false);
      if (caret.caret.block != nullptr) caret.caret.block->sec = SecVol;
      break;
    }
    case CmdBlockVertical:
    case CmdBlockHorizontal:
      entry.direction = id == CmdBlockVertical ? Vertical : Horizontal;
      break;
    case CmdBlockPillar:
      for (int i = 0; i < static_cast<int>(entries->entries.size()); ++i)
        if (entries->entries[static_cast<size_t>(i)].selected) {
          setRole(*page, *entries, i,
                  pillarSection(*page, entries->entries[static_cast<size_t>(i)]), true);
        }
      break;
    default: {
      const int32_t sec = sectionOfCommand(id);
      if (sec < 0) return;
      for (int i = 0; i < static_cast<int>(entries->entries.size()); ++i)
        if (entries->entries[static_cast<size_t>(i)].selected) {
          setRole(*page, *entries, i, sec, true);
        }
      break;
    }
  }
  finishCommand(scope);
}

void deleteSelectedBlocks(EditScope& scope) {
  document::CScrivlaDoc& doc = scope.doc();
  CaretState& caret = scope.caret();
  PageData* page = currentPage(doc);
  PageBlockEntries* entries = currentEntries(doc);
  if (page == nullptr || entries == nullptr) return;
  const bool hasCurrent = validEntry(*entries, caret.entry);
  const bool anySelected = std::any_of(entries->entries.begin(), entries->entries.end(),
                                       [](const BlockEntry& e) { return e.selected != 0; });
  const bool currentIsReference =
      hasCurrent && entries->entries[static_cast<size_t>(caret.entry)].sec == SecRef;
  // Nothing to delete takes no undo step.
  if (!currentIsReference && !anySelected) return;
  scope.willChange(document::UndoBlockDelete);

  if (currentIsReference) {
    // A reference entry only leaves the numbering; its block stays on the page.
    leaveReferences(*entries, caret.entry);
    entries->entries.erase(entries->entries.begin() + caret.entry);
    caret.entry = -1;
    scope.structure();
  } else {
    // Find every block first: removing entries shifts the positions the lookup starts from.
    std::vector<std::pair<int, BlockData*>> doomed;
    for (int i = 0; i < static_cast<int>(entries->entries.size()); ++i)
      if (entries->entries[static_cast<size_t>(i)].selected)
        doomed.emplace_back(i, blockOfEntry(*page, *entries, i));
    bool currentGone = false;
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) {
      const int i = it->first;
      if (i == caret.entry) currentGone = true;
      leaveReferences(*entries, i);
      entries->entries.erase(entries->entries.begin() + i);
      if (caret.entry > i) --caret.entry;
      if (BlockData* b = it->second) {
        forgetBlock(caret, *b, nullptr);
        for (auto bit = page->blocks.begin(); bit != page->blocks.end(); ++bit)
          if (&*bit == b) {
            page->blocks.erase(bit);
            break;
          }
      }
    }
    if (currentGone) {
      caret.entry = -1;
      caret.caret = CaretPos{};
      caret.selection.clear();
      caret.lineAtKeyDown = nullptr;
    }
    // Their text is gone from the page: it is laid out again.
    scope.layout().structure().caretMoved();
  }
  detail::markPageChanged(doc);
}

}  // namespace vellary::editing
