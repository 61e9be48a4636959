// A placed path as the points a writer puts down: its cubics flattened, the polyline a plain
// DXF holds, or the lines and arcs CAM software takes; and the same as points for measuring,
// so the layout check judges the outline as it is written.
#pragma once

#include <vector>

#include "geometry/CubicFlattening.h"
#include "geometry/NestedLayout.h"

namespace plavo {

// How a writer draws a path's curves: as cubics (Illustrator, SVG), as a polyline, or as lines
// and arcs (DXF).
enum class TCurveForm { Cubics, Polyline, Arcs };

// Millimetres within which written polylines follow the curves, and written arcs.
inline constexpr double kPolylineFlatness = 0.005;
inline constexpr double kArcFitTolerance = 0.01;

// The vertices of Path as a polyline within Flatness of its curves; a closed path does not
// repeat its first vertex, and a gap between segments is bridged by a line.
std::vector<TNodeSimple> PolylineVertices(const TPlacedPath& Path, double Flatness);

// Path as Form writes it, as points: curves (cubics or arcs) flattened within Tolerance,
// written polyline vertices as they are. A closed path does not repeat its first point.
std::vector<TNodeSimple> WrittenPathPoints(const TPlacedPath& Path, TCurveForm Form,
                                           double Tolerance);

}  // namespace plavo
