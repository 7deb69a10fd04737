// Writes the Office writer tests' three-page document as sample.docx, sample.pptx, sample.xps
// and, with the Word column option on, sample-columns.docx into a folder, for looking at them
// (tools/office-screenshots renders them). Usage: oxmlgen-sample LIBRARY OUTDIR
#include <cstdio>
#include <string>

#include "sample_document.h"

using namespace vellary::testing;

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s LIBRARY OUTDIR\n", argv[0]);
    return 2;
  }
  OfficeLibrary lib(argv[1]);
  if (!lib.complete()) {
    std::fprintf(stderr, "cannot load %s\n", argv[1]);
    return 1;
  }
  std::string out = argv[2], base = out + "/tmpImg";
  if (!writeSampleJpeg(base + "0.jpg", 160, 120) || !writeSampleJpeg(base + "1.jpg", 240, 180))
    return 1;
  int failures = 0;
  for (OfficeKind kind : {OfficeKind::Word, OfficeKind::PowerPoint, OfficeKind::Xps}) {
    lib.init();
    OfficeDriver driver(lib, kind, base);
    for (const SamplePage& p : sampleDocument()) driver.page(p);
    std::string path = out + (kind == OfficeKind::Word         ? "/sample.docx"
                              : kind == OfficeKind::PowerPoint ? "/sample.pptx"
                                                               : "/sample.xps");
    int rc = kind == OfficeKind::Word ? lib.docx(path.c_str(), int(path.size()), 1, 0, 0, 0)
             : kind == OfficeKind::PowerPoint
                 ? lib.pptx(path.c_str(), int(path.size()), 1, 0, 0, 0, "")
                 : lib.xps(path.c_str(), int(path.size()), 1, 0, 0, 0);
    if (rc != 0) {
      std::fprintf(stderr, "%s not written\n", path.c_str());
      ++failures;
    }
  }
  lib.init();
  OfficeDriver driver(lib, OfficeKind::Word, base);
  for (const SamplePage& p : sampleDocument()) driver.page(p);
  std::string columns = out + "/sample-columns.docx";
  if (lib.docx(columns.c_str(), int(columns.size()), 2, 0, 0, 0) != 0) ++failures;
  return failures == 0 ? 0 : 1;
}
