// Measures a nested layout as it will be cut: the smallest distance between two placed shapes
// on one sheet, and the farthest any placed shape reaches beyond its sheet or outside the
// container. Works on plain polylines in layout millimetres, so it judges the outlines that are
// written, not the raster the engine placed them with.
#pragma once

#include <vector>

#include "geometry/CubicFlattening.h"
#include "geometry/ShapesClass.h"

namespace plavo {

// A gap with no two shapes to measure it between.
constexpr double kNoGap = 2147483647.0;

// What the program promises for every layout, mm: two placed shapes on a sheet are at least the
// minimum distance apart, and no shape reaches beyond its sheet (or outside the container), each
// measured on the outlines as written, flattened within kCutFlatness, to within these. The
// engine keeps its own flattening of the same outlines apart (CutOutline.h), so the figures
// here only cover rounding.
constexpr double kGapAllowance = 0.01;
constexpr double kOverhangAllowance = 0.01;

// One path of a placed shape, finely flattened. A closed ring need not repeat its first point.
struct TCheckRing {
  std::vector<TNodeSimple> Points;
  bool Closed = true;
  bool Hole = false;  // a hole of the shape: empty inside unless another ring says otherwise
};

struct TCheckShape {
  int Index = 0;  // the shape's index in the drawing, reported back
  int Sheet = 0;
  std::vector<TCheckRing> Rings;
};

struct TLayoutCheckInput {
  std::vector<TCheckShape> Shapes;  // the placed shapes, the container left out
  std::vector<TRectDbl> Sheets;     // each sheet's usable rectangle in the layout
  bool AllowInside = false;         // a shape in another's hole is placed there on purpose
  bool HasContainer = false;
  TCheckShape Container;  // with HasContainer: the shapes must stay inside it
};

struct TLayoutCheck {
  double MinGap = kNoGap;  // 0 when two shapes touch or overlap
  int GapShapes[2] = {-1, -1};
  double Overhang = 0.0;  // beyond the sheet, or outside the container
  int OverhangShape = -1;
};

TLayoutCheck CheckLayoutGeometry(const TLayoutCheckInput& Input);

}  // namespace plavo
