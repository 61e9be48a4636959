#include "nesting/result/ResultCheck.h"

#include <utility>

#include "geometry/PathFlattening.h"
#include "nesting/result/ResultLayout.h"

namespace plavo {

namespace {

// Whether the shape's open paths are markings (IsMarking), left out of the check.
bool HasClosedPath(const TQarvOneCurve& Curve) {
  for (int p = 0; p < Curve.PathCount(); ++p) {
    const TQarvOnePath* path = Curve.GetPath(p);
    if (path->SegmentCount() > 0 && path->Closed()) return true;
  }
  return false;
}

TCheckRing CheckRing(const TPlacementTransform& T, const TQarvOnePath& Path, TCurveForm Form,
                     double Tolerance) {
  TPlacedPath placed;
  placed.Closed = Path.Closed();
  for (int k = 0; k < Path.SegmentCount(); ++k) {
    const TSegmentView segment = Path.GetSegment(k);
    placed.Segments.push_back(PlaceSegment(T, *segment));
  }
  TCheckRing ring;
  ring.Closed = placed.Closed;
  ring.Hole = Path.Type_() == -1;
  ring.Points = WrittenPathPoints(placed, Form, Tolerance);
  return ring;
}

TCheckShape CheckShape(const TPlacementTransform& T, const TQarvOneShape& Shape, int Index,
                       int Sheet, TCurveForm Form, double Tolerance) {
  TCheckShape shape;
  shape.Index = Index;
  shape.Sheet = Sheet;
  const TQarvOneCurve* curve = Shape.Curve();
  if (curve == nullptr) return shape;
  const bool markings = HasClosedPath(*curve);
  for (int p = 0; p < curve->PathCount(); ++p) {
    const TQarvOnePath* path = curve->GetPath(p);
    if (path->SegmentCount() == 0 || (markings && !path->Closed())) continue;
    shape.Rings.push_back(CheckRing(T, *path, Form, Tolerance));
  }
  return shape;
}

}  // namespace

bool RecordCheckShape(const TQarvShapes& Shapes, const TOneNestingResult& R, int i, TCurveForm Form,
                      TCheckShape& Out, double Tolerance) {
  TPlacementTransform t;
  if (!PlacementTransform(Shapes, R, i, t)) return false;
  const auto k = static_cast<size_t>(i);
  Out = CheckShape(t, *RecordShape(Shapes, R, i), R.ShapeIndex[k], R.Place[k].sheetNo, Form,
                   Tolerance);
  return true;
}

TLayoutCheckInput LayoutCheckInput(const TQarvShapes& Shapes, const TOneNestingResult& R,
                                   TCurveForm Form) {
  TLayoutCheckInput input;
  if (!ResultFitsDrawing(Shapes, R)) return input;
  input.AllowInside = R.P.PlaceInside_Enable;
  for (const TBlockSingle& sheet : R.Block.Item) {
    const TBezierNode& p = sheet.Position;
    input.Sheets.push_back(TRectDbl::MakeLTRB(p.x, p.y + R.P.Media_H, p.x + R.P.Media_W, p.y));
  }
  for (int i = 0; i < static_cast<int>(R.Place.size()); ++i) {
    TCheckShape shape;
    if (!RecordCheckShape(Shapes, R, i, Form, shape)) continue;
    if (R.P.Media_Container && i == 0) {
      input.HasContainer = true;
      input.Container = std::move(shape);
    } else {
      input.Shapes.push_back(std::move(shape));
    }
  }
  return input;
}

TLayoutCheck CheckLayout(const TQarvShapes& Shapes, const TOneNestingResult& R, TCurveForm Form) {
  return CheckLayoutGeometry(LayoutCheckInput(Shapes, R, Form));
}

}  // namespace plavo
