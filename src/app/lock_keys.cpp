// Keyboard-lock panes.
#include "app/lock_keys.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>

// Xlib's headers define macros (None, Bool, Status) that clash with Qt's names: they come last.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace vellary::app {

namespace {

constexpr std::array<const char*, 4> kPaneTexts = {"KANA", "CAP", "NUM", "SCRL"};
constexpr std::array<const char*, 4> kIndicatorNames = {"Kana", "Caps Lock", "Num Lock",
                                                        "Scroll Lock"};
// Lock keys change by hand; a quarter second is quicker than anyone looks at the bar.
constexpr int kPollMs = 250;

}  // namespace

std::optional<LockKeys> readX11LockKeys() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  Display* display = x11 ? x11->display() : nullptr;
  if (!display) return std::nullopt;
  std::array<bool, 4> on{};
  for (size_t i = 0; i < kIndicatorNames.size(); ++i) {
    // An indicator the keyboard map does not name (Kana on most layouts) reads as off.
    const Atom name = XInternAtom(display, kIndicatorNames[i], True);
    int state = 0;
    if (name != 0 && XkbGetNamedIndicator(display, name, nullptr, &state, nullptr, nullptr))
      on[i] = state != 0;
  }
  return LockKeys{on[0], on[1], on[2], on[3]};
}

LockKeyPanes::LockKeyPanes(QStatusBar* bar, Reader reader)
    : QObject(bar), reader_(std::move(reader)) {
  const QFontMetrics metrics(bar->font());
  for (size_t i = 0; i < panes_.size(); ++i) {
    auto* label = new QLabel(bar);
    label->setObjectName(QStringLiteral("lockPane%1").arg(i));
    label->setAlignment(Qt::AlignCenter);
    // Room for the text whether it shows or not, so that the bar does not jump.
    label->setMinimumWidth(metrics.horizontalAdvance(QString::fromLatin1(kPaneTexts[i])) + 8);
    bar->addPermanentWidget(label);
    panes_[i] = label;
  }
  timer_ = new QTimer(this);
  connect(timer_, &QTimer::timeout, this, &LockKeyPanes::refresh);
  timer_->start(kPollMs);
  refresh();
}

void LockKeyPanes::refresh() {
  const std::optional<LockKeys> keys = reader_ ? reader_() : std::nullopt;
  const std::array<bool, 4> on = keys ? std::array<bool, 4>{keys->kana, keys->caps, keys->num,
                                                            keys->scroll}
                                      : std::array<bool, 4>{};
  for (size_t i = 0; i < panes_.size(); ++i) {
    const QString text = on[i] ? QString::fromLatin1(kPaneTexts[i]) : QString();
    if (panes_[i]->text() != text) panes_[i]->setText(text);
  }
}

}  // namespace vellary::app
