// The settings sheet: its pages in order, OK and Cancel.
#include "settings_ui/setting_sheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace vellary::settings_ui {

CSetting::CSetting(SheetHost host, QWidget* parent)
    : QDialog(parent),
      host_(std::move(host)),
      rejectLevel_(host_.frame.rejectLevel),
      rejectShowChar_(host_.frame.rejectShowChar),
      rejectRecolour_(host_.frame.rejectRecolour) {
  setWindowTitle(QStringLiteral("環境設定"));
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName("pages");
  loadConv_ = new CLoadConv(host_, tabs_);
  mojiDisp_ = new CPropMojiDisp(host_, tabs_);
  search_ = new CPropSearch(host_, tabs_);
  registTbl_ = new CPropRegistTbl(host_, tabs_);
  output_ = new CPropOutput(host_, tabs_);
  fonts_ = new CPropPageFont(host_, tabs_);
  textInfo_ = new CPropPageTextInfo(host_, tabs_);
  mojiExp_ = new CPropMojiExp(host_, tabs_);
  tabs_->addTab(loadConv_, QStringLiteral("条件設定"));
  tabs_->addTab(mojiDisp_, QStringLiteral("文字種別表示色/フォント設定"));
  tabs_->addTab(search_, QStringLiteral("検索・置換"));
  tabs_->addTab(registTbl_, QStringLiteral("登録文字テーブル"));
  tabs_->addTab(output_, QStringLiteral("保存・外部出力"));
  tabs_->addTab(fonts_, QStringLiteral("フォント"));
  tabs_->addTab(textInfo_, QStringLiteral("表示テキスト情報"));
  tabs_->addTab(mojiExp_, QStringLiteral("候補文字の読みテーブル"));
  // Every page's caption stays in sight: the sheet is as wide as its row of tabs.
  tabs_->setUsesScrollButtons(false);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  connect(buttons, &QDialogButtonBox::accepted, this, &CSetting::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CSetting::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(buttons);
  resize(std::max(640, tabs_->tabBar()->sizeHint().width() + 40), 600);
}

void CSetting::accept() {
  for (int i = 0; i < tabs_->count(); ++i) static_cast<SheetPage*>(tabs_->widget(i))->apply();
  // The offset may have changed without a position changing: the window is placed again always.
  if (host_.placeLineImage) host_.placeLineImage();
  if (host_.redrawText) host_.redrawText();
  QDialog::accept();
}

void CSetting::reject() {
  appcore::FrameSettings& f = host_.frame;
  if (f.rejectLevel != rejectLevel_ || f.rejectShowChar != rejectShowChar_ ||
      f.rejectRecolour != rejectRecolour_) {
    f.rejectLevel = rejectLevel_;
    f.rejectShowChar = rejectShowChar_;
    f.rejectRecolour = rejectRecolour_;
    if (host_.redrawText) host_.redrawText();
  }
  QDialog::reject();
}

}  // namespace vellary::settings_ui
