// The ruby, emphasis and orientation items of the character-editing context menu, and the
// commands behind them: turning characters, the two ruby dialogs, emphasis marks and deleting
// side lines. Each runs in an edit scope of the editing context (structure_edit.h).
#pragma once

#include "textview/structure_edit.h"

class QMenu;

namespace vellary::textview {

// Appends the items that the selection within one line allows, or without a selection those the
// caret character offers; nothing when none applies. Returns how many commands were added.
int addSelectionItems(QMenu& menu, const StructureContext& context);

// Runs one of the commands 36001 … 36007 and 32851 ("ルビ修正", also from the menu bar). The
// dialogs run through the context's runDialog. False when the command did not apply or its
// dialog was cancelled.
bool runSideLineCommand(const StructureContext& context, int commandId);

}  // namespace vellary::textview
