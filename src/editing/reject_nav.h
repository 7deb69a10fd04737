// Stepping from reject character to reject character (confidence below the reject level),
// forwards or backwards through the page and on to the next or previous page after asking.
#pragma once

#include "candidates_context.h"

namespace vellary::editing {

enum RejectCommand : int {
  CmdNextReject = 32952,      // "次のリジェクト文字(&N)", F3 and Ctrl+R
  CmdPreviousReject = 32958,  // "前のリジェクト文字(&P)", Shift+F3
};

// A character is a reject when its confidence is below the reject level (1 to 9; a stored level
// outside that range is taken as its nearest end) or the top bit of its confidence is set.
bool isReject(const model::CharData& ch, int rejectLevel);

// Both commands are enabled in character editing only.
inline bool rejectCommandsEnabled(appcore::EditMode editMode) {
  return editMode == appcore::EditMode::Character;
}

// Selects the next (or previous) reject of the page after (before) the caret character. When no
// selection was highlighted as the command began, a reject under the caret is itself the next
// one, so a first press selects it and the next press moves on. Nothing in block editing.
void gotoReject(const CorrectionContext& ctx, bool next, bool selectionHighlighted);

}  // namespace vellary::editing
