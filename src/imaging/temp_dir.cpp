// Private temporary folders.
#include "imaging/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace vellary::imaging {

std::optional<PrivateTempDir> PrivateTempDir::create(const std::string& prefix) {
  const char* base = std::getenv("TMPDIR");
  std::string root = base != nullptr && *base != '\0' ? base : "/tmp";
  if (prefix.find('/') != std::string::npos) return std::nullopt;
  std::string pattern = root + "/" + prefix + "XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  if (::mkdtemp(buf.data()) == nullptr) return std::nullopt;
  return PrivateTempDir(std::string(buf.data()));
}

PrivateTempDir::PrivateTempDir(PrivateTempDir&& other) noexcept : path_(std::move(other.path_)) {
  other.path_.clear();
}

PrivateTempDir& PrivateTempDir::operator=(PrivateTempDir&& other) noexcept {
  if (this != &other) {
    remove();
    path_ = std::move(other.path_);
    other.path_.clear();
  }
  return *this;
}

PrivateTempDir::~PrivateTempDir() { remove(); }

std::string PrivateTempDir::file(const std::string& name) const { return path_ + "/" + name; }

void PrivateTempDir::remove() {
  if (path_.empty()) return;
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
  path_.clear();
}

}  // namespace vellary::imaging
