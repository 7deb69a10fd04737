// Exporting the open document: the frame's settings become the writers' options, and a failure
// the writers report reaches the user.
#include "document_export.h"

#include "export/document_info.h"
#include "model/text.h"

namespace vellary::document {

exporting::ExportOptions exportOptionsFrom(const appcore::FrameSettings& frame,
                                           const std::string& userName) {
  exporting::ExportOptions o;
  o.info = exporting::makeDocumentInfo(frame.pdfFileTitle, frame.pdfFileSubtitle, frame.pdfAuthor,
                                       frame.pdfKeywords, frame.pdfAuthorCheck == 1,
                                       frame.pdfCreator, frame.pdfProducer, userName);
  o.imageQuality = frame.pdfImageQuality;
  o.embedFonts = frame.pdfEmbedFonts != 0;
  o.archive = frame.pdfArchive != 0;
  o.jobs = frame.exportJobs;
  o.text.ruby = frame.textRubyNotation == 1 ? exporting::RubyNotation::Aozora
                                            : exporting::RubyNotation::None;
  o.office.wordColumns = frame.wordColumns;
  o.office.rubyInline = frame.rubyInsert == 1;
  o.office.rubyTarget = frame.rubyTarget;
  o.office.rubyOpen = frame.rubyOpen;
  o.office.rubyClose = frame.rubyClose;
  return o;
}

int exportDocument(CScrivlaDoc& doc, const exporting::ExportRequest& request,
                   const appcore::FrameSettings& frame, appcore::Prompter& prompter,
                   model::Progress* progress, const std::string& officeLibrary) {
  if (doc.paper() == nullptr) return 0;
  exporting::ExportOptions options = exportOptionsFrom(
      frame, frame.pdfAuthor.empty() && frame.pdfAuthorCheck == 1 ? exporting::currentUserName()
                                                                  : std::string());
  options.documentPath = doc.pathName();
  // A document without a title of its own is called by its file's name.
  if (options.info.title.empty())
    options.info.title = model::fromUtf8(exporting::documentTitleFromPath(doc.pathName()));
  options.progress = progress;
  options.office.libraryPath = officeLibrary;
  const exporting::ExportOutcome out = exporting::ExportDocument(*doc.paper(), request, options);
  if (!out.error.empty()) prompter.message(out.error, "エラー", appcore::Icon::Error);
  return out.result;
}

}  // namespace vellary::document
