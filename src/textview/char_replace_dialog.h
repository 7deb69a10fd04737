// Dialog 140, "文字置換": the caret character, an arrow, its replacement (one character, at most
// two UTF-16 units) and whether the pair goes to the registered-character table.
#pragma once

#include <QDialog>

#include "editing/candidates.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace vellary::textview {

class CCharReplaceDlg : public QDialog {
  Q_OBJECT

 public:
  // Opens on the record's texts and check box state; OK stays disabled until a replacement is
  // typed, and the focus is in the replacement's edit with its text selected.
  CCharReplaceDlg(const editing::ReplaceCharDialog& initial, QWidget* parent = nullptr);

  // What OK stores: both texts and the check box.
  editing::ReplaceCharDialog result() const;

  QLineEdit* recognisedEdit() const { return recognised_; }    // 1032
  QLineEdit* replacementEdit() const { return replacement_; }  // 1025
  QCheckBox* registerBox() const { return register_; }         // 1067
  QPushButton* okButton() const { return ok_; }
  QPushButton* cancelButton() const { return cancel_; }

 private:
  QLineEdit* recognised_;
  QLineEdit* replacement_;
  QCheckBox* register_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

}  // namespace vellary::textview
