// Finding the program's own files from the running executable.
#include "model/program_files.h"

#include <filesystem>

namespace vellary::model {

namespace fs = std::filesystem;

namespace {

std::string besideProgram(const std::string& program, const char* relative) {
  if (program.empty()) return {};
  return (fs::path(program) / relative).lexically_normal().string();
}

}  // namespace

std::string programFolder() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : exe.parent_path().string();
}

std::string shareFolder(const std::string& program) { return besideProgram(program, "../share"); }

std::string dataFolder(const std::string& program) {
  return besideProgram(program, "../share/vellary");
}

std::string privateLibraryFolder(const std::string& program) {
  return besideProgram(program, "../lib/vellary");
}

std::string dataFile(std::string_view name, const std::string& program) {
  const std::string folder = dataFolder(program);
  if (folder.empty() || name.empty()) return {};
  const fs::path file = (fs::path(folder) / fs::path(name)).lexically_normal();
  std::error_code ec;
  return fs::is_regular_file(file, ec) ? file.string() : std::string();
}

const char* programVersion() { return VELLARY_VERSION; }

}  // namespace vellary::model
