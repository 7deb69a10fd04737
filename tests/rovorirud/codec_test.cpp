#include "rovorirud/codec.h"

#include <gtest/gtest.h>

#include <string>

namespace vellary::rovorirud {
namespace {

std::u16string decode(const Codec& c, std::string bytes) { return c.decode(bytes); }

TEST(Codec, DecodesEachEncodingsOwnSequences) {
  const Codec& sjis = Codec::cp932();
  EXPECT_EQ(decode(sjis, "\x82\xA0"), u"あ");
  EXPECT_EQ(decode(sjis, "A\xB1"), u"Aｱ");  // half-width katakana is one byte
  // Code page 932, not JIS: the wave dash and backslash rows decode the Windows way.
  EXPECT_EQ(decode(sjis, "\x81\x60"), u"\uFF5E");
  EXPECT_EQ(decode(sjis, "\x81\x61"), u"\u2225");
  EXPECT_EQ(decode(sjis, "\x5C"), u"\\");
  EXPECT_EQ(decode(sjis, "\x87\x40"), u"①");  // NEC special row
  EXPECT_EQ(decode(sjis, "\x8F\x49"), u"終");  // 0x8F leads here; in EUC-JP it opens JIS X 0212

  const Codec& euc = Codec::eucJp();
  EXPECT_EQ(decode(euc, "\xA4\xA2"), u"あ");
  EXPECT_EQ(decode(euc, "\x8E\xB1"), u"ｱ");
  EXPECT_EQ(decode(euc, "\x8F\xB0\xA1"), u"丂");  // JIS X 0212 through the three-byte form
}

TEST(Codec, BrokenSequencesBecomeReplacementOneByteAtATime) {
  for (const Codec* c : {&Codec::cp932(), &Codec::eucJp()}) {
    char16_t u = 0;
    const unsigned char lone[] = {static_cast<unsigned char>(c == &Codec::cp932() ? 0x82 : 0xA4)};
    EXPECT_EQ(c->decodeOne(lone, 1, &u), 1u);
    EXPECT_EQ(u, 0xFFFD);
    // A lead byte followed by a byte that cannot trail: the second byte stays readable.
    std::string bytes = std::string(1, static_cast<char>(lone[0])) + " x";
    EXPECT_EQ(c->decode(bytes), u"\uFFFD x");
    EXPECT_EQ(c->decodeOne(lone, 0, &u), 0u);
  }
  EXPECT_EQ(decode(Codec::eucJp(), "\x8F\xB0"), u"\uFFFD\uFFFD");  // three-byte form cut short
}

TEST(Codec, RepresentableMeansAnExactRoundTrip) {
  const Codec& sjis = Codec::cp932();
  const Codec& euc = Codec::eucJp();
  EXPECT_TRUE(sjis.representable(u'あ'));
  EXPECT_TRUE(euc.representable(u'あ'));
  // Characters only one of the two encodings holds.
  for (char16_t c : {u'髙', u'﨑', u'纊', u'①'}) {
    EXPECT_TRUE(sjis.representable(c)) << int(c);
    EXPECT_FALSE(euc.representable(c)) << int(c);
  }
  EXPECT_FALSE(sjis.representable(u'丂'));
  EXPECT_TRUE(euc.representable(u'丂'));
  // Fallback mappings (yen sign → backslash, double vertical line → parallel) are not exact.
  EXPECT_FALSE(sjis.representable(0x00A5));
  EXPECT_FALSE(sjis.representable(0x2016));
  EXPECT_FALSE(sjis.representable(0x00E9));
  EXPECT_FALSE(sjis.representable(0xD842));  // half a surrogate pair
  EXPECT_TRUE(representableInCp932(u'漢'));
}

TEST(Codec, EveryRepresentableUnitRoundTripsAndDuplicatesEncodeOneWay) {
  for (const Codec* c : {&Codec::cp932(), &Codec::eucJp()}) {
    int count = 0;
    for (uint32_t u = 1; u < 0x10000; ++u) {
      char bytes[3];
      int n = c->encodeOne(static_cast<char16_t>(u), bytes);
      if (n == 0) continue;
      ++count;
      char16_t back = 0;
      ASSERT_EQ(c->decodeOne(reinterpret_cast<unsigned char*>(bytes), n, &back),
                static_cast<size_t>(n));
      ASSERT_EQ(back, u);
    }
    // JIS X 0208 alone has 6879 characters; code page 932 adds its extensions, EUC-JP adds
    // JIS X 0212.
    EXPECT_GT(count, c == &Codec::cp932() ? 7700 : 12000);
  }
  // ≒ has two codes in code page 932 (JIS row and NEC row); both decode to it, it encodes once.
  const Codec& sjis = Codec::cp932();
  EXPECT_EQ(decode(sjis, "\x81\xE0"), u"≒");
  EXPECT_EQ(decode(sjis, "\x87\x90"), u"≒");
  std::string out;
  ASSERT_TRUE(sjis.encode(u"≒", out));
  EXPECT_EQ(out, "\x81\xE0");
}

TEST(Codec, EncodeFailsOnTheFirstUnrepresentableUnit) {
  std::string out;
  EXPECT_TRUE(Codec::eucJp().encode(u"漢字かな", out));
  EXPECT_EQ(out, "\xB4\xC1\xBB\xFA\xA4\xAB\xA4\xCA");
  EXPECT_FALSE(Codec::eucJp().encode(u"髙橋", out));
  EXPECT_FALSE(Codec::cp932().encode(u"café", out));
}

}  // namespace
}  // namespace vellary::rovorirud
