#include "nesting/result/ResultCheck.h"

#include <utility>

#include "nesting/result/ResultLayout.h"

namespace plavo {

namespace {

bool SamePoint(TNodeSimple A, TNodeSimple B) {
  return A.X == B.X && A.Y == B.Y;
}

TCheckRing CheckRing(const TPlacementTransform& T, const TQarvOnePath& Path) {
  TCheckRing ring;
  ring.Closed = Path.Closed();
  ring.Hole = Path.Type_() == -1;
  ring.Points.push_back(PlacePoint(T, Path.GetSegment(0)->StartNode()));
  for (int k = 0; k < Path.SegmentCount(); ++k) {
    const TPlacedSegment s = PlaceSegment(T, *Path.GetSegment(k));
    if (!SamePoint(ring.Points.back(), s.Start)) ring.Points.push_back(s.Start);
    if (IsStraightSegment(s)) {
      ring.Points.push_back(s.End);
    } else {
      FlattenCubicInto(ring.Points, s.Start, s.StartControl, s.EndControl, s.End, kCheckTolerance);
    }
  }
  if (ring.Closed && ring.Points.size() > 1 && SamePoint(ring.Points.front(), ring.Points.back())) {
    ring.Points.pop_back();
  }
  return ring;
}

TCheckShape CheckShape(const TPlacementTransform& T, const TQarvOneShape& Shape, int Index,
                       int Sheet) {
  TCheckShape shape;
  shape.Index = Index;
  shape.Sheet = Sheet;
  const TQarvOneCurve* curve = Shape.Curve();
  if (curve == nullptr) return shape;
  for (int p = 0; p < curve->PathCount(); ++p) {
    const TQarvOnePath* path = curve->GetPath(p);
    if (path->SegmentCount() > 0) shape.Rings.push_back(CheckRing(T, *path));
  }
  return shape;
}

}  // namespace

TLayoutCheckInput LayoutCheckInput(const TQarvShapes& Shapes, const TOneNestingResult& R) {
  TLayoutCheckInput input;
  if (!ResultFitsDrawing(Shapes, R)) return input;
  input.AllowInside = R.P.PlaceInside_Enable;
  for (const TBlockSingle& sheet : R.Block.Item) {
    const TBezierNode& p = sheet.Position;
    input.Sheets.push_back(TRectDbl::MakeLTRB(p.x, p.y + R.P.Media_H, p.x + R.P.Media_W, p.y));
  }
  for (int i = 0; i < static_cast<int>(R.Place.size()); ++i) {
    TPlacementTransform t;
    if (!PlacementTransform(Shapes, R, i, t)) continue;
    const auto k = static_cast<size_t>(i);
    TCheckShape shape =
        CheckShape(t, *RecordShape(Shapes, R, i), R.ShapeIndex[k], R.Place[k].sheetNo);
    if (R.P.Media_Container && i == 0) {
      input.HasContainer = true;
      input.Container = std::move(shape);
    } else {
      input.Shapes.push_back(std::move(shape));
    }
  }
  return input;
}

TLayoutCheck CheckLayout(const TQarvShapes& Shapes, const TOneNestingResult& R) {
  return CheckLayoutGeometry(LayoutCheckInput(Shapes, R));
}

}  // namespace plavo
