// Character editing as the text view drives it: the caret state of the current page, the arrow
// keys, the mouse, typing and input-method results, Delete, Backspace, Enter, copy, paste and
// undo. Every call changes the records through the document (undo snapshots, page marks,
// backups, page changes) and returns what the view must redraw; the view paints, nothing here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "appcore/prompter.h"
#include "caret.h"
#include "document/document.h"
#include "hit_test.h"
#include "line_ops.h"

namespace vellary::editing {

// What an editing or navigation call asks of the view.
struct Redraw {
  bool page = false;  // the page's layout changed: lay it out and draw it again
  std::vector<model::LineData*> lines;  // lines to lay out and draw again (when not the page)
  bool highlight = false;    // the selection highlight must be erased and drawn afresh
  bool caret = false;        // re-establish the caret: it moved, or its line was redrawn
  bool pageChanged = false;  // the current page changed (the document has updated the views)
  bool refused = false;      // the input was refused (a beep, at most)

  void addLine(model::LineData* line);
  void merge(const Redraw& other);
  bool any() const { return page || !lines.empty() || highlight || caret || pageChanged; }
};

enum class Key { Left, Right, Up, Down, Delete, Backspace, Enter, Other };

// Where the text is shown: the page's layout, or the text-flow display in one writing direction.
enum class Display { Layout, TextFlowHorizontal, TextFlowVertical };

// The movement an arrow key makes in a writing direction.
enum class Movement { None, NextCharacter, PreviousCharacter, NextLine, PreviousLine };
Movement arrowMovement(Key key, bool verticalWriting);

// Clipboard text of this many UTF-16 units or more is not pasted.
inline constexpr size_t kPasteLimit = 20000;

inline constexpr char kRubyBreakMessage[] = "ルビに改行は挿入できません";

class Editor {
 public:
  Editor(document::CScrivlaDoc& doc, appcore::Prompter& prompter);

  CaretState& state() { return state_; }
  const CaretState& state() const { return state_; }
  void setDisplay(Display d) { display_ = d; }
  Display display() const { return display_; }
  // The document's current page; null without a document.
  model::PageData* page();

  // --- What the document asks of the text view ------------------------------------------
  // The view's DocumentViews must forward resetTextView, placeCaretOnPage, caretState,
  // restoreCaret, selectionPositions and setSelectionPositions here: undo snapshots record the
  // caret through them, and undo and page changes restore and reset it through them.
  void reset();
  // The caret before the first character of the first normal line of the page's first text or
  // table block; no caret when the page has none.
  void placeCaretOnPage();
  // Entering character editing: the block of the current entry (or the first text or table
  // block) and the first normal line of it.
  void enterCharacterEditing();
  document::CaretState reportCaret();
  void restoreCaret(const document::CaretState& triple);
  std::pair<int, int> selectionPositions();
  void setSelectionPositions(int first, int last);

  // --- Keys ----------------------------------------------------------------------------------
  // A key press (auto-repeat included): arrows move, Delete and Backspace delete, Enter redraws
  // the caret line (its line break arrives as typed character 13).
  Redraw keyDown(Key key, bool shift);
  // The key was released: the remembered column ends; the old and new caret lines are redrawn
  // when the caret changed lines.
  Redraw keyUp();
  // The movement primitives, with page crossing through the document (Shift never crosses).
  bool moveNextCharacter(bool shift);
  bool movePreviousCharacter(bool shift);
  bool moveNextLine(bool shift);
  bool movePreviousLine(bool shift);

  // --- Mouse (character editing) -------------------------------------------------------------
  Redraw mouseDown(const PageBoxes& boxes, int32_t x, int32_t y, bool shift);
  Redraw mouseMove(const PageBoxes& boxes, int32_t x, int32_t y);
  Redraw mouseUp(const PageBoxes& boxes, int32_t x, int32_t y, bool shift);
  // Before the context menu: the block entry under the pointer becomes current; a selection
  // whose last highlighted span (grown by half its thickness) misses the point is dropped, and
  // then the caret goes to the point, so that the menu acts on the line under the pointer.
  Redraw rightButtonDown(const PageBoxes& boxes, int32_t x, int32_t y);

  // --- Typing --------------------------------------------------------------------------------
  // One typed UTF-16 unit, `repeat` times over a selection (a key's repeat count).
  Redraw typeChar(char16_t ch, int repeat = 1);
  // An input-method result: its units arrive one by one and the view is redrawn once, after the
  // last of them.
  Redraw commitText(std::u16string_view text);
  int pendingInput() const { return pending_; }

  // --- Deleting ------------------------------------------------------------------------------
  Redraw deleteForward();
  Redraw backspace();

  // --- Clipboard -----------------------------------------------------------------------------
  // The selected text (empty when nothing is selected): what copy puts on the clipboard.
  std::u16string copyText();
  Redraw paste(std::u16string_view text);

  // --- Undo ----------------------------------------------------------------------------------
  // Swaps the current page with its snapshot (a second undo swaps back) and restores the caret
  // and selection the snapshot recorded.
  Redraw undo();

 private:
  bool verticalWriting() const;
  Redraw arrow(Key key, bool shift);
  bool crossPage(bool forward, int column);
  void forget(const model::LineData* line);
  void updateEntry();
  void afterEdit(Redraw& r);
  void snapshot(int kind);
  Redraw typeOverSelection(char16_t ch, int repeat);
  Redraw typeAtCaret(char16_t ch);
  Redraw typeReturn();
  Redraw deleteSelection();
  Redraw deleteAtCaret(bool backspace);
  Redraw deleteReturn(bool backspace);
  Redraw finishTyped(bool wantsPage);
  // A unit that changes nothing still counts against the pending input.
  Redraw ignored(bool refused);
  void removeEmptiedLine(const LineGroup& group, model::LineData* line);
  CaretPos placeSelection(const PageBoxes& boxes, int32_t x, int32_t y);

  document::CScrivlaDoc& doc_;
  appcore::Prompter& prompter_;
  CaretState state_;
  Display display_ = Display::Layout;
  int pending_ = 0;
  // A change inside an input-method result that needs the whole page, kept until its last unit.
  bool pendingPage_ = false;
  bool pendingDirty_ = false;  // units of the result changed the text but were not drawn yet
  int resets_ = 0;
  model::LineData* lineAtMouseDown_ = nullptr;
};

}  // namespace vellary::editing
