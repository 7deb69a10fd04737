// The two ruby dialogs of character editing: 651 "ルビ設定" (the ruby text for a base) and 144
// "ルビ修正" (the text, base range and split of an existing ruby). Each mirrors a state object of
// the editing library: the widgets show its texts and enabled states and every control calls one
// of its functions. Each control's object name is "c" followed by its control id ("c1047").
#pragma once

#include <QDialog>

#include "editing/ruby_edit.h"
#include "editing/ruby_edit_modify.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace vellary::appcore {
class Prompter;
}

namespace vellary::textview {

// The control's object name.
QString controlName(int id);

class RubySetDialogWidget : public QDialog {
  Q_OBJECT

 public:
  // `state` outlives the dialog; its ruby text follows edit 1047.
  RubySetDialogWidget(editing::RubySetDialog& state, QWidget* parent = nullptr);

  void accept() override;

 private:
  editing::RubySetDialog& state_;
  QLineEdit* ruby_ = nullptr;
  QPushButton* ok_ = nullptr;
};

class RubyModifyDialogWidget : public QDialog {
  Q_OBJECT

 public:
  // `state` and `prompter` outlive the dialog. The records change with the range buttons at once;
  // the caller runs the state's accept or cancel after the dialog closed.
  RubyModifyDialogWidget(editing::RubyModifyDialog& state, appcore::Prompter& prompter,
                         QWidget* parent = nullptr);

  void accept() override;

 private:
  QPushButton* button(int id, const char* caption);
  QLineEdit* edit(int id, bool readOnly);
  // Texts and enabled states from the state; an edit the user is typing in keeps its cursor.
  void refresh();

  editing::RubyModifyDialog& state_;
  appcore::Prompter& prompter_;
  QLineEdit* ruby_ = nullptr;        // 1047
  QLineEdit* secondRuby_ = nullptr;  // 1052
  QLineEdit* base_ = nullptr;        // 1048
  QLineEdit* secondBase_ = nullptr;  // 1053
  QLabel* prompt_ = nullptr;         // 1051
  QPushButton* ok_ = nullptr;
};

}  // namespace vellary::textview
