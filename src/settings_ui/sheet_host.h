// What the settings sheet is given by the frame that opens it: the settings objects it edits in
// place, the two character tables, the prompter, the common dialogs and two requests back to the
// frame. The sheet never reaches a view itself.
#pragma once

#include <functional>

#include "appcore/char_tables.h"
#include "appcore/prompter.h"
#include "appcore/settings.h"
#include "settings_ui/standard_dialogs.h"

namespace vellary::settings_ui {

struct SheetHost {
  appcore::AppSettings& app;
  appcore::FrameSettings& frame;
  appcore::CharTable& registered;
  appcore::CharTable& explanations;
  appcore::Prompter& prompter;
  StandardDialogs& dialogs;
  // The views draw again from the settings (colours and modes).
  std::function<void()> redrawText;
  // The one-line image window is placed again for its position and offset.
  std::function<void()> placeLineImage;
};

}  // namespace vellary::settings_ui
