// What every correcting command of the text view (candidates, character replacement, find and
// replace, reject navigation) works on: the edit scope it runs in, the caret, the settings.
#pragma once

#include <string>
#include <vector>

#include "appcore/char_tables.h"
#include "appcore/prompter.h"
#include "appcore/modes.h"
#include "appcore/settings.h"
#include "caret.h"
#include "document/document.h"
#include "editing_context.h"

namespace vellary::editing {

// The pair this view added to the registered-character table most recently. It lives as long as
// the view, so that repeating one correction does not fill the table with copies.
struct LastRegisteredPair {
  std::u16string recognised;
  std::u16string replacement;
};

// Borrowed for one call. `registered` and `lastPair` may be null: nothing is registered then.
struct CorrectionContext {
  EditScope& scope;  // what the command changes and what the views must draw again
  document::CScrivlaDoc& doc;
  CaretState& caret;
  appcore::FrameSettings& frame;  // replacement registration setting, reject level
  appcore::Prompter& prompter;
  appcore::CharTable* registered = nullptr;
  LastRegisteredPair* lastPair = nullptr;
  appcore::EditMode editMode = appcore::EditMode::Character;
};

// Adds (recognised, replacement) to the table unless it is the pair added last; remembers it.
// true when the table received the pair.
bool registerReplacementPair(const CorrectionContext& ctx, const std::u16string& recognised,
                             const std::u16string& replacement);

// The caption of every question and message of the correcting commands.
inline constexpr const char* kCorrectionCaption = appcore::kAppTitle;

}  // namespace vellary::editing
