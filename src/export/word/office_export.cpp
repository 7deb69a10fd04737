// The Office export driver: progress, the page loop, and the create step.
#include "export/word/office_export.h"

#include <cstdio>
#include <cstring>

#include "export/page_image.h"
#include "export/word/docx_output.h"

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
  if (progress) {
    progress->setCaption(captionFor(kind));
    progress->show();
    progress->setRange(0, pageCount * 2);
  }
  int written = 0;
  int index = 0;
  for (model::PageData& page : paper.pages) {
    if (index > last) break;
    if (index++ < first) continue;
    if (progress) {
      progress->step();
      char caption[64];
      std::snprintf(caption, sizeof caption, "ファイル保存中　%d/%d", written + 1, pageCount);
      progress->setCaption(caption);
    }
    const std::string image = resolvePageImage(page, options.documentPath);
    if (!output.outputPage(page, image)) {
      if (progress) progress->hide();
      error = withName(kOfficeSetupFailure, path);
      return 0;
    }
    output.addPageBreak();
    ++written;
    if (progress) {
      progress->step();
      progress->pump();
      if (progress->cancelled()) break;
    }
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
