// CMainFrame: recognising scans into a new document, and recognising the pages of the open one
// again. The pages are recognised on worker threads while this (the GUI) thread pumps the
// progress dialog; every page reaches the document here, on the GUI thread.
#include <filesystem>

#include "app/main_frame.h"
#include "editing/editing_context.h"
#include "model/image_folder.h"
#include "recognize/scans.h"
#include "recognize/sources.h"

namespace vellary::app {

namespace {

constexpr char kCaption[] = "画像から認識";
constexpr char kProgressNew[] = "画像から認識中";
constexpr char kProgressAgain[] = "再認識中";

// The progress dialog for the length of a run: shown with its caption, hidden at the end
// whatever way the run ends.
class ShownProgress {
 public:
  ShownProgress(model::Progress* progress, const char* caption) : progress_(progress) {
    if (progress_ == nullptr) return;
    progress_->setCaption(caption);
    progress_->setText("");
    progress_->show();
  }
  ~ShownProgress() {
    if (progress_ != nullptr) progress_->hide();
  }
  ShownProgress(const ShownProgress&) = delete;
  ShownProgress& operator=(const ShownProgress&) = delete;

 private:
  model::Progress* progress_;
};

}  // namespace

void CMainFrame::onRecogniseScans() {
  const QString folder =
      QString::fromStdString(scansFolder_.empty() ? context_.app.xmlFolder : scansFolder_);
  const std::vector<std::string> files = dialogs_.scans(folder);
  if (files.empty()) return;
  scansFolder_ = std::filesystem::path(files.front()).parent_path().string();
  recogniseScans(files);
}

void CMainFrame::recogniseScans(const std::vector<std::string>& files) {
  if (files.empty()) return;
  // Files that give no pages are refused before anything else: the open document stays as it is
  // and no question is asked about it.
  std::vector<recognize::PageSource> pages;
  std::string error;
  recognize::ScanProblem problem;
  if (!recognize::listPages(files, pages, error, &problem)) {
    context_.prompter.message(recognize::scanProblemText(problem), kCaption);
    return;
  }
  // The new document takes the open one's place: its edits are offered for saving first.
  if (!doc_->saveModifiedBeforeClosing()) return;
  std::optional<imaging::PrivateTempDir> folder = doc_->makeScanFolder();
  if (!folder) {
    context_.prompter.message("ページ画像を置く作業用のフォルダを作れないため、認識できません。",
                              kCaption);
    return;
  }
  recognize::RecogniseOptions options;
  options.page.dpi = recognize::kScanDpi;
  options.threads = context_.app.recognitionThreads;
  recognize::ScansOutcome outcome;
  {
    ShownProgress shown(context_.progress, kProgressNew);
    // The pictures go into the private folder: newDocumentFromScans writes them into the folder
    // named like the document path it is given.
    outcome =
        recognize::newDocumentFromScans(files, folder->path() + ".xml", options, context_.progress);
  }
  if (!outcome.paper) {
    context_.prompter.message(recognize::scanProblemText(outcome.problem), kCaption);
    return;  // the folder goes, with whatever the run wrote
  }
  // Cancelled before the first page: there is no document to open.
  if (outcome.paper->pages.empty()) return;
  doc_->openScans(std::move(outcome.paper), std::move(*folder));
  const std::filesystem::path first(files.front());
  scansSaveName_ = (first.parent_path() / first.stem()).string() + ".xml";
}

void CMainFrame::onRecognisePages(bool all) {
  const int count = doc_->pageCount();
  if (count == 0) return;
  std::vector<int> indexes;
  if (all) {
    for (int i = 0; i < count; ++i) indexes.push_back(i);
  } else {
    indexes.push_back(doc_->currentPage());
  }
  // Every picture is found before any page changes.
  std::vector<recognize::PageSource> sources;
  for (int index : indexes) {
    const model::PageData* page = doc_->page(index);
    const std::string picture =
        page != nullptr ? model::findPageImage(*page, doc_->pathName()) : std::string();
    std::error_code ec;
    if (picture.empty() || !std::filesystem::is_regular_file(picture, ec)) {
      context_.prompter.message(std::to_string(index + 1) + " ページの画像" +
                                    (picture.empty() ? std::string() : " " + picture) +
                                    " が見つからないため、再認識できません。",
                                kCaption);
      return;
    }
    sources.push_back(recognize::PageSource{picture, 0, false});
  }
  recognize::RecogniseOptions options;
  options.page.dpi = recognize::kScanDpi;
  options.threads = context_.app.recognitionThreads;
  recognize::ScanProblem problem;
  jobs::RunResult result;
  {
    ShownProgress shown(context_.progress, kProgressAgain);
    // Each page takes its place as it arrives; the pages after the first join the first one's
    // undo step, so that one undo brings back every page the run replaced. After a cancel or a
    // failure the pages done stay, and that one step still undoes them all.
    bool joinStep = false;
    result = recognize::recognisePages(
        sources, options, context_.progress,
        [&](int k, model::PageData&& page) {
          editing_->putRecognisedPage(indexes[static_cast<size_t>(k)], std::move(page), joinStep);
          joinStep = true;
          return true;
        },
        {}, &problem);
  }
  if (result.end == jobs::RunEnd::Failed)
    context_.prompter.message(recognize::scanProblemText(problem), kCaption);
}

}  // namespace vellary::app
