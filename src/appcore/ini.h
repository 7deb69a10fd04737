// Initialisation-file text: [sections] of key=value lines, as the settings file and the per-user
// store use it. Values are UTF-8 in memory; the bytes on disk are code page 932, UTF-8 or UTF-16.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vellary::appcore {

enum class TextEncoding { Cp932, Utf8, Utf16 };

class IniDocument {
 public:
  // How the bytes are taken. Any: UTF-16 LE or UTF-8 when they start with a byte-order mark,
  // UTF-8 when they are well-formed UTF-8, code page 932 otherwise (a settings file of any
  // origin). Utf8: UTF-8 always (the program's own store; a byte-order mark is passed over).
  enum class Decoding { Any, Utf8 };

  // With `unescape`, "\n", "\r" and "\\" in values are turned back into the characters they
  // stand for. Bytes that decode to no character (a byte code page 932 does not map, ill-formed
  // UTF-8, a lone UTF-16 surrogate) become U+FFFD, and the entries whose line held them are
  // marked undecodable.
  static IniDocument parse(std::string_view bytes, bool unescape = false,
                           Decoding decoding = Decoding::Any);

  // The file's bytes with CR LF line ends. Code page 932 falls back to UTF-16 LE with a byte-order
  // mark when a value holds a character it cannot represent, so that nothing is lost;
  // *used tells which was written.
  std::string serialize(TextEncoding encoding, bool escape = false,
                        TextEncoding* used = nullptr) const;

  // Section and key names compare without regard to ASCII case, as the platform's files do.
  std::optional<std::string> get(std::string_view section, std::string_view key) const;
  // Whether the entry's line held bytes that decode to no character (see parse).
  bool undecodable(std::string_view section, std::string_view key) const;
  void set(std::string_view section, std::string_view key, std::string_view value);
  bool empty() const { return sections_.empty(); }

 private:
  struct Entry {
    std::string key, value;
    bool undecodable = false;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };
  const Entry* find(std::string_view section, std::string_view key) const;
  std::vector<Section> sections_;
};

}  // namespace vellary::appcore
