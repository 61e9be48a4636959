// The one way to open a drawing: the file's content picks the reader (an Illustrator 8 file by
// its PostScript or DOS EPS signature, SVG by an XML document with an svg root, DXF by its
// group codes), so a misnamed file still opens. Every reader fills the same shape collection.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "geometry/ShapesClass.h"
#include "core/EngineHost.h"

namespace plavo {

enum class TDrawingFormat { Illustrator, Svg, Dxf };

// The format of a drawing from its first bytes. Whatever is neither SVG nor DXF goes to the
// Illustrator reader, which finds its signature on any line or reports the file unreadable.
TDrawingFormat DetectDrawingFormat(std::string_view Head);

// As LoadAIFile, for every format: replaces Shapes (empty on failure), moves Progress to 70 while
// reading and back to 0, and shows "Error opening file!" through Messages for a missing,
// unreadable or malformed file, or anything but a regular file (false then). What the drawing
// holds that cannot be nested (text, shapes beyond the integer range) is left out with a
// warning, as is the end of a file cut short (see ReadNotes.h).
bool LoadDrawingFile(const std::string& FileName, std::unique_ptr<TQarvShapes>& Shapes,
                     TProgressSink& Progress, TMessageSink& Messages);
bool LoadDrawingBytes(std::string_view Bytes, std::unique_ptr<TQarvShapes>& Shapes,
                      TProgressSink& Progress, TMessageSink& Messages);

}  // namespace plavo
