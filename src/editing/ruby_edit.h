// Ruby, emphasis marks and character orientation in character editing: what a selection allows
// (the flags behind the context menu), turning characters sideways or upright across the column
// and back, adding a ruby or emphasis marks as side lines with their keys, and deleting side
// lines. Modifying an existing ruby is ruby_edit_modify.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "appcore/settings.h"
#include "block_edit_common.h"
#include "caret.h"
#include "document/document.h"
#include "editing_context.h"
#include "model/codes.h"

namespace vellary::editing {

enum SideLineCommand : int {
  CmdSideways = 36001,           // "横向英数字(&E)"
  CmdTateChuYoko = 36002,        // "縦中横(&T)"
  CmdNormalOrientation = 36003,  // "通常文字(&N)"
  CmdRubySet = 36004,            // "ルビ設定...(&S)"
  CmdEmphasisSet = 36005,        // "圏点設定(&K)"
  CmdRubyDelete = 36006,         // "ルビ削除(&D)"
  CmdEmphasisDelete = 36007,     // "圏点削除(&P)"
  CmdRubyModify = 32851,         // "ルビ修正(&M)..."
};

// A run of characters of one line: positions first … last − 1 (0-based).
struct LineRun {
  model::BlockData* block = nullptr;
  model::LineData* line = nullptr;
  int first = 0, last = 0;

  bool valid() const { return line != nullptr && last > first; }
  int count() const { return last - first; }
};

// The selection when it is not empty and lies within one line.
LineRun selectedRun(const CaretState& caret);
// The selection as above, or without a selection the caret character alone.
LineRun selectionOrCaretChar(const CaretState& caret);

enum SelectionFlag : unsigned {
  FlagSidewaysAllowed = 1,
  FlagTateChuYokoAllowed = 2,
  FlagHasSideways = 4,
  FlagHasTateChuYoko = 8,
  FlagRubyAllowed = 16,
  FlagEmphasisAllowed = 32,
  FlagRubyPresent = 64,
  FlagEmphasisPresent = 128,
};

struct SelectionInfo {
  unsigned flags = 0;
  int rubyOverlap = 0;      // selected positions that ruby lines cover
  int emphasisOverlap = 0;  // selected positions that emphasis lines cover
};

// What the selected characters allow and carry.
SelectionInfo selectionFlags(const LineRun& run);

// The ruby, emphasis and orientation items of the character-editing context menu: those a
// selection within one line allows, or without a selection those the caret character offers
// (beginning with a separator when the character is a ruby base). Empty when nothing applies.
std::vector<MenuItem> sideLineMenuItems(const CaretState& caret);

// "ルビ修正" from the menu bar: a current line, and the caret on a ruby line or inside a ruby's
// base range.
bool rubyModifyEnabled(const CaretState& caret);

// 36001 and 36002: every selected character becomes sideways (model::kSideways) or tate-chu-yoko.
void setOrientation(EditScope& scope, int32_t code);
// 36003: the turned characters of the selection (or the caret character), extended to whole runs
// of turned characters, become normal again.
void resetOrientation(EditScope& scope);

// Dialog 651 "ルビ設定": the base text shown read-only and the ruby text the user types.
struct RubySetDialog {
  std::u16string base;  // edit 1048
  std::u16string ruby;  // edit 1047, where the focus starts
  bool okEnabled() const { return !ruby.empty(); }
};
// The dialog for the selection, or the caret character without one; nothing when there is no
// character to carry a ruby.
std::optional<RubySetDialog> openRubySetDialog(const CaretState& caret);
// 36004 after OK: a ruby line over the selected characters (or the caret character).
void addRuby(EditScope& scope, std::u16string_view rubyText);

// The emphasis mark the settings name: U+30FB for "・", otherwise U+3001 ("、").
char16_t emphasisMark(const appcore::FrameSettings& frame);
// 36005: one emphasis line per selected character (or the caret character). Nothing in an image
// block.
void addEmphasis(EditScope& scope, char16_t mark);

// 36006 and 36007: the side lines of the selected characters (or of the caret character) go.
void deleteSideLines(EditScope& scope);

namespace detail {

// The largest ruby key and the largest emphasis number (the n of 21000 + n or 25000 + n) used
// on the page, by the side characters and their bases alike.
int32_t largestRubyKey(const model::PageData& page);
int32_t largestEmphasisNumber(const model::PageData& page);
// The characters of a text, a surrogate pair making one character.
std::vector<model::CharText> splitCharacters(std::u16string_view text);
std::u16string textOf(const model::LineData& line, int first = 0, int last = -1);
// Every base character of `base` whose key is −key loses it; then the positions rcs … rce
// (1-based) carry −key.
void rekeyBase(model::LineData& base, int32_t key, int32_t rcs, int32_t rce);

}  // namespace detail

}  // namespace vellary::editing
