// Replacing a file so that a failure at any point leaves the previous file as it was: the data
// goes to a temporary file beside the target, is flushed to disk, and is renamed over it.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace vellary::model {

// `write` gets the open temporary file and returns success. On failure `error` says why (UTF-8)
// and no temporary file is left behind.
bool replaceFile(const std::string& path, const std::function<bool(std::FILE*)>& write,
                 std::string& error);
bool replaceFileContents(const std::string& path, std::string_view bytes, std::string& error);

}  // namespace vellary::model
