#include "aiformat/WriterText.h"

#include <charconv>
#include <cmath>

std::string FormatFixed(double Value, int Decimals) {
  if (!std::isfinite(Value)) return "0";
  char buffer[400];
  const auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, Value, std::chars_format::fixed, Decimals);
  if (ec != std::errc{}) return "0";
  std::string text(buffer, end);
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  if (text == "-0") text = "0";
  return text;
}
