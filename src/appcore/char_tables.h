// The two user-editable character tables: registered characters (search word → replacement)
// and candidate explanations (character → reading). Each is a UTF-16 text file with a byte-order
// mark and CR LF line ends, one pair per line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "prompter.h"

namespace vellary::appcore {

struct TextPair {
  std::u16string first;
  std::u16string second;
};

class CharTable {
 public:
  enum class Kind { Registered, Explanation };
  explicit CharTable(Kind kind) : kind_(kind) {}

  // Reads the pairs of a file; the number of pairs, or −1. The registered table keeps its pairs
  // when the file cannot be opened or read; the explanation table is emptied in any case.
  // Lines that hold no field are passed over: they carry no pair. A file whose text could not come
  // back equal once saved (a NUL, bytes of no character) is refused with the message.
  int load(const std::string& path, Prompter& prompter);
  // Writes every pair; 0, or −1 after telling the user. The file is replaced as
  // model::replaceFile does.
  int save(const std::string& path, Prompter& prompter) const;
  // The pairs of a table file's bytes, or nothing when the bytes cannot be a table (see load).
  static std::optional<std::vector<TextPair>> parse(const std::string& bytes, Kind kind);
  // The bytes save writes: UTF-16 LE with a byte-order mark, CR LF line ends.
  static std::string serialize(const std::vector<TextPair>& pairs, Kind kind);
  // Saves to fileName when modified (what exit does); true when nothing had to be done or the
  // save succeeded.
  bool saveIfModified(Prompter& prompter);

  // Registered table: the new number of pairs, or −1 when the same pair exists already.
  int addRegistered(const std::u16string& search, const std::u16string& replacement);
  std::vector<std::u16string> searchWords() const;
  // Explanation table: the second string of the first pair whose first equals text, or empty.
  std::u16string explanationOf(const std::u16string& text) const;

  Kind kind() const { return kind_; }
  std::vector<TextPair> pairs;
  std::string fileName;
  int modified = 0;

 private:
  Kind kind_;
};

}  // namespace vellary::appcore
