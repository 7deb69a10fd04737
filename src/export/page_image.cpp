// Page image resolution through the folder named like the document.
#include "export/page_image.h"

#include "model/image_folder.h"
#include "model/text.h"

namespace vellary::exporting {

std::string resolvePageImage(model::PageData& page, const std::string& documentPath) {
  bool moved = false;
  std::string path = model::findPageImage(page, documentPath, &moved);
  if (moved) page.fullpath = model::fromUtf8(path);
  return path;
}

}  // namespace vellary::exporting
