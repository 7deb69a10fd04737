// Correcting one character: the right-click menu of character editing as data (the recogniser's
// candidates with their explanations, the free replacement, the page menu), choosing a
// candidate, and the logic of the small replacement dialog. The view builds real menus and
// dialogs from these records and calls back with the user's choice.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "candidates_context.h"
#include "ruby_edit.h"

namespace vellary::editing {

enum CandidateCommand : int {
  CmdReplaceCharacter = 34000,  // "置換(&R)...": dialog 140
  CmdFirstCandidate = 34001,    // 34001 + i chooses candidate i
  CmdLastCandidate = 34999,
};

// One item of the character menu (the block menu's items carry sub-menus and columns besides).
struct CharMenuItem {
  int id = 0;  // 0: a separator
  std::u16string text;
  bool checked = false;
  bool enabled = true;

  bool isSeparator() const { return id == 0; }
};

struct ContextMenu {
  enum class Kind { None, Character, Page };
  Kind kind = Kind::None;  // None: no menu is shown at all
  std::vector<CharMenuItem> items;
  // A selection lies within one line: the selection items of ruby, emphasis and orientation
  // editing come next, and their builder appends them to `items`; nothing else follows them.
  bool selectionItemsFollow = false;
  // The caret line and character at the right click: what the menu was built for.
  CaretPos context;
};

// The text of a candidate's item: the candidate, then its explanation after an ideographic space
// (U+3000), with an ordinary space before it for candidates below U+00FF, whose glyphs are
// narrow. A candidate without an explanation stands alone.
std::u16string candidateItemText(const model::CharText& candidate,
                                 const std::u16string& explanation);

// Whether page point (x, y) lies in the current block entry's rectangle. In block editing a right
// click outside it gets the page menu.
bool pointInCurrentEntry(document::CScrivlaDoc& doc, const CaretState& caret, int32_t x, int32_t y);

// A right click at page point (x, y) in character editing gets the character menu when the
// current block entry is a text or table block, a line and a caret exist and the point lies in
// that entry's rectangle. Otherwise the page menu is shown.
bool characterMenuApplies(document::CScrivlaDoc& doc, const CaretState& caret, int32_t x,
                          int32_t y);

// The character menu, built once the view has placed the caret at the click. A selection that
// spans lines gives Kind::None. `explanations` may be null (no explanations shown).
ContextMenu buildCharacterMenu(const CaretState& caret, const appcore::CharTable* explanations);

// "次のページへ" and "前のページへ", each enabled when there is a page to go to; Kind::None
// without pages.
ContextMenu buildPageMenu(document::CScrivlaDoc& doc);

// Commands 34000 and 34001 + i are enabled while a block entry is current.
inline bool candidateCommandsEnabled(const CaretState& caret) { return caret.entry >= 0; }

// Command 34001 + index: the caret character takes candidate `index` (an arrow turned a quarter
// in vertical blocks), confidence 10 and the changed mark; one undo step of kind 7.
bool chooseCandidate(const CorrectionContext& ctx, int index);

// Dialog 140, "文字置換".
inline constexpr const char* kReplaceDialogCaption = "文字置換";
inline constexpr const char* kReplaceDialogArrow = "→";
inline constexpr const char* kReplaceDialogRegister = "登録文字テーブルに追加(&A)";
inline constexpr const char* kReplaceDialogOk = "OK";
inline constexpr const char* kReplaceDialogCancel = "キャンセル";

struct ReplaceCharDialog {
  static constexpr size_t kMaxUnits = 2;
  std::u16string recognised;   // edit 1032: the caret character, for reference
  std::u16string replacement;  // edit 1025
  bool addToTable = false;     // check box 1067

  // What the edit keeps of typed or pasted text: at most two UTF-16 units.
  void setReplacement(std::u16string_view text) {
    replacement = std::u16string(text.substr(0, kMaxUnits));
  }
  bool okEnabled() const { return !replacement.empty(); }
};

// One character only: a single unit that is not half of a surrogate pair, or a surrogate pair.
bool isSingleCharacter(std::u16string_view text);

// Opens the dialog's record for the caret character; nothing without a caret character.
std::optional<ReplaceCharDialog> openReplaceCharDialog(const CorrectionContext& ctx);

// OK in dialog 140: the caret character takes the replacement when it is one character (no undo
// step; confidence and candidates stay), the pair goes to the registered table when the box is
// checked, and the box's state becomes the replacement registration setting.
bool acceptReplaceCharDialog(const CorrectionContext& ctx, const ReplaceCharDialog& dialog);

}  // namespace vellary::editing
