// The outline as cut: each record's outline as the writers put it on the sheet, flattened as the
// layout check flattens it, and the raster cells it covers at each trial angle. The distance
// the user sets is kept on these outlines, so the cells that stand for them are conservative:
// a cell belongs to a shape when any point of its square does.
#pragma once

#include <cstdint>
#include <vector>

#include "nesting/model/MosaroUnit.h"

namespace plavo {

// One path of the outline: points in mm from the record's centre. A closed ring does not repeat
// its first point.
struct TCutRing {
  std::vector<TBezierNode> Points;
  bool Closed = true;
  bool Hole = false;  // a closed path the drawing marks as a hole
};

// The cells Low .. High of one column.
struct TCellRun {
  int32_t Column = 0;
  int32_t Low = 0;
  int32_t High = 0;
};

// A record's outline at one trial angle.
struct TCutAngle {
  std::vector<TCutRing> Rings;  // turned to the angle
  // The cells the shape covers (its drawing before the distance is added), in cells from the
  // centre's cell; the position search tests these.
  std::vector<TCellRun> Cells;
  TNestRectInt Box;  // of those cells
  // How far, mm, the outline the layout check measures may lie from these rings (CellCover.h);
  // the cells cover the rings widened by it.
  double Pad = 0.0;
};

}  // namespace plavo
