// Shape analysis before placement: flattening, simplification, net area, characteristic
// points, base orientation, trial angles, colour groups and the distance disc.
#pragma once

#include "nesting/MosaroUnit.h"

namespace plavo {

// The largest minimum distance the analysis accepts (the window allows 1 .. 100); above it the
// distance disc alone would need gigabytes, so AnalyzeShapes sets the error flag instead.
constexpr int kMaxNestDistance = 1000;

void AnalyzeShapes(TEngineState& E);

// The steps, exposed for tests.
void BuildDiscOffsets(TEngineState& E);
bool FlattenSubPaths(TEngineState& E, int i, int Limit, double Tolerance);
void ComputeNetArea(TEngineState& E, int i);
void SimplifyNodes(TEngineState& E, int i, int j, double x);
void FindCpsPoints(TEngineState& E, int i);
void FindOptimalAngle(TEngineState& E, int i);
void BuildColorOrder(TEngineState& E);

}  // namespace plavo
