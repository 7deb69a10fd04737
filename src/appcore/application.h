// What the application object holds between start-up and exit, without any window: the
// application settings, the user data folder and the two character tables.
#pragma once

#include <string>

#include "char_tables.h"
#include "prompter.h"
#include "settings.h"
#include "settings_store.h"

namespace vellary::appcore {

struct Application {
  AppSettings settings;
  std::string dataFolder;  // empty when none could be found or made
  CharTable registered{CharTable::Kind::Registered};
  CharTable explanations{CharTable::Kind::Explanation};
};

// Start-up's settings steps: the application settings with their checks, the user data folder,
// the table files (the shipped explanation table copied in when missing) and loading both
// tables. false when a bad parameter must end the program (its message has been shown).
bool startApplication(SettingsStore& store, Prompter& prompter, const std::string& documents,
                      const std::string& shippedExplain, Application& app);

// Exit's steps for the tables: each changed table is saved to its file. A table that cannot be
// saved is reported by the prompter; false then.
bool exitApplication(Application& app, Prompter& prompter);

}  // namespace vellary::appcore
