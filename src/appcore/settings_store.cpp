// Settings stores: in memory and in initialisation files.
#include "settings_store.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "model/atomic_file.h"
#include "settings.h"

namespace vellary::appcore {

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

IniSettingsStore::IniSettingsStore(std::string path, TextEncoding encoding, bool escapeValues)
    : path_(std::move(path)), encoding_(encoding), escape_(escapeValues) {}

bool IniSettingsStore::load(std::string& error) {
  std::error_code ec;
  if (!std::filesystem::exists(path_, ec)) {
    doc_ = IniDocument();
    return true;
  }
  std::ifstream in(path_, std::ios::binary);
  if (!in) {
    error = "cannot read " + path_ + ": " + std::strerror(errno);
    return false;
  }
  std::stringstream bytes;
  bytes << in.rdbuf();
  doc_ = IniDocument::parse(bytes.str(), escape_);
  return true;
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
  std::error_code ec;
  std::filesystem::path dir = std::filesystem::path(path_).parent_path();
  if (!dir.empty()) std::filesystem::create_directories(dir, ec);
  return model::replaceFileContents(path_, doc_.serialize(encoding_, escape_), error);
}

std::string userSettingsPath() {
  std::string base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home ? home : "") + "/.config";
  }
  return base + "/Tolvane/" + kAppTitle + ".ini";
}

IniSettingsStore openUserSettings() {
  return IniSettingsStore(userSettingsPath(), TextEncoding::Utf8, true);
}

IniSettingsStore openSettingsFile(const std::string& path) {
  return IniSettingsStore(path, TextEncoding::Cp932, false);
}

}  // namespace vellary::appcore
