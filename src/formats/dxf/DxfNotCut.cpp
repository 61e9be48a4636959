#include "formats/dxf/DxfNotCut.h"

#include <algorithm>
#include <cctype>

namespace plavo {

namespace {

bool StartsWithNoCase(std::string_view Text, std::string_view Prefix) {
  return Text.size() >= Prefix.size() &&
         std::equal(Prefix.begin(), Prefix.end(), Text.begin(), [](char a, char b) {
           return std::toupper(static_cast<unsigned char>(a)) ==
                  std::toupper(static_cast<unsigned char>(b));
         });
}

}  // namespace

bool IsNotCutLinetype(std::string_view Name) {
  for (std::string_view kind : {"CENTER", "DASHDOT", "HIDDEN", "PHANTOM"}) {
    if (StartsWithNoCase(Name, kind)) return true;
  }
  return false;
}

bool IsNotCutLayer(std::string_view Name) {
  return (Name.size() == 9 && StartsWithNoCase(Name, "Defpoints")) ||
         StartsWithNoCase(Name, "_stretch_");
}

}  // namespace plavo
