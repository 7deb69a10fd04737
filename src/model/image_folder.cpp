// The folder named like a document, and the page image look-up.
#include "image_folder.h"

#include <sys/stat.h>

#include "model/text.h"

namespace vellary::model {

namespace {

bool isFile(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string documentImageFolder(const std::string& documentPath) {
  const size_t slash = documentPath.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  std::string stem = documentPath.substr(nameStart);
  if (const size_t dot = stem.rfind('.'); dot != std::string::npos && dot > 0) stem.resize(dot);
  if (stem.empty() || stem == "." || stem == "..") return {};
  return documentPath.substr(0, nameStart) + stem;
}

std::string pictureInDocumentFolder(const std::string& documentPath, std::string_view recorded) {
  const size_t cut = recorded.find_last_of("/\\");
  const std::string_view name = cut == std::string_view::npos ? recorded : recorded.substr(cut + 1);
  const std::string folder = documentImageFolder(documentPath);
  if (name.empty() || folder.empty()) return {};
  return folder + "/" + std::string(name);
}

std::string findPageImage(const PageData& page, const std::string& documentPath,
                          bool* inDocumentFolder) {
  if (inDocumentFolder != nullptr) *inDocumentFolder = false;
  const std::u16string* recorded = page.fullpath && !page.fullpath->empty() ? &*page.fullpath
                                   : page.file                              ? &*page.file
                                                                            : nullptr;
  if (recorded == nullptr || recorded->empty()) return {};
  const std::string original = toUtf8(*recorded);
  std::string path = original;
  if (path.front() != '/' && !documentPath.empty()) {
    const size_t slash = documentPath.rfind('/');
    if (slash != std::string::npos) path = documentPath.substr(0, slash + 1) + path;
  }
  if (isFile(path)) return path;
  const std::string second = pictureInDocumentFolder(documentPath, original);
  if (!isFile(second)) return original;
  if (inDocumentFolder != nullptr) *inDocumentFolder = true;
  return second;
}

}  // namespace vellary::model
