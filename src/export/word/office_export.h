// The Word, PowerPoint and XPS export driver.
#pragma once

#include <string>

#include "export/export.h"
#include "model/records.h"

namespace vellary::exporting {

inline constexpr char kOfficeSetupFailure[] = "ファイル %s が保存できません。";
inline constexpr char kCreateFailure[] = "%sは保存できませんでした";

// Pages first..last (0-based, inclusive) of the paper as kind KindDocx, KindPptx or KindXps,
// through the Office writer library. 1 when the library wrote the file; 0 otherwise, with
// `error` set to tell the user why (the library or a page could not be set up, the library did
// not write the file: with the system's reason when it gave one). Pages are made ready on
// `options.jobs` worker threads (0: one per core) and handed to the library in order. Cancel in
// the progress ends the export after the current page, and the file is still written from the
// pages done.
int ExportOffice(model::PaperData& paper, const std::string& path, int kind, int first, int last,
                 const ExportOptions& options, std::string& error);

}  // namespace vellary::exporting
