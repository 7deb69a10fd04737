// A private temporary folder for files that another program or library must read by name (the
// Office writer's pictures and font subsets), or that must outlive a crash (the page pictures of a
// document recognised from scans, until it is saved). Made with mkdtemp (mode 0700, an unguessable
// name) in the program's private cache folder (<cache>/vellary/tmp, itself 0700) or another
// private root, and removed with everything in it when the object goes. While it lives, its
// process holds a lock on it; a folder whose process died without removing it (killed, crashed)
// holds no lock, and the next create() with the same prefix and root removes it unless a process
// has adopted it again.
#pragma once

#include <optional>
#include <string>

#include "model/file_access.h"

namespace vellary::imaging {

class PrivateTempDir {
 public:
  // A new folder named prefix + six random characters; nullopt when none could be made.
  static std::optional<PrivateTempDir> create(const std::string& prefix = "vellary-");
  // The same in `root`, made private when missing.
  static std::optional<PrivateTempDir> create(const std::string& prefix, const std::string& root);
  // Takes over a folder made by create() whose process died (a recovered document's pictures):
  // nullopt when it is no folder of this user or a living process holds it.
  static std::optional<PrivateTempDir> adopt(const std::string& path);

  PrivateTempDir(PrivateTempDir&& other) noexcept;
  PrivateTempDir& operator=(PrivateTempDir&& other) noexcept;
  PrivateTempDir(const PrivateTempDir&) = delete;
  PrivateTempDir& operator=(const PrivateTempDir&) = delete;
  ~PrivateTempDir();

  const std::string& path() const { return path_; }
  // path() + "/" + name.
  std::string file(const std::string& name) const;
  // Removes the folder and its contents now (the destructor then does nothing).
  void remove();

 private:
  PrivateTempDir(std::string path, model::UniqueFd lock)
      : path_(std::move(path)), lock_(std::move(lock)) {}
  std::string path_;
  model::UniqueFd lock_;  // the folder itself, flock'ed while it is in use
};

}  // namespace vellary::imaging
