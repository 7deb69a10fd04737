// The reference table shared by the reader and the writer.
#include "reference_table.h"

#include <array>

namespace vellary::rovorirud {

namespace {

struct Reference {
  char16_t character;
  std::u16string_view text;
};

// Decimal references stand for characters whose code page 932 bytes other Shift_JIS and EUC-JP
// decoders turn into different characters; writing them as numbers keeps them exact everywhere.
constexpr Reference kReferences[] = {
    {u'&', u"&amp;"},         {u'\'', u"&apos;"},       {u'>', u"&gt;"},
    {u'<', u"&lt;"},          {u'"', u"&quot;"},        {0xFF5E, u"&#65374;"},
    {0x2225, u"&#8741;"},     {0xFF0D, u"&#65293;"},    {0xFFE0, u"&#65504;"},
    {0xFFE1, u"&#65505;"},    {0x2460, u"&#9312;"},     {0x2461, u"&#9313;"},
    {0x2462, u"&#9314;"},     {0x2463, u"&#9315;"},     {0x2464, u"&#9316;"},
    {0x2465, u"&#9317;"},     {0x2466, u"&#9318;"},     {0x2467, u"&#9319;"},
    {0x2468, u"&#9320;"},     {0x2469, u"&#9321;"},     {0x246A, u"&#9322;"},
    {0x246B, u"&#9323;"},     {0x246C, u"&#9324;"},     {0x246D, u"&#9325;"},
    {0x246E, u"&#9326;"},     {0x246F, u"&#9327;"},     {0x2470, u"&#9328;"},
    {0x2471, u"&#9329;"},     {0x2472, u"&#9330;"},     {0x2473, u"&#9331;"},
    {0x3349, u"&#13129;"},    {0x3314, u"&#13076;"},    {0x3322, u"&#13090;"},
    {0x334D, u"&#13133;"},    {0x3318, u"&#13080;"},    {0x3327, u"&#13095;"},
    {0x3303, u"&#13059;"},    {0x3336, u"&#13110;"},    {0x3351, u"&#13137;"},
    {0x3357, u"&#13143;"},    {0x330D, u"&#13069;"},    {0x3326, u"&#13094;"},
    {0x3323, u"&#13091;"},    {0x332B, u"&#13099;"},    {0x334A, u"&#13130;"},
    {0x333B, u"&#13115;"},    {0x339C, u"&#13212;"},    {0x339D, u"&#13213;"},
    {0x339E, u"&#13214;"},    {0x338E, u"&#13198;"},    {0x338F, u"&#13199;"},
    {0x33C4, u"&#13252;"},    {0x33A1, u"&#13217;"},    {0x32A4, u"&#12964;"},
    {0x32A5, u"&#12965;"},    {0x32A6, u"&#12966;"},    {0x32A7, u"&#12967;"},
    {0x32A8, u"&#12968;"},    {0x3231, u"&#12849;"},    {0x3232, u"&#12850;"},
    {0x3239, u"&#12857;"},    {0x000D, u"&#13;"},       {0x000A, u"&#10;"},
};

// Direct look-up for the writer, which asks for every character it writes.
constexpr std::array<signed char, 0x10000> buildIndex() {
  std::array<signed char, 0x10000> index{};
  for (auto& i : index) i = -1;
  for (size_t i = 0; i < std::size(kReferences); ++i)
    index[kReferences[i].character] = static_cast<signed char>(i);
  return index;
}

}  // namespace

char16_t characterOfReference(std::u16string_view reference) {
  if (reference.empty() || reference[0] != u'&') return 0;
  for (const Reference& r : kReferences)
    if (r.text == reference) return r.character;
  return 0;
}

std::u16string_view referenceOfCharacter(char16_t c) {
  static constexpr std::array<signed char, 0x10000> kIndex = buildIndex();
  int i = kIndex[c];
  return i < 0 ? std::u16string_view() : kReferences[i].text;
}

}  // namespace vellary::rovorirud
