// The document information and ruby strings dialogs.
#include "settings_ui/info_dialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vellary::settings_ui {

namespace {

// The fields hold at most 255 UTF-16 units, as the stored strings always did.
constexpr int kFieldLimit = 255;

QLineEdit* field(const std::string& text, QWidget* parent, const char* name) {
  auto* edit = new QLineEdit(QString::fromStdString(text), parent);
  edit->setMaxLength(kFieldLimit);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setMinimumWidth(260);
  return edit;
}

void addRow(QFormLayout* form, const char* caption, QLineEdit* edit) {
  auto* label = new QLabel(QString::fromUtf8(caption), edit->parentWidget());
  label->setBuddy(edit);
  form->addRow(label, edit);
}

QDialogButtonBox* okCancel(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

}  // namespace

CFileInfoDlg::CFileInfoDlg(const DocumentInfo& info, const QString& creator,
                           const QString& producer, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("保存ファイル情報の入力"));
  title_ = field(info.title, this, "title");
  subtitle_ = field(info.subtitle, this, "subtitle");
  author_ = field(info.author, this, "author");
  keywords_ = field(info.keywords, this, "keywords");
  auto* form = new QFormLayout;
  addRow(form, "タイトル(&T):", title_);
  addRow(form, "サブタイトル(&S):", subtitle_);
  addRow(form, "作成者(&A):", author_);
  addRow(form, "キーワード(&K):", keywords_);
  auto* creatorLabel = new QLabel(creator, this);
  creatorLabel->setObjectName("creator");
  auto* producerLabel = new QLabel(producer, this);
  producerLabel->setObjectName("producer");
  form->addRow(QStringLiteral("作成:"), creatorLabel);
  form->addRow(QStringLiteral("ファイル変換:"), producerLabel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(okCancel(this));
  title_->setFocus();
}

DocumentInfo CFileInfoDlg::info() const {
  return {title_->text().toStdString(), subtitle_->text().toStdString(),
          author_->text().toStdString(), keywords_->text().toStdString()};
}

QString inlineRuby(const RubyStrings& strings, const QString& base, const QString& ruby) {
  return QString::fromStdString(strings.baseStart) + base +
         QString::fromStdString(strings.rubyStart) + ruby + QString::fromStdString(strings.rubyEnd);
}

CRubyStringsDlg::CRubyStringsDlg(const RubyStrings& strings, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("ルビ認識挿入文字列設定"));
  baseStart_ = field(strings.baseStart, this, "baseStart");
  rubyStart_ = field(strings.rubyStart, this, "rubyStart");
  rubyEnd_ = field(strings.rubyEnd, this, "rubyEnd");
  auto* form = new QFormLayout;
  addRow(form, "被ルビ開始文字列(&R):", baseStart_);
  addRow(form, "ルビ開始文字列(&S):", rubyStart_);
  addRow(form, "ルビ終端文字列(&E):", rubyEnd_);
  auto* group = new QGroupBox(QStringLiteral("結果サンプル"), this);
  sample_ = new QLabel(group);
  sample_->setObjectName("sample");
  sample_->setTextFormat(Qt::PlainText);
  (new QVBoxLayout(group))->addWidget(sample_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(group);
  layout->addWidget(okCancel(this));
  for (QLineEdit* edit : {baseStart_, rubyStart_, rubyEnd_})
    connect(edit, &QLineEdit::textChanged, this, &CRubyStringsDlg::updateSample);
  updateSample();
  baseStart_->setFocus();
}

RubyStrings CRubyStringsDlg::strings() const {
  return {baseStart_->text().toStdString(), rubyStart_->text().toStdString(),
          rubyEnd_->text().toStdString()};
}

QString CRubyStringsDlg::sampleText() const { return sample_->text(); }

void CRubyStringsDlg::updateSample() {
  sample_->setText(inlineRuby(strings(), QStringLiteral("認識"), QStringLiteral("にんしき")));
}

}  // namespace vellary::settings_ui
