// One nesting run as the window, the command-line tool and the tests all make it, and the
// figures that sum up its outcome.
#pragma once

#include <string>
#include <vector>

#include "geometry/ShapesClass.h"
#include "nesting/result/LayoutCheck.h"
#include "nesting/model/MosaroUnit.h"
#include "nesting/prepare/RunPreparation.h"

namespace plavo {

// Runs ResetRun, ReadParameters, ChooseApproximation, AnalyzeShapes and PlaceAll in this order,
// under E's control as it stands (its host clears a stop left from an earlier run).
// ReadParameters may exchange a container into record and shape 0. A failure that escapes a
// step sets the error flag. Returns !E.ErrorFlag().
bool RunNesting(TEngineState& E, const TNestSettings& Settings, TQarvShapes& Shapes);

struct TNestPlacementReport {
  int Index = 0;  // the drawing's shape
  int Copy = 0;   // which copy of it (0 the first)
  bool Placed = false;
  bool LeftOut = false;    // left out on purpose ("Process shape" unticked)
  bool Container = false;  // the container the others were nested into
  int Sheet = 0;           // Place.sheetNo
  int X = 0;               // Place.x, the centre cell
  int Y = 0;               // Place.y
  double Angle = 0.0;      // OptimalAngle + Place.a, in degrees
};

struct TNestReport {
  int Shapes = 0;
  int Placed = 0;  // the container counts as placed
  int Unplaced = 0;
  int Sheets = 0;                // sheets up to the last one holding a shape (UsedSheetCount)
  std::vector<int> UsedHeights;  // per sheet: the largest TopY of its shapes (SheetTopsOf)
  double PlacedArea = 0.0;       // sum of Original.Scale of the placed shapes, mm2
  double Utilisation = 0.0;      // PlacedArea / (Sheets * Media_W * Media_H)
  double HeightDensity = 0.0;    // PlacedArea / sum of Media_W * UsedHeights
  double Seconds = 0.0;
  // One per record, in the order of the shapes, each shape's copies in their order.
  std::vector<TNestPlacementReport> Placements;
  TLayoutCheck Check;  // the layout as cut: smallest gap and overhang (CheckLayout)
};

TNestReport ComputeNestReport(const TOneNestingResult& R, double Seconds);

// The parts of a run (every copy of every shape but the container and the shapes left out on
// purpose), how many were placed, and per shape the copies that found no place.
struct TUnplacedCopies {
  int Shape = 0;
  int Copies = 0;
};
struct TPartsSummary {
  int Parts = 0;
  int Placed = 0;
  std::vector<TUnplacedCopies> Unplaced;  // in the order of the shapes
};
TPartsSummary SummariseParts(const TNestReport& R);
// "placed 118 of 120 parts, 2 copies of shape 3 did not fit" (the first few shapes named).
std::string PartsSummaryText(const TPartsSummary& S);

}  // namespace plavo
