// Dialogs 651 "ルビ設定" and 144 "ルビ修正" over their editing states.
#include "textview/ruby_dialogs.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "appcore/prompter.h"

namespace vellary::textview {

namespace {

using Control = editing::RubyModifyDialog::Control;

QString fromU16(const std::u16string& s) {
  return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}

std::u16string toU16(const QString& s) { return s.toStdU16String(); }

void setTextKeepingCursor(QLineEdit& edit, const QString& text) {
  if (edit.text() == text) return;
  edit.setText(text);
}

}  // namespace

QString controlName(int id) { return QStringLiteral("c%1").arg(id); }

// --- 651 "ルビ設定" ---------------------------------------------------------------------------

RubySetDialogWidget::RubySetDialogWidget(editing::RubySetDialog& state, QWidget* parent)
    : QDialog(parent), state_(state) {
  setWindowTitle(QStringLiteral("ルビ設定"));
  auto* grid = new QGridLayout;
  ruby_ = new QLineEdit(fromU16(state_.ruby), this);
  ruby_->setObjectName(controlName(Control::RubyEdit));
  auto* base = new QLineEdit(fromU16(state_.base), this);
  base->setObjectName(controlName(Control::BaseEdit));
  base->setReadOnly(true);
  grid->addWidget(new QLabel(QStringLiteral("ルビ"), this), 0, 0);
  grid->addWidget(ruby_, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("本文"), this), 1, 0);
  grid->addWidget(base, 1, 1);

  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setObjectName(controlName(Control::IdOk));
  ok_->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
  cancel->setObjectName(controlName(Control::IdCancel));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);

  connect(ruby_, &QLineEdit::textChanged, this, [this](const QString& text) {
    state_.ruby = toU16(text);
    ok_->setEnabled(state_.okEnabled());
  });
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  ok_->setEnabled(state_.okEnabled());
  ruby_->setFocus();
}

void RubySetDialogWidget::accept() {
  // Enter reaches the dialog even while OK is greyed.
  if (state_.okEnabled()) QDialog::accept();
}

// --- 144 "ルビ修正" ---------------------------------------------------------------------------

RubyModifyDialogWidget::RubyModifyDialogWidget(editing::RubyModifyDialog& state,
                                               appcore::Prompter& prompter, QWidget* parent)
    : QDialog(parent), state_(state), prompter_(prompter) {
  setWindowTitle(QStringLiteral("ルビ修正"));
  ruby_ = edit(Control::RubyEdit, false);
  secondRuby_ = edit(Control::SecondRubyEdit, false);
  base_ = edit(Control::BaseEdit, true);
  secondBase_ = edit(Control::SecondBaseEdit, true);
  prompt_ = new QLabel(this);
  prompt_->setObjectName(controlName(Control::Prompt));

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("ルビ"), this), 0, 0);
  grid->addWidget(ruby_, 0, 1);
  grid->addWidget(secondRuby_, 0, 2);
  grid->addWidget(button(Control::SplitMark, "分割位置設定(&D)"), 0, 3);
  grid->addWidget(new QLabel(QStringLiteral("本文"), this), 1, 0);
  grid->addWidget(base_, 1, 1);
  grid->addWidget(secondBase_, 1, 2);
  grid->addWidget(button(Control::Split, "ルビ分割(&R)"), 1, 3);
  grid->addWidget(prompt_, 2, 0, 1, 4);

  auto* range = new QGridLayout;
  range->addWidget(button(Control::AddPrevious, "前の文字を追加(&P)"), 0, 0);
  range->addWidget(button(Control::DropFirst, "先頭文字を除外(&T)"), 1, 0);
  range->addWidget(button(Control::AddNext, "次の文字を追加(&N)"), 0, 1);
  range->addWidget(button(Control::DropLast, "最終文字を除外(&L)"), 1, 1);

  ok_ = button(Control::IdOk, "OK");
  ok_->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(button(Control::IdCancel, "キャンセル"));

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(range);
  layout->addLayout(buttons);

  connect(ruby_, &QLineEdit::textEdited, this, [this](const QString& text) {
    state_.setRubyText(toU16(text));
    refresh();
  });
  auto on = [this](int id, auto action) {
    connect(findChild<QPushButton*>(controlName(id)), &QPushButton::clicked, this, [this, action] {
      action();
      refresh();
    });
  };
  on(Control::AddPrevious, [this] { state_.addPrevious(prompter_); });
  on(Control::DropFirst, [this] { state_.dropFirst(); });
  on(Control::AddNext, [this] { state_.addNext(prompter_); });
  on(Control::DropLast, [this] { state_.dropLast(); });
  on(Control::SplitMark, [this] { state_.setSplitMark(ruby_->cursorPosition(), prompter_); });
  on(Control::Split, [this] { state_.split(base_->cursorPosition()); });
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(findChild<QPushButton*>(controlName(Control::IdCancel)), &QPushButton::clicked, this,
          &QDialog::reject);
  refresh();
  ruby_->setFocus();
}

QPushButton* RubyModifyDialogWidget::button(int id, const char* caption) {
  auto* b = new QPushButton(QString::fromUtf8(caption), this);
  b->setObjectName(controlName(id));
  b->setAutoDefault(false);
  return b;
}

QLineEdit* RubyModifyDialogWidget::edit(int id, bool readOnly) {
  auto* e = new QLineEdit(this);
  e->setObjectName(controlName(id));
  e->setReadOnly(readOnly);
  return e;
}

void RubyModifyDialogWidget::refresh() {
  setTextKeepingCursor(*ruby_, fromU16(state_.rubyText()));
  setTextKeepingCursor(*secondRuby_, fromU16(state_.secondRubyText()));
  setTextKeepingCursor(*base_, fromU16(state_.baseText()));
  setTextKeepingCursor(*secondBase_, fromU16(state_.secondBaseText()));
  prompt_->setText(QString::fromStdString(state_.prompt()));
  for (QWidget* w : findChildren<QWidget*>()) {
    bool ok = false;
    const int id = w->objectName().mid(1).toInt(&ok);
    if (ok && w->objectName().startsWith('c')) w->setEnabled(state_.enabled(id));
  }
}

void RubyModifyDialogWidget::accept() {
  if (state_.enabled(Control::IdOk)) QDialog::accept();
}

}  // namespace vellary::textview
