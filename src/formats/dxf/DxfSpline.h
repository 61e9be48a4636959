// B-spline curves of DXF SPLINE entities as cubic Beziers: a clamped, non-rational spline of
// degree 1 to 3 is split at its knots exactly; any other (rational, periodic, higher degree)
// is followed by straight pieces within a tolerance.
#pragma once

#include <vector>

#include "geometry/DrawingPath.h"

namespace plavo {

struct TBSpline {
  int Degree = 3;
  std::vector<double> Knots;
  std::vector<TNodeSimple> Controls;
  std::vector<double> Weights;  // empty, or one per control point
};

// Whether the knots, controls and weights fit together (counts, order, positive weights).
bool ValidSpline(const TBSpline& S);

// The spline as cubics (in its own units). Tolerance bounds the distance of the straight
// pieces from the curve where the spline cannot be converted exactly. An invalid spline gives
// nothing. Sampling stops once it has made more than MaxCubics pieces, so a spline drawn far
// finer than its tolerance can follow costs no more than the reader may spend on it.
std::vector<TCubic> SplineCubics(const TBSpline& S, double Tolerance, size_t MaxCubics);

}  // namespace plavo
