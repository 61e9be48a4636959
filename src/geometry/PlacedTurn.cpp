#include "geometry/PlacedTurn.h"

#include <cmath>

#include "geometry/QarvMath.h"
#include "geometry/Units.h"

namespace plavo {

TNodeSimple TurnAbout(TNodeSimple P, TNodeSimple Centre, double Theta) {
  const double px = P.X - Centre.X;
  const double py = P.Y - Centre.Y;
  const double r = std::hypot(px, py);
  // The direction is taken on the engine's 1/10000 mm grid with the engine's direction angle, as
  // the engine turns its nodes, so the shown outline matches the outline that was placed (a
  // point within 1/10000 mm of the centre points straight down). std::trunc rather than an
  // integer cast keeps coordinates beyond the 32-bit grid well defined.
  const double phi =
      LineAngle(0.0, 0.0, std::trunc(px * kUnitsPerMm), std::trunc(py * kUnitsPerMm));
  return TNodeSimple{r * std::cos(phi + Theta), r * std::sin(phi + Theta)};
}

}  // namespace plavo
