// Writing a document in the open OCR formats: PAGE XML 2019-07-15, ALTO 4.4 and hOCR 1.2. The
// exporters read the records as they stand (after correction); they change nothing in them.
#pragma once

#include <string>

#include "formats/format.h"
#include "model/records.h"

namespace vellary::formats {

// One PcGts file per page. A single page goes to path itself; more pages go into the folder
// named like path without its extension (/out/book.xml → /out/book/0001.xml, 0002.xml …), which
// is made when missing. Each file replaces an earlier one whole.
bool writePageXml(const model::PaperData& paper, const std::string& path,
                  const WriteRequest& request, std::string& error);
// One ALTO file for all pages.
bool writeAlto(const model::PaperData& paper, const std::string& path, const WriteRequest& request,
               std::string& error);
// One hOCR (XHTML) file for all pages.
bool writeHocr(const model::PaperData& paper, const std::string& path, const WriteRequest& request,
               std::string& error);

// The bytes of one page's PcGts file and of the ALTO and hOCR files, for tests and callers that
// write elsewhere. `outputPath` is where the file will stand: image paths are written relative to
// its folder when the image lies inside it.
std::string pageXmlBytes(const model::PageData& page, const model::PaperData& paper,
                         const std::string& outputPath);
std::string altoBytes(const model::PaperData& paper, const WriteRequest& request,
                      const std::string& outputPath);
std::string hocrBytes(const model::PaperData& paper, const WriteRequest& request,
                      const std::string& outputPath);

}  // namespace vellary::formats
