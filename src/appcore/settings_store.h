// The settings seam: values by section and key. The per-user store stands for the registry branch
// of the application, the settings file (.sew) is what the user exports and imports, and the
// in-memory store serves tests.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "ini.h"
#include "model/atomic_file.h"

namespace vellary::appcore {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // Values are UTF-8 text; integers are kept as their decimal text.
  virtual std::optional<std::string> read(std::string_view section, std::string_view key) const = 0;
  virtual void write(std::string_view section, std::string_view key, std::string_view value) = 0;
  // Makes what was written durable. false with `error` set when it could not be.
  virtual bool flush(std::string& /*error*/) { return true; }

  // A value that is absent or not a whole decimal number gives the default.
  int getInt(std::string_view section, std::string_view key, int defaultValue) const;
  std::string getString(std::string_view section, std::string_view key,
                        std::string_view defaultValue) const;
  void setInt(std::string_view section, std::string_view key, int value);
  void setString(std::string_view section, std::string_view key, std::string_view value) {
    write(section, key, value);
  }
};

class MemorySettingsStore : public SettingsStore {
 public:
  std::optional<std::string> read(std::string_view section, std::string_view key) const override;
  void write(std::string_view section, std::string_view key, std::string_view value) override;
  size_t size() const { return values_.size(); }

 private:
  std::map<std::pair<std::string, std::string>, std::string> values_;
};

// A store kept in an initialisation file. Loading a missing file gives an empty store; flush
// replaces the file as model::replaceFile does, so an interrupted write leaves the previous file.
class IniSettingsStore : public SettingsStore {
 public:
  // A private store lives in a folder made private (0700) and is written 0600.
  IniSettingsStore(std::string path, TextEncoding encoding, bool escapeValues,
                   model::FileMode mode = model::FileMode::Ordinary);
  // false (with `error`) when the file exists but cannot be read (or is no regular file).
  bool load(std::string& error);
  // The store from a file's bytes, and the bytes flush writes: load and flush without the file.
  void loadBytes(std::string_view bytes);
  std::string bytes() const { return doc_.serialize(encoding_, escape_); }
  // Whether the value's line held bytes that decode to no character (IniDocument::parse).
  bool undecodable(std::string_view section, std::string_view key) const {
    return doc_.undecodable(section, key);
  }
  std::optional<std::string> read(std::string_view section, std::string_view key) const override;
  void write(std::string_view section, std::string_view key, std::string_view value) override;
  bool flush(std::string& error) override;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  TextEncoding encoding_;
  bool escape_;
  model::FileMode mode_;
  IniDocument doc_;
};

// The per-user store: $XDG_CONFIG_HOME/Tolvane/<title>.ini, always UTF-8, private to the user
// (0600 in a 0700 folder), created on the first flush.
std::string userSettingsPath();
IniSettingsStore openUserSettings();
// A settings file as the user exports and imports it: code page 932, read in any of its encodings.
IniSettingsStore openSettingsFile(const std::string& path);

}  // namespace vellary::appcore
