// Start-up and exit steps for settings and character tables.
#include "application.h"

#include "user_data.h"

namespace vellary::appcore {

bool startApplication(SettingsStore& store, Prompter& prompter, const std::string& documents,
                      const std::string& shippedExplain, Application& app) {
  if (!readAppSettings(store, prompter, app.settings)) return false;
  app.dataFolder = userDataFolder(store, documents).value_or("");
  TableFiles files = resolveTableFiles(app.settings.registTableName, app.settings.explainTableName,
                                       app.dataFolder, shippedExplain);
  // A table file that cannot be opened leaves its table empty without a message.
  app.registered.fileName = files.registTable;
  app.registered.load(files.registTable, prompter);
  app.explanations.fileName = files.explainTable;
  app.explanations.load(files.explainTable, prompter);
  return true;
}

bool exitApplication(Application& app, Prompter& prompter) {
  bool ok = app.registered.saveIfModified(prompter);
  return app.explanations.saveIfModified(prompter) && ok;
}

}  // namespace vellary::appcore
