// The PDF export drivers.
#include "export/pdf/pdf_export.h"

#include <algorithm>
#include <exception>
#include <new>

#include "export/page_image.h"
#include "export/pdf/pdf_data.h"
#include "imaging/picture_file.h"

namespace vellary::exporting {

using pdf::CPDFdata;
using pdf::CPDFfile;

namespace {

constexpr char kImageCaption[] = "PDFファイル保存中...";

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

int rangeSize(const model::PaperData& paper, int first, int last) {
  const int pages = static_cast<int>(paper.pages.size());
  const int from = std::max(first, 0), to = std::min(last, pages - 1);
  return to >= from ? to - from + 1 : 0;
}

const char* failureText(const std::exception& e) {
  if (dynamic_cast<const std::bad_alloc*>(&e) != nullptr) return "メモリが不足しています。";
  return e.what();
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
  // The text PDF writer shows no progress: it only lets waiting events through once per page.
  model::Progress* progress = options.progress;
  try {
    CPDFfile file;
    int index = 0;
    for (model::PageData& page : paper.pages) {
      if (index > last) break;
      if (index++ < first) continue;
      const std::string image = resolvePageImage(page, options.documentPath);
      CPDFdata data = compositionFor(page, image);
      std::vector<imaging::PictRect> figures;
      for (const model::BlockData& block : page.blocks)
        if (block.type == model::BlockImage)
          figures.push_back({block.x, block.y, block.x + block.width, block.y + block.height});
      data.addFigures(image, figures, 72, 75);
      data.composeTextRuns(page);
      data.composeTables(page);
      file.AddPage(data.page());
      if (progress) progress->pump();
    }
    setInfo(file, options.info);
    return file.Write(path);
  } catch (const std::exception& e) {
    error = failureText(e);
    return 0;
  }
}

int ExportPdfImage(model::PaperData& paper, const std::string& path, int first, int last,
                   bool highCompression, const ExportOptions& options, std::string& error) {
  model::Progress* progress = options.progress;
  const ImageQuality quality = imageQualityFor(options.imageQuality);
  if (progress) {
    progress->setCaption(kImageCaption);
    progress->show();
    progress->setRange(0, rangeSize(paper, first, last) * 2 + 2);
    progress->step();
  }
  int result = 0;
  try {
    CPDFfile file;
    bool cancelled = false;
    int index = 0;
    for (model::PageData& page : paper.pages) {
      if (index > last) break;
      if (index++ < first) continue;
      if (progress) progress->step();
      const std::string image = resolvePageImage(page, options.documentPath);
      CPDFdata data = compositionFor(page, image);
      if (highCompression)
        data.composeHighCompression(image, page, quality.resolution, quality.jpegQuality);
      else
        data.addFigures(image, {{0, 0, data.width(), data.height()}}, quality.resolution,
                        quality.jpegQuality);
      data.composeInvisibleText(page);
      file.AddPage(data.page());
      if (progress) {
        progress->step();
        progress->pump();
        if (progress->cancelled()) {
          cancelled = true;
          break;
        }
      }
    }
    if (cancelled) {
      result = 1;
    } else {
      setInfo(file, options.info);
      result = file.Write(path);
    }
  } catch (const std::exception& e) {
    error = failureText(e);
    result = 0;
  }
  if (progress) {
    progress->step();
    progress->hide();
  }
  return result;
}

}  // namespace vellary::exporting
