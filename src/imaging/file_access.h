// Inside the picture layer: whole-file reads and file replacement for UTF-8 paths of any length.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vellary::imaging::detail {

// Files above this size are not pictures this program reads; refusing them keeps a stray path to
// a disk image from exhausting memory.
inline constexpr uint64_t kMaxPictureFileBytes = uint64_t{1} << 30;

// Reads a regular file whole. 1, or kImageNoSuchFile (no such file or folder), kImageCannotOpen
// (a folder, a device or pipe, no permission, an I/O error) or kImageTooLarge.
int readWholeFile(const std::string& path, std::vector<uint8_t>& bytes);

// Replaces (or creates) the file with bytes as model::replaceFile does. 1, or kImageWriteFailed;
// a failure leaves any previous file as it was.
int replaceWholeFile(const std::string& path, std::span<const uint8_t> bytes);

}  // namespace vellary::imaging::detail
