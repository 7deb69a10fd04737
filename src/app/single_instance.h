// One editor per user: the first instance listens on a local socket in a folder of the user's
// own; a later one finds it there, asks it to come to the front and ends. Whatever answers there
// is trusted only when it runs as the same user and answers as the editor does.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

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

 private:
  QString name_;
  QString why_;
  QLocalServer* server_ = nullptr;
  std::function<void()> raise_;
};

// The user id of the process at the other end of a connected local socket, or -1.
long peerUid(qintptr socketDescriptor);

}  // namespace vellary::app
