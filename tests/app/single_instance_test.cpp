// One editor per user: the second claimant is turned away and the first is asked to come forward,
// with the file the second was started with.
#include "app/single_instance.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

int runProgressTests(int argc, char** argv);
int runLockKeyTests(int argc, char** argv);

using vellary::app::SingleInstance;

namespace {

QString uniqueName() {
  return QStringLiteral("vellary-test-") + QUuid::createUuid().toString(QUuid::Id128);
}

// The first instance, listening: `events` holds "raise" for each knock and each file handed
// over, in order.
struct First {
  SingleInstance instance;
  QStringList events;
  bool claimed = false;
  explicit First(const QString& name) : instance(name) {
    instance.onOpen([this](const std::string& path) { events << QString::fromStdString(path); });
    claimed = instance.claim([this] { events << QStringLiteral("raise"); });
  }
};

// A later instance started with `path` (none when empty): true when it was turned away.
bool turnedAway(const QString& name, const std::string& path = {}) {
  SingleInstance later(name);
  later.setRequest({path});
  return !later.claim([] {});
}

}  // namespace

class SingleInstanceTest : public QObject {
  Q_OBJECT

  struct Run {
    bool finished = false;
    int exitCode = -1;
    QString stderrText;
    QStringList served;  // what the first instance was asked, in order (First::events)
  };

  // Runs the real program with `arguments` in `folder` while this process holds the user's name
  // (in a private temporary folder, which keeps a running editor of the user out of the test).
  static Run secondProgram(const QStringList& arguments, const QString& folder = {}) {
    Run run;
    QTemporaryDir sockets, home;
    if (!sockets.isValid() || !home.isValid()) return run;
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", sockets.path().toLocal8Bit());
    First first(vellary::app::instanceName());
    const bool claimed = first.claimed;

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
    run.served = first.events;
    return run;
  }

 private slots:
  void secondClaimIsRefusedAndRaisesTheFirst() {
    const QString name = uniqueName();
    First first(name);
    QVERIFY(first.claimed);
    QVERIFY(turnedAway(name));
    QTRY_COMPARE(first.events, QStringList{QStringLiteral("raise")});
  }

  // A later start with a file hands the whole path over, however odd its name (a line feed, a
  // percent sign, bytes that are no UTF-8); the first comes forward, then opens it.
  void secondClaimHandsItsFileToTheFirst() {
    const QString name = uniqueName();
    First first(name);
    QVERIFY(first.claimed);
    const std::string odd = "/tmp/新しい 文書%/line\nbreak\n\xff.xml";
    QVERIFY(turnedAway(name, odd));
    QVERIFY(turnedAway(name, "/tmp/b.xml"));
    QTRY_COMPARE(first.events.size(), 4);
    QCOMPARE(first.events, (QStringList{QStringLiteral("raise"), QString::fromStdString(odd),
                                        QStringLiteral("raise"), QStringLiteral("/tmp/b.xml")}));
  }

  void requestsOnTheChannel() {
    using vellary::app::decodeRequest;
    using vellary::app::encodeRequest;
    QCOMPARE(encodeRequest({}), QByteArray("raise\n"));
    const QByteArray line = encodeRequest({"/a b/c\nd.xml"});
    QVERIFY(line.startsWith("raise /"));  // what an editor that knows no files reads as a knock
    QCOMPARE(line.count('\n'), 1);        // one line, whatever the name holds
    QCOMPARE(decodeRequest(line.chopped(1))->path, std::string("/a b/c\nd.xml"));
    QCOMPARE(decodeRequest("raise")->path, std::string());
    // What no later instance sends is no request: a relative path, an empty one, a NUL, noise.
    QVERIFY(!decodeRequest("raise relative.xml").has_value());
    QVERIFY(!decodeRequest("raise ").has_value());
    QVERIFY(!decodeRequest("raise /a%00b").has_value());
    QVERIFY(!decodeRequest("raisex /a").has_value());
    QVERIFY(!decodeRequest("close").has_value());
  }

  // A peer that sends an endless line is cut off; the first instance goes on serving.
  void anEndlessLineIsNoRequest() {
    const QString name = uniqueName();
    First first(name);
    QVERIFY(first.claimed);
    QLocalSocket peer;
    peer.connectToServer(name);
    QVERIFY(peer.waitForConnected(1000));
    peer.write(QByteArray(vellary::app::kRequestLineLimit + 1024, 'x'));
    QTRY_COMPARE(peer.state(), QLocalSocket::UnconnectedState);
    QVERIFY(first.events.isEmpty());
    QVERIFY(turnedAway(name, "/tmp/c.xml"));
    QTRY_COMPARE(first.events, (QStringList{QStringLiteral("raise"), QStringLiteral("/tmp/c.xml")}));
  }

  void aStaleNameIsTakenOver() {
    const QString name = uniqueName();
    {
      SingleInstance gone(name);
      QVERIFY(gone.claim([] {}));
    }
    SingleInstance next(name);
    QVERIFY(next.claim([] {}));
  }

  // The real program started while another instance holds the user's name. Without a file it
  // says so, asks the first to come forward and ends; with one it hands the file's whole path
  // over and ends without a word. Neither opens a window of its own.
  void secondProgramEndsAndRaisesTheFirst() {
    const auto run = secondProgram({});
    QVERIFY2(run.finished, "the second program did not end");
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.stderrText.contains(QStringLiteral("Vellary PRO 訂正プログラム は既に起動しています。")));
    QCOMPARE(run.served, QStringList{QStringLiteral("raise")});
  }

  void secondProgramWithAFileHandsItOver() {
    QTemporaryDir folder;
    const auto run = secondProgram({QStringLiteral("本 1.xml")}, folder.path());
    QVERIFY2(run.finished, "the second program did not end");
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(!run.stderrText.contains(QStringLiteral("既に起動しています")), qPrintable(run.stderrText));
    QCOMPARE(run.served,
             (QStringList{QStringLiteral("raise"), folder.path() + QStringLiteral("/本 1.xml")}));
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
