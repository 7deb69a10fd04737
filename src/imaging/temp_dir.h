// A private temporary folder for files that another program or library must read by name (the
// Office writer's pictures, preview files). Made with mkdtemp (mode 0700, an unguessable name)
// under $TMPDIR or /tmp, and removed with everything in it when the object goes.
#pragma once

#include <optional>
#include <string>

namespace vellary::imaging {

class PrivateTempDir {
 public:
  // A new folder named prefix + six random characters; nullopt when none could be made.
  static std::optional<PrivateTempDir> create(const std::string& prefix = "vellary-");

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
  explicit PrivateTempDir(std::string path) : path_(std::move(path)) {}
  std::string path_;
};

}  // namespace vellary::imaging
