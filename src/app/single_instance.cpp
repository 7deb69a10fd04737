// One editor per user.
#include "app/single_instance.h"

#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <memory>

namespace vellary::app {

namespace {
constexpr int kConnectMs = 500;
constexpr int kWriteMs = 2000;
constexpr char kRaise[] = "raise";
constexpr char kOpen[] = "open ";
// A request line longer than this is no request: a peer cannot make the editor hold without end.
constexpr qsizetype kLineLimit = 64 * 1024;
}  // namespace

QString instanceName() {
  return QStringLiteral("hCorrixPrevInstance-%1").arg(static_cast<qulonglong>(getuid()));
}

QByteArray encodeRequest(const InstanceRequest& request) {
  if (request.path.isEmpty()) return QByteArray(kRaise) + '\n';
  return QByteArray(kOpen) + request.path.toUtf8().toPercentEncoding() + '\n';
}

std::optional<InstanceRequest> decodeRequest(const QByteArray& line) {
  if (line == kRaise) return InstanceRequest{};
  if (!line.startsWith(kOpen)) return std::nullopt;
  const QString path = QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(5)));
  // Only a whole absolute path names a file without depending on the sender's folder.
  if (path.isEmpty() || !path.startsWith(u'/') || path.contains(QChar(0))) return std::nullopt;
  return InstanceRequest{path};
}

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim(const InstanceRequest& request,
                           std::function<void(const InstanceRequest&)> serve) {
  {
    QLocalSocket probe;
    probe.connectToServer(name_);
    if (probe.waitForConnected(kConnectMs)) {
      probe.write(encodeRequest(request));
      probe.waitForBytesWritten(kWriteMs);
      probe.disconnectFromServer();
      if (probe.state() != QLocalSocket::UnconnectedState) probe.waitForDisconnected(kWriteMs);
      return false;
    }
  }
  // Nobody answered: a socket file left by a process that crashed is stale.
  QLocalServer::removeServer(name_);
  serve_ = std::move(serve);
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(name_)) return true;
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* peer = server_->nextPendingConnection()) {
      // Lines may arrive in pieces; each whole one is a request.
      auto buffer = std::make_shared<QByteArray>();
      connect(peer, &QLocalSocket::readyRead, peer, [this, peer, buffer] {
        buffer->append(peer->readAll());
        for (qsizetype end; (end = buffer->indexOf('\n')) >= 0;) {
          const QByteArray line = buffer->left(end);
          buffer->remove(0, end + 1);
          if (const auto request = decodeRequest(line); request && serve_) serve_(*request);
        }
        if (buffer->size() > kLineLimit) peer->abort();
      });
      connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
    }
  });
  return true;
}

}  // namespace vellary::app
