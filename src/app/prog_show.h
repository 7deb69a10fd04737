// CProgShow: the modeless progress dialog of long operations, behind the Progress seam. While it
// exists the main window is disabled; its Cancel button only raises a flag that the operation
// reads at its next pump.
#pragma once

#include <QDialog>

#include "model/progress.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace vellary::app {

class CProgShow : public QDialog {
  Q_OBJECT

 public:
  // `mainWindow` is disabled while the dialog is shown; it may be null.
  explicit CProgShow(QWidget* mainWindow);
  ~CProgShow() override;
  // The window to disable; set once the main window exists.
  void setMainWindow(QWidget* mainWindow) { mainWindow_ = mainWindow; }

  void create();
  void destroy();
  void setTitle(const QString& title);
  void setText(const QString& text);
  // "変換数 %d / %d"
  void setCount(int done, int total);
  void setRange(int low, int high);
  void setPosition(int position);
  void showCancel(bool shown);
  void enableCancel(bool enabled);
  void centreOver(QWidget* window);
  // Lets waiting events through; the cancelled flag. With the Cancel button hidden nothing is
  // pumped and the answer is false.
  bool pump();
  bool cancelled() const { return cancelled_; }
  bool exists() const { return exists_; }

  QLabel* textLabel() const { return text_; }
  QProgressBar* bar() const { return bar_; }
  QPushButton* cancelButton() const { return cancel_; }

 private:
  QWidget* mainWindow_;
  QLabel* text_;
  QProgressBar* bar_;
  QPushButton* cancel_;
  bool cancelled_ = false;
  bool exists_ = false;
};

// The seam's face of the dialog: a long operation in the core drives it through this.
class DialogProgress : public model::Progress {
 public:
  explicit DialogProgress(QWidget* mainWindow) : dialog_(mainWindow) {}
  void setCaption(std::string_view caption) override;
  void setText(std::string_view text) override;
  void setRange(int low, int high) override;
  void step() override;
  void setPosition(int position) override;
  void show() override;
  void hide() override;
  void pump() override;
  bool cancelled() const override { return dialog_.cancelled(); }
  CProgShow& dialog() { return dialog_; }

 private:
  CProgShow dialog_;
  int position_ = 0;
};

}  // namespace vellary::app
