// Menus and dialogs over the main window, taken from the screen while they are open.
#include "popup_shots.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <deque>
#include <functional>

#include "app/commands.h"
#include "app/main_frame.h"
#include "textview/correction_view.h"
#include "textview/find_dialogs.h"
#include "textview/image_view.h"

namespace vellary::shots {

namespace {

void settle(int ms = 150) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// The menu or dialog in front: a menu pops up over everything, a dialog is modal or active.
QWidget* frontPopup() {
  if (QWidget* menu = QApplication::activePopupWidget()) return menu;
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeWindow())) return dialog;
  return nullptr;
}

}  // namespace

bool grabScreen(const QWidget& window, const QString& path, bool aroundPopups) {
  constexpr int kContextX = 200, kContextY = 140;  // screen pixels of the window kept around
  QRect popups;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && w != &window) popups |= w->frameGeometry();
  QRect area = window.frameGeometry();
  if (!aroundPopups)
    area |= popups;
  else if (!popups.isNull())
    area = (popups.adjusted(-kContextX, -kContextY, kContextX, kContextY) & area) | popups;
  QScreen* screen = window.screen();
  area &= screen->geometry();
  const QPixmap shot = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
  if (shot.isNull() || !shot.save(path)) return false;
  std::printf("%s\n", qPrintable(path));
  return true;
}

namespace {

QAction* actionNamed(const QMenu& menu, const QString& start) {
  for (QAction* a : menu.actions())
    if (!a->isSeparator() && a->text().startsWith(start)) return a;
  return nullptr;
}

void key(QWidget* target, int k) {
  QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
  QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier);
  QApplication::sendEvent(target, &press);
  QApplication::sendEvent(target, &release);
}

// One picture: waits for a menu or dialog to show, lets `prepare` open what should be seen
// (a sub-menu), saves the screen, then `finish` closes it or goes on (chooses an item).
struct Step {
  QString name;
  std::function<void(QWidget*)> prepare;
  std::function<void(QWidget*)> finish;
};

// Runs the steps one after the other as their popups show; each popup's own event loop keeps
// the timer going while it is open.
class PopupSteps : public QObject {
 public:
  PopupSteps(const QWidget& window, QString out) : window_(window), out_(std::move(out)) {
    connect(&timer_, &QTimer::timeout, this, [this] { poll(); });
  }
  void add(Step step) {
    steps_.push_back(std::move(step));
    timer_.start(50);
  }
  bool done() const { return steps_.empty(); }
  bool ok() const { return ok_; }

 private:
  void poll() {
    if (steps_.empty()) {
      timer_.stop();
      return;
    }
    QWidget* popup = frontPopup();
    if (popup == nullptr || !popup->isVisible()) return;
    timer_.stop();
    Step step = std::move(steps_.front());
    steps_.pop_front();
    if (step.prepare) step.prepare(popup);
    settle(400);
    ok_ = grabScreen(window_, out_ + "/" + step.name + ".png", true) && ok_;
    if (!steps_.empty()) timer_.start(50);
    if (step.finish)
      step.finish(popup);
    else
      popup->close();
  }

  const QWidget& window_;
  QString out_;
  QTimer timer_;
  std::deque<Step> steps_;
  bool ok_ = true;
};

// A point of the page (page-image pixels) in the text view's viewport, scrolled into view.
QPoint viewportPoint(textview::CImageView& view, double zoom, int x, int y) {
  const QPoint canvas(static_cast<int>(x * zoom), static_cast<int>(y * zoom));
  QPoint at = canvas - view.scrollPosition();
  if (!view.viewport()->rect().contains(at)) {
    view.scrollTo(canvas.x() - view.viewport()->width() / 2,
                  canvas.y() - view.viewport()->height() / 3);
    settle();
    at = canvas - view.scrollPosition();
  }
  return at;
}

void click(QWidget* target, QPoint at, Qt::MouseButton button) {
  const QPoint global = target->mapToGlobal(at);
  QMouseEvent press(QEvent::MouseButtonPress, at, global, button, button, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, at, global, button, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(target, &press);
  QApplication::sendEvent(target, &release);
}

void rightClick(QWidget* target, QPoint at) {
  click(target, at, Qt::RightButton);
  QContextMenuEvent menu(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
  QApplication::sendEvent(target, &menu);
}

void trigger(QWidget* popup, const QString& item) {
  auto* menu = qobject_cast<QMenu*>(popup);
  QAction* action = menu != nullptr ? actionNamed(*menu, item) : nullptr;
  popup->close();
  if (action != nullptr) action->trigger();
}

void reject(QWidget* popup) {
  if (auto* dialog = qobject_cast<QDialog*>(popup)) dialog->reject();
}

}  // namespace

bool takePopupShots(app::CMainFrame& window, const QString& out) {
  using namespace vellary::app;
  PopupSteps steps(window, out);
  textview::CImageView& view = window.textView();
  QWidget* viewport = view.viewport();
  const double zoom = window.doc().zoom();
  // The layout display, side by side, the text view on the left.
  window.commands().dispatch(IdTextOnly);
  if (window.arrangementState().arrangement != SideBySide) window.commands().dispatch(IdSideBySide);
  if (window.arrangementState().textPane != 0) window.commands().dispatch(IdSideBySide);
  settle();

  // The menu bar's menus.
  for (auto [menuTitle, name] :
       {std::pair{"表示(&V)", "menu-view"}, {"ヘルプ(&H)", "menu-help"}, {"ファイル(&F)", "menu-file"},
        {"編集(&E)", "menu-edit"}, {"認識(&R)", "menu-recognise"}}) {
    for (QAction* a : window.menuBar()->actions())
      if (a->text() == QString::fromUtf8(menuTitle)) {
        steps.add({name, {}, {}});
        window.menuBar()->setActiveAction(a);
        settle(800);
      }
  }

  // The character menu on a 人 of the body, read with 入 as its runner-up (both explained by the
  // shipped table), then its replacement dialog.
  window.doc().setCurrentPage(0);
  settle();
  const QPoint person = viewportPoint(view, zoom, 1444 + 35, 2007 + 40);
  click(viewport, person, Qt::LeftButton);
  settle();
  steps.add({"character-menu", {}, [](QWidget* p) { trigger(p, QStringLiteral("置換")); }});
  steps.add({"replace-character-dialog", {}, reject});
  rightClick(viewport, person);
  settle(800);

  // The title's first two characters (港町) selected from the second one upwards, so that the
  // caret stands on 港: ruby and emphasis join its candidates in the menu; then ルビ設定.
  const QPoint town = viewportPoint(view, zoom, 2878 + 78, 804 + 145);
  click(viewport, town, Qt::LeftButton);
  for (int i = 0; i < 2; ++i) {
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::ShiftModifier);
    QApplication::sendEvent(&view, &up);
  }
  settle();
  steps.add({"selection-menu", {}, [](QWidget* p) { trigger(p, QStringLiteral("ルビ設定")); }});
  steps.add({"ruby-dialog", {}, reject});
  rightClick(viewport, viewportPoint(view, zoom, 2878 + 78, 631 + 75));
  settle(800);

  // Find and replace: dialogs that stay open beside the window.
  for (auto [command, name] : {std::pair{IdFind, "find-dialog"}, {IdReplace, "replace-dialog"}}) {
    window.commands().dispatch(command);
    settle(600);
    if (QWidget* dialog = window.correction().findDialog()) {
      if (!grabScreen(window, out + "/" + name + ".png", true)) return false;
      dialog->close();
      settle();
    }
  }

  // The open and export dialogs.
  steps.add({"open-dialog", {}, reject});
  window.commands().dispatch(IdFileOpen);
  settle(800);
  steps.add({"export-dialog", {}, reject});
  window.commands().dispatch(IdExport);
  settle(800);

  // Block editing: the title block chosen, its menu with the roles open.
  window.commands().dispatch(IdBlockEdit);
  settle();
  const QPoint block = viewportPoint(view, zoom, 2865 + 90, 619 + 300);
  click(viewport, block, Qt::LeftButton);
  settle();
  steps.add({"block-menu",
             [](QWidget* p) {
               key(p, Qt::Key_Down);
               key(p, Qt::Key_Right);
             },
             {}});
  rightClick(viewport, block);
  settle(800);
  window.commands().dispatch(IdCharEdit);
  settle();
  return steps.done() && steps.ok();
}

}  // namespace vellary::shots
