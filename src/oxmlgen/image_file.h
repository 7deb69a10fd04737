// Reading the picture files the program saved: the bytes plus the size and resolution from the
// JPEG or PNG header, so that no image library is needed.
#pragma once

#include <string>

namespace oxmlgen {

struct Picture;

// Fills bytes, pixel size and resolution of `picture` from `path`; false when the file cannot be
// read or is not a JPEG (png false) or PNG (png true) with a usable size.
bool loadPictureFile(const std::string& path, bool png, Picture& picture);

}  // namespace oxmlgen
