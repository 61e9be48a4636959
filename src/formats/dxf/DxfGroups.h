// The group stream of an ASCII DXF file: a line with an integer group code, then a line with
// its value. Numbers are parsed strictly and independently of the locale, so junk never
// becomes a coordinate.
#pragma once

#include <cstdint>
#include <string_view>

namespace plavo {

struct TDxfGroup {
  int Code = 0;
  std::string_view Value;  // trimmed; a view into the file's bytes
};

class TDxfGroupReader {
 public:
  explicit TDxfGroupReader(std::string_view Bytes) : FBytes(Bytes) {}

  // The next group; false at the end of the bytes or at a code line that is no integer (then
  // Failed() is true). A code without its value line counts as the end.
  bool Next(TDxfGroup& Group);
  bool Failed() const { return FFailed; }
  size_t Offset() const { return FPos; }

 private:
  std::string_view Line();

  std::string_view FBytes;
  size_t FPos = 0;
  bool FFailed = false;
};

// A DXF real: decimal, optional sign and exponent, finite. False for anything else.
bool DxfReal(std::string_view Text, double& Value);
// A DXF integer (no fraction); false for anything else.
bool DxfInteger(std::string_view Text, int64_t& Value);

}  // namespace plavo
