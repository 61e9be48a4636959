// A strict JSON reader (nlohmann-json) for checking the program's JSON output: whatever it
// accepts is valid JSON, and the value tree it builds lets a test compare every member.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace plavo {

struct TJsonValue {
  enum TKind { Null, Bool, Number, String, Array, Object };
  TKind Kind = Null;
  bool BoolValue = false;
  double NumberValue = 0.0;
  std::string StringValue;
  std::vector<TJsonValue> Items;
  std::vector<std::pair<std::string, TJsonValue>> Members;  // in the order written

  // The member Name of an object; a null value when there is none.
  const TJsonValue& operator[](const std::string& Name) const;
  const TJsonValue& operator[](size_t Index) const { return Items.at(Index); }
  bool Has(const std::string& Name) const;
  size_t Size() const { return Kind == Array ? Items.size() : Members.size(); }
};

// Parses the whole of Text (surrounding white space allowed). False with Error on invalid JSON.
bool ParseJson(const std::string& Text, TJsonValue& Value, std::string& Error);

}  // namespace plavo
