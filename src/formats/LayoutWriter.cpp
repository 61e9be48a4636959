#include "formats/LayoutWriter.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "core/AtomicFile.h"
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

TLayoutFormat FormatOf(const std::string& FileName) {
  return LayoutFormatOf(FileName).value_or(TLayoutFormat::Illustrator);
}

bool BuildText(TLayoutFormat Format, const TNestedLayout& Layout, TCurveForm Curves,
               std::string& Text, std::string& Error) {
  switch (Format) {
    case TLayoutFormat::Svg:
      return BuildSvgText(Layout, Text, Error);
    case TLayoutFormat::Dxf:
      return BuildDxfText(Layout, Text, Error, Curves);
    case TLayoutFormat::Illustrator:
      break;
  }
  return BuildAIText(Layout, Text, Error);
}

}  // namespace

std::optional<TLayoutFormat> LayoutFormatOf(const std::string& FileName) {
  if (EndsWith(FileName, ".svg")) return TLayoutFormat::Svg;
  if (EndsWith(FileName, ".dxf")) return TLayoutFormat::Dxf;
  if (EndsWith(FileName, ".ai")) return TLayoutFormat::Illustrator;
  return std::nullopt;
}

TCurveForm CurveFormOf(const std::string& FileName, const TLayoutWriteOptions& Options) {
  if (FormatOf(FileName) != TLayoutFormat::Dxf) return TCurveForm::Cubics;
  return Options.DxfPolylines ? TCurveForm::Polyline : TCurveForm::Arcs;
}

std::string SheetFileName(const std::string& FileName, int Sheet) {
  const size_t slash = FileName.find_last_of("/\\");
  const size_t dot = FileName.rfind('.');
  // A dot that starts the name (".dxf") or lies in a folder's name is no extension.
  const bool extension =
      dot != std::string::npos && dot > 0 && (slash == std::string::npos || dot > slash + 1);
  const size_t at = extension ? dot : FileName.size();
  return FileName.substr(0, at) + "-" + std::to_string(Sheet + 1) + FileName.substr(at);
}

std::vector<std::string> LayoutFileNames(const std::string& FileName, int Sheets,
                                         const TLayoutWriteOptions& Options) {
  if (!Options.SheetFiles) return {FileName};
  std::vector<std::string> names;
  for (int j = 0; j < Sheets; ++j) names.push_back(SheetFileName(FileName, j));
  return names;
}

bool WriteLayout(const std::string& FileName, const TNestedLayout& Layout,
                 const TLayoutWriteOptions& Options, std::string& Error) {
  const TLayoutFormat format = FormatOf(FileName);
  const TCurveForm curves = CurveFormOf(FileName, Options);
  const int sheets = static_cast<int>(Layout.Sheets.size());
  const std::vector<std::string> names = LayoutFileNames(FileName, sheets, Options);
  if (names.empty()) {
    Error = "The layout has no sheet to write a file for.";
    return false;
  }
  std::vector<std::string> texts(names.size());
  for (size_t k = 0; k < names.size(); ++k) {
    const bool built =
        Options.SheetFiles
            ? BuildText(format, SheetAlone(Layout, static_cast<int>(k)), curves, texts[k], Error)
            : BuildText(format, Layout, curves, texts[k], Error);
    if (!built) return false;
  }
  for (size_t k = 0; k < names.size(); ++k) {
    if (!WriteFileAtomically(names[k], texts[k], Error)) return false;
  }
  return true;
}

bool WriteLayoutFile(const std::string& FileName, const TNestedLayout& Layout, std::string& Error) {
  return WriteLayout(FileName, Layout, TLayoutWriteOptions{}, Error);
}

}  // namespace plavo
