// The page list: rows from the pages' numbers, choosing rows and the counter, marks, the scale
// list against the document's zoom, the preview (found beside the document, cached) and the one
// caret-line mark.
#include <QComboBox>
#include <QTest>
#include <algorithm>
#include <filesystem>

#include "view_harness.h"

using namespace vellary;
using testing::ViewHarness;

class PageListTest : public QObject {
  Q_OBJECT

 private slots:
  void rowsCarryThePageNumbersAndChoosingShowsTheCounter() {
    ViewHarness h;
    const char* numbers[3] = {"5", "6", "9"};
    QVERIFY(h.open(testing::copySample(h.dir, numbers)));
    auto& list = *h.pageList;
    QCOMPARE(list.rowCount(), 3);
    QCOMPARE(list.pageText(0), QStringLiteral("5"));
    QCOMPARE(list.pageText(2), QStringLiteral("9"));
    QCOMPARE(list.markText(1), QString());
    QCOMPARE(list.selectedRow(), h.doc->currentPage());

    h.seen.clear();
    const int focus = h.focusRequests;
    list.chooseRow(1);
    QCOMPARE(h.doc->currentPage(), 1);
    QVERIFY(h.seen.saw(document::Change::Page));
    QVERIFY(h.focusRequests > focus);
    // The caret went to the new page's start.
    QVERIFY(h.editContext->state().caret.valid());
    QVERIFY(editing::findLine(*h.doc->page(1), h.editContext->state().caret.line).has_value());

    // The row already shown: nothing changes.
    h.seen.clear();
    list.chooseRow(1);
    QVERIFY(h.seen.sets.empty());
  }

  void marksFollowTheDocumentAndOutliveARebuiltList() {
    ViewHarness h;
    QVERIFY(h.open(testing::copySample(h.dir)));
    h.doc->markPage(2);
    QCOMPARE(h.pageList->markText(1), QStringLiteral("*"));
    // Re-composing every page builds the list again: the unsaved page keeps its mark.
    QVERIFY(h.doc->reComposeAllPages());
    QCOMPARE(h.pageList->rowCount(), 3);
    QCOMPARE(h.pageList->markText(1), QStringLiteral("*"));
    QVERIFY(h.doc->saveTo(h.dir / "saved.xml"));
    for (int row = 0; row < 3; ++row) QCOMPARE(h.pageList->markText(row), QString());
  }

  void scaleListAndZoomAgree() {
    ViewHarness h;
    QVERIFY(h.open(testing::copySample(h.dir)));
    auto* scales = h.pageList->scaleList();
    QCOMPARE(scales->count(), 10);
    QCOMPARE(scales->itemText(0), QStringLiteral("10 ％"));
    QCOMPARE(scales->itemText(9), QStringLiteral("100 ％"));
    QCOMPARE(scales->currentIndex(), 4);  // 0.5

    h.seen.clear();
    scales->setCurrentIndex(1);
    QCOMPARE(h.doc->zoom(), 0.2);
    QCOMPARE(h.pageList->listScale(), 0.2);
    QVERIFY(h.seen.saw(document::Change::Zoom));
    // A zoom command from elsewhere moves the list's choice.
    h.doc->zoomCommand(appcore::IdZoom10 + 6);
    QCOMPARE(scales->currentIndex(), 6);

    h.pageList->SetZoomSelection(7);
    QCOMPARE(scales->currentIndex(), 7);
    QCOMPARE(h.pageList->listScale(), 0.8);
    h.pageList->SetZoomSelection(10);  // beyond the list: ignored
    QCOMPARE(scales->currentIndex(), 7);
  }

  void previewComesFromTheFolderNamedLikeTheDocumentAndIsCached() {
    ViewHarness h;
    QVERIFY(h.open(testing::copySample(h.dir)));
    QVERIFY(h.pageList->hasPreview());
    const double factor = h.pageList->previewFactor();
    QVERIFY(factor > 0.01 && factor < 1);
    const std::string cached =
        h.pageList->cache().pathFor(h.dir / "minato/page1.tif", h.pageList->previewTargetWidth());
    QVERIFY(std::filesystem::exists(cached));
    const auto written = std::filesystem::last_write_time(cached);
    // A second build finds the preview instead of making it again.
    h.pageList->RefreshPageList();
    QVERIFY(h.pageList->hasPreview());
    QCOMPARE(std::filesystem::last_write_time(cached), written);
  }

  void aNarrowImageIsUsedAtItsOwnSize() {
    ViewHarness h;
    QImage small(60, 80, QImage::Format_RGB32);
    small.fill(Qt::white);
    QVERIFY(small.save(QString::fromStdString(h.dir / "small.png")));
    std::string xml = testing::TempDir::read(testing::copySample(h.dir));
    const std::string from = "C:\\Scan\\minato\\page1.tif";
    xml.replace(xml.find(from), from.size(), h.dir / "small.png");
    QVERIFY(h.open(h.dir.write("narrow.xml", xml)));
    QVERIFY(h.pageList->hasPreview());
    QCOMPARE(h.pageList->previewSize(), QSize(60, 80));
    QVERIFY(h.pageList->previewFactor() >= 1);
  }

  void exactlyOneLineIsMarked() {
    ViewHarness h;
    QVERIFY(h.open(testing::copySample(h.dir)));
    auto& list = *h.pageList;
    list.ShowLineRect(views::PageRect{10, 10, 200, 60}, 2);
    list.ShowLineRect(views::PageRect{10, 80, 200, 130}, 2);
    QCOMPARE(list.lineRect(), (views::PageRect{10, 80, 200, 130}));
    list.ShowLineRect(std::nullopt, 0);
    QCOMPARE(list.lineRect(), (views::PageRect{10, 80, 200, 130}));
    list.ShowLineRect(std::nullopt, 1);
    QVERIFY(list.lineRect().empty());
    // A page change marks the caret line of the new page instead.
    list.ShowLineRect(views::PageRect{10, 80, 200, 130}, 2);
    list.chooseRow(2);
    const model::LineData& caretLine = *h.editContext->state().caret.line;
    QCOMPARE(list.lineRect(), (views::PageRect{caretLine.x, caretLine.y,
                                               caretLine.x + caretLine.width,
                                               caretLine.y + caretLine.height}));
    // Block editing marks no line.
    h.edit = appcore::EditMode::Block;
    h.doc->notify(document::ChangeSet::of(document::Change::Display));
    QVERIFY(list.lineRect().empty());
  }

  void withoutADocumentTheListIsEmpty() {
    ViewHarness h;
    h.pageList->RefreshPageList();
    QCOMPARE(h.pageList->rowCount(), 0);
    QCOMPARE(h.pageList->scaleList()->count(), 10);
    QVERIFY(!h.pageList->hasPreview());
  }
};

int runPageListTests(int argc, char** argv) {
  PageListTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "pselect_view_test.moc"
