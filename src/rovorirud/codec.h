// Code page 932 (Windows-31J) and EUC-JP ↔ UTF-16 as table look-ups. The tables are built from
// the ICU converters on first use; after that no call goes through ICU.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vellary::rovorirud {

enum class Encoding : uint32_t { ShiftJis = 1, EucJp = 2 };

class Codec {
 public:
  // Both are built once, thread-safely, and live for the program's run.
  static const Codec& cp932();
  static const Codec& eucJp();
  static const Codec& forEncoding(Encoding e) { return e == Encoding::EucJp ? eucJp() : cp932(); }

  // Decodes one character from the start of bytes[0, size) into *unit and returns the number of
  // bytes it took (≥ 1 when size ≥ 1). A byte sequence that does not form a character (a lead byte
  // standing alone, an unmapped pair) decodes to U+FFFD and consumes one byte.
  size_t decodeOne(const unsigned char* bytes, size_t size, char16_t* unit) const;

  // The bytes of one UTF-16 unit (0 to 3 of them). 0 bytes: the unit has no exact, round-tripping
  // mapping (fallbacks do not count, nor do surrogates).
  int encodeOne(char16_t unit, char out[3]) const {
    uint32_t e = encodeTable_[unit];
    int n = static_cast<int>(e >> 24);
    out[0] = static_cast<char>(e & 0xFF);
    out[1] = static_cast<char>((e >> 8) & 0xFF);
    out[2] = static_cast<char>((e >> 16) & 0xFF);
    return n;
  }
  bool representable(char16_t unit) const { return (encodeTable_[unit] >> 24) != 0; }

  std::u16string decode(std::string_view bytes) const;
  // Encodes text; an unrepresentable unit makes the call fail (returns false, out unspecified).
  bool encode(std::u16string_view text, std::string& out) const;

  Codec(const Codec&) = delete;
  Codec& operator=(const Codec&) = delete;
  ~Codec();

 private:
  explicit Codec(Encoding e);
  Encoding encoding_;
  char16_t single_[256];        // one-byte sequences; 0xFFFD where the byte leads or is unmapped
  bool lead_[256];              // bytes that begin a multi-byte sequence
  char16_t* double_ = nullptr;  // two-byte sequences, indexed by (lead << 8) | trail
  char16_t* triple_ = nullptr;  // EUC-JP 0x8F sequences, indexed by (b2 << 8) | b3
  uint32_t* encodeTable_;       // (byte count << 24) | bytes, little end first
};

// The representability test of the file format: the unit round-trips through code page 932.
inline bool representableInCp932(char16_t unit) { return Codec::cp932().representable(unit); }

}  // namespace vellary::rovorirud
