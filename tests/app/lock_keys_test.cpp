// The status bar's lock panes show a lock's name while it is on, and nothing without a keyboard
// to ask.
#include "app/lock_keys.h"

#include <QGuiApplication>
#include <QLabel>
#include <QStatusBar>
#include <QTest>

using vellary::app::LockKeyPanes;
using vellary::app::LockKeys;

class LockKeysTest : public QObject {
  Q_OBJECT

 private slots:
  void panesFollowTheStates() {
    QStatusBar bar;
    std::optional<LockKeys> states = LockKeys{};
    LockKeyPanes panes(&bar, [&] { return states; });
    auto texts = [&] {
      QStringList t;
      for (int i = 0; i < 4; ++i) t << panes.pane(i)->text();
      return t;
    };
    QCOMPARE(texts(), QStringList({"", "", "", ""}));
    states->caps = true;
    states->scroll = true;
    panes.refresh();
    QCOMPARE(texts(), QStringList({"", "CAP", "", "SCRL"}));
    states = LockKeys{true, false, true, false};
    panes.refresh();
    QCOMPARE(texts(), QStringList({"KANA", "", "NUM", ""}));
    // The display went away: no stale states are left showing.
    states.reset();
    panes.refresh();
    QCOMPARE(texts(), QStringList({"", "", "", ""}));
    // A pane keeps its width whether its text shows, so the bar does not jump.
    QVERIFY(panes.pane(1)->minimumWidth() >= panes.pane(1)->fontMetrics().horizontalAdvance("CAP"));
  }

  // Only an X display has indicators to read; elsewhere the panes stay empty, never wrong.
  void statesComeFromAnXDisplayOnly() {
    const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
    QCOMPARE(vellary::app::readX11LockKeys().has_value(), x11);
  }
};

int runLockKeyTests(int argc, char** argv) {
  LockKeysTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "lock_keys_test.moc"
