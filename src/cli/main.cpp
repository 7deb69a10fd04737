// vellary-cli: the batch front end. Each command is a thin client of the libraries.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli_util.h"
#include "commands.h"

namespace {

struct Command {
  const char* name;
  int (*run)(const std::vector<std::string>& args);
  const char* usage;
};

constexpr Command kCommands[] = {
    {"dump", vellary::cli::runDump, "dump [--summary] [--format F] FILE"},
    {"import", vellary::cli::runImport, "import IN OUT.xml [--format hocr|page|alto|ndl|tsv]"},
    {"save", vellary::cli::runSave,
     "save IN OUT [--encoding 0|1|2] [--first I] [--last J] [--docpath P]"},
    {"recompose", vellary::cli::runRecompose,
     "recompose IN OUT [--join] [--mono-ruby 0|1] [--small-kana 0|1] [--breaks 0|1]\n"
     "                      [--leading-space 0|1] [--space-type 0|1] [--natural-breaks 0|1]\n"
     "                      [--no-block-end-break 0|1]"},
    {"export", vellary::cli::runExport,
     "export IN OUT --kind txt|pdf|pdf-image|pdf-mrc|docx|pptx|xps|page|alto|hocr [--pages A-B]\n"
     "                      [--quality 0|1|2] [--title T] [--subject S] [--author A] [--keywords K]\n"
     "                      [--word-columns 1|2] [--ruby-inline 0|1] [--office-library PATH]"},
    {"settings", vellary::cli::runSettings, "settings show | export FILE.sew | import FILE.sew"},
};

int usage(std::FILE* out) {
  std::fprintf(out, "usage:\n");
  for (const Command& c : kCommands) std::fprintf(out, "  vellary-cli %s\n", c.usage);
  return out == stdout ? 0 : vellary::cli::ExitFailure;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage(stderr);
  if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) return usage(stdout);
  std::vector<std::string> args(argv + 2, argv + argc);
  for (const Command& c : kCommands)
    if (std::strcmp(argv[1], c.name) == 0) return c.run(args);
  vellary::cli::fail(std::string("unknown command ") + argv[1]);
  return usage(stderr);
}
