// Page image resolution through the folder named like the document.
#include "export/page_image.h"

#include <sys/stat.h>

#include "model/text.h"

namespace vellary::exporting {

namespace {

bool isFile(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string folderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

std::string resolvePageImage(model::PageData& page, const std::string& documentPath) {
  const std::u16string* recorded = page.fullpath ? &*page.fullpath
                                   : page.file   ? &*page.file
                                                 : nullptr;
  if (recorded == nullptr || recorded->empty()) return {};
  std::string path = model::toUtf8(*recorded);
  if (path.front() != '/' && !documentPath.empty()) path = folderOf(documentPath) + path;
  if (isFile(path) || documentPath.empty()) return path;

  const size_t imageSlash = recorded->find_last_of(u"\\/");
  const std::u16string name =
      imageSlash == std::u16string::npos ? *recorded : recorded->substr(imageSlash + 1);
  const std::string folder = folderOf(documentPath);
  std::string stem = documentPath.substr(folder.size());
  if (const size_t dot = stem.rfind('.'); dot != std::string::npos) stem.resize(dot);
  if (name.empty() || stem.empty()) return path;
  std::string second = folder + stem + "/" + model::toUtf8(name);
  if (!isFile(second)) return path;
  page.fullpath = model::fromUtf8(second);
  return second;
}

}  // namespace vellary::exporting
