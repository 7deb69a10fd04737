// The eleven fonts every file names. Nothing is embedded: readers supply the faces and the
// predefined CJK character maps.
#include <cstdio>

#include "export/pdf/append_format.h"

#include "export/pdf/pdf_objects.h"

namespace vellary::exporting::pdf {

namespace {

constexpr char kJapanBox[] = "[ -250 -140 600 860 ]";
constexpr char kJapanBoxV[] = "[ -250 -136 600 864 ]";
constexpr char kAsiaBox[] = "[ 0 -141 996 855]";
constexpr char kSerifPanose[] = "010502020609000000000000";
constexpr char kGothicPanose[] = "0805020B0609000000000000";
// The Shift-JIS bytes of the names of the Windows fonts ＭＳ明朝 and ＭＳゴシック; a leading @
// names the vertical variant.
constexpr char kMincho[] = "/#82l#82r#96#BE#92#A9";
constexpr char kMinchoV[] = "/@#82l#82r#96#BE#92#A9";
constexpr char kGothic[] = "/#82l#82r#83S#83V#83b#83N";

}  // namespace

const std::vector<FontSpec>& fontTable() {
  static const std::vector<FontSpec> table = {
      {0, kMincho, "UniJIS-UTF16-H", "Japan1", 2, 128, kJapanBox, 7, 860, 602, 860, -140,
       kSerifPanose},
      {4, kMinchoV, "UniJIS-UTF16-V", "Japan1", 2, 128, kJapanBoxV, 7, 864, 604, 864, -136,
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
          "/DescendantFonts [ %d 0 R ]\r\n/Encoding /%s\r\n>>\r\nendobj\r\n",
          number(), spec_.resource, spec_.baseFont, number() + 1, spec_.encoding);
}

void CPDFfontDescendant::build() {
  appendf(text_,
          "%d 0 obj\r\n<<\r\n/Type /Font\r\n/Subtype /CIDFontType2\r\n/BaseFont %s\r\n"
          "/WinCharSet %d /FontDescriptor %d 0 R\r\n"
          "/CIDSystemInfo << /Registry(Adobe) /Ordering(%s) /Supplement %d >>\r\n"
          "/DW 1000\r\n/W [\r\n231 389 500\r\n631 631 500\r\n]\r\n>>\r\nendobj\r\n",
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

}  // namespace vellary::exporting::pdf
