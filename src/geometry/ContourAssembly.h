// Turns the loose paths of a CAD-style drawing into shapes: pieces that meet end to end are
// joined into chains, a chain whose ends meet becomes a closed contour, and closed contours are
// grouped by containment, so an outline drawn as a dozen lines and arcs with two cut-outs nests
// as one part.
#pragma once

#include <vector>

#include "geometry/DrawingPath.h"
#include "geometry/ShapesClass.h"

namespace plavo {

// Ends closer than this (millimetres) are joined.
inline constexpr double kJoinTolerance = 0.01;

// Joins the open paths end to end within Tolerance (reversing pieces as needed); closed paths
// are kept as they are. A joined chain whose ends meet within Tolerance is closed exactly.
// Each result carries the smallest index of the input paths it was made from in Order.
struct TJoinedPath {
  TDrawingPath Path;
  size_t Order = 0;
};
std::vector<TJoinedPath> JoinPaths(std::vector<TDrawingPath> Paths, double Tolerance);

// Joins the paths and adds one shape per outer contour to Shapes: the contours directly inside
// it are its holes; a contour inside a hole starts a shape of its own. A chain that stays open
// and lies inside a closed contour marks that part (engraving, a bend line) and becomes an open
// path of its shape, after the holes; one that lies in no contour is a shape of its own. A shape
// takes the colour of its outer contour. Shapes are added in the order in which their first
// piece came, and the collection's box is brought up to date. A shape with a point beyond the
// integer units (PathFitsUnits) is left out: OutOfRange gets the numbers of those, counted from
// 1 in that order. Returns the number of open chains that became shapes of their own.
int AssembleShapes(std::vector<TDrawingPath> Paths, double Tolerance, TQarvShapes& Shapes,
                   std::vector<size_t>& OutOfRange);

}  // namespace plavo
