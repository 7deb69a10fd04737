// The fixed objects, pages, content streams, images and structure tree, and writing the file.
#include "export/pdf/pdf_file.h"

#include "export/pdf/append_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "export/pdf/pdf_content.h"
#include "model/atomic_file.h"

namespace vellary::exporting::pdf {

namespace {

constexpr char kInfoPrefix[] = "FEFF001B6A61001B";
constexpr int kInfoNumber = 1, kProcNumber = 2, kCatalogNumber = 3, kPagesNumber = 4;

}  // namespace

// --- Text encodings --------------------------------------------------------------------------

std::string hexUtf16(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 4);
  for (char16_t u : text) appendf(out, "%02X%02X", (u >> 8) & 0xFF, u & 0xFF);
  return out;
}

std::string infoString(std::u16string_view text) { return kInfoPrefix + hexUtf16(text); }

std::string formatCreationDate(const std::tm& t, long utcOffsetSeconds) {
  const long hours = (utcOffsetSeconds < 0 ? -utcOffsetSeconds : utcOffsetSeconds) / 3600;
  std::string out;
  appendf(out, "%04d%02d%02d%02d%02d%02d%c%02ld'00'", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
          t.tm_hour, t.tm_min, t.tm_sec, utcOffsetSeconds < 0 ? '-' : '+', hours);
  return out;
}

int mediaBoxSide(int pixels, int dpi) {
  const long side = std::lround(static_cast<double>(pixels) * 72.0 / dpi);
  return static_cast<int>(std::clamp(side, 72L, 3240L));
}

// --- Objects -----------------------------------------------------------------------------------

void CPDFinfo::build() {
  appendf(text_,
          "%d 0 obj\r\n<<\n/Creator <%s>\r\n/CreationDate (D:%s)\r\n/Producer <%s>\r\n"
          "/Title <%s>\r\n/Subject <%s>\r\n/Author <%s>\r\n/Keywords <%s>\r\n>>\nendobj\r\n",
          number(), creator.c_str(), creationDate.c_str(), producer.c_str(), title.c_str(),
          subject.c_str(), author.c_str(), keywords.c_str());
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
          "/MarkInfo << /Marked true >>\r\n/OpenAction [ %d 0 R /Fit ]\r\n",
          number(), pagesNumber, structTreeRoot, firstPage);
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
  for (const auto* list : {&texts, &tables, &figures})
    for (const std::string& s : *list) n += s.size();
  return n;
}

void CPDFcontents::build() {
  appendf(text_, "%d 0 obj\r\n<<\r\n/Length %d\r\n>>\rstream\r\n", number(),
          static_cast<int>(streamLength()));
  text_.reserve(text_.size() + streamLength() + 32);
  for (const auto* list : {&texts, &tables, &figures})
    for (const std::string& s : *list) text_ += s;
  text_ += "\rendstream\r\nendobj\r\n";
}

CPDFimage::CPDFimage(int number, int index, const PdfImage& image)
    : CPDFobj(number), index_(index), image_(image) {}

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
  text_.append(reinterpret_cast<const char*>(im.bytes.data()), im.bytes.size());
  text_ += "\rendstream\r\nendobj\r\n";
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
  if (mcid >= 0) {
    appendf(text_, "/Pg %d 0 R\r\n/K %d\r\n", page, mcid);
  } else {
    text_ += "/K [ ";
    for (int kid : kids) appendf(text_, "%d 0 R ", kid);
    text_ += "]\r\n";
  }
  text_ += ">>\r\nendobj\r\n";
}

// --- The file ----------------------------------------------------------------------------------

CPDFfile::CPDFfile() {
  info_ = std::make_unique<CPDFinfo>(next());
  proc_ = std::make_unique<CPDFproc>(next());
  catalog_ = std::make_unique<CPDFcatalog>(next());
  pageTree_ = std::make_unique<CPDFpages>(next());
  catalog_->pagesNumber = pageTree_->number();
  for (std::string* s : {&info_->creator, &info_->producer, &info_->title, &info_->subject,
                         &info_->author, &info_->keywords})
    *s = infoString(u"");

  // The three objects of a CJK font are numbered Type0, descendant, descriptor; those of the
  // Chinese and Korean fonts are written Type0, descriptor, descendant.
  for (const FontSpec& spec : fontTable()) {
    const int n = next();
    appendf(fontResources_, "/F%d %d 0 R\r\n", spec.resource, n);
    if (spec.ordering == nullptr) {
      fonts_.push_back(std::make_unique<CPDFfontSimple>(n, spec));
      continue;
    }
    const int descendant = next(), descriptor = next();
    fonts_.push_back(std::make_unique<CPDFfontType0>(n, spec));
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

void CPDFfile::setCreator(std::u16string_view t) { info_->creator = infoString(t); }
void CPDFfile::setProducer(std::u16string_view t) { info_->producer = infoString(t); }
void CPDFfile::setTitle(std::u16string_view t) { info_->title = infoString(t); }
void CPDFfile::setSubject(std::u16string_view t) { info_->subject = infoString(t); }
void CPDFfile::setAuthor(std::u16string_view t) { info_->author = infoString(t); }
void CPDFfile::setKeywords(std::u16string_view t) { info_->keywords = infoString(t); }

int CPDFfile::AddPage(const PdfPage& page) {
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

  PageMarks marks{pageObj->number(), {}};
  for (const PdfImage& image : page.images) {
    if (image.bytes.empty()) continue;  // a figure that could not be made is left out
    const int index = static_cast<int>(images_.size());
    auto obj = std::make_unique<CPDFimage>(next(), index, image);
    appendf(pageObj->imageResources, "/im%d %d 0 R\r\n", index, obj->number());
    contents->figures.push_back(figureOps(image, index, contents->nextMcid()));
    marks.figure.push_back(true);
    images_.push_back(std::move(obj));
  }
  for (const PdfText& run : page.texts) {
    contents->texts.push_back(textOps(run, contents->nextMcid()));
    marks.figure.push_back(false);
  }
  for (const PdfTable& table : page.tables) {
    contents->tables.push_back(tableOps(table, contents->nextMcid()));
    marks.figure.push_back(false);
  }
  marks_.push_back(std::move(marks));
  pages_.push_back(std::move(pageObj));
  contents_.push_back(std::move(contents));
  return static_cast<int>(pages_.size());
}

// Numbers the structure tree after every other object and fills the date and the ProcSet.
void CPDFfile::prepare() {
  if (fixedDate_) {
    info_->creationDate = *fixedDate_;
  } else {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    info_->creationDate = formatCreationDate(local, local.tm_gmtoff);
  }
  proc_->hasImages = !images_.empty();

  if (firstStructNumber_ == 0) {
    firstStructNumber_ = lastNumber_ + 1;
    auto root = std::make_unique<CPDFstructRoot>(next());
    auto document = std::make_unique<CPDFstructElem>(next());
    document->type = "Document";
    document->parent = root->number();
    root->document = document->number();
    std::vector<std::unique_ptr<CPDFobj>> elements;
    for (const PageMarks& marks : marks_) {
      std::vector<int> parents;
      for (size_t mcid = 0; mcid < marks.figure.size(); ++mcid) {
        auto e = std::make_unique<CPDFstructElem>(next());
        e->type = marks.figure[mcid] ? "Figure" : "P";
        e->parent = document->number();
        e->page = marks.pageNumber;
        e->mcid = static_cast<int>(mcid);
        document->kids.push_back(e->number());
        parents.push_back(e->number());
        elements.push_back(std::move(e));
      }
      root->parentTree.push_back(std::move(parents));
    }
    catalog_->structTreeRoot = root->number();
    structure_.push_back(std::move(root));
    structure_.push_back(std::move(document));
    for (auto& e : elements) structure_.push_back(std::move(e));
  }
}

template <class Sink>
void CPDFfile::emit(Sink& sink) {
  std::vector<long> offsets(static_cast<size_t>(lastNumber_) + 1, 0);
  long at = 0;
  auto put = [&](std::string_view bytes) {
    sink(bytes);
    at += static_cast<long>(bytes.size());
  };
  auto object = [&](CPDFobj& obj) {
    offsets[static_cast<size_t>(obj.number())] = at;
    put(obj.text());
    obj.release();
  };
  put("%PDF-1.4\r\n");
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
  for (auto& s : structure_) object(*s);

  const long xref = at;
  std::string table;
  appendf(table, "xref\r\n0 %d\r\n0000000000 65535 f\r\n", lastNumber_ + 1);
  for (int n = 1; n <= lastNumber_; ++n) appendf(table, "%010ld 00000 n\r\n", offsets[n]);
  appendf(table,
          "trailer\r\n<<\r\n/Size %d\r\n/Root %d 0 R\r\n/Info %d 0 R\r\n>>\r\nstartxref\r\n%ld\r\n"
          "%%%%EOF\r\n",
          lastNumber_ + 1, catalog_->number(), info_->number(), xref);
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
