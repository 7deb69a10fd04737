// A prompter for tests: records every message and answers from a script (else the default).
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "appcore/prompter.h"

namespace vellary::testing {

class RecordingPrompter : public appcore::Prompter {
 public:
  struct Shown {
    std::string text;
    std::string caption;
    appcore::Buttons buttons;
    appcore::Answer defaultAnswer;
  };

  appcore::Answer ask(std::string_view text, std::string_view caption, appcore::Buttons buttons,
                      appcore::Answer defaultAnswer, appcore::Icon) override {
    shown.push_back(Shown{std::string(text), std::string(caption), buttons, defaultAnswer});
    if (answers.empty()) return defaultAnswer;
    appcore::Answer a = answers.front();
    answers.pop_front();
    return a;
  }

  std::vector<Shown> shown;
  std::deque<appcore::Answer> answers;
};

}  // namespace vellary::testing
