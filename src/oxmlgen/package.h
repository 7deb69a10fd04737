// A zip package built in memory and written through the program's one file replacement
// (src/model/atomic_file.h, built into this library): the file appears complete under its name
// or not at all, keeping the owner, mode and links of the file it replaces.
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
  // Writes the package to `path`: 0, or an errno value saying why it could not be.
  int write(const std::string& path) const;

 private:
  struct Part {
    std::string name, bytes;
    bool compress;
  };
  std::vector<Part> parts_;
};

}  // namespace oxmlgen
