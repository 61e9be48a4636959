// Drawing placed shapes into their sheet, widened by the minimum distance, and the two
// geometric helpers the engine shares. A shape is drawn from its outline as cut at its placed
// trial angle (CutOutline.h): every cell it covers, and with the distance every cell within the
// distance of its outline (CellCover.h).
#pragma once

#include <vector>

#include "nesting/model/CutOutline.h"
#include "nesting/model/MosaroUnit.h"

namespace plavo {

void DrawPlacedShape(TEngineState& E, int i, bool Dilate, bool Fill, bool Erase);
// DrawPlacedShape(E, i, true, true, false) in two halves: the shape widened by the distance in
// its own frame, which depends only on the record's outline at its placed trial angle (so it
// can be kept and put down again at another place), and putting those cells onto the placed
// sheet at the place. An unplaced record draws nothing.
TBooleanMatrix DrawnCells(TEngineState& E, int i);
void StampDrawnCells(TEngineState& E, int i, const TBooleanMatrix& Cells);
// The shape itself, filled but not widened, in the same frame as DrawnCells.
TBooleanMatrix ShapeCells(TEngineState& E, int i);
// The cells ShapeCells gives for record i at trial angle j, in cells from the centre's cell.
std::vector<TCellRun> ShapeCellRuns(const TEngineState& E, int i, int j);
// The same drawing decided one cell at a time; slow, for checking the fast form.
void DrawPlacedShapePlain(TEngineState& E, int i, bool Dilate, bool Fill, bool Erase);
// Cells a drawing reaches beyond the box of its trial angle on every side.
int FrameMargin(const TEngineState& E);
// Marks in F every cell that the border of the local raster cannot reach through free cells
// of L. F must start all occupied.
void FillEnclosed(const TBooleanMatrix& L, TBooleanMatrix& F);
// Turns the record's nodes and characteristic points to angle A (radians).
void RotateNestShape(TNestOneRec& Rec, double A);
inline void RotateNestShape(TEngineState& E, int i, double A) {
  RotateNestShape(E.NestRecords.Shape[i], A);
}
double DirectionAngle(int x0, int y0, int x1, int y1);

}  // namespace plavo
