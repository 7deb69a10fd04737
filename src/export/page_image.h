// Finding a page's image before a writer reads it.
#pragma once

#include <string>

#include "model/records.h"

namespace vellary::exporting {

// The page image's path (UTF-8): the page's fullpath, or its file name when it has none; a
// relative path is taken relative to the document's folder. When no file exists there, the image
// of the same name in the folder named like the document (/data/book.xml and p001.tif give
// /data/book/p001.tif) is used when it exists, and then becomes the page's fullpath for good.
// Otherwise the recorded path is returned unchanged. Image paths usually come from Windows, so
// both separators end a folder name in them.
std::string resolvePageImage(model::PageData& page, const std::string& documentPath);

}  // namespace vellary::exporting
