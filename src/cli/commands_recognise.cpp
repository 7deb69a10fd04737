// recognise: a new document from scans (picture files and PDFs), recognised on every core,
// re-composed as opening it in the editor would, written with its page pictures.
#include <filesystem>

#include "appcore/settings.h"
#include "cli_util.h"
#include "commands.h"
#include "document/document.h"
#include "recognize/scans.h"
#include "recompose/recompose.h"
#include "rovorirud/writer.h"
#include "model/text.h"
#include "usage.h"

namespace vellary::cli {

namespace {

constexpr long kMinDpi = 50, kMaxDpi = 1200;

// The page pictures a document made from scans wrote, and their folder when it is left empty.
void removePictures(const model::PaperData& paper, const std::string& folder) {
  std::error_code ec;
  for (const model::PageData& page : paper.pages)
    if (page.fullpath) std::filesystem::remove(model::toUtf8(*page.fullpath), ec);
  std::filesystem::remove(folder, ec);  // only when empty
}

}  // namespace

int runRecognise(const std::vector<std::string>& args) {
  Options opts;
  if (std::string err = opts.parse(args, {"--lang", "--jobs", "--dpi"}); !err.empty())
    return fail(err);
  if (opts.positional().size() < 2) return fail(usageOf("recognise"));

  recognize::RecogniseOptions options;
  options.page.dpi = recognize::kScanDpi;
  if (auto v = opts.value("--lang")) {
    auto language = recognize::languageNamed(*v);
    if (!language) return fail("--lang takes jpn, jpn_vert or auto");
    options.page.language = *language;
  }
  if (auto v = opts.value("--jobs")) {
    auto n = parseInteger(*v);
    if (!n || *n < 0 || *n > appcore::kMaxRecognitionThreads)
      return fail("--jobs takes 0 (one per core) to " +
                  std::to_string(appcore::kMaxRecognitionThreads));
    options.threads = static_cast<int>(*n);
  }
  if (auto v = opts.value("--dpi")) {
    auto n = parseInteger(*v);
    if (!n || *n < kMinDpi || *n > kMaxDpi)
      return fail("--dpi takes " + std::to_string(kMinDpi) + " to " + std::to_string(kMaxDpi));
    options.page.dpi = static_cast<int>(*n);
  }
  const std::string& out = opts.positional()[0];
  const std::vector<std::string> inputs(opts.positional().begin() + 1, opts.positional().end());

  TerminalProgress progress;
  progress.setCaption("認識中");
  progress.show();
  recognize::ScansOutcome result = recognize::newDocumentFromScans(inputs, out, options, &progress);
  progress.hide();
  if (!result.paper) return fail(result.error);

  // As opening the file in the editor would leave it: side lines attached to their base, with
  // the loading options' defaults (the result must not depend on who runs the command).
  const recompose::ReComposeOptions recomposing = document::reComposeOptionsFrom({});
  for (model::PageData& page : result.paper->pages)
    recompose::ReComposeSideLines(page, recomposing.loading);

  std::string error;
  rovorirud::WriteOptions w;
  w.encoding = 1;
  if (rovorirud::writeDocumentFile(*result.paper, out, w, &error) != rovorirud::WriteOk) {
    removePictures(*result.paper, result.imageFolder);
    return fail(error);
  }
  return ExitOk;
}

}  // namespace vellary::cli
