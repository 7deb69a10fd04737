/* The Office writer library's C interface: the program drives it page by page and asks it at the
 * end to write a .docx, .pptx or .xps file. The library is loaded by name at run time
 * (liboxmlgen.so) and its entry points are resolved with dlsym, so this header is the whole
 * contract between the two sides; neither links against the other.
 *
 * Strings are the system's multibyte encoding, which here is UTF-8; they are NUL-terminated and,
 * where a length is passed as well, that length (bytes, without the NUL) is authoritative.
 *
 * Every array comes with its count. The library checks counts and every offset it finds inside
 * the records against the sizes it was given, and ignores a call whose records point outside
 * its buffers rather than reading beyond them. */
#ifndef VELLARY_OXMLGEN_H
#define VELLARY_OXMLGEN_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A rectangle passed by value or by address: left, top, right, bottom. */
typedef struct OxmlRect {
  int32_t left, top, right, bottom;
} OxmlRect;

/* The area record: 26 signed 32-bit fields (104 bytes), all 0 unless set. Text areas pass one
 * record per line, tables one per cell, pictures and rules one each. The meaning of each field
 * depends on the kind of area; field n sits at byte offset 4 × n. */
typedef struct OxmlArea {
  int32_t field[26];
} OxmlArea;

/* One entry of the character buffer, ten bytes without padding. A character entry holds its
 * UTF-16 code unit, value 0 and its rotation (0, 90 sideways, 100 tate-chu-yoko). A mark entry has
 * low code byte 0 and high code byte 10 (line end, value 1) or 27 (ruby anchor, value = the index
 * of the ruby group). `unused` is always 0.0. */
#pragma pack(push, 1)
typedef struct OxmlChar {
  uint16_t code;
  uint16_t value;
  float unused;
  uint16_t rotation;
} OxmlChar;
#pragma pack(pop)

enum {
  OXML_MARK_LINE_END = 10,    /* high byte of a line-end mark */
  OXML_MARK_RUBY_ANCHOR = 27, /* high byte of a ruby-anchor mark */
  OXML_PICTURE_JPEG = 11,
  OXML_PICTURE_PNG = 12
};

/* Starts a new document, dropping whatever an earlier one left behind. */
typedef void (*OxmlInitDocxData)(void);

/* Starts a page. Width and height are twips (pixels for XPS); margins and content offsets are
 * twips (margins empty for XPS). */
typedef void (*OxmlAddPage)(uint16_t width, uint16_t height, uint16_t dpi, OxmlRect margins,
                            int32_t offsetX, int32_t offsetY, const char* eastAsianFont,
                            const char* latinFont, int32_t charset);

/* One text block: one area record per line, the characters of all its lines with their marks,
 * and its ruby groups (four 16-bit values each: byte offset of the group's first ruby character
 * in `rubyChars`, number of ruby characters, index of the first base character in `rubyChars`,
 * number of base characters), or none. */
typedef void (*OxmlAddTextArea)(const OxmlRect* area, const OxmlArea* lines, int32_t lineCount,
                                const OxmlChar* chars, int32_t charCount,
                                const uint16_t* rubyGroups, int32_t groupCount,
                                const uint16_t* rubyChars, int32_t rubyCharCount);

/* One table block: cell records at index (row − 1) × columns + (column − 1). */
typedef void (*OxmlAddTableArea)(const OxmlRect* area, const OxmlArea* cells, int32_t cellCount,
                                 int32_t rows, int32_t columns, const OxmlChar* chars,
                                 int32_t charCount);

/* One picture. The program has saved it as basePath followed by the running number of pictures
 * of this export (counting from 0, one per call) and ".jpg" (type 11) or ".png" (type 12). */
typedef void (*OxmlAddImageArea)(const OxmlArea* picture, const char* basePath, int32_t type);

/* One rule. */
typedef void (*OxmlAddLineArea)(const OxmlArea* rule);

/* Ends the current page. */
typedef void (*OxmlAddPageBreak)(void);

/* Writes the document built so far: 0 when the file was written, otherwise an errno value that
   says why it was not (EINVAL: no page, no name). */
typedef int32_t (*OxmlCreateDocX)(const char* fileName, int32_t fileNameLength,
                                  int32_t columnOption, int32_t moreThanFivePages, int32_t,
                                  int32_t);
typedef int32_t (*OxmlCreatePPTX)(const char* fileName, int32_t fileNameLength,
                                  int32_t columnOption, int32_t moreThanFivePages, int32_t,
                                  int32_t, const char* templateFolder);
typedef int32_t (*OxmlCreateXPS)(const char* fileName, int32_t fileNameLength,
                                 int32_t columnOption, int32_t moreThanFivePages, int32_t,
                                 int32_t);

/* Registers a subset font file for the XPS output: character set 128 (Japanese) or 0 (other). */
typedef void (*OxmlAddXPSFontSubset)(int32_t charset, const char* fileName,
                                     int32_t fileNameLength);

/* The document's information for the file's core properties (title, subject, creator, keywords),
 * each a UTF-8 string or null; given before the create call. Optional: a library without it
 * writes files without them. */
typedef void (*OxmlSetDocumentInfo)(const char* title, const char* subject, const char* author,
                                    const char* keywords);

#ifdef OXMLGEN_BUILDING_LIBRARY
#define OXMLGEN_API __attribute__((visibility("default")))
OXMLGEN_API void initDocxData(void);
OXMLGEN_API void addPage(uint16_t width, uint16_t height, uint16_t dpi, OxmlRect margins,
                         int32_t offsetX, int32_t offsetY, const char* eastAsianFont,
                         const char* latinFont, int32_t charset);
OXMLGEN_API void addTextArea(const OxmlRect* area, const OxmlArea* lines, int32_t lineCount,
                             const OxmlChar* chars, int32_t charCount, const uint16_t* rubyGroups,
                             int32_t groupCount, const uint16_t* rubyChars,
                             int32_t rubyCharCount);
OXMLGEN_API void addTableArea(const OxmlRect* area, const OxmlArea* cells, int32_t cellCount,
                              int32_t rows, int32_t columns, const OxmlChar* chars,
                              int32_t charCount);
OXMLGEN_API void addImageArea(const OxmlArea* picture, const char* basePath, int32_t type);
OXMLGEN_API void addLineArea(const OxmlArea* rule);
OXMLGEN_API void addPageBreak(void);
OXMLGEN_API int32_t createDocX(const char* fileName, int32_t fileNameLength, int32_t columnOption,
                               int32_t moreThanFivePages, int32_t, int32_t);
OXMLGEN_API int32_t createPPTX(const char* fileName, int32_t fileNameLength, int32_t columnOption,
                               int32_t moreThanFivePages, int32_t, int32_t,
                               const char* templateFolder);
OXMLGEN_API int32_t createXPS(const char* fileName, int32_t fileNameLength, int32_t columnOption,
                              int32_t moreThanFivePages, int32_t, int32_t);
OXMLGEN_API void addXPSFontSubset(int32_t charset, const char* fileName, int32_t fileNameLength);
OXMLGEN_API void setDocumentInfo(const char* title, const char* subject, const char* author,
                                 const char* keywords);
#endif

#ifdef __cplusplus
}
#endif

#endif /* VELLARY_OXMLGEN_H */
