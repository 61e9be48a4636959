// Reader of SVG drawings (Inkscape, browsers, clip art) into the shape collection. An element
// outside any group is one shape; a top-level group with all it holds is one shape. The page's
// lower-left corner becomes the origin, Y up, in millimetres.
#pragma once

#include <string_view>

#include "core/EngineHost.h"
#include "formats/ReadNotes.h"
#include "geometry/ShapesClass.h"

namespace plavo {

// Adds the drawing's shapes to Shapes. False when Bytes hold no well-formed XML document with
// an svg root, or one that expands beyond its segment budget (noted). A document cut short is
// read as far as it goes and noted, as are groups nested too deep and shapes beyond the integer
// units (both left out). Progress runs to 70.
bool ReadSvgDrawing(std::string_view Bytes, TQarvShapes& Shapes, TProgressSink& Progress,
                    TReadNotes& Notes);

}  // namespace plavo
