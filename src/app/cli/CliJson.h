// A small writer of JSON text for the command-line tool's machine-readable output. Numbers are
// written in the shortest form that reads back to the same double; a value JSON cannot hold
// (NaN, infinity) is written as null rather than as invalid text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plavo {

class TJsonWriter {
 public:
  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();
  // The name of the next member of the object being written.
  void Key(const std::string& Name);
  void Number(double Value);
  void Integer(int64_t Value);
  void Boolean(bool Value);
  void Null();
  void String(const std::string& Value);

  const std::string& Text() const { return FText; }

 private:
  void BeforeValue();

  std::string FText;
  // Per open object or array: whether a value has been written into it yet.
  std::vector<bool> FHasItem;
  bool FAfterKey = false;
};

std::string JsonNumberText(double Value);
std::string JsonStringText(const std::string& Value);

}  // namespace plavo
