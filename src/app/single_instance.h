// One editor per user: the first instance listens on a local socket named for the user; a later
// one finds it there, asks it to come to the front and ends.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QLocalServer;

namespace vellary::app {

// "hCorrixPrevInstance-<user id>": one name per user, in the per-user runtime folder Qt picks.
QString instanceName();

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  explicit SingleInstance(QString name, QObject* parent = nullptr);
  ~SingleInstance() override;

  // true when this process is the first: it now listens, and `raise` runs whenever a later
  // instance knocks. false when another instance answered (it has been asked to come forward).
  // A socket that cannot be made lets the program run alone, unguarded.
  bool claim(std::function<void()> raise);

 private:
  QString name_;
  QLocalServer* server_ = nullptr;
  std::function<void()> raise_;
};

}  // namespace vellary::app
