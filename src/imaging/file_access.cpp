// Whole-file reads and replacement for the picture layer, over the program's own file access
// (paths of any length, regular files only, the one file replacement).
#include "imaging/file_access.h"

#include <cerrno>
#include <string>

#include "imaging/picture.h"
#include "model/atomic_file.h"
#include "model/file_access.h"

namespace vellary::imaging::detail {

int readWholeFile(const std::string& path, std::vector<uint8_t>& bytes) {
  const int err = model::readInputFile(path, bytes, kMaxPictureFileBytes);
  if (err == EFBIG) return kImageTooLarge;
  // A name longer than the file system allows cannot name an existing file.
  if (err == ENOENT || err == ENOTDIR || err == ENAMETOOLONG) return kImageNoSuchFile;
  return err == 0 ? kImageOk : kImageCannotOpen;
}

int replaceWholeFile(const std::string& path, std::span<const uint8_t> bytes) {
  std::string error;
  const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return model::replaceFileContents(path, view, error) ? kImageOk : kImageWriteFailed;
}

}  // namespace vellary::imaging::detail
