// The user data folder and the documents folder.
#include "user_data.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "model/program_files.h"
#include "model/user_dirs.h"
#include "settings.h"

namespace vellary::appcore {

namespace fs = std::filesystem;

namespace {

std::string home() {
  const char* h = std::getenv("HOME");
  return h ? h : "";
}

// XDG_DOCUMENTS_DIR="$HOME/Documents" from the user-dirs file.
std::string documentsFromUserDirs() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string base = config && *config == '/' ? config : home() + "/.config";
  std::ifstream in(base + "/user-dirs.dirs");
  std::string line;
  while (std::getline(in, line)) {
    const std::string prefix = "XDG_DOCUMENTS_DIR=\"";
    if (line.rfind(prefix, 0) != 0 || line.size() < prefix.size() + 1 || line.back() != '"') continue;
    std::string value = line.substr(prefix.size(), line.size() - prefix.size() - 1);
    if (value.rfind("$HOME", 0) == 0) value = home() + value.substr(5);
    if (!value.empty() && value[0] == '/') return value;
  }
  return {};
}

bool isFolder(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_directory(path, ec);
}

}  // namespace

std::string documentsFolder() {
  std::string dir;
  if (const char* env = std::getenv("XDG_DOCUMENTS_DIR"); env && *env == '/') dir = env;
  if (dir.empty()) dir = documentsFromUserDirs();
  if (dir.empty()) {
    if (home().empty()) return {};
    dir = home() + "/Documents";
  }
  std::error_code ec;
  fs::create_directories(dir, ec);
  return isFolder(dir) ? dir : std::string();
}

std::optional<std::string> userDataFolder(SettingsStore& store, const std::string& documents) {
  std::optional<std::string> stored = store.read(kFolderPathSection, kUserDataFolderKey);
  if (stored && isFolder(*stored)) return *stored;
  if (documents.empty()) return std::nullopt;
  const std::string name = std::string(kAppTitle) + " User Data";
  std::string result = documents + "/" + name;
  if (!isFolder(result)) {
    result = documents + "/tolvane/" + name;
    std::error_code ec;
    fs::create_directories(result, ec);
    if (!isFolder(result)) return std::nullopt;
  }
  if (stored) store.setString(kFolderPathSection, kUserDataFolderKey, result);
  return result;
}

TableFiles resolveTableFiles(const std::string& registSetting, const std::string& explainSetting,
                             const std::string& dataFolder, const std::string& shippedExplain) {
  TableFiles t;
  t.registTable = registSetting.empty() ? dataFolder + "/registTable.csv" : registSetting;
  if (!explainSetting.empty()) {
    t.explainTable = explainSetting;
  } else {
    t.explainTable = dataFolder + "/CandidateExplain.txt";
    std::error_code ec;
    if (!fs::exists(t.explainTable, ec) && !shippedExplain.empty())
      fs::copy_file(shippedExplain, t.explainTable, fs::copy_options::skip_existing, ec);
  }
  return t;
}

std::string backupFilePath(std::string& error) {
  const std::string folder = model::privateStateFolder();
  if (!model::makePrivateFolder(folder, error)) return {};
  return folder + "/_$backup.xml";
}

std::string scanPicturesRoot() { return model::privateStateFolder() + "/scans"; }

std::string shippedExplainTable() { return model::dataFile("CandidateExplain.txt"); }

}  // namespace vellary::appcore
