// The option pages: loading and joining ("条件設定"), find and replace ("検索・置換") and output
// ("保存・外部出力").
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "settings_ui/pages.h"

namespace vellary::settings_ui {

namespace {

QCheckBox* checkBox(const char* caption, int value, QWidget* parent, const char* name) {
  auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
  box->setChecked(value != 0);
  box->setObjectName(QString::fromLatin1(name));
  return box;
}

int valueOf(const QCheckBox* box) { return box->isChecked() ? 1 : 0; }

constexpr char16_t kComma = u'\u3001';       // 、
constexpr char kCommaText[] = "\u3001";      // what the first entry stores
constexpr char kMiddleDotText[] = "\u30FB";  // what the second entry stores

}  // namespace

// --- 条件設定 --------------------------------------------------------------------------------

CLoadConv::CLoadConv(SheetHost& host, QWidget* parent) : SheetPage(host, parent) {
  const appcore::FrameSettings& f = host_.frame;
  auto* ruby = new QGroupBox(QStringLiteral("読込時のルビ変換"), this);
  monoRuby_ = checkBox("ルビをモノルビとして処理する(&M)", f.monoRuby, ruby, "monoRuby");
  smallKana_ = checkBox("拗音、促音を通常文字にする(&Y)", f.rubySmallKana, ruby, "smallKana");
  auto* rubyLayout = new QVBoxLayout(ruby);
  rubyLayout->addWidget(monoRuby_);
  rubyLayout->addWidget(smallKana_);

  // Kept and stored, but nothing reads it: the box is never shown.
  reAnalyze_ = checkBox("領域の自動解析を行い再構成する(&R)", f.reAnalyze, this, "reAnalyze");
  reAnalyze_->hide();

  auto* join = new QGroupBox(QStringLiteral("領域結合時の条件"), this);
  blockBreak_ = checkBox("ブロック間に改行を挿入する(&B)", f.blockBreak, join, "blockBreak");
  leadingSpace_ = checkBox("行頭に空白を挿入する(&S)", f.leadingSpace, join, "leadingSpace");
  halfWidth_ = new QRadioButton(QStringLiteral("半角(&H)"), join);
  halfWidth_->setObjectName("halfWidth");
  fullWidth_ = new QRadioButton(QStringLiteral("全角(&D)"), join);
  fullWidth_->setObjectName("fullWidth");
  (f.spaceType == 0 ? halfWidth_ : fullWidth_)->setChecked(true);
  naturalBreak_ = checkBox("自然改行を挿入する(&N)", f.naturalBreak, join, "naturalBreak");
  blockEnd_ = checkBox("ブロックの終わりには改行を入れない(&E)", f.blockEndBreak, join, "blockEnd");
  auto* spaces = new QHBoxLayout;
  spaces->addSpacing(24);
  spaces->addWidget(halfWidth_);
  spaces->addWidget(fullWidth_);
  spaces->addStretch();
  auto* joinLayout = new QVBoxLayout(join);
  joinLayout->addWidget(blockBreak_);
  joinLayout->addWidget(leadingSpace_);
  joinLayout->addLayout(spaces);
  joinLayout->addWidget(naturalBreak_);
  joinLayout->addWidget(blockEnd_);

  emphasis_ = new QComboBox(this);
  emphasis_->setObjectName("emphasis");
  emphasis_->addItem(QStringLiteral("、（読点）"));
  emphasis_->addItem(QStringLiteral("・（中黒）"));
  const QString stored = QString::fromStdString(f.emphasisChar);
  emphasis_->setCurrentIndex(!stored.isEmpty() && stored.front() == QChar(kComma) ? 0 : 1);
  auto* emphasisLabel = new QLabel(QStringLiteral("圏点文字(&K)"), this);
  emphasisLabel->setBuddy(emphasis_);
  auto* emphasisRow = new QHBoxLayout;
  emphasisRow->addWidget(emphasisLabel);
  emphasisRow->addWidget(emphasis_);
  emphasisRow->addStretch();

  // Recognising scans: how many pages are read at once (0: one per core).
  auto* recognition = new QGroupBox(QStringLiteral("画像からの認識"), this);
  threads_ = new QSpinBox(recognition);
  threads_->setObjectName("recognitionThreads");
  threads_->setRange(0, appcore::kMaxRecognitionThreads);
  threads_->setSpecialValueText(QStringLiteral("すべてのコア"));
  threads_->setValue(host_.app.recognitionThreads);
  auto* threadsLabel = new QLabel(QStringLiteral("同時に認識するページ数(&T)"), recognition);
  threadsLabel->setBuddy(threads_);
  auto* recognitionRow = new QHBoxLayout(recognition);
  recognitionRow->addWidget(threadsLabel);
  recognitionRow->addWidget(threads_);
  recognitionRow->addStretch();

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(ruby);
  layout->addWidget(reAnalyze_);
  layout->addWidget(join);
  layout->addLayout(emphasisRow);
  layout->addWidget(recognition);
  layout->addStretch();
}

void CLoadConv::apply() {
  appcore::FrameSettings& f = host_.frame;
  f.monoRuby = valueOf(monoRuby_);
  f.rubySmallKana = valueOf(smallKana_);
  f.reAnalyze = valueOf(reAnalyze_);
  f.blockBreak = valueOf(blockBreak_);
  f.leadingSpace = valueOf(leadingSpace_);
  f.spaceType = fullWidth_->isChecked() ? 1 : 0;
  f.naturalBreak = valueOf(naturalBreak_);
  f.blockEndBreak = valueOf(blockEnd_);
  f.emphasisChar = emphasis_->currentIndex() == 0 ? kCommaText : kMiddleDotText;
  host_.app.recognitionThreads = threads_->value();
}

// --- 検索・置換 -------------------------------------------------------------------------------

CPropSearch::CPropSearch(SheetHost& host, QWidget* parent) : SheetPage(host, parent) {
  register_ = checkBox("置換文字を登録する(&R)", host_.frame.registerReplacement, this,
                       "registerReplacement");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(register_);
  layout->addStretch();
}

void CPropSearch::apply() { host_.frame.registerReplacement = valueOf(register_); }

// --- 保存・外部出力 ---------------------------------------------------------------------------

CPropOutput::CPropOutput(SheetHost& host, QWidget* parent) : SheetPage(host, parent) {
  const appcore::FrameSettings& f = host_.frame;
  info_ = {f.pdfFileTitle, f.pdfFileSubtitle, f.pdfAuthor, f.pdfKeywords};
  ruby_ = {f.rubyTarget, f.rubyOpen, f.rubyClose};

  auto* word = new QGroupBox(QStringLiteral("Word出力"), this);
  // The frame keeps 1 for off and 2 for on.
  columns_ = checkBox("段組みを優先する(&D)", f.wordColumns == 2, word, "columns");
  rubyInline_ = checkBox("ルビを文中に挿入する(&R)", f.rubyInsert, word, "rubyInline");
  auto* rubyButton = new QPushButton(QStringLiteral("ルビ文字挿入オプション...(&M)"), word);
  rubyButton->setObjectName("rubyStrings");
  auto* wordLayout = new QGridLayout(word);
  wordLayout->addWidget(columns_, 0, 0, 1, 2);
  wordLayout->addWidget(rubyInline_, 1, 0);
  wordLayout->addWidget(rubyButton, 1, 1);
  wordLayout->setColumnStretch(2, 1);

  auto* pdf = new QGroupBox(QStringLiteral("PDF出力"), this);
  quality_ = new QSlider(Qt::Horizontal, pdf);
  quality_->setObjectName("imageQuality");
  quality_->setRange(0, 2);
  quality_->setPageStep(1);
  quality_->setTickPosition(QSlider::TicksBelow);
  quality_->setTickInterval(1);
  quality_->setMinimumWidth(180);
  quality_->setValue(std::clamp(f.pdfImageQuality, 0, 2));
  auto* qualityLabel = new QLabel(QStringLiteral("図領域の画像品質(&Q)"), pdf);
  qualityLabel->setBuddy(quality_);
  authorCheck_ = checkBox("書類情報の作成者欄が空白のときユーザ名を設定する(&U)", f.pdfAuthorCheck,
                          pdf, "authorCheck");
  embedFonts_ = checkBox("使用したフォントを埋め込む(&F)", f.pdfEmbedFonts, pdf, "embedFonts");
  archive_ = checkBox("PDF/A-2u で保存する(&A)", f.pdfArchive, pdf, "archive");
  auto* infoButton = new QPushButton(QStringLiteral("書類情報(&J)..."), pdf);
  infoButton->setObjectName("documentInfo");
  auto* pdfLayout = new QGridLayout(pdf);
  pdfLayout->addWidget(qualityLabel, 0, 0, 1, 3);
  pdfLayout->addWidget(new QLabel(QStringLiteral("コンパクト"), pdf), 1, 0);
  pdfLayout->addWidget(quality_, 1, 1);
  pdfLayout->addWidget(new QLabel(QStringLiteral("きれい"), pdf), 1, 2);
  pdfLayout->addWidget(authorCheck_, 2, 0, 1, 3);
  pdfLayout->addWidget(embedFonts_, 3, 0, 1, 3);
  pdfLayout->addWidget(archive_, 4, 0, 1, 3);
  pdfLayout->addWidget(infoButton, 5, 0, 1, 1);
  pdfLayout->setColumnStretch(3, 1);

  auto* text = new QGroupBox(QStringLiteral("テキスト出力"), this);
  textRuby_ = checkBox("ルビを｜漢字《かんじ》の形で出力する(&T)", f.textRubyNotation, text,
                       "textRuby");
  auto* textLayout = new QVBoxLayout(text);
  textLayout->addWidget(textRuby_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(word);
  layout->addWidget(pdf);
  layout->addWidget(text);
  layout->addStretch();
  connect(infoButton, &QPushButton::clicked, this, &CPropOutput::editDocumentInfo);
  connect(rubyButton, &QPushButton::clicked, this, &CPropOutput::editRubyStrings);
}

void CPropOutput::editDocumentInfo() {
  CFileInfoDlg dialog(info_, QString::fromStdString(host_.frame.pdfCreator),
                      QString::fromStdString(host_.frame.pdfProducer), this);
  if (dialog.exec() == QDialog::Accepted) info_ = dialog.info();
}

void CPropOutput::editRubyStrings() {
  CRubyStringsDlg dialog(ruby_, this);
  if (dialog.exec() == QDialog::Accepted) ruby_ = dialog.strings();
}

void CPropOutput::apply() {
  appcore::FrameSettings& f = host_.frame;
  f.wordColumns = valueOf(columns_) + 1;
  f.pdfImageQuality = quality_->value();
  f.pdfAuthorCheck = valueOf(authorCheck_);
  f.rubyInsert = valueOf(rubyInline_);
  f.pdfEmbedFonts = valueOf(embedFonts_);
  f.pdfArchive = valueOf(archive_);
  f.textRubyNotation = valueOf(textRuby_);
  f.pdfFileTitle = info_.title;
  f.pdfFileSubtitle = info_.subtitle;
  f.pdfAuthor = info_.author;
  f.pdfKeywords = info_.keywords;
  f.rubyTarget = ruby_.baseStart;
  f.rubyOpen = ruby_.rubyStart;
  f.rubyClose = ruby_.rubyEnd;
}

}  // namespace vellary::settings_ui
