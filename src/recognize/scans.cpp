// Pages recognised on every core; a new document from scans.
#include "recognize/scans.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <future>
#include <optional>
#include <set>
#include <stdexcept>

#include "imaging/picture_file.h"
#include "model/atomic_file.h"
#include "model/image_folder.h"
#include "model/paper.h"
#include "model/text.h"

namespace vellary::recognize {

namespace fs = std::filesystem;

namespace {

// Thrown by a page whose work the run's stop cut short: the scheduler takes the page for one not
// done (a gap), and a cancelled run keeps the pages before it.
struct Stopped : std::runtime_error {
  Stopped() : std::runtime_error("stopped") {}
};

// A page's failure with what the user is to be told.
struct Failure : std::runtime_error {
  Failure(const std::string& what, ScanProblem p)
      : std::runtime_error(what), problem(std::move(p)) {}
  ScanProblem problem;
};

std::vector<Model> modelsFor(Language language) {
  switch (language) {
    case Language::Horizontal:
      return {Model::Horizontal};
    case Language::Vertical:
      return {Model::Vertical};
    default:
      return {Model::Horizontal, Model::Vertical};
  }
}

std::string progressText(int done, int count, double secondsLeft) {
  char text[96];
  // The time left is known once a page is done.
  if (done == 0)
    std::snprintf(text, sizeof text, "%d / %d ページ（残り時間を計算中）", done, count);
  else
    std::snprintf(text, sizeof text, "%d / %d ページ（残り約 %d 秒）", done, count,
                  static_cast<int>(secondsLeft + 0.5));
  return text;
}

std::string pageFileName(int index, const char* extension) {
  char name[32];
  std::snprintf(name, sizeof name, "p%04d.%s", index + 1, extension);
  return name;
}

}  // namespace

jobs::RunResult recognisePages(const std::vector<PageSource>& sources,
                               const RecogniseOptions& options, model::Progress* progress,
                               const std::function<bool(int, model::PageData&&)>& deliver,
                               const AfterPage& afterPage, ScanProblem* problem) {
  const int count = static_cast<int>(sources.size());
  if (problem != nullptr) *problem = ScanProblem{};
  if (count == 0) return {};
  const int threads = jobs::threadsFor(options.threads, count);
  if (progress != nullptr) {
    progress->setRange(0, count);
    progress->setPosition(0);
    progress->setText(progressText(0, count, 0));
  }
  // One engine per worker, kept by the worker index. The first loads its first model here and
  // finds the files of the others, so that a missing model fails the run before any page is
  // read; worker 0 takes it over, and every engine loads a model when it first needs it (a
  // horizontal page without ruby never needs the vertical one). Loading takes a good part of a
  // second: it runs on a thread of its own while this one pumps the progress, so that the
  // editor's dialog shows and repaints.
  std::vector<std::unique_ptr<Engine>> engines(static_cast<size_t>(threads));
  engines[0] = std::make_unique<Engine>(options.modelFolder);
  std::future<std::optional<Model>> loading =
      std::async(std::launch::async, [&engine = *engines[0], &options]() -> std::optional<Model> {
        for (Model m : modelsFor(options.page.language))
          if (!engine.available(m)) return m;
        return std::nullopt;
      });
  if (progress != nullptr)
    while (loading.wait_for(std::chrono::milliseconds(30)) != std::future_status::ready)
      progress->pump();
  if (const std::optional<Model> missing = loading.get()) {
    jobs::RunResult failed;
    failed.end = jobs::RunEnd::Failed;
    engines[0]->load(*missing, &failed.error);
    if (problem != nullptr) *problem = ScanProblem{ScanFault::Model, modelName(*missing)};
    return failed;
  }
  const auto start = std::chrono::steady_clock::now();
  jobs::RunOptions run;
  run.threads = threads;
  run.progress = progress;
  // Each worker writes the problem of its own pages only; they are read after the run.
  std::vector<ScanProblem> problems(sources.size());
  const jobs::RunResult result = jobs::runOrdered<model::PageData>(
      count, run,
      [&](int index, int worker, const jobs::StopToken& stop) {
        const PageSource& source = sources[static_cast<size_t>(index)];
        ScanProblem& pageProblem = problems[static_cast<size_t>(index)];
        try {
          std::unique_ptr<Engine>& engine = engines[static_cast<size_t>(worker)];
          if (!engine) engine = std::make_unique<Engine>(options.modelFolder);
          imaging::CPictInfo picture;
          std::string error;
          if (!loadPage(source, options.page.dpi, picture, error, &pageProblem))
            throw std::runtime_error(error);
          model::PageData page;
          if (!recognisePage(*engine, picture, options.page, page, &stop, &error)) {
            if (stop.stopRequested()) throw Stopped();
            throw std::runtime_error(
                error.empty() ? source.path + ": the page cannot be recognised" : error);
          }
          if (stop.stopRequested()) throw Stopped();
          if (afterPage) afterPage(index, picture, page);
          return page;
        } catch (const Failure& f) {
          pageProblem = f.problem;
          throw;
        } catch (const std::exception&) {
          if (pageProblem.fault == ScanFault::None)
            pageProblem = ScanProblem{ScanFault::Page, source.path, source.page};
          throw;
        }
      },
      [&](int index, model::PageData&& page) {
        const bool keep = deliver(index, std::move(page));
        if (progress != nullptr) {
          const int done = index + 1;
          const double elapsed =
              std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
          progress->step();
          progress->setText(progressText(done, count, elapsed / done * (count - done)));
        }
        return keep;
      });
  if (problem != nullptr && result.end == jobs::RunEnd::Failed && result.failedIndex >= 0)
    *problem = problems[static_cast<size_t>(result.failedIndex)];
  return result;
}

ScansOutcome newDocumentFromScans(const std::vector<std::string>& files,
                                  const std::string& documentPath,
                                  const RecogniseOptions& options, model::Progress* progress) {
  ScansOutcome out;
  out.end = jobs::RunEnd::Failed;
  std::vector<PageSource> sources;
  if (!listPages(files, sources, out.error, &out.problem)) return out;
  if (sources.empty()) {
    out.error = "no pages to recognise";
    return out;
  }
  const std::string folder = model::documentImageFolder(documentPath);
  if (folder.empty()) {
    out.error = documentPath + ": not a document file name";
    out.problem = ScanProblem{ScanFault::Folder, documentPath};
    return out;
  }
  std::error_code ec;
  const fs::path folderPath = fs::absolute(folder, ec);
  // A page picture must never replace a picture still to be read.
  std::set<fs::path> inputs;
  for (const std::string& f : files) inputs.insert(fs::weakly_canonical(f, ec));
  for (size_t i = 0; i < sources.size(); ++i)
    for (const char* extension : {"tif", "jpg"})
      if (inputs.count(fs::weakly_canonical(folderPath / pageFileName(int(i), extension), ec))) {
        out.error = (folderPath / pageFileName(int(i), extension)).string() +
                    ": the page pictures of the new document would overwrite this input";
        out.problem = ScanProblem{ScanFault::Folder, folderPath.string()};
        return out;
      }
  const bool folderExisted = fs::exists(folderPath, ec);
  if (folderExisted && !fs::is_directory(folderPath, ec)) {
    out.error = folderPath.string() + ": exists and is not a folder";
    out.problem = ScanProblem{ScanFault::Folder, folderPath.string()};
    return out;
  }
  if (!folderExisted && !fs::create_directories(folderPath, ec)) {
    out.error = folderPath.string() + ": the folder cannot be made (" + ec.message() + ")";
    out.problem = ScanProblem{ScanFault::Folder, folderPath.string()};
    return out;
  }

  // Each worker writes its page's picture; the list says what this run wrote.
  std::vector<std::string> written(sources.size());
  auto paper = std::make_unique<model::PaperData>();
  paper->encoding = 1;
  const jobs::RunResult r = recognisePages(
      sources, options, progress,
      [&](int, model::PageData&& page) {
        paper->pages.push_back(std::move(page));
        return true;
      },
      [&](int index, const imaging::CPictInfo& picture, model::PageData& page) {
        const PageSource& source = sources[static_cast<size_t>(index)];
        const bool bilevel = picture.bitsPerPixel() == 1;
        const bool jpegFile = !source.pdf && picture.fileFormat() == imaging::kFormatJpeg;
        const std::string name = pageFileName(index, bilevel ? "tif" : "jpg");
        const std::string path = (folderPath / name).string();
        std::string error;
        if (jpegFile) {
          if (!model::copyFileContents(source.path, path, error))
            throw Failure(error, ScanProblem{ScanFault::Folder, path});
        } else {
          imaging::CPictInfo copy;
          imaging::DuplicateCPictInfo(picture, copy);
          copy.fileName = path;
          copy.saveFormat = bilevel ? imaging::kFormatTiff : imaging::kFormatJpeg;
          copy.compression = imaging::kTiffG4;
          copy.quality = 90;
          if (imaging::SaveImageFileProc(copy) != imaging::kImageOk)
            throw Failure("cannot write " + path, ScanProblem{ScanFault::Folder, path});
        }
        written[static_cast<size_t>(index)] = path;
        page.file = model::fromUtf8(name);
        page.fullpath = model::fromUtf8(path);
      },
      &out.problem);
  out.end = r.end;
  out.imageFolder = folderPath.string();
  const size_t kept = r.end == jobs::RunEnd::Failed ? 0 : static_cast<size_t>(r.delivered);
  for (size_t i = kept; i < written.size(); ++i)
    if (!written[i].empty()) fs::remove(written[i], ec);
  if (r.end == jobs::RunEnd::Failed) {
    if (!folderExisted) fs::remove(folderPath, ec);  // only when empty
    out.error = r.error;
    return out;
  }
  model::renumberPages(*paper);
  model::computeMaxPageSize(*paper);
  out.paper = std::move(paper);
  return out;
}

std::string scanProblemText(const ScanProblem& problem) {
  const std::string page =
      problem.page >= 0 ? "（" + std::to_string(problem.page + 1) + " ページ目）" : std::string();
  switch (problem.fault) {
    case ScanFault::NoFile:
      return problem.path + "\nこのファイルが見つかりません。";
    case ScanFault::NotReadable:
      return problem.path +
             "\nこのファイルは読み込める画像（TIFF、PNG、JPEG、BMP）でも PDF でもないか、"
             "壊れています。";
    case ScanFault::TooLarge:
      return problem.path + page + "\n画像が大きすぎて読み込めません。";
    case ScanFault::PdfLocked:
      return problem.path + "\nこの PDF はパスワードで保護されているため読み込めません。";
    case ScanFault::PdfNoPages:
      return problem.path + "\nこの PDF にはページがありません。";
    case ScanFault::Model: {
      // The models come in packages named after them: jpn_vert in tesseract-ocr-jpn-vert.
      std::string package = "tesseract-ocr-" + problem.path;
      for (char& c : package)
        if (c == '_') c = '-';
      return "認識辞書 " + problem.path + ".traineddata が見つからないため、認識できません。\n" +
             package + " がインストールされているか確認してください。";
    }
    case ScanFault::Folder:
      return problem.path + "\nページ画像を書き込めません。";
    case ScanFault::Page:
      return problem.path + page + "\nこのページを認識できませんでした。";
    case ScanFault::None:
      break;
  }
  return "画像から認識できませんでした。";
}

}  // namespace vellary::recognize
