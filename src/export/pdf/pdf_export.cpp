// The PDF export drivers: pages are composed on worker threads and added to the file in page
// order on the calling thread, so that the file is the same whatever the number of threads.
#include "export/pdf/pdf_export.h"

#include <algorithm>
#include <exception>
#include <new>

#include "export/page_image.h"
#include "export/pdf/pdf_data.h"
#include "imaging/picture_file.h"
#include "jobs/ordered_jobs.h"

namespace vellary::exporting {

using pdf::CPDFdata;
using pdf::CPDFfile;

namespace {

constexpr char kImageCaption[] = "PDFファイル保存中...";
constexpr char kNoMemory[] = "メモリが不足しています。";
// The longest description a figure takes from its caption.
constexpr size_t kLongestAlt = 200;

// The page's size and resolution, taking what the image says where the page does not know.
CPDFdata compositionFor(const model::PageData& page, const std::string& imagePath) {
  int width = page.width, height = page.height, dpi = page.dpi;
  if (width <= 0 || height <= 0 || dpi <= 0) {
    imaging::CPictInfo header;
    header.fileName = imagePath;
    if (imaging::LookImageInfo(header) > 0) {
      if (width <= 0) width = header.width();
      if (height <= 0) height = header.height();
      if (dpi <= 0) dpi = header.xResolution();
    }
  }
  return CPDFdata(width, height, dpi);
}

void setInfo(CPDFfile& file, const DocumentInfo& info) {
  file.setCreator(info.creator);
  file.setProducer(info.producer);
  file.setTitle(info.title);
  file.setSubject(info.subject);
  file.setAuthor(info.author);
  file.setKeywords(info.keywords);
}

const char* failureText(const std::exception& e) {
  if (dynamic_cast<const std::bad_alloc*>(&e) != nullptr) return kNoMemory;
  return e.what();
}

// The normal lines' text of a text block.
std::u16string blockText(const model::BlockData& block) {
  std::u16string out;
  for (const model::LineData& l : block.lines) {
    if (l.attr != model::AttrNone) continue;
    for (const model::CharData& c : l.chars)
      for (char16_t u : c.text)
        if (u != 0 && u != u'\r' && u != u'\t') out += u;
  }
  return out;
}

// A figure is described by its caption, the text block that follows it when that begins as
// captions do; otherwise it is a figure and no more.
std::u16string figureAlt(const model::PageData& page, const model::BlockData& figure) {
  bool after = false;
  for (const model::BlockData& block : page.blocks) {
    if (&block == &figure) {
      after = true;
      continue;
    }
    if (!after || block.type != model::BlockText) continue;
    std::u16string text = blockText(block);
    if (text.rfind(u"図", 0) == 0 || text.rfind(u"写真", 0) == 0 || text.rfind(u"Fig", 0) == 0) {
      if (text.size() > kLongestAlt) text.resize(kLongestAlt);
      return text;
    }
    break;
  }
  return u"図";
}

enum class PdfKind { Text, Image, Compressed };

// The pages of the range, their images resolved on the calling thread (a resolved path is
// written back into the page).
struct RangePages {
  std::vector<model::PageData*> pages;
  std::vector<std::string> images;
};
RangePages pagesOf(model::PaperData& paper, int first, int last, const std::string& documentPath) {
  RangePages r;
  int index = 0;
  for (model::PageData& page : paper.pages) {
    if (index > last) break;
    if (index++ < first) continue;
    r.pages.push_back(&page);
    r.images.push_back(resolvePageImage(page, documentPath));
  }
  return r;
}

pdf::PdfPage composePage(const model::PageData& page, const std::string& image, PdfKind kind,
                         const ImageQuality& quality) {
  CPDFdata data = compositionFor(page, image);
  if (kind == PdfKind::Text) {
    std::vector<pdf::FigureSpec> figures;
    int order = 0;
    for (const model::BlockData& block : page.blocks) {
      if (block.type == model::BlockImage)
        figures.push_back({{block.x, block.y, block.x + block.width, block.y + block.height},
                           figureAlt(page, block),
                           order,
                           false});
      ++order;
    }
    data.addFigures(image, figures, 72, 75);
    data.composeText(page, pdf::RenderVisible);
  } else {
    if (kind == PdfKind::Compressed)
      data.composeHighCompression(image, page, quality.resolution, quality.jpegQuality);
    else
      data.addFigures(image, {pdf::FigureSpec{{0, 0, data.width(), data.height()}, {}, 0, true}},
                      quality.resolution, quality.jpegQuality);
    data.composeText(page, pdf::RenderInvisible);
  }
  return std::move(data.page());
}

// 1 written (or cancelled: nothing written), 0 failed with `error`.
int exportPdf(model::PaperData& paper, const std::string& path, int first, int last, PdfKind kind,
              const ExportOptions& options, std::string& error) {
  model::Progress* progress = options.progress;
  const ImageQuality quality = imageQualityFor(options.imageQuality);
  // The text PDF shows its progress too: pages are read on worker threads while events are let
  // through, and the shown progress keeps the main window from editing them meanwhile.
  const bool shown = progress != nullptr;
  int result = 0;
  try {
    const RangePages range = pagesOf(paper, first, last, options.documentPath);
    const int count = static_cast<int>(range.pages.size());
    if (shown) {
      progress->setCaption(kImageCaption);
      progress->show();
      progress->setRange(0, count * 2 + 2);
      progress->step();
    }
    CPDFfile file({options.embedFonts, options.archive});
    jobs::RunOptions run;
    run.threads = options.jobs;
    run.progress = progress;
    const jobs::RunResult done = jobs::runOrdered<pdf::PdfPage>(
        count, run,
        [&](int i, int, const jobs::StopToken&) {
          const size_t k = static_cast<size_t>(i);
          return composePage(*range.pages[k], range.images[k], kind, quality);
        },
        [&](int, pdf::PdfPage page) {
          file.AddPage(std::move(page));
          if (progress == nullptr) return true;
          if (shown) {
            progress->step();
            progress->step();
          }
          // Once per page at least, as the single-threaded writer did.
          progress->pump();
          return !progress->cancelled();
        });
    if (done.end == jobs::RunEnd::Failed) {
      error = done.error == std::bad_alloc().what() ? kNoMemory : done.error;
      result = 0;
    } else if (done.end == jobs::RunEnd::Cancelled || done.end == jobs::RunEnd::Refused) {
      result = 1;  // a cancelled export writes no file
    } else {
      setInfo(file, options.info);
      result = file.Write(path);
    }
  } catch (const std::exception& e) {
    error = failureText(e);
    result = 0;
  }
  if (shown) {
    progress->step();
    progress->hide();
  }
  return result;
}

}  // namespace

ImageQuality imageQualityFor(int setting) {
  switch (setting) {
    case 1:
      return {600, 75};
    case 2:
      return {600, 100};
    default:
      return {192, 30};
  }
}

int ExportPdfText(model::PaperData& paper, const std::string& path, int first, int last,
                  const ExportOptions& options, std::string& error) {
  return exportPdf(paper, path, first, last, PdfKind::Text, options, error);
}

int ExportPdfImage(model::PaperData& paper, const std::string& path, int first, int last,
                   bool highCompression, const ExportOptions& options, std::string& error) {
  return exportPdf(paper, path, first, last,
                   highCompression ? PdfKind::Compressed : PdfKind::Image, options, error);
}

}  // namespace vellary::exporting
