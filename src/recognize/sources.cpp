// Listing and loading the pages of picture files and PDFs.
#include "recognize/sources.h"

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

#include <cstdio>
#include <memory>
#include <mutex>

#include "imaging/page_analysis.h"
#include "imaging/picture_file.h"
#include "imaging/picture_ops.h"

namespace vellary::recognize {

namespace {

// Poppler reports damaged files on stderr; the caller gets our own message instead.
void quietPoppler() {
  static std::once_flag once;
  std::call_once(once, [] {
    poppler::set_debug_error_function([](const std::string&, void*) {}, nullptr);
  });
}

bool startsLikePdf(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  char head[5] = {};
  const size_t n = std::fread(head, 1, sizeof head, f);
  std::fclose(f);
  return n == sizeof head && std::string(head, sizeof head) == "%PDF-";
}

void setProblem(ScanProblem* problem, ScanFault fault, const std::string& path, int page = -1) {
  if (problem != nullptr) *problem = ScanProblem{fault, path, page};
}

std::unique_ptr<poppler::document> openPdf(const std::string& path, std::string& error,
                                           ScanProblem* problem) {
  quietPoppler();
  std::unique_ptr<poppler::document> doc(poppler::document::load_from_file(path));
  if (!doc) {
    error = path + ": the PDF cannot be read";
    setProblem(problem, ScanFault::NotReadable, path);
    return nullptr;
  }
  if (doc->is_locked()) {
    error = path + ": the PDF needs a password";
    setProblem(problem, ScanFault::PdfLocked, path);
    return nullptr;
  }
  return doc;
}

std::string pictureError(const std::string& path, int result, ScanProblem* problem) {
  switch (result) {
    case imaging::kImageNoSuchFile:
      setProblem(problem, ScanFault::NoFile, path);
      return path + ": no such file";
    case imaging::kImageUnknownFormat:
      setProblem(problem, ScanFault::NotReadable, path);
      return path + ": neither a picture (TIFF, PNG, JPEG, BMP) nor a PDF";
    case imaging::kImageTooLarge:
      setProblem(problem, ScanFault::TooLarge, path);
      return path + ": the picture is too large";
    case imaging::kImageCannotOpen:
      setProblem(problem, ScanFault::NotReadable, path);
      return path + ": the file cannot be read";
    default:
      setProblem(problem, ScanFault::NotReadable, path);
      return path + ": the picture is damaged or of a kind that cannot be read";
  }
}

}  // namespace

bool hasScanExtension(const std::string& path) {
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return false;
  std::string extension = path.substr(dot + 1);
  for (char& c : extension)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  for (const char* known : {"tif", "tiff", "png", "jpg", "jpeg", "bmp", "pdf"})
    if (extension == known) return true;
  return false;
}

bool listPages(const std::vector<std::string>& files, std::vector<PageSource>& pages,
               std::string& error, ScanProblem* problem) {
  pages.clear();
  error.clear();
  setProblem(problem, ScanFault::None, {});
  for (const std::string& path : files) {
    if (startsLikePdf(path)) {
      std::unique_ptr<poppler::document> doc = openPdf(path, error, problem);
      if (!doc) break;
      const int count = doc->pages();
      if (count <= 0) {
        error = path + ": the PDF has no pages";
        setProblem(problem, ScanFault::PdfNoPages, path);
        break;
      }
      for (int i = 0; i < count; ++i) pages.push_back(PageSource{path, i, true});
      continue;
    }
    const int count = imaging::CountImagePages(path);
    if (count <= 0) {
      error = pictureError(path, count, problem);
      break;
    }
    for (int i = 0; i < count; ++i) pages.push_back(PageSource{path, i, false});
  }
  if (!error.empty()) pages.clear();
  return error.empty();
}

bool loadPage(const PageSource& source, int dpi, imaging::CPictInfo& picture, std::string& error,
              ScanProblem* problem) {
  if (!source.pdf) {
    picture.fileName = source.path;
    const int r = imaging::LoadImageFileProc(picture, 0, source.page);
    if (r != imaging::kImageOk) {
      error = pictureError(source.path, r, problem);
      return false;
    }
    if (picture.xResolution() <= 0) imaging::SetPictResolution(picture, dpi, dpi);
    return true;
  }
  // Each load opens the document itself: a poppler document is not shared between threads.
  std::unique_ptr<poppler::document> doc = openPdf(source.path, error, problem);
  if (!doc) return false;
  std::unique_ptr<poppler::page> page(doc->create_page(source.page));
  const std::string where = source.path + " page " + std::to_string(source.page + 1);
  if (!page) {
    error = where + ": the page cannot be read";
    setProblem(problem, ScanFault::Page, source.path, source.page);
    return false;
  }
  // Without smoothing a black-and-white scan stays black and white, as it was scanned.
  poppler::page_renderer renderer;
  renderer.set_render_hints(0);
  renderer.set_image_format(poppler::image::format_argb32);
  const poppler::image image = renderer.render_page(page.get(), dpi, dpi);
  if (!image.is_valid() || image.format() != poppler::image::format_argb32) {
    error = where + ": the page cannot be rendered";
    setProblem(problem, ScanFault::Page, source.path, source.page);
    return false;
  }
  const int w = image.width(), h = image.height();
  const auto* data = reinterpret_cast<const uint8_t*>(image.const_data());
  bool grey = true, blackAndWhite = true;
  for (int y = 0; y < h && grey; ++y) {
    const uint8_t* row = data + static_cast<ptrdiff_t>(y) * image.bytes_per_row();
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = row + 4 * x;  // blue, green, red, alpha
      if (p[0] != p[1] || p[1] != p[2]) {
        grey = false;
        break;
      }
      if (p[0] != 0 && p[0] != 255) blackAndWhite = false;
    }
  }
  imaging::PixelRows rows;
  rows.width = w;
  rows.height = h;
  if (grey) {
    rows.bytesPerPixel = 1;
    rows.bytesPerLine = w;
    rows.bytes.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (int y = 0; y < h; ++y) {
      const uint8_t* row = data + static_cast<ptrdiff_t>(y) * image.bytes_per_row();
      for (int x = 0; x < w; ++x) rows.bytes[static_cast<size_t>(y) * w + x] = row[4 * x];
    }
  } else {
    rows.bytesPerPixel = 4;
    rows.bytesPerLine = image.bytes_per_row();
    rows.bytes.assign(data, data + static_cast<ptrdiff_t>(h) * image.bytes_per_row());
  }
  if (const int r = imaging::MakePictFromRows(picture, rows, dpi); r != imaging::kImageOk) {
    error = where + ": the page is too large at " + std::to_string(dpi) + " dpi";
    setProblem(problem, ScanFault::TooLarge, source.path, source.page);
    return false;
  }
  if (grey && blackAndWhite) {
    imaging::CPictInfo bilevel;
    if (imaging::MakeBinDataFromGrayscaleData(picture, bilevel) == imaging::kImageOk)
      picture = std::move(bilevel);
  }
  return true;
}

}  // namespace vellary::recognize
