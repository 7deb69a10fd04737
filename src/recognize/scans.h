// Recognising many pages on every core, and a new document made from scans.
//
// Pages run through jobs::runOrdered: each worker thread keeps one engine, pages are recognised
// in parallel, and their records reach the calling thread in page order while it pumps the
// progress; Cancel keeps the pages delivered so far. Nothing here touches a document: the caller
// does that with each page it is handed.
//
// The editor calls these on its GUI thread with its progress dialog as the Progress: the dialog's
// pump() lets the window's events through while the workers run, its Cancel ends the run, and
// every page arrives on the GUI thread, where the document may be changed.
//  - New document from scans: newDocumentFromScans(files, name, options, &dialog), `name` the
//    path the new document is to have (its page pictures go into the folder named like it); the
//    paper it returns (also after a cancel) is opened as an unsaved document and re-composed as
//    after an open.
//  - Re-recognising pages: recognisePages({PageSource{picture path, 0, false}, …}, options,
//    &dialog, deliver), the picture path from the page image look-up; deliver(index, page) puts
//    the recognised blocks, size and resolution into the document's page (keeping its number and
//    file names) as one undo step, re-composes its side lines and returns true.
//  - options.threads from the recognition-threads setting (AppSettings::recognitionThreads).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/picture.h"
#include "jobs/ordered_jobs.h"
#include "model/progress.h"
#include "model/records.h"
#include "recognize/page.h"
#include "recognize/sources.h"

namespace vellary::recognize {

// The resolution PDF pages are rendered at, and pictures that give none are taken to have.
inline constexpr int kScanDpi = 400;

struct RecogniseOptions {
  PageOptions page;  // language; resolution of PDF pages and of pictures that give none
  int threads = 0;   // worker threads; 0 or less: one per core
  std::string modelFolder;  // empty: the engine's default folder
};

// Runs in the worker after a page was recognised, with the page's picture: a caller that keeps
// the pictures (a new document writes them) does it there. It may throw to fail the run.
using AfterPage =
    std::function<void(int index, const imaging::CPictInfo& picture, model::PageData& page)>;

// Recognises `sources` and hands each page to deliver(index, page) on the calling thread, in
// order; deliver returning false stops the run. The models the language needs are loaded before
// any page is read (the progress already has its range and text and is pumped meanwhile): a
// missing one fails the run at once with a message (RunEnd::Failed, failedIndex −1). A page that cannot be loaded fails the run with its message. The progress
// (optional) gets the range, a step and a text per page ("n / N ページ（残り約 S 秒）") and is
// pumped while the calling thread waits; its Cancel ends the run.
// After a failure `problem` (optional) says what failed: the model, or the page that failed.
jobs::RunResult recognisePages(const std::vector<PageSource>& sources,
                               const RecogniseOptions& options, model::Progress* progress,
                               const std::function<bool(int, model::PageData&&)>& deliver,
                               const AfterPage& afterPage = {}, ScanProblem* problem = nullptr);

struct ScansOutcome {
  // The new document (Shift_JIS, pages numbered, file names set); null after a failure. After a
  // cancel it holds the pages done.
  std::unique_ptr<model::PaperData> paper;
  jobs::RunEnd end = jobs::RunEnd::Completed;
  std::string error;    // why it failed
  ScanProblem problem;  // the same, for a message in the user's words
  std::string imageFolder;  // where the page images were written
};

// A new document from picture files and PDFs that is to be saved as `documentPath`: every page is
// recognised and its picture written into the folder named like the document (created when
// missing) as p0001.tif, p0002.jpg …: bilevel pages as CCITT Group 4 TIFF, JPEG files as they
// are, other pages as JPEG. Each page records its file name and full path. Nothing is written
// when a file cannot be read, a PDF has no pages, a model is missing or an input would be
// overwritten; a failure on the way removes what the run wrote; a cancel keeps the pages done and
// their pictures.
ScansOutcome newDocumentFromScans(const std::vector<std::string>& files,
                                  const std::string& documentPath,
                                  const RecogniseOptions& options, model::Progress* progress);

// The editor's message for a problem: what failed and where, in Japanese (UTF-8).
std::string scanProblemText(const ScanProblem& problem);

}  // namespace vellary::recognize
