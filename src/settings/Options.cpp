#include "settings/Options.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>

#include "core/AtomicFile.h"
#include "core/InputFile.h"

namespace plavo {

namespace {

char LowerAscii(char C) {
  return (C >= 'A' && C <= 'Z') ? static_cast<char>(C - 'A' + 'a') : C;
}

// The key under which a name is indexed: SameIniName holds exactly for equal keys.
std::string IndexKey(std::string_view Name) {
  std::string key(Name);
  std::transform(key.begin(), key.end(), key.begin(), LowerAscii);
  return key;
}

std::string SingleLine(std::string_view Text) {
  std::string line(Text);
  std::replace_if(
      line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  return line;
}

// Splits into lines without their line ends; a UTF-8 byte order mark at the start is dropped.
std::vector<std::string_view> SplitLines(std::string_view Text) {
  if (Text.substr(0, 3) == "\xEF\xBB\xBF") Text.remove_prefix(3);
  std::vector<std::string_view> lines;
  while (!Text.empty()) {
    const size_t end = Text.find('\n');
    std::string_view line = Text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    Text.remove_prefix(end + 1);
  }
  return lines;
}

bool IsHeader(std::string_view Line) {
  return Line.size() >= 2 && Line.front() == '[' && Line.back() == ']';
}

// Through the drawings' file opening, so a pipe named as a settings file never blocks the start.
TIniLoad ReadWholeFile(const std::string& FileName, std::string& Content) {
  struct stat info {};
  if (::stat(FileName.c_str(), &info) != 0) {
    return errno == ENOENT ? TIniLoad::Missing : TIniLoad::Failed;
  }
  TInputFile file;
  if (!file.Open(FileName, kMaxIniFileSize) || !file.ReadRest(Content)) return TIniLoad::Failed;
  return TIniLoad::Loaded;
}

}  // namespace

std::string_view TrimIniText(std::string_view Text) {
  while (!Text.empty() && static_cast<unsigned char>(Text.front()) <= ' ') Text.remove_prefix(1);
  while (!Text.empty() && static_cast<unsigned char>(Text.back()) <= ' ') Text.remove_suffix(1);
  return Text;
}

bool SameIniName(std::string_view A, std::string_view B) {
  return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char a, char b) {
           return LowerAscii(a) == LowerAscii(b);
         });
}

TIniFile TIniFile::Parse(std::string_view Text) {
  TIniFile ini;
  TSection* section = nullptr;
  for (std::string_view raw : SplitLines(Text)) {
    const std::string_view line = TrimIniText(raw);
    if (IsHeader(line)) {
      const std::string_view name = line.substr(1, line.size() - 2);
      section = ini.FindSection(name);
      if (section == nullptr) section = &ini.AddSection(std::string(name));
      continue;
    }
    const size_t equals = line.find('=');
    if (section == nullptr || line.empty() || line.front() == ';' || line.front() == '#' ||
        equals == std::string_view::npos) {
      continue;
    }
    const std::string_view key = TrimIniText(line.substr(0, equals));
    if (key.empty() || section->Find(key) != nullptr) continue;
    section->Add(std::string(key), std::string(TrimIniText(line.substr(equals + 1))));
  }
  return ini;
}

std::string TIniFile::Text() const {
  std::string text;
  for (const TSection& section : FSections) {
    if (!text.empty()) text += '\n';
    text += '[' + section.Name + "]\n";
    for (const TEntry& entry : section.Entries) text += entry.Key + '=' + entry.Value + '\n';
  }
  return text;
}

std::vector<std::string> TIniFile::SectionNames() const {
  std::vector<std::string> names;
  names.reserve(FSections.size());
  for (const TSection& section : FSections) names.push_back(section.Name);
  return names;
}

TIniFile::TEntry* TIniFile::TSection::Find(std::string_view Key) {
  const auto found = Keys.find(IndexKey(Key));
  return found == Keys.end() ? nullptr : &Entries[found->second];
}

void TIniFile::TSection::Add(std::string Key, std::string Value) {
  Keys.emplace(IndexKey(Key), Entries.size());
  Entries.push_back({std::move(Key), std::move(Value)});
}

const TIniFile::TSection* TIniFile::FindSection(std::string_view Section) const {
  const auto found = FSectionIndex.find(IndexKey(Section));
  return found == FSectionIndex.end() ? nullptr : &FSections[found->second];
}

TIniFile::TSection& TIniFile::AddSection(std::string Name) {
  FSectionIndex.emplace(IndexKey(Name), FSections.size());
  FSections.push_back({std::move(Name), {}, {}});
  return FSections.back();
}

TIniFile::TSection* TIniFile::FindSection(std::string_view Section) {
  return const_cast<TSection*>(std::as_const(*this).FindSection(Section));
}

bool TIniFile::SectionExists(std::string_view Section) const {
  return FindSection(Section) != nullptr;
}

std::vector<std::pair<std::string, std::string>> TIniFile::SectionValues(
    std::string_view Section) const {
  std::vector<std::pair<std::string, std::string>> values;
  if (const TSection* section = FindSection(Section)) {
    for (const TEntry& entry : section->Entries) values.emplace_back(entry.Key, entry.Value);
  }
  return values;
}

std::optional<std::string> TIniFile::Value(std::string_view Section, std::string_view Key) const {
  const TSection* section = FindSection(Section);
  if (section == nullptr) return std::nullopt;
  const auto found = section->Keys.find(IndexKey(Key));
  if (found == section->Keys.end()) return std::nullopt;
  return section->Entries[found->second].Value;
}

std::string TIniFile::ReadString(std::string_view Section, std::string_view Key,
                                 std::string_view Default) const {
  return Value(Section, Key).value_or(std::string(Default));
}

void TIniFile::WriteString(std::string_view Section, std::string_view Key, std::string_view Value) {
  TSection* section = FindSection(Section);
  if (section == nullptr) section = &AddSection(SingleLine(Section));
  if (TEntry* entry = section->Find(Key)) {
    entry->Value = SingleLine(Value);
    return;
  }
  section->Add(SingleLine(Key), SingleLine(Value));
}

void TIniFile::EraseSection(std::string_view Section) {
  if (FindSection(Section) == nullptr) return;
  std::erase_if(FSections, [&](const TSection& s) { return SameIniName(s.Name, Section); });
  FSectionIndex.clear();
  for (size_t i = 0; i < FSections.size(); ++i)
    FSectionIndex.emplace(IndexKey(FSections[i].Name), i);
}

int ReadIniInteger(const TIniFile& Ini, std::string_view Section, std::string_view Key,
                   int Default) {
  const std::optional<std::string> value = Ini.Value(Section, Key);
  if (!value) return Default;
  const std::string_view text = TrimIniText(*value);
  int result = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), result);
  return (error == std::errc() && end == text.data() + text.size() && !text.empty()) ? result
                                                                                     : Default;
}

bool ReadIniBool(const TIniFile& Ini, std::string_view Section, std::string_view Key,
                 bool Default) {
  return ReadIniInteger(Ini, Section, Key, Default ? 1 : 0) != 0;
}

void WriteIniInteger(TIniFile& Ini, std::string_view Section, std::string_view Key, int Value) {
  Ini.WriteString(Section, Key, std::to_string(Value));
}

void WriteIniBool(TIniFile& Ini, std::string_view Section, std::string_view Key, bool Value) {
  Ini.WriteString(Section, Key, Value ? "1" : "0");
}

TIniLoad LoadIniFile(const std::string& FileName, TIniFile& Ini) {
  std::string content;
  const TIniLoad result = ReadWholeFile(FileName, content);
  Ini = result == TIniLoad::Loaded ? TIniFile::Parse(content) : TIniFile();
  return result;
}

bool SaveIniFile(const std::string& FileName, const TIniFile& Ini, std::string& Error) {
  return WriteFileAtomically(FileName, Ini.Text(), Error);
}

bool RenameIniSection(const std::string& FileName, std::string_view Old, std::string_view New) {
  std::string content;
  if (ReadWholeFile(FileName, content) != TIniLoad::Loaded) return false;
  const std::string oldHeader = '[' + std::string(Old) + ']';
  // Replace the first matching line in place; every other byte of the file stays as it was.
  size_t start = content.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
  while (start <= content.size()) {
    size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    size_t lineEnd = end;
    if (lineEnd > start && content[lineEnd - 1] == '\r') --lineEnd;
    if (SameIniName(std::string_view(content).substr(start, lineEnd - start), oldHeader)) {
      content.replace(start, lineEnd - start, '[' + SingleLine(New) + ']');
      std::string error;
      return WriteFileAtomically(FileName, content, error);
    }
    start = end + 1;
  }
  return false;
}

}  // namespace plavo
