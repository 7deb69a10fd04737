// One editor per user: the first instance listens on a local socket named for the user; a later
// one finds it there, hands it the file it was started with (or only asks it to come to the
// front) and ends.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QLocalServer;

namespace vellary::app {

// "hCorrixPrevInstance-<user id>": one name per user, in the per-user runtime folder Qt picks.
QString instanceName();

// What a later instance asks of the first: come to the front, and open `path` when it is not
// empty (an absolute path).
struct InstanceRequest {
  QString path;
};

// The channel's messages, one line each: "raise" or "open " followed by the path's UTF-8 bytes
// percent-encoded (a file name may hold a line feed).
QByteArray encodeRequest(const InstanceRequest& request);
// A line without its line feed; nothing for a line that is no request.
std::optional<InstanceRequest> decodeRequest(const QByteArray& line);

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  explicit SingleInstance(QString name, QObject* parent = nullptr);
  ~SingleInstance() override;

  // true when this process is the first: it now listens, and `serve` runs for each request a
  // later instance sends. false when another instance answered: `request` has been handed to it.
  // A socket that cannot be made lets the program run alone, unguarded.
  bool claim(const InstanceRequest& request, std::function<void(const InstanceRequest&)> serve);

 private:
  QString name_;
  QLocalServer* server_ = nullptr;
  std::function<void(const InstanceRequest&)> serve_;
};

}  // namespace vellary::app
