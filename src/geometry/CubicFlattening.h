// Flattening a cubic Bezier into a polyline that stays within a tolerance of the curve: the
// polyline the layout check measures and the engine keeps apart, so both judge one outline.
#pragma once

#include <vector>

#include "geometry/ShapesClass.h"

namespace plavo {

// How closely an outline as cut follows its curves, mm: far below what the layout check reports
// and what the engine keeps.
constexpr double kCutFlatness = 0.01;

// Appends the polyline of a cubic (start point excluded) within Tolerance of the curve. Every
// point it adds lies on the curve.
void FlattenCubicInto(std::vector<TNodeSimple>& Points, TNodeSimple P1, TNodeSimple P2,
                      TNodeSimple P3, TNodeSimple P4, double Tolerance);

}  // namespace plavo
