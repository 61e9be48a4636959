// Writer of a nested result as a DXF drawing (AutoCAD 2000, millimetres) for laser and CNC
// software: every placed shape's paths as LWPOLYLINEs with curves flattened within 0.01 mm, the
// shapes of each sheet on their own layer ("SHEET_1", "SHEET_2", ...), and the sheet outlines on
// the layer "SHEET_OUTLINES", which is marked not to plot, so the outlines show in CAD but are
// neither cut nor read back as parts.
#pragma once

#include <string>

#include "geometry/ShapesClass.h"
#include "geometry/NestedLayout.h"

namespace plavo {

// Millimetres within which the written polylines follow the curves.
inline constexpr double kDxfFlatness = 0.005;

// Writes Layout to FileName through a temporary file. False with a message on failure; an
// existing file is then left unchanged.
bool WriteDxfFile(const std::string& FileName, const TNestedLayout& Layout, std::string& Error);
// The text WriteDxfFile writes.
bool BuildDxfText(const TNestedLayout& Layout, std::string& Text, std::string& Error);

}  // namespace plavo
