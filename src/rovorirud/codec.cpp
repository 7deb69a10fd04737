// Code page 932 and EUC-JP tables, built once from the ICU converters.
#include "codec.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include <cstring>
#include <stdexcept>

namespace vellary::rovorirud {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Converts bytes with ICU, stopping at the first unmapped or incomplete sequence. Returns the one
// UTF-16 unit they form, or 0 when they form none (or more than one unit).
char16_t icuDecode(UConverter* conv, const char* bytes, int32_t n) {
  UErrorCode err = U_ZERO_ERROR;
  UChar out[4];
  ucnv_reset(conv);
  int32_t len = ucnv_toUChars(conv, out, 4, bytes, n, &err);
  if (U_FAILURE(err) || len != 1) return 0;
  return out[0];
}

int icuEncode(UConverter* conv, char16_t unit, char out[4]) {
  UErrorCode err = U_ZERO_ERROR;
  UChar in = unit;
  ucnv_reset(conv);
  int32_t len = ucnv_fromUChars(conv, out, 4, &in, 1, &err);
  if (U_FAILURE(err) || len < 1 || len > 3) return 0;
  return len;
}

UConverter* openStopping(const char* name) {
  UErrorCode err = U_ZERO_ERROR;
  UConverter* conv = ucnv_open(name, &err);
  if (U_FAILURE(err) || conv == nullptr)
    throw std::runtime_error(std::string("character converter missing: ") + name);
  ucnv_setToUCallBack(conv, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
  ucnv_setFromUCallBack(conv, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
  ucnv_setFallback(conv, false);
  return conv;
}

// The converter also maps vendor extensions (NEC row 13, IBM kanji in the user-defined rows) that
// readers of standard EUC-JP do not know. The writer must only emit JIS X 0208 and JIS X 0212
// codes, so those extensions count as not representable; reading still accepts them.
bool isStandardEucJp(const char* bytes, int n) {
  auto b = [bytes](int i) { return static_cast<unsigned char>(bytes[i]); };
  if (n == 1) return b(0) < 0x80;
  if (n == 2) return b(0) == 0x8E || (b(0) >= 0xA1 && b(0) <= 0xA8) || (b(0) >= 0xB0 && b(0) <= 0xF4);
  if (n == 3) {
    unsigned row = b(1);
    return row == 0xA2 || row == 0xA6 || row == 0xA7 || (row >= 0xA9 && row <= 0xAB) ||
           (row >= 0xB0 && row <= 0xED);
  }
  return false;
}

}  // namespace

Codec::Codec(Encoding e) : encoding_(e) {
  const bool euc = e == Encoding::EucJp;
  UConverter* conv = openStopping(euc ? "EUC-JP" : "windows-31j");
  double_ = new char16_t[65536];
  std::fill(double_, double_ + 65536, kReplacement);
  if (euc) {
    triple_ = new char16_t[65536];
    std::fill(triple_, triple_ + 65536, kReplacement);
  }
  encodeTable_ = new uint32_t[65536]();

  for (int b = 0; b < 256; ++b) {
    lead_[b] = euc ? (b == 0x8E || b == 0x8F || (b >= 0xA1 && b <= 0xFE))
                   : ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC));
    char byte = static_cast<char>(b);
    char16_t u = lead_[b] ? 0 : icuDecode(conv, &byte, 1);
    single_[b] = u ? u : (b == 0 ? 0 : kReplacement);
  }
  for (int lead = 0; lead < 256; ++lead) {
    if (!lead_[lead] || (euc && lead == 0x8F)) continue;
    for (int trail = 0x40; trail < 256; ++trail) {
      char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      if (char16_t u = icuDecode(conv, bytes, 2)) double_[(lead << 8) | trail] = u;
    }
  }
  if (euc) {
    for (int b2 = 0xA1; b2 < 0xFF; ++b2)
      for (int b3 = 0xA1; b3 < 0xFF; ++b3) {
        char bytes[3] = {static_cast<char>(0x8F), static_cast<char>(b2), static_cast<char>(b3)};
        if (char16_t u = icuDecode(conv, bytes, 3)) triple_[(b2 << 8) | b3] = u;
      }
  }
  // A unit is representable only when its bytes decode back to it: fallbacks (several units
  // sharing one code) would change the character on the next read.
  for (uint32_t u = 1; u < 65536; ++u) {
    if (u >= 0xD800 && u <= 0xDFFF) continue;
    char bytes[4];
    int n = icuEncode(conv, static_cast<char16_t>(u), bytes);
    if (n == 0 || (euc && !isStandardEucJp(bytes, n))) continue;
    char16_t back = 0;
    size_t used = decodeOne(reinterpret_cast<const unsigned char*>(bytes), n, &back);
    if (back != u || used != static_cast<size_t>(n)) continue;
    uint32_t packed = static_cast<uint32_t>(n) << 24;
    for (int i = 0; i < n; ++i) packed |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    encodeTable_[u] = packed;
  }
  encodeTable_[0] = 1u << 24;  // NUL is one zero byte in both encodings
  ucnv_close(conv);
}

Codec::~Codec() {
  delete[] double_;
  delete[] triple_;
  delete[] encodeTable_;
}

const Codec& Codec::cp932() {
  static const Codec codec(Encoding::ShiftJis);
  return codec;
}

const Codec& Codec::eucJp() {
  static const Codec codec(Encoding::EucJp);
  return codec;
}

size_t Codec::decodeOne(const unsigned char* bytes, size_t size, char16_t* unit) const {
  if (size == 0) {
    *unit = 0;
    return 0;
  }
  const unsigned char b = bytes[0];
  if (!lead_[b]) {
    *unit = single_[b];
    return 1;
  }
  if (encoding_ == Encoding::EucJp && b == 0x8F) {
    if (size >= 3) {
      char16_t u = triple_[(bytes[1] << 8) | bytes[2]];
      if (u != kReplacement) {
        *unit = u;
        return 3;
      }
    }
    *unit = kReplacement;
    return 1;
  }
  if (size >= 2) {
    char16_t u = double_[(b << 8) | bytes[1]];
    if (u != kReplacement) {
      *unit = u;
      return 2;
    }
  }
  *unit = kReplacement;
  return 1;
}

std::u16string Codec::decode(std::string_view bytes) const {
  std::u16string out;
  out.reserve(bytes.size());
  auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  size_t left = bytes.size();
  while (left > 0) {
    char16_t u;
    size_t n = decodeOne(p, left, &u);
    out += u;
    p += n;
    left -= n;
  }
  return out;
}

bool Codec::encode(std::u16string_view text, std::string& out) const {
  out.clear();
  out.reserve(text.size() * 2);
  for (char16_t u : text) {
    char bytes[3];
    int n = encodeOne(u, bytes);
    if (n == 0) return false;
    out.append(bytes, static_cast<size_t>(n));
  }
  return true;
}

}  // namespace vellary::rovorirud
