// What a later editor asks of the running one over the single-instance channel: one line,
// "raise" alone (come to the front) or "raise " followed by a file's whole path (open it too),
// the path's bytes percent-encoded, since a file name may hold a line feed or bytes that are no
// character.
#pragma once

#include <QByteArray>
#include <optional>
#include <string>

namespace vellary::app {

struct InstanceRequest {
  std::string path;  // an absolute path, as the file system spells it; empty: only come forward
};

// A line longer than this is no request: a peer cannot make the editor hold data without end.
inline constexpr qsizetype kRequestLineLimit = 64 * 1024;

// The request's line, with its line feed.
QByteArray encodeRequest(const InstanceRequest& request);
// A line without its line feed; nothing for a line that is no request (another verb, a path
// that is not absolute, a NUL byte).
std::optional<InstanceRequest> decodeRequest(const QByteArray& line);

}  // namespace vellary::app
