#include "recent_files.h"

#include <algorithm>

namespace vellary::appcore {

namespace {

std::string keyFor(int slot) { return "File" + std::to_string(slot + 1); }

}  // namespace

void RecentFileList::add(const std::string& path) {
  if (path.empty() || capacity_ == 0) return;
  std::erase(paths_, path);
  paths_.insert(paths_.begin(), path);
  if (paths_.size() > static_cast<size_t>(capacity_)) paths_.resize(capacity_);
}

void RecentFileList::remove(size_t index) {
  if (index < paths_.size()) paths_.erase(paths_.begin() + static_cast<std::ptrdiff_t>(index));
}

void RecentFileList::load(const SettingsStore& store) {
  paths_.clear();
  for (int slot = 0; slot < capacity_; ++slot) {
    const auto value = store.read(kRecentFileSection, keyFor(slot));
    if (value && !value->empty() && std::find(paths_.begin(), paths_.end(), *value) == paths_.end())
      paths_.push_back(*value);
  }
}

void RecentFileList::save(SettingsStore& store) const {
  for (int slot = 0; slot < capacity_; ++slot) {
    const bool used = static_cast<size_t>(slot) < paths_.size();
    if (used || store.read(kRecentFileSection, keyFor(slot)))
      store.write(kRecentFileSection, keyFor(slot), used ? paths_[slot] : std::string());
  }
}

std::string recentFileCaption(size_t index, const std::string& path) {
  std::string shown;
  for (char c : path) {
    shown += c;
    if (c == '&') shown += '&';
  }
  // Entries past the ninth have no single-digit mnemonic; "1&0" keeps the 0 as it.
  const std::string number = index < 9 ? "&" + std::to_string(index + 1)
                                        : "1&" + std::to_string(index + 1 - 10);
  return number + " " + shown;
}

}  // namespace vellary::appcore
