// CProgShow and its Progress face.
#include "app/prog_show.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace vellary::app {

CProgShow::CProgShow(QWidget* mainWindow) : QDialog(nullptr), mainWindow_(mainWindow) {
  setModal(false);
  setWindowFlag(Qt::WindowCloseButtonHint, false);
  text_ = new QLabel(this);
  text_->setObjectName("progressText");
  bar_ = new QProgressBar(this);
  bar_->setTextVisible(false);
  cancel_ = new QPushButton(QStringLiteral("キャンセル"), this);
  cancel_->setObjectName("cancel");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text_);
  layout->addWidget(bar_);
  layout->addWidget(cancel_, 0, Qt::AlignHCenter);
  connect(cancel_, &QPushButton::clicked, this, [this] { cancelled_ = true; });
  resize(360, 120);
}

CProgShow::~CProgShow() {
  if (exists_) destroy();
}

void CProgShow::create() {
  if (mainWindow_ != nullptr) mainWindow_->setEnabled(false);
  cancelled_ = false;
  exists_ = true;
  if (mainWindow_ != nullptr) centreOver(mainWindow_);
  QDialog::show();
}

void CProgShow::destroy() {
  if (mainWindow_ != nullptr) mainWindow_->setEnabled(true);
  exists_ = false;
  QDialog::hide();
  // The keys go back to the window the operation ran in, whatever the window system chooses.
  if (mainWindow_ != nullptr && mainWindow_->isVisible()) mainWindow_->activateWindow();
}

void CProgShow::setTitle(const QString& title) { setWindowTitle(title); }
void CProgShow::setText(const QString& text) { text_->setText(text); }

void CProgShow::setCount(int done, int total) {
  text_->setText(QString::asprintf("変換数 %d / %d", done, total));
}

void CProgShow::setRange(int low, int high) { bar_->setRange(low, high); }
void CProgShow::setPosition(int position) { bar_->setValue(position); }
void CProgShow::showCancel(bool shown) { cancel_->setVisible(shown); }
void CProgShow::enableCancel(bool enabled) { cancel_->setEnabled(enabled); }

void CProgShow::centreOver(QWidget* window) {
  const QRect area = window->geometry();
  move(area.center() - QPoint(width() / 2, height() / 2));
}

bool CProgShow::pump() {
  if (exists_ && cancel_->isHidden()) return false;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  return cancelled_;
}

void DialogProgress::setCaption(std::string_view caption) {
  dialog_.setTitle(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
}

void DialogProgress::setText(std::string_view text) {
  dialog_.setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void DialogProgress::setRange(int low, int high) {
  dialog_.setRange(low, high);
  position_ = low;
}

void DialogProgress::step() { dialog_.setPosition(++position_); }

void DialogProgress::setPosition(int position) {
  position_ = position;
  dialog_.setPosition(position);
}

void DialogProgress::show() {
  if (!dialog_.exists()) dialog_.create();
}

void DialogProgress::hide() {
  if (dialog_.exists()) dialog_.destroy();
}

void DialogProgress::pump() { dialog_.pump(); }

}  // namespace vellary::app
