// The text view in the main frame on the bundled sample: colour-mode and block-number commands,
// line images from the image view's picture, scrolling in step, the one-line image window.
#include <QScrollBar>
#include <QTest>

#include "app/commands.h"
#include "support/gui_harness.h"
#include "text_view_harness.h"
#include "views/draw_view.h"
#include "views/img_window.h"

using namespace vellary;

class FrameTextViewTest : public QObject {
  Q_OBJECT

 private slots:
  void colourModeCommandsAreOneRadioGroup() {
    testing::FrameHarness h;
    auto& f = h.make();
    QVERIFY(f.openFile(testing::copySample(h.dir)));
    QVERIFY(f.commands().isChecked(app::IdColourNormal));
    QVERIFY(f.commands().dispatch(app::IdColourClass));
    QCOMPARE(h.frame.textColourMode, 2);
    QCOMPARE(f.textView().renderSettings().colourMode, appcore::ColourMode::CharacterClass);
    for (int id = app::IdColourNormal; id <= app::IdColourRegistered; ++id)
      QCOMPARE(f.commands().isChecked(id), id == app::IdColourClass);
    QCOMPARE(f.commands().caption(app::IdColourRegistered), QStringLiteral("登録文字強調(&R)"));
    // A change that names no display kind leaves the view's colours as they were.
    h.frame.textColourMode = 0;
    f.doc().notify(document::ChangeSet::of(document::Change::Marks));
    QCOMPARE(f.textView().renderSettings().colourMode, appcore::ColourMode::CharacterClass);
    f.doc().notify(document::ChangeSet::of(document::Change::Display));
    QCOMPARE(f.textView().renderSettings().colourMode, appcore::ColourMode::Normal);
  }

  void blockNumberCommandToggles() {
    testing::FrameHarness h;
    h.frame.showBlockNumbers = 0;
    auto& f = h.make();
    QVERIFY(!f.commands().isChecked(app::IdBlockNumbers));
    QVERIFY(f.commands().dispatch(app::IdBlockNumbers));
    QCOMPARE(h.frame.showBlockNumbers, 1);
    QVERIFY(f.commands().isChecked(app::IdBlockNumbers));
  }

  void lineImagesBesideTheTextComeFromThePageImage() {
    testing::FrameHarness h;
    auto& f = h.make();
    QVERIFY(f.openFile(testing::copySample(h.dir)));
    QVERIFY(f.imageView().fullPicture() != nullptr);
    QVERIFY(f.commands().dispatch(app::IdImageBeside));
    const auto& layout = f.textView().layout();
    const editing::LinePlace* withImage = nullptr;
    for (const auto& lp : layout.lines)
      if (lp.hasImage && lp.line->chars.size() > 5) {
        withImage = &lp;
        break;
      }
    QVERIFY(withImage != nullptr);
    const QImage& img = f.textView().pageImage();
    QVERIFY(testing::inkIn(img, textview::toQRect(withImage->imageDest)).total > 20);
    // The text block is filled with the text background 0xFFFFA0.
    QVERIFY(!layout.textBlockFills.empty());
    const QRect fill = textview::toQRect(layout.textBlockFills.front());
    int background = 0;
    for (int y = fill.top(); y <= fill.bottom(); y += 3)
      for (int x = fill.left(); x <= fill.right(); x += 3)
        if (img.pixelColor(x, y) == QColor(0xA0, 0xFF, 0xFF)) ++background;
    QVERIFY(background > fill.width() * fill.height() / 9 / 4);
  }

  void scrollingTheTextViewScrollsTheImageView() {
    testing::FrameHarness h;
    auto& f = h.make();
    QVERIFY(f.openFile(testing::copySample(h.dir)));
    auto& tv = f.textView();
    QVERIFY(tv.verticalScrollBar()->maximum() > 300);
    tv.verticalScrollBar()->setValue(300);
    QCOMPARE(f.imageView().scrollPosition().y(), 300);
    f.imageView().scrollTo(0, 0);
    h.window->syncScroll(2, 0, 120);
    QCOMPARE(tv.scrollPosition().y(), 120);
  }

  void oneLineImageWindowBesideTheCaretLine() {
    testing::FrameHarness h;
    auto& f = h.make();
    QVERIFY(f.openFile(testing::copySample(h.dir)));
    QVERIFY(f.commands().dispatch(app::IdLineImage));
    auto& tv = f.textView();
    model::PageData* page = tv.currentPage();
    QVERIFY(page != nullptr);
    // The title block's column, near the top right of the page.
    model::BlockData& block = page->blocks.front();
    editing::CaretState caret;
    caret.entry = 0;
    caret.caret.block = &block;
    caret.caret.line = &block.lines.front();
    caret.caret.ch = block.lines.front().chars.begin();
    const auto& title = *tv.layout().find(caret.caret.line);
    tv.horizontalScrollBar()->setValue(std::max(0, title.originX - 200));
    tv.verticalScrollBar()->setValue(std::max(0, title.originY - 50));
    h.setCaret(caret);
    views::CImgWindow* window = tv.oneLineWindow();
    QVERIFY(window != nullptr);
    QVERIFY(window->isVisible());
    QVERIFY(window->hasLineImage());
    // A vertical line's window lies left of the line, by default.
    const QPoint lineOnScreen = tv.viewport()->mapToGlobal(
        QPoint(title.originX - tv.scrollPosition().x(), title.originY - tv.scrollPosition().y()));
    QVERIFY(window->geometry().right() < lineOnScreen.x());
    // The image view frames the caret character.
    const auto& ch = *caret.caret.ch;
    QCOMPARE(f.imageView().highlight(),
             (views::PageRect{ch.x, ch.y, ch.x + ch.width, ch.y + ch.height}));
    h.setCaret(editing::CaretState{});
    QVERIFY(!window->isVisible());
  }
};

int runFrameTextViewTests(int argc, char** argv) {
  FrameTextViewTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "frame_text_view_test.moc"
