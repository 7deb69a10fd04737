// What every correcting command of the text view (candidates, character replacement, find and
// replace, reject navigation) works on and what it hands back for the view to redraw.
#pragma once

#include <string>
#include <vector>

#include "appcore/char_tables.h"
#include "appcore/prompter.h"
#include "appcore/settings.h"
#include "caret.h"
#include "document/document.h"

namespace vellary::editing {

// The pair this view added to the registered-character table most recently. It lives as long as
// the view, so that repeating one correction does not fill the table with copies.
struct LastRegisteredPair {
  std::u16string recognised;
  std::u16string replacement;
};

// Borrowed for one call. `registered` and `lastPair` may be null: nothing is registered then.
struct CorrectionContext {
  document::CScrivlaDoc& doc;
  CaretState& caret;
  appcore::FrameSettings& frame;  // replacement registration setting, reject level
  appcore::Prompter& prompter;
  appcore::CharTable* registered = nullptr;
  LastRegisteredPair* lastPair = nullptr;
  int editMode = 3;  // 1 block editing, 3 character editing
};

// What the view must do after a command, in this order. Line pointers are lines of the current
// page at the time the command returns; they are only good until the page changes again.
struct CorrectionRedraw {
  bool eraseSelection = false;       // erase the highlight that was shown when the command began
  bool clearImageHighlight = false;  // the caret character's frame in the image view
  std::vector<const model::LineData*> nonCaretLines;  // redraw these without the caret
  const model::LineData* caretLine = nullptr;         // redraw this one as the caret line
  bool rebuildPage = false;                           // lay the whole page out and draw it again
  bool caretLineChanged = false;  // image sub-mode 1 shows the one-line image window
  bool reestablishCaret = false;
  bool drawSelection = false;       // highlight caret.selection and scroll it into view
  bool highlightImageChar = false;  // frame the caret character in the image view
  bool showLineInPageList = false;
  bool pageChanged = false;  // another page was opened (the document has updated the views)
  int updateAllViews = -1;   // a hint for every view, −1 none

  void addNonCaretLine(const model::LineData* line);
};

// Adds (recognised, replacement) to the table unless it is the pair added last; remembers it.
// true when the table received the pair.
bool registerReplacementPair(const CorrectionContext& ctx, const std::u16string& recognised,
                             const std::u16string& replacement);

// The caption of every question and message of the correcting commands.
inline constexpr const char* kCorrectionCaption = appcore::kAppTitle;

}  // namespace vellary::editing
