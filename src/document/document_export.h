// Exporting the open document with the frame's export settings.
#pragma once

#include <string>

#include "appcore/prompter.h"
#include "appcore/settings.h"
#include "document.h"
#include "export/export.h"
#include "model/progress.h"

namespace vellary::document {

// The export options the frame's settings give: the document information (the user's name as
// author when the author is empty and the setting asks for it), the image quality, and the Word
// column layout and ruby insertion of the Office output.
exporting::ExportOptions exportOptionsFrom(const appcore::FrameSettings& frame,
                                           const std::string& userName);

// Runs the request on the open document (the document's path names the folder where missing page
// images are looked for). A PDF or Office failure is shown through the prompter with the
// writer's own message. Returns the writer's result; 0 without a document. officeLibrary names
// the Office writer library to load instead of the one beside the program (tests, packagers).
int exportDocument(CScrivlaDoc& doc, const exporting::ExportRequest& request,
                   const appcore::FrameSettings& frame, appcore::Prompter& prompter,
                   model::Progress* progress, const std::string& officeLibrary = {});

}  // namespace vellary::document
