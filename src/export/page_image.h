// Finding a page's image before a writer reads it.
#pragma once

#include <string>

#include "model/records.h"

namespace vellary::exporting {

// The page image's path (UTF-8) by the page image look-up (model::findPageImage). An image found
// in the folder named like the document (/data/book.xml and p001.tif give /data/book/p001.tif)
// becomes the page's fullpath for good, so that the file written names where it is.
std::string resolvePageImage(model::PageData& page, const std::string& documentPath);

}  // namespace vellary::exporting
