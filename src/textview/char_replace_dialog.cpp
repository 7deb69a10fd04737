// Dialog 140, "文字置換".
#include "textview/char_replace_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vellary::textview {

CCharReplaceDlg::CCharReplaceDlg(const editing::ReplaceCharDialog& initial, QWidget* parent)
    : QDialog(parent) {
  setObjectName("charReplaceDialog");
  setWindowTitle(QString::fromUtf8(editing::kReplaceDialogCaption));
  recognised_ = new QLineEdit(QString::fromStdU16String(initial.recognised), this);
  recognised_->setObjectName("edit1032");
  // Shown for reference only: the character being replaced is not edited here.
  recognised_->setReadOnly(true);
  recognised_->setFocusPolicy(Qt::NoFocus);
  replacement_ = new QLineEdit(QString::fromStdU16String(initial.replacement), this);
  replacement_->setObjectName("edit1025");
  // QLineEdit counts UTF-16 units, as the record does: a surrogate pair fills it.
  replacement_->setMaxLength(static_cast<int>(editing::ReplaceCharDialog::kMaxUnits));
  register_ = new QCheckBox(QString::fromUtf8(editing::kReplaceDialogRegister), this);
  register_->setObjectName("check1067");
  register_->setChecked(initial.addToTable);
  ok_ = new QPushButton(QString::fromUtf8(editing::kReplaceDialogOk), this);
  ok_->setDefault(true);
  cancel_ = new QPushButton(QString::fromUtf8(editing::kReplaceDialogCancel), this);

  auto* grid = new QGridLayout(this);
  for (QLineEdit* edit : {recognised_, replacement_})
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("ＭＭＭ")) + 12);
  grid->addWidget(recognised_, 0, 0);
  grid->addWidget(new QLabel(QString::fromUtf8(editing::kReplaceDialogArrow), this), 0, 1);
  grid->addWidget(replacement_, 0, 2);
  grid->addWidget(register_, 1, 0, 1, 3);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  grid->addLayout(buttons, 2, 0, 1, 3);

  auto enableOk = [this] {
    editing::ReplaceCharDialog r;
    r.setReplacement(replacement_->text().toStdU16String());
    ok_->setEnabled(r.okEnabled());
  };
  connect(replacement_, &QLineEdit::textChanged, this, enableOk);
  connect(ok_, &QPushButton::clicked, this, [this] {
    if (ok_->isEnabled()) accept();
  });
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  enableOk();
  replacement_->setFocus();
  replacement_->selectAll();
}

editing::ReplaceCharDialog CCharReplaceDlg::result() const {
  editing::ReplaceCharDialog r;
  r.recognised = recognised_->text().toStdU16String();
  r.setReplacement(replacement_->text().toStdU16String());
  r.addToTable = register_->isChecked();
  return r;
}

}  // namespace vellary::textview
