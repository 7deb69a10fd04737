// The editing context: the one caret and selection of the open document, the editor that moves
// them, and the scope every editing or navigation command runs in. It talks to the document
// directly and hears the document's notices before any view, so the caret a view draws is always
// one of the current page.
//
// An edit reaches the screen this way: a command opens an EditScope, declares the page it is about
// to change (the scope takes the undo step), changes the records and the caret, and says what it
// touched; when the scope ends it marks the page, runs the backup check and hands one change set
// to the document, which sends it to every observer. Views draw from the change set; nothing
// returns redraw orders to them.
#pragma once

#include <cstdint>
#include <memory>

#include "appcore/prompter.h"
#include "caret.h"
#include "document/document.h"

namespace vellary::editing {

class Editor;

class EditingContext : public document::DocumentObserver {
 public:
  EditingContext(document::CScrivlaDoc& doc, appcore::Prompter& prompter);
  ~EditingContext() override;
  EditingContext(const EditingContext&) = delete;
  EditingContext& operator=(const EditingContext&) = delete;

  document::CScrivlaDoc& doc() { return doc_; }
  appcore::Prompter& prompter() { return prompter_; }
  Editor& editor() { return *editor_; }
  CaretState& state() { return state_; }
  const CaretState& state() const { return state_; }
  // The document's current page; null without a document.
  model::PageData* page();

  // Where the caret stands and what is selected, as an undo step keeps it.
  document::CaretMemo caretMemo();
  void restoreCaretMemo(const document::CaretMemo& memo);

  // Undo and redo of the document's history: the step's page becomes current and the caret and
  // selection of that moment come back. false when there was nothing to undo or redo.
  bool undo();
  bool redo();
  // 32762 as one undoable step.
  bool reComposeCurrentPage();
  // Page `index` recognised again takes the place of the page's text (see
  // CScrivlaDoc::replaceRecognisedPage; `joinStep` for the further pages of one command, which
  // then undo as one step). The caret goes to the start of a replaced current page and stays
  // where it was otherwise. One change set, sent at once: the views show the page while the next
  // is still being recognised.
  bool putRecognisedPage(int index, model::PageData&& page, bool joinStep);

  // Drops the caret, selection and current entry.
  void resetCaret();
  // The caret before the first character of the page's first text or table block.
  void placeCaretOnPage();

  // document::DocumentObserver
  void aboutToReset() override;
  void documentChanged(const document::ChangeSet& changes) override;

 private:
  friend class EditScope;
  bool caretOnCurrentPage();

  document::CScrivlaDoc& doc_;
  appcore::Prompter& prompter_;
  CaretState state_;
  std::unique_ptr<Editor> editor_;
  class EditScope* scope_ = nullptr;  // the innermost open scope
};

// One editing or navigation command. Change sets the document sends meanwhile (a page change)
// are gathered with the command's own and sent once, when the outermost scope ends.
class EditScope {
 public:
  explicit EditScope(EditingContext& context);
  ~EditScope();
  EditScope(const EditScope&) = delete;
  EditScope& operator=(const EditScope&) = delete;

  EditingContext& context() { return context_; }
  document::CScrivlaDoc& doc() { return context_.doc(); }
  CaretState& caret() { return context_.state(); }

  // The page (−1: the current one) is about to change: takes the undo step of `kind` unless the
  // edit continues a run of typing or deleting. The page is marked when the scope ends.
  void willChange(int kind, int pageIndex = -1);
  // The page was changed without an undo step of its own (the step was taken before).
  void modified(int pageIndex = -1);

  // What the views must draw again.
  EditScope& line(const model::LineData* line);
  EditScope& layout() { return add(document::Change::Layout); }
  EditScope& structure() { return add(document::Change::Structure); }
  EditScope& caretMoved() { return add(document::Change::Caret); }
  EditScope& reveal() { return add(document::Change::Caret).add(document::Change::Reveal); }
  EditScope& add(document::Change c);
  const document::ChangeSet& changes() const { return changes_; }

  // Sends what was gathered so far (of this and the enclosing scopes) at once, while the command
  // goes on: a page turned to must be shown before a question is asked about it.
  void flush();

  // The input was refused: the view beeps.
  void refuse() { refused_ = true; }
  bool refused() const { return refused_; }

 private:
  EditingContext& context_;
  EditScope* outer_;
  document::ChangeSet changes_;
  std::vector<int> modifiedPages_;
  bool refused_ = false;
};

}  // namespace vellary::editing
