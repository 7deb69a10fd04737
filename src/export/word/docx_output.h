// CDocxOutput: the program's side of the Office writer library. One object per export: it loads
// the library, hands it every page (size and margins, text and table areas, pictures, rules) and
// finally asks it to write the Word, PowerPoint or XPS file.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "export/export.h"
#include "export/word/office_areas.h"
#include "export/word/oxmlgen_library.h"
#include "imaging/temp_dir.h"
#include "model/records.h"

namespace vellary::exporting::word {

// A page's placement in the document: size, margins and content offsets.
struct PageFrame {
  int width = 0, height = 0;     // twips; pixels for XPS
  OxmlRect margins{};            // twips; empty for XPS
  int offsetX = 0, offsetY = 0;  // twips
};

// The page of width × height pixels at dpi with its content box (pixels, right and bottom
// exclusive), as the library takes it.
PageFrame pageFrame(int width, int height, int dpi, OxmlRect contentBox, int wordColumns, bool xps);

// One page's part of the document, made ready without the library: page set-up, areas in block
// order, pictures saved under names of the page's own, rules, and for XPS the characters used.
struct PreparedPage {
  bool hasCharacters = false;
  int dpi = 400;
  PageFrame frame;
  std::vector<std::variant<TextArea, TableArea>> areas;
  struct Picture {
    OxmlArea record{};
    std::string file;  // as saved; renamed to the library's numbering when handed over
    bool png = false;
  };
  std::vector<Picture> pictures;
  std::vector<OxmlArea> rules;
  UsedChars used;
};

class CDocxOutput {
 public:
  // kind: KindDocx, KindPptx or KindXps.
  CDocxOutput(int kind, const OfficeOptions& options);
  ~CDocxOutput();
  CDocxOutput(const CDocxOutput&) = delete;
  CDocxOutput& operator=(const CDocxOutput&) = delete;

  // Loads the library and starts a document. False when the library or one of the entries the
  // export needs is missing.
  bool initDocxData();
  // Makes the folder the pictures are saved in, for the pages prepared after it; before
  // preparing pages on other threads.
  void preparePictureFolder() { tempDir(); }
  // A page's work without the library (any thread, several pages at once): its areas when it
  // has characters, its pictures cut from imagePath (UTF-8) and saved, its rules. `index` tells
  // its picture files from other pages'. Throws std::bad_alloc when out of memory.
  PreparedPage preparePage(const model::PageData& page, const std::string& imagePath,
                           int index) const;
  // Hands a prepared page to the library, pages in order (the calling thread only).
  void outputPage(PreparedPage page);
  // Both for one page. False when the page's work could not be allocated.
  bool outputPage(const model::PageData& page, const std::string& imagePath);
  void addPageBreak();
  // The title, subject, author and keywords of the file's core properties, when the library takes
  // them.
  void setDocumentInfo(const DocumentInfo& info);
  // The create call of the kind (XPS: the font subsets first). The library's result, 0 when the
  // file was written. The temporary pictures and fonts are removed afterwards.
  int create(const std::string& path, bool moreThanFivePages);

 private:
  void preparePictures(const model::PageData& page, const std::string& imagePath, int index,
                       PreparedPage& out) const;
  OxmlArea ruleRecord(const model::BlockData& block, int dpi, const PageFrame& frame) const;
  const imaging::PrivateTempDir* tempDir();
  void makeFontSubsets();

  int kind_;
  OfficeOptions options_;
  OxmlLibrary library_;
  std::string japaneseFont_;
  std::string latinFont_ = "Century";
  std::optional<imaging::PrivateTempDir> temp_;
  bool tempFailed_ = false;
  int pictureCount_ = 0;
  std::unique_ptr<UsedChars> used_;  // XPS only
};

}  // namespace vellary::exporting::word
