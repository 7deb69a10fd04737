// The modeless find and replace dialogs: the text to find (and its replacement), match case and
// the direction; there is no whole-word option. They edit the program's find buffers and hand
// every request (find next, replace, replace all, closing) to their owner.
#pragma once

#include <QDialog>
#include <functional>

#include "editing/find_replace.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vellary::textview {

class CFindReplaceDlg : public QDialog {
  Q_OBJECT

 public:
  // `kind` is Find or Replace. The edits start from the buffers, match case as remembered and
  // the direction downwards.
  CFindReplaceDlg(editing::FindDialogKind kind, editing::FindBuffers& buffers, bool matchCase,
                  QWidget* parent = nullptr);

  editing::FindDialogKind kind() const { return kind_; }
  // Called for each request after the edits' texts were written to the buffers. Closing is
  // reported once, however the dialog is closed; the dialog deletes itself afterwards.
  std::function<void(const editing::FindMessage&)> onMessage;

  QLineEdit* findEdit() const { return find_; }
  QLineEdit* replaceEdit() const { return replace_; }  // null in the find dialog
  QCheckBox* matchCaseBox() const { return matchCase_; }
  QRadioButton* upButton() const { return up_; }
  QRadioButton* downButton() const { return down_; }
  QPushButton* findNextButton() const { return findNext_; }
  QPushButton* replaceButton() const { return replaceOne_; }     // null in the find dialog
  QPushButton* replaceAllButton() const { return replaceAll_; }  // null in the find dialog
  QPushButton* cancelButton() const { return cancel_; }

  void done(int result) override;
  // Moves the dialog off `hit` (global pixels), onto whichever side of it has room on the
  // dialog's screen; a dialog clear of the hit stays where it is.
  void keepClearOf(const QRect& hit);

 private:
  void send(editing::FindMessage::Action action);
  void enableButtons();

  editing::FindDialogKind kind_;
  editing::FindBuffers& buffers_;
  bool closed_ = false;
  QLineEdit* find_ = nullptr;
  QLineEdit* replace_ = nullptr;
  QCheckBox* matchCase_ = nullptr;
  QRadioButton* up_ = nullptr;
  QRadioButton* down_ = nullptr;
  QPushButton* findNext_ = nullptr;
  QPushButton* replaceOne_ = nullptr;
  QPushButton* replaceAll_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

// Where a window of frame `frame` goes so that it does not cover `hit`, inside `screen` (all
// global pixels): below, above, right or left of the hit, the first that fits, keeping the other
// coordinate as near to where it was as the screen allows. `frame`'s own place when it is clear
// of the hit or nothing fits.
QPoint positionClearOf(const QRect& frame, const QRect& hit, const QRect& screen);

}  // namespace vellary::textview
