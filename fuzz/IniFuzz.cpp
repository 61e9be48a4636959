// Feeds arbitrary bytes to the ini file model and the language lookup, as reading a damaged
// settings, presets or language file does. Besides crashes, hangs and leaks, a finding is a
// file text that does not read back as itself once written: a save must never change presets.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/Options.h"
#include "settings/Translate.h"

using namespace plavo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string_view bytes(reinterpret_cast<const char*>(Data), Size);
  const TIniFile ini = TIniFile::Parse(bytes);
  const std::string text = ini.Text();
  if (TIniFile::Parse(text).Text() != text) std::abort();
  const TLanguage language(ini);
  TranslateText(language, bytes.substr(0, 64));
  return 0;
}
