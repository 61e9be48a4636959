#include "core/WriterText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

namespace plavo {

std::string FormatFixed(double Value, int Decimals) {
  if (!std::isfinite(Value)) return "0";
  char buffer[400];
  auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, Value, std::chars_format::fixed, Decimals);
  if (ec != std::errc{}) return "0";
  // Trailing zeros of the fraction, and then a bare point, say nothing.
  if (std::find(buffer, end, '.') != end) {
    while (end[-1] == '0') --end;
    if (end[-1] == '.') --end;
  }
  const std::string_view text(buffer, static_cast<size_t>(end - buffer));
  return text == "-0" ? std::string("0") : std::string(text);
}

}  // namespace plavo
