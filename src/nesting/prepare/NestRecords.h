// Nesting records from the drawing: one record per shape with its three outlines.
#pragma once

#include "geometry/ShapesClass.h"
#include "nesting/model/MosaroUnit.h"

namespace plavo {

// Approximates the collection and builds one record per shape. Returns the file-ready flag
// (true unless building some record failed).
bool BuildNestRecords(TEngineState& E, TQarvShapes& Shapes);
// 2 for a text-like shape (many outer contours of about the same size), else 1.
int AnalyzeTextLikeness(const TEngineState& E, int i);

}  // namespace plavo
