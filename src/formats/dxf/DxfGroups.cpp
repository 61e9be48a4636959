#include "formats/dxf/DxfGroups.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace plavo {

namespace {

std::string_view Trim(std::string_view Text) {
  size_t first = 0;
  while (first < Text.size() && (Text[first] == ' ' || Text[first] == '\t')) ++first;
  size_t last = Text.size();
  while (last > first &&
         (Text[last - 1] == ' ' || Text[last - 1] == '\t' || Text[last - 1] == '\r'))
    --last;
  return Text.substr(first, last - first);
}

}  // namespace

std::string_view TDxfGroupReader::Line() {
  const char* begin = FBytes.data() + FPos;
  const void* nl = std::memchr(begin, '\n', FBytes.size() - FPos);
  const size_t end =
      nl ? static_cast<size_t>(static_cast<const char*>(nl) - FBytes.data()) : FBytes.size();
  const std::string_view line = FBytes.substr(FPos, end - FPos);
  FPos = nl ? end + 1 : end;
  return Trim(line);
}

bool TDxfGroupReader::Next(TDxfGroup& Group) {
  if (FFailed || FPos >= FBytes.size()) return false;
  const std::string_view code = Line();
  if (FPos >= FBytes.size() && code.empty()) return false;  // trailing blank line
  int64_t value = 0;
  if (!DxfInteger(code, value) || value < 0 || value > 1071) {
    FFailed = true;
    return false;
  }
  if (FPos >= FBytes.size()) return false;
  Group.Code = static_cast<int>(value);
  Group.Value = Line();
  return true;
}

bool DxfReal(std::string_view Text, double& Value) {
  const char* first = Text.data();
  const char* last = first + Text.size();
  if (first != last && *first == '+') ++first;
  if (first == last) return false;
  const auto [end, error] = std::from_chars(first, last, Value, std::chars_format::general);
  return error == std::errc() && end == last && std::isfinite(Value);
}

bool DxfInteger(std::string_view Text, int64_t& Value) {
  const char* first = Text.data();
  const char* last = first + Text.size();
  if (first != last && *first == '+') ++first;
  if (first == last) return false;
  const auto [end, error] = std::from_chars(first, last, Value);
  return error == std::errc() && end == last;
}

}  // namespace plavo
