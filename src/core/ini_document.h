// An INI file's text with the semantics of the Windows profile functions, as measured under
// Wine 8: lines split at LF and trimmed; "[name]" up to the last "]" opens a section; lines
// before the first header belong to a nameless section; a line without "=" is kept as it is
// (comments survive a rewrite) but never read as a value; names compare without case; the first
// of duplicate sections and keys wins; a write rewrites the file in canonical form (no blank
// lines, nothing around "=", CR LF).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvak {

class IniDocument {
 public:
  enum class Encoding { Ansi, Utf8Bom, Utf16Le };

  // Never fails: whatever the bytes are, they are read as lines. ANSI files are Windows-1252.
  static IniDocument parse(std::string_view bytes);

  // The raw stored value (trimmed), or nullopt when absent.
  std::optional<std::string> find(std::string_view section, std::string_view key) const;
  // Sets the value; false when it already held exactly this text (the file is then left alone).
  bool set(std::string_view section, std::string_view key, std::string_view value);
  std::string serialize() const;
  Encoding encoding() const { return encoding_; }

 private:
  struct Entry {
    std::string name;
    std::optional<std::string> value;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };
  Section* findSection(std::string_view name);
  const Section* findSection(std::string_view name) const;

  std::vector<Section> sections_;  // [0] is the nameless head
  Encoding encoding_ = Encoding::Ansi;
};

// What GetPrivateProfileString returns for a stored value: one pair of matching quotes
// removed, cut to the 2048-character buffer.
std::string profileReadValue(std::string_view stored);

}  // namespace zorvak
