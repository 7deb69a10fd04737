// The prompter seam as message boxes.
#pragma once

#include "appcore/prompter.h"

class QWidget;

namespace vellary::app {

class MessageBoxPrompter : public appcore::Prompter {
 public:
  explicit MessageBoxPrompter(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }
  appcore::Answer ask(std::string_view text, std::string_view caption, appcore::Buttons buttons,
                      appcore::Answer defaultAnswer, appcore::Icon icon) override;

 private:
  QWidget* parent_;
};

}  // namespace vellary::app
