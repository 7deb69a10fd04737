// The main frame driven by command ids: arrangements, modes, enabling and check rules, the page
// counter, the open decisions and what closing writes.
#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QFileDialog>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <deque>

#include "app/fonts.h"
#include "model/program_files.h"
#include "textview/image_view.h"
#include "support/gui_harness.h"
#include "views/draw_view.h"
#include "views/pselect_view.h"

using namespace vellary;
using app::Cell;
using testing::FrameHarness;

// Stands in for the user's browser: remembers the addresses it was asked to open.
class UrlRecorder : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public slots:
  void open(const QUrl& url) { urls.append(url); }
};

class FrameTest : public QObject {
  Q_OBJECT

 private slots:
  void startsSideBySideWithTheTextViewOnTheLeft() {
    FrameHarness h;
    auto& f = h.make();
    QCOMPARE(f.cellOf(&f.textView()), (Cell{0, 0}));
    QCOMPARE(f.cellOf(&f.imageView()), (Cell{0, 1}));
    QVERIFY(f.commands().isChecked(app::IdSideBySide));
    const auto sizes = f.paneSizes();
    QVERIFY(sizes.col0 > 0 && sizes.col1 > 0);
    QCOMPARE(sizes.row1, 0);
    QCOMPARE(f.pageCounterText(), QStringLiteral("(0/0)"));
  }

  void repeatedSideBySideSwapsTheViewsAndBack() {
    FrameHarness h;
    auto& f = h.make();
    QVERIFY(f.commands().dispatch(app::IdSideBySide));
    QCOMPARE(f.cellOf(&f.textView()), (Cell{0, 1}));
    QCOMPARE(f.cellOf(&f.imageView()), (Cell{0, 0}));
    f.commands().dispatch(app::IdSideBySide);
    QCOMPARE(f.cellOf(&f.textView()), (Cell{0, 0}));
  }

  void fullSizeTwiceThenStackedRestoresTheSwappedStack() {
    FrameHarness h;
    auto& f = h.make();
    f.commands().dispatch(app::IdStacked);
    QCOMPARE(f.cellOf(&f.imageView()), (Cell{1, 0}));
    QVERIFY(f.paneSizes().row1 > 0);
    f.commands().dispatch(app::IdFullSize);
    QCOMPARE(f.paneSizes().row1, 0);
    QCOMPARE(f.paneSizes().col1, 0);
    f.commands().dispatch(app::IdFullSize);
    QCOMPARE(f.cellOf(&f.imageView()), (Cell{0, 0}));  // the image view fills the area
    QVERIFY(f.commands().isChecked(app::IdFullSize));
    f.commands().dispatch(app::IdStacked);
    QCOMPARE(f.cellOf(&f.imageView()), (Cell{0, 0}));
    QCOMPARE(f.cellOf(&f.textView()), (Cell{1, 0}));
    QVERIFY(f.commands().isChecked(app::IdStacked));
    QVERIFY(!f.commands().isChecked(app::IdFullSize));
  }

  void forcedModesIgnoreArrangementsAndHideTheImageView() {
    FrameHarness h;
    auto& f = h.make();
    QVERIFY(f.commands().dispatch(app::IdForceVertical));
    QCOMPARE(f.textDisplay(), appcore::TextDisplay::FlowVertical);
    QVERIFY(f.commands().isChecked(app::IdForceVertical));
    QVERIFY(!f.commands().isChecked(app::IdTextOnly));
    QVERIFY(!f.imageView().isVisible());
    f.commands().dispatch(app::IdStacked);
    f.commands().dispatch(app::IdSideBySide);
    QCOMPARE(f.arrangementState().arrangement, int(app::SideBySide));
    QCOMPARE(f.cellOf(&f.textView()), (Cell{0, 0}));
    QCOMPARE(f.paneSizes().col1, 0);
    // Back to the laid-out display with the one-line image.
    f.commands().dispatch(app::IdLineImage);
    QCOMPARE(f.textDisplay(), appcore::TextDisplay::Layout);
    QCOMPARE(f.imagePane(), appcore::ImagePane::LineImage);
    QVERIFY(f.imageView().isVisible());
    QVERIFY(f.commands().isChecked(app::IdLineImage));
  }

  void storedArrangementIsAppliedAtStart_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("arrangement");
    QTest::newRow("side by side") << 0 << int(app::SideBySide);
    QTest::newRow("stacked") << 1 << int(app::Stacked);
    QTest::newRow("5 is full size") << 5 << int(app::FullSize);
  }
  void storedArrangementIsAppliedAtStart() {
    QFETCH(int, stored);
    QFETCH(int, arrangement);
    FrameHarness h;
    h.frame.viewArrangement = stored;
    auto& f = h.make();
    QCOMPARE(f.arrangementState().arrangement, arrangement);
    // Starting never swaps: the text view is in front.
    QCOMPARE(f.cellOf(&f.textView()), (Cell{0, 0}));
  }

  void rulesWithoutADocument() {
    FrameHarness h;
    auto& f = h.make();
    auto& c = f.commands();
    for (int id : {app::IdBlockEdit, app::IdCharEdit, app::IdFileSaveAs, app::IdClearMarks,
                   app::IdReComposeAll, app::IdNextPage})
      QVERIFY2(!c.isEnabled(id), qPrintable(QString::number(id)));
    for (int id : {app::IdSideBySide, app::IdStacked, app::IdFullSize, app::IdFileOpen,
                   app::IdTextOnly, app::IdZoom10})
      QVERIFY2(c.isEnabled(id), qPrintable(QString::number(id)));
    QVERIFY(!c.dispatch(app::IdBlockEdit));  // a disabled command does not run
    QCOMPARE(f.editMode(), appcore::EditMode::Character);
    QVERIFY(c.action(app::IdFileSaveAs) != nullptr);
    QVERIFY(!c.action(app::IdFileSaveAs)->isEnabled());
    // Ctrl+Y is redo's; side by side keeps its menu item and button.
    QCOMPARE(c.caption(app::IdSideBySide), QStringLiteral("横並び(&H)"));
    QCOMPARE(c.action(app::IdRedo)->shortcuts(),
             (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Y),
                                  QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}));
    QCOMPARE(c.action(app::IdZoom100)->text(), QStringLiteral("100%(&0)"));
  }

  void blockEditingDisablesTheDisplayModes() {
    FrameHarness h;
    auto& f = h.make();
    testing::TempDir docs;
    QVERIFY(f.openFile(testing::copySample(docs)));
    auto& c = f.commands();
    QVERIFY(c.isChecked(app::IdCharEdit));
    QVERIFY(c.dispatch(app::IdBlockEdit));
    QCOMPARE(f.editMode(), appcore::EditMode::Block);
    QVERIFY(c.isChecked(app::IdBlockEdit));
    QVERIFY(!c.isChecked(app::IdCharEdit));
    for (int id : {app::IdForceHorizontal, app::IdForceVertical, app::IdTextOnly, app::IdLineImage,
                   app::IdImageBeside})
      QVERIFY(!c.isEnabled(id));
    QVERIFY(c.isEnabled(app::IdStacked));
    c.dispatch(app::IdCharEdit);
    QVERIFY(c.isEnabled(app::IdTextOnly));
  }

  void openingTheSampleFillsListCounterAndImage() {
    FrameHarness h;
    auto& f = h.make();
    testing::TempDir docs;
    const std::string xml = testing::copySample(docs);
    f.dialogs().open = [&](const QString&) { return app::OpenChoice{xml, false}; };
    QVERIFY(f.commands().dispatch(app::IdFileOpen));
    QCOMPARE(f.pageList().rowCount(), 3);
    QCOMPARE(f.pageCounterText(), QStringLiteral("   1 /    3"));
    // The recorded paths are Windows paths; the image comes from the folder named like the file.
    QVERIFY(f.imageView().fullPicture() != nullptr);
    QVERIFY(f.commands().isEnabled(app::IdFileSaveAs));
    QVERIFY(f.commands().isEnabled(app::IdNextPage));
    QVERIFY(!f.commands().isEnabled(app::IdPreviousPage));
    QVERIFY(f.commands().dispatch(app::IdNextPage));
    QCOMPARE(f.pageCounterText(), QStringLiteral("   2 /    3"));
    QCOMPARE(f.pageList().selectedRow(), 1);
  }

  void openRefusesAMissingFileWithItsMessage() {
    FrameHarness h;
    auto& f = h.make();
    f.dialogs().open = [&](const QString&) { return app::OpenChoice{h.dir / "none.xml", false}; };
    f.commands().dispatch(app::IdFileOpen);
    QCOMPARE(h.prompter.shown.size(), size_t(1));
    QVERIFY(QString::fromStdString(h.prompter.shown[0].text)
                .contains("このファイルが見つかりません。"));
    QCOMPARE(f.pageList().rowCount(), 0);
  }

  void saveAsAsksAgainAfterARefusedRangeThenSaves() {
    FrameHarness h;
    auto& f = h.make();
    testing::TempDir docs;
    QVERIFY(f.openFile(testing::copySample(docs)));
    f.doc().markPage(2);
    std::vector<app::SaveAsChoice> offered;
    std::deque<app::SaveAsChoice> answers{{docs / "part.xml", document::SaveChoice::Range, 3, 1},
                                          {docs / "part.xml", document::SaveChoice::Range, 2, 3}};
    f.dialogs().saveAs =
        [&](const app::SaveAsChoice& previous) -> std::optional<app::SaveAsChoice> {
      offered.push_back(previous);
      if (answers.empty()) return std::nullopt;
      auto a = answers.front();
      answers.pop_front();
      return a;
    };
    QVERIFY(f.commands().dispatch(app::IdFileSaveAs));
    QCOMPARE(offered.size(), size_t(2));
    // The refused range is offered again as the user left it.
    QCOMPARE(offered[1].first, 3);
    QCOMPARE(offered[1].range, document::SaveChoice::Range);
    QCOMPARE(h.prompter.shown.size(), size_t(1));
    QCOMPARE(h.prompter.shown[0].text,
             std::string("保存範囲が指定されていない、あるいは保存範囲のページが正しくありません"));
    QVERIFY(std::filesystem::exists(docs / "part.xml"));
    QCOMPARE(f.doc().pathName(), docs / "part.xml");
    QCOMPARE(f.pageList().markText(1), QString());
    // The next save-as starts from the last choice; cancelling writes nothing.
    QVERIFY(f.commands().dispatch(app::IdFileSaveAs));
    QCOMPARE(offered.back().first, 2);
    QCOMPARE(offered.back().last, 3);
  }

  void exportAsksAgainAfterARefusedRangeAndRemembersTheKind() {
    FrameHarness h;
    h.frame.exportKind = 11;  // the image PDF entry comes first next time
    auto& f = h.make();
    QVERIFY(!f.commands().isEnabled(app::IdExport));
    testing::TempDir docs;
    QVERIFY(f.openFile(testing::copySample(docs)));
    QVERIFY(f.commands().isEnabled(app::IdExport));
    std::vector<app::ExportChoice> offered;
    std::deque<app::ExportChoice> answers{
        {docs / "out.txt", 1, document::SaveChoice::Range, 0, 2},
        {docs / "out.txt", 1, document::SaveChoice::Range, 2, 3}};
    f.dialogs().exportFile =
        [&](const app::ExportChoice& previous) -> std::optional<app::ExportChoice> {
      offered.push_back(previous);
      if (answers.empty()) return std::nullopt;
      auto a = answers.front();
      answers.pop_front();
      return a;
    };
    QVERIFY(f.commands().dispatch(app::IdExport));
    QCOMPARE(offered.size(), size_t(2));
    QCOMPARE(offered[0].filterEntry, 4);
    QCOMPARE(offered[1].first, 0);  // offered again as the user left it
    QCOMPARE(h.prompter.shown.size(), size_t(1));
    QCOMPARE(h.prompter.shown[0].text,
             std::string("保存範囲が指定されていない、あるいは保存範囲のページが正しくありません"));
    // Pages 2 and 3 of the sample, in UTF-16 with a byte order mark.
    const std::string text = testing::TempDir::read(docs / "out.txt");
    QVERIFY(text.size() > 2);
    QCOMPARE(static_cast<unsigned char>(text[0]), 0xFFu);
    QCOMPARE(static_cast<unsigned char>(text[1]), 0xFEu);
    QCOMPARE(h.frame.exportKind, 1);
    // The next export starts from the text entry and the range choice, which save-as shares.
    QVERIFY(f.commands().dispatch(app::IdExport));
    QCOMPARE(offered.back().filterEntry, 1);
    QCOMPARE(offered.back().range, document::SaveChoice::Range);
    std::vector<app::SaveAsChoice> saveOffered;
    f.dialogs().saveAs = [&](const app::SaveAsChoice& previous) -> std::optional<app::SaveAsChoice> {
      saveOffered.push_back(previous);
      return std::nullopt;
    };
    QVERIFY(f.commands().dispatch(app::IdFileSaveAs));
    QCOMPARE(saveOffered.back().range, document::SaveChoice::Range);
  }

  void exportOfTheCurrentPageAsPdfByTheFileType() {
    FrameHarness h;
    auto& f = h.make();
    testing::TempDir docs;
    QVERIFY(f.openFile(testing::copySample(docs)));
    f.dialogs().exportFile = [&](const app::ExportChoice&) {
      return std::optional(
          app::ExportChoice{docs / "page.pdf", 3, document::SaveChoice::CurrentPage, 0, 0});
    };
    QVERIFY(f.commands().dispatch(app::IdExport));
    const std::string pdf = testing::TempDir::read(docs / "page.pdf");
    QVERIFY(pdf.starts_with("%PDF-1.4"));
    QCOMPARE(h.frame.exportKind, 5);
    QVERIFY(h.prompter.shown.empty());
  }

  void recentFilesListOpenedFilesNewestFirstAndSurviveARestart() {
    testing::TempDir docs;
    const std::string first = testing::copySample(docs);
    const std::string second = docs / "second&copy.xml";
    std::filesystem::copy_file(first, second);
    FrameHarness h;
    h.app.maxMru = 2;
    {
      auto& f = h.make();
      QVERIFY(!f.commands().action(app::IdRecentFirst)->isVisible());
      QVERIFY(f.openFile(first));
      QVERIFY(f.openFile(second));
      QVERIFY(f.openFile(first));
      QCOMPARE(f.recentFiles().paths(), (std::vector<std::string>{first, second}));
      QCOMPARE(f.commands().action(app::IdRecentFirst + 1)->text(),
               QString::fromStdString("&2 " + docs / "second&&copy.xml"));
      QVERIFY(f.commands().action(app::IdRecentFirst + 1)->isVisible());
      QVERIFY(!f.commands().isEnabled(app::IdRecentFirst + 2));
      f.close();
    }
    // The next run reads the list back; an entry whose file is gone leaves it when chosen.
    std::filesystem::remove(second);
    auto& f = h.make();
    QCOMPARE(f.recentFiles().paths(), (std::vector<std::string>{first, second}));
    QVERIFY(f.commands().dispatch(app::IdRecentFirst + 1));
    QCOMPARE(f.recentFiles().paths(), std::vector<std::string>{first});
    QVERIFY(!f.commands().action(app::IdRecentFirst + 1)->isVisible());
    QVERIFY(f.commands().dispatch(app::IdRecentFirst));
    QCOMPARE(f.doc().pathName(), first);
    QCOMPARE(f.pageList().rowCount(), 3);
  }

  void imageFolderChangeOffersTheRecordedFolderAndMovesThePages() {
    FrameHarness h;
    auto& f = h.make();
    testing::TempDir docs;
    QVERIFY(f.openFile(testing::copySample(docs)));
    std::filesystem::rename(docs / "minato", docs / "moved");
    std::string offeredOld;
    f.dialogs().imageFolder = [&](const std::string& oldFolder, const std::string&) {
      offeredOld = oldFolder;
      return std::optional(std::pair{oldFolder, docs / "moved/"});
    };
    QVERIFY(f.commands().dispatch(app::IdImageFolder));
    QCOMPARE(offeredOld, std::string("C:\\Scan\\minato"));
    QCOMPARE(f.imageView().imagePath(), docs / "moved/page1.tif");
    QVERIFY(f.imageView().fullPicture() != nullptr);
  }

  void reloadAsksAndRebuildsTheList() {
    FrameHarness h;
    auto& f = h.make();
    testing::TempDir docs;
    QVERIFY(f.openFile(testing::copySample(docs)));
    f.doc().markPage(3);
    h.prompter.answers.push_back(appcore::Answer::Cancel);
    QVERIFY(f.commands().dispatch(app::IdReload));
    QCOMPARE(f.pageList().markText(2), QStringLiteral("*"));
    QVERIFY(f.commands().dispatch(app::IdReload));  // the default answer is OK
    QCOMPARE(h.prompter.shown.back().text,
             std::string("編集中のデータは最初の状態に戻りますが、よろしいですか？"));
    QCOMPARE(f.pageList().markText(2), QString());
    QCOMPARE(f.pageCounterText(), QStringLiteral("   1 /    3"));
  }

  void droppedFilesAreJudgedByTheDocument() {
    FrameHarness h;
    auto& f = h.make();
    testing::TempDir docs;
    const std::string xml = testing::copySample(docs);
    f.dropFiles({xml, xml});
    QCOMPARE(h.prompter.shown.size(), size_t(1));
    QVERIFY(h.prompter.shown[0].text.starts_with("複数のファイルがドラッグ/ドロップされました！"));
    QCOMPARE(f.pageList().rowCount(), 0);
    f.dropFiles({docs.path()});
    QVERIFY(h.prompter.shown.back().text.starts_with("フォルダがドラッグ/ドロップされました！"));
    f.dropFiles({xml});
    QCOMPARE(f.pageList().rowCount(), 3);
    QCOMPARE(f.pageCounterText(), QStringLiteral("   1 /    3"));
  }

  // Another program's OCR file, chosen in the real open dialog or dropped on the window, opens
  // with its format in the title; Save asks for a new name and leaves that file as it was.
  void anOcrFileFromTheOpenDialogOrADropOpensAndSavesUnderANewName() {
    FrameHarness h;
    auto& f = h.make();
    testing::TempDir docs;
    const std::string data = std::string(VELLARY_TEST_DATA) + "/formats/tesseract/";
    for (const char* name : {"vertical.hocr", "horizontal.xml"})
      std::filesystem::copy_file(data + name, docs / name);
    QStringList filters;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      filters = dialog->nameFilters();
      dialog->selectFile(QString::fromStdString(docs / "vertical.hocr"));
      static_cast<QDialog*>(dialog)->accept();
    });
    QVERIFY(f.commands().dispatch(app::IdFileOpen));
    QVERIFY2(filters.filter(QStringLiteral("hOCR")).size() == 1, qPrintable(filters.join(';')));
    QCOMPARE(f.pageList().rowCount(), 1);
    QVERIFY2(f.windowTitle().startsWith(QStringLiteral("vertical.hocr [hOCR]")),
             qPrintable(f.windowTitle()));

    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(QString::fromStdString(docs / "horizontal.xml"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&f, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&f, &drop);
    delete mime;
    QVERIFY2(f.windowTitle().startsWith(QStringLiteral("horizontal.xml [ALTO]")),
             qPrintable(f.windowTitle()));

    const std::string before = testing::TempDir::read(docs / "horizontal.xml");
    int asked = 0;
    f.dialogs().saveAs = [&](const app::SaveAsChoice&) {
      ++asked;
      return std::optional(app::SaveAsChoice{docs / "corrected.xml"});
    };
    QVERIFY(f.commands().dispatch(app::IdFileSave));
    QCOMPARE(asked, 1);
    QCOMPARE(testing::TempDir::read(docs / "horizontal.xml"), before);
    QVERIFY(std::filesystem::exists(docs / "corrected.xml"));
    QVERIFY2(f.windowTitle().startsWith(QStringLiteral("corrected.xml -")),
             qPrintable(f.windowTitle()));
  }

  void settingsExportThenImportRestoresTheClassColours() {
    FrameHarness h;
    auto& f = h.make();
    const std::string file = h.dir / "mine.sew";
    f.dialogs().settingsFile = [&](const QString&, const QString&, bool) {
      return std::optional(file);
    };
    h.frame.classColours[3] = 7;
    QVERIFY(f.commands().dispatch(app::IdSettingsExport));
    QVERIFY(std::filesystem::exists(file));
    h.frame.classColours[3] = 1;
    QVERIFY(f.commands().dispatch(app::IdSettingsImport));
    QCOMPARE(h.frame.classColours[3], 7);
  }

  void zoomCommandsAndTheScaleListAgree() {
    FrameHarness h;
    auto& f = h.make();
    testing::TempDir docs;
    QVERIFY(f.openFile(testing::copySample(docs)));
    QVERIFY(f.commands().dispatch(app::IdZoom10 + 1));
    QCOMPARE(f.doc().zoom(), 0.2);
    QCOMPARE(f.pageList().scaleList()->currentIndex(), 1);
    QVERIFY(f.commands().isChecked(app::IdZoom10 + 1));
    QVERIFY(!f.commands().isChecked(app::IdZoom10 + 4));
    f.pageList().scaleList()->setCurrentIndex(9);
    QCOMPARE(f.doc().zoom(), 1.0);
    QVERIFY(f.commands().isChecked(app::IdZoom100));
    QCOMPARE(f.imageView().scale(), 1.0);
    QVERIFY(f.imageView().scaledPicture() == nullptr);  // no reduced copy at full size
  }

  void blockNumbersToggle() {
    FrameHarness h;
    h.frame.showBlockNumbers = 0;
    auto& f = h.make();
    QVERIFY(!f.commands().isChecked(app::IdBlockNumbers));
    f.commands().dispatch(app::IdBlockNumbers);
    QVERIFY(f.commands().isChecked(app::IdBlockNumbers));
  }

  void closingWritesWindowAndModes() {
    FrameHarness h;
    auto& f = h.make(900, 640);
    f.commands().dispatch(app::IdStacked);
    f.commands().dispatch(app::IdFullSize);
    f.commands().dispatch(app::IdImageBeside);
    QVERIFY(f.close());
    QCOMPARE(h.store.getInt("Settings", "View配置", -1), 2);
    QCOMPARE(h.store.getInt("Settings", "View前配置", -1), 1);
    QCOMPARE(h.store.getInt("Settings", "View画像表示", -1), 2);
    QCOMPARE(h.store.getInt("Window", "width", -1), 900);
    QCOMPARE(h.store.getInt("Window", "zoomed", -1), 0);
    QVERIFY(h.store.getInt("Window", "SelViewWidth", -1) > 1);
  }

  void closingAModifiedDocumentAsksAndCancelKeepsItOpen() {
    FrameHarness h;
    auto& f = h.make();
    testing::TempDir docs;
    QVERIFY(f.openFile(testing::copySample(docs)));
    f.doc().markPage(1);
    QCOMPARE(f.pageList().markText(0), QStringLiteral("*"));
    h.prompter.answers.push_back(appcore::Answer::Cancel);
    QVERIFY(!f.close());
    QCOMPARE(h.prompter.shown.back().buttons, appcore::Buttons::YesNoCancel);
    h.prompter.answers.push_back(appcore::Answer::No);
    QVERIFY(f.close());
  }

  void storedFontNamesFindInstalledFaces() {
    app::installFontSubstitutions();
    const QStringList mincho = app::fontSubstitutes(QStringLiteral("@ＭＳ 明朝"));
    QVERIFY(!mincho.isEmpty());
    QCOMPARE(app::faceOfStoredName(QStringLiteral("@ＭＳ 明朝")), QStringLiteral("ＭＳ 明朝"));
    const QFontInfo info(QFont(QStringLiteral("ＭＳ 明朝")));
    QVERIFY2(mincho.contains(info.family()), qPrintable(info.family()));
    QVERIFY(app::fontSubstitutes(QStringLiteral("Unheard Of")).isEmpty());
  }

  void theManualOpensFromTheHelpMenuAndF1() {
    FrameHarness h;
    auto& f = h.make();
    // The browser: whatever opens file URLs for the desktop.
    UrlRecorder browser;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &browser, "open");
    QAction* item = nullptr;
    for (QAction* menu : f.menuBar()->actions())
      if (menu->text() == QStringLiteral("ヘルプ(&H)"))
        for (QAction* a : menu->menu()->actions())
          if (a->text().startsWith(QStringLiteral("ユーザーズマニュアル"))) item = a;
    QVERIFY(item != nullptr);
    item->trigger();
    QTest::keyClick(&f.textView(), Qt::Key_F1);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(browser.urls.size(), qsizetype(2));
    // The build tree's data folder beside the program, laid out as an installed one.
    const QString page = browser.urls[0].toLocalFile();
    QVERIFY2(page.endsWith(QStringLiteral("/share/vellary/manual/index.html")), qPrintable(page));
    QVERIFY(QFileInfo(page).isFile());
    QCOMPARE(browser.urls[1], browser.urls[0]);
    QVERIFY(h.prompter.shown.empty());
  }

  void aboutNamesTheVersion() {
    FrameHarness h;
    auto& f = h.make();
    QVERIFY(f.commands().dispatch(app::IdAppAbout));
    QCOMPARE(h.prompter.shown.size(), size_t(1));
    QVERIFY(h.prompter.shown[0].text.ends_with(std::string("バージョン ") +
                                               model::programVersion()));
  }
};

QTEST_MAIN(FrameTest)
#include "frame_test.moc"
