// The prompter seam as message boxes. With VELLARY_UNATTENDED set in the environment no box is
// shown: each message goes to standard error and every question takes its default answer, so
// that scripts and process-level tests can run the editor without anyone at the screen.
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
