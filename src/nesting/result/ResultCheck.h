// The layout check of a nested result: the placed shapes' own outlines, moved onto their sheets
// exactly as the writers move them and drawn as the file they are written to draws them
// (cubics, a polyline, or fitted arcs), finely flattened, measured by CheckLayoutGeometry. Open
// paths of a part with a closed outline (engraving, marking) keep no distance and are left out.
#pragma once

#include "geometry/PathFlattening.h"
#include "geometry/ShapesClass.h"
#include "nesting/result/LayoutCheck.h"
#include "nesting/model/MosaroUnit.h"

namespace plavo {

// How closely the check follows curves, mm: the flattening of the outline as cut, which the
// engine keeps apart.
constexpr double kCheckTolerance = kCutFlatness;

// Record i of R as the check measures it, its curves flattened within Tolerance; false when
// it is not placed or not of Shapes.
bool RecordCheckShape(const TQarvShapes& Shapes, const TOneNestingResult& R, int i, TCurveForm Form,
                      TCheckShape& Out, double Tolerance = kCheckTolerance);

// The check's input for result R of the drawing Shapes. In container mode record 0 is the
// container. A result of another drawing gives an empty input.
TLayoutCheckInput LayoutCheckInput(const TQarvShapes& Shapes, const TOneNestingResult& R,
                                   TCurveForm Form = TCurveForm::Cubics);
TLayoutCheck CheckLayout(const TQarvShapes& Shapes, const TOneNestingResult& R,
                         TCurveForm Form = TCurveForm::Cubics);

}  // namespace plavo
