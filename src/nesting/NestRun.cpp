#include "nesting/NestRun.h"

#include <numbers>

#include "nesting/PlacementDriver.h"
#include "nesting/ResultLayout.h"
#include "nesting/ShapeAnalysis.h"

namespace plavo {

bool RunNesting(TEngineState& E, const TNestSettings& Settings, TQarvShapes& Shapes) {
  // A stop pressed after the previous run ended must not cut the new one short.
  E.StopRequest.Set(false);
  E.SkipSearch.Set(false);
  E.FlattenAbort.Set(false);
  try {
    ResetRun(E);
    ReadParameters(E, Settings, Shapes);
    ChooseApproximation(E);
    AnalyzeShapes(E);
    PlaceAll(E);
  } catch (...) {
    // The driver turns its own failures into the error flag; this catches the steps before it,
    // so a caller never sees an exception from a run.
    E.ErrorFlag = true;
  }
  return !E.ErrorFlag;
}

long long TNestReport::TotalUsedHeight() const {
  long long sum = 0;
  for (int h : UsedHeights) sum += h;
  return sum;
}

namespace {

double Ratio(double Numerator, double Denominator) {
  return Denominator > 0.0 ? Numerator / Denominator : 0.0;
}

TNestPlacementReport PlacementOf(const TNestOneRec& r, int Index) {
  TNestPlacementReport p;
  p.Index = Index;
  p.Placed = r.Place.placed;
  p.Sheet = r.Place.sheetNo;
  p.X = r.Place.x;
  p.Y = r.Place.y;
  p.Angle = r.OptimalAngle + r.Place.a * 180.0 / std::numbers::pi;
  return p;
}

}  // namespace

TNestReport ComputeNestReport(const TEngineState& E, double Seconds) {
  TNestReport R;
  R.Seconds = Seconds;
  R.Shapes = static_cast<int>(E.NestRecords.Shape.size());
  R.Placements.reserve(E.NestRecords.Shape.size());
  for (int i = 0; i < R.Shapes; ++i) {
    const TNestOneRec& r = E.NestRecords.Shape[static_cast<size_t>(i)];
    R.Placements.push_back(PlacementOf(r, i));
    if (!r.Place.placed) continue;
    ++R.Placed;
    R.PlacedArea += r.Original.Scale;
  }
  R.Unplaced = R.Shapes - R.Placed;
  R.Sheets = UsedSheetCount(E);
  double usedArea = 0.0;
  for (int j = 0; j < R.Sheets; ++j) {
    R.UsedHeights.push_back(SheetUsedTop(E, j));
    usedArea += static_cast<double>(E.NestParams.Media_W) * R.UsedHeights.back();
  }
  const double sheetArea = static_cast<double>(E.NestParams.Media_W) * E.NestParams.Media_H;
  R.Utilisation = Ratio(R.PlacedArea, R.Sheets * sheetArea);
  R.HeightDensity = Ratio(R.PlacedArea, usedArea);
  return R;
}

}  // namespace plavo
