// The folder named like a document, beside it: where a document's page images are kept when the
// paths it records do not lead to them, and where pages made from scans are written. And the one
// page image look-up that the views, the exporters, saving and recognition share.
#pragma once

#include <string>
#include <string_view>

#include "model/records.h"

namespace vellary::model {

// /data/book.xml → /data/book; book.xml → book; empty when the path names no file.
std::string documentImageFolder(const std::string& documentPath);

// The picture of a recorded path in the folder named like the document: its file name (after the
// last slash or backslash: recorded paths often come from Windows) in that folder. /data/book.xml
// and C:\Scan\p1.tif give /data/book/p1.tif. Empty when either path gives no name.
std::string pictureInDocumentFolder(const std::string& documentPath, std::string_view recorded);

// Where a page's picture is. The recorded path (the page's fullpath, else its file name; a
// relative one is taken relative to the document's folder) when a file is there; else the picture
// of that name in the folder named like the document when one is there, and `inDocumentFolder`
// says so; else the recorded path as it was recorded, to name what is missing. UTF-8; empty when
// the page records no picture.
std::string findPageImage(const PageData& page, const std::string& documentPath,
                          bool* inDocumentFolder = nullptr);

}  // namespace vellary::model
