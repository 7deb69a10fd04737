// Runs the built vellary-cli as another program would: arguments through the shell, standard
// output captured, standard error through a file, the exit status decoded.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "temp_dir.h"

namespace vellary::testing {

struct CliResult {
  int exit = -1;
  std::string out;
  std::string err;
};

// `env` is put before the command (for example "env HOME=/tmp/x"); standard error goes to a file
// in `scratch`.
inline CliResult runCli(const std::string& args, const TempDir& scratch,
                        const std::string& env = "") {
  const std::string errFile = scratch / "stderr.txt";
  const std::string cmd =
      env + " " + std::string(VELLARY_BIN_DIR) + "/vellary-cli " + args + " 2>" + errFile;
  CliResult r;
  std::FILE* p = popen(cmd.c_str(), "r");
  if (p == nullptr) return r;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  int status = pclose(p);
  r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.err = TempDir::read(errFile);
  return r;
}

}  // namespace vellary::testing
