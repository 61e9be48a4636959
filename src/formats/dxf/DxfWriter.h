// Writer of a nested result as a DXF drawing (AutoCAD 2000, millimetres) for laser and CNC
// software: every placed shape's paths as LWPOLYLINEs of lines and arcs (bulges) fitted within
// 0.01 mm, or flattened to plain polylines on request; the shapes of each sheet on their own
// layer ("SHEET_1", "SHEET_2", ...), markings inside a part (IsMarking) on "SHEET_1_ENGRAVE",
// ...; and the sheet outlines on the layer "SHEET_OUTLINES", which is marked not to plot, so the
// outlines show in CAD but are neither cut nor read back as parts.
#pragma once

#include <string>

#include "geometry/NestedLayout.h"
#include "geometry/PathFlattening.h"

namespace plavo {

// Writes Layout to FileName through a temporary file, its curves as Curves says (Arcs, or
// Polyline within kPolylineFlatness). False with a message on failure; an existing file is then
// left unchanged.
bool WriteDxfFile(const std::string& FileName, const TNestedLayout& Layout, std::string& Error,
                  TCurveForm Curves = TCurveForm::Arcs);
// The text WriteDxfFile writes.
bool BuildDxfText(const TNestedLayout& Layout, std::string& Text, std::string& Error,
                  TCurveForm Curves = TCurveForm::Arcs);

}  // namespace plavo
