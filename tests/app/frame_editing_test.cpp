// The main frame wired as the editor is: the real progress dialog, which lets window events (and
// so paints) through while files are read and pages re-composed, keys and clicks sent to the
// widgets, commands triggered through their actions and shortcuts. Reload and recovery while the
// window paints, undo of typing at once, typing into an empty table cell, page marks that outlive
// a re-composition, and views that redraw no more than an edit changed.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTest>
#include <filesystem>

#include "app/main_frame.h"
#include "document/document.h"
#include "editing/editing_context.h"
#include "editing/editor.h"
#include "model/paper.h"
#include "rovorirud/reader.h"
#include "support/gui_harness.h"
#include "textview/correction_view.h"
#include "textview/image_view.h"
#include "views/draw_view.h"
#include "views/pselect_view.h"

using namespace vellary;
using testing::FrameHarness;

namespace {

std::u16string textOf(const model::LineData& line) {
  std::u16string s;
  for (const auto& c : line.chars)
    s += std::u16string_view(c.text.data(), static_cast<size_t>(model::charTextLength(c.text)));
  return s;
}

// Every character of a page, line by line.
std::u16string pageText(const model::PageData& page) {
  std::u16string s;
  for (const auto& b : page.blocks) {
    for (const auto& l : b.lines) s += textOf(l) + u"|";
    for (const auto& c : b.cells)
      for (const auto& l : c.lines) s += textOf(l) + u"|";
  }
  return s;
}

std::u16string documentText(const model::PaperData& paper) {
  std::u16string s;
  for (const auto& p : paper.pages) s += pageText(p) + u"#";
  return s;
}

// The frame shown and active, so that shortcuts reach their actions, on a copy of the sample.
struct Editor {
  FrameHarness h;
  app::CMainFrame* f = nullptr;
  std::string path;

  Editor() {
    f = &h.make(1100, 800);
    path = testing::copySample(h.dir);
  }
  // Opens the copy as the command line does; the window is active again once the progress
  // dialog has gone.
  bool open() { return f->openFile(path) && QTest::qWaitForWindowActive(f); }
  textview::CImageView& view() { return f->textView(); }
  document::CScrivlaDoc& doc() { return f->doc(); }
  editing::CaretState& caret() { return f->editingContext().state(); }
  // Paints every widget now, as the window system would.
  void paintAll() {
    QApplication::processEvents();
    (void)f->grab();
  }
  // Keys that type text, one key event per character as a keyboard or an input method in its
  // direct mode sends them.
  void typeKeys(const QString& keys) {
    view().setFocus();
    for (QChar c : keys) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
      QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
      QApplication::sendEvent(&view(), &press);
      QApplication::sendEvent(&view(), &release);
    }
  }
  void shortcut(Qt::Key key, Qt::KeyboardModifiers mods = Qt::ControlModifier) {
    QTest::keyClick(&view(), key, mods);
  }
};

}  // namespace

class FrameEditingTest : public QObject {
  Q_OBJECT

 private slots:
  // Reload reads the file while the progress dialog lets the window paint: the views must draw
  // the document that is still whole, then the new one.
  void reloadWhileTheWindowPaints() {
    Editor e;
    QVERIFY(e.open());
    e.typeKeys(QStringLiteral("xyz"));
    const std::u16string typed = documentText(*e.doc().paper());
    // Pending paints are left for the reader's pumps to run.
    e.view().viewport()->update();
    e.f->imageView().viewport()->update();
    QVERIFY(e.f->commands().dispatch(app::IdReload));  // the question's default is OK
    e.paintAll();
    const auto reread = rovorirud::readDocumentFile(e.path);
    QVERIFY(reread.paper != nullptr);
    QVERIFY(documentText(*e.doc().paper()) != typed);
    QCOMPARE(e.view().currentPage(), e.doc().page(e.doc().currentPage()));
    QVERIFY(e.caret().caret.valid());
    QVERIFY(!e.f->commands().isEnabled(app::IdUndo));
    QCOMPARE(e.doc().docModified(), 0);
    // And the editor goes on working on the new records.
    e.typeKeys(QStringLiteral("q"));
    QCOMPARE(e.doc().docModified(), 1);
  }

  // Recovery at start-up restores the backup into a window that paints while it reads.
  void recoveryWhileTheWindowPaints() {
    Editor e;
    std::filesystem::copy_file(e.path, e.h.dir / "_$backup.xml");
    e.h.app.backupOrgFileName = e.path;
    e.view().viewport()->update();
    QVERIFY(e.doc().offerRecovery());  // the question's default is OK
    e.paintAll();
    QCOMPARE(e.h.prompter.shown.front().text,
             std::string("プログラムの異常終了などが原因で、前回作業時のデータが残っています。\n"
                         "可能な限り復元を試みますか？"));
    QCOMPARE(e.doc().pathName(), e.path);
    QCOMPARE(e.doc().docModified(), 1);
    QCOMPARE(e.view().currentPage(), e.doc().page(e.doc().currentPage()));
    QVERIFY(e.f->windowTitle().startsWith(QStringLiteral("minato.xml")));
    QCOMPARE(e.f->pageList().markText(e.doc().currentPage()), QStringLiteral("*"));
  }

  // Typing enables the undo item at once, and Ctrl+Z takes the typing back; Ctrl+Y and
  // Ctrl+Shift+Z bring it again.
  void typingIsUndoneByTheShortcut() {
    Editor e;
    QVERIFY(e.open());
    const std::u16string opened = documentText(*e.doc().paper());
    QAction* undo = e.f->commands().action(app::IdUndo);
    QAction* redo = e.f->commands().action(app::IdRedo);
    QVERIFY(!undo->isEnabled());
    e.typeKeys(QStringLiteral("ab"));
    QVERIFY(undo->isEnabled());
    QCOMPARE(undo->text(), QStringLiteral("元に戻す - 文字入力(&U)"));
    e.shortcut(Qt::Key_Z);
    QCOMPARE(documentText(*e.doc().paper()), opened);
    QVERIFY(redo->isEnabled());
    QCOMPARE(redo->text(), QStringLiteral("やり直し - 文字入力(&R)"));
    e.shortcut(Qt::Key_Y);
    QVERIFY(documentText(*e.doc().paper()) != opened);
    e.shortcut(Qt::Key_Z);
    e.shortcut(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(documentText(*e.doc().paper()) != opened);
    QVERIFY(!redo->isEnabled());
  }

  // A candidate, then typing, then Enter: each undo takes back one of them, newest first.
  void undoStepsBackOneEditAtATime() {
    Editor e;
    QVERIFY(e.open());
    model::CharData* target = e.caret().caret.character();
    QVERIFY(target != nullptr);
    target->resetCandidates(2);
    target->candText(0) = target->text;
    target->candText(1) = model::makeCharText(u'湊');
    const std::u16string opened = documentText(*e.doc().paper());
    e.f->correction().chooseCandidate(1);
    const std::u16string chosen = documentText(*e.doc().paper());
    QVERIFY(chosen != opened);
    e.typeKeys(QStringLiteral("ab"));
    const std::u16string typed = documentText(*e.doc().paper());
    QTest::keyClick(&e.view(), Qt::Key_Return);
    QVERIFY(documentText(*e.doc().paper()) != typed);
    e.shortcut(Qt::Key_Z);
    QCOMPARE(documentText(*e.doc().paper()), typed);
    e.shortcut(Qt::Key_Z);
    QCOMPARE(documentText(*e.doc().paper()), chosen);
    e.shortcut(Qt::Key_Z);
    QCOMPARE(documentText(*e.doc().paper()), opened);
  }

  // Twenty edits of different kinds, then twenty undos: the text is the one that was opened.
  void twentyEditsAndTwentyUndos() {
    Editor e;
    QVERIFY(e.open());
    const std::u16string opened = documentText(*e.doc().paper());
    const int down = Qt::Key_Down;
    for (int i = 0; i < 20; ++i) {
      switch (i % 4) {
        case 0:
          e.typeKeys(QStringLiteral("x"));
          break;
        case 1:
          QTest::keyClick(&e.view(), Qt::Key_Delete);
          break;
        case 2:
          QTest::keyClick(&e.view(), Qt::Key_Backspace);
          break;
        case 3:
          QTest::keyClick(&e.view(), Qt::Key_Return);
          break;
      }
      // The caret moves on between edits: each is a step of its own.
      QTest::keyClick(&e.view(), static_cast<Qt::Key>(down));
    }
    QVERIFY(e.doc().history().size() >= 15);
    for (int i = 0; i < 20; ++i) e.shortcut(Qt::Key_Z);
    QCOMPARE(documentText(*e.doc().paper()), opened);
    QVERIFY(!e.f->commands().isEnabled(app::IdUndo));
  }

  // A click into the table's empty cell and typing: the text stands in that cell, on screen and
  // in the saved file.
  void typingIntoAnEmptyTableCell() {
    Editor e;
    QVERIFY(e.open());
    e.doc().setCurrentPage(1);
    model::PageData& page = *e.doc().page(1);
    model::BlockData* table = nullptr;
    for (auto& b : page.blocks)
      if (b.type == model::BlockTable) table = &b;
    QVERIFY(table != nullptr);
    model::CellData* empty = nullptr;
    for (auto& c : table->cells)
      if (c.lines.empty() && c.connectGroup == 0) empty = &c;
    QVERIFY(empty != nullptr);
    const double zoom = e.doc().zoom();
    const QPoint canvas(static_cast<int>((empty->x + empty->width / 2) * zoom),
                        static_cast<int>((empty->y + empty->height / 2) * zoom));
    auto& tv = e.view();
    tv.horizontalScrollBar()->setValue(canvas.x() - tv.viewport()->width() / 2);
    tv.verticalScrollBar()->setValue(canvas.y() - tv.viewport()->height() / 2);
    QTest::mouseClick(tv.viewport(), Qt::LeftButton, {}, canvas - tv.scrollPosition());
    QCOMPARE(e.caret().caret.cell, empty);
    e.typeKeys(QStringLiteral("未集計"));
    e.shortcut(Qt::Key_S);  // 上書き保存
    QCOMPARE(e.doc().docModified(), 0);

    const auto back = rovorirud::readDocumentFile(e.path);
    QVERIFY(back.paper != nullptr);
    const model::PageData& saved = *std::next(back.paper->pages.begin());
    const model::BlockData* savedTable = nullptr;
    for (const auto& b : saved.blocks)
      if (b.type == model::BlockTable) savedTable = &b;
    QVERIFY(savedTable != nullptr);
    int withText = 0;
    for (const auto& c : savedTable->cells) {
      std::u16string s;
      for (const auto& l : c.lines) s += textOf(l);
      if (c.row == empty->row && c.col == empty->col) QCOMPARE(s, std::u16string(u"未集計"));
      if (s.find(u"未集計") != std::u16string::npos) ++withText;
      if (c.row == 1 && c.col == 1) QCOMPARE(s, std::u16string(u"魚種"));
    }
    QCOMPARE(withText, 1);
  }

  // Re-composing every page builds the page list again: pages with unsaved corrections keep
  // their marks.
  void reComposingAllPagesKeepsTheMarks() {
    Editor e;
    QVERIFY(e.open());
    e.typeKeys(QStringLiteral("z"));
    const int edited = e.doc().currentPage();
    QCOMPARE(e.f->pageList().markText(edited), QStringLiteral("*"));
    QVERIFY(e.f->commands().dispatch(app::IdReComposeAll));
    e.paintAll();
    QCOMPARE(e.f->pageList().markText(edited), QStringLiteral("*"));
  }

  // An edit-mode switch decodes no page image; a chosen candidate redraws its line, not the
  // page, like a typed character.
  void viewsRedrawNoMoreThanChanged() {
    Editor e;
    QVERIFY(e.open());
    const long decodes = views::CDrawView::decodeCount();
    QVERIFY(e.f->commands().dispatch(app::IdBlockEdit));
    QVERIFY(e.f->commands().dispatch(app::IdCharEdit));
    QCOMPARE(views::CDrawView::decodeCount(), decodes);
    model::CharData* target = e.caret().caret.character();
    QVERIFY(target != nullptr);
    target->resetCandidates(2);
    target->candText(0) = target->text;
    target->candText(1) = model::makeCharText(u'湊');
    const int full = e.view().fullUpdates();
    e.f->correction().chooseCandidate(1);
    QCOMPARE(e.view().fullUpdates(), full);
    e.typeKeys(QStringLiteral("a"));
    QCOMPARE(e.view().fullUpdates(), full);
    // Undo and redo of characters draw their line again, not the page.
    e.shortcut(Qt::Key_Z);
    e.shortcut(Qt::Key_Y);
    QCOMPARE(e.view().fullUpdates(), full);
    QCOMPARE(views::CDrawView::decodeCount(), decodes);
    // A line break changes the lines themselves: its undo lays the page out again.
    QTest::keyClick(&e.view(), Qt::Key_Return);
    const int split = e.view().fullUpdates();
    e.shortcut(Qt::Key_Z);
    QVERIFY(e.view().fullUpdates() > split);
  }

  // Enter and Backspace change the page's lines: the views lay the page out again, and the
  // proofreader's place must stay where the eye is, on vertical and horizontal pages alike.
  void enterAndBackspaceKeepTheViewWhereItWas() {
    Editor e;
    QVERIFY(e.open());
    QVERIFY(e.f->commands().dispatch(app::IdZoom100));
    e.paintAll();
    int tried = 0;
    // The layout display with each image pane, and both text-flow displays.
    for (const int display : {0, int{app::IdImageBeside}, int{app::IdLineImage},
                              int{app::IdForceVertical}, int{app::IdForceHorizontal}})
      for (int page = 0; page < static_cast<int>(e.doc().paper()->pages.size()); ++page) {
        if (display != 0) QVERIFY(e.f->commands().dispatch(display));
        e.doc().setCurrentPage(page);
        e.paintAll();
        QScrollBar* h = e.view().horizontalScrollBar();
        QScrollBar* v = e.view().verticalScrollBar();
        if (h->maximum() == 0 && v->maximum() == 0) continue;  // the whole page is in sight
        // Somewhere in the middle of the page, away from its start.
        h->setValue(h->maximum() / 2);
        v->setValue(v->maximum() / 2);
        e.paintAll();
        const QSize vp = e.view().viewport()->size();
        const QPoint middle(vp.width() / 2, vp.height() / 2);
        QTest::mouseClick(e.view().viewport(), Qt::LeftButton, {}, middle);
        const model::LineData* line = e.caret().caret.line;
        // Inside a line: Enter at a line's end goes on to the next line, which may lie in a
        // table that the text-flow displays do not show.
        if (line == nullptr || e.caret().caret.index() == 0 ||
            e.caret().caret.index() + 1 >= static_cast<int>(line->chars.size()))
          continue;
        const QPoint before(h->value(), v->value());
        ++tried;
        // In the layout display a line break moves nothing that is in sight; in a text-flow
        // display the new line starts a row or column of its own, and the view follows the caret
        // there.
        auto keptInPlace = [&](const char* what) {
          e.paintAll();
          const QPoint now(h->value(), v->value());
          const QRect caret = e.view().selectionRect().translated(-e.view().scrollPosition());
          const bool flow =
              display == int{app::IdForceVertical} || display == int{app::IdForceHorizontal};
          const bool ok = flow ? QRect(QPoint(0, 0), vp).intersects(caret)
                               : (now - before).manhattanLength() < vp.height() / 4;
          if (!ok)
            qWarning("display %d page %d: %s moved the view from %d,%d to %d,%d", display, page + 1,
                     what, before.x(), before.y(), now.x(), now.y());
          return ok;
        };
        QTest::keyClick(&e.view(), Qt::Key_Return);
        QVERIFY(keptInPlace("Enter"));
        QTest::keyClick(&e.view(), Qt::Key_Backspace);
        QVERIFY(keptInPlace("Backspace"));
        // In the layout display the page image scrolls with the text.
        if (display == 0)
          QVERIFY(e.f->imageView().horizontalScrollBar()->value() != 0 ||
                  e.f->imageView().verticalScrollBar()->value() != 0);
      }
    QVERIFY2(tried >= 4, qPrintable(QString::number(tried)));
  }
};

QTEST_MAIN(FrameEditingTest)
#include "frame_editing_test.moc"
