// The recent-file list: the files opened last, newest first, kept in the settings store between
// runs in its own section ("Recent File List", keys "File1" …).
#pragma once

#include <string>
#include <vector>

#include "settings_store.h"

namespace vellary::appcore {

inline constexpr char kRecentFileSection[] = "Recent File List";

class RecentFileList {
 public:
  explicit RecentFileList(int capacity) : capacity_(capacity < 0 ? 0 : capacity) {}

  // Moves `path` to the front, dropping an older entry of the same file and the oldest entry when
  // the list is full.
  void add(const std::string& path);
  void remove(size_t index);
  const std::vector<std::string>& paths() const { return paths_; }
  int capacity() const { return capacity_; }

  // Reads up to capacity entries; gaps and empty values are skipped.
  void load(const SettingsStore& store);
  // Writes every slot, clearing those past the list's end, so that a shorter list leaves no stale
  // entries behind.
  void save(SettingsStore& store) const;

 private:
  int capacity_;
  std::vector<std::string> paths_;
};

// The menu caption of entry `index` (0-based): its number as the mnemonic, then the path with
// ampersands doubled so that they show.
std::string recentFileCaption(size_t index, const std::string& path);

}  // namespace vellary::appcore
