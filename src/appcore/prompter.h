// The prompter seam: messages and questions with their fixed texts and captions. The editor shows
// message boxes, the command line writes to the terminal, tests script the answers.
#pragma once

#include <string_view>

namespace vellary::appcore {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };
enum class Icon { None, Information, Warning, Error, Question };

class Prompter {
 public:
  virtual ~Prompter() = default;
  // Texts are UTF-8. `defaultAnswer` is the button that Enter presses.
  virtual Answer ask(std::string_view text, std::string_view caption, Buttons buttons,
                     Answer defaultAnswer, Icon icon) = 0;

  void message(std::string_view text, std::string_view caption, Icon icon = Icon::Warning) {
    ask(text, caption, Buttons::Ok, Answer::Ok, icon);
  }
};

}  // namespace vellary::appcore
