// Recognising scans in the editor as a user does it: the menu actions pressed, the file dialog
// answered through the frame's seam, the real progress dialog pumping the window's events while
// the pages are recognised on worker threads, its Cancel button clicked. A new document from
// scans, saved beside its pictures and opened again; a cancel that keeps the page done; a page
// and all pages recognised again and undone in one step; bad input that leaves the open document
// as it was.
#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <filesystem>

#include "app/main_frame.h"
#include "editing/editing_context.h"
#include "model/image_folder.h"
#include "model/text.h"
#include "support/gui_harness.h"
#include "support/pdf_pages.h"
#include "textview/image_view.h"
#include "views/draw_view.h"
#include "views/pselect_view.h"

using namespace vellary;
using testing::FrameHarness;
namespace fs = std::filesystem;

namespace {

const std::string kData = std::string(VELLARY_SOURCE_DIR) + "/tests/recognize/data/";
const std::string kPages = kData + "recognition/";

std::u16string pageText(const model::PageData& page) {
  std::u16string s;
  for (const auto& b : page.blocks)
    for (const auto& l : b.lines) {
      for (const auto& c : l.chars)
        s += std::u16string_view(c.text.data(), static_cast<size_t>(model::charTextLength(c.text)));
      s += u"|";
    }
  return s;
}

size_t entries(const std::string& folder) {
  std::error_code ec;
  if (!fs::exists(folder, ec)) return 0;
  return static_cast<size_t>(std::distance(fs::directory_iterator(folder), {}));
}

void answerScans(app::CMainFrame& f, std::vector<std::string> files) {
  f.dialogs().scans = [files](const QString&) { return files; };
}

// Clicks the progress dialog's Cancel once `pages` pages have arrived, as a user watching it.
struct CancelAfter {
  CancelAfter(FrameHarness& h, int pages) {
    QObject::connect(&timer, &QTimer::timeout, [&h, pages, this] {
      app::CProgShow& dialog = h.progress.dialog();
      if (clicked || !dialog.exists() || dialog.bar()->value() < pages) return;
      QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
      clicked = true;
    });
    timer.start(10);
  }
  QTimer timer;
  bool clicked = false;
};

// The document of the three test pages with their known text, copied with its picture folder;
// its pages name only their pictures' files, found in the folder named like the document.
std::string copyKnownDocument(const testing::TempDir& dir) {
  fs::copy(kPages, dir / "recognition", fs::copy_options::recursive);
  fs::copy_file(kData + "recognition.xml", dir / "recognition.xml");
  return dir / "recognition.xml";
}

}  // namespace

class FrameRecogniseTest : public QObject {
  Q_OBJECT

 private slots:
  // Two pages recognised in the background: a timer of the test fires all along and sees the
  // progress dialog count the pages; the result is an unsaved document without a name, its
  // pictures in the private folder, re-composed. Save asks for a name and moves the pictures into
  // the folder named like it, where they are found again after the file is reopened.
  void twoPagesInTheBackgroundThenSavedBesideTheirDocument() {
    FrameHarness h;
    auto& f = h.make();
    answerScans(f, {kPages + "vertical.tif", kPages + "horizontal.png"});
    int whileRunning = 0;
    QStringList texts;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
      if (!h.progress.dialog().exists()) return;
      ++whileRunning;
      const QString text = h.progress.dialog().textLabel()->text();
      if (!texts.contains(text)) texts << text;
    });
    timer.start(20);
    QAction* scans = f.commands().action(app::IdRecogniseScans);
    QVERIFY(scans->isEnabled());
    scans->trigger();
    timer.stop();

    QVERIFY2(whileRunning >= 5, qPrintable(QString::number(whileRunning)));
    QVERIFY2(texts.contains(QStringLiteral("0 / 2 ページ（残り時間を計算中）")),
             qPrintable(texts.join(u',')));
    // Pages done on two workers at once may be counted together.
    QVERIFY2(!texts.filter(QStringLiteral(" / 2 ページ（残り約")).isEmpty(),
             qPrintable(texts.join(u',')));
    QVERIFY(f.isEnabled());
    QCOMPARE(f.doc().pageCount(), 2);
    QVERIFY(f.doc().pathName().empty());
    QCOMPARE(f.doc().docModified(), 1);
    QCOMPARE(f.pageList().markText(0), QStringLiteral("*"));
    QCOMPARE(f.pageList().markText(1), QStringLiteral("*"));
    QVERIFY(!f.commands().isEnabled(app::IdUndo));
    // Re-composed as an opened file: the ruby beside the vertical page's columns has its base.
    int attached = 0;
    for (const auto& block : f.doc().page(0)->blocks)
      for (const auto& line : block.lines)
        if (line.attr == model::AttrRuby && line.baseLine != nullptr) ++attached;
    QVERIFY(attached > 0);
    // The pictures live in a private folder until the first save, and the views show them.
    const std::string folder = f.doc().scanFolder();
    QVERIFY(folder.rfind(h.dir / "scans/", 0) == 0);
    for (int i = 0; i < 2; ++i) {
      const std::string picture = model::findPageImage(*f.doc().page(i), f.doc().pathName());
      QVERIFY(picture.rfind(folder + "/", 0) == 0);
      QVERIFY(fs::is_regular_file(picture));
    }
    QVERIFY(f.imageView().fullPicture() != nullptr);
    QCOMPARE(f.textView().currentPage(), f.doc().page(0));
    QVERIFY(f.editingContext().state().caret.valid());
    QVERIFY(f.commands().isEnabled(app::IdRecognisePage));

    const std::string saved = h.dir / "book.xml";
    int asked = 0;
    f.dialogs().saveAs = [&](const app::SaveAsChoice&) {
      ++asked;
      app::SaveAsChoice choice;
      choice.path = saved;
      return std::optional<app::SaveAsChoice>(choice);
    };
    f.commands().action(app::IdFileSave)->trigger();
    QCOMPARE(asked, 1);
    QCOMPARE(f.doc().pathName(), saved);
    QCOMPARE(f.doc().docModified(), 0);
    QCOMPARE(model::toUtf8(*f.doc().page(0)->fullpath), h.dir / "book/p0001.tif");
    QCOMPARE(model::toUtf8(*f.doc().page(1)->fullpath), h.dir / "book/p0002.jpg");
    QVERIFY(fs::is_regular_file(h.dir / "book/p0001.tif"));
    QVERIFY(fs::is_regular_file(h.dir / "book/p0002.jpg"));
    QVERIFY(!fs::exists(folder));
    QVERIFY(f.doc().scanFolder().empty());

    QVERIFY(f.openFile(saved));
    QCOMPARE(f.doc().pageCount(), 2);
    QCOMPARE(model::findPageImage(*f.doc().page(1), saved), h.dir / "book/p0002.jpg");
    QVERIFY(f.imageView().fullPicture() != nullptr);
  }

  // One worker, Cancel clicked once the first page has arrived: the document has that page and
  // its picture only. It is guarded by the save question like any modified document; discarding
  // it removes its pictures.
  void cancelAfterTheFirstPageKeepsThatPage() {
    FrameHarness h;
    h.app.recognitionThreads = 1;
    auto& f = h.make();
    answerScans(f, {kPages + "vertical.tif", kPages + "horizontal.png"});
    CancelAfter cancel(h, 1);
    f.commands().action(app::IdRecogniseScans)->trigger();
    QVERIFY(cancel.clicked);
    QCOMPARE(f.doc().pageCount(), 1);
    QCOMPARE(model::toUtf8(*f.doc().page(0)->file), std::string("p0001.tif"));
    const std::string folder = f.doc().scanFolder();
    QCOMPARE(entries(folder), size_t{1});
    QVERIFY(fs::is_regular_file(folder + "/p0001.tif"));
    QCOMPARE(f.doc().docModified(), 1);

    const std::string sample = testing::copySample(h.dir);
    h.prompter.answers = {appcore::Answer::No};
    QVERIFY(f.openFile(sample));
    QCOMPARE(h.prompter.shown.back().text, std::string("文書は変更されています。保存しますか?"));
    QVERIFY(!fs::exists(folder));
    QCOMPARE(entries(h.dir / "scans"), size_t{0});
  }

  // このページを再認識 replaces the current page's text with a fresh reading of its picture,
  // found in the folder named like the document; undo brings the old page back in one step.
  void thisPageAgainIsUndoneInOneStep() {
    FrameHarness h;
    auto& f = h.make();
    const std::string path = copyKnownDocument(h.dir);
    QVERIFY(f.openFile(path));
    const std::u16string before = pageText(*f.doc().page(0));
    const std::u16string second = pageText(*f.doc().page(1));
    QAction* again = f.commands().action(app::IdRecognisePage);
    QVERIFY(again->isEnabled());
    again->trigger();

    const std::u16string after = pageText(*f.doc().page(0));
    QVERIFY(after != before);
    QCOMPARE(pageText(*f.doc().page(1)), second);
    QCOMPARE(f.doc().page(0)->number, 1);
    QCOMPARE(model::toUtf8(*f.doc().page(0)->file), std::string("vertical.tif"));
    QVERIFY(f.doc().pageMarked(0));
    QCOMPARE(f.textView().currentPage(), f.doc().page(0));
    QVERIFY(f.editingContext().state().caret.valid());
    QAction* undo = f.commands().action(app::IdUndo);
    QCOMPARE(undo->text(), QStringLiteral("元に戻す - 再認識(&U)"));
    undo->trigger();
    QCOMPARE(pageText(*f.doc().page(0)), before);
    QVERIFY(f.editingContext().state().caret.valid());
    QVERIFY(!undo->isEnabled());
    f.commands().action(app::IdRedo)->trigger();
    QCOMPARE(pageText(*f.doc().page(0)), after);
  }

  // すべてのページを再認識 cancelled after the first page: that page is replaced, the others are
  // as they were, and the one undo step brings the first back.
  void allPagesCancelledAfterTheFirstUndoAsOne() {
    FrameHarness h;
    h.app.recognitionThreads = 1;
    auto& f = h.make();
    QVERIFY(f.openFile(copyKnownDocument(h.dir)));
    f.doc().setCurrentPage(2);
    std::vector<std::u16string> before;
    for (int i = 0; i < 3; ++i) before.push_back(pageText(*f.doc().page(i)));
    CancelAfter cancel(h, 1);
    f.commands().action(app::IdRecogniseAll)->trigger();
    QVERIFY(cancel.clicked);
    QVERIFY(pageText(*f.doc().page(0)) != before[0]);
    QCOMPARE(pageText(*f.doc().page(1)), before[1]);
    QCOMPARE(pageText(*f.doc().page(2)), before[2]);
    QCOMPARE(f.doc().currentPage(), 2);
    QCOMPARE(f.textView().currentPage(), f.doc().page(2));
    QVERIFY(f.editingContext().state().caret.valid());

    f.commands().action(app::IdUndo)->trigger();
    for (int i = 0; i < 3; ++i)
      QCOMPARE(pageText(*f.doc().page(i)), before[static_cast<size_t>(i)]);
    QCOMPARE(f.doc().currentPage(), 2);  // undo comes back to the page the command ran on
    QVERIFY(!f.commands().isEnabled(app::IdUndo));
  }

  // Files that give no pages, or a missing model: a message in Japanese naming the cause, no
  // question, nothing written, the open document as it was. Dropped pictures take the same way.
  void badInputLeavesTheOpenDocumentAsItWas() {
    FrameHarness h;
    auto& f = h.make();
    const std::string sample = testing::copySample(h.dir);
    QVERIFY(f.openFile(sample));
    model::PaperData* paper = f.doc().paper();
    const std::u16string text = pageText(*f.doc().page(0));
    const std::string notes = h.dir.write("notes.png", "these are notes, not a picture");
    const std::string empty = h.dir.write("empty.pdf", testing::pdfWithPages({}));
    fs::create_directories(h.dir / "no-models");
    struct Case {
      std::string file;
      const char* models;
      const char* words;
    } cases[] = {
        {notes, nullptr, "読み込める画像"},
        {empty, nullptr, "ページがありません"},
        {h.dir / "gone.tif", nullptr, "見つかりません"},
        {kPages + "vertical.tif", "no-models", "認識辞書"},
    };
    const QByteArray models = qgetenv("TESSDATA_PREFIX");
    for (const Case& c : cases) {
      if (c.models != nullptr)
        qputenv("TESSDATA_PREFIX", QByteArray::fromStdString(h.dir / c.models));
      answerScans(f, {c.file});
      const size_t shown = h.prompter.shown.size();
      f.commands().action(app::IdRecogniseScans)->trigger();
      if (c.models != nullptr) {
        if (models.isNull())
          qunsetenv("TESSDATA_PREFIX");
        else
          qputenv("TESSDATA_PREFIX", models);
      }
      QCOMPARE(h.prompter.shown.size(), shown + 1);
      const auto& message = h.prompter.shown.back();
      QCOMPARE(message.caption, std::string("画像から認識"));
      QVERIFY2(message.text.find(c.words) != std::string::npos, message.text.c_str());
      if (c.models == nullptr) QVERIFY2(message.text.rfind(c.file, 0) == 0, message.text.c_str());
      QCOMPARE(f.doc().paper(), paper);
      QCOMPARE(f.doc().pathName(), sample);
      QCOMPARE(pageText(*f.doc().page(0)), text);
      QCOMPARE(f.doc().docModified(), 0);
      QCOMPARE(entries(h.dir / "scans"), size_t{0});
      QVERIFY(f.isEnabled());
    }

    // A picture dropped on the window goes to recognition, once the drop has ended.
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(notes))});
    const QPoint centre = f.rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&f, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(centre, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    const size_t shown = h.prompter.shown.size();
    QApplication::sendEvent(&f, &drop);
    QTRY_COMPARE(h.prompter.shown.size(), shown + 1);
    QVERIFY(h.prompter.shown.back().text.rfind(notes, 0) == 0);
    QCOMPARE(f.doc().paper(), paper);
  }
};

QTEST_MAIN(FrameRecogniseTest)
#include "frame_recognise_test.moc"
