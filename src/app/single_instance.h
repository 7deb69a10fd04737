// One editor per user: the first instance listens on a local socket named for the user; a later
// one finds it there, asks it to come to the front (handing it its file, if it has one) and ends.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "app/instance_request.h"

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
  // Before claim: what this process asks of the first when it is not the first (its file).
  void setRequest(InstanceRequest request) { request_ = std::move(request); }
  // Runs after `raise` for each file a later instance hands over.
  void onOpen(std::function<void(const std::string& path)> open) { open_ = std::move(open); }

 private:
  QString name_;
  QLocalServer* server_ = nullptr;
  std::function<void()> raise_;
  InstanceRequest request_;
  std::function<void(const std::string&)> open_;
};

}  // namespace vellary::app
