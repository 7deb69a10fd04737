// Argument parsing for vellary-cli.
#include "cli_util.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "document/headless.h"
#include "model/file_access.h"

namespace vellary::cli {

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
                           const std::vector<std::string>& known,
                           const std::vector<std::string>& flags) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      if (std::find(flags.begin(), flags.end(), a) != flags.end()) {
        named_.emplace_back(a, std::string());
        continue;
      }
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

TerminalProgress::TerminalProgress() : terminal_(isatty(STDERR_FILENO) == 1) {}

void TerminalProgress::setText(std::string_view text) {
  text_.assign(text);
  draw();
}

void TerminalProgress::setRange(int low, int high) {
  low_ = low;
  high_ = high;
  position_ = low;
  draw();
}

void TerminalProgress::step() {
  ++position_;
  draw();
}

void TerminalProgress::setPosition(int position) {
  position_ = position;
  draw();
}

void TerminalProgress::show() {
  shown_ = true;
  draw();
}

void TerminalProgress::hide() {
  if (shown_ && drawn_) std::fputc('\n', stderr);
  shown_ = drawn_ = false;
}

void TerminalProgress::draw() {
  if (!terminal_ || !shown_) return;
  constexpr int kWidth = 30;
  const int span = high_ > low_ ? high_ - low_ : 1;
  const int done = std::clamp((position_ - low_) * kWidth / span, 0, kWidth);
  // The line is cleared to its end: a shorter text must not leave the end of a longer one.
  std::fprintf(stderr, "\r%s [%s%s] %d/%d %s\033[K", caption_.c_str(),
               std::string(done, '#').c_str(), std::string(kWidth - done, ' ').c_str(),
               position_ - low_, span, text_.c_str());
  std::fflush(stderr);
  drawn_ = true;
}

int openAsTheEditorDoes(const std::string& path, document::HeadlessDocument& headless) {
  model::UniqueFd probe;
  if (int err = model::openInputFile(path, probe))
    return fail("cannot open " + path + ": " + model::inputErrorText(err));
  probe.reset();
  if (!headless.doc().openDocument(path)) {
    fail(path + ": " + headless.lastMessage());
    return ExitReadError;
  }
  return ExitOk;
}

}  // namespace vellary::cli
