// The one way to save a nested layout: the file name's extension picks the writer (".svg" SVG,
// ".dxf" DXF, anything else Illustrator 8), so the window and the command line write alike.
// Every writer puts sheet 1's lower-left corner at (0, 0) (NestedLayoutOf does); with one file
// per sheet each file holds its sheet there.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "geometry/NestedLayout.h"
#include "geometry/PathFlattening.h"

namespace plavo {

enum class TLayoutFormat { Illustrator, Svg, Dxf };

// How a layout is saved, beyond its format.
struct TLayoutWriteOptions {
  bool SheetFiles = false;    // one file per sheet: NAME-1.EXT, NAME-2.EXT, ...
  bool DxfPolylines = false;  // DXF curves as plain polylines instead of lines and arcs
};

// The format a layout file is written in: from the extension, letter case aside; none when the
// name ends in none of ".ai", ".svg" and ".dxf".
std::optional<TLayoutFormat> LayoutFormatOf(const std::string& FileName);

// How the file FileName draws curves, which is what the layout check measures.
TCurveForm CurveFormOf(const std::string& FileName, const TLayoutWriteOptions& Options);

// The name of sheet Sheet's own file (counted from 0): "-" and its number before the extension,
// "cut.dxf" giving "cut-1.dxf".
std::string SheetFileName(const std::string& FileName, int Sheet);
// The files a save of a layout with Sheets sheets writes: FileName, or one per sheet.
std::vector<std::string> LayoutFileNames(const std::string& FileName, int Sheets,
                                         const TLayoutWriteOptions& Options);

// Writes Layout to FileName (or to its sheet files) in the format of its extension (Illustrator 8
// when it has none of ours), each file through a temporary file. Every text is made before the
// first file is written. False with a message on failure; a file not yet written is then left
// unchanged.
bool WriteLayout(const std::string& FileName, const TNestedLayout& Layout,
                 const TLayoutWriteOptions& Options, std::string& Error);
// WriteLayout with the default options: one file, DXF curves as arcs.
bool WriteLayoutFile(const std::string& FileName, const TNestedLayout& Layout, std::string& Error);

}  // namespace plavo
