// vellary-docgen OUT [--pages N] [--chars N] [--cands N] [--seed N] [--rich] [--encoding 1|2]
// Writes a generated document, e.g. the 300-page benchmark book.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "docgen.h"
#include "rovorirud/writer.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: vellary-docgen OUT [--pages N] [--chars N] [--cands N] [--seed N] "
                 "[--rich] [--encoding 1|2]\n");
    return 1;
  }
  vellary::docgen::Params p;
  p.rich = false;
  p.pages = 300;
  p.charsPerPage = 2000;
  p.candidates = 5;
  uint32_t encoding = 1;
  for (int i = 2; i < argc; ++i) {
    std::string a = argv[i];
    auto next = [&]() { return i + 1 < argc ? std::atoi(argv[++i]) : 0; };
    if (a == "--pages") p.pages = next();
    else if (a == "--chars") p.charsPerPage = next();
    else if (a == "--cands") p.candidates = next();
    else if (a == "--seed") p.seed = static_cast<uint32_t>(next());
    else if (a == "--encoding") encoding = static_cast<uint32_t>(next());
    else if (a == "--rich") p.rich = true;
    else {
      std::fprintf(stderr, "vellary-docgen: unknown option %s\n", argv[i]);
      return 1;
    }
  }
  auto paper = vellary::docgen::generate(p);
  vellary::rovorirud::WriteOptions w;
  w.encoding = encoding;
  if (vellary::rovorirud::writeDocumentFile(*paper, argv[1], w) != vellary::rovorirud::WriteOk) {
    std::fprintf(stderr, "vellary-docgen: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
