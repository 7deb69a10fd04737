// The folder named like a document.
#include "image_folder.h"

namespace vellary::model {

std::string documentImageFolder(const std::string& documentPath) {
  const size_t slash = documentPath.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  std::string stem = documentPath.substr(nameStart);
  if (const size_t dot = stem.rfind('.'); dot != std::string::npos && dot > 0) stem.resize(dot);
  if (stem.empty() || stem == "." || stem == "..") return {};
  return documentPath.substr(0, nameStart) + stem;
}

}  // namespace vellary::model
