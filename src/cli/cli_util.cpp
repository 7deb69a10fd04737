// Argument parsing and atomic file output for vellary-cli.
#include "cli_util.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace vellary::cli {

namespace {
mode_t currentUmask() {
  mode_t mask = umask(0);
  umask(mask);
  return mask;
}
}  // namespace

int fail(std::string_view message) {
  std::fprintf(stderr, "vellary-cli: %.*s\n", static_cast<int>(message.size()), message.data());
  return ExitFailure;
}

std::optional<long> parseInteger(std::string_view text) {
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  long value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::string Options::parse(const std::vector<std::string>& args,
                           const std::vector<std::string>& known) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      bool isKnown = false;
      for (const std::string& k : known) isKnown |= k == a;
      if (!isKnown) return "unknown option " + a;
      if (i + 1 >= args.size()) return "option " + a + " needs a value";
      named_.emplace_back(a, args[++i]);
    } else {
      positional_.push_back(a);
    }
  }
  return {};
}

std::optional<std::string> Options::value(const std::string& name) const {
  std::optional<std::string> found;
  for (const auto& [n, v] : named_)
    if (n == name) found = v;  // the last one given wins
  return found;
}

bool replaceFile(const std::string& path, const std::function<bool(std::FILE*)>& write,
                 std::string& error) {
  namespace fs = std::filesystem;
  fs::path target(path);
  fs::path dir = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  std::string pattern = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
  int fd = mkstemp(pattern.data());
  if (fd < 0) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  std::FILE* file = fdopen(fd, "wb");
  if (file == nullptr) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    close(fd);
    unlink(pattern.c_str());
    return false;
  }
  bool ok = write(file);
  ok = std::fflush(file) == 0 && ok;
  ok = fsync(fileno(file)) == 0 && ok;
  ok = std::fclose(file) == 0 && ok;
  if (!ok) {
    error = "cannot write " + path + ": the data could not be written (disk full?)";
    unlink(pattern.c_str());
    return false;
  }
  // Keep the permissions of the file being replaced; a new file gets the usual ones.
  struct stat st {};
  if (stat(path.c_str(), &st) == 0)
    chmod(pattern.c_str(), st.st_mode & 07777);
  else
    chmod(pattern.c_str(), 0666 & ~currentUmask());
  if (std::rename(pattern.c_str(), path.c_str()) != 0) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    unlink(pattern.c_str());
    return false;
  }
  return true;
}

}  // namespace vellary::cli
