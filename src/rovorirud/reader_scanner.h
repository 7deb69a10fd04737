// The reader's input layer: bytes from a file or from memory, decoded piece by piece into one
// fixed UTF-16 buffer, with the token, quoted-value and number primitives the element procedures
// are built from. Internal to the rovorirud module.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "codec.h"

namespace vellary::rovorirud::detail {

// Thrown by the scanner and the element procedures; readDocument turns it into its result, so it
// never leaves the reader.
struct ReadFailure {
  int code;
};

[[noreturn]] inline void fail(int code) { throw ReadFailure{code}; }

// The bytes of the document. A file is read in large chunks; memory is used in place.
class ByteSource {
 public:
  explicit ByteSource(std::FILE* file);
  explicit ByteSource(std::string_view bytes);

  // Makes at least `want` bytes available from cur unless the input ends first; false when no
  // byte is left at all. Bytes not yet consumed stay valid (they move to the front of the chunk).
  bool ensure(size_t want) {
    if (static_cast<size_t>(end - cur) >= want) return true;
    if (file_ != nullptr) refill();
    return cur < end;
  }

  const unsigned char* cur = nullptr;
  const unsigned char* end = nullptr;

 private:
  void refill();

  std::FILE* file_ = nullptr;
  std::vector<unsigned char> chunk_;
  bool eof_ = false;
};

class Scanner {
 public:
  // One line buffer: a piece of at most kMaxPiece units and room to spare.
  static constexpr size_t kBufferUnits = 1024;
  static constexpr size_t kMaxPiece = kBufferUnits - 1;
  static constexpr size_t npos = static_cast<size_t>(-1);

  // pieceLimit is held to 1 … kMaxPiece.
  Scanner(ByteSource& source, size_t pieceLimit);

  // The codec for the pieces still to be read; the current piece stays as it was decoded.
  void setCodec(const Codec& codec);

  // Pieces read so far: the line number of error messages.
  int line() const { return line_; }

  // Moves past blanks, tabs, CRs and LFs, reading further pieces as needed. False at the end of
  // the input.
  bool skip() {
    for (;;) {
      while (pos_ < len_) {
        char16_t c = buf_[pos_];
        if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n') return true;
        ++pos_;
      }
      if (!readPiece()) return false;
    }
  }

  bool at(std::u16string_view token) const {
    return len_ - pos_ >= token.size() &&
           std::memcmp(buf_ + pos_, token.data(), token.size() * sizeof(char16_t)) == 0;
  }
  bool consume(std::u16string_view token) {
    if (!at(token)) return false;
    pos_ += token.size();
    return true;
  }
  // The unit at the cursor, 0 at the end of the piece (a 0 in the file never matches a token).
  char16_t peek() const { return pos_ < len_ ? buf_[pos_] : 0; }

  size_t pos() const { return pos_; }
  void setPos(size_t pos) { pos_ = pos; }
  // Index of the next `c` (or `text`) in the current piece from `from`, or npos.
  size_t find(char16_t c, size_t from) const;
  size_t find(std::u16string_view text, size_t from) const;
  std::u16string_view slice(size_t from, size_t to) const { return {buf_ + from, to - from}; }

  // A double-quoted value at the cursor, ending in this piece; the cursor moves behind it.
  // A missing opening or closing quote is an attribute error.
  std::u16string_view quotedValue();

 private:
  bool readPiece();

  ByteSource& source_;
  const Codec* codec_ = nullptr;
  size_t limit_;
  size_t pos_ = 0, len_ = 0;
  int line_ = 0;
  char16_t ascii_[128];  // the codec's units for bytes below 0x80, which never begin a sequence
  char16_t buf_[kBufferUnits];
};

// A numeric attribute value as strtod reads it (leading blanks, a sign, a fraction and an
// exponent; the longest prefix that forms a decimal number; no number at all reads as 0),
// truncated toward zero and held to the 32-bit range.
int32_t parseNumber(std::u16string_view value);

}  // namespace vellary::rovorirud::detail
