// One editor per user: the first instance listens on a local socket in a folder of the user's
// own; a later one finds it there, asks it to come to the front (handing it its file, if it has
// one) and ends. Whatever answers there is trusted only when it runs as the same user and answers
// as the editor does.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>

#include "app/instance_request.h"

class QLocalServer;

namespace vellary::app {

// The socket's path: "hCorrixPrevInstance" in $XDG_RUNTIME_DIR (a private folder of the user's
// login), else in "vellary-<uid>" in the temporary folder, made 0700 and refused when it is not
// the user's own. Empty with `why` set when there is no such folder.
QString instanceName(QString* why = nullptr);

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  // `name`: the socket's path (instanceName()); empty: no guard at all.
  explicit SingleInstance(QString name, QObject* parent = nullptr);
  ~SingleInstance() override;

  enum class Claim {
    First,          // this process now listens; `raise` runs whenever a later editor knocks
    AnotherEditor,  // an editor of this user answered and was asked to come forward
    Unguarded,      // the name is taken by something that is not that editor, or no socket
                    // could be made: this process runs without the guard (see why())
  };
  Claim claim(std::function<void()> raise);
  // Why the last claim ran unguarded.
  const QString& why() const { return why_; }
  // Before claim: what this process asks of the first when it is not the first (its file).
  void setRequest(InstanceRequest request) { request_ = std::move(request); }
  // Runs after `raise` for each file a later instance hands over.
  void onOpen(std::function<void(const std::string& path)> open) { open_ = std::move(open); }

 private:
  QString name_;
  QString why_;
  QLocalServer* server_ = nullptr;
  std::function<void()> raise_;
  InstanceRequest request_;
  std::function<void(const std::string&)> open_;
};

// The user id of the process at the other end of a connected local socket, or -1.
long peerUid(qintptr socketDescriptor);

}  // namespace vellary::app
