// Loading, saving and looking up the character tables.
#include "char_tables.h"

#include <optional>

#include "model/atomic_file.h"
#include "model/file_access.h"
#include "model/text.h"
#include "rovorirud/codec.h"

namespace vellary::appcore {

namespace {

constexpr char kOpenErrorCaption[] = "ファイルオープンエラー";
constexpr char kReadErrorCaption[] = "ファイル読み込みエラー";

// A table file is a few hundred kilobytes at most; beyond this it is no table.
constexpr uint64_t kMaxTableBytes = 64u << 20;

// The text of a table file: UTF-16 with a byte-order mark as the program writes it, or UTF-8 or
// code page 932 from other editors. Nothing when the bytes cannot be such text: an odd number of
// bytes after a UTF-16 mark, a NUL anywhere (the saved copy could not be read back), or bytes
// that code page 932 does not map (they would come back as U+FFFD, changed without a word).
std::optional<std::u16string> decodeTable(const std::string& bytes) {
  auto byte = [&bytes](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  std::u16string text;
  if (bytes.size() >= 2 && ((byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0xFE && byte(1) == 0xFF))) {
    if (bytes.size() % 2 != 0) return std::nullopt;
    bool little = byte(0) == 0xFF;
    for (size_t i = 2; i < bytes.size(); i += 2)
      text += static_cast<char16_t>(little ? byte(i) | (byte(i + 1) << 8) : (byte(i) << 8) | byte(i + 1));
  } else {
    std::string_view body = bytes;
    if (body.substr(0, 3) == "\xEF\xBB\xBF") body.remove_prefix(3);
    if (model::isValidUtf8(body)) {
      text = model::fromUtf8(body);
    } else {
      text = rovorirud::Codec::cp932().decode(body);
      if (text.find(u'\uFFFD') != std::u16string::npos) return std::nullopt;
    }
  }
  if (text.find(u'\0') != std::u16string::npos) return std::nullopt;
  return text;
}

bool isSeparator(char16_t c, CharTable::Kind kind) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' ||
         (kind == CharTable::Kind::Registered && c == u',');
}

}  // namespace

std::optional<std::vector<TextPair>> CharTable::parse(const std::string& bytes, Kind kind) {
  std::optional<std::u16string> text = decodeTable(bytes);
  if (!text) return std::nullopt;
  std::vector<TextPair> read;
  size_t pos = 0;
  while (pos < text->size()) {
    size_t end = text->find(u'\n', pos);
    if (end == std::u16string::npos) end = text->size();
    std::vector<std::u16string> fields;
    for (size_t i = pos; i < end && fields.size() < 2;) {
      while (i < end && isSeparator((*text)[i], kind)) ++i;
      size_t start = i;
      while (i < end && !isSeparator((*text)[i], kind)) ++i;
      if (i > start) fields.emplace_back(text->substr(start, i - start));
    }
    pos = end + 1;
    if (fields.empty()) continue;
    read.push_back(TextPair{fields[0], fields.size() > 1 ? fields[1] : std::u16string()});
  }
  return read;
}

std::string CharTable::serialize(const std::vector<TextPair>& pairs, Kind kind) {
  std::u16string text;
  const char16_t separator = kind == Kind::Registered ? u',' : u'\t';
  for (const TextPair& p : pairs) {
    text += p.first;
    text += separator;
    text += p.second;
    text += u"\r\n";
  }
  std::string bytes = "\xFF\xFE";
  for (char16_t u : text) {
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
  return bytes;
}

int CharTable::load(const std::string& path, Prompter& prompter) {
  if (kind_ == Kind::Explanation) pairs.clear();
  std::string raw;
  if (model::readInputFile(path, raw, kMaxTableBytes) != 0) return -1;
  std::optional<std::vector<TextPair>> read = parse(raw, kind_);
  if (!read) {
    prompter.message(kind_ == Kind::Registered ? "文字登録テーブル読み込みエラー"
                                               : "候補文字の説明読込みエラー",
                     kReadErrorCaption);
    return -1;
  }
  pairs = std::move(*read);
  return static_cast<int>(pairs.size());
}

int CharTable::save(const std::string& path, Prompter& prompter) const {
  std::string error;
  if (!model::replaceFileContents(path, serialize(pairs, kind_), error)) {
    prompter.message("ファイル(" + path + ")が開けません", kOpenErrorCaption);
    return -1;
  }
  return 0;
}

bool CharTable::saveIfModified(Prompter& prompter) {
  if (modified != 1) return true;
  if (save(fileName, prompter) != 0) return false;
  modified = 0;
  return true;
}

int CharTable::addRegistered(const std::u16string& search, const std::u16string& replacement) {
  for (const TextPair& p : pairs)
    if (p.first == search && p.second == replacement) return -1;
  pairs.push_back(TextPair{search, replacement});
  modified = 1;
  return static_cast<int>(pairs.size());
}

std::vector<std::u16string> CharTable::searchWords() const {
  std::vector<std::u16string> words;
  words.reserve(pairs.size());
  for (const TextPair& p : pairs) words.push_back(p.first);
  return words;
}

std::u16string CharTable::explanationOf(const std::u16string& text) const {
  for (const TextPair& p : pairs)
    if (p.first == text) return p.second;
  return {};
}

}  // namespace vellary::appcore
