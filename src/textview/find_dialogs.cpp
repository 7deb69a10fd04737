// The find and replace dialogs.
#include "textview/find_dialogs.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace vellary::textview {

using Action = editing::FindMessage::Action;

namespace {

// The edits hold what the buffers can: their size less the terminator.
constexpr int kEditUnits = static_cast<int>(editing::FindBuffers::kUnits) - 1;

QLineEdit* bufferEdit(const std::u16string& text, const char* name, QWidget* parent) {
  auto* edit = new QLineEdit(QString::fromStdU16String(text), parent);
  edit->setObjectName(name);
  edit->setMaxLength(kEditUnits);
  edit->setMinimumWidth(220);
  return edit;
}

}  // namespace

CFindReplaceDlg::CFindReplaceDlg(editing::FindDialogKind kind, editing::FindBuffers& buffers,
                                 bool matchCase, QWidget* parent)
    : QDialog(parent), kind_(kind), buffers_(buffers) {
  const bool replacing = kind == editing::FindDialogKind::Replace;
  setObjectName(replacing ? "replaceDialog" : "findDialog");
  setWindowTitle(replacing ? QStringLiteral("置換") : QStringLiteral("検索"));
  setModal(false);

  auto* grid = new QGridLayout(this);
  find_ = bufferEdit(buffers.find, "findText", this);
  auto* findLabel = new QLabel(QStringLiteral("検索する文字列(&N):"), this);
  findLabel->setBuddy(find_);
  grid->addWidget(findLabel, 0, 0);
  grid->addWidget(find_, 0, 1);
  int row = 1;
  if (replacing) {
    replace_ = bufferEdit(buffers.replace, "replaceText", this);
    auto* replaceLabel = new QLabel(QStringLiteral("置換後の文字列(&P):"), this);
    replaceLabel->setBuddy(replace_);
    grid->addWidget(replaceLabel, row, 0);
    grid->addWidget(replace_, row, 1);
    ++row;
  }
  matchCase_ = new QCheckBox(QStringLiteral("大文字と小文字を区別する(&C)"), this);
  matchCase_->setChecked(matchCase);
  auto* direction = new QGroupBox(QStringLiteral("方向"), this);
  up_ = new QRadioButton(QStringLiteral("上へ(&U)"), direction);
  down_ = new QRadioButton(QStringLiteral("下へ(&D)"), direction);
  down_->setChecked(true);
  auto* directionRow = new QHBoxLayout(direction);
  directionRow->addWidget(up_);
  directionRow->addWidget(down_);
  auto* options = new QHBoxLayout;
  options->addWidget(matchCase_);
  options->addWidget(direction);
  grid->addLayout(options, row, 0, 1, 2);

  auto* buttons = new QVBoxLayout;
  findNext_ = new QPushButton(QStringLiteral("次を検索(&F)"), this);
  findNext_->setDefault(true);
  buttons->addWidget(findNext_);
  connect(findNext_, &QPushButton::clicked, this, [this] { send(Action::FindNext); });
  if (replacing) {
    replaceOne_ = new QPushButton(QStringLiteral("置換して次に(&R)"), this);
    replaceAll_ = new QPushButton(QStringLiteral("すべて置換(&A)"), this);
    buttons->addWidget(replaceOne_);
    buttons->addWidget(replaceAll_);
    connect(replaceOne_, &QPushButton::clicked, this, [this] { send(Action::Replace); });
    connect(replaceAll_, &QPushButton::clicked, this, [this] { send(Action::ReplaceAll); });
  }
  cancel_ = new QPushButton(QStringLiteral("キャンセル"), this);
  buttons->addWidget(cancel_);
  buttons->addStretch();
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  grid->addLayout(buttons, 0, 2, row + 1, 1);

  connect(find_, &QLineEdit::textChanged, this, &CFindReplaceDlg::enableButtons);
  enableButtons();
  find_->setFocus();
  find_->selectAll();
}

void CFindReplaceDlg::enableButtons() {
  // Nothing to look for: nothing to find or replace.
  const bool any = !find_->text().isEmpty();
  for (QPushButton* b : {findNext_, replaceOne_, replaceAll_})
    if (b != nullptr) b->setEnabled(any);
}

void CFindReplaceDlg::send(Action action) {
  if (action != Action::Close) {
    buffers_.setFind(find_->text().toStdU16String());
    if (replace_ != nullptr) buffers_.setReplace(replace_->text().toStdU16String());
  }
  editing::FindMessage message;
  message.action = action;
  message.down = down_->isChecked();
  message.matchCase = matchCase_->isChecked();
  if (onMessage) onMessage(message);
}

void CFindReplaceDlg::keepClearOf(const QRect& hit) {
  if (hit.isEmpty() || !isVisible()) return;
  const QScreen* on = screen();
  if (on == nullptr) return;
  const QRect frame = frameGeometry();
  const QPoint to = positionClearOf(frame, hit, on->availableGeometry());
  // move() places the frame's top left corner.
  if (to != frame.topLeft()) move(to);
}

QPoint positionClearOf(const QRect& frame, const QRect& hit, const QRect& screen) {
  if (!frame.intersects(hit)) return frame.topLeft();
  constexpr int kGap = 8;
  auto clamped = [](int value, int low, int high) { return std::max(low, std::min(value, high)); };
  const int x = clamped(frame.x(), screen.left(), screen.right() + 1 - frame.width());
  const int y = clamped(frame.y(), screen.top(), screen.bottom() + 1 - frame.height());
  const QPoint choices[] = {
      {x, hit.bottom() + 1 + kGap},            // below
      {x, hit.top() - kGap - frame.height()},  // above
      {hit.right() + 1 + kGap, y},             // right
      {hit.left() - kGap - frame.width(), y},  // left
  };
  for (const QPoint& at : choices) {
    const QRect moved(at, frame.size());
    if (screen.contains(moved) && !moved.intersects(hit)) return at;
  }
  return frame.topLeft();
}

void CFindReplaceDlg::done(int result) {
  QDialog::done(result);
  if (closed_) return;
  closed_ = true;
  send(Action::Close);
  deleteLater();
}

}  // namespace vellary::textview
