// The program's JSON output parsed by nlohmann-json (strict: no comments, no trailing commas,
// no NaN) and turned into the small value tree the tests compare.
#include "app/cli/JsonTestParser.h"

#include <nlohmann/json.hpp>

namespace plavo {

namespace {

using TOrderedJson = nlohmann::ordered_json;

TJsonValue Convert(const TOrderedJson& J) {
  TJsonValue v;
  switch (J.type()) {
    case TOrderedJson::value_t::boolean:
      v.Kind = TJsonValue::Bool;
      v.BoolValue = J.get<bool>();
      break;
    case TOrderedJson::value_t::number_integer:
    case TOrderedJson::value_t::number_unsigned:
    case TOrderedJson::value_t::number_float:
      v.Kind = TJsonValue::Number;
      v.NumberValue = J.get<double>();
      break;
    case TOrderedJson::value_t::string:
      v.Kind = TJsonValue::String;
      v.StringValue = J.get<std::string>();
      break;
    case TOrderedJson::value_t::array:
      v.Kind = TJsonValue::Array;
      for (const TOrderedJson& item : J) v.Items.push_back(Convert(item));
      break;
    case TOrderedJson::value_t::object:
      v.Kind = TJsonValue::Object;
      for (const auto& [name, value] : J.items()) v.Members.emplace_back(name, Convert(value));
      break;
    default:
      break;  // null (and the binary type, which text never holds)
  }
  return v;
}

}  // namespace

const TJsonValue& TJsonValue::operator[](const std::string& Name) const {
  static const TJsonValue kNull;
  for (const auto& [name, value] : Members) {
    if (name == Name) return value;
  }
  return kNull;
}

bool TJsonValue::Has(const std::string& Name) const {
  for (const auto& member : Members) {
    if (member.first == Name) return true;
  }
  return false;
}

bool ParseJson(const std::string& Text, TJsonValue& Value, std::string& Error) {
  Value = TJsonValue{};
  try {
    Value = Convert(TOrderedJson::parse(Text));
    return true;
  } catch (const nlohmann::json::exception& e) {
    Error = e.what();
    return false;
  }
}

}  // namespace plavo
