#include "formats/LayoutWriter.h"

#include <algorithm>
#include <cctype>

#include "formats/ai/AIWriter.h"
#include "formats/dxf/DxfWriter.h"
#include "formats/svg/SvgWriter.h"

namespace plavo {

namespace {

bool EndsWith(const std::string& Name, const std::string& Extension) {
  if (Name.size() <= Extension.size()) return false;
  return std::equal(Extension.rbegin(), Extension.rend(), Name.rbegin(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
  });
}

}  // namespace

std::optional<TLayoutFormat> LayoutFormatOf(const std::string& FileName) {
  if (EndsWith(FileName, ".svg")) return TLayoutFormat::Svg;
  if (EndsWith(FileName, ".dxf")) return TLayoutFormat::Dxf;
  if (EndsWith(FileName, ".ai")) return TLayoutFormat::Illustrator;
  return std::nullopt;
}

bool WriteLayoutFile(const std::string& FileName, const TNestedLayout& Layout, std::string& Error) {
  switch (LayoutFormatOf(FileName).value_or(TLayoutFormat::Illustrator)) {
    case TLayoutFormat::Svg:
      return WriteSvgFile(FileName, Layout, Error);
    case TLayoutFormat::Dxf:
      return WriteDxfFile(FileName, Layout, Error);
    case TLayoutFormat::Illustrator:
      break;
  }
  return WriteAIFile(FileName, Layout, Error);
}

}  // namespace plavo
