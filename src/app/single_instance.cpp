// One editor per user.
#include "app/single_instance.h"

#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>

namespace vellary::app {

namespace {
constexpr int kConnectMs = 500;
}  // namespace

QString instanceName() {
  return QStringLiteral("hCorrixPrevInstance-%1").arg(static_cast<qulonglong>(getuid()));
}

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim(std::function<void()> raise) {
  {
    QLocalSocket probe;
    probe.connectToServer(name_);
    if (probe.waitForConnected(kConnectMs)) {
      probe.write(encodeRequest(request_));
      probe.waitForBytesWritten(kConnectMs);
      probe.disconnectFromServer();
      return false;
    }
  }
  // Nobody answered: a socket file left by a process that crashed is stale.
  QLocalServer::removeServer(name_);
  raise_ = std::move(raise);
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(name_)) return true;
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* peer = server_->nextPendingConnection()) {
      connect(peer, &QLocalSocket::readyRead, peer, [this, peer] {
        // The request is one line, which may come in pieces.
        if (!peer->canReadLine()) {
          if (peer->bytesAvailable() > kRequestLineLimit) peer->abort();
          return;
        }
        const auto request = decodeRequest(peer->readLine().chopped(1));
        if (request && raise_) raise_();
        if (request && !request->path.empty() && open_) open_(request->path);
        peer->deleteLater();
      });
      connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
    }
  });
  return true;
}

}  // namespace vellary::app
