// The PDF object model: every object of the file is a CPDFobj that knows its number and renders
// its own complete text, from "N 0 obj" to "endobj" (an image renders the text before its stream
// data, which the file writes as it is, followed by kStreamEnd). CPDFfile (pdf_file.h) creates,
// numbers, owns and writes them. Line ends are CR LF as the file has always had them; other
// programs may parse these texts, so their bytes are fixed.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "export/pdf/pdf_records.h"

namespace vellary::exporting::pdf {

// What follows the stream data of an object whose data is written as it is.
inline constexpr std::string_view kStreamEnd = "\rendstream\r\nendobj\r\n";

class CPDFobj {
 public:
  explicit CPDFobj(int number) : number_(number) {}
  virtual ~CPDFobj() = default;
  CPDFobj(const CPDFobj&) = delete;
  CPDFobj& operator=(const CPDFobj&) = delete;

  int number() const { return number_; }
  // Renders the object afresh and returns its text; valid until the next call.
  const std::string& text() {
    text_.clear();
    build();
    return text_;
  }
  // Stream data written after text() as it is, then kStreamEnd; none for most objects.
  virtual std::span<const uint8_t> streamData() const { return {}; }
  // Frees the rendered text once it has been written.
  void release() { std::string().swap(text_); }

 protected:
  // Renders the complete object into text_.
  virtual void build() = 0;
  std::string text_;

 private:
  int number_;
};

// The information dictionary. Strings are kept as UTF-16 hexadecimal text with the byte order
// mark; an empty one is left out.
class CPDFinfo : public CPDFobj {
 public:
  using CPDFobj::CPDFobj;
  std::string creator, producer, title, subject, author, keywords;
  std::string creationDate;  // 21 characters: YYYYMMDDHHmmSS+HH'00'
  bool modDate = false;      // the modification date is written too (the creation date)

 protected:
  void build() override;
};

class CPDFproc : public CPDFobj {
 public:
  using CPDFobj::CPDFobj;
  bool hasImages = false;

 protected:
  void build() override;
};

class CPDFcatalog : public CPDFobj {
 public:
  using CPDFobj::CPDFobj;
  int pagesNumber = 4;
  int structTreeRoot = 0;
  int firstPage = 0;
  std::string lang = "ja-JP";
  int metadata = 0;      // the XMP metadata stream, 0: none
  int outputIntent = 0;  // the output intent dictionary, 0: none

 protected:
  void build() override;
};

class CPDFpages : public CPDFobj {
 public:
  using CPDFobj::CPDFobj;
  std::vector<int> kids;

 protected:
  void build() override;
};

class CPDFpage : public CPDFobj {
 public:
  using CPDFobj::CPDFobj;
  int parent = 4, contents = 15, procSet = 2;
  int mediaWidth = 595, mediaHeight = 842;
  int structParents = 0;
  std::string fontResources, imageResources;  // "/Fn m 0 R\r\n" and "/imN m 0 R\r\n" lines

 protected:
  void build() override;
};

// One page's content stream, held as operator texts until the file is written.
class CPDFcontents : public CPDFobj {
 public:
  using CPDFobj::CPDFobj;
  std::vector<std::string> items;  // figures first, then text and tables in reading order
  // The marked-content identifier of the next item added to the page.
  int nextMcid() { return mcidCounter_++; }
  int mcidCount() const { return mcidCounter_; }
  size_t streamLength() const;

 protected:
  void build() override;

 private:
  int mcidCounter_ = 0;
};

class CPDFimage : public CPDFobj {
 public:
  CPDFimage(int number, int index, PdfImage image);
  int index() const { return index_; }
  const PdfImage& image() const { return image_; }
  std::span<const uint8_t> streamData() const override { return image_.bytes; }

 protected:
  void build() override;

 private:
  int index_;
  PdfImage image_;
};

// One of the eleven fonts as the table in pdf_fonts.cpp describes it.
struct FontSpec;

class CPDFfontType0 : public CPDFobj {
 public:
  CPDFfontType0(int number, const FontSpec& spec) : CPDFobj(number), spec_(spec) {}
  int toUnicode = 0;  // the font's ToUnicode map, 0: none

 protected:
  void build() override;

 private:
  const FontSpec& spec_;
};

class CPDFfontDescendant : public CPDFobj {
 public:
  CPDFfontDescendant(int number, const FontSpec& spec) : CPDFobj(number), spec_(spec) {}

 protected:
  void build() override;

 private:
  const FontSpec& spec_;
};

class CPDFfontDescriptor : public CPDFobj {
 public:
  CPDFfontDescriptor(int number, const FontSpec& spec) : CPDFobj(number), spec_(spec) {}

 protected:
  void build() override;

 private:
  const FontSpec& spec_;
};

// Times New Roman and Arial: simple TrueType fonts in WinAnsiEncoding.
class CPDFfontSimple : public CPDFobj {
 public:
  CPDFfontSimple(int number, const FontSpec& spec) : CPDFobj(number), spec_(spec) {}

 protected:
  void build() override;

 private:
  const FontSpec& spec_;
};

// A dictionary, or a stream, written as it is given: `dictionary` holds the entries between
// "<<" and ">>" (without /Length, which is added for a stream); the stream's bytes follow,
// compressed with FlateDecode when `deflate` is set.
class CPDFraw : public CPDFobj {
 public:
  CPDFraw(int number, std::string dictionary) : CPDFobj(number), dictionary_(std::move(dictionary)) {}
  CPDFraw(int number, std::string dictionary, std::string stream, bool deflate);

 protected:
  void build() override;

 private:
  std::string dictionary_;
  std::string stream_;
  bool isStream_ = false;
};

// The logical structure of a tagged file: a root whose kid is the Document element, elements in
// reading order beneath it, and a parent tree that leads from each page's marked sequences back
// to their elements.
class CPDFstructRoot : public CPDFobj {
 public:
  using CPDFobj::CPDFobj;
  int document = 0;
  // For each page (its StructParents key is its index), the element of each MCID in order.
  std::vector<std::vector<int>> parentTree;

 protected:
  void build() override;
};

class CPDFstructElem : public CPDFobj {
 public:
  using CPDFobj::CPDFobj;
  std::string type;  // "Document", "P", "H1", "Figure", "Table", "TR", "TD"
  int parent = 0;
  int page = 0;               // the page object of its marked sequences
  std::vector<int> mcids;     // its marked sequences on that page
  std::vector<int> kids;      // its element kids
  std::string lang;           // BCP 47, or empty
  std::u16string alt;         // alternative description, or empty
  int rowSpan = 1, colSpan = 1;
  double bbox[4] = {0, 0, 0, 0};  // figures: where they are drawn
  bool hasBox = false;

 protected:
  void build() override;
};

// The fixed font table: resource number, class texts and object layout.
struct FontSpec {
  int resource;          // the N of /FN, also the font type of the page records
  const char* baseFont;  // a PDF name, with its slash
  const char* encoding;  // CMap name without slash, or "WinAnsiEncoding"
  const char* ordering;  // CIDSystemInfo; null for the simple fonts
  int supplement;
  int charSet;
  const char* bbox;
  int flags, capHeight, xHeight, ascent, descent;
  const char* panose;
};

// In file order of creation: F0, F4, F1, F2, F3, F6, F7, F8, F9, F10, F11.
const std::vector<FontSpec>& fontTable();

}  // namespace vellary::exporting::pdf
