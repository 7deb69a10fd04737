// The fixed objects, pages, content streams, images and structure tree, and writing the file.
#include "export/pdf/pdf_file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "export/pdf/append_format.h"
#include "export/pdf/pdf_content.h"
#include "model/atomic_file.h"
#include "model/text.h"

namespace vellary::exporting::pdf {

// --- Text encodings --------------------------------------------------------------------------

std::string hexUtf16(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 4);
  for (char16_t u : text) appendf(out, "%02X%02X", (u >> 8) & 0xFF, u & 0xFF);
  return out;
}

std::string infoString(std::u16string_view text) { return "FEFF" + hexUtf16(text); }

std::string formatCreationDate(const std::tm& t, long utcOffsetSeconds) {
  const long hours = (utcOffsetSeconds < 0 ? -utcOffsetSeconds : utcOffsetSeconds) / 3600;
  std::string out;
  appendf(out, "%04d%02d%02d%02d%02d%02d%c%02ld'00'", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
          t.tm_hour, t.tm_min, t.tm_sec, utcOffsetSeconds < 0 ? '-' : '+', hours);
  return out;
}

std::string xmpDate(const std::string& d) {
  if (d.size() < 17) return d;
  return d.substr(0, 4) + "-" + d.substr(4, 2) + "-" + d.substr(6, 2) + "T" + d.substr(8, 2) +
         ":" + d.substr(10, 2) + ":" + d.substr(12, 2) + d.substr(14, 3) + ":00";
}

int mediaBoxSide(int pixels, int dpi) {
  const long side = std::lround(static_cast<double>(pixels) * 72.0 / dpi);
  return static_cast<int>(std::clamp(side, 72L, 3240L));
}

std::string srgbProfile() {
  std::string p;
  auto u32 = [](std::string& s, uint32_t v) {
    for (int i = 3; i >= 0; --i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  auto fixed = [&](std::string& s, double v) { u32(s, static_cast<uint32_t>(std::lround(v * 65536))); };
  auto xyz = [&](double x, double y, double z) {
    std::string s = "XYZ ";
    u32(s, 0);
    fixed(s, x), fixed(s, y), fixed(s, z);
    return s;
  };
  std::string desc = "desc";
  u32(desc, 0);
  const std::string name = "sRGB IEC61966-2.1";
  u32(desc, static_cast<uint32_t>(name.size() + 1));
  desc += name;
  desc += '\0';
  u32(desc, 0);                    // Unicode language
  u32(desc, 0);                    // Unicode count
  desc += std::string(2 + 1 + 67, '\0');  // ScriptCode code, count and its 67 bytes
  std::string cprt = "text";
  u32(cprt, 0);
  cprt += std::string("No copyright, use freely") + '\0';
  std::string curve = "curv";
  u32(curve, 0);
  u32(curve, 1);
  curve += '\x02';
  curve += '\x33';  // gamma 2.2 as u8Fixed8 (563 / 256)
  const std::pair<const char*, std::string> tags[] = {
      {"desc", desc},
      {"cprt", cprt},
      {"wtpt", xyz(0.9642, 1.0, 0.8249)},
      {"rXYZ", xyz(0.4361, 0.2225, 0.0139)},
      {"gXYZ", xyz(0.3851, 0.7169, 0.0971)},
      {"bXYZ", xyz(0.1431, 0.0606, 0.7141)},
      {"rTRC", curve},
      {"gTRC", curve},
      {"bTRC", curve}};
  const size_t count = std::size(tags);
  std::string table, data;
  size_t at = 128 + 4 + 12 * count;
  for (const auto& [sig, bytes] : tags) {
    std::string padded = bytes;
    while (padded.size() % 4 != 0) padded += '\0';
    table += sig;
    u32(table, static_cast<uint32_t>(at + data.size()));
    u32(table, static_cast<uint32_t>(bytes.size()));
    data += padded;
  }
  const size_t size = 128 + 4 + table.size() + data.size();
  u32(p, static_cast<uint32_t>(size));
  u32(p, 0);           // preferred CMM
  u32(p, 0x02100000);  // version 2.1
  p += "mntrRGB XYZ ";
  for (int v : {2000, 1, 1, 0, 0, 0}) {
    p += static_cast<char>(v >> 8);
    p += static_cast<char>(v & 0xFF);
  }
  p += "acsp";
  p += std::string(4 + 4 + 4 + 4 + 8 + 4, '\0');  // platform, flags, maker, model, attributes, intent
  fixed(p, 0.9642), fixed(p, 1.0), fixed(p, 0.8249);  // the illuminant: D50
  p += std::string(4 + 16 + 28, '\0');              // creator, profile id, reserved
  u32(p, static_cast<uint32_t>(count));
  p += table;
  p += data;
  return p;
}

namespace {

constexpr char kHeader[] = "%PDF-1.4\r\n%\xE2\xE3\xCF\xD3\r\n";

// Text for a PDF literal string: the characters that would end or escape it are escaped.
std::string literal(std::string_view text) {
  std::string out = "(";
  for (char c : text) {
    if (c == '(' || c == ')' || c == '\\') out += '\\';
    out += c;
  }
  return out + ")";
}

std::string xmlEscaped(std::u16string_view text) {
  std::string out;
  for (char c : model::toUtf8(text)) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n') out += c;
    }
  }
  return out;
}

// 16 bytes that tell one file from another, the same for the same bytes. Eight bytes at a
// time: the file is hashed on the writing thread, after the pages.
struct IdHash {
  uint64_t a = 1469598103934665603ULL, b = 0x9E3779B97F4A7C15ULL;
  uint64_t pending = 0;
  int held = 0;  // bytes in pending
  void word(uint64_t w) {
    a = (a ^ w) * 0x100000001B3ULL;
    b = (b + w) * 0xBF58476D1CE4E5B9ULL ^ (b >> 29);
  }
  void add(std::string_view bytes) {
    size_t i = 0;
    while (i < bytes.size() && held > 0) push(static_cast<unsigned char>(bytes[i++]));
    for (; i + 8 <= bytes.size(); i += 8) {
      uint64_t w;
      std::memcpy(&w, bytes.data() + i, 8);
      word(w);
    }
    for (; i < bytes.size(); ++i) push(static_cast<unsigned char>(bytes[i]));
  }
  void push(unsigned char c) {
    pending |= uint64_t{c} << (8 * held);
    if (++held == 8) {
      word(pending);
      pending = 0;
      held = 0;
    }
  }
  std::string hex() {
    if (held > 0) word(pending ^ (uint64_t{static_cast<unsigned>(held)} << 56));
    held = 0;
    char out[33];
    std::snprintf(out, sizeof out, "%016llX%016llX", static_cast<unsigned long long>(a),
                  static_cast<unsigned long long>(b));
    return out;
  }
};

}  // namespace

// --- Objects -----------------------------------------------------------------------------------

void CPDFinfo::build() {
  appendf(text_, "%d 0 obj\r\n<<\n", number());
  const std::pair<const char*, const std::string*> entries[] = {
      {"Creator", &creator}, {"Producer", &producer}, {"Title", &title},
      {"Subject", &subject}, {"Author", &author},     {"Keywords", &keywords}};
  for (const auto& [key, value] : entries) {
    if (key == std::string("Producer")) appendf(text_, "/CreationDate (D:%s)\r\n", creationDate.c_str());
    if (value->size() > 4) appendf(text_, "/%s <%s>\r\n", key, value->c_str());
  }
  if (modDate) appendf(text_, "/ModDate (D:%s)\r\n", creationDate.c_str());
  text_ += ">>\nendobj\r\n";
}

void CPDFproc::build() {
  appendf(text_,
          hasImages ? "%d 0 obj\r\n[ /PDF /Text /ImageB /ImageC ]\r\nendobj\r\n"
                    : "%d 0 obj\r\n[ /PDF /Text ]\r\nendobj\r\n",
          number());
}

void CPDFcatalog::build() {
  appendf(text_,
          "%d 0 obj\r\n<<\r\n/Type /Catalog\r\n/Pages %d 0 R\r\n/StructTreeRoot %d 0 R\r\n"
          "/MarkInfo << /Marked true >>\r\n/OpenAction [ %d 0 R /Fit ]\r\n/Lang %s\r\n",
          number(), pagesNumber, structTreeRoot, firstPage, literal(lang).c_str());
  if (metadata != 0) appendf(text_, "/Metadata %d 0 R\r\n", metadata);
  if (outputIntent != 0) appendf(text_, "/OutputIntents [ %d 0 R ]\r\n", outputIntent);
  // The calibrated colour spaces stand in the catalog itself, as the file has always had them.
  text_ +=
      "/DefaultGray [/CalGray\r\n<<\r\n/WhitePoint [0.9643 1 0.8251 ]\r\n/Gamma 1.9002\r\n>>\r\n]"
      "\r\n/DefaultRGB [/CalRGB\r\n<<\r\n/WhitePoint [0.9643 1 0.8251 ]\r\n"
      "/Gamma [1.9002 1.9002 1.9002 ]\r\n"
      "/Matrix [0.5347 0.2919 0.0252 0.3 0.653 0.1177 0.129 0.055 0.6812 ]\r\n>>\r\n]\r\n>>\r\n"
      "endobj\r\n";
}

void CPDFpages::build() {
  appendf(text_, "%d 0 obj\r\n<<\r\n/Type /Pages\r\n/Kids [ ", number());
  for (int kid : kids) appendf(text_, "%d 0 R ", kid);
  appendf(text_, "]\r\n/Count %d\r\n>>\r\nendobj\r\n", static_cast<int>(kids.size()));
}

void CPDFpage::build() {
  appendf(text_,
          "%d 0 obj\r\n<<\r\n/Type /Page\r\n/Parent %d 0 R\r\n/Resources <<\r\n/Font <<\r\n%s>>\r\n"
          "/XObject <<\r\n%s>>\r\n/ProcSet %d 0 R\r\n>>\r\n/Contents [ %d 0 R ]\r\n"
          "/MediaBox [ 0 0 %d %d ]\r\n/StructParents %d\r\n>>\r\nendobj\r\n",
          number(), parent, fontResources.c_str(), imageResources.c_str(), procSet, contents,
          mediaWidth, mediaHeight, structParents);
}

size_t CPDFcontents::streamLength() const {
  size_t n = 0;
  for (const std::string& s : items) n += s.size();
  return n;
}

void CPDFcontents::build() {
  appendf(text_, "%d 0 obj\r\n<<\r\n/Length %d\r\n>>\rstream\r\n", number(),
          static_cast<int>(streamLength()));
  text_.reserve(text_.size() + streamLength() + 32);
  for (const std::string& s : items) text_ += s;
  text_ += "\rendstream\r\nendobj\r\n";
}

CPDFimage::CPDFimage(int number, int index, PdfImage image)
    : CPDFobj(number), index_(index), image_(std::move(image)) {}

void CPDFimage::build() {
  const PdfImage& im = image_;
  if (im.bytes.empty()) return;
  const int length = static_cast<int>(im.bytes.size());
  if (im.imageMask || im.bitsPerPixel == 1) {
    appendf(text_,
            "%d 0 obj\r\n<<\r\n/Type /XObject\r\n/Subtype /Image\r\n/Name /im%d\r\n/Width %d\r\n"
            "/Height %d\r\n/BitsPerComponent %d\r\n%s\r\n/Length %d\r\n",
            number(), index_, im.pixelWidth, im.pixelHeight, im.imageMask ? im.bitsPerPixel : 1,
            im.imageMask ? "/ImageMask true" : "/ColorSpace /DeviceGray", length);
    appendf(text_,
            "/Filter /CCITTFaxDecode\r\n/DecodeParms\r\n<<\r\n/K -1\r\n/EndOfLine false\r\n"
            "/EncodeByteAlign false\r\n/Columns %d\r\n/Rows %d\r\n/EndOfBlock false\r\n%s\r\n"
            "/DamagedRowsBeforeError -1\r\n>>\r\n>>\r\nstream\r\n",
            im.pixelWidth, im.pixelHeight, im.imageMask ? "" : "/BlackIs1 false");
  } else {
    appendf(text_,
            "%d 0 obj\r\n<<\r\n/Type /XObject\r\n/Subtype /Image\r\n/Name /im%d\r\n"
            "/Filter /DCTDecode\r\n/Width %d\r\n/Height %d\r\n/BitsPerComponent %d\r\n"
            "/ColorSpace %s\r\n/Length %d\r\n>>\r\nstream\r\n",
            number(), index_, im.pixelWidth, im.pixelHeight, 8,
            im.bitsPerPixel == 24 ? "/DeviceRGB" : "/DeviceGray", length);
  }
}

void CPDFstructRoot::build() {
  appendf(text_, "%d 0 obj\r\n<<\r\n/Type /StructTreeRoot\r\n/K %d 0 R\r\n/ParentTree << /Nums [",
          number(), document);
  for (size_t p = 0; p < parentTree.size(); ++p) {
    appendf(text_, "\r\n%d [ ", static_cast<int>(p));
    for (int e : parentTree[p]) appendf(text_, "%d 0 R ", e);
    text_ += "]";
  }
  appendf(text_, " ] >>\r\n/ParentTreeNextKey %d\r\n>>\r\nendobj\r\n",
          static_cast<int>(parentTree.size()));
}

void CPDFstructElem::build() {
  appendf(text_, "%d 0 obj\r\n<<\r\n/Type /StructElem\r\n/S /%s\r\n/P %d 0 R\r\n", number(),
          type.c_str(), parent);
  if (page != 0) appendf(text_, "/Pg %d 0 R\r\n", page);
  if (!lang.empty()) appendf(text_, "/Lang %s\r\n", literal(lang).c_str());
  if (!alt.empty()) appendf(text_, "/Alt <%s>\r\n", infoString(alt).c_str());
  if (hasBox)
    appendf(text_, "/A << /O /Layout /BBox [ %.2f %.2f %.2f %.2f ] >>\r\n", bbox[0], bbox[1],
            bbox[2], bbox[3]);
  else if (rowSpan > 1 || colSpan > 1)
    appendf(text_, "/A << /O /Table /RowSpan %d /ColSpan %d >>\r\n", rowSpan, colSpan);
  text_ += "/K [ ";
  for (int mcid : mcids) appendf(text_, "%d ", mcid);
  for (int kid : kids) appendf(text_, "%d 0 R ", kid);
  text_ += "]\r\n>>\r\nendobj\r\n";
}

// --- The file ----------------------------------------------------------------------------------

CPDFfile::CPDFfile(PdfFileOptions options)
    : options_(options), fontSet_(options.embedFonts || options.archive) {
  info_ = std::make_unique<CPDFinfo>(next());
  proc_ = std::make_unique<CPDFproc>(next());
  catalog_ = std::make_unique<CPDFcatalog>(next());
  pageTree_ = std::make_unique<CPDFpages>(next());
  catalog_->pagesNumber = pageTree_->number();
  info_->modDate = options_.archive;
  if (fontSet_.embeds()) return;

  // The three objects of a CJK font are numbered Type0, descendant, descriptor; those of the
  // Chinese and Korean fonts are written Type0, descriptor, descendant.
  namedType0_.assign(12, nullptr);
  for (const FontSpec& spec : fontTable()) {
    const int n = next();
    appendf(fontResources_, "/F%d %d 0 R\r\n", spec.resource, n);
    if (spec.ordering == nullptr) {
      fonts_.push_back(std::make_unique<CPDFfontSimple>(n, spec));
      continue;
    }
    const int descendant = next(), descriptor = next();
    auto type0 = std::make_unique<CPDFfontType0>(n, spec);
    namedType0_[static_cast<size_t>(spec.resource)] = type0.get();
    fonts_.push_back(std::move(type0));
    const bool japanese = spec.charSet == 128;
    if (japanese) {
      fonts_.push_back(std::make_unique<CPDFfontDescendant>(descendant, spec));
      fonts_.push_back(std::make_unique<CPDFfontDescriptor>(descriptor, spec));
    } else {
      fonts_.push_back(std::make_unique<CPDFfontDescriptor>(descriptor, spec));
      fonts_.push_back(std::make_unique<CPDFfontDescendant>(descendant, spec));
    }
  }
}

CPDFfile::~CPDFfile() = default;

void CPDFfile::setCreator(std::u16string_view t) { creator_ = t; }
void CPDFfile::setProducer(std::u16string_view t) { producer_ = t; }
void CPDFfile::setTitle(std::u16string_view t) { title_ = t; }
void CPDFfile::setSubject(std::u16string_view t) { subject_ = t; }
void CPDFfile::setAuthor(std::u16string_view t) { author_ = t; }
void CPDFfile::setKeywords(std::u16string_view t) { keywords_ = t; }

int CPDFfile::AddPage(const PdfPage& page) { return AddPage(PdfPage(page)); }

int CPDFfile::AddPage(PdfPage&& page) {
  auto pageObj = std::make_unique<CPDFpage>(next());
  auto contents = std::make_unique<CPDFcontents>(next());
  if (pages_.empty()) catalog_->firstPage = pageObj->number();
  pageTree_->kids.push_back(pageObj->number());
  pageObj->parent = pageTree_->number();
  pageObj->procSet = proc_->number();
  pageObj->contents = contents->number();
  pageObj->fontResources = fontResources_;
  pageObj->structParents = static_cast<int>(pages_.size());
  const int dpi = page.dpi > 0 ? page.dpi : 400;
  pageObj->mediaWidth = mediaBoxSide(page.width, dpi);
  pageObj->mediaHeight = mediaBoxSide(page.height, dpi);

  ContentWriter writer(fontSet_);
  PageMarks marks{pageObj->number(), {}};
  for (PdfImage& taken : page.images) {
    if (taken.bytes.empty()) continue;  // a figure that could not be made is left out
    const int index = static_cast<int>(images_.size());
    auto obj = std::make_unique<CPDFimage>(next(), index, std::move(taken));
    const PdfImage& image = obj->image();
    appendf(pageObj->imageResources, "/im%d %d 0 R\r\n", index, obj->number());
    int mcid = -1;
    if (!image.artifact) {
      mcid = contents->nextMcid();
      StructItem item{"Figure", image.order, {mcid}, {}, image.alt, {}, {}};
      item.box = {image.x, image.y, image.x + image.width, image.y + image.height};
      marks.items.push_back(std::move(item));
    }
    contents->items.push_back(writer.figure(image, index, mcid));
    images_.push_back(std::move(obj));
  }
  // Text blocks and tables in reading order.
  size_t b = 0, t = 0;
  while (b < page.blocks.size() || t < page.tables.size()) {
    const bool block = t >= page.tables.size() ||
                       (b < page.blocks.size() && page.blocks[b].order <= page.tables[t].order);
    if (block) {
      const PdfTextBlock& tb = page.blocks[b++];
      int mcid = -1;
      if (tb.role != PdfRole::Artifact) {
        mcid = contents->nextMcid();
        marks.items.push_back(
            {tb.role == PdfRole::Heading ? "H1" : "P", tb.order, {mcid}, tb.lang, {}, {}, {}});
      }
      contents->items.push_back(writer.textBlock(tb, mcid));
    } else {
      const PdfTable& table = page.tables[t++];
      StructItem item{"Table", table.order, {}, table.lang, {}, {}, {}};
      std::vector<int> mcids;
      for (const PdfCell& cell : table.cells) {
        const int mcid = contents->nextMcid();
        mcids.push_back(mcid);
        item.cells.push_back({cell.row, mcid, cell.rowSpan, cell.columnSpan});
      }
      marks.items.push_back(std::move(item));
      contents->items.push_back(writer.table(table, mcids));
    }
  }
  marks.mcidCount = contents->mcidCount();
  // Figures keep their place among the blocks in the structure, whatever the drawing order.
  std::stable_sort(marks.items.begin(), marks.items.end(),
                   [](const StructItem& a, const StructItem& b) { return a.order < b.order; });
  marks_.push_back(std::move(marks));
  pageFonts_.push_back(writer.fontsUsed());
  pages_.push_back(std::move(pageObj));
  contents_.push_back(std::move(contents));
  return static_cast<int>(pages_.size());
}

void CPDFfile::prepareArchive() {
  const int profile = next(), intent = next(), metadata = next();
  late_.push_back(std::make_unique<CPDFraw>(profile, "/N 3\r\n", srgbProfile(), true));
  std::string dict;
  appendf(dict,
          "/Type /OutputIntent\r\n/S /GTS_PDFA1\r\n/OutputConditionIdentifier (sRGB IEC61966-2.1)"
          "\r\n/Info (sRGB IEC61966-2.1)\r\n/DestOutputProfile %d 0 R\r\n",
          profile);
  late_.push_back(std::make_unique<CPDFraw>(intent, dict));
  catalog_->outputIntent = intent;

  const std::string date = xmpDate(info_->creationDate);
  std::string xmp =
      "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
      "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
      "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
      "<rdf:Description rdf:about=\"\" xmlns:pdfaid=\"http://www.aiim.org/pdfa/ns/id/\" "
      "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" "
      "xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\">\n"
      "<pdfaid:part>2</pdfaid:part>\n<pdfaid:conformance>U</pdfaid:conformance>\n"
      "<dc:format>application/pdf</dc:format>\n";
  if (!title_.empty())
    xmp += "<dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">" + xmlEscaped(title_) +
           "</rdf:li></rdf:Alt></dc:title>\n";
  if (!author_.empty())
    xmp += "<dc:creator><rdf:Seq><rdf:li>" + xmlEscaped(author_) +
           "</rdf:li></rdf:Seq></dc:creator>\n";
  if (!subject_.empty())
    xmp += "<dc:description><rdf:Alt><rdf:li xml:lang=\"x-default\">" + xmlEscaped(subject_) +
           "</rdf:li></rdf:Alt></dc:description>\n";
  if (!keywords_.empty()) xmp += "<pdf:Keywords>" + xmlEscaped(keywords_) + "</pdf:Keywords>\n";
  if (!producer_.empty()) xmp += "<pdf:Producer>" + xmlEscaped(producer_) + "</pdf:Producer>\n";
  if (!creator_.empty())
    xmp += "<xmp:CreatorTool>" + xmlEscaped(creator_) + "</xmp:CreatorTool>\n";
  xmp += "<xmp:CreateDate>" + date + "</xmp:CreateDate>\n<xmp:ModifyDate>" + date +
         "</xmp:ModifyDate>\n</rdf:Description>\n</rdf:RDF>\n</x:xmpmeta>\n"
         "<?xpacket end=\"w\"?>";
  late_.push_back(
      std::make_unique<CPDFraw>(metadata, "/Type /Metadata\r\n/Subtype /XML\r\n", xmp, false));
  catalog_->metadata = metadata;
}

void CPDFfile::prepareStructure() {
  auto root = std::make_unique<CPDFstructRoot>(next());
  auto document = std::make_unique<CPDFstructElem>(next());
  document->type = "Document";
  document->parent = root->number();
  root->document = document->number();
  std::vector<std::unique_ptr<CPDFobj>> elements;
  auto element = [&](const std::string& type, int parent, int page) {
    auto e = std::make_unique<CPDFstructElem>(next());
    e->type = type;
    e->parent = parent;
    e->page = page;
    CPDFstructElem* out = e.get();
    elements.push_back(std::move(e));
    return out;
  };
  for (const PageMarks& marks : marks_) {
    std::vector<int> parents(static_cast<size_t>(marks.mcidCount), document->number());
    for (const StructItem& item : marks.items) {
      CPDFstructElem* e = element(item.type, document->number(), marks.pageNumber);
      document->kids.push_back(e->number());
      e->lang = item.lang;
      e->alt = item.alt;
      if (item.type == "Figure") {
        e->hasBox = true;
        e->bbox[0] = item.box.left, e->bbox[1] = item.box.bottom;
        e->bbox[2] = item.box.right, e->bbox[3] = item.box.top;
      }
      if (item.type != "Table") {
        e->mcids = item.mcids;
        for (int m : item.mcids) parents[static_cast<size_t>(m)] = e->number();
        continue;
      }
      e->page = 0;
      CPDFstructElem* row = nullptr;
      int rowIndex = -1;
      for (const StructItem::Cell& cell : item.cells) {
        if (row == nullptr || cell.row != rowIndex) {
          row = element("TR", e->number(), 0);
          e->kids.push_back(row->number());
          rowIndex = cell.row;
        }
        CPDFstructElem* td = element("TD", row->number(), marks.pageNumber);
        row->kids.push_back(td->number());
        td->mcids = {cell.mcid};
        td->rowSpan = cell.rowSpan;
        td->colSpan = cell.colSpan;
        parents[static_cast<size_t>(cell.mcid)] = td->number();
      }
    }
    root->parentTree.push_back(std::move(parents));
  }
  catalog_->structTreeRoot = root->number();
  late_.push_back(std::move(root));
  late_.push_back(std::move(document));
  for (auto& e : elements) late_.push_back(std::move(e));
}

// Numbers and makes the objects that depend on the whole file, fills in the date and ProcSet.
void CPDFfile::prepare() {
  if (fixedDate_) {
    info_->creationDate = *fixedDate_;
  } else if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch != nullptr && *epoch) {
    // Reproducible files: the moment the environment names, in universal time.
    const std::time_t at = static_cast<std::time_t>(std::strtoll(epoch, nullptr, 10));
    std::tm utc{};
    gmtime_r(&at, &utc);
    info_->creationDate = formatCreationDate(utc, 0);
  } else {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    info_->creationDate = formatCreationDate(local, local.tm_gmtoff);
  }
  proc_->hasImages = !images_.empty();
  const std::pair<std::string*, const std::u16string*> strings[] = {
      {&info_->creator, &creator_}, {&info_->producer, &producer_}, {&info_->title, &title_},
      {&info_->subject, &subject_}, {&info_->author, &author_},     {&info_->keywords, &keywords_}};
  for (const auto& [out, text] : strings) *out = infoString(*text);
  if (prepared_) return;
  prepared_ = true;

  auto number = [this] { return next(); };
  if (fontSet_.embeds()) {
    std::map<std::string, int> resources;
    fontSet_.makeEmbedded(number, late_, resources);
    for (size_t i = 0; i < pages_.size(); ++i) {
      std::string lines;
      for (const std::string& name : pageFonts_[i])
        if (auto found = resources.find(name); found != resources.end())
          appendf(lines, "/%s %d 0 R\r\n", name.c_str(), found->second);
      pages_[i]->fontResources = lines;
    }
  } else {
    std::map<int, int> toUnicode;
    fontSet_.makeNamedToUnicode(number, late_, toUnicode);
    for (const auto& [type, n] : toUnicode)
      if (CPDFfontType0* f = namedType0_[static_cast<size_t>(type)]) f->toUnicode = n;
  }
  if (options_.archive) prepareArchive();
  prepareStructure();
}

template <class Sink>
void CPDFfile::emit(Sink& sink) {
  std::vector<long> offsets(static_cast<size_t>(lastNumber_) + 1, 0);
  long at = 0;
  IdHash id;
  auto put = [&](std::string_view bytes) {
    sink(bytes);
    id.add(bytes);
    at += static_cast<long>(bytes.size());
  };
  auto object = [&](CPDFobj& obj) {
    offsets[static_cast<size_t>(obj.number())] = at;
    put(obj.text());
    obj.release();
    const std::span<const uint8_t> data = obj.streamData();
    if (!data.empty()) {
      put({reinterpret_cast<const char*>(data.data()), data.size()});
      put(kStreamEnd);
    }
  };
  put(kHeader);
  object(*info_);
  object(*proc_);
  object(*catalog_);
  object(*pageTree_);
  for (auto& f : fonts_) object(*f);
  for (size_t i = 0; i < pages_.size(); ++i) {
    object(*pages_[i]);
    object(*contents_[i]);
  }
  for (auto& im : images_) object(*im);
  for (auto& s : late_) object(*s);

  const long xref = at;
  std::string table;
  appendf(table, "xref\r\n0 %d\r\n0000000000 65535 f\r\n", lastNumber_ + 1);
  for (int n = 1; n <= lastNumber_; ++n) appendf(table, "%010ld 00000 n\r\n", offsets[n]);
  const std::string fileId = id.hex();
  appendf(table,
          "trailer\r\n<<\r\n/Size %d\r\n/Root %d 0 R\r\n/Info %d 0 R\r\n/ID [ <%s> <%s> ]\r\n>>\r\n"
          "startxref\r\n%ld\r\n%%%%EOF\r\n",
          lastNumber_ + 1, catalog_->number(), info_->number(), fileId.c_str(), fileId.c_str(),
          xref);
  put(table);
}

int CPDFfile::Write(const std::string& path) {
  if (pages_.empty()) return 0;
  prepare();
  std::string error;
  bool ok = model::replaceFile(
      path,
      [&](std::FILE* f) {
        bool good = true;
        auto sink = [&](std::string_view bytes) {
          if (good && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) good = false;
        };
        emit(sink);
        return good;
      },
      error);
  if (!ok) throw PdfWriteError(error.empty() ? "ファイル " + path + " が保存できません。" : error);
  return 1;
}

std::string CPDFfile::render() {
  std::string out;
  if (pages_.empty()) return out;
  prepare();
  auto sink = [&](std::string_view bytes) { out.append(bytes); };
  emit(sink);
  return out;
}

}  // namespace vellary::exporting::pdf
