// Where a page's image is looked for.
#include "views/image_path.h"

#include "model/text.h"

namespace vellary::views {

std::string recordedImagePath(const model::PageData& page) {
  if (page.fullpath && !page.fullpath->empty()) return model::toUtf8(*page.fullpath);
  if (page.file) return model::toUtf8(*page.file);
  return {};
}

std::string_view imageFileName(std::string_view path) {
  const size_t cut = path.find_last_of("/\\");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

std::string siblingFolderImagePath(const std::string& documentPath, const std::string& imagePath) {
  if (documentPath.empty() || imagePath.empty()) return {};
  const std::string_view name = imageFileName(imagePath);
  if (name.empty()) return {};
  const size_t slash = documentPath.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : documentPath.substr(0, slash);
  std::string stem = documentPath.substr(slash == std::string::npos ? 0 : slash + 1);
  const size_t dot = stem.rfind('.');
  if (dot != std::string::npos && dot > 0) stem.resize(dot);
  return folder + "/" + stem + "/" + std::string(name);
}

}  // namespace vellary::views
