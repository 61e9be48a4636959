// Reader of ASCII DXF drawings (R12 to current) into the shape collection: lines, arcs,
// circles, ellipses, polylines with bulges, splines and block inserts of the model space, in
// their layer and entity colours, scaled to millimetres by $INSUNITS. Loose pieces are joined
// into closed contours and contours inside others become holes (see ContourAssembly.h).
#pragma once

#include <string_view>

#include "core/EngineHost.h"
#include "formats/ReadNotes.h"
#include "geometry/ShapesClass.h"

namespace plavo {

// Adds the drawing's shapes to Shapes. False when the group stream is broken (a code line that
// is no number, as in a binary or damaged file) or the drawing would expand beyond what can be
// read safely (blocks nested deeper than 16, billions of array copies, splines sampled beyond
// the segment budget). A file without its EOF record is read as far as it goes and noted, as
// are a block's inserts of itself and shapes beyond the integer units (both left out). Progress
// runs to 70.
bool ReadDxfDrawing(std::string_view Bytes, TQarvShapes& Shapes, TProgressSink& Progress,
                    TReadNotes& Notes);

// Millimetres per drawing unit for a $INSUNITS value; 1 (millimetres) for none or unknown.
double DxfUnitMm(int64_t InsUnits);
// The colour value (red in the low byte) of an AutoCAD colour index 1..255; black otherwise.
int32_t DxfIndexColor(int Index);

}  // namespace plavo
