// One editor per user, over a local socket in a folder of the user's own.
#include "app/single_instance.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>

#include "model/user_dirs.h"

namespace vellary::app {

namespace {
constexpr int kConnectMs = 500;
constexpr int kAnswerMs = 2000;
// What an editor answers to the knock: a program that merely listens there does not.
constexpr char kAnswer[] = "vellary\n";
constexpr char kSocketName[] = "hCorrixPrevInstance";
}  // namespace

QString instanceName(QString* why) {
  std::string folder = model::runtimeDir();
  if (folder.empty()) {
    folder = model::privateTemporaryFolder();
    std::string error;
    if (!model::makePrivateFolder(folder, error)) {
      if (why) *why = QString::fromStdString(error);
      return {};
    }
  }
  return QString::fromStdString(folder + "/" + kSocketName);
}

long peerUid(qintptr socketDescriptor) {
  struct ucred cred {};
  socklen_t length = sizeof cred;
  if (socketDescriptor < 0 || ::getsockopt(static_cast<int>(socketDescriptor), SOL_SOCKET,
                                           SO_PEERCRED, &cred, &length) != 0)
    return -1;
  return static_cast<long>(cred.uid);
}

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)) {}

SingleInstance::~SingleInstance() = default;

SingleInstance::Claim SingleInstance::claim(std::function<void()> raise) {
  why_.clear();
  if (name_.isEmpty()) {
    why_ = QStringLiteral("no private folder for the single-instance socket");
    return Claim::Unguarded;
  }
  {
    QLocalSocket probe;
    probe.connectToServer(name_);
    if (probe.waitForConnected(kConnectMs)) {
      if (peerUid(probe.socketDescriptor()) != static_cast<long>(::getuid())) {
        why_ = name_ + QStringLiteral(" belongs to another user's program");
        return Claim::Unguarded;
      }
      probe.write(encodeRequest(request_));
      probe.waitForBytesWritten(kConnectMs);
      QByteArray answer;
      while (!answer.contains('\n') && probe.waitForReadyRead(kAnswerMs)) answer += probe.readAll();
      probe.disconnectFromServer();
      if (answer == kAnswer) return Claim::AnotherEditor;
      why_ = name_ + QStringLiteral(" is held by a program that does not answer as the editor");
      return Claim::Unguarded;
    }
    // Anything else than "nothing there" or "nobody listens" (a stale socket, a plain file) is
    // no name this process may take over.
    if (probe.error() != QLocalSocket::ServerNotFoundError &&
        probe.error() != QLocalSocket::ConnectionRefusedError) {
      why_ = name_ + QStringLiteral(": ") + probe.errorString();
      return Claim::Unguarded;
    }
  }
  // Nobody answered: what is there was left by an editor that crashed. The folder is the user's
  // own, so nothing of anyone else can stand there.
  QLocalServer::removeServer(name_);
  raise_ = std::move(raise);
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(name_)) {
    why_ = name_ + QStringLiteral(": ") + server_->errorString();
    return Claim::Unguarded;
  }
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* peer = server_->nextPendingConnection()) {
      connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
      if (peerUid(peer->socketDescriptor()) != static_cast<long>(::getuid())) {
        peer->abort();
        continue;
      }
      connect(peer, &QLocalSocket::readyRead, peer, [this, peer] {
        // The request is one line, which may come in pieces.
        if (!peer->canReadLine()) {
          if (peer->bytesAvailable() > kRequestLineLimit) peer->abort();
          return;
        }
        const auto request = decodeRequest(peer->readLine().chopped(1));
        if (!request) {
          peer->abort();
          return;
        }
        peer->write(kAnswer);
        peer->flush();
        if (raise_) raise_();
        if (!request->path.empty() && open_) open_(request->path);
      });
    }
  });
  return Claim::First;
}

}  // namespace vellary::app
