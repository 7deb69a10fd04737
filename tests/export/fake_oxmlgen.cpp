// A stand-in for the Office writer library that writes nothing but a log: one line per call,
// with every argument, the records and character buffers as their raw bytes in hex, and strings
// in hex. The tests load it by path and read the log named by OXMLGEN_FAKE_LOG back.
// OXMLGEN_FAKE_CREATE_RESULT sets what the create calls return. Built a second time without
// addLineArea (FAKE_WITHOUT_ADD_LINE_AREA) to stand for a library that lacks an entry.
#define OXMLGEN_BUILDING_LIBRARY
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "oxmlgen/oxmlgen.h"

namespace {

int pictures = 0;

std::string hex(const void* data, size_t bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string s = "x";
  const auto* p = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < bytes; ++i) {
    s += digits[p[i] >> 4];
    s += digits[p[i] & 15];
  }
  return s;
}
std::string hex(const char* text) {
  return text ? hex(text, std::char_traits<char>::length(text)) : "-";
}

long fileSize(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : -1;
}

void log(const std::string& line) {
  const char* path = std::getenv("OXMLGEN_FAKE_LOG");
  if (path == nullptr) return;
  if (std::FILE* f = std::fopen(path, "a")) {
    std::fputs((line + "\n").c_str(), f);
    std::fclose(f);
  }
}

std::string rect(const OxmlRect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}
std::string n(long v) { return std::to_string(v); }

int32_t createResult() {
  const char* r = std::getenv("OXMLGEN_FAKE_CREATE_RESULT");
  return r ? std::atoi(r) : 0;
}

}  // namespace

extern "C" {

void initDocxData(void) {
  pictures = 0;
  log("initDocxData");
}

void addPage(uint16_t width, uint16_t height, uint16_t dpi, OxmlRect margins, int32_t offsetX,
             int32_t offsetY, const char* eastAsianFont, const char* latinFont, int32_t charset) {
  log("addPage width=" + n(width) + " height=" + n(height) + " dpi=" + n(dpi) +
      " margins=" + rect(margins) + " offsetX=" + n(offsetX) + " offsetY=" + n(offsetY) +
      " east=" + hex(eastAsianFont) + " latin=" + hex(latinFont) + " charset=" + n(charset));
}

void addTextArea(const OxmlRect* area, const OxmlArea* lines, int32_t lineCount,
                 const OxmlChar* chars, int32_t charCount, const uint16_t* rubyGroups,
                 int32_t groupCount, const uint16_t* rubyChars, int32_t rubyCharCount) {
  log("addTextArea area=" + rect(*area) + " lines=" + hex(lines, lineCount * 104u) + " lineCount=" +
      n(lineCount) + " chars=" + hex(chars, charCount * 10u) + " charCount=" + n(charCount) +
      " groups=" + (rubyGroups ? hex(rubyGroups, groupCount * 8u) : std::string("-")) +
      " groupCount=" + n(groupCount) +
      " ruby=" + (rubyChars ? hex(rubyChars, rubyCharCount * 2u) : std::string("-")) +
      " rubyCount=" + n(rubyCharCount));
}

void addTableArea(const OxmlRect* area, const OxmlArea* cells, int32_t cellCount, int32_t rows,
                  int32_t columns, const OxmlChar* chars, int32_t charCount) {
  log("addTableArea area=" + rect(*area) + " cells=" + hex(cells, cellCount * 104u) +
      " cellCount=" + n(cellCount) + " rows=" + n(rows) + " columns=" + n(columns) +
      " chars=" + hex(chars, charCount * 10u) + " charCount=" + n(charCount));
}

void addImageArea(const OxmlArea* picture, const char* basePath, int32_t type) {
  const std::string file = std::string(basePath) + std::to_string(pictures++) +
                           (type == OXML_PICTURE_PNG ? ".png" : ".jpg");
  log("addImageArea record=" + hex(picture, 104) + " base=" + hex(basePath) + " type=" + n(type) +
      " fileSize=" + n(fileSize(file)));
}

#ifndef FAKE_WITHOUT_ADD_LINE_AREA
void addLineArea(const OxmlArea* rule) { log("addLineArea record=" + hex(rule, 104)); }
#endif

void addPageBreak(void) { log("addPageBreak"); }

int32_t createDocX(const char* fileName, int32_t fileNameLength, int32_t columnOption,
                   int32_t moreThanFivePages, int32_t a, int32_t b) {
  log("createDocX name=" + hex(fileName) + " length=" + n(fileNameLength) + " columns=" +
      n(columnOption) + " more=" + n(moreThanFivePages) + " a=" + n(a) + " b=" + n(b));
  return createResult();
}

int32_t createPPTX(const char* fileName, int32_t fileNameLength, int32_t columnOption,
                   int32_t moreThanFivePages, int32_t a, int32_t b, const char* templateFolder) {
  log("createPPTX name=" + hex(fileName) + " length=" + n(fileNameLength) +
      " columns=" + n(columnOption) + " more=" + n(moreThanFivePages) + " a=" + n(a) +
      " b=" + n(b) + " template=" + hex(templateFolder));
  return createResult();
}

int32_t createXPS(const char* fileName, int32_t fileNameLength, int32_t columnOption,
                  int32_t moreThanFivePages, int32_t a, int32_t b) {
  log("createXPS name=" + hex(fileName) + " length=" + n(fileNameLength) + " columns=" +
      n(columnOption) + " more=" + n(moreThanFivePages) + " a=" + n(a) + " b=" + n(b));
  return createResult();
}

// Keeps a copy of the subset: the export removes its temporary files after the create call.
void addXPSFontSubset(int32_t charset, const char* fileName, int32_t fileNameLength) {
  const char* logPath = std::getenv("OXMLGEN_FAKE_LOG");
  long copied = -1;
  if (logPath != nullptr) {
    const std::string copy = std::string(logPath) + ".font" + std::to_string(charset);
    if (std::FILE* in = std::fopen(fileName, "rb")) {
      if (std::FILE* out = std::fopen(copy.c_str(), "wb")) {
        char buf[65536];
        size_t got;
        copied = 0;
        while ((got = std::fread(buf, 1, sizeof buf, in)) > 0)
          copied += static_cast<long>(std::fwrite(buf, 1, got, out));
        std::fclose(out);
      }
      std::fclose(in);
    }
  }
  log("addXPSFontSubset charset=" + n(charset) + " name=" + hex(fileName) +
      " length=" + n(fileNameLength) + " copied=" + n(copied));
}

}  // extern "C"
