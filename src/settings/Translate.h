// Translation of the program's texts from a plain language file: section "Language", each key
// an English text as the program writes it, each value its translation. Keys match without
// regard to ASCII letter case. A text containing "=" or a line break cannot be a key and is
// never translated; messages built from several lines are translated line by line by whoever
// builds them.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

namespace plavo {

class TIniFile;

class TLanguage {
 public:
  TLanguage() = default;  // no translations: every text stays English
  explicit TLanguage(const TIniFile& Ini);
  // A missing, unreadable or oversized file gives the empty language.
  static TLanguage Load(const std::string& FileName);

  // The translation of an already trimmed text, or nothing.
  const std::string* Find(std::string_view Text) const;
  bool Empty() const { return FTexts.empty(); }

 private:
  std::unordered_map<std::string, std::string> FTexts;  // lower-case key -> translation
};

// Trims spaces and control characters from both ends of Text; returns "" for nothing left,
// else the translation of the trimmed text, or the trimmed text itself when there is none.
std::string TranslateText(const TLanguage& Language, std::string_view Text);

}  // namespace plavo
