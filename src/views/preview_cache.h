// The page list's preview files: one reduced copy per image file, kept between runs in the user's
// cache folder. The name depends on the image's path, its modification time and size, and the
// preview width, so a changed image or a wider page list makes a new file instead of reusing a
// stale one.
#pragma once

#include <cstdint>
#include <string>

namespace vellary::views {

class PreviewCache {
 public:
  // `folder` is created on the first store; `limitBytes` bounds what prune() leaves behind.
  explicit PreviewCache(std::string folder, uint64_t limitBytes = 64ull << 20);

  // The preview file for an image shown `previewWidth` pixels wide; empty when the image cannot
  // be looked at (it does not exist).
  std::string pathFor(const std::string& imagePath, int previewWidth) const;
  // Makes the folder exist as a private folder (0700, the user's own; previews in it are made
  // 0600); false when it cannot be one.
  bool prepare() const;
  // Deletes the least recently written previews until the folder holds at most the limit.
  void prune() const;
  const std::string& folder() const { return folder_; }

 private:
  std::string folder_;
  uint64_t limit_;
};

// <cache>/vellary/previews (model::privateCacheFolder).
std::string defaultPreviewFolder();

}  // namespace vellary::views
