// The progress seam: what a long operation tells whoever watches it. The editor shows a dialog,
// the command line draws a bar, tests count the calls. Texts are UTF-8.
#pragma once

#include <string_view>

namespace vellary::model {

class Progress {
 public:
  virtual ~Progress() = default;
  virtual void setCaption(std::string_view caption) = 0;
  virtual void setText(std::string_view /*text*/) {}
  virtual void setRange(int /*low*/, int /*high*/) {}
  virtual void step() {}
  virtual void setPosition(int /*position*/) {}
  virtual void show() {}
  // Closes the window; a later show() opens it again.
  virtual void hide() {}
  // Lets waiting window events through (the editor keeps responding during long operations).
  virtual void pump() {}
  virtual bool cancelled() const { return false; }
};

}  // namespace vellary::model
