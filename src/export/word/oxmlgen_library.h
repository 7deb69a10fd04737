// The Office writer library, loaded at run time: its handle and the eleven entry points the
// program calls. Nothing links against the library; a build without it still exports text and
// PDF, and a missing library is a message for the user, not a failure to start.
#pragma once

#include <string>

#include "oxmlgen/oxmlgen.h"

namespace vellary::exporting::word {

class OxmlLibrary {
 public:
  OxmlLibrary() = default;
  ~OxmlLibrary();
  OxmlLibrary(const OxmlLibrary&) = delete;
  OxmlLibrary& operator=(const OxmlLibrary&) = delete;

  // Loads the library at `path` (UTF-8), or, when it is empty, liboxmlgen.so in the program's
  // private library folder (model::privateLibraryFolder: ../lib/vellary from the program).
  // Resolves the entries in their order and stops at the first missing one. True when the
  // library and all of the first ten entries are there; addXPSFontSubset may be missing.
  bool load(const std::string& path);

  OxmlInitDocxData initDocxData = nullptr;
  OxmlAddPage addPage = nullptr;
  OxmlAddTextArea addTextArea = nullptr;
  OxmlAddTableArea addTableArea = nullptr;
  OxmlAddImageArea addImageArea = nullptr;
  OxmlAddLineArea addLineArea = nullptr;
  OxmlAddPageBreak addPageBreak = nullptr;
  OxmlCreateDocX createDocX = nullptr;
  OxmlCreatePPTX createPPTX = nullptr;
  OxmlCreateXPS createXPS = nullptr;
  OxmlAddXPSFontSubset addXPSFontSubset = nullptr;  // optional
  OxmlSetDocumentInfo setDocumentInfo = nullptr;    // optional

 private:
  void unload();
  void* handle_ = nullptr;
};

}  // namespace vellary::exporting::word
