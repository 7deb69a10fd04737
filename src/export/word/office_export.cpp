// The Office export driver: progress, the pages on every core, and the create step.
#include "export/word/office_export.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "export/page_image.h"
#include "export/word/docx_output.h"
#include "jobs/ordered_jobs.h"

namespace vellary::exporting {

namespace {

const char* captionFor(int kind) {
  switch (kind) {
    case KindPptx:
      return "PowerPointファイル保存中...";
    case KindXps:
      return "XPSファイル保存中...";
    default:
      return "Wordファイル保存中...";
  }
}

std::string withName(const char* format, const std::string& path) {
  std::string s(format);
  s.replace(s.find("%s"), 2, path);
  return s;
}

}  // namespace

int ExportOffice(model::PaperData& paper, const std::string& path, int kind, int first, int last,
                 const ExportOptions& options, std::string& error) {
  word::CDocxOutput output(kind, options.office);
  if (!output.initDocxData()) {
    error = withName(kOfficeSetupFailure, path);
    return 0;
  }
  model::Progress* progress = options.progress;
  const int pageCount = static_cast<int>(paper.pages.size());
  // The pages of the range with their images, resolved on this thread.
  std::vector<const model::PageData*> pages;
  std::vector<std::string> images;
  bool pictures = false;
  int index = 0;
  for (model::PageData& page : paper.pages) {
    if (index > last) break;
    if (index++ < first) continue;
    images.push_back(resolvePageImage(page, options.documentPath));
    pages.push_back(&page);
    pictures = pictures ||
               std::any_of(page.blocks.begin(), page.blocks.end(),
                           [](const model::BlockData& b) { return b.type == model::BlockImage; });
  }
  if (pictures) output.preparePictureFolder();
  if (progress) {
    progress->setCaption(captionFor(kind));
    progress->show();
    progress->setRange(0, pageCount * 2);
  }
  // Pages are made ready on worker threads (their pictures cut and saved) and handed to the
  // library in page order on this thread.
  int written = 0;
  jobs::RunOptions run;
  run.threads = options.jobs;
  run.progress = progress;
  const jobs::RunResult done = jobs::runOrdered<word::PreparedPage>(
      static_cast<int>(pages.size()), run,
      [&](int i, int, const jobs::StopToken&) {
        const size_t k = static_cast<size_t>(i);
        return output.preparePage(*pages[k], images[k], i);
      },
      [&](int, word::PreparedPage page) {
        if (progress) {
          progress->step();
          char caption[64];
          std::snprintf(caption, sizeof caption, "ファイル保存中　%d/%d", written + 1, pageCount);
          progress->setCaption(caption);
        }
        output.outputPage(std::move(page));
        output.addPageBreak();
        ++written;
        if (progress == nullptr) return true;
        progress->step();
        progress->pump();
        return !progress->cancelled();
      });
  if (done.end == jobs::RunEnd::Failed) {
    // A page's work could not be allocated: nothing is created.
    if (progress) progress->hide();
    error = withName(kOfficeSetupFailure, path);
    return 0;
  }
  if (progress) progress->hide();
  output.setDocumentInfo(options.info);
  const int result = output.create(path, written > 5);
  if (result != 0) {
    // The library answers with the errno value of the failure (a full disk, no permission).
    error = withName(kCreateFailure, path);
    if (result > 0) error += std::string("（") + std::strerror(result) + "）";
  }
  return result == 0 ? 1 : 0;
}

}  // namespace vellary::exporting
