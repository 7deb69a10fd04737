// The status bar's keyboard-lock panes: kana, caps, num and scroll lock, each showing its name
// while its lock is on. The states come from the X server's keyboard indicators; where there is
// no X display (Wayland without XWayland, the offscreen platform) the panes stay empty.
#pragma once

#include <QObject>
#include <array>
#include <functional>
#include <optional>

class QLabel;
class QStatusBar;
class QTimer;

namespace vellary::app {

struct LockKeys {
  bool kana = false;
  bool caps = false;
  bool num = false;
  bool scroll = false;
};

// The indicator states of the core keyboard of the application's X display; nothing without one.
std::optional<LockKeys> readX11LockKeys();

class LockKeyPanes : public QObject {
  Q_OBJECT

 public:
  using Reader = std::function<std::optional<LockKeys>()>;
  // Adds the four panes to the bar, in the order kana, caps, num, scroll.
  explicit LockKeyPanes(QStatusBar* bar, Reader reader = readX11LockKeys);

  // Reads the states now and shows them; the panes also follow a timer while the window lives.
  void refresh();
  QLabel* pane(int index) const { return panes_[static_cast<size_t>(index)]; }

 private:
  Reader reader_;
  std::array<QLabel*, 4> panes_{};
  QTimer* timer_ = nullptr;
};

}  // namespace vellary::app
