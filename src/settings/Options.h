// The ini file model behind the settings and preset files: sections in file order, each with
// its keys in file order. Sections and keys are compared without regard to ASCII letter case,
// as the ini files of the window's settings always were. Files are UTF-8 text.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace plavo {

class TIniFile {
 public:
  // Reads "[Section]" headers and "Key=Value" lines; keys and values are trimmed of spaces.
  // Lines before the first section, comments (";" or "#") and lines without "=" are skipped.
  // A repeated section continues the first one of that name; of a repeated key the first
  // value counts.
  static TIniFile Parse(std::string_view Text);
  // The file text: every section with its keys, a blank line between sections.
  std::string Text() const;

  std::vector<std::string> SectionNames() const;
  bool SectionExists(std::string_view Section) const;
  // The keys and values of a section in file order; empty when the section is missing.
  std::vector<std::pair<std::string, std::string>> SectionValues(std::string_view Section) const;
  // The stored value, or nothing when the section or the key is missing.
  std::optional<std::string> Value(std::string_view Section, std::string_view Key) const;
  std::string ReadString(std::string_view Section, std::string_view Key,
                         std::string_view Default) const;
  // Adds the section (at the end) and the key when missing. Line breaks in the value become
  // spaces, so a value can never start a new line of the file.
  void WriteString(std::string_view Section, std::string_view Key, std::string_view Value);
  void EraseSection(std::string_view Section);

 private:
  // Names in lower case to positions, so a lookup takes the same time in a file of 40,000 presets
  // or texts as in one of ten; the vectors keep the file order.
  using TNameIndex = std::unordered_map<std::string, size_t>;
  struct TEntry {
    std::string Key;
    std::string Value;
  };
  struct TSection {
    std::string Name;
    std::vector<TEntry> Entries;
    TNameIndex Keys;

    TEntry* Find(std::string_view Key);
    void Add(std::string Key, std::string Value);
  };
  const TSection* FindSection(std::string_view Section) const;
  TSection* FindSection(std::string_view Section);
  TSection& AddSection(std::string Name);

  std::vector<TSection> FSections;
  TNameIndex FSectionIndex;
};

// Integer and Boolean values, locale-independent: the whole trimmed text must be a decimal
// integer, else Default. A Boolean is any integer other than 0.
int ReadIniInteger(const TIniFile& Ini, std::string_view Section, std::string_view Key,
                   int Default);
bool ReadIniBool(const TIniFile& Ini, std::string_view Section, std::string_view Key, bool Default);
void WriteIniInteger(TIniFile& Ini, std::string_view Section, std::string_view Key, int Value);
void WriteIniBool(TIniFile& Ini, std::string_view Section, std::string_view Key, bool Value);

enum class TIniLoad {
  Loaded,
  Missing,  // no such file: an empty model, and a save may create the file
  Failed,   // unreadable, not a regular file or too large: a save must not replace it
};

// Files larger than this are refused rather than read into memory.
inline constexpr std::size_t kMaxIniFileSize = 16u * 1024u * 1024u;

TIniLoad LoadIniFile(const std::string& FileName, TIniFile& Ini);
// Writes the whole model through a temporary file in the same folder that then replaces the
// old file, so a failed write leaves the old file as it was. False with Error on failure.
bool SaveIniFile(const std::string& FileName, const TIniFile& Ini, std::string& Error);

// Renames a section by replacing its header line "[Old]" (whole line, any letter case) with
// "[New]" and leaving every other line as it is. False when the file cannot be read, holds no
// such line, or cannot be written (then the file is unchanged).
bool RenameIniSection(const std::string& FileName, std::string_view Old, std::string_view New);

// Helpers shared with the language file.
std::string_view TrimIniText(std::string_view Text);       // drops bytes <= ' ' at both ends
bool SameIniName(std::string_view A, std::string_view B);  // ASCII case-insensitive

}  // namespace plavo
