// The image view: pictures made at load for each scale, the missing-image message, the second
// place for images, wheel scrolling and its echo to the text view, highlight and focus.
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "view_harness.h"

using namespace vellary;
using testing::ViewHarness;

namespace {

bool hasDarkPixels(const QImage& image, const QRect& area) {
  for (int y = area.top(); y <= area.bottom() && y < image.height(); ++y)
    for (int x = area.left(); x <= area.right() && x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 64) return true;
  return false;
}

void sendWheel(QWidget* target, int delta) {
  QWheelEvent wheel(QPointF(10, 10), target->mapToGlobal(QPointF(10, 10)), QPoint(),
                    QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(target, &wheel);
}

}  // namespace

class ImageViewTest : public QObject {
  Q_OBJECT

 private slots:
  void scaledPictureOnlyBelowFullSize() {
    ViewHarness h;
    QVERIFY(h.open(testing::copySample(h.dir)));
    auto& view = *h.imageView;
    QCOMPARE(view.scale(), 0.5);
    QVERIFY(view.fullPicture() != nullptr);
    QVERIFY(view.scaledPicture() != nullptr);
    QCOMPARE(view.imageSize(), QSize(3307, 4677));
    QVERIFY(std::abs(view.scaledPicture()->width() - 1653) <= 1);
    h.doc->zoomCommand(appcore::IdZoom100);
    QCOMPARE(view.scale(), 1.0);
    QVERIFY(view.scaledPicture() == nullptr);
    QVERIFY(view.fullPicture() != nullptr);
    // The scroll range follows the page size times the scale.
    QCOMPARE(view.horizontalScrollBar()->maximum(), 3307 - view.viewport()->width());
  }

  void missingImageSaysSoAtEveryScale() {
    ViewHarness h;
    const std::string xml = testing::copySample(h.dir);
    std::filesystem::remove_all(h.dir / "minato");
    QVERIFY(h.open(xml));
    auto& view = *h.imageView;
    QVERIFY(view.fullPicture() == nullptr);
    QCOMPARE(view.imagePath(), std::string("C:\\Scan\\minato\\page1.tif"));
    QCOMPARE(view.LoadPageImage(h.dir / "none.tif"), -2);
    const QImage shot = view.viewport()->grab().toImage();
    QVERIFY(hasDarkPixels(shot, QRect(10, 10, 200, 20)));
  }

  void noDocumentLoadsNothing() {
    ViewHarness h;
    QCOMPARE(h.imageView->LoadPageImage(h.dir / "x.png"), -1);
  }

  void wheelScrollsFiftyPixelsAndTheTextViewFollows() {
    ViewHarness h;
    QVERIFY(h.open(testing::copySample(h.dir)));
    auto& view = *h.imageView;
    view.show();
    QVERIFY(view.verticalScrollBar()->maximum() > 100);
    h.scrolls.clear();
    sendWheel(view.viewport(), -120);
    QCOMPARE(view.verticalScrollBar()->value(), 50);
    QVERIFY(!h.scrolls.empty());
    QCOMPARE(h.scrolls.back().which, 2);
    QCOMPARE(h.scrolls.back().y, 50);
    sendWheel(view.viewport(), 120);
    QCOMPARE(view.verticalScrollBar()->value(), 0);
    // Being moved by the text view is not echoed back to it.
    h.scrolls.clear();
    view.scrollTo(0, 30);
    QVERIFY(h.scrolls.empty());
    // In the forced display modes the wheel does nothing here.
    h.display = appcore::TextDisplay::FlowHorizontal;
    sendWheel(view.viewport(), -120);
    QCOMPARE(view.verticalScrollBar()->value(), 30);
  }

  void highlightAndFocus() {
    ViewHarness h;
    QVERIFY(h.open(testing::copySample(h.dir)));
    auto& view = *h.imageView;
    view.SetHighlight({100, 100, 300, 250});
    QCOMPARE(view.highlight().left, 100);
    view.SetHighlight({-1, -1, 0, 0});
    QVERIFY(view.highlight().left < 0);
    const int before = h.focusRequests;
    QFocusEvent focus(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(&view, &focus);
    QCOMPARE(h.focusRequests, before + 1);
  }

  void decodesOnlyWhenThePageOrItsImageChangesAndFramesTheCaretCharacter() {
    ViewHarness h;
    QVERIFY(h.open(testing::copySample(h.dir)));
    auto& view = *h.imageView;
    const long opened = views::CDrawView::decodeCount();
    // A mode or colour change, the caret moving, a line typed: the picture stays.
    document::ChangeSet display;
    display.kinds = document::Change::Display | document::Change::Caret | document::Change::Layout;
    h.doc->notify(display);
    QCOMPARE(views::CDrawView::decodeCount(), opened);
    // In character editing the caret character is framed; block editing frames none.
    const model::CharData* c = h.editContext->state().caret.character();
    QVERIFY(c != nullptr);
    QCOMPARE(view.highlight().left, c->x);
    h.edit = appcore::EditMode::Block;
    h.doc->notify(document::ChangeSet::of(document::Change::Display));
    QVERIFY(view.highlight().left < 0);
    // Another page, another scale: decoded again.
    h.doc->nextPage();
    QVERIFY(views::CDrawView::decodeCount() > opened);
    const long paged = views::CDrawView::decodeCount();
    h.doc->zoomCommand(appcore::IdZoom10 + 2);
    QVERIFY(views::CDrawView::decodeCount() > paged);
  }
};

int runImageViewTests(int argc, char** argv) {
  ImageViewTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "draw_view_test.moc"
