#include "app/cli/CliJson.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace plavo {

std::string JsonNumberText(double Value) {
  if (!std::isfinite(Value)) return "null";
  if (Value == 0.0) return "0";  // also for -0, which some readers reject as "-0"
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, Value);
  if (ec != std::errc{}) return "null";
  return std::string(buffer, end);
}

std::string JsonStringText(const std::string& Value) {
  std::string out = "\"";
  for (const char ch : Value) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += ch;
        }
    }
  }
  return out + "\"";
}

void TJsonWriter::BeforeValue() {
  if (FAfterKey) {
    FAfterKey = false;
    return;
  }
  if (!FHasItem.empty()) {
    if (FHasItem.back()) FText += ',';
    FHasItem.back() = true;
  }
}

void TJsonWriter::BeginObject() {
  BeforeValue();
  FText += '{';
  FHasItem.push_back(false);
}

void TJsonWriter::EndObject() {
  FText += '}';
  FHasItem.pop_back();
}

void TJsonWriter::BeginArray() {
  BeforeValue();
  FText += '[';
  FHasItem.push_back(false);
}

void TJsonWriter::EndArray() {
  FText += ']';
  FHasItem.pop_back();
}

void TJsonWriter::Key(const std::string& Name) {
  BeforeValue();
  FText += JsonStringText(Name);
  FText += ':';
  FAfterKey = true;
}

void TJsonWriter::Number(double Value) {
  BeforeValue();
  FText += JsonNumberText(Value);
}

void TJsonWriter::Integer(int64_t Value) {
  BeforeValue();
  FText += std::to_string(Value);
}

void TJsonWriter::Boolean(bool Value) {
  BeforeValue();
  FText += Value ? "true" : "false";
}

void TJsonWriter::Null() {
  BeforeValue();
  FText += "null";
}

void TJsonWriter::String(const std::string& Value) {
  BeforeValue();
  FText += JsonStringText(Value);
}

}  // namespace plavo
