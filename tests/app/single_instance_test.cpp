// One editor per user: the second claimant is turned away and the first is asked to come forward,
// with the file the second was started with.
#include "app/single_instance.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

int runProgressTests(int argc, char** argv);
int runLockKeyTests(int argc, char** argv);

using vellary::app::InstanceRequest;
using vellary::app::SingleInstance;

namespace {

QString uniqueName() {
  return QStringLiteral("vellary-test-") + QUuid::createUuid().toString(QUuid::Id128);
}

}  // namespace

class SingleInstanceTest : public QObject {
  Q_OBJECT

  struct Run {
    bool finished = false;
    int exitCode = -1;
    QString stderrText;
    QList<QString> served;  // what the first instance was asked, in order
  };

  // Runs the real program with `arguments` in `folder` while this process holds the user's name
  // (in a private temporary folder, which keeps a running editor of the user out of the test).
  static Run secondProgram(const QStringList& arguments, const QString& folder = {}) {
    Run run;
    QTemporaryDir sockets, home;
    if (!sockets.isValid() || !home.isValid()) return run;
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", sockets.path().toLocal8Bit());
    SingleInstance first(vellary::app::instanceName());
    const bool claimed =
        first.claim({}, [&](const InstanceRequest& r) { run.served << r.path; });

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
    if (!folder.isEmpty()) second.setWorkingDirectory(folder);
    second.start(QStringLiteral(VELLARY_BIN_DIR "/vellary"), arguments);
    const bool started = claimed && second.waitForStarted(10000);
    // Waiting with the event loop running: the first instance must answer the knock meanwhile.
    QElapsedTimer waited;
    waited.start();
    while (started && second.state() != QProcess::NotRunning && waited.elapsed() < 60000)
      QTest::qWait(50);
    run.finished = started && second.state() == QProcess::NotRunning;
    if (!run.finished) second.kill();
    // What the first instance read after the second had gone.
    QTest::qWait(100);
    if (oldTmp.isNull())
      qunsetenv("TMPDIR");
    else
      qputenv("TMPDIR", oldTmp);
    if (second.exitStatus() == QProcess::NormalExit) run.exitCode = second.exitCode();
    run.stderrText = QString::fromUtf8(second.readAllStandardError());
    return run;
  }

 private slots:
  void secondClaimIsRefusedAndRaisesTheFirst() {
    const QString name = uniqueName();
    SingleInstance first(name);
    QList<QString> served;
    QVERIFY(first.claim({}, [&](const InstanceRequest& r) { served << r.path; }));
    SingleInstance second(name);
    QVERIFY(!second.claim({}, [](const InstanceRequest&) {}));
    QTRY_COMPARE(served, QList<QString>{QString()});
  }

  // A later start with a file hands the whole path over, however odd its name.
  void secondClaimHandsItsFileToTheFirst() {
    const QString name = uniqueName();
    SingleInstance first(name);
    QList<QString> served;
    QVERIFY(first.claim({}, [&](const InstanceRequest& r) { served << r.path; }));
    const QString odd = QStringLiteral("/tmp/新しい 文書%/line\nbreak\n.xml");
    SingleInstance second(name), third(name);
    QVERIFY(!second.claim({odd}, [](const InstanceRequest&) {}));
    QVERIFY(!third.claim({QStringLiteral("/tmp/b.xml")}, [](const InstanceRequest&) {}));
    QTRY_COMPARE(served.size(), 2);
    QCOMPARE(served, (QList<QString>{odd, QStringLiteral("/tmp/b.xml")}));
  }

  void requestsOnTheChannel() {
    using vellary::app::decodeRequest;
    using vellary::app::encodeRequest;
    QCOMPARE(encodeRequest({}), QByteArray("raise\n"));
    const QByteArray line = encodeRequest({QStringLiteral("/a b/c\nd.xml")});
    QVERIFY(line.endsWith('\n'));
    QCOMPARE(line.count('\n'), 1);  // one line, whatever the name holds
    QCOMPARE(decodeRequest(line.chopped(1))->path, QStringLiteral("/a b/c\nd.xml"));
    QCOMPARE(decodeRequest("raise")->path, QString());
    // What no later instance sends is no request: a relative path, an empty one, noise.
    QVERIFY(!decodeRequest("open relative.xml").has_value());
    QVERIFY(!decodeRequest("open ").has_value());
    QVERIFY(!decodeRequest("open /a%00b").has_value());
    QVERIFY(!decodeRequest("close").has_value());
  }

  void aStaleNameIsTakenOver() {
    const QString name = uniqueName();
    {
      SingleInstance gone(name);
      QVERIFY(gone.claim({}, [](const InstanceRequest&) {}));
    }
    SingleInstance next(name);
    QVERIFY(next.claim({}, [](const InstanceRequest&) {}));
  }

  // The real program started while another instance holds the user's name. Without a file it
  // says so, asks the first to come forward and ends; with one it hands the file's whole path
  // over and ends without a word. Neither opens a window of its own.
  void secondProgramEndsAndRaisesTheFirst() {
    const auto run = secondProgram({});
    QVERIFY2(run.finished, "the second program did not end");
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.stderrText.contains(QStringLiteral("Vellary PRO 訂正プログラム は既に起動しています。")));
    QCOMPARE(run.served, QList<QString>{QString()});
  }

  void secondProgramWithAFileHandsItOver() {
    QTemporaryDir folder;
    const auto run = secondProgram({QStringLiteral("本 1.xml")}, folder.path());
    QVERIFY2(run.finished, "the second program did not end");
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(!run.stderrText.contains(QStringLiteral("既に起動しています")), qPrintable(run.stderrText));
    QCOMPARE(run.served, QList<QString>{folder.path() + QStringLiteral("/本 1.xml")});
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
