#include "app/cli/CliJson.h"

#include <charconv>
#include <cmath>

namespace plavo {

TJson JsonNumber(double Value) {
  if (!std::isfinite(Value)) return nullptr;
  return Value == 0.0 ? 0.0 : Value;
}

TJson JsonBox(const TRectDbl& Box) {
  return TJson::array(
      {JsonNumber(Box.Left), JsonNumber(Box.Top), JsonNumber(Box.Right), JsonNumber(Box.Bottom)});
}

std::string JsonText(const TJson& Document) {
  // Text the program writes is ours and valid UTF-8; should a byte slip through, it is replaced
  // rather than aborting the report.
  return Document.dump(-1, ' ', false, TJson::error_handler_t::replace);
}

std::string NumberText(double Value) {
  if (!std::isfinite(Value)) return "null";
  if (Value == 0.0) return "0";
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, Value);
  if (ec != std::errc{}) return "null";
  return std::string(buffer, end);
}

}  // namespace plavo
