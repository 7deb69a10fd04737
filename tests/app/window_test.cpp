// The main window on screens of known sizes (the offscreen platform given two screens): a first
// start, a stored window larger than its screen, a maximised window whose page list was made
// wide, and a screen that is gone — the window always fits the screen it opens on. And Qt's own
// texts in Japanese through the editor's start-up function.
#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>

#include "app/scrivla_app.h"
#include "support/gui_harness.h"
#include "views/pselect_view.h"

using namespace vellary;

namespace {

// The primary screen and a second one to its right.
const QRect kPrimary(0, 0, 1600, 1000);
const QRect kSecond(1600, 0, 1280, 800);

// A frame on settings an earlier run stored, shown as start-up shows it.
struct StoredWindow {
  testing::FrameHarness h;
  std::unique_ptr<app::CMainFrame>& f = h.window;

  void store(int x, int y, int width, int height, int zoomed = 0, int selViewWidth = -1) {
    h.store.setInt("Window", "x", x);
    h.store.setInt("Window", "y", y);
    h.store.setInt("Window", "width", width);
    h.store.setInt("Window", "height", height);
    h.store.setInt("Window", "zoomed", zoomed);
    h.store.setInt("Window", "SelViewWidth", selViewWidth);
  }
  app::CMainFrame& show() {
    f = std::make_unique<app::CMainFrame>(
        app::FrameContext{h.app, h.frame, h.store, h.prompter, &h.progress, h.clock,
                          h.dir / "_$backup.xml", views::PreviewCache(h.dir / "previews")});
    h.progress.dialog().setMainWindow(f.get());
    f->showAsStored();
    (void)QTest::qWaitForWindowExposed(f.get());
    f->applyStoredArrangement();
    QTest::qWait(20);  // the placement's last look, once the frame is known
    return *f;
  }
};

QScreen* screenOf(const QRect& area) {
  for (QScreen* s : QGuiApplication::screens())
    if (s->geometry() == area) return s;
  return nullptr;
}

// The window, its frame included, lies on `area` — and no part of the window asks for more.
bool fits(const QWidget& w, const QRect& area) {
  return area.contains(w.frameGeometry()) && w.minimumSizeHint().width() <= area.width() &&
         w.minimumSizeHint().height() <= area.height();
}

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private slots:
  void theScreensAreThereAsConfigured() {
    QVERIFY(screenOf(kPrimary) != nullptr);
    QVERIFY(screenOf(kSecond) != nullptr);
    QCOMPARE(QGuiApplication::primaryScreen()->geometry(), kPrimary);
  }

  // Nothing stored: nine tenths of the screen, centred, with a narrow page list and the text
  // and image views sharing the rest.
  void aFirstStartTakesMostOfTheScreen() {
    StoredWindow s;
    auto& f = s.show();
    QVERIFY2(fits(f, kPrimary), qPrintable(QDebug::toString(f.frameGeometry())));
    // Nine tenths, less what the frame was estimated to take beyond what it does take.
    QVERIFY(std::abs(f.frameGeometry().width() - 1440) <= 40);
    QVERIFY(std::abs(f.frameGeometry().height() - 900) <= 40);
    QVERIFY(std::abs(f.frameGeometry().center().x() - kPrimary.center().x()) <= 2);
    const int list = f.pageList().width();
    QVERIFY(list > 0 && list <= f.width() / 3);
    const app::PaneSizes panes = f.paneSizes();
    QVERIFY(panes.col0 > 0 && panes.col1 > 0);
    QVERIFY(std::abs(panes.col0 - panes.col1) <= 20);
  }

  void aStoredWindowLargerThanTheScreenIsCutToIt() {
    StoredWindow s;
    s.store(0, 0, 2400, 1653);
    auto& f = s.show();
    QVERIFY2(fits(f, kPrimary), qPrintable(QDebug::toString(f.frameGeometry())));
    // Cut to the screen, less at most what the frame was estimated to take.
    QVERIFY2(f.frameGeometry().height() >= kPrimary.height() - 60,
             qPrintable(QDebug::toString(f.frameGeometry())));
  }

  // Maximised once with a wide page list (whose preview of a tall page is then tall): the next
  // start opens maximised, within the screen, the status bar in reach.
  void aMaximisedWindowWithAWidePageListFitsItsScreen() {
    StoredWindow s;
    s.store(0, 0, 1600, 1653, 1, 1100);
    auto& f = s.show();
    const std::string path = testing::copySample(s.h.dir);
    QVERIFY(f.openFile(path));
    QVERIFY(f.pageList().hasPreview());
    QApplication::processEvents();
    QVERIFY(f.isMaximized());
    // The stored width is cut to the page list's share.
    QVERIFY(f.pageList().width() <= f.width() / 3);
    // The user drags the bar far to the right: the preview of the portrait page asks for more
    // height than the screen has, and the window still fits.
    auto* outer = f.findChild<QSplitter*>(QStringLiteral("outerSplitter"));
    QVERIFY(outer != nullptr);
    outer->setSizes({1100, f.width() - 1100});
    emit outer->splitterMoved(1100, 1);
    QApplication::processEvents();
    QVERIFY2(f.pageList().previewSize().height() > kPrimary.height(),
             qPrintable(QDebug::toString(f.pageList().previewSize())));
    QVERIFY(f.isMaximized());
    QVERIFY2(fits(f, kPrimary), qPrintable(QDebug::toString(f.frameGeometry()) + " min " +
                                           QDebug::toString(f.minimumSizeHint())));
    // The status bar is inside the screen.
    const QWidget* bar = f.findChild<QWidget*>(QStringLiteral("pageCounter"));
    QVERIFY(bar != nullptr);
    QVERIFY(kPrimary.contains(QRect(bar->mapToGlobal(QPoint(0, 0)), bar->size())));
  }

  void aWindowStoredOnTheSecondScreenOpensThere() {
    StoredWindow s;
    s.store(1700, 100, 1000, 600);
    auto& f = s.show();
    QVERIFY2(fits(f, kSecond), qPrintable(QDebug::toString(f.frameGeometry())));
    QCOMPARE(f.geometry().topLeft(), QPoint(1700, 100));
    QCOMPARE(f.screen()->geometry(), kSecond);
  }

  // The screen the window was on is gone: it opens centred on the primary screen, cut to it.
  void aWindowOnAScreenThatIsGoneOpensOnThePrimaryOne() {
    StoredWindow s;
    s.store(4000, 300, 1900, 1100);
    auto& f = s.show();
    QVERIFY2(fits(f, kPrimary), qPrintable(QDebug::toString(f.frameGeometry())));
    QVERIFY(std::abs(f.frameGeometry().center().x() - kPrimary.center().x()) <= 2);
  }

  // Start-up's own function: the standard buttons, the file, colour and font dialogs speak
  // Japanese, and so do the message boxes the editor asks its questions in.
  void qtsOwnTextsAreJapanese() {
    QVERIFY(app::installQtTranslations());
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                             QDialogButtonBox::Yes | QDialogButtonBox::No);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
    QCOMPARE(buttons.button(QDialogButtonBox::Yes)->text(), QStringLiteral("はい(&Y)"));
    QCOMPARE(buttons.button(QDialogButtonBox::No)->text(), QStringLiteral("いいえ(&N)"));
    QFileDialog save;
    save.setOption(QFileDialog::DontUseNativeDialog);
    save.setAcceptMode(QFileDialog::AcceptSave);
    QCOMPARE(save.windowTitle(), QStringLiteral("名前を付けて保存"));
    QColorDialog colour;
    colour.setOption(QColorDialog::DontUseNativeDialog);
    QCOMPARE(colour.windowTitle(), QStringLiteral("色を選択"));
    QFontDialog font;
    font.setOption(QFontDialog::DontUseNativeDialog);
    QCOMPARE(font.windowTitle(), QStringLiteral("フォントの選択"));

    // A question as the editor asks it: read the box's buttons while it is up, then answer.
    app::MessageBoxPrompter prompter;
    QStringList seen;
    QTimer::singleShot(0, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        for (QAbstractButton* b : box->buttons()) seen << b->text();
        box->button(QMessageBox::Cancel)->click();
      }
    });
    const auto answer = prompter.ask("保存しますか？", "Vellary", appcore::Buttons::YesNoCancel,
                                     appcore::Answer::Yes, appcore::Icon::Question);
    QCOMPARE(answer, appcore::Answer::Cancel);
    seen.sort();
    QCOMPARE(seen, (QStringList{QStringLiteral("いいえ(&N)"), QStringLiteral("はい(&Y)"),
                                QStringLiteral("キャンセル")}));
  }
};

int main(int argc, char** argv) {
  // Two screens of known sizes for the offscreen platform.
  QTemporaryFile config;
  if (!config.open()) return 2;
  config.write(QStringLiteral(R"({"screens": [
      {"name": "primary", "x": %1, "y": %2, "width": %3, "height": %4},
      {"name": "second", "x": %5, "y": %6, "width": %7, "height": %8}]})")
                   .arg(kPrimary.x()).arg(kPrimary.y()).arg(kPrimary.width()).arg(kPrimary.height())
                   .arg(kSecond.x()).arg(kSecond.y()).arg(kSecond.width()).arg(kSecond.height())
                   .toUtf8());
  config.flush();
  qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config.fileName()).toLocal8Bit());
  // No answers on standard error: the message box test reads a real box.
  qunsetenv("VELLARY_UNATTENDED");
  QApplication app(argc, argv);
  WindowTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "window_test.moc"
