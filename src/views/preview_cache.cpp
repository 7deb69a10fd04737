// The page list's preview files.
#include "views/preview_cache.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "model/user_dirs.h"

namespace fs = std::filesystem;

namespace vellary::views {

namespace {

// FNV-1a: stable across runs and builds, unlike std::hash.
uint64_t fnv1a(const std::string& text) {
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : text) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

}  // namespace

PreviewCache::PreviewCache(std::string folder, uint64_t limitBytes)
    : folder_(std::move(folder)), limit_(limitBytes) {}

std::string PreviewCache::pathFor(const std::string& imagePath, int previewWidth) const {
  std::error_code ec;
  const auto size = fs::file_size(imagePath, ec);
  if (ec) return {};
  const auto stamp = fs::last_write_time(imagePath, ec);
  if (ec) return {};
  const std::string key = imagePath + '\n' + std::to_string(size) + '\n' +
                          std::to_string(stamp.time_since_epoch().count()) + '\n' +
                          std::to_string(previewWidth);
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(fnv1a(key)));
  return folder_ + "/" + fs::path(imagePath).stem().string() + "-" + hex + ".prv";
}

bool PreviewCache::prepare() const {
  // A preview shows the page: it is as private as the document, whatever the document's mode.
  std::string error;
  return model::makePrivateFolder(folder_, error);
}

void PreviewCache::prune() const {
  std::error_code ec;
  struct Entry {
    fs::path path;
    uint64_t size;
    fs::file_time_type time;
  };
  std::vector<Entry> entries;
  uint64_t total = 0;
  for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->path().extension() != ".prv" || !it->is_regular_file(ec)) continue;
    Entry e{it->path(), it->file_size(ec), it->last_write_time(ec)};
    if (ec) continue;
    total += e.size;
    entries.push_back(std::move(e));
  }
  if (total <= limit_) return;
  std::sort(entries.begin(), entries.end(),
            [](const Entry& a, const Entry& b) { return a.time < b.time; });
  for (const Entry& e : entries) {
    if (total <= limit_) break;
    if (fs::remove(e.path, ec)) total -= e.size;
  }
}

std::string defaultPreviewFolder() { return model::privateCacheFolder() + "/previews"; }

}  // namespace vellary::views
