// The progress dialog: the main window disabled while it exists, the count text, Cancel raising
// the flag without closing, and a pump that does nothing while Cancel is hidden.
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "app/prog_show.h"

using vellary::app::CProgShow;
using vellary::app::DialogProgress;

class ProgressTest : public QObject {
  Q_OBJECT

 private slots:
  void disablesTheMainWindowWhileItExists() {
    QMainWindow main;
    main.show();
    CProgShow dialog(&main);
    dialog.create();
    QVERIFY(!main.isEnabled());
    QVERIFY(dialog.isVisible());
    dialog.destroy();
    QVERIFY(main.isEnabled());
    QVERIFY(!dialog.isVisible());
  }

  void cancelRaisesTheFlagAndKeepsTheDialog() {
    QMainWindow main;
    CProgShow dialog(&main);
    dialog.create();
    QVERIFY(!dialog.pump());
    QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
    QVERIFY(dialog.cancelled());
    QVERIFY(dialog.pump());
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.cancelButton()->text(), QStringLiteral("キャンセル"));
    // A new run starts uncancelled.
    dialog.destroy();
    dialog.create();
    QVERIFY(!dialog.cancelled());
  }

  void hiddenCancelPumpsNothing() {
    CProgShow dialog(nullptr);
    dialog.create();
    dialog.cancelButton()->click();
    dialog.showCancel(false);
    QVERIFY(!dialog.pump());
  }

  void countTextTitleAndBar() {
    CProgShow dialog(nullptr);
    dialog.setCount(3, 12);
    QCOMPARE(dialog.textLabel()->text(), QStringLiteral("変換数 3 / 12"));
    DialogProgress progress(nullptr);
    progress.setCaption("Xmlファイル読み込み中...");
    progress.setRange(0, 10);
    progress.step();
    progress.step();
    QCOMPARE(progress.dialog().windowTitle(), QStringLiteral("Xmlファイル読み込み中..."));
    QCOMPARE(progress.dialog().bar()->value(), 2);
    progress.show();
    QVERIFY(progress.dialog().exists());
    progress.hide();
    QVERIFY(!progress.dialog().exists());
  }
};

int runProgressTests(int argc, char** argv) {
  ProgressTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "progress_test.moc"
