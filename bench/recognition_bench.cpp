// recognition_bench DOC.xml [--no-command-line] [--lang jpn|jpn_vert|auto]
//
// Recognises the pages of a document of known text (tools/make-sample --recognition-pages or
// --benchmark-pages: the page pictures lie in the folder named like the document) and reports:
//  - per page, the character error rate of our recognition (after re-composition, ruby excluded)
//    beside the engine's command line on the same picture (`tesseract IMG stdout -l jpn_vert
//    --psm 3`, and `-l jpn` for horizontal pages);
//  - boxes, ruby, emphasis, candidates and rejects at the default reject level (2) over all pages;
//  - wall-clock seconds per page: one worker thread, one per core, and the command line run page
//    after page (as it comes, and with its thread teams limited to one thread).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "model/text.h"
#include "recognition_check.h"
#include "recognize/scans.h"
#include "recompose/recompose.h"
#include "rovorirud/reader.h"

namespace {

using namespace vellary;
namespace check = vellary::recognition_check;
using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

std::string commandOutput(const std::string& command) {
  std::string out;
  std::FILE* p = popen(command.c_str(), "r");
  if (p == nullptr) return out;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
  pclose(p);
  return out;
}

std::string commandLine(const std::string& image, bool vertical, const std::string& env) {
  return env + " tesseract '" + image + "' stdout -l " + (vertical ? "jpn_vert" : "jpn") +
         " --psm 3 2>/dev/null";
}

bool mostlyVertical(const model::PageData& page) {
  size_t vertical = 0, all = 0;
  for (const model::BlockData& b : page.blocks)
    for (const model::LineData& l : b.lines) {
      all += l.chars.size();
      if (b.direction == model::Vertical) vertical += l.chars.size();
    }
  return vertical * 2 > all;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: recognition_bench DOC.xml [--no-command-line] "
                         "[--lang jpn|jpn_vert|auto]\n");
    return 1;
  }
  const std::string docPath = argv[1];
  bool commandLineToo = true;
  recognize::RecogniseOptions options;
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--no-command-line") {
      commandLineToo = false;
    } else if (a == "--lang" && i + 1 < argc) {
      auto language = recognize::languageNamed(argv[++i]);
      if (!language) return std::fprintf(stderr, "bad --lang\n"), 1;
      options.page.language = *language;
    }
  }
  rovorirud::ReadResult truth = rovorirud::readDocumentFile(docPath);
  if (!truth.paper) return std::fprintf(stderr, "cannot read %s\n", docPath.c_str()), 1;
  const std::string folder = docPath.substr(0, docPath.rfind('.'));
  std::vector<recognize::PageSource> sources;
  std::vector<std::string> images;
  for (model::PageData& page : truth.paper->pages) {
    recompose::ReComposeSideLines(page, recompose::LoadingOptions{});
    images.push_back(folder + "/" + model::toUtf8(page.file.value_or(u"")));
    sources.push_back(recognize::PageSource{images.back(), 0, false});
  }
  const double pages = static_cast<double>(sources.size());

  // Quality (and the time with every core).
  std::vector<model::PageData> read;
  options.threads = 0;
  Clock::time_point start = Clock::now();
  jobs::RunResult r = recognize::recognisePages(sources, options, nullptr,
                                                [&](int, model::PageData&& page) {
                                                  read.push_back(std::move(page));
                                                  return true;
                                                });
  const double allCores = seconds(start);
  if (r.end != jobs::RunEnd::Completed) return std::fprintf(stderr, "%s\n", r.error.c_str()), 1;
  for (model::PageData& page : read) recompose::ReComposeSideLines(page, recompose::LoadingOptions{});

  std::printf("| page | characters | CER (ours) | CER (command line) |\n|---|---|---|---|\n");
  check::PageCheck total;
  int commandErrors = 0;
  size_t i = 0;
  for (const model::PageData& page : truth.paper->pages) {
    const check::PageCheck c = check::checkPage(page, read[i]);
    check::add(total, c);
    std::string commandCer = "-";
    if (commandLineToo) {
      const std::u16string t = check::pageText(page);
      const std::u16string cl =
          check::plainText(commandOutput(commandLine(images[i], mostlyVertical(page), "")));
      const int e = check::editDistance(t, cl);
      commandErrors += e;
      char text[64];
      std::snprintf(text, sizeof text, "%.3f", static_cast<double>(e) / t.size());
      commandCer = text;
    }
    std::printf("| %s | %d | %.3f | %s |\n", model::toUtf8(page.file.value_or(u"")).c_str(),
                c.truthChars, static_cast<double>(c.errors) / c.truthChars, commandCer.c_str());
    ++i;
  }
  std::printf("| all | %d | %.3f | %s |\n\n", total.truthChars,
              static_cast<double>(total.errors) / total.truthChars,
              commandLineToo
                  ? std::to_string(static_cast<double>(commandErrors) / total.truthChars).c_str()
                  : "-");
  std::printf("%s\n", check::describe(total).c_str());
  if (total.misreads > 0 && total.rejects > 0)
    std::printf("rejects at level 2: recall %.2f (%d of %d misreads), precision %.2f (%d of %d "
                "rejects misread)\n\n",
                static_cast<double>(total.misreadsRejected) / total.misreads, total.misreadsRejected,
                total.misreads,
                static_cast<double>(total.rejects - total.rejectsRight) / total.rejects,
                total.rejects - total.rejectsRight, total.rejects);

  // Speed.
  options.threads = 1;
  start = Clock::now();
  r = recognize::recognisePages(sources, options, nullptr,
                                [](int, model::PageData&&) { return true; });
  const double oneJob = seconds(start);
  std::printf("seconds per page: --jobs 1 %.2f, every core (%d) %.2f", oneJob / pages,
              jobs::threadsFor(0, static_cast<int>(pages)), allCores / pages);
  if (commandLineToo) {
    for (const char* env : {"", "OMP_THREAD_LIMIT=1"}) {
      start = Clock::now();
      size_t k = 0;
      for (const model::PageData& page : truth.paper->pages)
        commandOutput(commandLine(images[k++], mostlyVertical(page), env));
      std::printf(", command line%s%s %.2f", *env ? " " : "", env, seconds(start) / pages);
    }
  }
  std::printf("\n");
  return 0;
}
