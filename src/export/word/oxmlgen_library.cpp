// Loading the Office writer library and resolving its entry points.
#include "export/word/oxmlgen_library.h"

#include <dlfcn.h>

#include "model/program_files.h"

namespace vellary::exporting::word {

namespace {

template <class F>
bool resolve(void* handle, const char* name, F& entry) {
  entry = reinterpret_cast<F>(dlsym(handle, name));
  return entry != nullptr;
}

}  // namespace

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
  // Only the program's own folder by default: a name alone would let the loader's search path
  // pick whichever library of that name it finds first.
  std::string file = path;
  if (file.empty()) {
    const std::string folder = model::privateLibraryFolder();
    if (folder.empty()) return false;
    file = folder + "/" + model::kOfficeLibraryName;
  }
  handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
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
