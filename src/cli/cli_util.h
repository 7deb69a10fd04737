// Small helpers shared by the commands of vellary-cli: exit codes and argument parsing.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellary::document {
class HeadlessDocument;
}

namespace vellary::cli {

enum Exit : int { ExitOk = 0, ExitFailure = 1, ExitReadError = 2 };

// Prints "vellary-cli: MESSAGE" on stderr and returns ExitFailure.
int fail(std::string_view message);

// A whole decimal number with an optional sign, or nothing.
std::optional<long> parseInteger(std::string_view text);

// Options of the form "--name value" after the positional arguments.
class Options {
 public:
  // Splits args into positionals, the named options in `known` (each takes one value) and the
  // `flags` (which take none). Returns an error text, or an empty string.
  std::string parse(const std::vector<std::string>& args, const std::vector<std::string>& known,
                    const std::vector<std::string>& flags = {});
  bool flag(const std::string& name) const { return has(name); }
  const std::vector<std::string>& positional() const { return positional_; }
  std::optional<std::string> value(const std::string& name) const;
  bool has(const std::string& name) const { return value(name).has_value(); }

 private:
  std::vector<std::string> positional_;
  std::vector<std::pair<std::string, std::string>> named_;
};

// Opens a document the way the editor does (reading, then side-line re-composition). A file that
// cannot be opened is not a reader error: it fails as any other failure, with its message.
// Returns ExitOk, ExitFailure or ExitReadError; the last two have told the user why.
int openAsTheEditorDoes(const std::string& path, document::HeadlessDocument& headless);

}  // namespace vellary::cli
