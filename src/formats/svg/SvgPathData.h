// The path data of SVG (the d attribute of path, the points of polyline and polygon): every
// command of M L H V C S Q T A Z in absolute and relative form, with quadratics and elliptical
// arcs turned into cubics.
#pragma once

#include <string_view>
#include <vector>

#include "formats/ReadNotes.h"
#include "geometry/DrawingPath.h"

namespace plavo {

// The subpaths of Data in user units. Reading stops at the first error and keeps what came
// before it, as SVG viewers draw a path up to its first error. Scale is the stretch from user
// units to millimetres, so arcs are split finely enough for their size on the page. Every
// segment is charged to Budget as it is built; reading stops when the budget runs out.
std::vector<TDrawingPath> ParseSvgPathData(std::string_view Data, double Scale,
                                           TSegmentBudget& Budget);

// The numbers of a list such as the points attribute; reading stops at the first non-number.
std::vector<double> ParseSvgNumberList(std::string_view Text);

// The endpoint form of an SVG arc turned into cubics appended to Out. Zero radii make a line.
void AppendSvgArc(std::vector<TCubic>& Out, TNodeSimple From, double Rx, double Ry,
                  double RotationDegrees, bool LargeArc, bool Sweep, TNodeSimple To, double Scale);

}  // namespace plavo
