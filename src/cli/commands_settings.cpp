// settings show | export FILE.sew | import FILE.sew: the per-user settings from a terminal.
#include <cstdio>

#include "appcore/settings.h"
#include "appcore/settings_store.h"
#include "cli_util.h"
#include "commands.h"
#include "usage.h"

namespace vellary::cli {

namespace {

// Messages go to the terminal; questions take their default answer.
class TerminalPrompter : public appcore::Prompter {
 public:
  appcore::Answer ask(std::string_view text, std::string_view caption, appcore::Buttons,
                      appcore::Answer defaultAnswer, appcore::Icon) override {
    std::fprintf(stderr, "vellary-cli: %.*s: %.*s\n", static_cast<int>(caption.size()),
                 caption.data(), static_cast<int>(text.size()), text.data());
    return defaultAnswer;
  }
};

struct Loaded {
  appcore::AppSettings app;
  appcore::FrameSettings frame;
  appcore::WindowSettings window;
};

// Reads the settings as the editor does at start-up; a bad parameter ends here as it ends the
// editor, after its message.
bool loadSettings(const appcore::SettingsStore& store, Loaded& s) {
  TerminalPrompter prompter;
  if (!appcore::readAppSettings(store, prompter, s.app)) return false;
  appcore::applyFontDefaults(s.app);
  appcore::readFrameSettings(store, s.frame);
  appcore::readWindowSettings(store, s.window);
  return true;
}

}  // namespace

int runSettings(const std::vector<std::string>& args) {
  if (args.empty()) return fail(usageOf("settings"));
  const std::string& verb = args[0];
  if ((verb == "show" && args.size() != 1) || (verb != "show" && args.size() != 2))
    return fail(usageOf("settings"));

  appcore::IniSettingsStore store = appcore::openUserSettings();
  std::string error;
  if (!store.load(error)) return fail(error);

  if (verb == "show") {
    for (const std::string& line : appcore::describeSettings(store)) std::printf("%s\n", line.c_str());
    return std::fflush(stdout) == 0 ? ExitOk : fail("cannot write to standard output");
  }
  Loaded s;
  if (!loadSettings(store, s)) return ExitFailure;
  const std::string& file = args[1];
  if (verb == "export") {
    appcore::IniSettingsStore out = appcore::openSettingsFile(file);
    appcore::exportSettings(out, s.app, s.frame);
    return out.flush(error) ? ExitOk : fail(error);
  }
  if (verb == "import") {
    // Nothing reaches the store unless the whole file could be taken in.
    if (appcore::importSettingsFile(file, s.app, s.frame, error) != appcore::ImportOutcome::Imported)
      return fail(error);
    // What closing the main window does: everything goes back to the store.
    appcore::writeAllSettings(store, s.app, s.frame, s.window);
    return store.flush(error) ? ExitOk : fail(error);
  }
  return fail(usageOf("settings"));
}

}  // namespace vellary::cli
