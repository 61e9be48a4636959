// Settling a layout on the outlines as cut. The raster the engine places with keeps the distance
// conservatively: a cell counts as a shape's when any point of it does, so two neighbours stand
// up to two cells farther apart than the distance asks, and a shape up to a cell and a half
// farther from the sheet's edge. Settling gives that back where it can: each placed shape,
// lowest first, moves down and toward the side the search starts from, a cell at a time, as long
// as its outline keeps the distance to every other and the edge padding, measured exactly as the
// layout check measures them.
#pragma once

#include "geometry/ShapesClass.h"
#include "nesting/model/MosaroUnit.h"

namespace plavo {

class TNestControl;

// Settles result R of the drawing Shapes in place: placements and their tops move, the sheets
// stay. A container layout, or one whose colour groups must not mix, is left as it is; so is a
// sheet holding a shape of very many segments, and everything left when Control asks to stop.
void SettleLayout(const TQarvShapes& Shapes, TOneNestingResult& R, const TExactLengths& Exact,
                  const TNestControl* Control = nullptr);

}  // namespace plavo
