// The eleven named fonts, and the embedded subsets of installed faces with their CIDs, widths,
// CIDToGIDMaps and ToUnicode maps.
#include "export/pdf/pdf_fonts.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "export/pdf/append_format.h"
#include "export/pdf/pdf_records.h"

namespace vellary::exporting::pdf {

namespace {

constexpr char kJapanBox[] = "[ -250 -140 600 860 ]";
constexpr char kJapanBoxV[] = "[ -250 -136 600 864 ]";
constexpr char kAsiaBox[] = "[ 0 -141 996 855]";
constexpr char kSerifPanose[] = "010502020609000000000000";
constexpr char kGothicPanose[] = "0805020B0609000000000000";
// The PostScript names of the Windows fonts ＭＳ明朝 and ＭＳゴシック, which readers map to
// their own Mincho and Gothic faces.
constexpr char kMincho[] = "/MS-Mincho";
constexpr char kGothic[] = "/MS-Gothic";

// Named fonts: proportional and half-width Latin, and half-width katakana, take half an em (the
// widths the descendant fonts declare); everything else a whole em.
double namedWidth(char32_t code) {
  return (code >= 0x20 && code <= 0x7E) || (code >= 0xFF61 && code <= 0xFF9F) ? 0.5 : 1.0;
}

FaceStyle styleOf(int type) {
  switch (type) {
    case FontGothic:
      return FaceStyle::Gothic;
    case FontTimes:
      return FaceStyle::LatinSerif;
    case FontArial:
      return FaceStyle::LatinSans;
    case FontSimSun:
    case FontSimSunV:
      return FaceStyle::SimplifiedChinese;
    case FontMingLiU:
    case FontMingLiUV:
      return FaceStyle::TraditionalChinese;
    case FontGulim:
    case FontGulimV:
      return FaceStyle::Korean;
    default:
      return FaceStyle::Mincho;
  }
}

// The face for a style; a Japanese face stands in when the style has none installed.
std::unique_ptr<FontFace> openFace(FaceStyle style) {
  for (FaceStyle s : {style, FaceStyle::Mincho, FaceStyle::Gothic}) {
    if (auto source = findFace(s))
      if (auto face = FontFace::open(*source)) return face;
  }
  return nullptr;
}

std::string hexUnits(std::u16string_view units) {
  std::string out;
  for (char16_t u : units) appendf(out, "%04X", static_cast<unsigned>(u));
  return out;
}

std::u16string utf16Of(char32_t code) {
  if (code < 0x10000) return std::u16string(1, static_cast<char16_t>(code));
  code -= 0x10000;
  return {static_cast<char16_t>(0xD800 + (code >> 10)), static_cast<char16_t>(0xDC00 + (code & 0x3FF))};
}

// Six capital letters that tag a subset, the same for the same face and glyphs.
std::string subsetTag(const std::string& name, const std::vector<unsigned>& glyphs) {
  uint64_t h = 1469598103934665603ULL;
  auto mix = [&](uint64_t v) {
    h ^= v;
    h *= 1099511628211ULL;
  };
  for (char c : name) mix(static_cast<unsigned char>(c));
  for (unsigned g : glyphs) mix(g);
  std::string tag;
  for (int i = 0; i < 6; ++i) {
    tag += static_cast<char>('A' + h % 26);
    h /= 26;
  }
  return tag;
}

}  // namespace

std::string deflateBytes(const std::string& bytes) {
  uLongf size = compressBound(static_cast<uLong>(bytes.size()));
  std::string out(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uLong>(bytes.size()),
                Z_BEST_COMPRESSION) != Z_OK)
    throw std::bad_alloc();
  out.resize(size);
  return out;
}

std::string toUnicodeCMap(const std::vector<std::pair<std::string, std::u16string>>& pairs,
                          bool utf16Codes) {
  std::string out =
      "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n";
  out += utf16Codes ? "3 begincodespacerange\n<0000> <D7FF>\n<D800DC00> <DBFFDFFF>\n"
                      "<E000> <FFFF>\nendcodespacerange\n"
                    : "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
  for (size_t i = 0; i < pairs.size(); i += 100) {
    const size_t n = std::min<size_t>(100, pairs.size() - i);
    appendf(out, "%zu beginbfchar\n", n);
    for (size_t k = i; k < i + n; ++k)
      appendf(out, "<%s> <%s>\n", pairs[k].first.c_str(), hexUnits(pairs[k].second).c_str());
    out += "endbfchar\n";
  }
  out += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
  return out;
}

// --- The fixed table of the named fonts ------------------------------------------------------

const std::vector<FontSpec>& fontTable() {
  static const std::vector<FontSpec> table = {
      {0, kMincho, "UniJIS-UTF16-H", "Japan1", 2, 128, kJapanBox, 7, 860, 602, 860, -140,
       kSerifPanose},
      {4, kMincho, "UniJIS-UTF16-V", "Japan1", 2, 128, kJapanBoxV, 7, 864, 604, 864, -136,
       kSerifPanose},
      {1, kGothic, "UniJIS-UTF16-H", "Japan1", 2, 128, kJapanBox, 5, 860, 602, 860, -140,
       kGothicPanose},
      {2, "/TimesNewRoman", "WinAnsiEncoding", nullptr, 0, 0, nullptr, 0, 0, 0, 0, 0, nullptr},
      {3, "/Arial", "WinAnsiEncoding", nullptr, 0, 0, nullptr, 0, 0, 0, 0, 0, nullptr},
      {6, "/SimSun", "UniGB-UTF16-H", "GB1", 2, 134, kAsiaBox, 7, 860, 602, 860, -140,
       kSerifPanose},
      {7, "/MingLiU", "UniCNS-UTF16-H", "CNS1", 0, 136, kAsiaBox, 7, 860, 602, 860, -140,
       kSerifPanose},
      {8, "/Gulim", "UniKS-UTF16-H", "Korea1", 1, 136, kAsiaBox, 7, 860, 602, 860, -140,
       kSerifPanose},
      {9, "/SimSun", "UniGB-UTF16-V", "GB1", 2, 134, kAsiaBox, 7, 860, 602, 860, -140,
       kSerifPanose},
      {10, "/MingLiU", "UniCNS-UTF16-V", "CNS1", 0, 136, kAsiaBox, 7, 860, 602, 860, -140,
       kSerifPanose},
      {11, "/Gulim", "UniKS-UTF16-V", "Korea1", 1, 136, kAsiaBox, 7, 860, 602, 860, -140,
       kSerifPanose},
  };
  return table;
}

void CPDFfontType0::build() {
  appendf(text_,
          "%d 0 obj\r\n<<\r\n/Type /Font\r\n/Subtype /Type0\r\n/Name /F%d\r\n/BaseFont %s\r\n"
          "/DescendantFonts [ %d 0 R ]\r\n/Encoding /%s\r\n",
          number(), spec_.resource, spec_.baseFont, number() + 1, spec_.encoding);
  if (toUnicode != 0) appendf(text_, "/ToUnicode %d 0 R\r\n", toUnicode);
  text_ += ">>\r\nendobj\r\n";
}

void CPDFfontDescendant::build() {
  // Proportional Latin (CIDs 1 to 95, where the Unicode maps put ASCII), half-width Latin and
  // katakana (231 to 389) and the half-width space (631) are half an em wide.
  appendf(text_,
          "%d 0 obj\r\n<<\r\n/Type /Font\r\n/Subtype /CIDFontType2\r\n/BaseFont %s\r\n"
          "/WinCharSet %d /FontDescriptor %d 0 R\r\n"
          "/CIDSystemInfo << /Registry(Adobe) /Ordering(%s) /Supplement %d >>\r\n"
          "/DW 1000\r\n/W [\r\n1 95 500\r\n231 389 500\r\n631 631 500\r\n]\r\n>>\r\nendobj\r\n",
          number(), spec_.baseFont, spec_.charSet, number() + 1, spec_.ordering, spec_.supplement);
}

void CPDFfontDescriptor::build() {
  appendf(text_,
          "%d 0 obj\r\n<<\r\n/Type /FontDescriptor\r\n/FontName %s\r\n/Flags %d\r\n/FontBBox %s\r\n"
          "/MissingWidth 500\r\n/StemV 91\r\n/StemH 91\r\n/ItalicAngle 0\r\n/CapHeight %d\r\n"
          "/XHeight %d\r\n/Ascent %d\r\n/Descent %d\r\n/Leading 0\r\n/MaxWidth 1000\r\n"
          "/AvgWidth 500\r\n/Style << /Panose <%s> >>\r\n>>\r\nendobj\r\n",
          number(), spec_.baseFont, spec_.flags, spec_.bbox, spec_.capHeight, spec_.xHeight,
          spec_.ascent, spec_.descent, spec_.panose);
}

void CPDFfontSimple::build() {
  appendf(text_,
          "%d 0 obj\r\n<<\r\n/Type /Font\r\n/Subtype /TrueType\r\n/Name /F%d\r\n/BaseFont %s\r\n"
          "/Encoding /%s\r\n>>\r\nendobj\r\n",
          number(), spec_.resource, spec_.baseFont, spec_.encoding);
}

CPDFraw::CPDFraw(int number, std::string dictionary, std::string stream, bool deflate)
    : CPDFobj(number), dictionary_(std::move(dictionary)), isStream_(true) {
  if (deflate) {
    stream_ = deflateBytes(stream);
    dictionary_ += "/Filter /FlateDecode\r\n";
  } else {
    stream_ = std::move(stream);
  }
}

void CPDFraw::build() {
  appendf(text_, "%d 0 obj\r\n<<\r\n", number());
  text_ += dictionary_;
  if (!isStream_) {
    text_ += ">>\r\nendobj\r\n";
    return;
  }
  appendf(text_, "/Length %zu\r\n>>\r\nstream\r\n", stream_.size());
  text_ += stream_;
  text_ += "\r\nendstream\r\nendobj\r\n";
}

// --- The file's fonts ----------------------------------------------------------------------

// One face of an embedded font: the CIDs handed out so far. CID 0 is .notdef.
struct PdfFontSet::FaceFont {
  std::unique_ptr<FontFace> face;  // null when no outline font is installed at all
  bool glyphless = false;
  struct Cid {
    unsigned glyph;  // in the whole face; 0 when the face has none for the character
    char32_t code;
    double width;  // ems
  };
  std::vector<Cid> cids{{0, 0, 1.0}};
  std::map<std::pair<unsigned, char32_t>, uint16_t> byGlyph;

  uint16_t cidOf(unsigned glyph, char32_t code, double width) {
    const auto key = std::make_pair(glyph, code);
    if (auto found = byGlyph.find(key); found != byGlyph.end()) return found->second;
    if (cids.size() > 0xFFFF) return 0;
    const auto cid = static_cast<uint16_t>(cids.size());
    cids.push_back({glyph, code, width});
    byGlyph.emplace(key, cid);
    return cid;
  }
};

PdfFontSet::PdfFontSet(bool embed) : embed_(embed) {}
PdfFontSet::~PdfFontSet() = default;

std::string PdfFontSet::resource(int type, bool invisible) const {
  return (embed_ && invisible ? "T" : "F") + std::to_string(type);
}

PdfFontSet::FaceFont& PdfFontSet::faceFont(int type, bool invisible) {
  const FaceStyle style = styleOf(type);
  const auto key = std::make_pair(static_cast<int>(style), invisible);
  if (auto found = byKind_.find(key); found != byKind_.end()) return *found->second;
  auto font = std::make_unique<FaceFont>();
  font->face = openFace(style);
  font->glyphless = invisible;
  FaceFont& out = *font;
  faces_.push_back(std::move(font));
  byKind_.emplace(key, &out);
  return out;
}

FontFace* PdfFontSet::metricsFace(int type) {
  const int style = static_cast<int>(styleOf(type));
  auto found = metrics_.find(style);
  if (found == metrics_.end())
    found = metrics_.emplace(style, openFace(styleOf(type))).first;
  return found->second.get();
}

ShownChar PdfFontSet::show(int type, bool invisible, char32_t code) {
  ShownChar out;
  const bool vertical = isVerticalFont(type);
  if (!embed_) {
    const std::u16string units = utf16Of(code);
    namedCodes_[type][units] = true;
    if (type == FontTimes)
      appendf(out.hex, "%02X", static_cast<unsigned>(code & 0xFF));
    else
      out.hex = hexUnits(units);
    out.width = namedWidth(code);
    if (FontFace* face = metricsFace(type)) {
      const unsigned glyph = vertical ? face->verticalGlyph(code) : face->glyph(code);
      if (glyph != 0) out.ink = face->ink(glyph);
    }
    return out;
  }
  if (std::find(type0Order_.begin(), type0Order_.end(), std::make_pair(type, invisible)) ==
      type0Order_.end())
    type0Order_.emplace_back(type, invisible);
  FaceFont& font = faceFont(type, invisible);
  unsigned glyph = 0;
  double width = code < 0x2E80 || (code >= 0xFF61 && code <= 0xFFDC) ? 0.5 : 1.0;
  if (font.face) {
    glyph = vertical ? font.face->verticalGlyph(code) : font.face->glyph(code);
    if (glyph != 0) {
      // The vertical form keeps the width of the character it stands for.
      width = font.face->advance(vertical ? font.face->glyph(code) : glyph);
      out.ink = font.face->ink(glyph);
    }
  }
  appendf(out.hex, "%04X", font.cidOf(glyph, code, width));
  out.width = width;
  return out;
}

double PdfFontSet::verticalOrigin(int type) {
  if (!embed_) return 0.88;
  FaceFont& font = faceFont(type, false);
  return font.face ? font.face->ascender() : 0.88;
}

void PdfFontSet::makeNamedToUnicode(const std::function<int()>& next,
                                    std::vector<std::unique_ptr<CPDFobj>>& out,
                                    std::map<int, int>& toUnicodeByType) {
  for (const auto& [type, codes] : namedCodes_) {
    if (type == FontTimes || type == FontArial) continue;  // simple fonts: no UTF-16 codes
    std::vector<std::pair<std::string, std::u16string>> pairs;
    for (const auto& [units, used] : codes) pairs.emplace_back(hexUnits(units), units);
    const int n = next();
    out.push_back(std::make_unique<CPDFraw>(n, "", toUnicodeCMap(pairs, true), true));
    toUnicodeByType[type] = n;
  }
}

void PdfFontSet::makeEmbedded(const std::function<int()>& next,
                              std::vector<std::unique_ptr<CPDFobj>>& out,
                              std::map<std::string, int>& resources) {
  std::map<const FaceFont*, int> descendants;
  std::map<const FaceFont*, int> toUnicode;
  std::map<const FaceFont*, std::string> baseNames;
  for (const auto& f : faces_) {
    const FaceFont& font = *f;
    std::vector<unsigned> glyphs;
    for (const FaceFont::Cid& c : font.cids)
      if (c.glyph != 0) glyphs.push_back(c.glyph);
    std::sort(glyphs.begin(), glyphs.end());
    glyphs.erase(std::unique(glyphs.begin(), glyphs.end()), glyphs.end());

    const std::string name = font.face ? font.face->postScriptName() : "Font";
    // The glyphless face embeds the glyph of the space alone, and every CID draws it.
    unsigned blank = 0;
    std::vector<unsigned> keep = glyphs;
    if (font.glyphless) {
      blank = font.face ? font.face->glyph(U' ') : 0;
      keep.assign(1, blank);
    }
    GlyphSubset subset;
    const bool made = font.face && subsetGlyphs(font.face->source(), keep, subset) == kSubsetOk;
    const std::string base =
        subsetTag(name + (font.glyphless ? "-blank" : ""), glyphs) + "+" + name;
    baseNames[&font] = base;

    const int descendant = next(), descriptor = next();
    const int file = made ? next() : 0;
    const int cidToGid = next(), unicode = next();
    descendants[&font] = descendant;
    toUnicode[&font] = unicode;

    // Widths: runs of consecutive CIDs in one array each.
    std::string widths = "/W [";
    for (size_t cid = 1; cid < font.cids.size(); ++cid) {
      if ((cid - 1) % 16 == 0) appendf(widths, "\r\n%zu [", cid);
      appendf(widths, " %ld", std::lround(font.cids[cid].width * 1000));
      if (cid % 16 == 0 || cid + 1 == font.cids.size()) widths += " ]";
    }
    widths += " ]\r\n";
    const double ascender = font.face ? font.face->ascender() : 0.88;
    const double descender = font.face ? font.face->descender() : -0.12;
    std::string dict;
    appendf(dict,
            "/Type /Font\r\n/Subtype /CIDFontType2\r\n/BaseFont /%s\r\n"
            "/CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>\r\n"
            "/FontDescriptor %d 0 R\r\n/DW 1000\r\n%s/DW2 [ %ld -1000 ]\r\n/CIDToGIDMap %d 0 R\r\n",
            base.c_str(), descriptor, widths.c_str(), std::lround(ascender * 1000), cidToGid);
    out.push_back(std::make_unique<CPDFraw>(descendant, dict));

    const FontFace::Box box = font.face ? font.face->boundingBox() : FontFace::Box{0, -0.12, 1, 0.88};
    dict.clear();
    appendf(dict,
            "/Type /FontDescriptor\r\n/FontName /%s\r\n/Flags 4\r\n/FontBBox [ %ld %ld %ld %ld ]\r\n"
            "/ItalicAngle 0\r\n/Ascent %ld\r\n/Descent %ld\r\n/CapHeight %ld\r\n/StemV 80\r\n",
            base.c_str(), std::lround(box.left * 1000), std::lround(box.bottom * 1000),
            std::lround(box.right * 1000), std::lround(box.top * 1000),
            std::lround(ascender * 1000), std::lround(descender * 1000),
            std::lround(ascender * 1000));
    if (file != 0) appendf(dict, "/FontFile2 %d 0 R\r\n", file);
    out.push_back(std::make_unique<CPDFraw>(descriptor, dict));
    if (file != 0) {
      std::string fileDict;
      appendf(fileDict, "/Length1 %zu\r\n", subset.bytes.size());
      out.push_back(std::make_unique<CPDFraw>(file, fileDict, subset.bytes, true));
    }

    // CID → glyph of the subset, two bytes each.
    std::string map;
    map.reserve(font.cids.size() * 2);
    for (const FaceFont::Cid& c : font.cids) {
      unsigned g = 0;
      const unsigned wanted = font.glyphless ? blank : c.glyph;
      if (made && wanted != 0)
        if (auto found = subset.newIds.find(wanted); found != subset.newIds.end()) g = found->second;
      map += static_cast<char>((g >> 8) & 0xFF);
      map += static_cast<char>(g & 0xFF);
    }
    out.push_back(std::make_unique<CPDFraw>(cidToGid, "", map, true));

    std::vector<std::pair<std::string, std::u16string>> pairs;
    for (size_t cid = 1; cid < font.cids.size(); ++cid) {
      std::string hex;
      appendf(hex, "%04zX", cid);
      pairs.emplace_back(hex, utf16Of(font.cids[cid].code));
    }
    out.push_back(std::make_unique<CPDFraw>(unicode, "", toUnicodeCMap(pairs, false), true));
  }

  for (const auto& [type, invisible] : type0Order_) {
    const FaceFont* font = byKind_.at({static_cast<int>(styleOf(type)), invisible});
    const char* encoding = isVerticalFont(type) ? "Identity-V" : "Identity-H";
    const int n = next();
    std::string dict;
    appendf(dict,
            "/Type /Font\r\n/Subtype /Type0\r\n/BaseFont /%s-%s\r\n/Encoding /%s\r\n"
            "/DescendantFonts [ %d 0 R ]\r\n/ToUnicode %d 0 R\r\n",
            baseNames.at(font).c_str(), encoding, encoding, descendants.at(font),
            toUnicode.at(font));
    out.push_back(std::make_unique<CPDFraw>(n, dict));
    resources[resource(type, invisible)] = n;
  }
}

}  // namespace vellary::exporting::pdf
