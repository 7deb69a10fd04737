// The reader's input layer: byte chunks, piece decoding, quoted values and numbers.
#include "reader_scanner.h"

#include <algorithm>
#include <charconv>
#include <climits>

#include "reader.h"

namespace vellary::rovorirud::detail {

namespace {

// Large reads keep the per-call cost of stdio out of the per-byte budget.
constexpr size_t kChunkBytes = 64 * 1024;

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool isSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

int32_t clampToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

ByteSource::ByteSource(std::FILE* file) : file_(file), chunk_(kChunkBytes) {
  cur = end = chunk_.data();
}

ByteSource::ByteSource(std::string_view bytes) : eof_(true) {
  cur = reinterpret_cast<const unsigned char*>(bytes.data());
  end = cur + bytes.size();
}

void ByteSource::refill() {
  // The unread tail (at most a cut multi-byte character) moves to the front so that a
  // character never straddles two chunks.
  size_t kept = static_cast<size_t>(end - cur);
  std::memmove(chunk_.data(), cur, kept);
  size_t filled = kept;
  while (!eof_ && filled < chunk_.size()) {
    size_t n = std::fread(chunk_.data() + filled, 1, chunk_.size() - filled, file_);
    filled += n;
    if (n == 0) {
      if (std::ferror(file_)) fail(ReadOtherError);
      eof_ = true;
    }
    // One short read is enough: the caller asks again when it needs more.
    if (filled > kept) break;
  }
  cur = chunk_.data();
  end = cur + filled;
}

Scanner::Scanner(ByteSource& source, size_t pieceLimit)
    : source_(source), limit_(std::clamp<size_t>(pieceLimit, 1, kMaxPiece)) {
  buf_[0] = 0;
  setCodec(Codec::cp932());
}

void Scanner::setCodec(const Codec& codec) {
  codec_ = &codec;
  for (unsigned b = 0; b < 128; ++b) {
    unsigned char byte = static_cast<unsigned char>(b);
    codec.decodeOne(&byte, 1, &ascii_[b]);
  }
}

bool Scanner::readPiece() {
  size_t n = 0;
  ByteSource& src = source_;
  while (n < limit_) {
    if (src.cur == src.end && !src.ensure(1)) break;
    // Runs of bytes below 0x80 go through the small table; anything else through the codec,
    // which needs the whole of a sequence (three bytes at most) in view.
    const unsigned char* p = src.cur;
    const unsigned char* e = p + std::min(static_cast<size_t>(src.end - p), limit_ - n);
    bool lineEnd = false;
    while (p < e && *p < 0x80) {
      char16_t u = ascii_[*p++];
      buf_[n++] = u;
      if (u == u'\n') {
        lineEnd = true;
        break;
      }
    }
    src.cur = p;
    if (lineEnd) break;
    if (n >= limit_ || p == src.end) continue;
    src.ensure(3);
    char16_t u;
    src.cur += codec_->decodeOne(src.cur, static_cast<size_t>(src.end - src.cur), &u);
    buf_[n++] = u;
    if (u == u'\n') break;
  }
  if (n == 0) return false;
  pos_ = 0;
  len_ = n;
  buf_[n] = 0;
  ++line_;
  return true;
}

size_t Scanner::find(char16_t c, size_t from) const {
  for (size_t i = from; i < len_; ++i)
    if (buf_[i] == c) return i;
  return npos;
}

size_t Scanner::find(std::u16string_view text, size_t from) const {
  if (from > len_) return npos;
  size_t i = std::u16string_view(buf_, len_).find(text, from);
  return i == std::u16string_view::npos ? npos : i;
}

std::u16string_view Scanner::quotedValue() {
  if (peek() != u'"') fail(ReadAttributeError);
  size_t close = find(u'"', pos_ + 1);
  if (close == npos) fail(ReadAttributeError);
  std::u16string_view value(buf_ + pos_ + 1, close - pos_ - 1);
  pos_ = close + 1;
  return value;
}

namespace {

// The general form: a fraction or an exponent. The integer part of 0.d₁d₂… × 10^exp has exp
// digits, which decides saturation and zero without any arithmetic that could overflow; only a
// value of one to ten integer digits goes through from_chars, which rounds the way strtod does.
int32_t parseDecimal(const char16_t* p, const char16_t* e, bool negative) {
  char digits[Scanner::kBufferUnits + 32];
  size_t m = 2;  // after "0."
  long exp = 0;
  bool any = false;
  for (; p < e && isDigit(*p); ++p) {
    any = true;
    if (m > 2 || *p != u'0') {
      digits[m++] = static_cast<char>(*p);
      ++exp;
    }
  }
  if (p < e && *p == u'.') {
    for (++p; p < e && isDigit(*p); ++p) {
      any = true;
      if (m == 2 && *p == u'0')
        --exp;
      else
        digits[m++] = static_cast<char>(*p);
    }
  }
  if (!any || m == 2) return 0;
  if (p < e && (*p == u'e' || *p == u'E')) {
    const char16_t* q = p + 1;
    bool expNegative = false;
    if (q < e && (*q == u'+' || *q == u'-')) expNegative = *q++ == u'-';
    long written = 0;
    for (; q < e && isDigit(*q); ++q) written = std::min(written * 10 + (*q - u'0'), 100000L);
    exp += expNegative ? -written : written;
  }
  if (exp <= 0) return 0;
  if (exp > 10) return negative ? INT32_MIN : INT32_MAX;
  digits[0] = '0';
  digits[1] = '.';
  digits[m++] = 'e';
  auto tail = std::to_chars(digits + m, digits + sizeof digits, exp);
  double v = 0;
  std::from_chars(digits, tail.ptr, v);
  auto whole = static_cast<int64_t>(v);  // v < 1e10: truncation cannot overflow
  return clampToInt32(negative ? -whole : whole);
}

}  // namespace

int32_t parseNumber(std::u16string_view value) {
  const char16_t* p = value.data();
  const char16_t* e = p + value.size();
  while (p < e && isSpace(*p)) ++p;
  bool negative = false;
  if (p < e && (*p == u'+' || *p == u'-')) negative = *p++ == u'-';
  const char16_t* start = p;
  int64_t v = 0;
  for (; p < e && isDigit(*p); ++p)
    if (v <= INT32_MAX) v = v * 10 + (*p - u'0');
  if (p == e || (*p != u'.' && *p != u'e' && *p != u'E')) return clampToInt32(negative ? -v : v);
  return parseDecimal(start, e, negative);
}

}  // namespace vellary::rovorirud::detail
