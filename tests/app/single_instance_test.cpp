// One editor per user: the second claimant is turned away and the first is asked to come forward,
// with the file the second was started with.
#include "app/single_instance.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <grp.h>
#include <poll.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QMutex>
#include <QSemaphore>
#include <QThread>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <cstring>
#include <utility>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

int runProgressTests(int argc, char** argv);
int runLockKeyTests(int argc, char** argv);

using vellary::app::SingleInstance;

namespace {

// The first editor in a thread of its own, so that it answers while the test's thread waits for
// the answer, as another process would.
class FirstEditor : public QThread {
 public:
  explicit FirstEditor(QString name) : name_(std::move(name)) {
    start();
    claimed_.acquire();
  }
  ~FirstEditor() override {
    quit();
    wait();
  }
  SingleInstance::Claim claim() const { return claim_; }
  int raised() const { return raised_; }
  // "raise" for each knock and the path of each file handed over, in order.
  QStringList events() const {
    QMutexLocker lock(&mutex_);
    return events_;
  }

 protected:
  void run() override {
    SingleInstance instance(name_);
    instance.onOpen([this](const std::string& path) { record(QString::fromStdString(path)); });
    claim_ = instance.claim([this] {
      ++raised_;
      record(QStringLiteral("raise"));
    });
    claimed_.release();
    exec();
  }

 private:
  QString name_;
  QSemaphore claimed_;
  SingleInstance::Claim claim_ = SingleInstance::Claim::Unguarded;
  std::atomic<int> raised_{0};
  mutable QMutex mutex_;
  QStringList events_;

  void record(const QString& event) {
    QMutexLocker lock(&mutex_);
    events_ << event;
  }
};

// A later editor started with `path` (none when empty): true when it was turned away.
bool turnedAway(const QString& name, const std::string& path = {}) {
  SingleInstance later(name);
  later.setRequest({path});
  return later.claim([] {}) == SingleInstance::Claim::AnotherEditor;
}

// Waits for the child's "ready" byte, at most a few seconds.
bool childReady(int fd) {
  pollfd p{fd, POLLIN, 0};
  char c;
  return ::poll(&p, 1, 5000) == 1 && ::read(fd, &c, 1) == 1;
}

// A listening socket at `path` in a child process running as `uid`, answering every connection
// with `answer` (nothing when empty). Returns the child's pid; the caller kills it.
pid_t foreignListener(const QString& path, uid_t uid, const char* answer, int ready) {
  const QByteArray bytes = path.toLocal8Bit();
  pid_t pid = ::fork();
  if (pid != 0) return pid;
  gid_t gid = uid;
  if (uid != ::getuid() &&
      (::setgroups(1, &gid) != 0 || ::setresgid(gid, gid, gid) != 0 || ::setresuid(uid, uid, uid) != 0))
    ::_exit(1);
  int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, bytes.constData(), sizeof address.sun_path - 1);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 4) != 0)
    ::_exit(2);
  ::write(ready, "x", 1);
  for (;;) {
    int peer = ::accept(fd, nullptr, nullptr);
    if (peer < 0) continue;
    char knock[16];
    (void)::read(peer, knock, sizeof knock);
    if (*answer) (void)::write(peer, answer, std::strlen(answer));
    ::sleep(3);
    ::close(peer);
  }
}

}  // namespace

class SingleInstanceTest : public QObject {
  Q_OBJECT

  struct Run {
    bool claimed = false;
    bool finished = false;
    int exitCode = -1;
    QString stderrText;
    QStringList served;  // what the first instance was asked, in order
  };

  // Runs the real program with `arguments` in `folder` while this process holds the user's name
  // (in a private runtime folder, which keeps a running editor of the user out of the test).
  static Run secondProgram(const QStringList& arguments, const QString& folder = {}) {
    Run run;
    QTemporaryDir runtime, home;
    if (!runtime.isValid() || !home.isValid() ||
        ::chmod(runtime.path().toLocal8Bit().constData(), 0700) != 0)
      return run;
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    SingleInstance first(vellary::app::instanceName());
    first.onOpen([&](const std::string& path) { run.served << QString::fromStdString(path); });
    run.claimed = first.claim([&] { run.served << QStringLiteral("raise"); }) ==
                  SingleInstance::Claim::First;

    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("HOME", home.path());
    env.insert("XDG_CONFIG_HOME", home.path() + "/config");
    env.insert("XDG_DATA_HOME", home.path() + "/data");
    env.insert("XDG_CACHE_HOME", home.path() + "/cache");
    env.insert("XDG_STATE_HOME", home.path() + "/state");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("VELLARY_UNATTENDED", "1");
    second.setProcessEnvironment(env);
    if (!folder.isEmpty()) second.setWorkingDirectory(folder);
    second.start(QStringLiteral(VELLARY_BIN_DIR "/vellary"), arguments);
    const bool started = run.claimed && second.waitForStarted(10000);
    // Waiting with the event loop running: the first instance must answer the knock meanwhile.
    QElapsedTimer waited;
    waited.start();
    while (started && second.state() != QProcess::NotRunning && waited.elapsed() < 60000)
      QTest::qWait(50);
    run.finished = started && second.state() == QProcess::NotRunning;
    if (!run.finished) second.kill();
    // What the first instance read after the second had gone.
    QTest::qWait(100);
    if (oldRuntime.isNull())
      qunsetenv("XDG_RUNTIME_DIR");
    else
      qputenv("XDG_RUNTIME_DIR", oldRuntime);
    if (second.exitStatus() == QProcess::NormalExit) run.exitCode = second.exitCode();
    run.stderrText = QString::fromUtf8(second.readAllStandardError());
    return run;
  }

 private slots:
  void secondClaimIsRefusedAndRaisesTheFirst() {
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("instance"));
    FirstEditor first(name);
    QCOMPARE(first.claim(), SingleInstance::Claim::First);
    SingleInstance second(name);
    QCOMPARE(second.claim([] {}), SingleInstance::Claim::AnotherEditor);
    QTRY_COMPARE(first.raised(), 1);
  }

  // A later start with a file hands the whole path over, however odd its name (a line feed, a
  // percent sign, bytes that are no UTF-8); the first comes forward, then opens it.
  void secondClaimHandsItsFileToTheFirst() {
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("instance"));
    FirstEditor first(name);
    QCOMPARE(first.claim(), SingleInstance::Claim::First);
    const std::string odd = "/tmp/新しい 文書%/line\nbreak\n\xff.xml";
    QVERIFY(turnedAway(name, odd));
    QVERIFY(turnedAway(name, "/tmp/b.xml"));
    QTRY_COMPARE(first.events().size(), 4);
    QCOMPARE(first.events(), (QStringList{QStringLiteral("raise"), QString::fromStdString(odd),
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

  // A peer that sends an endless line, or a line that is no request, is cut off unanswered; the
  // first goes on serving.
  void aPeerThatSendsNoRequestIsCutOff() {
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("instance"));
    FirstEditor first(name);
    QCOMPARE(first.claim(), SingleInstance::Claim::First);
    for (const QByteArray& noise :
         {QByteArray(vellary::app::kRequestLineLimit + 1024, 'x'), QByteArray("close\n")}) {
      QLocalSocket peer;
      peer.connectToServer(name);
      QVERIFY(peer.waitForConnected(1000));
      peer.write(noise);
      QTRY_COMPARE(peer.state(), QLocalSocket::UnconnectedState);
      QVERIFY(!peer.readAll().contains("vellary"));
    }
    QVERIFY(first.events().isEmpty());
    QVERIFY(turnedAway(name, "/tmp/c.xml"));
    QTRY_COMPARE(first.events(),
                 (QStringList{QStringLiteral("raise"), QStringLiteral("/tmp/c.xml")}));
  }

  // What a crashed editor leaves, and a plain file, are taken over: the folder is the user's own.
  void aStaleNameOrAPlainFileIsTakenOver() {
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("instance"));
    {
      SingleInstance gone(name);
      QCOMPARE(gone.claim([] {}), SingleInstance::Claim::First);
    }
    SingleInstance next(name);
    QCOMPARE(next.claim([] {}), SingleInstance::Claim::First);

    const QString plain = dir.filePath(QStringLiteral("plain"));
    QFile file(plain);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    FirstEditor overPlain(plain);
    QCOMPARE(overPlain.claim(), SingleInstance::Claim::First);
    SingleInstance secondOverPlain(plain);
    QCOMPARE(secondOverPlain.claim([] {}), SingleInstance::Claim::AnotherEditor);
  }

  // Something listening that does not answer as the editor, or runs as another user, is not
  // trusted: this process runs unguarded and says why.
  void listenersThatAreNotTheEditorAreNotTrusted() {
    QTemporaryDir dir;
    // Another user must be able to make its socket here.
    QVERIFY(::chmod(dir.path().toLocal8Bit().constData(), 01777) == 0);
    int ready[2];
    QVERIFY(::pipe(ready) == 0);
    // A listener of `uid` answering `answer` at `name`; what a claim there gives, and why.
    auto claimAgainst = [&](const char* name, uid_t uid, const char* answer) {
      const QString path = dir.filePath(QString::fromLatin1(name));
      const pid_t listener = foreignListener(path, uid, answer, ready[1]);
      std::pair<SingleInstance::Claim, QString> outcome{SingleInstance::Claim::First,
                                                        QStringLiteral("no listener")};
      if (listener <= 0) return outcome;
      if (childReady(ready[0])) {
        SingleInstance claimant(path);
        outcome.first = claimant.claim([] {});
        outcome.second = claimant.why();
      }
      ::kill(listener, SIGKILL);
      ::waitpid(listener, nullptr, 0);
      return outcome;
    };
    const auto [silentClaim, silentWhy] = claimAgainst("silent", ::getuid(), "");
    QCOMPARE(silentClaim, SingleInstance::Claim::Unguarded);
    QVERIFY2(silentWhy.contains(QStringLiteral("does not answer")), qPrintable(silentWhy));
    if (::geteuid() == 0) {
      const auto [theirClaim, theirWhy] = claimAgainst("theirs", 54321, "vellary\n");
      QCOMPARE(theirClaim, SingleInstance::Claim::Unguarded);
      QVERIFY2(theirWhy.contains(QStringLiteral("another user")), qPrintable(theirWhy));
    }
    ::close(ready[0]);
    ::close(ready[1]);
  }

  // Without a runtime folder the name lies in a folder of the user's own in the temporary
  // folder, made 0700; a folder of that name that belongs to someone else is not used.
  void theNameLivesInAPrivateFolder() {
    QTemporaryDir tmp;
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR"), oldTmp = qgetenv("TMPDIR");
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", tmp.path().toLocal8Bit());
    QString why;
    const QString name = vellary::app::instanceName(&why);
    const QString folder = tmp.filePath(QStringLiteral("vellary-%1").arg(::geteuid()));
    QCOMPARE(name, folder + QStringLiteral("/hCorrixPrevInstance"));
    struct stat st {};
    QVERIFY(::stat(folder.toLocal8Bit().constData(), &st) == 0);
    QCOMPARE(st.st_mode & 0777, 0700u);
    if (::geteuid() == 0) {
      QVERIFY(::chown(folder.toLocal8Bit().constData(), 54321, 54321) == 0);
      QVERIFY(vellary::app::instanceName(&why).isEmpty());
      QVERIFY(why.contains(QStringLiteral("not a folder of this user's own")));
      SingleInstance none(QString{});
      QCOMPARE(none.claim([] {}), SingleInstance::Claim::Unguarded);
    }
    qputenv("TMPDIR", oldTmp);
    if (oldRuntime.isNull())
      qunsetenv("XDG_RUNTIME_DIR");
    else
      qputenv("XDG_RUNTIME_DIR", oldRuntime);
  }

  // The real program started while another instance holds the user's name. Without a file it
  // says so, asks the first to come forward and ends; with one it hands the file's whole path
  // over and ends without a word. Neither opens a window of its own.
  void secondProgramEndsAndRaisesTheFirst() {
    const Run run = secondProgram({});
    QVERIFY(run.claimed);
    QVERIFY2(run.finished, "the second program did not end");
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.stderrText.contains(QStringLiteral("Vellary PRO 訂正プログラム は既に起動しています。")));
    QCOMPARE(run.served, QStringList{QStringLiteral("raise")});
  }

  void secondProgramWithAFileHandsItOver() {
    QTemporaryDir folder;
    const Run run = secondProgram({QStringLiteral("本 1.xml")}, folder.path());
    QVERIFY(run.claimed);
    QVERIFY2(run.finished, "the second program did not end");
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(!run.stderrText.contains(QStringLiteral("既に起動しています")), qPrintable(run.stderrText));
    QCOMPARE(run.served,
             (QStringList{QStringLiteral("raise"), folder.path() + QStringLiteral("/本 1.xml")}));
  }
};

// The editor's own files as a user meets them: the backup of a private document stays private,
// in a folder of the user's own, locked to one editor, naming its document by an absolute path;
// a file name that is not UTF-8 opens.
class EditorFilesTest : public QObject {
  Q_OBJECT

  QTemporaryDir home_;
  QString state() const { return home_.path() + "/state/vellary"; }

  // The editor on `file` (shell words, so that bytes that are not UTF-8 can be given in printf's
  // octal), in `home_`, with its own runtime folder.
  void start(QProcess& editor, const QString& runtime, const QString& file) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime);
    env.insert("HOME", home_.path());
    env.insert("XDG_CONFIG_HOME", home_.path() + "/config");
    env.insert("XDG_DATA_HOME", home_.path() + "/data");
    env.insert("XDG_CACHE_HOME", home_.path() + "/cache");
    env.insert("XDG_STATE_HOME", home_.path() + "/state");
    env.insert("XDG_DOCUMENTS_DIR", home_.path() + "/Documents");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("VELLARY_UNATTENDED", "1");
    editor.setProcessEnvironment(env);
    editor.setWorkingDirectory(home_.path());
    editor.start(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"), QStringLiteral("exec \"$0\" ") + file,
                  QStringLiteral(VELLARY_BIN_DIR "/vellary")});
  }
  static void stop(QProcess& editor) {
    editor.kill();
    editor.waitForFinished(10000);
  }
  // Waits (with the event loop running) until `done` holds or a while has passed.
  template <class F>
  static bool waitFor(F done, int ms = 30000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QTest::qWait(50);
    return done();
  }
  // Runs an editor without a file until its standard error holds `said` (or a while has passed),
  // then ends it. Whether it said it, and all it wrote there.
  std::pair<bool, QByteArray> runUntilSaid(const QString& runtime, const char* said) {
    QProcess editor;
    start(editor, runtime, QString());
    QByteArray errors;
    const bool told = waitFor([&] {
      errors += editor.readAllStandardError();
      return errors.contains(said);
    });
    stop(editor);
    return {told, errors};
  }

 private slots:
  void backupIsPrivateLockedAndNamesItsDocument() {
    QVERIFY(home_.isValid());
    // A private document in a folder named in Shift_JIS (日本).
    const QByteArray folder = home_.path().toLocal8Bit() + "/\x93\xFA\x96\x7B";
    QVERIFY(::mkdir(folder.constData(), 0700) == 0);
    std::error_code ec;
    std::filesystem::copy_file(VELLARY_SOURCE_DIR "/samples/sample.xml",
                               (folder + "/s.xml").toStdString(), ec);
    QVERIFY(!ec);
    QVERIFY(::chmod((folder + "/s.xml").constData(), 0600) == 0);
    QTemporaryDir runtimeA, runtimeB;
    ::chmod(runtimeA.path().toLocal8Bit().constData(), 0700);
    ::chmod(runtimeB.path().toLocal8Bit().constData(), 0700);

    QProcess first;
    start(first, runtimeA.path(), QStringLiteral("\"$(printf './\\223\\372\\226\\173/s.xml')\""));
    const QString backup = state() + "/_$backup.xml";
    const QString ini = home_.path() + "/config/Tolvane/Vellary PRO 訂正プログラム.ini";
    const QByteArray expectedName = "BackupOrgFileName=" + folder + "/s.xml";
    auto iniHasName = [&] {
      QFile f(ini);
      return f.open(QIODevice::ReadOnly) && f.readAll().contains(expectedName);
    };
    const bool backedUp = waitFor([&] { return QFileInfo(backup).size() > 0 && iniHasName(); });
    const QByteArray firstErrors = first.readAllStandardError();
    if (!backedUp) stop(first);
    QVERIFY2(backedUp, firstErrors.constData());
    QVERIFY2(!firstErrors.contains("ファイルオープンエラー"), firstErrors.constData());
    struct stat st {};
    QVERIFY(::stat(backup.toLocal8Bit().constData(), &st) == 0);
    QCOMPARE(st.st_mode & 0777, 0600u);
    QVERIFY(::stat(state().toLocal8Bit().constData(), &st) == 0);
    QCOMPARE(st.st_mode & 0777, 0700u);
    const QString previews = home_.path() + "/cache/vellary/previews";
    if (::stat(previews.toLocal8Bit().constData(), &st) == 0) QCOMPARE(st.st_mode & 0777, 0700u);

    // A second editor that the guard cannot see (another runtime folder) leaves the backup
    // alone: it neither offers to restore it nor deletes it.
    const auto [told, secondErrors] = runUntilSaid(runtimeB.path(), "バックアップを取りません");
    QVERIFY2(told, secondErrors.constData());
    QVERIFY(!secondErrors.contains("前回作業時のデータ"));
    QVERIFY(QFileInfo::exists(backup));

    // The first editor dies; the next one offers the backup of its document.
    stop(first);
    const auto [offered, thirdErrors] = runUntilSaid(runtimeA.path(), "前回作業時のデータ");
    QVERIFY2(offered, thirdErrors.constData());
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  SingleInstanceTest t;
  EditorFilesTest files;
  const int a = QTest::qExec(&t, argc, argv) | QTest::qExec(&files, argc, argv);
  const int b = runProgressTests(argc, argv);
  return a | b | runLockKeyTests(argc, argv);
}

#include "single_instance_test.moc"
