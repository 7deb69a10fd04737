// Loading, saving and looking up the character tables.
#include "char_tables.h"

#include <fstream>
#include <optional>
#include <sstream>

#include "model/atomic_file.h"
#include "model/text.h"
#include "rovorirud/codec.h"

namespace vellary::appcore {

namespace {

constexpr char kOpenErrorCaption[] = "ファイルオープンエラー";
constexpr char kReadErrorCaption[] = "ファイル読み込みエラー";

// The text of a table file: UTF-16 with a byte-order mark as the program writes it, or UTF-8 or
// code page 932 from other editors. Nothing when the bytes cannot be UTF-16 text.
std::optional<std::u16string> decodeTable(const std::string& bytes) {
  auto byte = [&bytes](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  if (bytes.size() >= 2 && ((byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0xFE && byte(1) == 0xFF))) {
    if (bytes.size() % 2 != 0) return std::nullopt;
    bool little = byte(0) == 0xFF;
    std::u16string text;
    for (size_t i = 2; i < bytes.size(); i += 2)
      text += static_cast<char16_t>(little ? byte(i) | (byte(i + 1) << 8) : (byte(i) << 8) | byte(i + 1));
    if (text.find(u'\0') != std::u16string::npos) return std::nullopt;
    return text;
  }
  std::string_view body = bytes;
  if (body.substr(0, 3) == "\xEF\xBB\xBF") body.remove_prefix(3);
  std::u16string utf8 = model::fromUtf8(body);
  if (utf8.find(u'\uFFFD') == std::u16string::npos) return utf8;
  return rovorirud::Codec::cp932().decode(body);
}

bool isSeparator(char16_t c, CharTable::Kind kind) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' ||
         (kind == CharTable::Kind::Registered && c == u',');
}

}  // namespace

int CharTable::load(const std::string& path, Prompter& prompter) {
  if (kind_ == Kind::Explanation) pairs.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) return -1;
  std::stringstream raw;
  raw << in.rdbuf();
  std::optional<std::u16string> text = decodeTable(raw.str());
  if (!text) {
    prompter.message(kind_ == Kind::Registered ? "文字登録テーブル読み込みエラー"
                                               : "候補文字の説明読込みエラー",
                     kReadErrorCaption);
    return -1;
  }
  std::vector<TextPair> read;
  size_t pos = 0;
  while (pos < text->size()) {
    size_t end = text->find(u'\n', pos);
    if (end == std::u16string::npos) end = text->size();
    std::vector<std::u16string> fields;
    for (size_t i = pos; i < end && fields.size() < 2;) {
      while (i < end && isSeparator((*text)[i], kind_)) ++i;
      size_t start = i;
      while (i < end && !isSeparator((*text)[i], kind_)) ++i;
      if (i > start) fields.emplace_back(text->substr(start, i - start));
    }
    pos = end + 1;
    if (fields.empty()) continue;
    read.push_back(TextPair{fields[0], fields.size() > 1 ? fields[1] : std::u16string()});
  }
  pairs = std::move(read);
  return static_cast<int>(pairs.size());
}

int CharTable::save(const std::string& path, Prompter& prompter) const {
  std::u16string text;
  const char16_t separator = kind_ == Kind::Registered ? u',' : u'\t';
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
  std::string error;
  if (!model::replaceFileContents(path, bytes, error)) {
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
