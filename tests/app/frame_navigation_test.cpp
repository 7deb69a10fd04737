// What a proofreader reaches for every minute, through real keys, the scale list and the
// commands: the next and previous page by Ctrl+PageDown/PageUp and by PageDown/PageUp at the ends
// of a page, scales that fit the page's width or the whole page, the caret's character in the
// status bar, and the count replace all reports.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "app/main_frame.h"
#include "document/document.h"
#include "editing/editing_context.h"
#include "support/gui_harness.h"
#include "textview/correction_view.h"
#include "textview/find_dialogs.h"
#include "textview/image_view.h"
#include "views/pselect_view.h"

using namespace vellary;

namespace {

// The frame shown and active on a copy of the sample, opened as the command line opens it.
struct Editor {
  testing::FrameHarness h;
  app::CMainFrame* f = nullptr;

  Editor() {
    f = &h.make(1100, 800);
    const std::string path = testing::copySample(h.dir);
    open = f->openFile(path) && QTest::qWaitForWindowActive(f);
  }
  bool open = false;
  textview::CImageView& view() { return f->textView(); }
  document::CScrivlaDoc& doc() { return f->doc(); }
  void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(&view(), k, mods);
  }
  QString status() const {
    const auto* label = f->findChild<QLabel*>(QStringLiteral("caretStatus"));
    return label != nullptr ? label->text() : QStringLiteral("(no label)");
  }
  // Lets the scale that follows the view catch up with a change.
  void settle() { QTest::qWait(10); }
};

}  // namespace

class FrameNavigationTest : public QObject {
  Q_OBJECT

 private slots:
  void ctrlPageDownAndUpTurnThePages() {
    Editor e;
    QVERIFY(e.open);
    e.doc().setCurrentPage(0);
    e.key(Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(e.doc().currentPage(), 1);
    e.key(Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(e.doc().currentPage(), 2);
    // The last page: nothing beyond it.
    QVERIFY(!e.f->commands().isEnabled(app::IdNextPage));
    e.key(Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(e.doc().currentPage(), 2);
    e.key(Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(e.doc().currentPage(), 1);
    QCOMPARE(e.f->pageCounterText(), QStringLiteral("   2 /    3"));
  }

  // PageDown scrolls through the page and, with its end in view, goes on to the next page;
  // PageUp at the top of a page goes back to the end of the one before.
  void pageKeysAtTheEndsOfAPageTurnIt() {
    Editor e;
    QVERIFY(e.open);
    e.doc().setCurrentPage(0);
    e.key(Qt::Key_0, Qt::ControlModifier);  // 100 %: the page is taller than the view
    QScrollBar* bar = e.view().verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    int presses = 0;
    while (e.doc().currentPage() == 0 && presses < 100) {
      const int before = bar->value();
      e.key(Qt::Key_PageDown);
      ++presses;
      if (e.doc().currentPage() == 0) QVERIFY(bar->value() > before);  // it scrolled
    }
    QCOMPARE(e.doc().currentPage(), 1);
    QVERIFY(presses > 1);
    // The new page from its start: the caret at its first character, in view.
    QVERIFY(e.f->editingContext().state().caret.valid());
    QCOMPARE(e.f->editingContext().state().caret.index(), 0);
    // PageUp scrolls back to the top first, then goes back to the end of the first page, caret
    // included.
    presses = 0;
    while (e.doc().currentPage() == 1 && presses < 100) {
      const int before = bar->value();
      e.key(Qt::Key_PageUp);
      ++presses;
      if (e.doc().currentPage() == 1) QVERIFY(bar->value() < before);
    }
    QCOMPARE(e.doc().currentPage(), 0);
    QVERIFY(bar->value() > 0);
    const editing::CaretState& caret = e.f->editingContext().state();
    QVERIFY(caret.caret.valid());
    const auto last = editing::lastLineWithChars(*e.doc().page(0));
    QVERIFY(last.has_value());
    QCOMPARE(caret.caret.line, last->line);
    // Modified keys are left to their commands and the view.
    e.key(Qt::Key_PageUp, Qt::ShiftModifier);
    QCOMPARE(e.doc().currentPage(), 0);
  }

  // Fitting the width: the page is as wide as the view, whatever the window does; a step ends
  // it. Fitting the page: the whole page in view, so PageDown turns it at once.
  void scalesFitTheWidthOrTheWholePage() {
    Editor e;
    QVERIFY(e.open);
    QComboBox* scales = e.f->pageList().scaleList();
    QVERIFY(e.f->commands().dispatch(app::IdZoomFitWidth));
    e.settle();
    const model::PageData& page = *e.doc().page(e.doc().currentPage());
    const QSize room = e.view().maximumViewportSize();
    const int canvas = static_cast<int>(page.width * e.doc().zoom());
    QVERIFY2(canvas <= room.width() && canvas > room.width() - 40,
             qPrintable(QStringLiteral("%1 in %2").arg(canvas).arg(room.width())));
    QCOMPARE(e.view().horizontalScrollBar()->maximum(), 0);
    QVERIFY(e.f->commands().isChecked(app::IdZoomFitWidth));
    for (int id = app::IdZoom10; id <= app::IdZoom100; ++id)
      QVERIFY(!e.f->commands().isChecked(id));
    QCOMPARE(scales->currentText(), QStringLiteral("幅に合わせる"));
    // The window grows: the page grows with it.
    const double before = e.doc().zoom();
    e.f->resize(1400, 800);
    e.settle();
    QVERIFY(e.doc().zoom() > before);
    // A step chosen in the scale list ends the fit.
    scales->setCurrentIndex(4);
    QCOMPARE(e.doc().zoom(), 0.5);
    QVERIFY(!e.f->commands().isChecked(app::IdZoomFitWidth));
    QVERIFY(e.f->commands().isChecked(app::IdZoom10 + 4));

    // The whole page, chosen in the list.
    scales->setCurrentIndex(scales->findText(QStringLiteral("ページ全体")));
    e.settle();
    QVERIFY(e.f->commands().isChecked(app::IdZoomFitPage));
    QCOMPARE(e.view().verticalScrollBar()->maximum(), 0);
    QCOMPARE(e.view().horizontalScrollBar()->maximum(), 0);
    const int page0 = e.doc().currentPage();
    e.key(Qt::Key_PageDown);
    QCOMPARE(e.doc().currentPage(), page0 + 1);
    // The fit is kept for the next start.
    e.f->close();
    QCOMPARE(e.h.frame.zoomFit, int(appcore::ZoomFit::Page));
  }

  void theStatusBarNamesTheCaretsCharacter() {
    Editor e;
    QVERIFY(e.open);
    const editing::CaretState& caret = e.f->editingContext().state();
    const model::CharData* first = caret.caret.character();
    QVERIFY(first != nullptr);
    QVERIFY2(e.status().startsWith(
                 QString::asprintf("U+%04X ", static_cast<unsigned>(first->text[0]))),
             qPrintable(e.status()));
    QVERIFY2(e.status().contains(QStringLiteral(" 字 1")), qPrintable(e.status()));
    QVERIFY(e.status().contains(QStringLiteral("確信度 %1").arg(static_cast<int16_t>(first->cc))));
    QVERIFY(e.status().contains(QStringLiteral("(%1, %2)").arg(first->x).arg(first->y)));
    // The caret moves on along its line: the next character is named.
    const bool vertical = caret.caret.block->direction == model::Vertical;
    e.key(vertical ? Qt::Key_Down : Qt::Key_Right);
    QVERIFY2(e.status().contains(QStringLiteral(" 字 2")), qPrintable(e.status()));
    // Block editing has no caret to describe.
    QVERIFY(e.f->commands().dispatch(app::IdBlockEdit));
    QCOMPARE(e.status(), QString());
  }

  // Replace all from the real dialog, over every page after answering Yes: it says how many.
  void replaceAllSaysHowManyItReplaced() {
    Editor e;
    QVERIFY(e.open);
    e.doc().setCurrentPage(0);
    QVERIFY(e.f->commands().dispatch(app::IdReplace));
    textview::CFindReplaceDlg* dialog = e.f->correction().findDialog();
    QVERIFY(dialog != nullptr);
    dialog->findEdit()->setText(QStringLiteral("の"));
    dialog->replaceEdit()->setText(QStringLiteral("＃"));
    QTest::mouseClick(dialog->replaceAllButton(), Qt::LeftButton);
    QVERIFY(!e.h.prompter.shown.empty());
    const std::string last = e.h.prompter.shown.back().text;
    const size_t at = last.find(" 件置換しました。");
    QVERIFY2(at != std::string::npos, last.c_str());
    const int reported = std::stoi(last.substr(last.rfind('\n') + 1, at));
    int replaced = 0;
    for (const model::PageData& p : e.doc().paper()->pages)
      for (const model::BlockData& b : p.blocks) {
        auto count = [&](const model::List<model::LineData>& lines) {
          for (const model::LineData& l : lines)
            for (const model::CharData& c : l.chars) replaced += c.text[0] == u'＃' ? 1 : 0;
        };
        count(b.lines);
        for (const model::CellData& c : b.cells) count(c.lines);
      }
    QVERIFY(reported > 0);
    QCOMPARE(reported, replaced);
    dialog->cancelButton()->click();
  }
};

QTEST_MAIN(FrameNavigationTest)
#include "frame_navigation_test.moc"
