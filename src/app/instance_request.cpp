// The single-instance channel's requests.
#include "app/instance_request.h"

namespace vellary::app {

namespace {
constexpr char kRaise[] = "raise";
}  // namespace

QByteArray encodeRequest(const InstanceRequest& request) {
  QByteArray line(kRaise);
  if (!request.path.empty())
    line += ' ' + QByteArray::fromStdString(request.path).toPercentEncoding("/");
  return line + '\n';
}

std::optional<InstanceRequest> decodeRequest(const QByteArray& line) {
  if (line == kRaise) return InstanceRequest{};
  if (!line.startsWith(QByteArray(kRaise) + ' ')) return std::nullopt;
  const QByteArray path = QByteArray::fromPercentEncoding(line.mid(sizeof kRaise));
  // Only a whole path names the file apart from the folder the later editor was started in.
  if (!path.startsWith('/') || path.contains('\0')) return std::nullopt;
  return InstanceRequest{path.toStdString()};
}

}  // namespace vellary::app
