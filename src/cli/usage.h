// The usage of vellary-cli in one table: --help prints all of it, COMMAND --help one command's
// part, and a command whose arguments are wrong names its own synopsis.
#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace vellary::cli {

struct CommandUsage {
  const char* name;
  const char* synopsis;  // after "vellary-cli "; continuation lines start with blanks
  const char* summary;   // what the command does, one or two lines
};

std::span<const CommandUsage> commandUsages();

// "usage: vellary-cli SYNOPSIS" of the command named.
std::string usageOf(std::string_view command);

// The whole help text, or one command's part of it.
void printHelp(std::FILE* out);
void printCommandHelp(std::FILE* out, const CommandUsage& command);

// "vellary-cli VERSION".
void printVersion(std::FILE* out);

}  // namespace vellary::cli
