// The usage texts of vellary-cli.
#include "usage.h"

#include "model/program_files.h"

namespace vellary::cli {

namespace {

constexpr CommandUsage kUsages[] = {
    {"dump", "dump [--summary] [--format rovorirud|hocr|page|alto|ndl|tsv] FILE",
     "print the document as JSON (--summary: its counts only)"},
    {"import", "import IN OUT.xml [--format hocr|page|alto|ndl|tsv]",
     "read a document of any format and write it as RovOrirUD"},
    {"save", "save IN OUT [--encoding 0|1|2] [--first I] [--last J] [--docpath P]",
     "write a RovOrirUD document again: all pages, or pages I to J (from 0)"},
    {"recompose",
     "recompose IN OUT [--join] [--mono-ruby 0|1] [--small-kana 0|1] [--breaks 0|1]\n"
     "          [--leading-space 0|1] [--space-type 0|1] [--natural-breaks 0|1]\n"
     "          [--no-block-end-break 0|1]",
     "open IN as the editor does, re-compose all pages with --join, write OUT"},
    {"export",
     "export IN OUT --kind txt|pdf|pdf-image|pdf-mrc|docx|pptx|xps|page|alto|hocr\n"
     "          [--pages A-B] [--quality 0|1|2] [--title T] [--subject S] [--author A]\n"
     "          [--keywords K] [--word-columns 1|2] [--ruby-inline 0|1] [--ruby none|aozora]\n"
     "          [--fonts embed|named] [--pdfa] [--jobs N] [--office-library PATH]",
     "write pages A to B (from 1) as text, PDF, Office files, PAGE XML, ALTO or hOCR"},
    {"recognise",
     "recognise OUT.xml IMAGE_OR_PDF... [--lang jpn|jpn_vert|auto] [--jobs N] [--dpi N]",
     "recognise scans (TIFF, PNG, JPEG, BMP, PDF) into a new document"},
    {"settings", "settings show | export FILE.sew | import FILE.sew",
     "print the per-user settings, or write or read a settings file"},
};

}  // namespace

std::span<const CommandUsage> commandUsages() { return kUsages; }

std::string usageOf(std::string_view command) {
  // One line, as every failure of the command is told: the synopsis's continuation lines joined.
  for (const CommandUsage& c : kUsages) {
    if (command != c.name) continue;
    std::string line = "usage: vellary-cli ";
    for (const char* p = c.synopsis; *p != '\0'; ++p) {
      if (*p != '\n') {
        line += *p;
        continue;
      }
      while (p[1] == ' ') ++p;
      line += ' ';
    }
    return line;
  }
  return {};
}

void printCommandHelp(std::FILE* out, const CommandUsage& command) {
  std::fprintf(out, "  vellary-cli ");
  for (const char* p = command.synopsis; *p != '\0'; ++p) {
    std::fputc(*p, out);
    if (*p == '\n') std::fprintf(out, "    ");
  }
  std::fprintf(out, "\n      %s\n", command.summary);
}

void printHelp(std::FILE* out) {
  std::fprintf(out,
               "usage: vellary-cli COMMAND ARGUMENTS...\n"
               "       vellary-cli COMMAND --help\n"
               "       vellary-cli --help | --version\n\n"
               "Reads, converts, re-composes, exports and recognises Japanese OCR documents.\n\n"
               "Commands:\n");
  for (const CommandUsage& c : kUsages) printCommandHelp(out, c);
  std::fprintf(out,
               "\nExit status: 0 success, 2 the input document could not be read, 1 any other "
               "failure.\nThe manual page vellary-cli(1) describes every command and option.\n");
}

void printVersion(std::FILE* out) { std::fprintf(out, "vellary-cli %s\n", model::programVersion()); }

}  // namespace vellary::cli
