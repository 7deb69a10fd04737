// Block editing (edit mode 1): choosing block entries by click or rubber band, merging the text
// blocks a rubber band encloses, and the commands of the block context menu — roles, directions,
// reading order, reference numbers and deletion. Works on the document's current page, its block
// entries and the editing context's caret, inside the caller's edit scope.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "block_edit_common.h"
#include "caret.h"
#include "document/document.h"
#include "editing_context.h"
#include "recompose/options.h"

namespace vellary::editing {

enum BlockCommand : int {
  CmdBlockLastNumber = 32780,  // "最終番号に変更"
  CmdBlockDelete = 32781,      // "削除"
  CmdBlockTitle = 32804,
  CmdBlockAuthor = 32805,
  CmdBlockTerminater = 32806,
  CmdBlockExTitle = 32807,
  CmdBlockExAuther = 32808,
  CmdBlockText = 32809,
  CmdBlockYear = 32810,
  CmdBlockMonth = 32811,
  CmdBlockVol = 32812,
  CmdBlockNoOutput = 32822,
  CmdBlockVertical = 32823,
  CmdBlockHorizontal = 32824,
  CmdBlockPageNumber = 32832,
  CmdBlockPillar = 32834,
  CmdBlockOrderFirst = 33001,  // 33001 + k moves the current entry to position k
  CmdBlockOrderLast = 33999,
};

enum class ClickResult {
  Nothing,          // no page
  OnCurrentEntry,   // the click hit the current entry's tracker: nothing changes
  EntrySelected,    // an entry became selected and current
  StartRubberBand,  // no entry was hit: the view tracks a rubber band, then calls finishRubberBand
};

// Whether a point in page pixels hits an entry's tracker. The current entry's tracker has its
// resize handles outside the box; `handleMargin` is their reach in page pixels.
bool trackerHit(const model::BlockEntry& entry, int32_t x, int32_t y, int32_t handleMargin);

// Left click in block editing at (x, y) in page pixels.
ClickResult blockLeftClick(EditScope& scope, int32_t x, int32_t y, int32_t handleMargin = 0);

// Right click in block editing: the entry under the pointer becomes selected and current (no
// rubber band). The context menu follows.
void blockRightClick(EditScope& scope, int32_t x, int32_t y, int32_t handleMargin = 0);

// The end of a rubber band drawn from an empty spot; `band` in page pixels, in any orientation.
// The first entry the band touches decides: lying wholly inside, the text blocks inside are merged
// (mergeBlocksInRect) and the entry of the result is selected; otherwise that entry becomes
// selected and current. A band that touches no entry changes nothing.
void finishRubberBand(EditScope& scope, PageRect band, const recompose::JoiningOptions& options);

// Joins the text blocks of role text lying wholly inside `rect` (page pixels) into the first of
// them, walking the page's blocks in order and stopping at the first table block or at a block
// of another type or direction than the first. The block entries are rebuilt. Returns the index
// of the resulting block, or −1 when no block took part.
int mergeBlocksInRect(model::PageData& page, model::PageBlockEntries& entries, double zoom,
                      PageRect rect, const recompose::JoiningOptions& options,
                      CaretState* caret = nullptr);

// The pop-up "_block_org" for a right click at (x, y) in page pixels inside the current entry;
// nothing when the click lies outside it (the page menu applies). Records the click point.
std::optional<std::vector<MenuItem>> blockContextMenu(document::CScrivlaDoc& doc, CaretState& caret,
                                                      int32_t x, int32_t y);

// Whether a block command can run: every one needs a current entry, and "最終番号に変更" one
// whose role is ref.
bool blockCommandEnabled(document::CScrivlaDoc& doc, const CaretState& caret, int commandId);

// Runs a command of the block context menu (the ids above, 33001 + k included).
void blockCommand(EditScope& scope, int commandId);

// The Delete key released in block editing: the same as "削除".
void deleteSelectedBlocks(EditScope& scope);

}  // namespace vellary::editing
