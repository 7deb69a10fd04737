// The records of one loaded OCR result: PaperData → PageData → BlockData → (CellData →) LineData
// → CharData. Plain data in ordered owning lists; the few operations on them live in paper.h.
#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vellary::model {

// Every collection is an ordered owning list. std::list keeps an element's address for its whole
// life, also when it is spliced into another list, which is what LineData::baseLine relies on.
template <class T>
using List = std::list<T>;

enum BlockType : int32_t { BlockText = 0, BlockTable = 1, BlockImage = 2, BlockLine = 3 };
enum Direction : int8_t { Horizontal = 0, Vertical = 1 };
enum LineAttr : int16_t { AttrNone = 0, AttrRuby = 1, AttrEmph = 2, AttrFootnote = 3 };
enum BorderStyle : uint8_t { BorderNone = 0, BorderSolid = 1, BorderDotted = 2, BorderDouble = 3 };

// A block's bibliographic role. Codes from kUserSectionBase on index PaperData::userSections.
enum SectionCode : int32_t {
  SecText = 0,
  SecRef = 1,
  SecUpperPageNum = 2,
  SecLowerPageNum = 3,
  SecHeader = 4,
  SecFooter = 5,
  SecLeftPillar = 6,
  SecRightPillar = 7,
  SecTitle = 8,
  SecAuthor = 9,
  SecTerminater = 10,
  SecYear = 11,
  SecMonth = 12,
  SecVol = 13,
  SecExTitle = 14,
  SecExAuther = 15,
  SecNoOutput = 16,
  SecSection = 17,
};
inline constexpr int32_t kSectionWordCount = 18;
inline constexpr int32_t kUserSectionBase = 1000;
inline constexpr int32_t kLangJapanese = 128;  // the Shift-JIS character set
inline constexpr uint16_t kDefaultConfidence = 10;

// One character: a UTF-16 unit or a surrogate pair, then a zero unit. The single unit 13 is a
// paragraph break inserted by the user or by re-composition.
using CharText = std::array<char16_t, 3>;

inline int charTextLength(const CharText& t) { return t[0] == 0 ? 0 : (t[1] == 0 ? 1 : 2); }
inline CharText makeCharText(char16_t u1, char16_t u2 = 0) { return CharText{u1, u2, 0}; }

// One candidate of a character. A candidate's text and confidence share one allocation: a book
// holds millions of characters with several candidates each, and one array per character keeps
// that affordable.
struct Candidate {
  CharText text{};
  uint16_t cc = 0;
};
inline constexpr Candidate kEmptyCandidate{};

struct CharData {
  // x and y are −1 for a character the user typed: it has no place on the image.
  int32_t x = 0, y = 0, width = 0, height = 0;
  CharText text{};
  uint16_t cc = kDefaultConfidence;
  int32_t registeredMark = 0;  // never stored; set by the registered-character colour mode
  int32_t modRubyEmp = 0;
  int32_t modRotTcy = 0;
  int32_t changed = 0;

  CharData() = default;
  CharData(const CharData& other);
  CharData& operator=(const CharData& other);
  CharData(CharData&&) noexcept = default;
  CharData& operator=(CharData&&) noexcept = default;

  int16_t numCand() const { return numCand_; }
  // Replaces the candidates by n empty ones with confidence 0 (n ≥ 0).
  void resetCandidates(int16_t n);
  // n candidates whose first heldCount ones are given (at most n are taken); the rest are empty
  // with confidence 0. Storage is taken for the given ones only, so a count that a file states is
  // a hint and costs nothing beyond what the file holds.
  void setCandidates(int16_t n, const Candidate* held, size_t heldCount);
  // How many candidates have storage: the others are empty with confidence 0.
  int16_t storedCandidates() const { return stored_; }
  // Reading an empty candidate takes no storage; writing one gives every candidate its storage.
  const CharText& candText(int i) const {
    return i < stored_ ? cands_[i].text : kEmptyCandidate.text;
  }
  uint16_t candCC(int i) const { return i < stored_ ? cands_[i].cc : kEmptyCandidate.cc; }
  CharText& candText(int i) { return stored(i).text; }
  uint16_t& candCC(int i) { return stored(i).cc; }

 private:
  Candidate& stored(int i) {
    if (i >= stored_) storeAll();
    return cands_[i];
  }
  void storeAll();
  int16_t numCand_ = 0;
  int16_t stored_ = 0;  // ≤ numCand_
  std::unique_ptr<Candidate[]> cands_;
};

struct LineData {
  int32_t x = 0, y = 0, width = 0, height = 0;
  int32_t widthOrg = 0, heightOrg = 0;  // the box as first recognised, kept across edits
  int32_t charCount = 0;                // UTF-16 units in chars
  int16_t attr = AttrNone;              // LineAttr
  LineData* baseLine = nullptr;  // not owned: a line of the same block or cell
  int32_t rcs = 0, rce = 0;      // 1-based range of baseLine's characters covered; 0 = none
  int32_t rlid = 0, lid = 0;     // file numbering only: 0 outside reading and writing
  List<CharData> chars;
};

struct CellData {
  int32_t row = 0, col = 0;
  int32_t x = 0, y = 0, width = 0, height = 0;
  int32_t lineCount = 0;
  std::array<uint8_t, 4> border{};  // BorderStyle of left, top, right, bottom
  int32_t connectGroup = 0;
  int32_t align = 0, valign = 0;
  int32_t charCount = 0;
  float avgLineSize = 0;
  List<LineData> lines;
};

struct BlockData {
  int32_t x = 0, y = 0, width = 0, height = 0;
  int32_t charCount = 0;
  int8_t direction = Horizontal;  // Direction
  int32_t type = BlockText;       // BlockType; the writer treats values outside 0–3 as text
  float avgLineSize = 0;
  int32_t sec = SecText;  // SectionCode
  int32_t langId = 0;
  int32_t bid = 0;
  List<LineData> lines;  // text, image and line blocks
  List<CellData> cells;  // table blocks
};

struct PageData {
  int32_t number = 0;  // 1-based, in list order
  std::optional<std::u16string> file;
  std::optional<std::u16string> fullpath;
  int32_t width = 0, height = 0;  // −1 until known
  int32_t dpi = 0;                // −1 when unknown
  List<BlockData> blocks;
};

struct PaperData {
  List<PageData> pages;
  uint32_t encoding = 0;  // 1 Shift_JIS, 2 EUC-JP: the encoding the file was read in
  int32_t maxPageWidth = 0;
  int32_t maxPageHeight = 0;
  // Section words that are not among the fixed ones; code kUserSectionBase + i names entry i.
  // One table per document, so the codes of blocks in memory keep their words when another file
  // is appended.
  std::vector<std::u16string> userSections;
};

}  // namespace vellary::model
