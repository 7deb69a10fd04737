// Reject test, character classes and registered-character marks.
#include "editing/layout_marks.h"

#include <string_view>

#include "rovorirud/codec.h"

namespace vellary::editing {

namespace {

constexpr std::u16string_view kPlainHiragana =
    u"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわゐゑをん";
constexpr std::u16string_view kVoicedHiragana = u"がぎぐげござじずぜぞだぢづでどばびぶべぼ";
constexpr std::u16string_view kSemiVoicedHiragana = u"ぱぴぷぺぽ";
constexpr std::u16string_view kSmallHiragana = u"ぁぃぅぇぉっゃゅょゎ";
constexpr std::u16string_view kPlainKatakana =
    u"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヰヱヲン";
constexpr std::u16string_view kVoicedKatakana = u"ガギグゲゴザジズゼゾダヂヅデドバビブベボ";
constexpr std::u16string_view kSemiVoicedKatakana = u"パピプペポヴ";
constexpr std::u16string_view kSmallKatakana = u"ァィゥェォッャュョヮヵヶ";

bool in(char16_t c, char16_t lo, char16_t hi) { return c >= lo && c <= hi; }
bool among(char16_t c, std::u16string_view set) { return set.find(c) != std::u16string_view::npos; }

}  // namespace

int charClass(char16_t c) {
  if (in(c, 0x21, 0x2F) || in(c, 0x3A, 0x40) || in(c, 0x5B, 0x60) || in(c, 0x7B, 0x7E)) return 5;
  if (c == 0x0D || c == 0x20) return 14;
  if (in(c, 0x30, 0x39) || in(c, 0xFF10, 0xFF19)) return 4;
  if (in(c, 0x41, 0x5A) || in(c, 0x391, 0x3A9) || in(c, 0x410, 0x42F) || in(c, 0xFF21, 0xFF3A))
    return 3;
  if (in(c, 0x61, 0x7A) || in(c, 0x3B1, 0x3C9) || in(c, 0x430, 0x44F) || in(c, 0xFF41, 0xFF5A))
    return 12;
  if (in(c, 0xA0, 0xBF) || in(c, 0xFF61, 0xFF65) || c == 0xFF70) return 5;
  if (in(c, 0x3041, 0x309E)) {
    if (among(c, kPlainHiragana)) return 1;
    if (among(c, kVoicedHiragana)) return 6;
    if (among(c, kSemiVoicedHiragana)) return 7;
    if (among(c, kSmallHiragana)) return 8;
    return 0;
  }
  if (in(c, 0x30A1, 0x30F6)) {
    if (among(c, kPlainKatakana)) return 2;
    if (among(c, kVoicedKatakana)) return 9;
    if (among(c, kSemiVoicedKatakana)) return 10;
    if (among(c, kSmallKatakana)) return 11;
    return 0;
  }
  if (in(c, 0xFF67, 0xFF6F)) return 11;
  if (c == 0xFF66 || in(c, 0xFF71, 0xFF9D)) return 2;
  char bytes[3];
  const int n = rovorirud::Codec::cp932().encodeOne(c, bytes);
  return n == 2 && static_cast<unsigned char>(bytes[0]) == 0x81 ? 5 : 0;
}

void markRegistered(model::PageData& page, const std::vector<std::u16string>& words) {
  std::u16string text;
  std::vector<model::CharData*> owner;  // the character each unit of text belongs to
  auto addLine = [&](model::LineData& line) {
    for (auto& ch : line.chars) {
      ch.registeredMark = 0;
      for (int i = 0; i < model::charTextLength(ch.text); ++i) {
        text.push_back(ch.text[i]);
        owner.push_back(&ch);
      }
    }
  };
  for (auto& block : page.blocks) {
    if (block.type == model::BlockImage) {
      for (auto& line : block.lines)
        for (auto& ch : line.chars) ch.registeredMark = 0;
    } else if (block.type == model::BlockTable) {
      for (auto& cell : block.cells)
        for (auto& line : cell.lines) addLine(line);
    } else {
      for (auto& line : block.lines) addLine(line);
    }
  }
  for (const std::u16string& word : words) {
    if (word.empty()) continue;
    for (size_t at = text.find(word); at != std::u16string::npos; at = text.find(word, at)) {
      for (size_t i = at; i < at + word.size(); ++i) owner[i]->registeredMark = 1;
      at += word.size();
    }
  }
}

}  // namespace vellary::editing
