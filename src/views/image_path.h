// Where a page's image is looked for. Image paths usually come from Windows, so a backslash ends
// a folder name as well as a slash.
#pragma once

#include <string>
#include <string_view>

#include "model/records.h"

namespace vellary::views {

// The recorded path (UTF-8): the page's fullpath, else its file name; empty when it has neither.
std::string recordedImagePath(const model::PageData& page);

// The file name of a path after its last slash or backslash.
std::string_view imageFileName(std::string_view path);

// The second place for a page image whose recorded path cannot be read: the image's file name in
// the folder named like the document beside it (/data/book.xml and C:\Scan\p1.tif give
// /data/book/p1.tif). Empty when either path is empty.
std::string siblingFolderImagePath(const std::string& documentPath, const std::string& imagePath);

}  // namespace vellary::views
