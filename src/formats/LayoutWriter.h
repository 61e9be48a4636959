// The one way to save a nested layout: the file name's extension picks the writer (".svg" SVG,
// ".dxf" DXF, anything else Illustrator 8), so the window and the command line write alike.
#pragma once

#include <optional>
#include <string>

#include "geometry/NestedLayout.h"

namespace plavo {

enum class TLayoutFormat { Illustrator, Svg, Dxf };

// The format a layout file is written in: from the extension, letter case aside; none when the
// name ends in none of ".ai", ".svg" and ".dxf".
std::optional<TLayoutFormat> LayoutFormatOf(const std::string& FileName);

// Writes Layout to FileName in the format of its extension (Illustrator 8 when it has none of
// ours) through a temporary file. False with a message on failure; an existing file is then
// left unchanged.
bool WriteLayoutFile(const std::string& FileName, const TNestedLayout& Layout, std::string& Error);

}  // namespace plavo
