#include "settings/Translate.h"

#include <algorithm>

#include "settings/Options.h"

namespace plavo {

namespace {

constexpr std::string_view kLanguageSection = "Language";

std::string LowerAscii(std::string_view Text) {
  std::string lower(Text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; });
  return lower;
}

}  // namespace

TLanguage::TLanguage(const TIniFile& Ini) {
  // The model keeps the first of repeated keys; emplace keeps the first across letter case.
  for (auto& [key, value] : Ini.SectionValues(kLanguageSection)) {
    FTexts.emplace(LowerAscii(key), std::move(value));
  }
}

TLanguage TLanguage::Load(const std::string& FileName) {
  TIniFile ini;
  LoadIniFile(FileName, ini);
  return TLanguage(ini);
}

const std::string* TLanguage::Find(std::string_view Text) const {
  const auto it = FTexts.find(LowerAscii(Text));
  return it == FTexts.end() ? nullptr : &it->second;
}

std::string TranslateText(const TLanguage& Language, std::string_view Text) {
  const std::string_view trimmed = TrimIniText(Text);
  if (trimmed.empty()) return {};
  const std::string* translation = Language.Find(trimmed);
  return translation != nullptr ? *translation : std::string(trimmed);
}

}  // namespace plavo
