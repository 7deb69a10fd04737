// vellary-cli: the batch front end. Each command is a thin client of the libraries.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cli_util.h"
#include "commands.h"
#include "usage.h"

namespace {

struct Command {
  const char* name;
  int (*run)(const std::vector<std::string>& args);
};

constexpr Command kCommands[] = {
    {"dump", vellary::cli::runDump},           {"import", vellary::cli::runImport},
    {"save", vellary::cli::runSave},           {"recompose", vellary::cli::runRecompose},
    {"export", vellary::cli::runExport},       {"recognise", vellary::cli::runRecognise},
    {"settings", vellary::cli::runSettings},
};

bool asksForHelp(std::string_view arg) { return arg == "--help" || arg == "-h"; }

}  // namespace

int main(int argc, char** argv) {
  using namespace vellary::cli;
  if (argc < 2) {
    printHelp(stderr);
    return ExitFailure;
  }
  const std::string_view first = argv[1];
  if (asksForHelp(first)) {
    printHelp(stdout);
    return std::fflush(stdout) == 0 ? ExitOk : ExitFailure;
  }
  if (first == "--version") {
    printVersion(stdout);
    return std::fflush(stdout) == 0 ? ExitOk : ExitFailure;
  }
  for (const Command& c : kCommands) {
    if (first != c.name) continue;
    if (argc > 2 && asksForHelp(argv[2])) {
      for (const CommandUsage& u : commandUsages())
        if (first == u.name) printCommandHelp(stdout, u);
      return std::fflush(stdout) == 0 ? ExitOk : ExitFailure;
    }
    return c.run(std::vector<std::string>(argv + 2, argv + argc));
  }
  fail("unknown command " + std::string(first) + " (vellary-cli --help lists the commands)");
  return ExitFailure;
}
