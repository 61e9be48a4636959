// The layout check of a nested result: the placed shapes' own outlines, moved onto their sheets
// exactly as the writers move them and finely flattened, measured by CheckLayoutGeometry.
#pragma once

#include "geometry/ShapesClass.h"
#include "nesting/result/LayoutCheck.h"
#include "nesting/model/MosaroUnit.h"

namespace plavo {

// How closely the check follows curves, mm: the flattening of the outline as cut, which the
// engine keeps apart.
constexpr double kCheckTolerance = kCutFlatness;

// The check's input for result R of the drawing Shapes. In container mode record 0 is the
// container. A result of another drawing gives an empty input.
TLayoutCheckInput LayoutCheckInput(const TQarvShapes& Shapes, const TOneNestingResult& R);
TLayoutCheck CheckLayout(const TQarvShapes& Shapes, const TOneNestingResult& R);

}  // namespace plavo
