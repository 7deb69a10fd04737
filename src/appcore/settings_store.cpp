// Settings stores: in memory and in initialisation files.
#include "settings_store.h"

#include <cerrno>
#include <charconv>
#include <filesystem>

#include "model/file_access.h"
#include "model/user_dirs.h"
#include "settings.h"

namespace vellary::appcore {

namespace {
// A settings file is a few kilobytes; anything near this is no settings file.
constexpr uint64_t kMaxFileBytes = 16u << 20;
}  // namespace

int SettingsStore::getInt(std::string_view section, std::string_view key, int defaultValue) const {
  std::optional<std::string> v = read(section, key);
  if (!v) return defaultValue;
  std::string_view s = *v;
  if (!s.empty() && s[0] == '+') s.remove_prefix(1);
  int value = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size() || s.empty()) return defaultValue;
  return value;
}

std::string SettingsStore::getString(std::string_view section, std::string_view key,
                                     std::string_view defaultValue) const {
  std::optional<std::string> v = read(section, key);
  return v ? *v : std::string(defaultValue);
}

void SettingsStore::setInt(std::string_view section, std::string_view key, int value) {
  write(section, key, std::to_string(value));
}

std::optional<std::string> MemorySettingsStore::read(std::string_view section,
                                                     std::string_view key) const {
  auto it = values_.find({std::string(section), std::string(key)});
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

void MemorySettingsStore::write(std::string_view section, std::string_view key,
                                std::string_view value) {
  values_[{std::string(section), std::string(key)}] = value;
}

IniSettingsStore::IniSettingsStore(std::string path, TextEncoding encoding, bool escapeValues,
                                   model::FileMode mode)
    : path_(std::move(path)), encoding_(encoding), escape_(escapeValues), mode_(mode) {}

bool IniSettingsStore::load(std::string& error) {
  std::string bytes;
  const int err = model::readInputFile(path_, bytes, kMaxFileBytes);
  if (err == ENOENT) {
    doc_ = IniDocument();
    return true;
  }
  if (err != 0) {
    error = "cannot read " + path_ + ": " + model::inputErrorText(err);
    return false;
  }
  loadBytes(bytes);
  return true;
}

void IniSettingsStore::loadBytes(std::string_view bytes) {
  // The store is this program's own and always UTF-8; a settings file may come from anywhere.
  doc_ = IniDocument::parse(bytes, escape_,
                            encoding_ == TextEncoding::Utf8 ? IniDocument::Decoding::Utf8
                                                            : IniDocument::Decoding::Any);
}

std::optional<std::string> IniSettingsStore::read(std::string_view section,
                                                  std::string_view key) const {
  return doc_.get(section, key);
}

void IniSettingsStore::write(std::string_view section, std::string_view key,
                             std::string_view value) {
  doc_.set(section, key, value);
}

bool IniSettingsStore::flush(std::string& error) {
  const std::string dir = std::filesystem::path(path_).parent_path().string();
  if (mode_ == model::FileMode::Private) {
    if (!model::makePrivateFolder(dir, error)) return false;
  } else if (!dir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
  }
  return model::replaceFileContents(path_, bytes(), error, mode_);
}

std::string userSettingsPath() {
  // Without a home folder the store goes to the program's private folder in the temporary one.
  std::string base = model::configHome();
  if (base.empty()) base = model::privateStateFolder() + "/config";
  return base + "/Tolvane/" + kAppTitle + ".ini";
}

IniSettingsStore openUserSettings() {
  return IniSettingsStore(userSettingsPath(), TextEncoding::Utf8, true, model::FileMode::Private);
}

IniSettingsStore openSettingsFile(const std::string& path) {
  return IniSettingsStore(path, TextEncoding::Cp932, false);
}

}  // namespace vellary::appcore
