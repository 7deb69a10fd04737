// Character editing as the text view drives it: the caret state of the current page, the arrow
// keys, the mouse, typing and input-method results, Delete, Backspace, Enter, copy and paste.
// Every call runs in an EditScope of the editing context: it changes the records and the caret,
// takes the undo step and says what the views must draw again; the view paints, nothing here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "appcore/prompter.h"
#include "caret.h"
#include "document/document.h"
#include "editing_context.h"
#include "hit_test.h"
#include "line_ops.h"

namespace vellary::editing {

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
  explicit Editor(EditingContext& context);

  CaretState& state() { return context_.state(); }
  const CaretState& state() const { return context_.state(); }
  void setDisplay(Display d) { display_ = d; }
  Display display() const { return display_; }
  // The document's current page; null without a document.
  model::PageData* page() { return context_.page(); }

  // Drops the caret, selection and current entry, and what a gesture under way remembered.
  void reset();
  // The caret before the first character of the first normal line of the page's first text or
  // table block; no caret when the page has none.
  void placeCaretOnPage();
  // Entering character editing: the block of the current entry (or the first text or table
  // block) and the first normal line of it.
  void enterCharacterEditing();

  // Each call below is one command: false when the input was refused (the view beeps).
  // --- Keys ----------------------------------------------------------------------------------
  // A key press (auto-repeat included): arrows move, Delete and Backspace delete, Enter redraws
  // the caret line (its line break arrives as typed character 13).
  bool keyDown(Key key, bool shift);
  // The key was released: the remembered column ends.
  void keyUp();
  // The movement primitives, with page crossing through the document (Shift never crosses).
  bool moveNextCharacter(bool shift);
  bool movePreviousCharacter(bool shift);
  bool moveNextLine(bool shift);
  bool movePreviousLine(bool shift);

  // --- Mouse (character editing) -------------------------------------------------------------
  void mouseDown(const PageBoxes& boxes, int32_t x, int32_t y, bool shift);
  void mouseMove(const PageBoxes& boxes, int32_t x, int32_t y);
  void mouseUp(const PageBoxes& boxes, int32_t x, int32_t y, bool shift);
  // Before the context menu: the block entry under the pointer becomes current; a selection
  // whose last highlighted span (grown by half its thickness) misses the point is dropped, and
  // then the caret goes to the point, so that the menu acts on the line under the pointer.
  void rightButtonDown(const PageBoxes& boxes, int32_t x, int32_t y);

  // --- Typing --------------------------------------------------------------------------------
  // One typed UTF-16 unit, `repeat` times over a selection (a key's repeat count).
  bool typeChar(char16_t ch, int repeat = 1);
  // An input-method result: its units are typed one by one within one command, so the views
  // draw once, after the last of them.
  bool commitText(std::u16string_view text);

  // --- Deleting ------------------------------------------------------------------------------
  bool deleteForward();
  bool backspace();

  // --- Clipboard -----------------------------------------------------------------------------
  // The selected text (empty when nothing is selected): what copy puts on the clipboard.
  std::u16string copyText();
  bool paste(std::u16string_view text);

 private:
  bool verticalWriting() const;
  bool arrow(EditScope& scope, Key key, bool shift);
  bool crossPage(bool forward, int column);
  // The text-flow display writes no table: a caret that a move took into one goes on to the
  // nearest line beyond it that the display shows (across pages when `acrossPages`), placed as
  // `column` says (−1: at its start going forward, at its end going back). False when there is
  // none; the caller then puts the caret back.
  bool passUnshownLines(bool forward, int column, bool acrossPages);
  void forget(const model::LineData* line);
  void updateEntry();
  void afterEdit(EditScope& scope);
  bool typeUnit(EditScope& scope, char16_t ch, int repeat);
  bool typeOverSelection(EditScope& scope, char16_t ch, int repeat);
  bool typeAtCaret(EditScope& scope, char16_t ch);
  bool typeReturn(EditScope& scope);
  bool deleteSelection(EditScope& scope);
  bool deleteAtCaret(EditScope& scope, bool backspace);
  bool deleteReturn(EditScope& scope, bool backspace);
  // A typed unit's change: its line, or the page when ranges or side lines moved.
  void finishTyped(EditScope& scope, bool wantsPage);
  bool refuse(EditScope& scope);
  void removeEmptiedLine(const LineGroup& group, model::LineData* line);
  CaretPos placeSelection(const PageBoxes& boxes, int32_t x, int32_t y);
  // The caret goes into an empty table cell: a line is made there for it, lying across the cell
  // like the table's other lines. Nothing is marked: the line only becomes part of the document's
  // text when something is typed into it.
  CaretPos enterEmptyCell(EditScope& scope, model::BlockData& block, model::CellData& cell);
  // A line made for an empty cell that the caret left without typing goes again.
  void dropUnusedCellLine(EditScope& scope);
  document::CScrivlaDoc& doc() { return context_.doc(); }

  EditingContext& context_;
  Display display_ = Display::Layout;
  model::LineData* lineAtMouseDown_ = nullptr;
  // The line enterEmptyCell made and its cell, while the caret may still leave it empty.
  model::LineData* cellLine_ = nullptr;
  model::CellData* cellLineCell_ = nullptr;
};

}  // namespace vellary::editing
