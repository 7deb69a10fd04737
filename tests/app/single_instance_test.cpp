// One editor per user: the second claimant is turned away and the first is asked to come forward.
#include "app/single_instance.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

int runProgressTests(int argc, char** argv);
int runLockKeyTests(int argc, char** argv);

using vellary::app::SingleInstance;

class SingleInstanceTest : public QObject {
  Q_OBJECT

 private slots:
  void secondClaimIsRefusedAndRaisesTheFirst() {
    const QString name =
        QStringLiteral("vellary-test-") + QUuid::createUuid().toString(QUuid::Id128);
    SingleInstance first(name);
    int raised = 0;
    QVERIFY(first.claim([&] { ++raised; }));
    SingleInstance second(name);
    QVERIFY(!second.claim([] {}));
    QTRY_COMPARE(raised, 1);
  }

  void aStaleNameIsTakenOver() {
    const QString name =
        QStringLiteral("vellary-test-") + QUuid::createUuid().toString(QUuid::Id128);
    {
      SingleInstance gone(name);
      QVERIFY(gone.claim([] {}));
    }
    SingleInstance next(name);
    QVERIFY(next.claim([] {}));
  }

  // The real program started while another instance holds the user's name: it says so, asks the
  // first to come forward and ends without opening a window of its own.
  void secondProgramEndsAndRaisesTheFirst() {
    QTemporaryDir sockets, home;
    QVERIFY(sockets.isValid() && home.isValid());
    // Local socket names live in the temporary folder; a private one keeps a running editor of
    // the user out of the test.
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", sockets.path().toLocal8Bit());
    SingleInstance first(vellary::app::instanceName());
    int raised = 0;
    const bool claimed = first.claim([&] { ++raised; });

    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TMPDIR", sockets.path());
    env.insert("HOME", home.path());
    env.insert("XDG_CONFIG_HOME", home.path() + "/config");
    env.insert("XDG_DATA_HOME", home.path() + "/data");
    env.insert("XDG_CACHE_HOME", home.path() + "/cache");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("VELLARY_UNATTENDED", "1");
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(VELLARY_BIN_DIR "/vellary"), {});
    const bool started = second.waitForStarted(10000);
    // Waiting with the event loop running: the first instance must answer the knock meanwhile.
    QElapsedTimer waited;
    waited.start();
    while (started && second.state() != QProcess::NotRunning && waited.elapsed() < 60000)
      QTest::qWait(50);
    const bool finished = started && second.state() == QProcess::NotRunning;
    if (!finished) second.kill();
    if (oldTmp.isNull())
      qunsetenv("TMPDIR");
    else
      qputenv("TMPDIR", oldTmp);

    QVERIFY(claimed);
    QVERIFY2(finished, "the second program did not end");
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(QString::fromUtf8(second.readAllStandardError())
                .contains(QStringLiteral("Vellary PRO 訂正プログラム は既に起動しています。")));
    QTRY_COMPARE(raised, 1);
  }

  void nameIsPerUser() {
    QVERIFY(vellary::app::instanceName().startsWith(QStringLiteral("hCorrixPrevInstance-")));
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  SingleInstanceTest t;
  const int a = QTest::qExec(&t, argc, argv);
  const int b = runProgressTests(argc, argv);
  return a | b | runLockKeyTests(argc, argv);
}

#include "single_instance_test.moc"
