// Message boxes for the prompter seam.
#include "app/qt_prompter.h"

#include <QMessageBox>
#include <cstdio>
#include <cstdlib>

namespace vellary::app {

using appcore::Answer;
using appcore::Buttons;

namespace {

QMessageBox::StandardButton buttonFor(Answer a) {
  switch (a) {
    case Answer::Ok:
      return QMessageBox::Ok;
    case Answer::Cancel:
      return QMessageBox::Cancel;
    case Answer::Yes:
      return QMessageBox::Yes;
    case Answer::No:
      return QMessageBox::No;
  }
  return QMessageBox::Ok;
}

QString fromView(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

Answer MessageBoxPrompter::ask(std::string_view text, std::string_view caption, Buttons buttons,
                               Answer defaultAnswer, appcore::Icon icon) {
  if (const char* unattended = std::getenv("VELLARY_UNATTENDED"); unattended && *unattended) {
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                 static_cast<int>(text.size()), text.data());
    return defaultAnswer;
  }
  QMessageBox box(parent_);
  box.setWindowTitle(fromView(caption));
  box.setText(fromView(text));
  switch (icon) {
    case appcore::Icon::Information:
      box.setIcon(QMessageBox::Information);
      break;
    case appcore::Icon::Warning:
      box.setIcon(QMessageBox::Warning);
      break;
    case appcore::Icon::Error:
      box.setIcon(QMessageBox::Critical);
      break;
    case appcore::Icon::Question:
      box.setIcon(QMessageBox::Question);
      break;
    case appcore::Icon::None:
      break;
  }
  switch (buttons) {
    case Buttons::Ok:
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case Buttons::OkCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      break;
    case Buttons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      break;
    case Buttons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
  }
  box.setDefaultButton(buttonFor(defaultAnswer));
  switch (box.exec()) {
    case QMessageBox::Cancel:
      return Answer::Cancel;
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    case QMessageBox::Ok:
      return Answer::Ok;
    default:
      break;
  }
  // Closed without a button: the answer that changes nothing.
  if (buttons == Buttons::Ok) return Answer::Ok;
  return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
}

}  // namespace vellary::app
