// Document information for the PDF writers, and the user name that may stand in for the author.
#include "export/document_info.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "model/text.h"

namespace vellary::exporting {

DocumentInfo makeDocumentInfo(const std::string& title, const std::string& subtitle,
                              const std::string& author, const std::string& keywords,
                              bool authorFromUserName, const std::string& creator,
                              const std::string& producer, const std::string& userName) {
  DocumentInfo info;
  info.title = model::fromUtf8(title);
  info.subject = model::fromUtf8(subtitle);
  info.author = model::fromUtf8(author.empty() && authorFromUserName ? userName : author);
  info.keywords = model::fromUtf8(keywords);
  info.creator = model::fromUtf8(creator);
  info.producer = model::fromUtf8(producer);
  return info;
}

std::string documentTitleFromPath(const std::string& path) {
  const size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (const size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

std::string currentUserName() {
  constexpr size_t kMaxUserName = 256;
  std::string name;
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_name)
    name = found->pw_name;
  if (name.empty())
    if (const char* user = std::getenv("USER")) name = user;
  if (name.size() > kMaxUserName) name.resize(kMaxUserName);
  return name;
}

}  // namespace vellary::exporting
