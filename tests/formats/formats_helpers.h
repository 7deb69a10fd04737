// What the format tests share: documents opened as the editor opens them, dumps of what a format
// carries, schema validation with xmllint, and the bundled sample.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "formats/format.h"
#include "model/json_dump.h"
#include "model/paper.h"
#include "recompose/recompose.h"
#include "rovorirud/reader.h"
#include "support/temp_dir.h"

namespace vellary::testing {

inline const std::string kSampleDocument =
    std::string(VELLARY_SOURCE_DIR) + "/samples/minato/minato.xml";
inline const std::string kFormatData = std::string(VELLARY_TEST_DATA) + "/formats";

// Side lines attached to their base characters, ruby split per character, small kana made
// full-size: what the editor does to every page it opens.
inline void recomposeAsTheEditorDoes(model::PaperData& paper) {
  for (model::PageData& page : paper.pages) {
    recompose::ReComposePage(page, recompose::PageTypicalCharSize(page), true);
    recompose::NormaliseSmallKana(page);
  }
}

inline std::unique_ptr<model::PaperData> openSample() {
  rovorirud::ReadResult r = rovorirud::readDocumentFile(kSampleDocument);
  EXPECT_TRUE(r.paper) << "the bundled sample did not read";
  if (r.paper) recomposeAsTheEditorDoes(*r.paper);
  return std::move(r.paper);
}

// The folder of the ALTO and PAGE schemas: $VELLARY_SCHEMA_DIR, else the build's setting.
inline std::string schemaFolder() {
  if (const char* env = std::getenv("VELLARY_SCHEMA_DIR"); env && *env) return env;
  return VELLARY_SCHEMA_DIR;
}

// xmllint's verdict on a file against a schema of the folder: empty when it validates.
// Skips the calling test when the schemas or xmllint are not there.
#define VELLARY_SKIP_WITHOUT_SCHEMAS()                                                  \
  do {                                                                                  \
    if (!std::filesystem::exists(::vellary::testing::schemaFolder() + "/alto-4-4.xsd")) \
      GTEST_SKIP() << "no schemas in " << ::vellary::testing::schemaFolder()            \
                   << " (set VELLARY_SCHEMA_DIR): exported files are not validated";    \
    if (std::system("command -v xmllint >/dev/null 2>&1") != 0)                         \
      GTEST_SKIP() << "xmllint is not installed (Debian package libxml2-utils)";        \
  } while (0)

inline std::string validate(const std::string& file, const std::string& schema) {
  const std::string cmd =
      "xmllint --noout --schema '" + schemaFolder() + "/" + schema + "' '" + file + "' 2>&1";
  std::FILE* p = popen(cmd.c_str(), "r");
  if (p == nullptr) return "cannot run xmllint";
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  return pclose(p) == 0 ? std::string() : out;
}

// The document as far as every open format can carry it: what none of them has a place for is
// set alike in both documents (the line's first-recognised size, the language code, the block
// id, cell borders and alignment, orientation marks, the encoding, image paths), and the side-line
// keys, which re-composition derives again from the side lines when the editor opens a file.
inline void keepWhatFormatsCarry(model::PaperData& paper) {
  paper.encoding = 1;
  auto lines = [](model::List<model::LineData>& ls) {
    for (model::LineData& l : ls) {
      l.widthOrg = l.width;
      l.heightOrg = l.height;
      for (model::CharData& c : l.chars) c.modRotTcy = c.modRubyEmp = 0;
    }
  };
  for (model::PageData& p : paper.pages) {
    p.file.reset();
    p.fullpath.reset();
    for (model::BlockData& b : p.blocks) {
      b.langId = model::kLangJapanese;
      b.bid = -1;
      lines(b.lines);
      for (model::CellData& c : b.cells) {
        c.border = {};
        c.align = c.valign = 0;
        lines(c.lines);
      }
    }
  }
}

}  // namespace vellary::testing
