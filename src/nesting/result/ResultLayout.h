// Where a nested result puts things: each placed shape moved and turned onto its sheet in the
// block layout, the shapes that found no place lined up in a row above the sheets, and every
// used sheet's outline with its used height. The preview and the writers share these routines,
// so a saved file shows exactly what the window shows.
#pragma once

#include <optional>
#include <vector>

#include "geometry/NestedLayout.h"
#include "geometry/ShapesClass.h"
#include "nesting/model/MosaroUnit.h"

namespace plavo {

// Moves a point of a shape onto its place: take away the centre of the shape's bounding box,
// turn by Theta around it, add the sheet's Position and the placement's centre cell.
struct TPlacementTransform {
  double CenterX = 0.0;
  double CenterY = 0.0;
  double Theta = 0.0;  // OptimalAngle (degrees) turned into radians, plus Place.a
  double OffsetX = 0.0;
  double OffsetY = 0.0;
};

struct TSheetOutline {
  TBezierNode Position;  // lower left corner in the block layout, mm
  double Width = 0.0;    // Media_W
  double Height = 0.0;   // Media_H
  int UsedTop = 0;       // largest TopY of the shapes placed on the sheet; 0 when none
  double UsedHeight =
      0.0;  // UsedTop + 1 capped at Height, 0 for an empty sheet: the crossed-out line
  bool HasShape = false;
};

// Where the row of unplaced shapes puts record Index: add Shift to each point of its shape.
struct TUnplacedSlot {
  int Index = 0;
  TNodeSimple Shift;
  bool LeftOut = false;  // left out on purpose, not a shape that found no place
};

// Whether record i was left out of R's run on purpose.
bool LeftOutOf(const TOneNestingResult& R, size_t i);
// True when R can be drawn with Shapes: one ShapeIndex, placement and angle per record, and
// every ShapeIndex names a shape of Shapes.
bool ResultFitsDrawing(const TQarvShapes& Shapes, const TOneNestingResult& R);
// The shape record i of R stands for; null when R does not fit Shapes or i names no record.
const TQarvOneShape* RecordShape(const TQarvShapes& Shapes, const TOneNestingResult& R, int i);

// The transform of record i onto its sheet. False when the record is not placed, or names a
// sheet that does not exist, or R does not fit Shapes.
bool PlacementTransform(const TQarvShapes& Shapes, const TOneNestingResult& R, int i,
                        TPlacementTransform& T);
TNodeSimple PlacePoint(const TPlacementTransform& T, TNodeSimple P);
TPlacedSegment PlaceSegment(const TPlacementTransform& T, const TQarvOneSegment& Segment);
// Every path of Shape that has segments, moved by T.
std::vector<TPlacedPath> PlaceShapePaths(const TPlacementTransform& T, const TQarvOneShape& Shape);

// The number of sheets the layout shows: the largest sheetNo among the placed records plus 1
// (0 when nothing is placed). Trailing sheets without shapes are not shown.
int UsedSheetCount(const TOneNestingResult& R);
// The largest TopY among the records placed on sheet j; 0 when none is.
int SheetUsedTop(const TOneNestingResult& R, int j);
// Outline of sheet j, which must exist in R.Block.
TSheetOutline SheetOutline(const TOneNestingResult& R, int j);
// The unplaced records in the order of their shapes, lined up from the leftmost used sheet's x,
// one block distance above the highest used sheet's top; the records left out on purpose follow
// those that found no place. Empty when nothing is placed.
std::vector<TUnplacedSlot> UnplacedRow(const TQarvShapes& Shapes, const TOneNestingResult& R);
// The box around every point (control points included) of the placed shapes and the outlines
// of the used sheets in the written layout (NestedLayoutOf). The empty box when nothing is placed.
TRectDbl LayoutBounds(const TQarvShapes& Shapes, const TOneNestingResult& R);
// The layout the writers write: the used sheets and the placed shapes on them, moved as one so
// that sheet 1's lower-left corner lies at (0, 0) (AtMachineZero). None when R does not fit
// Shapes.
std::optional<TNestedLayout> NestedLayoutOf(const TQarvShapes& Shapes, const TOneNestingResult& R);

}  // namespace plavo
