// The commands of vellary-cli. Each takes the arguments after its name and returns the exit code.
#pragma once

#include <string>
#include <vector>

namespace vellary::cli {

int runDump(const std::vector<std::string>& args);
int runSave(const std::vector<std::string>& args);
int runImport(const std::vector<std::string>& args);
int runExport(const std::vector<std::string>& args);
int runRecompose(const std::vector<std::string>& args);
int runSettings(const std::vector<std::string>& args);

}  // namespace vellary::cli
