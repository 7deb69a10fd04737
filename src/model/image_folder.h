// The folder named like a document, beside it: where a document's page images are kept when the
// paths it records do not lead to them, and where pages made from scans are written.
#pragma once

#include <string>

namespace vellary::model {

// /data/book.xml → /data/book; book.xml → book; empty when the path names no file.
std::string documentImageFolder(const std::string& documentPath);

}  // namespace vellary::model
