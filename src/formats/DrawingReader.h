// The one way to open a drawing: the file's content picks the reader (an Illustrator 8 file by
// its PostScript or DOS EPS signature, SVG by an XML document with an svg root, DXF by its
// group codes), so a misnamed file still opens. Every reader fills the same shape collection.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "core/EngineHost.h"
#include "core/ReadProblem.h"
#include "geometry/ShapesClass.h"

namespace plavo {

enum class TDrawingFormat { Illustrator, Svg, Dxf };

// The format of a drawing from its first bytes. Whatever is neither SVG nor DXF goes to the
// Illustrator reader, which finds its signature on any line or reports the file unreadable.
TDrawingFormat DetectDrawingFormat(std::string_view Head);

// As LoadAIFile, for every format: replaces Shapes (empty on failure), moves Progress to 70 while
// reading and back to 0, and shows "Error opening file!" through Messages for a missing,
// unreadable or malformed file, anything but a regular file, a file over 1 GB or a drawing over
// its segment budget (false then, with the reason in Problem). What the drawing holds that
// cannot be nested (text, shapes beyond the integer range) is left out with a warning, as are
// the end of a file cut short, a block's inserts of itself and groups nested too deep (see
// ReadNotes.h).
bool LoadDrawingFile(const std::string& FileName, std::unique_ptr<TQarvShapes>& Shapes,
                     TProgressSink& Progress, TMessageSink& Messages, TReadProblem& Problem);
bool LoadDrawingFile(const std::string& FileName, std::unique_ptr<TQarvShapes>& Shapes,
                     TProgressSink& Progress, TMessageSink& Messages);
bool LoadDrawingBytes(std::string_view Bytes, std::unique_ptr<TQarvShapes>& Shapes,
                      TProgressSink& Progress, TMessageSink& Messages, TReadProblem& Problem);

}  // namespace plavo
