// The document information that the PDF writers put into the file's information dictionary.
#pragma once

#include <string>

namespace vellary::exporting {

struct DocumentInfo {
  std::u16string title, subject, author, keywords, creator, producer;
};

// The export settings as the frame holds them (UTF-8), turned into the information of one export:
// the author is `author`, or the user's login name when `author` is empty and
// `authorFromUserName` is set.
DocumentInfo makeDocumentInfo(const std::string& title, const std::string& subtitle,
                              const std::string& author, const std::string& keywords,
                              bool authorFromUserName, const std::string& creator,
                              const std::string& producer, const std::string& userName);

// The title of a document that has none of its own: its file name without the folder and the
// extension (UTF-8); empty for an empty path.
std::string documentTitleFromPath(const std::string& path);

// The name of the user running the program (the password database, else $USER); at most 256
// characters; empty when neither says.
std::string currentUserName();

}  // namespace vellary::exporting
