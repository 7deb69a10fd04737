// recompose: opening a document as the editor does (read, then side-line re-composition of every
// page), optionally re-composing all pages with joining, and writing the result.
#include <cstdio>

#include "appcore/settings.h"
#include "appcore/settings_store.h"
#include "cli_util.h"
#include "commands.h"
#include "document/document.h"
#include "document/headless.h"
#include "rovorirud/writer.h"
#include "usage.h"

namespace vellary::cli {

namespace {

struct Flag {
  const char* name;
  int appcore::FrameSettings::*field;
};

constexpr Flag kFlags[] = {
    {"--mono-ruby", &appcore::FrameSettings::monoRuby},
    {"--small-kana", &appcore::FrameSettings::rubySmallKana},
    {"--breaks", &appcore::FrameSettings::blockBreak},
    {"--leading-space", &appcore::FrameSettings::leadingSpace},
    {"--space-type", &appcore::FrameSettings::spaceType},
    {"--natural-breaks", &appcore::FrameSettings::naturalBreak},
    {"--no-block-end-break", &appcore::FrameSettings::blockEndBreak},
};

}  // namespace

int runRecompose(const std::vector<std::string>& args) {
  bool join = false;
  std::vector<std::string> rest;
  for (const std::string& a : args) {
    if (a == "--join")
      join = true;
    else
      rest.push_back(a);
  }
  std::vector<std::string> known;
  for (const Flag& f : kFlags) known.emplace_back(f.name);
  Options opts;
  if (std::string err = opts.parse(rest, known); !err.empty()) return fail(err);
  if (opts.positional().size() != 2) return fail(usageOf("recompose"));

  // The options start from the settings' defaults, not from the user's stored settings: the
  // result must not depend on who runs the command.
  appcore::FrameSettings frame;
  for (const Flag& f : kFlags) {
    if (auto v = opts.value(f.name)) {
      auto n = parseInteger(*v);
      if (!n || (*n != 0 && *n != 1)) return fail(std::string(f.name) + " takes 0 or 1");
      frame.*f.field = static_cast<int>(*n);
    }
  }

  const std::string& in = opts.positional()[0];
  const std::string& out = opts.positional()[1];
  document::HeadlessDocument headless(frame);
  if (int exit = openAsTheEditorDoes(in, headless); exit != ExitOk) return exit;
  document::CScrivlaDoc& doc = headless.doc();
  if (join) doc.reComposeAllPages();

  std::string error;
  rovorirud::WriteOptions w;  // the encoding the document was read in
  if (rovorirud::writeDocumentFile(*doc.paper(), out, w, &error) != rovorirud::WriteOk)
    return fail(error);
  return ExitOk;
}

}  // namespace vellary::cli
