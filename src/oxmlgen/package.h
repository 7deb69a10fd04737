// A zip package built in memory and written atomically: the file appears complete under its
// name or not at all.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace oxmlgen {

class Package {
 public:
  // Parts are stored in the order they are added; `compress` false stores them as they are
  // (pictures, which do not shrink).
  void add(std::string name, std::string bytes, bool compress = true);
  // Writes the package to a temporary file beside `path` and renames it over `path`.
  bool write(const std::string& path) const;

 private:
  struct Part {
    std::string name, bytes;
    bool compress;
  };
  std::vector<Part> parts_;
};

// Writes `bytes` to `path` through a temporary file in the same folder and a rename.
bool writeFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace oxmlgen
