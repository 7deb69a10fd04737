// Loading the Office writer library and resolving its entry points.
#include "export/word/oxmlgen_library.h"

#include <dlfcn.h>

#include <filesystem>

namespace vellary::exporting::word {

namespace {

constexpr char kLibraryName[] = "liboxmlgen.so";

template <class F>
bool resolve(void* handle, const char* name, F& entry) {
  entry = reinterpret_cast<F>(dlsym(handle, name));
  return entry != nullptr;
}

}  // namespace

std::string programFolder() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : exe.parent_path().string();
}

OxmlLibrary::~OxmlLibrary() { unload(); }

void OxmlLibrary::unload() {
  initDocxData = nullptr;
  addPage = nullptr;
  addTextArea = nullptr;
  addTableArea = nullptr;
  addImageArea = nullptr;
  addLineArea = nullptr;
  addPageBreak = nullptr;
  createDocX = nullptr;
  createPPTX = nullptr;
  createXPS = nullptr;
  addXPSFontSubset = nullptr;
  setDocumentInfo = nullptr;
  if (handle_ != nullptr) dlclose(handle_);
  handle_ = nullptr;
}

bool OxmlLibrary::load(const std::string& path) {
  unload();
  if (!path.empty()) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  } else {
    // Only the program's own folders: a name alone would let the loader's search path pick
    // whichever library of that name it finds first.
    const std::string folder = programFolder();
    if (folder.empty()) return false;
    for (const std::string& candidate :
         {folder + "/" + kLibraryName, folder + "/../lib/" + kLibraryName}) {
      handle_ = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (handle_ != nullptr) break;
    }
  }
  if (handle_ == nullptr) return false;
  const bool complete =
      resolve(handle_, "initDocxData", initDocxData) && resolve(handle_, "addPage", addPage) &&
      resolve(handle_, "addTextArea", addTextArea) &&
      resolve(handle_, "addTableArea", addTableArea) &&
      resolve(handle_, "addImageArea", addImageArea) &&
      resolve(handle_, "addLineArea", addLineArea) &&
      resolve(handle_, "addPageBreak", addPageBreak) &&
      resolve(handle_, "createDocX", createDocX) && resolve(handle_, "createPPTX", createPPTX) &&
      resolve(handle_, "createXPS", createXPS);
  if (!complete) return false;
  resolve(handle_, "addXPSFontSubset", addXPSFontSubset);
  resolve(handle_, "setDocumentInfo", setDocumentInfo);
  return true;
}

}  // namespace vellary::exporting::word
