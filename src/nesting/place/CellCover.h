// Which raster cells a shape's outline covers, conservatively. Cell k of a raster covers the
// closed square [k - 0.5, k + 0.5] (a node goes to its nearest cell), and a cell counts when any
// point of its square lies within a radius of the outline. Two shapes whose cells miss each
// other's cells widened by the distance are then at least the distance apart on the outlines
// themselves, whatever the rounding.
#pragma once

#include <vector>

#include "geometry/CubicFlattening.h"
#include "nesting/model/BooleanMatrix.h"
#include "nesting/model/CutOutline.h"

namespace plavo {

// How far, mm, the outline the layout check measures may lie from the outline as cut, beyond
// the flattening: the check's points are moved onto the sheet after the turn, and a rectangle of
// the approximations turns its corners where the check turns curve points (each on its own
// 1/10000 mm direction). Outlines are widened by this, and curved ones by kCutFlatness too.
constexpr double kCutSlop = 0.001;

// Appends the cells within R of segment P-Q (closed squares), one run per column, columns in
// ascending order. Points are in cells of the raster the runs belong to.
void AddSegmentCells(TBezierNode P, TBezierNode Q, double R, std::vector<TCellRun>& Runs);

// The same decided one cell at a time: whether the square of cell (u, v) lies within R of P-Q.
bool CellNearSegment(int u, int v, TBezierNode P, TBezierNode Q, double R);

// Marks every cell of L within R of an edge of the rings, whose points are mm from Origin
// (a point of L in cells). Plain decides cell by cell, for checking the fast form.
void MarkOutlineCells(TBooleanMatrix& L, const std::vector<TCutRing>& Rings, TBezierNode Origin,
                      double R, bool Plain = false);

// Toggles, in L (and in F when not null), the first cell of each row whose centre lies right of
// the point where a row's centre line crosses the closed ring: after XorFillRows every cell
// whose centre lies inside the ring (even-odd) is toggled once.
void ToggleRingCrossings(TBooleanMatrix& L, TBooleanMatrix* F, const TCutRing& Ring,
                         TBezierNode Origin);

// The occupied cells of L as runs, column by column, in cells from L's cell (CX, CY).
std::vector<TCellRun> OccupiedRuns(const TBooleanMatrix& L, int CX, int CY);

}  // namespace plavo
